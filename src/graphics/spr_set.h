#pragma once
// Sprite sets: one drawable object made of many sprite units, built from a table of records in
// one call and then moved, faded, tinted, scaled and drawn as a whole. The units are held by
// value; their surfaces belong to the surface set they came from, which must outlive every draw.
#include <cstdarg>
#include <cstdint>
#include <deque>
#include <memory>

#include "graphics/graphic.h"
#include "graphics/spr_maker.h"

namespace graphics {

// Per channel floor(c1 x c2 / 255); white leaves a colour unchanged.
uint32_t mulColour(uint32_t c1, uint32_t c2);

template <class Unit, class Base>
class TGrObjSetBase : public Base {
public:
    TGrObjSetBase() = default;
    TGrObjSetBase(const TGrObjSetBase&) = default;
    TGrObjSetBase& operator=(const TGrObjSetBase&) = default;

    using TGrObj::setSize;
    void invalidate() override;
    void invalidateRect(const RECT& r) override;
    SIZE getSize() const override;
    // From (0, 0) grown to hold every unit's rectangle.
    RECT getLocalRect() const override;
    void setSize(int32_t, int32_t) override {}
    // A placement code places the visible bounds, not the origin.
    int32_t placeX(int32_t x, int32_t span) const override;
    int32_t placeY(int32_t y, int32_t span) const override;
    void draw(TSurface32& target) override;
    uint16_t getTypeId() const override { return kGrObjectSet; }
    uint32_t getBlendCaps() const override { return 0; }
    uint32_t getBlendType() const override { return 0; }
    uint32_t getBlend() const override { return 255; }
    void setBlendType(uint32_t) override {}
    void setBlend(uint32_t) override {}

    // Each unit into the table at its depth + offset, at the front or the back of that layer.
    virtual void addToTableFront(TGrTableObj& table, int32_t offset);
    virtual void addToTable(TGrTableObj& table, int32_t offset);

    std::deque<Unit>& units() { return units_; }
    const std::deque<Unit>& units() const { return units_; }

protected:
    // Resizes to count: units past it go, new ones are fresh.
    void resizeUnits(size_t count) { units_.resize(count); }

    std::deque<Unit> units_;
};

template <class Unit, class Base>
class TSprObjSetBase : public TGrObjSetBase<Unit, Base> {
public:
    using Set = TGrObjSetBase<Unit, Base>;
    TSprObjSetBase() = default;
    TSprObjSetBase(const TSprObjSetBase&) = default;
    TSprObjSetBase& operator=(const TSprObjSetBase&) = default;

    using TGrObj::setSize;
    SIZE getSize() const override;
    // Scales so that the bounds take that size (0.0 for empty bounds).
    void setSize(int32_t w, int32_t h) override;
    void scale(float sx, float sy) override {
        scaleX_ = sx;
        scaleY_ = sy;
    }
    void draw(TSurface32& target) override;
    uint16_t getTypeId() const override { return kGrSpriteSet; }
    // The units at scale 1, blend type 0 and white.
    std::unique_ptr<TGrObj> clone() const override;
    uint32_t getBlendCaps() const override { return 7; }
    uint32_t getBlendType() const override { return blendType_; }
    uint32_t getBlend() const override { return colour_ >> 24; }
    void setBlendType(uint32_t type) override;
    void setBlend(uint32_t a) override { colour_ = (colour_ & 0x00FFFFFFu) | (a & 255) << 24; }
    void setMask(TAlphaMask* mask) override;

    float getScaleX() const { return scaleX_; }
    float getScaleY() const { return scaleY_; }
    uint32_t getColour() const { return colour_; }
    void setColourRGB(uint32_t r, uint32_t g, uint32_t b) {
        colour_ = (colour_ & 0xFF000000u) | (r & 255) << 16 | (g & 255) << 8 | (b & 255);
    }
    void setColour(uint32_t argb) { colour_ = argb; }
    void setScaleX(float s) { scaleX_ = s; }
    void setScaleY(float s) { scaleY_ = s; }

    // One unit per record up to the null name, each from its image specification through the
    // set; a unit whose picture does not load stays, without a surface. Always true.
    bool createFromTable(const SprDepthRectRecord* table, TSurfaceSet& set);
    bool createFromTable(const SprDepthRecord* table, TSurfaceSet& set);
    bool createFromTable(const SprRectRecord* table, TSurfaceSet& set);
    bool createFromTable(const SprRecord* table, TSurfaceSet& set);
    // The same with each name a printf format filled with the trailing arguments; the depth
    // fields are not applied.
    bool createFromFormatTable(TSurfaceSet& set, const SprDepthRectRecord* table, ...);
    bool createFromFormatTable(TSurfaceSet& set, const SprDepthRecord* table, ...);
    bool createFromFormatTable(TSurfaceSet& set, const SprRectRecord* table, ...);
    bool createFromFormatTable(TSurfaceSet& set, const SprRecord* table, ...);

private:
    float scaleX_ = 1.0f;
    float scaleY_ = 1.0f;
    uint32_t blendType_ = 0;
    uint32_t colour_ = 0xFFFFFFFFu;
};

using TSprUnitSet = TSprObjSetBase<TSprUnitObj, TMixObj>;
extern template class TGrObjSetBase<TSprUnitObj, TMixObj>;
extern template class TSprObjSetBase<TSprUnitObj, TMixObj>;

}  // namespace graphics
