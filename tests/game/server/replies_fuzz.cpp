// The server's round machine on untrusted answers: while answering seats play a hand, the input
// injects commands of every game code, from seated and unknown senders, with arbitrary bytes.
// Nothing may crash, and every hand keeps 13 tiles plus its kans (one more for the player to act).
#include "support/fuzz.h"
#include "test_seats.h"

using namespace seats;

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<uint8_t> pon = TPacket_C_Sute(1, CLAIM_PON, tileOf("5p"), tileOf("5p"), tileOf("5p")).toBytes();
    std::vector<uint8_t> tumo = TPacket_C_Tumo(2, CLAIM_RITI, tileOf("1m"), tileOf("9m")).toBytes();
    std::vector<uint8_t> a{0, 0, 1, 9, static_cast<uint8_t>(pon.size())};
    a.insert(a.end(), pon.begin(), pon.end());
    std::vector<uint8_t> b{1, 2, 2, 4, static_cast<uint8_t>(tumo.size())};
    b.insert(b.end(), tumo.begin(), tumo.end());
    std::vector<uint8_t> c{1, 1, 0, 10, 9, 0, 1, 0, 0, 0, 0, 0, 0, 0, 3, 3, 7, 0};
    return {a, b, c};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Match m(4, 7);
    // An odd first byte makes the first hand end on the dealer's first draw, so that the
    // injected commands also meet the round result, the next round and the next deal.
    if (size > 0 && (data[0] & 1)) {
        m.rule().redFives = 0;
        m.room->onDeal = [&m](mahjong::TTable& t, int hand) {
            if (hand != 0) return;
            stack(t, {"123m456m789m11p23p"}, "4p");
            m.seatFrom(0).script = {onDraw(CLAIM_TUMO, TPai())};
        };
    }
    size_t at = size > 0 ? 1 : 0;
    int wait = 0;
    m.check = [&] {
        if (m.room->step() == ROOM_GAME && m.room->subStep() == ST_ROUND && !handSizeFault(m.table()).empty())
            __builtin_trap();
        if (m.room->step() != ROOM_GAME) return;
        while (at + 4 <= size) {
            if (wait > 0) {
                --wait;
                return;
            }
            const uint8_t gap = data[at], who = data[at + 1], code = data[at + 2];
            const size_t len = std::min<size_t>(data[at + 3] % 24, size - at - 4);
            const u8 sender = who % 6 < 4 ? static_cast<u8>(who % 6) : (who % 6 == 4 ? 7 : SERVER_ID);
            m.room->pushCmd(sender, SERVER_ID, C_SITDOWN + code % 16, len ? data + at + 4 : nullptr,
                            static_cast<int>(len));
            at += 4 + len;
            wait = gap % 4;
        }
    };
    m.runUntil([&] { return m.room->step() == ROOM_END; }, 40);
    return 0;
}
