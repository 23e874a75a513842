// The table and its players carry out whatever the seats claim: calls with tiles they may not
// hold, kans from anywhere, results of any shape. Bytes drive a hand of such operations; no
// tile may appear or vanish except by a call's claimed tile, and no point may be lost.
#include <cstddef>
#include <cstdint>

#include <boost/make_shared.hpp>

#include "mahjong/error_sink.h"
#include "mahjong/player.h"
#include "mahjong/table.h"
#include "support/fuzz.h"

using namespace mahjong;

namespace {

class TNullSink : public TErrorSink {
public:
    void report(const std::string&) override {}
};

struct TBytes {
    const uint8_t* p;
    size_t n;
    uint8_t next() { return n ? (--n, *p++) : 0; }
    TPai tile() {
        const uint8_t b = next();
        return TPai(b % 38, next() % 14, b >> 7);
    }
};

size_t tileCount(const TTable& t) {
    size_t n = t.wall.size();
    for (const auto& p : t.seats) n += p->hand.size() + p->sutes.size();
    return n;
}

int pointSum(const TTable& t) {
    int sum = t.ritiDeposit;
    for (const auto& p : t.seats) sum += p->points;
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TNullSink sink;
    TScopedErrorSink scoped(sink);
    TBytes in{data, size};
    auto rule = boost::make_shared<TRule>();
    rule->players = 2 + in.next() % 3;
    TTable table(rule);
    for (int id = 0; id < rule->players; ++id) table.addPlayer(boost::make_shared<TPlayer>(&table, id));
    table.reset();
    table.decideSeats(in.next());
    table.startRound(in.next());
    table.deal(in.next());
    size_t tiles = tileCount(table);
    const int points = pointSum(table);

    for (int op = 0; op < 48 && in.n > 0; ++op) {
        TPlayer& p = *table.seatAt(in.next());
        const int other = in.next() % 6 - 1;
        switch (in.next() % 12) {
            case 0:
                if (table.wallCount() > rule->deadWall) p.draw(table.tumo(), 1);
                break;
            case 1:
                if (!p.hand.empty()) p.sute(p.hand[in.next() % p.hand.size()]);
                break;
            case 2: {
                const TPai t = in.tile();
                tiles += p.pon(t, in.tile(), in.tile(), other);
                break;
            }
            case 3: {
                const TPai t = in.tile();
                tiles += p.ti(t, in.tile(), in.tile(), other);
                break;
            }
            case 4: {
                const int kind = p.kan(in.tile(), other);
                tiles += kind == PS_MINKAN;
                break;
            }
            case 5:
                if (table.wallCount() > rule->deadWall) p.draw(table.rinshan(), 5);
                break;
            case 6:
                p.riti();
                break;
            case 7:
                p.getCallOptions(in.tile(), 1 + in.next() % 4);
                p.getKanCallOptions(in.tile(), 1 + in.next() % 4);
                break;
            case 8:
                p.useFake(in.next() % 13, static_cast<int>(in.next() * 0x1010101u), in.tile());
                break;
            case 9:
                table.nextTurn(other);
                break;
            case 10:
                if (p.hand.size() <= 15) p.getTumoActions();
                break;
            default:
                table.checkFuriten(in.tile(), other, in.next() & 1);
                break;
        }
        if (tileCount(table) != tiles) __builtin_trap();
        for (const auto& q : table.seats)
            for (const auto& t : q->hand)
                if (!t.isValid()) __builtin_trap();
    }

    // Settle a result of whatever shape the bytes give.
    TRoundResult& r = table.lastResult;
    r.setAgari(in.next() % 13, in.tile(), in.next() % 6 - 1);
    for (int i = in.next() % 5; i > 0; --i) r.ids.push_back(in.next() % 6 - 1);
    if (r.code == RE_RYUKYOKU && in.next() % 2) table.collectTenpai();
    table.overRound();
    if (pointSum(table) != points) __builtin_trap();
    table.nextRound(in.next() & 1);
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<uint8_t> a;
    for (int i = 0; i < 400; ++i) a.push_back(static_cast<uint8_t>(i * 37 + (i >> 3)));
    return {a};
}
