// The client's round play: every round message moves the client into a state that applies it to
// the mirror, lets the seat's animation run, asks the human when the own seat has a choice, and
// answers the server.
#include <boost/shared_ptr.hpp>

#include "game/client/mahjong_game.h"
#include "game/packets_c.h"
#include "game/packets_round.h"
#include "mahjong/player.h"

namespace game::client {

namespace {

constexpr u32 kThird = 36;
constexpr u32 kDrawMenu = 0x2158;  // ability, discard, tsumo, riichi, own kan
constexpr u32 kAbilityBits = 0x3000;
constexpr int kCallFrames = 40;
constexpr int kRitiFrames = 80;
constexpr u32 kNoClaimDelayMs = 300;

enum TClientRoundState : int {
    RS_WAIT = 0,
    RS_START = 1,
    RS_TUMO = 2,
    RS_PON = 3,
    RS_TI = 4,
    RS_KAN = 5,
    RS_RINSHAN = 6,
    RS_RITI = 7,
    RS_SUTE = 8,
    RS_FAKE = 9,
    RS_NEXT = 10,
};

using P = boost::shared_ptr<TPacket>;

}  // namespace

void TTaskMahjongGame::flagCalledAway(mahjong::TPlayer* discarder) {
    if (discarder && !discarder->sutes.empty()) discarder->sutes.back().inPond = 0;
}

void TTaskMahjongGame::doRound() {
    mahjong::TTable* t = mirror();
    if (!t) return;
    switch (roundState_) {
        case RS_WAIT: {
            if (!hasCmd()) return;
            const std::vector<u8>& b = frontCmd()->bytes();
            int next = -1;
            switch (frontCmd()->code()) {
                case S_STARTROUND:
                    lastMessage_.reset(new TPacket_S_StartRound(b));
                    next = RS_START;
                    break;
                case S_TUMO:
                    lastMessage_.reset(new TPacket_S_Tumo(b));
                    next = RS_TUMO;
                    break;
                case S_PON:
                    lastMessage_.reset(new TPacket_S_Pon(b));
                    next = RS_PON;
                    break;
                case S_TI:
                    lastMessage_.reset(new TPacket_S_Ti(b));
                    next = RS_TI;
                    break;
                case S_KAN:
                    lastMessage_.reset(new TPacket_S_Kan(b));
                    next = RS_KAN;
                    break;
                case S_RINSHAN:
                    lastMessage_.reset(new TPacket_S_Rinshan(b));
                    next = RS_RINSHAN;
                    break;
                case S_RITI:
                    lastMessage_.reset(new TPacket_S_Riti(b));
                    next = RS_RITI;
                    break;
                case S_SUTE:
                    lastMessage_.reset(new TPacket_S_Sute(b));
                    next = RS_SUTE;
                    break;
                case S_FAKE:
                    lastMessage_.reset(new TPacket_S_Fake(b));
                    next = RS_FAKE;
                    break;
                case S_NEXT:
                    lastMessage_.reset(new TPacket_S_Next(b));
                    next = RS_NEXT;
                    break;
                case S_ROUNDRESULT:
                    lastMessage_.reset(new TPacket_S_RoundResult(b));
                    popCmd();
                    setSubStep(50);
                    return;
                default:
                    return;
            }
            popCmd();
            setRoundState(next);
            return;
        }
        case RS_START:
            send(C_STARTROUND, P(new TPacket_C_StartRound));
            setRoundState(RS_WAIT);
            return;
        case RS_TUMO:
            roundTumo(false);
            return;
        case RS_RINSHAN:
            roundTumo(true);
            return;
        case RS_PON:
            roundCall(true);
            return;
        case RS_TI:
            roundCall(false);
            return;
        case RS_KAN:
            roundKan();
            return;
        case RS_RITI:
            roundRiti();
            return;
        case RS_SUTE:
            roundSute();
            return;
        case RS_FAKE:
            roundFake();
            return;
        case RS_NEXT:
            roundNext();
            return;
        default:
            return;
    }
}

void TTaskMahjongGame::startDrawChoice(bool rinshan) {
    mahjong::TPlayer* me = ownPlayer();
    if (!me) return;
    const u32 actions = me->getTumoActions() | (rinshan ? mahjong::CK_SUTE : 0u);
    const u32 menu = kDrawMenu | (actions & mahjong::CK_KYUSHU);
    startChoice(menu, actions, kThird);
}

void TTaskMahjongGame::roundTumo(bool rinshan) {
    mahjong::TTable& t = *mirror();
    if (roundSubState_ == 0) {
        const mahjong::TPlayerPtr actor = t.currentPlayer();
        const mahjong::TPai tile = rinshan ? t.rinshan() : t.tumo();
        if (actor) actor->addTumo(tile, rinshan ? mahjong::DRAW_RINSHAN : mahjong::DRAW_WALL);
        onApplied(rinshan ? S_RINSHAN : S_TUMO);
        if (actor && actor->playerId == getOwnId()) {
            startDrawChoice(rinshan);
            setRoundSubState(1);
        } else {
            setRoundState(RS_WAIT);
        }
        return;
    }
    if (isChoosing()) return;
    answerDraw(rinshan);
}

void TTaskMahjongGame::answerDraw(bool rinshan) {
    mahjong::TPlayer* me = ownPlayer();
    const u8 own = static_cast<u8>(getOwnId());
    const u32 action = me ? me->getAction() : u32(CLAIM_SUTE);
    const mahjong::TPai chosen = me ? me->getSelectPai(0) : mahjong::TPai();
    if (me && (action & kAbilityBits)) {
        // The draw's own answer is still owed: it is asked again once the ability is done.
        send(C_DOFAKE, P(new TPacket_C_DoFake(own, static_cast<u32>(me->getFakeId()), chosen)));
        owedDraw_ = rinshan ? RS_RINSHAN : RS_TUMO;
    } else {
        const mahjong::TPai drawn = me ? me->lastTumo : mahjong::TPai();
        if (rinshan)
            send(C_RINSHAN, P(new TPacket_C_Rinshan(own, action, drawn, chosen)));
        else
            send(C_TUMO, P(new TPacket_C_Tumo(own, action, drawn, chosen)));
        owedDraw_ = 0;
    }
    setRoundState(RS_WAIT);
}

void TTaskMahjongGame::roundCall(bool pon) {
    mahjong::TTable& t = *mirror();
    const auto m = boost::dynamic_pointer_cast<TPacket_S_Call>(lastMessage_);
    if (!m) {
        setRoundState(RS_WAIT);
        return;
    }
    switch (roundSubState_) {
        case 0: {
            t.updateSeats();
            flagCalledAway(t.currentPlayer().get());
            t.nextTurn(m->seat);
            const mahjong::TPlayerPtr& caller = t.getPlayer(m->seat);
            if (caller) {
                const bool made = pon ? caller->pon(m->called, m->meld1, m->meld2, m->from)
                                      : caller->ti(m->called, m->meld1, m->meld2, m->from);
                if (!made)
                    logError(std::string("[ERROR] Client::") + (pon ? "ST_ROUND_PON" : "ST_ROUND_TI") +
                             " call refused");
            }
            if (TMahjongPlayer* p = mahjongPlayer(m->seat)) p->startWait(pon ? WAIT_PON : WAIT_TI, kCallFrames);
            onApplied(pon ? S_PON : S_TI);
            setRoundSubState(1);
            return;
        }
        case 1: {
            TMahjongPlayer* p = mahjongPlayer(m->seat);
            if (p && p->tickWait() > 0) return;
            const mahjong::TPlayerPtr actor = t.currentPlayer();
            if (actor && actor->playerId == getOwnId()) {
                startChoice(mahjong::CK_SUTE, mahjong::CK_SUTE, kThird);
                setRoundSubState(2);
            } else {
                setRoundState(RS_WAIT);
            }
            return;
        }
        case 2: {
            if (isChoosing()) return;
            mahjong::TPlayer* me = ownPlayer();
            const u8 own = static_cast<u8>(getOwnId());
            const mahjong::TPai drawn = me ? me->lastTumo : mahjong::TPai();
            const mahjong::TPai discard = me ? me->getSelectPai(0) : mahjong::TPai();
            if (pon)
                send(C_PON, P(new TPacket_C_Pon(own, drawn, discard)));
            else
                send(C_TI, P(new TPacket_C_Ti(own, drawn, discard)));
            setRoundState(RS_WAIT);
            return;
        }
        default:
            setRoundState(RS_WAIT);
            return;
    }
}

void TTaskMahjongGame::roundKan() {
    mahjong::TTable& t = *mirror();
    const auto m = boost::dynamic_pointer_cast<TPacket_S_Kan>(lastMessage_);
    if (!m) {
        setRoundState(RS_WAIT);
        return;
    }
    const u8 own = static_cast<u8>(getOwnId());
    switch (roundSubState_) {
        case 0: {
            t.updateSeats();
            const mahjong::TPlayerPtr actor = t.currentPlayer();
            if (actor && actor->playerId != m->seat) flagCalledAway(actor.get());
            t.nextTurn(m->seat);
            const mahjong::TPlayerPtr& maker = t.getPlayer(m->seat);
            const int kind = maker ? maker->kan(m->pai, m->from) : 0;
            if (kind != m->kanKind) logError("[ERROR] Client::ST_ROUND_KAN kan kind");
            if (kind == mahjong::PS_KAKAN) t.checkFuriten(m->pai, m->seat, true);
            if (TMahjongPlayer* p = mahjongPlayer(m->seat)) p->startWait(WAIT_KAN, kCallFrames);
            onApplied(S_KAN);
            setRoundSubState(1);
            return;
        }
        case 1: {
            TMahjongPlayer* p = mahjongPlayer(m->seat);
            if (p && p->tickWait() > 0) return;
            const int dir = t.getDirection(getOwnId(), m->seat);
            mahjong::TPlayer* me = ownPlayer();
            const u32 options = me && dir != mahjong::TD_MY && m->kanKind == mahjong::PS_KAKAN
                                    ? me->getKanCallOptions(m->pai, dir)
                                    : 0u;
            if (options == 0) {
                send(C_KAN, P(new TPacket_C_Kan(own, CLAIM_NONE, m->pai, m->kanKind)));
                setRoundState(RS_WAIT);
                return;
            }
            startChoice(0x8020, options | mahjong::CK_NONE, kThird);
            setRoundSubState(2);
            return;
        }
        case 2: {
            if (isChoosing()) return;
            mahjong::TPlayer* me = ownPlayer();
            // The server reads its own kan tile; the message's is sent back.
            send(C_KAN, P(new TPacket_C_Kan(own, me ? me->getAction() : u32(CLAIM_NONE), m->pai, m->kanKind)));
            setRoundState(RS_WAIT);
            return;
        }
        default:
            setRoundState(RS_WAIT);
            return;
    }
}

void TTaskMahjongGame::roundRiti() {
    mahjong::TTable& t = *mirror();
    if (roundSubState_ == 0) {
        savedVolume_ = host().musicVolume();
        host().setMusicVolume(0);
        const mahjong::TPlayerPtr actor = t.currentPlayer();
        if (actor) {
            actor->riti();
            if (TMahjongPlayer* p = mahjongPlayer(actor->playerId)) p->startWait(WAIT_RITI, kRitiFrames);
        }
        host().playSe(1);
        onApplied(S_RITI);
        setRoundSubState(1);
        return;
    }
    const mahjong::TPlayerPtr actor = t.currentPlayer();
    TMahjongPlayer* p = actor ? mahjongPlayer(actor->playerId) : nullptr;
    if (p && p->tickWait() > 0) return;
    host().setMusicVolume(savedVolume_);
    setRoundState(RS_WAIT);
}

void TTaskMahjongGame::roundSute() {
    mahjong::TTable& t = *mirror();
    const auto m = boost::dynamic_pointer_cast<TPacket_S_Sute>(lastMessage_);
    if (!m) {
        setRoundState(RS_WAIT);
        return;
    }
    const u8 own = static_cast<u8>(getOwnId());
    switch (roundSubState_) {
        case 0: {
            t.updateSeats();
            const mahjong::TPlayerPtr actor = t.currentPlayer();
            if (actor && !actor->sute(m->pai)) logError("[ERROR] Client::ST_ROUND_SUTE pai");
            t.checkFuriten(m->pai, m->seat, false);
            onApplied(S_SUTE);
            const int dir = t.getDirection(getOwnId(), m->seat);
            mahjong::TPlayer* me = ownPlayer();
            const u32 options = me && dir != mahjong::TD_MY ? me->getCallOptions(m->pai, dir) : 0u;
            if (options == 0) {
                setRoundSubState(10);
                return;
            }
            startChoice(0x8027, options | mahjong::CK_NONE, kThird);
            setRoundSubState(1);
            return;
        }
        case 1: {
            if (isChoosing()) return;
            mahjong::TPlayer* me = ownPlayer();
            const mahjong::TPai discard = t.getPai();
            const u32 action = me ? me->getAction() : u32(CLAIM_NONE);
            mahjong::TPai call[2];
            if (me && (action == CLAIM_PON || action == CLAIM_TI)) {
                bool skipped = false;
                int n = 0;
                for (int i = 0; i < 3 && n < 2; ++i) {
                    const mahjong::TPai tile = me->getSelectPai(i);
                    if (!skipped && mahjong::isSamePai(tile, discard)) {
                        skipped = true;
                        continue;
                    }
                    call[n++] = tile;
                }
            }
            send(C_SUTE, P(new TPacket_C_Sute(own, action, discard, call[0], call[1])));
            setRoundState(RS_WAIT);
            return;
        }
        case 10:
            stopWatch_.start(host());
            setRoundSubState(11);
            return;
        case 11:
            if (stopWatch_.elapsed(host()) < kNoClaimDelayMs) return;
            send(C_SUTE, P(new TPacket_C_Sute(own, CLAIM_NONE, t.getPai())));
            setRoundState(RS_WAIT);
            return;
        default:
            setRoundState(RS_WAIT);
            return;
    }
}

void TTaskMahjongGame::roundFake() {
    const auto m = boost::dynamic_pointer_cast<TPacket_S_Fake>(lastMessage_);
    if (!m) {
        setRoundState(RS_WAIT);
        return;
    }
    if (roundSubState_ == 0) {
        if (const mahjong::TPlayerPtr& p = mirror()->getPlayer(m->seat))
            p->doFake(static_cast<int>(m->ability), static_cast<int>(m->value), m->pai);
        onApplied(S_FAKE);
        setRoundSubState(1);
        return;
    }
    send(C_FAKE, P(new TPacket_C_Fake(m->seat, m->ability, m->value, m->pai)));
    // An ability used in the own draw leaves the draw's answer owed: the choice starts again.
    const int owed = owedDraw_;
    owedDraw_ = 0;
    const mahjong::TPlayerPtr actor = mirror()->currentPlayer();
    if (owed && actor && actor->playerId == getOwnId()) {
        setRoundState(owed);
        startDrawChoice(owed == RS_RINSHAN);
        setRoundSubState(1);
        return;
    }
    setRoundState(RS_WAIT);
}

void TTaskMahjongGame::roundNext() {
    mahjong::TTable& t = *mirror();
    const auto m = boost::dynamic_pointer_cast<TPacket_S_Next>(lastMessage_);
    const mahjong::TPlayerPtr next = t.nextTurn(-1);
    if (m) {
        if (!next || next->playerId != m->seat) logError("[ERROR] Client::ST_ROUND_NEXT pleyerid");
        // At or below, as the server tests: a replacement draw can step over the count.
        const bool exhausted = t.wallCount() <= (t.rule ? t.rule->deadWall : 0);
        if (exhausted != m->exhausted) logError("[ERROR] Client::ST_ROUND_NEXT endturn");
    }
    onApplied(S_NEXT);
    setRoundState(RS_WAIT);
}

}  // namespace game::client
