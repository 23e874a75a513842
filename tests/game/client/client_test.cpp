// The table client: its small state machines against a link that records what it sends, and
// whole matches with the human seat played through it against the real server.
#include <gtest/gtest.h>

#include "game/client/mahjong_game.h"
#include "game/mode/auto_client.h"
#include "game/mode/match_sim.h"
#include "game/packets_c.h"
#include "game/packets_round.h"
#include "game/packets_s.h"
#include "mahjong/player.h"
#include "support/test_support.h"

using namespace game;
using namespace game::client;

namespace {

// The end screen's buttons: the one given holds the pointer.
class TButtonClient : public TTaskMahjongGameHuman {
public:
    using TTaskMahjongGameHuman::TTaskMahjongGameHuman;
    int endButtonHit = -1;

protected:
    TClientRect endButtonRect(int index) const override {
        return index == endButtonHit ? TClientRect{0, 0, 800, 600} : TClientRect{0, 0, 1, 1};
    }
};

struct TRecordingLink : ServerLink {
    int postToServer(u8, u32 code, const u8* data, int length) override {
        sent.emplace_back(code, data && length > 0 ? std::vector<u8>(data, data + length) : std::vector<u8>());
        return static_cast<int>(sent.size());
    }
    std::vector<std::pair<u32, std::vector<u8>>> sent;
};

// A client seated as player 0 of four, ready to play: the room messages and the seating,
// start-up and deal are in, each answered.
struct Client : ::testing::Test {
    TRecordingLink link;
    game::mode::TAutoHost host;
    TButtonClient client{LINK_LOCAL, &link, &host};
    std::vector<std::string> errors;

    void SetUp() override {
        client.setErrorSink([this](const std::string& e) { errors.push_back(e); });
        boost::shared_ptr<TMahjongProfile> own(new TMahjongProfile);
        own->setDealerMusic(7);
        client.connect(own);
        client.Start();
    }
    void push(u32 code, const std::vector<u8>& bytes = {}) {
        client.pushCmd(SERVER_ID, 0, code, bytes.empty() ? nullptr : bytes.data(), static_cast<int>(bytes.size()));
    }
    void push(u32 code, const TPacket& p) { push(code, p.toBytes()); }
    void frames(int n) {
        for (int i = 0; i < n; ++i) {
            client.update();
            host.nextFrame();
        }
    }
    // Frames until the client sends something (at most limit); how many it took.
    int framesUntilSent(int limit) {
        const size_t before = link.sent.size();
        for (int i = 1; i <= limit; ++i) {
            frames(1);
            if (link.sent.size() > before) return i;
        }
        return -1;
    }
    u32 lastCode() const { return link.sent.empty() ? 0 : link.sent.back().first; }
    void enterRoom() {
        push(S_ENTRY, TPacket_S_Entry(0));
        for (u8 id = 1; id < 4; ++id) {
            boost::shared_ptr<TMahjongProfile> p(new TMahjongProfile);
            p->setDealerMusic(10 + id);
            push(S_ADDPLAYER, TPacket_S_AddPlayer(id, p));
        }
        boost::shared_ptr<TMahjongRule> rule(new TMahjongRule);
        rule->setDefault();
        rule->setPlayerNum(4);
        push(S_STARTROOM, TPacket_S_StartRoom(rule));
    }
    void startHand(u32 seed) {
        enterRoom();
        push(S_STARTGAME);
        push(S_SITDOWN, TPacket_S_Sitdown(seed));
        push(S_STARTUP);
        push(S_DEAL, TPacket_S_Deal(seed));
        frames(6);
        ASSERT_EQ(client.subStep(), 40);
    }
    mahjong::TTable& table() { return *client.mirror(); }
};

TEST(SelTeSet, CandidatesUnderOneKeyShareTheirFirstIndex) {
    TSelTeSet s;
    s.add(0, 1, {5, 7});
    s.add(0, 1, {5, 9});
    EXPECT_EQ(s.at(1), (std::vector<std::vector<int>>{{5, 7}, {5, 9}}));
    s.add(1, 1, {5, 11});  // mode 1 only adds to new keys
    EXPECT_EQ(s.at(1).size(), 2u);
    s.add(0, 1, {6, 1});
    EXPECT_EQ(s.at(1), (std::vector<std::vector<int>>{{6, 1}}));
    s.add(0, 2, {});
    EXPECT_FALSE(s.has(2));
    s.add(1, 2, {3});
    EXPECT_EQ(s.at(2), (std::vector<std::vector<int>>{{3}}));
}

TEST_F(Client, ClassifiesTilesHighlightFirst) {
    client.selTeSet().add(0, 4, {4});
    client.highlight().insert(4);
    client.highlight().insert(9);
    EXPECT_EQ(client.classifyTile(4), 1);
    EXPECT_EQ(client.classifyTile(9), 1);
    client.highlight().clear();
    EXPECT_EQ(client.classifyTile(4), 0);
    EXPECT_EQ(client.classifyTile(5), 2);
}

TEST_F(Client, RoomMessagesSeatPlayersOnceAndReadyIsSentOnce) {
    enterRoom();
    push(S_ENTRY, TPacket_S_Entry(0));  // again: the player stays as it is
    frames(1);
    EXPECT_EQ(client.getOwnId(), 0);
    EXPECT_EQ(client.getPlayerCount(), 4);
    EXPECT_EQ(client.getPlayer(0)->profile()->dealerMusic(), 7u);
    EXPECT_EQ(client.getPlayer(3)->profile()->dealerMusic(), 13u);
    // Looking a seat up never enters one.
    EXPECT_EQ(client.getPlayer(9), nullptr);
    EXPECT_EQ(client.getPlayerCount(), 4);
    EXPECT_TRUE(link.sent.empty());
    frames(3);
    ASSERT_EQ(link.sent.size(), 1u);
    EXPECT_EQ(lastCode(), C_READY);
    EXPECT_EQ(TTaskMahjongGame::toRelativeSeat(mahjong::TD_KAMI), 3);
    EXPECT_EQ(TTaskMahjongGame::toRelativeSeat(mahjong::TD_MY), 0);
    EXPECT_EQ(TTaskMahjongGame::toRelativeSeat(7), 0);
}

TEST_F(Client, TheDealStartsTheDealersMusic) {
    startHand(11);
    const int dealer = table().dealer()->playerId;
    EXPECT_EQ(host.playing, dealer == 0 ? "bgm\\bgm07.ogg" : "bgm\\bgm1" + std::to_string(dealer) + ".ogg");
    EXPECT_EQ(table().wallCount(), 136 - 52);
}

TEST_F(Client, OwnDiscardIsAnsweredWithoutClaimAfter300Milliseconds) {
    startHand(3);
    link.sent.clear();
    const int actor = table().currentPlayer()->playerId;
    const mahjong::TPai tile = table().wall.front();
    push(S_TUMO, TPacket_S_Tumo(static_cast<u8>(actor), tile));
    frames(2);
    ASSERT_EQ(client.isChoosing(), actor == 0);
    if (actor == 0) {
        EXPECT_EQ(client.getChoiceMenu() & 0x2158u, 0x2158u);
        client.ownPlayer()->setAction(CLAIM_SUTE);
        client.ownPlayer()->setSelectPai(tile, 0);
        client.endChoice();
        frames(1);
        ASSERT_EQ(lastCode(), C_TUMO);
        EXPECT_TRUE(mahjong::isSamePai(TPacket_C_Tumo(link.sent.back().second).chosen, tile));
    }
    push(S_SUTE, TPacket_S_Sute(static_cast<u8>(actor), tile));
    const size_t before = link.sent.size();
    frames(2);
    const bool choice = client.isChoosing();
    if (!choice) {
        // No menu; the stop watch starts on the next frame and 300 ms at 16 ms a frame are 19
        // frames more.
        EXPECT_EQ(framesUntilSent(40), 20);
        ASSERT_EQ(link.sent.size(), before + 1);
        EXPECT_EQ(TPacket_C_Sute(link.sent.back().second).claim, u32(CLAIM_NONE));
    } else {
        // A claim is possible: no claim is always among the choices.
        EXPECT_TRUE(client.getChoiceActions() & CLAIM_NONE);
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(Client, RiichiSilencesTheMusicFor80Frames) {
    startHand(5);
    host.volume = 200;
    const int actor = table().currentPlayer()->playerId;
    push(S_RITI, TPacket_S_Riti(static_cast<u8>(actor), mahjong::TPai()));
    frames(2);
    EXPECT_EQ(host.volume, 0);
    EXPECT_EQ(host.effects, std::vector<int>{1});
    EXPECT_TRUE(table().currentPlayer()->ritiFlag);
    frames(78);
    EXPECT_EQ(host.volume, 0);
    frames(2);
    EXPECT_EQ(host.volume, 200);
    EXPECT_EQ(client.roundState(), 0);
}

TEST_F(Client, NextTurnMismatchesAreLoggedOnly) {
    startHand(8);
    const int next = table().seatAt(table().handNumber + 1)->playerId;
    push(S_NEXT, TPacket_S_Next(static_cast<u8>((next + 1) % 4), true));
    frames(3);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0], "[ERROR] Client::ST_ROUND_NEXT pleyerid");
    EXPECT_EQ(errors[1], "[ERROR] Client::ST_ROUND_NEXT endturn");
    EXPECT_EQ(table().currentPlayer()->playerId, next);
}

TEST_F(Client, ADrawShowsOnePageAndTheLastHandEndsTheGame) {
    startHand(9);
    link.sent.clear();
    mahjong::TRoundResult draw;
    draw.setCode(mahjong::RE_KYUSHU);
    draw.ids.push_back(table().currentPlayer()->playerId);
    push(S_ROUNDRESULT, TPacket_S_RoundResult(draw));
    frames(3);
    EXPECT_EQ(client.subStep(), 50);
    EXPECT_EQ(client.inputState(), IN_RESULT);
    EXPECT_TRUE(host.playing.empty());
    // The host clicks every frame: one page, then the acknowledgement.
    EXPECT_EQ(framesUntilSent(10), 3);
    ASSERT_EQ(lastCode(), C_ROUNDRESULT);
    const TPacket_C_RoundResult ack(link.sent.back().second);
    EXPECT_FALSE(ack.continueFlag);
    EXPECT_EQ(ack.result.code, mahjong::RE_KYUSHU);
    EXPECT_EQ(client.subStep(), 60);
    // The table says the game is over: C_NEXTROUND carries it and the client waits for S_RESULT.
    table().roundWind = 1;
    table().handNumber = 3;
    push(S_NEXTROUND, TPacket_S_NextRound(false));
    frames(1);
    ASSERT_EQ(lastCode(), C_NEXTROUND);
    EXPECT_TRUE(TPacket_C_NextRound(link.sent.back().second).gameOver);
    EXPECT_EQ(client.subStep(), 70);
    TPacket_S_Result result;
    result.set(0, 2);
    push(S_RESULT, result);
    frames(1);
    EXPECT_EQ(client.step(), 3);
    EXPECT_EQ(client.finalResult()->entries, result.entries);
    // No end button holds the pointer: no C_END however often the host clicks.
    EXPECT_EQ(framesUntilSent(20), -1);
    EXPECT_GE(client.frameCounter(), 20);
    for (int button : {1, 0}) {
        client.endButtonHit = button;
        client.setSubSubStep(10);
        EXPECT_EQ(framesUntilSent(5), 2);
        ASSERT_EQ(lastCode(), C_END);
        // 1 asks for the same match again: only the first button does.
        EXPECT_EQ(link.sent.back().second, std::vector<u8>{static_cast<u8>(button == 0 ? 1 : 0)});
    }
}

TEST_F(Client, ADoubleRonWaitsForItsWinnersAndShowsTwoPages) {
    startHand(12);
    link.sent.clear();
    const int discarder = table().currentPlayer()->playerId;
    const int a = (discarder + 1) % 4, b = (discarder + 2) % 4;
    mahjong::TRoundResult ron;
    ron.setAgari(mahjong::RE_RON, mahjong::TPai(4), discarder);
    ron.ids = {a, b};
    push(S_ROUNDRESULT, TPacket_S_RoundResult(ron));
    frames(2);
    EXPECT_EQ(client.mahjongPlayer(a)->waitKind(), WAIT_RON);
    EXPECT_EQ(client.mahjongPlayer(b)->waitFrames(), 100);
    // 100 frames of the winners' wait, the pages set up, one click per page, the settling frame
    // and the answer.
    EXPECT_EQ(framesUntilSent(200), 105);
    ASSERT_EQ(lastCode(), C_ROUNDRESULT);
    EXPECT_EQ(TPacket_C_RoundResult(link.sent.back().second).result.ids, (std::vector<int>{a, b}));
    EXPECT_EQ(client.inputSubState(), 2);
}

TEST(ClientMatches, SeededMatchesThroughTheTableClientKeepItsTableEqual) {
    // The human seat played through the table client by an automatic player: after every
    // message the client's table holds the server's game, the client logs nothing, the final
    // result it shows is the server's.
    const long matches = mjtest::heavyCount(100, 25);
    int checks = 0, choices = 0, wins = 0, calls = 0, riichi = 0;
    for (u32 seed = 1; seed <= static_cast<u32>(matches); ++seed) {
        TMatchOptions options;
        options.seed = seed;
        options.tableClient = true;
        options.eastSouth = seed % 25 == 0;
        for (u32 s = 0; s < 4; ++s) options.characters[s] = (seed + s * 3) % 15;
        const TMatchReport r = runMatch(options);
        ASSERT_TRUE(r.ok()) << r.toJson();
        checks += r.tableChecks;
        choices += r.choices;
        wins += r.wins;
        calls += r.calls;
        riichi += r.riichi;
    }
    EXPECT_GT(checks, 100 * matches);
    EXPECT_GT(choices, 10 * matches);
    EXPECT_GT(wins, 0);
    EXPECT_GT(calls, 0);
    EXPECT_GT(riichi, 0);
}

}  // namespace

namespace {

TEST_F(Client, AnAbilityUsedOnTheOwnDrawAsksForTheDrawAgainAfterwards) {
    startHand(21);
    link.sent.clear();
    // The own seat is the one to draw.
    table().turn = (table().getSeatIndex(0) - table().handNumber + 4) % 4;
    const mahjong::TPai tile = table().wall.front();
    push(S_TUMO, TPacket_S_Tumo(0, tile));
    frames(2);
    ASSERT_TRUE(client.isChoosing());
    client.ownPlayer()->setAction(0x2000);
    client.ownPlayer()->setFakeId(1);
    client.endChoice();
    frames(1);
    ASSERT_EQ(lastCode(), C_DOFAKE);
    EXPECT_EQ(TPacket_C_DoFake(link.sent.back().second).ability, 1u);
    push(S_FAKE, TPacket_S_Fake(0, 1, 77, mahjong::TPai()));
    frames(3);
    ASSERT_EQ(lastCode(), C_FAKE);
    EXPECT_EQ(client.ownPlayer()->fake.state[1], 1);
    // The draw's own answer is still owed: the choice is offered again and answered as C_TUMO.
    ASSERT_TRUE(client.isChoosing());
    client.ownPlayer()->setAction(CLAIM_TUMO);
    client.endChoice();
    frames(1);
    ASSERT_EQ(lastCode(), C_TUMO);
    EXPECT_TRUE(mahjong::isSamePai(TPacket_C_Tumo(link.sent.back().second).drawn, tile));
}

}  // namespace
