#pragma once
// The markup of message text: Shift-JIS characters with "\" letters that switch attributes,
// move the pen, queue ruby and mark voices. A parse walks the bytes once and hands every
// character and markup to a target; whatever it cannot complete at the end of the bytes (a lone
// lead byte, a letter without its operand) it leaves unconsumed, to be read again whole once
// more text has arrived.
#include <cstddef>
#include <cstdint>
#include <string>

namespace present {

// What a parse reports, one call per character or markup. Colours arrive as written
// (0x00BBGGRR); 16-bit values sign-extended.
class MarkupTarget {
public:
    virtual ~MarkupTarget() = default;
    virtual void putChar(uint32_t code) = 0;
    virtual void newLine() = 0;
    virtual void pageMark() = 0;
    virtual void pushRuby(const std::string& text) = 0;
    virtual void setLetterSpacing(int32_t v) = 0;
    virtual void setLineHeight(int32_t v) = 0;
    virtual void setX(int32_t v) = 0;
    virtual void setY(int32_t v) = 0;
    virtual void setIndentHead(const std::string& text) = 0;
    virtual void setIndentTail(const std::string& text) = 0;
    virtual void setBold(bool on) = 0;
    virtual void setItalic(bool on) = 0;
    virtual void setShadow(bool on) = 0;
    virtual void setEdge(bool on) = 0;
    virtual void setUnderline(bool on) = 0;
    virtual void setAntialias(bool on) = 0;
    virtual void setColor(uint32_t bgr) = 0;
    virtual void setBkColor(uint32_t bgr) = 0;
    virtual void setFontSize(int32_t v) = 0;
    virtual void setFont(const std::string& face) = 0;
    virtual void addVoiceMark(const std::string& name) = 0;
    virtual void setTextInterval(int32_t v) = 0;
    virtual void setTextIntervalEnable(bool on) = 0;
    // After each character or markup: the offset just past it (from the start of the parse).
    virtual void parsed(size_t /*offset*/) {}
};

struct MarkupResult {
    int32_t placed = 0;   // characters handed to putChar
    size_t consumed = 0;  // bytes read whole
};

MarkupResult parseMarkup(const uint8_t* bytes, size_t length, MarkupTarget& target);
inline MarkupResult parseMarkup(const std::string& text, MarkupTarget& target) {
    return parseMarkup(reinterpret_cast<const uint8_t*>(text.data()), text.size(), target);
}

// The byte length of the whole character at p (1 or 2), or 0 when none is left before end.
size_t charLength(const uint8_t* p, const uint8_t* end);
// The character code at p (lead x 256 + trail, or the byte); p holds a whole character.
uint32_t charCode(const uint8_t* p);
// Appends a character code as its bytes.
void appendChar(std::string& out, uint32_t code);
// Whether a Shift-JIS string holds the code as one of its characters.
bool containsChar(const std::string& sjis, uint32_t code);
// Characters of a Shift-JIS string (a double-byte character counts one; a lone lead byte too).
size_t countChars(const std::string& sjis);

}  // namespace present
