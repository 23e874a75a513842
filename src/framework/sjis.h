#pragma once
// Shift-JIS text: conversions to and from Unicode, UTF-8 and UTF-16, the Shift-JIS-aware string
// helpers (nsSJIS), the half-width to full-width conversion used for display, and formatting.
//
// Walking rule used everywhere: a lead byte (0x81-0x9F, 0xE0-0xFC) followed by a valid trail byte
// (0x40-0x7E, 0x80-0xFC) is one double-byte character, code lead * 256 + trail; any other byte,
// including a lead byte without a valid trail, is a one-byte character. Code 0 ends a string.
//
// Every helper that writes into a caller's char buffer takes the buffer's size in bytes and never
// writes past it; the result is always terminated (a size of 0 writes nothing) and is cut at a
// whole character when the text does not fit.
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/codepage.h"

// The code conversions live in the platform layer, which needs them at its own edge.
using platform::appendUtf8;
using platform::decodeUtf8;
using platform::nextUtf8;
using platform::sjisToUnicode;
using platform::unicodeToSjis;

// Conversions into caller buffers. They stop at a terminator or after n source bytes (units for
// UTF-16; n < 0: no limit); dst is always terminated and receives only whole characters that fit
// in dstSize.
char16_t* toUtf16(char16_t* dst, size_t dstSize, const char* sjis, int n);
char* utf16ToSjisBuf(char* dst, size_t dstSize, const char16_t* src, int n);
char* utf8ToSjisBuf(char* dst, size_t dstSize, const uint8_t* src, int n);

// Conversions into strings; out is replaced. max counts source bytes (units for UTF-16), -1 = all.
void sjisToWide(std::u16string& out, const std::string& sjis, int max = -1);
void wideToSjis(std::string& out, const std::u16string& src, int max = -1);
void sjisToUtf8(std::string& out, const std::string& sjis, int max = -1);
void utf8ToSjis(std::string& out, const std::string& utf8, int max = -1);

// Plain byte-string helpers (no Shift-JIS rules).
int strNLen(const char* s, int max);
char* strCopy(char* dst, size_t size, const char* src);
char* strCat(char* dst, size_t size, const char* src);
int strCmp(const char* a, const char* b);  // -1, 0 or 1 by unsigned bytes
int strNCmp(const char* a, const char* b, size_t n);
int strICmp(const char* a, const char* b);  // ASCII case-insensitive
int strNICmp(const char* a, const char* b, size_t n);
long strToLong(const char* s, char** end, int base);  // as strtol; end may be null
// vsnprintf into buf of size bytes; returns the bytes written (the text is cut to fit), or -1.
int formatTo(char* buf, size_t size, const char* format, va_list args);

// printf-style formatting into a string of at most 1023 bytes (longer output is cut at a whole
// character); the empty string when formatting produced nothing or failed.
std::string formatString(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string formatStringV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

namespace nsSJIS {

constexpr bool isLead(uint8_t b) { return platform::isSjisLead(b); }
constexpr bool isTrail(uint8_t b) { return platform::isSjisTrail(b); }

// Whether a whole character starts at p within [p, last] (last is the last byte that may be read):
// false past last; true for a non-lead byte; false for a lead byte with nothing after it; else
// whether p[1] is a valid trail byte.
bool isWholeChar(const uint8_t* p, const uint8_t* last);
// The character at p of a terminated string (a lead byte before the terminator stands alone).
uint32_t getChar(const char* p);
// Past the character at p.
const char* next(const char* p);
inline char* next(char* p) { return const_cast<char*>(next(static_cast<const char*>(p))); }

// Byte offset of the first / last character equal to code, -1 if none (0 finds the terminator).
int strChr(const char* s, uint32_t code);
int strRChr(const char* s, uint32_t code);
// Byte offset of the first character start where sub matches; 0 for an empty sub; -1 if none.
int strStr(const char* s, const char* sub);
// Characters before the terminator, counting at most max (max < 0: no limit).
int strCharCount(const char* s, int max = -1);
// Whole characters of src into dst of size bytes: at most size - 1 bytes of text; always terminated.
char* strNCopy(char* dst, const char* src, size_t size);
// Appends one character at the terminator when it fits in size bytes with the terminator;
// otherwise buf is left unchanged.
char* strCatChar(char* buf, size_t size, uint32_t code);
// Appends a character: a double-byte code as lead then trail byte, anything else as its low byte.
inline void appendChar(std::string& s, uint32_t code) { platform::appendSjis(s, code); }
// s with the first strStr match of find replaced by repl (s itself when there is none).
std::string replaceFirst(const std::string& s, const std::string& find, const std::string& repl);

// Full-width form of printable ASCII and half-width katakana; any other code unchanged.
uint32_t toZenkaku(uint32_t c);
// src with every single-byte character widened, into dst of size bytes (twice the source length
// plus one always suffices).
char* strToZenkaku(char* dst, size_t size, const char* src);

// Copies src character by character under the code page's lead-byte test (bytes unchanged).
char* mbCopy(char* dst, size_t size, const char* src);
// s with every character equal to from replaced by to.
std::string replaceChar(const std::string& s, uint32_t from, uint32_t to);

using ::toUtf16;

}  // namespace nsSJIS
