// The room's rule and the seats' profiles in their byte forms.
#include <gtest/gtest.h>

#include "game/profile.h"
#include "game/rule.h"

using namespace game;
using Bytes = std::vector<u8>;

TEST(GameProfile, KnownBytesAndShortInputs) {
    TMahjongProfile p;
    p.setName("0");
    p.setCharacter(3);
    p.setDealerMusic(0);
    p.setRitiMusic(0);
    EXPECT_EQ(p.size(), 17u);
    EXPECT_EQ(p.toBytes(), (Bytes{1, 0, 0, 0, 0x30, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    // A fresh profile: empty name, character 0, both music numbers 1.
    TMahjongProfile fresh;
    EXPECT_EQ(fresh.toBytes(), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}));

    // Four zero bytes are a whole base profile but not a mahjong one.
    const Bytes four{0, 0, 0, 0};
    TProfile base;
    base.setName("x");
    EXPECT_EQ(base.read(four.data(), 4), 4u);
    EXPECT_EQ(base.name(), "");
    EXPECT_EQ(fresh.read(four.data(), 4), 0u);

    // A name longer than the bytes that follow is refused, also when the length is huge.
    const Bytes huge{0xFF, 0xFF, 0xFF, 0xFF, 'a'};
    EXPECT_EQ(base.read(huge.data(), 5), 0u);
    EXPECT_EQ(base.read(nullptr, 0), 0u);
}

TEST(GameProfile, FailedReadKeepsTheWholeProfile) {
    TMahjongProfile held;
    held.setName("abc");
    held.setCharacter(9);
    TMahjongProfile other;
    other.setName("zz");
    Bytes b = other.toBytes();
    for (size_t n = 0; n < b.size(); ++n) {
        TMahjongProfile copy = held;
        EXPECT_EQ(copy.read(b.data(), static_cast<u32>(n)), 0u);
        EXPECT_TRUE(copy == held) << n;
    }
    EXPECT_EQ(held.read(b.data(), static_cast<u32>(b.size())), b.size());
    EXPECT_TRUE(held == other);
}

TEST(GameRule, PlayerCountBesideTheRecord) {
    TRule base;
    EXPECT_EQ(base.playerNum(), 0u);
    base.setDefault();
    EXPECT_EQ(base.toBytes(), (Bytes{1, 0, 0, 0}));

    // Before setDefault the count is 0 beside a four-player record; after it, the record's 4.
    TMahjongRule rule;
    EXPECT_EQ(rule.size(), 20u);
    Bytes before = rule.toBytes();
    ASSERT_EQ(before.size(), 20u);
    EXPECT_EQ(before[0], 0);
    EXPECT_EQ(before[4], 4);
    rule.setDefault();
    Bytes after = rule.toBytes();
    EXPECT_EQ(after[0], 4);
    EXPECT_EQ(Bytes(after.begin() + 4, after.end()), mahjong::TRule().toBytes());

    rule.setPlayerNum(3);
    EXPECT_EQ(rule.playerNum(), 3u);
    EXPECT_EQ(rule.rule()->players, 3);
}

TEST(GameRule, SetRuleKeepsTheSharedRecord) {
    TMahjongRule rule;
    boost::shared_ptr<mahjong::TRule> shared = rule.rule();  // as the table holds it
    mahjong::TRule r;
    r.players = 2;
    r.startPoints = 30000;
    r.noWinPenalty = true;
    rule.setRule(r);
    EXPECT_EQ(rule.rule().get(), shared.get());
    EXPECT_EQ(shared->players, 2);
    EXPECT_EQ(shared->startPoints, 30000u);
    EXPECT_TRUE(shared->noWinPenalty);
    EXPECT_EQ(rule.playerNum(), 2u);
}

TEST(GameRule, ReadKeepsNothingOfAFailedRead) {
    TMahjongRule sent;
    mahjong::TRule r;
    r.players = 3;
    r.gameLength = 0;
    sent.setRule(r);
    const Bytes good = sent.toBytes();

    TMahjongRule got;
    got.setDefault();
    const Bytes untouched = got.toBytes();
    auto refused = [&](Bytes b, u32 len) {
        EXPECT_EQ(got.read(b.data(), len), 0u);
        EXPECT_EQ(got.toBytes(), untouched);
    };
    for (u32 n = 0; n < 20; ++n) refused(good, n);  // every short prefix
    Bytes countOff = good;
    countOff[0] = 4;  // disagrees with the record's 3
    refused(countOff, 20);
    Bytes five = good;
    five[0] = 5;
    five[4] = 5;  // agrees, but five players cannot sit
    refused(five, 20);
    Bytes one = good;
    one[0] = 1;
    one[4] = 1;
    refused(one, 20);
    Bytes highWord = good;
    highWord[3] = 1;  // 3 + 2^24
    refused(highWord, 20);

    EXPECT_EQ(got.read(good.data(), 20), 20u);
    EXPECT_EQ(got.toBytes(), good);
    EXPECT_EQ(got.playerNum(), 3u);
}
