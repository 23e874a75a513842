// Engine errors and warnings: the Shift-JIS tables, the error text, and where warnings go.
#include <gtest/gtest.h>

#include <vector>

#include "platform/codepage.h"
#include "script/engine_texts.h"
#include "script/g2_error.h"

namespace {

std::string sjis(const char* utf8) { return platform::toSjis(utf8); }

class EngineErrorsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setErrorTable(g2texts::errorTable());
        setEngineLogSink([this](const std::string& line) { log.push_back(line); });
    }
    void TearDown() override {
        setErrorTable(nullptr);
        setEngineLogSink(nullptr);
        setWarningHandler(nullptr);
    }
    static std::string textOf(int code, const std::string& arg = {}) {
        try {
            throwG2Error(code, arg);
        } catch (TError& e) {
            return e.text();
        }
        return {};
    }
    std::vector<std::string> log;
};

}  // namespace

TEST_F(EngineErrorsTest, TablesHoldTheirRowsInOrderAsShiftJisBytes) {
    std::vector<uint32_t> codes;
    for (const TErrorEntry* row = g2texts::errorTable(); row->code; ++row) codes.push_back(row->code);
    ASSERT_EQ(codes.size(), 22u);
    EXPECT_EQ(codes[4], 0x1012u);  // between 0x1004 and 0x1005
    EXPECT_EQ(codes[5], 0x1005u);
    int warnings = 0;
    for (const TErrorEntry* row = g2texts::warningTable(); row->code; ++row) ++warnings;
    EXPECT_EQ(warnings, 15);
    // "未実装" and the full-width comma of the CANCEL note, byte for byte.
    EXPECT_EQ(std::string(g2texts::errorTable()[0].message).substr(0, 6), "\x96\xA2\x8E\xC0\x91\x95");
    EXPECT_NE(g2texts::warningBoxTail().find("\x81\x43"), std::string::npos);
    EXPECT_EQ(g2texts::defaultFontFace(), "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E");
}

TEST_F(EngineErrorsTest, ErrorTextTakesTheArgumentIntoItsMessage) {
    EXPECT_EQ(textOf(0x1008, "script.pak\\a0001.g2"),
              sjis("error 1008: スレッド\"script.pak\\a0001.g2\"の読み込みに失敗しました"));
    EXPECT_EQ(textOf(0x2003), sjis("error 2003: システムのリソースが不足しています。"));
    EXPECT_EQ(textOf(0x1012), sjis("error 1012: 不正な変数へのアクセスです"));
    // No row: the argument stands alone; a '%' in it is text.
    EXPECT_EQ(textOf(0x7777, "a%sb"), "error 7777: a%sb");
}

TEST_F(EngineErrorsTest, WarningsAreFormattedLoggedAndBoxedUntilCancel) {
    EXPECT_EQ(formatG2Warning(0x1002, "bg01.png"), sjis("#spr.image で指定された\"bg01.png\"を開くことができません。"));
    EXPECT_EQ(formatG2Warning(0x0fff, "x"), "");

    std::vector<std::string> shown;
    int answer = 1;
    TG2Warnings warnings(
        [&](const std::string& text, const std::string& caption, uint32_t type) {
            EXPECT_EQ(caption, "Product");
            EXPECT_EQ(type, 1u);
            shown.push_back(text);
            return answer;
        },
        "Product");
    setWarningHandler(&warnings);

    reportG2Warning(0x1006, "a.bmp");  // boxes are off when the core is made
    EXPECT_TRUE(shown.empty());
    warnings.showWarnings = true;
    reportG2Warning(0x1006, "b.bmp");  // OK keeps them on
    answer = 2;
    reportG2Warning(0x1006, "c.bmp");  // CANCEL turns them off
    reportG2Warning(0x1006, "d.bmp");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "Error : \n" + formatG2Warning(0x1006, "b.bmp") +
                            sjis("\n\n今後，このメッセージを表示しない場合は，CANCELを押してください。"));
    EXPECT_FALSE(warnings.showWarnings);
    ASSERT_EQ(log.size(), 4u);  // every warning reaches the log, shown or not
    EXPECT_EQ(log[3], "warning 1006: " + formatG2Warning(0x1006, "d.bmp"));
}
