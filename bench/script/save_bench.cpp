// Saving on one core: the variable areas of 10,000 variables into a snapshot (target below
// 1 ms), and a slot's save file written whole into place (target below 20 ms).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "framework/stream.h"
#include "platform/file.h"
#include "script/memory.h"
#include "script/memory_map_file.h"
#include "script/save_file.h"
#include "script/value_exchange.h"

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

}  // namespace
