#include "mahjong/pai.h"

#include <gtest/gtest.h>

#include "mahjong/notation.h"
#include "mahjong/pai_array.h"

using namespace mahjong;
using mahjong::tilesOf;

TEST(Pai, DefaultTileIsNoTile) {
    TPai t;
    EXPECT_EQ(t.kind, PAI_NONE);
    EXPECT_FALSE(t.isValid());
    EXPECT_EQ(t.getClass(), PC_NONE);
    EXPECT_EQ(t.getNumber(), 0);
    EXPECT_EQ(t.getNext(), PAI_NONE);
    EXPECT_FALSE(t.isYaochu());
}

TEST(Pai, SpecialKindsAreNeitherSuitNorHonour) {
    for (int k : {34, 35}) {
        const TPai t(k);
        EXPECT_TRUE(t.isValid());
        EXPECT_EQ(t.getClass(), PC_SPECIAL);
        EXPECT_EQ(t.getNumber(), 0);
        EXPECT_FALSE(t.isYaochu());
        EXPECT_FALSE(t.isSimple());
    }
    EXPECT_TRUE(TPai(26).isTerminal());
    EXPECT_TRUE(TPai(19).isSimple());
    EXPECT_EQ(TPai(22).getNumber(), 5);
}

TEST(Pai, NextKindForEveryKind) {
    // The dora that each indicator shows, written out rather than computed.
    const int expected[37] = {1,  2,  3,  4,  5,  6,  7,  8,  0,  10, 11, 12, 13, 14, 15, 16, 17, 9, 19,
                              20, 21, 22, 23, 24, 25, 26, 18, 28, 29, 30, 27, 32, 33, 31, 34, 35, 36};
    for (int k = 0; k <= 36; ++k) EXPECT_EQ(TPai(k).getNext(), expected[k]) << k;
    EXPECT_EQ(TPai(-1).getNext(), PAI_NONE);
    EXPECT_EQ(TPai(200).getNext(), PAI_NONE);
}

TEST(Pai, WireFormRoundTripsAndRefusesShortInput) {
    TPai t(22, PS_PON, 1, 1);
    const auto bytes = t.toBytes();
    ASSERT_EQ(bytes, (std::vector<uint8_t>{22, 4, 3, 0}));
    TPai back;
    EXPECT_EQ(back.read(bytes.data(), 3), 0u);
    EXPECT_EQ(back.kind, PAI_NONE);
    EXPECT_EQ(back.read(bytes.data(), 4), 4u);
    EXPECT_EQ(back.kind, 22);
    EXPECT_EQ(back.state, PS_PON);
    EXPECT_EQ(back.red, 1);
    EXPECT_EQ(back.turned, 1);

    const uint8_t onlyRed[4] = {4, 0, 0xFD, 0x77};  // other flag bits and byte 3 ignored
    EXPECT_EQ(back.read(onlyRed, 4), 4u);
    EXPECT_EQ(back.red, 1);
    EXPECT_EQ(back.turned, 0);
    EXPECT_EQ(back.read(nullptr, 4), 0u);
}

TEST(Pai, WireFormRangeChecksKindAndState) {
    TPai t;
    const uint8_t badKind[4] = {37, 4, 0, 0};
    EXPECT_EQ(t.read(badKind, 4), 4u);
    EXPECT_EQ(t.kind, PAI_NONE);
    EXPECT_EQ(t.state, PS_FREE);
    const uint8_t negativeKind[4] = {0xFF, 0, 0, 0};
    t.read(negativeKind, 4);
    EXPECT_EQ(t.kind, PAI_NONE);
    const uint8_t badState[4] = {3, 13, 0, 0};
    t.read(badState, 4);
    EXPECT_EQ(t.kind, 3);
    EXPECT_EQ(t.state, PS_FREE);
    const uint8_t noTile[4] = {36, 0, 0, 0};
    t.read(noTile, 4);
    EXPECT_EQ(t.kind, PAI_NONE);
}

TEST(Pai, RedFiveDiffersFromPlainFive) {
    const TPai plain(4), red(4, PS_FREE, 1);
    EXPECT_FALSE(isSamePai(plain, red));
    EXPECT_TRUE(isSamePai(plain, TPai(4, PS_PON, 0, 1)));
    EXPECT_TRUE(lessPai(plain, red));
    EXPECT_FALSE(lessPai(red, plain));
    EXPECT_TRUE(lessPai(red, TPai(5)));
}

TEST(PaiArray, SortPutsPlainFiveBeforeRed) {
    TPaiArray a = tilesOf("9m 0m 5m 1z 1m 5m");
    a.sort();
    ASSERT_EQ(a.size(), 6u);
    EXPECT_EQ(a[0].kind, 0);
    EXPECT_EQ(a[1].kind, 4);
    EXPECT_EQ(a[1].red, 0);
    EXPECT_EQ(a[2].red, 0);
    EXPECT_EQ(a[3].kind, 4);
    EXPECT_EQ(a[3].red, 1);
    EXPECT_EQ(a[4].kind, 8);
    EXPECT_EQ(a[5].kind, 27);
}

TEST(PaiArray, SortAltKeepsMeldsInFrontInTheirOrder) {
    TPaiArray a = tilesOf("9p 0p p:777z 5p 1m c:345s");
    a.sortAlt();
    ASSERT_EQ(a.size(), 10u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(a[i].kind, 33);
    EXPECT_EQ(a[3].kind, 11);
    EXPECT_EQ(a[4].kind, 12);
    EXPECT_EQ(a[5].kind, 13);
    EXPECT_EQ(a[6].kind, 0);
    EXPECT_EQ(a[7].kind, 22);
    EXPECT_EQ(a[7].red, 0);
    EXPECT_EQ(a[8].red, 1);
    EXPECT_EQ(a[9].kind, 26);
}

TEST(PaiArray, RemoveMatchesKindRedAndOptionallyFreeState) {
    TPaiArray a = tilesOf("p:555m 5m 0m");
    EXPECT_TRUE(a.remove(TPai(4), true));  // the meld's fives stay, the free one goes
    ASSERT_EQ(a.size(), 4u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(a[i].state, PS_PON);
    EXPECT_EQ(a[3].red, 1);
    EXPECT_FALSE(a.remove(TPai(4), true));
    EXPECT_TRUE(a.remove(TPai(4, PS_FREE, 1), true));
    EXPECT_TRUE(a.remove(TPai(4), false));  // now a meld tile
    EXPECT_EQ(a.size(), 2u);
    EXPECT_FALSE(a.remove(TPai(7), false));
}

TEST(PaiArray, SetNextFreeSkipsStatedTiles) {
    TPaiArray a = tilesOf("p:111z 2m 3m");
    EXPECT_EQ(a.setNextFree(0, PS_HEAD), 4u);
    EXPECT_EQ(a[3].state, PS_HEAD);
    EXPECT_EQ(a.setNextFree(4, PS_HEAD), 5u);
    EXPECT_EQ(a.setNextFree(5, PS_HEAD), 5u);  // nothing free follows: end, no change
    EXPECT_EQ(a.setNextFree(99, PS_HEAD), 5u);
    TPaiArray copy = a;  // copies keep their tiles
    EXPECT_EQ(copy.size(), 5u);
    EXPECT_EQ(copy[4].state, PS_HEAD);
}
