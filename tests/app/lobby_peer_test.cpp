// Two copies of the program on loopback: this one serves the lobby on a port its settings file
// gives, the other is this test program started again in a folder that holds that port, and
// joins with the address its command line would give. They authenticate, log in, chat and agree
// on the rule, and each starts its own match with that rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/lobby_screen.h"
#include "game_driver.h"
#include "platform/clock.h"
#include "platform/dialog.h"
#include "support/free_port.h"

namespace {

class LobbyPeerTest : public ::testing::Test, public apptest::GameDriver {
protected:
    void TearDown() override { app::TTaskLobby::clearCommandLineAddress(); }

    app::TTaskLobby* lobby() const { return dynamic_cast<app::TTaskLobby*>(frame->find(kTaskLobby)); }
    bool lobbyAt(int subStep) const { return lobby() && lobby()->subStep() == subStep; }
    // Where the lobby stands and what it logged, for a failure that happens elsewhere than here.
    std::string said() const {
        if (!lobby()) return "no lobby; " + where();
        std::string text = "sub-step " + std::to_string(lobby()->subStep());
        for (const std::string& line : lobby()->lobbyLog().history()) text += "\n" + line;
        return text;
    }
};

const char* const kPortFile = "lobby-port.txt";

bool logged(app::TTaskLobby& lobby, const std::string& text) {
    for (const std::string& line : lobby.lobbyLog().history())
        if (line.find(text) != std::string::npos) return true;
    return false;
}

// Frames with a real pause each, for waiting on another process (the clock only frames move).
template <class Pred>
bool waitOnPeer(apptest::GameDriver& d, Pred pred, int frames = 15000) {
    return d.runUntil(
        [&] {
            platform::realSleepMs(2);
            return pred();
        },
        frames);
}

}  // namespace

TEST_F(LobbyPeerTest, TwoProgramsOnLoopbackAgreeOnTheRuleAndBothStartTheirMatch) {
    ASSERT_TRUE(kitCopied()) << MJ_KIT_DIR;
    const uint16_t port = mjtest::freePort();  // nothing listens there, and not the lobby's default
    ASSERT_NE(port, net::TGameController::kDefaultPort);
    write("save/game.ini", "[Net]\r\nPort=" + std::to_string(port) + "\r\n");
    TTaskTitle::requestLobby();
    boxes.setDefaultAnswer(platform::IDYES);
    ASSERT_TRUE(bootGame());
    ASSERT_TRUE(runUntil([&] { return lobbyAt(211); })) << said();
    ASSERT_EQ(lobby()->controller()->listeningPort(), port) << "the settings' port";
    // A rule changed before anyone joins must still reach the joiner.
    click(368 + 20, 323 + 10);
    ASSERT_TRUE(runUntil([&] { return lobbyAt(211); }));
    ASSERT_FALSE(lobby()->rule().openTanyao);

    const std::filesystem::path peerDir = dir.path() / "peer";
    std::filesystem::create_directories(peerDir);
    write("peer/" + std::string(kPortFile), std::to_string(port));
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::atomic<int> rc{-1};
    std::atomic<bool> done{false};
    std::thread joiner([&] {
        rc = std::system(("cd '" + peerDir.string() + "' && '" + self +
                          "' --gtest_also_run_disabled_tests --gtest_filter=LobbyPeerTest.DISABLED_JoinerOfTheLobby"
                          " > joiner.log 2>&1")
                             .c_str());
        done = true;
    });

    ASSERT_TRUE(waitOnPeer(*this, [&] { return lobby()->users().size() == 2 || done.load(); }));
    EXPECT_EQ(lobby()->users().size(), 2u) << "the joiner authenticated and logged in";
    // The joiner's line typed into its chat dialog shows in this lobby's log.
    ASSERT_TRUE(waitOnPeer(*this, [&] { return logged(*lobby(), "hello server") || done.load(); }));
    EXPECT_TRUE(logged(*lobby(), "<chat> name test :hello server")) << "under the name it logged in with";
    // A change made while the joiner is in the lobby reaches it as well.
    click(342 + 20, 188 + 10);
    ASSERT_TRUE(runUntil([&] { return lobbyAt(211); }));
    EXPECT_EQ(lobby()->rule().gameLength, 0);
    click(298 + 20, 415 + 10);
    ASSERT_TRUE(runUntil([&] { return lobbyAt(311); }));
    for (int c : {0, 1, 2, 3}) click(50 * c + 10, 13 + 10);
    click(10 + 20, 463 + 10);
    ASSERT_TRUE(runUntil([&] { return frame->find(kTaskMatch) != nullptr; })) << lobby()->subStep();
    auto* match = dynamic_cast<TTaskMahjongNet*>(frame->find(kTaskMatch));
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(match->rule().gameLength, 0);
    EXPECT_FALSE(match->rule().openTanyao);

    // The server keeps its frames going while the joiner plays its part to the end.
    waitOnPeer(
        *this, [&] { return done.load(); }, 30000);
    joiner.join();
    EXPECT_EQ(rc.load(), 0) << read("peer/joiner.log");
    EXPECT_NE(read("peer/joiner.log").find("[  PASSED  ] 1 test"), std::string::npos) << read("peer/joiner.log");
}

TEST_F(LobbyPeerTest, DISABLED_JoinerOfTheLobby) {
    std::ifstream in(std::filesystem::current_path() / kPortFile);
    int port = 0;
    if (!(in >> port) || port <= 0 || port > 65535) GTEST_SKIP() << "started by the two-program test only";
    // As "--lobby 127.0.0.1:PORT" on the program's command line.
    ASSERT_TRUE(app::TTaskLobby::setCommandLineAddress("127.0.0.1:" + std::to_string(port)));
    ASSERT_TRUE(kitCopied()) << MJ_KIT_DIR;
    TTaskTitle::requestLobby();
    boxes.setDefaultAnswer(platform::IDNO);
    ASSERT_TRUE(bootGame());
    ASSERT_TRUE(waitOnPeer(*this, [&] { return lobbyAt(211) && lobby()->loggedIn(); }))
        << (lobby() ? lobby()->subStep() : -1);
    EXPECT_EQ(lobby()->ownUserId(), 2);
    EXPECT_EQ(boxes.requests().front().text, "accept ? if not connect.");
    // The chat key opens the dialog; what is typed there goes to the server.
    platform::headless::queueDialogStep(platform::headless::DialogStep::Type, "hello server");
    platform::headless::queueDialogStep(platform::headless::DialogStep::Ok);
    platform::headless::setKey(0x01, true);
    step();
    platform::headless::setKey(0x01, false);
    step();
    EXPECT_FALSE(logged(*lobby(), "hello server")) << "the sender does not log its own line";
    // Both of the server's changes arrive: kuitan off from before the join, hanchan after it.
    ASSERT_TRUE(waitOnPeer(*this, [&] { return lobby()->rule().gameLength == 0 && !lobby()->rule().openTanyao; }));
    click(298 + 20, 415 + 10);
    ASSERT_TRUE(runUntil([&] { return lobbyAt(311); }));
    for (int i = 0; i < 4; ++i) click(50 * 14 + 10, 13 + 10);
    click(10 + 20, 463 + 10);
    ASSERT_TRUE(runUntil([&] { return frame->find(kTaskMatch) != nullptr; })) << lobby()->subStep();
    auto* match = dynamic_cast<TTaskMahjongNet*>(frame->find(kTaskMatch));
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(match->rule().gameLength, 0);
    EXPECT_FALSE(match->rule().openTanyao);
    std::vector<int> picked = lobby()->chosen();
    std::sort(picked.begin(), picked.end());
    EXPECT_EQ(std::unique(picked.begin(), picked.end()), picked.end()) << "random picks differ";
}
