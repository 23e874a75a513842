#include "mahjong/player.h"

#include <gtest/gtest.h>

#include <sstream>

#include "mahjong/judge.h"
#include "table_fixture.h"

using namespace mahjong;
using mahjong::tileOf;
using mahjong::tilesOf;
using mjtest::TableSetup;

namespace {

// Everything a call may change, written out so that two states compare as text.
std::string snapshot(const TPlayer& p) {
    std::ostringstream o;
    for (const auto& t : p.hand) o << t.kind << '/' << t.state << '/' << int(t.red) << int(t.turned) << ' ';
    o << "| ";
    for (const auto& t : p.sutes) o << t.kind << '/' << int(t.inPond) << '/' << t.turn << ' ';
    o << "| " << p.closed << p.kanCount << p.ritiFlag << p.points << ' ' << p.lastTumo.kind << '/' << p.lastTumoType
      << '/' << p.tumoTurn << ' ' << p.furiten;
    return o.str();
}

std::string melds(const TPlayer& p) {
    std::ostringstream o;
    for (const auto& t : p.hand) {
        if (t.isFree()) continue;
        o << t.kind << ':' << t.state << (t.turned ? "*" : "") << ' ';
    }
    return o.str();
}

}  // namespace

TEST(PlayerCalls, PonTurnsTheTileOfTheDiscarderSide) {
    // Claimed from the next seat the right tile turns, from opposite the middle, from the
    // previous seat the left one; the meld goes in front of the free tiles.
    const char* expected[] = {"", "4:4 4:4 4:4* ", "4:4 4:4* 4:4 ", "4:4* 4:4 4:4 "};
    for (int from = 1; from <= 3; ++from) {
        TableSetup s;
        s.setHand(0, "55m 123p 456s 789s 11z");
        ASSERT_TRUE(s.p(0).pon(tileOf("5m"), tileOf("5m"), tileOf("5m"), from));
        EXPECT_EQ(melds(s.p(0)), expected[from]) << "from " << from;
        EXPECT_FALSE(s.p(0).closed);
        EXPECT_EQ(s.p(0).hand.size(), 14u);
        EXPECT_EQ(s.p(0).lastTumoType, from + 1);
        EXPECT_TRUE(s.recorder.texts.empty());
    }
}

TEST(PlayerCalls, ChiOnlyFromThePreviousSeat) {
    TableSetup s;
    s.setHand(0, "46m 123p 456s 789s 11z");
    ASSERT_TRUE(s.p(0).ti(tileOf("5m"), tileOf("4m"), tileOf("6m"), 3));
    EXPECT_EQ(melds(s.p(0)), "3:1 4:2* 5:3 ");
    EXPECT_FALSE(s.p(0).closed);

    for (int from : {1, 2}) {
        TableSetup t;
        t.setHand(0, "46m 123p 456s 789s 11z");
        const std::string before = snapshot(t.p(0));
        EXPECT_FALSE(t.p(0).ti(tileOf("5m"), tileOf("4m"), tileOf("6m"), from));
        EXPECT_EQ(snapshot(t.p(0)), before);
        ASSERT_EQ(t.recorder.texts.size(), 1u);
        EXPECT_EQ(t.recorder.texts[0], "[ERROR] TPlayer::ti not kamicha");
    }

    // With three players the previous seat is two seats on.
    TableSetup three(3);
    three.setHand(0, "46m 123p 456s 789s 11z");
    EXPECT_TRUE(three.p(0).ti(tileOf("5m"), tileOf("4m"), tileOf("6m"), 2));
    EXPECT_TRUE(three.recorder.texts.empty());
}

TEST(PlayerCalls, KanStatesAndTurnedTilesByKind) {
    const char* expected[] = {"", "0:6 0:6 0:6 0:6* ", "0:6 0:6 0:6* 0:6 ", "0:6* 0:6 0:6 0:6 "};
    for (int from = 1; from <= 3; ++from) {
        TableSetup s;
        s.setHand(0, "111m 123p 456s 789s 1z");
        EXPECT_EQ(s.p(0).kan(tileOf("1m"), from), 6);
        EXPECT_EQ(melds(s.p(0)), expected[from]);
        EXPECT_EQ(s.p(0).kanCount, 1);
        EXPECT_FALSE(s.p(0).closed);
    }

    TableSetup own;
    own.setHand(0, "1111m 123p 456s 789s 1z");
    EXPECT_EQ(own.p(0).kan(tileOf("1m"), 0), 5);
    EXPECT_EQ(melds(own.p(0)), "0:5* 0:5 0:5 0:5* ");
    EXPECT_TRUE(own.p(0).closed);

    TableSetup added;
    added.setHand(0, "p:111m 1m 123p 456s 78s 1z");
    EXPECT_EQ(added.p(0).kan(tileOf("1m"), 0), 7);
    EXPECT_EQ(melds(added.p(0)), "0:7 0:7 0:7 0:7 ");
    EXPECT_EQ(added.p(0).kanCount, 1);
    EXPECT_TRUE(added.recorder.texts.empty());
}

TEST(PlayerCalls, RefusedCallsLeaveThePlayerAsItWas) {
    struct Case {
        const char* hand;
        std::function<bool(TPlayer&)> call;
        const char* text;
    };
    const Case cases[] = {
        {"55m 123p 456s 789s 11z", [](TPlayer& p) { return p.pon(tileOf("5m"), tileOf("5m"), tileOf("5m"), 0); },
         "[ERROR] TPlayer::pon dir == TD_MY"},
        {"5m 123p 456s 789s 111z", [](TPlayer& p) { return p.pon(tileOf("5m"), tileOf("5m"), tileOf("5m"), 1); },
         "[ERROR] TPlayer::pon not enough pai"},
        {"50m 123p 456s 789s 11z", [](TPlayer& p) { return p.pon(tileOf("5m"), tileOf("5m"), tileOf("5m"), 1); },
         "[ERROR] TPlayer::pon not enough pai"},
        {"56m 123p 456s 789s 11z", [](TPlayer& p) { return p.pon(tileOf("5m"), tileOf("5m"), tileOf("6m"), 1); },
         "[ERROR] TPlayer::pon not enough pai"},
        {"46m 123p 456s 789s 11z", [](TPlayer& p) { return p.ti(tileOf("5m"), tileOf("4m"), tileOf("6m"), 1); },
         "[ERROR] TPlayer::ti not kamicha"},
        {"47m 123p 456s 789s 11z", [](TPlayer& p) { return p.ti(tileOf("5m"), tileOf("4m"), tileOf("6m"), 3); },
         "[ERROR] TPlayer::ti not enough pai"},
        {"89m 123p 456s 789s 11z", [](TPlayer& p) { return p.ti(tileOf("1p"), tileOf("8m"), tileOf("9m"), 3); },
         "[ERROR] TPlayer::ti not enough pai"},
        {"11z 123p 456s 789s 11m", [](TPlayer& p) { return p.kan(tileOf("1z"), 2) != 0; },
         "[ERROR] TPlayer::kan count!=4"},
        {"111z 123p 456s 789s 1m", [](TPlayer& p) { return p.kan(tileOf("1z"), 0) != 0; },
         "[ERROR] TPlayer::kan count!=4"},
        {"111z 123p 456s 789s 1m", [](TPlayer& p) { return p.kan(TPai(), 0) != 0; }, "[ERROR] TPlayer::kan ???"},
    };
    for (const auto& c : cases) {
        TableSetup s;
        s.setHand(0, c.hand);
        const std::string before = snapshot(s.p(0));
        EXPECT_FALSE(c.call(s.p(0))) << c.text;
        EXPECT_EQ(snapshot(s.p(0)), before) << c.text;
        ASSERT_EQ(s.recorder.texts.size(), 1u) << c.text;
        EXPECT_EQ(s.recorder.texts[0], c.text);
        EXPECT_TRUE(s.table->pao.empty());
    }
}

TEST(PlayerCalls, ResponsibilityIsRecordedForTheCaller) {
    TableSetup s;
    s.setHand(0, "p:111z p:222z p:333z 44z 1m");
    ASSERT_TRUE(s.p(0).pon(tileOf("4z"), tileOf("4z"), tileOf("4z"), 2));
    EXPECT_EQ(s.table->pao.at(YAKU_DAISUUSHII), 2);
    EXPECT_EQ(s.table->paoFor.at(YAKU_DAISUUSHII), 0);

    s.setHand(1, "p:555z p:666z 77z 123m 4m");
    ASSERT_TRUE(s.p(1).pon(tileOf("7z"), tileOf("7z"), tileOf("7z"), 3));
    EXPECT_EQ(s.table->pao.at(YAKU_DAISANGEN), 3);

    // Three dragons with only two of them called: nobody is responsible yet.
    TableSetup t;
    t.setHand(1, "p:555z 66z 777z 123m 4m");
    ASSERT_TRUE(t.p(1).pon(tileOf("6z"), tileOf("6z"), tileOf("6z"), 3));
    EXPECT_TRUE(t.table->pao.empty());

    TableSetup k;
    k.setHand(2, "a:1111m k:2222m K:3333m 444m 5m");
    EXPECT_EQ(k.p(2).kan(tileOf("4m"), 0), 6);
    EXPECT_EQ(k.table->pao.at(YAKU_SUUKANTU), 0);
    EXPECT_EQ(k.table->paoFor.at(YAKU_SUUKANTU), 2);
}

TEST(PlayerDiscards, DangerTableFollowsTheTilesLeft) {
    // 30 tiles left to draw: +100 on 2 and 8, -100 on 1, 4, 6, 9 and the late -100 on 3, 4,
    // 6, 7; the discarded five itself is 1000 and stays so.
    TableSetup s;
    s.setWall(14 + 30);
    s.setHand(0, "5m 123p 456s 789s 111z");
    s.p(0).addDanger(8, 1000);  // the 9m is already known safe
    ASSERT_TRUE(s.p(0).sute(tileOf("5m")));
    const int expected[9] = {-100, 100, -100, -200, 1000, -200, -100, 100, 1000};
    for (int k = 0; k < 9; ++k) EXPECT_EQ(s.p(0).getDanger(k), expected[k]) << "number " << k + 1;

    // Between 32 and 38 left only the middle rows apply.
    TableSetup m;
    m.setWall(14 + 35);
    m.setHand(0, "5m 123p 456s 789s 111z");
    ASSERT_TRUE(m.p(0).sute(tileOf("5m")));
    const int middle[9] = {-100, 100, 0, -100, 1000, -100, 0, 100, -100};
    for (int k = 0; k < 9; ++k) EXPECT_EQ(m.p(0).getDanger(k), middle[k]) << "number " << k + 1;

    // More than 38 left: a 1 also lowers the 3 and 6; honours touch nothing else.
    TableSetup e;
    e.setHand(0, "1p 123p 456s 789s 111z");
    ASSERT_TRUE(e.p(0).sute(tileOf("1p")));
    EXPECT_EQ(e.p(0).getDanger(18), 1000);
    EXPECT_EQ(e.p(0).getDanger(19), -100);
    EXPECT_EQ(e.p(0).getDanger(20), -100);
    EXPECT_EQ(e.p(0).getDanger(21), 0);
    EXPECT_EQ(e.p(0).getDanger(22), -100);
    EXPECT_EQ(e.p(0).getDanger(23), -100);
    ASSERT_TRUE(e.p(0).sute(tileOf("1z")));
    EXPECT_EQ(e.p(0).getDanger(27), 1000);
}

TEST(PlayerState, SwapAbilityTradesAFreeTileWithTheWall) {
    TableSetup s;
    // Swapping a hand tile into the wall: the hand gets a wall tile back, the wall the tile.
    s.table->wall = tilesOf("123456789m x");
    s.setHand(0, "p:111z 5p 123p 456s 78s");
    EXPECT_FALSE(s.p(0).useFake(3, 77, tileOf("1z"))) << "a meld tile is not swapped";
    ASSERT_TRUE(s.p(0).useFake(3, 77, tileOf("5p")));
    EXPECT_EQ(s.p(0).hand.size(), 12u);
    EXPECT_TRUE(s.p(0).hand.back().isSuit0());
    EXPECT_EQ(std::count_if(s.table->wall.begin(), s.table->wall.end(), [](const TPai& t) { return t.kind == 22; }), 1);
    EXPECT_EQ(s.table->wall.back().kind, PAI_SPECIAL) << "a special tile is never replaced";

    EXPECT_TRUE(s.p(0).useFake(5, 0, TPai()));
    EXPECT_EQ(s.table->wall[4].red, 1);
}
