#include "storage/gfl_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/test_support.h"

namespace {

TEST(GflStream, CompactNumbersUseBigEndianSevenBitGroups) {
    GflMemoryStream s;
    ASSERT_TRUE(s.writeVarUInt(300));
    ASSERT_TRUE(s.writeVarUInt(127));
    ASSERT_TRUE(s.writeVarUInt(0xFFFFFFFFu));
    ASSERT_TRUE(s.writeVarString("abc"));
    const uint8_t expect[] = {0x82, 0x2C, 0x7F, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 3, 'a', 'b', 'c'};
    ASSERT_EQ(s.tell(), sizeof expect);
    EXPECT_EQ(0, std::memcmp(s.data(), expect, sizeof expect));
    ASSERT_TRUE(s.seek(0));
    EXPECT_EQ(s.readVarUInt(), 300u);
    EXPECT_EQ(s.readVarUInt(), 127u);
    EXPECT_EQ(s.readVarUInt(), 0xFFFFFFFFu);
    EXPECT_EQ(s.readVarString(), "abc");

    // A run of continuation bytes ends after five and does not read on.
    const uint8_t endless[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01};
    GflMemoryStream r(static_cast<const void*>(endless), sizeof endless);
    r.readVarUInt();
    EXPECT_EQ(r.tell(), 5u);
}

TEST(GflStream, TypedValuesAndStringsRoundTripLittleEndian) {
    GflMemoryStream s;
    s.writeU8(0x12);
    s.writeU16(0x3456);
    s.writeU32(0x789ABCDEu);
    s.writeU64(0x0102030405060708ull);
    s.writeString16("hi");
    s.writeString32("there");
    EXPECT_EQ(s.data()[1], 0x56);
    ASSERT_TRUE(s.seek(0));
    EXPECT_EQ(s.readU8(), 0x12);
    EXPECT_EQ(s.readU16(), 0x3456);
    EXPECT_EQ(s.readU32(), 0x789ABCDEu);
    EXPECT_EQ(s.readU64(), 0x0102030405060708ull);
    EXPECT_EQ(s.readString16(), "hi");
    EXPECT_EQ(s.readString32(), "there");
    // A damaged length reads what is there instead of allocating what it claims.
    const uint8_t lying[] = {0xFF, 0xFF, 0xFF, 0x7F, 'x'};
    GflMemoryStream r(static_cast<const void*>(lying), sizeof lying);
    EXPECT_EQ(r.readString32(), "x");
    EXPECT_TRUE(r.isEof());
}

TEST(GflStream, MemoryWindowsAreFixedAndGrowingStreamsDouble) {
    uint8_t buf[4] = {};
    GflMemoryStream fixed(buf, sizeof buf);
    EXPECT_FALSE(fixed.isEof());
    EXPECT_EQ(fixed.write("abcdef", 6), 4u);
    EXPECT_TRUE(fixed.isEof());
    EXPECT_FALSE(fixed.seek(5));
    EXPECT_TRUE(fixed.seek(4));
    EXPECT_TRUE(fixed.isEof());
    EXPECT_FALSE(fixed.seek(uint64_t{1} << 31));

    GflMemoryStream growing;
    EXPECT_EQ(growing.write("x", 1), 1u);
    EXPECT_EQ(growing.capacity(), 1024u);
    std::vector<uint8_t> big(1500, 7);
    EXPECT_EQ(growing.write(big.data(), big.size()), big.size());
    EXPECT_EQ(growing.capacity(), 2048u);
    EXPECT_FALSE(growing.seek(uint64_t{1} << 31));

    const char ro[] = "read";
    GflMemoryStream readOnly(static_cast<const void*>(ro), 4);
    EXPECT_EQ(readOnly.write("x", 1), 0u);
    char got[8] = {};
    EXPECT_EQ(readOnly.read(got, 8), 4u);
    EXPECT_STREQ(got, "read");
}

TEST(GflStream, ExactTransfersThrowOnShortCounts) {
    const uint8_t two[2] = {1, 2};
    GflMemoryStream r(static_cast<const void*>(two), 2);
    uint8_t out[3];
    try {
        readExact(r, out, 3);
        FAIL();
    } catch (const GflException& e) {
        EXPECT_EQ(e.code(), 5);
    }
    uint8_t small[1];
    GflMemoryStream w(small, 1);
    try {
        writeExact(w, two, 2);
        FAIL();
    } catch (const GflException& e) {
        EXPECT_EQ(e.code(), 6);
    }
}

TEST(GflFile, OpensByModeAndResolvesAgainstTheBaseFolder) {
    mjtest::TempDir dir;
    GflFile f;
    EXPECT_FALSE(f.openFile(dir.str() + "/never", 5));
    EXPECT_FALSE(f.openFile(dir.str() + "/never", 0));
    ASSERT_TRUE(f.openFile(dir.str() + "/made.bin", GflFile::Create));
    EXPECT_EQ(f.write("hello", 5), 5u);
    f.closeFile();
    ASSERT_TRUE(f.openRead(dir.str() + "/MADE.BIN"));  // names are found in any letter case
    EXPECT_EQ(f.size(), 5u);
    char got[6] = {};
    EXPECT_EQ(f.read(got, 5), 5u);
    EXPECT_STREQ(got, "hello");
    EXPECT_TRUE(f.seek(1));
    EXPECT_EQ(f.tell(), 1u);
    EXPECT_TRUE(f.loadWhole(dir.str() + "/made.bin"));
    EXPECT_EQ(f.wholeBuffer().size(), 5u);

    EXPECT_EQ(gflResolvePath("a\\b"), "a\\b");  // an empty base leaves relative paths alone
    gflSetBaseFolder("D:\\game");
    EXPECT_EQ(gflResolvePath("data.pak"), "D:\\game\\data.pak");
    EXPECT_EQ(gflResolvePath("\\x.pak"), "D:\\x.pak");
    EXPECT_EQ(gflResolvePath("\\\\server\\x"), "\\\\server\\x");
    EXPECT_EQ(gflResolvePath("C:x"), "C:x");
    gflSetBaseFolder("D:\\");
    EXPECT_EQ(gflResolvePath("a"), "D:\\a");
    gflSetBaseFolder("");
}

}  // namespace
