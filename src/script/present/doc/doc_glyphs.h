#pragma once
// How a message frame gets its characters drawn: a font as the frame describes it (face,
// height, style bits, colours) and a painter that makes the font and draws a string with it.
// The layout never asks the painter for sizes: cells follow from the attributes alone, so a
// page lays out the same with any painter.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/surface32.h"

namespace present {

struct DocFont {
    std::string face;  // Shift-JIS
    int32_t height = 24;
    uint32_t style = 0;  // TextAttr bits
    uint32_t color = 0xFFFFFFFF;
    uint32_t color2 = 0xFF1F1F1F;  // shadow and edge
    bool dirty = true;
    uintptr_t handle = 0;  // the painter's; 0 none

    // Each setter marks the font dirty only when the value really changes.
    void setFace(const std::string& f) { dirty |= f != face, face = f; }
    void setHeight(int32_t h) { dirty |= h != height, height = h; }
    void setStyle(uint32_t s) { dirty |= s != style, style = s; }
};

class GlyphPainter {
public:
    virtual ~GlyphPainter() = default;
    // Makes the font's handle from its face, height and style; clears dirty.
    virtual void create(DocFont& font) = 0;
    virtual void release(DocFont& font) = 0;
    // Draws a Shift-JIS string with its top-left cell corner at (x, y), with the shadow and edge
    // the style asks for.
    virtual void drawText(graphics::TSurface32& surface, int32_t x, int32_t y, const std::string& text,
                          const DocFont& font) = 0;
};

// A painter whose every glyph is a solid block filling its cell less one pixel all round: a
// double-byte character a square of the font height, any other a half-width one. What it drew
// stays listed, so a test can read where each character went.
class FixedCellPainter : public GlyphPainter {
public:
    struct Drawn {
        int32_t x, y, height;
        std::string text;
        uint32_t color;
    };
    void create(DocFont& font) override;
    void release(DocFont& font) override { font.handle = 0; }
    void drawText(graphics::TSurface32& surface, int32_t x, int32_t y, const std::string& text,
                  const DocFont& font) override;

    std::vector<Drawn> drawn;
    int created = 0;

private:
    void blocks(graphics::TSurface32& s, int32_t x, int32_t y, const std::string& text, int32_t h, uint32_t c);
};

// The game's painter: the system's fonts (IPAGothic in place of the Windows faces) drawn by the
// glyph text renderer, shadow and edge included.
class FontPainter : public GlyphPainter {
public:
    FontPainter();
    ~FontPainter() override;
    void create(DocFont& font) override;
    void release(DocFont& font) override;
    void drawText(graphics::TSurface32& surface, int32_t x, int32_t y, const std::string& text,
                  const DocFont& font) override;

private:
    struct Fonts;
    std::unique_ptr<Fonts> fonts_;
};

// The painter frames use unless one is installed (nullptr restores the font painter).
GlyphPainter& glyphPainter();
void setGlyphPainter(GlyphPainter* painter);

}  // namespace present
