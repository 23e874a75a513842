#pragma once
// A headless engine for transitions: a clock the test sets, sprites that own plain pictures,
// and a drawing layer composed onto a black canvas.
#include <map>
#include <memory>
#include <vector>

#include "graphics/gr_kinds.h"
#include "graphics/surface32.h"
#include "script/present/transition/gde.h"
#include "script/value_exchange.h"

namespace gdetest {

using graphics::TSprObj;
using graphics::TSurface32;

class Sprite : public present::GdeSprite {
public:
    explicit Sprite(int32_t no = 0) : no_(no) {}
    ~Sprite() override {
        if (getJob()) getJob()->finish();
        delete obj_;
    }
    graphics::TMixObj* getSprObj() const override { return obj_; }
    void setSprObj(graphics::TMixObj* obj) override { obj_ = obj; }
    int32_t getNo() const override { return no_; }
    uint32_t getFlag() const override { return flag; }
    bool isVisible() const override { return visible; }
    int32_t getBlend() const override { return blend; }
    void setBlend(int32_t b) override { blend = b; }
    uint32_t flag = 0;
    bool visible = true;
    int32_t blend = 255;

private:
    int32_t no_;
    graphics::TMixObj* obj_ = nullptr;
};

class Host : public present::GdeHost {
public:
    Host() { present::setGdeHost(this); }
    ~Host() override { present::setGdeHost(nullptr); }
    uint32_t now(bool) override { return clock; }
    bool isSkipping() const override { return skipping; }
    bool screenEffect() const override { return effect; }
    void jobWaits() override { ++waits; }
    graphics::SIZE layerSize() const override { return size; }
    present::GdeSprite* getSprite(int32_t n) override { return sprites.count(n) ? sprites[n] : nullptr; }
    // Pictures are saved by the number of their surface in `surfaces` and their position.
    void exchangeSprObj(TValueExchange& x, graphics::TMixObj*& obj) override {
        int32_t index = -1, px = 0, py = 0;
        if (auto* s = dynamic_cast<TSprObj*>(obj)) {
            for (size_t i = 0; i < surfaces.size(); ++i)
                if (surfaces[i] == s->getSurface()) index = static_cast<int32_t>(i);
            px = s->getX(), py = s->getY();
        }
        x.exchangeInt("Kind", index);
        x.exchangeInt("X", px);
        x.exchangeInt("Y", py);
        if (x.isLoading())
            obj = index >= 0 && index < int32_t(surfaces.size()) ? picture(surfaces[index], px, py) : nullptr;
    }
    static TSprObj* picture(TSurface32* s, int32_t x = 0, int32_t y = 0) {
        auto* p = new TSprObj;
        p->setSurface(s);
        p->setPos(x, y);
        return p;
    }
    uint32_t clock = 1000;
    bool skipping = false, effect = true;
    int waits = 0;
    graphics::SIZE size{64, 48};
    std::map<int32_t, present::GdeSprite*> sprites;
    std::vector<TSurface32*> surfaces;
};

struct Layer : present::GdeLayer {
    void append(graphics::TGrObj* obj) override { objs.push_back(obj); }
    std::vector<graphics::TGrObj*> objs;
};

// What the sprite shows: the job's pictures while one runs, else its own, on black.
inline void compose(present::GdeSprite& sprite, TSurface32& canvas) {
    canvas.fill(0xFF000000u);
    Layer layer;
    if (sprite.getJob())
        sprite.getJob()->addToLayer(layer, 255);
    else if (sprite.getSprObj())
        layer.append(sprite.getSprObj());
    for (auto* obj : layer.objs) obj->draw(canvas);
}

}  // namespace gdetest
