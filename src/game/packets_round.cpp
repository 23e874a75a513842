#include "game/packets_round.h"

namespace game {

bool TPacket_S_RoundResult::read(const u8* data, u32 length) {
    mahjong::TRoundResult fresh;
    TByteReader r(data, length);
    if (!r.getObject(fresh)) return false;
    result = fresh;
    return true;
}

std::vector<u8> TPacket_C_RoundResult::toBytes() const {
    std::vector<u8> out;
    out.reserve(size());
    TByteWriter w(out);
    w.putU8(seat);
    w.putBytes(result.write());
    w.putU8(continueFlag ? 1 : 0);
    return out;
}

bool TPacket_C_RoundResult::read(const u8* data, u32 length) {
    TByteReader r(data, length);
    u8 s = 0;
    mahjong::TRoundResult fresh;
    bool flag = false;
    if (!r.getU8(s) || !r.getObject(fresh) || !r.getFlag(flag, 1)) return false;
    seat = s;
    result = fresh;
    continueFlag = flag;
    return true;
}

}  // namespace game
