#pragma once
// The rule of one game, shared by the table and read by the yaku, call and settlement code.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mahjong {

// The set-up screens' named changes to a rule, applied one at a time.
using TRuleOption = int;

enum : int {
    RO_PLAYER_2 = 0,
    RO_PLAYER_3 = 1,
    RO_PLAYER_4 = 2,
    RO_HANCHAN = 3,  // east and south rounds
    RO_TOUFU = 4,    // east round only
    RO_RED_NONE = 5,
    RO_RED_5PIN = 6,
    RO_RED_5EACH = 7,
    RO_RED_5EACH_PLUS = 8,
    RO_MOTI_25000 = 9,
    RO_MOTI_27000 = 10,
    RO_MOTI_30000 = 11,
    RO_KUITAN_ARI = 12,
    RO_KUITAN_NASI = 13,
    RO_WAREME_ARI = 14,
    RO_WAREME_NASI = 15,
    RO_TORI_ARI = 16,
    RO_TORI_NASI = 17,
    RO_COUNT = 18,
};

class TRule {
public:
    TRule() { setDefault(); }
    TRule(const TRule&) = default;
    TRule& operator=(const TRule&) = default;
    virtual ~TRule() = default;

    virtual void setDefault();
    virtual size_t size() const { return 16; }
    virtual std::vector<uint8_t> toBytes() const;
    // Reads the 16-byte form. Returns 16, or 0 with the rule unchanged when fewer than 16
    // bytes are given or the record could not be played (players outside 2-4, a negative
    // dead-wall size): a peer's record must never leave the table dividing by zero.
    virtual size_t read(const uint8_t* bytes, size_t length);

    // Applies one TRuleOption; false (and no change) for a number outside 0-17.
    bool applyOption(int option);

    bool operator==(const TRule& o) const;

    int players = 4;
    int deadWall = 14;   // tiles that stay in the wall; drawing stops when it holds this many
    int gameLength = 1;  // 0 east and south rounds, 1 east round only
    int redFives = 2;    // 0 none, 1 circles only, 2 one per suit, 3 one per suit plus a circles
    uint32_t startPoints = 25000;
    uint32_t targetPoints = 30000;
    bool fourRitiDraw = true;
    bool fourWindsDraw = true;
    bool openTanyao = true;  // all simples also counts in an open hand
    bool fourthSwitch = false;
    bool splitWall = false;     // wareme
    bool noWinPenalty = false;  // tori
    int extra1 = 0;
    int extra2 = 0;
    int extra3 = 0;  // special tiles (kind 34) added to the wall
};

}  // namespace mahjong
