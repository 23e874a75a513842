// Memory streams are filled one byte at a time by the program's writers (text, saves, logs):
// 16 MiB that way must take well under 100 ms. A 50 MB text file read line by line through a
// file stream must take under a second, and at most 1.3 times what std::getline takes on it in
// the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "bench_size.h"
#include "framework/stream.h"
#include "platform/path_map.h"

namespace {

void BM_MemoryStreamByteWrites16MiB(benchmark::State& state) {
    const uint32_t bytes = mjbench::size(16u << 20, 256u << 10);
    for (auto _ : state) {
        TMemoryStream m;
        for (uint32_t i = 0; i < bytes; ++i) m.writeUInt8(static_cast<uint8_t>(i));
        benchmark::DoNotOptimize(m.getBuffer());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
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

// The 50 MB text file, written once for the run and removed at its end.
class TextFile {
public:
    TextFile() {
        const std::string line = "\x82\xa0\x82\xa2 a line of text in a long script or log file\r\n";
        std::ofstream out(path_, std::ios::binary);
        const size_t total = mjbench::size<size_t>(50'000'000, 1'000'000);
        for (size_t written = 0; written < total; written += line.size()) out << line;
    }
    ~TextFile() { std::filesystem::remove(path_); }
    const std::filesystem::path& path() const { return path_; }
    int64_t bytes() const { return static_cast<int64_t>(std::filesystem::file_size(path_)); }

    static const TextFile& get() {
        static const TextFile file;
        return file;
    }

private:
    std::filesystem::path path_ =
        std::filesystem::temp_directory_path() / ("mj_stream_bench_" + std::to_string(::getpid()) + ".txt");
};

void BM_FileStreamTextLines50MB(benchmark::State& state) {
    const TextFile& file = TextFile::get();
    const std::string name = platform::fromOsPath(file.path().string());
    std::string text;
    size_t lines = 0;
    for (auto _ : state) {
        TFileStream in(name, kFileRead);
        lines = 0;
        while (!in.isEof()) {
            in.readLine(text);
            ++lines;
        }
        benchmark::DoNotOptimize(text);
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.SetBytesProcessed(int64_t(state.iterations()) * file.bytes());
}
BENCHMARK(BM_FileStreamTextLines50MB)->Unit(benchmark::kMillisecond);

// The yardstick for the file stream: the standard library's line reader on the same file (it
// keeps the CR, which the stream drops; that costs it nothing).
void BM_GetlineTextLines50MB(benchmark::State& state) {
    const TextFile& file = TextFile::get();
    std::string text;
    size_t lines = 0;
    for (auto _ : state) {
        std::ifstream in(file.path(), std::ios::binary);
        lines = 0;
        while (std::getline(in, text)) ++lines;
        benchmark::DoNotOptimize(text);
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.SetBytesProcessed(int64_t(state.iterations()) * file.bytes());
}
BENCHMARK(BM_GetlineTextLines50MB)->Unit(benchmark::kMillisecond);

}  // namespace
