// The private-profile semantics of settings files, on copies of the committed fixtures.
#include "platform/ini_profile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/path_map.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using namespace platform;

namespace {

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class IniFixture : public ::testing::Test {
protected:
    // Copies a fixture into the temp folder and returns its system path.
    std::string fixture(const std::string& name) {
        fs::copy_file(mjtest::sourceDir() / "tests/platform/ini_fixtures" / name, dir.path() / name);
        return fromOsPath((dir.path() / name).string());
    }
    std::string get(const std::string& file, const char* section, const char* key, const char* def = "<def>") {
        char buf[256];
        getPrivateProfileString(section, key, def, buf, sizeof buf, file);
        return buf;
    }
    std::string bytes(const std::string& file) { return slurp(toOsPath(file)); }

    mjtest::TempDir dir;
};

}  // namespace

TEST_F(IniFixture, NamesMatchWithoutCaseAndValuesAreTrimmedAndUnquoted) {
    std::string f = fixture("game.ini");
    EXPECT_EQ(get(f, "status", "skipcondition"), "1");
    EXPECT_EQ(get(f, "  Status ", " MsgBox "), "200");
    // One pair of matching quotes goes, the blanks inside stay; a lone quote is kept.
    EXPECT_EQ(get(f, "G2Setting", "Volume"), "  128 ");
    EXPECT_EQ(get(f, "G2Setting", "Mute"), "0");
    EXPECT_EQ(get(f, "G2Setting", "Half"), "\"open");
    EXPECT_EQ(get(f, "G2Setting", "Name"), "\x82\xa0\x82\xa2\x82\xa4");
    // A line without '=' is a key with an empty value, not a missing one.
    EXPECT_EQ(get(f, "G2Setting", "novalue"), "");
    EXPECT_EQ(get(f, "G2Setting", ""), "<def>");
}

TEST_F(IniFixture, FirstMatchingSectionWinsAndLaterCopiesAreNotMerged) {
    std::string f = fixture("game.ini");
    EXPECT_EQ(get(f, "STATUS", "SkipCondition"), "1");
    EXPECT_EQ(get(f, "Status", "Extra"), "<def>");
}

TEST_F(IniFixture, DoubleByteNamesCompareExactly) {
    std::string f = fixture("game.ini");
    // 0x83 0x41 and 0x83 0x61 are different characters, although 0x41 and 0x61 are 'A' and 'a'.
    EXPECT_EQ(get(f, "\x83\x41", "kana"), "upper-a trail");
    EXPECT_EQ(get(f, "\x83\x61", "kana"), "<def>");
    EXPECT_TRUE(iniNameEqual("Ab\x83\x41", "aB\x83\x41"));
    EXPECT_FALSE(iniNameEqual("\x83\x41", "\x83\x61"));
}

TEST_F(IniFixture, DefaultsForWhatIsMissing) {
    std::string f = fixture("game.ini");
    EXPECT_EQ(get(f, "Status", "NoSuchKey", "5"), "5");
    EXPECT_EQ(get(f, "NoSuchSection", "SkipCondition", "x"), "x");
    EXPECT_EQ(get(f, "Status", "NoSuchKey", "trailing  \t "), "trailing");
    EXPECT_EQ(get(f, "Status", "NoSuchKey", nullptr), "");
    EXPECT_EQ(get(fromOsPath((dir.path() / "absent.ini").string()), "Status", "SkipCondition", "7"), "7");
}

TEST_F(IniFixture, LfFilesOddLinesAndKeysBeforeAnySection) {
    std::string f = fixture("lf_only.ini");
    EXPECT_EQ(get(f, "spaced section", "KEY ONE"), "value one");
    EXPECT_EQ(get(f, "Other", "K"), "v");  // the last line has no line end
    EXPECT_EQ(get(f, "", "orphan"), "<def>");
    EXPECT_EQ(get(f, "Spaced Section", "; a comment"), "<def>");
}

TEST_F(IniFixture, ShortBuffersCutAtWholeCharacters) {
    std::string f = fixture("game.ini");
    char buf[4];
    // Three bytes fit, but the second double-byte character would be split: only one is taken.
    EXPECT_EQ(getPrivateProfileString("G2Setting", "Name", "", buf, sizeof buf, f), 2u);
    EXPECT_STREQ(buf, "\x82\xa0");
    EXPECT_EQ(getPrivateProfileString("Status", "MsgBox", "", buf, 3, f), 2u);
    EXPECT_STREQ(buf, "20");
    EXPECT_EQ(getPrivateProfileString("Status", "MsgBox", "", buf, 0, f), 0u);
}

TEST_F(IniFixture, ListsOfSectionsAndKeys) {
    std::string f = fixture("lf_only.ini");
    char buf[64];
    uint32_t n = getPrivateProfileString(nullptr, nullptr, "", buf, sizeof buf, f);
    // The count takes in every name's terminator but not the list's.
    EXPECT_EQ(std::string(buf, n + 1), std::string("Spaced Section\0Foreign\0Other\0\0", 30));
    n = getPrivateProfileString("spaced section", nullptr, "", buf, sizeof buf, f);
    EXPECT_EQ(std::string(buf, n + 1), std::string("key one\0\0", 9));
    // A list that does not fit is cut, still doubly terminated.
    n = getPrivateProfileString(nullptr, nullptr, "", buf, 10, f);
    EXPECT_EQ(n, 8u);
    EXPECT_EQ(buf[8], 0);
    EXPECT_EQ(buf[9], 0);
}

TEST_F(IniFixture, ReplacingAValueKeepsEveryOtherLine) {
    std::string f = fixture("game.ini");
    std::string before = bytes(f);
    ASSERT_TRUE(writePrivateProfileString("STATUS", "msgbox", "150", f));
    std::string after = bytes(f);
    std::string expect = before;
    expect.replace(expect.find("MsgBox = 200 "), 13, "MsgBox=150");  // the file's spelling stays
    EXPECT_EQ(after, expect);
    EXPECT_EQ(get(f, "Status", "MsgBox"), "150");
}

TEST_F(IniFixture, NewKeysGoAfterTheSectionsLastKeyAndNewSectionsAtTheEnd) {
    std::string f = fixture("game.ini");
    ASSERT_TRUE(writePrivateProfileString("Status", "ShowClear", "1", f));
    ASSERT_TRUE(writePrivateProfileString("Brand New", "A", "b", f));
    std::string s = bytes(f);
    EXPECT_NE(s.find("RightClick=0\r\nShowClear=1\r\n\r\n[G2Setting]"), std::string::npos);
    EXPECT_EQ(s.substr(s.size() - 18), "[Brand New]\r\nA=b\r\n");
    EXPECT_EQ(get(f, "brand new", "a"), "b");
}

TEST_F(IniFixture, ForeignSectionsCommentsAndOddLinesSurviveARewrite) {
    std::string f = fixture("lf_only.ini");
    ASSERT_TRUE(writePrivateProfileString("Other", "K", "w", f));
    EXPECT_EQ(bytes(f),
              "orphan=before any section\r\n[ Spaced Section ]\r\n  key one  =  value one  \r\n"
              "; a comment=not a key\r\n[Foreign]\r\nKeep=me\r\n\r\n[Other]\r\nK=w\r\n");
}

TEST_F(IniFixture, NullValueDeletesAKeyAndNullKeyASection) {
    std::string f = fixture("game.ini");
    ASSERT_TRUE(writePrivateProfileString("Status", "RightClick", nullptr, f));
    EXPECT_EQ(get(f, "Status", "RightClick"), "<def>");
    EXPECT_EQ(bytes(f).find("RightClick"), std::string::npos);
    ASSERT_TRUE(writePrivateProfileString("G2Setting", nullptr, nullptr, f));
    std::string s = bytes(f);
    EXPECT_EQ(s.find("G2Setting"), std::string::npos);
    EXPECT_EQ(s.find("Volume"), std::string::npos);
    EXPECT_NE(s.find("[\x83\x41]\r\nkana="), std::string::npos);
}

TEST_F(IniFixture, DeletingWhatIsNotThereLeavesTheFileAlone) {
    std::string f = fixture("lf_only.ini");
    std::string before = bytes(f);
    EXPECT_TRUE(writePrivateProfileString("Other", "Missing", nullptr, f));
    EXPECT_TRUE(writePrivateProfileString("NoSection", nullptr, nullptr, f));
    EXPECT_EQ(bytes(f), before);  // not even rewritten with CR LF
    std::string absent = fromOsPath((dir.path() / "absent.ini").string());
    EXPECT_TRUE(writePrivateProfileString("S", "K", nullptr, absent));
    EXPECT_FALSE(fs::exists(dir.path() / "absent.ini"));
}

TEST_F(IniFixture, WritingTheSameValueDoesNotRewrite) {
    std::string f = fixture("lf_only.ini");
    std::string before = bytes(f);
    EXPECT_TRUE(writePrivateProfileString("Other", "K", "v", f));
    EXPECT_EQ(bytes(f), before);
}

TEST_F(IniFixture, WritesCreateAMissingFileButNeverAMissingFolder) {
    std::string f = fromOsPath((dir.path() / "new.ini").string());
    ASSERT_TRUE(writePrivateProfileString("Status", "Windowed", "1", f));
    EXPECT_EQ(slurp(dir.path() / "new.ini"), "[Status]\r\nWindowed=1\r\n");

    std::string deep = fromOsPath((dir.path() / "save").string()) + "\\game.ini";
    EXPECT_FALSE(writePrivateProfileString("Status", "Windowed", "1", deep));
    EXPECT_FALSE(fs::exists(dir.path() / "save"));
    EXPECT_FALSE(writePrivateProfileString(nullptr, "K", "v", f));
}

TEST_F(IniFixture, ReplacementLeavesNoTemporaryFileAndKeepsPermissions) {
    std::string f = fixture("game.ini");
    fs::permissions(dir.path() / "game.ini", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(writePrivateProfileString("Status", "MsgBox", "1", f));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    EXPECT_EQ(fs::status(dir.path() / "game.ini").permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(IniFixture, AWriteRemovesTemporaryFilesThatADeadWriterLeftButNotALiveOnes) {
    std::string f = fixture("game.ini");
    auto touch = [&](const std::string& name) { std::ofstream(dir.path() / name) << "half"; };
    touch(".game.ini.Ab3xYz");  // a writer killed before its rename
    touch(".game.ini.Q1w2E3");  // a live writer of another process, holding its lock
    touch(".game.ini.long123");
    touch(".other.ini.Ab3xYz");
    const int live = ::open((dir.path() / ".game.ini.Q1w2E3").c_str(), O_RDONLY);
    ASSERT_GE(live, 0);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);

    ASSERT_TRUE(writePrivateProfileString("Status", "MsgBox", "1", f));
    EXPECT_FALSE(fs::exists(dir.path() / ".game.ini.Ab3xYz"));
    EXPECT_TRUE(fs::exists(dir.path() / ".game.ini.Q1w2E3"));
    EXPECT_TRUE(fs::exists(dir.path() / ".game.ini.long123"));  // not a name the writer makes
    EXPECT_TRUE(fs::exists(dir.path() / ".other.ini.Ab3xYz"));  // another file's
    EXPECT_EQ(get(f, "Status", "MsgBox"), "1");
    ::close(live);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 4);
}

TEST(IniNames, TheKeyOfANameIsSharedByExactlyTheNamesThatCompareEqual) {
    // Every name of up to three bytes over letters in both cases, a lead byte, trail bytes that
    // are letters, and bytes that are neither.
    const std::string alphabet = "aA@\x81\x7f=";
    std::vector<std::string> names{""};
    for (size_t len = 1, from = 0; len <= 3; ++len) {
        const size_t to = names.size();
        for (size_t i = from; i < to; ++i)
            for (char c : alphabet) names.push_back(names[i] + c);
        from = to;
    }
    for (const std::string& a : names)
        for (const std::string& b : names)
            ASSERT_EQ(iniNameKey(a) == iniNameKey(b), iniNameEqual(a, b))
                << testing::PrintToString(a) << " " << testing::PrintToString(b);
}

TEST(IniNames, ListsOfManyNamesHoldEachOnceInFileOrder) {
    std::string text = "[S]\r\n";
    for (int i = 0; i < 20000; ++i) text += "Key" + std::to_string(i) + "=1\r\nKEY" + std::to_string(i) + "=2\r\n";
    for (int i = 0; i < 20000; ++i) text += "[Sec" + std::to_string(i) + "]\r\n[sec" + std::to_string(i) + "]\r\n";
    const IniDocument doc = IniDocument::parse(text);
    const std::vector<std::string> keys = doc.keyNames("s");
    ASSERT_EQ(keys.size(), 20000u);
    EXPECT_EQ(keys[0], "Key0");
    EXPECT_EQ(keys[19999], "Key19999");
    const std::vector<std::string> sections = doc.sectionNames();
    ASSERT_EQ(sections.size(), 20001u);
    EXPECT_EQ(sections[1], "Sec0");
    EXPECT_EQ(sections[20000], "Sec19999");
}

TEST_F(IniFixture, AValueCannotInjectLines) {
    std::string f = fixture("lf_only.ini");
    ASSERT_TRUE(writePrivateProfileString("Other", "K", "x\r\n[Evil]\r\nK=y", f));
    EXPECT_EQ(get(f, "Other", "K"), "x");
    EXPECT_EQ(get(f, "Evil", "K"), "<def>");
}

TEST_F(IniFixture, FileNamesGoThroughThePathMapping) {
    std::string f = fixture("game.ini");
    std::string upper = fromOsPath((dir.path() / "GAME.INI").string());
    EXPECT_EQ(get(upper, "Status", "SkipCondition"), "1");
    ASSERT_TRUE(writePrivateProfileString("Status", "SkipCondition", "3", upper));
    EXPECT_FALSE(fs::exists(dir.path() / "GAME.INI"));
    EXPECT_EQ(get(f, "Status", "SkipCondition"), "3");
}

TEST_F(IniFixture, StructuresAreHexWithAChecksumByte) {
    std::string f = fromOsPath((dir.path() / "s.ini").string());
    const uint8_t data[] = {0x01, 0xAB, 0xFF, 0x10};
    ASSERT_TRUE(writePrivateProfileStruct("S", "Pos", data, sizeof data, f));
    EXPECT_EQ(get(f, "S", "Pos"), "01ABFF10BB");  // 0x01 + 0xAB + 0xFF + 0x10 = 0x1BB

    uint8_t back[4] = {};
    ASSERT_TRUE(getPrivateProfileStruct("S", "Pos", back, sizeof back, f));
    EXPECT_EQ(0, std::memcmp(back, data, sizeof data));

    // The wrong size, a broken checksum or a non-hex digit is refused and leaves buf alone.
    uint8_t three[3] = {7, 7, 7};
    EXPECT_FALSE(getPrivateProfileStruct("S", "Pos", three, sizeof three, f));
    EXPECT_EQ(three[0], 7);
    ASSERT_TRUE(writePrivateProfileString("S", "Pos", "01ABFF10BC", f));
    EXPECT_FALSE(getPrivateProfileStruct("S", "Pos", back, sizeof back, f));
    ASSERT_TRUE(writePrivateProfileString("S", "Pos", "01ABFG10BB", f));
    EXPECT_FALSE(getPrivateProfileStruct("S", "Pos", back, sizeof back, f));
    // Lower-case hex reads too; an empty structure is just its checksum.
    ASSERT_TRUE(writePrivateProfileString("S", "Pos", "01abff10bb", f));
    EXPECT_TRUE(getPrivateProfileStruct("S", "Pos", back, sizeof back, f));
    ASSERT_TRUE(writePrivateProfileStruct("S", "Empty", back, 0, f));
    EXPECT_EQ(get(f, "S", "Empty"), "00");
}
