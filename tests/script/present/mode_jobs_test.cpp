// The button jobs beside the message window, driven by the mouse and keys over assembled
// stories: automatic advance and skipping switched on and off, the window hidden and brought
// back, the backlog paged and a logged voice heard again, and the sub-menu calling its host.
#include "script/present/jobs/log_view_job.h"
#include "script/present/jobs/mode_jobs.h"
#include "sound_job_fixture.h"

using namespace soundjobs;
using present::TGrCtrlButton;

namespace {

constexpr uint32_t kLeft = 0x10000000;
const std::string kIdle = "@idle:\n cmd 0x1101, 1000\n jmp @idle\n";

std::vector<std::string> buttonStems() {
    std::vector<std::string> stems = {"txauto", "txauto_stop", "txskip", "txskip_stop", "txoff",  "lgon",   "lgup",
                                      "lgdown", "lgoff",       "lgskip", "lgvoice",     "smsave", "smload", "smcfg"};
    for (int i = 1; i <= 8; ++i) stems.push_back("smbtn" + std::to_string(i));
    return stems;
}

int hostCalls[4] = {};
int hostCallCount = 0;

class ModeJobTest : public SoundJobTest {
protected:
    void SetUp() override {
        SoundJobTest::SetUp();
        uint32_t colour = 0xFF102030u;
        for (const std::string& stem : buttonStems())
            for (const char* state : {"", "_on", "_disable", "_over"}) {
                const std::string name = stem + state;
                store.texts["data\\" + name + ".as"] = "0 i " + name + ".bmp 0 0\r\n";
                store.pictures["data\\" + name + ".bmp"] = {40, 20, colour += 0x010101};
            }
        hostCallCount = 0;
        engine.setCallback(
            [](int a, int b, void* data, void*) {
                hostCalls[0] = a, hostCalls[1] = b;
                hostCalls[2] = data && b == 1 ? *static_cast<int32_t*>(data) : -1;
                ++hostCallCount;
                return 0;
            },
            nullptr);
    }
    // The message window at the bottom of the 640 x 480 screen, the backlog over the whole.
    TG2Core& story(const std::string& text) {
        TG2Core& core = start(text);
        engine.document().getFrame(0)->setRect({0, 380, 640, 480});
        engine.document().getLog()->setRect({0, 0, 640, 480});
        engine.document().getLog()->mode = 3;
        engine.document().getLog()->setVisible(255);
        return core;
    }
    // A press on the button's middle, and the release a frame later.
    void clickOn(const TGrCtrlButton& b) {
        const graphics::RECT r = b.getRect();
        host.state.mouseX = (r.left + r.right) / 2;
        host.state.mouseY = (r.top + r.bottom) / 2;
        frame();
        host.state.words[0] = host.state.words[1] = kLeft;
        host.state.words[2] = kLeft;
        frame();
        host.state.words[0] = host.state.words[1] = 0;
        host.state.words[3] = kLeft;
        frame();
    }
    void key(uint32_t bits) {
        host.state.words[3] = bits;
        frame();
    }
    template <class Job>
    Job& job(int32_t code) {
        return *dynamic_cast<Job*>(engine.core()->standingJob(code));
    }
};

}  // namespace

TEST_F(ModeJobTest, AutoAndSkipButtonsSwitchTheirModesAndAClickStopsSkipping) {
    TG2Core& core =
        story("START:\n text \"one\"\n cmd 0x101f, 1, 0x12, 0, -20\n cmd 0x101f, 2, 0x12, 40, -20\n" + kIdle);
    auto& skip = job<present::TTextSkipDwarf>(kJobTextSkip);
    auto& autoText = job<present::TTextAutoDwarf>(kJobTextAuto);
    frame();
    frame();
    // Placed at the frame's right edge, above its top.
    EXPECT_EQ(skip.button(0).getPos(), (graphics::POINT{640 - 40, 380 - 20}));
    EXPECT_TRUE(skip.button(0).isVisible());
    EXPECT_FALSE(skip.button(1).isVisible());
    EXPECT_FALSE(skip.button(0).isEnabled()) << "skipping is suspended until the script allows it";
    core.setSuspendSkip(~0u, false);
    clickOn(autoText.button(0));
    EXPECT_TRUE(engine.status().autoText);
    frame();
    EXPECT_TRUE(autoText.button(1).isVisible());
    clickOn(autoText.button(1));
    EXPECT_FALSE(engine.status().autoText);
    clickOn(skip.button(0));
    EXPECT_TRUE(engine.status().skipMessage);
    // Any click while skipping stops it; the buttons stay away until the button is let go.
    host.state.words[0] = kLeft;
    host.state.words[2] = kLeft;
    frame();
    EXPECT_FALSE(engine.status().skipMessage);
    frame();
    EXPECT_FALSE(skip.button(0).isVisible());
    host.state.words[0] = 0;
    frame();
    frame();
    EXPECT_TRUE(skip.button(0).isVisible());
    // The backlog open: neither shows.
    engine.document().openLogView();
    frame();
    EXPECT_FALSE(autoText.button(0).isVisible());
    EXPECT_FALSE(skip.button(0).isVisible());
}

TEST_F(ModeJobTest, TheWindowHidesByKeyButtonOrLeavingMouseAndTheScriptStandsStillMeanwhile) {
    engine.status().textOff = 7;
    TG2Core& core = story(
        "START:\n text \"one\"\n cmd 0x101f, 0, 0x22, 0, 0\n"
        " cmd 0x1101, 200\n cmd 0x1601, 1, \"fx.wav\"\n" +
        kIdle);
    auto& off = job<present::TTextOffDwarf>(kJobTextOff);
    frame();
    frame();
    EXPECT_TRUE(off.button().isVisible());
    key(0x200);
    EXPECT_TRUE(off.isOff());
    EXPECT_TRUE(core.isPausedBy(3));
    EXPECT_FALSE(engine.document().isTextShown());
    frame(500);
    EXPECT_FALSE(engine.desk().channel(1)->isPlaying()) << "paused: the wait does not run on";
    // The next release brings it back and is used up.
    key(kLeft);
    EXPECT_FALSE(off.isOff());
    EXPECT_EQ(host.state.words[3], 0u);
    // The mouse leaving the window (seen through the window's own events) hides it until it is back.
    host.state.mouseInWindow = false;
    frame();
    EXPECT_TRUE(off.isOff());
    frame();
    host.state.mouseInWindow = true;
    frame();
    EXPECT_FALSE(off.isOff());
    // Full screen: the last row hides it, one row up shows it again.
    host.fullScreen = true;
    host.state.mouseY = 479;
    frame();
    EXPECT_TRUE(off.isOff());
    host.state.mouseY = 478;
    frame();
    EXPECT_FALSE(off.isOff());
    host.fullScreen = false;
    clickOn(off.button());
    EXPECT_TRUE(off.isOff());
    key(kLeft);
    for (int i = 0; i < 20; ++i) frame();
    EXPECT_TRUE(engine.desk().channel(1)->isPlaying());
}

TEST_F(ModeJobTest, TheBacklogPagesBackAndForthAndItsVoiceButtonIsHeardAgain) {
    story(
        "START:\n cmd 0x1620, \"voice.wav\", 0x10\n text \"first\"\n cmd 0x1101, 50\n cmd 0x1002\n"
        " cmd 0x1620, \"voice.wav\"\n text \"second\"\n cmd 0x1101, 50\n cmd 0x1002\n"
        " text \"third\"\n" +
        kIdle);
    auto& view = job<present::TLogViewDwarf>(kJobLogView);
    for (int i = 0; i < 12; ++i) frame(), device.pump(4410);
    present::TG2Doc& doc = engine.document();
    ASSERT_GE(doc.getLog()->docNum(), 1);
    EXPECT_FALSE(view.button(0).isVisible()) << "the open button is not placed after a reset";
    // The first turn of the wheel only opens the view; paused meanwhile.
    host.state.wheel = 1;
    frame();
    EXPECT_TRUE(doc.isLogViewOpen());
    EXPECT_TRUE(engine.core()->isPausedBy(2));
    EXPECT_TRUE(view.button(1).isVisible());
    ASSERT_FALSE(view.voiceButtons().empty());
    // The voice button plays its voice again, through the mixer, and does not page.
    engine.desk().voice()->stop();
    device.pump(4410);
    EXPECT_NEAR(level(), 0.0, 0.001);
    const std::string before = doc.getCurrentFrame()->text();
    clickOn(*view.voiceButtons().front());
    EXPECT_TRUE(doc.isLogViewOpen());
    EXPECT_NEAR(level(), 1.0, 0.02);
    EXPECT_EQ(doc.getCurrentFrame()->text(), before) << "no mark in the message window";
    // Paging forward past the end closes the view.
    for (int i = 0; i < 10 && doc.isLogViewOpen(); ++i) key(0x80);
    EXPECT_FALSE(doc.isLogViewOpen());
    EXPECT_FALSE(engine.core()->isPausedBy(2));
    // The back key opens it; the to-the-end button runs forward once a frame until it closes.
    key(0x40);
    ASSERT_TRUE(doc.isLogViewOpen());
    clickOn(view.button(3));
    for (int i = 0; i < 10 && doc.isLogViewOpen(); ++i) frame();
    EXPECT_FALSE(doc.isLogViewOpen());
    // While a text-off hides the window no log button shows.
    engine.core()->pause(3);
    frame();
    EXPECT_FALSE(view.button(0).isVisible());
    engine.core()->resume(3);
}

TEST_F(ModeJobTest, AClickOnAWindowButtonIsTheButtonsAloneAndTheTextWaitsOn) {
    engine.textJobs = true;
    story(
        "START:\n cmd 0x1281, 1\n cmd 0x1282, 3, 0x21, 0, 0\n cmd 0x101f, 2, 0x22, 0, 0\n"
        " text \"one\"\n cmd 0x1104\n text \"two\"\n cmd 0x1104\n" +
        kIdle);
    auto& menu = job<present::TSubmenuDwarf>(kJobSubmenu);
    auto& autoText = job<present::TTextAutoDwarf>(kJobTextAuto);
    for (int i = 0; i < 5; ++i) frame();
    const auto shown = [&] { return engine.document().getFrame(0)->text(); };
    ASSERT_NE(shown().find("one"), std::string::npos);
    clickOn(menu.button(3));
    EXPECT_EQ(hostCallCount, 1);
    clickOn(autoText.button(0));
    EXPECT_TRUE(engine.status().autoText);
    clickOn(autoText.button(1));
    EXPECT_FALSE(engine.status().autoText);
    for (int i = 0; i < 5; ++i) frame();
    EXPECT_EQ(shown().find("two"), std::string::npos) << "the clicks went to the buttons alone";
    host.state.mouseX = 300, host.state.mouseY = 200;
    host.state.words[2] = kLeft;
    for (int i = 0; i < 5; ++i) frame();
    EXPECT_NE(shown().find("two"), std::string::npos) << "a click beside them goes on";
}

TEST_F(ModeJobTest, SubMenuButtonsFollowTheRecordStateAndCallTheHost) {
    TG2Core& core = story(
        "START:\n text \"one\"\n cmd 0x1281, 1\n cmd 0x1282, 0, 0x22, 0, 0\n"
        " cmd 0x1282, 1, 0x22, -40, 0\n cmd 0x1282, 6, 0x21, 0, 0\n cmd 0x1282, 11, 0x21, 0, 0\n" +
        kIdle);
    auto& menu = job<present::TSubmenuDwarf>(kJobSubmenu);
    core.setRecordEnabled(2);
    frame();
    frame();
    EXPECT_FALSE(menu.button(0).isEnabled());
    EXPECT_TRUE(menu.button(1).isEnabled());
    EXPECT_FALSE(menu.button(2).isVisible()) << "not placed";
    clickOn(menu.button(6));
    EXPECT_EQ(hostCallCount, 1);
    EXPECT_EQ(hostCalls[0], 4);
    EXPECT_EQ(hostCalls[1], 1);
    EXPECT_EQ(hostCalls[2], 3);
    core.setRecordEnabled(0);
    frame();
    EXPECT_FALSE(menu.button(1).isEnabled());
    core.setSubmenuEnabled(false);
    frame();
    EXPECT_FALSE(menu.button(6).isEnabled());
    // Placements go into a save and come back.
    const std::string saved = save();
    load(saved);
    EXPECT_EQ(save(), saved);
    frame();
    EXPECT_TRUE(menu.button(6).isVisible());
    EXPECT_EQ(menu.button(1).getPos(), (graphics::POINT{640 - 40 - 40, 480 - 20}));
}

TEST_F(ModeJobTest, AutoAdvancesPagesOnItsOwnAndSkipRunsThroughReadTextUpToTheUnread) {
    engine.textJobs = true;
    story(
        ".readpoints 3\nSTART:\n cmd 0x101f, 1, 0x12, 0, -20\n cmd 0x101f, 2, 0x12, 40, -20\n"
        "@loop:\n pos 0\n text \"one\"\n cmd 0x1104\n pos 1\n text \"two\"\n cmd 0x1104\n"
        " vi0 0\n push 1\n setadd\n pop\n vi0 0\n push 2\n eq\n jz @loop\n"
        " pos 2\n text \"three\"\n cmd 0x1104\n cmd 0x1601, 1, \"fx.wav\"\n" +
        kIdle);
    auto& skip = job<present::TTextSkipDwarf>(kJobTextSkip);
    auto& autoText = job<present::TTextAutoDwarf>(kJobTextAuto);
    engine.core()->setSuspendSkip(~0u, false);
    frame();
    frame();
    clickOn(autoText.button(0));
    ASSERT_TRUE(engine.status().autoText);
    // The first lap reads both pages without a click, each after its time-out (80 ms a
    // character and 300 ms): the second page stands at least 540 ms.
    uint32_t lap = 0, second = 0;
    for (; lap < 5000 && engine.memory()->getInt(0, 0) < 1; lap += 20) {
        frame(20);
        if (!second && engine.document().getFrame(0)->text().find("two") != std::string::npos) second = lap;
    }
    EXPECT_GT(second, 0u);
    EXPECT_GE(lap - second, 540u);
    EXPECT_LT(lap, 5000u);
    clickOn(autoText.button(1));
    EXPECT_FALSE(engine.status().autoText);
    // The second lap, read before, is skipped through in a few frames; the unread page stops
    // skipping by itself and the skip button comes back.
    clickOn(skip.button(0));
    EXPECT_TRUE(engine.status().skipMessage);
    int frames = 0;
    for (; frames < 100 && engine.memory()->getInt(0, 0) < 2; ++frames) frame();
    EXPECT_LT(frames, 20);
    for (int i = 0; i < 10; ++i) frame();
    EXPECT_FALSE(engine.status().skipMessage);
    EXPECT_TRUE(skip.button(0).isVisible());
    EXPECT_FALSE(engine.desk().channel(1)->isPlaying()) << "the unread page waits for its click";
    host.state.mouseX = host.state.mouseY = 5;  // off the skip button, which would take the press
    host.state.words[2] = kLeft;
    for (int i = 0; i < 5; ++i) frame();
    EXPECT_TRUE(engine.desk().channel(1)->isPlaying());
}
