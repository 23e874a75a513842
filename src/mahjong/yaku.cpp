#include "mahjong/yaku.h"

#include <algorithm>

namespace mahjong {

namespace {

constexpr int kSuitBases[3] = {0, 9, 18};

// The kind of a wind given as 0-3; PAI_NONE for anything else, so that a stray round or
// seat number never turns into a dragon.
int windKind(int wind) { return wind >= 0 && wind <= 3 ? PAI_EAST + wind : PAI_NONE; }

template <typename Pred>
bool everyTile(const TJudge& j, Pred pred) {
    return !j.hand.empty() && std::all_of(j.hand.begin(), j.hand.end(), pred);
}

int countTiles(const TJudge& j, bool (TPai::*pred)() const) {
    int n = 0;
    for (const TPai& t : j.hand)
        if ((t.*pred)()) ++n;
    return n;
}

int cappedSum(const TJudge& j, int first, int last) {
    int sum = 0;
    for (int k = first; k <= last; ++k) sum += std::min(j.count(k), 3);
    return sum;
}

// Han of a yaku that is worth one less in an open hand.
int closedOr(const TJudge& j, int closedHan, int openHan) { return j.facts().isClosed() ? closedHan : openHan; }

// --- shape checkers ---

void checkAllGreen(TJudge& j) {
    if (everyTile(j, [](const TPai& t) {
            return t.kind == 10 || t.kind == 11 || t.kind == 12 || t.kind == 14 || t.kind == 16 || t.kind == PAI_HATU;
        }))
        j.addYaku(YAKU_RYUUIISOU, 13);
}

void checkAllTerminals(TJudge& j) {
    if (everyTile(j, [](const TPai& t) { return t.isTerminal(); })) j.addYaku(YAKU_TINROUTOU, 13);
}

void checkNineGates(TJudge& j) {
    if (!j.facts().isClosed()) return;
    for (int base : kSuitBases) {
        int extras = 0;
        int extraKind = PAI_NONE;
        bool ok = true;
        for (int i = 0; i < 9 && ok; ++i) {
            const int need = (i == 0 || i == 8) ? 3 : 1;
            const int c = j.count(base + i);
            if (c == need + 1) {
                ++extras;
                extraKind = base + i;
            } else if (c != need) {
                ok = false;
            }
        }
        if (ok && extras == 1) {
            if (extraKind == j.winningKind())
                j.addYaku(YAKU_JUNSEI_TYUUREN, 26);
            else
                j.addYaku(YAKU_TYUUREN, 13);
            return;
        }
    }
}

void checkWinds(TJudge& j) {
    const int sum = cappedSum(j, PAI_EAST, PAI_NORTH);
    if (sum == 12)
        j.addYaku(YAKU_DAISUUSHII, 13);
    else if (sum == 11)
        j.addYaku(YAKU_SHOUSUUSHII, 13);
}

void checkFourKans(TJudge& j) {
    if (countTiles(j, &TPai::isKan) == 16) j.addYaku(YAKU_SUUKANTU, 13);
}

void checkConcealedTriplets(TJudge& j) {
    int others = 0;
    bool pairOnWinning = false;
    for (const TPai& t : j.hand) {
        if (t.state == PS_HEAD) {
            if (t.kind == j.winningKind()) pairOnWinning = true;
        } else if (t.state != PS_ANKO && t.state != PS_ANKAN) {
            ++others;
        }
    }
    if (others == 0)
        j.addYaku(pairOnWinning ? YAKU_SUUANKO_TANKI : YAKU_SUUANKO, pairOnWinning ? 26 : 13);
    else if (others <= 4)
        j.addYaku(YAKU_SANANKO, 2);
}

void checkDragons(TJudge& j) {
    const int sum = cappedSum(j, PAI_HAKU, PAI_TYUN);
    if (sum == 9)
        j.addYaku(YAKU_DAISANGEN, 13);
    else if (sum == 8)
        j.addYaku(YAKU_SHOUSANGEN, 2);
}

void checkNoPoints(TJudge& j) {
    const TJudgeFacts& f = j.facts();
    const int roundKind = windKind(f.roundWind());
    const int seatKind = windKind(f.seatWind());
    int pairTiles = 0;
    for (const TPai& t : j.hand) {
        if (t.state == PS_HEAD) {
            if (t.isDragon() || t.kind == roundKind || t.kind == seatKind) return;
            if (++pairTiles > 2) return;
        } else if (!t.isSeqPos(0, true) && !t.isSeqPos(1, true) && !t.isSeqPos(2, true)) {
            return;
        }
    }
    const bool twoSided = std::any_of(j.hand.begin(), j.hand.end(), [&](const TPai& t) {
        return t.kind == j.winningKind() &&
               ((t.state == PS_SEQ_LOW && t.getNumber() != 7) || (t.state == PS_SEQ_HIGH && t.getNumber() != 3));
    });
    if (!twoSided) return;
    if (f.isClosed())
        j.addYaku(YAKU_PINFU, 1);
    else
        j.openPinfu = 1;
}

void checkIdenticalSequences(TJudge& j) {
    if (!j.facts().isClosed()) return;
    for (int base : kSuitBases) {
        int found = 0;
        for (int k = base; k <= base + 6; ++k) {
            int starts = 0;
            for (const TPai& t : j.hand)
                if (t.kind == k && (t.state == PS_SEQ_LOW || t.state == PS_TI_LOW)) ++starts;
            if (starts >= 2 && ++found == 2) {
                j.addYaku(YAKU_RYANPEIKO, 3);
                return;
            }
        }
        if (found == 1) {
            j.addYaku(YAKU_IIPEIKO, 1);
            return;
        }
    }
}

void checkValueTriplets(TJudge& j) {
    int n = 0;
    for (int k = PAI_HAKU; k <= PAI_TYUN; ++k)
        if (j.count(k) >= 3) ++n;
    if (j.count(windKind(j.facts().roundWind())) >= 3) ++n;
    if (j.count(windKind(j.facts().seatWind())) >= 3) ++n;
    if (n > 0) j.addYaku(YAKU_YAKUHAI, n);
}

void checkStraight(TJudge& j) {
    for (int base : kSuitBases) {
        if (j.hasSeqPos(base, 0, 1) && j.hasSeqPos(base + 3, 0, 1) && j.hasSeqPos(base + 6, 0, 1)) {
            j.addYaku(YAKU_ITTU, closedOr(j, 2, 1));
            return;
        }
    }
}

void checkThreeColourStraight(TJudge& j) {
    for (int n = 0; n <= 6; ++n) {
        if (j.hasSeqPos(n, 0, 1) && j.hasSeqPos(n + 9, 0, 1) && j.hasSeqPos(n + 18, 0, 1)) {
            j.addYaku(YAKU_SANSHOKU, closedOr(j, 2, 1));
            return;
        }
    }
}

void checkThreeColourTriplets(TJudge& j) {
    for (int n = 0; n <= 8; ++n) {
        bool all = true;
        for (int base : kSuitBases) {
            const int k = base + n;
            if (j.count(k) < 3 || !j.hasSet(k, 3)) all = false;
        }
        if (all) {
            j.addYaku(YAKU_SANSHOKU_DOUKOU, 2);
            return;
        }
    }
}

void checkThreeKans(TJudge& j) {
    if (countTiles(j, &TPai::isKan) == 12) j.addYaku(YAKU_SANKANTU, 2);
}

void checkAllTriplets(TJudge& j) {
    if (everyTile(j, [](const TPai& t) { return t.isSet(true) || t.isHead(); })) j.addYaku(YAKU_TOITOI, 2);
}

// --- situational checkers ---

void checkClosedSelfDraw(TJudge& j) {
    if (j.facts().isClosed() && j.source == WS_TUMO) j.addYaku(YAKU_TUMO, 1);
}

void checkRiti(TJudge& j) {
    const TJudgeFacts& f = j.facts();
    if (!f.isRiti()) return;
    if (f.ritiTurn() < f.rule().players)
        j.addYaku(YAKU_DOUBLE_RITI, 2);
    else
        j.addYaku(YAKU_RITI, 1);
}

void checkOneShot(TJudge& j) {
    const TJudgeFacts& f = j.facts();
    if (f.isClosed() && f.isRiti() && f.turnCount() - f.rule().players <= f.ritiTurn()) j.addYaku(YAKU_IPPATU, 1);
}

void checkAllSimples(TJudge& j) {
    if (!everyTile(j, [](const TPai& t) { return t.isSimple(); })) return;
    const TJudgeFacts& f = j.facts();
    if (f.isClosed()) {
        j.addYaku(YAKU_TANYAO, 1);
        return;
    }
    j.openTanyao = 1;
    if (f.rule().openTanyao) j.addYaku(YAKU_TANYAO, 1);
}

bool isLastTile(const TJudge& j) { return j.facts().wallCount() == j.facts().rule().deadWall; }

void checkWinCircumstances(TJudge& j) {
    if (j.source == WS_RINSHAN) j.addYaku(YAKU_RINSHAN, 1);
    if (j.facts().isRobbingKan()) j.addYaku(YAKU_CHANKAN, 1);
    if (isLastTile(j) && j.source == WS_TUMO) j.addYaku(YAKU_HAITEI, 1);
    if (isLastTile(j) && isDiscardSource(j.source)) j.addYaku(YAKU_HOUTEI, 1);
}

// Every pair and set holds an accepted tile and every sequence starts on 1 or 7.
bool isOutside(const TJudge& j, bool terminalsOnly) {
    for (const TPai& t : j.hand) {
        const bool accepted = terminalsOnly ? t.isTerminal() : t.isYaochu();
        if (t.state == PS_HEAD || t.isSet(true)) {
            if (!accepted) return false;
        } else if (t.state == PS_SEQ_LOW || t.state == PS_TI_LOW) {
            const int n = t.getNumber();
            if (n != 1 && n != 7) return false;
        }
    }
    return true;
}

void checkOutsideFamily(TJudge& j) {
    if (isOutside(j, true)) {
        j.addYaku(YAKU_JUNCHAN, closedOr(j, 3, 2));
    } else if (everyTile(j, [](const TPai& t) { return t.isYaochu(); })) {
        j.addYaku(YAKU_HONROUTOU, 2);
    } else if (isOutside(j, false)) {
        j.addYaku(YAKU_CHANTA, closedOr(j, 2, 1));
    }
}

void checkFlush(TJudge& j) {
    int suitClass = PC_NONE;
    bool other = false;
    for (const TPai& t : j.hand) {
        if (t.isSuit()) {
            if (suitClass == PC_NONE)
                suitClass = t.getClass();
            else if (t.getClass() != suitClass)
                return;
        } else {
            other = true;
        }
    }
    if (suitClass == PC_NONE) return;
    if (other)
        j.addYaku(YAKU_HONITU, closedOr(j, 3, 2));
    else
        j.addYaku(YAKU_CHINITU, closedOr(j, 6, 5));
}

void checkAllHonours(TJudge& j) {
    if (everyTile(j, [](const TPai& t) { return t.isHonour(); })) j.addYaku(YAKU_TUUIISOU, 13);
}

void checkFirstDraws(TJudge& j) {
    const TJudgeFacts& f = j.facts();
    if (j.source != WS_TUMO) return;
    const int turn = f.turnCount();
    if (turn == 0) {
        j.addYaku(YAKU_TENHOU, 13);
    } else if (turn >= 1 && turn < f.rule().players) {
        // Only the non-dealers' first draws: with fewer than four seats the dealer's
        // second draw comes before turn 4.
        j.addYaku(YAKU_TIIHOU, 13);
    }
}

void checkDora(TJudge& j) {
    if (j.yaku.empty()) return;
    const TJudgeFacts& f = j.facts();
    const int shown = std::clamp(f.doraCount(), 0, 5);
    int total = 0;
    for (int i = 0; i < shown; ++i) total += j.count(nextKind(f.dora(i).kind));
    if (f.isRiti())
        for (int i = 0; i < shown; ++i) total += j.count(nextKind(f.uraDora(i).kind));
    for (const TPai& t : j.hand)
        if (t.red) ++total;
    if (total > 0) j.addYaku(YAKU_DORA, total);
}

void closingStep(TJudge& j) {
    if (!j.yaku.empty() && j.totalHan() >= 4) {
        j.pruneToLimitYaku();
        return;
    }
    if (j.facts().turnCount() < j.facts().seatWind()) {
        j.addYaku(YAKU_RENHOU, 4);
        j.prune(4);
    }
    j.pruneToLimitYaku();
}

}  // namespace

void judgeShapeYaku(TJudge& j) {
    checkAllGreen(j);
    checkAllTerminals(j);
    checkNineGates(j);
    checkWinds(j);
    checkFourKans(j);
    checkConcealedTriplets(j);
    checkDragons(j);
    if (j.hasYakuman()) return;
    checkNoPoints(j);
    checkIdenticalSequences(j);
    checkValueTriplets(j);
    checkStraight(j);
    checkThreeColourStraight(j);
    checkThreeColourTriplets(j);
    checkThreeKans(j);
    checkAllTriplets(j);
}

void judgeSituationYaku(TJudge& j) {
    checkClosedSelfDraw(j);
    checkRiti(j);
    checkOneShot(j);
    checkAllSimples(j);
    checkWinCircumstances(j);
    checkOutsideFamily(j);
    checkFlush(j);
    checkAllHonours(j);
    checkFirstDraws(j);
    checkDora(j);
    closingStep(j);
}

bool judgeNagashi(TJudge& j) {
    const auto& sutes = j.facts().discards();
    if (sutes.empty()) return false;
    for (const TSutePai& s : sutes)
        if (!s.isYaochu() || !s.inPond) return false;
    j.addYaku(YAKU_NAGASHI, 4);
    return true;
}

}  // namespace mahjong
