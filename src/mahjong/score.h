#pragma once
// The point tables behind a reading's score, usable on their own.

namespace mahjong {

struct TBasePoints {
    int base = 0;   // the base points of the win
    int level = 0;  // TLimitLevel
};

// Base points and limit level for a fu count and a han field (han total + 2); limitYaku
// tells whether a limit yaku (13 han or more in one entry) is present.
TBasePoints basePoints(int fu, int hanField, bool limitYaku);

// The value of a win: base × 4 (× 3/2 first for the dealer), rounded up to 100.
int winPoints(int base, bool dealer);

}  // namespace mahjong
