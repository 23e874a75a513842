#pragma once
// The drawable objects that screens put into object tables: the sprite object, filled and lit
// rectangles, the two-picture cross-fade object and the full-screen fade.
#include <cstdint>
#include <memory>

#include "graphics/gr_obj.h"
#include "graphics/sprite.h"

namespace graphics {

// floor(a x b / 255) for opacities (values outside 0..255 are taken at the nearest end).
uint32_t mulOpacity(int64_t a, int64_t b);

// A picture on the screen: the sprite says what and how, the object part where and how much.
class TSprObj : public TSprite32, public TMixObj {
public:
    TSprObj() = default;
    TSprObj(const TSprObj&) = default;
    TSprObj& operator=(const TSprObj&) = default;

    using TGrObj::setSize;
    using TSprite32::assign;
    using TSprite32::draw;
    SIZE getSize() const override { return {getDrawWidth(), getDrawHeight()}; }
    void setSize(int32_t w, int32_t h) override { TSprite32::setSize(w, h); }
    void scale(float fx, float fy) override { setScale(fx, fy); }
    // Same kind, same surface and an equal source rectangle.
    bool isSameType(const TGrObj& other) const override;
    std::unique_ptr<TGrObj> clone() const override { return std::make_unique<TSprObj>(*this); }
    void draw(TSurface32& target) override { drawWithOpacity(target, 255); }
    uint16_t getTypeId() const override { return kGrSprite; }
    uint32_t getBlendCaps() const override { return 7; }
    uint32_t getBlendType() const override { return getKind() & sprite_flag::kBlendMask; }
    uint32_t getBlend() const override { return getOpacity(); }
    void setBlendType(uint32_t type) override { TSprite32::setBlendType(type); }
    void setBlend(uint32_t opacity) override { setOpacity(opacity); }
    void setMask(TAlphaMask* mask) override { TSprite32::setMask(mask); }

    virtual void assign(const TSprObj& other) { *this = other; }
    // When visible: the sprite at (x, y) with its opacity times SubBlend times `opacity` (over
    // 255 each); the sprite's own opacity is the same afterwards.
    virtual void drawWithOpacity(TSurface32& target, uint32_t opacity);
    // When visible: the sprite at (x, y), clipped to the target.
    virtual void drawScreenClipped(TSurface32& target);
};

// A rectangle of one colour at the object's position (the helper of the fill and the light).
class ColourRectObj : public TGrObj {
public:
    using TGrObj::setSize;
    SIZE getSize() const override { return {width_, height_}; }
    void setSize(int32_t w, int32_t h) override {
        width_ = w;
        height_ = h;
    }
    virtual uint32_t getColor() const { return colour_; }
    virtual void setColor(uint32_t colour) { colour_ = colour; }
    virtual void setup(int32_t w, int32_t h, uint32_t colour, uint32_t alpha) {
        setSize(w, h);
        setColor(colour);
        setAlpha(alpha);
    }
    virtual uint32_t getAlpha() const { return colour_ >> 24; }
    virtual void setAlpha(uint32_t alpha) { colour_ = (colour_ & 0xFFFFFF) | (alpha & 255) << 24; }
    // When visible: the colour with its alpha times `opacity` / 255.
    virtual void drawWithOpacity(TSurface32& target, uint32_t opacity);
    std::unique_ptr<TGrObj> clone() const override = 0;

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    uint32_t colour_ = 0;
};

// The colour blended over the rectangle by its alpha (the visible flag is not asked).
class TFillObj : public ColourRectObj {
public:
    void draw(TSurface32& target) override;
    uint16_t getTypeId() const override { return kGrFill; }
    std::unique_ptr<TGrObj> clone() const override { return std::make_unique<TFillObj>(*this); }
};

// The colour, scaled by its alpha, added to the rectangle with saturation.
class TLightObj : public ColourRectObj {
public:
    void draw(TSurface32& target) override;
    uint16_t getTypeId() const override { return kGrLight; }
    std::unique_ptr<TGrObj> clone() const override { return std::make_unique<TLightObj>(*this); }
};

// A before and an after picture mixed by a level (0 only the before one, 255 only the after).
class TBlendObj : public TGrObj {
public:
    using TGrObj::setSize;
    // The extent of both pictures together.
    SIZE getSize() const override;
    void setSize(int32_t, int32_t) override {}
    void invalidate() override;
    void draw(TSurface32& target) override { drawWithOpacity(target, 255); }
    uint16_t getTypeId() const override { return kGrBlend; }

    // Stores both (not owned; either may be null) and gives each the blend type.
    virtual void setPictures(TSprObj* before, TSprObj* after, uint32_t blendType);
    virtual void drawWithOpacity(TSurface32& target, uint32_t opacity);
    TSprObj* before() const { return before_; }
    TSprObj* after() const { return after_; }
    int32_t getLevel() const { return level_; }
    void setLevel(int32_t level) { level_ = level; }
    int32_t getParam() const { return param_; }
    void setParam(int32_t v) { param_ = v; }
    int32_t getOpacity() const { return opacity_; }
    void setOpacity(int32_t opacity) { opacity_ = opacity; }

private:
    TSprObj* before_ = nullptr;
    TSprObj* after_ = nullptr;
    int32_t level_ = 255;
    int32_t param_ = 0;
    int32_t opacity_ = 255;
};

// A cover of one colour over the whole screen that fades in or out over a time.
class TFade {
public:
    enum State : int32_t { kFadingIn = 0, kFadingOut = 1, kFinished = 2, kIdle = 3 };
    enum Mode : int32_t { kModeFill = 0, kModeLight = 2 };

    TFade();
    virtual ~TFade() = default;

    // Starts at the system clock's time.
    virtual void start(int32_t direction, uint32_t duration, uint32_t colour, int32_t layer);
    // Direction 0 fades the cover away (in), 1 brings it up (out). Layer -1 or one the screen
    // table lacks is the top layer.
    virtual void start(uint32_t time, int32_t direction, uint32_t duration, uint32_t colour, int32_t layer);
    virtual void fadeOut(uint32_t duration, uint32_t colour, int32_t layer) { start(1, duration, colour, layer); }
    virtual void fadeIn(uint32_t duration, int32_t layer) { start(0, duration, colour_, layer); }
    virtual void fadeIn(uint32_t duration, uint32_t colour, int32_t layer) { start(0, duration, colour, layer); }
    virtual void finish();
    // At the frame's time stamp; the state afterwards.
    virtual int32_t update();
    virtual int32_t update(uint32_t now);
    virtual void reset();
    // Puts the cover at the end of its layer of the screen table (when it shows at all).
    virtual void attach();

    int32_t state() const { return state_; }
    int32_t level() const { return level_; }
    uint32_t colour() const { return colour_; }
    int32_t layer() const { return layer_; }
    int32_t mode() const { return mode_; }
    void setMode(int32_t mode) { mode_ = mode; }
    TFillObj& fill() { return fill_; }
    TLightObj& light() { return light_; }

private:
    void setLevel(int32_t level);

    int32_t state_ = kIdle;
    uint32_t colour_ = 0;
    int32_t level_ = 0;
    uint32_t start_ = 0;
    uint32_t duration_ = 0;
    int32_t mode_ = kModeFill;
    int32_t layer_ = -1;
    TFillObj fill_;
    TLightObj light_;
};

}  // namespace graphics
