#include "mahjong/judgement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "mahjong/hand_notation.h"

using namespace mahjong;
using mjtest::hand;
using mjtest::pai;

namespace {

using Counts = std::array<int, 9>;

// An independent reading of a one-suit count vector: a pair and groups taken in group-id
// order (ids 0-8 triplets of a number, 9-15 sequences from a number), so that each
// decomposition comes out once as (pair, sorted group ids).
using Decomposition = std::pair<int, std::vector<int>>;

void groupsFrom(Counts& c, int minId, std::vector<int>& groups, int pair,
                std::set<Decomposition>& out) {
    bool empty = std::all_of(c.begin(), c.end(), [](int v) { return v == 0; });
    if (empty) {
        out.insert({pair, groups});
        return;
    }
    for (int id = minId; id < 16; ++id) {
        if (id < 9) {
            if (c[id] < 3) continue;
            c[id] -= 3;
            groups.push_back(id);
            groupsFrom(c, id, groups, pair, out);
            groups.pop_back();
            c[id] += 3;
        } else {
            const int s = id - 9;
            if (c[s] < 1 || c[s + 1] < 1 || c[s + 2] < 1) continue;
            --c[s], --c[s + 1], --c[s + 2];
            groups.push_back(id);
            groupsFrom(c, id, groups, pair, out);
            groups.pop_back();
            ++c[s], ++c[s + 1], ++c[s + 2];
        }
    }
}

std::set<Decomposition> decompose(Counts c) {
    std::set<Decomposition> out;
    for (int p = 0; p < 9; ++p) {
        if (c[p] < 2) continue;
        c[p] -= 2;
        std::vector<int> groups;
        groupsFrom(c, 0, groups, p, out);
        c[p] += 2;
    }
    int pairs = 0;
    bool onlyPairs = true;
    for (int v : c) {
        if (v == 2) ++pairs;
        else if (v != 0) onlyPairs = false;
    }
    if (onlyPairs && pairs == 7) out.insert({-1, {}});  // seven pairs
    return out;
}

Decomposition readBack(const TJudge& j) {
    if (j.hasYaku(YAKU_CHIITOI)) return {-1, {}};
    int pair = -2;
    std::vector<int> groups;
    for (const TPai& t : j.hand) {
        if (t.state == PS_HEAD) pair = t.kind % 9;
        if (t.state == PS_ANKO || t.state == PS_PON) groups.push_back(t.kind % 9);  // three each
        if (t.state == PS_SEQ_LOW) groups.push_back(9 + t.kind % 9);
    }
    std::vector<int> sets;
    std::sort(groups.begin(), groups.end());
    for (size_t i = 0; i < groups.size();) {
        sets.push_back(groups[i]);
        i += groups[i] < 9 ? 3 : 1;
    }
    return {pair, sets};
}

}  // namespace

TEST(JudgementSearch, AgreesWithAnIndependentDecompositionOverEveryOneSuitHand) {
    TJudgeFactsData facts;
    TJudgement judgement(&facts);
    int vectors = 0, complete = 0;
    Counts c{};
    // Walk every count vector of nine kinds, 0-4 each, summing to 14.
    std::function<void(int, int)> walk = [&](int k, int left) {
        if (k == 9) {
            if (left != 0) return;
            ++vectors;
            TPaiArray tiles;
            for (int i = 0; i < 9; ++i)
                for (int n = 0; n < c[i]; ++n) tiles.push_back(TPai(9 + i));  // bamboo
            const TPai winning = tiles.back();
            const auto expected = decompose(c);
            const bool tenpai = judgement.judge(JM_TENPAI, winning, WS_TUMO, &tiles);
            ASSERT_EQ(tenpai, !expected.empty());
            const bool agari = judgement.judge(JM_AGARI, winning, WS_TUMO, &tiles);
            ASSERT_EQ(agari, !expected.empty());  // a one-suit hand always has a flush
            const bool full = judgement.judge(JM_FULL, winning, WS_TUMO, &tiles);
            ASSERT_EQ(full, !expected.empty());
            std::set<Decomposition> found;
            for (const auto& r : judgement.results()) {
                const bool fresh = found.insert(readBack(*r)).second;
                if (!fresh) { std::string h; for (int i=0;i<9;++i) h += std::to_string(c[i]); ADD_FAILURE() << "a reading came out twice: " << h; for (const auto& rr : judgement.results()) { std::string st; for (const TPai& t : rr->hand) st += std::to_string(t.kind%9+1) + ":" + std::to_string(t.state) + " "; ADD_FAILURE() << st; } return; }
            }
            ASSERT_EQ(found, expected);
            if (tenpai) ++complete;
            return;
        }
        for (int n = 0; n <= std::min(4, left); ++n) {
            c[k] = n;
            walk(k + 1, left - n);
        }
        c[k] = 0;
    };
    walk(0, 14);
    EXPECT_EQ(vectors, 118800);
    EXPECT_EQ(complete, 13277);
}
