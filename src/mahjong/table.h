#pragma once
// The state of one game at one table: the seated players, the round counters, the wall with
// its dead wall and dora indicators, the dice, the tile in play, the last hand's result and
// the responsibility entries. The server and the human's client each keep one; every random
// decision is drawn from a short-lived generator seeded with a value the server sends, so
// that every copy given the same seeds holds the same seating, wall, dice and hands.
#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "mahjong/pai.h"
#include "mahjong/pai_array.h"
#include "mahjong/player.h"
#include "mahjong/round_result.h"
#include "mahjong/rule.h"

namespace mahjong {

class TPlayer;
class TJudge;
using TPlayerPtr = boost::shared_ptr<TPlayer>;

// The direction from one player to another.
using TDirection = int;
enum : int {
    TD_MY = 1,      // the same player
    TD_SHIMO = 2,   // the next seat
    TD_TOIMEN = 3,  // the seat after it
    TD_KAMI = 4,    // the seat after that (the previous seat with four players)
};

class TTable {
public:
    explicit TTable(boost::shared_ptr<TRule> rule);
    TTable(const TTable&) = delete;
    TTable& operator=(const TTable&) = delete;
    virtual ~TTable();

    // Dora indicator i and the tile under it; a tile of kind 36 when the position is outside
    // the wall.
    virtual TPai getDora(int i) const;
    virtual TPai getUraDora(int i) const;
    // Value i of the last roll; 1 when there is none.
    virtual int getDice(int i) const;
    virtual const TPai& getPai() const { return pai; }
    virtual TPai& getPai() { return pai; }
    virtual void setPai(const TPai& tile);
    // Records who is responsible for a limit hand (replacing an earlier entry). The entry
    // is charged only when the player it was recorded for wins; without one it is charged
    // for any winner.
    virtual void setPao(int yakuId, int playerId);
    void setPao(int yakuId, int playerId, int forPlayerId);
    // Charges the responsible players of the winner's limit hands percent of the fixed
    // amounts, in all at most percent of the hand's value. Returns the total charged.
    virtual int payPao(const TJudge& reading, int winnerId, TRoundResult& result, int percent, bool dealerWinner);
    // Seats a player; false, and nothing added, when the seats are full.
    virtual bool addPlayer(const TPlayerPtr& player);
    // A new game: counters to zero, every seated player's points to the start points.
    virtual void reset();
    virtual void decideSeats(uint32_t seed);
    virtual bool test() { return true; }
    // The client's names: the start-up check, and the update of every seat (its hand put in
    // order) at the deal and before every call, kan and discard.
    bool startup() { return test(); }
    void updateSeats() { sortHands(); }
    // Builds and shuffles the wall and starts the hand for every player.
    virtual void startRound(uint32_t seed);
    virtual void decideOya(uint32_t seed);
    virtual void deal(uint32_t seed);
    virtual void sortHands();
    // Advances the turn (id < 0) or passes it to a caller; returns the player to act.
    virtual TPlayerPtr nextTurn(int playerId);
    // The front tile of the wall; a tile of kind 36 (and no change) when the wall is empty.
    virtual TPai tumo();
    // The last tile of the wall, a replacement draw; a tile of kind 36 when empty.
    virtual TPai rinshan();
    virtual void collectTenpai();
    virtual void overRound();
    // Moves the dealer and the counters; false when the game has ended.
    virtual bool nextRound(bool continueFlag);
    virtual void updateRank();
    virtual void endGame();
    // Puts the tile into the wall in place of a random non-special tile and returns the tile
    // it replaced; a tile of kind 36 (and no change) when the wall holds no such tile.
    virtual TPai insertPai(uint32_t seed, const TPai& tile);
    virtual void makeFivesRed();

    // The seated player with the id; the empty pointer when none matches.
    TPlayerPtr& getPlayer(int playerId);
    const TPlayerPtr& getPlayer(int playerId) const;
    int getSeatIndex(int playerId) const;  // -1 when no seat matches
    // The player at a seat index (taken modulo the player count); empty when that seat is
    // not taken.
    const TPlayerPtr& seatAt(int index) const;
    // The player to act: seat (hand number + turn counter) mod n.
    const TPlayerPtr& currentPlayer() const;
    // The dealer: seat (hand number) mod n.
    const TPlayerPtr& dealer() const;
    // The wall tile k positions from the end (0 = the last); kind 36 outside the wall.
    TPai getWallTileFromEnd(int k) const;
    TDirection getDirection(int fromId, int toId) const;
    // Total kans of all players; *players (when given) is raised by one per player with one.
    int getKanCount(int* players = nullptr) const;
    bool isAllRiti() const;
    bool isSameWindSute() const;
    bool isFourKanDraw() const;
    // Asks every other player to note a missed win on the tile.
    void checkFuriten(const TPai& tile, int playerId, bool kanFlag);
    std::vector<int> getNagashiPlayers() const;
    bool isBusted() const;
    bool isFirstRound() const;
    bool isLastRound() const;
    bool isOyaAgari() const;
    bool isOyaMoving() const;

    // The rule's player count, kept at least 1 so that no seat arithmetic divides by zero.
    int playerCount() const;
    int wallCount() const { return static_cast<int>(wall.size()); }
    // Tiles left to draw before the hand ends by exhaustion.
    int leftCount() const { return wallCount() - (rule ? rule->deadWall : 0); }

    boost::shared_ptr<TRule> rule;
    std::deque<TPlayerPtr> seats;
    int roundWind = 0;     // 0 east, 1 south
    int handNumber = 0;    // 0-3 within the round wind
    int dealerStreak = 0;  // hands in a row the dealer has kept the deal
    int honba = 0;         // counter sticks
    bool gameOver = false;
    int ritiDeposit = 0;  // riichi points not yet collected
    int turn = 0;         // turns taken in this hand
    TPaiArray wall;       // front first; the end holds the dead wall
    int diceSum = 0;
    int deadWallOffset = 1;  // 1 at the start of a hand, +1 per replacement draw
    std::vector<int> dice;
    TPai pai;  // the tile in play
    int prevTurn = 0;
    TRoundResult lastResult;
    std::map<int, int> pao;     // yaku id -> responsible player id
    std::map<int, int> paoFor;  // yaku id -> the player the entry was recorded for, -1 any
    TPlayerPtr noPlayer;        // always empty
    // Makes each player's hand evaluator at game start (TPlayer::judge); empty: no evaluators.
    TPlayer::TRatingFactory ratingFactory;
};

}  // namespace mahjong
