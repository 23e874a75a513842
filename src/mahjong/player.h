#pragma once
// One seat's state in a round: points, seat wind, the hand with its melds, the discards, the
// riichi and missed-win records, the special abilities, and the options offered to it. It
// answers the questions asked before every step (what may the player do after drawing, may
// it claim this discard, can it win on this tile) and carries out draws, discards, riichi
// and the calls pon, chi (ti) and kan on its own hand.
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "mahjong/claim.h"
#include "mahjong/judge_facts.h"
#include "mahjong/pai.h"
#include "mahjong/pai_array.h"

namespace mahjong {

class TTable;
class TJudgement;
class TRating;

// Draw types of the last drawn tile: 1 from the wall, 5 a replacement tile, 2-4 a tile
// claimed from the seat in that direction.
enum : int {
    DRAW_WALL = 1,
    DRAW_RINSHAN = 5,
};

// The type flag of an ability id: 0x1000 for the abilities used in the own turn (ids 1, 2, 3,
// 10 and 11), 0x2000 for every other id.
constexpr uint32_t getFakeType(int id) {
    return id == 1 || id == 2 || id == 3 || id == 10 || id == 11 ? 0x1000u : 0x2000u;
}

class TPlayer : public TJudgeFacts {
public:
    // The special abilities the player holds, and their recorded state by ability id.
    struct TFake {
        std::vector<int> ids;
        std::map<int, int> state;
    };

    // Makes the player's hand evaluator at game start; the table's owner sets one on its table
    // (TTable::ratingFactory). Without a factory the player has no evaluator.
    using TRatingFactory = std::function<boost::shared_ptr<TRating>(const TRule&, TPlayer&)>;

    // table: the table the player sits at (not owned; may be null for a player that sits
    // nowhere, which then reads a default rule and an empty table).
    TPlayer(TTable* table, int playerId);
    TPlayer(const TPlayer&) = delete;
    TPlayer& operator=(const TPlayer&) = delete;
    ~TPlayer() override;

    // What the hand search reads.
    const TPaiArray& handTiles() const override { return hand; }
    bool isClosed() const override { return closed; }
    bool isRiti() const override { return ritiFlag; }
    int ritiTurn() const override { return ritiAt; }
    bool isRobbingKan() const override { return robbing; }
    int seatWind() const override { return kaze; }
    const std::vector<TSutePai>& discards() const override { return sutes; }
    int roundWind() const override;
    int turnCount() const override;
    int wallCount() const override;
    int doraCount() const override;
    TPai dora(int i) const override;
    TPai uraDora(int i) const override;
    const TRule& rule() const override;

    // Three tiles and two ints kept for the game layers.
    virtual TPai getTile(int i) const;
    virtual void setTile(const TPai& tile, int i);
    virtual int getValueA() const { return valueA; }
    virtual void setValueA(int v) { valueA = v; }
    virtual int getValueB() const { return valueB; }
    virtual void setValueB(int v) { valueB = v; }

    // The choice record a seat's reply is built from: the chosen action word (claim bits, or
    // 0x1000/0x2000 for an ability), the chosen ability id and the chosen tiles 0 to 2. They are
    // the game layers' action value, second value and tiles under the names the client uses.
    virtual uint32_t getAction() const { return static_cast<uint32_t>(valueA); }
    virtual uint32_t setAction(uint32_t action) {
        valueA = static_cast<int>(action);
        return action;
    }
    virtual int getFakeId() const { return valueB; }
    virtual void setFakeId(int id) { valueB = id; }
    virtual TPai getSelectPai(int n) const { return getTile(n); }
    // Keeps a copy of the tile (kind, state, both flags) as chosen tile n (0 to 2); the slot as
    // stored, or an empty tile for n outside 0-2.
    virtual TPai setSelectPai(const TPai& tile, int n) {
        setTile(tile, n);
        return getTile(n);
    }
    // A drawn tile into the hand: how 1 from the wall, 5 a replacement tile.
    virtual void addTumo(const TPai& tile, int how) { draw(tile, how); }
    // A used ability as S_FAKE tells it: the ability id, the server's value and the tile.
    virtual bool doFake(int id, int value, const TPai& tile) { return useFake(id, value, tile); }
    const TPaiArray& getKanPatterns() const { return kanOptions; }
    const TPaiArray& getRitiPatterns() const { return ritiOptions; }
    const TPaiArray& getTiPatterns() const { return tiOptions; }
    bool isTumoPai(int index) const { return isDrawnTile(index); }

    // True when the hand holds kan count + 14 tiles, index is the last position, and the last
    // tile was drawn from the wall or as a replacement, or the hand is being shown.
    virtual bool isDrawnTile(int index) const;
    // Whether the hand wins with a yaku on the tile from the source; the hand is left as it
    // was.
    virtual bool canAgari(const TPai& tile, int source);
    virtual bool canAgariRobbing(const TPai& tile, int source);
    virtual uint32_t hasFakeA() const;  // 4096 with an ability of ids 1, 2, 3, 10 or 11
    virtual uint32_t hasFakeB() const;  // 4096 with an ability of any other id
    // Option bits after the player's own draw; fills the riichi and kan option lists.
    virtual uint32_t getTumoActions();
    // Claim bits on another player's discard; source is the direction to the discarder.
    virtual uint32_t getCallOptions(const TPai& tile, int source);
    // Ron by robbing an added kan (0x20) or 0; source is the direction to the kan's owner.
    virtual uint32_t getKanCallOptions(const TPai& tile, int source);
    boost::shared_ptr<TJudgement>& judgement() { return judgement_; }
    boost::shared_ptr<TRating>& rating() { return rating_; }
    virtual bool isTenpai();
    // Records a missed win on another player's discard (or added-kan tile, with kanFlag);
    // true when the flag is set afterwards.
    virtual bool noteFuriten(const TPai& tile, int discarderId, bool kanFlag);
    virtual bool isFuriten();
    virtual bool isNagashi();
    virtual const TPaiArray& getTiOptions() const { return tiOptions; }
    virtual const TPaiArray& getKanOptions() const { return kanOptions; }
    virtual const TPaiArray& getRitiOptions() const { return ritiOptions; }
    virtual int findKind(int kind) const;  // position of the first tile of the kind, -1 none
    virtual int getDanger(int kind) const;
    // An entry of 1000 or more stays; otherwise v >= 1000 replaces it and a smaller v adds.
    virtual void addDanger(int kind, int v);

    // Game start: the start points, rank 0, a new judgement and hand evaluator.
    virtual void judge();
    virtual void newRound(int seatWind);
    virtual void drawKind(int kind, int type);
    virtual void draw(const TPai& tile, int type);
    // The calls. Each checks everything first: a refused call reports its text to the error
    // sink, returns false (0 for kan) and leaves the player exactly as it was.
    virtual bool pon(const TPai& tile, const TPai& own1, const TPai& own2, int discarderId);
    virtual bool ti(const TPai& tile, const TPai& own1, const TPai& own2, int discarderId);
    // playerId: the discarder for a kan on a discard, the player's own id otherwise.
    // Returns 5 concealed, 6 on a discard, 7 added to a pon, 0 refused.
    virtual int kan(const TPai& tile, int playerId);
    virtual void riti();
    // Discards the first free tile like the given one; false (and no change) when the hand
    // holds none.
    virtual bool sute(const TPai& tile);
    virtual bool useFake(int id, int value, const TPai& tile);

    TTable* table;
    int playerId;
    int fixedSeat = 0;
    int points = 0;
    int rank = 0;
    int kaze = 0;    // seat wind: 0 east (the dealer) to 3
    TPaiArray hand;  // melds first (with their states), then the free tiles
    std::vector<TSutePai> sutes;
    bool closed = true;
    int kanCount = 0;
    bool ritiFlag = false;
    int ritiAt = -1;       // the table's turn counter at the declaration
    bool robbing = false;  // set only while a robbing test runs
    bool furiten = false;  // a missed win was noted
    int furitenTurn = -1;
    bool shown = false;  // the hand is shown at the settlement
    TFake fake;
    TPai lastTumo;
    int lastTumoType = 0;
    int tumoTurn = 0;
    TPai tiles[3];
    int valueA = 0;
    int valueB = 0;
    TPaiArray tiOptions;    // lowest kind of each possible chi
    TPaiArray kanOptions;   // kinds of each possible own kan
    TPaiArray ritiOptions;  // discards that leave the hand tenpai
    int danger[PAI_KIND_COUNT] = {};

private:
    // Counts of the hand's tiles of a kind: free ones, and ones in the given state.
    int countFree(int kind) const;
    int countState(int kind, int state) const;
    int countAll(int kind) const;
    // Moves the tiles at the given hand positions (ascending) out of the hand, in order.
    TPaiArray extract(std::vector<size_t> positions);
    // Inserts a meld in front of the first free tile.
    void insertMeld(const TPaiArray& meld);
    // Positions of free tiles like own1 and own2 (distinct), or false.
    bool findOwnPair(const TPai& own1, const TPai& own2, size_t& p1, size_t& p2) const;
    bool judgeWith(int mode, const TPai& tile, int source, const TPaiArray& tiles);
    void clearJudgement();

    boost::shared_ptr<TJudgement> judgement_;
    boost::shared_ptr<TRating> rating_;
};

}  // namespace mahjong
