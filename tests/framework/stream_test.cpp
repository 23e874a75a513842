// Streams: memory growth and bounds, movable blocks, files, and text in the four encodings.
#include "framework/stream.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "platform/file.h"
#include "platform/path_map.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

std::string bytesOf(TMemoryStream& m) { return std::string(reinterpret_cast<char*>(m.getBuffer()), m.size()); }

// What the C library makes of Shift-JIS text in another encoding.
std::string iconvFromCp932(const std::string& sjis, const char* to) {
    iconv_t cd = iconv_open(to, "CP932");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string out(sjis.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(sjis.data());
    size_t inLeft = sjis.size();
    char* o = out.data();
    size_t outLeft = out.size();
    EXPECT_NE(iconv(cd, &in, &inLeft, &o, &outLeft), static_cast<size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int openFdCount() {
    return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

// ASCII, hiragana, kanji (one with the trail byte 0x5C), full-width and half-width forms.
const std::string kText =
    "ab \x82\xa0\x82\xa2 \x8a\xbf\x8e\x9a\x95\x5c\n"
    "\x82\x60\x82\x61\x81\x40\xb1\xb2\n"
    "last";

}  // namespace

// ---- memory streams ----

TEST(MemoryStream, GrowsByTheRoundedRuleOneByteAtATime) {
    TMemoryStream m;
    EXPECT_EQ(m.capacity(), 0u);
    std::vector<std::pair<uint32_t, uint32_t>> grew;  // (position, new capacity)
    for (uint32_t i = 0; i < 5000; ++i) {
        uint32_t before = m.capacity();
        ASSERT_EQ(m.writeUInt8(static_cast<uint8_t>(i)), 1u);
        if (m.capacity() != before) grew.emplace_back(i, m.capacity());
    }
    // ((position + n) / 1024 + 2) * 1024 whenever the buffer runs out.
    EXPECT_EQ(grew, (std::vector<std::pair<uint32_t, uint32_t>>{{0, 2048}, {2048, 4096}, {4096, 6144}}));
    EXPECT_EQ(m.size(), 5000u);
    EXPECT_EQ(m.getBuffer()[4999], static_cast<uint8_t>(4999));

    TMemoryStream big;
    std::vector<char> block(3000, 'x');
    EXPECT_EQ(big.write(block.data(), 3000), 3000u);
    EXPECT_EQ(big.capacity(), 4096u);
    EXPECT_EQ(big.reserve(50), 1096u);  // (3050 / 1024 + 2) * 1024 is reached: the room is reported
    EXPECT_EQ(big.capacity(), 4096u);
    EXPECT_EQ(big.reserve(100), 100u);  // (3100 / 1024 + 2) * 1024 is not: it grows
    EXPECT_EQ(big.capacity(), 5120u);
}

TEST(MemoryStream, ReadsAfterASeekPastTheEndFindNothing) {
    TMemoryStream m;
    m.writeRawString("0123456789");
    for (int32_t where : {10, 11, 5000, 0x7FFFFFFF, -1, -5000}) {
        SCOPED_TRACE(where);
        EXPECT_TRUE(m.seek(where, 0));
        EXPECT_FALSE(m.isEof());
        char buf[16];
        EXPECT_EQ(m.read(buf, sizeof buf), 0u);
        EXPECT_TRUE(m.isEof());
        EXPECT_EQ(m.readUInt32(), 0u);
        EXPECT_EQ(m.readUInt8(), 0u);
        std::string line = "stale";
        EXPECT_EQ(m.readLine(line), "");
        EXPECT_EQ(m.tell(), static_cast<uint32_t>(where));
    }
    // Inside the capacity the current pointer is there; outside it is not.
    m.seek(5000, 0);
    EXPECT_EQ(m.getCurrent(), nullptr);
    m.seek(-1, 0);
    EXPECT_EQ(m.getCurrent(), nullptr);
    EXPECT_EQ(m.write("x", 1), 0u);
    m.seek(-3, 2);
    EXPECT_EQ(m.getCurrent(), m.getBuffer() + 7);
    char buf[8] = {};
    EXPECT_EQ(m.read(buf, 8), 3u);  // a short read delivers what is there and flags the end
    EXPECT_STREQ(buf, "789");
    EXPECT_TRUE(m.isEof());
    m.seek(-2, 1);
    EXPECT_EQ(m.read(buf, 2), 2u);
    EXPECT_FALSE(m.isEof());  // a read that delivered in full, even up to the very end
}

TEST(MemoryStream, AWriteBeyondTheDataFillsTheGapWithZeros) {
    TMemoryStream m;
    m.writeRawString("ab");
    m.seek(3000, 0);
    EXPECT_EQ(m.writeUInt16(0x4443), 2u);
    EXPECT_EQ(m.size(), 3002u);
    std::string s = bytesOf(m);
    EXPECT_EQ(s.substr(0, 2), "ab");
    EXPECT_EQ(s.find_first_not_of('\0', 2), 3000u);
    EXPECT_EQ(s.substr(3000), "CD");
}

TEST(MemoryStream, IntegersAreLittleEndianAndShortReadsDoNotMove) {
    TMemoryStream m;
    m.writeInt8(-2);
    m.writeUInt16(0xBEEF);
    m.writeInt32(-123456789);
    EXPECT_EQ(bytesOf(m).substr(0, 3), "\xfe\xef\xbe");
    m.seek(0, 0);
    EXPECT_EQ(m.readInt8(), -2);
    EXPECT_EQ(m.readUInt16(), 0xBEEF);
    EXPECT_EQ(m.readInt16(), 13035);  // the low half of -123456789
    EXPECT_EQ(m.readInt32(), 0);      // two bytes left
    EXPECT_TRUE(m.isEof());
    EXPECT_EQ(m.tell(), 5u);
    EXPECT_EQ(m.readUInt16(), 0xF8A4);
    EXPECT_FALSE(m.isEof());
}

TEST(MemoryStream, AForeignBufferIsNeverGrownOrFreed) {
    char buf[8] = "abcdefg";
    TMemoryStream m(buf, 4);
    EXPECT_FALSE(m.ownsBuffer());
    EXPECT_EQ(m.size(), 4u);
    m.seek(2, 0);
    EXPECT_EQ(m.write("XYZ", 3), 2u);  // only what fits
    EXPECT_EQ(m.write("Q", 1), 0u);    // nothing at the end
    EXPECT_EQ(m.writeUInt8(1), 0u);
    m.seek(3, 0);
    EXPECT_EQ(m.writeUInt16(1), 0u);  // a typed write that does not fit writes nothing
    EXPECT_EQ(std::string(buf, 8), std::string("abXYefg\0", 8));
    EXPECT_EQ(m.getBuffer(), reinterpret_cast<uint8_t*>(buf));

    // attach replaces an owned buffer without leaking it (the leak checker watches this).
    TMemoryStream n;
    n.writeRawString("owned");
    n.attach(buf, 3, false);
    EXPECT_EQ(bytesOf(n), "abX");
    n.attach(nullptr, 0, false);
    EXPECT_EQ(n.write("grows again", 11), 11u);
}

TEST(MemoryStream, DetachHandsOverTheBufferAndLeavesAnEmptyStream) {
    TMemoryStream m;
    m.writeRawString("hello");
    void* p = m.detach(true);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::memcmp(p, "hello", 5), 0);
    std::free(p);
    EXPECT_EQ(m.size(), 0u);
    EXPECT_EQ(m.getBuffer(), nullptr);
    EXPECT_EQ(m.writeRawString("again"), 5u);
}

TEST(MemoryStream, CopyFromTakesWhatTheSourceHas) {
    TMemoryStream src;
    src.writeRawString("0123456789");
    src.seek(2, 0);
    TMemoryStream dst;
    EXPECT_EQ(dst.copyFrom(src, 5), 5u);
    EXPECT_EQ(dst.copyFrom(src, 100), 3u);
    EXPECT_EQ(bytesOf(dst), "23456789");
    EXPECT_EQ(dst.copyFrom(dst, 4), 0u);
}

// ---- movable blocks and resources ----

TEST(HMemStream, TakesAndHandsBackItsBlock) {
    platform::MemBlock b = platform::MemBlock::allocate(16);
    std::memcpy(b.data(), "member", 6);
    THMemStream s;
    EXPECT_EQ(s.getEncoding(), kEncodingSjis);
    EXPECT_FALSE(s.attachHandle(nullptr, 0, true));
    ASSERT_TRUE(s.attachHandle(&b, 6, true));
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(s.capacity(), 16u);
    EXPECT_EQ(bytesOf(s), "member");

    s.seek(0, 2);
    std::vector<char> more(20, '+');
    EXPECT_EQ(s.write(more.data(), 20), 20u);
    EXPECT_EQ(s.capacity(), 6u + 20u + 1024u);  // position + n + 1024
    EXPECT_EQ(s.getHandle()->size(), s.capacity());

    platform::MemBlock back;
    uint32_t size = 0;
    s.detachHandle(back, size);
    EXPECT_EQ(size, 26u);
    EXPECT_EQ(back.size(), 1050u);
    EXPECT_EQ(std::memcmp(back.data(), "member++", 8), 0);
    EXPECT_EQ(s.getHandle(), nullptr);
    EXPECT_EQ(s.size(), 0u);
}

TEST(HMemStream, ABorrowedBlockStaysItsOwnersAndSeesTheGrowth) {
    platform::MemBlock b = platform::MemBlock::allocate(4);
    {
        THMemStream s;
        ASSERT_TRUE(s.attachHandle(&b, 100, false));  // more data than the block holds is cut
        EXPECT_EQ(s.size(), 4u);
        s.seek(0, 2);
        EXPECT_EQ(s.writeRawString("grown"), 5u);
        EXPECT_EQ(b.size(), 4u + 5u + 1024u);
        platform::MemBlock none;
        uint32_t size = 0;
        s.detachHandle(none, size);
        EXPECT_TRUE(none.empty());
        EXPECT_EQ(size, 9u);
    }
    EXPECT_EQ(std::memcmp(b.data() + 4, "grown", 5), 0);

    // A stream that starts without a block makes its own.
    THMemStream s;
    EXPECT_EQ(s.writeRawString("abc"), 3u);
    EXPECT_EQ(s.capacity(), 3u + 1024u);
    std::free(s.detach(true));
    // A plain owned buffer is freed, not lost, when the stream hands out its (absent) block.
    s.attach(std::malloc(8), 8, true);
    platform::MemBlock none;
    uint32_t size = 0;
    s.detachHandle(none, size);
    EXPECT_EQ(size, 8u);
    EXPECT_TRUE(none.empty());
}

TEST(ResourceStream, ThereAreNoProgramResources) {
    TResourceStream r;
    EXPECT_FALSE(r.open(nullptr, "IDB_TITLE", "WAVE"));
    EXPECT_EQ(r.size(), 0u);
}

// ---- files ----

class FileStreamTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) { return platform::fromOsPath((dir.path() / name).string()); }
    mjtest::TempDir dir;
};

TEST_F(FileStreamTest, OpensByModeAndThrowsFromTheOpeningConstructor) {
    TFileStream f;
    EXPECT_FALSE(f.open(path("none.bin"), kFileRead | kFileOpenExisting));
    EXPECT_NE(f.lastError(), 0u);
    EXPECT_FALSE(f.open(path("x.bin"), 3));     // access nibble out of range
    EXPECT_FALSE(f.open(path("x.bin"), 0x41));  // creation nibble out of range
    EXPECT_FALSE(fs::exists(dir.path() / "x.bin"));
    try {
        TFileStream g(path("none.bin"), kFileRead);
        FAIL() << "no exception";
    } catch (const TException& e) {
        EXPECT_EQ(e.code(), 0x1001001u);
        EXPECT_EQ(e.text(), path("none.bin"));
    }

    ASSERT_TRUE(f.open(path("a.bin"), kFileReadWrite | kFileCreateAlways));
    EXPECT_EQ(f.writeUInt32(0x64636261), 4u);
    EXPECT_EQ(f.size(), 0u);  // the size at open
    EXPECT_EQ(f.getFileSize(), 4u);
    EXPECT_EQ(f.tell(), 4u);
    EXPECT_TRUE(f.seek(1, 0));
    EXPECT_EQ(f.readUInt16(), 0x6362);
    EXPECT_FALSE(f.isEof());
    EXPECT_EQ(f.readUInt16(), 0u);  // one byte left: a short read
    EXPECT_TRUE(f.isEof());
    EXPECT_FALSE(f.seek(-100, 1));
    f.close();
    EXPECT_FALSE(f.open(path("a.bin"), kFileWrite | kFileCreateNew));
    ASSERT_TRUE(f.open(path("A.BIN"), kFileRead));  // names are found without regard to case
    EXPECT_EQ(f.size(), 4u);
    EXPECT_FALSE(f.open(platform::fromOsPath(dir.path().string()), kFileRead));  // a folder is no file
}

TEST_F(FileStreamTest, OpeningAgainOrAttachingDoesNotLeakHandles) {
    { TFileStream(path("f.txt"), kFileWrite | kFileCreateAlways).writeRawString("abc"); }
    int before = openFdCount();
    TFileStream f;
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(f.open(path("f.txt"), kFileRead));
    EXPECT_EQ(openFdCount(), before + 1);

    int fd = ::dup(f.handle());
    EXPECT_FALSE(f.attachHandle(-1));
    ASSERT_TRUE(f.attachHandle(fd));
    EXPECT_EQ(openFdCount(), before + 1);  // the owned one was closed, the borrowed one kept
    EXPECT_EQ(f.size(), 3u);
    f.close();
    EXPECT_EQ(openFdCount(), before + 1);
    ::close(fd);
}

TEST_F(FileStreamTest, LoadFileAndByteCopies) {
    { TFileStream(path("data.bin"), kFileWrite | kFileCreateAlways).writeRawString("0123456789"); }
    TMemoryStream m;
    EXPECT_FALSE(m.loadFile(path("missing.bin").c_str()));
    ASSERT_TRUE(m.loadFile(path("data.bin").c_str()));
    EXPECT_EQ(bytesOf(m), "0123456789");
    EXPECT_EQ(m.tell(), 0u);

    // The byte-by-byte copy of the base class stops where the source ends.
    TFileStream out(path("copy.bin"), kFileWrite | kFileCreateAlways);
    m.seek(4, 0);
    EXPECT_EQ(out.copyFrom(m, 100), 6u);
    out.close();
    TFileStream in(path("copy.bin"), kFileRead);
    EXPECT_EQ(in.size(), 6u);
}

// The file services used directly, one call per operation: what a file stream did before it
// read ahead, and what it must still look like from outside.
struct DirectFile {
    platform::FileHandle h;
    bool eof = false;
    uint32_t read(void* buf, uint32_t n) {
        const uint32_t got = platform::readFile(h, buf, n);
        eof = got < n;
        return got;
    }
    uint32_t write(const void* buf, uint32_t n) { return platform::writeFile(h, buf, n); }
    bool seek(int32_t offset, int origin) { return platform::seekFile(h, offset, origin, nullptr); }
    uint32_t tell() {
        uint64_t pos = 0;
        return platform::seekFile(h, 0, 1, &pos) ? static_cast<uint32_t>(pos) : 0xFFFFFFFFu;
    }
};

namespace {

// A line as a byte-at-a-time reader takes it: at most limit bytes kept (-1: any), CRs dropped,
// up to LF or NUL (taken) or the first read that finds nothing.
template <class Reader>
std::string referenceLine(Reader& r, int limit) {
    std::string out;
    while (limit < 0 || out.size() < static_cast<size_t>(limit)) {
        char c = 0;
        if (r.read(&c, 1) != 1 || c == '\n' || c == 0) break;
        if (c != '\r') out.push_back(c);
    }
    return out;
}

}  // namespace

TEST_F(FileStreamTest, ReadAheadIsInvisibleInAnyMixOfReadsSeeksAndWrites) {
    std::string start(300000, '\0');
    for (size_t i = 0; i < start.size(); ++i) start[i] = static_cast<char>(i * 7 + i / 251);
    for (const char* name : {"a.bin", "b.bin"}) std::ofstream(dir.path() / name, std::ios::binary) << start;
    TFileStream stream(path("a.bin"), kFileReadWrite | kFileOpenExisting);
    DirectFile direct{
        platform::openFile(path("b.bin"), platform::FileAccess::ReadWrite, platform::FileCreation::OpenExisting)};
    ASSERT_GE(direct.h, 0);

    std::mt19937 rng(7);
    const auto pick = [&](uint32_t below) { return static_cast<uint32_t>(rng() % below); };
    std::vector<uint8_t> a(200000), b(200000);
    for (int step = 0; step < 4000; ++step) {
        SCOPED_TRACE(step);
        switch (pick(9)) {
            case 0:
            case 1:
            case 2: {  // mostly small reads, now and then one past the read-ahead's size
                const uint32_t n = pick(10) == 0 ? 65536 + pick(100000) : pick(300);
                const uint32_t got = stream.read(a.data(), n);
                ASSERT_EQ(got, direct.read(b.data(), n));
                ASSERT_EQ(std::memcmp(a.data(), b.data(), got), 0);
                ASSERT_EQ(stream.isEof(), direct.eof);
                break;
            }
            case 3: {  // near the position, to land inside and outside what was read ahead
                const int32_t offset = static_cast<int32_t>(pick(140000)) - 70000;
                ASSERT_EQ(stream.seek(offset, 1), direct.seek(offset, 1));
                break;
            }
            case 4: {
                const int32_t offset = static_cast<int32_t>(pick(320000)) - 10000;
                ASSERT_EQ(stream.seek(offset, 0), direct.seek(offset, 0));
                break;
            }
            case 5: {
                const int32_t offset = -static_cast<int32_t>(pick(50000));
                ASSERT_EQ(stream.seek(offset, 2), direct.seek(offset, 2));
                break;
            }
            case 6: {
                const uint32_t n = pick(500);
                for (uint32_t i = 0; i < n; ++i) a[i] = static_cast<uint8_t>(rng());
                ASSERT_EQ(stream.write(a.data(), n), direct.write(a.data(), n));
                break;
            }
            case 7: {  // lines, with and without a limit, and single bytes
                std::string line;
                char buf[40];
                const int limit = static_cast<int>(pick(45)) - 5;
                if (pick(2)) {
                    ASSERT_EQ(stream.readLine(line, limit), referenceLine(direct, limit));
                } else if (limit > 0) {
                    ASSERT_EQ(stream.readLineTo(buf, limit), buf);
                    ASSERT_EQ(buf, referenceLine(direct, limit - 1));
                } else {
                    uint8_t c = 0;
                    const uint8_t got = stream.readUInt8();
                    ASSERT_EQ(got, direct.read(&c, 1) == 1 ? c : 0);
                }
                ASSERT_EQ(stream.isEof(), direct.eof);
                break;
            }
            default:
                ASSERT_EQ(stream.tell(), direct.tell());
                break;
        }
    }
    EXPECT_EQ(stream.getFileSize(), platform::fileSize(direct.h));
    stream.close();
    platform::closeFile(direct.h);
    EXPECT_EQ(slurp(dir.path() / "a.bin"), slurp(dir.path() / "b.bin"));
}

TEST_F(FileStreamTest, ABorrowedHandleIsLeftWhereTheStreamStoppedReading) {
    std::ofstream(dir.path() / "h.txt", std::ios::binary) << "first line\nsecond line\n";
    const platform::FileHandle h =
        platform::openFile(path("h.txt"), platform::FileAccess::Read, platform::FileCreation::OpenExisting);
    ASSERT_GE(h, 0);
    {
        TFileStream f;
        ASSERT_TRUE(f.attachHandle(h));
        std::string line;
        EXPECT_EQ(f.readLine(line), "first line");
    }
    char rest[32] = {};
    EXPECT_EQ(platform::readFile(h, rest, sizeof rest), 12u);
    EXPECT_STREQ(rest, "second line\n");
    platform::closeFile(h);

    // A pipe has no position to give bytes back to: it is read as it comes.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(::write(fds[1], "ab\ncd", 5), 5);
    ::close(fds[1]);
    TFileStream p;
    ASSERT_TRUE(p.attachHandle(fds[0]));
    std::string line;
    EXPECT_EQ(p.readLine(line), "ab");
    EXPECT_EQ(p.readLine(line), "cd");
    EXPECT_TRUE(p.isEof());
    p.close();
    ::close(fds[0]);
}

// ---- text ----

TEST(StreamText, LinesEndAtLfNulOrTheEndAndDropEveryCr) {
    TMemoryStream m;
    m.writeRawString(std::string("ab\r\ncd", 6));
    m.seek(0, 0);
    std::string line;
    EXPECT_EQ(m.readLine(line), "ab");
    EXPECT_FALSE(m.isEof());
    EXPECT_EQ(m.readLine(line), "cd");  // no LF at the end: returned whole
    EXPECT_TRUE(m.isEof());

    m.clear();
    m.writeRawString(std::string("x\ry\0z\n", 6));
    m.seek(0, 0);
    EXPECT_EQ(m.readLine(line), "xy");
    EXPECT_EQ(m.readLine(line), "z");

    m.clear();
    m.writeRawString("abcdef\nnext\n");
    m.seek(0, 0);
    char buf[4];
    EXPECT_STREQ(m.readLineTo(buf, sizeof buf), "abc");  // a full buffer ends the read
    EXPECT_STREQ(m.readLineTo(buf, sizeof buf), "def");
    EXPECT_STREQ(m.readLineTo(buf, sizeof buf), "");
    EXPECT_EQ(m.readLine(line, 2), "ne");
    EXPECT_EQ(m.readLine(line, -1), "xt");
    EXPECT_EQ(m.readLineTo(buf, 0), buf);
}

// Lines of random bytes rich in CR, LF and NUL, with random limits, both line forms: the same
// text, position and end-of-data flag as the byte-at-a-time reader gives on a twin stream.
TEST(StreamText, LinesMatchAByteAtATimeReaderInEveryCase) {
    std::mt19937 rng(21);
    const char kKept[] = {'a', 'b', '\x82', '\t'}, kEnds[] = {'\r', '\n', '\0'};
    for (int round = 0; round < 200; ++round) {
        // Runs of kept bytes from none to dozens long, across the words the reader scans at once.
        const uint32_t run = 1 + static_cast<uint32_t>(round % 40);
        std::string text(rng() % 300, '\0');
        for (char& c : text) c = rng() % run ? kKept[rng() % sizeof kKept] : kEnds[rng() % sizeof kEnds];
        TMemoryStream m, twin;
        m.writeRawString(text);
        twin.writeRawString(text);
        m.seek(0, 0);
        twin.seek(0, 0);
        for (int step = 0; step < 80; ++step) {
            SCOPED_TRACE(testing::Message() << round << " " << step);
            const int limit = static_cast<int>(rng() % 25) - 3;
            std::string line;
            if (rng() % 2) {
                ASSERT_EQ(m.readLine(line, limit), referenceLine(twin, limit));
            } else if (limit > 0) {
                char buf[32];
                m.readLineTo(buf, limit);
                ASSERT_EQ(buf, referenceLine(twin, limit - 1));
            }
            ASSERT_EQ(m.tell(), twin.tell());
            ASSERT_EQ(m.isEof(), twin.isEof());
        }
    }
}

TEST(StreamText, EveryEncodingMatchesTheCLibraryAndReadsBack) {
    std::string crlf;
    for (char c : kText) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    struct Case {
        int encoding;
        std::string expect;
    } cases[] = {
        {kEncodingSjis, crlf},
        {kEncodingAnsi, crlf},
        {kEncodingUtf8, iconvFromCp932(crlf, "UTF-8")},
        {kEncodingUtf16, iconvFromCp932(crlf, "UTF-16LE")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoding);
        TMemoryStream m(c.encoding);
        EXPECT_GT(m.writeText(kText), 0);
        EXPECT_EQ(bytesOf(m), c.expect);  // no byte-order signature

        m.seek(0, 0);
        std::string line;
        EXPECT_EQ(m.readLine(line), "ab \x82\xa0\x82\xa2 \x8a\xbf\x8e\x9a\x95\x5c");
        EXPECT_EQ(m.readLine(line), "\x82\x60\x82\x61\x81\x40\xb1\xb2");
        EXPECT_EQ(m.readLine(line), "last");
        EXPECT_TRUE(m.isEof());

        m.seek(0, 0);
        char buf[64];
        EXPECT_STREQ(m.readLineTo(buf, sizeof buf), "ab \x82\xa0\x82\xa2 \x8a\xbf\x8e\x9a\x95\x5c");

        TMemoryStream s(c.encoding);
        s.writeString("a\nb");
        EXPECT_EQ(s.size(), c.encoding == kEncodingUtf16 ? 6u : 3u);  // no line-end conversion
    }
}

TEST(StreamText, BufferedLinesNeverOverflowInAnyEncoding) {
    // Lines far longer than the buffers, and a caller buffer larger than any fixed line buffer.
    std::string longLine(5000, 'x');
    longLine[2999] = '\x82';
    longLine[3000] = '\xa0';
    for (int enc : {kEncodingSjis, kEncodingUtf16, kEncodingUtf8, kEncodingAnsi}) {
        SCOPED_TRACE(enc);
        TMemoryStream m(enc);
        m.writeText(longLine + "\n");
        m.seek(0, 0);
        std::vector<char> big(4096);
        m.readLineTo(big.data(), static_cast<int>(big.size()));
        size_t got = std::strlen(big.data());
        EXPECT_LE(got, 4095u);
        EXPECT_GE(got, 2047u);
        m.seek(0, 0);
        char small[6];
        m.readLineTo(small, sizeof small);
        EXPECT_LE(std::strlen(small), 5u);
        // A converted line never splits a double-byte character at the end of a buffer (the
        // byte forms read bytes up to the buffer's end and may).
        if (enc == kEncodingSjis || enc == kEncodingAnsi) continue;
        m.seek(0, 0);
        std::vector<char> cut(3001);
        m.readLineTo(cut.data(), 3001);
        std::string s(cut.data());
        EXPECT_NE(s.size(), 3000u);  // that would end in the lead byte alone
        EXPECT_LE(s.size(), 3000u);
    }
}

TEST(StreamText, Utf16TextGetsA16BitCrBeforeEveryLf) {
    TMemoryStream m(kEncodingUtf16);
    EXPECT_EQ(m.writeText("a\nb"), 3);
    EXPECT_EQ(bytesOf(m), std::string("a\0\r\0\n\0b\0", 8));
    char16_t units[3];
    m.seek(0, 0);
    m.readUtf16LineTo(units, sizeof units);  // 3 units of room: 2 stored and the terminator
    EXPECT_EQ(std::u16string(units), u"a");
}

TEST(StreamText, CharactersInEachEncoding) {
    TMemoryStream s(kEncodingSjis);
    EXPECT_EQ(s.writeChar(0x82A0), 2u);
    EXPECT_EQ(s.writeChar(0x41), 1u);
    EXPECT_EQ(s.writeChar(0x8200), 1u);  // not a valid double-byte code: its low byte
    EXPECT_EQ(bytesOf(s), std::string("\x82\xa0\x41\x00", 4));
    s.seek(0, 0);
    EXPECT_EQ(s.readChar(), 0x82A0u);
    EXPECT_EQ(s.readChar(), 0x41u);

    TMemoryStream u8(kEncodingUtf8);
    EXPECT_EQ(u8.writeChar(0x82A0), 3u);  // U+3042
    EXPECT_EQ(u8.writeChar(0xB1), 3u);    // half-width katakana U+FF71
    u8.writeRawString("\xc3\xa9\x80\xf0");
    EXPECT_EQ(bytesOf(u8).substr(0, 3), "\xe3\x81\x82");
    u8.seek(0, 0);
    EXPECT_EQ(u8.readChar(), 0x82A0u);
    EXPECT_EQ(u8.readChar(), 0xB1u);
    EXPECT_EQ(u8.readUtf8Char(), 0xE9u);
    EXPECT_EQ(u8.readUtf8Char(), 0u);  // a continuation byte starts nothing
    EXPECT_EQ(u8.readUtf8Char(), 0u);  // nor does a four-byte lead

    TMemoryStream u16(kEncodingUtf16);
    EXPECT_EQ(u16.writeChar(0xF040), 2u);  // no Unicode value: the white square
    u16.seek(0, 0);
    EXPECT_EQ(u16.readChar(), 0x81A0u);

    TMemoryStream cut(kEncodingSjis);
    cut.writeUInt8(0x82);
    cut.seek(0, 0);
    EXPECT_EQ(cut.readChar(), 0x82u);  // a lead byte at the end stands alone
}

TEST(StreamText, DefaultAndUnknownEncodings) {
    EXPECT_EQ(TMemoryStream(kEncodingDefault).getEncoding(), kEncodingSjis);
    TMemoryStream m(7);
    EXPECT_EQ(m.writeText("abc") + m.writeString("abc") + m.writeChar('a'), 0u);
    m.writeRawString("line\n");
    m.seek(0, 0);
    std::string line = "x";
    char buf[8] = "x";
    EXPECT_EQ(m.readLine(line) + m.readLineTo(buf, sizeof buf) + std::to_string(m.readChar()), "0");
    EXPECT_EQ(m.tell(), 0u);  // nothing was read
}
