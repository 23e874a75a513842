#include "mahjong/score.h"

#include "judge_fixture.h"

using namespace mahjong;
using mjtest::JudgeTest;
using mjtest::Yaku;

namespace {

// The value of a win by fu and han, written out as the familiar payment tables (with 30 fu
// 4 han and 60 fu 3 han rounded up to the limit), not computed.
struct Row {
    int fu;
    int nonDealer[4];  // 1-4 han
    int dealer[4];
};
const Row kTable[] = {
    {20, {700, 1300, 2600, 5200}, {1000, 2000, 3900, 7700}},
    {25, {800, 1600, 3200, 6400}, {1200, 2400, 4800, 9600}},
    {30, {1000, 2000, 3900, 8000}, {1500, 2900, 5800, 12000}},
    {40, {1300, 2600, 5200, 8000}, {2000, 3900, 7700, 12000}},
    {50, {1600, 3200, 6400, 8000}, {2400, 4800, 9600, 12000}},
    {60, {2000, 3900, 8000, 8000}, {2900, 5800, 12000, 12000}},
    {70, {2300, 4500, 8000, 8000}, {3400, 6800, 12000, 12000}},
    {80, {2600, 5200, 8000, 8000}, {3900, 7700, 12000, 12000}},
    {90, {2900, 5800, 8000, 8000}, {4400, 8700, 12000, 12000}},
    {100, {3200, 6400, 8000, 8000}, {4800, 9600, 12000, 12000}},
    {110, {3600, 7100, 8000, 8000}, {5300, 10600, 12000, 12000}},
};

int points(int fu, int han, bool dealer, bool limitYaku = false) {
    return winPoints(basePoints(fu, han + 2, limitYaku).base, dealer);
}

}  // namespace

TEST(ScoreTable, EveryFuAndHanBelowTheLimit) {
    for (const Row& row : kTable) {
        for (int han = 1; han <= 4; ++han) {
            SCOPED_TRACE(testing::Message() << row.fu << " fu " << han << " han");
            EXPECT_EQ(points(row.fu, han, false), row.nonDealer[han - 1]);
            EXPECT_EQ(points(row.fu, han, true), row.dealer[han - 1]);
        }
    }
}

// Self-drawn wins: the familiar payment tables (0 where no hand has that fu and han),
// against the win's value shared out as the round settlement does: a dealer's win a third
// from everyone, a non-dealer's half from the dealer and a quarter from each other player,
// each share rounded up to 100.
TEST(ScoreTable, SelfDrawSharesMatchThePaymentTables) {
    struct Tumo {
        int fu, han, fromOthers, fromDealer, dealerWinEach;
    };
    const Tumo rows[] = {
        {20, 2, 400, 700, 700},     {20, 3, 700, 1300, 1300},  {20, 4, 1300, 2600, 2600},    {25, 2, 400, 800, 800},
        {25, 3, 800, 1600, 1600},   {25, 4, 1600, 3200, 3200}, {30, 1, 300, 500, 500},       {30, 2, 500, 1000, 1000},
        {30, 3, 1000, 2000, 2000},  {30, 4, 2000, 4000, 4000}, {40, 1, 400, 700, 700},       {40, 2, 700, 1300, 1300},
        {40, 3, 1300, 2600, 2600},  {50, 1, 400, 800, 800},    {50, 2, 800, 1600, 1600},     {50, 3, 1600, 3200, 3200},
        {60, 1, 500, 1000, 1000},   {60, 2, 1000, 2000, 2000}, {60, 3, 2000, 4000, 4000},    {70, 1, 600, 1200, 1200},
        {70, 2, 1200, 2300, 2300},  {80, 1, 700, 1300, 1300},  {80, 2, 1300, 2600, 2600},    {90, 1, 800, 1500, 1500},
        {90, 2, 1500, 2900, 2900},  {100, 1, 800, 1600, 1600}, {100, 2, 1600, 3200, 3200},   {110, 1, 900, 1800, 1800},
        {110, 2, 1800, 3600, 3600}, {30, 5, 2000, 4000, 4000}, {30, 13, 8000, 16000, 16000},
    };
    auto share = [](int value, int divisor) { return (value / divisor + 99) / 100 * 100; };
    for (const Tumo& r : rows) {
        SCOPED_TRACE(testing::Message() << r.fu << " fu " << r.han << " han");
        const int nonDealer = points(r.fu, r.han, false);
        EXPECT_EQ(share(nonDealer, 4), r.fromOthers);
        EXPECT_EQ(share(nonDealer, 2), r.fromDealer);
        EXPECT_EQ(share(points(r.fu, r.han, true), 3), r.dealerWinEach);
    }
}

TEST(ScoreTable, LimitsAndTheirLevels) {
    struct Limit {
        int hanFrom, hanTo, nonDealer, dealer, level;
    };
    const Limit limits[] = {
        {5, 5, 8000, 12000, LIMIT_MANGAN},      {6, 7, 12000, 18000, LIMIT_HANEMAN},
        {8, 10, 16000, 24000, LIMIT_BAIMAN},    {11, 12, 24000, 36000, LIMIT_SANBAIMAN},
        {13, 25, 32000, 48000, LIMIT_COUNTED},  {26, 38, 64000, 96000, LIMIT_COUNTED},
        {39, 60, 96000, 144000, LIMIT_COUNTED},
    };
    for (const Limit& l : limits) {
        for (int han = l.hanFrom; han <= l.hanTo; ++han) {
            for (int fu : {20, 30, 110}) {
                SCOPED_TRACE(testing::Message() << fu << " fu " << han << " han");
                EXPECT_EQ(points(fu, han, false), l.nonDealer);
                EXPECT_EQ(points(fu, han, true), l.dealer);
                EXPECT_EQ(basePoints(fu, han + 2, false).level, l.level);
            }
        }
    }
    EXPECT_EQ(basePoints(30, 15, true).level, LIMIT_YAKUMAN);
    EXPECT_EQ(basePoints(30, 28, true).level, LIMIT_DOUBLE);
    EXPECT_EQ(basePoints(30, 28, false).base, 16000);  // a counted 26 han
    EXPECT_EQ(basePoints(30, 41, true).level, LIMIT_TRIPLE);
    // 30 fu 4 han and 60 fu 3 han reach 1920 and become the limit.
    EXPECT_EQ(basePoints(30, 6, false).level, LIMIT_MANGAN);
    EXPECT_EQ(basePoints(60, 5, false).level, LIMIT_MANGAN);
    EXPECT_EQ(basePoints(50, 5, false).level, LIMIT_NONE);
    EXPECT_EQ(basePoints(30, -3, false).base, 0);
}

class ScoreTest : public JudgeTest {
protected:
    void riichi() {
        facts.riti = true;
        facts.ritiTurnValue = 8;
    }
};

TEST_F(ScoreTest, NoPointsHands) {
    // Closed on a discard: 30 fu and no wait fu; tanyao + pinfu, 2 han.
    const TJudge* j = best("234m 456m 678p 88s 34s", "5s", WS_SHIMO);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->fu, 30);
    EXPECT_EQ(j->han, 4);
    EXPECT_EQ(j->points, 2000);
    // By self-draw: 20 fu, no self-draw fu with the no-points hand; 3 han.
    j = best("234m 456m 678p 88s 34s", "5s", WS_TUMO);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->fu, 20);
    EXPECT_EQ(j->points, 2600);
    facts.closed = false;
    // Open with the no-points shape on a discard: 20 fu (open three-colour straight, 1 han)...
    j = best("c:123m 123p 23s 456m 99s", "1s", WS_SHIMO);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->fu, 20);
    EXPECT_EQ(j->points, 700);
    // ...and 30 fu when it is also all simples.
    j = best("c:234m 456m 678p 88s 34s", "5s", WS_SHIMO);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->fu, 30);
    EXPECT_EQ(j->points, 1000);
}

TEST_F(ScoreTest, SevenPairsIsTwentyFiveFu) {
    const TJudge* j = best("1122m 3344p 5566s 7z", "7z", WS_SHIMO);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->fu, 25);
    EXPECT_EQ(j->points, 1600);  // 25 × 16 = 400, × 4
    facts.seat = 0;
    j = best("1122m 3344p 5566s 7z", "7z", WS_SHIMO);
    EXPECT_EQ(j->points, 2400);
}

TEST_F(ScoreTest, SetPairAndWaitFu) {
    riichi();
    // A terminal triplet completed by the discard counts open: 30 + 8 (111m) + 4 (999p
    // open) + 2 (dragon pair) = 44 → 50 fu; by self-draw 20 + 8 + 8 + 2 + 2 = 40 fu.
    const TJudge* j = best("111m 99p 456s 789s 55z", "9p", WS_SHIMO);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->fu, 50);
    EXPECT_EQ(j->points, 1600);
    j = best("111m 99p 456s 789s 55z", "9p", WS_TUMO);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->fu, 40);
    // A concealed kan of terminals is 32 fu: 30 + 32 + 2 (pair wait) + 2 (dragon pair).
    j = best("a:1111m 456p 789s 234s 5z", "5z", WS_SHIMO);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->fu, 70);
    // A pair of the dealer's east in the east round is 4 fu: 30 + 2 (pair wait) + 4 → 40.
    facts.seat = 0;
    j = best("123m 456p 789s 234s 1z", "1z", WS_SHIMO);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->fu, 40);
    EXPECT_EQ(j->points, 2000);
}

TEST_F(ScoreTest, WaitFuTakesTheLowestPlaceOfTheWinningKind) {
    // 4m may be the end of 2-3-4 (two-sided) or the middle of 3-4-5 (closed): no wait fu.
    // Self-draw: 20 + 8 (111s) + 2 = 30 fu; counting the closed wait would give 40.
    const TJudge* j = best("23m 345m 789p 111s 55p", "4m", WS_TUMO);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->fu, 30);
}

TEST_F(ScoreTest, MeldedTilesOfTheWinningKindDoNotDecideTheWait) {
    // 5m closes 4-6m; the pon of 5m could never hold the winning tile. 20 + 2 (closed
    // wait) + 2 (open pon) + 8 (red dragon triplet) = 32 → 40 fu.
    facts.closed = false;
    const TJudge* j = best("p:555m 46m 777z 789s 99s", "5m", WS_SHIMO);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->fu, 40);
    EXPECT_EQ(j->hand[0].state, PS_PON);  // the meld keeps its state
}

TEST_F(ScoreTest, FixedAndCountedLimits) {
    facts.turn = 0;
    const TJudge* j = best("123m 456m 789p 345s 9s", "9s", WS_KAMI);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->fu, 0);
    EXPECT_EQ(j->han, 6);
    EXPECT_EQ(j->limit, LIMIT_MANGAN);
    EXPECT_EQ(j->points, 8000);
    // A counted limit: riichi, one-shot, self-draw, flush, straight, iipeiko and four dora
    // make 16 han without a limit yaku.
    facts.turn = 20;
    facts.riti = true;
    facts.ritiTurnValue = 17;
    facts.doras = {mahjong::tileOf("9m"), mahjong::tileOf("1m")};  // 1m and 2m
    j = best("123m 123m 456m 789m 5m", "5m", WS_TUMO);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->han, 18);
    EXPECT_FALSE(j->hasYakuman());
    EXPECT_EQ(j->limit, LIMIT_COUNTED);
    EXPECT_EQ(j->points, 32000);
    // The nagashi entry scores as a fixed limit too, 12000 for the dealer.
    facts.seat = 0;
    TPaiArray none;
    TJudge n(&facts, TPai(), WS_TUMO, &none);
    n.addYaku(YAKU_NAGASHI, 4);
    EXPECT_EQ(n.score(), 12000);
    EXPECT_EQ(n.fu, 0);
}

TEST_F(ScoreTest, DoubleLimitsOnlyForTheirOwnIds) {
    EXPECT_EQ(best("19m 19p 19s 1234567z", "1m", WS_SHIMO)->points, 64000);
    EXPECT_EQ(best("119m 19p 19s 123456z", "7z", WS_SHIMO)->points, 32000);
    facts.closed = false;
    const TJudge* j = best("p:111z 222z 333z 444z 1m", "1m", WS_SHIMO);
    EXPECT_EQ(j->points, 32000);
    EXPECT_EQ(j->limit, LIMIT_YAKUMAN);
}

// Sixteen dora: a concealed kan of 5m under four indicators of 4m (two shown, two under them
// read in riichi) counts four 5m four times.
TEST_F(ScoreTest, DoraIsNeverALimitYaku) {
    riichi();
    facts.doras = {mahjong::tileOf("4m"), mahjong::tileOf("4m")};
    facts.uraDoras = {mahjong::tileOf("4m"), mahjong::tileOf("4m")};
    // A limit hand drops the dora like every other entry: one limit, not a double.
    const TJudge* j = best("a:5555m 555p 555s 99s 11z", "9s", WS_TUMO);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->yaku, (std::vector<TJudge::TYaku>{{YAKU_SUUANKO, 13}}));
    EXPECT_EQ(j->limit, LIMIT_YAKUMAN);
    EXPECT_EQ(j->points, 32000);
    // Without a limit yaku every yaku stays, the dora counted as han: 18 han, a counted limit.
    EXPECT_EQ(yaku("a:5555m 234p 567p 234s 8s", "8s", WS_SHIMO),
              (Yaku{{YAKU_RITI, 1}, {YAKU_TANYAO, 1}, {YAKU_DORA, 16}}));
    j = best("a:5555m 234p 567p 234s 8s", "8s", WS_SHIMO);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->han, 20);
    EXPECT_FALSE(j->hasYakuman());
    EXPECT_EQ(j->limit, LIMIT_COUNTED);
    EXPECT_EQ(j->points, 32000);
    // Pruning a bare list keeps a dora entry of 13 among the rest.
    TPaiArray none;
    TJudge bare(&facts, TPai(), WS_TUMO, &none);
    bare.addYaku(YAKU_RITI, 1);
    bare.addYaku(YAKU_DORA, 13);
    bare.pruneToLimitYaku();
    EXPECT_EQ(bare.yaku.size(), 2u);
    bare.addYaku(YAKU_DAISANGEN, 13);
    bare.pruneToLimitYaku();
    EXPECT_EQ(bare.yaku, (std::vector<TJudge::TYaku>{{YAKU_DAISANGEN, 13}}));
}
