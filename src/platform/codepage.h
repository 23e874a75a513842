#pragma once
// Shift-JIS (code page 932) and Unicode, with the program's own tables so that the result never
// depends on the machine's locale. Text inside the program is Shift-JIS; the platform layer turns
// it into UTF-8 at its edge (window titles, message boxes, file names, fonts, text input).
//
// A character code is a u32: a single-byte character as its byte value, a double-byte character
// as lead * 256 + trail. UTF-16 is char16_t, one unit per character (nothing maps above U+FFFF).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

struct SjisPair {
    uint16_t sjis;
    uint16_t unicode;
};

constexpr size_t kSjisDoubleByteCount = 7724;
// Every double-byte character of code page 932 (without the user-defined area), ascending by code.
extern const SjisPair kSjisDoubleByte[kSjisDoubleByteCount];
// Unicode value of each single byte, 0xFFFF where a byte has none.
extern const uint16_t kSjisSingleByte[256];

// What a code without a counterpart becomes in either direction (both are a white square).
constexpr uint32_t kUnicodeReplacement = 0x25A1;
constexpr uint32_t kSjisReplacement = 0x81A0;

constexpr bool isSjisLead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool isSjisTrail(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Length (1 or 2) of the character at p, where p < end. A lead byte needs a valid trail byte
// before end to make a double-byte character; otherwise it stands alone.
inline int sjisCharLength(const uint8_t* p, const uint8_t* end) {
    return (isSjisLead(p[0]) && end - p >= 2 && isSjisTrail(p[1])) ? 2 : 1;
}
// Reads the character at p (p < end) and advances p past it.
inline uint32_t sjisNextChar(const uint8_t*& p, const uint8_t* end) {
    if (sjisCharLength(p, end) == 2) {
        uint32_t c = uint32_t(p[0]) << 8 | p[1];
        p += 2;
        return c;
    }
    return *p++;
}

// 0 -> 0; a single byte through its table entry; a double-byte code through the pairs;
// anything else U+25A1.
uint32_t sjisToUnicode(uint32_t sjis);
// 0 -> 0; the lowest byte whose single-byte entry is the value, else the first pair in table
// order with that value (U+2170 -> 0xEEEF), else 0x81A0.
uint32_t unicodeToSjis(uint32_t unicode);

// One UTF-8 character at p: 1 to 3 bytes by the first byte, any other first byte gives a space.
// Continuation bytes are taken as they are, but a NUL is never read past (it counts as zero bits).
uint32_t decodeUtf8(const uint8_t* p);
// The same, reading nothing at or past end (missing bytes count as zero bits). p < end.
uint32_t decodeUtf8(const uint8_t* p, const uint8_t* end);
// p + 1, then past every continuation byte (10xxxxxx).
const uint8_t* nextUtf8(const uint8_t* p);
const uint8_t* nextUtf8(const uint8_t* p, const uint8_t* end);
// Appends cp as 1 to 3 bytes; a value above U+FFFF appends nothing.
void appendUtf8(std::string& out, uint32_t cp);

// Appends a Shift-JIS code: a double-byte code as lead then trail, anything else as its low byte.
inline void appendSjis(std::string& out, uint32_t code) {
    if (code > 0xFF) out.push_back(static_cast<char>((code >> 8) & 0xFF));
    out.push_back(static_cast<char>(code & 0xFF));
}

// Conversions of whole strings. out is replaced. They stop at a NUL character or after max
// source bytes (max < 0: the whole string).
void sjisToUtf8(std::string& out, std::string_view sjis, int max = -1);
void utf8ToSjis(std::string& out, std::string_view utf8, int max = -1);
// max is in source bytes for the first, in units for the second.
void sjisToUtf16(std::u16string& out, std::string_view sjis, int max = -1);
void utf16ToSjis(std::string& out, std::u16string_view utf16, int max = -1);

inline std::string toUtf8(std::string_view sjis) {
    std::string s;
    sjisToUtf8(s, sjis);
    return s;
}
inline std::string toSjis(std::string_view utf8) {
    std::string s;
    utf8ToSjis(s, utf8);
    return s;
}

}  // namespace platform
