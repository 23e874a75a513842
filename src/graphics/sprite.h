#pragma once
// A view of a rectangle of a surface with everything that decides how it is drawn: drawn size,
// colour key, blend type, source alpha, opacity, tint, paint colour and a tiled mask. It owns
// nothing: the surface and the mask belong to others and must outlive the drawing calls.
#include <cstdint>

#include "graphics/rect.h"

namespace platform {
class DisplaySurface;
}

namespace graphics {

class TSurface32;
class TAlphaMask;
class DrawRecord;

// Bits of the sprite's flag word. The low five bits are the kind that picks a blitter entry.
namespace sprite_flag {
constexpr uint32_t kColorKey = 1;
constexpr uint32_t kBlendMask = 6;  // 0 alpha, 2 add, 4 subtract, 6 multiply
constexpr uint32_t kSourceAlpha = 8;
constexpr uint32_t kTiledMask = 16;
constexpr uint32_t kKindMask = 31;
constexpr uint32_t kStretched = 32;
constexpr uint32_t kPaint = 0x40;
constexpr uint32_t kSubRect = 0x100;
constexpr uint32_t kModulate = 0x200;
}  // namespace sprite_flag

// A size or position times a scale, truncated towards zero; a product outside the 32-bit range (or
// not a number) gives INT32_MIN, as the processor's own conversion does, never undefined behaviour.
int32_t scaledSize(int32_t size, float scale);

class TSprite32 {
public:
    TSprite32() = default;
    TSprite32(const TSprite32&) = default;
    TSprite32& operator=(const TSprite32&) = default;
    virtual ~TSprite32() = default;

    virtual TSurface32* getSurface() const { return surface_; }
    virtual const RECT* getSourceRect() const { return &sourceRect_; }
    virtual void getDrawSize(int32_t& width, int32_t& height) const {
        width = drawWidth_;
        height = drawHeight_;
    }
    virtual int32_t getDrawWidth() const { return drawWidth_; }
    virtual int32_t getDrawHeight() const { return drawHeight_; }
    virtual uint32_t getKind() const { return flags_; }
    virtual uint32_t isColorKeyed() const { return flags_ & sprite_flag::kColorKey; }
    virtual uint32_t hasSourceAlpha() const { return flags_ & sprite_flag::kSourceAlpha; }
    virtual uint32_t hasMask() const { return flags_ & sprite_flag::kTiledMask; }
    virtual uint32_t getBlendType() const { return flags_ & sprite_flag::kBlendMask; }
    virtual uint32_t isStretched() const { return flags_ & sprite_flag::kStretched; }
    virtual uint32_t isPaintMode() const { return flags_ & sprite_flag::kPaint; }
    virtual uint32_t isModulated() const { return flags_ & sprite_flag::kModulate; }
    virtual uint32_t getColorKey() const { return colorKey_; }
    virtual uint32_t getPaintColor() const { return paintColor_; }
    virtual uint32_t getOpacity() const { return modulate_ >> 24; }
    virtual uint32_t getModulate() const { return modulate_; }
    virtual TAlphaMask* getMask() const { return mask_; }

    // Null resets the sprite. A colour-keyed surface sets the key flag with key 0; a surface
    // with alpha sets the source-alpha flag; neither flag is ever cleared here.
    virtual void setSurface(TSurface32* surface);
    virtual void resetSourceRect();
    virtual void setSourceRect(const RECT& r);
    virtual void resetSize();
    virtual void setSize(int32_t width, int32_t height);
    virtual void setScaleX(float sx);
    virtual void setScaleY(float sy);
    virtual void setScale(float sx, float sy);
    virtual void setKind(uint32_t flags) { flags_ = flags; }
    virtual void setBlendType(uint32_t type) { flags_ = (flags_ & ~sprite_flag::kBlendMask) | (type & 6); }
    virtual void setColorKeyAt(int32_t x, int32_t y);
    virtual void setColorKey(uint32_t colour) { colorKey_ = colour; }
    virtual void setPaintColor(uint32_t colour) { paintColor_ = colour; }
    virtual void setOpacity(uint32_t opacity) { modulate_ = (modulate_ & 0xFFFFFF) | ((opacity & 255) << 24); }
    virtual void setTint(uint32_t red, uint32_t green, uint32_t blue) {
        modulate_ = (modulate_ & 0xFF000000u) | ((red & 255) << 16) | ((green & 255) << 8) | (blue & 255);
    }
    virtual void setModulate(uint32_t argb) { modulate_ = argb; }
    virtual void clearMask();
    virtual void setMask(TAlphaMask* mask);
    virtual void reset();
    virtual void assign(const TSprite32& other) { *this = other; }

    // The blitter entries. The rectangle must already lie inside the source surface and the
    // drawn area inside the destination; calls that break this draw nothing.
    virtual void stretchBlit(TSurface32& dst, int32_t x, int32_t y, const RECT& src, int32_t width,
                             int32_t height) const;
    virtual void blit(TSurface32& dst, int32_t x, int32_t y, const RECT& src) const;
    // Clips to the destination and draws through the blitter table.
    virtual void draw(TSurface32& dst, int32_t x, int32_t y) const;
    virtual void paintStretchBlit(TSurface32& dst, int32_t x, int32_t y, const RECT& src, int32_t width,
                                  int32_t height) const;
    virtual void paintBlit(TSurface32& dst, int32_t x, int32_t y, const RECT& src) const;
    // Area-averaged resampling of src to width x height at (x, y), written without blending.
    virtual void smoothBlit(TSurface32& dst, int32_t x, int32_t y, const RECT& src, int32_t width,
                            int32_t height) const;
    // Clipped smoothBlit of the whole source rectangle at the drawn size.
    virtual void drawTo(TSurface32& dst, int32_t x, int32_t y) const;
    // Writes the rectangle at (x, y) straight into a display surface in its pixel format (the
    // formats that have converters), skipping key-coloured pixels when the sprite is keyed. The
    // part outside the sprite's surface or the display is left out.
    virtual void blitToDisplay(platform::DisplaySurface& display, int32_t x, int32_t y, const RECT& src) const;
    // The whole source rectangle, clipped to the display.
    virtual void drawToDisplay(platform::DisplaySurface& display, int32_t x, int32_t y) const;

private:
    // The clipped blit written down instead of drawn: what it reads and how it draws.
    void note(DrawRecord& record, const TSurface32& dst, int32_t x, int32_t y, const RECT& src, int32_t width,
              int32_t height) const;

    TSurface32* surface_ = nullptr;
    RECT sourceRect_{};
    int32_t drawWidth_ = 0;
    int32_t drawHeight_ = 0;
    uint32_t flags_ = 0;
    uint32_t colorKey_ = 0;
    uint32_t paintColor_ = 0xFF000000u;
    uint32_t modulate_ = 0xFFFFFFFFu;
    TAlphaMask* mask_ = nullptr;
};

// Clipping of a one-to-one blit of src to (x, y) against clip: moves the position and the
// source edges together. False when nothing is left.
bool clipBlitRect(const RECT& clip, int32_t& x, int32_t& y, RECT& src);
// The same for src drawn stretched to (width, height); the overhang is converted to source
// pixels as overhang x source extent / drawn extent, rounded down.
bool clipStretchBlitRect(const RECT& clip, int32_t& x, int32_t& y, RECT& src, int32_t& width, int32_t& height);

}  // namespace graphics
