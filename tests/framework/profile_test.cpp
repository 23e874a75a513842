// TProfile over settings files in a temporary folder.
#include "framework/profile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/path_map.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    std::string sys(const std::string& rel) { return platform::fromOsPath(dir.path().string()) + "\\" + rel; }
    std::string slurp(const std::string& rel) {
        std::ifstream in(dir.path() / rel, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    mjtest::TempDir dir;
};

}  // namespace

TEST_F(ProfileTest, IntegersAreReadAsStrtolWithBaseZero) {
    std::ofstream(dir.path() / "n.ini") << "[Main]\r\noct=010\r\nhex=0x1F\r\nmixed=12abc\r\nword=abc\r\n"
                                           "neg=-42\r\nspaced=  7  \r\nempty=\r\n";
    TProfile p;
    ASSERT_TRUE(p.open(sys("n.ini"), nullptr));
    EXPECT_EQ(p.getInt("oct", 5), 8);
    EXPECT_EQ(p.getInt("hex", 5), 31);
    EXPECT_EQ(p.getInt("mixed", 5), 12);
    EXPECT_EQ(p.getInt("word", 5), 0);
    EXPECT_EQ(p.getInt("neg", 5) + p.getInt("spaced", 5), -35);
    EXPECT_EQ(p.getInt("empty", 5), 0);  // present but empty: no number
    EXPECT_EQ(p.getInt("missing", -2147483647 - 1), -2147483647 - 1);
    EXPECT_EQ(p.accessMode(), TProfile::kAccessRead);
}

TEST_F(ProfileTest, OpenNamesTheFileAndSectionAndMakesTheFolder) {
    TProfile p;
    EXPECT_TRUE(p.open("", nullptr));
    EXPECT_EQ(p.fileName(), "win.ini");
    EXPECT_EQ(p.section(), "Main");

    // The program opens "save\game.ini" before the folder exists, so that a write can make it.
    ASSERT_TRUE(p.open(sys("save\\game.ini"), "Status"));
    EXPECT_TRUE(fs::is_directory(dir.path() / "save"));
    EXPECT_FALSE(fs::exists(dir.path() / "save" / "game.ini"));
    EXPECT_TRUE(p.setInt("Windowed", 1));
    EXPECT_EQ(p.accessMode(), TProfile::kAccessWrite);
    EXPECT_TRUE(p.setString("WindowPos", "100,50"));
    EXPECT_EQ(slurp("save/game.ini"), "[Status]\r\nWindowed=1\r\nWindowPos=100,50\r\n");
    EXPECT_EQ(p.getString("WindowPos", "0,0"), "100,50");
    EXPECT_EQ(p.getString("Nothing", "0,0"), "0,0");

    p.setSection(nullptr);
    EXPECT_EQ(p.section(), "Main");
    EXPECT_EQ(p.getInt("Windowed", 9), 9);
    p.setSection("status");
    EXPECT_EQ(p.getInt("Windowed", 9), 1);
    p.close();
    EXPECT_EQ(p.accessMode(), TProfile::kAccessNone);
}

TEST_F(ProfileTest, AFolderThatCannotBeMadeFailsOpenButKeepsTheNames) {
    std::ofstream(dir.path() / "save") << "a file where the folder should be";
    TProfile p;
    EXPECT_FALSE(p.open(sys("save\\game.ini"), "Status"));
    EXPECT_EQ(p.fileName(), sys("save\\game.ini"));
    EXPECT_EQ(p.section(), "Status");
    EXPECT_EQ(p.getInt("Windowed", 3), 3);
    EXPECT_FALSE(p.setInt("Windowed", 1));

    // A double-byte name whose trail byte is 0x5C has no folder part.
    TProfile q;
    EXPECT_TRUE(q.open("\x95\x5C.ini", "S"));
}

TEST_F(ProfileTest, DeletingKeysAndStructures) {
    TProfile p;
    ASSERT_TRUE(p.open(sys("d.ini"), "S"));
    ASSERT_TRUE(p.setInt("a", 1));
    ASSERT_TRUE(p.setInt("b", 2));
    std::string before = slurp("d.ini");
    p.setAccessMode(TProfile::kAccessRead);
    EXPECT_TRUE(p.deleteKey("missing"));
    EXPECT_EQ(slurp("d.ini"), before);
    EXPECT_EQ(p.accessMode(), TProfile::kAccessRead);  // deleting does not change the mode
    EXPECT_TRUE(p.deleteKey("A"));
    EXPECT_EQ(slurp("d.ini"), "[S]\r\nb=2\r\n");

    const uint8_t data[] = {1, 2, 3};
    EXPECT_TRUE(p.setStruct("pos", data, sizeof data));
    EXPECT_EQ(p.getString("pos", ""), "01020306");
    uint32_t size = 1234;
    EXPECT_EQ(p.getAllocatedStruct("pos", &size), nullptr);  // structures are not read back
    EXPECT_EQ(p.getStruct("pos", nullptr, &size), 0u);
}

TEST_F(ProfileTest, LongValuesAreCutToTheBuffers) {
    std::string longValue(2000, 'v');
    TProfile p;
    ASSERT_TRUE(p.open(sys("l.ini"), "S"));
    ASSERT_TRUE(p.setString("k", longValue.c_str()));
    EXPECT_EQ(p.getString("k", ""), std::string(1023, 'v'));
    char small[8];
    EXPECT_STREQ(p.getString("k", small, sizeof small, ""), "vvvvvvv");
    EXPECT_EQ(p.getInt("k", 4), 0);
}

// Held writes reach the file together at the flush, as the same writes made one by one would
// have left it; a read in between sees them, and closing writes what is still held.
TEST_F(ProfileTest, HeldWritesLandTogetherAsSingleWritesWould) {
    const std::string start = "; kept\r\n[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n";
    auto edit = [](TProfile& p) {
        p.setInt("x", 10);
        p.deleteKey("y");
        p.setSection("C");
        p.setString("w", "new\r\nline");
        p.setStruct("s", "\x01\x02", 2);
        p.setSection("B");
        p.setString(nullptr, "the section goes");
    };
    std::ofstream(dir.path() / "one.ini", std::ios::binary) << start;
    std::ofstream(dir.path() / "held.ini", std::ios::binary) << start;
    TProfile one, held;
    ASSERT_TRUE(one.open(sys("one.ini"), "A") && held.open(sys("held.ini"), "A"));
    edit(one);
    held.holdWrites();
    edit(held);
    EXPECT_EQ(slurp("held.ini"), start);
    ASSERT_TRUE(held.flushWrites());
    EXPECT_EQ(slurp("held.ini"), slurp("one.ini"));

    held.holdWrites();
    held.setSection("A");
    held.setInt("x", 11);
    EXPECT_EQ(held.getInt("x", 0), 11);
    held.setInt("x", 12);
    held.close();
    EXPECT_NE(slurp("held.ini").find("x=12"), std::string::npos);
}
