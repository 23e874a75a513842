// Seats that answer wrongly: twice, for another seat, out of turn, with a decision or a claim
// their hand does not allow. The server logs and drops or corrects each, never changes a hand
// half-way, and the match runs to its end.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/server/replies.h"
#include "test_seats.h"

using namespace seats;

namespace {

std::vector<int> finalPoints(Match& m) {
    std::vector<int> out;
    for (int id = 0; id < 4; ++id) out.push_back(m.table().getPlayer(id)->points);
    return out;
}

TAnswerBook::TMark answerBookMark(Match& m, int seat, u32 code) { return answerBook(*m.room).mark(seat, code); }

bool queueHoldsNoAnswers(Match& m) {
    const auto& q = m.room->cmdQueue();
    return std::none_of(q.begin(), q.end(), [](const TCmdPtr& c) { return isGameReply(c->code()); });
}

size_t errorsWith(const Match& m, const std::string& text) {
    return static_cast<size_t>(std::count_if(m.errors.begin(), m.errors.end(), [&](const std::string& e) {
        return e.rfind("[ERROR] ", 0) == 0 && e.find(text) != std::string::npos;
    }));
}

// A match whose first hand is stacked, with the hand sizes watched after every frame.
struct Faulty : Match {
    Faulty(std::vector<std::string> hands, std::string draws, std::function<void(Faulty&)> setUp) : Match(4, 17) {
        rule().redFives = 0;
        room->onDeal = [this, hands, draws, setUp](mahjong::TTable& t, int hand) {
            if (hand != 0) return;
            stack(t, hands, draws);
            setUp(*this);
        };
        check = [this] {
            if (room->step() == ROOM_GAME && room->subStep() == ST_ROUND && !sizesBroken)
                sizesBroken = !handSizeFault(table()).empty();
        };
    }
    // The tiles a seat discarded in the first hand.
    std::vector<int> discardsOf(int k) {
        std::vector<int> out;
        for (const auto& d : table().seatAt(table().handNumber + k)->sutes) out.push_back(d.kind);
        return out;
    }
    bool sizesBroken = false;
};

}  // namespace

TEST(Faults, EveryAnswerSentTwiceChangesNothing) {
    Match honest(4, 23), doubled(4, 23);
    for (auto& s : doubled.seatList) s->copies = 2;
    ASSERT_TRUE(honest.runToEnd());
    ASSERT_TRUE(doubled.runToEnd());
    EXPECT_TRUE(honest.errors.empty());
    EXPECT_FALSE(doubled.errors.empty());
    for (const auto& e : doubled.errors) EXPECT_EQ(e.rfind("[ERROR] ", 0), 0u) << e;
    EXPECT_EQ(finalPoints(honest), finalPoints(doubled));
    EXPECT_EQ(honest.seat(0).received.back(), doubled.seat(0).received.back());
    EXPECT_TRUE(queueHoldsNoAnswers(doubled));
}

TEST(Faults, AnswersFromUnknownSendersAreDropped) {
    Match honest(4, 29), noisy(4, 29);
    int frame = 0;
    noisy.check = [&] {
        if (noisy.room->step() != ROOM_GAME) return;
        // A sender that has no seat, with every game answer in turn.
        const u32 code = C_SITDOWN + static_cast<u32>(frame++ % 14);
        const Bytes bytes(17, 0);
        noisy.room->pushCmd(9, SERVER_ID, code, bytes.data(), static_cast<int>(bytes.size()));
    };
    ASSERT_TRUE(honest.runToEnd());
    ASSERT_TRUE(noisy.runToEnd());
    EXPECT_GT(errorsWith(noisy, "from player 9"), 100u);
    EXPECT_EQ(finalPoints(honest), finalPoints(noisy));
}

TEST(Faults, AnAnswerBeforeItsQuestionIsKeptAndAStaleOneIsDropped) {
    Match m(4, 41);
    ASSERT_TRUE(m.runUntil([&] { return m.room->step() == ROOM_GAME && m.room->subStep() == ST_ROUND; }));
    // Seat 1 acknowledges the round result before the hand is even played, and repeats its
    // acknowledgement of the deal, long settled.
    mahjong::TRoundResult none;
    const Bytes early = TPacket_C_RoundResult(1, none, false).toBytes();
    m.room->pushCmd(1, SERVER_ID, C_ROUNDRESULT, early.data(), static_cast<int>(early.size()));
    m.room->pushCmd(1, SERVER_ID, C_DEAL, nullptr, 0);
    m.room->pushCmd(1, SERVER_ID, C_ROUNDRESULT, early.data(), static_cast<int>(early.size()));
    ASSERT_TRUE(m.runHand());
    // The early answer stood for seat 1's; its repeat behind it, and its own answer later on,
    // were dropped.
    ASSERT_TRUE(m.runUntil([&] { return m.room->subStep() != ST_ROUNDRESULT; }));
    EXPECT_EQ(errorsWith(m, "ST_ROUND_START dropped code 3003 from player 1"), 1u);
    EXPECT_EQ(errorsWith(m, "dropped code 3013 from player 1"), 2u);
    ASSERT_TRUE(m.runToEnd());
}

TEST(Faults, ADrawDecisionTheHandDoesNotAllowBecomesADiscardOfTheDrawnTile) {
    // Each seat in turn: an unknown action, a discard it does not hold, a win it does not have,
    // a riichi from a hand that is not ready, then a kan of a kind it holds once and nine
    // terminals it does not have. Every one discards the drawn tile instead.
    Faulty f({"123m456m789s11p35z", "234m567m678s22p46z", "345m678m234s33p57z", "123s456s789m47p36z"},
             "1p 2p 3p 4p 6p 7p", [](Faulty& f) {
                 f.seatFrom(0).script = {onDraw(0x4000, tileOf("1m")), onDraw(CLAIM_OWN_KAN, tileOf("1m"))};
                 f.seatFrom(1).script = {onDraw(CLAIM_SUTE, tileOf("9p")), onDraw(CLAIM_KYUSHU, TPai())};
                 f.seatFrom(2).script = {onDraw(CLAIM_TUMO, TPai())};
                 f.seatFrom(3).script = {onDraw(CLAIM_RITI, tileOf("3z"))};
             });
    ASSERT_TRUE(f.runHand());
    EXPECT_EQ(errorsWith(f, "not allowed for player"), 6u);
    EXPECT_EQ(f.discardsOf(0).at(0), tileOf("1p").kind);
    EXPECT_EQ(f.discardsOf(1).at(0), tileOf("2p").kind);
    EXPECT_EQ(f.discardsOf(2).at(0), tileOf("3p").kind);
    EXPECT_EQ(f.discardsOf(3).at(0), tileOf("4p").kind);
    EXPECT_EQ(f.discardsOf(0).at(1), tileOf("6p").kind);
    EXPECT_EQ(f.discardsOf(1).at(1), tileOf("7p").kind);
    EXPECT_FALSE(f.table().getPlayer(f.seatFrom(3).id())->ritiFlag);
    EXPECT_EQ(f.table().getPlayer(f.seatFrom(0).id())->kanCount, 0);
    EXPECT_FALSE(f.sizesBroken);
    ASSERT_TRUE(f.runToEnd());
}

TEST(Faults, AClaimTheSeatMayNotMakeCountsAsNoClaim) {
    // On the dealer's 9s: a pon without the pair, a pon naming tiles it does not hold, a ron
    // without a winning hand; the dealer claims its own discard; then an unknown claim word and
    // a kan with only two of the kind.
    Faulty f({"", "9s123m456m789p12z", "99s123m456m789p1z", "123s123m456m78p12z"}, "9s 9m", [](Faulty& f) {
        f.seatFrom(0).script = {claimOn(tileOf("9s"), CLAIM_PON, tileOf("9s"), tileOf("9s"))};
        f.seatFrom(1).script = {claimOn(tileOf("9s"), CLAIM_PON, tileOf("9s"), tileOf("9s")),
                                claimOn(tileOf("9m"), 0x1234)};
        f.seatFrom(2).script = {claimOn(tileOf("9s"), CLAIM_PON, tileOf("9s"), tileOf("8s")),
                                claimOn(tileOf("9m"), CLAIM_KAN)};
        f.seatFrom(3).script = {claimOn(tileOf("9s"), CLAIM_RON)};
    });
    ASSERT_TRUE(f.runHand());
    EXPECT_EQ(errorsWith(f, "ST_ROUND_SUTE claim"), 6u);
    for (int k = 0; k < 4; ++k) EXPECT_TRUE(f.table().seatAt(k)->closed);
    const auto& dealerPond = f.table().getPlayer(f.seatFrom(0).id())->sutes;
    EXPECT_EQ(dealerPond.at(0).inPond, 1);
    EXPECT_FALSE(f.sizesBroken);
    ASSERT_TRUE(f.runToEnd());
}

TEST(Faults, ACallersDiscardItDoesNotHoldBecomesItsLastFreeTile) {
    Faulty f({"", "", "99m1p234s567s2345p"}, "9m", [](Faulty& f) {
        f.seatFrom(2).script = {claimOn(tileOf("9m"), CLAIM_PON, tileOf("9m"), tileOf("9m")),
                                discardAfterCall(tileOf("7z"))};
    });
    ASSERT_TRUE(f.runHand());
    EXPECT_EQ(errorsWith(f, "ST_ROUND_PON discard not in the hand"), 1u);
    EXPECT_EQ(f.discardsOf(2).at(0), tileOf("5p").kind);  // the last free tile of the sorted hand
    EXPECT_FALSE(f.sizesBroken);
}

TEST(Faults, ADrawAnswerFromASeatNotToActIsDropped) {
    Match m(4, 43);
    m.check = [&] {
        // Once seat 2 has made its first decision, it keeps sending discards out of turn.
        if (m.room->step() != ROOM_GAME || m.room->subStep() != ST_ROUND) return;
        if (answerBookMark(m, 2, C_TUMO) != TAnswerBook::SETTLED) return;
        const Bytes b = TPacket_C_Tumo(2, CLAIM_SUTE, TPai(), m.table().getPlayer(2)->hand.back()).toBytes();
        if (m.table().currentPlayer()->playerId != 2)
            m.room->pushCmd(2, SERVER_ID, C_TUMO, b.data(), static_cast<int>(b.size()));
    };
    ASSERT_TRUE(m.runHand());
    EXPECT_GT(errorsWith(m, "dropped code 3005 from player 2"), 10u);
    ASSERT_TRUE(m.runToEnd());
}

TEST(Abilities, EverySeatAnswersTheAbilityAndTheDrawersDecisionWaitsBehindIt) {
    Faulty f({}, "", [](Faulty& f) {
        auto& dealer = f.seatFrom(0);
        f.table().getPlayer(dealer.id())->fake.ids = {1};
        dealer.script = {[](TestSeat& s, u32 code, const Bytes& b) {
                             if (code != S_TUMO || TPacket_S_Tumo(b).seat != s.id()) return false;
                             s.reply(C_DOFAKE, TPacket_C_DoFake(static_cast<u8>(s.id()), 1, TPai()));
                             return true;
                         },
                         [](TestSeat& s, u32 code, const Bytes& b) {
                             if (code != S_FAKE) return false;
                             s.answer(code, b);
                             // The decision follows the ability's answer at once, ahead of the
                             // other seats' answers.
                             const TPai drawn = s.player().lastTumo;
                             s.reply(C_TUMO, TPacket_C_Tumo(static_cast<u8>(s.id()), CLAIM_SUTE, drawn, drawn));
                             return true;
                         }};
    });
    ASSERT_TRUE(f.runHand());
    std::vector<u32> start;
    for (const auto& line : f.trace) {
        if (line.code == S_TUMO || !start.empty()) start.push_back(line.code);
        if (start.size() == 13) break;
    }
    const int fakes = static_cast<int>(std::count(start.begin(), start.end(), C_FAKE));
    EXPECT_EQ(fakes, 4);
    EXPECT_EQ(std::count(start.begin(), start.end(), S_FAKE), 1);
    EXPECT_EQ(start.at(0), static_cast<u32>(S_TUMO));
    EXPECT_EQ(start.at(1), static_cast<u32>(C_DOFAKE));
    EXPECT_TRUE(f.errors.empty()) << f.errors.front();
    EXPECT_EQ(f.table().getPlayer(f.seatFrom(0).id())->fake.state.at(1), 1);
    EXPECT_FALSE(f.sizesBroken);
    ASSERT_TRUE(f.runToEnd());
}

TEST(Abilities, RequestsBeforeTheFirstDrawGoBySeatWindThenAbility) {
    // Seat wind 2 asks for ability 8 first, then the dealer for 9 and then for 2.
    Faulty f({}, "", [](Faulty& f) {
        f.table().getPlayer(f.seatFrom(2).id())->fake.ids = {8};
        f.table().getPlayer(f.seatFrom(0).id())->fake.ids = {9, 2};
        auto ask = [](std::vector<u32> abilities) {
            return [abilities](TestSeat& s, u32 code, const Bytes& b) {
                if (code != S_STARTROUND) return false;
                for (u32 a : abilities) s.reply(C_DOFAKE, TPacket_C_DoFake(static_cast<u8>(s.id()), a, TPai()));
                s.answer(code, b);
                return true;
            };
        };
        // Answers go out in id order; the script makes the seat of wind 2 ask before the dealer,
        // and even before it acknowledges the deal.
        const u8 id2 = static_cast<u8>(f.seatFrom(2).id());
        const Bytes request = TPacket_C_DoFake(id2, 8, TPai()).toBytes();
        f.room->pushCmd(id2, SERVER_ID, C_DOFAKE, request.data(), static_cast<int>(request.size()));
        auto& queue = f.room->cmdQueue();
        queue.push_front(queue.back());  // ahead of every C_DEAL
        queue.pop_back();
        f.seatFrom(0).script = {ask({9, 2})};
        f.seatFrom(0).deferred = true;
    });
    ASSERT_TRUE(f.runHand());
    std::vector<u32> order;
    for (const auto& [c, b] : f.seat(0).received)
        if (c == S_FAKE) order.push_back(TPacket_S_Fake(b).ability);
    EXPECT_EQ(order, (std::vector<u32>{2, 9, 8}));
    EXPECT_TRUE(f.errors.empty());
}
