#pragma once
// The room's rule: the number of players every room game has, and for mahjong the rules
// engine's record, shared with the room's table. Travels in S_STARTROOM.
#include <boost/shared_ptr.hpp>
#include <vector>

#include "game/wire.h"
#include "mahjong/rule.h"

namespace game {

class TRule {
public:
    TRule() = default;
    virtual ~TRule() = default;

    virtual u32 playerNum() const { return playerNum_; }
    virtual void setDefault() { playerNum_ = 1; }
    virtual void setPlayerNum(u32 n) { playerNum_ = n; }

    // Byte form: playerNum as u32.
    virtual u32 size() const { return 4; }
    virtual std::vector<u8> toBytes() const;
    // Bytes consumed, or 0 (nothing changed) when the input is too short.
    virtual u32 read(const u8* p, u32 length);

protected:
    u32 playerNum_ = 0;
};

class TMahjongRule : public TRule {
public:
    // playerNum 0 beside a record with the record's defaults (four players) until setDefault,
    // setPlayerNum or setRule brings the two together.
    TMahjongRule();

    void setDefault() override;
    void setPlayerNum(u32 n) override;

    // Byte form (20 bytes): u32 player count, then the record's 16-byte form.
    u32 size() const override;
    std::vector<u8> toBytes() const override;
    // 20 on success. A failed read keeps nothing: the player count must be 2 to 4 and agree
    // with the record's own count, and the record must read, or the rule stays as it was.
    u32 read(const u8* p, u32 length) override;

    // Copies every field of r into the held record (which keeps its identity, so the table
    // built on it sees the new values), then setPlayerNum with r's player count.
    void setRule(const mahjong::TRule& r);

    const boost::shared_ptr<mahjong::TRule>& rule() const { return rule_; }

private:
    boost::shared_ptr<mahjong::TRule> rule_;
};

}  // namespace game
