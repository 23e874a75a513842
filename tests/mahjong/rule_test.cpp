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

TEST(Rule, OptionsChangeOneFieldEach) {
    struct Case {
        int option;
        bool (*check)(const TRule&);
    };
    const Case cases[] = {
        {0, [](const TRule& r) { return r.players == 2; }},
        {1, [](const TRule& r) { return r.players == 3; }},
        {2, [](const TRule& r) { return r.players == 4; }},
        {3, [](const TRule& r) { return r.gameLength == 0; }},
        {4, [](const TRule& r) { return r.gameLength == 1; }},
        {5, [](const TRule& r) { return r.redFives == 0; }},
        {6, [](const TRule& r) { return r.redFives == 1; }},
        {7, [](const TRule& r) { return r.redFives == 2; }},
        {8, [](const TRule& r) { return r.redFives == 3; }},
        {9, [](const TRule& r) { return r.startPoints == 25000; }},
        {10, [](const TRule& r) { return r.startPoints == 27000; }},
        {11, [](const TRule& r) { return r.startPoints == 30000; }},
        {12, [](const TRule& r) { return r.openTanyao; }},
        {13, [](const TRule& r) { return !r.openTanyao; }},
        {14, [](const TRule& r) { return r.splitWall; }},
        {15, [](const TRule& r) { return !r.splitWall; }},
        {16, [](const TRule& r) { return r.noWinPenalty; }},
        {17, [](const TRule& r) { return !r.noWinPenalty; }},
    };
    for (const Case& c : cases) {
        TRule r;
        r.players = 3;
        r.gameLength = c.option == 4 ? 0 : 1;
        r.redFives = 9;
        r.startPoints = 1;
        r.openTanyao = c.option == 13;
        r.splitWall = c.option == 15;
        r.noWinPenalty = c.option == 17;
        if (c.option == 1) r.players = 2;
        EXPECT_TRUE(r.applyOption(c.option));
        EXPECT_TRUE(c.check(r)) << c.option;
    }
    TRule r;
    EXPECT_FALSE(r.applyOption(18));
    EXPECT_FALSE(r.applyOption(-1));
    EXPECT_EQ(r, TRule());
}
