// Laying out a message frame: cells, kinsoku, hanging punctuation, ruby, and the page brought
// back whole from a save.
#include <gtest/gtest.h>

#include <random>

#include "doc_fixture.h"

using namespace present;
using doctest::sj;

namespace {

struct Page : ::testing::Test {
    doctest::TestHost host;
    TG2Doc doc{host};
    TG2DocFrame* frame = nullptr;
    void SetUp() override {
        doc.create();
        frame = doc.getFrame(0);
    }
    // Where the glyph painter put each piece of text, in order.
    std::vector<std::pair<int32_t, int32_t>> spots(size_t from = 0) {
        std::vector<std::pair<int32_t, int32_t>> out;
        for (size_t i = from; i < host.cells.drawn.size(); ++i)
            out.emplace_back(host.cells.drawn[i].x, host.cells.drawn[i].y);
        return out;
    }
};

using P = std::pair<int32_t, int32_t>;

}  // namespace

TEST_F(Page, KinsokuSetsHoldTheirCodePage932Characters) {
    int start = 0, closing = 0, opening = 0;
    for (uint32_t c = 0x8140; c <= 0xFCFC; ++c) {
        start += isLineStartForbidden(c);
        closing += isClosingSubset(c);
        opening += isLineEndForbidden(c);
        if (isClosingSubset(c)) {
            EXPECT_TRUE(isLineStartForbidden(c)) << c;
        }
    }
    EXPECT_EQ(start, 47);
    EXPECT_EQ(closing, 16);
    EXPECT_EQ(opening, 12);
    for (const char* s : {"、", "ゃ", "々", "〟"})
        EXPECT_TRUE(isLineStartForbidden(charCode((const uint8_t*)sj(s).data())));
    EXPECT_TRUE(isLineEndForbidden(0x8780));  // 〝
    EXPECT_EQ(sj("「"), "\x81\x75");
}

TEST_F(Page, ALineBreaksWithTwoCellsLeftAndPunctuationHangsIntoThem) {
    frame->setRect({0, 0, 240, 200});  // ten cells of 24
    frame->appendString(sj("ああああああああ") + sj("あ"));
    EXPECT_EQ(spots().back(), P(0, 9 + 33));

    frame->clearPage();
    size_t from = host.cells.drawn.size();
    frame->appendString(sj("ああああああああ、」あ"));
    auto s = spots(from);
    EXPECT_EQ(s[8], P(192, 9));  // cell 9
    EXPECT_EQ(s[9], P(216, 9));  // cell 10
    EXPECT_EQ(s[10], P(0, 42));
}

TEST_F(Page, AnOpeningBracketKeepsItsNeighbourAndANewLineAfterABreakIsAbsorbed) {
    frame->setRect({0, 0, 240, 200});
    size_t from = host.cells.drawn.size();
    frame->appendString(sj("あああああああ「あ"));  // the bracket leaves two cells
    EXPECT_EQ(spots(from).back(), P(192, 9));
    frame->clearPage();
    from = host.cells.drawn.size();
    frame->appendString(sj("ああああああああ") + "\n" + sj("あ"));
    EXPECT_EQ(spots(from).back(), P(0, 42));
    frame->clearPage();
    from = host.cells.drawn.size();
    frame->appendString(sj("あああああああ「") + "\\n" + sj("あ"));
    EXPECT_EQ(spots(from).back(), P(192, 9));
}

TEST_F(Page, RubyIsCentredAboveItsCharactersAndTheXMarkupMovesThePen) {
    frame->appendString("\\r(" + sj("かん-じ") + ")" + sj("漢字") + "\\x(100)a");
    auto& d = host.cells.drawn;
    ASSERT_EQ(d.size(), 5u);
    EXPECT_EQ(d[0].text, sj("漢"));
    EXPECT_EQ(P(d[1].x, d[1].y), P(3, 0));  // (24 - 4 x 9 / 2) / 2 above 漢
    EXPECT_EQ(d[1].height, 9);
    EXPECT_EQ(P(d[3].x, d[3].y), P(24 + 7, 0));  // じ above 字
    EXPECT_EQ(P(d[4].x, d[4].y), P(100, 9));
    EXPECT_EQ(frame->docNum(), 3);
}

TEST_F(Page, ZeroCellsAndLinesNeverDivideByZero) {
    frame->appendString("\\s(0)" + sj("あいう") + "\\nabc");
    frame->appendFontSize(24);
    frame->appendLetterSpacing(0);
    frame->appendString(sj("あいう"));
    frame->appendLineHeight(0);
    frame->appendNewLine();
    EXPECT_GT(frame->docNum(), 0);
    // Extreme sizes push the pen to the end of its range and no further.
    frame->appendFontSize(32767);
    frame->appendLetterSpacing(32767);
    frame->appendLineHeight(32767);
    for (int i = 0; i < 300; ++i) frame->appendString(sj("あ") + "\\r(" + sj("るび") + ")a");
    EXPECT_EQ(frame->y, INT32_MAX);
    frame->appendLetterSpacing(-32767);
    for (int i = 0; i < 300; ++i) frame->appendString(sj("あ"));
    EXPECT_EQ(frame->x, INT32_MIN);
}

// The same text appended in any pieces draws the same page, and so does a relayout.
TEST_F(Page, AppendsInAnyPiecesAndARelayoutDrawTheSamePixels) {
    std::mt19937 rng(7);
    TG2Doc other(host);
    other.create();
    TG2DocFrame* split = other.getFrame(0);
    for (int round = 0; round < 60; ++round) {
        frame->clearPage();
        split->clearPage();
        std::string text = sj("「吾輩は猫である。」") + randomMarkup(rng) + sj("名前はまだ無い。");
        frame->appendText(text.data(), text.size());
        for (size_t at = 0; at < text.size();) {
            size_t n = std::min<size_t>(text.size() - at, 1 + rng() % 7);
            split->appendText(text.data() + at, n);
            at += n;
        }
        ASSERT_TRUE(doctest::samePixels(frame->surface(), split->surface())) << round;
        ASSERT_EQ(frame->docNum(), split->docNum());
        split->relayout();
        ASSERT_TRUE(doctest::samePixels(frame->surface(), split->surface())) << round;
    }
}

TEST_F(Page, ALoadedPageIsPixelIdenticalAndSavesToTheSameBytes) {
    doc.addSymbolStyle(0x8199, "heart.bmp");  // ☆ drawn from an alpha channel
    frame->appendColor(0x00FF8000);
    frame->appendRuby(sj("ね-こ"));
    frame->appendString(sj("猫☆、「") + "\\s(30)" + sj("吾輩") + "\\b" +
                        sj("は猫である。名前はまだ無い。どこで生れたか"));
    frame->appendVoice("v001");
    doc.setCurrentFrame(3);
    doc.getFrame(3)->setRect({10, 10, 200, 100});
    doc.getFrame(3)->appendString("abc\\s(1");  // ends in unfinished markup
    const std::string bytes = doctest::save(doc);

    doctest::TestHost host2;
    TG2Doc loaded(host2);
    loaded.create();
    loaded.addSymbolStyle(0x8250, "old.bmp");  // a table from before the load does not survive it
    doctest::load(loaded, bytes);
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(doctest::samePixels(doc.getFrame(i)->surface(), loaded.getFrame(i)->surface())) << i;
        EXPECT_EQ(doc.getFrame(i)->area(), loaded.getFrame(i)->area());
    }
    EXPECT_EQ(loaded.currentFrameIndex(), 3);
    EXPECT_EQ(loaded.symbolTable(), "\x81\x99");
    EXPECT_EQ(host2.refs["old.bmp"], 0);
    EXPECT_EQ(loaded.getFrame(0)->voiceMarks(), frame->voiceMarks());
    EXPECT_EQ(doctest::save(loaded), bytes);
    // The unfinished markup completes after the load as it would have before.
    doc.getFrame(3)->appendString("2)x");
    loaded.getFrame(3)->appendString("2)x");
    EXPECT_TRUE(doctest::samePixels(doc.getFrame(3)->surface(), loaded.getFrame(3)->surface()));
    EXPECT_EQ(loaded.getFrame(3)->fontSize, 12);
}

TEST_F(Page, AFrameNumberOutsideTheEightIsRefusedAndLoadedAsZero) {
    EXPECT_FALSE(doc.setCurrentFrame(8));
    EXPECT_FALSE(doc.setCurrentFrame(-1));
    std::string bytes = doctest::save(doc);
    bytes[2] = 9;  // "FrameNo" right after the section tag
    doctest::load(doc, bytes);
    EXPECT_EQ(doc.currentFrameIndex(), 0);
}
