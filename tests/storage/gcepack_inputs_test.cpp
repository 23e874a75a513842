// What the packer takes from a folder, and how its listing shows names.
#include "gce_inputs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

void put(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

std::vector<std::string> namesOf(const std::vector<gcepack::Entry>& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    return names;
}

TEST(GcePackInputs, LinksArePackedUnderTheirOwnNameOrRefusedWhenTheyLeaveTheFolder) {
    mjtest::TempDir dir;
    const fs::path folder = dir.path() / "pack";
    put(folder / "sub" / "real.txt", "inside");
    put(dir.path() / "outside.txt", "secret");
    fs::create_symlink("sub/real.txt", folder / "alias.txt");
    fs::create_symlink(folder / "missing", folder / "broken.txt");  // holds nothing: left out
    std::vector<gcepack::Entry> entries;
    std::string error;
    ASSERT_TRUE(gcepack::addFolder(folder, entries, error)) << error;
    ASSERT_EQ(namesOf(entries), (std::vector<std::string>{"alias.txt", "sub\\real.txt"}));
    EXPECT_EQ(std::string(entries[0].data.begin(), entries[0].data.end()), "inside");

    for (const fs::path& target : {dir.path() / "outside.txt", dir.path()}) {
        fs::remove(folder / "out");
        fs::create_symlink(target, folder / "out");
        entries.clear();
        EXPECT_FALSE(gcepack::addFolder(folder, entries, error));
        EXPECT_NE(error.find("out links outside"), std::string::npos) << error;
    }
}

TEST(GcePackInputs, NamesShiftJisCannotHoldAreRefusedByName) {
    std::string name, error;
    ASSERT_TRUE(gcepack::archiveName("\xE7\x94\xBB\xE5\x83\x8F/\xE8\xA1\xA8.bmp", name, error));  // 画像/表.bmp
    EXPECT_EQ(name, "\x89\xE6\x91\x9C\\\x95\x5C.bmp");  // the trail byte 0x5C of 表 stays
    EXPECT_FALSE(gcepack::archiveName("icon\xF0\x9F\x98\x80.txt", name, error));
    EXPECT_NE(error.find("icon\xF0\x9F\x98\x80.txt"), std::string::npos) << error;
}

TEST(GcePackInputs, NamesThatDifferOnlyInCaseAreRefused) {
    auto entriesNamed = [](std::initializer_list<const char*> names) {
        std::vector<gcepack::Entry> v;
        for (const char* n : names) v.push_back(gcepack::Entry{n, {}, 0x20, 0});
        return v;
    };
    std::string error;
    EXPECT_TRUE(gcepack::checkDistinctNames(entriesNamed({"A.txt", "b.txt", "\x83\x41", "\x83\x61"}), error));
    EXPECT_FALSE(gcepack::checkDistinctNames(entriesNamed({"bg\\A.txt", "x", "BG\\a.TXT"}), error));
    EXPECT_NE(error.find("bg\\A.txt and BG\\a.TXT"), std::string::npos) << error;
}

TEST(GcePackInputs, ListingsShowControlCharactersEscaped) {
    EXPECT_EQ(gcepack::listingName("bg\\a.bmp"), "bg\\a.bmp");
    EXPECT_EQ(gcepack::listingName("\x95\x5C.txt"), "\xE8\xA1\xA8.txt");
    EXPECT_EQ(gcepack::listingName(std::string("a\n  0 0 forged\x1B[2J\x7F\0z", 21)),
              "a\\x0A  0 0 forged\\x1B[2J\\x7F\\x00z");
}

}  // namespace
