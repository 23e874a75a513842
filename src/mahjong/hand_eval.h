#pragma once
// The hand evaluator of the computer players: how close a hand is to a good winning hand in
// the style of one character. It rates a whole hand, and every discard by rating the hand
// without that tile; getBest then picks the discard to make. The style is a record of twelve
// values taken from the process-wide profile table by the player's profile key, and a
// hand-building strategy (flush, all simples, terminals and honours, pairs) chosen from the
// hand when the record allows it.
#include <array>
#include <cstdint>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "framework/random.h"
#include "mahjong/judge.h"
#include "mahjong/pai_array.h"
#include "mahjong/rule.h"

namespace mahjong {

class TPlayer;
class TTable;

// One computer-player record. Fields in order: value of a run tile, of a triplet tile, of a kan
// tile; leftover terminal, leftover middle tile, further copy of a suit tile, neighbour weight,
// two-apart weight, further copy of an honour, value-honour bonus; the strategy mask (2-bit
// fields: flush, all simples, terminals and honours, pairs, value triplets); the open-set flag.
using TRatingProfile = std::array<int, 12>;

// The records the game modes fill the table from.
extern const TRatingProfile kFreePlayProfiles[9];
extern const int kFreePlayProfileIndex[15];       // key -> record of kFreePlayProfiles
extern const TRatingProfile kNetworkProfiles[9];  // key k -> record k
// What a key that no game mode filled reads as: the plain record of free play, so that a
// character outside the filled range still plays instead of discarding at random.
extern const TRatingProfile kDefaultRatingProfile;

// The process-wide profile table. Written before a game starts, only read while it runs.
void setRatingProfile(int key, const TRatingProfile& profile);
// The record filled for the key, or kDefaultRatingProfile; the table is not changed.
const TRatingProfile& ratingProfile(int key);
bool hasRatingProfile(int key);
void clearRatingProfiles();

// Strategies; each value is the mask of its field in the strategy mask.
enum : int {
    RS_NONE = 0,
    RS_FLUSH = 0x3,
    RS_SIMPLES = 0xC,
    RS_TERMINALS = 0x30,
    RS_PAIRS = 0xC0,
};

class TRating {
public:
    // The rule and the player are not owned and must outlive the evaluator. random breaks ties
    // in getBest (not owned); without one, the evaluator's own unseeded generator does.
    TRating(const TRule& rule, TPlayer& player, TRandom* random = nullptr);
    TRating(const TRating&) = delete;
    TRating& operator=(const TRating&) = delete;
    virtual ~TRating() = default;

    virtual int getProfileKey() const { return profileKey_; }
    virtual int getStrategy() const { return strategy_; }
    // Index into the rated tiles of the best rating among the free tiles; equal best ratings
    // are chosen between at random. -1 when no rated tile is free.
    virtual int getBest();

    // The fields of the record of the profile key.
    virtual int getRunValue() const { return field(0); }
    virtual int getTripletValue() const { return field(1); }
    virtual int getKanValue() const { return field(2); }
    virtual int getTerminalValue() const { return field(3); }
    virtual int getMiddleValue() const { return field(4); }
    virtual int getSuitCopyValue() const { return field(5); }
    virtual int getNeighbourWeight() const { return field(6); }
    virtual int getTwoApartWeight() const { return field(7); }
    virtual int getHonourCopyValue() const { return field(8); }
    virtual int getValueHonourBonus() const { return field(9); }
    virtual int getStrategyMask() const { return field(10); }
    virtual uint8_t getOpenSetFlag() const { return static_cast<uint8_t>(field(11)); }
    // The 2-bit fields of the strategy mask (0 to 3).
    virtual int getFlushField() const { return (getStrategyMask() >> 0) & 3; }
    virtual int getSimplesField() const { return (getStrategyMask() >> 2) & 3; }
    virtual int getTerminalsField() const { return (getStrategyMask() >> 4) & 3; }
    virtual int getPairsField() const { return (getStrategyMask() >> 6) & 3; }
    virtual int getValueTripletField() const { return (getStrategyMask() >> 8) & 3; }

    // Profile key := key; strategy := none.
    virtual void setProfile(int key);
    // Chooses the strategy and the flush class from the tiles (the player's hand when null).
    virtual void decideStrategy(const TPaiArray* tiles = nullptr);
    // One rating per tile of the tiles (the player's hand when null): 0 for a tile of a called
    // set, else the rating of the hand without it. Returns the highest rating (at least 0).
    virtual int rateDiscards(const TPaiArray* tiles = nullptr);
    // Rating of the tiles (the player's hand when null).
    virtual int rate(const TPaiArray* tiles = nullptr);
    // Sum over the seated players of their danger entry for the kind.
    virtual int getKindPenalty(int kind) const;
    // Rates the working tiles: the best score over every way of taking complete sets out of
    // their free tiles, at least 0.
    virtual int rateHand();
    // Take one triplet or run out of the reading's free tiles and search on from there.
    virtual void tryTriplet(const TJudge& reading, int kind);
    virtual void tryRun(const TJudge& reading, int kind);
    // Scores the reading and every reading reachable from it by taking out sets; best keeps
    // the maximum.
    virtual void evaluate(const TJudge& reading);

    int best() const { return best_; }
    int flushClass() const { return flushClass_; }
    const TPaiArray& working() const { return working_; }
    const std::vector<int>& ratings() const { return ratings_; }
    void setRandom(TRandom* random) { random_ = random; }

private:
    // The search works on per-kind free counts; the tiles' own states only matter for the
    // tiles that are not free, whose values are summed once.
    struct TNode {
        int8_t free[PAI_KIND_COUNT];
    };

    int field(int i) const { return ratingProfile(profileKey_)[static_cast<size_t>(i)]; }
    // Takes the record, the winds and the rule switches the search reads into plain fields.
    void loadStyle();
    // The value one tile that is not free adds in the current style (the strategy, the open-set
    // flag, the seat and round winds).
    int setTileValue(int kind, int state) const;
    // The value the free tiles add.
    int leftoverValue(const int8_t* free) const;
    // Penalty and set values of every tile of the reading that stays put.
    int fixedValue(const TPaiArray& tiles) const;
    void search(TNode& node, int fixed, int fromKind, int fromType);
    bool isValueTile(int kind) const;

    const TRule* rule_;
    TPlayer* player_;
    TRandom* random_;
    TRandom ownRandom_;  // the tie-break's generator when none is given
    int profileKey_ = 0;
    int strategy_ = RS_NONE;
    int flushClass_ = 0;
    TPaiArray working_;
    int best_ = 0;
    std::vector<int> ratings_;
    // The winds that make a value honour for the current search.
    int seatWind_ = 0;
    int roundWind_ = 0;
    TRatingProfile style_{};
    bool openTanyao_ = true;
    int openTripletKind_ = -1;  // triplets taken of this kind are open (a reading won on a discard)
};

// Has every player of every later game at this table made with this evaluator (through the
// table's rating factory). random is handed to each evaluator (not owned; null: each its own).
void installRatingFactory(TTable& table, TRandom* random);

}  // namespace mahjong
