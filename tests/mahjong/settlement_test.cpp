#include <gtest/gtest.h>

#include <random>

#include "mahjong/judge.h"
#include "mahjong/judgement.h"
#include "mahjong/player.h"
#include "mahjong/table.h"
#include "table_fixture.h"

using namespace mahjong;
using mahjong::tileOf;
using mahjong::tilesOf;
using mjtest::TableSetup;

namespace {

// 30 fu 1 han by self-draw (a concealed simple triplet and a pair wait): 1000 for a
// non-dealer.
constexpr const char* kTumo1000 = "234m 567m 888p 345s 99s";
// The same shape in simples: 30 fu 2 han by self-draw, 2900 for the dealer.
constexpr const char* kTumo2900 = "234m 567m 888p 345s 66s";
// No-points hand in simples waiting on 2s and 5s: 30 fu 2 han on a discard, 2000.
constexpr const char* kRonWait = "234m 456p 678s 55p 34s";
constexpr const char* kDragonsWait = "p:555z p:666z p:777z 234m 9s";
constexpr const char* kWindsWait = "p:111z p:222z p:333z p:444z 9s";

TRoundScore score(int hand, int counters = 0, int deposit = 0) { return {hand, counters, deposit}; }

void expectScores(const TTable& t, std::map<int, TRoundScore> expected) {
    ASSERT_EQ(t.lastResult.scores.size(), expected.size());
    for (const auto& [id, s] : expected) {
        const auto& got = t.lastResult.scores.at(id);
        EXPECT_EQ(got.hand, s.hand) << "player " << id;
        EXPECT_EQ(got.counters, s.counters) << "player " << id;
        EXPECT_EQ(got.deposit, s.deposit) << "player " << id;
    }
}

}  // namespace

TEST(Settlement, SelfDrawPayments) {
    // Non-dealer self-draw worth 1000: the dealer pays 500, the others 300 (from 250).
    TableSetup s;
    s.setHand(1, std::string(kTumo1000));
    s.table->lastResult.setAgari(RE_TUMO, tileOf("9s"), -1);
    s.table->lastResult.ids = {1};
    s.table->overRound();
    expectScores(*s.table, {{0, score(-500)}, {1, score(1100)}, {2, score(-300)}, {3, score(-300)}});
    EXPECT_EQ(s.p(1).points, 26100);
    EXPECT_EQ(s.p(1).rank, 0);
    EXPECT_EQ(s.p(0).rank, 3);
    EXPECT_TRUE(s.p(1).shown);
    EXPECT_EQ(s.p(1).judgement()->results().front()->points, 1100);

    // Dealer self-draw worth 2900 with one counter: 1000 (from 966) and 100 from each; the
    // dealer is credited the 300 in counters it was paid, deposit or not.
    TableSetup d;
    d.table->honba = 1;
    d.setHand(0, std::string(kTumo2900));
    d.table->lastResult.setAgari(RE_RINSHAN, tileOf("6s"), -1);
    d.table->lastResult.ids = {0};
    const int before = d.totalPoints();
    d.table->overRound();
    expectScores(*d.table,
                 {{0, score(3000, 300)}, {1, score(-1000, -100)}, {2, score(-1000, -100)}, {3, score(-1000, -100)}});
    EXPECT_EQ(d.totalPoints(), before);
}

TEST(Settlement, ResponsibilityPayments) {
    // Big three dragons (32000) on a discard: the responsible player and the discarder
    // share it.
    TableSetup s;
    s.setHand(1, kDragonsWait);
    s.table->setPao(YAKU_DAISANGEN, 3, 1);
    s.table->lastResult.setAgari(RE_RON, tileOf("9s"), 2);
    s.table->lastResult.ids = {1};
    s.table->overRound();
    expectScores(*s.table, {{0, score(0)}, {1, score(32000)}, {2, score(-16000)}, {3, score(-16000)}});
    EXPECT_EQ(s.p(1).hand.size(), 14u) << "the winner takes the discard";
    EXPECT_EQ(s.p(1).lastTumoType, TD_SHIMO);

    // The same hand by self-draw: the responsible player pays it all.
    TableSetup t;
    t.setHand(1, std::string(kDragonsWait) + " 9s");
    t.table->setPao(YAKU_DAISANGEN, 3, 1);
    t.table->lastResult.setAgari(RE_TUMO, tileOf("9s"), -1);
    t.table->lastResult.ids = {1};
    t.table->overRound();
    expectScores(*t.table, {{0, score(0)}, {1, score(32000)}, {2, score(0)}, {3, score(-32000)}});

    // An entry recorded for someone else is not charged for this winner.
    TableSetup o;
    o.setHand(1, std::string(kDragonsWait) + " 9s");
    o.table->setPao(YAKU_DAISANGEN, 3, 2);
    o.table->lastResult.setAgari(RE_TUMO, tileOf("9s"), -1);
    o.table->lastResult.ids = {1};
    o.table->overRound();
    expectScores(*o.table, {{0, score(-16000)}, {1, score(32000)}, {2, score(-8000)}, {3, score(-8000)}});

    // Big four winds is worth 32000 but its fixed amount is 64000: the charge stops at the
    // hand's value, so nobody else gains on the self-draw.
    TableSetup w;
    w.setHand(1, std::string(kWindsWait) + " 9s");
    w.table->setPao(YAKU_DAISUUSHII, 2, 1);
    w.table->lastResult.setAgari(RE_TUMO, tileOf("9s"), -1);
    w.table->lastResult.ids = {1};
    const int before = w.totalPoints();
    w.table->overRound();
    expectScores(*w.table, {{0, score(0)}, {1, score(32000)}, {2, score(-32000)}, {3, score(0)}});
    EXPECT_EQ(w.totalPoints(), before);

    // A new hand forgets the entries.
    w.table->startRound(1);
    EXPECT_TRUE(w.table->pao.empty());
}

TEST(Settlement, DoubleWinOnOneDiscard) {
    TableSetup s;
    s.table->honba = 1;
    s.p(2).riti();
    s.setHand(1, kRonWait);
    s.setHand(3, kRonWait);
    s.table->lastResult.setAgari(RE_RON, tileOf("2s"), 0);
    s.table->lastResult.ids = {3, 1};
    const int before = s.totalPoints();
    s.table->overRound();
    // Each winner is charged to the discarder with its 300 counters; the deposit goes to the
    // winner nearest after the discarder.
    expectScores(*s.table,
                 {{0, score(-4000, -600)}, {1, score(2000, 300, 1000)}, {2, score(0)}, {3, score(2000, 300)}});
    EXPECT_EQ(s.table->ritiDeposit, 0);
    EXPECT_EQ(s.totalPoints(), before);
}

TEST(Settlement, DrawsAndTheDeposit) {
    TableSetup s;
    s.p(0).riti();
    s.table->lastResult.setCode(RE_RYUKYOKU);
    s.setHand(1, kRonWait);
    s.setHand(2, kRonWait);
    s.setHand(0, "159m 159p 159s 1234z");
    s.setHand(3, "159m 159p 159s 1234z");
    s.table->collectTenpai();
    EXPECT_EQ(s.table->lastResult.ids, (std::vector<int>{1, 2}));
    s.table->overRound();
    expectScores(*s.table, {{0, score(-1500)}, {1, score(1500)}, {2, score(1500)}, {3, score(-1500)}});
    EXPECT_EQ(s.table->ritiDeposit, 1000) << "a draw leaves the deposit for the next win";
    EXPECT_TRUE(s.p(1).shown);
    EXPECT_FALSE(s.p(0).shown);

    // One tenpai of four receives 3000; three tenpai receive 1000 each.
    for (auto [ids, gain, loss] :
         {std::tuple{std::vector<int>{2}, 3000, -1000}, std::tuple{std::vector<int>{0, 1, 2}, 1000, -3000}}) {
        TableSetup t;
        t.table->lastResult.setCode(RE_RYUKYOKU);
        t.table->lastResult.ids = ids;
        t.table->overRound();
        for (int id = 0; id < 4; ++id) {
            const bool tenpai = std::find(ids.begin(), ids.end(), id) != ids.end();
            EXPECT_EQ(t.table->lastResult.scores.at(id).hand, tenpai ? gain : loss);
        }
    }

    // The next win collects the deposit.
    s.setHand(3, std::string(kTumo1000));
    s.table->lastResult.setAgari(RE_TUMO, tileOf("9s"), -1);
    s.table->lastResult.ids = {3};
    s.table->overRound();
    EXPECT_EQ(s.table->lastResult.scores.at(3).deposit, 1000);
    EXPECT_EQ(s.table->ritiDeposit, 0);

    // Four same winds: the result's player discards the tile; four riichi shows every hand.
    TableSetup w;
    w.setHand(3, "1z 123m 456m 789m 99p");
    w.table->lastResult.setAgari(RE_SUFON, tileOf("1z"), 3);
    w.table->overRound();
    ASSERT_EQ(w.p(3).sutes.size(), 1u);
    EXPECT_EQ(w.p(3).sutes[0].kind, PAI_EAST);
    w.table->lastResult.setAgari(RE_SURITI, tileOf("9p"), 3);
    w.table->overRound();
    EXPECT_EQ(w.p(3).sutes.size(), 2u);
    for (int id = 0; id < 4; ++id) EXPECT_TRUE(w.p(id).shown);
}

TEST(Settlement, NagashiIsPaidAsALimitSelfDraw) {
    TableSetup s;
    for (const char* t : {"1m", "9p", "1z", "5z"}) s.p(2).sutes.push_back(TSutePai(tileOf(t), 1, 0));
    s.table->lastResult.setCode(RE_NAGASHI);
    s.table->lastResult.ids = s.table->getNagashiPlayers();
    ASSERT_EQ(s.table->lastResult.ids, (std::vector<int>{2}));
    s.table->overRound();
    expectScores(*s.table, {{0, score(-4000)}, {1, score(-2000)}, {2, score(8000)}, {3, score(-2000)}});
    ASSERT_FALSE(s.p(2).judgement()->results().empty());
    EXPECT_TRUE(s.p(2).judgement()->results().back()->hasYaku(YAKU_NAGASHI));

    s.p(2).sutes[1].inPond = 0;  // one of them was called
    EXPECT_TRUE(s.table->getNagashiPlayers().empty());
}

TEST(Settlement, AWinnerWithoutYakuChangesNothing) {
    TableSetup s;
    s.setHand(1, kRonWait);
    s.setHand(2, "123m 456p 789s 11z 23s");  // won on 1s with no yaku
    s.table->lastResult.setAgari(RE_RON, tileOf("1s"), 0);
    s.table->lastResult.ids = {1, 2};
    s.table->overRound();
    ASSERT_EQ(s.recorder.texts.size(), 1u);
    EXPECT_EQ(s.recorder.texts[0], std::string("[ERROR] TTable::overRound \x96\xF0\x82\xAA\x82\xA0"
                                               "\x82\xE8\x82\xDC\x82\xB9\x82\xF1"));
    for (int id = 0; id < 4; ++id) {
        EXPECT_EQ(s.p(id).points, 25000);
        EXPECT_FALSE(s.p(id).shown);
    }
    EXPECT_EQ(s.p(1).hand.size(), 13u);
    EXPECT_TRUE(s.table->lastResult.scores.empty());

    // An invalid code, or a discard win whose discarder is the winner, pays nothing.
    for (auto [code, who] : {std::pair{0, 0}, std::pair{12, 0}, std::pair{int(RE_RON), 1}}) {
        TableSetup t;
        t.setHand(1, kRonWait);
        t.table->lastResult.setAgari(code, tileOf("2s"), who);
        t.table->lastResult.ids = {1};
        t.table->overRound();
        ASSERT_EQ(t.recorder.texts.size(), 1u);
        EXPECT_EQ(t.recorder.texts[0], std::string("TTable::overRound \x95\x73\x90\xB3\x82\xC8"
                                                   "\x83\x52\x81\x5B\x83\x68\x82\xC5\x82\xB7"));
        expectScores(*t.table, {{0, score(0)}, {1, score(0)}, {2, score(0)}, {3, score(0)}});
        EXPECT_EQ(t.p(1).points, 25000);
    }
}

TEST(Settlement, NextRound) {
    // A non-dealer wins hand 1 of the east wind.
    TableSetup s;
    s.table->handNumber = 1;
    s.table->honba = 2;
    s.table->dealerStreak = 1;
    s.table->lastResult.setAgari(RE_TUMO, tileOf("1m"), -1);
    s.table->lastResult.ids = {2};
    EXPECT_TRUE(s.table->nextRound(false));
    EXPECT_EQ(s.table->handNumber, 2);
    EXPECT_EQ(s.table->honba, 0);
    EXPECT_EQ(s.table->dealerStreak, 0);

    // Exhaustive draw with the dealer (seat 2) not tenpai.
    s.table->lastResult.setCode(RE_RYUKYOKU);
    s.table->lastResult.ids = {1};
    EXPECT_TRUE(s.table->nextRound(false));
    EXPECT_EQ(s.table->handNumber, 3);
    EXPECT_EQ(s.table->honba, 1);

    // An abortive draw keeps the dealer.
    s.rule->gameLength = 0;
    s.table->lastResult.setCode(RE_KYUSHU);
    s.table->lastResult.ids = {0};
    EXPECT_TRUE(s.table->nextRound(false));
    EXPECT_EQ(s.table->handNumber, 3);
    EXPECT_EQ(s.table->dealerStreak, 1);
    EXPECT_EQ(s.table->honba, 2);

    // The east wind ends into the south wind in a two-wind game.
    s.table->lastResult.setAgari(RE_RON, tileOf("1m"), 3);
    s.table->lastResult.ids = {1};
    EXPECT_TRUE(s.table->nextRound(false));
    EXPECT_EQ(s.table->roundWind, 1);
    EXPECT_EQ(s.table->handNumber, 0);

    // The last hand of an east-only game won by the dealer: the dealer's choice.
    TableSetup e;
    e.table->handNumber = 3;
    e.table->lastResult.setAgari(RE_TUMO, tileOf("1m"), -1);
    e.table->lastResult.ids = {3};
    EXPECT_TRUE(e.table->isOyaAgari());
    EXPECT_TRUE(e.table->nextRound(true));
    EXPECT_EQ(e.table->honba, 1);
    EXPECT_FALSE(e.table->gameOver);
    EXPECT_FALSE(e.table->nextRound(false));
    EXPECT_TRUE(e.table->gameOver);

    // A player below zero ends the game at once.
    TableSetup b;
    b.p(2).points = -100;
    b.table->lastResult.setCode(RE_RYUKYOKU);
    EXPECT_FALSE(b.table->nextRound(true));
    EXPECT_TRUE(b.table->gameOver);
}

TEST(Settlement, EndGameTopBonus) {
    // Two tied on top share the 20000; the first dealer comes before fixed seats 3, 2, 1.
    TableSetup s;
    for (int id = 0; id < 4; ++id) s.p(id).fixedSeat = id;
    s.p(1).points = 35000;
    s.p(0).points = 35000;
    s.p(2).points = 20000;
    s.p(3).points = 10000;
    s.table->endGame();
    EXPECT_TRUE(s.table->gameOver);
    EXPECT_EQ(s.p(0).points, 45000);
    EXPECT_EQ(s.p(1).points, 45000);
    EXPECT_EQ(s.p(0).rank, 0);
    EXPECT_EQ(s.p(1).rank, 1);
    EXPECT_EQ(s.p(2).rank, 2);
    EXPECT_EQ(s.p(3).rank, 3);

    // Three tied: 20000 does not divide by three; the odd points go to the first in order,
    // so that exactly 20000 is paid.
    TableSetup t;
    for (int id = 0; id < 4; ++id) {
        t.p(id).fixedSeat = id;
        t.p(id).points = id == 0 ? 10000 : 30000;
    }
    t.table->endGame();
    EXPECT_EQ(t.p(3).points, 36668);
    EXPECT_EQ(t.p(2).points, 36666);
    EXPECT_EQ(t.p(1).points, 36666);
    EXPECT_EQ(t.p(3).rank, 0);
    EXPECT_EQ(t.p(1).rank, 2);

    // A rule from the wire may ask for a bonus no balance can hold: the balance saturates.
    TableSetup u;
    u.rule->targetPoints = 0xFFFFFFFFu;
    u.rule->startPoints = 0;
    for (int id = 0; id < 4; ++id) u.p(id).points = id == 0 ? -2000000000 : 0;
    u.table->endGame();
    EXPECT_EQ(u.p(3).points, INT32_MAX);
}

TEST(Settlement, PointsAreConservedOverRandomHands) {
    struct Template {
        const char* wait;
        const char* tile;
    };
    const Template templates[] = {
        {"234m 567m 888p 345s 9s", "9s"},
        {kRonWait, "2s"},
        {kRonWait, "5s"},
        {kDragonsWait, "9s"},
        {kWindsWait, "9s"},
        {"11m 22m 33m 44p 55p 66s 7s", "7s"},
        {"123m 456p 789s 11z 23s", "1s"},  // no yaku on a discard
    };
    std::mt19937 rng(20261207);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };

    TableSetup s;
    int total = s.totalPoints();
    int moved = 0;
    for (int round = 0; round < 3000; ++round) {
        s.table->handNumber = pick(4);
        s.table->honba = pick(6);
        for (int i = 0; i < 4; ++i) {
            TPlayer& p = *s.table->seats[static_cast<size_t>(i)];
            p.newRound((i - s.table->handNumber + 4) % 4);
            p.hand = tilesOf("159m 159p 159s 1234z");
            if (pick(4) == 0) p.riti();
        }
        for (int yaku : {YAKU_DAISANGEN, YAKU_DAISUUSHII, YAKU_SUUKANTU}) {
            if (pick(3) == 0) s.table->setPao(yaku, pick(5) - 1, pick(5) - 1);
        }
        const int code = 1 + pick(12);
        TRoundResult& r = s.table->lastResult;
        const Template& tp = templates[pick(7)];
        if (code == RE_TUMO || code == RE_RINSHAN) {
            const int w = pick(4);
            s.p(w).hand = tilesOf(std::string(tp.wait) + " " + tp.tile);
            r.setAgari(code, tileOf(tp.tile), -1);
            r.ids = {w};
        } else if (code == RE_RON || code == RE_CHANKAN) {
            const int from = pick(4);
            r.setAgari(code, tileOf(tp.tile), from);
            for (int id = 0; id < 4; ++id) {
                if (id == from || pick(2) == 0) continue;
                s.p(id).hand = tilesOf(templates[pick(7)].wait);
                r.ids.push_back(id);
            }
        } else if (code == RE_NAGASHI) {
            r.setCode(code);
            for (int id = 0; id < 4; ++id) {
                if (pick(2) == 0) s.p(id).sutes.push_back(TSutePai(tileOf("1z"), 1, 0));
            }
            r.ids = s.table->getNagashiPlayers();
        } else {
            r.setCode(code);
            for (int id = 0; id < 4; ++id) {
                if (pick(2) == 0) r.ids.push_back(id);
            }
            if (code == RE_SUFON || code == RE_SURITI) r.playerId = pick(4);
        }
        s.recorder.clear();
        s.table->overRound();
        ASSERT_EQ(s.totalPoints(), total) << "round " << round << " code " << code;
        for (const auto& [id, sc] : r.scores) moved += sc.hand != 0 ? 1 : 0;

        if (round % 7 == 0) {
            // Make ties on top now and then.
            if (pick(2) == 0) s.p(pick(4)).points = s.p(pick(4)).points;
            const int sum = s.totalPoints();
            s.table->endGame();
            ASSERT_EQ(s.totalPoints(), sum + 20000) << "round " << round;
            total = s.totalPoints();
        }
    }
    EXPECT_GT(moved, 3000) << "most hands should have moved points";
}
