#include "mahjong/judgement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "judge_fixture.h"
#include "mahjong/notation.h"

using namespace mahjong;
using mahjong::tileOf;
using mahjong::tilesOf;

namespace {

using Counts = std::array<int, 9>;

// An independent reading of a one-suit count vector: a pair and groups taken in group-id
// order (ids 0-8 triplets of a number, 9-15 sequences from a number), so that each
// decomposition comes out once as (pair, sorted group ids).
using Decomposition = std::pair<int, std::vector<int>>;

void groupsFrom(Counts& c, int minId, std::vector<int>& groups, int pair, std::set<Decomposition>& out) {
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
        if (v == 2)
            ++pairs;
        else if (v != 0)
            onlyPairs = false;
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
                if (!found.insert(readBack(*r)).second) {
                    ADD_FAILURE() << "a reading came out twice";
                    return;
                }
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

class JudgementTest : public mjtest::JudgeTest {};

TEST_F(JudgementTest, AnIsolatedSimpleEndsEveryModeAtOnce) {
    for (int mode : {JM_FULL, JM_AGARI, JM_TENPAI})
        EXPECT_FALSE(judge("123m 789s 11z 5p 22p 88p", "8p", WS_TUMO, mode)) << mode;
}

TEST_F(JudgementTest, AnswersTheTwoShortQuestions) {
    // Complete but without a yaku: complete for the tenpai question, no win.
    const char* plain = "123m 456m 789p 345s 9s";
    EXPECT_TRUE(judge(plain, "9s", WS_SHIMO, JM_TENPAI));
    EXPECT_FALSE(judge(plain, "9s", WS_SHIMO, JM_AGARI));
    EXPECT_FALSE(judge(plain, "9s", WS_SHIMO, JM_FULL));
    EXPECT_TRUE(judge(plain, "9s", WS_TUMO, JM_AGARI));
    EXPECT_TRUE(judgement.results().empty());  // the short questions keep no readings
    EXPECT_FALSE(judge(plain, "8s", WS_TUMO, JM_TENPAI));
    // Seven pairs and thirteen orphans answer both questions too.
    EXPECT_TRUE(judge("1122m 3344p 5566s 7z", "7z", WS_SHIMO, JM_TENPAI));
    EXPECT_TRUE(judge("1122m 3344p 5566s 7z", "7z", WS_SHIMO, JM_AGARI));
    EXPECT_TRUE(judge("119m 19p 19s 123456z", "7z", WS_SHIMO, JM_AGARI));
}

TEST_F(JudgementTest, SevenPairsAndTheRegularReadingBothComeBestFirst) {
    ASSERT_TRUE(judge("112233445566m 7s", "7s", WS_SHIMO));
    ASSERT_EQ(judgement.results().size(), 2u);
    const TJudge& first = *judgement.results()[0];
    const TJudge& second = *judgement.results()[1];
    EXPECT_TRUE(first.hasYaku(YAKU_RYANPEIKO));
    EXPECT_EQ(first.points, 5200);  // 40 fu 3 han
    EXPECT_TRUE(second.hasYaku(YAKU_CHIITOI));
    EXPECT_EQ(second.points, 1600);
    for (const TPai& t : second.hand) EXPECT_EQ(t.state, PS_HEAD);
}

TEST_F(JudgementTest, ADiscardOpensTheTripletItCompletes) {
    facts.riti = true;
    facts.ritiTurnValue = 8;
    auto statesOf = [&](int kind) {
        std::vector<int> states;
        for (const TPai& t : judgement.results().front()->hand)
            if (t.kind == kind) states.push_back(t.state);
        return states;
    };
    ASSERT_TRUE(judge("111m 99p 456s 789s 55z", "9p", WS_SHIMO));
    EXPECT_EQ(statesOf(26), (std::vector<int>{PS_PON, PS_PON, PS_PON}));
    EXPECT_EQ(statesOf(0), (std::vector<int>{PS_ANKO, PS_ANKO, PS_ANKO}));
    ASSERT_TRUE(judge("111m 99p 456s 789s 55z", "9p", WS_TUMO));
    EXPECT_EQ(statesOf(26), (std::vector<int>{PS_ANKO, PS_ANKO, PS_ANKO}));
}

TEST_F(JudgementTest, MeldsKeepTheirStatesInEveryReading) {
    facts.closed = false;
    ASSERT_TRUE(judge("c:123m p:555z 456p 789s 1s", "1s", WS_SHIMO));
    for (const auto& r : judgement.results()) {
        EXPECT_EQ(r->hand[0].state, PS_TI_LOW);
        EXPECT_EQ(r->hand[2].state, PS_TI_HIGH);
        EXPECT_EQ(r->hand[3].state, PS_PON);
        for (const TPai& t : r->hand) EXPECT_NE(t.state, PS_FREE);
    }
}

TEST_F(JudgementTest, HandsThatAreNoHandHaveNoReading) {
    // Seventeen free tiles would make five sets and a pair.
    EXPECT_FALSE(judge("111m 222m 333m 444m 555m 9m", "9m", WS_TUMO, JM_TENPAI));
    // A tile that is no tile is never part of a set.
    TPaiArray tiles = mahjong::tilesOf("123m 456m 789p 345s 9s 9s");
    tiles.push_back(TPai());
    EXPECT_FALSE(judgement.judge(JM_TENPAI, tiles.front(), WS_TUMO, &tiles));
    tiles.back() = TPai(200);
    EXPECT_FALSE(judgement.judge(JM_TENPAI, tiles.front(), WS_TUMO, &tiles));
    // No player and no tiles: nothing to read.
    TJudgement nobody(nullptr);
    EXPECT_FALSE(nobody.judge(JM_FULL, TPai(0), WS_TUMO));
    tiles.pop_back();
    EXPECT_TRUE(nobody.judge(JM_TENPAI, tiles.back(), WS_TUMO, &tiles));
}

TEST_F(JudgementTest, JudgesThePlayersOwnHandWhenGivenNoTiles) {
    facts.hand = mahjong::tilesOf("234m 456m 678p 345s 8s 8s");
    EXPECT_TRUE(judgement.judge(JM_FULL, mahjong::tileOf("8s"), WS_SHIMO));
    EXPECT_TRUE(judgement.results().front()->hasYaku(YAKU_TANYAO));
    judgement.clear();
    EXPECT_TRUE(judgement.results().empty());
}

TEST(JudgeCounts, QueriesAndYakuListHelpers) {
    TJudgeFactsData facts;
    const TPaiArray tiles = mahjong::tilesOf("c:123m 123m p:555z a:1111p");
    TJudge j(&facts, TPai(0), WS_TUMO, &tiles);
    j.histogram(true);
    EXPECT_EQ(j.count(0), 1);
    EXPECT_EQ(j.counts[1].begin, 4);
    EXPECT_EQ(j.count(31), 0);
    j.histogram(false);
    EXPECT_EQ(j.count(0), 2);
    EXPECT_EQ(j.counts[0].begin, 0);
    EXPECT_EQ(j.count(PAI_NONE), 0);
    EXPECT_EQ(j.count(-1), 0);
    EXPECT_EQ(j.countState(31, PS_PON), 3);
    EXPECT_TRUE(j.hasSeqPos(0, 0, 1));
    EXPECT_FALSE(j.hasSeqPos(0, 0, 2));
    EXPECT_TRUE(j.hasSet(31, 3));
    EXPECT_TRUE(j.hasSet(18, 4));
    EXPECT_TRUE(j.hasState(18, PS_ANKAN, 4));
    EXPECT_FALSE(j.hasState(18, PS_ANKAN, 5));
    j.addYaku(YAKU_DORA, 2);
    j.addYaku(YAKU_TANYAO, 1);
    j.prune(13);  // nothing reaches 13: unchanged
    EXPECT_EQ(j.totalHan(), 3);
    EXPECT_FALSE(j.hasYakuman());
    j.addYaku(YAKU_KOKUSHI, 13);
    EXPECT_TRUE(j.hasYakuman());
    j.prune(13);
    EXPECT_EQ(j.yaku, (std::vector<TJudge::TYaku>{{YAKU_KOKUSHI, 13}}));
    EXPECT_TRUE(j.hasYaku(YAKU_KOKUSHI));
    EXPECT_FALSE(j.hasYaku(YAKU_DORA));
}
