#pragma once
// The messages that carry a hand's result: the server's S_ROUNDRESULT and every seat's
// C_ROUNDRESULT answer, both around the round result's own byte block.
#include "game/packet.h"
#include "mahjong/round_result.h"

namespace game {

// S_ROUNDRESULT: the round-result block alone, which decodes into a fresh record; a read fails
// when the block takes nothing.
class TPacket_S_RoundResult : public TFieldPacket<TPacket_S_RoundResult> {
public:
    explicit TPacket_S_RoundResult(const mahjong::TRoundResult& result) : result(result) {}
    explicit TPacket_S_RoundResult(const std::vector<u8>& bytes) { readVector(bytes); }

    mahjong::TRoundResult result;
    static constexpr auto fields() { return wire::fieldsOf<TPacket_S_RoundResult>(&TPacket_S_RoundResult::result); }
};

// C_ROUNDRESULT: the sender, the round-result block as received, and the continue flag (bit 0),
// which the server reads only from the dealer's answer. Checked piece by piece: the seat byte, a
// block that takes something, the flag byte.
class TPacket_C_RoundResult : public TFieldPacket<TPacket_C_RoundResult> {
public:
    TPacket_C_RoundResult(u8 seat, const mahjong::TRoundResult& result, bool continueFlag)
        : seat(seat), result(result), continueFlag(continueFlag) {}
    explicit TPacket_C_RoundResult(const std::vector<u8>& bytes) { readVector(bytes); }

    u8 seat = 0;
    mahjong::TRoundResult result;
    bool continueFlag = false;
    static constexpr auto fields() {
        using P = TPacket_C_RoundResult;
        return wire::fieldsOf<P>(&P::seat, &P::result, wire::flag(&P::continueFlag, 1));
    }
};

}  // namespace game
