#include "platform/codepage.h"

#include <array>
#include <cstring>
#include <memory>

#include "platform/little_endian.h"

namespace platform {

namespace {

constexpr std::array<uint16_t, 256> makeSingleByte() {
    std::array<uint16_t, 256> t{};
    for (int b = 0; b < 256; ++b) {
        if (b < 0x80)
            t[b] = static_cast<uint16_t>(b);
        else if (b == 0x80)
            t[b] = 0x003F;
        else if (b >= 0xA1 && b <= 0xDF)
            t[b] = static_cast<uint16_t>(0xFF61 + (b - 0xA1));
        else
            t[b] = 0xFFFF;
    }
    return t;
}
constexpr std::array<uint16_t, 256> kSingle = makeSingleByte();

// Both directions as direct lookup arrays, built once from the tables. In the reverse direction
// 0 marks "no code" (only U+0000 maps to 0, and that is answered before the lookup).
struct Lookup {
    uint16_t toUnicode[0x10000];
    uint16_t toSjis[0x10000];
    // Each code's UTF-8 bytes, first byte lowest, with their count in the top byte.
    uint32_t toUtf8[0x10000];
    // 1 for a lead byte, for a valid trail byte.
    uint8_t lead[256];
    uint8_t trail[256];

    Lookup() {
        for (uint32_t c = 0; c < 0x10000; ++c) toUnicode[c] = static_cast<uint16_t>(kUnicodeReplacement);
        for (uint32_t c = 0; c < 0x10000; ++c) toSjis[c] = 0;
        for (int b = 0; b < 256; ++b)
            if (kSingle[b] != 0xFFFF) toUnicode[b] = kSingle[b];
        for (const SjisPair& p : kSjisDoubleByte) toUnicode[p.sjis] = p.unicode;

        // Single bytes first, in ascending order, then the pairs in table order: first match wins.
        for (int b = 1; b < 256; ++b)
            if (kSingle[b] != 0xFFFF && toSjis[kSingle[b]] == 0) toSjis[kSingle[b]] = static_cast<uint16_t>(b);
        for (const SjisPair& p : kSjisDoubleByte)
            if (toSjis[p.unicode] == 0) toSjis[p.unicode] = p.sjis;

        for (uint32_t c = 0; c < 0x10000; ++c) {
            std::string b;
            appendUtf8(b, toUnicode[c]);
            // The UTF-8 bytes in storage order with their count in the last byte.
            uint8_t packed[4] = {0, 0, 0, static_cast<uint8_t>(b.size())};
            std::memcpy(packed, b.data(), b.size());
            toUtf8[c] = le::load32(packed);
        }
        for (int b = 0; b < 256; ++b) {
            lead[b] = isSjisLead(static_cast<uint8_t>(b)) ? 1 : 0;
            trail[b] = isSjisTrail(static_cast<uint8_t>(b)) ? 1 : 0;
        }
    }
};

const Lookup& lookup() {
    static const std::unique_ptr<const Lookup> table = std::make_unique<const Lookup>();
    return *table;
}

// Continuation bits of b, or 0 when b is missing.
inline uint32_t cont(uint8_t b) { return b & 0x3Fu; }

}  // namespace

const uint16_t kSjisSingleByte[256] = {
#define ROW(x)                                                                                                  \
    kSingle[x], kSingle[x + 1], kSingle[x + 2], kSingle[x + 3], kSingle[x + 4], kSingle[x + 5], kSingle[x + 6], \
        kSingle[x + 7]
    ROW(0x00), ROW(0x08), ROW(0x10), ROW(0x18), ROW(0x20), ROW(0x28), ROW(0x30), ROW(0x38),
    ROW(0x40), ROW(0x48), ROW(0x50), ROW(0x58), ROW(0x60), ROW(0x68), ROW(0x70), ROW(0x78),
    ROW(0x80), ROW(0x88), ROW(0x90), ROW(0x98), ROW(0xA0), ROW(0xA8), ROW(0xB0), ROW(0xB8),
    ROW(0xC0), ROW(0xC8), ROW(0xD0), ROW(0xD8), ROW(0xE0), ROW(0xE8), ROW(0xF0), ROW(0xF8),
#undef ROW
};

uint32_t sjisToUnicode(uint32_t sjis) {
    if (sjis == 0) return 0;
    if (sjis > 0xFFFF) return kUnicodeReplacement;
    return lookup().toUnicode[sjis];
}

uint32_t unicodeToSjis(uint32_t unicode) {
    if (unicode == 0) return 0;
    if (unicode > 0xFFFF) return kSjisReplacement;
    uint16_t c = lookup().toSjis[unicode];
    return c ? c : kSjisReplacement;
}

uint32_t decodeUtf8(const uint8_t* p) {
    uint8_t b0 = p[0];
    if (b0 < 0x80) return b0;
    if ((b0 & 0xE0) == 0xC0) return (b0 & 0x1Fu) << 6 | cont(p[1]);
    if ((b0 & 0xF0) == 0xE0) {
        uint8_t b1 = p[1];
        uint8_t b2 = b1 ? p[2] : 0;
        return (b0 & 0x0Fu) << 12 | cont(b1) << 6 | cont(b2);
    }
    return 0x20;
}

uint32_t decodeUtf8(const uint8_t* p, const uint8_t* end) {
    uint8_t b0 = p[0];
    uint8_t b1 = end - p > 1 ? p[1] : 0;
    uint8_t b2 = end - p > 2 ? p[2] : 0;
    if (b0 < 0x80) return b0;
    if ((b0 & 0xE0) == 0xC0) return (b0 & 0x1Fu) << 6 | cont(b1);
    if ((b0 & 0xF0) == 0xE0) return (b0 & 0x0Fu) << 12 | cont(b1) << 6 | cont(b2);
    return 0x20;
}

const uint8_t* nextUtf8(const uint8_t* p) {
    ++p;
    while ((*p & 0xC0) == 0x80) ++p;
    return p;
}

const uint8_t* nextUtf8(const uint8_t* p, const uint8_t* end) {
    ++p;
    while (p < end && (*p & 0xC0) == 0x80) ++p;
    return p;
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | cp >> 6));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | cp >> 12));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

namespace {

template <typename View>
size_t boundOf(const View& v, int max) {
    return (max < 0 || static_cast<size_t>(max) > v.size()) ? v.size() : static_cast<size_t>(max);
}

}  // namespace

void sjisToUtf8(std::string& out, std::string_view sjis, int max) {
    out.clear();
    const auto* p = reinterpret_cast<const uint8_t*>(sjis.data());
    const uint8_t* end = p + boundOf(sjis, max);
    out.reserve(static_cast<size_t>(end - p) * 3 / 2 + 1);
    const Lookup& t = lookup();
    // The program's text hot path: the character length is computed without a branch, each
    // character's UTF-8 bytes come packed from one table, and four bytes are always stored.
    char buf[1024];
    size_t n = 0;
    while (p < end && *p) {
        uint32_t c;
        if (end - p >= 2) {
            uint32_t two = t.lead[p[0]] & t.trail[p[1]];
            c = (uint32_t(p[0]) << (8 * two)) | (p[1] & (0u - two));
            p += 1 + two;
        } else {
            c = *p++;
        }
        uint32_t packed = t.toUtf8[c];
        le::store32(reinterpret_cast<uint8_t*>(buf + n), packed);
        n += packed >> 24;
        if (n > sizeof buf - 4) {
            out.append(buf, n);
            n = 0;
        }
    }
    out.append(buf, n);
}

void utf8ToSjis(std::string& out, std::string_view utf8, int max) {
    out.clear();
    const auto* p = reinterpret_cast<const uint8_t*>(utf8.data());
    const uint8_t* end = p + boundOf(utf8, max);
    out.reserve(static_cast<size_t>(end - p));
    while (p < end) {
        uint32_t cp = decodeUtf8(p, end);
        if (cp == 0) break;
        appendSjis(out, unicodeToSjis(cp));
        p = nextUtf8(p, end);
    }
}

void sjisToUtf16(std::u16string& out, std::string_view sjis, int max) {
    out.clear();
    const auto* p = reinterpret_cast<const uint8_t*>(sjis.data());
    const uint8_t* end = p + boundOf(sjis, max);
    out.reserve(static_cast<size_t>(end - p));
    while (p < end && *p) out.push_back(static_cast<char16_t>(sjisToUnicode(sjisNextChar(p, end))));
}

void utf16ToSjis(std::string& out, std::u16string_view utf16, int max) {
    out.clear();
    size_t n = boundOf(utf16, max);
    out.reserve(n * 2);
    for (size_t i = 0; i < n && utf16[i] != 0; ++i) appendSjis(out, unicodeToSjis(utf16[i]));
}

}  // namespace platform
