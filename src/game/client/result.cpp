// The end of a hand and of the game on the client: the settlement on the mirror, the winners'
// animations, the result pages, the dealer's choice to go on after winning the last hand, the
// end screen; and the human's per-frame input step with the ability list.
#include <boost/shared_ptr.hpp>

#include "game/client/mahjong_game.h"
#include "game/packets_round.h"
#include "mahjong/player.h"

namespace game::client {

namespace {

constexpr int kWinFrames = 100;

}  // namespace

int TTaskMahjongGame::hitButtons(TClientRect (TTaskMahjongGame::*rect)(int) const) const {
    int hit = -1;
    for (int i = 0; i < 2; ++i)
        if ((this->*rect)(i).contains(host().mouseX(), host().mouseY())) hit = i;
    return hit;
}

void TTaskMahjongGame::settleRound() {
    mahjong::TTable& t = *mirror();
    const auto m = boost::dynamic_pointer_cast<TPacket_S_RoundResult>(lastMessage_);
    if (!m) return;
    const mahjong::TRoundResult& told = m->result;
    // What the server did on its way to the result without a message of its own: the turn that
    // passed before a nagashi was found, the fourth wind discard that ended the hand.
    if (told.code == mahjong::RE_NAGASHI) t.nextTurn(-1);
    if (told.code == mahjong::RE_SUFON) {
        if (const mahjong::TPlayerPtr& p = t.getPlayer(told.playerId)) p->sute(told.pai);
    }
    t.lastResult = told;
    // The settlement is the mirror's own; the server's figures are what it must come to.
    t.lastResult.scores.clear();
    t.overRound();
    if (!(t.lastResult == told)) logError("[ERROR] Client::ST_ROUNDRESULT settlement");
    onApplied(S_ROUNDRESULT);
}

void TTaskMahjongGame::doRoundResult() {
    mahjong::TTable* t = mirror();
    if (!t) return;
    const std::vector<int>& ids = t->lastResult.ids;
    switch (subSubStep()) {
        case 0: {
            host().stopMusic();
            settleRound();
            continueChoice_ = -1;
            noReadingShown_ = false;
            const int code = t->lastResult.code;
            if (mahjong::isDrawCode(code)) {
                setSubSubStep(20);
                return;
            }
            const int kind = code == mahjong::RE_TUMO || code == mahjong::RE_RINSHAN  ? WAIT_TUMO
                             : code == mahjong::RE_RON || code == mahjong::RE_CHANKAN ? WAIT_RON
                                                                                      : WAIT_NONE;
            if (kind == WAIT_NONE) {
                setSubSubStep(10);
                return;
            }
            for (int id : ids)
                if (TMahjongPlayer* p = mahjongPlayer(id)) p->startWait(kind, kWinFrames);
            setSubSubStep(1);
            return;
        }
        case 1: {
            bool waiting = false;
            for (int id : ids)
                if (TMahjongPlayer* p = mahjongPlayer(id); p && p->tickWait() > 0) waiting = true;
            if (!waiting) setSubSubStep(10);
            return;
        }
        case 10:
        case 20:
            resetChoice(IN_RESULT);
            beginScreen();
            setSubSubStep(subSubStep() + 1);
            return;
        case 11:
        case 21: {
            const int before = hovered_;
            if (host().isMouseAction()) hovered_ = -1;
            if (confirmed()) {
                setInputSubState(-1);
                // One page per listed player; a draw has one page.
                const int pages = subSubStep() == 11 ? static_cast<int>(ids.size()) : 1;
                if (inputSubState_ >= pages) {
                    endChoice();
                    setSubSubStep(30);
                }
            }
            if (hovered_ != before) host().invalidate();
            return;
        }
        case 30: {
            hovered_ = -1;
            mahjong::TPlayer* me = ownPlayer();
            if (me && me->kaze == 0 && t->isLastRound() && t->isOyaAgari()) {
                resetChoice(IN_CONTINUE);
                beginScreen();
                setSubSubStep(31);
            } else {
                setSubSubStep(40);
            }
            return;
        }
        case 31: {
            const int before = hovered_;
            if (host().isMouseAction()) hovered_ = hitButtons(&TTaskMahjongGame::continueButtonRect);
            if (confirmed() && hovered_ >= 0) {
                continueChoice_ = hovered_;
                endChoice();
                setSubSubStep(40);
            }
            if (hovered_ != before) host().invalidate();
            return;
        }
        case 40:
            send(C_ROUNDRESULT, boost::shared_ptr<TPacket>(new TPacket_C_RoundResult(
                                    static_cast<u8>(getOwnId()), t->lastResult, continueChoice_ == 0)));
            setSubStep(60);
            return;
        default:
            return;
    }
}

bool TTaskMahjongGame::onResult() {
    finalResult_.reset(new TPacket_S_Result(frontCmd()->bytes()));
    lastMessage_ = finalResult_;
    prepareFinalResult();
    frameCounter_ = 0;
    setStep(3, 0);
    return true;
}

void TTaskMahjongGame::updateEnd() {
    ++frameCounter_;
    switch (subSubStep()) {
        case 0:
            host().stopMusic();
            beginScreen();
            setSubSubStep(10);
            return;
        case 10: {
            const int before = hovered_;
            if (host().isMouseAction()) hovered_ = hitButtons(&TTaskMahjongGame::endButtonRect);
            if (confirmed() && hovered_ >= 0) setSubSubStep(20);
            if (hovered_ != before) host().invalidate();
            return;
        }
        case 20: {
            const u8 again = hovered_ == 0 ? 1 : 0;
            send(C_END, &again, 1);
            setSubSubStep(30);
            return;
        }
        default:
            return;
    }
}

void TTaskMahjongGame::updateInput() {
    updateOptionButtons();
    if (!isChoosing()) return;
    switch (inputState_) {
        case IN_MENU:
            selectAction();
            return;
        case IN_PON:
            selectPon();
            return;
        case IN_TI:
            selectTi();
            return;
        case IN_KAN:
            selectKan();
            return;
        case IN_RITI:
            selectRiti();
            return;
        case IN_FAKE:
            selectFake();
            return;
        case IN_DONE:
            endChoice();
            return;
        default:
            return;
    }
}

void TTaskMahjongGame::selectFake() {
    mahjong::TPlayer* me = ownPlayer();
    if (!me) return;
    switch (inputSubState_) {
        case 0:
            beginScreen();
            setInputSubState(1);
            return;
        case 1: {
            const int before = hovered_;
            if (host().isMouseAction()) {
                hovered_ = -1;
                int row = 0;
                const std::vector<int>& ids = me->fake.ids;
                for (size_t i = 0; i < ids.size(); ++i) {
                    if (mahjong::getFakeType(ids[i]) != me->getAction()) continue;
                    const TClientRect r{0, 20 * row, 200, 20 * row + 20};
                    if (r.contains(host().mouseX(), host().mouseY())) hovered_ = 10 + static_cast<int>(i);
                    ++row;
                }
            }
            if (confirmed() && hovered_ >= 10) {
                setInputSubState(2);
            } else if (cancelled()) {
                setInputState(IN_MENU);
            }
            if (hovered_ != before) host().invalidate();
            return;
        }
        case 2: {
            const size_t i = static_cast<size_t>(hovered_ - 10);
            if (hovered_ >= 10 && i < me->fake.ids.size()) me->setFakeId(me->fake.ids[i]);
            setInputState(IN_DONE);
            return;
        }
        default:
            return;
    }
}

}  // namespace game::client
