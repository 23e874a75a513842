// Scripted hands on stacked walls: calls on a discard (pon, chi, open kan), kans from the hand,
// wins on a discard and on a kan, and every way a hand ends early or at the end of the wall.
#include <gtest/gtest.h>

#include <algorithm>

#include "test_seats.h"

using namespace seats;

namespace {

// A four-seat match whose first hand is stacked; set-up runs right after, with the seats known.
struct Scenario : Match {
    Scenario(std::vector<std::string> hands, std::string draws, std::string replacements = "",
             std::function<void(Scenario&)> setUp = {})
        : Match(4, 11) {
        rule().redFives = 0;
        room->onDeal = [this, hands, draws, replacements, setUp](mahjong::TTable& t, int hand) {
            if (hand != 0) return;
            stack(t, hands, draws, replacements);
            if (setUp) setUp(*this);
        };
        check = [this] {
            if (room->step() == ROOM_GAME && room->subStep() == ST_ROUND && !sizesBroken)
                sizesBroken = !handSizeFault(table()).empty();
        };
    }
    int idFrom(int k) { return seatFrom(k).id(); }
    // The trace of the first hand from its first draw to the round result.
    std::vector<u32> play() {
        EXPECT_TRUE(runHand());
        std::vector<u32> out;
        bool on = false;
        for (const auto& line : trace) {
            if (line.code == S_TUMO) on = true;
            if (line.code == S_ROUNDRESULT) break;
            if (on) out.push_back(line.code);
        }
        return out;
    }
    const mahjong::TRoundResult& result() { return table().lastResult; }
    bool sizesBroken = false;
};

const std::vector<u32> kAllSute{S_SUTE, C_SUTE, C_SUTE, C_SUTE, C_SUTE};
const std::vector<u32> kAllKan{S_KAN, C_KAN, C_KAN, C_KAN, C_KAN};

std::vector<u32> join(std::initializer_list<std::vector<u32>> parts) {
    std::vector<u32> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::vector<u32> prefix(const std::vector<u32>& v, size_t n) { return {v.begin(), v.begin() + std::min(n, v.size())}; }

// Three of the hands below wait on 5p with 46p, each with a yaku of its own.
const char* kWaitA = "123m456m789m46p99s";  // straight in characters
const char* kWaitB = "123s456s789s46p11m";  // straight in bamboo
const char* kWaitC = "234m567s111z46p22z";  // east triplet

}  // namespace

TEST(Calls, PonThenTheCallersOwnDiscardIsClaimedLikeAnyOther) {
    Scenario s({"", "", "99m1p234s567s2345p"}, "9m", "", [](Scenario& s) {
        s.seatFrom(2).script = {claimOn(tileOf("9m"), CLAIM_PON, tileOf("9m"), tileOf("9m")),
                                discardAfterCall(tileOf("1p"))};
    });
    const auto trace = s.play();
    EXPECT_EQ(prefix(trace, 16), join({{S_TUMO, C_TUMO}, kAllSute, {S_PON, C_PON}, kAllSute, {S_NEXT, S_TUMO}}));
    auto& caller = *s.table().getPlayer(s.idFrom(2));
    ASSERT_FALSE(caller.sutes.empty());
    EXPECT_EQ(caller.sutes.front().kind, tileOf("1p").kind);
    EXPECT_EQ(
        std::count_if(caller.hand.begin(), caller.hand.end(), [](const TPai& t) { return t.state == mahjong::PS_PON; }),
        3);
    // The called tile left the dealer's pond; the turn went on from the caller.
    EXPECT_EQ(s.table().getPlayer(s.idFrom(0))->sutes.front().inPond, 0);
    const auto& third = s.seat(0).received;
    std::vector<TPacket_S_Next> nexts;
    for (const auto& [c, b] : third)
        if (c == S_NEXT) nexts.emplace_back(b);
    ASSERT_FALSE(nexts.empty());
    EXPECT_EQ(nexts.front().seat, s.idFrom(3));
    EXPECT_FALSE(s.sizesBroken);
    EXPECT_TRUE(s.errors.empty());
}

TEST(Calls, ChiIsTakenOnlyFromTheSeatOnTheLeft) {
    Scenario s({"", "12s5p55m678p1z9s789m", "", "12s4p44m345p2z8s123m"}, "3s", "", [](Scenario& s) {
        s.seatFrom(1).script = {claimOn(tileOf("3s"), CLAIM_TI, tileOf("1s"), tileOf("2s")),
                                discardAfterCall(tileOf("1z"))};
        s.seatFrom(3).script = {claimOn(tileOf("3s"), CLAIM_TI, tileOf("1s"), tileOf("2s"))};
    });
    const auto trace = s.play();
    EXPECT_EQ(prefix(trace, 10), join({{S_TUMO, C_TUMO}, kAllSute, {S_TI, C_TI}, {S_SUTE}}));
    auto& left = *s.table().getPlayer(s.idFrom(1));
    EXPECT_FALSE(left.closed);
    EXPECT_EQ(left.sutes.front().kind, tileOf("1z").kind);
    // The seat across the table from the discarder's left could not chi: its claim was refused.
    EXPECT_TRUE(s.table().getPlayer(s.idFrom(3))->closed);
    ASSERT_EQ(s.errors.size(), 1u);
    EXPECT_NE(s.errors[0].find("[ERROR] Server::ST_ROUND_SUTE"), std::string::npos);
    EXPECT_FALSE(s.sizesBroken);
}

TEST(Kans, OpenKanOnADiscardThenTheReplacementDraw) {
    Scenario s({"", "", "777p123m456m789s1z"}, "7p", "5z",
               [](Scenario& s) { s.seatFrom(2).script = {claimOn(tileOf("7p"), CLAIM_KAN)}; });
    const auto trace = s.play();
    EXPECT_EQ(prefix(trace, 20),
              join({{S_TUMO, C_TUMO}, kAllSute, kAllKan, {S_RINSHAN, C_RINSHAN}, kAllSute, {S_NEXT}}));
    auto& maker = *s.table().getPlayer(s.idFrom(2));
    EXPECT_EQ(maker.kanCount, 1);
    EXPECT_EQ(maker.sutes.front().kind, tileOf("5z").kind);  // the replacement tile went out
    EXPECT_EQ(s.table().getPlayer(s.idFrom(0))->sutes.front().inPond, 0);
    TPacket_S_Kan kan(std::find_if(s.seat(0).received.begin(), s.seat(0).received.end(), [](const auto& r) {
                          return r.first == S_KAN;
                      })->second);
    EXPECT_EQ(kan.kanKind, mahjong::PS_MINKAN);
    EXPECT_EQ(kan.seat, s.idFrom(2));
    EXPECT_EQ(kan.from, s.idFrom(0));
    EXPECT_FALSE(s.sizesBroken);
    EXPECT_TRUE(s.errors.empty());
}

TEST(Kans, ConcealedKanOnTheOwnDrawLeavesTheDiscardsAlone) {
    Scenario s({"1111m234p567s77z1s"}, "4z", "6z",
               [](Scenario& s) { s.seatFrom(0).script = {onDraw(CLAIM_OWN_KAN, tileOf("1m"))}; });
    const auto trace = s.play();
    EXPECT_EQ(prefix(trace, 15), join({{S_TUMO, C_TUMO}, kAllKan, {S_RINSHAN, C_RINSHAN}, kAllSute, {S_NEXT}}));
    auto& dealer = *s.table().getPlayer(s.idFrom(0));
    EXPECT_EQ(dealer.kanCount, 1);
    ASSERT_FALSE(dealer.sutes.empty());
    EXPECT_EQ(dealer.sutes.front().kind, tileOf("6z").kind);
    for (const auto& p : s.table().seats)
        for (const auto& d : p->sutes) EXPECT_EQ(d.inPond, 1);
    EXPECT_FALSE(s.sizesBroken);
    EXPECT_TRUE(s.errors.empty());
}

TEST(Wins, AnAddedKanIsRobbedAndTheKanMakerIsTheResultsPlayer) {
    // The dealer lets 5p go, the seat across pons it and later adds the fourth 5p; the last seat,
    // waiting on 5p, robs the kan.
    Scenario s({"", "", "55p123m456m789s1z9s", kWaitA}, "5p 1s 2s 3s 5p", "", [](Scenario& s) {
        s.seatFrom(2).script = {claimOn(tileOf("5p"), CLAIM_PON, tileOf("5p"), tileOf("5p")),
                                discardAfterCall(tileOf("9s")), onDraw(CLAIM_OWN_KAN, tileOf("5p"))};
        s.seatFrom(3).script = {answerKan(CLAIM_RON)};
    });
    const auto trace = s.play();
    EXPECT_EQ(trace.back(), static_cast<u32>(C_KAN));
    EXPECT_EQ(s.result().code, mahjong::RE_CHANKAN);
    EXPECT_EQ(s.result().playerId, s.idFrom(2));
    EXPECT_EQ(s.result().pai.kind, tileOf("5p").kind);
    EXPECT_EQ(s.result().ids, std::vector<int>{s.idFrom(3)});
    EXPECT_FALSE(s.sizesBroken);
    EXPECT_TRUE(s.errors.empty());
}

TEST(Wins, RonWinsOverAPonThatCameFirst) {
    Scenario s({"", "55p123m456m789s1z9s", kWaitA}, "5p", "", [](Scenario& s) {
        s.seatFrom(1).script = {claimOn(tileOf("5p"), CLAIM_PON, tileOf("5p"), tileOf("5p"))};
        s.seatFrom(2).script = {claimOn(tileOf("5p"), CLAIM_RON)};
        s.seatFrom(2).deferred = true;  // its claim comes in after the pon
    });
    const auto trace = s.play();
    EXPECT_EQ(trace, join({{S_TUMO, C_TUMO}, kAllSute}));
    EXPECT_EQ(s.result().code, mahjong::RE_RON);
    EXPECT_EQ(s.result().playerId, s.idFrom(0));
    EXPECT_EQ(s.result().ids, std::vector<int>{s.idFrom(2)});
    EXPECT_TRUE(s.table().getPlayer(s.idFrom(1))->closed);
    EXPECT_TRUE(s.errors.empty());
}

TEST(Wins, TwoRonsEndTheHandWithBothWinnersAndThreeMakeTheThreeRonDraw) {
    {
        Scenario s({"", kWaitA, kWaitB}, "5p", "", [](Scenario& s) {
            s.seatFrom(1).script = {claimOn(tileOf("5p"), CLAIM_RON)};
            s.seatFrom(2).script = {claimOn(tileOf("5p"), CLAIM_RON)};
        });
        s.play();
        EXPECT_EQ(s.result().code, mahjong::RE_RON);
        EXPECT_EQ(s.result().playerId, s.idFrom(0));
        std::vector<int> expected{s.idFrom(1), s.idFrom(2)};
        std::sort(expected.begin(), expected.end());  // answers arrive in ascending id order
        EXPECT_EQ(s.result().ids, expected);
        // Both winners were paid.
        EXPECT_GT(s.result().scores.at(s.idFrom(1)).hand, 0);
        EXPECT_GT(s.result().scores.at(s.idFrom(2)).hand, 0);
    }
    {
        Scenario s({"", kWaitA, kWaitB, kWaitC}, "5p", "", [](Scenario& s) {
            for (int k = 1; k < 4; ++k) s.seatFrom(k).script = {claimOn(tileOf("5p"), CLAIM_RON)};
        });
        s.play();
        EXPECT_EQ(s.result().code, mahjong::RE_SANCHAHO);
        std::vector<int> expected{s.idFrom(1), s.idFrom(2), s.idFrom(3)};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(s.result().ids, expected);
        EXPECT_TRUE(s.errors.empty());
    }
}

TEST(Draws, FourSameWindsEndTheHandWithoutAFourthSute) {
    Scenario s({}, "1z 1z 1z 1z");
    const auto trace = s.play();
    EXPECT_EQ(trace, join({{S_TUMO, C_TUMO},
                           kAllSute,
                           {S_NEXT, S_TUMO, C_TUMO},
                           kAllSute,
                           {S_NEXT, S_TUMO, C_TUMO},
                           kAllSute,
                           {S_NEXT, S_TUMO, C_TUMO}}));
    EXPECT_EQ(s.result().code, mahjong::RE_SUFON);
    EXPECT_EQ(s.result().playerId, s.idFrom(3));
    EXPECT_EQ(s.result().pai.kind, tileOf("1z").kind);
    // The fourth wind was discarded once: every hand is back at 13 tiles.
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(s.table().getPlayer(s.idFrom(k))->hand.size(), 13u);
        EXPECT_EQ(s.table().getPlayer(s.idFrom(k))->sutes.size(), 1u);
    }
}

TEST(Draws, FourKansByTwoPlayersEndTheHandWhenTheNextDiscardIsNotWon) {
    Scenario s({"1111m2222m3333m9p", "4444m567p789s12z"}, "9s 3z", "5z 6z 7z 8s", [](Scenario& s) {
        s.seatFrom(0).script = {onDraw(CLAIM_OWN_KAN, tileOf("1m")), onDraw(CLAIM_OWN_KAN, tileOf("2m")),
                                onDraw(CLAIM_OWN_KAN, tileOf("3m"))};
        s.seatFrom(1).script = {onDraw(CLAIM_OWN_KAN, tileOf("4m"))};
    });
    const auto trace = s.play();
    EXPECT_EQ(std::count(trace.begin(), trace.end(), S_KAN), 4);
    EXPECT_EQ(trace.back(), static_cast<u32>(C_SUTE));
    EXPECT_EQ(s.result().code, mahjong::RE_SUKAN);
    EXPECT_EQ(s.table().getKanCount(), 4);
    EXPECT_FALSE(s.sizesBroken);
    EXPECT_TRUE(s.errors.empty());
}

TEST(Draws, FourRiichiEndTheHandOrPlayOnWithTheSwitchOff) {
    // The dealer declares with a tile from its hand, the others with the tile they drew.
    const std::vector<std::string> hands{"123m456m789m11p2p7z", "123s456s789s55p67p", "111z222z333z44z99p",
                                         "234m345s678p22s99m"};
    auto setUp = [](Scenario& s) {
        const char* out[] = {"7z", "6z", "5z", "7z"};
        for (int k = 0; k < 4; ++k) s.seatFrom(k).script = {onDraw(CLAIM_RITI, tileOf(out[k]))};
    };
    {
        Scenario s(hands, "3p 6z 5z 7z", "", setUp);
        const auto trace = s.play();
        EXPECT_EQ(std::count(trace.begin(), trace.end(), S_RITI), 4) << (s.errors.empty() ? "" : s.errors[0]);
        EXPECT_EQ(trace.back(), static_cast<u32>(S_RITI));
        EXPECT_EQ(s.result().code, mahjong::RE_SURITI);
        EXPECT_EQ(s.result().playerId, s.idFrom(3));
        EXPECT_EQ(s.table().ritiDeposit, 4000);
        EXPECT_EQ(s.table().getPlayer(s.idFrom(0))->sutes.at(0).kind, tileOf("7z").kind);
        EXPECT_TRUE(s.errors.empty());
    }
    {
        Scenario s(hands, "3p 6z 5z 7z", "", setUp);
        s.rule().fourRitiDraw = false;
        const auto trace = s.play();
        const auto fourth = std::find(trace.rbegin(), trace.rend(), S_RITI);
        ASSERT_NE(fourth, trace.rend());
        EXPECT_EQ(*(fourth - 1), static_cast<u32>(S_SUTE));  // the riichi tile is discarded as usual
        EXPECT_NE(s.result().code, mahjong::RE_SURITI);
        EXPECT_GT(std::count(trace.begin(), trace.end(), S_TUMO), 8);
        EXPECT_FALSE(s.sizesBroken);
    }
}

TEST(Draws, NineTerminalsDeclaredOnTheFirstDraw) {
    Scenario s({"19m19p19s1234z234m"}, "5z", "",
               [](Scenario& s) { s.seatFrom(0).script = {onDraw(CLAIM_KYUSHU, TPai())}; });
    const auto trace = s.play();
    EXPECT_EQ(trace, (std::vector<u32>{S_TUMO, C_TUMO}));
    EXPECT_EQ(s.result().code, mahjong::RE_KYUSHU);
    EXPECT_EQ(s.result().ids, std::vector<int>{s.idFrom(0)});
}

namespace {

// 70 draws (the whole live wall) in which the seats at the given positions draw only terminals
// and honours and the others only simples.
std::string nagashiDraws(std::vector<int> positions) {
    std::string yaochu = "19m19p19s1234567z", out;
    std::vector<std::string> ends, simples;
    for (int c = 0; c < 4; ++c) {
        for (const char* t : {"1m", "9m", "1p", "9p", "1s", "9s", "1z", "2z", "3z", "4z", "5z", "6z", "7z"})
            ends.push_back(t);
        for (char suit : {'m', 'p', 's'})
            for (char d = '2'; d <= '8'; ++d) simples.push_back(std::string{d, suit});
    }
    size_t e = 0, p = 0;
    for (int i = 0; i < 70; ++i) {
        const bool end = std::find(positions.begin(), positions.end(), i % 4) != positions.end();
        out += (end ? ends.at(e++) : simples.at(p++)) + " ";
    }
    return out;
}

}  // namespace

TEST(Draws, NagashiAtTheEndOfTheWallNamesItsPlayersAndIsNeverTheThreeRonDraw) {
    {
        Scenario s({}, nagashiDraws({1}));
        s.play();
        EXPECT_EQ(s.result().code, mahjong::RE_NAGASHI);
        EXPECT_EQ(s.result().ids, std::vector<int>{s.idFrom(1)});
        EXPECT_EQ(s.result().playerId, s.idFrom(1));
        for (const auto& [c, b] : s.seat(0).received) EXPECT_FALSE(c == S_NEXT && TPacket_S_Next(b).exhausted);
    }
    {
        Scenario s({}, nagashiDraws({1, 2, 3}));
        s.play();
        EXPECT_EQ(s.result().code, mahjong::RE_NAGASHI);
        EXPECT_EQ(s.result().ids.size(), 3u);
    }
}

TEST(Draws, ExhaustiveDrawPaysTheTenpaiPlayer) {
    const char* noten = "147m258p369s1357z";
    Scenario s({noten, noten, "123m456m789m11p23p", noten}, "");
    s.play();
    EXPECT_EQ(s.result().code, mahjong::RE_RYUKYOKU);
    EXPECT_EQ(s.result().ids, std::vector<int>{s.idFrom(2)});
    EXPECT_EQ(s.result().scores.at(s.idFrom(2)).hand, 3000);
    for (int k : {0, 1, 3}) EXPECT_EQ(s.result().scores.at(s.idFrom(k)).hand, -1000);
    EXPECT_EQ(s.table().wallCount(), s.rule().deadWall);
    EXPECT_FALSE(s.sizesBroken);
}

TEST(Draws, TheWallEndsAtTheDeadWallEvenWhenItsCountStepsPastIt) {
    {
        // Two tiles go missing while the dealer decides: the count passes the dead-wall size
        // between two turns, and the hand still ends there.
        Scenario s({}, "", "", [](Scenario& s) {
            auto& wall = s.table().wall;
            while (s.table().wallCount() > s.rule().deadWall + 2) wall.pop_front();
            s.seatFrom(0).script = {[](TestSeat& seat, u32 code, const Bytes& b) {
                if (code != S_TUMO) return false;
                seat.table().wall.pop_front();
                seat.table().wall.pop_front();
                seat.answer(code, b);
                return true;
            }};
        });
        const auto trace = s.play();
        EXPECT_EQ(trace, join({{S_TUMO, C_TUMO}, kAllSute, {S_NEXT}}));
        EXPECT_EQ(s.result().code, mahjong::RE_RYUKYOKU);
        for (const auto& [c, b] : s.seat(0).received) {
            if (c == S_NEXT) {
                EXPECT_TRUE(TPacket_S_Next(b).exhausted);
            }
        }
        EXPECT_TRUE(s.errors.empty());
    }
    {
        // Nothing is drawn from the dead wall.
        Scenario s({}, "", "", [](Scenario& s) {
            while (s.table().wallCount() > s.rule().deadWall) s.table().wall.pop_front();
        });
        const auto trace = s.play();
        EXPECT_TRUE(trace.empty());
        EXPECT_EQ(s.result().code, mahjong::RE_RYUKYOKU);
        EXPECT_EQ(s.table().wallCount(), s.rule().deadWall);
        EXPECT_EQ(s.errors.size(), 1u);
    }
}
