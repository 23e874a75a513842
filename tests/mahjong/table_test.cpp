#include "mahjong/table.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include "mahjong/player.h"
#include "table_fixture.h"

using namespace mahjong;
using mahjong::tileOf;
using mahjong::tilesOf;
using mjtest::TableSetup;

namespace {

struct Replica {
    explicit Replica(int players = 4, int redFives = 2, int extra3 = 0)
        : rule(boost::make_shared<TRule>()),
          table((rule->players = players, rule->redFives = redFives, rule->extra3 = extra3, rule)) {
        for (int id = 0; id < players; ++id) table.addPlayer(boost::make_shared<TPlayer>(&table, id));
    }

    // What a server does at sit-down and for the first hand.
    void play(uint32_t sitdown, uint32_t s) {
        table.reset();
        table.decideSeats(sitdown);
        table.startRound(s);
        if (table.isFirstRound()) table.decideOya(s + 1);
        table.deal(s + 2);
        table.sortHands();
    }

    std::string state() const {
        std::string o;
        for (const auto& t : table.wall) o += std::to_string(t.kind) + (t.red ? "r " : " ");
        o += "| dice";
        for (int d : table.dice) o += " " + std::to_string(d);
        o += " sum " + std::to_string(table.diceSum);
        for (const auto& p : table.seats) {
            o += " | seat " + std::to_string(p->playerId) + " wind " + std::to_string(p->kaze) + ":";
            for (const auto& t : p->hand) o += " " + std::to_string(t.kind) + (t.red ? "r" : "");
        }
        return o;
    }

    int redCount() const {
        int n = 0;
        for (const auto& t : table.wall) n += t.red;
        for (const auto& p : table.seats)
            for (const auto& t : p->hand) n += t.red;
        return n;
    }

    boost::shared_ptr<TRule> rule;
    TTable table;
};

}  // namespace

TEST(TableDeal, SameSeedsGiveTheSameTable) {
    for (uint32_t seed : {1u, 12345u, 0xFFFFFFF0u}) {
        Replica a, b;
        a.play(seed * 7, seed);
        b.play(seed * 7, seed);
        EXPECT_EQ(a.state(), b.state());
        EXPECT_EQ(a.table.wall.size(), 84u);
        for (const auto& p : a.table.seats) EXPECT_EQ(p->hand.size(), 13u);
        EXPECT_GE(a.table.diceSum, 2);
        EXPECT_LE(a.table.diceSum, 12);

        // Each player's fixed seat and wind is its seat index; the seating is a permutation.
        std::vector<int> ids;
        for (size_t i = 0; i < a.table.seats.size(); ++i) {
            EXPECT_EQ(a.table.seats[i]->fixedSeat, static_cast<int>(i));
            EXPECT_EQ(a.table.seats[i]->kaze, static_cast<int>(i));
            ids.push_back(a.table.seats[i]->playerId);
        }
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(ids, (std::vector<int>{0, 1, 2, 3}));

        Replica c;
        c.play(seed * 7, seed + 1);
        EXPECT_NE(a.state(), c.state());
    }
}

TEST(TableDeal, WallContents) {
    Replica a;
    a.table.startRound(99);
    EXPECT_EQ(a.table.wall.size(), 136u);
    std::vector<int> perKind(37, 0);
    for (const auto& t : a.table.wall) ++perKind[static_cast<size_t>(t.kind)];
    for (int k = 0; k < 34; ++k) EXPECT_EQ(perKind[static_cast<size_t>(k)], 4) << k;

    // Red fives per option: none, the circles five, one per suit, one per suit and a second
    // circles five.
    const int expected[] = {0, 1, 3, 4, 0};
    for (int option = 0; option <= 4; ++option) {
        Replica r(4, option);
        r.table.startRound(5);
        EXPECT_EQ(r.redCount(), expected[option]) << "option " << option;
        int pinRed = 0;
        for (const auto& t : r.table.wall) pinRed += t.red && t.kind == 22;
        EXPECT_EQ(pinRed, option == 0 || option == 4 ? 0 : option == 3 ? 2 : 1);
    }

    // Special tiles go into the wall where the deal never reaches.
    for (uint32_t seed = 0; seed < 50; ++seed) {
        Replica x(4, 2, 3);
        x.play(seed, seed * 3);
        EXPECT_EQ(x.table.wall.size(), 84u + 3u);
        for (const auto& p : x.table.seats)
            for (const auto& t : p->hand) ASSERT_LT(t.kind, PAI_SPECIAL);
    }
}

TEST(TableDeal, FewerPlayersStayInsideTheirSeats) {
    for (int players : {2, 3}) {
        for (uint32_t seed = 0; seed < 20; ++seed) {
            Replica a(players);
            a.play(seed, seed + 100);
            EXPECT_EQ(a.table.wall.size(), 136u - 13u * static_cast<size_t>(players));
            for (int hn = 0; hn < 4; ++hn) {
                a.table.handNumber = hn;
                for (int i = 0; i < 9; ++i) ASSERT_TRUE(a.table.nextTurn(-1));
                ASSERT_TRUE(a.table.dealer());
                a.table.startRound(seed);
            }
        }
    }
    // A rule for four with only two seated: the empty seats are never touched.
    Replica half(4);
    half.table.seats.resize(2);
    half.table.startRound(3);
    half.table.deal(5);
    EXPECT_EQ(half.table.wall.size(), 136u - 26u);
    EXPECT_FALSE(half.table.seatAt(3));
    EXPECT_FALSE(half.table.isBusted());
}

TEST(TableWall, DoraIndicatorsStayPutAcrossReplacementDraws) {
    TableSetup s;
    s.table->wall = tilesOf("123456789m 123456789p 123456789s");
    const TPai first = s.table->getDora(0);
    EXPECT_EQ(first.kind, s.table->wall[s.table->wall.size() - 5].kind);
    EXPECT_EQ(s.table->getUraDora(0).kind, s.table->wall[s.table->wall.size() - 6].kind);
    EXPECT_EQ(s.table->getDora(1).kind, s.table->wall[s.table->wall.size() - 7].kind);

    const TPai replacement = s.table->rinshan();
    EXPECT_EQ(replacement.kind, 17);
    EXPECT_EQ(s.table->deadWallOffset, 2);
    EXPECT_EQ(s.table->getDora(0).kind, first.kind);
    EXPECT_EQ(s.table->getDora(1).kind, 11);
    EXPECT_EQ(s.table->tumo().kind, 0);

    // Positions outside the wall give no tile rather than reading past it.
    EXPECT_EQ(s.table->getDora(20).kind, PAI_NONE);
    s.table->wall.clear();
    EXPECT_EQ(s.table->getDora(0).kind, PAI_NONE);
    EXPECT_EQ(s.table->tumo().kind, PAI_NONE);
    EXPECT_EQ(s.table->rinshan().kind, PAI_NONE);
}

TEST(TableWall, InsertPaiNeverPicksPastTheEndOrASpecialTile) {
    for (uint32_t seed = 0; seed < 300; ++seed) {
        TableSetup s;
        s.table->wall = tilesOf("x 1m x");
        const TPai got = s.table->insertPai(seed, tileOf("9p"));
        EXPECT_EQ(got.kind, 0);
        EXPECT_EQ(s.table->wall[1].kind, 26);
        EXPECT_EQ(s.table->wall.size(), 3u);
    }
    TableSetup all;
    all.table->wall = tilesOf("xxx");
    EXPECT_EQ(all.table->insertPai(1, tileOf("9p")).kind, PAI_NONE);
    EXPECT_EQ(all.table->wall[0].kind, PAI_SPECIAL);
}

TEST(TableTurns, NextTurnAndDirections) {
    TableSetup s;
    s.table->turn = 0;
    s.table->handNumber = 2;
    EXPECT_EQ(s.table->nextTurn(-1)->playerId, 3);
    EXPECT_EQ(s.table->prevTurn, 0);

    s.table->handNumber = 0;
    s.table->turn = 1;
    EXPECT_EQ(s.table->nextTurn(1)->playerId, 1);
    EXPECT_EQ(s.table->turn, 5);
    // Passing to an earlier seat moves one more full cycle on.
    s.table->turn = 2;
    EXPECT_EQ(s.table->nextTurn(0)->playerId, 0);
    EXPECT_EQ(s.table->turn, 8);
    // An unknown id just advances.
    EXPECT_EQ(s.table->nextTurn(42)->playerId, 1);
    EXPECT_EQ(s.table->getDirection(3, 0), TD_SHIMO);
    EXPECT_EQ(s.table->getDirection(0, 9), TD_KAMI) << "an unknown id counts as seat -1";
}

TEST(TableRound, AbortiveDrawTests) {
    TableSetup s;
    s.table->turn = 3;
    for (int id = 0; id < 4; ++id) s.p(id).sutes.push_back(TSutePai(tileOf("1z"), 1, id));
    EXPECT_TRUE(s.table->isSameWindSute());
    s.table->turn = 4;
    EXPECT_FALSE(s.table->isSameWindSute()) << "the fifth discard";
    s.table->turn = 3;
    s.p(2).sutes[0] = TSutePai(tileOf("2z"), 1, 2);
    EXPECT_FALSE(s.table->isSameWindSute());
    for (int id = 0; id < 4; ++id) s.p(id).sutes[0] = TSutePai(tileOf("5z"), 1, id);
    EXPECT_FALSE(s.table->isSameWindSute()) << "dragons are not winds";

    s.p(1).kanCount = 4;
    EXPECT_FALSE(s.table->isFourKanDraw()) << "one player holding all four";
    s.p(1).kanCount = 3;
    s.p(2).kanCount = 1;
    int players = 0;
    EXPECT_EQ(s.table->getKanCount(&players), 4);
    EXPECT_EQ(players, 2);
    EXPECT_TRUE(s.table->isFourKanDraw());

    EXPECT_FALSE(s.table->isAllRiti());
    for (int id = 0; id < 4; ++id) s.p(id).ritiFlag = true;
    EXPECT_TRUE(s.table->isAllRiti());
}

TEST(TableRound, RanksShareEqualPoints) {
    TableSetup s;
    const int points[] = {30000, 25000, 25000, 20000};
    for (int id = 0; id < 4; ++id) s.p(id).points = points[id];
    s.table->updateRank();
    const int ranks[] = {0, 1, 1, 3};
    for (int id = 0; id < 4; ++id) EXPECT_EQ(s.p(id).rank, ranks[id]);
}
