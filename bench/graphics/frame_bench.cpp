// A worst-case 800 x 600 frame through the screen object, one core: a full-screen background,
// three half-screen alpha sprites, an 800 x 150 translucent fill, a full-screen cross-fade of two
// pictures, then the frame converted into the display's back surface and shown (headless).
// Target: 6 ms a frame. Reported beside memcpy of one frame, measured in the same run.
// The conversion of one finished frame into each display format is measured on its own, beside
// the same memcpy (target: 2x memcpy at most for the 32-bit display). pixman draws the same
// layers into the same frame, converts it into a 32-bit back buffer and copies that out as the
// headless display's present does: the worst frame drawn whole stays within 1.15x of it.
// A story line waiting for a click, through the frame's screen as the game runs it: a frame whose
// only change is the blinking mark costs at most 0.1x the same frame drawn and presented whole
// (its counter `x_whole`).
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "bench_size.h"
#include "framework/window.h"
#include "graphics/direct_draw.h"
#include "graphics/frame_screen.h"
#include "graphics/gr_kinds.h"
#include "graphics/graphic.h"
#include "graphics/pixel_format.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/window_system.h"

using namespace graphics;

namespace {

constexpr int kW = 800;
constexpr int kH = 600;
constexpr size_t kFrameBytes = size_t(kW) * kH * 4;

void randomPicture(TSurface32& s, int w, int h, bool alpha, uint32_t seed) {
    std::mt19937 rng(seed);
    s.alloc(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Alpha pictures like character sprites: transparent margins, a soft edge, an opaque body.
            const int edge = std::min(std::min(x, w - 1 - x), std::min(y, h - 1 - y));
            const uint32_t a = !alpha ? 255 : edge < 40 ? 0 : edge < 56 ? (edge - 40) * 16 : 255;
            s.row(y)[x] = a << 24 | (rng() & 0xFFFFFF);
        }
    s.setHasAlpha(alpha);
}

// The scene and the display it is shown on.
struct Frame {
    platform::ManualClock clock;
    platform::HWND window = nullptr;
    TGraphic screen;
    TDirectDraw display;
    TSurface32 back, spritePic, fadeA, fadeB;
    TSprObj background, sprites[3], before, after;
    TFillObj band;
    TBlendObj fade;

    explicit Frame(bool alphaFade) {
        platform::setClock(&clock);
        platform::registerClass({"TFrameBench", &platform::defWindowProc});
        window = platform::createWindow(0, "TFrameBench", "", 0, 0, 0, kW, kH, nullptr, nullptr);
        display.create(window, false, {kW, kH, 32});
        screen.create(kW, kH, 4);
        screen.attachDisplay(display.back());
        randomPicture(back, kW, kH, false, 1);
        randomPicture(spritePic, kW / 2, kH, true, 2);
        randomPicture(fadeA, kW, kH, alphaFade, 3);
        randomPicture(fadeB, kW, kH, alphaFade, 4);
        background.setSurface(&back);
        screen.add(0, &background);
        for (int i = 0; i < 3; ++i) {
            sprites[i].setSurface(&spritePic);
            sprites[i].setPos(i * 200, 0);
            screen.add(1, &sprites[i]);
        }
        band.setup(kW, 150, 0x00203040u, 160);
        band.setPos(0, 450);
        screen.add(2, &band);
        before.setSurface(&fadeA);
        after.setSurface(&fadeB);
        fade.setPictures(&before, &after, 0);
        fade.setLevel(100);
        screen.add(3, &fade);
    }
    ~Frame() {
        screen.clear();
        display.releaseAll(true);
        platform::destroyWindow(window);
        platform::setClock(nullptr);
    }
    void run() {
        screen.invalidate();
        screen.redraw();
        screen.present(display.back());
        display.flip(false);
    }
};

void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> a(kFrameBytes, 1), b(kFrameBytes);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), kFrameBytes);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

// One 800 x 600 frame into a display of the given format code, both buffers warm.
void BM_ConvertFrame(benchmark::State& state) {
    const auto code = static_cast<uint32_t>(state.range(0));
    std::mt19937 rng(5);
    std::vector<uint32_t> src(size_t(kW) * kH);
    for (uint32_t& p : src) p = rng();
    const ptrdiff_t dstPitch = ptrdiff_t(kW) * bytesPerPixel(code);
    std::vector<uint8_t> dst(size_t(dstPitch) * kH);
    for (auto _ : state) {
        convertFrame(code, dst.data(), src.data(), kW, kH, dstPitch, ptrdiff_t(kW) * 4);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}
BENCHMARK(BM_ConvertFrame)
    ->ArgName("format")
    ->Arg(kFormatXrgb32)
    ->Arg(kFormatXbgr32)
    ->Arg(kFormatRgb565)
    ->Arg(kFormatRgb24)
    ->Unit(benchmark::kMillisecond);

// Opaque pictures cross-fading (a background transition).
void BM_WorstFrame(benchmark::State& state) {
    Frame f(false);
    for (auto _ : state) f.run();
    state.counters["frames_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WorstFrame)->Unit(benchmark::kMillisecond);

// Pictures with soft edges cross-fading (a character changing expression): the per-pixel mix.
void BM_WorstFrameAlphaFade(benchmark::State& state) {
    Frame f(true);
    for (auto _ : state) f.run();
    state.counters["frames_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WorstFrameAlphaFade)->Unit(benchmark::kMillisecond);

// A story line: the background, a character, the message window's translucent panel with two
// lines of glyphs, the buttons beside it, and the 10 x 10 mark that blinks.
struct StoryLine {
    platform::ManualClock clock;
    TWindow window{"TStoryBench"};
    GraphicScreen screen{4};
    TSurface32 back, character, glyph, button, markPic;
    TSprObj background, person, glyphs[48], buttons[10], mark;
    TFillObj panel;

    StoryLine() {
        platform::setClock(&clock);
        window.create();
        screen.setMode(&window, false, kW, kH, 32);
        randomPicture(back, kW, kH, false, 1);
        randomPicture(character, 300, 500, true, 2);
        randomPicture(glyph, 24, 24, true, 3);
        randomPicture(button, 64, 18, false, 4);
        randomPicture(markPic, 10, 10, false, 5);
        TGraphic& g = screen.graphic();
        background.setSurface(&back);
        g.add(0, &background);
        person.setSurface(&character);
        person.setPos(250, 40);
        g.add(1, &person);
        panel.setup(740, 160, 0x00202038u, 200);
        panel.setPos(30, 430);
        g.add(2, &panel);
        for (int i = 0; i < 48; ++i) {
            glyphs[i].setSurface(&glyph);
            glyphs[i].setPos(40 + (i % 28) * 25, 450 + (i / 28) * 32);
            g.add(3, &glyphs[i]);
        }
        for (int i = 0; i < 10; ++i) {
            buttons[i].setSurface(&button);
            buttons[i].setPos(40 + i * 70, 405);
            g.add(3, &buttons[i]);
        }
        mark.setSurface(&markPic);
        mark.setPos(750, 570);
        g.add(3, &mark);
        frame();
    }
    ~StoryLine() {
        screen.graphic().clear();
        screen.close(1);
        window.destroyWindow();
        platform::setClock(nullptr);
    }
    void frame() {
        screen.draw();
        screen.present(0);
    }
    // The frame drawn and shown whole, as after a dialog.
    void whole() {
        screen.endSystemDialog();
        frame();
    }
    void blink() {
        mark.setVisible(!mark.isVisible());
        frame();
    }
};

void BM_StoryLineWhole(benchmark::State& state) {
    StoryLine s;
    for (auto _ : state) s.whole();
}
BENCHMARK(BM_StoryLineWhole)->Unit(benchmark::kMicrosecond);

// The mark alone changed; the same frames drawn whole are timed after it for the ratio.
void BM_StoryLineMarkOnly(benchmark::State& state) {
    StoryLine s;
    for (auto _ : state) s.blink();
    state.counters["drawn_px"] = double(s.screen.lastDrawnArea());
    using Clock = std::chrono::steady_clock;
    const int64_t n = mjbench::size<int64_t>(2000, 20);
    const auto time = [&](auto step) {
        const auto t0 = Clock::now();
        for (int64_t i = 0; i < n; ++i) step();
        return std::chrono::duration<double>(Clock::now() - t0).count();
    };
    const double marks = time([&] { s.blink(); });
    const double wholes = time([&] { s.whole(); });
    state.counters["x_whole"] = marks / wholes;
}
BENCHMARK(BM_StoryLineMarkOnly)->Unit(benchmark::kMicrosecond);

// The worst frame's layers through pixman, premultiplied as it expects: the background copied,
// the three sprites and the band laid OVER, the cross-fade as the first picture copied and the
// second laid OVER through its level, then the frame converted and presented.
void BM_WorstFramePixman(benchmark::State& state) {
    TSurface32 back, spritePic, fadeA, fadeB;
    randomPicture(back, kW, kH, false, 1);
    randomPicture(spritePic, kW / 2, kH, true, 2);
    randomPicture(fadeA, kW, kH, false, 3);
    randomPicture(fadeB, kW, kH, false, 4);
    auto image = [](const TSurface32& s, pixman_format_code_t f, std::vector<uint32_t>& bits) {
        bits.resize(size_t(s.width()) * s.height());
        for (size_t i = 0; i < bits.size(); ++i) {
            const uint32_t p = s.pixels()[i], a = p >> 24;
            auto m = [&](int sh) { return ((p >> sh & 255) * a / 255) << sh; };
            bits[i] = a << 24 | m(16) | m(8) | m(0);
        }
        return pixman_image_create_bits(f, s.width(), s.height(), bits.data(), s.width() * 4);
    };
    std::vector<uint32_t> bBack, bSprite, bA, bB, frame(size_t(kW) * kH), out(size_t(kW) * kH), shown(size_t(kW) * kH);
    pixman_image_t* iBack = image(back, PIXMAN_x8r8g8b8, bBack);
    pixman_image_t* iSprite = image(spritePic, PIXMAN_a8r8g8b8, bSprite);
    pixman_image_t* iA = image(fadeA, PIXMAN_x8r8g8b8, bA);
    pixman_image_t* iB = image(fadeB, PIXMAN_x8r8g8b8, bB);
    pixman_image_t* iFrame = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, frame.data(), kW * 4);
    pixman_image_t* iOut = pixman_image_create_bits(PIXMAN_x8r8g8b8, kW, kH, out.data(), kW * 4);
    // The band's colour 0x203040 at opacity 160, premultiplied (16-bit channels).
    const pixman_color_t bandColour{0x2020 * 160 / 255, 0x3030 * 160 / 255, 0x4040 * 160 / 255, 0xA0A0};
    const pixman_color_t levelColour{0, 0, 0, 0x6464};  // the cross-fade's level 100
    pixman_image_t* iBand = pixman_image_create_solid_fill(&bandColour);
    pixman_image_t* iLevel = pixman_image_create_solid_fill(&levelColour);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, iBack, nullptr, iFrame, 0, 0, 0, 0, 0, 0, kW, kH);
        for (int i = 0; i < 3; ++i)
            pixman_image_composite32(PIXMAN_OP_OVER, iSprite, nullptr, iFrame, 0, 0, 0, 0, i * 200, 0, kW / 2, kH);
        pixman_image_composite32(PIXMAN_OP_OVER, iBand, nullptr, iFrame, 0, 0, 0, 0, 0, 450, kW, 150);
        pixman_image_composite32(PIXMAN_OP_SRC, iA, nullptr, iFrame, 0, 0, 0, 0, 0, 0, kW, kH);
        pixman_image_composite32(PIXMAN_OP_OVER, iB, iLevel, iFrame, 0, 0, 0, 0, 0, 0, kW, kH);
        pixman_image_composite32(PIXMAN_OP_SRC, iFrame, nullptr, iOut, 0, 0, 0, 0, 0, 0, kW, kH);
        std::memcpy(shown.data(), out.data(), kFrameBytes);
        benchmark::DoNotOptimize(shown.data());
        benchmark::ClobberMemory();
    }
    for (pixman_image_t* i : {iBack, iSprite, iA, iB, iFrame, iOut, iBand, iLevel}) pixman_image_unref(i);
    state.counters["frames_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WorstFramePixman)->Unit(benchmark::kMillisecond);

}  // namespace
