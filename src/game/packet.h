#pragma once
// Every game message between the server task and a seat is a code (TCmdCode) and a short byte
// string produced and parsed by one TPacket class per code. Even inside one process the sender
// encodes and the receiver decodes a fresh object: no message object is ever shared.
#include <vector>

#include "game/wire.h"
#include "game/wire_fields.h"
#include "mahjong/claim.h"

namespace game {

enum TCmdCode : u32 {
    CMD_SYS = 1001,  // sent by nobody; the server's system loop accepts and drops it
    C_READY = 1002,  // no bytes
    C_END = 1003,    // one byte: 0 ends the match, nonzero asks for the same match again

    S_ENTRY = 2001,
    S_ADDPLAYER = 2002,
    S_STARTROOM = 2003,
    S_STARTGAME = 2004,  // no bytes
    S_RESULT = 2005,

    C_SITDOWN = 3001,
    C_STARTUP = 3002,
    C_DEAL = 3003,
    C_STARTROUND = 3004,
    C_TUMO = 3005,
    C_PON = 3006,
    C_TI = 3007,
    C_KAN = 3008,
    C_RINSHAN = 3009,
    C_SUTE = 3010,
    C_DOFAKE = 3011,
    C_FAKE = 3012,
    C_ROUNDRESULT = 3013,
    C_NEXTROUND = 3014,

    S_SITDOWN = 4001,
    S_STARTUP = 4002,
    S_DEAL = 4003,
    S_STARTROUND = 4004,
    S_TUMO = 4005,
    S_PON = 4006,
    S_TI = 4007,
    S_KAN = 4008,
    S_RINSHAN = 4009,
    S_RITI = 4010,
    S_SUTE = 4011,
    S_FAKE = 4012,
    S_NEXT = 4013,
    S_ROUNDRESULT = 4014,
    S_NEXTROUND = 4015,
};

// Claim and action words carried by the messages: the rules engine's claim bits under the
// messages' names.
enum TClaimWord : u32 {
    CLAIM_PON = mahjong::CK_PON,
    CLAIM_TI = mahjong::CK_TI,
    CLAIM_KAN = mahjong::CK_MINKAN,
    CLAIM_OWN_KAN = mahjong::CK_KAN,
    CLAIM_RITI = mahjong::CK_RITI,
    CLAIM_RON = mahjong::CK_RON,
    CLAIM_TUMO = mahjong::CK_TUMO,
    CLAIM_KYUSHU = mahjong::CK_KYUSHU,
    CLAIM_SUTE = mahjong::CK_SUTE,
    CLAIM_NONE = mahjong::CK_NONE,
};

class TPacket {
public:
    virtual ~TPacket() = default;
    // The exact number of bytes toBytes produces.
    virtual u32 size() const = 0;
    // A new vector holding the encoded fields in wire order.
    virtual std::vector<u8> toBytes() const = 0;
    // Decodes from data[0, length). False, with every field unchanged, when the bytes are too
    // short; bytes beyond what the message reads are ignored.
    virtual bool read(const u8* data, u32 length) = 0;

protected:
    TPacket() = default;
    TPacket(const TPacket&) = default;
    TPacket& operator=(const TPacket&) = default;
    // Receivers decode with a constructor that never fails: a short message keeps the defaults.
    void readVector(const std::vector<u8>& bytes) {
        read(bytes.empty() ? nullptr : bytes.data(), static_cast<u32>(bytes.size()));
    }
};

// A message whose size, encoder and decoder follow from its field list. Self declares, after its
// fields:  static constexpr auto fields() { return wire::fieldsOf<Self>(&Self::a, &Self::b, ...); }
template <class Self>
class TFieldPacket : public TPacket {
public:
    u32 size() const override { return Self::fields().size(self()); }
    std::vector<u8> toBytes() const override { return Self::fields().encode(self()); }
    bool read(const u8* data, u32 length) override {
        return Self::fields().decode(data, length, static_cast<Self&>(*this));
    }

protected:
    TFieldPacket() = default;
    TFieldPacket(const TFieldPacket&) = default;
    TFieldPacket& operator=(const TFieldPacket&) = default;

private:
    const Self& self() const { return static_cast<const Self&>(*this); }
};

}  // namespace game
