// The computer player's cost: one decision after a draw, one answer to a discard it could call,
// with their 50th and 99th percentiles, and whole east-round matches per second on one core.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <boost/make_shared.hpp>
#include <chrono>
#include <vector>

#include "game/mode/match_sim.h"
#include "game/packets_s.h"
#include "game/server/mahjong_game.h"
#include "game/server/think.h"
#include "mahjong/hand_eval.h"
#include "mahjong/player.h"
#include "mahjong/table.h"

using namespace game;
using namespace game::server;

namespace {

// Four computer seats at a dealt table; seat 1 decides.
struct Table {
    Table() {
        for (int k = 0; k < 15; ++k)
            mahjong::setRatingProfile(k, mahjong::kFreePlayProfiles[mahjong::kFreePlayProfileIndex[k]]);
        room.setErrorSink([](const std::string&) {});
        room.setThinkFactory([this](TPlayer& seat, u32 key) {
            thinks.emplace_back(new TMahjongThinkDef(&seat, key, &random));
            return thinks.back();
        });
        room.init();
        room.mahjongRule()->setDefault();
        for (u32 i = 0; i < 4; ++i) room.addComputer(i * 3, boost::make_shared<TMahjongProfile>());
        t = &room.mahjongTable()->table();
        for (int id = 0; id < 4; ++id) t->addPlayer(boost::make_shared<mahjong::TPlayer>(t, id));
        t->reset();
        t->decideSeats(1);
    }
    // A fresh deal; seat 1 (any wind) holds thirteen tiles.
    void deal(u32 seed) {
        t->startRound(seed);
        t->decideOya(seed + 1);
        t->deal(seed + 2);
        for (u32 id = 0; id < 4; ++id) room.send(id, S_DEAL, nullptr, 0);
        room.cmdQueue().clear();
    }
    mahjong::TPlayer& p(int id) { return *t->getPlayer(id); }

    TTaskMahjongGame room;
    TRandom random{3};
    std::vector<boost::shared_ptr<TMahjongThinkDef>> thinks;
    mahjong::TTable* t = nullptr;
};

void percentiles(benchmark::State& state, std::vector<double>& us) {
    if (us.empty()) return;
    std::sort(us.begin(), us.end());
    state.counters["p50_us"] = us[us.size() / 2];
    state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
}

// Seat 1 makes its decision; the wall time it took, in microseconds, is added to us.
void timeDecision(Table& table, std::vector<double>& us) {
    const auto start = std::chrono::steady_clock::now();
    table.thinks[1]->step();
    us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
}

void BM_DrawDecision(benchmark::State& state) {
    Table table;
    std::vector<double> us;
    u32 seed = 1;
    for (auto _ : state) {
        state.PauseTiming();
        if (seed % 8 == 1) table.deal(seed);
        ++seed;
        const mahjong::TPai tile = table.t->tumo();
        mahjong::TPlayer& me = table.p(1);
        me.draw(tile, mahjong::DRAW_WALL);
        table.room.send(1, S_TUMO, boost::shared_ptr<TPacket>(new TPacket_S_Tumo(1, tile)));
        state.ResumeTiming();
        timeDecision(table, us);
        state.PauseTiming();
        // Carry the decision out so that the next draw meets a hand of thirteen again.
        TPacket_C_Tumo answer(table.room.frontCmd()->bytes());
        table.room.cmdQueue().clear();
        if (!me.sute(answer.chosen)) me.sute(me.hand.back());
        if (me.ritiFlag || answer.action != CLAIM_SUTE || table.t->leftCount() < 8) table.deal(seed * 7);
        me.ritiFlag = false;
        state.ResumeTiming();
    }
    percentiles(state, us);
}
BENCHMARK(BM_DrawDecision);

void BM_CallDecision(benchmark::State& state) {
    // A discard that seat 1 may pon and chi: it weighs every call against its hand.
    Table table;
    std::vector<double> us;
    u32 seed = 1;
    for (auto _ : state) {
        state.PauseTiming();
        table.deal(seed++);
        mahjong::TPlayer& me = table.p(1);
        // The seat before seat 1 discards a tile seat 1 holds twice with neighbours around it.
        me.hand.erase(me.hand.begin(), me.hand.begin() + 5);
        for (int k : {3, 3, 2, 4, 5}) me.hand.push_back(mahjong::TPai(k));
        me.hand.sort();
        const int before = table.t->getSeatIndex(1) + 3;
        mahjong::TPlayer& discarder = *table.t->seatAt(before);
        discarder.hand.push_back(mahjong::TPai(3));
        discarder.sute(mahjong::TPai(3));
        table.room.send(
            1, S_SUTE,
            boost::shared_ptr<TPacket>(new TPacket_S_Sute(static_cast<u8>(discarder.playerId), mahjong::TPai(3))));
        state.ResumeTiming();
        timeDecision(table, us);
        state.PauseTiming();
        table.room.cmdQueue().clear();
        state.ResumeTiming();
    }
    percentiles(state, us);
}
BENCHMARK(BM_CallDecision);

void BM_EastMatch(benchmark::State& state) {
    u32 seed = 1;
    for (auto _ : state) {
        TMatchOptions options;
        options.seed = seed++;
        options.compareTables = false;
        const TMatchReport r = runMatch(options);
        benchmark::DoNotOptimize(r.digest);
        if (!r.ok()) state.SkipWithError("a match reported an error");
    }
    state.SetItemsProcessed(state.iterations());  // items per second: matches per second
}
BENCHMARK(BM_EastMatch)->Unit(benchmark::kMillisecond);

}  // namespace
