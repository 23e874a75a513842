// After a hand: the settlement and the round result every seat acknowledges, the move to the
// next hand (with the dealer's choice to go on after winning the last hand), and the end.
#include <boost/shared_ptr.hpp>

#include "game/packets_c.h"
#include "game/packets_round.h"
#include "game/packets_s.h"
#include "game/server/mahjong_game.h"
#include "game/server/replies.h"
#include "game/server/round_states.h"
#include "mahjong/player.h"
#include "mahjong/table.h"

namespace game::server {

void TTaskMahjongGame::updateRoundResult() {
    if (!mahjongTable()) return;
    mahjong::TTable& table = mahjongTableOf(*this);
    switch (subSubStep()) {
        case 0:
            table.overRound();
            replies.clear();
            askEveryone(*this, C_ROUNDRESULT, S_ROUNDRESULT,
                        boost::shared_ptr<TPacket>(new TPacket_S_RoundResult(table.lastResult)));
            setSubSubStep(1);
            break;
        case 1:
            while (TCmdPtr cmd = takeAnswer(*this, C_ROUNDRESULT, "ST_ROUNDRESULT")) {
                boost::shared_ptr<TPacket_C_RoundResult> answer(new TPacket_C_RoundResult(cmd->bytes()));
                // The continue flag is read from the dealer's answer: the sender, not the seat it names.
                answer->seat = cmd->sender();
                replies.push_back(answer);
                if (static_cast<int>(replies.size()) >= rulePlayers(*this)) {
                    answerBook(*this).settleAll(C_ROUNDRESULT);
                    setSubStep(ST_NEXTROUND);
                    return;
                }
            }
            break;
        default:
            break;
    }
}

void TTaskMahjongGame::updateNextRound() {
    if (!mahjongTable()) return;
    mahjong::TTable& table = mahjongTableOf(*this);
    switch (subSubStep()) {
        case 0: {
            bool continueFlag = false;
            if (table.isLastRound() && table.isOyaAgari()) {
                const mahjong::TPlayerPtr& dealer = table.seatAt(table.handNumber);
                for (const auto& r : replies) {
                    const auto answer = boost::dynamic_pointer_cast<TPacket_C_RoundResult>(r);
                    if (dealer && answer && answer->seat == dealer->playerId) continueFlag = answer->continueFlag;
                }
            }
            table.nextRound(continueFlag);
            replies.clear();
            askEveryone(*this, C_NEXTROUND, S_NEXTROUND,
                        boost::shared_ptr<TPacket>(new TPacket_S_NextRound(continueFlag)));
            setSubSubStep(1);
            break;
        }
        case 1:
            while (TCmdPtr cmd = takeAnswer(*this, C_NEXTROUND, "ST_NEXTROUND")) {
                replies.push_back(boost::shared_ptr<TPacket>(new TPacket_C_NextRound(cmd->bytes())));
                if (static_cast<int>(replies.size()) >= rulePlayers(*this)) {
                    answerBook(*this).settleAll(C_NEXTROUND);
                    setSubStep(table.gameOver ? ST_GAMEEND : ST_DEAL);
                    return;
                }
            }
            break;
        default:
            break;
    }
}

}  // namespace game::server
