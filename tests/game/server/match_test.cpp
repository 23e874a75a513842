// Whole matches of answering test seats: the phases from sit-down to the final result and the
// end handshake, the random values the server sends, the message trace of a turn, and how many
// answers each phase waits for.
#include <gtest/gtest.h>

#include "test_seats.h"

using namespace seats;

namespace {

std::vector<u32> valuesSent(const TestSeat& seat, u32 code) {
    std::vector<u32> out;
    for (const auto& [c, bytes] : seat.received)
        if (c == code) out.push_back(TPacket_S_Deal(bytes).value);
    return out;
}

int countOf(const TestSeat& seat, u32 code) {
    int n = 0;
    for (const auto& r : seat.received) n += r.first == code ? 1 : 0;
    return n;
}

}  // namespace

TEST(Match, SeededMatchesRunFromSitDownToTheEndHandshake) {
    for (u32 seed : {1u, 7u, 2024u}) {
        Match m(4, seed);
        m.check = [&] {
            if (m.room->step() == ROOM_GAME && m.room->subStep() == ST_ROUND) {
                ASSERT_EQ(handSizeFault(m.table()), "");
            }
        };
        ASSERT_TRUE(m.runToEnd()) << "seed " << seed;
        EXPECT_TRUE(m.errors.empty()) << m.errors.front();
        const TestSeat& first = m.seat(0);
        ASSERT_EQ(countOf(first, S_SITDOWN), 1);
        EXPECT_EQ(countOf(first, S_RESULT), 1);
        EXPECT_EQ(countOf(first, S_DEAL), countOf(first, S_ROUNDRESULT));
        EXPECT_EQ(countOf(first, S_DEAL), countOf(first, S_NEXTROUND));
        EXPECT_GE(countOf(first, S_DEAL), 4);  // at least the four hands of the east round

        // Nothing but the seating value and one value per deal came from the generator.
        TRandom reference(seed);
        std::vector<u32> expected{reference.next()};
        for (size_t k = 0; k < valuesSent(first, S_DEAL).size(); ++k) expected.push_back(reference.next());
        std::vector<u32> sent = valuesSent(first, S_SITDOWN);
        for (u32 v : valuesSent(first, S_DEAL)) sent.push_back(v);
        EXPECT_EQ(sent, expected);

        // The final ranks: one per seat, a permutation of 0..3.
        TPacket_S_Result result(first.received.back().second);
        ASSERT_EQ(first.received.back().first, static_cast<u32>(S_RESULT));
        ASSERT_EQ(result.entries.size(), 4u);
        std::vector<int> ranks;
        for (const auto& [id, rank] : result.entries) ranks.push_back(rank);
        std::sort(ranks.begin(), ranks.end());
        EXPECT_EQ(ranks, (std::vector<int>{0, 1, 2, 3}));
    }
}

TEST(Match, EveryTurnIsADrawADecisionADiscardEveryAnswerAndTheNextTurn) {
    Match m(4, 99);
    ASSERT_TRUE(m.runHand());
    // Cut the first hand's trace into turns at every S_TUMO.
    std::vector<std::vector<u32>> turns;
    for (const auto& line : m.trace) {
        if (line.code == S_TUMO) turns.emplace_back();
        if (!turns.empty()) turns.back().push_back(line.code);
    }
    ASSERT_GT(turns.size(), 60u);
    const std::vector<u32> turn{S_TUMO, C_TUMO, S_SUTE, C_SUTE, C_SUTE, C_SUTE, C_SUTE, S_NEXT};
    for (size_t k = 0; k + 1 < turns.size(); ++k) EXPECT_EQ(turns[k], turn) << "turn " << k;
    // The last turn ends the hand: the exhaustive draw still sends S_NEXT with its flag set.
    EXPECT_EQ(m.table().lastResult.code, mahjong::RE_RYUKYOKU);
    bool sawExhausted = false;
    for (const auto& [code, bytes] : m.seat(0).received)
        if (code == S_NEXT && TPacket_S_Next(bytes).exhausted) sawExhausted = true;
    EXPECT_TRUE(sawExhausted);
    EXPECT_EQ(m.table().wallCount(), m.rule().deadWall);
}

TEST(Match, EachPhaseWaitsForAnAnswerFromEverySeatUnderTwoThreeAndFourPlayers) {
    for (int players : {2, 3, 4}) {
        Match m(players, 5);
        TestSeat& late = m.seat(players - 1);
        ASSERT_TRUE(m.runUntil([&] { return m.room->step() == ROOM_GAME; }, 10));
        late.holding = true;
        // Each collecting phase waits while one seat's answer is held, and moves on once it comes.
        for (int phase : {ST_SITDOWN_WAIT, ST_STARTUP_WAIT, ST_DEAL_WAIT}) {
            ASSERT_TRUE(m.runUntil([&] { return m.room->subStep() == phase; }, 50)) << players;
            m.runUntil([] { return false; }, 5);
            EXPECT_EQ(m.room->subStep(), phase) << players << " players";
            EXPECT_EQ(static_cast<int>(m.room->replies.size()), players - 1);
            late.holding = false;
            ASSERT_TRUE(m.runUntil([&] { return m.room->subStep() != phase; }, 5)) << players;
            late.holding = true;
        }
        late.holding = false;
        ASSERT_TRUE(m.runToEnd()) << players << " players";
        EXPECT_EQ(static_cast<int>(TPacket_S_Result(m.seat(0).received.back().second).entries.size()), players);
    }
}

TEST(Match, AnswersAFrameLateRunTheSameMatch) {
    Match now(4, 31), later(4, 31);
    for (auto& s : later.seatList) s->deferred = true;
    ASSERT_TRUE(now.runToEnd());
    ASSERT_TRUE(later.runToEnd());
    EXPECT_TRUE(later.errors.empty());
    EXPECT_EQ(now.seat(0).received.back(), later.seat(0).received.back());
    for (int id = 0; id < 4; ++id) EXPECT_EQ(now.table().getPlayer(id)->points, later.table().getPlayer(id)->points);
}
