#include "script/present/doc/doc_glyphs.h"

#include <map>

#include "graphics/font.h"
#include "script/present/doc/doc_attr.h"
#include "script/present/doc/doc_markup.h"

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
        const int32_t w = n == 2 ? h : h / 2;
        if (!(n == 1 && *p == ' ') && w > 2 && h > 2)
            s.fillRect(addClamped(x, 1), addClamped(y, 1), addClamped(x, w - 1), addClamped(y, int64_t(h) - 1), c);
        x = addClamped(x, w);
        p += n;
    }
}

void FixedCellPainter::drawText(graphics::TSurface32& surface, int32_t x, int32_t y, const std::string& text,
                                const DocFont& font) {
    drawn.push_back({x, y, font.height, text, font.color});
    if (font.style & TextAttr::kShadow)
        blocks(surface, addClamped(x, 2), addClamped(y, 2), text, font.height, font.color2);
    if (font.style & TextAttr::kEdge) {
        blocks(surface, addClamped(x, -1), y, text, font.height, font.color2);
        blocks(surface, addClamped(x, 1), y, text, font.height, font.color2);
        blocks(surface, x, addClamped(y, -1), text, font.height, font.color2);
        blocks(surface, x, addClamped(y, 1), text, font.height, font.color2);
    }
    blocks(surface, x, y, text, font.height, font.color);
}

// Each handle names a font of the provider with the description it was made from.
struct FontPainter::Fonts {
    std::map<uintptr_t, std::unique_ptr<graphics::TFont>> byHandle;
    graphics::TTextOut out;
    uintptr_t next = 1;
};

FontPainter::FontPainter() : fonts_(std::make_unique<Fonts>()) {}
FontPainter::~FontPainter() = default;

void FontPainter::create(DocFont& font) {
    release(font);
    auto f = std::make_unique<graphics::TFont>();
    f->setFace(font.face);
    f->setFlags(font.style);
    f->setHeight(font.height);  // makes the provider's font
    font.handle = fonts_->next++;
    fonts_->byHandle[font.handle] = std::move(f);
    font.dirty = false;
}

void FontPainter::release(DocFont& font) {
    if (font.handle) fonts_->byHandle.erase(font.handle);
    font.handle = 0;
}

void FontPainter::drawText(graphics::TSurface32& surface, int32_t x, int32_t y, const std::string& text,
                           const DocFont& font) {
    auto it = fonts_->byHandle.find(font.handle);
    if (it == fonts_->byHandle.end() || font.height <= 0) return;
    fonts_->out.drawToSurface(surface, x, y, *it->second, text, font.color, font.color2);
}

namespace {
GlyphPainter* installed = nullptr;
}

GlyphPainter& glyphPainter() {
    static FontPainter fallback;
    return installed ? *installed : fallback;
}

void setGlyphPainter(GlyphPainter* painter) { installed = painter; }

}  // namespace present
