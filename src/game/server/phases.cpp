// The phase machine of the game: seating, start-up and the deal of every hand, each followed by
// the collection of every seat's acknowledgement, then the round, the round result, the next
// round and the end of the game.
#include <boost/shared_ptr.hpp>

#include "game/packets_c.h"
#include "game/packets_s.h"
#include "game/server/mahjong_game.h"
#include "game/server/replies.h"
#include "game/server/round_states.h"
#include "mahjong/player.h"

namespace game::server {

namespace {

boost::shared_ptr<TPacket> decodeAck(u32 code, const std::vector<u8>& bytes) {
    switch (code) {
        case C_SITDOWN:
            return boost::shared_ptr<TPacket>(new TPacket_C_Sitdown(bytes));
        case C_STARTUP:
            return boost::shared_ptr<TPacket>(new TPacket_C_Startup(bytes));
        default:
            return boost::shared_ptr<TPacket>(new TPacket_C_Deal(bytes));
    }
}

// Takes every owed acknowledgement of the code; true once as many as the rule has players are in.
bool collectAll(TTaskMahjongGame& game, u32 code, const std::string& where) {
    while (TCmdPtr cmd = takeAnswer(game, code, where)) {
        game.replies.push_back(decodeAck(code, cmd->bytes()));
        if (static_cast<int>(game.replies.size()) >= rulePlayers(game)) {
            answerBook(game).settleAll(code);
            return true;
        }
    }
    return false;
}

void sitDown(TTaskMahjongGame& game) {
    mahjong::TTable& table = mahjongTableOf(game);
    answerBook(game).clear();
    const u32 seed = drawRandom(game);
    // A table that served an earlier game starts empty again: its old players must not keep
    // the seats the new ones are given.
    table.seats.clear();
    for (const auto& [id, seat] : game.players()) {
        table.addPlayer(mahjong::TPlayerPtr(new mahjong::TPlayer(&table, static_cast<int>(id))));
    }
    table.reset();
    table.decideSeats(seed);
    game.replies.clear();
    askEveryone(game, C_SITDOWN, S_SITDOWN, boost::shared_ptr<TPacket>(new TPacket_S_Sitdown(seed)));
    game.setSubStep(ST_SITDOWN_WAIT);
}

void startUp(TTaskMahjongGame& game) {
    mahjongTableOf(game).test();
    game.replies.clear();
    askEveryone(game, C_STARTUP, S_STARTUP, boost::shared_ptr<TPacket>(new TPacket_S_Startup));
    game.setSubStep(ST_STARTUP_WAIT);
}

void deal(TTaskMahjongGame& game) {
    mahjong::TTable& table = mahjongTableOf(game);
    const u32 seed = drawRandom(game);
    table.startRound(seed);
    if (table.isFirstRound()) table.decideOya(seed + 1);
    table.deal(seed + 2);
    // Abilities asked for in an earlier hand are not carried into this one.
    game.fakeRequests.clear();
    game.replies.clear();
    askEveryone(game, C_DEAL, S_DEAL, boost::shared_ptr<TPacket>(new TPacket_S_Deal(seed)));
    game.setSubStep(ST_DEAL_WAIT);
}

}  // namespace

void TTaskMahjongGame::updateGame() {
    if (!mahjongTable()) return;
    switch (subStep()) {
        case ST_SITDOWN:
            sitDown(*this);
            break;
        case ST_SITDOWN_WAIT:
            if (collectAll(*this, C_SITDOWN, "ST_SITDOWN")) setSubStep(ST_STARTUP);
            break;
        case ST_STARTUP:
            startUp(*this);
            break;
        case ST_STARTUP_WAIT:
            if (collectAll(*this, C_STARTUP, "ST_STARTUP")) setSubStep(ST_DEAL);
            break;
        case ST_DEAL:
            deal(*this);
            break;
        case ST_DEAL_WAIT:
            if (collectAll(*this, C_DEAL, "ST_DEAL")) {
                setSubStep(ST_ROUND);
                setRoundState(ST_ROUND_START);
            }
            break;
        case ST_ROUND:
            updateRound();
            break;
        case ST_ROUNDRESULT:
            updateRoundResult();
            break;
        case ST_NEXTROUND:
            updateNextRound();
            break;
        case ST_GAMEEND:
            updateGameEnd();
            break;
        default:
            break;
    }
}

void TTaskMahjongGame::updateGameEnd() {
    dropLeftoverAnswers(*this);
    sendResult();
}

}  // namespace game::server
