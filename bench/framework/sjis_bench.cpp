// Throughput of the Shift-JIS text conversions over script-like text (mostly double-byte
// characters with ASCII markup and line ends).
#include <benchmark/benchmark.h>

#include <string>

#include "framework/random.h"
#include "framework/sjis.h"

namespace {

std::string sampleText(size_t bytes) {
    TRandom r(12345);
    std::string s;
    while (s.size() < bytes) {
        uint32_t v = r.next();
        if (v % 10 < 7) {
            const platform::SjisPair& p = platform::kSjisDoubleByte[(v >> 8) % platform::kSjisDoubleByteCount];
            nsSJIS::appendChar(s, p.sjis);
        } else if (v % 10 < 9) {
            s.push_back(static_cast<char>('!' + (v >> 8) % 90));
        } else {
            s += "\r\n";
        }
    }
    return s;
}

void BM_SjisToUtf8(benchmark::State& state) {
    std::string text = sampleText(static_cast<size_t>(state.range(0)));
    std::string out;
    for (auto _ : state) {
        sjisToUtf8(out, text, -1);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_SjisToUtf8)->Arg(4096)->Arg(1 << 20);

void BM_Utf8ToSjis(benchmark::State& state) {
    std::string utf8;
    sjisToUtf8(utf8, sampleText(static_cast<size_t>(state.range(0))), -1);
    std::string out;
    for (auto _ : state) {
        utf8ToSjis(out, utf8, -1);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(utf8.size()));
}
BENCHMARK(BM_Utf8ToSjis)->Arg(1 << 20);

void BM_StrCharCount(benchmark::State& state) {
    std::string text = sampleText(1 << 16);
    for (auto _ : state) benchmark::DoNotOptimize(nsSJIS::strCharCount(text.c_str()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_StrCharCount);

}  // namespace
