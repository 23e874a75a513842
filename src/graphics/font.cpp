#include "graphics/font.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "graphics/blitter.h"
#include "graphics/gr_obj.h"
#include "graphics/graphic.h"
#include "graphics/graphics_texts.h"
#include "graphics/surface32.h"
#include "graphics/surface8.h"
#include "platform/codepage.h"

namespace graphics {

namespace {

bool isLead(uint8_t b) { return platform::isSjisLead(b); }
bool isTrail(uint8_t b) { return platform::isSjisTrail(b); }

int32_t pitchFor(int32_t width, bool grey) { return grey ? (width + 3) / 4 * 4 : (width + 31) / 32 * 4; }

// The alpha of one of the 17 coverage levels.
uint8_t levelAlpha(uint8_t level) { return level == 0 ? 0 : level >= 16 ? 0xFF : static_cast<uint8_t>(16 * level - 1); }

}  // namespace

uint32_t sjisChar(const char* p) {
    const auto b = static_cast<uint8_t>(p[0]);
    if (isLead(b) && isTrail(static_cast<uint8_t>(p[1]))) return uint32_t(b) << 8 | static_cast<uint8_t>(p[1]);
    return b;
}

const char* sjisNext(const char* p) {
    const auto b = static_cast<uint8_t>(p[0]);
    return p + (isLead(b) && isTrail(static_cast<uint8_t>(p[1])) ? 2 : 1);
}

// ---- TFont --------------------------------------------------------------------------------------

TFont::TFont() : face_(texts::defaultFace()) {}

TFont::TFont(const TFont& o)
    : window_(o.window_),
      face_(o.face_),
      flags_(o.flags_),
      height_(o.height_),
      colour_(o.colour_),
      outlineColour_(o.outlineColour_),
      angle_(o.angle_) {}

TFont::~TFont() { release(); }

bool TFont::create() {
    platform::FontRequest r;
    r.face = face_;
    // Heights come from scripts and saves. No glyph taller than the screen is ever seen whole,
    // and one far taller costs a large part of a second and hundreds of MiB to draw with every
    // style, so the font is made no taller than the screen (the height asked for is kept).
    r.height = height_;
    if (const TGraphic* screen = graphic(); screen && screen->height() > 0)
        r.height = std::clamp(height_, -screen->height(), screen->height());
    r.weight = 400 + 300 * (((flags_ & kBold) ? 1 : 0) + ((flags_ & kExtraBold) ? 1 : 0));
    r.italic = (flags_ & kItalic) != 0;
    r.underline = (flags_ & kUnderline) != 0;
    r.strikeOut = (flags_ & kStrikeOut) != 0;
    font_ = platform::glyphProvider().createFont(r);
    return font_ != 0;
}

void TFont::release() {
    if (font_) platform::glyphProvider().deleteFont(font_);
    font_ = 0;
}

void TFont::setHeight(int32_t h) {
    height_ = h;
    release();
    create();
}

platform::TextMetrics TFont::metrics() const { return platform::glyphProvider().metrics(font_); }

SIZE measureText(const TFont& font, const std::string& text) {
    const int32_t h = font.metrics().height;
    int64_t width = 0;
    for (const char* p = text.c_str(); *p; p = sjisNext(p)) width += sjisChar(p) > 0xFF ? h : h / 2;
    int32_t ex = 0, ey = 0;
    if (font.flags() & TFont::kShadow) {
        ex = std::abs(font.shadowX()) + 1;
        ey = std::abs(font.shadowY()) + 1;
    }
    if (font.flags() & TFont::kOutline) {
        const int32_t o = 2 * font.outlineWidth() + 1;
        ex = std::max(ex, o);
        ey = std::max(ey, o);
    }
    return {RECT::saturate(width + ex), RECT::saturate(int64_t(h) + ey)};
}

POINT textOrigin(const TFont& font) {
    POINT o{0, 0};
    if (font.flags() & TFont::kShadow) {
        if (font.shadowX() < 0) o.x = -font.shadowX();
        if (font.shadowY() < 0) o.y = -font.shadowY();
    }
    if (font.flags() & TFont::kOutline) {
        if (o.x == 0) o.x = 1;
        if (o.y == 0) o.y = 1;
    }
    return o;
}

// ---- TTextOut -----------------------------------------------------------------------------------

void TTextOut::drawString(TTextOutTo& target, int32_t x, int32_t y, const std::string& text) {
    if (!font_) return;
    matrix_ = platform::GlyphMatrix{};
    if (font_->angle() != 0.0f) {
        const double a = font_->angle() * 3.14159265358979323846 / 180.0;
        const auto c = static_cast<int32_t>(std::cos(a) * 65536), s = static_cast<int32_t>(std::sin(a) * 65536);
        matrix_ = platform::GlyphMatrix{c, s, -s, c};
    }
    const platform::TextMetrics tm = font_->metrics();
    const bool grey = (font_->flags() & TFont::kGrey) != 0;
    int64_t pen = x;
    for (const char* p = text.c_str(); *p; p = sjisNext(p)) {
        const uint32_t code = sjisChar(p);
        const auto px = static_cast<int32_t>(std::clamp<int64_t>(pen, INT32_MIN / 2, INT32_MAX / 2));
        if (grey)
            renderGlyph(target, px, y, font_->handle(), code, tm.ascent);
        else
            renderGlyphMono(target, px, y, font_->handle(), code, tm.ascent);
        pen += code > 0xFF ? tm.height : tm.height / 2;
    }
}

void TTextOut::drawToAlphaCh(TAlphaCh& channel, int32_t x, int32_t y, TFont& font, const std::string& text,
                             uint32_t colour, uint32_t outlineColour, int32_t spread) {
    font_ = &font;
    colour_ = colour;
    outlineColour_ = outlineColour;
    TTextOutToAlphaCh target(*this, channel, spread);
    drawString(target, x, y, text);
}

void TTextOut::drawToSurface(TSurface32& surface, int32_t x, int32_t y, TFont& font, const std::string& text,
                             uint32_t colour, uint32_t outlineColour) {
    font_ = &font;
    colour_ = colour;
    outlineColour_ = outlineColour;
    TTextOutToSurface target(*this, surface);
    drawString(target, x, y, text);
}

void TTextOut::drawToAlphaCh(TAlphaCh& channel, int32_t x, int32_t y, TFont& font, const std::string& text) {
    drawToAlphaCh(channel, x, y, font, text, font.color(), font.outlineColor(), 0);
}

void TTextOut::drawToSurface(TSurface32& surface, int32_t x, int32_t y, TFont& font, const std::string& text) {
    drawToSurface(surface, x, y, font, text, font.color(), font.outlineColor());
}

bool TTextOut::fetch(platform::FontHandle font, uint32_t code, platform::GlyphFormat format,
                     platform::GlyphMetrics& gm) {
    platform::GlyphProvider& provider = platform::glyphProvider();
    const int32_t size = provider.glyph(font, code, format, matrix_, gm, nullptr, 0);
    if (size <= 0) return false;
    if (glyph_.size() < static_cast<size_t>(size)) glyph_.resize(static_cast<size_t>(size));
    if (provider.glyph(font, code, format, matrix_, gm, glyph_.data(), static_cast<uint32_t>(glyph_.size())) != size)
        return false;
    // A provider whose box does not fit the bytes it gave is not trusted with a draw.
    const bool grey = format == platform::GlyphFormat::Gray17;
    if (gm.blackBoxX == 0 || gm.blackBoxY == 0 || gm.blackBoxX > 0x4000 || gm.blackBoxY > 0x4000) return false;
    pitch_ = pitchFor(static_cast<int32_t>(gm.blackBoxX), grey);
    return int64_t(pitch_) * gm.blackBoxY <= size;
}

bool TTextOut::emboldens() const {
    return ((font_->flags() & TFont::kBold) ? 1 : 0) + ((font_->flags() & TFont::kExtraBold) ? 1 : 0) >= 1;
}

void TTextOut::renderGlyph(TTextOutTo& target, int32_t x, int32_t y, platform::FontHandle font, uint32_t code,
                           int32_t ascent) {
    grey_ = 1;
    platform::GlyphMetrics gm;
    if (!fetch(font, code, platform::GlyphFormat::Gray17, gm)) return;
    auto w = static_cast<int32_t>(gm.blackBoxX);
    const auto h = static_cast<int32_t>(gm.blackBoxY);
    if (font_ && emboldens()) {
        // The glyph composited over itself one pixel to the right: one pixel wider.
        const int32_t pitch = pitchFor(w + 1, true);
        spare_.assign(size_t(pitch) * h, 0);
        for (int32_t row = 0; row < h; ++row) {
            const uint8_t* s = glyph_.data() + size_t(row) * pitch_;
            uint8_t* d = spare_.data() + size_t(row) * pitch;
            for (int32_t i = 0; i < w; ++i) {
                const int32_t level = std::min<int32_t>(s[i], 16);
                if (level == 0) continue;
                for (int32_t j = i; j <= i + 1; ++j)
                    d[j] = static_cast<uint8_t>(d[j] == 0 ? level : ((16 - level) * d[j]) / 16 + level);
            }
        }
        glyph_.swap(spare_);
        pitch_ = pitch;
        ++w;
    }
    target.drawGlyph(x + gm.originX, y + ascent - gm.originY, w, h);
}

void TTextOut::renderGlyphMono(TTextOutTo& target, int32_t x, int32_t y, platform::FontHandle font, uint32_t code,
                               int32_t ascent) {
    grey_ = 0;
    platform::GlyphMetrics gm;
    if (!fetch(font, code, platform::GlyphFormat::Mono, gm)) return;
    auto w = static_cast<int32_t>(gm.blackBoxX);
    const auto h = static_cast<int32_t>(gm.blackBoxY);
    if (font_ && emboldens()) {
        const int32_t pitch = pitchFor(w + 1, false);
        spare_.assign(size_t(pitch) * h, 0);
        for (int32_t row = 0; row < h; ++row) {
            const uint8_t* s = glyph_.data() + size_t(row) * pitch_;
            uint8_t* d = spare_.data() + size_t(row) * pitch;
            uint8_t carry = 0;
            for (int32_t b = 0; b < pitch; ++b) {
                const uint8_t v = b < pitch_ ? s[b] : 0;
                d[b] = static_cast<uint8_t>(v | v >> 1 | carry);
                carry = static_cast<uint8_t>(v << 7);
            }
        }
        glyph_.swap(spare_);
        pitch_ = pitch;
        ++w;
    }
    target.drawGlyph(x + gm.originX, y + ascent - gm.originY, w, h);
}

// ---- targets ------------------------------------------------------------------------------------

void TTextOutToSurface::drawGlyph(int32_t x, int32_t y, int32_t w, int32_t h) {
    const TFont* font = out_.font();
    if (!font) return;
    const POINT o = textOrigin(*font);
    x += o.x;
    y += o.y;
    if (font->flags() & TFont::kShadow) blitGlyph(x + font->shadowX(), y + font->shadowY(), w, h, out_.outlineColour());
    if (font->flags() & TFont::kOutline) {
        blitGlyph(x - 1, y, w, h, out_.outlineColour());
        blitGlyph(x + 1, y, w, h, out_.outlineColour());
        blitGlyph(x, y - 1, w, h, out_.outlineColour());
        blitGlyph(x, y + 1, w, h, out_.outlineColour());
    }
    blitGlyph(x, y, w, h, out_.colour());
}

void TTextOutToSurface::blitGlyph(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
    if (!surface_.pixels()) return;
    POINT dst{x, y};
    RECT src{0, 0, w, h};
    if (!clipBlit(surface_.drawableRect(), dst, src)) return;
    const uint8_t* glyph = out_.glyph();
    const int32_t pitch = out_.glyphPitch();
    uint32_t* d = surface_.row(dst.y) + dst.x;
    if (out_.grey()) {
        blitGlyph17(d, glyph + size_t(src.top) * pitch + src.left, src.width(), src.height(), surface_.pitch(), pitch,
                    colour);
        return;
    }
    // One bit a pixel: a box clipped on the left starts inside a byte.
    for (int32_t row = 0; row < src.height(); ++row) {
        const uint8_t* g = glyph + size_t(src.top + row) * pitch;
        uint32_t* line = surface_.row(dst.y + row) + dst.x;
        for (int32_t i = 0; i < src.width(); ++i) {
            const int32_t bit = src.left + i;
            if ((g[bit >> 3] >> (7 - (bit & 7))) & 1) line[i] = colour;
        }
    }
}

void TTextOutToAlphaCh::drawGlyph(int32_t x, int32_t y, int32_t w, int32_t h) {
    if (!channel_.pixels()) return;
    const uint8_t* glyph = out_.glyph();
    const int32_t pitch = out_.glyphPitch();
    const bool grey = out_.grey();
    const RECT whole{0, 0, channel_.width(), channel_.height()};
    if (spread_ <= 0 || !grey) {
        POINT dst{x, y};
        RECT src{0, 0, w, h};
        if (!clipBlit(whole, dst, src)) return;
        for (int32_t row = 0; row < src.height(); ++row) {
            const uint8_t* g = glyph + size_t(src.top + row) * pitch;
            uint8_t* d = channel_.row(dst.y + row) + dst.x;
            for (int32_t i = 0; i < src.width(); ++i) {
                const int32_t c = src.left + i;
                if (grey)
                    d[i] = levelAlpha(g[c]);
                else if ((g[c >> 3] >> (7 - (c & 7))) & 1)
                    d[i] = 0xFF;
            }
        }
        return;
    }
    // Each covered pixel adds its value over the square around it; the square is cut at every
    // edge of the channel, so it never runs onto a neighbouring row.
    const int32_t n = std::min(spread_, 0x4000);
    for (int32_t row = 0; row < h; ++row) {
        const uint8_t* g = glyph + size_t(row) * pitch;
        for (int32_t col = 0; col < w; ++col) {
            const uint8_t v = levelAlpha(g[col]);
            if (v == 0) continue;
            const int64_t cx = int64_t(x) + col, cy = int64_t(y) + row;
            const auto top = static_cast<int32_t>(std::max<int64_t>(cy - n, 0));
            const auto bottom = static_cast<int32_t>(std::min<int64_t>(cy + n, whole.bottom - 1));
            const auto left = static_cast<int32_t>(std::max<int64_t>(cx - n, 0));
            const auto right = static_cast<int32_t>(std::min<int64_t>(cx + n, whole.right - 1));
            for (int32_t yy = top; yy <= bottom; ++yy) {
                uint8_t* d = channel_.row(yy);
                for (int32_t xx = left; xx <= right; ++xx) d[xx] = static_cast<uint8_t>(std::min(255, d[xx] + v));
            }
        }
    }
}

// ---- TAsciiFont ---------------------------------------------------------------------------------

bool TAsciiFont::create(TSurface32* surface, int32_t columns, int32_t rows, int32_t first, int32_t last) {
    if (!surface || columns <= 0 || rows <= 0) return false;
    surface_ = surface;
    cellWidth_ = surface->width() / columns;
    cellHeight_ = surface->height() / rows;
    // Only the characters 32 to 127 have glyphs.
    const int64_t from = std::max<int64_t>(0, 32 - int64_t(first));
    const int64_t to = std::min<int64_t>(int64_t(last) - first, 127 - int64_t(first));
    for (int64_t i = from; i <= to; ++i) {
        TSprite32& g = glyphs_[first + i - 32];
        g.setSurface(surface);
        const int64_t cx = int64_t(cellWidth_) * (i % columns), cy = int64_t(cellHeight_) * (i / columns);
        g.setSourceRect(RECT{RECT::saturate(cx), RECT::saturate(cy), RECT::saturate(cx + cellWidth_),
                             RECT::saturate(cy + cellHeight_)});
        g.setKind(g.getKind());
    }
    pitchX_ = cellWidth_;
    pitchY_ = cellHeight_;
    return true;
}

}  // namespace graphics
