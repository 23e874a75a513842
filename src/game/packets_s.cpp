#include "game/packets_s.h"

namespace game {

namespace {

std::vector<u8> begin(u32 size) {
    std::vector<u8> out;
    out.reserve(size);
    return out;
}

}  // namespace

bool TPacket_S_Entry::read(const u8* data, u32 length) {
    return TByteReader(data, length).getU8(playerId);
}

u32 TPacket_S_AddPlayer::size() const { return 1 + (profile ? profile->size() : 0); }

std::vector<u8> TPacket_S_AddPlayer::toBytes() const {
    auto out = begin(size());
    TByteWriter w(out);
    w.putU8(playerId);
    if (profile) w.putObject(*profile);
    return out;
}

bool TPacket_S_AddPlayer::read(const u8* data, u32 length) {
    if (!data || length < size() || !profile) return false;
    // The profile's own read keeps nothing of a failed read, so the id is the only thing to hold back.
    if (profile->read(data + 1, length - 1) == 0) return false;
    playerId = data[0];
    return true;
}

std::vector<u8> TPacket_S_StartRoom::toBytes() const { return rule ? rule->toBytes() : std::vector<u8>(); }

bool TPacket_S_StartRoom::read(const u8* data, u32 length) {
    if (!data || !rule || length < size()) return false;
    return rule->read(data, length) != 0;
}

std::vector<u8> TPacket_S_Result::toBytes() const {
    auto out = begin(size());
    TByteWriter w(out);
    w.putU8(static_cast<u32>(entries.size()));
    for (const auto& [id, value] : entries) {
        w.putU8(static_cast<u8>(id));
        w.putU8(static_cast<u8>(value));
    }
    return out;
}

bool TPacket_S_Result::read(const u8* data, u32 length) {
    entries.clear();
    TByteReader r(data, length);
    int n = 0;
    if (!r.getI8(n) || n < 0 || r.left() < 2 * static_cast<u32>(n)) return false;
    for (int i = 0; i < n; ++i) {
        int id = 0, value = 0;
        r.getI8(id);
        r.getI8(value);
        set(static_cast<i8>(id), static_cast<i8>(value));
    }
    return true;
}

std::vector<u8> TPacket_S_Value::toBytes() const {
    auto out = begin(size());
    TByteWriter(out).putU32(value);
    return out;
}

bool TPacket_S_Value::read(const u8* data, u32 length) {
    TByteReader r(data, length);
    u32 v = 0;
    if (!r.getU32(v)) return false;
    value = v;
    return true;
}

std::vector<u8> TPacket_S_SeatPai::toBytes() const {
    auto out = begin(size());
    TByteWriter w(out);
    w.putU8(seat);
    w.putObject(pai);
    return out;
}

bool TPacket_S_SeatPai::read(const u8* data, u32 length) {
    if (length < size()) return false;
    TByteReader r(data, length);
    u8 s = 0;
    TPai p;
    if (!r.getU8(s) || !r.getObject(p)) return false;
    seat = s;
    pai = p;
    return true;
}

std::vector<u8> TPacket_S_Call::toBytes() const {
    auto out = begin(size());
    TByteWriter w(out);
    w.putU8(seat);
    w.putU8(from);
    w.putObject(called);
    w.putObject(meld1);
    w.putObject(meld2);
    return out;
}

bool TPacket_S_Call::read(const u8* data, u32 length) {
    if (length < size()) return false;
    TByteReader r(data, length);
    u8 s = 0, f = 0;
    TPai c, m1, m2;
    if (!r.getU8(s) || !r.getU8(f) || !r.getObject(c) || !r.getObject(m1) || !r.getObject(m2))
        return false;
    seat = s;
    from = f;
    called = c;
    meld1 = m1;
    meld2 = m2;
    return true;
}

std::vector<u8> TPacket_S_Kan::toBytes() const {
    auto out = begin(size());
    TByteWriter w(out);
    w.putU8(seat);
    w.putU8(from);
    w.putObject(pai);
    w.putU8(static_cast<u32>(kanKind));
    return out;
}

bool TPacket_S_Kan::read(const u8* data, u32 length) {
    if (length < size()) return false;
    TByteReader r(data, length);
    u8 s = 0, f = 0;
    TPai p;
    int k = 0;
    if (!r.getU8(s) || !r.getU8(f) || !r.getObject(p) || !r.getI8(k)) return false;
    seat = s;
    from = f;
    pai = p;
    kanKind = k;
    return true;
}

std::vector<u8> TPacket_S_Next::toBytes() const {
    return {seat, static_cast<u8>(exhausted ? 1 : 0)};
}

bool TPacket_S_Next::read(const u8* data, u32 length) {
    TByteReader r(data, length);
    u8 s = 0;
    bool e = false;
    if (!r.getU8(s) || !r.getFlag(e, 1)) return false;
    seat = s;
    exhausted = e;
    return true;
}

bool TPacket_S_NextRound::read(const u8* data, u32 length) {
    return TByteReader(data, length).getFlag(continueFlag, 1);
}

}  // namespace game
