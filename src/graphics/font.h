#pragma once
// Fonts and glyph text. TFont describes one font of the glyph provider (face, cell height,
// styles, colours); TTextOut walks a Shift-JIS string and rasterises each glyph into a target:
// a 32-bit surface (with shadow and outline) or an 8-bit alpha channel (with an optional
// spread). Every glyph advances by the full cell height for a double-byte character and half of
// it for any other. TAsciiFont is a bitmap font of 96 fixed cells cut from one image.
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/rect.h"
#include "graphics/sprite.h"
#include "platform/glyph_provider.h"

namespace graphics {

class TSurface32;
class TAlphaCh;
class TTextOut;

// The character at p (a lead byte followed by a trail byte is one double-byte code) and the
// position past it; p must point into a zero-terminated string.
uint32_t sjisChar(const char* p);
const char* sjisNext(const char* p);

class TFont {
public:
    enum Style : uint32_t {
        kBold = 1,
        kItalic = 2,
        kUnderline = 4,
        kStrikeOut = 8,
        kOutline = 0x10,
        kShadow = 0x20,
        kExtraBold = 0x100,
        kGrey = 0x200,
    };

    TFont();
    // Description and colours; a font of its own is made when needed.
    TFont(const TFont& other);
    TFont& operator=(const TFont&) = delete;
    virtual ~TFont();

    // Makes the provider's font (a new handle each time), no taller than the screen object
    // while there is one; false when none could be made.
    bool create();
    void release();
    void setHeight(int32_t h);

    platform::FontHandle handle() const { return font_; }
    bool changed() const { return changed_ != 0; }
    void setChanged(bool on) { changed_ = on ? 1 : 0; }
    // Description setters mark the font to be made again before its next use.
    void setFace(const std::string& face) { face_ = face, changed_ = 1; }
    void setFlags(uint32_t flags) { flags_ = flags, changed_ = 1; }
    void setAngle(float angle) { angle_ = angle; }
    void setColor(uint32_t c) { colour_ = c; }
    void setOutlineColor(uint32_t c) { outlineColour_ = c; }
    void setOutlineWidth(int32_t w) { outlineWidth_ = w; }
    void setShadowOffset(int32_t x, int32_t y) { shadowX_ = x, shadowY_ = y; }
    void setWindow(void* window) { window_ = window; }

    const std::string& face() const { return face_; }
    uint32_t flags() const { return flags_; }
    int32_t height() const { return height_; }
    uint32_t color() const { return colour_; }
    uint32_t outlineColor() const { return outlineColour_; }
    float angle() const { return angle_; }
    int32_t outlineWidth() const { return outlineWidth_; }
    int32_t shadowX() const { return shadowX_; }
    int32_t shadowY() const { return shadowY_; }
    void* window() const { return window_; }
    // The provider's metrics of the font (the default font while none is made).
    platform::TextMetrics metrics() const;

private:
    void* window_ = nullptr;
    uint8_t changed_ = 1;
    platform::FontHandle font_ = 0;
    std::string face_;
    uint32_t flags_ = kGrey;
    int32_t height_ = 24;
    uint32_t colour_ = 0xFFFFFFFFu;
    uint32_t outlineColour_ = 0xFF1F1F1Fu;
    float angle_ = 0.0f;
    int32_t outlineWidth_ = 1;
    int32_t shadowX_ = 2;
    int32_t shadowY_ = 2;
};

// The pixel size the text takes with the font, shadow and outline included.
SIZE measureText(const TFont& font, const std::string& text);
// Where inside the measured box the glyphs start.
POINT textOrigin(const TFont& font);

// Where the glyphs go: made for one string.
class TTextOutTo {
public:
    explicit TTextOutTo(TTextOut& out) : out_(out) {}
    virtual ~TTextOutTo() = default;
    // The glyph now in the driver's buffer, its box at (x, y) of size w x h.
    virtual void drawGlyph(int32_t x, int32_t y, int32_t w, int32_t h) = 0;
    virtual void blitGlyph(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) = 0;

protected:
    TTextOut& out_;
};

class TTextOutToSurface : public TTextOutTo {
public:
    TTextOutToSurface(TTextOut& out, TSurface32& surface) : TTextOutTo(out), surface_(surface) {}
    // Shadow, then the outline's four neighbours, then the glyph itself.
    void drawGlyph(int32_t x, int32_t y, int32_t w, int32_t h) override;
    // Clipped to the surface's clip rectangle.
    void blitGlyph(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) override;

private:
    TSurface32& surface_;
};

class TTextOutToAlphaCh : public TTextOutTo {
public:
    TTextOutToAlphaCh(TTextOut& out, TAlphaCh& channel, int32_t spread)
        : TTextOutTo(out), channel_(channel), spread_(spread) {}
    // Coverage as alpha (replacing); with a spread each grey pixel adds its value to the square
    // of that radius around it, within the channel.
    void drawGlyph(int32_t x, int32_t y, int32_t w, int32_t h) override;
    void blitGlyph(int32_t, int32_t, int32_t, int32_t, uint32_t) override {}

private:
    TAlphaCh& channel_;
    int32_t spread_;
};

class TTextOut {
public:
    TTextOut() = default;
    TTextOut(const TTextOut&) {}
    TTextOut& operator=(const TTextOut&) { return *this; }
    virtual ~TTextOut() = default;

    virtual void drawString(TTextOutTo& target, int32_t x, int32_t y, const std::string& text);
    virtual void drawToAlphaCh(TAlphaCh& channel, int32_t x, int32_t y, TFont& font, const std::string& text,
                               uint32_t colour, uint32_t outlineColour, int32_t spread);
    virtual void drawToSurface(TSurface32& surface, int32_t x, int32_t y, TFont& font, const std::string& text,
                               uint32_t colour, uint32_t outlineColour);
    virtual void drawToAlphaCh(TAlphaCh& channel, int32_t x, int32_t y, TFont& font, const std::string& text);
    virtual void drawToSurface(TSurface32& surface, int32_t x, int32_t y, TFont& font, const std::string& text);
    // One glyph with its pen at (x, y) and the baseline ascent below y.
    virtual void renderGlyph(TTextOutTo& target, int32_t x, int32_t y, platform::FontHandle font, uint32_t code,
                             int32_t ascent);
    virtual void renderGlyphMono(TTextOutTo& target, int32_t x, int32_t y, platform::FontHandle font, uint32_t code,
                                 int32_t ascent);

    // The glyph just rendered: grey levels 0-16 a byte, or one bit a pixel.
    bool grey() const { return grey_ != 0; }
    const uint8_t* glyph() const { return glyph_.data(); }
    int32_t glyphPitch() const { return pitch_; }
    TFont* font() const { return font_; }
    uint32_t colour() const { return colour_; }
    uint32_t outlineColour() const { return outlineColour_; }

private:
    bool fetch(platform::FontHandle font, uint32_t code, platform::GlyphFormat format, platform::GlyphMetrics& gm);
    bool emboldens() const;

    uint8_t grey_ = 0;
    std::vector<uint8_t> glyph_;
    std::vector<uint8_t> spare_;
    int32_t pitch_ = 0;
    platform::GlyphMatrix matrix_;
    TFont* font_ = nullptr;
    uint32_t colour_ = 0xFFFFFFFFu;
    uint32_t outlineColour_ = 0xFF000000u;
};

class TAsciiFont {
public:
    TAsciiFont() = default;
    virtual ~TAsciiFont() = default;

    SIZE getCellSize() const { return {cellWidth_, cellHeight_}; }
    POINT getPitch() const { return {pitchX_, pitchY_}; }
    void setPitch(int32_t x, int32_t y) { pitchX_ = x, pitchY_ = y; }
    TSurface32* getSurface() const { return surface_; }
    // Sprite i draws character 32 + i; null outside 0-95.
    TSprite32* getGlyph(int32_t i) { return i >= 0 && i < 96 ? &glyphs_[i] : nullptr; }
    // Cuts the cells of a columns x rows grid (read row by row) for the characters first to
    // last; false for an empty grid or no surface.
    bool create(TSurface32* surface, int32_t columns, int32_t rows, int32_t first, int32_t last);

private:
    TSurface32* surface_ = nullptr;
    int32_t cellWidth_ = 0, cellHeight_ = 0;
    int32_t pitchX_ = 0, pitchY_ = 0;
    TSprite32 glyphs_[96];
};

}  // namespace graphics
