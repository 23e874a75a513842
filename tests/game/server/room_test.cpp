// A room of one scripted client seat and three test seats: entry, the ready handshake, the game
// start, the end handshake; and the roads a message takes between the server and its seats.
#include <gtest/gtest.h>

#include "game/client/task_game.h"
#include "game/packets_s.h"
#include "game/server/mahjong_game.h"
#include "game/server/replies.h"
#include "framework/task.h"
#include "mahjong/player.h"

using namespace game;
using namespace game::server;
using Bytes = std::vector<u8>;

namespace {

// A computer seat that answers the room messages at once, as computer players do.
class TestThink : public TThink {
public:
    struct Got {
        u32 seat;
        u32 code;
        Bytes bytes;
    };
    explicit TestThink(TPlayer* seat) : TThink(seat) {}

    void step() override { ++steps; }
    int onReceive(u32 seat, u32 code, const u8* data, u32 length) override {
        got.push_back({seat, code, Bytes(data, data + length)});
        if (code == S_STARTROOM && answerReady) return send(C_READY, nullptr, 0);
        if (code == S_RESULT) return send(C_END, Bytes{endByte});
        return answer;
    }

    std::vector<Got> got;
    int steps = 0;
    bool answerReady = true;
    u8 endByte = 0;
    int answer = 0;
};

boost::shared_ptr<TMahjongProfile> profileNamed(const std::string& name, u32 character) {
    boost::shared_ptr<TMahjongProfile> p(new TMahjongProfile);
    p->setName(name);
    p->setCharacter(character);
    return p;
}

struct Room : testing::Test {
    Room() : client(client::LINK_LOCAL, &room) {
        room.setErrorSink([this](const std::string& t) { errors.push_back(t); });
        room.setThinkFactory([this](TPlayer& seat, u32 key) {
            keys.push_back(key);
            thinks.emplace_back(new TestThink(&seat));
            return thinks.back();
        });
        room.init();
        room.mahjongRule()->setDefault();  // four players
        client.connect(profileNamed("human", 0));
    }

    void seatEveryone() {
        ASSERT_EQ(room.addClient(&client), 0);
        for (u32 k = 1; k <= 3; ++k) ASSERT_EQ(room.addComputer(10 + k, profileNamed("cpu", k)), static_cast<int>(k));
    }

    // Every S_ADDPLAYER id a seat's messages carry, in order.
    static std::vector<int> addedIds(const std::vector<TestThink::Got>& got) {
        std::vector<int> ids;
        for (const auto& g : got)
            if (g.code == S_ADDPLAYER) ids.push_back(g.bytes.at(0));
        return ids;
    }

    std::vector<std::pair<u32, Bytes>> drainClient() {
        std::vector<std::pair<u32, Bytes>> out;
        while (client.hasCmd()) {
            out.push_back({client.frontCmd()->code(), client.frontCmd()->bytes()});
            EXPECT_EQ(client.frontCmd()->sender(), SERVER_ID);
            EXPECT_EQ(client.frontCmd()->receiver(), client.getOwnId());
            client.popCmd();
        }
        return out;
    }

    std::vector<u32> queuedSenders() const {
        std::vector<u32> s;
        for (const auto& c : room.cmdQueue()) s.push_back(c->sender());
        return s;
    }

    TTaskMahjongGame room;
    client::TTaskGame client;
    std::vector<boost::shared_ptr<TestThink>> thinks;
    std::vector<u32> keys;
    std::vector<std::string> errors;
};

}  // namespace

TEST(RoomRandom, EveryRoomDrawsFromItsOwnGeneratorUnlessOneIsGiven) {
    TTaskMahjongGame a, b, c;
    std::vector<u32> fromA, fromB;
    for (int i = 0; i < 5; ++i) fromA.push_back(drawRandom(a));
    for (int i = 0; i < 5; ++i) fromB.push_back(drawRandom(b));
    EXPECT_EQ(fromA, fromB);  // no generator shared between rooms
    TRandom given(9), same(9);
    c.setRandom(&given);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(drawRandom(c), same.next());
}

TEST_F(Room, EntrySequence) {
    seatEveryone();
    EXPECT_EQ(room.playerCount(), 4);
    EXPECT_TRUE(room.isFull());
    EXPECT_EQ(keys, (std::vector<u32>{11, 12, 13}));

    // The client hears of its entry, of itself twice, then of every later seat once.
    ASSERT_EQ(room.player(0)->kind(), SEAT_CLIENT);
    client.setOwnId(0);
    auto msgs = drainClient();
    ASSERT_EQ(msgs.size(), 6u);
    EXPECT_EQ(msgs[0], (std::pair<u32, Bytes>{S_ENTRY, Bytes{0}}));
    std::vector<int> ids;
    for (size_t i = 1; i < msgs.size(); ++i) {
        EXPECT_EQ(msgs[i].first, static_cast<u32>(S_ADDPLAYER));
        ids.push_back(msgs[i].second.at(0));
    }
    EXPECT_EQ(ids, (std::vector<int>{0, 0, 1, 2, 3}));

    // The client's own profile reaches everyone: it is what the seat copied.
    TPacket_S_AddPlayer first(msgs[1].second, boost::shared_ptr<TProfile>(new TMahjongProfile));
    EXPECT_EQ(first.profile->name(), "human");

    // Computer seat 3 hears of 0, 1, 2, 3 and then of itself again; seat 1 of everyone after it.
    EXPECT_EQ(addedIds(thinks[2]->got), (std::vector<int>{0, 1, 2, 3, 3}));
    EXPECT_EQ(addedIds(thinks[0]->got), (std::vector<int>{0, 1, 1, 2, 3}));
    for (const auto& g : thinks[2]->got) EXPECT_EQ(g.seat, 3u);
    TPacket_S_AddPlayer last(Bytes(thinks[2]->got.back().bytes), boost::shared_ptr<TProfile>(new TMahjongProfile));
    EXPECT_EQ(boost::dynamic_pointer_cast<TMahjongProfile>(last.profile)->character(), 3u);
    EXPECT_TRUE(errors.empty());
}

TEST_F(Room, ReadyHandshakeStartsTheGameOneUpdateAfterTheLastReady) {
    seatEveryone();
    client.setOwnId(0);
    drainClient();

    EXPECT_TRUE(room.Start());
    EXPECT_EQ(room.step(), ROOM_WAIT);
    // The computer seats answered inside the broadcast, in id order.
    EXPECT_EQ(queuedSenders(), (std::vector<u32>{1, 2, 3}));
    for (const auto& c : room.cmdQueue()) {
        EXPECT_EQ(c->code(), static_cast<u32>(C_READY));
        EXPECT_EQ(c->receiver(), SERVER_ID);
        EXPECT_TRUE(c->bytes().empty());
    }
    auto msgs = drainClient();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].first, static_cast<u32>(S_STARTROOM));
    auto rule = boost::shared_ptr<TMahjongRule>(new TMahjongRule);
    TPacket_S_StartRoom startRoom(msgs[0].second, rule);
    EXPECT_EQ(rule->playerNum(), 4u);

    // A full room whose client has not answered stays in the room, update after update.
    for (int i = 0; i < 3; ++i) room.update();
    EXPECT_EQ(room.step(), ROOM_WAIT);
    EXPECT_FALSE(room.hasCmd());
    EXPECT_FALSE(room.isAllReady());
    EXPECT_EQ(thinks[0]->steps, 3);  // the seats step at every update

    EXPECT_EQ(client.send(C_READY, nullptr, 0), 1);
    room.update();  // takes the last C_READY
    EXPECT_TRUE(room.isAllReady());
    EXPECT_EQ(room.step(), ROOM_WAIT);
    EXPECT_TRUE(drainClient().empty());

    room.update();  // and starts the game
    EXPECT_EQ(room.step(), ROOM_GAME);
    EXPECT_FALSE(room.isAllReady());
    msgs = drainClient();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0], (std::pair<u32, Bytes>{S_STARTGAME, Bytes{}}));
    EXPECT_EQ(thinks[1]->got.back().code, static_cast<u32>(S_STARTGAME));

    // A C_READY while the game runs only sets a ready flag.
    client.send(C_READY, nullptr, 0);
    room.update();
    EXPECT_FALSE(room.hasCmd());
    EXPECT_TRUE(room.player(0)->isReady());
    EXPECT_EQ(room.step(), ROOM_GAME);
}

TEST_F(Room, AnotherCodeAtTheFrontHoldsUpTheSystemLoop) {
    seatEveryone();
    client.setOwnId(0);
    for (auto& t : thinks) t->answerReady = false;
    room.Start();
    client.send(C_SITDOWN, nullptr, 0);
    client.send(CMD_SYS, nullptr, 0);
    client.send(C_READY, nullptr, 0);
    room.update();
    EXPECT_EQ(room.cmdQueue().size(), 3u);
    EXPECT_TRUE(room.isFrontCmd(C_SITDOWN));
    room.popCmd();
    room.update();  // 1001 is taken and dropped, then C_READY
    EXPECT_FALSE(room.hasCmd());
    EXPECT_TRUE(room.player(0)->isReady());
}

TEST_F(Room, StraySendersAreLoggedAndAddNoSeat) {
    seatEveryone();
    room.Start();
    room.pushCmd(9, SERVER_ID, C_READY, nullptr, 0);
    room.update();
    EXPECT_FALSE(room.hasCmd());  // dropped, not left blocking the queue
    EXPECT_EQ(room.playerCount(), 4);
    EXPECT_FALSE(room.player(9));
    EXPECT_EQ(room.playerCount(), 4);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("[ERROR]"), std::string::npos);

    EXPECT_EQ(room.send(7, S_STARTUP, nullptr, 0), -1);
    EXPECT_EQ(errors.size(), 2u);
    room.update();  // every seat still steps without meeting a hole
}

TEST_F(Room, EndHandshakeWithTheRetryFlag) {
    seatEveryone();
    client.setOwnId(0);
    // The table's end of game fixed these ranks.
    mahjong::TTable& table = room.mahjongTable()->table();
    const int ranks[] = {2, 0, 3, 1};
    for (int id = 0; id < 4; ++id) {
        mahjong::TPlayerPtr p(new mahjong::TPlayer(&table, id));
        ASSERT_TRUE(table.addPlayer(p));
        p->rank = ranks[id];
    }
    thinks[1]->endByte = 1;  // seat 2 asks for the same match again
    room.Start();
    room.update();
    client.send(C_READY, nullptr, 0);
    room.update();
    room.update();
    ASSERT_EQ(room.step(), ROOM_GAME);
    drainClient();

    room.sendResult();
    EXPECT_EQ(room.step(), ROOM_END);
    auto msgs = drainClient();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0], (std::pair<u32, Bytes>{S_RESULT, Bytes{4, 0, 2, 1, 0, 2, 3, 3, 1}}));
    // The computer seats answered C_END inside the broadcast.
    EXPECT_EQ(queuedSenders(), (std::vector<u32>{1, 2, 3}));

    room.update();
    EXPECT_TRUE(room.isRetry());
    EXPECT_FALSE(room.isFinished());  // the client has not answered

    client.send(C_END, nullptr, 0);  // no byte counts as 0
    room.update();
    EXPECT_TRUE(room.isFinished());
    EXPECT_TRUE(room.isRetry());
    room.update();
    EXPECT_EQ(room.step(), ROOM_END);  // nothing leaves the end
}

TEST_F(Room, FinishedOnlyByTheLastEndAndRetryStays) {
    seatEveryone();
    client.setOwnId(0);
    room.setStep(ROOM_END, 0);
    room.clearReady();
    client.send(C_END, Bytes{1});
    room.pushCmd(8, SERVER_ID, C_END, Bytes{0}.data(), 1);  // nobody's: logged and skipped
    room.update();
    EXPECT_TRUE(room.isRetry());
    EXPECT_FALSE(room.isFinished());
    EXPECT_EQ(errors.size(), 1u);
    for (u8 id = 1; id <= 3; ++id) room.pushCmd(id, SERVER_ID, C_END, Bytes{0}.data(), 1);
    room.update();
    EXPECT_TRUE(room.isFinished());
    EXPECT_TRUE(room.isRetry());
}

TEST_F(Room, SeatIdsStopShortOfTheServersAddress) {
    EXPECT_EQ(room.addClient(nullptr), -1);
    for (int i = 0; i < 255; ++i) ASSERT_EQ(room.addComputer(0, profileNamed("cpu", 0)), i);
    EXPECT_EQ(room.addComputer(0, profileNamed("cpu", 0)), -1);
    EXPECT_EQ(room.addClient(&client), -1);
    EXPECT_EQ(room.playerCount(), 255);
    EXPECT_EQ(errors.size(), 3u);
}

TEST_F(Room, SendAndBroadcastResults) {
    seatEveryone();
    client.setOwnId(0);
    drainClient();
    // To a client seat: its queue's length; to a computer seat: its answer.
    EXPECT_EQ(room.send(0, S_STARTUP, nullptr, 0), 1);
    thinks[0]->answer = 5;
    EXPECT_EQ(room.send(1, S_STARTUP, nullptr, 0), 5);
    // A broadcast gives the last nonzero result.
    thinks[2]->answer = 0;
    EXPECT_EQ(room.broadcast(S_STARTUP, nullptr, 0), 5);
    thinks[2]->answer = 9;
    EXPECT_EQ(room.broadcast(S_STARTUP, nullptr, 0), 9);

    // A packet is encoded once and reaches the seat as bytes.
    room.send(2, S_SUTE, boost::shared_ptr<TPacket>(new TPacket_S_Sute(1, mahjong::TPai(7))));
    EXPECT_EQ(thinks[1]->got.back().bytes, (Bytes{1, 7, 0, 0, 0}));

    // A seat that was never seated delivers nothing.
    TMahjongPlayer loose(&room);
    EXPECT_EQ(loose.kind(), SEAT_NONE);
    EXPECT_EQ(loose.deliver(S_STARTUP, nullptr, 0), -1);
    EXPECT_EQ(loose.deliverToComputer(0, S_STARTUP, nullptr, 0), -1);
    TPlayer base(&room);
    EXPECT_EQ(base.deliverToComputer(0, S_STARTUP, nullptr, 0), 0);
}

TEST_F(Room, ClientAndComputerRoadsToTheServer) {
    seatEveryone();
    client.setOwnId(0);
    EXPECT_EQ(client.send(C_SUTE, boost::shared_ptr<TPacket>(new TPacket_C_Sute(0, CLAIM_NONE, mahjong::TPai(3)))), 1);
    EXPECT_EQ(thinks[2]->send(C_DEAL, boost::shared_ptr<TPacket>(new TPacket_C_Deal)), 2);
    ASSERT_EQ(room.cmdQueue().size(), 2u);
    EXPECT_EQ(room.cmdQueue()[0]->sender(), 0);
    EXPECT_EQ(room.cmdQueue()[0]->receiver(), SERVER_ID);
    EXPECT_EQ(room.cmdQueue()[0]->bytes().size(), 17u);
    EXPECT_EQ(room.cmdQueue()[1]->sender(), 3);
    EXPECT_EQ(thinks[2]->id(), 3);
    EXPECT_EQ(thinks[2]->task(), &room);

    // A client that is not linked to a server in this process sends nothing.
    client::TTaskGame unlinked(client::LINK_NONE, &room);
    EXPECT_EQ(unlinked.send(C_READY, nullptr, 0), -1);
    EXPECT_EQ(room.cmdQueue().size(), 2u);
}

TEST_F(Room, RoundStateAndStep) {
    EXPECT_EQ(room.setRoundState(5), 5);
    room.setRoundStep(2);
    EXPECT_EQ(room.setRoundState(-1), 6);
    EXPECT_EQ(room.roundStep(), 0);
    EXPECT_EQ(room.setRoundStep(-1), 1);
    EXPECT_EQ(room.roundState(), 6);
    EXPECT_EQ(room.currentPai.kind, mahjong::PAI_NONE);
}

TEST_F(Room, SharedModelOnBothSides) {
    // The client's rule and table share one record, as the server's do.
    auto clientRule = boost::dynamic_pointer_cast<TMahjongRule>(client.rule());
    auto clientTable = boost::dynamic_pointer_cast<TMahjongTable>(client.table());
    ASSERT_TRUE(clientRule && clientTable);
    EXPECT_EQ(clientTable->table().rule.get(), clientRule->rule().get());

    mahjong::TRule r;
    r.players = 3;
    r.redFives = 0;
    room.mahjongRule()->setRule(r);
    EXPECT_EQ(room.mahjongTable()->table().rule->players, 3);
    EXPECT_EQ(room.mahjongTable()->table().rule->redFives, 0);
    EXPECT_EQ(room.rule()->playerNum(), 3u);
}

namespace {

// The table client's room part, scripted: it answers S_STARTROOM and S_RESULT from its queue.
class ScriptedClient : public client::TTaskGame {
public:
    explicit ScriptedClient(server::TTaskGame* server) : client::TTaskGame(client::LINK_LOCAL, server) {}
    void update() override {
        ++updates;
        while (hasCmd()) {
            const TCmdPtr cmd = frontCmd();
            popCmd();
            seen.push_back(cmd->code());
            if (cmd->code() == S_ENTRY) setOwnId(TPacket_S_Entry(cmd->bytes()).playerId);
            if (cmd->code() == S_STARTROOM) send(C_READY, nullptr, 0);
            if (cmd->code() == S_RESULT) send(C_END, Bytes{endByte});
        }
    }
    std::vector<u32> seen;
    int updates = 0;
    u8 endByte = 0;
};

}  // namespace

TEST(RoomUnderTheScheduler, FromEntryToTheEndOfTheMatch) {
    TTaskManager manager(128, 128);
    auto* room = new TTaskMahjongGame;
    std::vector<boost::shared_ptr<TestThink>> thinks;
    room->setThinkFactory([&](TPlayer& seat, u32) {
        thinks.emplace_back(new TestThink(&seat));
        return thinks.back();
    });
    room->init();
    room->mahjongRule()->setDefault();
    auto* human = new ScriptedClient(room);
    human->connect(profileNamed("human", 0));
    human->endByte = 2;  // asks for the same match again
    ASSERT_EQ(room->addClient(human), 0);
    for (u32 k = 0; k < 3; ++k) room->addComputer(k, profileNamed("cpu", k));
    ASSERT_GE(manager.add(room), 0);
    ASSERT_GE(manager.add(human), 0);

    manager.run();  // the room starts and takes the computer seats' C_READY; the client answers
    EXPECT_EQ(human->getOwnId(), 0);
    EXPECT_EQ(room->step(), ROOM_WAIT);
    manager.run();  // takes the client's C_READY
    EXPECT_EQ(room->step(), ROOM_WAIT);
    manager.run();  // the game starts
    EXPECT_EQ(room->step(), ROOM_GAME);
    manager.run();
    // What the game phases send after S_STARTGAME is theirs; the room's part comes first.
    ASSERT_GE(human->seen.size(), 8u);
    EXPECT_EQ(std::vector<u32>(human->seen.begin(), human->seen.begin() + 8),
              (std::vector<u32>{S_ENTRY, S_ADDPLAYER, S_ADDPLAYER, S_ADDPLAYER, S_ADDPLAYER, S_ADDPLAYER, S_STARTROOM,
                                S_STARTGAME}));

    room->sendResult();  // what the last game phase does
    manager.run();       // the room takes the computer seats' C_END; the client answers
    EXPECT_FALSE(room->isFinished());
    manager.run();
    EXPECT_TRUE(room->isFinished());
    EXPECT_TRUE(room->isRetry());
    for (const auto& t : thinks) EXPECT_GE(t->steps, 6);
    manager.terminate();  // ends and deletes both tasks
}
