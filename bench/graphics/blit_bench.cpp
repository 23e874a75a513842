// The pixel kernels on an 800 x 600 frame, one core, with sprites like the game's: 60 %
// transparent, 30 % opaque, 10 % soft edge. Each kernel runs on the packed path this processor
// has ("/simd") and on the plain one ("/plain"). Copy and fill are reported against memcpy
// measured in the same run ("of_memcpy", its speed as a share of memcpy's: 1 is as fast), the
// blends in pixels per second, and pixman's OVER on the same data as a yardstick.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "graphics/blitter.h"
#include "graphics/kernels.h"
#include "graphics/sprite.h"
#include "graphics/surface32.h"
#include "graphics/surface8.h"

using namespace graphics;

namespace {

constexpr int kW = 800;
constexpr int kH = 600;
constexpr size_t kFrameBytes = size_t(kW) * kH * 4;

// Rows of runs: transparent, then a soft edge, then opaque, then an edge, in the proportions
// of the game's character and button sprites.
void realisticSprite(TSurface32& s) {
    std::mt19937 rng(42);
    for (int y = 0; y < s.height(); ++y) {
        uint32_t* row = s.row(y);
        int x = 0;
        while (x < s.width()) {
            const int run = 40 + static_cast<int>(rng() % 80);
            const int transparent = run * 60 / 100, edge = run * 5 / 100, opaque = run - transparent - 2 * edge;
            auto put = [&](int n, auto alpha) {
                for (int i = 0; i < n && x < s.width(); ++i, ++x)
                    row[x] = alpha(i) << 24 | (static_cast<uint32_t>(rng()) & 0xFFFFFF);
            };
            put(transparent, [](int) { return 0u; });
            put(edge, [&](int i) { return static_cast<uint32_t>(255 * (i + 1) / (edge + 1)); });
            put(opaque, [](int) { return 255u; });
            put(edge, [&](int i) { return static_cast<uint32_t>(255 - 255 * (i + 1) / (edge + 1)); });
        }
    }
    s.setHasAlpha(true);
}

double memcpyBandwidth() {
    static const double bw = [] {
        std::vector<uint8_t> a(kFrameBytes, 1), b(kFrameBytes, 2);
        for (int i = 0; i < 300; ++i) std::memcpy(b.data(), a.data(), kFrameBytes);  // warm
        const auto t0 = std::chrono::steady_clock::now();
        int n = 0;
        for (; n < 3000; ++n) {
            std::memcpy(b.data(), a.data(), kFrameBytes);
            benchmark::ClobberMemory();
        }
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        return double(kFrameBytes) * n / secs;
    }();
    return bw;
}

struct PathScope {
    explicit PathScope(bool plain) : before(setPixelPath(plain ? PixelPath::Plain : PixelPath::Avx2)) {}
    ~PathScope() { setPixelPath(before); }
    PixelPath before;
};

// Wall time of a benchmark's timing loop: started before the loop, read after it.
class LoopClock {
public:
    double seconds() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Bytes per second and, as a plain ratio, that speed against memcpy's.
void reportOfMemcpy(benchmark::State& state, size_t bytes, const LoopClock& clock) {
    const double total = double(state.iterations()) * double(bytes), seconds = clock.seconds();
    state.SetBytesProcessed(static_cast<int64_t>(total));
    state.counters["of_memcpy"] = seconds > 0 ? total / seconds / memcpyBandwidth() : 0.0;
}

void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> a(kFrameBytes, 1), b(kFrameBytes);
    const LoopClock clock;
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), kFrameBytes);
        benchmark::ClobberMemory();
    }
    reportOfMemcpy(state, kFrameBytes, clock);
}

void BM_Copy(benchmark::State& state, bool plain) {
    PathScope path(plain);
    TSurface32 src, dst;
    src.createFilled(kW, kH, 0xFF123456);
    dst.createFilled(kW, kH, 0);
    const LoopClock clock;
    for (auto _ : state) {
        dst.copyFrom(0, 0, src);
        benchmark::ClobberMemory();
    }
    reportOfMemcpy(state, kFrameBytes, clock);
}

void BM_Fill(benchmark::State& state, bool plain) {
    PathScope path(plain);
    TSurface32 dst;
    dst.createFilled(kW, kH, 0);
    const LoopClock clock;
    for (auto _ : state) {
        dst.fill(0xFF102030);
        benchmark::ClobberMemory();
    }
    reportOfMemcpy(state, kFrameBytes, clock);
}

// Draws one sprite kind over an opaque frame.
void drawKind(benchmark::State& state, bool plain, uint32_t kind, uint32_t opacity, bool stretched) {
    PathScope path(plain);
    TSurface32 src, dst;
    const int sw = stretched ? kW / 2 : kW, sh = stretched ? kH / 2 : kH;
    src.alloc(sw, sh);
    realisticSprite(src);
    dst.createFilled(kW, kH, 0xFF336699);
    TSurface8 map;
    map.alloc(64, 64);
    std::mt19937 rng(7);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) map.row(y)[x] = static_cast<uint8_t>(rng());
    TAlphaMask mask;
    mask.setMap(&map);
    TSprite32 sp;
    sp.setSurface(&src);
    sp.setMask(&mask);
    sp.setKind(kind);
    sp.setOpacity(opacity);
    const BlitKernel k = blitKernel(stretched ? 3 : 1, kind);
    for (auto _ : state) {
        k(dst, 0, 0, sp, RECT{0, 0, sw, sh}, kW, kH);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kW * kH);
}

void BM_SourceAlphaLerp(benchmark::State& state, bool plain) { drawKind(state, plain, 8, 255, false); }
void BM_SourceAlphaLerpOpacity(benchmark::State& state, bool plain) { drawKind(state, plain, 8, 200, false); }
void BM_OpacityLerp(benchmark::State& state, bool plain) { drawKind(state, plain, 0, 128, false); }
void BM_TiledMask(benchmark::State& state, bool plain) { drawKind(state, plain, 16, 255, false); }
void BM_StretchedCopy(benchmark::State& state, bool plain) { drawKind(state, plain, 0, 255, true); }

void BM_BlendFill(benchmark::State& state, bool plain) {
    PathScope path(plain);
    TSurface32 dst;
    dst.createFilled(kW, kH, 0xFF336699);
    for (auto _ : state) {
        dst.blendAll(0x80102030);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kW * kH);
}

// pixman's OVER of the same sprite (premultiplied, as pixman expects) onto an opaque frame.
void BM_PixmanOver(benchmark::State& state) {
    TSurface32 src;
    src.alloc(kW, kH);
    realisticSprite(src);
    std::vector<uint32_t> pre(size_t(kW) * kH), dst(size_t(kW) * kH, 0xFF336699);
    for (size_t i = 0; i < pre.size(); ++i) {
        const uint32_t p = src.pixels()[i], a = p >> 24;
        auto m = [&](int sh) { return ((p >> sh & 255) * a / 255) << sh; };
        pre[i] = a << 24 | m(16) | m(8) | m(0);
    }
    pixman_image_t* s = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, pre.data(), kW * 4);
    pixman_image_t* d = pixman_image_create_bits(PIXMAN_x8r8g8b8, kW, kH, dst.data(), kW * 4);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, s, nullptr, d, 0, 0, 0, 0, 0, 0, kW, kH);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(s);
    pixman_image_unref(d);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kW * kH);
}

// Each kernel on both paths, named for the path.
#define MJ_BOTH_PATHS(fn)               \
    BENCHMARK_CAPTURE(fn, simd, false); \
    BENCHMARK_CAPTURE(fn, plain, true)

BENCHMARK(BM_Memcpy);
MJ_BOTH_PATHS(BM_Copy);
MJ_BOTH_PATHS(BM_Fill);
MJ_BOTH_PATHS(BM_SourceAlphaLerp);
MJ_BOTH_PATHS(BM_SourceAlphaLerpOpacity);
MJ_BOTH_PATHS(BM_OpacityLerp);
MJ_BOTH_PATHS(BM_TiledMask);
MJ_BOTH_PATHS(BM_StretchedCopy);
MJ_BOTH_PATHS(BM_BlendFill);
BENCHMARK(BM_PixmanOver);

}  // namespace
