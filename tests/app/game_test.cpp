// The whole program on the demo data, headless: the title comes up, the mouse takes it through
// the free-play setup into a match that an automatic player finishes, back to the rule page, to
// the title and out, and the settings file is written at the end.
#include <gtest/gtest.h>

#include <string>

#include "game_driver.h"

namespace {

class GameTest : public ::testing::Test, public apptest::GameDriver {};

}  // namespace

TEST_F(GameTest, TitleToFreePlayAndAWholeMatchThenBackToTheRulePageTheTitleAndOut) {
    ASSERT_TRUE(kitCopied()) << MJ_KIT_DIR;
    ASSERT_TRUE(bootGame()) << (boxes.count() ? boxes.last().text : "");
    ASSERT_TRUE(runUntil([&] { return at(1, 20); })) << where();
    for (int i = 0; i < 3; ++i) step();
    int w = 0, h = 0;
    const std::vector<uint32_t> title = presented(w, h);
    ASSERT_EQ(w * h, 800 * 600);
    EXPECT_NE(title[10 * 800 + 10], 0u) << "the title's background is drawn";

    // Free play: the rule page, then the character page.
    click(517 + 20, 455 + 10);
    ASSERT_TRUE(runUntil([&] { return at(2, 211); })) << where();
    EXPECT_EQ(this->title()->setupPage(), 2);
    EXPECT_EQ(this->title()->freePlayRule()->gameLength, 1) << "the default is east only";
    click(342 + 20, 188 + 10);
    ASSERT_TRUE(runUntil([&] { return at(2, 211); })) << where();
    EXPECT_EQ(this->title()->freePlayRule()->gameLength, 0);
    click(226 + 20, 138 + 10);
    click(368 + 20, 323 + 10);
    ASSERT_TRUE(runUntil([&] { return at(2, 211); })) << where();
    EXPECT_EQ(this->title()->freePlayRule()->gameLength, 1);
    EXPECT_FALSE(this->title()->freePlayRule()->openTanyao);
    click(298 + 20, 415 + 10);
    ASSERT_TRUE(runUntil([&] { return at(2, 311); })) << where();
    EXPECT_EQ(this->title()->setupPage(), 3);

    // Locked characters (4-13 with no secret flag) cannot be chosen; 0, 1 and 2 and the random
    // button fill the four seats, and cancel takes the last one back.
    click(50 * 5 + 10, 13 + 10);
    EXPECT_TRUE(this->title()->chosenCharacters().empty());
    for (int c : {0, 1, 2, 14}) click(50 * c + 10, 13 + 10);
    ASSERT_EQ(this->title()->chosenCharacters().size(), 4u);
    EXPECT_EQ(this->title()->chosenCharacters()[3], 3) << "the only character still free";
    rightClick();
    EXPECT_EQ(this->title()->chosenCharacters().size(), 3u);
    click(50 * 14 + 10, 13 + 10);
    ASSERT_EQ(this->title()->chosenCharacters().size(), 4u);

    // Start: the match runs as task 3 and the automatic player plays it to its end.
    click(10 + 20, 463 + 10);
    ASSERT_TRUE(runUntil([&] { return frame->find(kTaskMatch) != nullptr; })) << where();
    ASSERT_TRUE(playUntil([&] { return at(2, 211); }, 60000)) << where();
    EXPECT_EQ(frame->find(kTaskMatch), nullptr);
    EXPECT_EQ(this->title()->gameTask(), nullptr);
    // Another game was asked for: the rule and the seats stay.
    EXPECT_EQ(this->title()->freePlayRule()->gameLength, 1);
    EXPECT_EQ(this->title()->chosenCharacters().size(), 4u);

    // Cancel on the rule page leaves the setup for the title menu; exit ends every task.
    rightClick();
    ASSERT_TRUE(runUntil([&] { return at(1, 20); })) << where();
    click(517 + 20, 545 + 10);
    EXPECT_TRUE(runUntil([&] { return frame->hasEnded(); }, 10));
    EXPECT_TRUE(boxes.requests().empty()) << boxes.last().text;
    shutdown();
    const std::string ini = read("save/game.ini");
    for (const char* key : {"[Status]", "SkipCondition=1", "MsgBox=1", "RightClick=1", "ShioriConfirm=1",
                            "VoiceClick=1", "ShowClear=0", "Windowed=1"})
        EXPECT_NE(ini.find(key), std::string::npos) << key << " in\n" << ini;
}
