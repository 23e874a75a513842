// The computer player on constructed tables: what it answers to each message, which decisions
// wait for its step, and how it weighs calls against its hand.
#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include "game/packets_c.h"
#include "game/packets_round.h"
#include "game/packets_s.h"
#include "game/server/mahjong_game.h"
#include "game/server/think.h"
#include "mahjong/hand_eval.h"
#include "mahjong/notation.h"
#include "mahjong/player.h"
#include "mahjong/table.h"

using namespace game;
using namespace game::server;
using mahjong::tileOf;
using mahjong::tilesOf;
using mahjong::TPai;
using Bytes = std::vector<u8>;

namespace {

constexpr u32 kKey = 200;  // this test's own parameter key

struct Think : testing::Test {
    Think() {
        mahjong::setRatingProfile(kKey, mahjong::kFreePlayProfiles[0]);
        room.setErrorSink([this](const std::string& t) { errors.push_back(t); });
        room.setThinkFactory([this](TPlayer& seat, u32 key) {
            thinks.emplace_back(new TMahjongThinkDef(&seat, key, &random));
            return thinks.back();
        });
        room.init();
        room.mahjongRule()->setDefault();
        for (int i = 0; i < 4; ++i) room.addComputer(kKey, boost::make_shared<TMahjongProfile>());
        table = &room.mahjongTable()->table();
        for (int id = 0; id < 4; ++id) table->addPlayer(boost::make_shared<mahjong::TPlayer>(table, id));
        table->reset();
        for (int i = 0; i < 4; ++i) table->seats[static_cast<size_t>(i)]->newRound(i);
        table->wall.assign(70, TPai(mahjong::PAI_NORTH));
        table->turn = 20;
        for (int id = 0; id < 4; ++id) room.send(static_cast<u32>(id), S_DEAL, nullptr, 0);  // profiles in
        room.cmdQueue().clear();
    }
    ~Think() override { mahjong::clearRatingProfiles(); }

    mahjong::TPlayer& p(int id) { return *table->getPlayer(id); }

    // Delivers a message to one computer seat; with stepIt, lets it step once.
    void deliver(int id, u32 code, TPacket* message, bool stepIt = true) {
        room.send(static_cast<u32>(id), code, boost::shared_ptr<TPacket>(message));
        if (stepIt) thinks[static_cast<size_t>(id)]->step();
    }
    // The one command the seats sent, taken off the queue.
    TCmdPtr answer() {
        EXPECT_EQ(room.cmdQueue().size(), 1u);
        if (room.cmdQueue().empty()) return TCmdPtr();
        TCmdPtr c = room.frontCmd();
        room.popCmd();
        return c;
    }
    // Gives player id the hand and lets it draw the tile from the wall.
    void drawInto(int id, const char* text, const char* drawn) {
        p(id).hand = tilesOf(text);
        p(id).draw(tileOf(drawn), mahjong::DRAW_WALL);
    }

    TTaskMahjongGame room;
    TRandom random{5};
    std::vector<boost::shared_ptr<TMahjongThinkDef>> thinks;
    std::vector<std::string> errors;
    mahjong::TTable* table = nullptr;
};

}  // namespace

TEST_F(Think, OwnDrawDecisions) {
    // Able to win and to declare riichi: it wins, naming no tile.
    drawInto(1, "123m 456m 789m 234p 5p", "5p");
    deliver(1, S_TUMO, new TPacket_S_Tumo(1, tileOf("5p")));
    TPacket_C_Tumo win(answer()->bytes());
    EXPECT_EQ(win.action, static_cast<u32>(CLAIM_TUMO));
    EXPECT_EQ(win.seat, 1);
    EXPECT_EQ(win.drawn.kind, tileOf("5p").kind);
    EXPECT_EQ(win.chosen.kind, mahjong::PAI_NONE);

    // Tenpai without a win: it declares riichi with the first riichi discard.
    drawInto(1, "123m 456m 789m 234p 5p", "9s");
    deliver(1, S_TUMO, new TPacket_S_Tumo(1, tileOf("9s")));
    TPacket_C_Tumo riti(answer()->bytes());
    EXPECT_EQ(riti.action, static_cast<u32>(CLAIM_RITI));
    EXPECT_EQ(riti.chosen.kind, p(1).getRitiOptions().front().kind);

    // In riichi, no win and no kan: the drawn tile goes.
    p(1).ritiFlag = true;
    drawInto(1, "123m 456m 789m 234p 5p", "9s");
    deliver(1, S_TUMO, new TPacket_S_Tumo(1, tileOf("9s")));
    TPacket_C_Tumo tsumogiri(answer()->bytes());
    EXPECT_EQ(tsumogiri.action, static_cast<u32>(CLAIM_SUTE));
    EXPECT_EQ(tsumogiri.chosen.kind, tileOf("9s").kind);

    // In riichi with a kan that keeps the wait: it declares the kan.
    drawInto(1, "111m 456m 789m 234p 5p", "1m");
    deliver(1, S_RINSHAN, new TPacket_S_Rinshan(1, tileOf("1m")));
    const TCmdPtr kanCmd = answer();
    EXPECT_EQ(kanCmd->code(), static_cast<u32>(C_RINSHAN));
    TPacket_C_Rinshan kan(kanCmd->bytes());
    EXPECT_EQ(kan.action, static_cast<u32>(CLAIM_OWN_KAN));
    EXPECT_EQ(kan.chosen.kind, tileOf("1m").kind);
}

TEST_F(Think, DecisionsWaitForTheStepAndOnlyTheirOwnSeat) {
    drawInto(2, "147m 258p 369s 1234z", "5m");
    // Another seat's draw is none of its business.
    deliver(1, S_TUMO, new TPacket_S_Tumo(2, tileOf("5m")));
    EXPECT_TRUE(room.cmdQueue().empty());
    EXPECT_EQ(thinks[1]->getState(), THINK_IDLE);

    deliver(2, S_TUMO, new TPacket_S_Tumo(2, tileOf("5m")), false);
    EXPECT_TRUE(room.cmdQueue().empty());
    EXPECT_EQ(thinks[2]->getState(), THINK_TUMO);
    thinks[2]->step();
    TPacket_C_Tumo d(answer()->bytes());
    EXPECT_EQ(thinks[2]->getState(), THINK_IDLE);
    EXPECT_EQ(d.action, static_cast<u32>(CLAIM_SUTE));
    EXPECT_TRUE(d.chosen.isValid());
    thinks[2]->step();  // nothing kept: nothing sent
    EXPECT_TRUE(room.cmdQueue().empty());
}

TEST_F(Think, BookkeepingIsAnsweredInsideTheDelivery) {
    deliver(3, S_FAKE, new TPacket_S_Fake(2, 3, 77, tileOf("4s")), false);
    TPacket_C_Fake fake(answer()->bytes());
    EXPECT_EQ(fake.seat, 2);
    EXPECT_EQ(fake.ability, 3u);
    EXPECT_EQ(fake.value, 77u);
    EXPECT_EQ(fake.pai.kind, tileOf("4s").kind);

    mahjong::TRoundResult result;
    result.setCode(mahjong::RE_RYUKYOKU);
    deliver(3, S_ROUNDRESULT, new TPacket_S_RoundResult(result), false);
    const TCmdPtr rr = answer();
    EXPECT_EQ(rr->code(), static_cast<u32>(C_ROUNDRESULT));
    TPacket_C_RoundResult roundResult(rr->bytes());
    EXPECT_EQ(roundResult.seat, 3);
    EXPECT_TRUE(roundResult.continueFlag);
    EXPECT_EQ(roundResult.result.code, mahjong::RE_RYUKYOKU);

    table->gameOver = true;
    deliver(3, S_NEXTROUND, new TPacket_S_NextRound(true), false);
    TPacket_C_NextRound next(answer()->bytes());
    EXPECT_TRUE(next.continueFlag);
    EXPECT_TRUE(next.gameOver);

    deliver(3, S_RESULT, new TPacket_S_Result, false);
    const TCmdPtr end = answer();
    EXPECT_EQ(end->code(), static_cast<u32>(C_END));
    EXPECT_EQ(end->bytes(), Bytes{0});

    // Riichi, next-turn and unknown codes are ignored.
    room.send(3, S_RITI, nullptr, 0);
    room.send(3, S_NEXT, nullptr, 0);
    room.send(3, 9999, nullptr, 0);
    EXPECT_TRUE(room.cmdQueue().empty());
    EXPECT_EQ(thinks[3]->getState(), THINK_IDLE);
}

TEST_F(Think, DiscardClaims) {
    // Its own discard: no claim, the table's tile and two empty tiles.
    p(1).hand = tilesOf("123m 456m 789m 234p 59p");
    ASSERT_TRUE(p(1).sute(tileOf("9p")));
    deliver(1, S_SUTE, new TPacket_S_Sute(1, tileOf("9p")));
    TPacket_C_Sute own(answer()->bytes());
    EXPECT_EQ(own.claim, static_cast<u32>(CLAIM_NONE));
    EXPECT_EQ(own.discard.kind, tileOf("9p").kind);
    EXPECT_EQ(own.meld1.kind, mahjong::PAI_NONE);
    EXPECT_EQ(own.meld2.kind, mahjong::PAI_NONE);

    // Ron on 7s, whatever else (pon, chi from the seat before) it could do.
    p(2).hand = tilesOf("234m 456m 678p 55s 77s");
    p(1).hand = tilesOf("7s 1z");
    ASSERT_TRUE(p(1).sute(tileOf("7s")));
    deliver(2, S_SUTE, new TPacket_S_Sute(1, tileOf("7s")));
    TPacket_C_Sute ron(answer()->bytes());
    EXPECT_EQ(ron.claim, static_cast<u32>(CLAIM_RON));
    EXPECT_EQ(ron.seat, 2);
}

TEST_F(Think, PonOnlyWhenStrictlyBetter) {
    p(3).hand = tilesOf("55z 13m 79m 24p 68p 369s");
    p(2).hand = tilesOf("5z 1z");
    ASSERT_TRUE(p(2).sute(tileOf("5z")));
    // A record of zeros: every value equal, so no call.
    mahjong::setRatingProfile(kKey, mahjong::TRatingProfile{});
    deliver(3, S_SUTE, new TPacket_S_Sute(2, tileOf("5z")));
    EXPECT_EQ(TPacket_C_Sute(answer()->bytes()).claim, static_cast<u32>(CLAIM_NONE));

    // With value triplets worth their set value, the open dragon triplet pays.
    mahjong::TRatingProfile valueTriplets = mahjong::kFreePlayProfiles[0];
    valueTriplets[10] = 0x100;
    mahjong::setRatingProfile(kKey, valueTriplets);
    deliver(3, S_SUTE, new TPacket_S_Sute(2, tileOf("5z")));
    TPacket_C_Sute pon(answer()->bytes());
    EXPECT_EQ(pon.claim, static_cast<u32>(CLAIM_PON));
    EXPECT_EQ(pon.meld1.kind, tileOf("5z").kind);
    EXPECT_EQ(pon.meld2.kind, tileOf("5z").kind);
    EXPECT_EQ(pon.meld1.state, mahjong::PS_FREE);
}

TEST_F(Think, AfterItsOwnCallItDiscardsAFreeTile) {
    p(3).hand = tilesOf("p:555z 13m 79m 24p 68p 9s");
    deliver(3, S_PON, new TPacket_S_Pon(3, 2, tileOf("5z"), tileOf("5z"), tileOf("5z")));
    const TCmdPtr c = answer();
    EXPECT_EQ(c->code(), static_cast<u32>(C_PON));
    TPacket_C_Pon after(c->bytes());
    EXPECT_EQ(after.seat, 3);
    EXPECT_NE(after.discard.kind, tileOf("5z").kind);
    EXPECT_TRUE(after.discard.isValid());
}

TEST_F(Think, RobsOnlyAnAddedKan) {
    p(2).hand = tilesOf("12m 456p 678p 234s 55s");  // waits on 3m
    p(1).hand = tilesOf("K:3333m 1z");
    deliver(2, S_KAN, new TPacket_S_Kan(1, 1, tileOf("3m"), mahjong::PS_KAKAN));
    TPacket_C_Kan rob(answer()->bytes());
    EXPECT_EQ(rob.claim, static_cast<u32>(CLAIM_RON));
    EXPECT_EQ(rob.kanKind, mahjong::PS_KAKAN);
    EXPECT_EQ(rob.pai.kind, tileOf("3m").kind);

    p(1).hand = tilesOf("a:3333m 1z");
    deliver(2, S_KAN, new TPacket_S_Kan(1, 1, tileOf("3m"), mahjong::PS_ANKAN));
    EXPECT_EQ(TPacket_C_Kan(answer()->bytes()).claim, static_cast<u32>(CLAIM_NONE));
    // The kan's maker answers its own kan with no claim.
    p(1).hand = tilesOf("K:3333m 1z");
    deliver(1, S_KAN, new TPacket_S_Kan(1, 1, tileOf("3m"), mahjong::PS_KAKAN));
    EXPECT_EQ(TPacket_C_Kan(answer()->bytes()).claim, static_cast<u32>(CLAIM_NONE));
}

TEST_F(Think, ShortMessagesDecodeToTheirDefaults) {
    // An S_TUMO without bytes names seat 0 with no tile: seat 0 acts on it and still answers.
    room.send(0, S_TUMO, nullptr, 0);
    thinks[0]->step();
    EXPECT_EQ(answer()->code(), static_cast<u32>(C_TUMO));
    room.send(2, S_SUTE, Bytes{9});  // too short: seat 0 and no tile, which nobody can claim
    thinks[2]->step();
    EXPECT_EQ(TPacket_C_Sute(answer()->bytes()).claim, static_cast<u32>(CLAIM_NONE));
}

TEST_F(Think, RandomDecisionsNeverDiscardACalledTileAndRepeatForASeed) {
    auto run = [&](u32 seed) {
        TRandom deal(seed);
        random.seed(seed);
        std::vector<int> chosen;
        for (int i = 0; i < 5000; ++i) {
            mahjong::TPlayer& me = p(1);
            me.hand.clear();
            me.ritiFlag = false;
            // Up to two melds (pon, concealed kan or chi) in front, then free tiles up to fourteen.
            const int melds = static_cast<int>(deal.next() % 3);
            int kans = 0;
            for (int m = 0; m < melds; ++m) {
                const int k = static_cast<int>(deal.next() % 34);
                switch (deal.next() % 3) {
                    case 0:
                        for (int j = 0; j < 3; ++j) me.hand.push_back(TPai(k, mahjong::PS_PON));
                        break;
                    case 1:
                        for (int j = 0; j < 4; ++j) me.hand.push_back(TPai(k, mahjong::PS_ANKAN));
                        ++kans;
                        break;
                    default: {
                        const int low = k % 9 <= 6 && k < 27 ? k : 0;
                        for (int j = 0; j < 3; ++j) me.hand.push_back(TPai(low + j, mahjong::PS_TI_LOW + j));
                        break;
                    }
                }
            }
            me.kanCount = kans;
            while (me.hand.size() < static_cast<size_t>(13 + kans))
                me.hand.push_back(TPai(static_cast<int>(deal.next() % 34)));
            me.closed = melds == 0;
            const TPai drawn(static_cast<int>(deal.next() % 34));
            me.draw(drawn, mahjong::DRAW_WALL);
            const mahjong::TPaiArray before = me.hand;
            deliver(1, S_TUMO, new TPacket_S_Tumo(1, drawn));
            TPacket_C_Tumo d(answer()->bytes());
            if (d.action != CLAIM_SUTE) continue;
            int at = -1;
            for (size_t j = 0; j < before.size(); ++j)
                if (before[j].isFree() && before[j].kind == d.chosen.kind) at = static_cast<int>(j);
            EXPECT_GE(at, 0) << "decision " << i << " discards a tile it has no free copy of";
            chosen.push_back(d.chosen.kind);
        }
        return chosen;
    };
    const std::vector<int> first = run(11);
    EXPECT_GT(first.size(), 2000u);
    EXPECT_EQ(run(11), first);
}

TEST_F(Think, ChiWhenItBuildsTheChosenFlush) {
    // Under a flush in characters a called run there keeps its value: chi on 2m beats no call.
    mahjong::TRatingProfile flush = mahjong::kFreePlayProfiles[0];
    flush[10] = 1;
    mahjong::setRatingProfile(kKey, flush);
    p(2).hand = tilesOf("34m 678m 19p 19s 1234z");
    p(2).rating().reset(new mahjong::TRating(p(2).rule(), p(2), &random));
    p(2).rating()->setProfile(static_cast<int>(kKey));
    p(2).rating()->decideStrategy();
    ASSERT_EQ(p(2).rating()->getStrategy(), mahjong::RS_FLUSH);
    p(1).hand = tilesOf("2m 1z");
    ASSERT_TRUE(p(1).sute(tileOf("2m")));
    deliver(2, S_SUTE, new TPacket_S_Sute(1, tileOf("2m")));
    TPacket_C_Sute chi(answer()->bytes());
    EXPECT_EQ(chi.claim, static_cast<u32>(CLAIM_TI));
    EXPECT_EQ(chi.meld1.kind, tileOf("3m").kind);
    EXPECT_EQ(chi.meld2.kind, tileOf("4m").kind);
    // The seat across cannot chi the same tile and has no reason to call.
    p(3).hand = tilesOf("34m 678m 19p 19s 1234z");
    deliver(3, S_SUTE, new TPacket_S_Sute(1, tileOf("2m")));
    EXPECT_EQ(TPacket_C_Sute(answer()->bytes()).claim, static_cast<u32>(CLAIM_NONE));
}

TEST_F(Think, AnOwnKanNamesTheTileInTheHand) {
    // The fourth tile of a pon is the red five: the answer must name that very tile.
    drawInto(1, "p:555s 123m 456p 19s 1z", "0s");
    deliver(1, S_TUMO, new TPacket_S_Tumo(1, tileOf("0s")));
    TPacket_C_Tumo kan(answer()->bytes());
    ASSERT_EQ(kan.action, static_cast<u32>(CLAIM_OWN_KAN));
    EXPECT_EQ(kan.chosen.kind, tileOf("5s").kind);
    EXPECT_EQ(kan.chosen.red, 1);
    EXPECT_EQ(kan.chosen.state, mahjong::PS_FREE);
}
