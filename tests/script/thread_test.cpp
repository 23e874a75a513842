// Script threads run assembled snippets: every operator against its expected result, the stops
// of a step, argument frames, calls and returns, file calls, and a thread saved and loaded.
#include "script/thread.h"

#include <climits>
#include <map>
#include <random>

#include "script/value_exchange.h"
#include "script_support.h"

namespace {

class ThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        setEngineLogSink([this](const std::string& line) { log.push_back(line); });
    }
    void TearDown() override { setEngineLogSink(nullptr); }

    std::unique_ptr<TG2Thread> startThread(const std::string& text, const std::string& label = "") {
        host.files.add("t.g2", text);
        auto t = std::make_unique<TG2Thread>(host);
        EXPECT_TRUE(t->start(0, "t.g2", label, 0));
        return t;
    }
    // The integer on top of the stack when the snippet reaches its final command.
    int32_t eval(const std::string& body) {
        int32_t top = 0;
        host.onCommand = [&](TG2Thread& t, uint32_t) { top = t.topValue()->getInt(); };
        auto t = startThread(body + "\n cmd 0x99\n");
        EXPECT_TRUE(t->step());
        host.onCommand = nullptr;
        return top;
    }

    RecordingHost host;
    std::vector<std::string> log;
};

}  // namespace

TEST_F(ThreadTest, OperatorsComputeOnWrapping32BitIntegers) {
    struct Case {
        const char* code;
        int32_t want;
    } cases[] = {
        {"push 2147483647\npush 1\nadd", INT_MIN},
        {"push 3\npush 5\nsub", -2},
        {"push 65536\npush 65537\nmul", 65536},
        {"push -7\npush 2\ndiv", -3},
        {"push -7\npush 2\nmod", -1},
        {"push 12\npush 3\nor", 15},
        {"push 12\npush 6\nand", 4},
        {"push 0\nnot", -1},
        {"push 12\npush 6\nxor", 10},
        {"push 0\nlnot", 1},
        {"push 7\nlnot", 0},
        {"push 3\npush 2\ngt", 1},
        {"push 3\npush 2\nlt", 0},
        {"push -8\npush 1\nshr", -4},
        {"push 1\npush 33\nshl", 2},  // the shift counts modulo 32
        {"push 0\npush 4\nlor", 1},
        {"push 4\npush 0\nland", 0},
        {"push 4\npush 4\neq", 1},
        {"push 4\npush 4\nne", 0},
        {"push 4\npush 4\nge", 1},
        {"push 5\npush 4\nle", 0},
        {"push 4\ninc", 5},
        {"push 4\ndec", 3},
        {"push -2147483648\nneg", INT_MIN},
        {"push 9\npush 9\ncase", 1},
        {"push 9\npush 8\ncase\npop", 9},  // the tested value stays beneath the answer
        {"push 1\nvs0 0\nlor", 1},         // B is not read once A decides (a string would throw)
        {"push 0\nvs0 0\nland", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(eval(c.code), c.want) << c.code;
}

TEST_F(ThreadTest, AssignmentsWriteTheVariableAndPushTheValueWritten) {
    EXPECT_EQ(eval("vb0 2\npush 5\nset"), 5);
    EXPECT_TRUE(host.mem.getBool(0, 2));
    host.mem.setInt(1, 3, 10);
    struct Case {
        const char* op;
        int32_t want;
    } cases[] = {{"setmul", 30}, {"setdiv", 10}, {"setmod", 1}, {"setadd", 4}, {"setsub", 1},
                 {"setshl", 8},  {"setshr", 1},  {"setand", 1}, {"setor", 3},  {"setxor", 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(eval(std::string("vi1 3\npush 3\n") + c.op), c.want) << c.op;
        EXPECT_EQ(host.mem.getInt(1, 3), c.want) << c.op;
    }
    eval("vi2 4\npush 3\nelem\npush 9\nset");  // element 3 of the array at slot 4
    EXPECT_EQ(host.mem.getInt(2, 7), 9);
    EXPECT_EQ(errorCode([&] { eval("push 7\npush 2\nset"); }), kG2ErrConstAccess) << "a constant cannot be written";
}

TEST_F(ThreadTest, FaultsOfTheCodeAreEngineErrorsNotCrashes) {
    for (const char* code :
         {"push 1\npush 0\ndiv", "push -2147483648\npush -1\ndiv", "vi0 1\npush 0\nsetmod", "pop\npop\npop",
          "pop\npop\npush 1\nadd", ".byte 0x80", ".byte 0xff", "pop\npop\npush 1\ncase",
          "call @x\n@x:", ".byte 0x07, 1, 0", "push 1\n.byte 0x08, 4"}) {  // jumps whose operands the end cuts short
        auto t = startThread(code);
        EXPECT_EQ(errorCode([&] { t->step(); }), kG2ErrBadCode) << code;
    }
}

TEST_F(ThreadTest, AStepEndsAtTextCommandsSavePointsOrTheEnd) {
    host.snapshotAnswer = true;
    auto t = startThread("pos 3\ntext \"hi\"\nsave0 4\nsave1 5\npush 1\npop\n");
    EXPECT_TRUE(t->step());
    EXPECT_EQ(host.texts, std::vector<std::string>{"hi"});
    EXPECT_TRUE(t->step());
    EXPECT_TRUE(t->step());
    EXPECT_EQ(host.snapshots, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(host.readPoints, (std::vector<int32_t>{3, 4, 5}));
    EXPECT_EQ(t->positionId(), 5);
    EXPECT_FALSE(t->step());
    EXPECT_TRUE(t->ended());
    // A held thread runs nothing in its step.
    auto held = startThread("text \"x\"");
    held->hold();
    EXPECT_TRUE(held->step());
    EXPECT_EQ(host.texts.size(), 1u);
}

TEST_F(ThreadTest, ALoopWithoutAWaitYieldsAtItsBudget) {
    auto t = startThread("@l:\n jmp @l\n");
    t->setOpcodeBudget(1000);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(t->step());
}

TEST_F(ThreadTest, ArgumentFramesNestAndNeverReachBelowTheirMarker) {
    std::vector<int32_t> sizes;
    host.onCommand = [&](TG2Thread& t, uint32_t) { sizes.push_back(static_cast<int32_t>(t.stack().size())); };
    auto t = startThread("frame\npush 1\nframe\npush 2\npush 3\ncmd 1\ncmd 2\ncmd 3\n");
    for (int i = 0; i < 3; ++i) t->step();
    const std::vector<RecordingHost::Command> want{{1, 2}, {2, 1}, {3, 0}};
    EXPECT_EQ(host.commands, want);
    // The bottom frame (-1, -1) is never taken by a command without a frame.
    EXPECT_EQ(sizes, (std::vector<int32_t>{7, 4, 2}));
    EXPECT_EQ(t->stack().size(), 2u);
    // A handler that pops its marker closes the frame; the next command finds none.
    host.onCommand = [](TG2Thread& t, uint32_t code) {
        if (code == 4) t.popValue(), t.popValue();
    };
    auto u = startThread("frame\npush 1\ncmd 4\ncmd 5\n");
    u->step();
    u->step();
    EXPECT_EQ(u->stack().size(), 2u);
}

TEST_F(ThreadTest, CallsReturnToTheirTagOrThroughTheIndexTable) {
    auto t = startThread(R"(
    call sub, 5
    cmd 2
    push 0          ; a return frame whose position does not hold its tag
    push 1
    ret
    cmd 9
@back:
    cmd 3
    ret             ; only the bottom frame is left: the thread ends
sub:
    cmd 1
    ret
.index @back
)");
    while (t->step()) {}
    const std::vector<RecordingHost::Command> want{{1, 0}, {2, 0}, {3, 0}};
    EXPECT_EQ(host.commands, want);
    EXPECT_TRUE(t->ended());
}

TEST_F(ThreadTest, LabelGotosAndCallsWarnAndGoOnWhenTheLabelIsMissing) {
    auto t = startThread(R"(
    pushs "sub"
    scall 0
    pushs "none"
    scall 1
    pushs "none"
    sgoto
    cmd 2
    pushs ""
    sgoto
sub:
    cmd 1
    ret
)");
    t->step();
    t->step();
    EXPECT_EQ(t->stack().size(), 2u) << "the failed call's frame is dropped";
    t->step();  // the empty label goes to offset 0
    const std::vector<RecordingHost::Command> want{{1, 0}, {2, 0}, {1, 0}};
    EXPECT_EQ(host.commands, want);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[0].find("t.g2 : none"), std::string::npos);
}

TEST_F(ThreadTest, FileCallsReturnToTheCallerAndMissingTargetsKeepIt) {
    host.files.add("b.g2", "cmd 9\nentry:\n cmd 7\n ret\n");
    auto t = startThread(R"(
    pushs "b.g2"
    pushs "entry"
    filecall 3
    cmd 8
    pushs "c.g2"
    pushs "entry"
    filecall 4
    pushs "b.g2"
    pushs "nolabel"
    filecall 5
    cmd 6
    pushs "b.g2"
    pushs "entry"
    filegoto
)");
    t->step();
    EXPECT_EQ(t->scriptName(), "b.g2");
    t->step();
    EXPECT_EQ(t->scriptName(), "t.g2");
    t->step();  // two failed calls, then command 6 in the caller
    EXPECT_EQ(t->scriptName(), "t.g2");
    EXPECT_EQ(t->stack().size(), 2u);
    t->step();
    EXPECT_EQ(t->scriptName(), "b.g2");
    const std::vector<RecordingHost::Command> want{{7, 0}, {8, 0}, {6, 0}, {7, 0}};
    EXPECT_EQ(host.commands, want);
    EXPECT_EQ(log.size(), 2u);
    EXPECT_EQ(host.bank.size(), 1u) << "the caller's script went when the thread left it for good";
}

TEST_F(ThreadTest, ALoadedThreadResumesWhereItStoodOrAfterItsReadPoint) {
    const char* v1 = "pos 0\ntext \"a\"\npos 1\ntext \"b\"\npos 2\ntext \"c\"\n";
    auto t = startThread(v1);
    t->step();
    t->step();  // at "pos 2"... after text "b"
    TMemoryStream saved;
    {
        TValueExchange x(&saved, true);
        t->exchange(x);
    }
    t.reset();
    auto load = [&] {
        saved.seek(0, 0);
        auto u = std::make_unique<TG2Thread>(host);
        TValueExchange x(&saved, false);
        u->exchange(x);
        return u;
    };
    auto same = load();
    EXPECT_EQ(same->stack().size(), 2u);
    same->step();
    EXPECT_EQ(host.texts.back(), "c");
    same.reset();
    // The script grew code in front: the saved position now holds other bytes.
    host.files.add("t.g2", "push 1\npop\npush 1\npop\npos 0\ntext \"a\"\npos 1\ntext \"b\"\npos 2\ntext \"c\"\n");
    auto moved = load();
    moved->step();
    EXPECT_EQ(host.texts.back(), "b") << "resumes right after the marker of the last read point";
}

TEST_F(ThreadTest, AScriptThatPushesWithoutEndStopsAtTheStackLimit) {
    auto t = startThread("@l:\n push 1\n jmp @l\n");
    t->setOpcodeBudget(0);
    EXPECT_EQ(errorCode([&] { t->step(); }), kG2ErrBadCode);
    EXPECT_EQ(t->stack().size(), TG2Thread::kMaxStack);
}

namespace {

// A reference machine for straight-line integer code: the stack holds constants and variable
// references of areas 0-2; the memory is a map. Only code that the real machine runs without an
// engine error is generated, so both must end with the same stack and the same variables.
struct ModelMachine {
    struct Entry {
        int kind;  // 0 constant, 1 integer variable, 2 flag variable
        int32_t area, index, value;
    };
    std::vector<Entry> stack;
    std::map<std::pair<int32_t, int32_t>, int32_t> ints, bools;

    int32_t read(const Entry& e) {
        if (e.kind == 1) return ints[{e.area, e.index}];
        if (e.kind == 2) return bools[{e.area, e.index}] != 0;
        return e.value;
    }
    void write(const Entry& e, int32_t v) {
        if (e.kind == 1) ints[{e.area, e.index}] = v;
        if (e.kind == 2) bools[{e.area, e.index}] = v != 0;
    }
};

int32_t wrap32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

using BinaryOp = int32_t (*)(int32_t, int32_t);
uint32_t shift(int32_t b) { return static_cast<uint32_t>(b) & 31; }
const std::map<std::string, BinaryOp> kBinaryOps = {
    {"add", [](int32_t a, int32_t b) { return wrap32(int64_t{a} + b); }},
    {"sub", [](int32_t a, int32_t b) { return wrap32(int64_t{a} - b); }},
    {"mul", [](int32_t a, int32_t b) { return wrap32(int64_t{a} * b); }},
    {"div", [](int32_t a, int32_t b) { return a / b; }},
    {"mod", [](int32_t a, int32_t b) { return a % b; }},
    {"or", [](int32_t a, int32_t b) { return a | b; }},
    {"and", [](int32_t a, int32_t b) { return a & b; }},
    {"xor", [](int32_t a, int32_t b) { return a ^ b; }},
    {"gt", [](int32_t a, int32_t b) { return int32_t{a > b}; }},
    {"lt", [](int32_t a, int32_t b) { return int32_t{a < b}; }},
    {"shr", [](int32_t a, int32_t b) { return a >> shift(b); }},
    {"shl", [](int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) << shift(b)); }},
    {"lor", [](int32_t a, int32_t b) { return int32_t{a != 0 || b != 0}; }},
    {"land", [](int32_t a, int32_t b) { return int32_t{a != 0 && b != 0}; }},
    {"eq", [](int32_t a, int32_t b) { return int32_t{a == b}; }},
    {"ne", [](int32_t a, int32_t b) { return int32_t{a != b}; }},
    {"ge", [](int32_t a, int32_t b) { return int32_t{a >= b}; }},
    {"le", [](int32_t a, int32_t b) { return int32_t{a <= b}; }},
    {"", [](int32_t, int32_t b) { return b; }},  // plain set
};

// The result of a binary operator ("set..." the assigning form), or false where the real
// machine stops with an error.
bool modelBinary(const std::string& op, int32_t a, int32_t b, int32_t& r) {
    const std::string o = op.rfind("set", 0) == 0 ? op.substr(3) : op;
    if ((o == "div" || o == "mod") && (b == 0 || (a == INT_MIN && b == -1))) return false;
    r = kBinaryOps.at(o)(a, b);
    return true;
}

}  // namespace

TEST_F(ThreadTest, StraightLineCodeComputesWhatTheReferenceMachineComputes) {
    const char* binaries[] = {"add", "sub", "mul", "div", "mod",  "or", "and", "xor", "gt",
                              "lt",  "shr", "shl", "lor", "land", "eq", "ne",  "ge",  "le"};
    const char* assigns[] = {"set",    "setmul", "setdiv", "setmod", "setadd", "setsub",
                             "setshl", "setshr", "setand", "setor",  "setxor"};
    const int32_t constants[] = {0, 1, -1, 2, 7, 31, 33, INT_MIN, INT_MAX, 65536, -100000};
    std::mt19937 rng(39);
    for (int round = 0; round < 300; ++round) {
        ModelMachine model;
        std::string code;
        for (int step = 0; step < 60; ++step) {
            const auto n = model.stack.size();
            const unsigned pick = rng() % 10;
            if (pick < 3 || n < 2) {
                if (rng() % 2) {
                    const int32_t v = rng() % 3 ? constants[rng() % std::size(constants)] : static_cast<int32_t>(rng());
                    code += "push " + std::to_string(v) + "\n";
                    model.stack.push_back({0, 3, 0, v});
                } else {
                    const int kind = 1 + static_cast<int>(rng() % 2);
                    const int32_t area = static_cast<int32_t>(rng() % 3), index = static_cast<int32_t>(rng() % 4);
                    code += std::string(kind == 1 ? "vi" : "vb") + std::to_string(area) + " " + std::to_string(index) +
                            "\n";
                    model.stack.push_back({kind, area, index, 0});
                }
                continue;
            }
            ModelMachine::Entry& a = model.stack[n - 2];
            const ModelMachine::Entry b = model.stack[n - 1];
            if (pick < 6 || (pick < 8 && a.kind != 0)) {  // a binary operator, or one that assigns
                const std::string op =
                    pick < 6 ? binaries[rng() % std::size(binaries)] : assigns[rng() % std::size(assigns)];
                int32_t r = 0;
                if (!modelBinary(op, model.read(a), model.read(b), r)) continue;
                code += op + "\n";
                if (pick >= 6) model.write(a, r);
                model.stack.pop_back();
                model.stack.back() = {0, 3, 0, r};
            } else if (pick == 8) {
                const char* unaries[] = {"neg", "not", "lnot", "inc", "dec"};
                const std::string op = unaries[rng() % 5];
                const int32_t v = model.read(b);
                const int32_t r = op == "neg"    ? wrap32(-int64_t{v})
                                  : op == "not"  ? ~v
                                  : op == "lnot" ? int32_t{v == 0}
                                  : op == "inc"  ? wrap32(int64_t{v} + 1)
                                                 : wrap32(int64_t{v} - 1);
                code += op + "\n";
                model.stack.back() = {0, 3, 0, r};
            } else {
                code += "pop\n";
                model.stack.pop_back();
            }
        }
        std::vector<int32_t> stack;
        host.onCommand = [&](TG2Thread& t, uint32_t) {
            for (size_t i = 2; i < t.stack().size(); ++i) stack.push_back(t.stack().at(i)->getInt());
        };
        auto t = startThread(code + "cmd 0x99\n");
        ASSERT_TRUE(t->step()) << code;
        host.onCommand = nullptr;
        std::vector<int32_t> want;
        for (const auto& e : model.stack) want.push_back(model.read(e));
        ASSERT_EQ(stack, want) << code;
        for (const auto& [at, v] : model.ints) ASSERT_EQ(host.mem.getInt(at.first, at.second), v) << code;
        for (const auto& [at, v] : model.bools) ASSERT_EQ(host.mem.getBool(at.first, at.second), v != 0) << code;
        for (int area = 0; area < 3; ++area)
            for (int i = 0; i < 4; ++i) {
                host.mem.setInt(area, i, 0);
                host.mem.setBool(area, i, false);
            }
    }
}
