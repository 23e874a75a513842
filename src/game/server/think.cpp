#include "game/server/think.h"

#include <type_traits>

#include "game/packets_c.h"
#include "game/packets_round.h"
#include "game/packets_s.h"
#include "mahjong/hand_eval.h"
#include "mahjong/player.h"
#include "mahjong/table.h"

namespace game::server {

using mahjong::TPai;
using mahjong::TPaiArray;

// ---- TState ----

int TState::changeState(int s) {
    const int previous = state_;
    changeStep(0);
    state_ = s < 0 ? state_ + 1 : s;
    return previous;
}

int TState::changeStep(int s) {
    const int previous = step_;
    step_ = s < 0 ? step_ + 1 : s;
    return previous;
}

// ---- TMahjongThinkDef ----

TMahjongThinkDef::TMahjongThinkDef(TPlayer* owner, u32 parameterKey, TRandom* random)
    : TThink(owner), parameterKey_(parameterKey), random_(random) {}

TMahjongThinkDef::~TMahjongThinkDef() { kept_.reset(); }

mahjong::TTable* TMahjongThinkDef::gameTable() const {
    TTaskGame* room = task();
    if (!room) return nullptr;
    const auto table = room->mahjongTable();
    return table ? &table->table() : nullptr;
}

mahjong::TPlayer* TMahjongThinkDef::tablePlayer(int playerId) const {
    mahjong::TTable* table = gameTable();
    return table ? table->getPlayer(playerId).get() : nullptr;
}

mahjong::TRating* TMahjongThinkDef::ratingOf(mahjong::TPlayer& player) const {
    auto& rating = player.rating();
    if (!rating) {
        rating.reset(new mahjong::TRating(player.rule(), player, random_));
        rating->setProfile(static_cast<int>(parameterKey_));
    }
    return rating.get();
}

bool TMahjongThinkDef::isOwnSeat(int seat) const {
    const mahjong::TPlayer* p = tablePlayer(seat);
    return p && p->playerId == id();
}

void TMahjongThinkDef::keep(const boost::shared_ptr<TPacket>& message, int state) {
    kept_ = message;
    changeState(state);
}

int TMahjongThinkDef::onReceive(u32 /*seatId*/, u32 code, const u8* data, u32 length) {
    const std::vector<u8> bytes = data && length > 0 ? std::vector<u8>(data, data + length) : std::vector<u8>();
    using P = boost::shared_ptr<TPacket>;
    // A decision addressed to this seat is kept for step(); those of other seats are dropped.
    auto keepOwn = [this](auto* message, int state) {
        const boost::shared_ptr<std::remove_pointer_t<decltype(message)>> m(message);
        if (isOwnSeat(m->seat)) keep(m, state);
        return 0;
    };
    switch (code) {
        case S_STARTROOM:
            return send(C_READY, nullptr, 0);
        case S_STARTGAME:
            onStartGame();
            return 0;
        case S_RESULT: {
            const u8 end = 0;
            return send(C_END, &end, 1);
        }
        case S_SITDOWN:
            return send(C_SITDOWN, P(new TPacket_C_Sitdown));
        case S_STARTUP:
            return send(C_STARTUP, P(new TPacket_C_Startup));
        case S_DEAL:
            onDeal();
            return send(C_DEAL, P(new TPacket_C_Deal));
        case S_STARTROUND:
            return send(C_STARTROUND, P(new TPacket_C_StartRound));
        case S_TUMO:
            return keepOwn(new TPacket_S_Tumo(bytes), THINK_TUMO);
        case S_PON:
            return keepOwn(new TPacket_S_Pon(bytes), THINK_PON);
        case S_TI:
            return keepOwn(new TPacket_S_Ti(bytes), THINK_TI);
        case S_KAN:
            keep(P(new TPacket_S_Kan(bytes)), THINK_KAN);
            return 0;
        case S_RINSHAN:
            return keepOwn(new TPacket_S_Rinshan(bytes), THINK_RINSHAN);
        case S_SUTE:
            keep(P(new TPacket_S_Sute(bytes)), THINK_SUTE);
            return 0;
        case S_FAKE: {
            const TPacket_S_Fake m(bytes);
            return send(C_FAKE, P(new TPacket_C_Fake(m.seat, m.ability, m.value, m.pai)));
        }
        case S_ROUNDRESULT: {
            const TPacket_S_RoundResult m(bytes);
            return send(C_ROUNDRESULT, P(new TPacket_C_RoundResult(static_cast<u8>(id()), m.result, true)));
        }
        case S_NEXTROUND: {
            const TPacket_S_NextRound m(bytes);
            const mahjong::TTable* table = gameTable();
            return send(C_NEXTROUND, P(new TPacket_C_NextRound(m.continueFlag, table && table->gameOver)));
        }
        default:
            return 0;
    }
}

void TMahjongThinkDef::step() {
    switch (getState()) {
        case THINK_TUMO:
            thinkTumo();
            break;
        case THINK_PON:
            thinkPon();
            break;
        case THINK_TI:
            thinkTi();
            break;
        case THINK_KAN:
            thinkKan();
            break;
        case THINK_RINSHAN:
            thinkRinshan();
            break;
        case THINK_SUTE:
            thinkSute();
            break;
        default:
            break;
    }
}

void TMahjongThinkDef::onDeal() {
    if (mahjong::TPlayer* me = tablePlayer(id())) ratingOf(*me)->setProfile(static_cast<int>(parameterKey_));
}

void TMahjongThinkDef::thinkTumo() { thinkDraw(false); }

void TMahjongThinkDef::thinkRinshan() { thinkDraw(true); }

void TMahjongThinkDef::thinkDraw(bool rinshan) {
    const auto m = boost::dynamic_pointer_cast<TPacket_S_SeatPai>(kept_);
    mahjong::TPlayer* p = m ? tablePlayer(m->seat) : nullptr;
    TPai drawn;
    TPai chosen;
    u32 action = CLAIM_SUTE;
    if (p) {
        drawn = p->lastTumo;
        const u32 a = p->getTumoActions() | mahjong::CK_SUTE;
        if (a & mahjong::CK_TUMO) {
            action = CLAIM_TUMO;
        } else if ((a & mahjong::CK_RITI) && !p->getRitiOptions().empty()) {
            action = CLAIM_RITI;
            chosen = p->getRitiOptions().front();
        } else if (a & mahjong::CK_KYUSHU) {
            action = CLAIM_KYUSHU;
        } else if ((a & mahjong::CK_KAN) && !p->getKanOptions().empty()) {
            action = CLAIM_OWN_KAN;
            chosen = p->getKanOptions().front();
            // The option names a kind; the answer names the tile in the hand, red five or not,
            // since the server takes the tile the answer names out of the hand.
            for (const TPai& t : p->hand) {
                if (t.isFree() && t.kind == chosen.kind) {
                    chosen = t;
                    break;
                }
            }
        } else if (p->ritiFlag) {
            chosen = drawn;
        } else {
            mahjong::TRating* rating = ratingOf(*p);
            if (!rinshan) rating->decideStrategy();
            rating->rateDiscards();
            const int best = rating->getBest();
            chosen =
                best >= 0 && static_cast<size_t>(best) < p->hand.size() ? p->hand[static_cast<size_t>(best)] : drawn;
        }
    }
    const u8 me = static_cast<u8>(id());
    if (rinshan)
        send(C_RINSHAN, boost::shared_ptr<TPacket>(new TPacket_C_Rinshan(me, action, drawn, chosen)));
    else
        send(C_TUMO, boost::shared_ptr<TPacket>(new TPacket_C_Tumo(me, action, drawn, chosen)));
    changeState(THINK_IDLE);
}

void TMahjongThinkDef::thinkPon() { thinkCall(true); }

void TMahjongThinkDef::thinkTi() { thinkCall(false); }

void TMahjongThinkDef::thinkCall(bool pon) {
    const auto m = boost::dynamic_pointer_cast<TPacket_S_Call>(kept_);
    mahjong::TPlayer* p = m ? tablePlayer(m->seat) : nullptr;
    TPai drawn;
    TPai discard;
    if (p) {
        drawn = p->lastTumo;
        mahjong::TRating* rating = ratingOf(*p);
        rating->rateDiscards();
        const int best = rating->getBest();
        if (best >= 0 && static_cast<size_t>(best) < p->hand.size()) discard = p->hand[static_cast<size_t>(best)];
    }
    const u8 me = static_cast<u8>(id());
    if (pon)
        send(C_PON, boost::shared_ptr<TPacket>(new TPacket_C_Pon(me, drawn, discard)));
    else
        send(C_TI, boost::shared_ptr<TPacket>(new TPacket_C_Ti(me, drawn, discard)));
    changeState(THINK_IDLE);
}

void TMahjongThinkDef::thinkKan() {
    const auto m = boost::dynamic_pointer_cast<TPacket_S_Kan>(kept_);
    mahjong::TTable* table = gameTable();
    u32 claim = CLAIM_NONE;
    TPai tile;
    int kanKind = 0;
    if (m) {
        tile = m->pai;
        kanKind = m->kanKind;
        mahjong::TPlayer* k = tablePlayer(m->seat);
        mahjong::TPlayer* me = tablePlayer(id());
        if (table && k && me) {
            const int dir = table->getDirection(id(), k->playerId);
            if (dir != mahjong::TD_MY && kanKind == mahjong::PS_KAKAN) {
                const u32 o = me->getKanCallOptions(tile, dir);
                if (o & mahjong::CK_RON) claim = CLAIM_RON;
            }
        }
    }
    send(C_KAN, boost::shared_ptr<TPacket>(new TPacket_C_Kan(static_cast<u8>(id()), claim, tile, kanKind)));
    changeState(THINK_IDLE);
}

namespace {

// The hand with the discard added, sorted.
TPaiArray withTile(const TPaiArray& hand, const TPai& d) {
    TPaiArray h = hand;
    h.push_back(d);
    h.sort();
    return h;
}

// The collected meld tiles without the first one that stands for the claimed tile, at most two.
void meldTilesOf(const TPaiArray& collected, const TPai& d, bool matchRed, TPai& m1, TPai& m2) {
    bool skipped = false;
    int n = 0;
    for (const TPai& t : collected) {
        const bool isClaimed = matchRed ? mahjong::isSamePai(t, d) : t.kind == d.kind;
        if (!skipped && isClaimed) {
            skipped = true;
            continue;
        }
        if (n == 0)
            m1 = t;
        else if (n == 1)
            m2 = t;
        ++n;
    }
    m1.state = mahjong::PS_FREE;
    m2.state = mahjong::PS_FREE;
}

}  // namespace

void TMahjongThinkDef::thinkSute() {
    const auto m = boost::dynamic_pointer_cast<TPacket_S_Sute>(kept_);
    mahjong::TTable* table = gameTable();
    mahjong::TPlayer* s = m ? tablePlayer(m->seat) : nullptr;
    mahjong::TPlayer* me = tablePlayer(id());
    const u8 own = static_cast<u8>(id());
    const TPai d = table ? table->getPai() : TPai();
    u32 o = 0;
    int dir = mahjong::TD_MY;
    if (table && s && me) {
        dir = table->getDirection(id(), s->playerId);
        if (dir != mahjong::TD_MY) o = me->getCallOptions(m->pai, dir);
    }
    if (o == 0) {
        send(C_SUTE, boost::shared_ptr<TPacket>(new TPacket_C_Sute(own, CLAIM_NONE, d)));
        changeState(THINK_IDLE);
        return;
    }
    u32 claim = CLAIM_NONE;
    TPai meld1, meld2;
    if (o & mahjong::CK_RON) {
        claim = CLAIM_RON;
    } else if (o & (mahjong::CK_PON | mahjong::CK_TI | mahjong::CK_MINKAN)) {
        mahjong::TRating* rating = ratingOf(*me);
        int best = rating->rate();
        if (o & mahjong::CK_PON) {
            TPaiArray h = withTile(me->hand, d);
            TPaiArray collected;
            for (TPai& t : h) {
                if (collected.size() >= 3) break;
                if (t.isFree() && t.kind == d.kind) {
                    t.state = mahjong::PS_PON;
                    collected.push_back(t);
                }
            }
            const int v = rating->rateDiscards(&h);
            if (v > best) {
                best = v;
                claim = CLAIM_PON;
                meldTilesOf(collected, d, true, meld1, meld2);
            }
        }
        if (o & mahjong::CK_TI) {
            const TPaiArray starts = me->getTiOptions();
            for (const TPai& c : starts) {
                TPaiArray h = withTile(me->hand, d);
                TPaiArray collected;
                for (TPai& t : h) {
                    if (collected.size() >= 3) break;
                    if (t.isFree() && t.kind == c.kind + static_cast<int>(collected.size())) {
                        t.state = mahjong::PS_TI_LOW + static_cast<int>(collected.size());
                        collected.push_back(t);
                    }
                }
                if (collected.size() < 3) continue;
                const int v = rating->rateDiscards(&h);
                if (v > best) {
                    best = v;
                    claim = CLAIM_TI;
                    meld1 = meld2 = TPai();
                    meldTilesOf(collected, d, false, meld1, meld2);
                }
            }
        }
        if (o & mahjong::CK_MINKAN) {
            TPaiArray h = withTile(me->hand, d);
            int kanTiles = 0;
            for (TPai& t : h) {
                if (kanTiles >= 4) break;
                if (t.isFree() && t.kind == d.kind) {
                    t.state = mahjong::PS_MINKAN;
                    ++kanTiles;
                }
            }
            const int v = rating->rate(&h);
            if (v > best) claim = CLAIM_KAN;
        }
    }
    send(C_SUTE, boost::shared_ptr<TPacket>(new TPacket_C_Sute(own, claim, d, meld1, meld2)));
    changeState(THINK_IDLE);
}

}  // namespace game::server
