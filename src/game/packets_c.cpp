#include "game/packets_c.h"

namespace game {

namespace {

std::vector<u8> begin(u32 size) {
    std::vector<u8> out;
    out.reserve(size);
    return out;
}

}  // namespace

// Every read decodes into locals and assigns only once the whole message has been read, so
// that a failed read leaves the object exactly as it was.

std::vector<u8> TPacket_C_DrawAction::toBytes() const {
    auto out = begin(size());
    TByteWriter w(out);
    w.putU8(seat);
    w.putU32(action);
    w.putObject(drawn);
    w.putObject(chosen);
    return out;
}

bool TPacket_C_DrawAction::read(const u8* data, u32 length) {
    if (length < size()) return false;
    TByteReader r(data, length);
    u8 s = 0;
    u32 a = 0;
    TPai d, c;
    if (!r.getU8(s) || !r.getU32(a) || !r.getObject(d) || !r.getObject(c)) return false;
    seat = s;
    action = a;
    drawn = d;
    chosen = c;
    return true;
}

std::vector<u8> TPacket_C_CallDiscard::toBytes() const {
    auto out = begin(size());
    TByteWriter w(out);
    w.putU8(seat);
    w.putObject(drawn);
    w.putObject(discard);
    return out;
}

bool TPacket_C_CallDiscard::read(const u8* data, u32 length) {
    if (length < size()) return false;
    TByteReader r(data, length);
    u8 s = 0;
    TPai d, x;
    if (!r.getU8(s) || !r.getObject(d) || !r.getObject(x)) return false;
    seat = s;
    drawn = d;
    discard = x;
    return true;
}

std::vector<u8> TPacket_C_Kan::toBytes() const {
    auto out = begin(size());
    TByteWriter w(out);
    w.putU8(seat);
    w.putU32(claim);
    w.putObject(pai);
    w.putU8(static_cast<u32>(kanKind));
    return out;
}

bool TPacket_C_Kan::read(const u8* data, u32 length) {
    if (length < size()) return false;
    TByteReader r(data, length);
    u8 s = 0;
    u32 c = 0;
    TPai p;
    int k = 0;
    if (!r.getU8(s) || !r.getU32(c) || !r.getObject(p) || !r.getI8(k)) return false;
    seat = s;
    claim = c;
    pai = p;
    kanKind = k;
    return true;
}

std::vector<u8> TPacket_C_Sute::toBytes() const {
    auto out = begin(size());
    TByteWriter w(out);
    w.putU8(seat);
    w.putU32(claim);
    w.putObject(discard);
    w.putObject(meld1);
    w.putObject(meld2);
    return out;
}

bool TPacket_C_Sute::read(const u8* data, u32 length) {
    if (length < size()) return false;
    TByteReader r(data, length);
    u8 s = 0;
    u32 c = 0;
    TPai d, m1, m2;
    if (!r.getU8(s) || !r.getU32(c) || !r.getObject(d) || !r.getObject(m1) || !r.getObject(m2))
        return false;
    seat = s;
    claim = c;
    discard = d;
    meld1 = m1;
    meld2 = m2;
    return true;
}

std::vector<u8> TPacket_C_DoFake::toBytes() const {
    auto out = begin(size());
    TByteWriter w(out);
    w.putU8(seat);
    w.putU32(ability);
    w.putObject(pai);
    return out;
}

bool TPacket_C_DoFake::read(const u8* data, u32 length) {
    if (length < size()) return false;
    TByteReader r(data, length);
    u8 s = 0;
    u32 a = 0;
    TPai p;
    if (!r.getU8(s) || !r.getU32(a) || !r.getObject(p)) return false;
    seat = s;
    ability = a;
    pai = p;
    return true;
}

std::vector<u8> TPacket_Fake::toBytes() const {
    auto out = begin(size());
    TByteWriter w(out);
    w.putU8(seat);
    w.putU32(ability);
    w.putU32(value);
    w.putObject(pai);
    return out;
}

bool TPacket_Fake::read(const u8* data, u32 length) {
    if (length < size()) return false;
    TByteReader r(data, length);
    u8 s = 0;
    u32 a = 0, v = 0;
    TPai p;
    if (!r.getU8(s) || !r.getU32(a) || !r.getU32(v) || !r.getObject(p)) return false;
    seat = s;
    ability = a;
    value = v;
    pai = p;
    return true;
}

std::vector<u8> TPacket_C_NextRound::toBytes() const {
    return {static_cast<u8>((continueFlag ? 1 : 0) | (gameOver ? 2 : 0))};
}

bool TPacket_C_NextRound::read(const u8* data, u32 length) {
    u8 flags = 0;
    if (!TByteReader(data, length).getU8(flags)) return false;
    continueFlag = (flags & 1) != 0;
    gameOver = (flags & 2) != 0;
    return true;
}

}  // namespace game
