#include "script/thread.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "script/opcodes.h"
#include "script/script.h"
#include "script/value_exchange.h"

namespace {

constexpr uint32_t kSavedCodeBytes = 16;

int32_t wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

// A value as an integer; constants are read without a virtual call.
inline int32_t intOf(TValue& v) { return v.isIntConstant() ? static_cast<TIntValue&>(v).value : v.getInt(); }

}  // namespace

TG2Thread::TG2Thread(TG2ThreadHost& host) : host_(host) {}

TG2Thread::~TG2Thread() { releaseScript(); }

void TG2Thread::releaseScript() {
    if (script_) host_.scriptBank().release(script_);
    script_ = nullptr;
}

bool TG2Thread::start(int32_t number, const std::string& file, const std::string& label, int32_t type) {
    TScriptChild* child = host_.scriptBank().getScript(file);
    if (!child) return false;
    releaseScript();
    script_ = child;
    gotoLabel(label);
    number_ = number;
    type_ = type;
    ended_ = false;
    pushInt(-1);
    pushInt(-1);
    return true;
}

bool TG2Thread::step() {
    if (hold_) {
        hold_ = false;
        return true;
    }
    if (!run()) {
        ended_ = true;
        return false;
    }
    return true;
}

std::string TG2Thread::scriptName() const {
    return script_ && script_->script() ? script_->script()->name() : std::string();
}

int32_t TG2Thread::position() const { return script_ ? static_cast<int32_t>(script_->tell()) : -1; }

// ---- the value stack ----

std::unique_ptr<TValue> TG2Thread::popValue() {
    std::unique_ptr<TValue> v = stack_.pop();
    if (!v) error(kG2ErrBadCode);
    // A handler that reaches below an open frame has taken its marker: the frame is gone.
    dropFramesAbove(stack_.size());
    return v;
}

inline void TG2Thread::push(std::unique_ptr<TValue> v) {
    if (stack_.size() >= kMaxStack) error(kG2ErrBadCode);
    stack_.push(std::move(v));
}

void TG2Thread::pushInt(int32_t v) { push(std::make_unique<TIntValue>(v)); }

void TG2Thread::dropFramesAbove(size_t size) {
    while (!frames_.empty() && static_cast<size_t>(frames_.back()) > size) frames_.pop_back();
}

// What popping count values and pushing r does, with one of the values kept for r where it can
// be (count no more than the stack holds).
inline void TG2Thread::replaceTop(size_t count, int32_t r) {
    dropFramesAbove(stack_.size() - count);
    stack_.replaceTopWithInt(count, r);
}

void TG2Thread::pushString(std::string s) { push(std::make_unique<TStrValue>(std::move(s))); }

int32_t TG2Thread::popInt() {
    if (stack_.empty()) error(kG2ErrBadCode);
    const int32_t v = intOf(*stack_.top());
    stack_.drop();
    dropFramesAbove(stack_.size());
    return v;
}

// The top value as an integer, replaced by f of it (what popping it and pushing the result does).
template <class F>
inline void TG2Thread::unary(F f) {
    if (stack_.empty()) error(kG2ErrBadCode);
    replaceTop(1, f(intOf(*stack_.top())));
}

int32_t TG2Thread::argumentCount() const {
    return frames_.empty() ? 0 : static_cast<int32_t>(stack_.size()) - frames_.back();
}

void TG2Thread::closeFrame() {
    if (frames_.empty()) return;
    // The marker sits right beneath the frame's first argument.
    const size_t keep = static_cast<size_t>(frames_.back() - 1);
    frames_.pop_back();
    while (stack_.size() > keep) stack_.pop();
}

// ---- control flow ----

// An operand cut short by the end of the code is a fault of the code: a jump must not take the
// missing bytes for offset 0 and run the script again from its start.
int32_t TG2Thread::readOperand() {
    int32_t v = 0;
    if (!script_->readInt32(v)) error(kG2ErrBadCode);
    return v;
}

int32_t TG2Thread::readCallTag() {
    uint8_t op = 0;
    if (!script_->readByte(op) || op != kOpTag) error(kG2ErrBadCode);
    int32_t tag = 0;
    if (!script_->readInt32(tag)) error(kG2ErrBadCode);
    script_->seek(script_->tell() - 5);
    return tag;
}

bool TG2Thread::jump(int32_t offset) {
    if (!script_) return false;
    script_->seek(offset == -1 ? script_->size() : static_cast<uint32_t>(offset));
    return true;
}

bool TG2Thread::gotoLabel(const std::string& label) {
    if (!script_) return false;
    if (label.empty()) return jump(0);
    const int32_t offset = script_->script()->findLabel(label);
    return offset != -1 && jump(offset);
}

bool TG2Thread::call(int32_t target, int32_t tag) {
    pushInt(tag);
    pushInt(position());
    return jump(target);
}

bool TG2Thread::callLabel(const std::string& label, int32_t tag) {
    pushInt(tag);
    pushInt(position());
    return gotoLabel(label);
}

bool TG2Thread::returnTo(int32_t position, int32_t tag) {
    if (!jump(position)) return false;
    uint8_t op = 0;
    int32_t found = 0;
    if (script_->readByte(op) && op == kOpTag && script_->readInt32(found) && found == tag) return true;
    return jump(script_->script()->getIndexOffset(tag));
}

bool TG2Thread::loadScript(const std::string& file, int32_t offset) {
    TScriptChild* child = host_.scriptBank().getScript(file);
    if (!child) return false;
    releaseScript();
    script_ = child;
    return jump(offset);
}

bool TG2Thread::gotoFileLabel(const std::string& file, const std::string& label) {
    TScriptChild* child = host_.scriptBank().getScript(file);
    if (!child) return false;
    releaseScript();
    script_ = child;
    return gotoLabel(label);
}

bool TG2Thread::returnToFile(const std::string& file, int32_t position, int32_t tag) {
    return loadScript(file, position) && returnTo(position, tag);
}

// ---- the bytecode loop ----

// The operands stay on the stack while they are read; the result takes their place.
void TG2Thread::binary(uint8_t op) {
    if (stack_.size() < 2) error(kG2ErrBadCode);
    TValue* bv = stack_.at(stack_.size() - 1);
    TValue* av = stack_.at(stack_.size() - 2);
    int32_t r = 0;
    if (op == kOpLogicalOr) {
        r = intOf(*av) != 0 || intOf(*bv) != 0;
    } else if (op == kOpLogicalAnd) {
        r = intOf(*av) != 0 && intOf(*bv) != 0;
    } else {
        const int32_t b = intOf(*bv);
        const int32_t a = intOf(*av);
        const uint32_t shift = static_cast<uint32_t>(b) & 31;
        switch (op) {
            case kOpAdd:
                r = wrap(int64_t{a} + b);
                break;
            case kOpSub:
                r = wrap(int64_t{a} - b);
                break;
            case kOpMul:
                r = static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
                break;
            case kOpDiv:
            case kOpMod:
                // No quotient exists: stop the script as a fault of its code, not of the program.
                if (b == 0 || (a == INT_MIN && b == -1)) error(kG2ErrBadCode);
                r = op == kOpDiv ? a / b : a % b;
                break;
            case kOpOr:
                r = a | b;
                break;
            case kOpAnd:
                r = a & b;
                break;
            case kOpXor:
                r = a ^ b;
                break;
            case kOpGreater:
                r = a > b;
                break;
            case kOpLess:
                r = a < b;
                break;
            case kOpShiftRight:
                r = a >> shift;
                break;
            case kOpShiftLeft:
                r = static_cast<int32_t>(static_cast<uint32_t>(a) << shift);
                break;
            case kOpEqual:
                r = a == b;
                break;
            case kOpNotEqual:
                r = a != b;
                break;
            case kOpGreaterEqual:
                r = a >= b;
                break;
            case kOpLessEqual:
                r = a <= b;
                break;
            default:
                break;
        }
    }
    replaceTop(2, r);
}

void TG2Thread::assign(uint8_t op) {
    if (stack_.size() < 2) error(kG2ErrBadCode);
    TValue* bv = stack_.at(stack_.size() - 1);
    TValue* av = stack_.at(stack_.size() - 2);
    const int32_t b = intOf(*bv);
    int32_t r = b;
    if (op != kOpAssign) {
        const int32_t a = intOf(*av);
        const uint32_t shift = static_cast<uint32_t>(b) & 31;
        switch (op) {
            case kOpAssignMul:
                r = static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
                break;
            case kOpAssignDiv:
            case kOpAssignMod:
                if (b == 0 || (a == INT_MIN && b == -1)) error(kG2ErrBadCode);
                r = op == kOpAssignDiv ? a / b : a % b;
                break;
            case kOpAssignAdd:
                r = wrap(int64_t{a} + b);
                break;
            case kOpAssignSub:
                r = wrap(int64_t{a} - b);
                break;
            case kOpAssignShiftLeft:
                r = static_cast<int32_t>(static_cast<uint32_t>(a) << shift);
                break;
            case kOpAssignShiftRight:
                r = a >> shift;
                break;
            case kOpAssignAnd:
                r = a & b;
                break;
            case kOpAssignOr:
                r = a | b;
                break;
            case kOpAssignXor:
                r = a ^ b;
                break;
            default:
                break;
        }
    }
    av->setInt(r);
    replaceTop(2, r);
}

bool TG2Thread::run() {
    uint32_t count = 0;
    for (;;) {
        if (!script_) return false;
        if (budget_ && ++count > budget_) return true;
        // Calls and returns across files switch the child, so it is taken anew each time.
        TScriptChild& code = *script_;
        uint8_t op;
        if (!code.readByte(op)) return false;
        switch (op) {
            case kOpText: {
                std::string text;
                if (!code.readString(text)) return false;
                host_.message(*this, text);
                return true;
            }
            case kOpPushString: {
                std::string text;
                if (!code.readString(text)) return false;
                pushString(std::move(text));
                break;
            }
            case kOpPushInt:
            case kOpPushInt2:
                pushInt(readOperand());
                break;
            case kOpPop:
                popValue();
                break;
            case kOpCommand: {
                const uint32_t command = static_cast<uint32_t>(readOperand());
                host_.command(*this, command);
                closeFrame();
                return true;
            }
            case kOpFrame:
                push(std::make_unique<TIntValue>(0));
                frames_.push_back(static_cast<int32_t>(stack_.size()));
                break;
            case kOpJump:
                jump(readOperand());
                break;
            case kOpJumpZero:
            case kOpJumpNotZero: {
                const int32_t target = readOperand();
                if ((popInt() == 0) == (op == kOpJumpZero)) jump(target);
                break;
            }
            case kOpCall: {
                const int32_t target = readOperand();
                call(target, readCallTag());
                break;
            }
            case kOpNop:
            case kOpTag:
                readOperand();
                break;
            case kOpSkip: {
                readOperand();
                const int32_t n = readOperand();
                code.seek(n < 0 || !code.canRead(static_cast<uint32_t>(n)) ? code.size()
                                                                           : code.tell() + static_cast<uint32_t>(n));
                break;
            }
            case kOpCase: {
                std::unique_ptr<TValue> a = popValue();
                if (!topValue()) error(kG2ErrBadCode);
                const int32_t av = a->getInt();
                pushInt(av == topValue()->getInt());
                break;
            }
            case kOpReturn: {
                std::unique_ptr<TValue> x = popValue();
                if (x->getType() == kG2String) {
                    const int32_t position = popInt();
                    const int32_t tag = popInt();
                    returnToFile(x->getString(), position, tag);
                } else {
                    const int32_t position = x->getInt();
                    returnTo(position, popInt());
                }
                break;
            }
            case kOpTrace: {
                std::string text;
                if (!code.readString(text)) return false;
                host_.trace(text);
                break;
            }
            case kOpFileGoto: {
                const std::string label = popValue()->getString();
                const std::string file = popValue()->getString();
                if (!gotoFileLabel(file, label)) warning(kG2WarnFileGoto, file + " : " + label);
                break;
            }
            case kOpFileCall: {
                const int32_t tag = readCallTag();
                const std::string label = popValue()->getString();
                const std::string file = popValue()->getString();
                // The caller stays where it is unless both the file and the label are there.
                TScriptChild* callee = host_.scriptBank().getScript(file);
                if (callee && (label.empty() || callee->script()->findLabel(label) != -1)) {
                    pushInt(tag);
                    pushInt(position());
                    pushString(scriptName());
                    releaseScript();
                    script_ = callee;
                    gotoLabel(label);
                    break;
                }
                host_.scriptBank().release(callee);
                warning(kG2WarnFileCall, file + " : " + label);
                break;
            }
            case kOpLabelGoto: {
                const std::string label = popValue()->getString();
                if (!gotoLabel(label)) warning(kG2WarnSubGoto, scriptName() + " : " + label);
                break;
            }
            case kOpLabelCall: {
                const int32_t tag = readCallTag();
                const std::string label = popValue()->getString();
                if (!callLabel(label, tag)) {
                    warning(kG2WarnSubCall, scriptName() + " : " + label);
                    popValue();  // the return position
                    popValue();  // and its tag
                }
                break;
            }
            case kOpPosition:
            case kOpSavePoint0:
            case kOpSavePoint1: {
                positionId_ = readOperand();
                host_.setReadPoint(code.script()->readCheck, positionId_);
                if (op != kOpPosition && host_.requestSnapshot(op == kOpSavePoint0 ? 0 : 1)) return true;
                break;
            }
            case kOpVarInt0:
                push(std::make_unique<TIntVar>(host_.memory(), 0, readOperand()));
                break;
            case kOpVarBool0:
                push(std::make_unique<TBoolVar>(host_.memory(), 0, readOperand()));
                break;
            case kOpVarString0:
                push(std::make_unique<TStrVar>(host_.memory(), 0, readOperand()));
                break;
            case kOpVarInt1:
                push(std::make_unique<TIntVar>(host_.memory(), 1, readOperand()));
                break;
            case kOpVarBool1:
                push(std::make_unique<TBoolVar>(host_.memory(), 1, readOperand()));
                break;
            case kOpVarString1:
                push(std::make_unique<TStrVar>(host_.memory(), 1, readOperand()));
                break;
            case kOpVarInt2:
                push(std::make_unique<TIntVar>(host_.memory(), 2, readOperand()));
                break;
            case kOpVarBool2:
                push(std::make_unique<TBoolVar>(host_.memory(), 2, readOperand()));
                break;
            case kOpVarString2:
                push(std::make_unique<TStrVar>(host_.memory(), 2, readOperand()));
                break;
            case kOpNeg:
                unary([](int32_t v) { return wrap(-int64_t{v}); });
                break;
            case kOpNot:
                unary([](int32_t v) { return ~v; });
                break;
            case kOpLogicalNot:
                unary([](int32_t v) { return int32_t{v == 0}; });
                break;
            case kOpIncrement:
                unary([](int32_t v) { return wrap(int64_t{v} + 1); });
                break;
            case kOpDecrement:
                unary([](int32_t v) { return wrap(int64_t{v} - 1); });
                break;
            case kOpAdd:
            case kOpSub:
            case kOpMul:
            case kOpDiv:
            case kOpMod:
            case kOpOr:
            case kOpAnd:
            case kOpXor:
            case kOpGreater:
            case kOpLess:
            case kOpShiftRight:
            case kOpShiftLeft:
            case kOpLogicalOr:
            case kOpLogicalAnd:
            case kOpEqual:
            case kOpNotEqual:
            case kOpGreaterEqual:
            case kOpLessEqual:
                binary(op);
                break;
            case kOpAssign:
            case kOpAssignMul:
            case kOpAssignDiv:
            case kOpAssignMod:
            case kOpAssignAdd:
            case kOpAssignSub:
            case kOpAssignShiftLeft:
            case kOpAssignShiftRight:
            case kOpAssignAnd:
            case kOpAssignOr:
            case kOpAssignXor:
                assign(op);
                break;
            case kOpElement: {
                const int32_t b = popInt();
                std::unique_ptr<TValue> a = popValue();
                a->addIndex(b);
                stack_.push(std::move(a));
                break;
            }
            default:
                error(kG2ErrBadCode);
        }
    }
}

// ---- code scanners and the saved thread ----

bool TG2Thread::scan(bool (*stop)(uint8_t op, int32_t operand, uint32_t posAfter, int32_t wanted), int32_t wanted,
                     bool negativeIdStopsAfterSkip) {
    if (!script_) return false;
    TScriptChild& code = *script_;
    const uint32_t start = code.tell();
    code.seek(0);
    uint8_t op;
    while (code.readByte(op)) {
        if (op == kOpPosition || op == kOpSavePoint0 || op == kOpSavePoint1) {
            int32_t id;
            if (!code.readInt32(id)) break;
            if (stop(op, id, code.tell(), wanted)) return true;
            continue;
        }
        if (op == kOpSkip) {
            int32_t length;
            if (!code.readInt32(length) || length < 0 || !code.canRead(static_cast<uint32_t>(length))) break;
            code.seek(code.tell() + static_cast<uint32_t>(length));
            if (negativeIdStopsAfterSkip && wanted < 0) return true;
            continue;
        }
        const int size = g2OperandSize(op);
        uint32_t skip = static_cast<uint32_t>(size < 99 ? size : size - 99);
        if (!code.canRead(skip)) break;
        code.seek(code.tell() + skip);
        if (size >= 99) {
            int32_t n;
            if (!code.readInt32(n) || n < 0 || !code.canRead(static_cast<uint32_t>(n))) break;
            code.seek(code.tell() + static_cast<uint32_t>(n));
        }
    }
    code.seek(start);
    return false;
}

bool TG2Thread::seekPosId(int32_t id) {
    return scan([](uint8_t, int32_t operand, uint32_t, int32_t wanted) { return operand >= wanted; }, id, true);
}

bool TG2Thread::seekPosOffset(int32_t offset) {
    return scan([](uint8_t, int32_t, uint32_t posAfter,
                   int32_t wanted) { return static_cast<int64_t>(posAfter) >= static_cast<int64_t>(wanted); },
                offset, false);
}

void TG2Thread::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "Thread");
    exchangeScriptChild(x, script_, host_.scriptBank());
    if (x.isStoring()) {
        const int32_t pos = position();
        x.putInt("Pos", pos);
        uint32_t size = 0;
        if (script_ && !script_->atEnd()) size = std::min(kSavedCodeBytes, script_->size() - script_->tell());
        x.putByte("Size", static_cast<uint8_t>(size));
        x.putBytes("Data", size ? script_->bytes() + script_->tell() : nullptr, size);
        x.putInt("LastReadPoint", positionId_);
    } else {
        const int32_t pos = x.getInt("Pos");
        jump(pos);
        const uint8_t size = x.getByte("Size");
        uint8_t data[256];
        x.getBytes("Data", data, size);
        positionId_ = x.getInt("LastReadPoint");
        const bool same = script_ && script_->canRead(size) &&
                          (size == 0 || std::memcmp(script_->bytes() + script_->tell(), data, size) == 0);
        if (script_ && !same && !seekPosId(positionId_)) seekPosOffset(pos);
    }
    stack_.exchange(x, host_.memory());
    int32_t no = number_;
    x.exchangeShort("No", no);
    uint8_t type = static_cast<uint8_t>(type_);
    x.exchangeByte("Type", type);
    bool flags[2] = {hold_, ended_};
    x.exchangeFlags("Flag", &flags[0], &flags[1]);
    uint8_t base = frames_.empty() ? 0 : static_cast<uint8_t>(frames_.back());
    x.exchangeByte("StackPos", base);
    if (x.isLoading()) {
        number_ = no;
        type_ = type;
        hold_ = flags[0];
        ended_ = flags[1];
        // A frame cannot be open between the steps a save sits between.
        frames_.clear();
    }
}
