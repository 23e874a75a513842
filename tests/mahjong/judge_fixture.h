#pragma once
// Judging a hand written as a string, for the search, yaku and score tests.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>

#include "mahjong/notation.h"
#include "mahjong/judgement.h"

namespace mjtest {

class JudgeTest : public ::testing::Test {
protected:
    // Judges the tiles plus the winning tile (appended last) in the given mode. The default
    // facts: a closed hand in the south seat of the east round, well into the hand.
    bool judge(std::string_view tiles, std::string_view win, int source, int mode = mahjong::JM_FULL) {
        hand_ = mahjong::tilesOf(tiles);
        hand_.push_back(mahjong::tileOf(win));
        return judgement.judge(mode, hand_.back(), source, &hand_);
    }

    // The best reading, or null when there is none.
    const mahjong::TJudge* best(std::string_view tiles, std::string_view win, int source) {
        if (!judge(tiles, win, source)) return nullptr;
        return judgement.results().front().get();
    }

    // The best reading's yaku as id → han; empty when there is no reading.
    std::map<int, int> yaku(std::string_view tiles, std::string_view win, int source) {
        std::map<int, int> out;
        if (const mahjong::TJudge* j = best(tiles, win, source))
            for (const auto& [id, han] : j->yaku) out[id] += han;
        return out;
    }

    mahjong::TJudgeFactsData facts;
    mahjong::TJudgement judgement{&facts};

private:
    mahjong::TPaiArray hand_;
};

using Yaku = std::map<int, int>;

}  // namespace mjtest
