// File-system helpers in temporary trees, times under TZ=UTC.
#include "framework/file_system.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/path_map.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const std::string kHyou = "\x95\x5C";  // a character whose trail byte is '\'
const std::string kHyouUtf8 = "\xE8\xA1\xA8";

class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        old = fs::current_path();
        fs::current_path(dir.path());
    }
    void TearDown() override { fs::current_path(old); }
    std::string abs(const std::string& rel) { return platform::fromOsPath(dir.path().string()) + "\\" + rel; }

    mjtest::TempDir dir;
    fs::path old;
};

}  // namespace

TEST_F(FileSystemTest, CreatePathFoldersMakesWhatIsMissing) {
    fs::create_directory("save");
    EXPECT_TRUE(createPathFolders("save\\slots"));
    EXPECT_TRUE(fs::is_directory("save/slots"));
    EXPECT_TRUE(createPathFolders("save\\slots"));  // an existing folder: true, nothing made

    // Runs of separators of either kind count as one.
    EXPECT_TRUE(createPathFolders("a\\\\\\b//c\\/d\\"));
    EXPECT_TRUE(fs::is_directory("a/b/c/d"));
    EXPECT_TRUE(createPathFolders(abs("abs\\olute").c_str()));
    EXPECT_TRUE(fs::is_directory("abs/olute"));
    // Spelled with '/' from the root, it is made where it names, not under the working folder.
    EXPECT_TRUE(createPathFolders((dir.str() + "/sla/shed").c_str()));
    EXPECT_TRUE(fs::is_directory("sla/shed"));

    // A name with the trail byte 0x5C stays one folder.
    EXPECT_TRUE(createPathFolders(("x" + kHyou + "\\y").c_str()));
    EXPECT_TRUE(fs::is_directory("x" + kHyouUtf8 + "/y"));
    EXPECT_FALSE(fs::exists("x\x95"));

    // Parts are found without regard to case.
    EXPECT_TRUE(createPathFolders("SAVE\\Slots\\more"));
    EXPECT_TRUE(fs::is_directory("save/slots/more"));
    EXPECT_FALSE(fs::exists("SAVE"));
}

TEST_F(FileSystemTest, CreatePathFoldersStopsAtAFile) {
    std::ofstream("plain") << "x";
    EXPECT_FALSE(createPathFolders("plain"));
    fs::create_directory("d");
    std::ofstream("d/file") << "x";
    EXPECT_FALSE(createPathFolders("d\\file\\behind\\more"));
    EXPECT_FALSE(fs::exists("d/file/behind"));
    EXPECT_FALSE(fs::exists("behind"));
    EXPECT_FALSE(createPathFolders(nullptr));
}

TEST_F(FileSystemTest, ExistenceAttributesDeletionAndInformation) {
    std::ofstream("f.dat") << "12345";
    fs::create_directory("dir");
    EXPECT_TRUE(fileExists("F.DAT"));
    EXPECT_FALSE(fileExists("dir"));
    EXPECT_FALSE(fileExists("none"));
    EXPECT_EQ(getFileAttributes("none"), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(getFileAttributes("dir") & FILE_ATTRIBUTE_DIRECTORY);

    fs::last_write_time("f.dat", fs::file_time_type::clock::now() - std::chrono::hours(24 * 400));
    FileInfo info;
    ASSERT_TRUE(findFileInfo("f.dat", info));
    EXPECT_EQ(info.size, 5u);
    EXPECT_STREQ(info.fileName, "f.dat");
    EXPECT_STREQ(info.shortName, "");
    EXPECT_EQ(info.attributes & FILE_ATTRIBUTE_DIRECTORY, 0);
    EXPECT_NEAR(static_cast<double>(info.lastWriteTime), static_cast<double>(currentTime() - 400 * 86400), 5.0);
    // Creation time is the file system's birth time where it keeps one, else the last write time.
    EXPECT_TRUE(info.creationTime == info.lastWriteTime || info.creationTime > info.lastWriteTime);
    EXPECT_NE(info.lastAccessTime, 0);
    EXPECT_FALSE(findFileInfo("none", info));

    EXPECT_EQ(deleteFile("f.dat"), 0);
    EXPECT_EQ(deleteFile("f.dat"), 1);
    EXPECT_EQ(deleteFile("dir"), 1);
}

TEST(PathHelpers, FolderPartIsCutAtTheLastRealBackslash) {
    EXPECT_EQ(getFolderPath("a\\b\\c"), "a\\b");
    EXPECT_EQ(getFolderPath("name"), "");
    EXPECT_EQ(getFolderPath("\\root"), "");
    EXPECT_EQ(getFolderPath("dir\\" + kHyou), "dir");
    EXPECT_EQ(getFolderPath(kHyou + "x"), "");
    EXPECT_EQ(getFolderPath("a/b"), "");  // only backslashes separate here
}

TEST(PathHelpers, CombineMakesRelativePathsAbsolute) {
    EXPECT_EQ(combinePath("D:\\game", "save"), "D:\\game\\save");
    EXPECT_EQ(combinePath("D:\\game", "C:\\x"), "C:\\x");
    EXPECT_EQ(combinePath("D:\\game", "\\x"), "\\x");
    EXPECT_EQ(combinePath("D:\\game", "s\\x"), "s\\x");  // a one-letter folder
    EXPECT_EQ(combinePath("D:\\game", ""), "D:\\game\\");
    EXPECT_EQ(combinePath("D:\\game", "a"), "D:\\game\\a");
    EXPECT_EQ(combinePath("\\opt\\game", "data.pak"), "\\opt\\game\\data.pak");
}

TEST_F(FileSystemTest, TimesConvertAndFormatInLocalTime) {
    EXPECT_EQ(makeTime(2020, 2, 29, 12, 34, 56, -1), 1582979696);
    EXPECT_EQ(makeTime(1970, 1, 1, 0, 0, 0, 0), 0);
    SYSTEMTIME st;
    st.wYear = 1899;
    EXPECT_EQ(systemTimeToTime(st, -1), 0);
    st.wYear = 2000;
    st.wMonth = 1;
    st.wDay = 2;
    st.wHour = 3;
    EXPECT_EQ(systemTimeToTime(st, -1), 946782000);
    EXPECT_EQ(fileTimeToTime(platform::unixToFileTime(1582979696, 5), -1), 1582979696);
    EXPECT_EQ(fileTimeToTime(FILETIME{}, -1), 0);  // 1601 is before 1900: no time
    EXPECT_EQ(fileTimeToTime(FILETIME{0xFFFFFFFFu, 0xFFFFFFFFu}, -1), 0);

    EXPECT_EQ(formatTime(1582979696, "%Y/%m/%d %H:%M:%S"), "2020/02/29 12:34:56");
    EXPECT_EQ(formatTime(1582979696, "%Y%m%d%H%M"), "202002291234");
    EXPECT_EQ(formatTime(0, std::string(127, 'x').c_str()), std::string(127, 'x'));
    EXPECT_EQ(formatTime(0, std::string(128, 'x').c_str()), "");  // would not fit
    EXPECT_EQ(formatTime(0, "%Y %Y %Y %Y %Y %Y %Y %Y %Y %Y %Y %Y %Y %Y %Y %Y %Y %Y %Y %Y %Y %Y %Y %Y %Y %Y"), "");
    EXPECT_EQ(formatTime(INT64_MAX, "%Y"), "");  // cannot be converted
    EXPECT_EQ(formatTime(0, nullptr), "");
    EXPECT_GT(currentTime(), 1577836800);
}
