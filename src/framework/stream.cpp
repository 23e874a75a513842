// The encoding-independent part of TStream: integers, lines, characters and text in the four
// encodings, all built on the kind's read and write.
#include "framework/stream.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "platform/codepage.h"
#include "platform/little_endian.h"

namespace {

// Copies the Shift-JIS text s into buf of size bytes: whole characters only, terminated.
void copySjisBounded(char* buf, int size, const std::string& s) {
    if (!buf || size <= 0) return;
    const auto* p = reinterpret_cast<const uint8_t*>(s.data());
    const uint8_t* end = p + s.size();
    int n = 0;
    while (p < end && *p) {
        int len = platform::sjisCharLength(p, end);
        if (n + len > size - 1) break;
        std::memcpy(buf + n, p, static_cast<size_t>(len));
        n += len;
        p += len;
    }
    buf[n] = 0;
}

template <typename T>
T readBase(TStream& s) {
    uint8_t b[sizeof(T)];
    if (s.read(b, sizeof(T)) != sizeof(T)) return 0;
    return le::load<T>(b);
}

template <typename T>
uint32_t writeBase(TStream& s, T v) {
    uint8_t b[sizeof(T)];
    le::store(b, v);
    return s.write(b, sizeof(T));
}

// The first of p[from, to) that ends a run of a byte line (LF, CR or NUL); to when none does.
// Eight bytes are tried at once for one below 0x0E, which all three are: a byte b is below n
// where (b - n) & ~b has its top bit set, and no borrow reaches a byte below the first such
// one, so the word's lowest flagged byte is the first. A flagged byte that is another control
// (a tab) is passed over.
uint32_t lineBreakAt(const uint8_t* p, uint32_t from, uint32_t to) {
    constexpr uint64_t kOnes = 0x0101010101010101u, kTops = 0x8080808080808080u;
    uint32_t i = from;
    while (i < to) {
        if (to - i >= 8) {
            const uint64_t w = le::load<uint64_t>(p + i), below = (w - kOnes * 0x0E) & ~w & kTops;
            if (!below) {
                i += 8;
                continue;
            }
            i += static_cast<uint32_t>(std::countr_zero(below) / 8);
        }
        if (p[i] == '\n' || p[i] == '\r' || p[i] == 0) return i;
        ++i;
    }
    return to;
}

// Byte lines (Shift-JIS, UTF-8 and ANSI alike): at most limit bytes (-1: no limit) go to put,
// CRs dropped, up to LF or NUL (consumed) or the end of data. The bytes the stream holds in
// memory are scanned in runs; the rest is read a byte at a time (which may fill the stream's
// buffer for the next run). The end-of-data flag ends as byte-wise reading would leave it.
template <class Put>
void readByteLine(TStream& s, int64_t limit, Put put) {
    int64_t stored = 0;
    while (limit < 0 || stored < limit) {
        uint32_t n = 0;
        const uint8_t* p = s.peekBuffered(n);
        if (n == 0) {
            const uint8_t c = s.readUInt8();
            if (s.isEof() || c == '\n' || c == 0) return;
            if (c != '\r') {
                put(&c, 1);
                ++stored;
            }
            continue;
        }
        // Runs of kept bytes up to the next CR, LF or NUL, within the limit.
        uint32_t i = 0;
        bool ended = false;
        while (i < n) {
            const uint32_t room = limit < 0 ? n : static_cast<uint32_t>(std::min<int64_t>(n, i + (limit - stored)));
            const uint32_t j = lineBreakAt(p, i, room);
            if (j > i) {
                put(p + i, j - i);
                stored += j - i;
            }
            i = j;
            if (i == room) break;
            ended = p[i++] != '\r';
            if (ended) break;
        }
        s.takeBuffered(i);
        if (ended) return;
    }
}

char* readByteLineTo(TStream& s, char* buf, int size) {
    if (!buf || size <= 0) return buf;
    int n = 0;
    readByteLine(s, size - 1, [&](const uint8_t* p, uint32_t k) {
        std::memcpy(buf + n, p, k);
        n += static_cast<int>(k);
    });
    buf[n] = 0;
    return buf;
}

std::string& readByteLine(TStream& s, std::string& out, int max) {
    out.clear();
    readByteLine(s, max, [&](const uint8_t* p, uint32_t k) { out.append(reinterpret_cast<const char*>(p), k); });
    return out;
}

// Writes bytes with a CR before every LF in one call; returns the source bytes that made it.
int writeByteText(TStream& s, const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 2);
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    uint32_t written = s.write(out.data(), static_cast<uint32_t>(out.size()));
    if (written == out.size()) return static_cast<int>(text.size());
    // Count the source bytes whose output was written completely.
    int count = 0;
    uint32_t at = 0;
    for (char c : text) {
        uint32_t len = c == '\n' ? 2 : 1;
        if (at + len > written) break;
        at += len;
        ++count;
    }
    return count;
}

}  // namespace

TStream::TStream(int encoding) : encoding_(encoding == kEncodingDefault ? defaultTextEncoding() : encoding) {}

void TStream::setEncoding(int encoding) { encoding_ = encoding == kEncodingDefault ? defaultTextEncoding() : encoding; }

int8_t TStream::readInt8() { return readBase<int8_t>(*this); }
uint8_t TStream::readUInt8() { return readBase<uint8_t>(*this); }
int16_t TStream::readInt16() { return readBase<int16_t>(*this); }
uint16_t TStream::readUInt16() { return readBase<uint16_t>(*this); }
int32_t TStream::readInt32() { return readBase<int32_t>(*this); }
uint32_t TStream::readUInt32() { return readBase<uint32_t>(*this); }

uint32_t TStream::writeInt8(int8_t v) { return writeBase(*this, v); }
uint32_t TStream::writeUInt8(uint8_t v) { return writeBase(*this, v); }
uint32_t TStream::writeInt16(int16_t v) { return writeBase(*this, v); }
uint32_t TStream::writeUInt16(uint16_t v) { return writeBase(*this, v); }
uint32_t TStream::writeInt32(int32_t v) { return writeBase(*this, v); }
uint32_t TStream::writeUInt32(uint32_t v) { return writeBase(*this, v); }

// ---- lines ----

char* TStream::readLineTo(char* buf, int size) {
    if (!buf || size <= 0) return buf;
    switch (encoding_) {
        case kEncodingSjis:
            return readSjisLineTo(buf, size);
        case kEncodingUtf16: {
            // The intermediate line takes the caller's size, so no line can outgrow it.
            std::vector<char16_t> units(static_cast<size_t>(size) / 2 + 1);
            readUtf16LineTo(units.data(), size);
            std::string sjis;
            platform::utf16ToSjis(sjis, std::u16string_view(units.data()));
            copySjisBounded(buf, size, sjis);
            return buf;
        }
        case kEncodingUtf8: {
            std::vector<char> bytes(static_cast<size_t>(size));
            readUtf8LineTo(bytes.data(), size);
            std::string sjis;
            platform::utf8ToSjis(sjis, std::string_view(bytes.data()));
            copySjisBounded(buf, size, sjis);
            return buf;
        }
        case kEncodingAnsi: {
            std::vector<char> bytes(static_cast<size_t>(size));
            readAnsiLineTo(bytes.data(), size);
            copySjisBounded(buf, size, std::string(bytes.data()));
            return buf;
        }
        default:
            buf[0] = 0;
            return buf;
    }
}

std::string& TStream::readLine(std::string& out, int max) {
    switch (encoding_) {
        case kEncodingSjis:
            return readSjisLine(out, max);
        case kEncodingUtf16: {
            std::u16string units;
            readUtf16Line(units, max);
            platform::utf16ToSjis(out, units);
            return out;
        }
        case kEncodingUtf8: {
            std::string bytes;
            readUtf8Line(bytes, max);
            platform::utf8ToSjis(out, bytes);
            return out;
        }
        case kEncodingAnsi:
            return readAnsiLine(out, max);
        default:
            out.clear();
            return out;
    }
}

char* TStream::readSjisLineTo(char* buf, int size) { return readByteLineTo(*this, buf, size); }
char* TStream::readUtf8LineTo(char* buf, int size) { return readByteLineTo(*this, buf, size); }
char* TStream::readAnsiLineTo(char* buf, int size) { return readByteLineTo(*this, buf, size); }
std::string& TStream::readSjisLine(std::string& out, int max) { return readByteLine(*this, out, max); }
std::string& TStream::readUtf8Line(std::string& out, int max) { return readSjisLine(out, max); }
std::string& TStream::readAnsiLine(std::string& out, int max) { return readSjisLine(out, max); }

char16_t* TStream::readUtf16LineTo(char16_t* buf, int sizeInBytes) {
    if (!buf || sizeInBytes < 2) return buf;
    int n = 0;
    const int limit = sizeInBytes / 2 - 1;
    while (n < limit) {
        uint16_t c = readUInt16();
        if (isEof() || c == '\n' || c == 0) break;
        if (c == '\r') continue;
        buf[n++] = static_cast<char16_t>(c);
    }
    buf[n] = 0;
    return buf;
}

std::u16string& TStream::readUtf16Line(std::u16string& out, int max) {
    out.clear();
    while (max < 0 || out.size() < static_cast<size_t>(max)) {
        uint16_t c = readUInt16();
        if (isEof() || c == '\n' || c == 0) break;
        if (c == '\r') continue;
        out.push_back(static_cast<char16_t>(c));
    }
    return out;
}

// ---- characters ----

uint32_t TStream::readChar() {
    switch (encoding_) {
        case kEncodingSjis:
            return readSjisChar();
        case kEncodingUtf16:
            return platform::unicodeToSjis(readUtf16Char());
        case kEncodingUtf8:
            return platform::unicodeToSjis(readUtf8Char());
        case kEncodingAnsi:
            return readAnsiChar();
        default:
            return 0;
    }
}

uint32_t TStream::readSjisChar() {
    uint8_t b = readUInt8();
    if (isEof() || !platform::isSjisLead(b)) return b;
    uint8_t t = readUInt8();
    if (isEof()) return b;  // a lead byte that the data cut off stands alone
    return uint32_t(b) << 8 | t;
}

// Code page 932 is the system's multibyte code page, so its lead bytes are Shift-JIS's.
uint32_t TStream::readAnsiChar() { return readSjisChar(); }

uint32_t TStream::readUtf8Char() {
    uint8_t b = readUInt8();
    if (isEof()) return 0;
    if (b < 0x80) return b;
    if ((b & 0xE0) == 0xC0) {
        uint8_t c = readUInt8();
        return (uint32_t(b & 0x1F) << 6) | (c & 0x3F);
    }
    if ((b & 0xF0) == 0xE0) {
        uint8_t c = readUInt8();
        uint8_t d = readUInt8();
        return (uint32_t(b & 0x0F) << 12) | (uint32_t(c & 0x3F) << 6) | (d & 0x3F);
    }
    return 0;
}

uint32_t TStream::readUtf16Char() { return readUInt16(); }

uint32_t TStream::writeChar(uint32_t sjisCode) {
    switch (encoding_) {
        case kEncodingSjis:
            return writeSjisChar(sjisCode);
        case kEncodingUtf16:
            return writeUtf16Char(platform::sjisToUnicode(sjisCode));
        case kEncodingUtf8:
            return writeUtf8Char(platform::sjisToUnicode(sjisCode));
        case kEncodingAnsi:
            return writeAnsiChar(sjisCode);
        default:
            return 0;
    }
}

uint32_t TStream::writeSjisChar(uint32_t code) {
    if (code <= 0xFFFF && platform::isSjisLead(uint8_t(code >> 8)) && platform::isSjisTrail(uint8_t(code))) {
        uint8_t b[2] = {uint8_t(code >> 8), uint8_t(code)};
        return write(b, 2);
    }
    return writeUInt8(static_cast<uint8_t>(code));
}

uint32_t TStream::writeAnsiChar(uint32_t code) { return writeSjisChar(code); }

uint32_t TStream::writeUtf8Char(uint32_t cp) {
    uint8_t b[3];
    uint32_t n;
    if (cp < 0x80) {
        b[0] = uint8_t(cp);
        n = 1;
    } else if (cp < 0x800) {
        b[0] = uint8_t(0xC0 | cp >> 6);
        b[1] = uint8_t(0x80 | (cp & 0x3F));
        n = 2;
    } else {
        b[0] = uint8_t(0xE0 | ((cp >> 12) & 0x0F));
        b[1] = uint8_t(0x80 | ((cp >> 6) & 0x3F));
        b[2] = uint8_t(0x80 | (cp & 0x3F));
        n = 3;
    }
    return write(b, n);
}

uint32_t TStream::writeUtf16Char(uint32_t unit) { return writeUInt16(static_cast<uint16_t>(unit)); }

// ---- strings and text ----

uint32_t TStream::writeString(const std::string& sjis) {
    switch (encoding_) {
        case kEncodingSjis:
            return writeRawString(sjis);
        case kEncodingUtf16: {
            std::u16string u;
            platform::sjisToUtf16(u, sjis);
            return writeUtf16String(u);
        }
        case kEncodingUtf8: {
            std::string u;
            platform::sjisToUtf8(u, sjis);
            return writeUtf8String(u);
        }
        case kEncodingAnsi:
            return writeAnsiString(sjis);
        default:
            return 0;
    }
}

uint32_t TStream::writeRawString(const std::string& s) {
    return s.empty() ? 0 : write(s.data(), static_cast<uint32_t>(s.size()));
}
uint32_t TStream::writeUtf8String(const std::string& s) { return writeRawString(s); }
uint32_t TStream::writeAnsiString(const std::string& s) { return writeRawString(s); }

uint32_t TStream::writeUtf16String(const std::u16string& s) {
    std::vector<uint8_t> bytes(s.size() * 2);
    for (size_t i = 0; i < s.size(); ++i) le::store(&bytes[i * 2], static_cast<uint16_t>(s[i]));
    return bytes.empty() ? 0 : write(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

int TStream::writeText(const std::string& sjis) {
    switch (encoding_) {
        case kEncodingSjis:
            return writeSjisText(sjis);
        case kEncodingUtf16: {
            std::u16string u;
            platform::sjisToUtf16(u, sjis);
            return writeUtf16Text(u);
        }
        case kEncodingUtf8: {
            std::string u;
            platform::sjisToUtf8(u, sjis);
            return writeUtf8Text(u);
        }
        case kEncodingAnsi:
            return writeAnsiText(sjis);
        default:
            return 0;
    }
}

int TStream::writeSjisText(const std::string& s) { return writeByteText(*this, s); }
int TStream::writeUtf8Text(const std::string& s) { return writeSjisText(s); }
int TStream::writeAnsiText(const std::string& s) { return writeSjisText(s); }

int TStream::writeUtf16Text(const std::u16string& s) {
    std::vector<uint8_t> bytes;
    bytes.reserve(s.size() * 2 + 8);
    for (char16_t c : s) {
        uint8_t b[2];
        if (c == u'\n') {
            le::store(b, uint16_t('\r'));
            bytes.insert(bytes.end(), b, b + 2);
        }
        le::store(b, static_cast<uint16_t>(c));
        bytes.insert(bytes.end(), b, b + 2);
    }
    if (bytes.empty()) return 0;
    uint32_t written = write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (written == bytes.size()) return static_cast<int>(s.size());
    int count = 0;
    uint32_t at = 0;
    for (char16_t c : s) {
        uint32_t len = c == u'\n' ? 4 : 2;
        if (at + len > written) break;
        at += len;
        ++count;
    }
    return count;
}

uint32_t TStream::copyFrom(TStream& src, uint32_t n) {
    uint8_t chunk[16384];
    uint32_t done = 0;
    while (done < n) {
        uint32_t want = std::min<uint32_t>(n - done, sizeof chunk);
        uint32_t got = src.read(chunk, want);
        uint32_t put = got ? write(chunk, got) : 0;
        done += put;
        if (got < want || put < got) break;
    }
    return done;
}
