// The path mapping and the file services behind it, in temporary trees.
#include "platform/path_map.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/file.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using namespace platform;

namespace {

// "表" is 0x95 0x5C in Shift-JIS: its trail byte is a backslash.
const std::string kHyou = "\x95\x5C";
const std::string kHyouUtf8 = "\xE8\xA1\xA8";

void touch(const fs::path& p, const std::string& bytes = "x") { std::ofstream(p, std::ios::binary) << bytes; }

// The system spelling of a temp folder, ready for "\name" to be appended.
std::string sys(const fs::path& p) { return fromOsPath(p.string()); }

}  // namespace

TEST(PathMap, SplitsAtSeparatorsButNeverAtATrailByte) {
    EXPECT_EQ(splitSystemPath("a\\" + kHyou + "\\b"), (std::vector<std::string>{"a", kHyou, "b"}));
    EXPECT_EQ(splitSystemPath(kHyou + "x"), (std::vector<std::string>{kHyou + "x"}));
    // Runs of separators count as one, '/' counts too, and empty parts vanish.
    EXPECT_EQ(splitSystemPath("\\\\a//b\\/c\\"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(splitSystemPath("").empty());
    // A lead byte at the very end stands alone and does not swallow anything.
    EXPECT_EQ(splitSystemPath("a\x95"), (std::vector<std::string>{"a\x95"}));
    EXPECT_EQ(splitSystemPath("a\x95\\b"), (std::vector<std::string>{"a\x95\\b"}));
}

TEST(PathMap, NamesBecomeUtf8AndComeBack) {
    EXPECT_EQ(toOsPath("\\no-such-root-dir\\" + kHyou + ".txt"), "/no-such-root-dir/" + kHyouUtf8 + ".txt");
    EXPECT_EQ(fromOsPath("/no-such-root-dir/" + kHyouUtf8 + ".txt"), "\\no-such-root-dir\\" + kHyou + ".txt");
    EXPECT_EQ(toOsPath("rel\\x"), "rel/x");
    EXPECT_EQ(toOsPath("\\"), "/");
    EXPECT_EQ(toOsPath(""), "");
}

TEST(PathMap, MissingSpellingIsFoundWithoutRegardToCase) {
    mjtest::TempDir t;
    fs::create_directory(t.path() / "script.pak");
    touch(t.path() / "script.pak" / "a0001.g2", "G2CD");
    std::string os = toOsPath(sys(t.path()) + "\\Script.PAK\\A0001.g2");
    EXPECT_EQ(os, (t.path() / "script.pak" / "a0001.g2").string());

    // An exact spelling wins over another entry that differs only in case.
    touch(t.path() / "script.pak" / "A0001.g2", "other");
    EXPECT_EQ(toOsPath(sys(t.path()) + "\\script.pak\\A0001.g2"), (t.path() / "script.pak" / "A0001.g2").string());
    // Neither spelled so: the lowest in byte order, whatever order the folder lists them in.
    EXPECT_EQ(toOsPath(sys(t.path()) + "\\script.pak\\a0001.G2"), (t.path() / "script.pak" / "A0001.g2").string());

    // What cannot be found keeps its spelling, so a new file gets the name asked for, in the
    // folder's real spelling.
    EXPECT_EQ(toOsPath(sys(t.path()) + "\\SCRIPT.PAK\\New.txt"), (t.path() / "script.pak" / "New.txt").string());
    EXPECT_EQ(toOsPath(sys(t.path()) + "\\Nope\\Script.PAK"), (t.path() / "Nope" / "Script.PAK").string());
}

TEST(PathMap, DoubleByteNamesAreFoundAndKeptExact) {
    mjtest::TempDir t;
    fs::create_directory(t.path() / ("Save" + kHyouUtf8));
    touch(t.path() / ("Save" + kHyouUtf8) / "Game.ini");
    EXPECT_EQ(toOsPath(sys(t.path()) + "\\save" + kHyou + "\\GAME.INI"),
              (t.path() / ("Save" + kHyouUtf8) / "Game.ini").string());
    EXPECT_TRUE(sameNameIgnoringCase("A" + kHyouUtf8, "a" + kHyouUtf8));
    EXPECT_FALSE(sameNameIgnoringCase("ab", "abc"));
}

TEST(FileServices, AFileNamedWithATrailBackslashIsOneFile) {
    mjtest::TempDir t;
    std::string name = sys(t.path()) + "\\" + kHyou + ".dat";
    FileHandle h = openFile(name, FileAccess::Write, FileCreation::CreateNew);
    ASSERT_NE(h, kInvalidFileHandle);
    EXPECT_EQ(writeFile(h, "abc", 3), 3u);
    closeFile(h);
    EXPECT_TRUE(fs::is_regular_file(t.path() / (kHyouUtf8 + ".dat")));
    // Nothing was made for the half of the name before the trail byte.
    EXPECT_EQ(std::distance(fs::directory_iterator(t.path()), fs::directory_iterator()), 1);

    FindData fd;
    ASSERT_TRUE(findFirstFile(name, fd));
    EXPECT_EQ(fd.fileName, kHyou + ".dat");
    EXPECT_EQ(fd.size, 3u);
    EXPECT_EQ(fd.attributes & kAttrDirectory, 0u);
    EXPECT_TRUE(deleteFile(name));
    EXPECT_EQ(getFileAttributes(name), kInvalidFileAttributes);
}

TEST(FileServices, CreationModesAndFolders) {
    mjtest::TempDir t;
    std::string name = sys(t.path()) + "\\f.bin";
    EXPECT_EQ(openFile(name, FileAccess::Read, FileCreation::OpenExisting), kInvalidFileHandle);
    EXPECT_NE(getLastError(), 0u);
    FileHandle h = openFile(name, FileAccess::ReadWrite, FileCreation::OpenAlways);
    writeFile(h, "hello", 5);
    closeFile(h);
    EXPECT_EQ(openFile(name, FileAccess::Write, FileCreation::CreateNew), kInvalidFileHandle);
    h = openFile(name, FileAccess::Write, FileCreation::CreateAlways);
    EXPECT_EQ(fileSize(h), 0u);  // truncated
    closeFile(h);
    // A folder is never opened as a file, whatever the mode, and is not a file to delete.
    EXPECT_EQ(openFile(sys(t.path()), FileAccess::Write, FileCreation::CreateAlways), kInvalidFileHandle);
    EXPECT_FALSE(deleteFile(sys(t.path())));
    EXPECT_TRUE(createDirectory(sys(t.path()) + "\\Sub"));
    EXPECT_FALSE(createDirectory(sys(t.path()) + "\\sub"));  // found without regard to case: exists
    EXPECT_FALSE(createDirectory(sys(t.path()) + "\\missing\\child"));
}

TEST(FileTimes, ConvertAcrossTheEpochsAndTheCalendar) {
    // 2020-02-29 12:34:56.789 UTC
    FILETIME ft = unixToFileTime(1582979696, 789000000);
    uint64_t ticks = (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    EXPECT_EQ(ticks, (1582979696ULL + 11644473600ULL) * 10000000ULL + 7890000ULL);
    SYSTEMTIME st;
    ASSERT_TRUE(fileTimeToSystemTime(ft, st));
    EXPECT_EQ(st.wYear * 10000 + st.wMonth * 100 + st.wDay, 20200229);
    EXPECT_EQ(st.wHour * 10000 + st.wMinute * 100 + st.wSecond, 123456);
    EXPECT_EQ(st.wMilliseconds, 789);
    EXPECT_EQ(st.wDayOfWeek, 6);  // a Saturday

    ASSERT_TRUE(fileTimeToSystemTime(FILETIME{}, st));
    EXPECT_EQ(st.wYear * 10000 + st.wMonth * 100 + st.wDay, 16010101);
    EXPECT_EQ(st.wDayOfWeek, 1);  // a Monday

    EXPECT_FALSE(fileTimeToSystemTime(FILETIME{0xFFFFFFFFu, 0xFFFFFFFFu}, st));

    ::setenv("TZ", "UTC", 1);
    ::tzset();
    FILETIME local;
    ASSERT_TRUE(fileTimeToLocalFileTime(ft, local));
    EXPECT_EQ(local.dwLowDateTime, ft.dwLowDateTime);
    EXPECT_EQ(local.dwHighDateTime, ft.dwHighDateTime);
}
