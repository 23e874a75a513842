// The program's screens in a real window on an X display of their own (MJ_XDISPLAY): the title,
// the free-play setup's two pages and the table, each photographed from the X server and held
// against the frame the game presented. The photographs stay beside the test for people to look
// at (xvfb_screens_*.png).
#include <gtest/gtest.h>

#include "real_window.h"

using ScreensTest = apptest::RealWindowTest;

TEST_F(ScreensTest, TheTitleTheSetupPagesAndTheTableAreWhatTheGamePresented) {
    ASSERT_TRUE(launch());
    pointAt(517 + 20, 425 + 10);  // over the menu, so that an item shows highlighted
    EXPECT_EQ(photograph("xvfb_screens_title"), 0);
    EXPECT_GT(colours(517, 395, 757, 573), 4u) << "the menu's items";

    click(517 + 20, 455 + 10);
    ASSERT_TRUE(runUntil([&] { return at(2, 211); })) << where();
    pointAt(342 + 20, 188 + 10);
    EXPECT_EQ(photograph("xvfb_screens_rules"), 0);
    EXPECT_GT(colours(226, 138, 568, 465), 4u) << "the rule choices";

    click(298 + 20, 415 + 10);
    ASSERT_TRUE(runUntil([&] { return at(2, 311); })) << where();
    for (int c : {0, 1, 2}) click(50 * c + 10, 13 + 10);
    pointAt(50 * 3 + 10, 13 + 10);  // a preview slides in
    for (int i = 0; i < 60; ++i) step();
    EXPECT_EQ(photograph("xvfb_screens_characters"), 0);
    EXPECT_GT(colours(9, 228, 217, 460), 4u) << "the seats";

    click(50 * 3 + 10, 13 + 10);
    click(10 + 20, 463 + 10);
    ASSERT_TRUE(runUntil([&] { return frame->find(kTaskMatch) != nullptr; })) << where();
    // Some way into the first hand.
    playUntil([] { return false; }, 600);
    EXPECT_EQ(photograph("xvfb_screens_table"), 0);
}
