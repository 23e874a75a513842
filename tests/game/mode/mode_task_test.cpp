// The mode tasks: how they seat a match, what the parameter map holds after each game mode
// fills it, what the creator reads during and after the match, and whole seeded matches with the
// scripted client in seat 0 followed message by message.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "framework/task.h"
#include "game/client/mahjong_game.h"
#include "game/mode/match_sim.h"
#include "game/mode/mode_task.h"
#include "game/mode/scripted_client.h"
#include "game/packets_s.h"
#include "mahjong/hand_eval.h"
#include "mahjong/notation.h"
#include "mahjong/player.h"
#include "mahjong/table.h"
#include "support/test_support.h"

using namespace game;
using namespace game::server;
using namespace game::mode;

namespace {

// Resets the process-wide services around each test.
struct Mode : testing::Test {
    Mode() { saved = mahjongModeServices(); }
    ~Mode() override {
        mahjongModeServices() = saved;
        mahjong::clearRatingProfiles();
    }
    TMahjongModeServices saved;
};

}  // namespace

TEST_F(Mode, ParameterMapAfterEachGameMode) {
    int spriteLoads = 0;
    mahjongModeServices().loadSprites = [&] { return ++spriteLoads == 1; };
    EXPECT_TRUE(initMahjongAlone());
    EXPECT_EQ(mahjong::ratingProfile(0), mahjong::kFreePlayProfiles[4]);
    EXPECT_EQ(mahjong::ratingProfile(14), mahjong::kFreePlayProfiles[5]);
    EXPECT_EQ(mahjong::ratingProfile(6), mahjong::kFreePlayProfiles[6]);
    EXPECT_FALSE(initMahjongNet());  // the sprite loader's answer is the result
    EXPECT_EQ(spriteLoads, 2);
    EXPECT_EQ(mahjong::ratingProfile(0), mahjong::kNetworkProfiles[0]);
    EXPECT_EQ(mahjong::ratingProfile(8), mahjong::kNetworkProfiles[8]);
    EXPECT_EQ(mahjong::ratingProfile(14), mahjong::kFreePlayProfiles[5]);  // kept from free play
    // The lobby offers characters up to 13; a key no mode filled still plays.
    mahjong::clearRatingProfiles();
    initMahjongNet();
    EXPECT_EQ(mahjong::ratingProfile(13), mahjong::kDefaultRatingProfile);
}

TEST_F(Mode, ProfilesAndRule) {
    TTaskMahjongAlone mode;
    EXPECT_EQ(mode.rule(), mahjong::TRule());
    mode.createProfiles(4);
    ASSERT_EQ(mode.profiles().size(), 4u);
    for (const auto& p : mode.profiles()) {
        EXPECT_EQ(p->name(), "");
        EXPECT_EQ(p->character(), 0u);
        EXPECT_EQ(p->dealerMusic(), 1u);
        EXPECT_EQ(p->ritiMusic(), 1u);
    }
    mode.setProfile(2, "2", 7, 3, 4);
    mode.setProfile(9, "x", 1, 1, 1);  // no such seat: ignored
    EXPECT_EQ(mode.profiles()[2]->name(), "2");
    EXPECT_EQ(mode.profiles()[2]->character(), 7u);
    EXPECT_EQ(mode.profiles()[2]->ritiMusic(), 4u);
    mahjong::TRule r;
    r.gameLength = 0;
    r.redFives = 0;
    mode.setRule(r);
    EXPECT_EQ(mode.rule(), r);
    // Nothing has started: no results to read.
    EXPECT_FALSE(mode.isFinished());
    EXPECT_FALSE(mode.isRetry());
    EXPECT_EQ(mode.standing(0), -1);
    EXPECT_EQ(mode.points(0), -1);
    EXPECT_FALSE(mode.Start());  // not held by a scheduler
}

TEST_F(Mode, SeatingAndTheCreatorsViewOfAMatch) {
    TRandom serverRandom(42), tieBreak(43);
    mahjongModeServices().random = &serverRandom;
    mahjongModeServices().tieBreak = &tieBreak;
    std::vector<std::string> errors;
    mahjongModeServices().errorSink = [&](const std::string& t) { errors.push_back(t); };
    TScriptedClient* human = nullptr;
    mahjongModeServices().makeHuman = [&](TTaskMahjongGame& server) {
        human = new TScriptedClient(&server, &tieBreak);
        return human;
    };
    initMahjongAlone();

    TTaskManager manager(128, 128);
    auto* mode = new TTaskMahjongAlone;
    mode->createProfiles(4);
    for (int i = 0; i < 4; ++i) mode->setProfile(i, std::to_string(i), static_cast<u32>(i + 3), 1, 1);
    ASSERT_EQ(manager.add(3, mode, 0), 3);
    manager.run();  // Start: the server, the client and the computer seats

    ASSERT_NE(mode->server(), nullptr);
    ASSERT_EQ(mode->client(), human);
    EXPECT_EQ(mode->seatIds(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(mode->server()->player(0)->kind(), SEAT_CLIENT);
    for (u32 id = 1; id < 4; ++id) {
        EXPECT_EQ(mode->server()->player(id)->kind(), SEAT_COMPUTER);
        EXPECT_EQ(mode->server()->player(id)->parameterKey(), id + 3);
    }
    EXPECT_EQ(manager.count(), 3);

    int frames = 0;
    while (!mode->isFinished() && frames < 100000) {
        for (int seat = 0; seat < 4; ++seat) {
            ASSERT_EQ(mode->standing(seat), -1);
            ASSERT_EQ(mode->points(seat), -1);
        }
        manager.run();
        ++frames;
    }
    ASSERT_TRUE(mode->isFinished());
    EXPECT_FALSE(mode->isRetry());
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_TRUE(human->problems().empty());

    // What the creator reads is what every seat was told.
    const auto result = boost::dynamic_pointer_cast<TPacket_S_Result>(mode->server()->lastMessage);
    ASSERT_TRUE(result);
    int total = mode->server()->mahjongTable()->table().ritiDeposit;
    std::vector<int> ranks;
    for (int seat = 0; seat < 4; ++seat) {
        EXPECT_EQ(mode->standing(seat), result->entries.at(static_cast<i8>(seat)));
        ranks.push_back(mode->standing(seat));
        total += mode->points(seat);
    }
    std::sort(ranks.begin(), ranks.end());
    EXPECT_EQ(ranks, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(total, 4 * 30000);  // start points plus the top's bonus of the target

    mode->kill();
    EXPECT_EQ(mode->server(), nullptr);
    EXPECT_EQ(mode->standing(0), -1);
    manager.run();
    EXPECT_EQ(manager.count(), 0);
    EXPECT_EQ(manager.find(3), nullptr);
}

TEST_F(Mode, WithoutAFrameTheTableClientWaitsAndTheSimulatorReportsTheStall) {
    // Seat 0 gets the table client on a host where time stands still: it plays up to its first
    // timed answer and waits there.
    TTaskManager manager(128, 128);
    auto* mode = new TTaskMahjongNet;
    mode->createProfiles(4);
    manager.add(3, mode, 0);
    for (int i = 0; i < 400; ++i) manager.run();
    EXPECT_FALSE(mode->isFinished());
    EXPECT_NE(dynamic_cast<game::client::TTaskMahjongGameHuman*>(mode->client()), nullptr);
    EXPECT_EQ(mode->server()->step(), ROOM_GAME);
    EXPECT_EQ(mode->seatIds()[0], 0);
    mode->kill();
    manager.run();
    EXPECT_EQ(manager.count(), 0);

    TMatchOptions options;
    options.seed = 5;
    options.frameCap = 300;  // far too few for a whole match
    const TMatchReport r = runMatch(options);
    EXPECT_FALSE(r.finished);
    ASSERT_FALSE(r.errors.empty());
    EXPECT_NE(r.errors.back().find("stalled"), std::string::npos);
    EXPECT_NE(r.errors.back().find("round state"), std::string::npos);
    EXPECT_NE(r.toJson().find("\"finished\":false"), std::string::npos);
}

TEST_F(Mode, SeededMatchesFollowedMessageByMessage) {
    // 100 seeded matches (25 under the sanitizers); after every message the client's own table
    // holds the server's game.
    const long matches = mjtest::heavyCount(100, 25);
    int wins = 0, riichi = 0, calls = 0, exhaustive = 0, checks = 0;
    for (u32 seed = 1; seed <= matches; ++seed) {
        TMatchOptions options;
        options.seed = seed;
        options.eastSouth = seed % 10 == 0;
        for (u32 s = 0; s < 4; ++s) options.characters[s] = (seed + s * 4) % 15;
        const TMatchReport r = runMatch(options);
        ASSERT_TRUE(r.ok()) << r.toJson();
        // Only the messages of the seating, all sent at once before the match starts, arrive
        // behind one another; every later one is checked as soon as it has been followed.
        EXPECT_GE(r.tableChecks, r.messages - 12);
        checks += r.tableChecks;
        wins += r.wins;
        riichi += r.riichi;
        calls += r.calls;
        exhaustive += r.exhaustive;
    }
    EXPECT_GT(checks, 100 * matches);
    EXPECT_GT(wins, 0);
    EXPECT_GT(riichi, 0);
    EXPECT_GT(calls, 0);
    EXPECT_GT(exhaustive, 0);
}

TEST_F(Mode, AMatchRepeatsForItsSeed) {
    TMatchOptions options;
    options.seed = 77;
    const TMatchReport a = runMatch(options);
    const TMatchReport b = runMatch(options);
    ASSERT_TRUE(a.ok()) << a.toJson();
    EXPECT_EQ(a.digest, b.digest);
    EXPECT_EQ(a.points, b.points);
    EXPECT_EQ(a.frames, b.frames);
    options.seed = 78;
    EXPECT_NE(runMatch(options).digest, a.digest);

    // The match plays on generators of its own: the program's generators are neither read nor
    // drawn from, and its services are as they were.
    TRandom program(5), untouched(5);
    mahjongModeServices().random = &program;
    mahjongModeServices().tieBreak = &program;
    options.seed = 77;
    EXPECT_EQ(runMatch(options).digest, a.digest);
    EXPECT_EQ(program.next(), untouched.next());
    EXPECT_EQ(mahjongModeServices().random, &program);
    EXPECT_FALSE(mahjongModeServices().makeHuman);
}

TEST_F(Mode, TheHandLogWritesEverySeatsHandInTileNotation) {
    TMatchOptions options;
    options.seed = 77;
    options.handLog = true;
    const TMatchReport r = runMatch(options);
    ASSERT_TRUE(r.ok()) << r.toJson();
    EXPECT_EQ(r.handLog.size(), static_cast<size_t>(2 * r.hands));  // a deal and a result each
    EXPECT_NE(r.toJson().find("\"handLog\":[\"deal 1 | "), std::string::npos);
    for (size_t i = 0; i < r.handLog.size(); ++i) {
        const std::string& line = r.handLog[i];
        ASSERT_EQ(line.rfind(i % 2 == 0 ? "deal " : "result ", 0), 0u) << line;
        // Four seats, each "| ID HAND" with a hand that reads back.
        size_t seats = 0, at = 0;
        while ((at = line.find(" | ", at)) != std::string::npos) {
            at += 3;
            const size_t space = line.find(' ', at);
            const size_t end = line.find(" | ", at);
            mahjong::TPaiArray hand;
            ASSERT_TRUE(mahjong::parseTiles(line.substr(space + 1, end - space - 1), hand)) << line;
            if (i % 2 == 0) {
                EXPECT_EQ(hand.size(), 13u) << line;
            }
            ++seats;
        }
        EXPECT_EQ(seats, 4u) << line;
    }
    options.handLog = false;
    EXPECT_EQ(runMatch(options).toJson().find("handLog"), std::string::npos);
}

TEST_F(Mode, TableComparisonSeesWhatAClientCouldGetWrong) {
    // Two tables built by the same seeded operations hold the same game.
    auto build = [](mahjong::TTable& t) {
        for (int id = 0; id < 4; ++id) t.addPlayer(mahjong::TPlayerPtr(new mahjong::TPlayer(&t, id)));
        t.reset();
        t.decideSeats(11);
        t.startRound(12);
        t.decideOya(13);
        t.deal(14);
    };
    mahjong::TTable a(boost::shared_ptr<mahjong::TRule>(new mahjong::TRule));
    mahjong::TTable b(boost::shared_ptr<mahjong::TRule>(new mahjong::TRule));
    build(a);
    build(b);
    EXPECT_TRUE(compareTables(a, b).empty());
    // The same hand in another order is the same hand.
    std::reverse(b.seats[1]->hand.begin(), b.seats[1]->hand.end());
    EXPECT_TRUE(compareTables(a, b).empty());

    b.seats[2]->hand.back().red = 1;
    b.seats[0]->points += 100;
    b.wall.pop_front();
    b.turn = 3;
    const std::vector<std::string> d = compareTables(a, b);
    ASSERT_EQ(d.size(), 4u);
    EXPECT_NE(d[0].find("turn"), std::string::npos);
    EXPECT_EQ(d[1], "wall");
    EXPECT_NE(d[2].find("seat 0 points"), std::string::npos);
    EXPECT_EQ(d[3].rfind("seat 2 hand ", 0), 0u) << d[3];
}

TEST_F(Mode, ARuleAskingForMoreSeatsOrALongerGameThanATableHoldsIsBroughtIntoRange) {
    TRandom tieBreak(5);
    mahjongModeServices().makeHuman = [&](TTaskMahjongGame& server) { return new TScriptedClient(&server, &tieBreak); };
    for (const auto& [players, length, seats, expectedLength] :
         std::vector<std::array<int, 4>>{{9, 7, 4, 1}, {-3, -1, 2, 0}, {3, 0, 3, 0}}) {
        TTaskManager manager(128, 128);
        auto* mode = new TTaskMahjongAlone;
        mahjong::TRule rule;
        rule.players = players;
        rule.gameLength = length;
        mode->setRule(rule);
        ASSERT_EQ(manager.add(3, mode, 0), 3);
        manager.run();
        EXPECT_EQ(static_cast<int>(mode->seatIds().size()), seats) << players;
        EXPECT_EQ(mode->rule().players, seats);
        EXPECT_EQ(mode->rule().gameLength, expectedLength);
        mode->createProfiles(100);
        EXPECT_EQ(mode->profiles().size(), 4u);
        manager.terminate();
    }
}
