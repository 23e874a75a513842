// Compiled scripts: the file's header cases, the bank's sharing, the script saved with its
// thread, and the assembler's round trip.
#include "script/script.h"

#include "script/opcodes.h"
#include "script/value_exchange.h"
#include "script_support.h"

namespace {

const char* kSample = R"(
.header "sample"
.readpoints 4
START:
    pos 0
    text "hello"
    cmd 0x1001, 5, "abc", vi0:3
@loop:
    push 1
    jnz @loop
    call sub, 0
    tag 0
    skip "\x01\x02"
    .byte 0x80
    ret
sub:
    ret
.index @after
@after:
    nop 7
)";

std::vector<uint8_t> withVersion(const char* version) {
    std::vector<uint8_t> bytes = scriptFileBytes(assembled(kSample));
    std::copy(version, version + 4, bytes.begin() + 4);
    return bytes;
}

bool loads(const std::vector<uint8_t>& bytes) {
    TMemoryStream in(const_cast<uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
    TScript script;
    return script.load("x", in);
}

}  // namespace

TEST(ScriptFile, TheVersionMustBe0460AndEveryCountFitTheFile) {
    EXPECT_TRUE(loads(withVersion("0460")));
    EXPECT_FALSE(loads(withVersion("0461")));
    std::vector<uint8_t> bytes = withVersion("0460");
    // Header, "sample", 0x1B, read points: the label count follows at 8 + 6 + 1 + 4.
    const size_t labelCount = 19;
    ASSERT_EQ(bytes[labelCount], 2);
    bytes[labelCount + 3] = 0x40;  // a count far past the file
    EXPECT_FALSE(loads(bytes));
    // A file cut anywhere before its code is refused.
    const std::vector<uint8_t> whole = withVersion("0460");
    const size_t codeStart = whole.size() - assembled(kSample).code.size();
    for (size_t n = 0; n < codeStart; ++n) EXPECT_FALSE(loads({whole.begin(), whole.begin() + n})) << n;
}

TEST(ScriptFile, LabelsAndTheIndexTableAnswerByNameAndTag) {
    const G2ScriptImage image = assembled(kSample);
    const std::vector<uint8_t> bytes = scriptFileBytes(image);
    TMemoryStream in(const_cast<uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
    TScript script;
    ASSERT_TRUE(script.load("a.g2", in));
    EXPECT_EQ(script.findLabel("START"), 0);
    EXPECT_EQ(script.findLabel("sub"), image.labels[1].second);
    EXPECT_EQ(script.findLabel("start"), -1);  // names are compared byte for byte
    EXPECT_EQ(script.getIndexOffset(0), static_cast<int32_t>(image.code.size()) - 5);
    EXPECT_EQ(script.getIndexOffset(1), -1);  // the table's length
    EXPECT_EQ(script.getIndexOffset(-1), -1);
    EXPECT_EQ(script.readPoints(), 4);
}

TEST(ScriptFile, AssemblerDisassemblerAssemblerIsByteIdentical) {
    const G2ScriptImage first = assembled(kSample);
    const std::string text = disassembleScript(first);
    const G2ScriptImage second = assembled(text);
    EXPECT_EQ(scriptFileBytes(first), scriptFileBytes(second)) << text;
    EXPECT_EQ(disassembleScript(second), text);
    // Code that is no whole instruction survives as raw bytes.
    G2ScriptImage odd = first;
    odd.code.push_back(kOpPushInt);
    odd.code.push_back(1);
    odd.labels.emplace_back("inside", 2);  // not an instruction start
    EXPECT_EQ(scriptFileBytes(assembled(disassembleScript(odd))), scriptFileBytes(odd));
}

TEST(ScriptFile, TheAssemblerReportsTheLineOfAFault) {
    G2ScriptImage image;
    std::string error;
    EXPECT_FALSE(assembleScript("push 1\njmp nowhere\n", image, error));
    EXPECT_EQ(error, "line 2: undefined symbol nowhere");
    EXPECT_FALSE(assembleScript("push\n", image, error));
    EXPECT_EQ(error, "line 1: wrong number of operands");
    EXPECT_FALSE(assembleScript("text \"open\n", image, error));
    EXPECT_FALSE(assembleScript("a:\na:\n", image, error));
}

TEST(ScriptBank, ThreadsShareAScriptUntilTheLastChildGoes) {
    TScriptBank bank;
    ScriptFiles files;
    files.add("a.g2", kSample);
    files.install(bank);
    TScriptChild* one = bank.getScript("a.g2");
    TScriptChild* two = bank.getScript("a.g2");
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->script(), two->script());
    EXPECT_EQ(files.opens, 1);
    one->seek(5);
    EXPECT_EQ(two->tell(), 0u);  // each child keeps its own position
    bank.release(one);
    EXPECT_EQ(bank.size(), 1u);
    bank.release(two);
    EXPECT_EQ(bank.size(), 0u);
    TScriptChild* three = bank.getScript("a.g2");
    EXPECT_EQ(files.opens, 2);
    EXPECT_EQ(bank.getScript("A.g2"), nullptr);  // letter case counts
    bank.release(three);
    // A read-point count that the code cannot hold asks for a table no larger than the code.
    std::vector<int32_t> asked;
    bank.setReadCheckSource([&](const std::string&, int32_t n) {
        asked.push_back(n);
        return nullptr;
    });
    files.add("big.g2", ".readpoints 2000000000\n text \"a\"\n");
    files.add("small.g2", ".readpoints 3\n text \"a\"\n");
    bank.release(bank.getScript("big.g2"));
    bank.release(bank.getScript("small.g2"));
    EXPECT_EQ(asked, (std::vector<int32_t>{6, 3}));
}

TEST(ScriptBank, AThreadsScriptSavesByNameAndPosition) {
    TScriptBank bank;
    ScriptFiles files;
    files.add("a.g2", kSample);
    files.install(bank);
    TScriptChild* child = bank.getScript("a.g2");
    child->seek(9);
    TMemoryStream saved;
    {
        TValueExchange x(&saved, true);
        exchangeScriptChild(x, child, bank);
    }
    saved.seek(0, 0);
    TScriptChild* loaded = nullptr;
    {
        TValueExchange x(&saved, false);
        exchangeScriptChild(x, loaded, bank);
    }
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->tell(), 9u);
    EXPECT_EQ(loaded->script(), child->script());
    bank.release(loaded);
    bank.release(child);
    // A save naming a script that cannot be loaded any more is the exchange error.
    files.files.clear();
    saved.seek(0, 0);
    TScriptChild* none = nullptr;
    TValueExchange x(&saved, false);
    EXPECT_EQ(errorCode([&] { exchangeScriptChild(x, none, bank); }), kG2ErrExchange);
}
