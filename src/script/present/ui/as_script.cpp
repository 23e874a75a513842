#include "script/present/ui/as_script.h"

#include <algorithm>
#include <cstring>

#include "framework/sjis.h"
#include "framework/stream.h"
#include "storage/storage.h"

namespace present {

namespace {

bool isNumberStart(char c) { return c == '-' || (c >= '0' && c <= '9'); }
bool isNumberChar(char c) { return c && std::strchr("-0123456789xXabcdefABCDEF", c) != nullptr; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\0'; }

// As atoi: an optional sign, then decimal digits up to the first other character. Values past
// the 32-bit range stop growing rather than overflow.
int32_t leadingDecimal(const std::string& s) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    int64_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        v = std::min<int64_t>(v * 10 + (s[i] - '0'), INT32_MAX + 1LL);
    v = negative ? -v : std::min<int64_t>(v, INT32_MAX);
    return static_cast<int32_t>(v);
}

bool sameIgnoringAsciiCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strNICmp(a.c_str(), b.c_str(), a.size()) == 0;
}

int commandType(char c) {
    switch (c) {
        case 's':
            return TAsCmd::kSize;
        case 'i':
            return TAsCmd::kImage;
        case 'o':
            return TAsCmd::kOffset;
        case 'm':
            return TAsCmd::kMove;
        case 'b':
            return TAsCmd::kBlend;
        case 'j':
            return TAsCmd::kJump;
        case 'f':
            return TAsCmd::kCompare;
        case 'w':
            return TAsCmd::kWait;
        default:
            return -1;
    }
}

int registerNumber(char c) {
    switch (c) {
        case 'x':
            return TAsCmdCompare::kX;
        case 'y':
            return TAsCmdCompare::kY;
        case 'b':
            return TAsCmdCompare::kBlendReg;
        case 'r':
            return TAsCmdCompare::kRandom;
        default:
            return -1;
    }
}

int operatorNumber(const std::string& s) {
    static const char* const kOperators[] = {">", ">=", "<", "<=", "==", "!="};
    for (int i = 0; i < 6; ++i)
        if (s == kOperators[i]) return i;
    return -1;
}

}  // namespace

void TAsScript::takeChar() {
    if (text_.size() >= kMaxToken) throw TInvalidError();
    text_ += input_[pos_++];
}

TAsScript::Token TAsScript::next() {
    text_.clear();
    value_ = 0;
    for (;;) {
        if (pos_ >= input_.size()) return token_ = kEnd;
        char c = input_[pos_];
        if (c == '\n') {
            ++pos_;
            ++line_;
            return token_ = kEndOfLine;
        }
        if (isBlank(c)) {
            ++pos_;
            continue;
        }
        if (c == ';') {
            while (pos_ < input_.size() && input_[pos_] != '\n') ++pos_;
            continue;
        }
        break;
    }
    char c = input_[pos_];
    if (isNumberStart(c)) {
        while (pos_ < input_.size() && isNumberChar(input_[pos_])) takeChar();
        value_ = leadingDecimal(text_);
        return token_ = kNumber;
    }
    auto takeWhole = [this] {
        bool lead = nsSJIS::isLead(static_cast<uint8_t>(input_[pos_]));
        takeChar();
        if (lead && pos_ < input_.size()) takeChar();
    };
    if (c == '"') {
        ++pos_;
        while (pos_ < input_.size() && input_[pos_] != '"') takeWhole();
        if (pos_ < input_.size()) ++pos_;
        return token_ = kString;
    }
    // A line feed ends a word too, so that files with bare line feeds keep their lines.
    while (pos_ < input_.size() && !isBlank(input_[pos_]) && input_[pos_] != ';' && input_[pos_] != '\n') takeWhole();
    return token_ = kWord;
}

void TAsScript::skipLine() {
    while (!atLineEnd()) next();
}

bool TAsScript::nextIsName() {
    Token t = next();
    return t == kWord || t == kString;
}

bool TAsScript::nextIsNumber() { return next() == kNumber; }

int TAsScript::addImage(const std::string& name) {
    auto& names = target_.ImageNames;
    for (size_t i = 0; i < names.size(); ++i)
        if (sameIgnoringAsciiCase(names[i], name)) return static_cast<int>(i);
    names.push_back(name);
    return static_cast<int>(names.size()) - 1;
}

std::unique_ptr<TAsCmd> TAsScript::parseLine() {
    std::unique_ptr<TAsCmd> cmd;
    auto finish = [&](bool good) {
        skipLine();
        if (!good) cmd.reset();
        return std::move(cmd);
    };
    if (!nextIsNumber()) return finish(false);
    int32_t time = value_;
    if (!nextIsName() || text_.empty()) return finish(false);
    auto number = [this](int32_t& out) {
        if (!nextIsNumber()) return false;
        out = value_;
        return true;
    };
    switch (commandType(text_[0])) {
        case TAsCmd::kSize: {
            auto c = std::make_unique<TAsCmdSize>();
            bool ok = number(c->Width) && number(c->Height);
            if (ok && target_.Width == -1) {
                target_.Width = c->Width;
                target_.Height = c->Height;
            }
            cmd = std::move(c);
            if (!ok) return finish(false);
            break;
        }
        case TAsCmd::kImage: {
            auto c = std::make_unique<TAsCmdImage>();
            if (!nextIsName()) return finish(false);
            c->ImageIndex = addImage(text_);
            if (!number(c->X) || !number(c->Y)) return finish(false);
            cmd = std::move(c);
            break;
        }
        case TAsCmd::kOffset: {
            auto c = std::make_unique<TAsCmdOffset>();
            bool ok = number(c->X) && number(c->Y);
            cmd = std::move(c);
            if (!ok) return finish(false);
            break;
        }
        case TAsCmd::kMove: {
            auto c = std::make_unique<TAsCmdMove>();
            bool ok = number(c->X) && number(c->Y);
            cmd = std::move(c);
            if (!ok) return finish(false);
            break;
        }
        case TAsCmd::kBlend: {
            auto c = std::make_unique<TAsCmdBlend>();
            bool ok = number(c->Blend);
            cmd = std::move(c);
            if (!ok) return finish(false);
            break;
        }
        case TAsCmd::kJump: {
            auto c = std::make_unique<TAsCmdJump>();
            bool ok = number(c->TargetTime);
            cmd = std::move(c);
            if (!ok) return finish(false);
            break;
        }
        case TAsCmd::kCompare: {
            auto c = std::make_unique<TAsCmdCompare>();
            if (!nextIsName() || text_.empty() || (c->Register = registerNumber(text_[0])) < 0) return finish(false);
            if (!nextIsName() || (c->Operator = operatorNumber(text_)) < 0) return finish(false);
            if (!number(c->Value) || !number(c->TargetTime)) return finish(false);
            cmd = std::move(c);
            break;
        }
        case TAsCmd::kWait:
            cmd = std::make_unique<TAsCmdWait>();
            break;
        default:
            return finish(false);
    }
    cmd->Time = time;
    return finish(true);
}

int TAsScript::parse(TStream& stream) {
    target_.clearCommands();
    input_.clear();
    char buf[4096];
    for (uint32_t n; (n = stream.read(buf, sizeof buf)) > 0;) input_.append(buf, n);
    pos_ = 0;
    line_ = 1;
    token_ = kEndOfLine;
    auto& commands = target_.Commands;
    try {
        while (token_ != kEnd)
            if (auto cmd = parseLine()) commands.push_back(std::move(cmd));
    } catch (const TInvalidError&) {
        commands.clear();
        return 0;
    }
    auto resolve = [&commands](int32_t targetTime) {
        for (size_t i = 0; i < commands.size(); ++i)
            if (commands[i]->Time >= targetTime) return static_cast<int32_t>(i);
        return 0;
    };
    for (auto& cmd : commands) {
        if (cmd->Type == TAsCmd::kJump) {
            auto& j = static_cast<TAsCmdJump&>(*cmd);
            j.TargetIndex = resolve(j.TargetTime);
        } else if (cmd->Type == TAsCmd::kCompare) {
            auto& f = static_cast<TAsCmdCompare&>(*cmd);
            f.TargetIndex = resolve(f.TargetTime);
        }
    }
    return static_cast<int>(commands.size());
}

bool TAnisBase::assign(const TAnisBase& other) {
    if (&other == this) return true;
    Name = other.Name;
    Width = other.Width;
    Height = other.Height;
    ImageNames = other.ImageNames;
    Commands.clear();
    for (const auto& cmd : other.Commands) Commands.push_back(cmd->clone());
    return true;
}

bool TAnisBase::parse(TStream& stream, const std::string& name) {
    TAsScript script(*this);
    if (script.parse(stream) == 0) return false;
    Name = name;
    return true;
}

bool TAnisBase::load(const std::string& fileName) {
    TStorage* store = TStorage::instance();
    std::unique_ptr<TStream> stream = store ? store->openStream(fileName) : nullptr;
    if (!stream) return false;
    return parse(*stream, folderOf(fileName));
}

std::string folderOf(const std::string& path) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '\\') last = i;
        if (nsSJIS::isLead(static_cast<uint8_t>(path[i]))) ++i;
    }
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "\\" + name;
}

}  // namespace present
