// The network lobby in a real window on an X display of its own (MJ_XDISPLAY), on real time: the
// serve-or-join question stands over the lobby's own screen, the lobby's log keeps to its ten
// lines at the top, and while the chat dialog waits for a person the lobby goes on serving:
// hostile peers besiege it and a well-behaved peer keeps logging in (tests/net/siege.py). The
// photographs stay beside the test (xvfb_lobby_*.png).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "app/lobby_screen.h"
#include "platform/clock.h"
#include "support/free_port.h"
#include "platform/window_messages.h"
#include "real_window.h"

namespace {

class LobbyWindowTest : public apptest::RealWindowTest {
protected:
    app::TTaskLobby* lobby() const { return dynamic_cast<app::TTaskLobby*>(frame->find(kTaskLobby)); }
    bool lobbyAt(int subStep) const { return lobby() && lobby()->subStep() == subStep; }
    // Pixels of the log's grey in the last presented frame: inside the log's area, and outside.
    std::pair<long, long> logGrey() {
        int w = 0, h = 0;
        const std::vector<uint32_t> px = presented(w, h);
        long in = 0, out = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (px[static_cast<size_t>(y) * w + x] != (net::TLog::kColour & 0xFFFFFF)) continue;
                const bool inside = x >= app::LobbyView::kLogLeft && x < app::LobbyView::kLogRight &&
                                    y >= app::LobbyView::kLogTop && y < app::LobbyView::kLogBottom;
                ++(inside ? in : out);
            }
        return {in, out};
    }
    // The window as the X server shows it now, without running a frame.
    void shoot(const std::string& name, platform::Point at) {
        testsupport::Shot shot;
        testsupport::screenshot(display_, (shots_ / name).string(), shot,
                                "800x600+" + std::to_string(at.x) + "+" + std::to_string(at.y));
    }
};

}  // namespace

TEST_F(LobbyWindowTest, TheQuestionStandsOverTheLobbyTheLogKeepsItsPlaceAndChatKeepsTheLobbyServing) {
    ASSERT_TRUE(kitCopied()) << MJ_KIT_DIR;
    platform::setClock(nullptr);  // the peers keep real time
    const uint16_t port = mjtest::freePort();
    ASSERT_NE(port, 0);
    write("save/game.ini", "[Net]\r\nPort=" + std::to_string(port) + "\r\n");
    TTaskTitle::requestLobby();
    boxes.setDefaultAnswer(platform::IDYES);
    ASSERT_TRUE(bootGame());
    window->showWindow(platform::SW_SHOW);

    // The frame the question is asked over: the lobby's screen with its first line of log.
    ASSERT_TRUE(runUntil([&] { return lobbyAt(110); }, 1000)) << where();
    shoot("xvfb_lobby_question", origin());
    EXPECT_GT(colours(40, 100, 760, 500), 4u) << "not a blank window";
    EXPECT_GT(logGrey().first, 0);
    ASSERT_TRUE(runUntil([&] { return lobbyAt(211); })) << where();

    // The chat key opens the dialog, which waits for a person while the siege runs; then Escape,
    // as the person would press it, closes the dialog.
    const std::string script = (mjtest::sourceDir() / "tests/net/siege.py").string();
    const platform::Point at = origin();
    const std::string report = (dir.path() / "siege_window.out").string();
    std::atomic<int> rc{-1};
    std::thread siege([&] {
        std::thread shot([&] {
            platform::realSleepMs(3000);
            shoot("xvfb_lobby_chat", at);
        });
        rc = std::system(
            ("python3 '" + script + "' " + std::to_string(port) + " --seconds 4 --max-login-s 3 > '" + report + "'")
                .c_str());
        shot.join();
        platform::postMessage(window->handle(), platform::WM_KEYDOWN, platform::VK_ESCAPE, 0);
    });
    platform::headless::setKey(0x01, true);
    step();  // the dialog holds this frame until the siege is over
    platform::headless::setKey(0x01, false);
    siege.join();
    std::ifstream out(report);
    const std::string figures((std::istreambuf_iterator<char>(out)), std::istreambuf_iterator<char>());
    EXPECT_EQ(rc.load(), 0) << figures;

    // Many lines later the log still keeps to its area, clear of the OK button and the bottom.
    EXPECT_EQ(photograph("xvfb_lobby_rules"), 0);
    auto [in, outside] = logGrey();
    EXPECT_GT(in, 0);
    EXPECT_EQ(outside, 0);
    click(298 + 20, 415 + 10);
    ASSERT_TRUE(runUntil([&] { return lobbyAt(311); }));
    EXPECT_EQ(photograph("xvfb_lobby_characters"), 0);
    EXPECT_EQ(lobby()->view().cursor(), -1) << "the OK button's place is no character's";
    std::tie(in, outside) = logGrey();
    EXPECT_EQ(outside, 0);
}
