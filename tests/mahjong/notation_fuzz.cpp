// Tile notation read from arbitrary text: a refusal names a column inside the text; an accepted
// text writes back to a text that reads as the same tiles, and writing is stable from there on.
#include <string>
#include <string_view>

#include "mahjong/notation.h"
#include "support/fuzz.h"

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<std::vector<uint8_t>> seeds;
    for (std::string_view s : {"123m456p789s11z", "234m 55p 678s 111z", "c:340s p:555z K:0000p a:1111z x y"})
        seeds.emplace_back(s.begin(), s.end());
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace mahjong;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TPaiArray tiles;
    std::string error;
    if (!parseTiles(text, tiles, &error)) {
        if (!tiles.empty() || error.rfind("column ", 0) != 0) __builtin_trap();
        if (std::stoul(error.substr(7)) >= size) __builtin_trap();
        return 0;
    }
    const std::string written = formatTiles(tiles);
    TPaiArray again;
    if (!parseTiles(written, again) || again.size() != tiles.size()) __builtin_trap();
    for (size_t i = 0; i < tiles.size(); ++i) {
        const TPai& a = tiles[i];
        const TPai& b = again[i];
        if (a.kind != b.kind || a.red != b.red || a.state != b.state || !a.isValid()) __builtin_trap();
    }
    if (formatTiles(again) != written) __builtin_trap();
    return 0;
}
