// The check table, the read-text tables of the scripts and their saved form.
#include "script/read_check.h"

#include <gtest/gtest.h>

#include <random>

#include "error_code.h"
#include "framework/stream.h"
#include "script/value_exchange.h"

TEST(CheckTableTest, BitsFollowAReferenceModelAndGrowthKeepsThem) {
    std::mt19937 rng(3);
    TCheckTbl t;
    std::vector<bool> model;
    ASSERT_TRUE(t.create(12));
    model.resize(16);
    EXPECT_EQ(t.size(), 2);
    for (int step = 0; step < 2000; ++step) {
        const int32_t n = static_cast<int32_t>(rng() % 200) - 10;
        switch (rng() % 4) {
            case 0:
                t.set(n);
                if (n >= 0 && static_cast<size_t>(n) < model.size()) model[n] = true;
                break;
            case 1:
                t.clear(n);
                if (n >= 0 && static_cast<size_t>(n) < model.size()) model[n] = false;
                break;
            case 2:
                ASSERT_TRUE(t.resize(n));
                if (n > static_cast<int32_t>(model.size())) model.resize((n + 7) / 8 * 8);
                break;
            default:
                break;
        }
        ASSERT_EQ(static_cast<size_t>(t.size()) * 8, model.size());
        for (int32_t i = -2; i < static_cast<int32_t>(model.size()) + 9; ++i)
            ASSERT_EQ(t.test(i), i >= 0 && i < static_cast<int32_t>(model.size()) && model[i]) << i;
    }
    t.set(9);
    EXPECT_EQ(t.data()[1] & 2, 2);  // bit 9 is bit 1 of byte 1
}

TEST(ReadCheckTest, TablesAreFoundIgnoringCaseAndOnlyGrow) {
    TReadCheckList list;
    TReadCheck* a = list.getOrCreate("script.pak\\A0001.g2", 16);
    a->set(15);
    EXPECT_EQ(list.getOrCreate("SCRIPT.PAK\\a0001.G2", 20), a);
    EXPECT_EQ(a->size(), 3);  // 24 bits
    EXPECT_TRUE(a->test(15));
    for (int i = 16; i < 24; ++i) EXPECT_FALSE(a->test(i));
    EXPECT_EQ(list.getOrCreate("script.pak\\a0001.g2", 4)->size(), 3);  // never shrinks
    EXPECT_NE(list.getOrCreate("b.g2", 1), a);
    EXPECT_EQ(list.size(), 2u);
}

TEST(ReadCheckTest, AListSavesAndLoadsItsTablesInOrder) {
    TReadCheckList list;
    const char* names[] = {"one", "two", "three"};
    for (int i = 0; i < 3; ++i) list.getOrCreate(names[i], 8 * (i + 1))->set(i * 7);
    TMemoryStream m;
    TValueExchange out(&m, true);
    list.exchange(out);

    m.seek(0, 0);
    TReadCheckList back;
    back.getOrCreate("kept", 1);
    TValueExchange in(&m, false);
    back.exchange(in);
    ASSERT_EQ(back.size(), 4u);  // loading appends
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(back.at(i + 1)->name(), names[i]);
        EXPECT_EQ(back.at(i + 1)->size(), i + 1);
        EXPECT_TRUE(back.at(i + 1)->test(i * 7));
    }

    // A table's section: "CheckTbl" tag, "Size" 3, the bytes, the tag.
    TCheckTbl t;
    t.create(24);
    t.set(17);
    TMemoryStream tm;
    TValueExchange tx(&tm, true);
    t.exchange(tx);
    const std::vector<uint8_t> bytes(tm.getBuffer(), tm.getBuffer() + tm.size());
    EXPECT_EQ(bytes, (std::vector<uint8_t>{'C', 'h', 3, 0, 0, 2, 'C', 'h'}));

    // A count that claims more tables than the bytes could hold is refused before any is made.
    std::vector<uint8_t> bad = {'R', 'e', 50, 0, 0};
    TMemoryStream bm(bad.data(), static_cast<uint32_t>(bad.size()));
    TValueExchange bx(&bm, false);
    TReadCheckList none;
    EXPECT_EQ(errorCode([&] { none.exchange(bx); }), 0x100c);
    EXPECT_EQ(none.size(), 0u);
}
