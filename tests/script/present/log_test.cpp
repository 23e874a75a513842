// The backlog: what it records, where its units begin, how the view scrolls, its capacity, and
// the document around it.
#include <gtest/gtest.h>

#include "doc_fixture.h"

using namespace present;
using doctest::sj;

namespace {

struct Backlog : ::testing::Test {
    doctest::TestHost host;
    TG2Doc doc{host};
    TG2DocFrame* frame = nullptr;
    TG2DocLog* log = nullptr;
    void SetUp() override {
        doc.create();
        frame = doc.getFrame(0);
        log = doc.getLog();
        log->mode = 3;  // recording, plain
    }
};

}  // namespace

TEST_F(Backlog, NothingIsRecordedUntilTheScriptSetsBitZero) {
    log->mode = 6;
    frame->appendString(sj("あいう"));
    EXPECT_TRUE(log->text().empty());
    log->mode = 3;
    frame->appendString(sj("え"));
    EXPECT_EQ(log->text(), sj("え"));
}

TEST_F(Backlog, PlainUnitsAreLinesAndAPageChangeShowsAsASpace) {
    frame->appendString(sj("あいう"));
    frame->clearPage();
    frame->appendString(sj("えお") + "\\n\\n" + sj("か"));
    // The page, the page mark's space, the next page's first line; the empty line adds none.
    EXPECT_EQ(log->unitStarts().size(), 3u);
    EXPECT_EQ(log->text().substr(0, 11), sj("あいう") + "\\p \\p");

    const size_t from = host.cells.drawn.size();
    log->openView();
    std::vector<int32_t> rows;
    for (size_t i = from; i < host.cells.drawn.size(); ++i)
        if (rows.empty() || rows.back() != host.cells.drawn[i].y) rows.push_back(host.cells.drawn[i].y);
    EXPECT_EQ(rows, (std::vector<int32_t>{9, 9 + 33, 9 + 66, 9 + 99}));
    EXPECT_EQ(host.cells.drawn.back().text, sj("か"));
}

TEST_F(Backlog, ScrollingIsClampedAtBothEnds) {
    host.screen = {800, 32 + 16 + 4 * 33};  // four lines of 33 in the view
    log->reset();
    log->mode = 3;
    for (int i = 0; i < 10; ++i) frame->appendString(sj("あ") + "\\n");
    frame->appendString(sj("い"));
    ASSERT_EQ(log->unitStarts().size(), 10u);
    ASSERT_EQ(log->visibleUnits(), 4);
    doc.openLogView();
    EXPECT_TRUE(log->scroll(-100));
    EXPECT_EQ(log->scrollPos(), 7);
    EXPECT_FALSE(log->scroll(-1));
    EXPECT_TRUE(log->scroll(100));
    EXPECT_EQ(log->scrollPos(), 0);
    EXPECT_FALSE(log->scroll(1));
    EXPECT_TRUE(log->scroll(0));
    EXPECT_EQ(host.cells.drawn.back().text, sj("い"));
}

TEST_F(Backlog, CapacityKeepsTheNewestUnitsWithTheirStartsShifted) {
    log->capacity = 5;
    for (int i = 0; i < 40; ++i) frame->appendString(std::to_string(i) + "\\n");
    EXPECT_EQ(log->unitStarts().size(), 4u);
    EXPECT_EQ(log->text(), "36\\n37\\n38\\n39\\n");
    EXPECT_EQ(log->unitStarts(), (std::vector<int32_t>{4, 8, 12, 16}));
    EXPECT_EQ(log->lastPos(), 16);
    // Measuring goes on from where the trimmed text ends.
    frame->appendString("40");
    log->trim(0);
    EXPECT_TRUE(log->text().empty());
    EXPECT_EQ(log->docNum(), 0);
}

TEST_F(Backlog, FormattedPagesKeepTheirAttributesButNotTheirColours) {
    log->mode = 5;
    frame->appendString("\\s(30)\\c(0000FF)\\g" + sj("赤い頁"));
    frame->clearPage();
    frame->appendString(sj("次"));
    ASSERT_EQ(log->unitStarts().size(), 1u);
    ASSERT_EQ(log->pageAttrs().size(), 2u);
    EXPECT_EQ(log->pageAttrs()[1].fontSize, 30);
    doc.openLogView();  // the newest page: "次"
    EXPECT_EQ(host.cells.drawn.back().height, 30);
    EXPECT_EQ(log->fontSize, 30);
    EXPECT_EQ(log->color, 0xFFFFFFFFu);
    EXPECT_EQ(log->testFontAttr(TextAttr::kEdge), 0u);
}

TEST_F(Backlog, ALoadRemeasuresTheHistoryAndTheViewOpensAtTheNewest) {
    for (int i = 0; i < 12; ++i) frame->appendString(sj("行") + std::to_string(i) + "\\n");
    const auto starts = log->unitStarts();
    const std::string bytes = doctest::save(doc);
    doctest::TestHost host2;
    TG2Doc loaded(host2);
    loaded.create();
    doctest::load(loaded, bytes);
    EXPECT_EQ(loaded.getLog()->unitStarts(), starts);
    EXPECT_EQ(loaded.getLog()->mode, 3u);
    loaded.openLogView();
    doc.openLogView();
    EXPECT_TRUE(doctest::samePixels(log->surface(), loaded.getLog()->surface()));
}

TEST_F(Backlog, AResetGivesTheLogItsSurfaceThroughTheRectangleSetter) {
    host.screen = {640, 480};
    doc.reset();
    ASSERT_NE(log->surface(), nullptr);
    EXPECT_EQ(log->surface()->width(), 640 - 48);
    EXPECT_EQ(doc.getFrame(0)->area(), (graphics::RECT{24, 320, 600, 456}));
    EXPECT_TRUE(doc.getFrame(1)->area().empty());
    // A zero line height still shows one unit at a time.
    log->appendLineHeight(0);
    log->lh = 0;
    EXPECT_EQ(log->visibleUnits(), 1);
}

TEST_F(Backlog, TheViewPausesOnceAndTheShownFlagOnlyHides) {
    doc.openLogView();
    doc.openLogView();
    EXPECT_EQ(host.pauses[2], 1);
    EXPECT_TRUE(doc.scrollLogView(0));
    doc.closeLogView();
    doc.closeLogView();
    EXPECT_EQ(host.pauses[2], 0);
    EXPECT_FALSE(doc.scrollLogView(0));

    frame->setVisible(255);
    frame->appendString(sj("あ"));
    graphics::TGrTableObj table;
    table.create(800, 600, 256);
    doc.setTextShown(false);
    doc.draw(table);
    EXPECT_EQ(frame->sprite().getOpacity(), 0u);
    doc.setTextShown(true);
    doc.draw(table);
    EXPECT_EQ(frame->sprite().getOpacity(), 255u);
    EXPECT_EQ(table.getLayer(200)->size(), 2u);

    EXPECT_TRUE(doc.addSymbolStyle(0x8199, "a.bmp"));
    EXPECT_FALSE(doc.addSymbolStyle(0x8199, "b.bmp"));
    EXPECT_EQ(host.refs["a.bmp"], 1);
    EXPECT_EQ(host.refs.count("b.bmp"), 0u);
    doc.reset();
    EXPECT_EQ(host.refs["a.bmp"], 0);
}
