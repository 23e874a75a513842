#pragma once
// Text on the screen: a sprite that renders a string with a font into a surface of its own,
// lazily (any change of font, colours or text renders again at the next draw or placement),
// the drawable text object on it, and strings of fixed-cell bitmap characters.
#include <cstdint>
#include <memory>
#include <string>

#include "graphics/font.h"
#include "graphics/gr_obj.h"
#include "graphics/sprite.h"

namespace graphics {

class TTextSprite : public TTextOut, public TSprite32 {
public:
    TTextSprite() = default;
    // The font, colours and text; the copy renders into a surface of its own.
    TTextSprite(const TTextSprite& other);
    TTextSprite& operator=(const TTextSprite&) = delete;
    ~TTextSprite() override;

    TFont* getFont() const { return font_; }
    uint32_t getColor() const { return colour_; }
    uint32_t getOutlineColor() const { return outlineColour_; }
    bool isDirty() const { return dirty_ != 0; }
    const std::string& getText() const { return text_; }
    void setDirty() { dirty_ = 1; }
    // A different font brings its two colours with it.
    void setFont(TFont* font);
    void setColor(uint32_t c);
    void setColors(uint32_t c, uint32_t outline);
    void setOutlineColor(uint32_t c);
    void setText(const std::string& text);
    // Font, colours, text and dirty flag of the other, then renders.
    void assignText(const TTextSprite& other);
    // Draws the text into the sprite's surface when anything changed.
    void render();

    // How often render drew the text (lets tests see that nothing changed renders nothing).
    uint32_t renderCount() const { return renders_; }

private:
    TFont* font_ = nullptr;
    platform::FontHandle seen_ = 0;
    uint32_t colour_ = 0xFFFFFFFFu;
    uint32_t outlineColour_ = 0xFF000000u;
    std::string text_;
    uint8_t dirty_ = 1;
    std::unique_ptr<TSurface32> surface_;
    uint32_t renders_ = 0;
};

class TTextObj : public TTextSprite, public TMixObj {
public:
    TTextObj() = default;
    TTextObj(const TTextObj& other) : TTextSprite(other), TMixObj(other) {}

    using TGrObj::setPosAround;
    using TGrObj::setPosIn;
    using TGrObj::setPosOnScreen;
    using TGrObj::setSize;
    using TSprite32::draw;
    SIZE getSize() const override { return {getDrawWidth(), getDrawHeight()}; }
    void setSize(int32_t w, int32_t h) override { TSprite32::setSize(w, h); }
    // Rendered first, so that placement codes see the rendered size.
    void setPosAround(int32_t x, int32_t y, int32_t ax, int32_t ay) override;
    void setPosIn(int32_t x, int32_t y, const RECT& r) override;
    void setPosOnScreen(int32_t x, int32_t y) override;
    // Renders, then draws the sprite at (x, y) with its own opacity.
    void draw(TSurface32& target) override;
    // The same kind, text, colours and font.
    bool isSameType(const TGrObj& other) const override;
    std::unique_ptr<TGrObj> clone() const override { return std::make_unique<TTextObj>(*this); }
    uint16_t getTypeId() const override { return kGrText; }
    uint32_t getBlendCaps() const override { return 7; }
    uint32_t getBlendType() const override { return getKind() & sprite_flag::kBlendMask; }
    uint32_t getBlend() const override { return getOpacity(); }
    void setBlendType(uint32_t type) override { TSprite32::setBlendType(type); }
    void setBlend(uint32_t opacity) override { setOpacity(opacity); }
    void setMask(TAlphaMask* mask) override { TSprite32::setMask(mask); }
};

class TAsciiObj : public TGrObj {
public:
    using TGrObj::setSize;
    // n characters span (n - 1) pitches and one cell.
    SIZE getSize() const override;
    void setSize(int32_t, int32_t) override {}
    void draw(TSurface32& target) override;
    uint16_t getTypeId() const override { return kGrAscii; }
    std::unique_ptr<TGrObj> clone() const override { return std::make_unique<TAsciiObj>(*this); }

    TAsciiFont* getFont() const { return font_; }
    int32_t getAlpha() const { return alpha_; }
    // 0 right, 1 left (the text ends at the position), 2 down, 3 up (ends at the position).
    int32_t getDirection() const { return direction_; }
    int32_t getLength() const { return static_cast<int32_t>(text_.size()); }
    const std::string& getText() const { return text_; }
    void setFont(TAsciiFont* font) { font_ = font; }
    void setText(const std::string& text) { text_ = text; }
    void setAlpha(int32_t a) { alpha_ = a; }
    void setDirection(int32_t d) { direction_ = d; }
    void reset() {
        font_ = nullptr;
        alpha_ = 255;
    }

private:
    TAsciiFont* font_ = nullptr;
    std::string text_;
    int32_t alpha_ = 255;
    int32_t direction_ = 0;
};

class TNumObj : public TAsciiObj {
public:
    uint16_t getTypeId() const override { return kGrNumber; }
    std::unique_ptr<TGrObj> clone() const override { return std::make_unique<TNumObj>(*this); }
    // The text becomes the value written by a printf format taking one int ("%d" when null).
    void setNumber(int32_t value, const char* format);

private:
    // What the text was last written from: a number set again to what it shows is not written again.
    int32_t value_ = 0;
    std::string format_;
    std::string written_;
    bool hasWritten_ = false;
};

}  // namespace graphics
