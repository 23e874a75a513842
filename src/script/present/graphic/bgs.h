#pragma once
// The background of a scene: a grid of 256 background sprites, each with the state shown now and
// the state prepared for the next change. A commit makes the prepared states the shown ones, and
// the grid is flattened into one composite picture that the graphic layer draws in its bottom
// layer; while a change runs, the composite is redrawn every frame as a morph between the two.
#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/surface32.h"
#include "script/present/graphic/sprite_state.h"

namespace present {

class GraphicHost;

class TG2BgSprite : public TG2SpriteState {
public:
    TG2BgSprite() = default;
    TG2BgSprite(const TG2BgSprite& other) : TG2SpriteState(other), pending(other.pending) {}
    ~TG2BgSprite() override;

    // Both halves show obj (nothing is released).
    void setSprObj(graphics::TGrObj* obj) override;
    void setNo(int32_t n) override;
    void clear() override;
    void reset() override;
    // A prepared object that is the shown one is let go of first, so it is deleted once.
    void release() override;
    using TG2SpriteState::exchange;
    virtual bool isModifiedAny() const { return isModified() || pending.isModified(); }
    // A prepared object other than obj and the shown one is deleted.
    virtual void setPendingSprObj(graphics::TGrObj* obj);
    // Section "gBgSprite": whether the halves differ, the shown half, the prepared half when
    // it differs.
    virtual void exchange(TValueExchange& x);
    bool isShared() const { return SprObj && SprObj == pending.SprObj; }

    TG2SpriteState pending;
};

class TG2BgsCenter : public TG2DwarfSprite {
public:
    static constexpr int kElements = 256;
    static constexpr int32_t kMorphEnd = 8192;

    explicit TG2BgsCenter(GraphicHost& host);
    ~TG2BgsCenter() override;
    TG2BgsCenter(const TG2BgsCenter&) = delete;
    TG2BgsCenter& operator=(const TG2BgsCenter&) = delete;

    void setNo(int32_t n) override;
    // Every element to its defaults and an all-black composite of the screen's size.
    void reset() override;
    // The composite and every element (shown and prepared) given back to their banks.
    void releaseAll();
    using TG2DwarfSprite::exchange;
    // Section "gBgsCenter": the composite's state, the offset and the changed elements; loading
    // rebuilds the composite.
    void exchange(TValueExchange& x) override;
    virtual graphics::POINT getOffset() const { return offset_; }
    virtual void setOffset(int32_t x, int32_t y) { offset_ = {x, y}; }

    // Element n (0-255; the commands check).
    TG2BgSprite& at(int32_t n) { return grid_.at(static_cast<size_t>(n)); }
    void commitStates();
    // The shown grid flattened into obj's picture (a new object when obj is null; the caller
    // owns it). An element whose depth has no layer (outside 0-255) is left out.
    TSprObjEx* renderToSprObj(TSprObjEx* obj);
    // The same as a morph at t of 8192 between the shown and the prepared grid.
    TSprObjEx* renderMorph(int32_t t, TSprObjEx* obj);
    void setScreenSize(int32_t w, int32_t h) { screen_ = {w, h}; }
    graphics::SIZE screenSize() const { return screen_; }

private:
    // The target the composite is drawn in: obj's picture when it has one, else the centre's
    // own surface; filled opaque black.
    graphics::TSurface32* prepareTarget(TSprObjEx* obj);
    static void finishTarget(TSprObjEx* obj, graphics::TSurface32* surface);

    GraphicHost& host_;
    std::vector<TG2BgSprite> grid_;
    graphics::POINT offset_{};
    graphics::SIZE screen_;
    // The composite pictures' surfaces are the centre's own, never the bank's shared ones.
    std::vector<std::unique_ptr<graphics::TSurface32>> surfaces_;
};

}  // namespace present
