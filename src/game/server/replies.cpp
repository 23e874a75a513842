#include "game/server/replies.h"

#include <iterator>
#include <set>

#include "framework/random.h"
#include "game/server/round_states.h"

namespace game::server {

void TAnswerBook::settleAll(u32 code) {
    for (auto& [key, mark] : marks_) {
        if (key.second == code && mark == OWED) mark = SETTLED;
    }
}

TAnswerBook::TMark TAnswerBook::mark(int seat, u32 code) const {
    const auto it = marks_.find({seat, code});
    return it == marks_.end() ? NEVER_ASKED : it->second;
}

TAnswerBook& answerBook(TTaskMahjongGame& game) {
    if (!game.answers) game.answers.reset(new TAnswerBook);
    return *game.answers;
}

mahjong::TTable& mahjongTableOf(TTaskMahjongGame& game) { return game.mahjongTable()->table(); }

u32 drawRandom(TTaskMahjongGame& game) { return game.random().next(); }

int rulePlayers(TTaskMahjongGame& game) { return mahjongTableOf(game).playerCount(); }

TTake judgeOther(TTaskMahjongGame& game, const TCmd& cmd) {
    if (!isGameReply(cmd.code())) return TTake::KEEP;
    if (!game.player(cmd.sender())) return TTake::DROP;
    const TAnswerBook& book = answerBook(game);
    if (cmd.code() == C_DOFAKE) {
        // A request waits for the drawer's decision, or, sent while the deal is acknowledged,
        // for the start of the hand that collects the requests made before the first draw.
        const bool deciding = book.owes(cmd.sender(), C_TUMO) || book.owes(cmd.sender(), C_RINSHAN);
        const bool beforeHand = game.subStep() == ST_DEAL_WAIT;
        return deciding || beforeHand ? TTake::KEEP : TTake::DROP;
    }
    return book.mark(cmd.sender(), cmd.code()) == TAnswerBook::SETTLED ? TTake::DROP : TTake::KEEP;
}

TCmdPtr takeCommand(TTaskMahjongGame& game, const std::function<TTake(const TCmd&)>& decide, const std::string& where) {
    auto& queue = game.cmdQueue();
    // Answers left waiting for a later question, by sender and code: a second one behind the
    // first can only be a repeat.
    std::set<std::pair<u8, u32>> waiting;
    for (auto it = queue.begin(); it != queue.end();) {
        const TCmdPtr cmd = *it;
        TTake verdict = decide(*cmd);
        if (verdict == TTake::KEEP && isGameReply(cmd->code()) && cmd->code() != C_DOFAKE &&
            !waiting.insert({cmd->sender(), cmd->code()}).second)
            verdict = TTake::DROP;
        switch (verdict) {
            case TTake::TAKE:
                queue.erase(it);
                return cmd;
            case TTake::DROP:
                game.logError("[ERROR] Server::" + where + " dropped code " + std::to_string(cmd->code()) +
                              " from player " + std::to_string(cmd->sender()));
                it = queue.erase(it);
                break;
            case TTake::KEEP:
                ++it;
                break;
        }
    }
    return TCmdPtr();
}

TCmdPtr takeAnswer(TTaskMahjongGame& game, u32 code, const std::string& where) {
    TCmdPtr cmd = takeCommand(
        game,
        [&](const TCmd& c) {
            if (c.code() == code && game.player(c.sender()) && answerBook(game).owes(c.sender(), code))
                return TTake::TAKE;
            return judgeOther(game, c);
        },
        where);
    if (cmd) answerBook(game).settle(cmd->sender(), code);
    return cmd;
}

void tell(TTaskMahjongGame& game, u32 code, const boost::shared_ptr<TPacket>& message) {
    game.lastMessage = message;
    game.broadcast(code, message);
}

void askEveryone(TTaskMahjongGame& game, u32 answerCode, u32 code, const boost::shared_ptr<TPacket>& message) {
    TAnswerBook& book = answerBook(game);
    for (const auto& [id, seat] : game.players()) book.ask(static_cast<int>(id), answerCode);
    tell(game, code, message);
}

void askOne(TTaskMahjongGame& game, int seat, u32 answerCode, u32 code, const boost::shared_ptr<TPacket>& message) {
    answerBook(game).ask(seat, answerCode);
    tell(game, code, message);
}

void dropLeftoverAnswers(TTaskMahjongGame& game) {
    auto& queue = game.cmdQueue();
    for (auto it = queue.begin(); it != queue.end();) {
        if (isGameReply((*it)->code())) {
            game.logError("[ERROR] Server::ST_GAMEEND dropped code " + std::to_string((*it)->code()) + " from player " +
                          std::to_string((*it)->sender()));
            it = queue.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace game::server
