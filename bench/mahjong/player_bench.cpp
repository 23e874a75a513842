// The questions a computer player asks on every draw and every discard, and a settlement.
#include <benchmark/benchmark.h>

#include <boost/make_shared.hpp>

#include "mahjong/player.h"
#include "mahjong/table.h"

using namespace mahjong;

namespace {

struct TBenchTable {
    TBenchTable() : table(boost::make_shared<TRule>()) {
        for (int id = 0; id < 4; ++id) table.addPlayer(boost::make_shared<TPlayer>(&table, id));
        table.reset();
        table.decideSeats(1);
        table.startRound(2);
        table.decideOya(3);
        table.deal(4);
        table.sortHands();
    }
    TTable table;
};

// A tenpai hand of simples (234m 456p 678s 55p 34s) after drawing a 9m: every discard is
// tried for riichi.
TPaiArray tenpaiAfterDraw() {
    TPaiArray h;
    for (int k : {1, 2, 3, 21, 22, 23, 14, 15, 16, 22, 22, 11, 12, 8}) h.push_back(TPai(k));
    return h;
}

void BM_TumoActions(benchmark::State& state) {
    TBenchTable t;
    TPlayer& p = *t.table.seats[1];
    p.hand = tenpaiAfterDraw();
    p.lastTumo = TPai(8);
    p.lastTumoType = DRAW_WALL;
    for (auto _ : state) benchmark::DoNotOptimize(p.getTumoActions());
}
BENCHMARK(BM_TumoActions);

void BM_CallOptions(benchmark::State& state) {
    TBenchTable t;
    TPlayer& p = *t.table.seats[1];
    p.hand = tenpaiAfterDraw();
    p.hand.pop_back();
    for (auto _ : state) benchmark::DoNotOptimize(p.getCallOptions(TPai(22), TD_KAMI));
}
BENCHMARK(BM_CallOptions);

void BM_Tenpai(benchmark::State& state) {
    TBenchTable t;
    for (auto _ : state)
        for (auto& p : t.table.seats) benchmark::DoNotOptimize(p->isTenpai());
}
BENCHMARK(BM_Tenpai);

void BM_DealtHand(benchmark::State& state) {
    uint32_t seed = 0;
    for (auto _ : state) {
        TBenchTable t;
        t.table.startRound(++seed);
        t.table.deal(seed + 2);
        benchmark::DoNotOptimize(t.table.wall.size());
    }
}
BENCHMARK(BM_DealtHand);

}  // namespace
