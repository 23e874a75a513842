// Finding where two frames' records differ, for records of many operations (one core). Target:
// 10 ms for 2000 operations in any order. Each case reports the areas found and the pixels they
// hold, so that a change of the joining rules shows in what it costs the drawing as well.
//   Crafted: every operation changed; scattered squares that overlap nothing come first, then a
//     chain of overlapping ones, so that joining the chain finds each overlap last.
//   WholeChain: a chain of operations drawn whole, held in reverse order, one changed operation
//     at its end: each link reaches the areas only once the one before it was taken in.
//   Scattered: a realistic layout of sprite-sized operations over an 800 x 600 screen, a third
//     of them changed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "bench_size.h"
#include "graphics/draw_record.h"

using namespace graphics;

namespace {

const RECT kScreen{0, 0, 800, 600};

void report(benchmark::State& state, const DrawRecord& before, const DrawRecord& after) {
    const std::vector<RECT> areas = changedAreas(before, after, kScreen);
    int64_t pixels = 0;
    for (const RECT& r : areas) pixels += int64_t(r.width()) * r.height();
    state.counters["areas"] = double(areas.size());
    state.counters["pixels"] = double(pixels);
}

void run(benchmark::State& state, const DrawRecord& before, const DrawRecord& after) {
    for (auto _ : state) {
        std::vector<RECT> areas = changedAreas(before, after, kScreen);
        benchmark::DoNotOptimize(areas.data());
    }
    report(state, before, after);
}

int count(benchmark::State& state) { return mjbench::size(int(state.range(0)), 100); }

void BM_ChangedAreasCrafted(benchmark::State& state) {
    const int n = count(state);
    DrawRecord before, after;
    const int apart = 2 * n / 3;
    for (int i = 0; i < apart; ++i) after.add(TRect(8 * (i % 96), 8 * (i / 96) + 400, 4, 4), uint64_t(i), false);
    for (int i = apart; i < n; ++i) after.add(TRect(i % 400, i / 400 * 4, 3, 3), uint64_t(i), false);
    run(state, before, after);
}
BENCHMARK(BM_ChangedAreasCrafted)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_ChangedAreasWholeChain(benchmark::State& state) {
    const int n = count(state);
    // A diagonal chain as long as the screen allows; the rest lie beside it, reaching nothing.
    const int chain = std::min(n, 590);
    DrawRecord before, after;
    for (int i = n - 1; i >= 0; --i) {
        const int k = i - chain;
        const RECT op = i < chain ? TRect(i, i, 2, 2) : TRect(600 + 4 * (k % 48), 4 * (k / 48), 2, 2);
        before.add(op, uint64_t(i), true);
        after.add(op, uint64_t(i), true);
    }
    after.add(TRect(0, 0, 1, 1), uint64_t(n), false);
    run(state, before, after);
}
BENCHMARK(BM_ChangedAreasWholeChain)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_ChangedAreasScattered(benchmark::State& state) {
    const int n = count(state);
    std::mt19937 rng(7);
    DrawRecord before, after;
    for (int i = 0; i < n; ++i) {
        const RECT r =
            TRect(int32_t(rng() % 760), int32_t(rng() % 560), 16 + int32_t(rng() % 48), 16 + int32_t(rng() % 48));
        before.add(r, uint64_t(i), false);
        after.add(r, uint64_t(i) + (i % 3 == 0 ? uint64_t(n) : 0), false);
    }
    run(state, before, after);
}
BENCHMARK(BM_ChangedAreasScattered)->Arg(3000)->Unit(benchmark::kMillisecond);

}  // namespace
