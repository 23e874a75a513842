// A message window in the game's font: the breaks fall where the cells say, the hanging comma
// is inked in its cell, and on a real X window (when the test script gives a display) the
// screenshot is the composed frame, kept beside the test as a PNG for people to look at.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "doc_fixture.h"
#include "graphics/direct_draw.h"
#include "graphics/screen_surface.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/headless.h"
#include "platform/window_system.h"

using namespace present;
using doctest::sj;

namespace {

constexpr int kW = 640, kH = 480;

// Ruby over 吾輩 and 猫; 22 characters fill the first line and its comma hangs in cell 23; a
// forced break ends the second line early.
std::string story() {
    return "\\r(" + sj("わが-はい") + ")" + sj("吾輩は") + "\\r(" + sj("ねこ") + ")" +
           sj("猫である。名前はまだ無い。どこで生れた、とんと見当がつかぬ。") + "\n" +
           sj("何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。");
}

bool inked(const graphics::TSurface32& s, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    for (int32_t y = std::max(top, 0); y < std::min(bottom, s.height()); ++y)
        for (int32_t x = std::max(left, 0); x < std::min(right, s.width()); ++x)
            if (s.getPixel(x, y) >> 24) return true;
    return false;
}

struct Window : ::testing::Test {
    doctest::TestHost host;
    TG2Doc doc{host};
    TG2DocFrame* frame = nullptr;
    void SetUp() override {
        host.realFont = true;
        host.screen = {kW, kH};
        doc.create();
        frame = doc.getFrame(0);  // 576 pixels: 24 cells of 24
        frame->setVisible(255);
        frame->appendString(story());
    }
    // The scene: a backdrop, a dark band under the window and the document's layers.
    void compose(graphics::TSurface32& screen) {
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                screen.row(y)[x] = 0xFF000000u | (x * 255 / kW) << 16 | (y * 200 / kH) << 8 | 0x60;
        screen.blendRect(16, 300, kW - 16, kH - 16, 0xB0000000u);
        graphics::TGrTableObj table;
        table.create(kW, kH, 256);
        doc.draw(table);
        table.draw(screen);
    }
};

}  // namespace

TEST_F(Window, TheGameFontBreaksWhereTheCellsSay) {
    const graphics::TSurface32& s = *frame->surface();
    const int32_t top = 9, line = 33;
    EXPECT_TRUE(inked(s, 21 * 24, top, 22 * 24, top + 24));             // cell 22 holds its character
    EXPECT_TRUE(inked(s, 22 * 24, top, 23 * 24, top + 24));             // the comma hangs in cell 23
    EXPECT_FALSE(inked(s, 23 * 24 + 4, top - 9, 576, top + 24));        // the last cell stays empty
    EXPECT_TRUE(inked(s, 0, top + line, 24, top + line + 24));          // と begins line two
    EXPECT_TRUE(inked(s, 0, top + 2 * line, 24, top + 2 * line + 24));  // 何 after the forced break
    EXPECT_TRUE(inked(s, 0, 0, 48, top - 1));                           // ruby above 吾輩
    // The same page from a save is the same page.
    doctest::TestHost host2;
    host2.realFont = true;
    host2.screen = {kW, kH};
    TG2Doc loaded(host2);
    loaded.create();
    doctest::load(loaded, doctest::save(doc));
    EXPECT_TRUE(doctest::samePixels(frame->surface(), loaded.getFrame(0)->surface()));
}

TEST_F(Window, TheScreenshotShowsTheComposedMessageWindow) {
    const char* d = std::getenv("MJ_XDISPLAY");
    if (!d || !*d) GTEST_SKIP() << "no X display (MJ_XDISPLAY) for the real window";
    setenv("DISPLAY", d, 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    platform::headless::reset();
    ASSERT_TRUE(platform::initWindowSystem(platform::Backend::Sdl));
    platform::registerClass({"TDocWindow", &platform::defWindowProc});
    platform::HWND w = platform::createWindow(0, "TDocWindow", "message", 0, 40, 40, kW, kH, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    platform::showWindow(w, platform::SW_SHOW);
    {
        graphics::TDirectDraw dd;
        ASSERT_EQ(dd.create(w, false, {kW, kH, 32}), 0u);
        graphics::TScreenSurface32 screen;
        ASSERT_TRUE(screen.createScreen(kW, kH));
        ASSERT_TRUE(screen.attachDisplay(dd.back()));
        compose(screen);
        for (int i = 0; i < 30; ++i) {
            platform::Msg m;
            while (platform::peekMessage(m)) platform::dispatchMessage(m);
            screen.present(dd.back());
            dd.flip(false);
            platform::sleepMs(15);
        }
        const std::string stem = "message_window";
        ASSERT_EQ(
            std::system(("import -display " + std::string(d) + " -window root -depth 8 " + stem + ".ppm").c_str()), 0);
        std::system(("import -display " + std::string(d) + " -window root " + stem + ".png").c_str());
        FILE* f = std::fopen((stem + ".ppm").c_str(), "rb");
        ASSERT_NE(f, nullptr);
        int sw = 0, sh = 0, max = 0;
        ASSERT_EQ(std::fscanf(f, "P6 %d %d %d", &sw, &sh, &max), 3);
        std::fgetc(f);
        std::vector<uint8_t> rgb(static_cast<size_t>(sw) * sh * 3);
        ASSERT_EQ(std::fread(rgb.data(), 1, rgb.size(), f), rgb.size());
        std::fclose(f);
        platform::Point origin{0, 0};
        ASSERT_TRUE(platform::clientToScreen(w, origin));
        long wrong = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const uint8_t* p = &rgb[(static_cast<size_t>(origin.y + y) * sw + origin.x + x) * 3];
                wrong += (uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]) != (screen.getPixel(x, y) & 0xFFFFFF);
            }
        EXPECT_EQ(wrong, 0);
    }
    platform::shutdownWindowSystem();
    setenv("SDL_VIDEODRIVER", "dummy", 1);
}
