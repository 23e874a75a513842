// The round result and the next round: who decides whether the game goes on after the dealer
// wins the last hand, and what the seats are told.
#include <gtest/gtest.h>

#include "test_seats.h"

using namespace seats;

namespace {

// A four-seat match whose first hand is played as the last hand of the east round (when last is
// set) and is won by self-draw: by the dealer, or by the next seat on its first draw.
struct LastHand : Match {
    LastHand(bool last, bool dealerWins) : Match(4, 3) {
        rule().redFives = 0;
        room->onDeal = [=, this](mahjong::TTable& t, int hand) {
            if (hand != 0) return;
            if (last) {
                // The fourth hand: the dealer sits at seat index 3, the winds follow from there.
                t.handNumber = 3;
                for (int i = 0; i < 4; ++i) t.seatAt(3 + i)->kaze = i;
            }
            const char* waiting = "123m456m789m11p23p";
            if (dealerWins) {
                stack(t, {waiting}, "4p");
                seatFrom(0).script = {onDraw(CLAIM_TUMO, TPai())};
            } else {
                stack(t, {"", waiting}, "9s 4p");
                seatFrom(1).script = {onDraw(CLAIM_TUMO, TPai())};
            }
            dealer = seatFrom(0).id();
        };
    }
    void setFlags(bool dealerFlag, bool othersFlag) {
        for (auto& s : seatList) s->continueFlag = othersFlag;
        wantDealerFlag = dealerFlag;
    }
    // Plays the first hand through the next-round step; returns S_NEXTROUND's flag and what
    // followed it (a new deal or the final result).
    std::pair<bool, u32> play() {
        EXPECT_TRUE(runUntil([this] { return dealer >= 0; }, 100));
        seat(dealer).continueFlag = wantDealerFlag;
        EXPECT_TRUE(runUntil([this] {
            const auto& r = seat(0).received;
            return !r.empty() && (r.back().first == S_RESULT || (r.back().first == S_DEAL && sawNextRound()));
        }));
        bool flag = false;
        for (const auto& [c, b] : seat(0).received)
            if (c == S_NEXTROUND) flag = TPacket_S_NextRound(b).continueFlag;
        return {flag, seat(0).received.back().first};
    }
    bool sawNextRound() const {
        for (const auto& r : seatList.front()->received)
            if (r.first == S_NEXTROUND) return true;
        return false;
    }
    int dealer = -1;
    bool wantDealerFlag = false;
};

}  // namespace

TEST(NextRound, BeforeTheLastHandTheGameGoesOnAndTheFlagIsFalseWhateverTheSeatsSay) {
    LastHand m(false, true);
    m.setFlags(true, true);
    const auto [flag, then] = m.play();
    EXPECT_EQ(m.table().lastResult.code, mahjong::RE_TUMO);
    EXPECT_FALSE(flag);
    EXPECT_EQ(then, static_cast<u32>(S_DEAL));
}

TEST(NextRound, TheDealerWhoWonTheLastHandChoosesToGoOnOrToStop) {
    {
        LastHand m(true, true);
        m.setFlags(true, false);
        const auto [flag, then] = m.play();
        EXPECT_TRUE(flag);
        EXPECT_EQ(then, static_cast<u32>(S_DEAL));
        EXPECT_FALSE(m.table().gameOver);
    }
    {
        // The other seats asking to go on changes nothing: only the dealer's answer is read.
        LastHand m(true, true);
        m.setFlags(false, true);
        const auto [flag, then] = m.play();
        EXPECT_FALSE(flag);
        EXPECT_EQ(then, static_cast<u32>(S_RESULT));
        EXPECT_TRUE(m.table().gameOver);
        ASSERT_TRUE(m.runToEnd());
        EXPECT_TRUE(m.errors.empty());
    }
}

TEST(NextRound, ANonDealerWinOnTheLastHandEndsTheGameWhateverTheFlags) {
    LastHand m(true, false);
    m.setFlags(true, true);
    const auto [flag, then] = m.play();
    EXPECT_EQ(m.table().lastResult.ids, std::vector<int>{m.seatFrom(1).id()});
    EXPECT_FALSE(flag);
    EXPECT_EQ(then, static_cast<u32>(S_RESULT));
}

TEST(NextRound, TheDealersFlagIsReadFromItsOwnAnswerNotFromTheSeatAnotherAnswerNames) {
    // Every other seat claims to be the dealer in its C_ROUNDRESULT and asks to go on.
    LastHand m(true, true);
    m.setFlags(false, false);
    for (auto& s : m.seatList) {
        s->script.push_back([&m](TestSeat& seat, u32 code, const Bytes& b) {
            if (code != S_ROUNDRESULT) return false;
            const bool isDealer = seat.id() == m.dealer;
            seat.reply(C_ROUNDRESULT,
                       TPacket_C_RoundResult(static_cast<u8>(m.dealer), TPacket_S_RoundResult(b).result, !isDealer));
            return true;
        });
    }
    const auto [flag, then] = m.play();
    EXPECT_FALSE(flag);
    EXPECT_EQ(then, static_cast<u32>(S_RESULT));
}

TEST(NextRound, AGameEndedByAPlayerBelowZeroStillCollectsEveryNextRoundAnswer) {
    LastHand m(false, true);
    auto deal = m.room->onDeal;
    m.room->onDeal = [&m, deal](mahjong::TTable& t, int hand) {
        deal(t, hand);
        if (hand == 0) t.getPlayer(m.seatFrom(1).id())->points = 100;
    };
    TestSeat& late = m.seat(3);
    ASSERT_TRUE(m.runUntil([&] { return m.room->subStep() == ST_NEXTROUND && m.room->subSubStep() == 0; }));
    late.holding = true;
    m.runUntil([] { return false; }, 5);
    EXPECT_TRUE(m.table().gameOver);
    EXPECT_EQ(m.room->subStep(), ST_NEXTROUND);
    EXPECT_EQ(m.room->replies.size(), 3u);
    late.holding = false;
    ASSERT_TRUE(m.runUntil([&] { return m.room->step() == ROOM_END; }, 5));
    EXPECT_EQ(m.seat(0).received.back().first, static_cast<u32>(S_RESULT));
}
