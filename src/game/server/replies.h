#pragma once
// Who owes the server which answer, and how the phase and round machines take answers from the
// command queue. Every question is recorded per seat before it is broadcast; an answer is taken
// only from a seat that still owes it, so one seat can never answer for another, answer twice,
// or revive a question that has been settled. Answers that arrive before their question was
// ever put to the seat are left where they are for the state that will ask it; nothing a seat
// sends can hold the queue up for good.
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "game/server/mahjong_game.h"
#include "mahjong/table.h"

namespace game::server {

class TAnswerBook {
public:
    enum TMark : u8 {
        NEVER_ASKED = 0,
        OWED = 1,
        SETTLED = 2,  // answered, or the question was settled without this seat's answer
    };

    void clear() { marks_.clear(); }
    void ask(int seat, u32 code) { marks_[{seat, code}] = OWED; }
    void settle(int seat, u32 code) { marks_[{seat, code}] = SETTLED; }
    // Every seat that still owes the code is let off.
    void settleAll(u32 code);
    TMark mark(int seat, u32 code) const;
    bool owes(int seat, u32 code) const { return mark(seat, code) == OWED; }

private:
    std::map<std::pair<int, u32>, TMark> marks_;
};

// What a state does with one queued command.
enum class TTake {
    TAKE,  // the state acts on it: removed and handed over
    KEEP,  // not for this state: left in place, the scan goes on behind it
    DROP,  // logged and removed
};

// The room's book, made on first use.
TAnswerBook& answerBook(TTaskMahjongGame& game);
// The rules engine's table of the room. The room always has a mahjong table once it runs.
mahjong::TTable& mahjongTableOf(TTaskMahjongGame& game);
// The next value of the room's generator (the main frame's); a process-wide one, seeded as an
// unseeded generator seeds itself, when the room was given none.
u32 drawRandom(TTaskMahjongGame& game);
// The rule's player count: how many answers settle a question that every seat answers.
int rulePlayers(TTaskMahjongGame& game);

// Codes 3001 to 3014: the seats' answers and requests during a game.
constexpr bool isGameReply(u32 code) { return code >= C_SITDOWN && code <= C_NEXTROUND; }

// The default verdict on a command the state is not waiting for: a game answer from an unknown
// sender, or one whose question was settled, is dropped; one still owed for another question,
// one never asked yet, and anything that is not a game answer stay. A C_DOFAKE stays only while
// its sender owes a draw decision or while the deal is being acknowledged.
TTake judgeOther(TTaskMahjongGame& game, const TCmd& cmd);

// Scans the queue from the front and returns the first command that decide takes (removed from
// the queue), after removing and logging those it drops; empty when it takes none. Of the game
// answers it keeps, a second one of the same sender and code is dropped as a repeat (requests
// for abilities excepted). where names the state in the log lines.
TCmdPtr takeCommand(TTaskMahjongGame& game, const std::function<TTake(const TCmd&)>& decide, const std::string& where);
// The usual case: an answer of this code from a seat that owes it; the seat's debt is settled.
TCmdPtr takeAnswer(TTaskMahjongGame& game, u32 code, const std::string& where);

// Records the question for every seat, then broadcasts it.
void askEveryone(TTaskMahjongGame& game, u32 answerCode, u32 code, const boost::shared_ptr<TPacket>& message);
// Records the question for one seat, then broadcasts the message to everyone.
void askOne(TTaskMahjongGame& game, int seat, u32 answerCode, u32 code, const boost::shared_ptr<TPacket>& message);
// Broadcasts a message of the round, result or next-round machines and keeps it as the last one.
void tell(TTaskMahjongGame& game, u32 code, const boost::shared_ptr<TPacket>& message);

// Removes every game answer still queued (logged): at the end of the game nobody waits for them,
// and the end handshake takes its C_END only from the front.
void dropLeftoverAnswers(TTaskMahjongGame& game);

}  // namespace game::server
