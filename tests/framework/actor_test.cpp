#include "framework/actor.h"

#include <gtest/gtest.h>

#include <unordered_map>

TEST(Actor, AnUnknownNameGetsTheDefaultsOnceAndKeepsWhatWasSet) {
    std::unordered_map<std::string, TActor> table;
    TActor& first = table["\x82\xa0"];
    EXPECT_EQ(first.a, 0);
    EXPECT_EQ(static_cast<uint32_t>(first.b), 0xFF000000u);
    EXPECT_EQ(first.c, -1);
    EXPECT_EQ(first.d, 1);
    EXPECT_EQ(first.e, 255);
    EXPECT_TRUE(first.name.empty());
    first.c = 7;
    first.name = "shown";

    TActor& again = table["\x82\xa0"];
    EXPECT_EQ(table.size(), 1u);
    EXPECT_EQ(&again, &first);
    EXPECT_EQ(again.c, 7);

    TActor copy = again;
    copy.name += "!";
    EXPECT_EQ(copy.c, 7);
    EXPECT_EQ(again.name, "shown");
}
