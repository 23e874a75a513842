// Listing the names of a settings file must be linear in its size: 200,000 keys of a 2 MB file
// and 50,000 sections are each listed well under a second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/ini_profile.h"
#include "platform/path_map.h"

namespace {

// A settings file in the temp folder, removed at the end of the benchmark.
class IniFile {
public:
    explicit IniFile(const std::string& text)
        : path_(std::filesystem::temp_directory_path() / ("mj_ini_bench_" + std::to_string(::getpid()) + ".ini")) {
        std::ofstream(path_, std::ios::binary) << text;
    }
    ~IniFile() {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    std::string systemPath() const { return platform::fromOsPath(path_.string()); }

private:
    std::filesystem::path path_;
};

// Times listing the keys of the section of the text written as a file (with no section, the
// sections themselves).
void timeListing(benchmark::State& state, const std::string& text, const char* section) {
    const IniFile file(text);
    std::vector<char> buf(4u << 20);
    for (auto _ : state) {
        const uint32_t n = platform::getPrivateProfileString(section, nullptr, "", buf.data(),
                                                             static_cast<uint32_t>(buf.size()), file.systemPath());
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_IniListKeys200k(benchmark::State& state) {
    std::string text = "[Big]\r\n";
    for (int i = 0; i < 200000; ++i) {
        text += 'k';
        text += std::to_string(i);
        text += "=v\r\n";
    }
    timeListing(state, text, "Big");
}
BENCHMARK(BM_IniListKeys200k)->Unit(benchmark::kMillisecond);

void BM_IniListSections50k(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < 50000; ++i) {
        text += "[s";
        text += std::to_string(i);
        text += "]\r\nk=v\r\n";
    }
    timeListing(state, text, nullptr);
}
BENCHMARK(BM_IniListSections50k)->Unit(benchmark::kMillisecond);

}  // namespace
