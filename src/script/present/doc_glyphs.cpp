#include "script/present/doc_glyphs.h"

#include "script/present/doc_attr.h"
#include "script/present/doc_markup.h"

namespace present {

void FixedCellPainter::create(DocFont& font) {
    font.handle = static_cast<uintptr_t>(++created);
    font.dirty = false;
}

void FixedCellPainter::blocks(graphics::TSurface32& s, int32_t x, int32_t y, const std::string& text, int32_t h,
                              uint32_t c) {
    const auto* p = reinterpret_cast<const uint8_t*>(text.data());
    const uint8_t* end = p + text.size();
    while (p < end) {
        size_t n = charLength(p, end);
        if (n == 0) break;
        int32_t w = n == 2 ? h : h / 2;
        if (!(n == 1 && *p == ' ') && w > 2 && h > 2) s.fillRect(x + 1, y + 1, x + w - 1, y + h - 1, c);
        x += w;
        p += n;
    }
}

void FixedCellPainter::drawText(graphics::TSurface32& surface, int32_t x, int32_t y, const std::string& text,
                                const DocFont& font) {
    drawn.push_back({x, y, font.height, text, font.color});
    if (font.style & TextAttr::kShadow) blocks(surface, x + 2, y + 2, text, font.height, font.color2);
    if (font.style & TextAttr::kEdge) {
        blocks(surface, x - 1, y, text, font.height, font.color2);
        blocks(surface, x + 1, y, text, font.height, font.color2);
        blocks(surface, x, y - 1, text, font.height, font.color2);
        blocks(surface, x, y + 1, text, font.height, font.color2);
    }
    blocks(surface, x, y, text, font.height, font.color);
}

namespace {
GlyphPainter* installed = nullptr;
}

GlyphPainter& glyphPainter() {
    static FixedCellPainter fallback;
    return installed ? *installed : fallback;
}

void setGlyphPainter(GlyphPainter* painter) { installed = painter; }

}  // namespace present
