// The variable map's readable description and the files written from it.
#include "map_description.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "framework/stream.h"
#include "generated_map.h"
#include "script/memory.h"
#include "support/test_support.h"

TEST(MapDescriptionTest, TheDemoDescriptionWritesAMapTheStoreLoads) {
    std::ifstream in(mjtest::sourceDir() / "tools" / "g2mmwrite" / "main.g2mm.txt", std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(in), {});
    G2MapImage map;
    std::string error;
    ASSERT_TRUE(g2mm::parseDescription(text, map, error)) << error;
    TMemoryStream m;
    writeMemoryMap(m, map);
    m.seek(0, 0);
    TG2Memory mem;
    ASSERT_TRUE(mem.loadMap(m));
    EXPECT_EQ(mem.lookupInt("$mj_result"), (TG2AreaIndex{0, 10}));
    EXPECT_EQ(mem.getInt("$mj_char", 2), 3);
    EXPECT_EQ(mem.lookupInt("@mj_secret").area, 1);
    EXPECT_EQ(mem.bools(1).size(), 1032u);
}

TEST(MapDescriptionTest, WordsAndTextsBecomeShiftJisAndEscapesStayBytes) {
    G2MapImage map;
    std::string error;
    ASSERT_TRUE(g2mm::parseDescription("area 2\nlength str 3\nvalue str 1 東 \"a\\x00\\\"b\" # note\n", map, error))
        << error;
    ASSERT_EQ(map.areas[2].strings.size(), 3u);
    EXPECT_EQ(map.areas[2].strings[1], "\x93\x8C");
    EXPECT_EQ(map.areas[2].strings[2], std::string("a\0\"b", 4));
}

TEST(MapDescriptionTest, BadStatementsNameTheirLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"area 3", "line 1: area takes 0, 1 or 2"},
        {"\nlength float 3", "line 2: expected a statement and a kind (int, bool or str)"},
        {"value bool 0 2", "line 1: bad value 2"},
        {"name int x y", "line 1: name takes an index, a name and a count"},
        {"text \"open", "line 1: unterminated quote"},
        {"length int 999999", "line 1: length takes one number up to 262144"},
        {"value str 0 \"\\q\"", "line 1: unknown escape \\q"},
    };
    for (const auto& [text, message] : cases) {
        G2MapImage map;
        std::string error;
        EXPECT_FALSE(g2mm::parseDescription(text, map, error)) << text;
        EXPECT_EQ(error, message);
    }
}

TEST(MapDescriptionTest, AFormattedDescriptionParsesBackToTheSameMap) {
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        const G2MapImage map = generatedMap(seed);
        G2MapImage back;
        std::string error;
        ASSERT_TRUE(g2mm::parseDescription(g2mm::formatDescription(map), back, error)) << error;
        EXPECT_EQ(back, map) << seed;
    }
}
