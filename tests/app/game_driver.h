#pragma once
// The whole program on a copy of the demo data kit, driven as a person would: the pointer moved
// and the buttons pressed through the window system's controls, one frame at a time.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/task_system.h"
#include "app/task_title.h"
#include "app_fixture.h"
#include "game/mode/auto_client.h"
#include "game/mode/mode_task.h"

namespace apptest {

// The automatic player, seated where the human sits, on the frame's own clock and input: the
// driver holds the pointer at the corner and clicks every other frame, which its result pages
// take as "go on", and at the end it asks for another game.
class DrivenClient : public game::mode::TAutoClient {
public:
    DrivenClient(game::server::TTaskGame* server, TRandom* tieBreak, game::client::TClientHost& host)
        : TAutoClient(server, tieBreak) {
        setHost(&host);
    }

protected:
    game::client::TClientRect endButtonRect(int index) const override {
        return index == 0 ? game::client::TClientRect{0, 0, 800, 600} : game::client::TClientRect{};
    }
};

class GameDriver : public AppFixture {
public:
    // The kit's files into the test's folder (its own save folder stays out).
    GameDriver() : saved_(mahjongModeServices()) {
        // The program's own resident screens (a fixture before this one may have left none).
        TMainFrame::setResidentTaskMakers([] { return static_cast<TTask*>(new TTaskSystem); },
                                          [] { return static_cast<TTask*>(new TTaskTitle); });
        const std::filesystem::path kit = MJ_KIT_DIR;
        if (!std::filesystem::exists(kit / "script.pak")) return;
        for (const auto& entry : std::filesystem::directory_iterator(kit))
            if (entry.path().filename() != "save")
                std::filesystem::copy(entry.path(), dir.path() / entry.path().filename(),
                                      std::filesystem::copy_options::recursive);
        kitCopied_ = true;
    }
    ~GameDriver() {
        shutdown();
        mahjongModeServices() = saved_;
    }

    bool kitCopied() const { return kitCopied_; }
    // Boots on the kit with the driven player in the human's seat.
    bool bootGame() {
        if (!boot(false)) return false;
        platform::headless::setForeground(window->handle());
        mahjongModeServices().makeHuman = [this](game::server::TTaskMahjongGame& server) {
            return new DrivenClient(&server, &tieBreak_, frame->clientHost());
        };
        return true;
    }

    // Boots on the kit (showing the window when asked) up to the title's menu; what went wrong
    // when not.
    ::testing::AssertionResult toTitle(bool shown) {
        if (!kitCopied()) return ::testing::AssertionFailure() << "no kit at " << MJ_KIT_DIR;
        if (!bootGame()) return ::testing::AssertionFailure() << (boxes.count() ? boxes.last().text : "no boot");
        if (shown) window->showWindow(platform::SW_SHOW);
        if (!runUntil([&] { return at(1, 20); })) return ::testing::AssertionFailure() << where();
        return ::testing::AssertionSuccess();
    }

    TTaskTitle* title() const { return dynamic_cast<TTaskTitle*>(frame->find(kTaskTitle)); }
    bool at(int step, int subStep) const {
        TTaskTitle* t = title();
        return t && t->step() == step && t->subStep() == subStep;
    }
    std::string where() const {
        TTaskTitle* t = title();
        return t ? "step " + std::to_string(t->step()) + " sub-step " + std::to_string(t->subStep()) : "no title";
    }
    void pointAt(int x, int y) {
        platform::Point p{x, y};
        window->clientToScreen(p);
        platform::headless::setCursorPos(p.x, p.y);
    }
    // Moves to (x, y) for a frame, then presses and releases the left button over two frames.
    void click(int x, int y) {
        pointAt(x, y);
        step();
        platform::headless::setMouseButtons(true, false, false);
        step();
        platform::headless::setMouseButtons(false, false, false);
        step();
    }
    void rightClick() {
        platform::headless::setMouseButtons(false, true, false);
        step();
        platform::headless::setMouseButtons(false, false, false);
        step();
    }

    // Title menu → free play, east only, kuitan off, OK, characters 0, 1, 2 and the random one.
    void setUpFreePlay() {
        ASSERT_TRUE(runUntil([&] { return at(1, 20); })) << where();
        click(517 + 20, 455 + 10);
        ASSERT_TRUE(runUntil([&] { return at(2, 211); })) << where();
        click(226 + 20, 138 + 10);
        click(368 + 20, 323 + 10);
        ASSERT_TRUE(runUntil([&] { return at(2, 211); })) << where();
        click(298 + 20, 415 + 10);
        ASSERT_TRUE(runUntil([&] { return at(2, 311); })) << where();
        for (int c : {0, 1, 2, 14}) click(50 * c + 10, 13 + 10);
    }
    // With the pointer in the corner, a click every other frame until pred holds.
    template <class Pred>
    bool playUntil(Pred pred, int limit) {
        pointAt(1, 1);
        bool pressed = false;
        const bool done = runUntil(
            [&] {
                pressed = !pressed;
                platform::headless::setMouseButtons(pressed, false, false);
                return pred();
            },
            limit);
        platform::headless::setMouseButtons(false, false, false);
        return done;
    }

    // The colours of the last presented frame, 0xRRGGBB; empty when there is none.
    std::vector<uint32_t> presented(int& w, int& h) const {
        std::vector<uint32_t> px;
        if (!platform::lastPresentedFrame(window->handle(), w, h, px)) return {};
        for (uint32_t& p : px) p &= 0xFFFFFFu;
        return px;
    }

private:
    TMahjongModeServices saved_;
    TRandom tieBreak_{11};
    bool kitCopied_ = false;
};

}  // namespace apptest
