#pragma once
// The winning-hand search: every way of reading a hand plus one tile as a winning hand,
// each with its yaku and score, best first. Two shortened modes answer whether a tile can
// win and whether a hand is complete.
#include <cstdint>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "mahjong/judge.h"

namespace mahjong {

using TJudgePtr = boost::shared_ptr<TJudge>;

// Mode bits of a search.
enum : int {
    JM_FULL = 0,    // every reading, scored
    JM_AGARI = 4,   // stop at the first reading with a yaku
    JM_TENPAI = 8,  // stop at the first complete reading, yaku or not
};

class TJudgement {
public:
    // The facts are not owned and must outlive the judgement; null judges as an empty hand.
    explicit TJudgement(const TJudgeFacts* player) : player_(player) {}
    TJudgement(const TJudgement&) = delete;
    TJudgement& operator=(const TJudgement&) = delete;
    virtual ~TJudgement() = default;

    // Reads the tiles (or, given none, the player's hand), which already hold the winning
    // tile, as a win on that tile from the source. Mode 0 (any mode without bits 4 and 8):
    // true when some reading has a yaku; the readings stay in results(), highest points
    // first, then more han, then more fu, then in the order found. Modes 4 and 8: true when
    // the early stop fired; results() stays empty. Never reads more than 14 free tiles: a
    // larger hand has no reading.
    virtual bool judge(int mode, const TPai& pai, int source, const TPaiArray* tiles = nullptr);
    // Empties the results.
    virtual void clear() { results_.clear(); }

    const std::vector<TJudgePtr>& results() const { return results_; }
    std::vector<TJudgePtr>& results() { return results_; }
    int mode() const { return mode_; }
    const TJudgeFacts* player() const { return player_; }

private:
    static constexpr int kMaxPlacements = 8;
    // A reading in progress: the free tiles left per kind and the groups placed so far.
    struct TNode {
        int8_t free[PAI_KIND_COUNT];
        // The kind whose tiles may now only start sequences: a triplet there was already
        // tried first, so taking it after a sequence would read the same groups again.
        int8_t sequencesOnly;
        uint8_t placed;
        uint8_t placements[kMaxPlacements];  // group kind << 6 | tile kind
    };

    void tryPair(const TNode& node, int kind);
    void tryTriplet(const TNode& node, int kind);
    void trySequence(const TNode& node, int kind);
    void search(const TNode& node);
    void complete(const TNode& node);
    TJudge makeReading(const TNode& node) const;
    void finishReading(TJudge& reading, bool withShape);

    const TJudgeFacts* player_;
    int mode_ = JM_FULL;
    std::vector<TJudgePtr> results_;

    // The question being answered, for the duration of one judge call.
    const TPaiArray* hand_ = nullptr;
    TPai pai_;
    int source_ = WS_TUMO;
    bool stopped_ = false;
};

}  // namespace mahjong
