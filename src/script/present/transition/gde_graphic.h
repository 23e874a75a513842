#pragma once
// Transitions on the graphic layer's own sprites: each script sprite is seen by the jobs through
// a link that keeps the sprite's job pointer, and the layer's size, redraw, collapse, picture
// exchange and alpha-channel bank serve the jobs. The clock, skip mode and "ScreenEffect" come
// from the engine that derives from this host.
#include <array>
#include <memory>

#include "script/present/transition/gde.h"
#include "script/present/graphic/graphic.h"
#include "script/present/graphic/sprite_state.h"

namespace present {

class GdeSpriteLink : public GdeSprite, public GraphicJob {
public:
    explicit GdeSpriteLink(TG2DwarfSprite& sprite) : sprite_(sprite) {}
    graphics::TMixObj* getSprObj() const override { return dynamic_cast<graphics::TMixObj*>(sprite_.SprObj); }
    void setSprObj(graphics::TMixObj* obj) override { sprite_.setSprObj(obj); }
    int32_t getNo() const override { return sprite_.No; }
    uint32_t getFlag() const override { return static_cast<uint32_t>(sprite_.Flag); }
    bool isVisible() const override { return sprite_.Visible; }
    int32_t getBlend() const override { return sprite_.Blend; }
    void setBlend(int32_t blend) override { sprite_.setBlend(blend); }
    // The sprite points at this link while a job runs; the link hands the drawing to the job.
    void setJob(TGrDwarf* job) override;
    void addToLayer(graphics::TGrTableObj::Layer* layer, int32_t master) override;
    void finish() override;

private:
    TG2DwarfSprite& sprite_;
};

// The background grid as the jobs see it: the centre's composite picture stands in for a
// sprite's picture, and the morph and commit render into it.
class BgsGridLink : public GdeGrid, public GraphicJob {
public:
    explicit BgsGridLink(TG2BgsCenter& centre) : centre_(centre) {}
    graphics::TMixObj* getSprObj() const override { return dynamic_cast<graphics::TMixObj*>(centre_.SprObj); }
    void setSprObj(graphics::TMixObj* obj) override { centre_.setSprObj(obj); }
    int32_t getNo() const override { return centre_.No; }
    uint32_t getFlag() const override { return static_cast<uint32_t>(centre_.Flag); }
    bool isVisible() const override { return centre_.Visible; }
    int32_t getBlend() const override { return centre_.Blend; }
    void setBlend(int32_t blend) override { centre_.setBlend(blend); }
    void setJob(TGrDwarf* job) override;
    void addToLayer(graphics::TGrTableObj::Layer* layer, int32_t master) override;
    void finish() override;
    void renderMorph(int32_t progress, graphics::TMixObj*& picture) override;
    void commitStates() override { centre_.commitStates(); }
    void renderToSprObj(graphics::TMixObj*& picture) override;
    // The centre's picture as it stands; the renders draw into it in place.
    graphics::TMixObj*& composite() override;

private:
    TSprObjEx* target(graphics::TMixObj* picture);

    TG2BgsCenter& centre_;
    graphics::TMixObj* composite_ = nullptr;
};

class GraphicGdeHost : public GdeHost {
public:
    explicit GraphicGdeHost(TG2Graphic& graphic) : graphic_(graphic) {}
    graphics::SIZE layerSize() const override { return graphic_.getSize(); }
    void invalidateLayer() override { graphic_.invalidate(); }
    void collapseSprites(int32_t no) override { graphic_.collapseSprites(no); }
    GdeSprite* getSprite(int32_t n) override;
    GdeGrid* getBgsCenter() override { return &grid_; }
    void releaseGrObjResource(graphics::TGrObj* obj) override { present::releaseGrObjResource(obj); }
    void exchangeSprObj(TValueExchange& x, graphics::TMixObj*& obj) override;
    void exchangeAlphaCh(TValueExchange& x, graphics::TAlphaCh*& ch) override;
    void releaseAlphaCh(graphics::TAlphaCh* ch) override;
    // The link of sprite n (0-255) of the layer.
    GdeSpriteLink& link(int32_t n);

private:
    TG2Graphic& graphic_;
    BgsGridLink grid_{graphic_.getBgsCenter()};
    std::array<std::unique_ptr<GdeSpriteLink>, TG2Graphic::kSprites> links_;
};

}  // namespace present
