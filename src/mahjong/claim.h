#pragma once
// Option and claim bits: what a player's option operations return and the game messages carry.
#include <cstdint>

namespace mahjong {

using TClaimKind = uint32_t;

enum : uint32_t {
    CK_PON = 0x1,
    CK_TI = 0x2,
    CK_MINKAN = 0x4,  // kan on a discard
    CK_KAN = 0x8,     // own kan, concealed or added
    CK_RITI = 0x10,
    CK_RON = 0x20,
    CK_TUMO = 0x40,    // self-drawn win
    CK_KYUSHU = 0x80,  // abortive draw on nine terminal and honour kinds
    CK_SUTE = 0x100,   // discard
    CK_FAKE = 0x1000,  // a special ability is available
    CK_NONE = 0x8000,  // no claim; set by the answering player only
};

}  // namespace mahjong
