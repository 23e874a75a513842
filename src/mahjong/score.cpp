// Fu, han and points of one reading.
#include <cstdint>

#include "mahjong/score.h"

#include "mahjong/judge.h"

namespace mahjong {

namespace {

int roundUp(int value, int step) { return (value + step - 1) / step * step; }
int64_t roundUp64(int64_t value, int64_t step) { return (value + step - 1) / step * step; }

int windKind(int wind) { return wind >= 0 && wind <= 3 ? PAI_EAST + wind : PAI_NONE; }

// Set and pair fu of one tile, in twelfths of a fu, so that a group's tiles add up to its
// fu exactly (a triplet is three tiles, a kan four).
int tileTwelfths(const TPai& t, int roundKind, int seatKind) {
    const bool yaochu = t.isYaochu();
    switch (t.state) {
        case PS_PON:
            return yaochu ? 16 : 8;
        case PS_ANKAN:
            return yaochu ? 96 : 48;
        case PS_MINKAN:
        case PS_KAKAN:
            return yaochu ? 48 : 24;
        case PS_ANKO:
            return yaochu ? 32 : 16;
        case PS_HEAD:
            if (t.isDragon()) return 12;
            return (t.kind == roundKind ? 12 : 0) + (t.kind == seatKind ? 12 : 0);
        default:
            return 0;
    }
}

// Whether a tile of the winning kind at this place could have been an edge, closed or pair
// wait. Tiles in melds never held the winning tile and are skipped by the caller.
bool isNarrowWaitPlace(const TPai& t) {
    switch (t.state) {
        case PS_HEAD:
        case PS_SEQ_MID:
        case PS_TI_MID:
            return true;
        case PS_SEQ_LOW:
            return t.getNumber() == 7;
        case PS_SEQ_HIGH:
            return t.getNumber() == 3;
        default:
            return false;
    }
}

int countFu(const TJudge& j) {
    if (j.hasYaku(YAKU_NAGASHI) || j.hasYaku(YAKU_RENHOU)) return 0;
    if (j.hasYaku(YAKU_CHIITOI)) return 25;
    const TJudgeFacts& f = j.facts();
    int base = 20;
    if (isDiscardSource(j.source) && (f.isClosed() || (j.openPinfu && j.openTanyao))) base = 30;

    const int roundKind = windKind(f.roundWind());
    const int seatKind = windKind(f.seatWind());
    int twelfths = 0;
    int waitFu = 2;
    for (size_t i = 0; i < j.hand.size(); ++i) {
        const TPai& t = j.hand[i];
        twelfths += tileTwelfths(t, roundKind, seatKind);
        if (t.kind == j.winningKind() && !j.isMeldTile(i) && !isNarrowWaitPlace(t)) waitFu = 0;
    }
    const int tumoFu = (isTumoSource(j.source) && !j.hasYaku(YAKU_PINFU)) ? 2 : 0;
    return roundUp(base + waitFu + twelfths / 12 + tumoFu, 10);
}

}  // namespace

TBasePoints basePoints(int fu, int hanField, bool limitYaku) {
    const int h = hanField;
    if (h < 7) {
        // A negative han field is never built by the checkers; it scores nothing.
        const int64_t base = h < 0 ? 0 : int64_t(fu) * (int64_t(1) << h);
        if (base >= 1920) return {2000, LIMIT_MANGAN};
        return {static_cast<int>(base), LIMIT_NONE};
    }
    if (h == 7) return {2000, LIMIT_MANGAN};
    if (h <= 9) return {3000, LIMIT_HANEMAN};
    if (h <= 12) return {4000, LIMIT_BAIMAN};
    if (h <= 14) return {6000, LIMIT_SANBAIMAN};
    if (h <= 27) return {8000, limitYaku ? LIMIT_YAKUMAN : LIMIT_COUNTED};
    if (h <= 40) return {16000, limitYaku ? LIMIT_DOUBLE : LIMIT_COUNTED};
    return {24000, limitYaku ? LIMIT_TRIPLE : LIMIT_COUNTED};
}

int winPoints(int base, bool dealer) {
    const int64_t b = dealer ? int64_t(base) * 3 / 2 : base;
    return static_cast<int>(roundUp64(b * 4, 100));
}

int TJudge::score() {
    fu = countFu(*this);
    TBasePoints bp;
    if (hasYaku(YAKU_NAGASHI) || hasYaku(YAKU_RENHOU)) {
        // Fixed limit hands: a mangan whatever else the list holds.
        han = 6;
        bp = {2000, LIMIT_MANGAN};
    } else {
        han = totalHan() + 2;
        bp = basePoints(fu, han, hasYakuman());
    }
    limit = bp.level;
    points = winPoints(bp.base, facts().seatWind() == 0);
    return points;
}

}  // namespace mahjong
