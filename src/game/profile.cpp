#include "game/profile.h"

namespace game {

u32 TProfile::size() const { return static_cast<u32>(name_.size()) + 4; }

std::vector<u8> TProfile::toBytes() const {
    std::vector<u8> out;
    out.reserve(size());
    TByteWriter w(out);
    w.putU32(static_cast<u32>(name_.size()));
    out.insert(out.end(), name_.begin(), name_.end());
    return out;
}

u32 TProfile::read(const u8* p, u32 length) {
    TByteReader r(p, length);
    u32 n = 0;
    if (!r.getU32(n) || r.left() < n) return 0;
    name_.assign(reinterpret_cast<const char*>(r.pos()), n);
    return n + 4;
}

u32 TMahjongProfile::size() const { return TProfile::size() + 12; }

std::vector<u8> TMahjongProfile::toBytes() const {
    std::vector<u8> out = TProfile::toBytes();
    out.reserve(size());
    TByteWriter w(out);
    w.putU32(character_);
    w.putU32(dealerMusic_);
    w.putU32(ritiMusic_);
    return out;
}

u32 TMahjongProfile::read(const u8* p, u32 length) {
    // Decode into a scratch profile first so that a short input leaves this one as it was
    // (a half-read profile would pair a new name with the old character).
    TProfile base;
    u32 k = base.read(p, length);
    if (k == 0) return 0;
    TByteReader r(p + k, length - k);
    u32 character = 0, dealer = 0, riti = 0;
    if (!r.getU32(character) || !r.getU32(dealer) || !r.getU32(riti)) return 0;
    name_ = base.name();
    character_ = character;
    dealerMusic_ = dealer;
    ritiMusic_ = riti;
    return k + 12;
}

}  // namespace game
