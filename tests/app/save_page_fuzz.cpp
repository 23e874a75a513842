// Any bytes as a slot's save file and thumbnail: the load page reads the slot, shows a used
// entry with a plain book name and a whole date or an empty one, and never crashes.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "app/task_system.h"
#include "script/core.h"
#include "script/engine.h"
#include "script/present/present_engine.h"
#include "script/save_file.h"
#include "storage/spi.h"
#include "storage/storage.h"
#include "store/surface_maker.h"
#include "support/fuzz.h"

namespace {

class MaplessMemory : public TG2Memory {
public:
    bool loadMap(const std::string&) override { return true; }
};
class MaplessEngine : public present::PresentEngine {
public:
    std::unique_ptr<TG2Memory> createMemory() override { return std::make_unique<MaplessMemory>(); }
};

struct World {
    World() {
        // A memory-backed folder where there is one: every run writes two files.
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        // Unique, so that runs side by side (the test and the fuzz step) never share the files.
        folder = base / ("mj-save-page-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(folder / "save");
        std::filesystem::current_path(folder);
        store.addPlugin(std::make_unique<SpiBmpFile>());
        store.setSurfaceMaker(new TGraphicsSurfaceMaker, true);
        store.setBaseFolder(folder.string());
        engine.status().save = "save\\it%02d.sav";
        engine.status().saveThumbnail = "save\\it%02d.img";
        engine.status().recordMax = 4;
        engine.init(nullptr, nullptr, nullptr);
    }
    ~World() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::filesystem::path folder;
    TStorageGraph store;
    MaplessEngine engine;
    TTaskSystem system;
};

// The save file, then the thumbnail after the first "|THUMB|".
constexpr std::string_view kSplit = "|THUMB|";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World world;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t cut = input.find(kSplit);
    const std::string save = input.substr(0, cut);
    const std::string thumb = cut == std::string::npos ? std::string() : input.substr(cut + kSplit.size());
    std::ofstream(world.folder / "save" / "it01.sav", std::ios::binary) << save;
    std::ofstream(world.folder / "save" / "it01.img", std::ios::binary) << thumb;
    world.system.refreshPage();
    const auto date = world.system.dateTexts(0);
    const size_t digits = date[0].size() + date[1].size() + date[2].size() + date[3].size() + date[4].size();
    if (digits != 0 && digits != 12) std::abort();
    if (!world.system.entryUsed(0) && (digits != 0 || world.system.thumbnail(0))) std::abort();
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    TRecord r;
    r.info1 = "001", r.time = 1700000000;
    std::string bytes = g2SaveFileBytes(r, "state");
    // A 4 x 3 24-bit bitmap, as the core writes thumbnails: rows of 12 bytes, bottom row first.
    auto le = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) bytes += static_cast<char>(v >> (8 * i));
    };
    bytes += kSplit;
    bytes += "BM";
    le(54 + 36, 4), le(0, 4), le(54, 4);
    le(40, 4), le(4, 4), le(3, 4), le(1, 2), le(24, 2), le(0, 4), le(36, 4), le(0, 4), le(0, 4), le(0, 4), le(0, 4);
    for (int i = 0; i < 12; ++i) bytes += "\x99\x66\x33";
    return {std::vector<uint8_t>(bytes.begin(), bytes.end())};
}
