// Arbitrary server message sequences to the table client, its choices made from the input as
// well: whatever the codes and bytes, no read past an end, no crash, no hang. The input is a
// list of messages, each a code selector byte, a length byte and that many bytes (cut short at
// the end of the input); when the client asks for a choice, the next three bytes make it.
#include <boost/make_shared.hpp>

#include "game/client/mahjong_game.h"
#include "game/mode/auto_client.h"
#include "game/packets_round.h"
#include "game/packets_s.h"
#include "mahjong/error_sink.h"
#include "mahjong/player.h"
#include "support/fuzz.h"

using namespace game;
using namespace game::client;
using Bytes = std::vector<uint8_t>;

namespace {

struct TQuiet : mahjong::TErrorSink {
    void report(const std::string&) override {}
};

struct TNullLink : ServerLink {
    int postToServer(u8, u32, const u8*, int) override { return 1; }
};

const u32 kCodes[] = {S_ENTRY, S_ADDPLAYER,  S_STARTROOM, S_STARTGAME, S_RESULT,      S_SITDOWN,   S_STARTUP,
                      S_DEAL,  S_STARTROUND, S_TUMO,      S_PON,       S_TI,          S_KAN,       S_RINSHAN,
                      S_RITI,  S_SUTE,       S_FAKE,      S_NEXT,      S_ROUNDRESULT, S_NEXTROUND, 1234};
constexpr size_t kCodeCount = sizeof kCodes / sizeof kCodes[0];

Bytes message(u32 code, const Bytes& body) {
    Bytes out{0, static_cast<uint8_t>(body.size())};
    for (size_t i = 0; i < kCodeCount; ++i)
        if (kCodes[i] == code) out[0] = static_cast<uint8_t>(i);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

}  // namespace

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    Bytes s;
    auto add = [&](u32 code, const TPacket& p) {
        const Bytes m = message(code, p.toBytes());
        s.insert(s.end(), m.begin(), m.end());
    };
    add(S_ENTRY, TPacket_S_Entry(0));
    for (u8 id = 1; id < 4; ++id) add(S_ADDPLAYER, TPacket_S_AddPlayer(id, boost::make_shared<TMahjongProfile>()));
    auto rule = boost::make_shared<TMahjongRule>();
    rule->setDefault();
    add(S_STARTROOM, TPacket_S_StartRoom(rule));
    add(S_STARTGAME, TPacket_C_Empty());
    add(S_SITDOWN, TPacket_S_Sitdown(17));
    add(S_STARTUP, TPacket_S_Startup());
    add(S_DEAL, TPacket_S_Deal(99));
    add(S_STARTROUND, TPacket_S_StartRound());
    add(S_TUMO, TPacket_S_Tumo(0, mahjong::TPai(3)));
    add(S_SUTE, TPacket_S_Sute(0, mahjong::TPai(3)));
    add(S_PON, TPacket_S_Pon(1, 0, mahjong::TPai(3), mahjong::TPai(3), mahjong::TPai(3)));
    add(S_KAN, TPacket_S_Kan(2, 2, mahjong::TPai(5), 7));
    add(S_RITI, TPacket_S_Riti(1, mahjong::TPai(5)));
    add(S_FAKE, TPacket_S_Fake(0, 3, 12345, mahjong::TPai(5)));
    add(S_NEXT, TPacket_S_Next(1, false));
    mahjong::TRoundResult r;
    r.setAgari(mahjong::RE_RON, mahjong::TPai(4), 1);
    r.ids = {0, 2};
    add(S_ROUNDRESULT, TPacket_S_RoundResult(r));
    add(S_NEXTROUND, TPacket_S_NextRound(true));
    return {s};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TQuiet quiet;
    mahjong::TScopedErrorSink sink(quiet);
    TNullLink link;
    game::mode::TAutoHost host;
    TTaskMahjongGameHuman client(LINK_LOCAL, &link, &host);
    client.setErrorSink([](const std::string&) {});
    client.connect(boost::make_shared<TMahjongProfile>());
    client.Start();

    size_t at = 0;
    int messages = 0;
    while (at + 2 <= size && messages < 300) {
        const u32 code = kCodes[data[at] % kCodeCount];
        const size_t length = std::min<size_t>(data[at + 1], size - at - 2);
        client.pushCmd(SERVER_ID, 0, code, data + at + 2, static_cast<int>(length));
        at += 2 + length;
        ++messages;
        // Long enough for any wait; a message the client does not take stays at the front.
        for (int frame = 0; frame < 120; ++frame) {
            client.update();
            host.nextFrame();
            if (client.isChoosing() && client.inputState() != IN_RESULT && client.inputState() != IN_CONTINUE) {
                mahjong::TPlayer* me = client.ownPlayer();
                if (me && at + 3 <= size) {
                    me->setAction(1u << (data[at] % 16));
                    me->setSelectPai(me->hand.empty() ? mahjong::TPai() : me->hand[data[at + 1] % me->hand.size()], 0);
                    me->setFakeId(data[at + 2] % 12);
                    at += 3;
                }
                client.endChoice();
            }
        }
        client.cmdQueue().clear();
    }
    return 0;
}
