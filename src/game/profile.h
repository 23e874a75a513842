#pragma once
// A seat's profile in a room: the name every room game has, and for mahjong the character
// number and the two music numbers the story chose. Travels in S_ADDPLAYER.
#include <string>
#include <vector>

#include "game/wire.h"

namespace game {

class TProfile {
public:
    TProfile() = default;
    virtual ~TProfile() = default;

    virtual const std::string& name() const { return name_; }
    virtual void setName(const std::string& name) { name_ = name; }

    // Byte form: u32 n, then the n name bytes as stored (Shift-JIS, no terminator).
    virtual u32 size() const;
    virtual std::vector<u8> toBytes() const;
    // Returns the bytes consumed, or 0 for a too-short input; a failed read changes nothing.
    virtual u32 read(const u8* p, u32 length);

protected:
    std::string name_;
};

class TMahjongProfile : public TProfile {
public:
    TMahjongProfile() = default;

    // For a computer seat the character number is also its computer-player parameter key.
    u32 character() const { return character_; }
    void setCharacter(u32 v) { character_ = v; }
    u32 dealerMusic() const { return dealerMusic_; }
    void setDealerMusic(u32 v) { dealerMusic_ = v; }
    u32 ritiMusic() const { return ritiMusic_; }
    void setRitiMusic(u32 v) { ritiMusic_ = v; }

    // Byte form: the base form, then character, dealer music, riichi music (n + 16 bytes).
    u32 size() const override;
    std::vector<u8> toBytes() const override;
    u32 read(const u8* p, u32 length) override;

    bool operator==(const TMahjongProfile& o) const {
        return name_ == o.name_ && character_ == o.character_ && dealerMusic_ == o.dealerMusic_ &&
               ritiMusic_ == o.ritiMusic_;
    }

private:
    u32 character_ = 0;
    u32 dealerMusic_ = 1;
    u32 ritiMusic_ = 1;
};

}  // namespace game
