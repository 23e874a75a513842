#pragma once
// Variable maps made from a seed, for round-trip and description tests.
#include <random>
#include <string>

#include "script/memory_map_file.h"

// A generated map: random shapes, names, runs and lists of values, strings with any bytes.
inline G2MapImage generatedMap(uint32_t seed) {
    std::mt19937 rng(seed);
    G2MapImage map;
    map.text = "generated " + std::to_string(seed);
    for (auto& area : map.areas) {
        for (int kind = 0; kind < 3; ++kind) {
            auto& list = area.lists[kind];
            list.length = static_cast<int32_t>(rng() % 80) - 5;
            for (int i = 0, n = static_cast<int>(rng() % 4); i < n; ++i)
                list.names.push_back(
                    {static_cast<int32_t>(rng() % 80), "v" + std::to_string(rng()), int32_t(rng() % 3)});
        }
        auto pick = [&](size_t n) { return rng() % 3 ? rng() % 4 : n; };  // runs come from a few values
        for (size_t i = 0, n = rng() % 90; i < n; ++i) area.ints.push_back(static_cast<int32_t>(pick(rng())));
        for (size_t i = 0, n = rng() % 120; i < n; ++i) area.bools.push_back(rng() % 3 == 0);
        for (size_t i = 0, n = rng() % 90; i < n; ++i)
            area.strings.push_back(std::string(pick(4) % 6, static_cast<char>(rng())));
    }
    return map;
}
