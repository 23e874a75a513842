#include "mahjong/rule.h"

#include <gtest/gtest.h>

using namespace mahjong;

TEST(Rule, DefaultEncodesToItsKnownBytes) {
    TRule r;
    EXPECT_EQ(r.size(), 16u);
    const std::vector<uint8_t> expected = {0x04, 0x0E, 0x01, 0x02, 0x00, 0x00, 0x00, 0xA8,
                                           0x61, 0x00, 0x00, 0x30, 0x75, 0x00, 0x00, 0x07};
    EXPECT_EQ(r.toBytes(), expected);
}

TEST(Rule, ReadRefusesShortOrUnplayableRecordsWithoutChange) {
    TRule r;
    r.applyOption(RO_PLAYER_3);
    const TRule before = r;
    auto bytes = TRule().toBytes();
    EXPECT_EQ(r.read(bytes.data(), 15), 0u);
    EXPECT_EQ(r, before);
    EXPECT_EQ(r.read(nullptr, 16), 0u);
    for (uint8_t players : {0, 1, 5, 0xFF}) {
        bytes[0] = players;
        EXPECT_EQ(r.read(bytes.data(), 16), 0u) << int(players);
        EXPECT_EQ(r, before);
    }
    bytes[0] = 4;
    bytes[1] = 0x80;  // a negative dead-wall size
    EXPECT_EQ(r.read(bytes.data(), 16), 0u);
    EXPECT_EQ(r, before);
}

TEST(Rule, EveryFieldRoundTrips) {
    TRule r;
    r.players = 3;
    r.deadWall = 20;
    r.gameLength = 0;
    r.redFives = 3;
    r.extra1 = -5;
    r.extra2 = 7;
    r.extra3 = 2;
    r.startPoints = 27000;
    r.targetPoints = 0xDEADBEEF;
    r.fourRitiDraw = false;
    r.fourWindsDraw = true;
    r.openTanyao = false;
    r.fourthSwitch = true;
    r.splitWall = true;
    r.noWinPenalty = true;
    const auto bytes = r.toBytes();
    EXPECT_EQ(bytes[15], 0x3A);
    TRule back;
    EXPECT_EQ(back.read(bytes.data(), bytes.size()), 16u);
    EXPECT_EQ(back, r);
    EXPECT_EQ(back.extra1, -5);  // one-byte fields are sign-extended
    back.setDefault();
    EXPECT_EQ(back, TRule());
}

TEST(Rule, OptionsChangeTheirFieldAndUnknownOnesNothing) {
    TRule r;
    EXPECT_TRUE(r.applyOption(RO_PLAYER_3));
    EXPECT_TRUE(r.applyOption(RO_HANCHAN));
    EXPECT_TRUE(r.applyOption(RO_RED_5EACH_PLUS));
    EXPECT_TRUE(r.applyOption(RO_MOTI_27000));
    EXPECT_TRUE(r.applyOption(RO_KUITAN_NASI));
    EXPECT_TRUE(r.applyOption(RO_WAREME_ARI));
    EXPECT_TRUE(r.applyOption(RO_TORI_ARI));
    EXPECT_EQ(r.players, 3);
    EXPECT_EQ(r.gameLength, 0);
    EXPECT_EQ(r.redFives, 3);
    EXPECT_EQ(r.startPoints, 27000u);
    EXPECT_FALSE(r.openTanyao);
    EXPECT_TRUE(r.splitWall);
    EXPECT_TRUE(r.noWinPenalty);
    for (int o : {RO_PLAYER_4, RO_TOUFU, RO_RED_5EACH, RO_MOTI_25000, RO_KUITAN_ARI, RO_WAREME_NASI, RO_TORI_NASI})
        EXPECT_TRUE(r.applyOption(o));
    EXPECT_EQ(r, TRule());
    EXPECT_FALSE(r.applyOption(RO_COUNT));
    EXPECT_FALSE(r.applyOption(-1));
    EXPECT_EQ(r, TRule());
}
