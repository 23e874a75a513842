// The document in the engine's place: the script's text reaches the real frames, the engine
// reads the pen back, a save through the engine's interface brings the pages back, and a story
// run in the game's engine shows its window, bold lines, symbols and backlog as a player sees them.
#include <gtest/gtest.h>

#include "doc_fixture.h"
#include "present_fixture.h"
#include "script/present/doc/engine_doc.h"
#include "script/present/jobs/text_jobs.h"
#include "story_fixture.h"

using namespace present;
using doctest::sj;

TEST(EngineDocAdapter, TheScriptsTextIsLaidOutInTheRealFrameAndComesBackFromASave) {
    TG2Engine engine;
    engine.status().font = sj("ＭＳ 明朝");
    EngineDocAdapter doc(engine);
    ASSERT_TRUE(doc.create());
    doc.setCurrentFrame(2);
    doc.real().getFrame(2)->setRect({0, 0, 400, 100});
    doc.currentFrame()->putText(sj("麻雀"));
    doc.currentFrame()->newLine();
    doc.currentFrame()->putText("ab");
    EXPECT_EQ(doc.real().getFrame(2)->text(), sj("麻雀") + "\\nab");
    EXPECT_EQ(doc.currentFrame()->penX(), 24);
    EXPECT_EQ(doc.currentFrame()->penY(), 9 + 33);
    EXPECT_EQ(doc.real().getFrame(2)->mainFont().face, sj("ＭＳ 明朝"));
    doc.currentFrame()->setVisible(255);
    EXPECT_EQ(doc.real().getFrame(2)->blend, 255);
    doc.setCurrentFrame(9);  // refused
    EXPECT_EQ(doc.currentFrameIndex(), 2);

    TMemoryStream m;
    {
        TValueExchange x(&m, true);
        doc.exchange(x);
    }
    m.seek(0, 0);
    EngineDocAdapter loaded(engine);
    ASSERT_TRUE(loaded.create());
    TValueExchange x(&m, false);
    loaded.exchange(x);
    EXPECT_EQ(loaded.currentFrameIndex(), 2);
    EXPECT_EQ(loaded.currentFrame()->text(), doc.currentFrame()->text());
    EXPECT_TRUE(doctest::samePixels(doc.real().getFrame(2)->surface(), loaded.real().getFrame(2)->surface()));
    loaded.term();
    EXPECT_EQ(loaded.currentFrame(), nullptr);
}

// What a player sees of the document when a story runs in the game's engine.
namespace {

using namespace present::testing;

class DocStory : public StoryTest {
protected:
    DocStory() { engine.realGraphic = true; }
    TG2Doc& doc() { return engine.docPart()->real(); }
    TG2DocFrame& frame0() { return *doc().getFrame(0); }
    // Frame 0 where the tests look at it, shown.
    static constexpr const char* kWindow = "START:\n cmd 0x1011, 0, 400, 600, 180\n cmd 0x1021\n";
    // The lines on frame 0 shown there, then a long wait; the frames given run.
    TG2Core& show(const std::string& lines, int frames = 3) {
        TG2Core& core = start(std::string(kWindow) + lines + "\n cmd 0x1101, 100000\n");
        for (int i = 0; i < frames; ++i) frame();
        return core;
    }
    // The pixels of a page more than half opaque, in a rectangle of it.
    static int ink(const graphics::TSurface32& page, int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += (page.getPixel(x, y) >> 24) > 0x80;
        return n;
    }
    present::testing::PictureStore store;
};

// Whatever hides the window: a menu, a sprite change and the hide command, with the frame's
// groups as they are by default and with its groups 2-16 cleared.
struct Hider {
    const char* lines;
    bool hiddenOutsideItsGroup;
};
class WindowGroups : public DocStory, public ::testing::WithParamInterface<std::tuple<Hider, bool>> {};

TEST_P(WindowGroups, TheWindowHidesWhenItsGroupIsHidden) {
    const auto [hider, groupsCleared] = GetParam();
    store.pictures["a.bmp"] = {8, 8, 0xFF00FF00u};
    show((groupsCleared ? " cmd 0x101e, 0\n " : " ") + std::string(hider.lines));
    EXPECT_EQ(frame0().blend, !groupsCleared || hider.hiddenOutsideItsGroup ? 0 : 255) << hider.lines;
}

INSTANTIATE_TEST_SUITE_P(
    MenuSpriteAndHide, WindowGroups,
    ::testing::Combine(::testing::Values(Hider{"cmd 0x1186\n cmd 0x1187, 1, \"a\"\n cmd 0x1188\n tag 0", false},
                                         Hider{"cmd 0x1501, 5, \"a.bmp\", 0, 0, 1", false}, Hider{"cmd 0x1040", true}),
                       ::testing::Bool()));

TEST_F(DocStory, TheGroupsAreSavedAndAResetGivesTheDefault) {
    TG2Core& core = show(" cmd 0x101e, 6", 1);
    EXPECT_EQ(frame0().visibleMode, 0x21u | 6u);
    const std::string saved = savedBytes(core);
    engine.reset();
    EXPECT_EQ(frame0().visibleMode, 63u);
    loadBytes(engine, saved);
    EXPECT_EQ(frame0().visibleMode, 0x21u | 6u);
}

// The frame's own picture of a page: a bold line and the same line plain differ, and the bold
// one comes back the same from a save.
TEST_F(DocStory, ABoldLineStaysBoldAfterASaveAndALoad) {
    TG2Core& core = show(" cmd 0x1026\n cmd 0x1012\n text \"Bold\"\n cmd 0x1013\n cmd 0x1001\n text \"Bold\"");
    const graphics::TSurface32& page = *frame0().surface();
    // The two lines' ink: the bold one has more.
    const int lh = frame0().lineAdvance(), top = frame0().leading() - frame0().fontSize / 4;
    EXPECT_GT(ink(page, 0, top, 200, top + 30), ink(page, 0, top + lh, 200, top + lh + 30) + 20)
        << "the first line is bold";
    const std::string saved = savedBytes(core);
    graphics::TSurface32 before;
    before.createCopy(page);
    loadBytes(engine, saved);
    EXPECT_TRUE(doctest::samePixels(&before, frame0().surface())) << "the page is laid out again as it was";
}

TEST_F(DocStory, ASymbolIsDrawnFromItsPictureInTheTextColour) {
    store.alphas["star.bmp"] = {10, 10, 0xFF};
    TG2Core& core = show(" cmd 0x100d, \"*\", \"star.bmp\"\n cmd 0x100f, 0x00FF00, 0\n cmd 0x1026\n text \"*\"");
    const graphics::TSurface32& page = *frame0().surface();
    const int x = frame0().indent1st + 4, y = frame0().leading() + 4;
    EXPECT_EQ(page.getPixel(x, y), 0xFF00FF00u) << "inside the symbol's square";
    // A load finds the symbol again by its picture's name.
    const std::string saved = savedBytes(core);
    loadBytes(engine, saved);
    ASSERT_NE(doc().findSymbol('*'), nullptr);
    EXPECT_NE(doc().findSymbol('*')->alphaCh, nullptr);
    EXPECT_EQ(frame0().surface()->getPixel(x, y), 0xFF00FF00u);
}

TEST_F(DocStory, TheMessageTextSetsTheTypingIntervalAndItsSwitch) {
    start("START:\n text \"\\\\m(200)a\\\\q\"\n cmd 0x1101, 500\n text \"\\\\Q\"\n cmd 0x1101, 100000\n");
    auto& out = job<present::TTextOutDwarf>(1);
    frame();
    EXPECT_EQ(out.Interval, 200);
    for (int i = 0; i < 30; ++i) frame();  // "a" 200 ms later, then "\\q"
    EXPECT_FALSE(out.IntervalEnable);
    for (int i = 0; i < 40; ++i) frame();  // the wait, then "\\Q"
    EXPECT_TRUE(out.IntervalEnable);
}

// With recording on, the wheel turned away from the player opens the backlog over the page it
// wrote, and the backlog shows that text.
TEST_F(DocStory, AfterTextTheWheelOpensTheBacklogWithThatText) {
    start(std::string(kWindow) + " cmd 0x1080, 7\n cmd 0x1026\n text \"Hello\"\n cmd 0x1103, 0\n");
    for (int i = 0; i < 3; ++i) frame();
    TG2DocLog& log = *doc().getLog();
    EXPECT_EQ(log.text(), "Hello");
    EXPECT_FALSE(doc().isLogViewOpen());
    player.state.wheel = 1;
    frame();
    frame();
    ASSERT_TRUE(doc().isLogViewOpen());
    const graphics::TSurface32& view = *log.surface();
    EXPECT_GT(ink(view, 0, 0, view.width(), view.height()), 50) << "the backlog's page shows the text";
}

}  // namespace
