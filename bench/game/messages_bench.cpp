// The cost of a game message on its road: encode, queue, decode; and one discard answered by
// four seats and ranked, as the server does it several times a second.
#include <benchmark/benchmark.h>

#include "game/packets_s.h"
#include "game/server/claim_rank.h"
#include "game/server/mahjong_game.h"

using namespace game;
using namespace game::server;

namespace {

// A computer seat that answers every discard with no claim inside the delivery.
class PassThink : public TThink {
public:
    using TThink::TThink;
    void step() override {}
    int onReceive(u32 seat, u32 code, const u8* data, u32 length) override {
        if (code != S_SUTE) return 0;
        TPacket_S_Sute sute(std::vector<u8>(data, data + length));
        return send(C_SUTE,
                    boost::shared_ptr<TPacket>(new TPacket_C_Sute(static_cast<u8>(seat), CLAIM_NONE, sute.pai)));
    }
};

void BM_EncodeQueueDecode(benchmark::State& state) {
    TTaskMahjongGame room;
    const TPacket_C_Sute sent(1, CLAIM_PON, mahjong::TPai(5, 0, 1, 0), mahjong::TPai(5), mahjong::TPai(5));
    for (auto _ : state) {
        const auto bytes = sent.toBytes();
        room.pushCmd(1, SERVER_ID, C_SUTE, bytes.data(), static_cast<int>(bytes.size()));
        TPacket_C_Sute got(room.frontCmd()->bytes());
        room.popCmd();
        benchmark::DoNotOptimize(got.claim);
    }
}
BENCHMARK(BM_EncodeQueueDecode);

void BM_DiscardAnsweredAndRanked(benchmark::State& state) {
    TTaskMahjongGame room;
    room.setThinkFactory([](TPlayer& seat, u32) { return boost::shared_ptr<TThink>(new PassThink(&seat)); });
    room.init();
    room.mahjongRule()->setDefault();
    for (u32 k = 0; k < 4; ++k) room.addComputer(k, boost::shared_ptr<TProfile>(new TMahjongProfile));
    while (room.hasCmd()) room.popCmd();
    std::vector<boost::shared_ptr<TPacket_C_Sute>> replies;
    for (auto _ : state) {
        room.broadcast(S_SUTE, boost::shared_ptr<TPacket>(new TPacket_S_Sute(2, mahjong::TPai(7))));
        replies.clear();
        while (room.isFrontCmd(C_SUTE)) {
            replies.emplace_back(new TPacket_C_Sute(room.frontCmd()->bytes()));
            room.popCmd();
        }
        sortSuteReplies(replies);
        benchmark::DoNotOptimize(replies.front()->seat);
    }
}
BENCHMARK(BM_DiscardAnsweredAndRanked);

}  // namespace
