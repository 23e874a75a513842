#include "mahjong/judgement.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include <boost/make_shared.hpp>

#include "mahjong/yaku.h"

namespace mahjong {

namespace {

enum : uint8_t { GROUP_PAIR = 0, GROUP_TRIPLET = 1, GROUP_SEQUENCE = 2 };

constexpr int kMaxFreeTiles = 14;
constexpr int kOrphanKinds[13] = {0, 8, 9, 17, 18, 26, 27, 28, 29, 30, 31, 32, 33};

bool isMeldState(int state) { return state >= PS_TI_LOW && state <= PS_KAKAN; }

// Whether kind k's neighbour on one side (-1 or +1) could share a sequence with it and
// holds free tiles. Honours and special kinds have no neighbours.
bool neighbourHasFree(const int8_t* free, int k, int side) {
    if (!isSuitKind(k)) return false;
    const int n = kindNumber(k);
    if ((side < 0 && n == 1) || (side > 0 && n == 9)) return false;
    return free[k + side] > 0;
}

// Gives `count` free tiles of the kind the state, in hand order; never touches a tile that
// already has a role, so a meld keeps its state.
void giveState(TPaiArray& hand, int kind, int state, int count) {
    for (TPai& t : hand) {
        if (count == 0) return;
        if (t.kind == kind && t.state == PS_FREE) {
            t.state = state;
            --count;
        }
    }
}

}  // namespace

bool TJudgement::judge(int mode, const TPai& pai, int source, const TPaiArray* tiles) {
    mode_ = mode;
    clear();
    static const TPaiArray kNoTiles;
    hand_ = tiles ? tiles : (player_ ? &player_->handTiles() : &kNoTiles);
    pai_ = pai;
    source_ = source;
    stopped_ = false;

    // Reading A: the free tiles per kind.
    TNode a;
    std::memset(&a, 0, sizeof a);
    a.sequencesOnly = -1;
    int all[PAI_KIND_COUNT] = {};
    int freeTotal = 0;
    bool hasMeld = false;
    for (const TPai& t : *hand_) {
        if (isMeldState(t.state)) hasMeld = true;
        if (!isKindInHandRange(t.kind)) {
            // A tile that is no tile can never be part of a set.
            if (t.state == PS_FREE) return false;
            continue;
        }
        ++all[t.kind];
        if (t.state == PS_FREE) {
            if (++freeTotal > kMaxFreeTiles) return false;
            ++a.free[t.kind];
        }
    }

    // Quick reject: a lone simple with no neighbour can go nowhere.
    for (int k = 1; k <= 25; ++k) {
        const int n = kindNumber(k);
        if (n >= 2 && n <= 8 && a.free[k] == 1 && a.free[k - 1] == 0 && a.free[k + 1] == 0) return false;
    }

    // Pre-pass: fix the groups that can only be read one way.
    for (int k = 0; k < PAI_KIND_COUNT; ++k) {
        if (a.free[k] == 3 && !neighbourHasFree(a.free, k, -1) && !neighbourHasFree(a.free, k, +1)) {
            a.placements[a.placed++] = uint8_t(GROUP_TRIPLET << 6 | k);
            a.free[k] = 0;
        }
    }
    for (int k = 0; k <= 24; ++k) {
        const int n = kindNumber(k);
        if (n > 7) continue;
        if (a.free[k] == 1 && a.free[k + 1] == 1 && a.free[k + 2] == 1 && (n == 1 || a.free[k - 1] == 0) &&
            (n == 7 || a.free[k + 3] == 0)) {
            a.placements[a.placed++] = uint8_t(GROUP_SEQUENCE << 6 | k);
            a.free[k] = a.free[k + 1] = a.free[k + 2] = 0;
        }
    }

    // Thirteen orphans and seven pairs need a hand of fourteen concealed tiles; a hand with
    // called sets or kans never reads as either.
    if (!hasMeld && hand_->size() == 14) {
        int orphanTiles = 0;
        int pairKind = -1;
        bool everyOrphan = true;
        for (int k : kOrphanKinds) {
            orphanTiles += all[k];
            if (all[k] == 0) everyOrphan = false;
            if (all[k] == 2) pairKind = k;
        }
        if (everyOrphan && orphanTiles == 14 && pairKind >= 0) {
            if (mode_ & (JM_AGARI | JM_TENPAI)) return true;
            TJudge b = makeReading(a);
            if (pairKind == pai_.kind)
                b.addYaku(YAKU_KOKUSHI_13, 26);
            else
                b.addYaku(YAKU_KOKUSHI, 13);
            finishReading(b, false);
            return true;
        }

        int pairs = 0;
        bool onlyPairs = true;
        for (int k = 0; k < PAI_KIND_COUNT; ++k) {
            if (all[k] == 2)
                ++pairs;
            else if (all[k] != 0)
                onlyPairs = false;
        }
        if (onlyPairs && pairs == 7) {
            if (mode_ & (JM_AGARI | JM_TENPAI)) return true;
            TJudge b = makeReading(a);
            b.addYaku(YAKU_CHIITOI, 2);
            for (TPai& t : b.hand) t.state = PS_HEAD;
            finishReading(b, false);
        }
    }

    for (int k = 0; k < PAI_KIND_COUNT && !stopped_; ++k)
        if (a.free[k] >= 2) tryPair(a, k);

    if (stopped_) {
        results_.clear();
        return true;
    }
    std::stable_sort(results_.begin(), results_.end(), [](const TJudgePtr& x, const TJudgePtr& y) {
        if (x->points != y->points) return x->points > y->points;
        if (x->han != y->han) return x->han > y->han;
        return x->fu > y->fu;
    });
    return !results_.empty();
}

void TJudgement::tryPair(const TNode& node, int kind) {
    TNode next = node;
    if (next.placed >= kMaxPlacements) return;
    next.placements[next.placed++] = uint8_t(GROUP_PAIR << 6 | kind);
    next.free[kind] -= 2;
    search(next);
}

void TJudgement::tryTriplet(const TNode& node, int kind) {
    TNode next = node;
    if (next.placed >= kMaxPlacements) return;
    next.placements[next.placed++] = uint8_t(GROUP_TRIPLET << 6 | kind);
    next.free[kind] -= 3;
    search(next);
}

void TJudgement::trySequence(const TNode& node, int kind) {
    TNode next = node;
    if (next.placed >= kMaxPlacements) return;
    next.placements[next.placed++] = uint8_t(GROUP_SEQUENCE << 6 | kind);
    --next.free[kind];
    --next.free[kind + 1];
    --next.free[kind + 2];
    next.sequencesOnly = static_cast<int8_t>(kind);
    search(next);
}

void TJudgement::search(const TNode& node) {
    int k = 0;
    while (k < PAI_KIND_COUNT && node.free[k] == 0) ++k;
    if (k == PAI_KIND_COUNT) {
        complete(node);
        return;
    }
    if (node.free[k] >= 3 && node.sequencesOnly != k) {
        tryTriplet(node, k);
        if (stopped_) return;
    }
    if (isSuitKind(k) && kindNumber(k) <= 7 && node.free[k + 1] > 0 && node.free[k + 2] > 0) trySequence(node, k);
}

void TJudgement::complete(const TNode& node) {
    if (mode_ & JM_TENPAI) {
        stopped_ = true;
        return;
    }
    TJudge reading = makeReading(node);
    finishReading(reading, true);
}

TJudge TJudgement::makeReading(const TNode& node) const {
    TJudge reading(player_, pai_, source_, hand_);
    const int tripletState = (isDiscardSource(source_)) ? PS_PON : PS_ANKO;  // a discard opens the triplet it completes
    for (int i = 0; i < node.placed; ++i) {
        const int group = node.placements[i] >> 6;
        const int kind = node.placements[i] & 63;
        switch (group) {
            case GROUP_PAIR:
                giveState(reading.hand, kind, PS_HEAD, 2);
                break;
            case GROUP_TRIPLET:
                giveState(reading.hand, kind, kind == pai_.kind ? tripletState : PS_ANKO, 3);
                break;
            default:
                giveState(reading.hand, kind, PS_SEQ_LOW, 1);
                giveState(reading.hand, kind + 1, PS_SEQ_MID, 1);
                giveState(reading.hand, kind + 2, PS_SEQ_HIGH, 1);
                break;
        }
    }
    return reading;
}

void TJudgement::finishReading(TJudge& reading, bool withShape) {
    reading.histogram(false);
    if (withShape) judgeShapeYaku(reading);
    judgeSituationYaku(reading);
    if (reading.yaku.empty()) return;
    if (mode_ & JM_AGARI) {
        stopped_ = true;
        return;
    }
    reading.score();
    results_.push_back(boost::make_shared<TJudge>(std::move(reading)));
}

}  // namespace mahjong
