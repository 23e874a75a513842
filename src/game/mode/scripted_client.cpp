#include "game/mode/scripted_client.h"

#include <algorithm>

#include "game/packets_c.h"
#include "game/packets_round.h"
#include "game/packets_s.h"
#include "game/server/task_game.h"
#include "game/server/think.h"
#include "mahjong/hand_eval.h"
#include "mahjong/notation.h"
#include "mahjong/player.h"

namespace game::mode {

using namespace game::server;

namespace {

// The computer player's logic on the client's own table instead of the room's.
class TMirrorThink : public TMahjongThinkDef {
public:
    TMirrorThink(TPlayer* seat, u32 key, TRandom* random, client::TTaskGame& client)
        : TMahjongThinkDef(seat, key, random), client_(client) {}

protected:
    mahjong::TTable* gameTable() const override {
        auto table = boost::dynamic_pointer_cast<TMahjongTable>(client_.table());
        return table ? &table->table() : nullptr;
    }

private:
    client::TTaskGame& client_;
};

void takeOutOfPond(mahjong::TPlayer& discarder) {
    if (!discarder.sutes.empty()) discarder.sutes.back().inPond = 0;
}

std::string tileText(const mahjong::TPai& t) { return mahjong::formatTiles({t}); }

}  // namespace

TScriptedClient::TScriptedClient(server::TTaskGame* server, TRandom* tieBreak)
    : client::TTaskGame(client::LINK_LOCAL, server), room_(server), tieBreak_(tieBreak) {}

TScriptedClient::~TScriptedClient() { think_.reset(); }

mahjong::TTable* TScriptedClient::mirror() const {
    auto table = boost::dynamic_pointer_cast<TMahjongTable>(const_cast<TScriptedClient*>(this)->table());
    return table ? &table->table() : nullptr;
}

mahjong::TPlayer* TScriptedClient::seated(int id, const char* where) {
    mahjong::TTable* t = mirror();
    mahjong::TPlayer* p = t ? t->getPlayer(id).get() : nullptr;
    if (!p) problem(std::string(where) + ": no player " + std::to_string(id));
    return p;
}

void TScriptedClient::update() {
    while (hasCmd()) {
        const TCmdPtr cmd = frontCmd();
        popCmd();
        ++messages_;
        lastBytes_ = cmd->bytes();
        follow(cmd->code(), cmd->bytes());
        if (think_) {
            think_->onReceive(static_cast<u32>(getOwnId()), cmd->code(),
                              cmd->bytes().empty() ? nullptr : cmd->bytes().data(),
                              static_cast<u32>(cmd->bytes().size()));
            // The server waits for this seat's decision: make it at once.
            if (think_->getState() != THINK_IDLE) think_->step();
        }
        if (observer_) observer_(*this, cmd->code(), !hasCmd());
    }
}

void TScriptedClient::follow(u32 code, const std::vector<u8>& bytes) {
    mahjong::TTable* t = mirror();
    if (!t) return;
    switch (code) {
        case S_ENTRY: {
            setOwnId(TPacket_S_Entry(bytes).playerId);
            TPlayer* seat = room_ ? room_->player(static_cast<u32>(getOwnId())).get() : nullptr;
            if (!seat) {
                problem("S_ENTRY: the server has no seat " + std::to_string(getOwnId()));
                break;
            }
            const u32 key = profile() ? profile()->character() : 0;
            think_.reset(new TMirrorThink(seat, key, tieBreak_, *this));
            break;
        }
        case S_ADDPLAYER: {
            const TPacket_S_AddPlayer m(bytes, boost::shared_ptr<TProfile>(new TMahjongProfile));
            ids_.insert(m.playerId);
            break;
        }
        case S_STARTROOM:
            TPacket_S_StartRoom(bytes, rule());
            break;
        case S_SITDOWN: {
            // The seats in the server's order (ascending ids), then the same seeded operations.
            t->seats.clear();
            for (int id : ids_) t->addPlayer(mahjong::TPlayerPtr(new mahjong::TPlayer(t, id)));
            // The players' evaluators break ties with the seat's generator, as the server's do.
            mahjong::installRatingFactory(*t, tieBreak_);
            t->reset();
            t->decideSeats(TPacket_S_Sitdown(bytes).value);
            break;
        }
        case S_STARTUP:
            t->test();
            break;
        case S_DEAL: {
            const u32 seed = TPacket_S_Deal(bytes).value;
            t->startRound(seed);
            if (t->isFirstRound()) t->decideOya(seed + 1);
            t->deal(seed + 2);
            break;
        }
        case S_TUMO:
        case S_RINSHAN: {
            const TPacket_S_SeatPai m = code == S_TUMO ? static_cast<TPacket_S_SeatPai>(TPacket_S_Tumo(bytes))
                                                       : static_cast<TPacket_S_SeatPai>(TPacket_S_Rinshan(bytes));
            mahjong::TPlayer* p = seated(m.seat, "S_TUMO");
            if (!p) break;
            const mahjong::TPai tile = code == S_TUMO ? t->tumo() : t->rinshan();
            if (!mahjong::isSamePai(tile, m.pai))
                problem("draw: own wall gave " + tileText(tile) + ", told " + tileText(m.pai));
            p->draw(tile, code == S_TUMO ? mahjong::DRAW_WALL : mahjong::DRAW_RINSHAN);
            break;
        }
        case S_RITI: {
            const TPacket_S_Riti m(bytes);
            if (mahjong::TPlayer* p = seated(m.seat, "S_RITI")) p->riti();
            break;
        }
        case S_SUTE: {
            const TPacket_S_Sute m(bytes);
            mahjong::TPlayer* p = seated(m.seat, "S_SUTE");
            if (!p) break;
            if (!p->sute(m.pai)) problem("S_SUTE: player " + std::to_string(m.seat) + " holds no " + tileText(m.pai));
            t->checkFuriten(m.pai, p->playerId, false);
            break;
        }
        case S_PON:
        case S_TI: {
            const bool pon = code == S_PON;
            const TPacket_S_Call m = pon ? static_cast<TPacket_S_Call>(TPacket_S_Pon(bytes))
                                         : static_cast<TPacket_S_Call>(TPacket_S_Ti(bytes));
            mahjong::TPlayer* caller = seated(m.seat, "S_PON");
            mahjong::TPlayer* from = seated(m.from, "S_PON");
            if (!caller || !from) break;
            const bool made =
                pon ? caller->pon(m.called, m.meld1, m.meld2, m.from) : caller->ti(m.called, m.meld1, m.meld2, m.from);
            if (!made) problem("call refused on the own table for player " + std::to_string(m.seat));
            takeOutOfPond(*from);
            t->nextTurn(m.seat);
            break;
        }
        case S_KAN: {
            const TPacket_S_Kan m(bytes);
            mahjong::TPlayer* maker = seated(m.seat, "S_KAN");
            mahjong::TPlayer* from = seated(m.from, "S_KAN");
            if (!maker || !from) break;
            const int kind = maker->kan(m.pai, m.from);
            if (kind != m.kanKind) problem("S_KAN: own table made kan kind " + std::to_string(kind));
            if (m.seat != m.from) takeOutOfPond(*from);
            t->nextTurn(m.seat);
            if (kind == mahjong::PS_KAKAN) t->checkFuriten(m.pai, m.seat, true);
            break;
        }
        case S_FAKE: {
            const TPacket_S_Fake m(bytes);
            if (mahjong::TPlayer* p = seated(m.seat, "S_FAKE"))
                p->useFake(static_cast<int>(m.ability), static_cast<int>(m.value), m.pai);
            break;
        }
        case S_NEXT: {
            const TPacket_S_Next m(bytes);
            const mahjong::TPlayerPtr next = t->nextTurn(-1);
            if (!next || next->playerId != m.seat) problem("S_NEXT: own table's turn differs");
            break;
        }
        case S_ROUNDRESULT: {
            const TPacket_S_RoundResult m(bytes);
            const mahjong::TRoundResult& told = m.result;
            // What the server did on its way to the result without telling anyone.
            if (told.code == mahjong::RE_NAGASHI) t->nextTurn(-1);
            if (told.code == mahjong::RE_SUFON) {
                if (mahjong::TPlayer* p = seated(told.playerId, "S_ROUNDRESULT")) p->sute(told.pai);
            }
            t->lastResult = told;
            t->lastResult.scores.clear();
            t->overRound();
            if (!(t->lastResult == told)) problem("S_ROUNDRESULT: own settlement differs");
            break;
        }
        case S_NEXTROUND:
            t->nextRound(TPacket_S_NextRound(bytes).continueFlag);
            break;
        default:
            break;
    }
}

std::vector<std::string> compareTables(const mahjong::TTable& a, const mahjong::TTable& b) {
    std::vector<std::string> out;
    auto check = [&](bool same, const std::string& what) {
        if (!same) out.push_back(what);
    };
    check(a.roundWind == b.roundWind && a.handNumber == b.handNumber && a.dealerStreak == b.dealerStreak &&
              a.honba == b.honba && a.gameOver == b.gameOver && a.ritiDeposit == b.ritiDeposit,
          "round counters");
    check(a.turn == b.turn, "turn " + std::to_string(a.turn) + " vs " + std::to_string(b.turn));
    check(a.deadWallOffset == b.deadWallOffset && a.dice == b.dice && a.diceSum == b.diceSum, "dice or dora count");
    auto sameTiles = [](const mahjong::TPaiArray& x, const mahjong::TPaiArray& y) {
        return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [](const auto& p, const auto& q) {
                   return p.kind == q.kind && p.red == q.red && p.state == q.state;
               });
    };
    check(sameTiles(a.wall, b.wall), "wall");
    check(mahjong::isSamePai(a.pai, b.pai),
          "tile in play " + mahjong::formatTile(a.pai) + " vs " + mahjong::formatTile(b.pai));
    check(a.seats.size() == b.seats.size(), "seat count");
    for (size_t i = 0; i < std::min(a.seats.size(), b.seats.size()); ++i) {
        const mahjong::TPlayer* p = a.seats[i].get();
        const mahjong::TPlayer* q = b.seats[i].get();
        const std::string seat = "seat " + std::to_string(i) + " ";
        if (!p || !q) {
            check(!p && !q, seat + "taken on one side only");
            continue;
        }
        check(p->playerId == q->playerId && p->kaze == q->kaze && p->fixedSeat == q->fixedSeat,
              seat + "player or wind");
        check(p->points == q->points,
              seat + "points " + std::to_string(p->points) + " vs " + std::to_string(q->points));
        check(p->rank == q->rank, seat + "rank");
        mahjong::TPaiArray h1 = p->hand, h2 = q->hand;
        h1.sortAlt();
        h2.sortAlt();
        check(sameTiles(h1, h2), seat + "hand " + mahjong::formatTiles(h1) + " vs " + mahjong::formatTiles(h2));
        check(p->sutes.size() == q->sutes.size() && std::equal(p->sutes.begin(), p->sutes.end(), q->sutes.begin(),
                                                               [](const auto& x, const auto& y) {
                                                                   return mahjong::isSamePai(x, y) &&
                                                                          x.inPond == y.inPond;
                                                               }),
              seat + "discards");
        check(p->ritiFlag == q->ritiFlag && p->ritiAt == q->ritiAt && p->closed == q->closed &&
                  p->kanCount == q->kanCount && p->furiten == q->furiten,
              seat + "riichi, furiten or call state");
    }
    return out;
}

}  // namespace game::mode
