// Every message decoder and the room objects' readers on untrusted bytes: no read past the end,
// and whatever decodes re-encodes to its own size and decodes again to the same bytes.
#include <functional>
#include <memory>

#include "game/packets_c.h"
#include "game/packets_s.h"
#include "support/fuzz.h"

using namespace game;
using Bytes = std::vector<u8>;

namespace {

using Decoder = std::function<std::shared_ptr<TPacket>(const Bytes&)>;

template <class T>
Decoder plain() {
    return [](const Bytes& b) { return std::make_shared<T>(b); };
}

const std::vector<Decoder>& decoders() {
    static const std::vector<Decoder> all = {
        plain<TPacket_S_Entry>(),
        [](const Bytes& b) {
            return std::make_shared<TPacket_S_AddPlayer>(b, boost::shared_ptr<TProfile>(new TMahjongProfile));
        },
        [](const Bytes& b) {
            return std::make_shared<TPacket_S_AddPlayer>(b, boost::shared_ptr<TProfile>(new TProfile));
        },
        [](const Bytes& b) {
            return std::make_shared<TPacket_S_StartRoom>(b, boost::shared_ptr<TRule>(new TMahjongRule));
        },
        [](const Bytes& b) { return std::make_shared<TPacket_S_StartRoom>(b, boost::shared_ptr<TRule>(new TRule)); },
        plain<TPacket_S_Result>(),
        plain<TPacket_C_Sitdown>(),
        plain<TPacket_C_Tumo>(),
        plain<TPacket_C_Rinshan>(),
        plain<TPacket_C_Pon>(),
        plain<TPacket_C_Ti>(),
        plain<TPacket_C_Kan>(),
        plain<TPacket_C_Sute>(),
        plain<TPacket_C_DoFake>(),
        plain<TPacket_C_Fake>(),
        plain<TPacket_C_NextRound>(),
        plain<TPacket_S_Sitdown>(),
        plain<TPacket_S_Deal>(),
        plain<TPacket_S_Tumo>(),
        plain<TPacket_S_Pon>(),
        plain<TPacket_S_Kan>(),
        plain<TPacket_S_Fake>(),
        plain<TPacket_S_Next>(),
        plain<TPacket_S_NextRound>(),
    };
    return all;
}

}  // namespace

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    TMahjongProfile p;
    p.setName("name");
    auto rule = boost::shared_ptr<TMahjongRule>(new TMahjongRule);
    rule->setDefault();
    TPacket_S_Result r;
    r.set(0, 1);
    r.set(1, 0);
    return {
        TPacket_C_Sute(1, CLAIM_PON, mahjong::TPai(5, 0, 1, 0), mahjong::TPai(5), mahjong::TPai(5)).toBytes(),
        TPacket_S_AddPlayer(1, boost::shared_ptr<TProfile>(new TMahjongProfile(p))).toBytes(),
        TPacket_S_StartRoom(rule).toBytes(),
        r.toBytes(),
        TPacket_C_Kan(2, CLAIM_RON, mahjong::TPai(30), 7).toBytes(),
    };
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Bytes in(data, data + size);
    for (const Decoder& decode : decoders()) {
        auto msg = decode(in);
        const Bytes out = msg->toBytes();
        if (out.size() != msg->size()) __builtin_trap();
        if (decode(out)->toBytes() != out) __builtin_trap();
    }

    // The readers of the room objects, straight on the bytes.
    TMahjongProfile profile;
    const u32 n = profile.read(data, static_cast<u32>(size));
    if (n > size || (n != 0 && n != profile.size())) __builtin_trap();
    TMahjongRule rule;
    if (rule.read(data, static_cast<u32>(size)) == 20 && (rule.playerNum() < 2 || rule.playerNum() > 4)) {
        __builtin_trap();
    }
    return 0;
}
