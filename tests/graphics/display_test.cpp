// The display: pixel formats and their converters, the screen surface that presents through a
// display surface, the display device's set-up, fall-backs, failures and lost surfaces (on the
// headless display, which can be told to fail), and frames read back from SDL's dummy driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "framework/frame.h"
#include "framework/window.h"
#include "graphics/frame_screen.h"
#include "graphics/gr_kinds.h"
#include "graphics/direct_draw.h"
#include "graphics/pixel_format.h"
#include "graphics/screen_surface.h"
#include "graphics/sprite.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/headless.h"
#include "platform/window_system.h"

using namespace graphics;
namespace dd = platform::dd;
using platform::DisplayFormat;
using platform::DisplayStep;

namespace {

const DisplayFormat kFormats[] = {
    {16, 0x7C00, 0x03E0, 0x001F}, {16, 0xF800, 0x07E0, 0x001F}, {24, 0xFF0000, 0xFF00, 0xFF},
    {24, 0xFF, 0xFF00, 0xFF0000}, {32, 0xFF0000, 0xFF00, 0xFF}, {32, 0xFF, 0xFF00, 0xFF0000},
};

std::vector<uint32_t> randomPixels(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint32_t> v(n);
    for (auto& p : v) p = rng();
    return v;
}

uint32_t readPixel(const uint8_t* row, int x, uint32_t bytes) {
    uint32_t v = 0;
    std::memcpy(&v, row + x * bytes, bytes);
    return v;
}

// A window of the headless back end, and a clock that does not sleep.
class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::headless::reset();
        platform::setClock(&clock);
        platform::registerClass({"DisplayTest", &DisplayTest::proc});
        window = platform::createWindow(0, "DisplayTest", "d", 0, 0, 0, 640, 480, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        messages.clear();
    }
    void TearDown() override {
        platform::headless::reset();
        platform::setClock(nullptr);
    }
    static intptr_t proc(platform::HWND h, uint32_t m, uintptr_t w, intptr_t l) {
        messages.push_back(m);
        return platform::defWindowProc(h, m, w, l);
    }
    int count(uint32_t message) const {
        return static_cast<int>(std::count(messages.begin(), messages.end(), message));
    }

    platform::ManualClock clock;
    platform::HWND window = nullptr;
    static inline std::vector<uint32_t> messages;
};

}  // namespace

TEST(PixelFormat, CodesFollowTheBitCountAndMasks) {
    EXPECT_EQ(pixelFormatCode(16, 0x7C00, 0x03E0, 0x001F), kFormatRgb555);
    EXPECT_EQ(pixelFormatCode(16, 0xF800, 0x07E0, 0x001F), kFormatRgb565);
    EXPECT_EQ(pixelFormatCode(16, 0x0F00, 0x00F0, 0x000F), kFormatOther16);
    EXPECT_EQ(pixelFormatCode(24, 0xFF0000, 0xFF00, 0xFF), kFormatRgb24);
    EXPECT_EQ(pixelFormatCode(24, 0xFF, 0xFF00, 0xFF0000), kFormatBgr24);
    EXPECT_EQ(pixelFormatCode(24, 0xFF00, 0xFF, 0xFF0000), kFormatOther24);
    EXPECT_EQ(pixelFormatCode(32, 0xFF0000, 0xFF00, 0xFF), kFormatXrgb32);
    EXPECT_EQ(pixelFormatCode(32, 0xFF, 0xFF00, 0xFF0000), kFormatXbgr32);
    EXPECT_EQ(pixelFormatCode(32, 0x3FF00000, 0xFFC00, 0x3FF), kFormatOther32);
    EXPECT_EQ(pixelFormatCode(2, 0, 0, 0), kFormat2Bit);
    EXPECT_EQ(pixelFormatCode(4, 0, 0, 0), kFormat4Bit);
    EXPECT_EQ(pixelFormatCode(8, 0, 0, 0), kFormat8Bit);
    EXPECT_EQ(pixelFormatCode(15, 0, 0, 0), kFormatUnknown);
}

TEST(PixelFormat, ConvertedPixelsOfTheExamples) {
    EXPECT_EQ(toRgb555(0xFF808080u), 0x4210u);
    EXPECT_EQ(toRgb565(0xFFFFFFFFu), 0xFFFFu);
    EXPECT_EQ(toXbgr32(0xFF102030u), 0x00302010u);
    uint8_t out[4] = {1, 2, 3, 4};
    const uint32_t p = 0xFF102030u;
    ASSERT_TRUE(convertFrame(kFormatXbgr32, out, &p, 1, 1, 4, 4));
    EXPECT_EQ(readPixel(out, 0, 4), 0x00302010u);
    EXPECT_FALSE(convertFrame(kFormatOther16, out, &p, 1, 1, 4, 4));
}

// Every width covers the groups of two and four pixels and their tails; the frame converters
// agree with SDL's own, and the sprite converters give the frame's pixels (code 9 keeps alpha).
TEST(PixelFormat, ConvertersAgreeWithSdlAndWithEachOther) {
    for (const DisplayFormat& f : kFormats) {
        const uint32_t code = pixelFormatCode(f.bitCount, f.redMask, f.greenMask, f.blueMask);
        const uint32_t bytes = f.bitCount / 8;
        for (int w : {1, 2, 3, 4, 5, 7, 8, 13}) {
            const int h = 3;
            const auto src = randomPixels(static_cast<size_t>(w) * h, static_cast<uint32_t>(code * 100 + w));
            const int pitch = ((w * static_cast<int>(bytes) + 3) & ~3) + 4;
            std::vector<uint8_t> ours(static_cast<size_t>(pitch) * h, 0xAB), sdl(ours.size(), 0xAB);
            ASSERT_TRUE(convertFrame(code, ours.data(), src.data(), w, h, pitch, w * 4));
            ASSERT_TRUE(platform::referenceConvertFromArgb(f, src.data(), w, h, sdl.data(), pitch)) << code;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const uint32_t mask = bytes == 4 ? 0xFFFFFF : (1u << (8 * bytes)) - 1;
                    EXPECT_EQ(readPixel(&ours[y * pitch], x, bytes) & mask, readPixel(&sdl[y * pitch], x, bytes) & mask)
                        << "code " << code << " width " << w << " at " << x << "," << y;
                    if (bytes == 4) {
                        EXPECT_EQ(readPixel(&ours[y * pitch], x, 4) >> 24, 0u);
                    }
                }
            // Nothing past the row's pixels is written.
            for (int y = 0; y < h; ++y)
                for (int b = w * static_cast<int>(bytes); b < pitch; ++b) EXPECT_EQ(ours[y * pitch + b], 0xAB);
            std::vector<uint8_t> spr(ours.size(), 0xAB), keyed(ours.size(), 0xAB);
            ASSERT_TRUE(convertSprite(code, spr.data(), src.data(), w, h, pitch, w * 4));
            ASSERT_TRUE(convertSpriteKeyed(code, keyed.data(), src.data(), w, h, pitch, w * 4, src[1 % src.size()]));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const uint32_t s = src[y * w + x];
                    const uint32_t want = code == kFormatXrgb32 ? s : readPixel(&ours[y * pitch], x, bytes);
                    EXPECT_EQ(readPixel(&spr[y * pitch], x, bytes), want);
                    const uint8_t untouched[4] = {0xAB, 0xAB, 0xAB, 0xAB};
                    EXPECT_EQ(readPixel(&keyed[y * pitch], x, bytes),
                              s == src[1 % src.size()] ? readPixel(untouched, 0, bytes) : want);
                }
        }
    }
}

TEST_F(DisplayTest, ScreenSurfaceReadsTheFormatAndPresentsIntoIt) {
    for (const DisplayFormat& f : kFormats) {
        platform::headless::setDisplayFormat(f);
        TDirectDraw d;
        ASSERT_EQ(d.create(window, false, {8, 4, 32}), 0u);
        TScreenSurface32 screen;
        ASSERT_TRUE(screen.createScreen(8, 4));
        EXPECT_FALSE(screen.hasAlpha());
        EXPECT_EQ(screen.getPixel(3, 3), 0xFF000000u);
        ASSERT_TRUE(screen.attachDisplay(d.back()));
        const uint32_t code = pixelFormatCode(f.bitCount, f.redMask, f.greenMask, f.blueMask);
        EXPECT_EQ(screen.format(), code);
        EXPECT_EQ(screen.bitCount(), f.bitCount);
        EXPECT_EQ(screen.loss(1), f.greenMask == 0x07E0 ? 2u : f.bitCount == 16 ? 3u : 0u);
        EXPECT_EQ(screen.scale(0), f.bitCount == 16 ? 8u : 1u);
        const auto px = randomPixels(32, code);
        std::memcpy(screen.pixels(), px.data(), 32 * 4);
        // Two answers of "still drawing" are waited out.
        platform::headless::failDisplayStep(DisplayStep::Lock, dd::kWasStillDrawing, 2);
        EXPECT_EQ(screen.present(d.back()), dd::kOk);
        std::vector<uint8_t> want(static_cast<size_t>(d.back()->pitch()) * 4);
        convertFrame(code, want.data(), px.data(), 8, 4, d.back()->pitch(), 32);
        EXPECT_EQ(std::memcmp(d.back()->bytes(), want.data(), want.size()), 0) << code;
    }
}

TEST_F(DisplayTest, ScreenSurfaceRefusesPaletteDisplaysAndSurvivesFailedLocks) {
    platform::headless::setDisplayFormat({8, 0, 0, 0});
    TDirectDraw d;
    ASSERT_EQ(d.create(window, false, {8, 4, 8}), 0u);
    TScreenSurface32 screen;
    ASSERT_TRUE(screen.createScreen(16, 8));  // larger than the display: only the common part
    EXPECT_FALSE(screen.attachDisplay(d.back()));
    EXPECT_EQ(screen.format(), kFormat8Bit);
    EXPECT_EQ(screen.present(d.back()), dd::kOk);
    platform::headless::setDisplayFormat({32, 0xFF0000, 0xFF00, 0xFF});
    TDirectDraw d32;
    ASSERT_EQ(d32.create(window, false, {8, 4, 32}), 0u);
    ASSERT_TRUE(screen.attachDisplay(d32.back()));
    screen.fill(0xFF123456u);
    EXPECT_EQ(screen.present(d32.back()), dd::kOk);
    EXPECT_EQ(readPixel(d32.back()->bytes(), 7, 4), 0x123456u);
    // A lost surface is not written, and the unlock's answer is what present reports.
    d32.device()->loseSurfaces();
    screen.fill(0xFF000000u);
    EXPECT_NE(screen.present(d32.back()), dd::kOk);
    EXPECT_EQ(readPixel(d32.back()->bytes(), 7, 4), 0x123456u);
    platform::headless::failDisplayStep(DisplayStep::GetDesc, dd::kGeneric);
    EXPECT_FALSE(screen.attachDisplay(d32.back()));
    EXPECT_EQ(screen.present(nullptr), dd::kInvalidParams);
}

TEST_F(DisplayTest, WindowedSetUpPresentsIntoTheWindow) {
    TDirectDraw d;
    EXPECT_EQ(d.create(nullptr, false, {640, 480, 16}), TDirectDraw::kErrNoWindow);
    EXPECT_EQ(d.device(), nullptr);
    ASSERT_EQ(d.create(window, false, {640, 480, 16}), 0u);
    EXPECT_EQ(d.bitsPerPixel(), 32);  // the desktop's depth
    EXPECT_TRUE(d.backInVideoMemory());
    EXPECT_EQ(count(TDirectDraw::kMsgRestored), 1);
    TScreenSurface32 screen;
    ASSERT_TRUE(screen.createScreen(640, 480));
    ASSERT_TRUE(screen.attachDisplay(d.back()));
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) screen.row(y)[x] = 0xFF000000u | static_cast<uint32_t>(x * 3 + y * 1000);
    screen.present(d.back());
    ASSERT_TRUE(d.flip(false));
    int w = 0, h = 0;
    std::vector<uint32_t> shown;
    ASSERT_TRUE(platform::lastPresentedFrame(window, w, h, shown));
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 480);
    for (int y = 0; y < 480; y += 7)
        for (int x = 0; x < 640; x += 5) ASSERT_EQ(shown[y * 640 + x] & 0xFFFFFF, screen.getPixel(x, y) & 0xFFFFFF);
    // Releasing is announced first; the device survives unless asked.
    d.releaseAll(false);
    EXPECT_EQ(count(TDirectDraw::kMsgReleasing), 1);
    EXPECT_NE(d.device(), nullptr);
    EXPECT_FALSE(d.flip(false));
}

TEST_F(DisplayTest, FullScreenDepthFallsBackAlongTheChain) {
    using M = platform::DisplayMode;
    struct Case {
        std::vector<M> modes;
        int requested;
        uint32_t code;
        int chosen;
    } cases[] = {
        {{{800, 600, 24}}, 32, 0, 24},
        {{{800, 600, 16}}, 32, 0, 16},
        {{{800, 600, 16}, {800, 600, 32}}, 24, 0, 32},
        {{{800, 600, 32}}, 0, 0, 32},  // 0 asks for 16, which falls back to 24, then 32
        {{{800, 600, 16}}, 8, TDirectDraw::kErrDepth, 0},
        {{{640, 480, 32}}, 32, TDirectDraw::kErrDepth, 0},
        {{}, 32, TDirectDraw::kErrNoModes, 0},
    };
    for (const Case& c : cases) {
        platform::headless::setDisplayModes(c.modes);
        TDirectDraw d;
        EXPECT_EQ(d.create(window, true, {800, 600, c.requested}), c.code) << c.requested;
        if (c.code == 0) {
            EXPECT_EQ(d.bitsPerPixel(), c.chosen);
            EXPECT_TRUE(platform::isWindowFullScreen(window));
            EXPECT_EQ(d.back()->format().bitCount, static_cast<uint32_t>(c.chosen));
        }
        d.releaseAll(true);
        EXPECT_FALSE(platform::isWindowFullScreen(window));
    }
}

// A display that lists only its own size shows the frame scaled, at the depth asked for; the
// listed modes still decide the depth where the frame's size is among them.
TEST_F(DisplayTest, FullScreenOnADisplayThatScalesNeedsNoListedMode) {
    platform::headless::setScaledFullScreen(true);
    struct Case {
        std::vector<platform::DisplayMode> modes;
        int requested;
        uint32_t code;
        int chosen;
    } cases[] = {
        {{{1920, 1080, 32}}, 32, 0, 32},
        {{{1024, 768, 24}}, 16, 0, 16},
        {{{800, 600, 24}, {1024, 768, 32}}, 32, 0, 24},
        {{{1024, 768, 32}}, 8, TDirectDraw::kErrDepth, 0},
    };
    for (const Case& c : cases) {
        platform::headless::setDisplayModes(c.modes);
        TDirectDraw d;
        EXPECT_EQ(d.create(window, true, {800, 600, c.requested}), c.code) << c.requested;
        if (c.code == 0) {
            EXPECT_EQ(d.bitsPerPixel(), c.chosen);
            EXPECT_TRUE(platform::isWindowFullScreen(window));
            ASSERT_NE(d.back(), nullptr);
            EXPECT_EQ(d.back()->width(), 800);
            EXPECT_EQ(d.back()->format().bitCount, static_cast<uint32_t>(c.chosen));
        }
        d.releaseAll(true);
        EXPECT_FALSE(platform::isWindowFullScreen(window));
    }
    platform::headless::setScaledFullScreen(false);
}

TEST_F(DisplayTest, ModeListKeepsOneEntryPerRunOfRefreshRates) {
    platform::headless::setDisplayModes(
        {{800, 600, 32}, {800, 600, 32}, {800, 600, 32}, {640, 480, 16}, {640, 480, 16}, {800, 600, 32}});
    TDirectDraw d;
    ASSERT_EQ(d.create(window, true, {800, 600, 32}), 0u);
    ASSERT_EQ(d.modes().size(), 3u);
    EXPECT_TRUE(d.hasMode({640, 480, 16}));
    EXPECT_FALSE(d.hasMode({640, 480, 32}));
    EXPECT_EQ(d.enumModes(), 3);
    platform::headless::failDisplayStep(DisplayStep::EnumModes, dd::kGeneric);
    EXPECT_EQ(d.enumModes(), 0);
}

// Each step that fails gives its code; four device results have codes of their own.
TEST_F(DisplayTest, EachFailingStepGivesItsCode) {
    struct Case {
        bool fullScreen;
        DisplayStep step;
        uint32_t result;
        uint32_t code;
    } cases[] = {
        {false, DisplayStep::Create, dd::kGeneric, TDirectDraw::kErrCreate},
        {false, DisplayStep::Create, dd::kNoDirectDrawHw, 0x3004113},
        {false, DisplayStep::Query, dd::kGeneric, TDirectDraw::kErrQuery},
        {false, DisplayStep::CooperativeLevel, dd::kGeneric, TDirectDraw::kErrCooperativeLevel},
        {false, DisplayStep::Primary, dd::kOutOfMemory, 0x1000001},
        {false, DisplayStep::Primary, dd::kGeneric, TDirectDraw::kErrPrimary},
        {false, DisplayStep::OffscreenSystem, dd::kGeneric, 0},  // video memory served
        {false, DisplayStep::Clipper, dd::kGeneric, TDirectDraw::kErrClipper},
        {false, DisplayStep::ClipperWindow, dd::kGeneric, TDirectDraw::kErrClipperWindow},
        {false, DisplayStep::ClipperAttach, dd::kGeneric, TDirectDraw::kErrClipperAttach},
        {false, DisplayStep::Restore, dd::kGeneric, TDirectDraw::kErrRestore},
        {true, DisplayStep::CooperativeLevel, dd::kGeneric, TDirectDraw::kErrCooperativeLevel},
        {true, DisplayStep::EnumModes, dd::kGeneric, TDirectDraw::kErrNoModes},
        {true, DisplayStep::SetMode, dd::kUnsupportedMode, 0x3004114},
        {true, DisplayStep::SetMode, dd::kGeneric, TDirectDraw::kErrSetMode},
        // Tried again without back buffers, which leaves no back buffer to attach.
        {true, DisplayStep::PrimaryChain, dd::kGeneric, TDirectDraw::kErrBackBuffer},
        {true, DisplayStep::Primary, dd::kOutOfVideoMemory, 0},
        {true, DisplayStep::AttachedBack, dd::kGeneric, TDirectDraw::kErrBackBuffer},
    };
    for (const Case& c : cases) {
        platform::headless::failDisplayStep(c.step, c.result);
        TDirectDraw d;
        EXPECT_EQ(d.create(window, c.fullScreen, {800, 600, 32}), c.code)
            << "step " << static_cast<int>(c.step) << " full screen " << c.fullScreen;
        d.releaseAll(true);
        platform::headless::resetDisplay();
    }
    // The primary chain and the lone primary both failing: the chain is retried once.
    platform::headless::failDisplayStep(DisplayStep::PrimaryChain, dd::kGeneric);
    platform::headless::failDisplayStep(DisplayStep::Primary, dd::kGeneric);
    TDirectDraw d;
    EXPECT_EQ(d.create(window, true, {800, 600, 32}), TDirectDraw::kErrPrimary);
    // A windowed back surface that fits nowhere.
    platform::headless::failDisplayStep(DisplayStep::OffscreenVideo, dd::kGeneric);
    platform::headless::failDisplayStep(DisplayStep::OffscreenSystem, dd::kOutOfVideoMemory);
    TDirectDraw w;
    EXPECT_EQ(w.create(window, false, {640, 480, 32}), 0x3004115u);
    platform::headless::failDisplayStep(DisplayStep::OffscreenVideo, dd::kGeneric);
    TDirectDraw sys;
    EXPECT_EQ(sys.create(window, false, {640, 480, 32}), 0u);
    EXPECT_FALSE(sys.backInVideoMemory());
}

TEST_F(DisplayTest, LostSurfacesAreRestoredByTheCallsThatMeetThem) {
    TDirectDraw d;
    ASSERT_EQ(d.create(window, true, {800, 600, 32}), 0u);
    messages.clear();
    d.device()->loseSurfaces();
    EXPECT_FALSE(d.flip(false));
    EXPECT_EQ(count(TDirectDraw::kMsgRestored), 1);
    EXPECT_TRUE(d.flip(false));
    d.device()->loseSurfaces();
    EXPECT_FALSE(d.fill(0));
    EXPECT_EQ(count(TDirectDraw::kMsgRestored), 2);
    EXPECT_TRUE(d.fill(0x123456));
    EXPECT_EQ(readPixel(d.back()->bytes(), 799, 4), 0x123456u);
    // Copying the back buffer instead of flipping shows it as well.
    const int shown = d.device()->presentCount();
    EXPECT_TRUE(d.flip(true));
    EXPECT_EQ(d.device()->presentCount(), shown + 1);
    // A flip still drawing is asked again.
    platform::headless::failDisplayStep(DisplayStep::Flip, dd::kWasStillDrawing, 3);
    EXPECT_TRUE(d.flip(false));
    // Flipping exchanges the buffers: clearing fills both.
    EXPECT_TRUE(d.clearBuffers(0x00ABCDEF));
    EXPECT_EQ(readPixel(d.back()->bytes(), 0, 4), 0xABCDEFu);
    EXPECT_EQ(readPixel(d.primary()->bytes(), 0, 4), 0xABCDEFu);
    platform::Rect r{10, 10, 20, 20};
    EXPECT_TRUE(d.fillRect(r, 7));
    EXPECT_EQ(readPixel(d.back()->bytes() + 10 * d.back()->pitch(), 10, 4), 7u);
    EXPECT_EQ(readPixel(d.back()->bytes() + 10 * d.back()->pitch(), 20, 4), 0xABCDEFu);
}

TEST_F(DisplayTest, SpritesWriteStraightIntoTheDisplay) {
    platform::headless::setDisplayFormat({16, 0xF800, 0x07E0, 0x001F});
    TDirectDraw d;
    ASSERT_EQ(d.create(window, false, {16, 8, 16}), 0u);
    platform::DisplaySurface& back = *d.back();
    TSurface32 s;
    ASSERT_TRUE(s.createFilled(4, 4, 0xFFFFFFFFu));
    s.row(1)[1] = 0xFF000000u;  // the key
    TSprite32 sp;
    sp.setSurface(&s);
    sp.setKind(sprite_flag::kColorKey);
    sp.setColorKey(0xFF000000u);
    back.fill(nullptr, 0x1234);
    // Partly off the display: only the visible part is written.
    sp.drawToDisplay(back, 14, -2);
    auto px = [&](int x, int y) { return readPixel(back.bytes() + y * back.pitch(), x, 2); };
    EXPECT_EQ(px(13, 0), 0x1234u);
    EXPECT_EQ(px(14, 0), 0xFFFFu);
    EXPECT_EQ(px(15, 1), 0xFFFFu);
    EXPECT_EQ(px(14, 2), 0x1234u);
    back.fill(nullptr, 0x1234);
    sp.drawToDisplay(back, 2, 2);
    EXPECT_EQ(px(3, 3), 0x1234u);  // keyed: left as it was
    EXPECT_EQ(px(2, 2), 0xFFFFu);
    // Rectangles reaching past the sprite's surface or the display never write beyond them.
    back.fill(nullptr, 0);
    sp.blitToDisplay(back, -100, -100, RECT{-50, -50, 500, 500});
    sp.blitToDisplay(back, 1000000, 5, RECT{0, 0, 4, 4});
    EXPECT_EQ(px(0, 0), 0u);
    sp.blitToDisplay(back, 0, 0, RECT{-1, 0, 2, 1});
    EXPECT_EQ(px(0, 0), 0u);
    EXPECT_EQ(px(1, 0), 0xFFFFu);
    EXPECT_EQ(px(2, 0), 0xFFFFu);
    d.device()->loseSurfaces();
    back.fill(nullptr, 5);
    sp.drawToDisplay(back, 0, 0);  // the lock fails: nothing is written
    d.restore();
    EXPECT_EQ(px(0, 0), 0u);
    // A copy cut at either surface's corner keeps every pixel it copies over its own place.
    platform::DisplaySurface& front = *d.primary();
    const platform::Rect one{0, 0, 1, 1}, two{1, 0, 2, 1};
    back.fill(&one, 0xAAAA);
    back.fill(&two, 0xBBBB);
    auto at = [&](int x, int y) { return readPixel(front.bytes() + y * front.pitch(), x, 2); };
    for (const auto& [x, y, from, want] :
         {std::tuple{0, 0, platform::Rect{-1, -1, 2, 2}, std::array{0u, 0u, 0xAAAAu}},
          std::tuple{-1, 0, platform::Rect{0, 0, 2, 1}, std::array{0xBBBBu, 0u, 0u}}}) {
        front.fill(nullptr, 0);
        ASSERT_EQ(front.bltFast(x, y, back, &from), dd::kOk);
        EXPECT_EQ((std::array{at(0, 0), at(1, 0), at(1, 1)}), want) << x << "," << from.left;
    }
}

TEST_F(DisplayTest, TheFrameDrawsItsObjectsThroughTheScreenObject) {
    struct Alive : TTask {
        void update() override {}
    };
    useGraphicScreenForFrames(4);
    TWindow w("TScreenFrame");
    TGameFrameG2 frame;
    setFrameScreenMaker(nullptr);
    frame.setWindowed(true);
    ASSERT_EQ(w.create(), 0u);
    ASSERT_TRUE(frame.create(nullptr, &w));
    auto* screen = dynamic_cast<GraphicScreen*>(&frame.screen());
    ASSERT_NE(screen, nullptr);
    ASSERT_EQ(graphic(), &screen->graphic());
    EXPECT_EQ(graphic()->getLayers().size(), 4u);
    TFillObj box;
    box.setup(100, 50, 0xFF3366CCu, 255);
    box.setPos(10, 20);
    graphic()->add(1, &box);
    frame.add(new Alive());
    auto shown = [&](int x, int y) {
        int fw = 0, fh = 0;
        std::vector<uint32_t> px;
        EXPECT_TRUE(platform::lastPresentedFrame(w.handle(), fw, fh, px));
        return fw == 640 && fh == 480 ? px[y * 640 + x] & 0xFFFFFF : 0xDEADu;
    };
    ASSERT_TRUE(frame.run());
    EXPECT_EQ(shown(10, 20), 0x3366CCu);
    EXPECT_EQ(shown(110, 20), 0u);
    // Restored surfaces make the screen draw everything again, changed or not.
    box.setPos(200, 20);
    screen->directDraw().device()->loseSurfaces();
    ASSERT_TRUE(frame.run());
    ASSERT_TRUE(frame.run());
    EXPECT_EQ(shown(200, 20), 0x3366CCu);
    graphic()->clear();
    frame.terminate();
}

// SDL's dummy video driver: the frame reaches the renderer and is read back unchanged.
TEST(SdlDisplay, PresentedFrameReadsBackEqualToTheSurface) {
    platform::headless::reset();
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (!platform::initWindowSystem(platform::Backend::Sdl)) GTEST_SKIP() << "SDL video could not start";
    platform::registerClass({"SdlDisplayTest", &platform::defWindowProc});
    platform::HWND w = platform::createWindow(0, "SdlDisplayTest", "d", 0, 0, 0, 320, 240, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    platform::showWindow(w, platform::SW_SHOW);
    platform::ManualClock clock;
    platform::setClock(&clock);
    {
        TDirectDraw d;
        ASSERT_EQ(d.create(w, false, {320, 240, 32}), 0u);
        EXPECT_EQ(d.back()->format(), (DisplayFormat{32, 0xFF0000, 0xFF00, 0xFF}));
        TScreenSurface32 screen;
        ASSERT_TRUE(screen.createScreen(320, 240));
        ASSERT_TRUE(screen.attachDisplay(d.back()));
        EXPECT_EQ(screen.format(), kFormatXrgb32);
        const auto px = randomPixels(320 * 240, 9);
        std::memcpy(screen.pixels(), px.data(), px.size() * 4);
        screen.present(d.back());
        ASSERT_TRUE(d.flip(false));
        int rw = 0, rh = 0;
        std::vector<uint32_t> shown;
        ASSERT_TRUE(platform::readBackFrame(w, rw, rh, shown));
        ASSERT_EQ(rw, 320);
        ASSERT_EQ(rh, 240);
        size_t differ = 0;
        for (size_t i = 0; i < shown.size(); ++i) differ += (shown[i] & 0xFFFFFF) != (px[i] & 0xFFFFFF);
        EXPECT_EQ(differ, 0u);
    }
    platform::setClock(nullptr);
    platform::shutdownWindowSystem();
}
