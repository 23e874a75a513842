// Arbitrary message sequences to the computer players and the scripted client: whatever the
// codes and bytes, no read past an end, no crash, no hang. The input is a list of messages, each
// a code selector byte, a length byte and that many bytes (cut short at the end of the input).
#include <boost/make_shared.hpp>

#include "game/mode/scripted_client.h"
#include "game/packets_s.h"
#include "game/server/mahjong_game.h"
#include "game/server/think.h"
#include "mahjong/error_sink.h"
#include "mahjong/hand_eval.h"
#include "mahjong/player.h"
#include "mahjong/table.h"
#include "support/fuzz.h"

using namespace game;
using namespace game::server;
using namespace game::mode;
using Bytes = std::vector<uint8_t>;

namespace {

struct TQuiet : mahjong::TErrorSink {
    void report(const std::string&) override {}
};

const u32 kCodes[] = {S_ENTRY, S_ADDPLAYER,  S_STARTROOM, S_STARTGAME, S_RESULT,      S_SITDOWN,   S_STARTUP,
                      S_DEAL,  S_STARTROUND, S_TUMO,      S_PON,       S_TI,          S_KAN,       S_RINSHAN,
                      S_RITI,  S_SUTE,       S_FAKE,      S_NEXT,      S_ROUNDRESULT, S_NEXTROUND, 1234};
constexpr size_t kCodeCount = sizeof kCodes / sizeof kCodes[0];

Bytes message(u32 code, const TPacket& p) {
    Bytes out{0, 0};
    for (size_t i = 0; i < kCodeCount; ++i)
        if (kCodes[i] == code) out[0] = static_cast<uint8_t>(i);
    const Bytes body = p.toBytes();
    out[1] = static_cast<uint8_t>(body.size());
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

}  // namespace

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    // The opening of a game, then a draw and a discard of seat 0.
    Bytes s;
    auto add = [&](const Bytes& m) { s.insert(s.end(), m.begin(), m.end()); };
    add(message(S_SITDOWN, TPacket_S_Sitdown(17)));
    add(message(S_STARTUP, TPacket_S_Startup()));
    add(message(S_DEAL, TPacket_S_Deal(99)));
    add(message(S_TUMO, TPacket_S_Tumo(0, mahjong::TPai(3))));
    add(message(S_SUTE, TPacket_S_Sute(0, mahjong::TPai(3))));
    add(message(S_PON, TPacket_S_Pon(1, 0, mahjong::TPai(3), mahjong::TPai(3), mahjong::TPai(3))));
    add(message(S_KAN, TPacket_S_Kan(2, 2, mahjong::TPai(5), 7)));
    add(message(S_NEXT, TPacket_S_Next(1, false)));
    add(message(S_NEXTROUND, TPacket_S_NextRound(true)));
    return {s};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool profilesFilled = false;
    if (!profilesFilled) {
        for (int k = 0; k < 15; ++k) mahjong::setRatingProfile(k, mahjong::kFreePlayProfiles[k % 9]);
        profilesFilled = true;
    }
    TQuiet quiet;
    mahjong::TScopedErrorSink sink(quiet);
    TRandom random(1);
    TTaskMahjongGame room;
    room.setErrorSink([](const std::string&) {});
    room.setThinkFactory(
        [&](TPlayer& seat, u32 key) { return boost::shared_ptr<TThink>(new TMahjongThinkDef(&seat, key, &random)); });
    room.init();
    room.mahjongRule()->setDefault();
    TScriptedClient client(&room, &random);
    client.connect(boost::make_shared<TMahjongProfile>());
    room.addClient(&client);
    for (u32 k = 1; k < 4; ++k) room.addComputer(k, boost::make_shared<TMahjongProfile>());
    // The room's own table dealt, so that the computer players have a game to read.
    mahjong::TTable& table = room.mahjongTable()->table();
    for (int id = 0; id < 4; ++id) table.addPlayer(boost::make_shared<mahjong::TPlayer>(&table, id));
    table.reset();
    table.decideSeats(3);
    table.startRound(4);
    table.decideOya(5);
    table.deal(6);

    size_t at = 0;
    int messages = 0;
    while (at + 2 <= size && messages < 400) {
        const u32 code = kCodes[data[at] % kCodeCount];
        const size_t length = std::min<size_t>(data[at + 1], size - at - 2);
        room.broadcast(code, data + at + 2, static_cast<int>(length));
        at += 2 + length;
        ++messages;
        for (u32 id = 1; id < 4; ++id) room.player(id)->update();
        client.update();
        room.cmdQueue().clear();
    }
    return 0;
}
