// The story's screens in a real window on an X display of their own (MJ_XDISPLAY): the message
// window of the demo story, the save page with the thumbnail of a save just made, and the
// configuration page, each photographed from the X server and held against the frame the game
// presented. The photographs stay beside the test for people to look at (xvfb_story_*.png).
#include <gtest/gtest.h>

#include "app/task_novel.h"
#include "app/task_system.h"
#include "real_window.h"

namespace {

class StoryScreensTest : public apptest::RealWindowTest {
protected:
    TTaskNovel* story() const { return dynamic_cast<TTaskNovel*>(frame->find(kTaskNovel)); }
    TTaskSystem* system() const { return dynamic_cast<TTaskSystem*>(frame->find(kTaskSystem)); }
};

}  // namespace

TEST_F(StoryScreensTest, TheMessageWindowTheSavePageWithItsThumbnailAndTheConfigurationPage) {
    ASSERT_TRUE(kitCopied()) << MJ_KIT_DIR;
    // The saves go beside the copied kit, as they go beside the program.
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    struct Back {
        std::filesystem::path to;
        ~Back() { std::filesystem::current_path(to); }
    } back{cwd};
    ASSERT_TRUE(bootGame()) << (boxes.count() ? boxes.last().text : "");
    window->showWindow(platform::SW_SHOW);
    ASSERT_TRUE(runUntil([&] { return at(1, 20); })) << where();
    click(517 + 20, 395 + 10);  // new game
    ASSERT_TRUE(runUntil([&] { return story() && story()->subStep() == 11; })) << where();
    pointAt(400, 300);
    for (int i = 0; i < 150; ++i) step();  // the first line types out
    EXPECT_EQ(photograph("xvfb_story_message"), 0);
    EXPECT_GT(colours(40, 440, 760, 580), 4u) << "the message window";

    story()->onSystemCommand(2);  // the save page, as F2 opens it
    ASSERT_TRUE(runUntil([&] { return system()->step() == 3 && system()->subStep() == 20; })) << where();
    click(30 + 20, 60 + 20);  // entry 0: a free slot, saved at once
    ASSERT_TRUE(runUntil([&] { return system()->subStep() == 20 && system()->entryUsed(0); }, 100));
    ASSERT_NE(system()->thumbnail(0), nullptr);
    pointAt(30 + 20, 160 + 20);
    EXPECT_EQ(photograph("xvfb_story_save"), 0);
    EXPECT_GT(colours(44, 69, 140, 141), 1u) << "the thumbnail";

    rightClick();  // back to the story
    ASSERT_TRUE(runUntil([&] { return system()->isClosed() && story()->subStep() == 11; })) << where();
    story()->onSystemCommand(1);  // the system menu and configuration
    ASSERT_TRUE(runUntil([&] { return system()->step() == 1 && system()->subStep() == 20; })) << where();
    pointAt(349 + 22 * 4 + 5, 300 + 10);
    EXPECT_EQ(photograph("xvfb_story_config"), 0);
    EXPECT_GT(colours(327, 60, 600, 520), 4u) << "the configuration items";
}
