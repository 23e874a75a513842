#include "script/present/gde_graphic.h"

#include "script/present/graphic_host.h"
#include "script/value_exchange.h"

namespace present {

void GdeSpriteLink::setJob(TGrDwarf* job) {
    GdeSprite::setJob(job);
    if (job)
        sprite_.attachJob(this);
    else if (sprite_.Job == this)
        sprite_.detachJob();
}

void GdeSpriteLink::addToLayer(graphics::TGrTableObj::Layer* layer, int32_t master) {
    struct ListLayer : GdeLayer {
        graphics::TGrTableObj::Layer* list;
        void append(graphics::TGrObj* obj) override { list->push_back(obj); }
    };
    if (!layer || !getJob()) return;
    ListLayer to;
    to.list = layer;
    getJob()->addToLayer(to, master);
}

void GdeSpriteLink::finish() {
    if (TGrDwarf* job = getJob()) job->finish();
}

GdeSprite* GraphicGdeHost::getSprite(int32_t n) {
    if (n < 0 || n >= TG2Graphic::kSprites) return nullptr;
    return &link(n);
}

GdeSpriteLink& GraphicGdeHost::link(int32_t n) {
    auto& l = links_.at(static_cast<size_t>(n));
    if (!l) l = std::make_unique<GdeSpriteLink>(graphic_.getSprite(n));
    return *l;
}

void GraphicGdeHost::exchangeSprObj(TValueExchange& x, graphics::TMixObj*& obj) {
    graphics::TGrObj* o = obj;
    present::exchangeSprObj(x, "SprAfter", o);
    if (x.isLoading()) {
        obj = dynamic_cast<graphics::TMixObj*>(o);
        // A loaded object that cannot stand in a sprite's place is given back, not leaked.
        if (o && !obj) deleteGrObj(o);
    }
}

void GraphicGdeHost::exchangeAlphaCh(TValueExchange& x, graphics::TAlphaCh*& ch) {
    graphic_.host().exchangeAlphaCh(x, ch);
}

}  // namespace present

namespace present {

void GraphicGdeHost::releaseAlphaCh(graphics::TAlphaCh* ch) { graphic_.host().releaseAlphaCh(ch); }

}  // namespace present
