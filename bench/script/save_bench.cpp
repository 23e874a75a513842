// Saving on one core: the variable areas of 10,000 variables into a snapshot (target below
// 1 ms), and a slot's save file written whole into place, alone and as the game saves it, with
// the 96 x 72 thumbnail of an 800 x 600 screen beside it (target below 20 ms).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "../../tests/script/minimal_doc.h"
#include "framework/stream.h"
#include "graphics/surface32.h"
#include "platform/file.h"
#include "script/core.h"
#include "script/engine.h"
#include "script/memory.h"
#include "script/memory_map_file.h"
#include "script/save_file.h"
#include "script/value_exchange.h"
#include "../../tests/script/stand_ins.h"

namespace {

TG2Memory& tenThousand() {
    static TG2Memory* mem = [] {
        auto* m = new TG2Memory;
        G2MapImage map;
        map.areas[0].lists[0].length = 5000;
        map.areas[0].lists[1].length = 3000;
        map.areas[0].lists[2].length = 2000;
        m->applyMap(map);
        for (int i = 0; i < 5000; ++i) m->setInt(0, i, i * 7);
        return m;
    }();
    return *mem;
}

void SnapshotOf10000Variables(benchmark::State& state) {
    TG2Memory& mem = tenThousand();
    for (auto _ : state) {
        TMemoryStream s;
        TValueExchange x(&s, true);
        mem.exchangeArea0(x);
        benchmark::DoNotOptimize(s.size());
    }
}
BENCHMARK(SnapshotOf10000Variables)->Unit(benchmark::kMicrosecond);

void SlotSave(benchmark::State& state) {
    TMemoryStream s;
    {
        TValueExchange x(&s, true);
        tenThousand().exchangeArea0(x);
    }
    const std::string snapshot(reinterpret_cast<const char*>(s.getBuffer()), s.size());
    TRecord r;
    r.info1 = "chapter", r.info2 = "scene";
    const std::string name = "bench_save01.sav";
    for (auto _ : state) benchmark::DoNotOptimize(platform::replaceFileContents(name, g2SaveFileBytes(r, snapshot)));
    platform::deleteFile(name);
}
BENCHMARK(SlotSave)->Unit(benchmark::kMillisecond);

// A screen of vertical colour bands, so that the stretched thumbnail has work to do.
class BandGraphic : public testing_stand_ins::NullGraphic {
public:
    void draw(graphics::TSurface32& target) override {
        for (int32_t x = 0; x < width(); x += 8)
            target.fillRect(x, 0, x + 8, height(), 0xFF000000u | static_cast<uint32_t>(x * 0x010203));
    }
};

class BenchEngine : public WithMinimalDoc<TG2Engine> {
public:
    std::unique_ptr<TG2Memory> createMemory() override {
        struct Mapped : TG2Memory {
            bool loadMap(const std::string&) override {
                G2MapImage map;
                map.areas[0].lists[0].length = 5000;
                map.areas[0].lists[1].length = 3000;
                map.areas[0].lists[2].length = 2000;
                applyMap(map);
                return true;
            }
        };
        return std::make_unique<Mapped>();
    }
    std::unique_ptr<EngineGraphic> createGraphic() override { return std::make_unique<BandGraphic>(); }
    std::unique_ptr<EngineMusic> createMusic() override { return std::make_unique<testing_stand_ins::NullMusic>(); }
    std::unique_ptr<TG2Core> createCore() override { return std::make_unique<TG2CoreEx>(*this); }
};

void SlotSaveWithThumbnail(benchmark::State& state) {
    BenchEngine engine;
    engine.status().useCommonSave = false;
    engine.status().screenWidth = 800, engine.status().screenHeight = 600;
    engine.status().save = "bench_save%02d.sav";
    engine.status().saveThumbnail = "bench_save%02d.img";
    TG2Host host;
    engine.init(&host, nullptr, nullptr);
    for (int i = 0; i < 5000; ++i) engine.memory()->setInt(0, i, i * 7);
    auto& core = static_cast<TG2CoreEx&>(*engine.core());
    core.takeSnapshot();
    core.scanRecords();
    for (auto _ : state) benchmark::DoNotOptimize(core.saveWithThumbnail(0));
    core.deleteSave(0);
    core.deleteThumbnail(0);
}
BENCHMARK(SlotSaveWithThumbnail)->Unit(benchmark::kMillisecond);

// The save page's list of eight slots, each save holding a state of 4 MiB: only the heads are
// read.
void SlotListOfLargeSaves(benchmark::State& state) {
    BenchEngine engine;
    engine.status().useCommonSave = false;
    engine.status().screenWidth = 800, engine.status().screenHeight = 600;
    engine.status().save = "bench_list%02d.sav";
    engine.status().recordMax = 8;
    TG2Host host;
    engine.init(&host, nullptr, nullptr);
    TRecord r;
    r.info1 = "001", r.info2 = "a chapter", r.time = 1700000000;
    const std::string bytes = g2SaveFileBytes(r, std::string(4u << 20, 'S'));
    for (int n = 0; n < 8; ++n) platform::replaceFileContents(engine.core()->saveFileName(n), bytes);
    for (auto _ : state) benchmark::DoNotOptimize(engine.core()->scanRecords());
    for (int n = 0; n < 8; ++n) engine.core()->deleteSave(n);
}
BENCHMARK(SlotListOfLargeSaves)->Unit(benchmark::kMillisecond);

}  // namespace
