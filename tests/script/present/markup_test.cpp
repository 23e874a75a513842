// The markup parser and the attribute record, in their own terms.
#include <gtest/gtest.h>

#include <random>

#include "doc_fixture.h"
#include "script/present/doc/doc_markup.h"

using namespace present;
using doctest::sj;

namespace {

// Every call as a line of text, so two parses can be compared whole.
class Recorder : public MarkupTarget {
public:
    std::string log;
    void putChar(uint32_t c) override { log += "c" + std::to_string(c) + ";"; }
    void newLine() override { log += "n;"; }
    void pageMark() override { log += "p;"; }
    void pushRuby(const std::string& t) override { log += "r(" + t + ");"; }
    void setLetterSpacing(int32_t v) override { log += "w" + std::to_string(v) + ";"; }
    void setLineHeight(int32_t v) override { log += "h" + std::to_string(v) + ";"; }
    void setX(int32_t v) override { log += "x" + std::to_string(v) + ";"; }
    void setY(int32_t v) override { log += "y" + std::to_string(v) + ";"; }
    void setIndentHead(const std::string& t) override { log += "t(" + t + ");"; }
    void setIndentTail(const std::string& t) override { log += "T(" + t + ");"; }
    void setBold(bool on) override { log += on ? "b;" : "B;"; }
    void setItalic(bool on) override { log += on ? "i;" : "I;"; }
    void setShadow(bool on) override { log += on ? "a;" : "A;"; }
    void setEdge(bool on) override { log += on ? "g;" : "G;"; }
    void setUnderline(bool on) override { log += on ? "u;" : "U;"; }
    void setAntialias(bool on) override { log += on ? "l;" : "L;"; }
    void setColor(uint32_t v) override { log += "c=" + std::to_string(bgrToArgb(v)) + ";"; }
    void setBkColor(uint32_t v) override { log += "k=" + std::to_string(bgrToArgb(v)) + ";"; }
    void setFontSize(int32_t v) override { log += "s" + std::to_string(v) + ";"; }
    void setFont(const std::string& f) override { log += "f(" + f + ");"; }
    void addVoiceMark(const std::string& n) override { log += "v(" + n + ");"; }
    void setTextInterval(int32_t v) override { log += "m" + std::to_string(v) + ";"; }
    void setTextIntervalEnable(bool on) override { log += on ? "Q;" : "q;"; }
};

std::string run(const std::string& text, size_t* consumed = nullptr) {
    Recorder r;
    MarkupResult res = parseMarkup(text, r);
    if (consumed) *consumed = res.consumed;
    return r.log;
}

// Parses pieces as a frame does: what was not consumed is read again with the next piece.
std::string runSplit(const std::string& text, std::mt19937& rng) {
    Recorder r;
    std::string buffer;
    size_t pos = 0;
    for (size_t at = 0; at < text.size();) {
        size_t n = std::min<size_t>(text.size() - at, 1 + rng() % 5);
        buffer += text.substr(at, n);
        at += n;
        pos += parseMarkup(buffer.substr(pos), r).consumed;
    }
    return r.log;
}

}  // namespace

TEST(Markup, ParsesTheSameHoweverTheBytesAreSplit) {
    std::mt19937 rng(26);
    for (int round = 0; round < 400; ++round) {
        const std::string text = randomMarkup(rng);
        ASSERT_EQ(run(text), runSplit(text, rng)) << round;
    }
}

TEST(Markup, IncompleteMarkupAndLoneLeadBytesAreLeftUnconsumed) {
    size_t consumed = 0;
    EXPECT_EQ(run("ab\\s(1", &consumed), "c97;c98;");
    EXPECT_EQ(consumed, 2u);
    for (std::string tail : {"\\", "\\c:\x01\x02", "\\w\x01", "\\r(abc", "\\x(", "\x82"}) {
        run("a" + tail, &consumed);
        EXPECT_EQ(consumed, 1u) << tail;
    }
}

TEST(Markup, OperandFormsGiveTheTableValues) {
    // Red written either way; blue as raw bytes.
    EXPECT_EQ(run("\\c(0000FF)"), "c=" + std::to_string(0xFFFF0000u) + ";");
    EXPECT_EQ(run(std::string("\\c:\xFF\x00\x00\x00", 7)), "c=" + std::to_string(0xFFFF0000u) + ";");
    EXPECT_EQ(run(std::string("\\c:\x00\x00\xFF\x00", 7)), "c=" + std::to_string(0xFF0000FFu) + ";");
    EXPECT_EQ(run("\\s( -12)\\x(100)\\y:\x40\x9C"), "s-12;x100;y-25536;");
    // m, x and y take no raw form: only the letter goes, the next byte is text.
    EXPECT_EQ(run("\\x5"), "c53;");
    EXPECT_EQ(run("\\r(-x)\\r(a-)"), "r();r(x);r(a);");
    EXPECT_EQ(run("\\b\\B\\q\\Q\\z" + sj("ソ")), "b;B;q;Q;c" + std::to_string(0x835C) + ";");
    EXPECT_EQ(run("\\f()\\v()\\\\\\'"), "c92;c39;");
}

TEST(Attributes, ModifiedOnlyAwayFromTheDefaultsAndSavedAsSixteenBits) {
    TG2DocAttr a;
    EXPECT_FALSE(a.isModified());
    EXPECT_EQ(a.leading(), 9);
    a.fontSize = 25;
    EXPECT_TRUE(a.isModified());
    EXPECT_EQ(getShadowColor(0xFFFFFFFF), 0xFF070707u);
    EXPECT_EQ(getShadowColor(0x80010203), 0x80F0F0F0u);

    a.x = 40000;
    TMemoryStream m;
    {
        TValueExchange x(&m, true);
        a.exchange(x);
    }
    m.seek(0, 0);
    TG2DocAttr b;
    TValueExchange x(&m, false);
    b.exchange(x);
    EXPECT_EQ(b.x, -25536);
    EXPECT_EQ(b.fontSize, 25);
}
