// The turn cycle of a hand on the server: the start with the special abilities asked for before
// the first draw, draws and replacement draws with the drawer's decision, riichi, passing the
// turn with the end of the wall, and the end of the hand. Every answer is held against the
// server's own table: a decision the seat may not take becomes a discard of its drawn tile.
#include <algorithm>
#include <boost/shared_ptr.hpp>

#include "game/packets_c.h"
#include "game/packets_s.h"
#include "game/server/mahjong_game.h"
#include "game/server/replies.h"
#include "game/server/round_states.h"
#include "mahjong/player.h"
#include "mahjong/table.h"

namespace game::server {

using mahjong::TPai;

void roundError(TTaskMahjongGame& game, const std::string& where, const std::string& what, int seat) {
    game.logError("[ERROR] Server::" + where + " " + what + " " + std::to_string(seat));
}

int findFreeTile(const mahjong::TPlayer& player, const TPai& tile) {
    for (size_t i = 0; i < player.hand.size(); ++i) {
        const TPai& t = player.hand[i];
        if (t.isFree() && mahjong::isSamePai(t, tile)) return static_cast<int>(i);
    }
    return -1;
}

TPai fallbackDiscard(const mahjong::TPlayer& player) {
    const bool drew = player.lastTumoType == mahjong::DRAW_WALL || player.lastTumoType == mahjong::DRAW_RINSHAN;
    if (drew && findFreeTile(player, player.lastTumo) >= 0) return player.hand[findFreeTile(player, player.lastTumo)];
    for (size_t i = player.hand.size(); i-- > 0;) {
        if (player.hand[i].isFree()) return player.hand[i];
    }
    return TPai();
}

bool mayDiscard(const mahjong::TPlayer& player, const TPai& tile) {
    if (findFreeTile(player, tile) < 0) return false;
    // The discard that declares riichi is the declarer's choice; from its next turn on, a
    // player in riichi gives up the tile it drew.
    if (player.ritiFlag && player.ritiAt != player.turnCount()) return mahjong::isSamePai(tile, player.lastTumo);
    return true;
}

namespace {

// A C_DOFAKE from the sender, checked: a seated player that holds the ability. The request is
// rewritten with the sender's own id. Empty when it cannot be carried out.
boost::shared_ptr<TPacket_C_DoFake> checkedRequest(TTaskMahjongGame& game, const TCmd& cmd, const std::string& where) {
    boost::shared_ptr<TPacket_C_DoFake> request(new TPacket_C_DoFake(cmd.bytes()));
    const mahjong::TPlayerPtr& player = mahjongTableOf(game).getPlayer(cmd.sender());
    const bool holds = player && std::find(player->fake.ids.begin(), player->fake.ids.end(),
                                           static_cast<int>(request->ability)) != player->fake.ids.end();
    if (!holds) {
        roundError(game, where, "ability not held by player", cmd.sender());
        return {};
    }
    request->seat = cmd.sender();
    return request;
}

// Carries out the first waiting ability request and puts S_FAKE to every seat.
void carryOutFake(TTaskMahjongGame& game) {
    const boost::shared_ptr<TPacket_C_DoFake> request = game.fakeRequests.front();
    const u32 value = drawRandom(game);
    if (const mahjong::TPlayerPtr& player = mahjongTableOf(game).getPlayer(request->seat))
        player->useFake(static_cast<int>(request->ability), static_cast<int>(value), request->pai);
    game.replies.clear();
    askEveryone(game, C_FAKE, S_FAKE, boost::shared_ptr<TPacket>(new TPacket_S_Fake(*request, value)));
}

// Takes the seats' C_FAKE answers, one per seat. When every seat has answered, the request is
// done and the state goes back to the given step. extraRequests: C_DOFAKE from anyone is taken
// meanwhile (the start of the hand), else such requests stay for the drawer's decision.
void collectFake(TTaskMahjongGame& game, int backToStep, bool extraRequests, const std::string& where) {
    for (;;) {
        TCmdPtr cmd = takeCommand(
            game,
            [&](const TCmd& c) {
                if (!game.player(c.sender())) return judgeOther(game, c);
                if (c.code() == C_FAKE && answerBook(game).owes(c.sender(), C_FAKE)) return TTake::TAKE;
                if (c.code() == C_DOFAKE && extraRequests) return TTake::TAKE;
                return judgeOther(game, c);
            },
            where);
        if (!cmd) return;
        if (cmd->code() == C_DOFAKE) {
            if (auto request = checkedRequest(game, *cmd, where)) game.fakeRequests.push_back(request);
            continue;
        }
        answerBook(game).settle(cmd->sender(), C_FAKE);
        boost::shared_ptr<TPacket> reply(new TPacket_C_Fake(cmd->bytes()));
        game.replies.push_back(reply);
        if (static_cast<int>(game.replies.size()) >= rulePlayers(game)) {
            answerBook(game).settleAll(C_FAKE);
            game.lastReply = reply;
            if (!game.fakeRequests.empty()) game.fakeRequests.pop_front();
            mahjongTableOf(game).sortHands();
            game.setRoundStep(backToStep);
            return;
        }
    }
}

void roundStart(TTaskMahjongGame& game) {
    const std::string where = "ST_ROUND_START";
    mahjong::TTable& table = mahjongTableOf(game);
    switch (game.roundStep()) {
        case 0:
            game.replies.clear();
            askEveryone(game, C_STARTROUND, S_STARTROUND, boost::shared_ptr<TPacket>(new TPacket_S_StartRound));
            game.setRoundStep(1);
            break;
        case 1:
            while (TCmdPtr cmd = takeCommand(
                       game,
                       [&](const TCmd& c) {
                           if (!game.player(c.sender())) return judgeOther(game, c);
                           if (c.code() == C_DOFAKE) return TTake::TAKE;
                           if (c.code() == C_STARTROUND && answerBook(game).owes(c.sender(), C_STARTROUND))
                               return TTake::TAKE;
                           return judgeOther(game, c);
                       },
                       where)) {
                if (cmd->code() == C_DOFAKE) {
                    if (auto request = checkedRequest(game, *cmd, where)) game.fakeRequests.push_back(request);
                    continue;
                }
                answerBook(game).settle(cmd->sender(), C_STARTROUND);
                game.replies.push_back(boost::shared_ptr<TPacket>(new TPacket_C_StartRound(cmd->bytes())));
                if (static_cast<int>(game.replies.size()) >= rulePlayers(game)) {
                    answerBook(game).settleAll(C_STARTROUND);
                    // By seat wind, then by ability; equal ones keep their arrival order.
                    auto windOf = [&](int id) {
                        const mahjong::TPlayerPtr& p = table.getPlayer(id);
                        return p ? p->kaze : 0;
                    };
                    std::stable_sort(game.fakeRequests.begin(), game.fakeRequests.end(),
                                     [&](const auto& a, const auto& b) {
                                         const int wa = windOf(a->seat), wb = windOf(b->seat);
                                         return wa != wb ? wa < wb : a->ability < b->ability;
                                     });
                    game.setRoundStep(2);
                    return;
                }
            }
            break;
        case 2:
            // Requests that came in behind the last acknowledgement are carried out too.
            while (TCmdPtr cmd = takeCommand(
                       game,
                       [&](const TCmd& c) {
                           return c.code() == C_DOFAKE && game.player(c.sender()) ? TTake::TAKE : TTake::KEEP;
                       },
                       where)) {
                if (auto request = checkedRequest(game, *cmd, where)) game.fakeRequests.push_back(request);
            }
            if (game.fakeRequests.empty()) {
                game.setRoundState(ST_ROUND_TUMO);
            } else {
                carryOutFake(game);
                game.setRoundStep(3);
            }
            break;
        case 3:
            collectFake(game, 2, true, where);
            break;
        default:
            break;
    }
}

// The drawer's decision, held against what its hand allows. Returns the action to carry out and
// sets the current tile; anything that cannot stand becomes a discard of the drawn tile.
u32 checkedDecision(TTaskMahjongGame& game, mahjong::TPlayer& player, const TPacket_C_DrawAction& answer,
                    const std::string& where) {
    const u32 allowed = player.getTumoActions() | mahjong::CK_SUTE;
    const TPai& chosen = answer.chosen;
    bool ok = false;
    switch (answer.action) {
        case CLAIM_SUTE:
            ok = mayDiscard(player, chosen);
            break;
        case CLAIM_RITI:
            ok = (allowed & mahjong::CK_RITI) && findFreeTile(player, chosen) >= 0 &&
                 std::any_of(player.ritiOptions.begin(), player.ritiOptions.end(),
                             [&](const TPai& t) { return mahjong::isSamePai(t, chosen); });
            break;
        case CLAIM_OWN_KAN:
            ok = (allowed & mahjong::CK_KAN) && findFreeTile(player, chosen) >= 0 &&
                 std::any_of(player.kanOptions.begin(), player.kanOptions.end(),
                             [&](const TPai& t) { return t.kind == chosen.kind; });
            break;
        case CLAIM_TUMO:
            ok = (allowed & mahjong::CK_TUMO) != 0;
            break;
        case CLAIM_KYUSHU:
            ok = (allowed & mahjong::CK_KYUSHU) != 0;
            break;
        default:
            break;
    }
    if (!ok) {
        roundError(game, where, "action " + std::to_string(answer.action) + " not allowed for player", player.playerId);
        game.currentPai = fallbackDiscard(player);
        return CLAIM_SUTE;
    }
    if (answer.action == CLAIM_TUMO || answer.action == CLAIM_KYUSHU) {
        game.currentPai = TPai();
    } else {
        game.currentPai = player.hand[static_cast<size_t>(findFreeTile(player, chosen))];
    }
    return answer.action;
}

// ST_ROUND_TUMO and ST_ROUND_RINSHAN.
void roundDraw(TTaskMahjongGame& game, mahjong::TPlayer& player, bool rinshan) {
    const std::string where = rinshan ? "ST_ROUND_RINSHAN" : "ST_ROUND_TUMO";
    const u32 answerCode = rinshan ? C_RINSHAN : C_TUMO;
    mahjong::TTable& table = mahjongTableOf(game);
    mahjong::TRoundResult& result = table.lastResult;
    switch (game.roundStep()) {
        case 0: {
            // Nothing is drawn from below the dead wall: should the end of the wall have been passed
            // by, the hand ends as an exhaustive draw.
            const bool empty = rinshan ? table.wall.empty() : table.wallCount() <= table.rule->deadWall;
            if (empty) {
                roundError(game, where, "no tile left to draw for player", player.playerId);
                result.setCode(mahjong::RE_RYUKYOKU);
                game.setRoundState(ST_ROUND_END);
                return;
            }
            const TPai tile = rinshan ? table.rinshan() : table.tumo();
            player.draw(tile, rinshan ? mahjong::DRAW_RINSHAN : mahjong::DRAW_WALL);
            const u8 id = static_cast<u8>(player.playerId);
            boost::shared_ptr<TPacket> message;
            if (rinshan) {
                message.reset(new TPacket_S_Rinshan(id, tile));
                askOne(game, player.playerId, answerCode, S_RINSHAN, message);
            } else {
                message.reset(new TPacket_S_Tumo(id, tile));
                askOne(game, player.playerId, answerCode, S_TUMO, message);
            }
            game.setRoundStep(1);
            break;
        }
        case 1: {
            TCmdPtr cmd = takeCommand(
                game,
                [&](const TCmd& c) {
                    const bool drawer = c.sender() == player.playerId;
                    if (c.code() == answerCode && drawer && answerBook(game).owes(c.sender(), answerCode))
                        return TTake::TAKE;
                    if (c.code() == C_DOFAKE && game.player(c.sender())) return drawer ? TTake::TAKE : TTake::DROP;
                    return judgeOther(game, c);
                },
                where);
            if (!cmd) return;
            if (cmd->code() == C_DOFAKE) {
                if (auto request = checkedRequest(game, *cmd, where)) {
                    game.fakeRequests.push_back(request);
                    game.setRoundStep(2);
                }
                return;
            }
            answerBook(game).settle(player.playerId, answerCode);
            boost::shared_ptr<TPacket_C_DrawAction> answer;
            if (rinshan)
                answer.reset(new TPacket_C_Rinshan(cmd->bytes()));
            else
                answer.reset(new TPacket_C_Tumo(cmd->bytes()));
            answer->seat = static_cast<u8>(player.playerId);
            answer->drawn = player.lastTumo;
            game.lastReply = answer;
            const u32 action = checkedDecision(game, player, *answer, where);
            game.actor = player.playerId;
            table.sortHands();
            switch (action) {
                case CLAIM_OWN_KAN:
                    game.setRoundState(ST_ROUND_KAN);
                    break;
                case CLAIM_RITI:
                    game.setRoundState(ST_ROUND_RITI);
                    break;
                case CLAIM_TUMO:
                    result.setAgari(rinshan ? mahjong::RE_RINSHAN : mahjong::RE_TUMO, player.lastTumo, -1);
                    result.ids.push_back(player.playerId);
                    game.setRoundState(ST_ROUND_AGARI);
                    break;
                case CLAIM_KYUSHU:
                    result.setCode(mahjong::RE_KYUSHU);
                    result.ids.push_back(player.playerId);
                    game.setRoundState(ST_ROUND_END);
                    break;
                default:
                    game.setRoundState(ST_ROUND_SUTE);
                    break;
            }
            break;
        }
        case 2:
            if (game.fakeRequests.empty()) {
                game.setRoundStep(1);
                return;
            }
            carryOutFake(game);
            game.setRoundStep(3);
            break;
        case 3:
            collectFake(game, 1, false, where);
            break;
        default:
            break;
    }
}

void roundRiti(TTaskMahjongGame& game, mahjong::TPlayer& player) {
    mahjong::TTable& table = mahjongTableOf(game);
    player.riti();
    tell(game, S_RITI,
         boost::shared_ptr<TPacket>(new TPacket_S_Riti(static_cast<u8>(player.playerId), game.currentPai)));
    if (table.rule->fourRitiDraw && table.isAllRiti()) {
        table.lastResult.setAgari(mahjong::RE_SURITI, game.currentPai, player.playerId);
        game.setRoundState(ST_ROUND_END);
    } else {
        game.setRoundState(ST_ROUND_SUTE);
    }
}

void roundNext(TTaskMahjongGame& game) {
    mahjong::TTable& table = mahjongTableOf(game);
    mahjong::TRoundResult& result = table.lastResult;
    const mahjong::TPlayerPtr next = table.nextTurn(-1);
    // At or below: a replacement draw between two turns takes a second tile, so the count can
    // step over the dead-wall size.
    const bool exhausted = table.wallCount() <= table.rule->deadWall;
    if (exhausted) {
        const std::vector<int> nagashi = table.getNagashiPlayers();
        if (!nagashi.empty()) {
            // The result names its player (the first of them) instead of whatever an earlier
            // result left there.
            result.setAgari(mahjong::RE_NAGASHI, TPai(), nagashi.front());
            result.ids = nagashi;
            game.setRoundState(ST_ROUND_AGARI);
            return;
        }
    }
    tell(game, S_NEXT,
         boost::shared_ptr<TPacket>(new TPacket_S_Next(static_cast<u8>(next ? next->playerId : 0), exhausted)));
    if (exhausted) {
        result.setCode(mahjong::RE_RYUKYOKU);
        game.setRoundState(ST_ROUND_END);
    } else {
        game.setRoundState(ST_ROUND_TUMO);
    }
}

void roundAgari(TTaskMahjongGame& game) {
    mahjong::TRoundResult& result = mahjongTableOf(game).lastResult;
    // Three winners on one discard or one kan make the three-ron draw; nagashi players never do.
    const bool onDiscard = result.code == mahjong::RE_RON || result.code == mahjong::RE_CHANKAN;
    if (onDiscard && result.ids.size() == 3) {
        const std::vector<int> ids = result.ids;
        result.setCode(mahjong::RE_SANCHAHO);
        result.ids = ids;
        game.setRoundState(ST_ROUND_END);
    } else {
        game.setSubStep(ST_ROUNDRESULT);
    }
}

void roundEnd(TTaskMahjongGame& game) {
    mahjongTableOf(game).collectTenpai();
    game.setSubStep(ST_ROUNDRESULT);
}

}  // namespace

void TTaskMahjongGame::updateRound() {
    if (!mahjongTable()) return;
    mahjong::TTable& table = mahjongTableOf(*this);
    const mahjong::TPlayerPtr player = table.currentPlayer();
    if (!player) return;
    switch (roundState()) {
        case ST_ROUND_START:
            roundStart(*this);
            break;
        case ST_ROUND_TUMO:
            roundDraw(*this, *player, false);
            break;
        case ST_ROUND_PON:
            roundCall(*this, *player, true);
            break;
        case ST_ROUND_TI:
            roundCall(*this, *player, false);
            break;
        case ST_ROUND_KAN:
            roundKan(*this, *player);
            break;
        case ST_ROUND_RINSHAN:
            roundDraw(*this, *player, true);
            break;
        case ST_ROUND_RITI:
            roundRiti(*this, *player);
            break;
        case ST_ROUND_SUTE:
            roundSute(*this, *player);
            break;
        case ST_ROUND_NEXT:
            roundNext(*this);
            break;
        case ST_ROUND_AGARI:
            roundAgari(*this);
            break;
        case ST_ROUND_END:
            roundEnd(*this);
            break;
        default:
            break;
    }
}

}  // namespace game::server
