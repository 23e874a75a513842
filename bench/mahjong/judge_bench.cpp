// The hand search on the three questions the game asks most.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "mahjong/judgement.h"

using namespace mahjong;

namespace {

constexpr int kHands = 4096;

std::vector<int> shuffledWall(std::mt19937& rng) {
    std::vector<int> wall;
    for (int k = 0; k < 34; ++k)
        for (int c = 0; c < 4; ++c) wall.push_back(k);
    std::shuffle(wall.begin(), wall.end(), rng);
    return wall;
}

TPaiArray sortedHand(std::vector<int> kinds) {
    std::sort(kinds.begin(), kinds.end());
    TPaiArray hand;
    for (int k : kinds) hand.push_back(TPai(k));
    return hand;
}

// Hands of `size` tiles dealt from a shuffled wall.
std::vector<TPaiArray> randomHands(int size, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<TPaiArray> hands;
    for (int i = 0; i < kHands; ++i) {
        auto wall = shuffledWall(rng);
        hands.push_back(sortedHand(std::vector<int>(wall.begin(), wall.begin() + size)));
    }
    return hands;
}

// Complete hands: four random sets and a pair, never more than four tiles of a kind.
std::vector<TPaiArray> winningHands(unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<TPaiArray> hands;
    while (static_cast<int>(hands.size()) < kHands) {
        int count[34] = {};
        std::vector<int> kinds;
        auto take = [&](int k, int n) {
            if (count[k] + n > 4) return false;
            count[k] += n;
            for (int i = 0; i < n; ++i) kinds.push_back(k);
            return true;
        };
        bool ok = take(rng() % 34, 2);
        for (int s = 0; s < 4 && ok; ++s) {
            if (rng() % 3 == 0) {
                ok = take(rng() % 34, 3);
            } else {
                const int suit = rng() % 3, start = rng() % 7;
                const int k = suit * 9 + start;
                ok = take(k, 1) && take(k + 1, 1) && take(k + 2, 1);
            }
        }
        if (ok) hands.push_back(sortedHand(kinds));
    }
    return hands;
}

// Hands one tile from complete: a winning hand less one random tile.
std::vector<TPaiArray> waitingHands(unsigned seed) {
    std::mt19937 rng(seed);
    auto hands = winningHands(seed);
    for (auto& h : hands) h.erase(h.begin() + rng() % h.size());
    return hands;
}

// Is the hand complete, its last tile taken as the drawn one.
void completeQuestion(benchmark::State& state, const std::vector<TPaiArray>& hands) {
    TJudgeFactsData facts;
    TJudgement judgement(&facts);
    size_t i = 0;
    for (auto _ : state) {
        const TPaiArray& h = hands[i++ % hands.size()];
        benchmark::DoNotOptimize(judgement.judge(JM_TENPAI, h.back(), WS_TUMO, &h));
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_CompleteQuestionRandomHands(benchmark::State& state) { completeQuestion(state, randomHands(14, 1)); }
BENCHMARK(BM_CompleteQuestionRandomHands);

void BM_CompleteQuestionWinningHands(benchmark::State& state) { completeQuestion(state, winningHands(2)); }
BENCHMARK(BM_CompleteQuestionWinningHands);

// Is the hand one tile from complete: each of the 36 kinds added in turn, as the player's
// tenpai test does, but never stopping early. One iteration is one hand (36 searches).
void tenpaiOver36(benchmark::State& state, const std::vector<TPaiArray>& hands) {
    TJudgeFactsData facts;
    TJudgement judgement(&facts);
    size_t i = 0;
    for (auto _ : state) {
        TPaiArray h = hands[i++ % hands.size()];
        int waits = 0;
        for (int k = 0; k < PAI_KIND_COUNT; ++k) {
            h.push_back(TPai(k));
            waits += judgement.judge(JM_TENPAI, h.back(), WS_TUMO, &h);
            h.pop_back();
        }
        benchmark::DoNotOptimize(waits);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_TenpaiQuestionRandomHands(benchmark::State& state) { tenpaiOver36(state, randomHands(13, 3)); }
BENCHMARK(BM_TenpaiQuestionRandomHands);

void BM_TenpaiQuestionWaitingHands(benchmark::State& state) { tenpaiOver36(state, waitingHands(4)); }
BENCHMARK(BM_TenpaiQuestionWaitingHands);

// Every reading of a winning hand with its yaku and points.
void BM_FullJudgementWinningHands(benchmark::State& state) {
    const auto hands = winningHands(5);
    TJudgeFactsData facts;
    facts.doras = {TPai(4)};
    TJudgement judgement(&facts);
    size_t i = 0;
    for (auto _ : state) {
        const TPaiArray& h = hands[i % hands.size()];
        const int source = (i++ & 1) ? WS_TUMO : WS_KAMI;
        benchmark::DoNotOptimize(judgement.judge(JM_FULL, h.back(), source, &h));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FullJudgementWinningHands);

}  // namespace
