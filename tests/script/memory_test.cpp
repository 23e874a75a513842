// Script variables: the map file's reader and writer, lookups, built-in variables, index
// arithmetic and the saved areas.
#include "script/memory.h"

#include <gtest/gtest.h>

#include "error_code.h"
#include "framework/stream.h"
#include "generated_map.h"
#include "script/memory_map_file.h"
#include "script/value_exchange.h"

namespace {

using Words = std::vector<int32_t>;

// A map file by hand: no text, the nine lengths, no names, then the value sections as given.
std::vector<uint8_t> rawMap(const Words& lengths, const Words& sections) {
    TMemoryStream m;
    m.write("G2MM0460\x1b", 9);
    for (int32_t l : lengths) {
        m.writeInt32(l);
        m.writeInt32(0);
    }
    for (int32_t w : sections) m.writeInt32(w);
    return {m.getBuffer(), m.getBuffer() + m.size()};
}

bool load(TG2Memory& mem, std::vector<uint8_t> bytes) {
    TMemoryStream m(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return mem.loadMap(m);
}

std::vector<uint8_t> written(const G2MapImage& map) {
    TMemoryStream m;
    writeMemoryMap(m, map);
    return {m.getBuffer(), m.getBuffer() + m.size()};
}

class Recorder : public TG2SystemSource {
public:
    uint32_t nextRandom() override { return random; }
    void setResult(int32_t v) override { result_ = v; }
    int32_t result() override { return result_; }
    bool sePlaying(int32_t ch) override { return ch == 3; }
    bool voicePlaying() override { return true; }
    std::string seName(int32_t ch) override { return "se" + std::to_string(ch); }
    std::string voiceName() override { return "voice"; }
    uint32_t random = 0;
    int32_t result_ = 0;
};

}  // namespace

TEST(MemoryMapTest, RunsFillSlotsFromTheStartAndStopAtTheEnd) {
    TG2Memory mem;
    // Area 0: 6 integers, 40 booleans, 2 strings. An integer list run reaching past the end
    // still reads all its values (the boolean section after it is read right).
    ASSERT_TRUE(load(mem, rawMap({6, 40, 0, 3, 0, 0, 0, 0, 0}, {3,  7, -2, 1, 2, 0,  // 7 7 7 1 2 0
                                                                1,  5, 0,            // booleans: slots 0 and 2 of 32
                                                                0,                   // no strings
                                                                -5, 1, 2,  3, 4, 5, 0, 0, 0, 0, 0, 0, 0})));
    EXPECT_EQ(mem.ints(0), (Words{7, 7, 7, 1, 2, 0}));
    EXPECT_EQ(mem.bools(0).size(), 48u);
    for (int i = 0; i < 48; ++i) EXPECT_EQ(mem.getBool(0, i), i == 0 || i == 2) << i;
    EXPECT_EQ(mem.ints(1), (Words{1, 2, 3}));
    EXPECT_EQ(mem.bools(1).size(), 8u);  // a boolean length of 0 still gives 8 slots
    EXPECT_EQ(mem.ints(3), mem.ints(0));
}

TEST(MemoryMapTest, NamesResolveInAreaOrderAndBuiltInsAreAppended) {
    G2MapImage map;
    map.areas[0].lists[kG2Int] = {4, {{1, "shared", 0}, {2, "arr", 3}}};
    map.areas[2].lists[kG2Int] = {4, {{3, "shared", 0}}};
    map.areas[1].lists[kG2String] = {2, {{1, "$name", 0}}};
    map.areas[0].ints = {0, 11, 22, 33};
    map.areas[1].strings = {"", "x"};
    TG2Memory mem;
    mem.applyMap(map);
    EXPECT_EQ(mem.lookupInt("shared"), (TG2AreaIndex{0, 1}));
    EXPECT_EQ(mem.lookupInt("Shared"), TG2AreaIndex{});  // names are case-sensitive
    EXPECT_EQ(mem.getInt("arr", 1), 33);
    EXPECT_EQ(mem.getInt("nothing", 0), 0);
    mem.setString("$name", "y");
    EXPECT_EQ(mem.getString(1, 1), "y");
    EXPECT_EQ(mem.findIntIndex(2, "shared"), 3);
    EXPECT_EQ(mem.findStringIndex(0, "$name"), kG2NoVariable);
    EXPECT_EQ(mem.lookupInt("@RAND"), (TG2AreaIndex{1, -10001}));
    EXPECT_EQ(mem.findEntry(kG2Bool, "$IMGDISP")->count, 32768);
    EXPECT_EQ(describeMemory(mem).areas[0].lists[kG2Int].names.size(), 2u);  // built-ins left out
}

TEST(MemoryTest, SlotAccessChecksIndicesAndIndexArithmeticNeverReachesABuiltIn) {
    G2MapImage map;
    map.areas[0].lists[kG2Int].length = 4;
    map.areas[0].lists[kG2Int].names = {{2, "two", 0}};
    TG2Memory mem;
    mem.applyMap(map);
    EXPECT_EQ(errorCode([&] { mem.getInt(0, 4); }), 0x1012);
    EXPECT_EQ(errorCode([&] { mem.getInt(0, kG2NoVariable); }), 0x1012);
    EXPECT_EQ(errorCode([&] { mem.setInt(5, 0, 1); }), 0x1012);     // no such area
    EXPECT_EQ(errorCode([&] { mem.getInt(0, -5); }), 0x1005);       // no built-in has that id
    EXPECT_EQ(errorCode([&] { mem.getBool(0, -10001); }), 0x1005);  // @RAND is no boolean
    // From slot 2, 10001 back would be @RAND: it stays an index past the array instead.
    EXPECT_EQ(errorCode([&] { mem.getInt("two", -10003); }), 0x1012);
    EXPECT_EQ(offsetG2Index(2147483600, 100), 2147483647);
    EXPECT_EQ(offsetG2Index(kG2NoVariable, 89998), kG2NoVariable);
    EXPECT_EQ(offsetG2Index(-11260, 3), -11257);  // array built-ins take offsets
    EXPECT_EQ(offsetG2Index(-3, 5), kG2NoVariable);
}

TEST(MemoryTest, BuiltInsAreAnsweredLiveAndMostAreReadOnly) {
    TG2Memory mem;
    Recorder rec;
    mem.setSystemSource(&rec);
    mem.setInt(0, -1, 42);  // $RESULT is stored into the core
    EXPECT_EQ(rec.result_, 42);
    EXPECT_EQ(mem.getInt(0, -1), 42);
    EXPECT_EQ(errorCode([&] { mem.setInt(1, -10001, 1); }), 0x1005);
    EXPECT_EQ(errorCode([&] { mem.setBool(0, -47001, true); }), 0x1005);
    rec.random = 0xFFFFFFFE;  // -2
    EXPECT_EQ(mem.getInt(1, -10001), 2);
    rec.random = 0x80000000;
    EXPECT_EQ(mem.getInt(1, -10001), 2147483647);
    EXPECT_TRUE(mem.getBool(0, -46256 + 3));
    EXPECT_FALSE(mem.getBool(0, -46256 + 4));
    EXPECT_TRUE(mem.getBool(0, -46256 + 255));  // element 255 is the voice
    EXPECT_EQ(mem.getString(0, -47260 + 9), "se9");
    EXPECT_EQ(mem.getString(0, -47260 + 255), "voice");
    EXPECT_EQ(errorCode([&] { mem.getBool(0, -46256 + 256); }), 0x1005);
}

TEST(MemoryMapTest, WriterLoaderWriterIsByteIdentical) {
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        const G2MapImage map = generatedMap(seed);
        const std::vector<uint8_t> first = written(map);
        TG2Memory mem;
        ASSERT_TRUE(load(mem, first)) << seed;
        EXPECT_EQ(written(describeMemory(mem, map.text)), first) << seed;
    }
}

TEST(MemoryMapTest, AnyCutOrBadHeaderFailsAndKeepsNothing) {
    const std::vector<uint8_t> whole = written(generatedMap(42));
    G2MapImage small;
    small.areas[1].lists[kG2Int] = {2, {{0, "kept", 0}}};
    small.areas[1].ints = {9};
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        TG2Memory mem;
        mem.applyMap(small);
        ASSERT_FALSE(load(mem, {whole.begin(), whole.begin() + static_cast<long>(cut)})) << cut;
        EXPECT_EQ(mem.getInt("kept", 0), 9);
    }
    std::vector<uint8_t> wrong = whole;
    wrong[7] = '1';  // version "0461"
    TG2Memory mem;
    EXPECT_FALSE(load(mem, wrong));
    EXPECT_FALSE(load(mem, rawMap({kG2MaxArrayLength + 1, 0, 0, 0, 0, 0, 0, 0, 0}, Words(9, 0))));
    EXPECT_TRUE(load(mem, rawMap({kG2MaxArrayLength, 0, 0, 0, 0, 0, 0, 0, 0}, Words(9, 0))));
}

TEST(MemoryTest, AreasSaveAndLoadWithinTheirArrays) {
    G2MapImage map = generatedMap(7);
    map.areas[0].lists[kG2Int].length = 20;
    TG2Memory a;
    a.applyMap(map);
    for (size_t i = 0; i < a.ints(1).size(); ++i) a.setInt(1, static_cast<int32_t>(i), static_cast<int32_t>(i * 977));
    TMemoryStream m;
    TValueExchange out(&m, true);
    a.exchangeArea0(out);
    a.exchangeArea1(out);

    TG2Memory b;
    b.applyMap(map);
    for (size_t i = 0; i < b.bools(0).size(); ++i) b.setBool(0, static_cast<int32_t>(i), true);
    m.seek(0, 0);
    TValueExchange in(&m, false);
    b.exchangeArea0(in);
    b.exchangeArea1(in);
    EXPECT_EQ(b.ints(1), a.ints(1));
    EXPECT_EQ(b.strings(0), a.strings(0));
    const size_t declared = static_cast<size_t>(std::max(0, map.areas[0].lists[kG2Bool].length));
    for (size_t i = 0; i < declared; ++i) EXPECT_EQ(b.bools(0)[i], a.bools(0)[i]);

    // A save that counts more slots than the arrays hold is refused before it writes any.
    G2MapImage smaller;
    smaller.areas[0].lists[kG2Int].length = 1;
    TG2Memory c;
    c.applyMap(smaller);
    m.seek(0, 0);
    TValueExchange again(&m, false);
    EXPECT_EQ(errorCode([&] { c.exchangeArea0(again); }), 0x100c);
}
