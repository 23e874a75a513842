#pragma once
// The text attributes every message frame carries (and remembers for the start of its page),
// the record of a symbol character, and the shadow colour rule.
#include <cstdint>
#include <string>

#include "graphics/surface8.h"

class TValueExchange;

namespace present {

// The FontAttr bits.
namespace TextAttr {
constexpr uint32_t kBold = 0x01;
constexpr uint32_t kItalic = 0x02;
constexpr uint32_t kUnderline = 0x04;
constexpr uint32_t kEdge = 0x10;
constexpr uint32_t kShadow = 0x20;
constexpr uint32_t kHeavy = 0x100;
constexpr uint32_t kAntialias = 0x200;
constexpr uint32_t kDefault = kShadow | kAntialias;
}  // namespace TextAttr

// A light shadow for dark text, a dark one otherwise; the alpha byte is kept.
uint32_t getShadowColor(uint32_t argb);

// 0x00BBGGRR (as markup and scripts write it) to opaque 0xFFRRGGBB.
constexpr uint32_t bgrToArgb(uint32_t bgr) {
    return 0xFF000000u | ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

// a + b held to the 32-bit range: pens driven by extreme sizes stop at the edge of the range
// instead of wrapping.
constexpr int32_t addClamped(int64_t a, int64_t b) {
    const int64_t v = a + b;
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}

class TG2DocAttr {
public:
    TG2DocAttr() { TG2DocAttr::reset(); }
    TG2DocAttr(const TG2DocAttr&) = default;
    TG2DocAttr& operator=(const TG2DocAttr&) = default;
    virtual ~TG2DocAttr() = default;

    virtual uint32_t getFontAttr() const { return fontAttr; }
    virtual uint32_t testFontAttr(uint32_t mask) const { return fontAttr & mask; }
    virtual void setFontAttrBits(uint32_t mask, bool on) { fontAttr = on ? fontAttr | mask : fontAttr & ~mask; }
    virtual void setFontAttr(uint32_t value) { fontAttr = value; }
    // False only while every field is what reset gives.
    virtual bool isModified() const;
    virtual void reset();
    // All fifteen fields.
    virtual void copyFrom(const TG2DocAttr& other) { TG2DocAttr::operator=(other); }
    // Section "gDocAttr"; positions, spacings and indents travel as 16-bit values.
    virtual void exchange(TValueExchange& x);

    // FontSize x min(LH - 100, 50) / 100: the top margin of a page and the height of ruby text.
    int32_t leading() const;
    // FontSize x LS / 100, and FontSize x LH / 100 (truncated toward zero).
    int32_t fullCell() const;
    int32_t lineAdvance() const;

    int32_t x = 0;
    int32_t y = 0;
    int32_t ls = 100;
    int32_t lh = 140;
    int32_t indentLeft = 0;
    int32_t indentRight = 0;
    int32_t indent1st = 0;
    std::string font;  // empty: the settings' face
    uint32_t fontAttr = TextAttr::kDefault;
    int32_t fontSize = 24;
    uint32_t color = 0xFFFFFFFF;
    uint32_t bkCol = 0xFF070707;
    std::string indentHead;
    std::string indentTail;
    int32_t indent = 0;
};

// One registered symbol: the character code (lead x 256 + trail, or the single byte) and the
// alpha channel drawn in its place. The document gives the channel back to the bank.
struct TSymbolStyle {
    virtual ~TSymbolStyle() = default;
    uint32_t code = 0;
    graphics::TAlphaCh* alphaCh = nullptr;
};

}  // namespace present
