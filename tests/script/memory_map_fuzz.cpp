// Any bytes as a variable map file: loading either fails and keeps nothing, or gives a store
// whose map writes back to bytes that load to the same store.
#include <cstdlib>

#include "framework/stream.h"
#include "script/memory.h"
#include "script/memory_map_file.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream in(const_cast<uint8_t*>(data), static_cast<uint32_t>(size));
    TG2Memory mem;
    if (!mem.loadMap(in)) {
        if (mem.findEntry("@RAND")) std::abort();  // a failed load keeps nothing
        return 0;
    }
    const G2MapImage first = describeMemory(mem);
    TMemoryStream out;
    writeMemoryMap(out, first);
    out.seek(0, 0);
    TG2Memory again;
    if (!again.loadMap(out)) std::abort();
    if (!(describeMemory(again) == first)) std::abort();
    // Name lookups and reads through every entry stay inside the arrays or throw.
    for (int32_t area = 0; area < 3; ++area) {
        for (int32_t kind = 0; kind < 3; ++kind) {
            for (const auto& e : mem.map(area, kind).entries) {
                try {
                    if (kind == kG2Int)
                        mem.getInt(e.name, e.count);
                    else if (kind == kG2Bool)
                        mem.getBool(e.name, e.count);
                    else
                        mem.getString(e.name, e.count);
                } catch (const TError&) {}
            }
        }
    }
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<std::vector<uint8_t>> seeds;
    for (int variant = 0; variant < 4; ++variant) {
        G2MapImage map;
        map.text = "seed";
        for (int a = 0; a < 3; ++a) {
            for (int k = 0; k < 3; ++k) {
                map.areas[a].lists[k].length = 3 + variant * 5 + a + k;
                map.areas[a].lists[k].names.push_back({k, "n" + std::to_string(a * 3 + k), variant % 2 ? 2 : 0});
            }
            map.areas[a].ints = {1, 1, 1, 2, 3, variant};
            map.areas[a].bools = {1, 0, 1, 1};
            map.areas[a].strings = {"a", "a", "bc", ""};
        }
        TMemoryStream m;
        writeMemoryMap(m, map);
        seeds.emplace_back(m.getBuffer(), m.getBuffer() + m.size());
    }
    return seeds;
}
