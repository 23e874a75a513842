// The discard with every seat's claim, the pon and chi on a discard with the caller's own
// discard, and the kan with the other seats' chance to rob it. Claims are held against the
// claimant's options on the server's table: what the seat may not claim counts as no claim.
#include <algorithm>
#include <boost/shared_ptr.hpp>
#include <iterator>

#include "game/packets_c.h"
#include "game/packets_s.h"
#include "game/server/claim_rank.h"
#include "game/server/mahjong_game.h"
#include "game/server/replies.h"
#include "game/server/round_states.h"
#include "mahjong/player.h"
#include "mahjong/table.h"

namespace game::server {

using mahjong::TPai;

namespace {

// Whether the two hand tiles are free in the hand (two different tiles when they are alike).
bool holdsPair(const mahjong::TPlayer& player, const TPai& a, const TPai& b) {
    const int first = findFreeTile(player, a);
    if (first < 0) return false;
    for (size_t i = 0; i < player.hand.size(); ++i) {
        const TPai& t = player.hand[i];
        if (static_cast<int>(i) != first && t.isFree() && mahjong::isSamePai(t, b)) return true;
    }
    return false;
}

bool isSequenceWith(const TPai& tile, const TPai& a, const TPai& b) {
    int kinds[3] = {tile.kind, a.kind, b.kind};
    std::sort(std::begin(kinds), std::end(kinds));
    return mahjong::isSuitKind(kinds[0]) && mahjong::kindNumber(kinds[0]) <= 7 && kinds[1] == kinds[0] + 1 &&
           kinds[2] == kinds[0] + 2 && mahjong::kindClass(kinds[0]) == mahjong::kindClass(kinds[2]);
}

// A seat's C_SUTE, checked: its claim stands only when its options on the discard allow it and
// it holds the tiles it names. The answer keeps the server's discard and the sender's id.
void checkSuteClaim(TTaskMahjongGame& game, TPacket_C_Sute& answer, int sender, const mahjong::TPlayer& discarder) {
    mahjong::TTable& table = mahjongTableOf(game);
    answer.seat = static_cast<u8>(sender);
    answer.discard = game.currentPai;
    const u32 claim = answer.claim;
    if (claim == CLAIM_NONE) return;
    bool ok = false;
    const mahjong::TPlayerPtr& claimant = table.getPlayer(sender);
    if (claimant && sender != discarder.playerId) {
        const u32 options = claimant->getCallOptions(game.currentPai, table.getDirection(sender, discarder.playerId));
        switch (claim) {
            case CLAIM_RON:
                ok = (options & mahjong::CK_RON) != 0;
                break;
            case CLAIM_KAN:
                ok = (options & mahjong::CK_MINKAN) != 0;
                break;
            case CLAIM_PON:
                ok = (options & mahjong::CK_PON) && answer.meld1.kind == game.currentPai.kind &&
                     answer.meld2.kind == game.currentPai.kind && holdsPair(*claimant, answer.meld1, answer.meld2);
                break;
            case CLAIM_TI:
                ok = (options & mahjong::CK_TI) && isSequenceWith(game.currentPai, answer.meld1, answer.meld2) &&
                     holdsPair(*claimant, answer.meld1, answer.meld2);
                break;
            default:
                break;
        }
    }
    if (!ok) {
        roundError(game, "ST_ROUND_SUTE", "claim " + std::to_string(claim) + " not allowed for player", sender);
        answer.claim = CLAIM_NONE;
        answer.meld1 = TPai();
        answer.meld2 = TPai();
    }
}

void takeOutOfPond(mahjong::TPlayer& discarder) {
    if (!discarder.sutes.empty()) discarder.sutes.back().inPond = 0;
}

}  // namespace

void roundSute(TTaskMahjongGame& game, mahjong::TPlayer& player) {
    const std::string where = "ST_ROUND_SUTE";
    mahjong::TTable& table = mahjongTableOf(game);
    mahjong::TRoundResult& result = table.lastResult;
    switch (game.roundStep()) {
        case 0: {
            if (!mayDiscard(player, game.currentPai)) {
                roundError(game, where, "discard not in the hand of player", player.playerId);
                game.currentPai = fallbackDiscard(player);
            }
            player.sute(game.currentPai);
            game.currentPai.state = mahjong::PS_FREE;
            if (table.rule->fourWindsDraw && table.isSameWindSute()) {
                result.setAgari(mahjong::RE_SUFON, game.currentPai, player.playerId);
                game.setRoundState(ST_ROUND_END);
                return;
            }
            table.checkFuriten(game.currentPai, player.playerId, false);
            game.replies.clear();
            askEveryone(
                game, C_SUTE, S_SUTE,
                boost::shared_ptr<TPacket>(new TPacket_S_Sute(static_cast<u8>(player.playerId), game.currentPai)));
            game.setRoundStep(1);
            break;
        }
        case 1:
            while (TCmdPtr cmd = takeAnswer(game, C_SUTE, where)) {
                boost::shared_ptr<TPacket_C_Sute> answer(new TPacket_C_Sute(cmd->bytes()));
                checkSuteClaim(game, *answer, cmd->sender(), player);
                game.replies.push_back(answer);
                if (static_cast<int>(game.replies.size()) < rulePlayers(game)) continue;
                answerBook(game).settleAll(C_SUTE);
                sortSuteReplies(game.replies);
                table.sortHands();
                const auto best = boost::static_pointer_cast<TPacket_C_Sute>(game.replies.front());
                game.lastReply = best;
                if (best->claim != CLAIM_RON && table.isFourKanDraw()) {
                    result.setCode(mahjong::RE_SUKAN);
                    game.setRoundState(ST_ROUND_END);
                    return;
                }
                switch (best->claim) {
                    case CLAIM_PON:
                        game.setRoundState(ST_ROUND_PON);
                        break;
                    case CLAIM_TI:
                        game.setRoundState(ST_ROUND_TI);
                        break;
                    case CLAIM_KAN:
                        game.actor = best->seat;
                        game.setRoundState(ST_ROUND_KAN);
                        break;
                    case CLAIM_RON:
                        result.setAgari(mahjong::RE_RON, game.currentPai, player.playerId);
                        for (const auto& r : game.replies) {
                            if (claimOf(r) == CLAIM_RON)
                                result.ids.push_back(boost::static_pointer_cast<TPacket_C_Sute>(r)->seat);
                        }
                        game.setRoundState(ST_ROUND_AGARI);
                        break;
                    default:
                        game.setRoundState(ST_ROUND_NEXT);
                        break;
                }
                return;
            }
            break;
        default:
            break;
    }
}

void roundCall(TTaskMahjongGame& game, mahjong::TPlayer& player, bool pon) {
    const std::string where = pon ? "ST_ROUND_PON" : "ST_ROUND_TI";
    const u32 answerCode = pon ? C_PON : C_TI;
    mahjong::TTable& table = mahjongTableOf(game);
    switch (game.roundStep()) {
        case 0: {
            const auto claim = boost::dynamic_pointer_cast<TPacket_C_Sute>(game.lastReply);
            const mahjong::TPlayerPtr caller = claim ? table.getPlayer(claim->seat) : mahjong::TPlayerPtr();
            // The call is made first: a call the hand refuses leaves every hand and the turn as they
            // were, and the discard simply goes unclaimed.
            const bool made =
                caller && (pon ? caller->pon(game.currentPai, claim->meld1, claim->meld2, player.playerId)
                               : caller->ti(game.currentPai, claim->meld1, claim->meld2, player.playerId));
            if (!made) {
                roundError(game, where, "call refused for player", claim ? claim->seat : -1);
                game.setRoundState(ST_ROUND_NEXT);
                return;
            }
            takeOutOfPond(player);
            table.nextTurn(caller->playerId);
            const u8 seat = static_cast<u8>(caller->playerId), from = static_cast<u8>(player.playerId);
            boost::shared_ptr<TPacket> message;
            if (pon)
                message.reset(new TPacket_S_Pon(seat, from, game.currentPai, claim->meld1, claim->meld2));
            else
                message.reset(new TPacket_S_Ti(seat, from, game.currentPai, claim->meld1, claim->meld2));
            askOne(game, caller->playerId, answerCode, pon ? S_PON : S_TI, message);
            game.setRoundStep(1);
            break;
        }
        case 1: {
            // The player to act is the caller now.
            const TCmdPtr cmd = takeAnswer(game, answerCode, where);
            if (!cmd) return;
            boost::shared_ptr<TPacket_C_CallDiscard> answer;
            if (pon)
                answer.reset(new TPacket_C_Pon(cmd->bytes()));
            else
                answer.reset(new TPacket_C_Ti(cmd->bytes()));
            answer->seat = cmd->sender();
            game.lastReply = answer;
            if (cmd->sender() != player.playerId) {
                // Only the caller owes this answer; another seat's could not have been taken.
                roundError(game, where, "playerid", cmd->sender());
                return;
            }
            table.sortHands();
            if (mayDiscard(player, answer->discard)) {
                game.currentPai = player.hand[static_cast<size_t>(findFreeTile(player, answer->discard))];
            } else {
                roundError(game, where, "discard not in the hand of player", player.playerId);
                game.currentPai = fallbackDiscard(player);
            }
            game.setRoundState(ST_ROUND_SUTE);
            break;
        }
        default:
            break;
    }
}

void roundKan(TTaskMahjongGame& game, mahjong::TPlayer& player) {
    const std::string where = "ST_ROUND_KAN";
    mahjong::TTable& table = mahjongTableOf(game);
    mahjong::TRoundResult& result = table.lastResult;
    switch (game.roundStep()) {
        case 0: {
            const bool onDiscard = player.playerId != game.actor;
            const int from = player.playerId;
            const mahjong::TPlayerPtr maker = table.getPlayer(game.actor);
            // As with pon and chi, the kan is made first so that a refused one changes nothing.
            const int kind = maker ? maker->kan(game.currentPai, from) : 0;
            if (kind == 0) {
                roundError(game, where, "kan refused for player", game.actor);
                if (onDiscard) {
                    game.setRoundState(ST_ROUND_NEXT);
                } else {
                    game.currentPai = fallbackDiscard(player);
                    game.setRoundState(ST_ROUND_SUTE);
                }
                return;
            }
            if (onDiscard) takeOutOfPond(player);
            table.nextTurn(game.actor);
            if (kind == mahjong::PS_KAKAN) table.checkFuriten(game.currentPai, maker->playerId, true);
            game.replies.clear();
            askEveryone(game, C_KAN, S_KAN,
                        boost::shared_ptr<TPacket>(new TPacket_S_Kan(static_cast<u8>(maker->playerId),
                                                                     static_cast<u8>(from), game.currentPai, kind)));
            game.setRoundStep(1);
            break;
        }
        case 1:
            // The kan maker is the player to act now.
            while (TCmdPtr cmd = takeAnswer(game, C_KAN, where)) {
                boost::shared_ptr<TPacket_C_Kan> answer(new TPacket_C_Kan(cmd->bytes()));
                const int sender = cmd->sender();
                answer->seat = static_cast<u8>(sender);
                answer->pai = game.currentPai;
                if (answer->claim != CLAIM_NONE) {
                    const mahjong::TPlayerPtr& robber = table.getPlayer(sender);
                    const bool ok =
                        answer->claim == CLAIM_RON && robber && sender != player.playerId &&
                        (robber->getKanCallOptions(game.currentPai, table.getDirection(sender, player.playerId)) &
                         mahjong::CK_RON);
                    if (!ok) {
                        roundError(game, where, "claim " + std::to_string(answer->claim) + " not allowed for player",
                                   sender);
                        answer->claim = CLAIM_NONE;
                    }
                }
                game.replies.push_back(answer);
                if (static_cast<int>(game.replies.size()) < rulePlayers(game)) continue;
                answerBook(game).settleAll(C_KAN);
                sortKanReplies(game.replies);
                table.sortHands();
                game.lastReply = game.replies.front();
                if (claimOf(game.replies.front()) == CLAIM_RON) {
                    result.setAgari(mahjong::RE_CHANKAN, game.currentPai, player.playerId);
                    for (const auto& r : game.replies) {
                        if (claimOf(r) == CLAIM_RON)
                            result.ids.push_back(boost::static_pointer_cast<TPacket_C_Kan>(r)->seat);
                    }
                    game.setRoundState(ST_ROUND_AGARI);
                } else {
                    game.setRoundState(ST_ROUND_RINSHAN);
                }
                return;
            }
            break;
        default:
            break;
    }
}

}  // namespace game::server
