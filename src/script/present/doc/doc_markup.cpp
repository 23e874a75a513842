#include "script/present/doc/doc_markup.h"

namespace present {

namespace {

constexpr bool isLead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool isTrail(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Reads one operand form at a time; every reader returns false (and moves nothing) when the
// operand is not whole before the end.
class Reader {
public:
    Reader(const uint8_t* p, const uint8_t* end) : p_(p), end_(end) {}
    const uint8_t* pos() const { return p_; }

    // The character after the letter is skipped; the operand runs to the first ")".
    bool bracketText(std::string& out) {
        const uint8_t* q = p_;
        size_t n = charLength(q, end_);
        if (n == 0) return false;
        q += n;
        const uint8_t* start = q;
        while (q < end_) {
            n = charLength(q, end_);
            if (n == 0) return false;
            if (n == 1 && *q == ')') {
                out.assign(reinterpret_cast<const char*>(start), q - start);
                p_ = q + 1;
                return true;
            }
            q += n;
        }
        return false;
    }
    // "(" then a number up to ")"; the number stops at its first non-digit.
    bool bracketNumber(int base, uint32_t& out) {
        std::string text;
        if (!bracketText(text)) return false;
        size_t i = 0;
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        bool negative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
        uint32_t v = 0;
        for (; i < text.size(); ++i) {
            int d = digit(static_cast<uint8_t>(text[i]));
            if (d < 0 || d >= base) break;
            v = v * static_cast<uint32_t>(base) + static_cast<uint32_t>(d);
        }
        out = negative ? 0u - v : v;
        return true;
    }
    bool raw(size_t n, uint32_t& out) {
        if (static_cast<size_t>(end_ - p_) < n) return false;
        out = 0;
        for (size_t i = 0; i < n; ++i) out |= uint32_t(p_[i]) << (8 * i);
        p_ += n;
        return true;
    }
    bool colon(size_t n, uint32_t& out) {
        if (p_ >= end_) return false;
        Reader after(p_ + 1, end_);
        if (!after.raw(n, out)) return false;
        p_ = after.p_;
        return true;
    }
    bool atByte(uint8_t b) const { return p_ < end_ && *p_ == b; }
    bool atEnd() const { return p_ >= end_; }

private:
    static int digit(uint8_t c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }
    const uint8_t* p_;
    const uint8_t* end_;
};

int32_t sext16(uint32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

enum class Step { Done, Incomplete };

// Number forms: "(" bracketed, ":" colon, else raw (when allowed) or no effect.
enum class NumberForms { BracketColonRaw, BracketColon, Raw };

// The markup after "\" and its letter; r stands after the letter.
Step markup(uint8_t letter, Reader& r, MarkupTarget& t, int32_t& placed) {
    auto number = [&](NumberForms forms, int base, size_t bytes, uint32_t& v, bool& effect) -> bool {
        effect = true;
        if (forms == NumberForms::Raw) return r.raw(bytes, v);
        if (r.atEnd()) return false;
        if (r.atByte('(')) return r.bracketNumber(base, v);
        if (r.atByte(':')) return r.colon(bytes, v);
        if (forms == NumberForms::BracketColonRaw) return r.raw(bytes, v);
        effect = false;
        return true;
    };
    uint32_t v = 0;
    bool effect = true;
    std::string text;
    switch (letter) {
        case 'n':
            t.newLine();
            return Step::Done;
        case 'p':
            t.pageMark();
            return Step::Done;
        case '\\':
        case '"':
        case '\'':
            t.putChar(letter);
            ++placed;
            return Step::Done;
        case 'b':
        case 'B':
            t.setBold(letter == 'b');
            return Step::Done;
        case 'i':
        case 'I':
            t.setItalic(letter == 'i');
            return Step::Done;
        case 'u':
        case 'U':
            t.setUnderline(letter == 'u');
            return Step::Done;
        case 'g':
        case 'G':
            t.setEdge(letter == 'g');
            return Step::Done;
        case 'a':
        case 'A':
            t.setShadow(letter == 'a');
            return Step::Done;
        case 'l':
        case 'L':
            t.setAntialias(letter == 'l');
            return Step::Done;
        case 'q':
        case 'Q':
            t.setTextIntervalEnable(letter == 'Q');
            return Step::Done;
        case 'c':
        case 'k':
            if (!number(NumberForms::BracketColonRaw, 16, 4, v, effect)) return Step::Incomplete;
            letter == 'c' ? t.setColor(v) : t.setBkColor(v);
            return Step::Done;
        case 's':
            if (!number(NumberForms::BracketColonRaw, 10, 2, v, effect)) return Step::Incomplete;
            t.setFontSize(sext16(v));
            return Step::Done;
        case 'w':
        case 'h':
            if (!number(NumberForms::Raw, 10, 2, v, effect)) return Step::Incomplete;
            letter == 'w' ? t.setLetterSpacing(sext16(v)) : t.setLineHeight(sext16(v));
            return Step::Done;
        case 'x':
        case 'y':
        case 'm':
            if (!number(NumberForms::BracketColon, 10, 2, v, effect)) return Step::Incomplete;
            if (!effect) return Step::Done;
            if (letter == 'x')
                t.setX(sext16(v));
            else if (letter == 'y')
                t.setY(sext16(v));
            else
                t.setTextInterval(sext16(v));
            return Step::Done;
        case 't':
        case 'T':
        case 'f':
        case 'v':
        case 'r':
            if (!r.bracketText(text)) return Step::Incomplete;
            if (letter == 't')
                t.setIndentHead(text);
            else if (letter == 'T')
                t.setIndentTail(text);
            else if (letter == 'f') {
                if (!text.empty()) t.setFont(text);
            } else if (letter == 'v') {
                if (!text.empty()) t.addVoiceMark(text);
            } else {
                // Cut at each "-" (never a trail byte); the last piece only when not empty.
                const auto* b = reinterpret_cast<const uint8_t*>(text.data());
                const uint8_t* e = b + text.size();
                const uint8_t* start = b;
                for (const uint8_t* q = b; q < e;) {
                    size_t n = charLength(q, e);
                    if (n == 0) break;
                    if (n == 1 && *q == '-') {
                        t.pushRuby(std::string(reinterpret_cast<const char*>(start), q - start));
                        start = q + 1;
                    }
                    q += n;
                }
                if (start < e) t.pushRuby(std::string(reinterpret_cast<const char*>(start), e - start));
            }
            return Step::Done;
        default:
            return Step::Done;  // a letter nobody knows is dropped
    }
}

}  // namespace

size_t charLength(const uint8_t* p, const uint8_t* end) {
    if (p >= end) return 0;
    if (isLead(*p) && end - p >= 2 && isTrail(p[1])) return 2;
    if (isLead(*p) && end - p < 2) return 0;
    return 1;
}

uint32_t charCode(const uint8_t* p) {
    if (isLead(p[0]) && isTrail(p[1])) return uint32_t(p[0]) << 8 | p[1];
    return p[0];
}

void appendChar(std::string& out, uint32_t code) {
    if (code > 0xFF) out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
}

bool containsChar(const std::string& sjis, uint32_t code) {
    const auto* p = reinterpret_cast<const uint8_t*>(sjis.data());
    const uint8_t* end = p + sjis.size();
    while (p < end) {
        size_t n = charLength(p, end);
        if (n == 0) return false;
        if ((n == 2 ? charCode(p) : *p) == code) return true;
        p += n;
    }
    return false;
}

size_t countChars(const std::string& sjis) {
    const auto* p = reinterpret_cast<const uint8_t*>(sjis.data());
    const uint8_t* end = p + sjis.size();
    size_t count = 0;
    while (p < end) {
        size_t n = charLength(p, end);
        p += n == 0 ? 1 : n;
        ++count;
    }
    return count;
}

MarkupResult parseMarkup(const uint8_t* bytes, size_t length, MarkupTarget& target) {
    MarkupResult result;
    const uint8_t* p = bytes;
    const uint8_t* end = bytes + length;
    while (p < end) {
        size_t n = charLength(p, end);
        if (n == 0) break;
        if (n == 1 && *p == 0x0A) {
            target.newLine();
            p += 1;
        } else if (n == 1 && *p == '\\') {
            size_t m = charLength(p + 1, end);
            if (m == 0) break;
            Reader r(p + 1 + m, end);
            if (m == 2) {
                p = r.pos();  // a double-byte letter names nothing
            } else {
                if (markup(p[1], r, target, result.placed) == Step::Incomplete) break;
                p = r.pos();
            }
        } else {
            target.putChar(n == 2 ? charCode(p) : *p);
            ++result.placed;
            p += n;
        }
        result.consumed = static_cast<size_t>(p - bytes);
        target.parsed(result.consumed);
    }
    return result;
}

}  // namespace present
