// The whole program in a real window on an X display of its own (MJ_XDISPLAY), photographed from
// the X server and held against the frame the game presented. Skips without a display.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "game_driver.h"
#include "support/x_screenshot.h"

namespace apptest {

class RealWindowTest : public ::testing::Test, public GameDriver {
protected:
    // The programs the test runs beside the window (xdotool, ...): it is skipped without them.
    explicit RealWindowTest(std::initializer_list<const char*> tools = {}) : tools_(tools) {}

    void SetUp() override {
        display_ = testsupport::xDisplay();
        if (display_.empty()) GTEST_SKIP() << "no X display (MJ_XDISPLAY) for the real window";
        for (const char* tool : tools_)
            if (!testsupport::installed({tool})) GTEST_SKIP() << tool << " is not installed";
        shots_ = std::filesystem::current_path();
        setenv("DISPLAY", display_.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        ASSERT_TRUE(platform::initWindowSystem(platform::Backend::Sdl));
        started_ = true;
    }
    void TearDown() override {
        shutdown();
        if (started_) platform::shutdownWindowSystem();
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    }

    // The program booted on the kit, its window shown and its title's menu up (then settled in
    // real time when asked); what went wrong when not.
    ::testing::AssertionResult launch(bool andSettle = false) {
        ::testing::AssertionResult up = toTitle(true);
        if (up && andSettle) settle();
        return up;
    }

    // The whole X screen photographed (the window's part kept as name.png in the folder the test
    // started in); the pixels of the window's client area that differ from the frame the game
    // presented last, or -1 when there was no photograph to compare.
    long photograph(const std::string& name) {
        const std::string stem = (shots_ / name).string();
        for (int i = 0; i < 10; ++i) {
            step();
            platform::realSleepMs(20);
        }
        testsupport::Shot shot;
        if (!testsupport::screenshot(display_, stem, shot,
                                     "800x600+" + std::to_string(origin().x) + "+" + std::to_string(origin().y)))
            return -1;
        int w = 0, h = 0;
        const std::vector<uint32_t> frame = presented(w, h);
        if (w != 800 || h != 600) return -1;
        const platform::Point o = origin();
        if (o.x < 0 || o.y < 0 || o.x + w > shot.w || o.y + h > shot.h) return -1;
        long wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) wrong += shot.at(o.x + x, o.y + y) != frame[static_cast<size_t>(y) * w + x];
        return wrong;
    }
    // One xdotool command on the test's display (false also when xdotool is missing); the
    // events it makes are on their way to the window when it returns, and are given a moment to
    // arrive before the next frame reads them.
    bool xdotool(const std::string& args) {
        const bool ok = std::system(("DISPLAY=" + display_ + " xdotool " + args + " 2>/dev/null").c_str()) == 0;
        platform::realSleepMs(30);
        return ok;
    }
    // Frames in real time, so that the X server has answered what the window asked for.
    void settle() {
        for (int i = 0; i < 20; ++i) {
            step();
            platform::realSleepMs(15);
        }
    }
    platform::Point origin() const {
        platform::Point p{0, 0};
        window->clientToScreen(p);
        return p;
    }
    // Distinct colours in a rectangle of the last presented frame: a screen with pictures on it
    // has many, an empty one a single colour.
    size_t colours(int left, int top, int right, int bottom) {
        int w = 0, h = 0;
        const std::vector<uint32_t> px = presented(w, h);
        std::set<uint32_t> seen;
        for (int y = top; y < bottom && y < h; ++y)
            for (int x = left; x < right && x < w; ++x) seen.insert(px[static_cast<size_t>(y) * w + x]);
        return seen.size();
    }

    std::vector<const char*> tools_;
    std::string display_;
    std::filesystem::path shots_;  // the photographs stay in the test's working folder
    bool started_ = false;
};

}  // namespace apptest
