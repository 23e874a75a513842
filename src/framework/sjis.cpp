#include "framework/sjis.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const uint8_t* bytes(const char* s) { return reinterpret_cast<const uint8_t*>(s); }

// Length of the character at p in a terminated string: the terminator stops a double-byte read
// because 0 is never a valid trail byte.
inline int charLen(const uint8_t* p) { return (nsSJIS::isLead(p[0]) && nsSJIS::isTrail(p[1])) ? 2 : 1; }

inline uint32_t charAt(const uint8_t* p, int len) { return len == 2 ? (uint32_t(p[0]) << 8 | p[1]) : p[0]; }

size_t sjisLength(uint32_t code) { return code > 0xFF ? 2 : 1; }

// Writes a Shift-JIS code at dst[pos] when it fits before the terminator slot of a size-byte
// buffer; returns false (writing nothing) otherwise.
bool putSjis(char* dst, size_t size, size_t& pos, uint32_t code) {
    size_t len = sjisLength(code);
    if (pos + len + 1 > size) return false;
    if (len == 2) dst[pos++] = static_cast<char>((code >> 8) & 0xFF);
    dst[pos++] = static_cast<char>(code & 0xFF);
    return true;
}

int lowerAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// Full-width Shift-JIS codes of the half-width katakana 0xA1-0xDF, in byte order.
constexpr uint16_t kKanaZenkaku[63] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385,
    0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E, 0x8350, 0x8352,
    0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B,
    0x836C, 0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384,
    0x8386, 0x8388, 0x8389, 0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,
};

}  // namespace

// ---- conversions into buffers ----

char16_t* toUtf16(char16_t* dst, size_t dstSize, const char* sjis, int n) {
    if (dstSize == 0) return dst;
    size_t pos = 0;
    const uint8_t* p = bytes(sjis);
    const uint8_t* end = p + (n < 0 ? std::strlen(sjis) : static_cast<size_t>(n));
    while (p < end && *p && pos + 1 < dstSize)
        dst[pos++] = static_cast<char16_t>(sjisToUnicode(platform::sjisNextChar(p, end)));
    dst[pos] = 0;
    return dst;
}

char* utf16ToSjisBuf(char* dst, size_t dstSize, const char16_t* src, int n) {
    if (dstSize == 0) return dst;
    size_t pos = 0;
    for (int i = 0; (n < 0 || i < n) && src[i] != 0; ++i)
        if (!putSjis(dst, dstSize, pos, unicodeToSjis(src[i]))) break;
    dst[pos] = 0;
    return dst;
}

char* utf8ToSjisBuf(char* dst, size_t dstSize, const uint8_t* src, int n) {
    if (dstSize == 0) return dst;
    size_t pos = 0;
    const uint8_t* end = src + (n < 0 ? std::strlen(reinterpret_cast<const char*>(src)) : static_cast<size_t>(n));
    for (const uint8_t* p = src; p < end; p = nextUtf8(p, end)) {
        uint32_t cp = decodeUtf8(p, end);
        if (cp == 0 || !putSjis(dst, dstSize, pos, unicodeToSjis(cp))) break;
    }
    dst[pos] = 0;
    return dst;
}

// ---- conversions into strings ----

void sjisToWide(std::u16string& out, const std::string& sjis, int max) { platform::sjisToUtf16(out, sjis, max); }
void wideToSjis(std::string& out, const std::u16string& src, int max) { platform::utf16ToSjis(out, src, max); }
void sjisToUtf8(std::string& out, const std::string& sjis, int max) { platform::sjisToUtf8(out, sjis, max); }
void utf8ToSjis(std::string& out, const std::string& utf8, int max) { platform::utf8ToSjis(out, utf8, max); }

// ---- plain byte-string helpers ----

int strNLen(const char* s, int max) {
    int n = 0;
    while ((max < 0 || n < max) && s[n]) ++n;
    return n;
}

char* strCopy(char* dst, size_t size, const char* src) {
    if (size == 0) return dst;
    size_t n = strnlen(src, size - 1);
    std::memcpy(dst, src, n);
    dst[n] = 0;
    return dst;
}

char* strCat(char* dst, size_t size, const char* src) {
    size_t len = strnlen(dst, size);
    if (len < size) strCopy(dst + len, size - len, src);
    return dst;
}

int strCmp(const char* a, const char* b) {
    int r = std::strcmp(a, b);  // compares as unsigned char
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int strNCmp(const char* a, const char* b, size_t n) { return std::strncmp(a, b, n); }

int strICmp(const char* a, const char* b) { return strNICmp(a, b, static_cast<size_t>(-1)); }

int strNICmp(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        int ca = lowerAscii(static_cast<unsigned char>(a[i]));
        int cb = lowerAscii(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca - cb;
        if (ca == 0) break;
    }
    return 0;
}

long strToLong(const char* s, char** end, int base) { return std::strtol(s, end, base); }

int formatTo(char* buf, size_t size, const char* format, va_list args) {
    if (size == 0) return -1;
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(buf, size, format, args);
    if (n >= 0 && static_cast<size_t>(n) >= size) {
        // Cut: format the whole text once more and keep only whole characters that fit.
        std::string full(static_cast<size_t>(n) + 1, '\0');
        std::vsnprintf(full.data(), full.size(), format, again);
        nsSJIS::strNCopy(buf, full.c_str(), size);
        n = static_cast<int>(std::strlen(buf));
    }
    va_end(again);
    if (n < 0) buf[0] = 0;
    return n;
}

std::string formatStringV(const char* format, va_list args) {
    char buf[1024];
    int n = formatTo(buf, sizeof buf, format, args);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string formatString(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string s = formatStringV(format, args);
    va_end(args);
    return s;
}

// ---- Shift-JIS helpers ----

namespace nsSJIS {

bool isWholeChar(const uint8_t* p, const uint8_t* last) {
    if (p > last) return false;
    if (!isLead(p[0])) return true;
    if (p == last) return false;
    return isTrail(p[1]);
}

uint32_t getChar(const char* p) {
    const uint8_t* b = bytes(p);
    return charAt(b, charLen(b));
}

const char* next(const char* p) { return p + charLen(bytes(p)); }

int strChr(const char* s, uint32_t code) {
    const uint8_t* base = bytes(s);
    for (const uint8_t* p = base;;) {
        if (*p == 0) return code == 0 ? static_cast<int>(p - base) : -1;
        int len = charLen(p);
        if (charAt(p, len) == code) return static_cast<int>(p - base);
        p += len;
    }
}

int strRChr(const char* s, uint32_t code) {
    const uint8_t* base = bytes(s);
    int found = -1;
    for (const uint8_t* p = base;;) {
        if (*p == 0) return code == 0 ? static_cast<int>(p - base) : found;
        int len = charLen(p);
        if (charAt(p, len) == code) found = static_cast<int>(p - base);
        p += len;
    }
}

int strStr(const char* s, const char* sub) {
    const uint8_t* base = bytes(s);
    const uint8_t* want = bytes(sub);
    if (*want == 0) return 0;
    for (const uint8_t* start = base; *start; start += charLen(start)) {
        const uint8_t* a = start;
        const uint8_t* b = want;
        for (;;) {
            if (*b == 0) return static_cast<int>(start - base);
            if (*a == 0) return -1;  // s ran out: no later start can match either
            int la = charLen(a), lb = charLen(b);
            if (charAt(a, la) != charAt(b, lb)) break;
            a += la;
            b += lb;
        }
    }
    return -1;
}

int strCharCount(const char* s, int max) {
    int count = 0;
    for (const uint8_t* p = bytes(s); *p && (max < 0 || count < max); p += charLen(p)) ++count;
    return count;
}

char* strNCopy(char* dst, const char* src, size_t size) {
    if (size == 0) return dst;
    size_t pos = 0;
    for (const uint8_t* p = bytes(src); *p;) {
        int len = charLen(p);
        if (pos + static_cast<size_t>(len) + 1 > size) break;
        std::memcpy(dst + pos, p, static_cast<size_t>(len));
        pos += static_cast<size_t>(len);
        p += len;
    }
    dst[pos] = 0;
    return dst;
}

char* strCatChar(char* buf, size_t size, uint32_t code) {
    size_t pos = strnlen(buf, size);
    if (pos < size && putSjis(buf, size, pos, code)) buf[pos] = 0;
    return buf;
}

std::string replaceFirst(const std::string& s, const std::string& find, const std::string& repl) {
    int at = strStr(s.c_str(), find.c_str());
    if (at < 0) return s;
    std::string r = s;
    r.replace(static_cast<size_t>(at), find.size(), repl);
    return r;
}

uint32_t toZenkaku(uint32_t c) {
    if (c >= 0x20 && c <= 0x7E) {
        switch (c) {
            case 0x20:
                return 0x8140;
            case 0x22:
                return 0x8168;
            case 0x27:
                return 0x8166;
            case 0x5C:
                return 0x818F;
            case 0x7E:
                return 0x8150;
            default:
                return unicodeToSjis(0xFF01 + (c - 0x21));
        }
    }
    if (c >= 0xA1 && c <= 0xDF) return kKanaZenkaku[c - 0xA1];
    return c;
}

char* strToZenkaku(char* dst, size_t size, const char* src) {
    if (size == 0) return dst;
    size_t pos = 0;
    for (const uint8_t* p = bytes(src); *p;) {
        int len = charLen(p);
        uint32_t c = charAt(p, len);
        if (!putSjis(dst, size, pos, len == 1 ? toZenkaku(c) : c)) break;
        p += len;
    }
    dst[pos] = 0;
    return dst;
}

char* mbCopy(char* dst, size_t size, const char* src) {
    // Code page 932 is the program's only code page, so its tests are the Shift-JIS rules.
    return strNCopy(dst, src, size);
}

std::string replaceChar(const std::string& s, uint32_t from, uint32_t to) {
    std::string r;
    r.reserve(s.size());
    const uint8_t* p = bytes(s.data());
    const uint8_t* end = p + s.size();
    while (p < end) {
        uint32_t c = platform::sjisNextChar(p, end);
        uint32_t out = c == from ? to : c;
        if (out > 0xFF && isLead(static_cast<uint8_t>(out >> 8)) && isTrail(static_cast<uint8_t>(out & 0xFF))) {
            r.push_back(static_cast<char>(out >> 8));
            r.push_back(static_cast<char>(out & 0xFF));
        } else {
            r.push_back(static_cast<char>(out & 0xFF));
        }
    }
    return r;
}

}  // namespace nsSJIS
