#pragma once
// The mahjong room that the mode tasks create: the room of TTaskGame with the mahjong rule,
// table and seats, the ready handshake before the game, the end handshake after it, and the
// working fields of the phase and round machines.
#include <boost/shared_ptr.hpp>
#include <deque>
#include <vector>

#include "framework/random.h"
#include "game/packets_c.h"
#include "game/server/task_game.h"

namespace game::server {

class TAnswerBook;

// A mahjong seat: its computer player comes from the room's createThink.
class TMahjongPlayer : public TPlayer {
public:
    explicit TMahjongPlayer(TTaskGame* owner) : TPlayer(owner) {}
    ~TMahjongPlayer() override;

    bool setComputer(int id, u32 key, const boost::shared_ptr<TProfile>& profile) override;
    // -1 for a client seat (or a computer seat without a computer player); otherwise the
    // computer player's answer to the message.
    int deliverToComputer(int id, u32 code, const u8* data, int length) override;

private:
    boost::shared_ptr<void> extra_;  // held for the seat's lifetime; nothing sets it
};

// The task step of the room.
enum TRoomStep : int {
    ROOM_WAIT = 0,  // waiting for a full room and every C_READY
    ROOM_GAME = 1,  // the phase machine runs
    ROOM_END = 2,   // waiting for every C_END
};

class TTaskMahjongGame : public TTaskGame {
public:
    TTaskMahjongGame() = default;

    boost::shared_ptr<TRule> createRule() override;
    boost::shared_ptr<TTable> createTable(const boost::shared_ptr<TRule>& rule) override;
    TPlayerPtr createPlayer() override;

    virtual void clearReady();
    // Round step := 0; round state := s, or the next state for a negative s. Returns the state.
    virtual int setRoundState(int s);
    // Round step := s, or the next step for a negative s. Returns the step.
    virtual int setRoundStep(int s);
    // Code 1001: taken and dropped.
    virtual bool onSysCmd(const TCmdPtr& cmd);
    // C_READY: the sender's seat becomes ready; an unknown sender is logged and dropped.
    virtual bool onReady(const TCmdPtr& cmd);

    virtual void startRoom();
    virtual void startGame();
    // The end of the game: every seat's rank in S_RESULT, then the wait for every C_END.
    virtual void sendResult();
    virtual void updateRoom();
    // The phase machine and the machines it hands over to; they live with the game phases.
    virtual void updateGame();
    virtual void updateRound();
    virtual void updateRoundResult();
    virtual void updateNextRound();
    virtual void updateGameEnd();
    virtual void updateEnd();

    // The room starts when its mode task has seated everyone.
    bool Start() override;
    // Seats step, then the room's step runs, then the system loop takes C_READY and 1001.
    void update() override;

    int roundState() const { return roundState_; }
    int roundStep() const { return roundStep_; }

    // The main frame's generator in the game; a seeded one in tests. Not owned. Without one the
    // room draws from a generator of its own (unseeded).
    void setRandom(TRandom* random) { random_ = random; }
    TRandom& random() { return random_ ? *random_ : ownRandom_; }

    // Working fields of the phase and round machines.
    boost::shared_ptr<TPacket> lastMessage;                        // the last message broadcast by the machines
    boost::shared_ptr<TPacket> lastReply;                          // the decoded reply acted on last
    std::vector<boost::shared_ptr<TPacket>> replies;               // answers collected for the current question
    std::deque<boost::shared_ptr<TPacket_C_DoFake>> fakeRequests;  // abilities waiting to be carried out
    mahjong::TPai currentPai;                                      // the tile the round acts on; none at construction
    int actor = 0;  // the seat that made the last own-turn decision or kan claim
    // Which seat owes which answer; kept by the phase and round machines (game/server/replies.h).
    boost::shared_ptr<TAnswerBook> answers;

private:
    int roundState_ = 0;
    int roundStep_ = 0;
    TRandom* random_ = nullptr;
    TRandom ownRandom_;
};

}  // namespace game::server
