#pragma once
// The messages that carry a hand's result: the server's S_ROUNDRESULT and every seat's
// C_ROUNDRESULT answer, both around the round result's own byte block.
#include "game/packet.h"
#include "mahjong/round_result.h"

namespace game {

// S_ROUNDRESULT: the round-result block alone.
class TPacket_S_RoundResult : public TPacket {
public:
    explicit TPacket_S_RoundResult(const mahjong::TRoundResult& result) : result(result) {}
    explicit TPacket_S_RoundResult(const std::vector<u8>& bytes) { readVector(bytes); }

    u32 size() const override { return static_cast<u32>(result.size()); }
    std::vector<u8> toBytes() const override { return result.write(); }
    // The block decodes into a fresh record; false when it takes nothing.
    bool read(const u8* data, u32 length) override;

    mahjong::TRoundResult result;
};

// C_ROUNDRESULT: the sender, the round-result block as received, and the continue flag (bit 0),
// which the server reads only from the dealer's answer.
class TPacket_C_RoundResult : public TPacket {
public:
    TPacket_C_RoundResult(u8 seat, const mahjong::TRoundResult& result, bool continueFlag)
        : seat(seat), result(result), continueFlag(continueFlag) {}
    explicit TPacket_C_RoundResult(const std::vector<u8>& bytes) { readVector(bytes); }

    u32 size() const override { return 1 + static_cast<u32>(result.size()) + 1; }
    std::vector<u8> toBytes() const override;
    // Checked piece by piece: the seat byte, a block that takes something, the flag byte.
    bool read(const u8* data, u32 length) override;

    u8 seat = 0;
    mahjong::TRoundResult result;
    bool continueFlag = false;
};

}  // namespace game
