// The program's screens in a real window on an X display of their own (MJ_XDISPLAY): the title,
// the free-play setup's two pages and the table, each photographed from the X server and held
// against the frame the game presented. The photographs stay beside the test for people to look
// at (xvfb_screens_*.png).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "game_driver.h"

namespace {

struct Shot {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    uint32_t at(int x, int y) const {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
};

bool readPpm(const std::string& file, Shot& out) {
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) return false;
    int max = 0;
    bool ok = std::fscanf(f, "P6 %d %d %d", &out.w, &out.h, &max) == 3 && max == 255 && out.w > 0 && out.h > 0;
    if (ok) {
        std::fgetc(f);
        out.rgb.resize(static_cast<size_t>(out.w) * out.h * 3);
        ok = std::fread(out.rgb.data(), 1, out.rgb.size(), f) == out.rgb.size();
    }
    std::fclose(f);
    return ok;
}

class ScreensTest : public ::testing::Test, public apptest::GameDriver {
protected:
    void SetUp() override {
        const char* d = std::getenv("MJ_XDISPLAY");
        if (!d || !*d) GTEST_SKIP() << "no X display (MJ_XDISPLAY) for the real window";
        display_ = d;
        setenv("DISPLAY", d, 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        ASSERT_TRUE(platform::initWindowSystem(platform::Backend::Sdl));
        started_ = true;
    }
    void TearDown() override {
        shutdown();
        if (started_) platform::shutdownWindowSystem();
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    }

    // The whole X screen photographed (kept as stem.png); the pixels of the window's client area
    // that differ from the frame the game presented last.
    long photograph(const std::string& stem) {
        for (int i = 0; i < 10; ++i) {
            step();
            platform::realSleepMs(20);
        }
        const std::string ppm = stem + ".ppm";
        if (std::system(("import -display " + display_ + " -window root -depth 8 " + ppm + " 2>/dev/null").c_str()) !=
            0)
            return -1;
        std::system(("import -display " + display_ + " -window root -crop 800x600+" + std::to_string(origin().x) + "+" +
                     std::to_string(origin().y) + " " + stem + ".png 2>/dev/null")
                        .c_str());
        Shot shot;
        if (!readPpm(ppm, shot)) return -1;
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

    std::string display_;
    bool started_ = false;
};

}  // namespace

TEST_F(ScreensTest, TheTitleTheSetupPagesAndTheTableAreWhatTheGamePresented) {
    ASSERT_TRUE(kitCopied()) << MJ_KIT_DIR;
    ASSERT_TRUE(bootGame()) << (boxes.count() ? boxes.last().text : "");
    window->showWindow(platform::SW_SHOW);
    ASSERT_TRUE(runUntil([&] { return at(1, 20); })) << where();
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
