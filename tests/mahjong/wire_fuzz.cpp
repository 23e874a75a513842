// Tiles and rule records read from untrusted message bytes.
#include <cstring>

#include "mahjong/pai.h"
#include "mahjong/rule.h"
#include "support/fuzz.h"

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    mahjong::TRule rule;
    auto bytes = rule.toBytes();
    auto tile = mahjong::TPai(22, 4, 1, 1).toBytes();
    bytes.insert(bytes.end(), tile.begin(), tile.end());
    return {bytes};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mahjong::TRule rule;
    if (rule.read(data, size) == 16) {
        if (rule.players < 2 || rule.players > 4 || rule.deadWall < 0) __builtin_trap();
        mahjong::TRule again;
        const auto bytes = rule.toBytes();
        if (again.read(bytes.data(), bytes.size()) != 16 || !(again == rule)) __builtin_trap();
    }
    for (size_t off = 0; off < size; off += 4) {
        mahjong::TPai pai;
        const size_t n = pai.read(data + off, size - off);
        if (n == 0) break;
        if (pai.kind < 0 || pai.kind > 36 || pai.state < 0 || pai.state > 12) __builtin_trap();
        (void)pai.getNext();
    }
    return 0;
}
