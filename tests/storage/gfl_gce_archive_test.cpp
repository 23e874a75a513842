#include "storage/gfl_gce_archive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <fstream>
#include <random>
#include <vector>

#include "gce_writer.h"
#include "storage/gfl_crc.h"
#include "storage/gfl_stream.h"
#include "support/test_support.h"

namespace {

using gcepack::DirectoryKind;

std::vector<gcepack::Entry> sampleEntries() {
    std::vector<gcepack::Entry> v;
    std::mt19937 rng(42);
    auto add = [&](std::string name, std::vector<uint8_t> data) {
        gcepack::Entry e;
        e.name = std::move(name);
        e.data = std::move(data);
        e.fileTime = gcepack::fileTimeFromUnix(1600000000 + static_cast<int64_t>(v.size()));
        e.attribute = 0x20 + static_cast<uint32_t>(v.size());
        v.push_back(std::move(e));
    };
    std::string text;
    while (text.size() < 700000) text += "@TEXT riichi dora pon kan \\n the quick brown tile ";
    add("main.g2m", std::vector<uint8_t>(text.begin(), text.end()));
    add("empty.txt", {});
    std::vector<uint8_t> noise(300000);
    for (auto& b : noise) b = static_cast<uint8_t>(rng());
    add("bg\\a.bmp", noise);
    add("se\\x.ogg", {1, 2, 3});
    add(std::string("\x10lowname"), {9, 9});  // first byte below 0x20 forces a two-byte length
    add(std::string(300, 'n'), {7});          // too long for a one-byte length
    return v;
}

std::string writeTo(const mjtest::TempDir& dir, const std::string& file, const std::vector<uint8_t>& bytes) {
    std::string path = dir.str() + "/" + file;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

void expectListsAndExtracts(const std::string& path, const std::vector<gcepack::Entry>& entries) {
    GflGceArchive a;
    a.setPath(path);
    ASSERT_TRUE(a.open());
    EXPECT_FALSE(a.crcMismatch());
    ASSERT_EQ(a.count(), entries.size());
    uint64_t total = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        SCOPED_TRACE(e.name.substr(0, 20));
        EXPECT_EQ(a.name(static_cast<int64_t>(i)), e.name);
        EXPECT_EQ(a.unpackedSize(static_cast<int64_t>(i)), e.data.size());
        EXPECT_EQ(a.crc(static_cast<int64_t>(i)), gflCrc32(e.data.data(), e.data.size()));
        EXPECT_EQ(a.fileTime(static_cast<int64_t>(i)), e.fileTime);
        EXPECT_EQ(a.attribute(static_cast<int64_t>(i)), e.attribute);
        std::vector<uint8_t> out(e.data.size() + 1, 0xAA);
        ASSERT_TRUE(a.extract(static_cast<int64_t>(i), out.data(), out.size()));
        EXPECT_TRUE(std::equal(e.data.begin(), e.data.end(), out.begin()));
        EXPECT_EQ(out.back(), 0xAA);  // nothing written past the entry
        total += e.data.size();
    }
    EXPECT_EQ(a.totalUnpackedSize(), total);
}

TEST(GflGceArchive, EveryDirectoryKindTheWriterMakesListsAndExtractsByteExactly) {
    mjtest::TempDir dir;
    const auto entries = sampleEntries();
    int n = 0;
    for (bool table : {false, true}) {
        for (bool data : {false, true}) {
            gcepack::Options o;
            o.compressTable = table;
            o.compressData = data;
            SCOPED_TRACE("gce3 table=" + std::to_string(table) + " data=" + std::to_string(data));
            expectListsAndExtracts(writeTo(dir, "a" + std::to_string(n++), gcepack::buildArchive(entries, o)), entries);
            for (bool wrap : {true, false}) {
                for (int nameBytes : {1, 2}) {
                    for (bool crc : {true, false}) {
                        o.kind = DirectoryKind::Gce0;
                        o.wrapper = wrap;
                        o.nameLengthBytes = nameBytes;
                        o.directoryCrc = crc;
                        SCOPED_TRACE("gce0 wrap=" + std::to_string(wrap) + " name=" + std::to_string(nameBytes) +
                                     " crc=" + std::to_string(crc));
                        expectListsAndExtracts(
                            writeTo(dir, "a" + std::to_string(n++), gcepack::buildArchive(entries, o)), entries);
                    }
                }
            }
        }
    }
}

TEST(GflGceArchive, KindsWithoutDataListButRefuseToExtract) {
    mjtest::TempDir dir;
    const auto entries = sampleEntries();
    gcepack::Options gce1;
    gce1.kind = DirectoryKind::Gce1;
    gcepack::Options flagged;
    flagged.noData = true;
    for (const auto& o : {gce1, flagged}) {
        GflGceArchive a;
        a.setPath(writeTo(dir, o.noData ? "flagged" : "gce1", gcepack::buildArchive(entries, o)));
        ASSERT_EQ(a.count(), entries.size());
        EXPECT_TRUE(a.noExtractableData());
        EXPECT_EQ(a.name(3), "se\\x.ogg");
        std::vector<uint8_t> out(16);
        EXPECT_FALSE(a.extract(3, out.data(), out.size()));
        EXPECT_TRUE(a.extract(1, out.data(), out.size()));  // an empty entry has nothing to miss
    }
}

TEST(GflGceArchive, QueriesOutsideTheTableAnswerZero) {
    mjtest::TempDir dir;
    GflGceArchive a;
    a.setPath(writeTo(dir, "x.pak", gcepack::buildArchive(sampleEntries(), {})));
    const int64_t count = a.count();
    for (int64_t i : {int64_t{-1}, count, int64_t{1} << 40}) {
        EXPECT_EQ(a.name(i), "");
        EXPECT_EQ(a.crc(i), 0u);
        EXPECT_EQ(a.unpackedSize(i), 0u);
        EXPECT_EQ(a.storedSize(i), 0u);
        EXPECT_EQ(a.fileTime(i), 0u);
        uint8_t b;
        EXPECT_FALSE(a.extract(i, &b, 1));
    }
    // A buffer smaller than the entry is refused, not overrun.
    std::vector<uint8_t> small(2);
    EXPECT_FALSE(a.extract(3, small.data(), small.size()));

    GflGceArchive missing;
    missing.setPath(dir.str() + "/nothing.pak");
    EXPECT_EQ(missing.count(), 0u);
    EXPECT_EQ(missing.name(0), "");
}

TEST(GflGceArchive, ReportsExtractionAndProgressThroughCallbacks) {
    mjtest::TempDir dir;
    gcepack::Options o;
    o.compressData = true;
    GflGceArchive a;
    a.setPath(writeTo(dir, "x.pak", gcepack::buildArchive(sampleEntries(), o)));
    std::vector<std::pair<uint32_t, std::string>> messages;
    a.setMessageCallback([&](uint32_t code, const std::string& text, GflGceArchive* who) {
        EXPECT_EQ(who, &a);
        messages.emplace_back(code, text);
        return 0;
    });
    std::vector<uint64_t> done;
    a.setProgressCallback([&](uint64_t d, uint64_t total, GflGceArchive*) {
        EXPECT_EQ(total, 700000u + 0);
        done.push_back(d);
        return 0;
    });
    std::vector<uint8_t> out(a.unpackedSize(0));
    ASSERT_TRUE(a.extract(0, out.data(), out.size()));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], std::make_pair(GflGceArchive::kMsgExtractBegin, std::string("main.g2m")));
    EXPECT_EQ(messages[1], std::make_pair(GflGceArchive::kMsgExtractEnd, std::string("main.g2m")));
    // One call per block, the last at the whole size.
    ASSERT_EQ(done.size(), 3u);
    EXPECT_EQ(done.back(), out.size());
}

// Rewrites the stated CRC of a GCE3 directory after the test has changed its bytes.
void resealGce3(std::vector<uint8_t>& bytes, uint64_t dir) {
    std::memset(bytes.data() + dir + 20, 0, 4);
    uint32_t crc = gflCrc32(bytes.data() + dir, bytes.size() - dir);
    std::memcpy(bytes.data() + dir + 20, &crc, 4);
}

TEST(GflGceArchive, DirectoryCrcMismatchIsReportedAndTheAnswerDecides) {
    mjtest::TempDir dir;
    const auto entries = sampleEntries();
    gcepack::Options old;
    old.kind = DirectoryKind::Gce0;
    for (const auto& o : {gcepack::Options{}, old}) {
        std::vector<uint8_t> bytes = gcepack::buildArchive(entries, o);
        bytes[bytes.size() - 10] ^= 0x01;  // inside the names
        std::string path = writeTo(dir, "flip.pak", bytes);
        for (int answer : {0, 1}) {
            GflGceArchive a;
            a.setPath(path);
            int reports = 0;
            a.setMessageCallback([&](uint32_t code, const std::string&, GflGceArchive*) {
                if (code == GflGceArchive::kMsgCrcMismatch) ++reports;
                return answer;
            });
            EXPECT_EQ(a.open(), answer == 0);
            EXPECT_EQ(reports, 1);
            if (answer == 0) {
                EXPECT_TRUE(a.crcMismatch());
            }
        }
        GflGceArchive silent;  // no callback answers stop
        silent.setPath(path);
        EXPECT_FALSE(silent.open());
        GflGceArchive unchecked;
        unchecked.setCrcCheck(false);
        unchecked.setPath(path);
        EXPECT_TRUE(unchecked.open());
    }
}

TEST(GflGceArchive, UnsupportedVersionsAndKinds) {
    mjtest::TempDir dir;
    const auto entries = sampleEntries();
    std::vector<uint8_t> bytes = gcepack::buildArchive(entries, {});
    bytes[4] = 1;  // wrapper version 1
    GflGceArchive a;
    a.setPath(writeTo(dir, "v1.pak", bytes));
    std::vector<uint32_t> codes;
    a.setMessageCallback([&](uint32_t code, const std::string&, GflGceArchive*) {
        codes.push_back(code);
        return 0;  // go on: refused all the same
    });
    EXPECT_FALSE(a.open());
    EXPECT_EQ(codes, std::vector<uint32_t>{GflGceArchive::kMsgUnsupported});

    // An unknown kind letter is read as an old directory when the answer is go on.
    gcepack::Options old;
    old.kind = DirectoryKind::Gce0;
    bytes = gcepack::buildArchive(entries, old);
    uint64_t dirPos = 0;
    std::memcpy(&dirPos, bytes.data() + 8, 8);
    bytes[dirPos + 3] = '7';
    std::string path = writeTo(dir, "k7.pak", bytes);
    for (int answer : {0, 1}) {
        GflGceArchive b;
        b.setPath(path);
        b.setMessageCallback([&](uint32_t, const std::string&, GflGceArchive*) { return answer; });
        EXPECT_EQ(b.open(), answer == 0);
        if (answer == 0) {
            EXPECT_EQ(b.count(), entries.size());
        }
    }
    bytes[0] = 'X';
    GflGceArchive c;
    c.setPath(writeTo(dir, "nogce.pak", bytes));
    EXPECT_FALSE(c.open());
}

TEST(GflGceArchive, DamagedTablesAndDataAreRefusedSafely) {
    mjtest::TempDir dir;
    std::vector<gcepack::Entry> entries(2);
    entries[0].name = "a";
    entries[0].data = std::vector<uint8_t>(5000, 'a');
    entries[1].name = "b";
    entries[1].data = {1, 2, 3, 4};
    const std::vector<uint8_t> good = gcepack::buildArchive(entries, {});
    uint64_t dirPos = 0;
    std::memcpy(&dirPos, good.data() + 8, 8);
    auto openPatched = [&](const std::function<void(std::vector<uint8_t>&)>& patch) {
        std::vector<uint8_t> b = good;
        patch(b);
        resealGce3(b, dirPos);
        GflGceArchive a;
        a.setPath(writeTo(dir, "p.pak", b));
        return a.open();
    };
    EXPECT_TRUE(openPatched([](std::vector<uint8_t>&) {}));
    // A stored size reaching past the data area.
    EXPECT_FALSE(openPatched([&](std::vector<uint8_t>& b) { b[dirPos + 32 + 24 + 2] = 0x10; }));
    // An entry count whose records do not fit in the table.
    EXPECT_FALSE(openPatched([&](std::vector<uint8_t>& b) { b[dirPos + 24] = 200; }));
    // A name length past the table.
    EXPECT_FALSE(openPatched([&](std::vector<uint8_t>& b) { b[dirPos + 32 + 64 + 1] = 0x40; }));
    // A block size beyond the file, and below the header.
    EXPECT_FALSE(openPatched([&](std::vector<uint8_t>& b) { b[dirPos + 8 + 5] = 1; }));
    EXPECT_FALSE(openPatched([&](std::vector<uint8_t>& b) { std::memset(b.data() + dirPos + 8, 0, 8); }));
    // A directory position past the end of the file.
    EXPECT_FALSE(openPatched([&](std::vector<uint8_t>& b) { b[14] = 1; }));

    // Every truncation of the file fails to open or opens and extracts nothing wrong.
    for (size_t cut = 0; cut < good.size(); cut += 97) {
        GflGceArchive a;
        a.setPath(writeTo(dir, "cut.pak", std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(cut))));
        EXPECT_FALSE(a.open()) << cut;
    }

    // An entry of 4 GiB or more is listed but never extracted.
    std::vector<uint8_t> huge = good;
    huge[dirPos + 32 + 32 + 16 + 4] = 1;  // entry 1 unpacked size += 2^32
    resealGce3(huge, dirPos);
    GflGceArchive a;
    a.setPath(writeTo(dir, "huge.pak", huge));
    std::vector<uint32_t> codes;
    a.setMessageCallback([&](uint32_t code, const std::string&, GflGceArchive*) {
        codes.push_back(code);
        return 0;
    });
    ASSERT_TRUE(a.open());
    EXPECT_EQ(a.unpackedSize(1), (uint64_t{1} << 32) + 4);
    uint8_t out[8];
    EXPECT_FALSE(a.extract(1, out, sizeof out));
    EXPECT_EQ(codes, (std::vector<uint32_t>{GflGceArchive::kMsgExtractBegin, GflGceArchive::kMsgTooLarge}));
}

std::vector<uint8_t> emptyEntriesArchive(uint32_t n, bool gce3) {
    return gcepack::buildEmptyEntriesArchive(n, gce3 ? DirectoryKind::Gce3 : DirectoryKind::Gce0);
}

TEST(GflGceArchive, MoreEntriesThanTheFileHasBytesIsACorruptDirectory) {
    mjtest::TempDir dir;
    for (bool gce3 : {true, false}) {
        SCOPED_TRACE(gce3 ? "GCE3" : "GCE0");
        // Tens of kilobytes whose table decodes to just under the table limit: millions of entries.
        const std::vector<uint8_t> bomb = emptyEntriesArchive(7895160, gce3);
        ASSERT_LT(bomb.size(), 64u << 10);
        const std::string path = writeTo(dir, "bomb.pak", bomb);
        const mjtest::MemoryUse use = mjtest::measureMemory([&] {
            GflGceArchive a;
            a.setPath(path);
            return !a.open() && a.count() == 0;
        });
        ASSERT_TRUE(use.finished);
        EXPECT_TRUE(use.result);
        EXPECT_LT(use.peakGrowth, int64_t{16} << 20);

        // As many empty entries as the file has bytes is still a directory.
        const std::vector<uint8_t> small = emptyEntriesArchive(20, gce3);
        ASSERT_GE(small.size(), 20u);
        GflGceArchive a;
        a.setPath(writeTo(dir, "small.pak", small));
        ASSERT_TRUE(a.open());
        EXPECT_EQ(a.count(), 20u);
        EXPECT_EQ(a.name(19), "");
    }
}

TEST(GflGceArchive, DamagedCompressedDataThrowsCodeFive) {
    mjtest::TempDir dir;
    std::vector<gcepack::Entry> entries(2);
    entries[0].name = "t";
    std::string text;
    while (text.size() < 20000) text += "pon chi kan riichi ";
    entries[0].data.assign(text.begin(), text.end());
    entries[1].name = "u";
    entries[1].data = {5, 6, 7};
    gcepack::Options o;
    o.compressData = true;
    std::vector<uint8_t> bytes = gcepack::buildArchive(entries, o);
    bytes[16 + 3] = 'Q';  // the first block's magic
    GflGceArchive a;
    a.setPath(writeTo(dir, "bad.pak", bytes));
    ASSERT_TRUE(a.open());
    std::vector<uint8_t> out(a.unpackedSize(0));
    try {
        a.extract(0, out.data(), out.size());
        FAIL();
    } catch (const GflException& e) {
        EXPECT_EQ(e.code(), 5);
    }
    // The neighbour is untouched by the damage.
    uint8_t small[3];
    EXPECT_TRUE(a.extract(1, small, 3));
    EXPECT_EQ(small[2], 7);
}

TEST(GflGceArchive, ReopensAfterCloseAndPathChanges) {
    mjtest::TempDir dir;
    const auto entries = sampleEntries();
    gcepack::Options o;
    o.compressTable = true;
    std::string p1 = writeTo(dir, "one.pak", gcepack::buildArchive(entries, o));
    std::string p2 = writeTo(dir, "two.pak", gcepack::buildArchive({entries[3]}, o));
    GflGceArchive a;
    a.setPath(p1);
    EXPECT_EQ(a.count(), entries.size());
    a.close();
    EXPECT_FALSE(a.isOpened());
    EXPECT_EQ(a.count(), entries.size());  // lazily opened again
    a.setPath(p2);
    EXPECT_EQ(a.count(), 1u);
    uint8_t out[3];
    ASSERT_TRUE(a.extract(0, out, 3));  // the file was closed after the table; opened again
    EXPECT_EQ(out[1], 2);
    a.keepOpen();
    ASSERT_TRUE(a.open());
    ASSERT_TRUE(a.extract(0, out, 3));
}

}  // namespace
