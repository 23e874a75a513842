// Round results arrive as bytes inside the round-result messages.
#include <cstddef>
#include <cstdint>

#include "mahjong/round_result.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mahjong::TRoundResult r;
    const size_t used = r.read(data, size);
    if (used > size) __builtin_trap();
    if (used > 0) {
        // What was read writes back to the same record.
        const std::vector<uint8_t> again = r.write();
        mahjong::TRoundResult back;
        if (back.read(again.data(), again.size()) != again.size() || !(back == r)) __builtin_trap();
    }
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    mahjong::TRoundResult r;
    r.setAgari(mahjong::RE_RON, mahjong::TPai(22, 0, 1), 2);
    r.ids = {3, 1};
    r.scores[1] = {8000, 300, 1000};
    r.scores[2] = {-8000, -300, 0};
    mahjong::TRoundResult d;
    d.setCode(mahjong::RE_RYUKYOKU);
    return {r.write(), d.write()};
}
