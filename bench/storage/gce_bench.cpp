// Archive reading speed: block decompression on text-like and binary-like data.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "gce_writer.h"
#include "storage/gfl_block.h"

namespace {

// Script-like text: words, markup and line ends drawn from a small vocabulary.
std::vector<uint8_t> textLike(size_t n) {
    static const char* const words[] = {
        "the ", "wind ", "tile ", "riichi ", "\r\n",   "dora ",  "@msg ", "mahjong ", "script ", "pon ",  "<wait 30>",
        "\"",   "an ",   "of ",   "kan ",    "[name]", "0x1F, ", "ron! ", "tsumo ",   "...",     "east ", "south "};
    std::mt19937 rng(1);
    std::vector<uint8_t> v;
    while (v.size() < n) {
        const char* w = words[rng() % (sizeof words / sizeof *words)];
        for (const char* c = w; *c && v.size() < n; ++c) v.push_back(static_cast<uint8_t>(*c));
    }
    return v;
}

// Image-like bytes: smooth gradients with a little noise.
std::vector<uint8_t> imageLike(size_t n) {
    std::mt19937 rng(2);
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>((i / 3 % 256) + (rng() % 4));
    return v;
}

void decodeBench(benchmark::State& state, const std::vector<uint8_t>& input) {
    std::vector<uint8_t> blocks = gcepack::encodeBlocks(input.data(), input.size());
    std::vector<uint8_t> out(input.size());
    for (auto _ : state) {
        GflMemoryStream src(static_cast<const void*>(blocks.data()), blocks.size());
        gce::decodeBlocksTo(src, out.data(), out.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(input.size()));
    state.counters["ratio"] = static_cast<double>(blocks.size()) / static_cast<double>(input.size());
}

void BM_DecodeTextLike(benchmark::State& state) {
    static const std::vector<uint8_t> input = textLike(4 << 20);
    decodeBench(state, input);
}
BENCHMARK(BM_DecodeTextLike)->Unit(benchmark::kMillisecond);

void BM_DecodeImageLike(benchmark::State& state) {
    static const std::vector<uint8_t> input = imageLike(4 << 20);
    decodeBench(state, input);
}
BENCHMARK(BM_DecodeImageLike)->Unit(benchmark::kMillisecond);

void BM_EncodeTextLike(benchmark::State& state) {
    static const std::vector<uint8_t> input = textLike(4 << 20);
    for (auto _ : state) benchmark::DoNotOptimize(gcepack::encodeBlocks(input.data(), input.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(input.size()));
}
BENCHMARK(BM_EncodeTextLike)->Unit(benchmark::kMillisecond);

}  // namespace
