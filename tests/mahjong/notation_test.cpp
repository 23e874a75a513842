#include "mahjong/notation.h"

#include <gtest/gtest.h>

using namespace mahjong;

namespace {

std::string parseError(std::string_view text) {
    TPaiArray out{TPai(1)};
    std::string error;
    EXPECT_FALSE(parseTiles(text, out, &error)) << text;
    EXPECT_TRUE(out.empty()) << text;
    return error;
}

}  // namespace

TEST(Notation, KindsRedFivesHonoursAndSpecialTilesReadAsWritten) {
    // Kinds run characters, bamboo, circles, honours: 456p are circles 4-6 (kinds 21-23).
    const TPaiArray t = tilesOf(" 123m 456p  789s11z 0m0s0p 7z x y");
    const int kinds[] = {0, 1, 2, 21, 22, 23, 15, 16, 17, 27, 27, 4, 13, 22, 33, 34, 35};
    ASSERT_EQ(t.size(), std::size(kinds));
    for (size_t i = 0; i < t.size(); ++i) {
        EXPECT_EQ(t[i].kind, kinds[i]) << i;
        EXPECT_EQ(t[i].red, i >= 11 && i <= 13 ? 1 : 0) << i;
        EXPECT_EQ(t[i].state, PS_FREE) << i;
    }
}

TEST(Notation, MeldMarksGiveTheirStates) {
    const TPaiArray t = tilesOf("c:345s p:5z k:1m K:9p a:0p 2m");
    const int states[] = {PS_TI_LOW, PS_TI_MID, PS_TI_HIGH, PS_PON, PS_MINKAN, PS_KAKAN, PS_ANKAN, PS_FREE};
    ASSERT_EQ(t.size(), std::size(states));
    for (size_t i = 0; i < t.size(); ++i) EXPECT_EQ(t[i].state, states[i]) << i;
}

TEST(Notation, WritingGathersFreeTilesAndSeparatesMelds) {
    EXPECT_EQ(formatTiles(tilesOf("1m2m3m 4p 5p 11z")), "123m45p11z");
    EXPECT_EQ(formatTiles(tilesOf("c:123456m p:5555z 9s x")), "c:123m c:456m p:555z p:5z 9sx");
    EXPECT_EQ(formatTiles(tilesOf("1m a:1111z 0p")), "1m a:1111z 0p");
    EXPECT_EQ(formatTile(TPai(22, PS_PON, 1)), "0p");
    EXPECT_EQ(formatTile(TPai(PAI_NONE)), "?");
    // States of the winning-hand search have no mark and a red flag only shows on a five.
    EXPECT_EQ(formatTiles({TPai(0, PS_HEAD), TPai(1, PS_SEQ_MID, 1)}), "12m");
}

TEST(Notation, BadTextNamesTheFaultAndItsColumn) {
    EXPECT_EQ(parseError("123m 45"), "column 5: digits without a suit letter");
    EXPECT_EQ(parseError("12q"), "column 2: unexpected 'q'");
    EXPECT_EQ(parseError("1m\t2m"), "column 2: unexpected \\x09");
    EXPECT_EQ(parseError("m"), "column 0: suit letter without digits");
    EXPECT_EQ(parseError("18z"), "column 1: an honour is numbered 1 to 7");
    EXPECT_EQ(parseError("0z"), "column 0: an honour is numbered 1 to 7");
    EXPECT_EQ(parseError("1m q:1m"), "column 3: unknown meld mark 'q'");
    EXPECT_EQ(parseError("p: 1m"), "column 0: meld mark without tiles");
    EXPECT_EQ(parseError("1x2m"), "column 0: digits without a suit letter");
    EXPECT_THROW(tileOf("55m"), std::invalid_argument);
    EXPECT_TRUE(tilesOf("").empty());
}
