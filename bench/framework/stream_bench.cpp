// Memory streams are filled one byte at a time by the program's writers (text, saves, logs):
// 16 MiB that way must take well under 100 ms.
#include <benchmark/benchmark.h>

#include "framework/stream.h"

namespace {

void BM_MemoryStreamByteWrites16MiB(benchmark::State& state) {
    constexpr uint32_t kBytes = 16u << 20;
    for (auto _ : state) {
        TMemoryStream m;
        for (uint32_t i = 0; i < kBytes; ++i) m.writeUInt8(static_cast<uint8_t>(i));
        benchmark::DoNotOptimize(m.getBuffer());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}
BENCHMARK(BM_MemoryStreamByteWrites16MiB)->Unit(benchmark::kMillisecond);

void BM_MemoryStreamTextLines(benchmark::State& state) {
    TMemoryStream src;
    for (int i = 0; i < 20000; ++i) src.writeText("\x82\xa0\x82\xa2 a line of text for the backlog\n");
    std::string line;
    for (auto _ : state) {
        src.seek(0, 0);
        while (!src.isEof()) src.readLine(line);
        benchmark::DoNotOptimize(line);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * src.size());
}
BENCHMARK(BM_MemoryStreamTextLines)->Unit(benchmark::kMillisecond);

}  // namespace
