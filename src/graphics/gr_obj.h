#pragma once
// Drawable objects: everything shown on the screen has a position, a depth (the layer it goes
// to in an object table), a visible flag and a draw operation into a 32-bit surface. A
// coordinate may be a placement code that stands for an alignment inside a span.
#include <cstdint>
#include <memory>

#include "graphics/rect.h"

namespace graphics {

class TSurface32;
class TSprite32;
class TAlphaMask;

// Coordinates 0x80000..0x80004: centred, start, end, first quarter, third quarter.
namespace placement {
constexpr int32_t kCentre = 0x80000;
constexpr int32_t kStart = 0x80001;
constexpr int32_t kEnd = 0x80002;
constexpr int32_t kFirstQuarter = 0x80003;
constexpr int32_t kThirdQuarter = 0x80004;
}  // namespace placement

constexpr bool isPlacementCode(int32_t v) { return (v & 0xFFFF0) == 0x80000 && v >= 0x80000 && v <= 0x80004; }

// The offset inside a span of an object of the given extent for a code; any other value as it is.
constexpr int32_t placeCoord(int32_t code, int32_t span, int32_t size) {
    switch (isPlacementCode(code) ? code : 0) {
        case placement::kCentre:
            return (span - size) / 2;
        case placement::kStart:
            return 0;
        case placement::kEnd:
            return span - size;
        case placement::kFirstQuarter:
            return span / 4 - size / 2;
        case placement::kThirdQuarter:
            return (3 * span) / 4 - size / 2;
        default:
            return code;
    }
}

// The type id each kind reports; scripts compare them and saves keep them.
enum GrObjType : uint16_t {
    kGrSprite = 1,
    kGrBlend = 4,
    kGrText = 5,
    kGrFill = 6,
    kGrLight = 7,
    kGrAnimScript = 10,
    kGrAscii = 11,
    kGrNumber = 12,
    kGrSpriteSet = 13,
    kGrTable = 14,
    kGrObjectSet = 16,
    kGrControl = 18,
    kGrAnimSprite = 20,
    kGrEngine = 0x1000,
};

class TGrObj {
public:
    TGrObj() = default;
    TGrObj(const TGrObj&) = default;
    TGrObj& operator=(const TGrObj&) = default;
    virtual ~TGrObj() = default;

    // Records the object's rectangle as changed on the screen object (when there is one).
    virtual void invalidate();
    // The same for a rectangle in the object's own coordinates.
    virtual void invalidateRect(const RECT& r);
    virtual bool isVisible() const { return visible_ != 0; }
    virtual int32_t getDepth() const { return depth_; }
    virtual POINT getPos() const { return {x_, y_}; }
    virtual int32_t getX() const { return x_; }
    virtual int32_t getY() const { return y_; }
    virtual SIZE getSize() const = 0;
    virtual int32_t getWidth() const { return getSize().cx; }
    virtual int32_t getHeight() const { return getSize().cy; }
    virtual POINT getOrigin() const { return {0, 0}; }
    virtual RECT getLocalRect() const { return TRect(0, 0, getWidth(), getHeight()); }
    virtual RECT getRect() const;
    virtual void setVisible(bool visible) { visible_ = visible ? 1 : 0; }
    virtual void setDepth(int32_t depth) { depth_ = depth; }
    virtual void setX(int32_t x) { x_ = x; }
    virtual void setY(int32_t y) { y_ = y; }
    virtual void setPos(POINT p) { setPos(p.x, p.y); }
    virtual void setPos(int32_t x, int32_t y) {
        x_ = x;
        y_ = y;
    }
    virtual void moveBy(POINT d) { moveBy(d.x, d.y); }
    virtual void moveBy(SIZE d) { moveBy(d.cx, d.cy); }
    virtual void moveBy(int32_t dx, int32_t dy) { setPos(x_ + dx, y_ + dy); }
    virtual void setXOnScreen(int32_t x);
    virtual void setYOnScreen(int32_t y);
    virtual void setPosAround(POINT p, POINT anchor) { setPosAround(p.x, p.y, anchor.x, anchor.y); }
    virtual void setPosIn(POINT p, const RECT& r) { setPosIn(p.x, p.y, r); }
    virtual void setPosOnScreen(POINT p) { setPosOnScreen(p.x, p.y); }
    // A coded coordinate is resolved against a span of length 0 at the anchor.
    virtual void setPosAround(int32_t x, int32_t y, int32_t ax, int32_t ay);
    virtual void setPosIn(int32_t x, int32_t y, const RECT& r);
    virtual void setPosOnScreen(int32_t x, int32_t y);
    virtual void setSize(SIZE s) { setSize(s.cx, s.cy); }
    virtual void setSize(int32_t w, int32_t h) = 0;
    virtual void scale(float fx, float fy);
    virtual bool isSameType(const TGrObj& other) const { return getTypeId() == other.getTypeId(); }
    virtual int32_t placeX(int32_t x, int32_t span) const { return placeCoord(x, span, getWidth()); }
    virtual int32_t placeY(int32_t y, int32_t span) const { return placeCoord(y, span, getHeight()); }
    virtual POINT placeOnScreen(POINT p) const { return placeOnScreen(p.x, p.y); }
    virtual POINT placeOnScreen(int32_t x, int32_t y) const;
    virtual int32_t relX(int32_t x, int32_t ax) const;
    virtual int32_t relY(int32_t y, int32_t ay) const;
    virtual POINT relPos(POINT p, POINT anchor) const { return relPos(p.x, p.y, anchor.x, anchor.y); }
    virtual POINT relPos(int32_t x, int32_t y, int32_t ax, int32_t ay) const { return {relX(x, ax), relY(y, ay)}; }
    // Draws as if moved by (dx, dy); the position is put back afterwards.
    virtual void drawOffset(TSurface32& target, int32_t dx, int32_t dy);
    virtual void draw(TSurface32& target) = 0;
    // Repeats the object over the area (clipped to the target's clip); the object keeps the
    // last tile's position. An object without extent draws nothing.
    virtual void drawTiled(TSurface32& target, int32_t x, int32_t y, int32_t w, int32_t h);
    virtual uint16_t getTypeId() const = 0;
    // A copy owned by the caller; null for kinds that are not copied.
    virtual std::unique_ptr<TGrObj> clone() const { return nullptr; }

protected:
    uint8_t visible_ = 1;
    int32_t depth_ = 0;
    int32_t x_ = 0;
    int32_t y_ = 0;
};

// A drawable object with an opacity of its own ("SubBlend", 0-255) and blend settings.
class TMixObj : public TGrObj {
public:
    virtual int32_t getSubBlend() const { return subBlend_; }
    virtual void setSubBlend(int32_t v) { subBlend_ = v; }
    virtual uint32_t getBlendCaps() const = 0;
    virtual uint32_t getBlendType() const = 0;
    virtual uint32_t getBlend() const = 0;
    virtual void setBlendType(uint32_t type) = 0;
    virtual void setBlend(uint32_t opacity) = 0;
    virtual void setMask(TAlphaMask*) {}

protected:
    int32_t subBlend_ = 255;
};

// Clips rect to bounds in place; false when bounds is inverted, rect lies wholly outside or
// nothing of positive size is left.
bool clipRect(const RECT& bounds, RECT& rect);
// A one-to-one blit of src to dst: the position and the source edges move together.
bool clipBlit(const RECT& clip, POINT& dst, RECT& src);
// A blit of src stretched to dstSize.
bool clipStretchBlit(const RECT& clip, POINT& dst, RECT& src, SIZE& dstSize);
// The sprite's source rectangle (and drawn size) clipped to its surface, then to the target's
// clip; the results in dst, src (and dstSize).
bool clipSpriteBlit(const TSurface32& target, POINT& dst, const TSprite32& sprite, RECT& src);
bool clipSpriteStretchBlit(const TSurface32& target, POINT& dst, const TSprite32& sprite, RECT& src, SIZE& dstSize);

}  // namespace graphics
