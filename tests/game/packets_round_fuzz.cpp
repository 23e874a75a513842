// The round-result messages on untrusted bytes: no read past the end, and what decodes
// re-encodes to its own size and decodes again to the same bytes.
#include "game/packets_round.h"
#include "support/fuzz.h"

using namespace game;
using Bytes = std::vector<u8>;

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    mahjong::TRoundResult r;
    r.setAgari(mahjong::RE_TUMO, mahjong::TPai(5), 1);
    r.ids = {1};
    r.scores[0] = {-1000, -100, 0};
    r.scores[1] = {3000, 300, 1000};
    return {TPacket_S_RoundResult(r).toBytes(), TPacket_C_RoundResult(1, r, true).toBytes()};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Bytes in(data, data + size);
    TPacket_S_RoundResult s(in);
    Bytes out = s.toBytes();
    if (out.size() != s.size()) __builtin_trap();
    if (TPacket_S_RoundResult(out).toBytes() != out) __builtin_trap();

    TPacket_C_RoundResult c(in);
    out = c.toBytes();
    if (out.size() != c.size()) __builtin_trap();
    if (TPacket_C_RoundResult(out).toBytes() != out) __builtin_trap();
    return 0;
}
