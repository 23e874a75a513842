#pragma once
// What the winning-hand search, the yaku and the scoring read about the player whose hand
// is judged, the table it sits at and the game's rule. The player implements it; tests use
// TJudgeFactsData.
#include <algorithm>
#include <vector>

#include "mahjong/pai.h"
#include "mahjong/pai_array.h"
#include "mahjong/rule.h"

namespace mahjong {

class TJudgeFacts {
public:
    virtual ~TJudgeFacts() = default;

    // The player.
    virtual const TPaiArray& handTiles() const = 0;  // judged when no tile array is given
    virtual bool isClosed() const = 0;               // no pon, chi or open kan yet
    virtual bool isRiti() const = 0;
    virtual int ritiTurn() const = 0;       // the table's turn counter at the declaration
    virtual bool isRobbingKan() const = 0;  // set only while a robbing-a-kan test runs
    virtual int seatWind() const = 0;       // 0 east (the dealer) to 3
    virtual const std::vector<TSutePai>& discards() const = 0;

    // The table.
    virtual int roundWind() const = 0;  // 0 east, 1 south
    virtual int turnCount() const = 0;  // discards made since the deal
    virtual int wallCount() const = 0;  // tiles left in the wall, dead wall included
    // Number of dora indicators shown: the dead-wall offset (1 at the start of a hand,
    // one more per replacement draw). Readers cap it at 5.
    virtual int doraCount() const = 0;
    virtual TPai dora(int i) const = 0;     // indicator i
    virtual TPai uraDora(int i) const = 0;  // the tile under indicator i

    // The rule.
    virtual const TRule& rule() const = 0;
};

// A plain set of facts, for tests and tools.
class TJudgeFactsData : public TJudgeFacts {
public:
    const TPaiArray& handTiles() const override { return hand; }
    bool isClosed() const override { return closed; }
    bool isRiti() const override { return riti; }
    int ritiTurn() const override { return ritiTurnValue; }
    bool isRobbingKan() const override { return robbing; }
    int seatWind() const override { return seat; }
    const std::vector<TSutePai>& discards() const override { return sutes; }
    int roundWind() const override { return round; }
    int turnCount() const override { return turn; }
    int wallCount() const override { return wall; }
    int doraCount() const override { return static_cast<int>(doras.size()); }
    TPai dora(int i) const override { return i >= 0 && i < static_cast<int>(doras.size()) ? doras[i] : TPai(); }
    TPai uraDora(int i) const override {
        return i >= 0 && i < static_cast<int>(uraDoras.size()) ? uraDoras[i] : TPai();
    }
    const TRule& rule() const override { return ruleRecord; }

    TPaiArray hand;
    bool closed = true;
    bool riti = false;
    int ritiTurnValue = -1;
    bool robbing = false;
    int seat = 1;
    std::vector<TSutePai> sutes;
    int round = 0;
    int turn = 20;            // well past the first go-around by default
    int wall = 60;            // well before the last tile by default
    std::vector<TPai> doras;  // indicators; size() is the indicator count
    std::vector<TPai> uraDoras;
    TRule ruleRecord;
};

}  // namespace mahjong
