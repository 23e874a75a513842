#pragma once
// Test seats for whole hands and matches on the server, headless inside one scheduler.
//
// TestSeat answers every server message as the table client does (discard the drawn tile,
// claim nothing, acknowledge everything). Each seat also holds a script: steps that are offered
// each message first, so a test can make a seat take a claim or discard a given tile. TestRoom
// lets a test stack the wall and the hands right after each deal, and counts what it sent.
#include <boost/shared_ptr.hpp>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/random.h"
#include "framework/task.h"
#include "game/packets_c.h"
#include "game/packets_round.h"
#include "game/packets_s.h"
#include "game/server/mahjong_game.h"
#include "game/server/round_states.h"
#include "mahjong/notation.h"
#include "mahjong/player.h"
#include "mahjong/table.h"

namespace seats {

using namespace game;
using namespace game::server;
using Bytes = std::vector<u8>;
using mahjong::TPai;

using mahjong::tileOf;
using mahjong::tilesOf;

// One line of the message trace: a server message (as the seat with the lowest id got it) or
// a seat's answer (as it was sent).
struct TraceLine {
    u32 code;
    int seat;  // receiver for a server message, sender for an answer
    bool operator==(const TraceLine& o) const { return code == o.code && seat == o.seat; }
};
using Trace = std::vector<TraceLine>;

class TestSeat;
// A script step: offered each message the seat gets (before the default answer). It returns
// true when it has dealt with the message (answered it, or decided to stay silent); the step
// is then used up.
using Step = std::function<bool(TestSeat& seat, u32 code, const Bytes& bytes)>;

class TestSeat : public TThink {
public:
    TestSeat(TPlayer* seat, Trace* trace) : TThink(seat), trace_(trace) {}

    // Held answers are sent here, one frame after the message, as a client task would.
    void step() override {
        if (holding) return;
        auto held = std::move(held_);
        held_.clear();
        for (auto& [code, bytes] : held) sendNow(code, bytes);
    }

    int onReceive(u32 seatId, u32 code, const u8* data, u32 length) override {
        const Bytes bytes(data, data + length);
        received.push_back({code, bytes});
        if (trace_ && isFirstSeat()) trace_->push_back({code, static_cast<int>(seatId)});
        if (!script.empty() && script.front()(*this, code, bytes)) {
            script.pop_front();
            return 0;
        }
        answer(code, bytes);
        return 0;
    }

    // The answer the table client gives.
    void answer(u32 code, const Bytes& bytes) {
        const u8 me = static_cast<u8>(id());
        switch (code) {
            case S_STARTROOM:
                reply(C_READY, Bytes());
                break;
            case S_SITDOWN:
                reply(C_SITDOWN, Bytes());
                break;
            case S_STARTUP:
                reply(C_STARTUP, Bytes());
                break;
            case S_DEAL:
                reply(C_DEAL, Bytes());
                break;
            case S_STARTROUND:
                reply(C_STARTROUND, Bytes());
                break;
            case S_TUMO:
            case S_RINSHAN: {
                TPacket_S_Tumo m(bytes);
                if (m.seat != me) break;
                const TPai drawn = player().lastTumo;
                if (code == S_TUMO)
                    reply(C_TUMO, TPacket_C_Tumo(me, CLAIM_SUTE, drawn, drawn));
                else
                    reply(C_RINSHAN, TPacket_C_Rinshan(me, CLAIM_SUTE, drawn, drawn));
                break;
            }
            case S_PON:
            case S_TI: {
                TPacket_S_Pon m(bytes);
                if (m.seat != me) break;
                const TPai out = lastFree();
                if (code == S_PON)
                    reply(C_PON, TPacket_C_Pon(me, player().lastTumo, out));
                else
                    reply(C_TI, TPacket_C_Ti(me, player().lastTumo, out));
                break;
            }
            case S_KAN: {
                TPacket_S_Kan m(bytes);
                reply(C_KAN, TPacket_C_Kan(me, CLAIM_NONE, m.pai, m.kanKind));
                break;
            }
            case S_SUTE: {
                TPacket_S_Sute m(bytes);
                reply(C_SUTE, TPacket_C_Sute(me, CLAIM_NONE, m.pai));
                break;
            }
            case S_FAKE: {
                TPacket_S_Fake m(bytes);
                reply(C_FAKE, TPacket_C_Fake(m.seat, m.ability, m.value, m.pai));
                break;
            }
            case S_ROUNDRESULT: {
                TPacket_S_RoundResult m(bytes);
                reply(C_ROUNDRESULT, TPacket_C_RoundResult(me, m.result, continueFlag));
                break;
            }
            case S_NEXTROUND: {
                TPacket_S_NextRound m(bytes);
                reply(C_NEXTROUND, TPacket_C_NextRound(m.continueFlag, table().gameOver));
                break;
            }
            case S_RESULT:
                reply(C_END, Bytes{endByte});
                break;
            default:
                break;
        }
    }

    void reply(u32 code, const TPacket& packet) { reply(code, packet.toBytes()); }
    void reply(u32 code, const Bytes& bytes) {
        if (deferred || holding)
            held_.push_back({code, bytes});
        else
            sendNow(code, bytes);
    }
    void sendNow(u32 code, const Bytes& bytes) {
        for (int k = 0; k < copies; ++k) {
            if (trace_) trace_->push_back({code, id()});
            send(code, bytes);
        }
    }

    // The seat's player on the server's table: the computer players read the server's table.
    mahjong::TTable& table() const {
        auto* room = static_cast<TTaskMahjongGame*>(task());
        return room->mahjongTable()->table();
    }
    mahjong::TPlayer& player() const { return *table().getPlayer(id()); }
    TPai lastFree() const {
        const auto& hand = player().hand;
        for (size_t i = hand.size(); i-- > 0;)
            if (hand[i].isFree()) return hand[i];
        return TPai();
    }

    std::deque<Step> script;
    std::vector<std::pair<u32, Bytes>> received;
    bool deferred = false;  // answer one frame later
    bool holding = false;   // keep every answer until released
    bool continueFlag = false;
    u8 endByte = 0;
    int copies = 1;  // how many times each answer is sent

private:
    bool isFirstSeat() const {
        const auto& players = task()->players();
        return !players.empty() && players.begin()->first == static_cast<u32>(id());
    }

    Trace* trace_;
    std::vector<std::pair<u32, Bytes>> held_;
};

// Script steps.

// On the seat's own draw (or replacement draw): this action with this tile.
inline Step onDraw(u32 action, const TPai& chosen) {
    return [=](TestSeat& s, u32 code, const Bytes& b) {
        if (code != S_TUMO && code != S_RINSHAN) return false;
        if (TPacket_S_Tumo(b).seat != s.id()) return false;
        const u8 me = static_cast<u8>(s.id());
        const TPai drawn = s.player().lastTumo;
        if (code == S_TUMO)
            s.reply(C_TUMO, TPacket_C_Tumo(me, action, drawn, chosen));
        else
            s.reply(C_RINSHAN, TPacket_C_Rinshan(me, action, drawn, chosen));
        return true;
    };
}

// On the next S_SUTE whose tile is of this kind: this claim with these hand tiles.
inline Step claimOn(const TPai& discard, u32 claim, const TPai& m1 = TPai(), const TPai& m2 = TPai()) {
    return [=](TestSeat& s, u32 code, const Bytes& b) {
        if (code != S_SUTE) return false;
        TPacket_S_Sute m(b);
        if (m.pai.kind != discard.kind) return false;
        s.reply(C_SUTE, TPacket_C_Sute(static_cast<u8>(s.id()), claim, m.pai, m1, m2));
        return true;
    };
}

// After the seat's own pon or chi: discard this tile.
inline Step discardAfterCall(const TPai& out) {
    return [=](TestSeat& s, u32 code, const Bytes& b) {
        if (code != S_PON && code != S_TI) return false;
        if (TPacket_S_Pon(b).seat != s.id()) return false;
        const u8 me = static_cast<u8>(s.id());
        if (code == S_PON)
            s.reply(C_PON, TPacket_C_Pon(me, s.player().lastTumo, out));
        else
            s.reply(C_TI, TPacket_C_Ti(me, s.player().lastTumo, out));
        return true;
    };
}

// On the next S_KAN: this claim (0x20 robs the kan).
inline Step answerKan(u32 claim) {
    return [=](TestSeat& s, u32 code, const Bytes& b) {
        if (code != S_KAN) return false;
        TPacket_S_Kan m(b);
        s.reply(C_KAN, TPacket_C_Kan(static_cast<u8>(s.id()), claim, m.pai, m.kanKind));
        return true;
    };
}

// A room whose deals a test can stack, which counts what the machines sent.
class TestRoom : public TTaskMahjongGame {
public:
    // Called right after each deal with the table and the number of the hand (0 first).
    std::function<void(mahjong::TTable&, int hand)> onDeal;

    void updateGame() override {
        const bool dealing = subStep() == ST_DEAL;
        TTaskMahjongGame::updateGame();
        if (dealing && subStep() == ST_DEAL_WAIT) {
            if (onDeal) onDeal(mahjongTable()->table(), hands);
            ++hands;
        }
    }
    int hands = 0;
};

// Makes the hands of the seats (by position from the dealer: 0 the dealer) and the wall after a
// deal: the wall's front holds the draws in turn order, its end the replacement tiles (the
// first replacement draw last). Seats given no hand get the first tiles left over. Every tile
// of the set is used once.
inline void stack(mahjong::TTable& table, const std::vector<std::string>& hands, const std::string& draws = "",
                  const std::string& replacements = "") {
    const int n = table.playerCount();
    std::vector<TPai> pool(table.wall.begin(), table.wall.end());
    for (int k = 0; k < n; ++k) {
        auto& hand = table.seatAt(table.handNumber + k)->hand;
        pool.insert(pool.end(), hand.begin(), hand.end());
        hand.clear();
    }
    auto take = [&](const TPai& want) {
        // A plain tile for a plain one, a red five for a red one.
        for (size_t i = 0; i < pool.size(); ++i) {
            if (pool[i].kind == want.kind && pool[i].red == want.red) {
                TPai t = pool[i];
                pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(i));
                t.state = mahjong::PS_FREE;
                return t;
            }
        }
        throw std::invalid_argument("tile not left in the set");
    };
    std::vector<std::vector<TPai>> made(static_cast<size_t>(n));
    for (int k = 0; k < n && k < static_cast<int>(hands.size()); ++k)
        for (const TPai& t : tilesOf(hands[static_cast<size_t>(k)])) made[static_cast<size_t>(k)].push_back(take(t));
    std::vector<TPai> front, back;
    for (const TPai& t : tilesOf(draws)) front.push_back(take(t));
    for (const TPai& t : tilesOf(replacements)) back.push_back(take(t));
    for (int k = 0; k < n; ++k) {
        auto& m = made[static_cast<size_t>(k)];
        while (m.size() < 13) {
            m.push_back(pool.front());
            pool.erase(pool.begin());
        }
        auto& hand = table.seatAt(table.handNumber + k)->hand;
        for (const TPai& t : m) hand.push_back(t);
    }
    table.wall.clear();
    for (const TPai& t : front) table.wall.push_back(t);
    for (const TPai& t : pool) table.wall.push_back(t);
    for (auto it = back.rbegin(); it != back.rend(); ++it) table.wall.push_back(*it);
    table.sortHands();
}

// A room of test seats under one scheduler.
struct Match {
    explicit Match(int players = 4, u32 seed = 1) : random(seed) {
        room = new TestRoom;
        room->setErrorSink([this](const std::string& t) { errors.push_back(t); });
        room->setThinkFactory([this](TPlayer& seat, u32) {
            seatList.emplace_back(new TestSeat(&seat, &trace));
            return seatList.back();
        });
        room->init();
        room->mahjongRule()->setDefault();
        room->mahjongRule()->setPlayerNum(static_cast<u32>(players));
        room->setRandom(&random);
        for (int k = 0; k < players; ++k) {
            boost::shared_ptr<TMahjongProfile> p(new TMahjongProfile);
            p->setName("seat");
            room->addComputer(static_cast<u32>(k), p);
        }
        manager.add(room);
    }
    ~Match() { manager.terminate(); }
    Match(const Match&) = delete;
    Match& operator=(const Match&) = delete;

    mahjong::TRule& rule() { return *room->mahjongRule()->rule(); }
    mahjong::TTable& table() { return room->mahjongTable()->table(); }
    // The seat at this position from the dealer of the current hand (0 the dealer).
    TestSeat& seatFrom(int k) {
        const int id = table().seatAt(table().handNumber + k)->playerId;
        return *seatList.at(static_cast<size_t>(id));
    }
    TestSeat& seat(int id) { return *seatList.at(static_cast<size_t>(id)); }

    // Runs scheduler passes until the stop test holds (or the limit is reached). A check, when
    // set, runs after every pass.
    bool runUntil(const std::function<bool()>& stop, int limit = 20000) {
        for (int i = 0; i < limit; ++i) {
            if (stop()) return true;
            manager.run();
            ++frames;
            if (check) check();
        }
        return stop();
    }
    bool runToEnd(int limit = 200000) {
        return runUntil([this] { return room->isFinished(); }, limit);
    }
    // Runs until the first hand has been settled (the round result is out).
    bool runHand(int limit = 20000) {
        // Stops once the hand is settled: the round result is out.
        return runUntil(
            [this] {
                if (room->step() != ROOM_GAME) return room->step() == ROOM_END;
                return room->subStep() > ST_ROUNDRESULT ||
                       (room->subStep() == ST_ROUNDRESULT && room->subSubStep() == 1);
            },
            limit);
    }

    // Codes in the trace from the given position on.
    std::vector<u32> codes(size_t from = 0) const {
        std::vector<u32> out;
        for (size_t i = from; i < trace.size(); ++i) out.push_back(trace[i].code);
        return out;
    }

    TRandom random;
    TTaskManager manager{128, 128};
    TestRoom* room;
    std::vector<boost::shared_ptr<TestSeat>> seatList;
    Trace trace;
    std::vector<std::string> errors;
    std::function<void()> check;
    int frames = 0;
};

// Every hand holds 13 tiles plus one per kan, and the player to act may hold one more. Empty
// when that holds, else what is wrong.
inline std::string handSizeFault(const mahjong::TTable& table) {
    const auto& acting = table.currentPlayer();
    for (const auto& p : table.seats) {
        if (!p) continue;
        const int base = 13 + p->kanCount;
        const int size = static_cast<int>(p->hand.size());
        if (size == base || (p == acting && size == base + 1)) continue;
        std::ostringstream out;
        out << "player " << p->playerId << " holds " << size << " tiles with " << p->kanCount << " kans";
        return out.str();
    }
    return "";
}

}  // namespace seats
