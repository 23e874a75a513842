#pragma once
// The computer player of a computer seat. The server hands it every message it sends to the
// seat: bookkeeping messages are answered inside the delivery, decisions are kept and made at
// the next step. It decides with the rules engine on the room's own table (the seat's player,
// its options and its hand evaluator) and keeps no model of the game of its own.
#include <boost/shared_ptr.hpp>

#include "framework/random.h"
#include "game/packet.h"
#include "game/server/task_game.h"
#include "mahjong/pai.h"

namespace mahjong {
class TPlayer;
class TRating;
class TTable;
}  // namespace mahjong

namespace game::server {

// A state and a step, both 0 at creation.
class TState {
public:
    TState() = default;
    virtual ~TState() = default;

    virtual int getState() const { return state_; }
    virtual int getStep() const { return step_; }
    virtual void setState(int s) { state_ = s; }
    virtual void setStep(int s) { step_ = s; }
    // Step := 0, then state := s (state + 1 for a negative s). Returns the previous state.
    virtual int changeState(int s);
    // Step := s (step + 1 for a negative s). Returns the previous step.
    virtual int changeStep(int s);

private:
    int state_ = 0;
    int step_ = 0;
};

// Decision states: the kept message calls for one of these answers at the next step.
enum TThinkState : int {
    THINK_IDLE = 0,
    THINK_TUMO = 1,
    THINK_PON = 2,
    THINK_TI = 3,
    THINK_KAN = 4,
    THINK_RINSHAN = 5,
    THINK_SUTE = 6,
};

class TMahjongThinkDef : public TThink, public TState {
public:
    // owner: the seat (not owned; it owns this). parameterKey: the seat's key into the
    // computer-player parameter map, handed to the hand evaluator at every deal. random: the
    // evaluator's tie-break generator when the player was given no evaluator of its own (not
    // owned; null: the evaluator's own).
    TMahjongThinkDef(TPlayer* owner, u32 parameterKey, TRandom* random = nullptr);
    ~TMahjongThinkDef() override;

    u32 parameterKey() const { return parameterKey_; }
    const boost::shared_ptr<TPacket>& keptMessage() const { return kept_; }

    virtual void onStartGame() {}
    virtual void onDeal();
    virtual void thinkTumo();
    virtual void thinkPon();
    virtual void thinkTi();
    virtual void thinkKan();
    virtual void thinkRinshan();
    virtual void thinkSute();

    // Answers the kept decision, if any, and goes back to state 0.
    void step() override;
    int onReceive(u32 seatId, u32 code, const u8* data, u32 length) override;

protected:
    // The table the decisions read: the room's own. A client that plays by the same logic on
    // a table of its own overrides this.
    virtual mahjong::TTable* gameTable() const;

private:
    mahjong::TPlayer* tablePlayer(int playerId) const;
    // The player's hand evaluator, made on first use when the player has none.
    mahjong::TRating* ratingOf(mahjong::TPlayer& player) const;
    // Whether the table's player with the message's seat id is this computer player.
    bool isOwnSeat(int seat) const;
    void keep(const boost::shared_ptr<TPacket>& message, int state);
    void thinkDraw(bool rinshan);
    void thinkCall(bool pon);

    u32 parameterKey_;
    boost::shared_ptr<TPacket> kept_;
    TRandom* random_;
};

}  // namespace game::server
