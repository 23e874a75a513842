#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "framework/stream.h"
#include "gce_writer.h"
#include "storage/gfl_crc.h"
#include "storage/spi.h"
#include "support/test_support.h"

namespace {

std::string writeArchive(const mjtest::TempDir& dir, const std::string& file,
                         const std::vector<gcepack::Entry>& entries, const gcepack::Options& o = {}) {
    const std::vector<uint8_t> bytes = gcepack::buildArchive(entries, o);
    const std::string path = dir.str() + "/" + file;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

gcepack::Entry entry(const std::string& name, const std::string& text) {
    gcepack::Entry e;
    e.name = name;
    e.data.assign(text.begin(), text.end());
    e.fileTime = gcepack::fileTimeFromUnix(1700000000);
    return e;
}

TEST(SpiGceFile, UnitsAreCachedMostRecentFirstAndReusedInAnyLetterCase) {
    mjtest::TempDir dir;
    SpiGceFile spi(4);
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i)
        paths.push_back(writeArchive(dir, "a" + std::to_string(i) + ".pak", {entry("n" + std::to_string(i), "x")}));
    SpiFileInfo rec;
    for (int i = 0; i < 4; ++i) ASSERT_EQ(spi.GetFileInfo(paths[i], 0, "n" + std::to_string(i), 0, rec), SPI_OK);
    ASSERT_EQ(spi.units().size(), 4u);
    // A fifth archive closes the least recently used one (the first).
    ASSERT_EQ(spi.GetFileInfo(paths[4], 0, "n4", 0, rec), SPI_OK);
    ASSERT_EQ(spi.units().size(), 4u);
    for (const auto& u : spi.units()) EXPECT_NE(u->path, paths[0]);
    EXPECT_EQ(spi.units().front()->path, paths[4]);
    // The second archive again, spelled in capitals: its unit moves to the front, nothing new.
    std::string upper = paths[1];
    for (size_t k = upper.rfind('/') + 1; k < upper.size(); ++k) upper[k] = static_cast<char>(std::toupper(upper[k]));
    EXPECT_EQ(spi.useUnit(upper)->path, paths[1]);
    EXPECT_EQ(spi.units().size(), 4u);
    EXPECT_EQ(spi.units().front()->path, paths[1]);
}

TEST(SpiGceFile, FindsNamesWithEitherSeparatorAndCaseOnlyWhenAsked) {
    mjtest::TempDir dir;
    SpiGceFile spi;
    const std::string path = writeArchive(dir, "data.pak", {entry("bg\\a.bmp", "AAAA"), entry("se\\b.ogg", "BB")});
    SpiFileInfo rec;
    ASSERT_EQ(spi.GetFileInfo(path, 0, "bg/a.bmp", SPI_IGNORE_CASE, rec), SPI_OK);
    EXPECT_EQ(rec.fullName(), "bg\\a.bmp");
    EXPECT_STREQ(rec.path, "bg\\");
    EXPECT_STREQ(rec.filename, "a.bmp");
    EXPECT_EQ(rec.position, 0u);
    EXPECT_EQ(rec.fileSize, 4u);
    EXPECT_EQ(rec.crc, gflCrc32("AAAA", 4));
    EXPECT_EQ(std::string(rec.method, 4), "GCEX");
    EXPECT_NE(rec.timestamp, 0);
    EXPECT_EQ(spi.GetFileInfo(path, 0, "BG\\A.BMP", 0, rec), SPI_FILE_ERROR);
    EXPECT_EQ(spi.GetFileInfo(path, 0, "BG\\A.BMP", SPI_IGNORE_CASE, rec), SPI_OK);
    EXPECT_EQ(spi.GetFileInfo(path, 0, "bg\\a.bm", SPI_IGNORE_CASE, rec), SPI_FILE_ERROR);
    EXPECT_EQ(spi.GetFileInfo(SpiMemory{"GCEX", 4}, "x", 0, rec), SPI_NOT_SUPPORTED);

    // Names that differ only in case: any case finds the first, an exact name its own entry.
    const std::string twins = writeArchive(dir, "twins.pak", {entry("Face.png", "1"), entry("face.png", "2")});
    ASSERT_EQ(spi.GetFileInfo(twins, 0, "FACE.PNG", SPI_IGNORE_CASE, rec), SPI_OK);
    EXPECT_EQ(rec.position, 0u);
    ASSERT_EQ(spi.GetFileInfo(twins, 0, "face.png", 0, rec), SPI_OK);
    EXPECT_EQ(rec.position, 1u);
    EXPECT_EQ(spi.GetFileInfo(twins, 0, "FACE.png", 0, rec), SPI_FILE_ERROR);
}

TEST(SpiGceFile, ListsAndExtractsToMemoryAndFiles) {
    mjtest::TempDir dir;
    SpiGceFile spi;
    gcepack::Options o;
    o.compressData = true;
    std::string big(100000, 'q');
    const std::string path =
        writeArchive(dir, "x.pak", {entry("one", "first"), entry("dir\\two", big), entry("z", "")}, o);

    platform::MemBlock list;
    ASSERT_EQ(spi.GetArchiveInfo(path, 0, 0, list), SPI_OK);
    ASSERT_EQ(list.size(), 4 * sizeof(SpiFileInfo));
    const auto* recs = reinterpret_cast<const SpiFileInfo*>(list.data());
    EXPECT_EQ(recs[1].fullName(), "dir\\two");
    EXPECT_EQ(recs[1].fileSize, 100000u);
    EXPECT_LT(recs[1].compSize, 1000u);
    EXPECT_EQ(recs[3].method[0], 0);  // the closing record
    EXPECT_EQ(spi.GetArchiveInfo(SpiMemory{list.data(), list.size()}, 1, list), SPI_NOT_SUPPORTED);

    platform::MemBlock out;
    ASSERT_EQ(spi.GetFile(path, 1, out, SPI_OUT_MEMORY, nullptr, 0), SPI_OK);
    ASSERT_GE(out.size(), big.size());
    EXPECT_EQ(std::memcmp(out.data(), big.data(), big.size()), 0);
    ASSERT_EQ(spi.GetFile(path, 2, out, SPI_OUT_MEMORY, nullptr, 0), SPI_OK);  // empty member
    EXPECT_EQ(spi.GetFile(path, 3, out, SPI_OUT_MEMORY, nullptr, 0), SPI_FILE_ERROR);
    EXPECT_EQ(spi.GetFile(path, -1, out, SPI_OUT_MEMORY, nullptr, 0), SPI_FILE_ERROR);

    const std::string dest = dir.str() + "/one.out";
    ASSERT_EQ(spi.GetFile(path, 0, dest, SPI_OUT_FILE, nullptr, 0), SPI_OK);
    std::ifstream in(dest, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "first");

    // Extraction picks the archive it is given, even when another one was used last.
    const std::string other = writeArchive(dir, "y.pak", {entry("other", "from y")});
    SpiFileInfo rec;
    ASSERT_EQ(spi.GetFileInfo(other, 0, "other", 0, rec), SPI_OK);
    ASSERT_EQ(spi.GetFile(path, 0, out, SPI_OUT_MEMORY, nullptr, 0), SPI_OK);
    EXPECT_EQ(std::memcmp(out.data(), "first", 5), 0);
}

TEST(SpiGceFile, ALongListIsBuiltOnceInTheCallersBlock) {
    mjtest::TempDir dir;
    std::vector<gcepack::Entry> entries;
    for (int i = 0; i < 100000; ++i) entries.push_back(entry("f" + std::to_string(i), "x"));
    const std::string path = writeArchive(dir, "many.pak", entries);
    SpiGceFile spi;
    SpiFileInfo rec;
    ASSERT_EQ(spi.GetFileInfo(path, 0, "f0", 0, rec), SPI_OK);  // the archive is open before measuring

    const int64_t listSize = (100000 + 1) * int64_t{sizeof(SpiFileInfo)};
    const mjtest::MemoryUse use = mjtest::measureMemory([&] {
        platform::MemBlock list;
        return spi.GetArchiveInfo(path, 0, 0, list) == SPI_OK && list.size() == static_cast<size_t>(listSize);
    });
    ASSERT_TRUE(use.finished);
    EXPECT_TRUE(use.result);
    EXPECT_LT(use.peakGrowth, listSize * 3 / 2);  // one block, not a kept one and its copy

    // Asked again, the same archive gives the same list.
    platform::MemBlock first, second;
    ASSERT_EQ(spi.GetArchiveInfo(path, 0, 0, first), SPI_OK);
    ASSERT_EQ(spi.GetArchiveInfo(path, 0, 0, second), SPI_OK);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_EQ(std::memcmp(first.data(), second.data(), first.size()), 0);
    EXPECT_EQ(reinterpret_cast<const SpiFileInfo*>(second.data())[99999].fullName(), "f99999");
}

TEST(SpiGceFile, DamageAnswersErrorsInsteadOfThrowing) {
    mjtest::TempDir dir;
    SpiGceFile spi;
    gcepack::Options o;
    o.compressData = true;
    std::string text;
    while (text.size() < 5000) text += "damaged data ";
    const std::string path = dir.str() + "/bad.pak";
    std::vector<uint8_t> bytes = gcepack::buildArchive({entry("t", text)}, o);
    bytes[16 + 30] ^= 0xFF;  // inside the first block's literals and bit stream
    bytes[16 + 12] = 0xFF;   // the bit stream offset
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    SpiFileInfo rec;
    ASSERT_EQ(spi.GetFileInfo(path, 0, "t", 0, rec), SPI_OK);
    platform::MemBlock out;
    EXPECT_EQ(spi.GetFile(path, 0, out, SPI_OUT_MEMORY, nullptr, 0), SPI_FORMAT_ERROR);
    EXPECT_TRUE(out.empty());

    const std::string junk = dir.str() + "/junk.pak";
    std::ofstream(junk) << "GCEX but nothing else";
    platform::MemBlock list;
    EXPECT_EQ(spi.GetArchiveInfo(junk, 0, 0, list), SPI_FILE_ERROR);
    EXPECT_EQ(spi.GetFileInfo(junk, 0, "t", 0, rec), SPI_FILE_ERROR);
    EXPECT_EQ(spi.GetFile(junk, 0, out, SPI_OUT_MEMORY, nullptr, 0), SPI_FILE_ERROR);
}

TEST(SpiGceFile, RecognisesOnlyTheWrappedArchive) {
    SpiGceFile spi;
    EXPECT_EQ(spi.IsSupported("a.pak", "GCEX....", 8), 1);
    EXPECT_EQ(spi.IsSupported("a.pak", "GCE3....", 8), 0);
    EXPECT_EQ(spi.IsSupported("a.pak", "GCE", 3), 0);
    uint8_t bytes[] = {'G', 'C', 'E', 'X'};
    TMemoryStream s(bytes, 4);
    EXPECT_EQ(spi.IsSupported("a.pak", s), 1);
    TMemoryStream shortStream(bytes, 3);
    EXPECT_EQ(spi.IsSupported("a.pak", shortStream), 0);
    char text[32];
    EXPECT_EQ(spi.GetPluginInfo(0, text, sizeof text), 0);
    EXPECT_STREQ(text, "00AM");
    EXPECT_EQ(spi.GetPluginInfo(1, text, sizeof text), 1);
    EXPECT_STREQ(text, "GCE Extract Ver 0.1");
    EXPECT_EQ(spi.kind(), SPI_KIND_ARCHIVE);
}

}  // namespace

// Directories of millions of empty entries compress to a few kilobytes; padded with zeros, the
// file has as many bytes as entries. However many entries a file claims, listing it, looking a
// name up in it and reading its directory stay within a small budget: the largest directory that
// opens has a bounded count, and one entry more does not open.
TEST(SpiGceFile, AnyDirectoryIsListedWithinTheBudget) {
    mjtest::TempDir dir;
    constexpr int64_t kBudget = int64_t{128} << 20;
    constexpr uint32_t kMax = GflGceArchive::kMaxEntries;
    for (auto kind : {gcepack::DirectoryKind::Gce3, gcepack::DirectoryKind::Gce0}) {
        SCOPED_TRACE(kind == gcepack::DirectoryKind::Gce3 ? "GCE3" : "GCE0");
        struct Case {
            uint32_t entries;
            bool opens;
        };
        for (const Case c : {Case{7895160, false}, Case{kMax + 1, false}, Case{kMax, true}}) {
            SCOPED_TRACE(c.entries);
            const std::vector<uint8_t> bytes = gcepack::buildEmptyEntriesArchive(c.entries, kind, 7900000);
            const std::string path = dir.str() + "/padded.pak";
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            const mjtest::MemoryUse list = mjtest::measureMemory([&] {
                SpiGceFile spi;
                platform::MemBlock records;
                const int answer = spi.GetArchiveInfo(path, 0, 0, records);
                return c.opens ? answer == SPI_OK && records.size() == (kMax + 1) * sizeof(SpiFileInfo)
                               : answer == SPI_FILE_ERROR && records.empty();
            });
            ASSERT_TRUE(list.finished);
            EXPECT_TRUE(list.result);
            EXPECT_LT(list.peakGrowth, kBudget);
            const mjtest::MemoryUse find = mjtest::measureMemory([&] {
                SpiGceFile spi;
                SpiFileInfo rec;
                return spi.GetFileInfo(path, 0, "nothing", 0, rec) == SPI_FILE_ERROR;
            });
            ASSERT_TRUE(find.finished);
            EXPECT_TRUE(find.result);
            EXPECT_LT(find.peakGrowth, kBudget);
        }
    }
}
