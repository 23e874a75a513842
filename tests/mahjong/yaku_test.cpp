// Every yaku with a hand that earns it and a near miss that does not. The default facts:
// closed hand, south seat (wind 1) of the east round, turn 20, no dora.
#include "mahjong/yaku.h"

#include "judge_fixture.h"

using namespace mahjong;
using mjtest::JudgeTest;
using mjtest::Yaku;

namespace {
// A closed hand with no yaku of its own when won on a discard: 123m 456m 789p 345s, a 9s pair.
constexpr const char* kPlain = "123m 456m 789p 345s 9s";
}  // namespace

class YakuTest : public JudgeTest {};

TEST_F(YakuTest, RiichiDoubleRiichiAndOneShot) {
    EXPECT_FALSE(judge(kPlain, "9s", WS_SHIMO));
    facts.riti = true;
    facts.ritiTurnValue = 8;
    EXPECT_EQ(yaku(kPlain, "9s", WS_SHIMO), (Yaku{{YAKU_RITI, 1}}));
    facts.ritiTurnValue = 3;  // declared in the first go-around
    EXPECT_EQ(yaku(kPlain, "9s", WS_SHIMO), (Yaku{{YAKU_DOUBLE_RITI, 2}}));
    facts.ritiTurnValue = 4;
    EXPECT_EQ(yaku(kPlain, "9s", WS_SHIMO), (Yaku{{YAKU_RITI, 1}}));
    facts.ritiTurnValue = 8;
    facts.turn = 12;  // within one go-around of the declaration
    EXPECT_EQ(yaku(kPlain, "9s", WS_SHIMO), (Yaku{{YAKU_RITI, 1}, {YAKU_IPPATU, 1}}));
    facts.turn = 13;
    EXPECT_EQ(yaku(kPlain, "9s", WS_SHIMO), (Yaku{{YAKU_RITI, 1}}));
}

TEST_F(YakuTest, HowTheTileWasWon) {
    EXPECT_EQ(yaku(kPlain, "9s", WS_TUMO), (Yaku{{YAKU_TUMO, 1}}));
    // A replacement tile is its own yaku and not a closed self-draw.
    EXPECT_EQ(yaku(kPlain, "9s", WS_RINSHAN), (Yaku{{YAKU_RINSHAN, 1}}));
    facts.robbing = true;
    EXPECT_EQ(yaku(kPlain, "9s", WS_KAMI), (Yaku{{YAKU_CHANKAN, 1}}));
    facts.robbing = false;
    facts.wall = 14;  // the last tile has been drawn
    EXPECT_EQ(yaku(kPlain, "9s", WS_TUMO), (Yaku{{YAKU_TUMO, 1}, {YAKU_HAITEI, 1}}));
    EXPECT_EQ(yaku(kPlain, "9s", WS_TOIMEN), (Yaku{{YAKU_HOUTEI, 1}}));
    facts.wall = 15;
    EXPECT_FALSE(judge(kPlain, "9s", WS_TOIMEN));
    facts.closed = false;  // an open self-draw is no yaku
    EXPECT_FALSE(judge("c:123m 456m 789p 345s 9s", "9s", WS_TUMO));
}

TEST_F(YakuTest, AllSimplesAndNoPoints) {
    EXPECT_EQ(yaku("234m 456m 678p 345s 8s", "8s", WS_SHIMO), (Yaku{{YAKU_TANYAO, 1}}));
    // Two-sided wait on 3-6s: no-points hand; by self-draw also the closed self-draw.
    EXPECT_EQ(yaku("234m 456m 678p 88s 34s", "5s", WS_SHIMO), (Yaku{{YAKU_TANYAO, 1}, {YAKU_PINFU, 1}}));
    EXPECT_EQ(yaku("234m 456m 678p 88s 34s", "5s", WS_TUMO), (Yaku{{YAKU_TUMO, 1}, {YAKU_TANYAO, 1}, {YAKU_PINFU, 1}}));
    // Closed wait, edge wait and a pair of the seat wind are not the no-points hand.
    EXPECT_EQ(yaku("234m 456m 678p 88s 35s", "4s", WS_SHIMO), (Yaku{{YAKU_TANYAO, 1}}));
    facts.riti = true;
    facts.ritiTurnValue = 8;
    EXPECT_EQ(yaku("234m 456m 678p 88s 12s", "3s", WS_SHIMO), (Yaku{{YAKU_RITI, 1}}));
    EXPECT_EQ(yaku("234m 456m 678p 22z 34s", "5s", WS_SHIMO), (Yaku{{YAKU_RITI, 1}}));
    EXPECT_EQ(yaku("234m 456m 678p 55z 34s", "5s", WS_SHIMO), (Yaku{{YAKU_RITI, 1}}));
    // A pair of a wind that is neither the seat's nor the round's is fine.
    EXPECT_EQ(yaku("234m 456m 678p 44z 34s", "5s", WS_SHIMO), (Yaku{{YAKU_RITI, 1}, {YAKU_PINFU, 1}}));
}

TEST_F(YakuTest, OpenHandsSetTheirFlagsInsteadOfNoPoints) {
    facts.closed = false;
    const TJudge* j = best("c:234m 456m 678p 88s 34s", "5s", WS_SHIMO);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->yaku, (std::vector<TJudge::TYaku>{{YAKU_TANYAO, 1}}));
    EXPECT_EQ(j->openPinfu, 1);
    EXPECT_EQ(j->openTanyao, 1);
    // With the open all-simples switch off the yaku goes but the flag stays.
    facts.ruleRecord.openTanyao = false;
    EXPECT_FALSE(judge("c:234m 456m 678p 88s 34s", "5s", WS_SHIMO));
    j = best("c:234m 234p 234s 678m 8s", "8s", WS_SHIMO);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->yaku, (std::vector<TJudge::TYaku>{{YAKU_SANSHOKU, 1}}));
    EXPECT_EQ(j->openTanyao, 1);
    EXPECT_EQ(j->openPinfu, 0);
}

TEST_F(YakuTest, IdenticalSequencesOnlyCountTwiceWithinOneSuit) {
    EXPECT_EQ(yaku("112233m 456p 789s 5p", "5p", WS_SHIMO), (Yaku{{YAKU_IIPEIKO, 1}}));
    // Two pairs of identical sequences in two suits: the regular reading earns id 6 only
    // (seven pairs is the better reading of the same tiles).
    ASSERT_TRUE(judge("112233m 445566p 7s", "7s", WS_SHIMO));
    bool sawRegular = false;
    for (const auto& r : judgement.results()) {
        if (r->hasYaku(YAKU_CHIITOI)) continue;
        sawRegular = true;
        EXPECT_TRUE(r->hasYaku(YAKU_IIPEIKO));
        EXPECT_FALSE(r->hasYaku(YAKU_RYANPEIKO));
    }
    EXPECT_TRUE(sawRegular);
    const TJudge* j = best("112233445566m 7s", "7s", WS_SHIMO);
    ASSERT_NE(j, nullptr);
    EXPECT_TRUE(j->hasYaku(YAKU_RYANPEIKO));
    EXPECT_FALSE(j->hasYaku(YAKU_IIPEIKO));
    facts.closed = false;
    EXPECT_FALSE(judge("c:123m 123m 456p 789s 5p", "5p", WS_SHIMO));
}

TEST_F(YakuTest, ValueTriplets) {
    EXPECT_EQ(yaku("555z 234m 456p 678s 9p", "9p", WS_SHIMO), (Yaku{{YAKU_YAKUHAI, 1}}));
    EXPECT_EQ(yaku("222z 234m 456p 678s 9p", "9p", WS_SHIMO), (Yaku{{YAKU_YAKUHAI, 1}}));
    facts.round = 1;  // south is both the seat and the round wind
    EXPECT_EQ(yaku("222z 234m 456p 678s 9p", "9p", WS_SHIMO), (Yaku{{YAKU_YAKUHAI, 2}}));
    facts.round = 0;
    EXPECT_FALSE(judge("333z 234m 456p 678s 9p", "9p", WS_SHIMO));  // west: nobody's wind
    EXPECT_FALSE(judge("55z 234m 456p 678s 99p", "9p", WS_SHIMO));  // a pair is no triplet
    facts.round = 6;  // a stray round number never reads as a dragon (27 + 6 is red)
    EXPECT_EQ(yaku("777z 234m 456p 678s 8p", "8p", WS_SHIMO), (Yaku{{YAKU_YAKUHAI, 1}}));
}

TEST_F(YakuTest, SevenPairs) {
    EXPECT_EQ(yaku("1122m 3344p 5566s 7z", "7z", WS_SHIMO), (Yaku{{YAKU_CHIITOI, 2}}));
    // Of terminals and honours: also id 18, and never the shape yaku.
    EXPECT_EQ(yaku("11m 99m 11p 99p 11s 99s 1z", "1z", WS_SHIMO), (Yaku{{YAKU_CHIITOI, 2}, {YAKU_HONROUTOU, 2}}));
    EXPECT_FALSE(judge("1111m 3344p 5566s 7z", "7z", WS_SHIMO));
    // Counting the called tiles this open hand holds seven pairs; it is not seven pairs.
    facts.closed = false;
    EXPECT_FALSE(judge("c:123m 123m 44p 55p 66s 7s", "7s", WS_SHIMO));
}

TEST_F(YakuTest, ConcealedTripletsAndAllTriplets) {
    EXPECT_TRUE(yaku("111m 333p 555s 78m 22p", "9m", WS_TUMO).count(YAKU_SANANKO));
    facts.riti = true;
    facts.ritiTurnValue = 8;
    // The discard completes 555s, which then counts as open.
    EXPECT_EQ(yaku("111m 333p 55s 789m 22p", "5s", WS_SHIMO), (Yaku{{YAKU_RITI, 1}}));
    EXPECT_TRUE(yaku("111m 333p 55s 789m 22p", "5s", WS_TUMO).count(YAKU_SANANKO));
    facts.riti = false;
    EXPECT_EQ(yaku("111m 333p 555s 777s 2p", "2p", WS_TUMO), (Yaku{{YAKU_SUUANKO_TANKI, 26}}));
    EXPECT_EQ(yaku("111m 333p 555s 77s 22p", "7s", WS_TUMO), (Yaku{{YAKU_SUUANKO, 13}}));
    EXPECT_EQ(yaku("111m 333p 555s 77s 22p", "7s", WS_SHIMO), (Yaku{{YAKU_SANANKO, 2}, {YAKU_TOITOI, 2}}));
    facts.closed = false;
    EXPECT_EQ(yaku("111m 333p p:555s 777s 2z", "2z", WS_SHIMO), (Yaku{{YAKU_SANANKO, 2}, {YAKU_TOITOI, 2}}));
    EXPECT_EQ(yaku("111m 333p p:555s 789s 2z", "2z", WS_SHIMO), (Yaku{}));
}

TEST_F(YakuTest, ThreeColourTripletsAndKans) {
    EXPECT_TRUE(yaku("222m 222p 222s 345m 6s", "6s", WS_SHIMO).count(YAKU_SANSHOKU_DOUKOU));
    EXPECT_FALSE(yaku("222m 222p 333s 345m 6s", "6s", WS_SHIMO).count(YAKU_SANSHOKU_DOUKOU));
    facts.closed = false;
    EXPECT_EQ(yaku("a:1111m a:2222p k:3333s 456m 7p", "7p", WS_SHIMO), (Yaku{{YAKU_SANKANTU, 2}}));
    EXPECT_EQ(yaku("a:1111m a:2222p k:3333s K:4444s 5z", "5z", WS_SHIMO), (Yaku{{YAKU_SUUKANTU, 13}}));
    facts.closed = true;
    const Yaku two = yaku("a:1111m a:2222p 333s 456m 7p", "7p", WS_SHIMO);
    EXPECT_FALSE(two.count(YAKU_SANKANTU));
    EXPECT_TRUE(two.count(YAKU_SANANKO));
}

TEST_F(YakuTest, StraightsAndOutsideHands) {
    EXPECT_EQ(yaku("123456789m 234p 5s", "5s", WS_SHIMO), (Yaku{{YAKU_ITTU, 2}}));
    EXPECT_FALSE(judge("123m 456m 789p 234p 5s", "5s", WS_SHIMO));
    EXPECT_EQ(yaku("123m 123p 123s 456m 9s", "9s", WS_SHIMO), (Yaku{{YAKU_SANSHOKU, 2}}));
    EXPECT_FALSE(judge("123m 123p 234s 456m 9s", "9s", WS_SHIMO));
    EXPECT_EQ(yaku("123m 789p 111s 999s 1z", "1z", WS_SHIMO), (Yaku{{YAKU_CHANTA, 2}}));
    EXPECT_FALSE(judge("234m 789p 111s 999s 1z", "1z", WS_SHIMO));
    EXPECT_EQ(yaku("123m 789m 111p 999s 1s", "1s", WS_SHIMO), (Yaku{{YAKU_JUNCHAN, 3}}));
    facts.closed = false;  // each worth one han less open
    EXPECT_EQ(yaku("c:123m 456789m 234p 5s", "5s", WS_SHIMO), (Yaku{{YAKU_ITTU, 1}}));
    EXPECT_EQ(yaku("c:123m 123p 123s 456m 9s", "9s", WS_SHIMO), (Yaku{{YAKU_SANSHOKU, 1}}));
    EXPECT_EQ(yaku("c:123m 789p 111s 999s 1z", "1z", WS_SHIMO), (Yaku{{YAKU_CHANTA, 1}}));
    EXPECT_EQ(yaku("c:123m 789m 111p 999s 1s", "1s", WS_SHIMO), (Yaku{{YAKU_JUNCHAN, 2}}));
}

TEST_F(YakuTest, TerminalsAndHonours) {
    facts.closed = false;
    EXPECT_TRUE(yaku("p:111m 999p 111s 111z 2z", "2z", WS_SHIMO).count(YAKU_HONROUTOU));
    const Yaku outside = yaku("p:111m 789p 111s 111z 2z", "2z", WS_SHIMO);
    EXPECT_FALSE(outside.count(YAKU_HONROUTOU));
    EXPECT_TRUE(outside.count(YAKU_CHANTA));
    EXPECT_EQ(yaku("p:111m 999m 111p 999p 9s", "9s", WS_SHIMO), (Yaku{{YAKU_TINROUTOU, 13}}));
    EXPECT_FALSE(yaku("p:111m 999m 111p 999p 1z", "1z", WS_SHIMO).count(YAKU_TINROUTOU));
    EXPECT_EQ(yaku("p:111z 222z 333z 555z 6z", "6z", WS_SHIMO), (Yaku{{YAKU_TUUIISOU, 13}}));
    EXPECT_FALSE(yaku("p:111z 222z 333z 555z 1m", "1m", WS_SHIMO).count(YAKU_TUUIISOU));
}

TEST_F(YakuTest, DragonsAndWinds) {
    const Yaku little = yaku("555z 666z 7z 123m 456m", "7z", WS_SHIMO);
    EXPECT_EQ(little.at(YAKU_SHOUSANGEN), 2);
    EXPECT_EQ(little.at(YAKU_YAKUHAI), 2);
    EXPECT_FALSE(little.count(YAKU_DAISANGEN));
    EXPECT_FALSE(yaku("555z 666z 1m 123m 456m", "1m", WS_SHIMO).count(YAKU_SHOUSANGEN));
    EXPECT_EQ(yaku("555z 666z 777z 123m 4p", "4p", WS_SHIMO), (Yaku{{YAKU_DAISANGEN, 13}}));
    EXPECT_EQ(yaku("111z 222z 333z 4z 123m", "4z", WS_SHIMO), (Yaku{{YAKU_SHOUSUUSHII, 13}}));
    facts.closed = false;
    // Four wind triplets: the big winds only, and nothing below the limit survives.
    EXPECT_EQ(yaku("p:111z 222z 333z 444z 1m", "1m", WS_SHIMO), (Yaku{{YAKU_DAISUUSHII, 13}}));
    EXPECT_FALSE(yaku("p:111z 222z 789m 444z 1m", "1m", WS_SHIMO).count(YAKU_SHOUSUUSHII));
}

TEST_F(YakuTest, Flushes) {
    const Yaku half = yaku("123m 456m 678m 111z 2z", "2z", WS_SHIMO);
    EXPECT_EQ(half.at(YAKU_HONITU), 3);
    EXPECT_FALSE(half.count(YAKU_CHINITU));
    EXPECT_EQ(yaku("123m 456p 678m 111z 2z", "2z", WS_SHIMO), (Yaku{{YAKU_YAKUHAI, 1}}));
    EXPECT_EQ(yaku("123m 345m 567m 789m 9m", "9m", WS_SHIMO).at(YAKU_CHINITU), 6);
    EXPECT_FALSE(judge("123m 345m 567m 789m 9p", "9p", WS_SHIMO));
    facts.closed = false;
    EXPECT_EQ(yaku("c:123m 345m 567m 789m 9m", "9m", WS_SHIMO).at(YAKU_CHINITU), 5);
    EXPECT_EQ(yaku("c:123m 456m 678m 111z 2z", "2z", WS_SHIMO).at(YAKU_HONITU), 2);
}

TEST_F(YakuTest, NineGatesAndThirteenOrphans) {
    EXPECT_EQ(yaku("1112345568999m", "7m", WS_SHIMO), (Yaku{{YAKU_TYUUREN, 13}}));
    EXPECT_EQ(yaku("1112345678999m", "5m", WS_SHIMO), (Yaku{{YAKU_JUNSEI_TYUUREN, 26}}));
    facts.closed = false;  // the same tiles in an open hand are just a flush
    EXPECT_EQ(yaku("1112345568999m", "7m", WS_SHIMO), (Yaku{{YAKU_CHINITU, 5}}));
    facts.closed = true;
    EXPECT_EQ(yaku("119m 19p 19s 123456z", "7z", WS_SHIMO), (Yaku{{YAKU_KOKUSHI, 13}}));
    EXPECT_EQ(yaku("19m 19p 19s 1234567z", "1m", WS_SHIMO), (Yaku{{YAKU_KOKUSHI_13, 26}}));
    EXPECT_FALSE(judge("119m 19p 19s 123455z", "7z", WS_SHIMO));
}

TEST_F(YakuTest, AllGreen) {
    EXPECT_EQ(yaku("234s 666s 888s 666z 2s", "2s", WS_SHIMO), (Yaku{{YAKU_RYUUIISOU, 13}}));
    EXPECT_FALSE(yaku("234s 666s 999s 666z 2s", "2s", WS_SHIMO).count(YAKU_RYUUIISOU));
}

TEST_F(YakuTest, DoraNeedsAnotherYaku) {
    facts.doras = {mahjong::tileOf("1m")};  // shows 2m
    EXPECT_EQ(yaku("234m 456m 678p 345s 8s", "8s", WS_SHIMO), (Yaku{{YAKU_TANYAO, 1}, {YAKU_DORA, 1}}));
    // Red fives count; the tiles under the indicators only in riichi.
    facts.uraDoras = {mahjong::tileOf("7p")};  // shows 8p
    EXPECT_EQ(yaku("234m 406m 678p 345s 8s", "8s", WS_SHIMO), (Yaku{{YAKU_TANYAO, 1}, {YAKU_DORA, 2}}));
    facts.riti = true;
    facts.ritiTurnValue = 8;
    EXPECT_EQ(yaku("234m 406m 678p 345s 8s", "8s", WS_SHIMO).at(YAKU_DORA), 3);
    // At most five indicators are read.
    facts.riti = false;
    facts.doras.assign(7, mahjong::tileOf("1m"));
    EXPECT_EQ(yaku("234m 456m 678p 345s 8s", "8s", WS_SHIMO).at(YAKU_DORA), 5);
    // No yaku, no dora: the hand cannot win at all.
    EXPECT_FALSE(judge(kPlain, "9s", WS_SHIMO));
    facts.doras = {TPai(PAI_NONE), TPai(-7)};  // indicators off the wall count nothing
    EXPECT_EQ(yaku("234m 456m 678p 345s 8s", "8s", WS_SHIMO), (Yaku{{YAKU_TANYAO, 1}}));
}

TEST_F(YakuTest, FirstTurnWins) {
    facts.turn = 0;
    facts.seat = 0;
    EXPECT_EQ(yaku(kPlain, "9s", WS_TUMO), (Yaku{{YAKU_TENHOU, 13}}));
    EXPECT_FALSE(judge(kPlain, "9s", WS_SHIMO));
    facts.seat = 2;
    facts.turn = 2;
    EXPECT_EQ(yaku(kPlain, "9s", WS_TUMO), (Yaku{{YAKU_TIIHOU, 13}}));
    facts.turn = 4;
    EXPECT_EQ(yaku(kPlain, "9s", WS_TUMO), (Yaku{{YAKU_TUMO, 1}}));
    // With three seats turn 3 is the dealer's second draw.
    facts.ruleRecord.players = 3;
    facts.seat = 0;
    facts.turn = 3;
    EXPECT_EQ(yaku(kPlain, "9s", WS_TUMO), (Yaku{{YAKU_TUMO, 1}}));
}

TEST_F(YakuTest, WinBeforeTheFirstTurn) {
    facts.seat = 1;
    facts.turn = 0;
    EXPECT_EQ(yaku(kPlain, "9s", WS_KAMI), (Yaku{{YAKU_RENHOU, 4}}));
    // It replaces every smaller entry...
    facts.doras = {mahjong::tileOf("1m")};
    EXPECT_EQ(yaku("234m 456m 678p 345s 8s", "8s", WS_KAMI), (Yaku{{YAKU_RENHOU, 4}}));
    // ...and is not added to four han of other yaku.
    const Yaku big = yaku("555z 666z 7z 123m 456m", "7z", WS_KAMI);
    EXPECT_FALSE(big.count(YAKU_RENHOU));
    EXPECT_TRUE(big.count(YAKU_SHOUSANGEN));
    facts.turn = 1;  // the south seat has had its turn
    facts.doras.clear();
    EXPECT_FALSE(judge(kPlain, "9s", WS_KAMI));
}

TEST_F(YakuTest, NagashiNeedsEveryDiscardTerminalOrHonourInThePond) {
    auto discard = [](const char* t, uint8_t inPond) { return TSutePai(mahjong::tileOf(t), inPond, 0); };
    TPaiArray none;
    facts.sutes = {discard("1m", 1), discard("9p", 1), discard("7z", 1)};
    TJudge j(&facts, TPai(), WS_TUMO, &none);
    EXPECT_TRUE(judgeNagashi(j));
    EXPECT_EQ(j.yaku, (std::vector<TJudge::TYaku>{{YAKU_NAGASHI, 4}}));
    facts.sutes[1].inPond = 0;  // claimed by another player
    TJudge claimed(&facts, TPai(), WS_TUMO, &none);
    EXPECT_FALSE(judgeNagashi(claimed));
    facts.sutes[1] = discard("2p", 1);
    EXPECT_FALSE(judgeNagashi(claimed));
    facts.sutes.clear();  // a player who never discarded has no nagashi
    EXPECT_FALSE(judgeNagashi(claimed));
    EXPECT_TRUE(claimed.yaku.empty());
}
