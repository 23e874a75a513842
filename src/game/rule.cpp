#include "game/rule.h"

namespace game {

std::vector<u8> TRule::toBytes() const {
    std::vector<u8> out;
    out.reserve(size());
    TByteWriter(out).putU32(playerNum_);
    return out;
}

u32 TRule::read(const u8* p, u32 length) {
    TByteReader r(p, length);
    u32 n = 0;
    if (!r.getU32(n)) return 0;
    playerNum_ = n;
    return 4;
}

TMahjongRule::TMahjongRule() : rule_(new mahjong::TRule()) {}

void TMahjongRule::setDefault() {
    TRule::setDefault();
    rule_->setDefault();
    playerNum_ = static_cast<u32>(rule_->players);
}

void TMahjongRule::setPlayerNum(u32 n) {
    TRule::setPlayerNum(n);
    rule_->players = static_cast<int>(n);
}

u32 TMahjongRule::size() const { return rule_ ? 4 + static_cast<u32>(rule_->size()) : 4; }

std::vector<u8> TMahjongRule::toBytes() const {
    std::vector<u8> out = TRule::toBytes();
    if (rule_) TByteWriter(out).putObject(*rule_);
    return out;
}

u32 TMahjongRule::read(const u8* p, u32 length) {
    TByteReader r(p, length);
    u32 n = 0;
    if (!r.getU32(n) || n < 2 || n > 4) return 0;
    mahjong::TRule record;
    if (!r.getObject(record) || record.players != static_cast<int>(n)) return 0;
    playerNum_ = n;
    *rule_ = record;
    return 4 + static_cast<u32>(record.size());
}

void TMahjongRule::setRule(const mahjong::TRule& r) {
    *rule_ = r;
    setPlayerNum(static_cast<u32>(r.players));
}

}  // namespace game
