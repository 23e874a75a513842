// Network play reached from the title with the program's "--lobby" request: this machine serves,
// the rule and character screens are worked by the mouse, a match is played to its end by an
// automatic player, the lobby comes back to its rule screen and then returns to the title.
#include <gtest/gtest.h>

#include <string>

#include "app/lobby_screen.h"
#include "game_driver.h"

namespace {

class LobbyTest : public ::testing::Test, public apptest::GameDriver {
protected:
    void SetUp() override { app::TTaskLobby::defaultPort = 0; }
    void TearDown() override { app::TTaskLobby::defaultPort = net::TGameController::kDefaultPort; }

    app::TTaskLobby* lobby() const { return dynamic_cast<app::TTaskLobby*>(frame->find(kTaskLobby)); }
    bool lobbyAt(int subStep) const { return lobby() && lobby()->subStep() == subStep; }
};

}  // namespace

TEST_F(LobbyTest, ServingTheLobbyPlaysAMatchWithItsRuleAndGoesBackToTheTitle) {
    ASSERT_TRUE(kitCopied()) << MJ_KIT_DIR;
    TTaskTitle::requestLobby();
    boxes.setDefaultAnswer(platform::IDYES);
    ASSERT_TRUE(bootGame());
    ASSERT_TRUE(runUntil([&] { return lobbyAt(211); })) << where();
    EXPECT_EQ(title(), nullptr) << "the title hands over to the lobby";
    ASSERT_GE(boxes.count(), 1u);
    EXPECT_EQ(boxes.requests().front().text, "accept ? if not connect.");
    EXPECT_EQ(lobby()->screenMode(), 2);

    // Kuitan off, then OK.
    click(368 + 20, 323 + 10);
    ASSERT_TRUE(runUntil([&] { return lobbyAt(211); }));
    EXPECT_FALSE(lobby()->rule().openTanyao);
    click(298 + 20, 415 + 10);
    ASSERT_TRUE(runUntil([&] { return lobbyAt(311); }));
    for (int c : {4, 5, 6, 7}) click(50 * c + 10, 13 + 10);
    EXPECT_EQ(lobby()->chosen(), (std::vector<int>{4, 5, 6, 7})) << "no character is locked in the lobby";
    click(10 + 20, 463 + 10);
    ASSERT_TRUE(runUntil([&] { return frame->find(kTaskMatch) != nullptr; })) << lobby()->subStep();
    auto* match = dynamic_cast<TTaskMahjongNet*>(frame->find(kTaskMatch));
    ASSERT_NE(match, nullptr);
    EXPECT_FALSE(match->rule().openTanyao);
    EXPECT_EQ(match->profiles()[1]->character(), 5u);

    // Another game was asked for at the end: back to the rule screen.
    ASSERT_TRUE(playUntil([&] { return lobbyAt(211); }, 60000)) << lobby()->subStep();
    EXPECT_EQ(frame->find(kTaskMatch), nullptr);

    // Back leaves the lobby for the title.
    click(20, 579 + 5);
    ASSERT_TRUE(runUntil([&] { return at(1, 20); })) << where();
    EXPECT_EQ(lobby(), nullptr);
    click(517 + 20, 545 + 10);
    EXPECT_TRUE(runUntil([&] { return frame->hasEnded(); }, 10));
    shutdown();
    EXPECT_NE(read("net.log").find("TTaskNet::Start()"), std::string::npos);
}
