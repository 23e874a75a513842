// The hand evaluator: which discard it picks, what a hand is worth in a given style, which
// strategy a hand suggests, and what a never-filled profile key plays like.
#include <gtest/gtest.h>

#include <set>

#include "mahjong/hand_eval.h"
#include "mahjong/table_fixture.h"

using namespace mahjong;
using mahjong::tilesOf;

namespace {

// Keys 100 and up are this test's own; the game modes never fill them.
constexpr int kPlain = 100;  // free-play record 0
constexpr int kZero = 101;   // every value 0
constexpr int kFlush = 102;  // record 0 with the flush field at 1

struct Eval : testing::Test {
    Eval() : rating(*setup.rule, setup.p(1), &random) {
        setRatingProfile(kPlain, kFreePlayProfiles[0]);
        setRatingProfile(kZero, TRatingProfile{});
        TRatingProfile flush = kFreePlayProfiles[0];
        flush[10] = 1;
        setRatingProfile(kFlush, flush);
        rating.setProfile(kPlain);
    }
    ~Eval() override { clearRatingProfiles(); }

    // Ratings handed in directly, all of free tiles.
    int bestOf(std::vector<int> values) {
        TPaiArray tiles(values.size(), TPai(0));
        rating.rateDiscards(&tiles);  // sets the working tiles
        const_cast<std::vector<int>&>(rating.ratings()) = std::move(values);
        return rating.getBest();
    }

    int rateOf(std::string_view text) {
        const TPaiArray tiles = tilesOf(text);
        return rating.rate(&tiles);
    }
    void decideOf(std::string_view text) {
        const TPaiArray tiles = tilesOf(text);
        rating.decideStrategy(&tiles);
    }

    mjtest::TableSetup setup;
    TRandom random{7};
    TRating rating;
};

}  // namespace

TEST_F(Eval, BestAmongEqualMaximaIsChosenAtRandomAndAlwaysTheTrueMaximum) {
    std::set<int> seen;
    for (int i = 0; i < 200; ++i) seen.insert(bestOf({5, 9, 9}));
    EXPECT_EQ(seen, (std::set<int>{1, 2}));  // both maxima, never the 5
    for (int i = 0; i < 50; ++i) EXPECT_EQ(bestOf({3, 7}), 1);
    // Negative ratings compete among themselves: the highest wins, not the last index.
    EXPECT_EQ(bestOf({-9, -2, -5}), 1);
    EXPECT_EQ(bestOf({}), -1);
}

TEST_F(Eval, CalledTilesAreNeverTheBestDiscard) {
    // Every free tile rates 0 here (a zero record, no danger): the called tiles, also rated 0,
    // must still never be picked, and the choice spreads over the free ones.
    rating.setProfile(kZero);
    const TPaiArray tiles = tilesOf("c:123m p:555s 19p 1z");
    std::set<int> seen;
    for (int i = 0; i < 300; ++i) {
        rating.rateDiscards(&tiles);
        const int b = rating.getBest();
        ASSERT_GE(b, 6);
        seen.insert(b);
    }
    EXPECT_EQ(seen, (std::set<int>{6, 7, 8}));
    // Nothing free: nothing to discard.
    const TPaiArray melds = tilesOf("c:123m p:555s");
    rating.rateDiscards(&melds);
    EXPECT_EQ(rating.getBest(), -1);
}

TEST_F(Eval, TieBreakFollowsTheInjectedGenerator) {
    std::vector<int> first, second;
    for (int run = 0; run < 2; ++run) {
        random.seed(99);
        auto& out = run == 0 ? first : second;
        for (int i = 0; i < 40; ++i) out.push_back(bestOf({4, 4, 4, 4}));
    }
    EXPECT_EQ(first, second);
}

TEST_F(Eval, WithoutAGeneratorEachEvaluatorBreaksTiesAlikeAndATableMakesThemWithItsOwn) {
    // No clock and no generator shared between evaluators: two fresh ones pick alike.
    std::vector<int> picks[2];
    for (auto& out : picks) {
        TRating own(*setup.rule, setup.p(2));
        own.setProfile(kZero);
        const TPaiArray tiles = tilesOf("1m 2m 3m 4m 5m");
        for (int i = 0; i < 30; ++i) {
            own.rateDiscards(&tiles);
            out.push_back(own.getBest());
        }
    }
    EXPECT_EQ(picks[0], picks[1]);
    EXPECT_EQ(std::set<int>(picks[0].begin(), picks[0].end()).size(), 5u);

    // The rating factory belongs to the table: a game started on it makes evaluators with the
    // table's generator, and another table is untouched.
    mjtest::TableSetup other;
    installRatingFactory(*setup.table, &random);
    setup.table->reset();
    other.table->reset();
    EXPECT_TRUE(setup.p(3).rating());
    EXPECT_FALSE(other.p(3).rating());
}

TEST_F(Eval, CompleteConcealedHandWithThePlainRecord) {
    // Four runs of sixteen per tile (4 x 3 x 16 = 192); the pair of 5p is left over: one more
    // copy of a suit tile (2) plus a middle tile (2). No danger, so no penalty.
    EXPECT_EQ(rateOf("123m 456m 789p 234s 55p"), 196);
    // A discarded kind is dangerous: each of its tiles costs a tenth of 1000 per table entry.
    setup.p(2).addDanger(PAI_M1, 1000);
    EXPECT_EQ(rateOf("123m 456m 789p 234s 55p"), 186);
    // The rating never goes below 0.
    rating.setProfile(kZero);
    EXPECT_EQ(rateOf("111m 4p"), 0);
}

TEST_F(Eval, LeftoverShapesAndValueHonours) {
    rating.setProfile(kPlain);
    // Lone tiles: 1m has terminal value 0, 5m middle value 2.
    EXPECT_EQ(rateOf("1m"), 0);
    EXPECT_EQ(rateOf("5m"), 2);
    // 45m: each is a middle tile (2) and each sees its neighbour (4 x 1 x 1): 2 x (2 + 4).
    EXPECT_EQ(rateOf("45m"), 12);
    // 46m: two apart (2 each way): 2 x (2 + 2).
    EXPECT_EQ(rateOf("46m"), 8);
    // Player 1 sits south in the east round: south and east are value winds, west is not.
    EXPECT_EQ(rateOf("2z"), 2);
    EXPECT_EQ(rateOf("1z"), 2);
    EXPECT_EQ(rateOf("3z"), 0);
    EXPECT_EQ(rateOf("5z"), 2);
    EXPECT_EQ(rateOf("55z"), 6);  // one more copy of an honour (4) and the bonus
}

TEST_F(Eval, OpenSetsAndTheOpenSetFlag) {
    // Record 0 counts open sets (flag 1), but with no strategy a called run is worth nothing
    // and an open triplet only when it is a value tile.
    rating.setProfile(kPlain);
    EXPECT_EQ(rateOf("c:123m"), 0);
    EXPECT_EQ(rateOf("p:555s"), 0);
    EXPECT_EQ(rateOf("a:5555s"), 64);  // a concealed kan: 4 x 16
    EXPECT_EQ(rateOf("k:5555s"), 64);
    TRatingProfile closedOnly = kFreePlayProfiles[0];
    closedOnly[11] = 0;
    setRatingProfile(kPlain, closedOnly);
    rating.setProfile(kPlain);
    EXPECT_EQ(rateOf("k:5555s"), 0);
    EXPECT_EQ(rateOf("a:5555s"), 64);
}

TEST_F(Eval, FlushDividesOtherSuitsByEightButKeepsHonours) {
    rating.setProfile(kFlush);
    const TPaiArray tiles = tilesOf("1234567m 5s 5z");
    rating.decideStrategy(&tiles);
    ASSERT_EQ(rating.getStrategy(), RS_FLUSH);
    EXPECT_EQ(rating.flushClass(), PC_MAN);
    // 5s alone is worth 2 (a middle tile), 2 / 8 = 0 under the flush; the dragon keeps its 2.
    EXPECT_EQ(rateOf("5s"), 0);
    EXPECT_EQ(rateOf("5z"), 2);
    EXPECT_EQ(rateOf("5m"), 2);
    // A run of another suit is worth nothing under the flush; left as loose tiles it keeps an
    // eighth: 3s 6 / 8 = 0, 4s 10 / 8 = 1, 5s 8 / 8 = 1.
    EXPECT_EQ(rateOf("345s"), 2);
    EXPECT_EQ(rateOf("345m"), 48);
    // The strategy stays until the profile is set again.
    decideOf("1p");
    EXPECT_EQ(rating.getStrategy(), RS_FLUSH);
    rating.setProfile(kFlush);
    EXPECT_EQ(rating.getStrategy(), RS_NONE);
}

TEST_F(Eval, StrategyChoice) {
    // A set in bamboo rules characters and circles out of a flush.
    TRatingProfile p = kFreePlayProfiles[0];
    p[10] = 1;  // flush, threshold 3
    setRatingProfile(kFlush, p);
    rating.setProfile(kFlush);
    decideOf("p:222s 1234567m");
    EXPECT_EQ(rating.flushClass(), PC_SOU);
    EXPECT_EQ(rating.getStrategy(), RS_FLUSH);  // 3 bamboo reach the threshold of 3

    // Record 6 allows flush (3) and all simples (3): the later test wins when both pass.
    setRatingProfile(kFlush, kFreePlayProfiles[6]);
    rating.setProfile(kFlush);
    decideOf("2345678m 234567p");
    EXPECT_EQ(rating.getStrategy(), RS_SIMPLES);
    EXPECT_EQ(rating.flushClass(), PC_MAN);

    // Record 3 (pairs at 3: threshold 4) and four pairs.
    setRatingProfile(kFlush, kFreePlayProfiles[3]);
    rating.setProfile(kFlush);
    decideOf("11m 22p 33s 4z");
    EXPECT_EQ(rating.getStrategy(), RS_NONE);
    decideOf("11m 22p 33s 44z");
    EXPECT_EQ(rating.getStrategy(), RS_PAIRS);
    // Under pairs, runs are worth nothing and a lone tile an eighth: 8, 10 and 8 become 1 each.
    EXPECT_EQ(rateOf("456m"), 3);
}

TEST_F(Eval, UnfilledKeysPlayWithTheDefaultRecord) {
    clearRatingProfiles();
    EXPECT_FALSE(hasRatingProfile(13));
    rating.setProfile(13);
    EXPECT_EQ(rating.getRunValue(), kDefaultRatingProfile[0]);
    EXPECT_EQ(rateOf("123m 456m 789p 234s 55p"), 196);
    EXPECT_FALSE(hasRatingProfile(13));  // reading does not fill the table
}

TEST_F(Eval, RateDiscardsRatesTheHandWithoutEachTile) {
    const TPaiArray tiles = tilesOf("c:123p 456m 789m 1z 9s");
    const int top = rating.rateDiscards(&tiles);
    ASSERT_EQ(rating.ratings().size(), tiles.size());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(rating.ratings()[i], 0);
    // Throwing 1z or 9s keeps both runs (96); what is left beside them differs.
    EXPECT_EQ(rating.ratings()[9], 96);   // 9s alone: terminal value 0
    EXPECT_EQ(rating.ratings()[10], 98);  // 1z alone: the round wind's bonus
    EXPECT_EQ(top, 98);
    EXPECT_EQ(rating.getBest(), 10);
    EXPECT_EQ(rating.working().size(), tiles.size());  // every tile put back
}

TEST_F(Eval, SearchEntryPointsAgreeWithRateHand) {
    const TPaiArray tiles = tilesOf("111m 234m 55p");
    const int whole = rating.rate(&tiles);
    TJudge reading(&setup.p(1), TPai(), WS_TUMO, &tiles);
    reading.histogram(true);
    rating.tryTriplet(reading, PAI_M1);
    EXPECT_EQ(rating.best(), whole);
    rating.tryRun(reading, 1);  // 2m 3m 4m
    EXPECT_EQ(rating.best(), whole);
    // 111m + 234m: 6 x 16 = 96; 55p left: 4.
    EXPECT_EQ(whole, 100);
}

TEST_F(Eval, AnOverfullHandIsRatedWithoutASearch) {
    // Every tile of three suits four times over: no game gives such a hand, and it must not
    // take the search through every way of taking sets out of it.
    TPaiArray tiles;
    for (int k = 0; k < 27; ++k)
        for (int c = 0; c < 4; ++c) tiles.push_back(TPai(k));
    EXPECT_GT(rating.rate(&tiles), 0);  // loose tiles still count
    EXPECT_GT(rating.rateDiscards(&tiles), 0);
    EXPECT_EQ(rating.ratings().size(), tiles.size());
}
