#pragma once
// Glyphs as the system's glyph call hands them out: fonts made from a face name (Shift-JIS),
// a cell height, a weight and styles; text metrics; and per character a black box with its
// origin, rasterised as 17 coverage levels (0-16, one byte a pixel) or one bit a pixel, rows
// padded to 4 bytes, through a 2 x 2 transform. The real provider is FreeType with fontconfig
// (Windows face names map to IPAGothic); tests may install their own.
#include <cstdint>
#include <string>

namespace platform {

using FontHandle = uintptr_t;  // 0: none

struct FontRequest {
    std::string face;    // Shift-JIS
    int32_t height = 0;  // > 0 the cell height in pixels, < 0 the character height, 0 a default
    int32_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

struct TextMetrics {
    int32_t height = 0;
    int32_t ascent = 0;
    int32_t descent = 0;
};

enum class GlyphFormat { Mono, Gray17 };

struct GlyphMetrics {
    uint32_t blackBoxX = 0;
    uint32_t blackBoxY = 0;
    int32_t originX = 0;  // left of the black box from the pen
    int32_t originY = 0;  // top of the black box above the baseline
    int16_t cellIncX = 0;
    int16_t cellIncY = 0;
};

// 16.16 fixed point: x' = m11 x + m21 y, y' = m12 x + m22 y.
struct GlyphMatrix {
    int32_t m11 = 0x10000, m12 = 0, m21 = 0, m22 = 0x10000;
};

class GlyphProvider {
public:
    virtual ~GlyphProvider() = default;
    // A new handle (never one handed out before), or 0 when no face can be found.
    virtual FontHandle createFont(const FontRequest& request) = 0;
    virtual void deleteFont(FontHandle font) = 0;
    // Handle 0 measures the default font.
    virtual TextMetrics metrics(FontHandle font) = 0;
    // The byte size of the glyph of a Shift-JIS code, its metrics filled in; with a buffer of
    // at least that size the bitmap is written into it. -1 on failure; 0 for a glyph with no
    // pixels.
    virtual int32_t glyph(FontHandle font, uint32_t code, GlyphFormat format, const GlyphMatrix& matrix,
                          GlyphMetrics& metrics, void* buffer, uint32_t size) = 0;
};

// The installed provider, else the FreeType one.
GlyphProvider& glyphProvider();
// Installs p (nullptr restores the FreeType provider); the caller keeps p alive while installed.
void setGlyphProvider(GlyphProvider* p);

// The file fontconfig gives for a face name (the Windows names mapped); empty when none.
std::string fontFileFor(const std::string& sjisFace);

// Whether the font fontconfig gives for a face name has the characters of Japanese text (false
// when it gives none at all), and the family it was asked for (UTF-8).
struct TextFontCheck {
    bool showsJapanese = false;
    std::string family;
};
TextFontCheck checkTextFont(const std::string& sjisFace);

}  // namespace platform
