// The display on an X server: a test pattern presented windowed, and then full screen (scaled
// to the desktop), is what a screenshot of the screen shows, and in full screen the pointer is
// reported in the frame's own coordinates. Runs when the test script provides a display
// (MJ_XDISPLAY); the screenshots stay beside the test for people to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/direct_draw.h"
#include "graphics/screen_surface.h"
#include "graphics/text_obj.h"
#include "platform/codepage.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/headless.h"
#include "platform/window_system.h"
#include "support/x_screenshot.h"

using namespace graphics;

namespace {

constexpr int kW = 320, kH = 240;

// Bars of eight colours over a checkerboard of 16-pixel squares in the lower half.
uint32_t pattern(int x, int y) {
    static const uint32_t bars[8] = {0xFFFFFF, 0xFFFF00, 0x00FFFF, 0x00FF00, 0xFF00FF, 0xFF0000, 0x0000FF, 0x202020};
    if (y < kH / 2) return bars[x * 8 / kW];
    return ((x / 16 + y / 16) % 2) ? 0xC08040u : 0x4080C0u;
}

using testsupport::screenshot;
using testsupport::Shot;

class XvfbDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* d = std::getenv("MJ_XDISPLAY");
        if (!d || !*d) GTEST_SKIP() << "no X display (MJ_XDISPLAY) for the real window";
        display = d;
        setenv("DISPLAY", d, 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        platform::headless::reset();
        ASSERT_TRUE(platform::initWindowSystem(platform::Backend::Sdl));
        started = true;
    }
    void TearDown() override {
        if (started) platform::shutdownWindowSystem();
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    }
    // A shown window of the frame's size at (x, y), under a window class of its own; null when
    // the server refuses it.
    static platform::HWND openWindow(const char* cls, const char* title, int x, int y) {
        platform::registerClass({cls, &platform::defWindowProc});
        platform::HWND w = platform::createWindow(0, cls, title, 0, x, y, kW, kH, nullptr, nullptr);
        if (w) platform::showWindow(w, platform::SW_SHOW);
        return w;
    }
    // The frame-sized screen drawn into the display's back buffer.
    static bool attachScreen(TDirectDraw& d, TScreenSurface32& screen) {
        return screen.createScreen(kW, kH) && screen.attachDisplay(d.back());
    }
    static void paintPattern(TScreenSurface32& screen) {
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) screen.row(y)[x] = 0xFF000000u | pattern(x, y);
    }
    // Shows the pattern for a while, so that the server has drawn it.
    void show(TDirectDraw& d, TScreenSurface32& screen) {
        for (int i = 0; i < 30; ++i) {
            platform::Msg m;
            while (platform::peekMessage(m)) platform::dispatchMessage(m);
            screen.present(d.back());
            d.flip(false);
            platform::sleepMs(15);
        }
    }
    std::string display;
    bool started = false;
};

}  // namespace

TEST_F(XvfbDisplayTest, TheScreenshotShowsThePresentedPattern) {
    platform::HWND w = openWindow("TXvfbDisplay", "pattern", 100, 80);
    ASSERT_NE(w, nullptr);
    TDirectDraw d;
    ASSERT_EQ(d.create(w, false, {kW, kH, 32}), 0u);
    TScreenSurface32 screen;
    ASSERT_TRUE(attachScreen(d, screen));
    paintPattern(screen);
    show(d, screen);
    Shot shot;
    ASSERT_TRUE(screenshot(display, "xvfb_display_windowed", shot));
    platform::Point origin{0, 0};
    ASSERT_TRUE(platform::clientToScreen(w, origin));
    long wrong = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) wrong += shot.at(origin.x + x, origin.y + y) != pattern(x, y);
    EXPECT_EQ(wrong, 0) << "window at " << origin.x << "," << origin.y;
}

TEST_F(XvfbDisplayTest, FullScreenScalesTheFrameAndMapsThePointerBack) {
    platform::HWND w = openWindow("TXvfbFull", "full", 0, 0);
    ASSERT_NE(w, nullptr);
    // The server lists only its desktop mode; the frame's size is listed here so that the
    // desktop-wide window shows it scaled.
    ASSERT_FALSE(platform::displayModes().empty());
    platform::headless::setDisplayModes({{kW, kH, 32}});
    TDirectDraw d;
    ASSERT_EQ(d.create(w, true, {kW, kH, 32}), 0u);
    EXPECT_TRUE(platform::isWindowFullScreen(w));
    TScreenSurface32 screen;
    ASSERT_TRUE(attachScreen(d, screen));
    paintPattern(screen);
    show(d, screen);
    Shot shot;
    ASSERT_TRUE(screenshot(display, "xvfb_display_fullscreen", shot));
    // Where the pattern is even around a point, the scaled picture shows its colour there.
    const double sx = double(shot.w) / kW, sy = double(shot.h) / kH;
    long checked = 0, wrong = 0;
    for (int y = 2; y < kH - 2; y += 5)
        for (int x = 2; x < kW - 2; x += 5) {
            const uint32_t c = pattern(x, y);
            if (pattern(x - 2, y - 2) != c || pattern(x + 2, y + 2) != c || pattern(x - 2, y + 2) != c ||
                pattern(x + 2, y - 2) != c)
                continue;
            ++checked;
            wrong += shot.at(int((x + 0.5) * sx), int((y + 0.5) * sy)) != c;
        }
    EXPECT_GT(checked, 1000);
    EXPECT_EQ(wrong, 0);
    // The pointer in the middle of the display is in the middle of the frame.
    ASSERT_TRUE(platform::pushNativeMouseMove(w, shot.w / 2, shot.h / 2));
    show(d, screen);
    platform::Point p;
    ASSERT_TRUE(platform::getCursorPos(p));
    ASSERT_TRUE(platform::screenToClient(w, p));
    EXPECT_NEAR(p.x, kW / 2, 1);
    EXPECT_NEAR(p.y, kH / 2, 1);
    d.releaseAll(true);
    EXPECT_FALSE(platform::isWindowFullScreen(w));
}

TEST_F(XvfbDisplayTest, ALineOfTextShowsInTheWindow) {
    platform::HWND w = openWindow("TXvfbText", "text", 60, 60);
    ASSERT_NE(w, nullptr);
    TDirectDraw d;
    ASSERT_EQ(d.create(w, false, {kW, kH, 32}), 0u);
    TScreenSurface32 screen;
    ASSERT_TRUE(attachScreen(d, screen));
    screen.fill(0xFF203050u);
    TFont font;
    font.setFlags(TFont::kGrey | TFont::kShadow);
    TTextObj text;
    text.setFont(&font);
    text.setColors(0xFFFFFFFFu, 0xFF000000u);
    text.setText(platform::toSjis("麻雀の時間です。Mahjong!"));
    text.setPos(16, 100);
    text.draw(screen);
    show(d, screen);
    Shot shot;
    ASSERT_TRUE(screenshot(display, "xvfb_text_line", shot));
    platform::Point origin{0, 0};
    ASSERT_TRUE(platform::clientToScreen(w, origin));
    // The screenshot is the drawn line, pixel for pixel.
    long ink = 0, wrong = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint32_t want = screen.getPixel(x, y) & 0xFFFFFF;
            ink += want == 0xFFFFFF;
            wrong += shot.at(origin.x + x, origin.y + y) != want;
        }
    EXPECT_GT(ink, 500);
    EXPECT_EQ(wrong, 0);
}
