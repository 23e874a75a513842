// The story as a player meets it, in a real window on an X display of its own (MJ_XDISPLAY), on
// the demo data kit: the message window with its blinking mark, the save page with the thumbnail of a save just made,
// the configuration page, a late line saved and loaded again by every way there is, skipping
// through read lines, the buttons beside the message window, the backlog that the wheel opens over
// the lines read, the choice lit under the pointer when it opens and when the backlog or the
// system page has covered it, and the screen fading to black before the last chapter. Each picture is photographed from
// the X server and held against the frame the game presented; the photographs stay beside the test for people to look
// at (xvfb_story_*.png).
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "app/task_novel.h"
#include "app/task_system.h"
#include "graphics/gr_kinds.h"
#include "real_window.h"
#include "script/present/doc/engine_doc.h"
#include "script/present/graphic/graphic.h"
#include "script/present/present_engine.h"
#include "script/present/transition/engine_graphic.h"
#include "script/core.h"
#include "script/engine.h"
#include "script/g2_status.h"
#include "script/thread.h"

namespace {

// Where the kit puts things on the 800 x 600 screen (client coordinates).
constexpr int kPicture[2] = {400, 200};  // above the window and the choices: "go on"
constexpr int kSave[2] = {72, 416}, kLoad[2] = {140, 416}, kQuickSave[2] = {276, 416}, kQuickLoad[2] = {344, 416},
              kVoice[2] = {412, 416};
constexpr int kHide[2] = {592, 416}, kSkip[2] = {660, 416}, kAuto[2] = {728, 416}, kLog[2] = {764, 590};
constexpr int kStayHome[2] = {400, 283};  // the second choice: the short way to the story's end
constexpr int kGoPlay[2] = {400, 235};    // the first: to the parlour
constexpr int kEntry0[2] = {50, 80}, kYes[2] = {351, 334}, kReturn[2] = {700, 453}, kMenuTitle[2] = {453, 548};
constexpr int kTitleNew[2] = {537, 405}, kTitleLoad[2] = {537, 435}, kTitleExtras[2] = {537, 495};
constexpr int kScenesTab[2] = {120, 55};
constexpr int kF10 = 0x44, kEnter = 0x1C;

// A folder as a player's read-only folder is, also to a test run as root: its mode takes writing
// away, and so does this thread's giving up, while the object lives, of the power that lets root
// write anywhere.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::filesystem::path folder)
        : folder_(std::move(folder)), mode_(std::filesystem::status(folder_).permissions()) {
        std::filesystem::permissions(folder_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        syscall(SYS_capget, &header_, held_);
        __user_cap_data_struct without[2] = {held_[0], held_[1]};
        without[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        syscall(SYS_capset, &header_, without);
    }
    ~ReadOnlyFolder() {
        syscall(SYS_capset, &header_, held_);
        std::filesystem::permissions(folder_, mode_);
    }

private:
    std::filesystem::path folder_;
    std::filesystem::perms mode_;
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct held_[2]{};
};

class StoryScreensTest : public apptest::RealWindowTest {
protected:
    StoryScreensTest() : RealWindowTest({"xdotool"}) {}
    void SetUp() override {
        RealWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // The saves go beside the copied kit, as they go beside the program.
        cwd_ = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        ASSERT_TRUE(launch());
    }
    void TearDown() override {
        if (!cwd_.empty()) std::filesystem::current_path(cwd_);
        RealWindowTest::TearDown();
    }

    TTaskNovel* story() const { return dynamic_cast<TTaskNovel*>(frame->find(kTaskNovel)); }
    TTaskSystem* system() const { return dynamic_cast<TTaskSystem*>(frame->find(kTaskSystem)); }
    TG2Core& core() const { return *g2Engine()->core(); }
    bool storyRuns() const { return story() && story()->subStep() == 11; }
    // A lit choice's panel is blue at its left end, where no text stands; an unlit one lets the
    // evening's red through.
    bool lit(const int (&choice)[2]) {
        int w = 0, h = 0;
        const std::vector<uint32_t> px = presented(w, h);
        long blueOverRed = 0;
        for (int y = choice[1] - 10; y < choice[1] + 10; ++y)
            for (int x = 215; x < 260; ++x) {
                const uint32_t p = px[static_cast<size_t>(y) * w + x];
                blueOverRed += static_cast<long>(p & 255) - static_cast<long>((p >> 16) & 255);
            }
        return blueOverRed > 0;
    }
    // The save point of the line on screen (the kit numbers its messages from 0).
    int line() const {
        TG2Thread* t = g2Engine() ? g2Engine()->getCurrentThread() : nullptr;
        return storyRuns() && t ? t->positionId() : -1;
    }
    bool menuOpen() const { return storyRuns() && (core().menuMode() & 2); }
    // The mean of red, green and blue over a rectangle of the last presented frame, and the
    // brightest channel in it, 0-255.
    double meanLevel(int left, int top, int right, int bottom) {
        int w = 0, h = 0;
        const std::vector<uint32_t> px = presented(w, h);
        double sum = 0, n = 0;
        for (int y = top; y < bottom && y < h; ++y)
            for (int x = left; x < right && x < w; ++x, ++n) {
                const uint32_t p = px[static_cast<size_t>(y) * w + x];
                sum += ((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255);
            }
        return n > 0 ? sum / (3 * n) : 0;
    }
    int brightest(int left, int top, int right, int bottom) {
        int w = 0, h = 0;
        const std::vector<uint32_t> px = presented(w, h);
        int most = 0;
        for (int y = top; y < bottom && y < h; ++y)
            for (int x = left; x < right && x < w; ++x)
                for (int shift : {0, 8, 16})
                    most = std::max(most, static_cast<int>((px[static_cast<size_t>(y) * w + x] >> shift) & 255));
        return most;
    }
    void press(const int (&at)[2]) { click(at[0], at[1]); }
    // A slow, deliberate click: the button held down through the X server for a second of frames.
    void slowPress(const int (&at)[2]) {
        const platform::Point o = origin();
        pointAt(at[0], at[1]);
        xdotool("mousemove " + std::to_string(o.x + at[0]) + " " + std::to_string(o.y + at[1]));
        xdotool("mousedown 1");
        for (int i = 0; i < 60; ++i) step();
        xdotool("mouseup 1");
    }
    // Clicks the picture until the line is on screen, then lets it type out.
    bool readTo(int wanted) {
        for (int i = 0; i < 60 && line() != wanted; ++i) {
            press(kPicture);
            runUntil([&] { return storyRuns(); }, 200);
        }
        for (int i = 0; i < 150; ++i) step();
        return line() == wanted;
    }
    bool startStory() {
        press(kTitleNew);
        return runUntil([&] { return line() == 0; }) && readTo(0);
    }
    // A new story read up to its first choice, the choices up.
    ::testing::AssertionResult toTheChoice() {
        if (!startStory() || !readTo(2))
            return ::testing::AssertionFailure() << where() << ", story at line " << line();
        if (!runUntil([&] { return menuOpen(); }, 300)) return ::testing::AssertionFailure() << "no choices";
        return ::testing::AssertionSuccess();
    }
    bool saveExists(int file) const {
        char name[32];
        std::snprintf(name, sizeof name, "save/it%02d.sav", file);
        return std::filesystem::exists(dir.path() / name);
    }
    // The choosing of a loaded save on the load page: entry 0 and the dialog's yes, held down.
    bool loadEntry0() {
        press(kEntry0);
        if (!runUntil([&] { return system()->dialogShown(); }, 100)) return false;
        slowPress(kYes);
        return runUntil([&] { return line() == 9; }, 500);
    }

    std::filesystem::path cwd_;
};

}  // namespace

TEST_F(StoryScreensTest, TheMessageWindowTheSavePageWithItsThumbnailAndTheConfigurationPage) {
    press(kTitleNew);
    ASSERT_TRUE(runUntil([&] { return storyRuns(); })) << where();
    pointAt(400, 300);
    for (int i = 0; i < 150; ++i) step();  // the first line types out
    EXPECT_EQ(photograph("xvfb_story_message"), 0);
    EXPECT_GT(colours(40, 440, 760, 580), 4u) << "the message window";
    // Over the mark's blinks, each shown by its own area alone, the window shows each frame.
    std::set<std::vector<uint32_t>> blinks;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(photograph("xvfb_story_blink"), 0) << "blink " << i;
        int w = 0, h = 0;
        blinks.insert(presented(w, h));
    }
    EXPECT_EQ(blinks.size(), 2u) << "the mark shown and not";

    story()->onSystemCommand(2);  // the save page, as F2 opens it
    ASSERT_TRUE(runUntil([&] { return system()->step() == 3 && system()->subStep() == 20; })) << where();
    press(kEntry0);  // a free slot, saved at once
    ASSERT_TRUE(runUntil([&] { return system()->subStep() == 20 && system()->entryUsed(0); }, 100));
    ASSERT_NE(system()->thumbnail(0), nullptr);
    pointAt(30 + 20, 160 + 20);
    EXPECT_EQ(photograph("xvfb_story_save"), 0);
    EXPECT_GT(colours(44, 69, 140, 141), 1u) << "the thumbnail";

    rightClick();  // back to the story
    ASSERT_TRUE(runUntil([&] { return system()->isClosed() && storyRuns(); })) << where();
    story()->onSystemCommand(1);  // the system menu and configuration
    ASSERT_TRUE(runUntil([&] { return system()->step() == 1 && system()->subStep() == 20; })) << where();
    pointAt(349 + 22 * 4 + 5, 300 + 10);
    EXPECT_EQ(photograph("xvfb_story_config"), 0);
    EXPECT_GT(colours(327, 60, 600, 520), 4u) << "the configuration items";
}

// A save made on a late line comes back on that line, whether it is loaded from the story's own
// load page, by the quick load key or from the title, and however long the press that confirms
// the load is held.
TEST_F(StoryScreensTest, ALateLineSavedComesBackOnThatLineByEveryWayOfLoading) {
    ASSERT_TRUE(toTheChoice());
    // The question stays in the message window under the choices.
    pointAt(kPicture[0], kPicture[1]);
    EXPECT_EQ(photograph("xvfb_story_choice"), 0);
    EXPECT_GT(brightest(40, 450, 400, 480), 200) << "the question under the choices";
    press(kStayHome);
    ASSERT_TRUE(readTo(9)) << line();
    press(kSave);
    ASSERT_TRUE(runUntil([&] { return system()->step() == 3 && system()->subStep() == 20; })) << where();
    press(kEntry0);
    ASSERT_TRUE(runUntil([&] { return system()->entryUsed(0); }, 100));
    EXPECT_TRUE(saveExists(1));
    pointAt(400, 30);
    EXPECT_EQ(photograph("xvfb_story_late_save"), 0);
    EXPECT_EQ(system()->dateTexts(0)[0].size(), 4u) << "the year of the save's date";
    press(kReturn);
    ASSERT_TRUE(runUntil([&] { return line() == 9; }, 100));
    press(kQuickSave);
    ASSERT_TRUE(runUntil([&] { return saveExists(121); }, 50));

    // The story's load page.
    ASSERT_TRUE(readTo(10));
    press(kLoad);
    ASSERT_TRUE(runUntil([&] { return system()->step() == 2 && system()->subStep() == 20; })) << where();
    ASSERT_TRUE(loadEntry0());
    ASSERT_TRUE(readTo(9));
    EXPECT_EQ(photograph("xvfb_story_loaded_in_story"), 0);

    // The quick load key.
    ASSERT_TRUE(readTo(10));
    platform::headless::setKey(kF10, true);
    step();
    step();
    platform::headless::setKey(kF10, false);
    ASSERT_TRUE(runUntil([&] { return system()->step() == 4 && system()->dialogShown(); }, 100)) << where();
    slowPress(kYes);
    ASSERT_TRUE(runUntil([&] { return line() == 9; }, 500));
    ASSERT_TRUE(readTo(9));
    EXPECT_EQ(photograph("xvfb_story_loaded_quick"), 0);

    // The story read to its end; the title's load page.
    ASSERT_TRUE(readTo(10));
    press(kPicture);
    ASSERT_TRUE(runUntil([&] { return at(1, 20); }, 1000)) << where();
    press(kTitleLoad);
    ASSERT_TRUE(runUntil([&] { return system()->step() == 2 && system()->subStep() == 20; })) << where();
    ASSERT_TRUE(loadEntry0());
    ASSERT_TRUE(readTo(9));
    EXPECT_EQ(photograph("xvfb_story_loaded_from_title"), 0);
    EXPECT_GT(colours(40, 440, 760, 580), 4u) << "the line in the message window";
}

// A save that cannot be written, into a read-only save folder or over a picture that cannot be
// replaced, is said in a box, and the slot keeps the save and the picture it had.
TEST_F(StoryScreensTest, ASaveThatCannotBeWrittenIsSaidAndTheSlotKeepsWhatItHad) {
    ASSERT_TRUE(startStory()) << where();
    const auto toSavePage = [&] {
        press(kSave);
        return runUntil([&] { return system()->step() == 3 && system()->subStep() == 20; });
    };
    ASSERT_TRUE(toSavePage()) << where();
    press(kEntry0);
    ASSERT_TRUE(runUntil([&] { return system()->entryUsed(0); }, 100));
    const std::string save = read("save/it01.sav"), picture = read("save/it01.img");
    const std::array<std::string, 5> date = system()->dateTexts(0);
    press(kReturn);
    ASSERT_TRUE(readTo(1));
    const size_t said = boxes.count();
    {
        ReadOnlyFolder readOnly(file("save"));
        ASSERT_TRUE(toSavePage()) << where();
        press(kEntry0);  // used: the new data would be written for the preview first
        ASSERT_TRUE(runUntil([&] { return boxes.count() == said + 1 && system()->subStep() == 20; }, 100));
        // The box names the file of the slot chosen, as the system spells it, not the preview's.
        EXPECT_EQ(boxes.last().text, "could not save: Permission denied (save/it01.sav)");
        EXPECT_FALSE(system()->dialogShown());
        EXPECT_EQ(system()->dateTexts(0), date);
        press(kReturn);
        ASSERT_TRUE(runUntil([&] { return storyRuns(); }, 100));
        press(kQuickSave);
        ASSERT_TRUE(runUntil([&] { return boxes.count() == said + 2; }, 50));
        EXPECT_EQ(boxes.last().text, "could not save: Permission denied (save/it121.sav)");
    }
    EXPECT_FALSE(saveExists(121));
    EXPECT_TRUE(read("save/it01.sav") == save && read("save/it01.img") == picture);

    // A folder took the picture's name: the new save is written, but not put in place without it.
    std::filesystem::remove(file("save/it01.img"));
    std::filesystem::create_directories(file("save/it01.img/kept"));
    ASSERT_TRUE(runUntil([&] { return storyRuns(); }, 100));
    ASSERT_TRUE(toSavePage()) << where();
    press(kEntry0);
    ASSERT_TRUE(runUntil([&] { return system()->dialogShown(); }, 100));
    press(kYes);
    ASSERT_TRUE(runUntil([&] { return boxes.count() == said + 3; }, 100));
    EXPECT_EQ(boxes.last().text, "could not save: Is a directory (save/it01.img)");
    EXPECT_TRUE(read("save/it01.sav") == save);
}

// The wheel turned away from the player opens the backlog over the lines read so far, on a
// darkened scene; a click at its newest page closes it, and the story stands where it stood.
TEST_F(StoryScreensTest, TheWheelOpensTheBacklogWithTheLinesRead) {
    ASSERT_TRUE(startStory()) << where();
    ASSERT_TRUE(readTo(1));
    present::TG2Doc& doc = dynamic_cast<present::PresentEngine&>(*g2Engine()).docPart()->real();
    const std::string firstLine = "\x95\xfa\x89\xdb\x8c\xe3";  // 放課後, how line 0 begins
    EXPECT_NE(doc.getLog()->text().find(firstLine), std::string::npos);
    pointAt(400, 200);
    step();
    const double sceneLevel = meanLevel(0, 150, 800, 420);
    platform::postMessage(window->handle(), platform::WM_MOUSEWHEEL, 120u << 16, platform::makeLParam(400, 200));
    ASSERT_TRUE(runUntil([&] { return doc.isLogViewOpen(); }, 50));
    for (int i = 0; i < 5; ++i) step();
    EXPECT_EQ(photograph("xvfb_story_backlog"), 0);
    EXPECT_GT(colours(16, 16, 768, 300), 4u) << "the backlog's text";
    // The scene goes dark under the backlog, and its lines stay bright over it.
    EXPECT_LT(meanLevel(0, 150, 800, 420), sceneLevel / 3) << "the scene under the backlog";
    EXPECT_GT(brightest(16, 16, 768, 100), 200) << "the lines read back";
    press(kPicture);  // a click at the newest page closes it
    ASSERT_TRUE(runUntil([&] { return !doc.isLogViewOpen(); }, 50));
    for (int i = 0; i < 30; ++i) step();
    EXPECT_EQ(line(), 1) << "the click that closed the backlog did not move the story on";

    // The right button closes it as well, with the setting that gives the right button the
    // system menu, and opens no menu.
    ASSERT_EQ(frame->settings().rightClick, 1);
    platform::postMessage(window->handle(), platform::WM_MOUSEWHEEL, 120u << 16, platform::makeLParam(400, 200));
    ASSERT_TRUE(runUntil([&] { return doc.isLogViewOpen(); }, 50));
    rightClick();
    ASSERT_TRUE(runUntil([&] { return !doc.isLogViewOpen(); }, 50));
    for (int i = 0; i < 30; ++i) step();
    EXPECT_TRUE(storyRuns()) << where();
    EXPECT_TRUE(!system() || system()->isClosed());
    EXPECT_EQ(line(), 1);
}

// Back from the backlog or the system page, the choice lit is the one under the pointer, and none
// is when the pointer left the choices while they were covered.
TEST_F(StoryScreensTest, BackFromTheBacklogOrTheSystemPageTheLitChoiceIsTheOneUnderThePointer) {
    ASSERT_TRUE(toTheChoice());
    present::TG2Doc& doc = dynamic_cast<present::PresentEngine&>(*g2Engine()).docPart()->real();
    const auto settled = [&] {
        for (int i = 0; i < 10; ++i) step();
    };
    pointAt(kGoPlay[0], kGoPlay[1]);
    settled();
    ASSERT_TRUE(lit(kGoPlay) && !lit(kStayHome));

    platform::postMessage(window->handle(), platform::WM_MOUSEWHEEL, 120u << 16,
                          platform::makeLParam(kGoPlay[0], kGoPlay[1]));
    ASSERT_TRUE(runUntil([&] { return doc.isLogViewOpen(); }, 50));
    press(kPicture);  // off the choices, and the click at the newest page closes the backlog
    ASSERT_TRUE(runUntil([&] { return !doc.isLogViewOpen(); }, 50));
    settled();
    EXPECT_EQ(photograph("xvfb_story_choice_after_backlog"), 0);
    EXPECT_FALSE(lit(kGoPlay) || lit(kStayHome)) << "after the backlog";

    pointAt(kGoPlay[0], kGoPlay[1]);
    settled();
    ASSERT_TRUE(lit(kGoPlay));
    rightClick();
    ASSERT_TRUE(runUntil([&] { return system()->step() == 1 && system()->subStep() == 20; })) << where();
    pointAt(kStayHome[0], kStayHome[1]);
    settled();
    rightClick();
    ASSERT_TRUE(runUntil([&] { return system()->isClosed() && menuOpen(); })) << where();
    settled();
    EXPECT_EQ(photograph("xvfb_story_choice_after_system_page"), 0);
    EXPECT_TRUE(lit(kStayHome) && !lit(kGoPlay)) << "after the system page";
}

// Choices that open under the pointer light the answer under it, the one a click takes, over the
// story's default (the second answer), which stays lit for the keys when the pointer is beside
// the answers.
TEST_F(StoryScreensTest, ChoicesOpeningUnderThePointerLightTheAnswerUnderIt) {
    ASSERT_TRUE(startStory());
    ASSERT_TRUE(readTo(1));
    pointAt(kGoPlay[0], kGoPlay[1]);
    platform::headless::setKey(kEnter, true);  // the line moved on by the key, the pointer still
    step();
    step();
    platform::headless::setKey(kEnter, false);
    ASSERT_TRUE(runUntil([&] { return menuOpen(); }, 300));
    for (int i = 0; i < 10; ++i) step();
    EXPECT_EQ(photograph("xvfb_story_choice_opened_under_the_pointer"), 0);
    EXPECT_TRUE(lit(kGoPlay) && !lit(kStayHome));
}

// Lines read once are skipped through the next time; the first unread line stops the skipping.
TEST_F(StoryScreensTest, SkippingRunsThroughReadLinesAndStopsAtTheFirstUnreadOne) {
    // Lines 0 to 3 and 9 read; line 10 seen but left through the system menu's way to the title.
    ASSERT_TRUE(toTheChoice());
    press(kStayHome);
    ASSERT_TRUE(readTo(10));
    rightClick();
    ASSERT_TRUE(runUntil([&] { return system()->step() == 1 && system()->subStep() == 20; })) << where();
    press(kMenuTitle);
    ASSERT_TRUE(runUntil([&] { return at(1, 20); }, 1000)) << where();

    ASSERT_TRUE(startStory()) << where();
    press(kSkip);
    EXPECT_TRUE(g2Engine()->status().skipMessage);
    pointAt(kPicture[0], kPicture[1]);
    int frames = 0;
    for (; frames < 200 && !menuOpen(); ++frames) step();
    EXPECT_LT(frames, 60) << "the choice comes up without a click";
    press(kStayHome);  // a click ends skipping; the button starts it again
    ASSERT_TRUE(runUntil([&] { return line() == 3; }, 100));
    press(kSkip);
    frames = 0;
    for (; frames < 300 && line() != 10; ++frames) step();
    EXPECT_LT(frames, 100) << "lines 3 and 9 go by without a click";
    for (int i = 0; i < 150; ++i) step();
    EXPECT_EQ(line(), 10) << "the unread line waits";
    EXPECT_FALSE(g2Engine()->status().skipMessage);
    EXPECT_EQ(photograph("xvfb_story_skip_stopped"), 0);
}

// Every button beside the message window does its own thing, and a click on it never also
// moves the story on.
TEST_F(StoryScreensTest, TheButtonsBesideTheWindowDoWhatTheySayAndLeaveTheLineStanding) {
    ASSERT_TRUE(startStory()) << where();
    press(kQuickSave);
    EXPECT_TRUE(runUntil([&] { return saveExists(121); }, 50)) << "the quick save file";

    press(kHide);
    pointAt(kPicture[0], kPicture[1]);
    EXPECT_EQ(photograph("xvfb_story_hidden"), 0);
    // The panel went with the text: inside it the picture is the background's own row colour.
    int w = 0, h = 0;
    std::vector<uint32_t> px = presented(w, h);
    ASSERT_EQ(w, 800);
    EXPECT_EQ(px[560 * 800 + 400], px[560 * 800 + 10]);
    EXPECT_EQ(colours(40, 406, 760, 426), colours(40, 380, 760, 400)) << "no buttons either";
    press(kPicture);  // the window comes back; the line stays
    for (int i = 0; i < 10; ++i) step();
    px = presented(w, h);
    EXPECT_NE(px[560 * 800 + 400], px[560 * 800 + 10]);

    press(kAuto);
    EXPECT_TRUE(g2Engine()->status().autoText);
    pointAt(kAuto[0], kAuto[1]);
    EXPECT_EQ(photograph("xvfb_story_auto_on"), 0);
    press(kAuto);
    EXPECT_FALSE(g2Engine()->status().autoText);

    press(kQuickLoad);
    ASSERT_TRUE(runUntil([&] { return system()->step() == 4 && system()->dialogShown(); }, 100)) << where();
    rightClick();
    ASSERT_TRUE(runUntil([&] { return storyRuns(); }, 100)) << where();
    press(kVoice);
    press(kLog);
    if (core().isPausedBy(2)) press(kPicture);  // the backlog opened: a click at its newest page closes it
    ASSERT_TRUE(runUntil([&] { return storyRuns() && !core().isPausedBy(2); }, 100));
    for (int i = 0; i < 60; ++i) step();
    EXPECT_EQ(line(), 0) << "no button moved the story on";
}

// Escape asks the window system to minimise the window. The test's display has no window
// manager, which minimises nothing: the window stays up, and so the game goes on drawing it,
// over what another window left on it too, and a click still moves the story on.
TEST_F(StoryScreensTest, EscapeOnADisplayThatMinimisesNothingLeavesTheWindowDrawn) {
    if (!testsupport::installed({"xlogo"})) GTEST_SKIP() << "xlogo is not installed";
    ASSERT_TRUE(startStory()) << where();
    pointAt(kPicture[0], kPicture[1]);
    ASSERT_TRUE(xdotool("key Escape"));
    settle();
    EXPECT_FALSE(window->isMinimized());
    // Another window over the game's, and away again.
    const platform::Point o = origin();
    const std::string pid = (dir.path() / "xlogo.pid").string();
    ASSERT_EQ(std::system(("DISPLAY=" + display_ + " xlogo -geometry 600x400+" + std::to_string(o.x + 100) + "+" +
                           std::to_string(o.y + 100) + " 2>/dev/null & echo $! > '" + pid + "'")
                              .c_str()),
              0);
    platform::realSleepMs(1000);
    ASSERT_EQ(std::system(("kill $(cat '" + pid + "')").c_str()), 0);
    settle();
    EXPECT_EQ(photograph("xvfb_story_escape_exposed"), 0);
    press(kPicture);
    ASSERT_TRUE(runUntil([&] { return line() == 1; }, 200)) << line();
    for (int i = 0; i < 60; ++i) step();
    EXPECT_EQ(photograph("xvfb_story_escape_clicked"), 0);
}

// The extras pages mark the places of what is still locked.
TEST_F(StoryScreensTest, TheExtrasPagesShowTheirLockedPlaces) {
    press(kTitleExtras);
    ASSERT_TRUE(runUntil([&] { return at(5, 20); })) << where();
    pointAt(790, 300);
    for (int i = 0; i < 60; ++i) step();  // the page fades in
    EXPECT_EQ(photograph("xvfb_story_gallery_locked"), 0);
    EXPECT_GT(colours(60, 90, 180, 180), 2u) << "a locked place";
    press(kScenesTab);
    ASSERT_TRUE(runUntil([&] { return at(4, 20); })) << where();
    pointAt(790, 300);
    for (int i = 0; i < 60; ++i) step();
    EXPECT_EQ(photograph("xvfb_story_scenes_locked"), 0);
    EXPECT_GT(colours(60, 90, 180, 180), 2u) << "a locked place";
}

TEST_F(StoryScreensTest, TheLastChaptersTitleFadesTheScreenToBlackAndBackInTheRealWindow) {
    ASSERT_TRUE(toTheChoice());
    press(kStayHome);
    ASSERT_TRUE(readTo(3));
    auto* engine = dynamic_cast<present::PresentEngine*>(g2Engine());
    ASSERT_NE(engine, nullptr);
    const graphics::TFade& fade = engine->graphicPart()->graphic().getFade();
    const double before = meanLevel(0, 0, 800, 600);
    EXPECT_GT(before, 20.0) << "a scene to fade";
    // The click that ends the line closes the chapter: a moment later the screen fades to black
    // and stays so until the last chapter's picture is in place.
    press(kPicture);
    ASSERT_TRUE(runUntil([&] { return fade.state() == graphics::TFade::kFadingOut; }, 60));
    for (int i = 0; i < 25; ++i) step();
    const double halfway = meanLevel(0, 0, 800, 600);
    EXPECT_LT(halfway, before * 0.9);
    EXPECT_GT(halfway, before * 0.1);
    ASSERT_TRUE(runUntil([&] { return fade.state() != graphics::TFade::kFadingOut; }, 200));
    EXPECT_EQ(photograph("xvfb_story_fade"), 0);
    int w = 0, h = 0;
    const std::vector<uint32_t> dark = presented(w, h);
    EXPECT_LT(meanLevel(0, 0, 800, 600), 1.0) << "the screen went black";
    size_t lit = 0;
    for (uint32_t p : dark) lit += p != 0;
    EXPECT_LT(lit, dark.size() / 200) << "nothing but the pointer shows over the black";
    // Out of the black the last chapter's picture comes up again.
    ASSERT_TRUE(runUntil([&] { return line() == 9; }, 300));
    for (int i = 0; i < 20; ++i) step();
    EXPECT_GT(meanLevel(0, 0, 800, 600), 20.0);
}
