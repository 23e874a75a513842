// Finding a member by name in a large archive, through the archive plug-in and the store.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "gce_writer.h"
#include "storage/spi.h"
#include "storage/storage.h"

namespace {

constexpr int kEntries = 10000;

std::string entryName(int i) { return "bg\\chara" + std::to_string(i / 100) + "\\face" + std::to_string(i) + ".png"; }

// An archive of 10,000 small entries, written once per run into a temporary folder.
const std::string& archivePath() {
    static const std::string path = [] {
        std::vector<gcepack::Entry> entries(kEntries);
        for (int i = 0; i < kEntries; ++i) {
            entries[static_cast<size_t>(i)].name = entryName(i);
            entries[static_cast<size_t>(i)].data.assign(16, static_cast<uint8_t>(i));
        }
        gcepack::Options o;
        o.compressTable = true;
        const std::vector<uint8_t> bytes = gcepack::buildArchive(entries, o);
        const std::string p =
            (std::filesystem::temp_directory_path() / ("lookup_bench_" + std::to_string(::getpid()) + ".pak")).string();
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        return p;
    }();
    // Registered once the path exists, so the removal runs before the path is destroyed.
    static const bool removeAtExit = std::atexit([] { std::filesystem::remove(archivePath()); }) == 0;
    (void)removeAtExit;
    return path;
}

// The last entry: a lookup walks the whole table.
void BM_FindRecordLastOf10000(benchmark::State& state) {
    SpiGceFile spi;
    SpiFileInfo rec;
    const std::string name = entryName(kEntries - 1);
    spi.GetFileInfo(archivePath(), 0, name, SPI_IGNORE_CASE, rec);  // opens and caches the unit
    for (auto _ : state) {
        benchmark::DoNotOptimize(spi.GetFileInfo(archivePath(), 0, name, SPI_IGNORE_CASE, rec));
    }
}
BENCHMARK(BM_FindRecordLastOf10000)->Unit(benchmark::kMicrosecond);

// The whole road of a resource name: path walk, plug-in, lookup and extraction into memory.
void BM_OpenStreamMemberOf10000(benchmark::State& state) {
    TStorage store;
    store.addPlugin(std::make_unique<SpiGceFile>(4));
    const std::string name = archivePath() + "\\" + entryName(kEntries / 2);
    for (auto _ : state) {
        auto stream = store.openStream(name);
        if (!stream) state.SkipWithError("member not found");
        benchmark::DoNotOptimize(stream.get());
    }
}
BENCHMARK(BM_OpenStreamMemberOf10000)->Unit(benchmark::kMicrosecond);

}  // namespace
