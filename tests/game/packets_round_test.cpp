// The round-result messages around the round result's byte block.
#include <gtest/gtest.h>

#include "game/packets_round.h"

using namespace game;
using Bytes = std::vector<u8>;

namespace {

mahjong::TRoundResult sampleResult() {
    mahjong::TRoundResult r;
    r.setAgari(mahjong::RE_RON, mahjong::TPai(22, 0, 1, 0), 2);
    r.ids = {0, 3, 1};
    r.scores[0] = {7700, 300, 1000};
    r.scores[2] = {-7700, -300, 0};
    return r;
}

}  // namespace

TEST(RoundResultPackets, SizesIdentityAndEveryPrefix) {
    const TPacket_S_RoundResult s(sampleResult());
    const Bytes sb = s.toBytes();
    EXPECT_EQ(s.size(), 38u);  // 9 + 2 entries of 13 + 3 ids
    ASSERT_EQ(sb.size(), 38u);
    EXPECT_EQ(sb[0], 38);
    EXPECT_TRUE(TPacket_S_RoundResult(sb).result == sampleResult());

    const TPacket_C_RoundResult c(3, sampleResult(), true);
    const Bytes cb = c.toBytes();
    ASSERT_EQ(cb.size(), 40u);
    EXPECT_EQ(cb.front(), 3);
    EXPECT_EQ(cb.back(), 1);
    EXPECT_EQ(Bytes(cb.begin() + 1, cb.end() - 1), sb);
    TPacket_C_RoundResult back(cb);
    EXPECT_EQ(back.seat, 3);
    EXPECT_TRUE(back.continueFlag);
    EXPECT_TRUE(back.result == sampleResult());

    const Bytes sDefault = TPacket_S_RoundResult(Bytes()).toBytes();
    const Bytes cDefault = TPacket_C_RoundResult(Bytes()).toBytes();
    for (size_t n = 0; n < sb.size(); ++n) {
        EXPECT_EQ(TPacket_S_RoundResult(Bytes(sb.begin(), sb.begin() + static_cast<long>(n))).toBytes(), sDefault) << n;
    }
    for (size_t n = 0; n < cb.size(); ++n) {
        const Bytes prefix(cb.begin(), cb.begin() + static_cast<long>(n));
        EXPECT_EQ(TPacket_C_RoundResult(prefix).toBytes(), cDefault) << n;
        TPacket_C_RoundResult held(cb);
        EXPECT_FALSE(held.read(prefix.data(), static_cast<u32>(n)));
        EXPECT_EQ(held.toBytes(), cb) << n;
    }
}

TEST(RoundResultPackets, FlagIsTestedByBitAndTheBlockMustTakeSomething) {
    Bytes cb = TPacket_C_RoundResult(1, sampleResult(), false).toBytes();
    cb.back() = 0xFE;
    EXPECT_FALSE(TPacket_C_RoundResult(cb).continueFlag);
    cb.back() = 0x01;
    EXPECT_TRUE(TPacket_C_RoundResult(cb).continueFlag);

    // A block whose length byte says more than is there takes nothing.
    Bytes lying = TPacket_S_RoundResult(sampleResult()).toBytes();
    lying[0] = 200;
    mahjong::TRoundResult before = sampleResult();
    TPacket_S_RoundResult held(before);
    EXPECT_FALSE(held.read(lying.data(), static_cast<u32>(lying.size())));
    EXPECT_TRUE(held.result == before);
}
