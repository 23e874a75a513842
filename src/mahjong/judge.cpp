#include "mahjong/judge.h"

#include <algorithm>

namespace mahjong {

namespace {

// Stands in for a missing player: an empty closed hand at a quiet table.
const TJudgeFactsData& noFacts() {
    static const TJudgeFactsData facts;
    return facts;
}

bool isMeldState(int state) { return state >= PS_TI_LOW && state <= PS_KAKAN; }

// The dora entry may pass 13 han, but it only adds to a hand: it is never a limit yaku.
bool isLimitYaku(const TJudge::TYaku& y) { return y.first != YAKU_DORA && y.second >= kLimitHan; }

}  // namespace

TJudge::TJudge(const TJudgeFacts* player, const TPai& pai, int source, const TPaiArray* tiles)
    : player(player ? player : &noFacts()), pai(pai), source(source), hand(tiles ? *tiles : this->player->handTiles()) {
    melded.resize(hand.size());
    for (size_t i = 0; i < hand.size(); ++i) melded[i] = isMeldState(hand[i].state) ? 1 : 0;
}

int TJudge::countState(int kind, int state) const {
    int n = 0;
    for (const TPai& t : hand)
        if (t.kind == kind && t.state == state) ++n;
    return n;
}

bool TJudge::hasState(int kind, int state, int n) const { return countState(kind, state) >= n; }

bool TJudge::hasSeqPos(int kind, int pos, int n) const {
    int c = 0;
    for (const TPai& t : hand)
        if (t.kind == kind && t.isSeqPos(pos, true)) ++c;
    return c >= n;
}

bool TJudge::hasSet(int kind, int n) const {
    int c = 0;
    for (const TPai& t : hand)
        if (t.kind == kind && t.isSet(true)) ++c;
    return c >= n;
}

void TJudge::histogram(bool onlyFree) {
    for (TCount& c : counts) c = TCount{};
    for (size_t i = 0; i < hand.size(); ++i) {
        const TPai& t = hand[i];
        if (!isKindInHandRange(t.kind)) continue;
        if (onlyFree && t.state != PS_FREE) continue;
        TCount& c = counts[t.kind];
        if (c.count == 0) c.begin = static_cast<int>(i);
        ++c.count;
    }
}

int TJudge::totalHan() const {
    int sum = 0;
    for (const TYaku& y : yaku) sum += y.second;
    return sum;
}

bool TJudge::hasYaku(int id) const {
    return std::any_of(yaku.begin(), yaku.end(), [id](const TYaku& y) { return y.first == id; });
}

bool TJudge::hasYakuman() const { return std::any_of(yaku.begin(), yaku.end(), isLimitYaku); }

void TJudge::pruneToLimitYaku() {
    if (!hasYakuman()) return;
    yaku.erase(std::remove_if(yaku.begin(), yaku.end(), [](const TYaku& y) { return !isLimitYaku(y); }), yaku.end());
}

void TJudge::prune(int minimum) {
    const bool any = std::any_of(yaku.begin(), yaku.end(), [minimum](const TYaku& y) { return y.second >= minimum; });
    if (!any) return;
    yaku.erase(std::remove_if(yaku.begin(), yaku.end(), [minimum](const TYaku& y) { return y.second < minimum; }),
               yaku.end());
}

}  // namespace mahjong
