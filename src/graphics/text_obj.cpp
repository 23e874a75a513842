#include "graphics/text_obj.h"

#include <cstdio>

#include "graphics/surface32.h"

namespace graphics {

// ---- TTextSprite --------------------------------------------------------------------------------

TTextSprite::TTextSprite(const TTextSprite& o)
    : TTextOut(), TSprite32(o), font_(o.font_), colour_(o.colour_), outlineColour_(o.outlineColour_), text_(o.text_) {
    // The picture is the other's until this one renders its own.
    TSprite32::setSurface(nullptr);
    setKind(o.getKind() & ~(sprite_flag::kColorKey | sprite_flag::kSourceAlpha));
    setModulate(o.getModulate());
}

TTextSprite::~TTextSprite() = default;

void TTextSprite::setFont(TFont* font) {
    if (font == font_) return;
    font_ = font;
    if (font) {
        colour_ = font->color();
        outlineColour_ = font->outlineColor();
    }
    dirty_ = 1;
}

void TTextSprite::setColor(uint32_t c) {
    if (c == colour_) return;
    colour_ = c;
    dirty_ = 1;
}

void TTextSprite::setColors(uint32_t c, uint32_t outline) {
    setColor(c);
    setOutlineColor(outline);
}

void TTextSprite::setOutlineColor(uint32_t c) {
    if (c == outlineColour_) return;
    outlineColour_ = c;
    dirty_ = 1;
}

void TTextSprite::setText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    dirty_ = 1;
}

void TTextSprite::assignText(const TTextSprite& o) {
    font_ = o.font_;
    colour_ = o.colour_;
    outlineColour_ = o.outlineColour_;
    text_ = o.text_;
    dirty_ = o.dirty_ | (seen_ != (o.font_ ? o.font_->handle() : 0));
    render();
}

void TTextSprite::render() {
    if (!font_) return;
    if (font_->changed()) {
        font_->setChanged(false);
        font_->release();
        font_->create();
    }
    if (!dirty_ && seen_ == font_->handle()) return;
    seen_ = font_->handle();
    const SIZE size = measureText(*font_, text_);
    if (!surface_ || surface_->width() != size.cx || surface_->height() != size.cy) {
        TSprite32::setSurface(nullptr);
        surface_ = std::make_unique<TSurface32>();
        if (!surface_->createFilled(size.cx, size.cy, 0)) {
            surface_.reset();
            dirty_ = 0;
            return;
        }
        surface_->setHasAlpha(true);
        TSprite32::setSurface(surface_.get());
    } else {
        surface_->fill(0);
    }
    drawToSurface(*surface_, 0, 0, *font_, text_, colour_, outlineColour_);
    resetSourceRect();
    dirty_ = 0;
    ++renders_;
}

// ---- TTextObj -----------------------------------------------------------------------------------

void TTextObj::setPosAround(int32_t x, int32_t y, int32_t ax, int32_t ay) {
    render();
    TGrObj::setPosAround(x, y, ax, ay);
}

void TTextObj::setPosIn(int32_t x, int32_t y, const RECT& r) {
    render();
    TGrObj::setPosIn(x, y, r);
}

void TTextObj::setPosOnScreen(int32_t x, int32_t y) {
    render();
    TGrObj::setPosOnScreen(x, y);
}

void TTextObj::draw(TSurface32& target) {
    render();
    TSprite32::draw(target, x_, y_);
}

bool TTextObj::isSameType(const TGrObj& other) const {
    const auto* o = dynamic_cast<const TTextObj*>(&other);
    return o && getTypeId() == o->getTypeId() && getText() == o->getText() && getColor() == o->getColor() &&
           getOutlineColor() == o->getOutlineColor() && getFont() == o->getFont();
}

// ---- TAsciiObj ----------------------------------------------------------------------------------

SIZE TAsciiObj::getSize() const {
    if (!font_ || text_.empty()) return {0, 0};
    const int64_t n = static_cast<int64_t>(text_.size());
    const SIZE cell = font_->getCellSize();
    const POINT pitch = font_->getPitch();
    return {RECT::saturate((n - 1) * pitch.x + cell.cx), RECT::saturate((n - 1) * pitch.y + cell.cy)};
}

void TAsciiObj::draw(TSurface32& target) {
    if (!isVisible() || !font_) return;
    const POINT pitch = font_->getPitch();
    const auto n = static_cast<int64_t>(text_.size());
    int64_t x = x_, y = y_;
    if (direction_ == 1) x -= pitch.x * n;
    if (direction_ == 3) y -= pitch.y * n;
    for (const char ch : text_) {
        const int32_t g = static_cast<signed char>(ch) - 32;
        if (TSprite32* glyph = font_->getGlyph(g)) {
            glyph->setOpacity(static_cast<uint32_t>(alpha_));
            glyph->draw(target, RECT::saturate(x), RECT::saturate(y));
        }
        if (direction_ == 0 || direction_ == 1)
            x += pitch.x;
        else
            y += pitch.y;
    }
}

void TNumObj::setNumber(int32_t value, const char* format) {
    const char* f = format ? format : "%d";
    // The table sets its numbers every frame, nearly always to what they show already.
    if (hasWritten_ && value == value_ && format_ == f && getText() == written_) return;
    char buf[64];
    const int n = std::snprintf(buf, sizeof buf, f, value);
    setText(n < 0 ? std::string() : std::string(buf, std::min<size_t>(static_cast<size_t>(n), sizeof buf - 1)));
    value_ = value;
    format_ = f;
    written_ = getText();
    hasWritten_ = true;
}

}  // namespace graphics
