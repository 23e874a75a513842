#include "script/present/transition/gde_graphic.h"

#include "script/present/graphic/graphic_host.h"
#include "script/value_exchange.h"

namespace present {

void GdeSpriteLink::setJob(TGrDwarf* job) {
    GdeSprite::setJob(job);
    if (job)
        sprite_.attachJob(this);
    else if (sprite_.Job == this)
        sprite_.detachJob();
}

namespace {

void jobToLayer(TGrDwarf* job, graphics::TGrTableObj::Layer* layer, int32_t master) {
    struct ListLayer : GdeLayer {
        graphics::TGrTableObj::Layer* list;
        void append(graphics::TGrObj* obj) override { list->push_back(obj); }
    };
    if (!layer || !job) return;
    ListLayer to;
    to.list = layer;
    job->addToLayer(to, master);
}

}  // namespace

void GdeSpriteLink::addToLayer(graphics::TGrTableObj::Layer* layer, int32_t master) {
    jobToLayer(getJob(), layer, master);
}

void GdeSpriteLink::finish() {
    if (TGrDwarf* job = getJob()) job->finish();
}

void BgsGridLink::setJob(TGrDwarf* job) {
    GdeSprite::setJob(job);
    if (job)
        centre_.attachJob(this);
    else if (centre_.Job == this)
        centre_.detachJob();
}

void BgsGridLink::addToLayer(graphics::TGrTableObj::Layer* layer, int32_t master) {
    jobToLayer(getJob(), layer, master);
}

void BgsGridLink::finish() {
    if (TGrDwarf* job = getJob()) job->finish();
}

graphics::TMixObj*& BgsGridLink::composite() {
    composite_ = getSprObj();
    return composite_;
}

TSprObjEx* BgsGridLink::target(graphics::TMixObj* picture) {
    if (auto* own = dynamic_cast<TSprObjEx*>(picture)) return own;
    // A picture of another kind (a damaged save can give the centre one) makes way for a new
    // composite instead of being drawn into or leaked.
    if (picture) {
        if (centre_.SprObj == picture) centre_.SprObj = nullptr;
        graphics::TGrObj* old = picture;
        deleteGrObj(old);
    }
    return nullptr;
}

void BgsGridLink::renderMorph(int32_t progress, graphics::TMixObj*& picture) {
    picture = centre_.renderMorph(progress, target(picture));
}

void BgsGridLink::renderToSprObj(graphics::TMixObj*& picture) { picture = centre_.renderToSprObj(target(picture)); }

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
    // What the load made (also when it stops half way) stays the job's to delete, and a loaded
    // object that cannot stand in a sprite's place is given back, not leaked.
    auto keep = [&] {
        obj = dynamic_cast<graphics::TMixObj*>(o);
        if (o && !obj) deleteGrObj(o);
    };
    try {
        present::exchangeSprObj(x, "SprAfter", o);
    } catch (...) {
        if (x.isLoading()) keep();
        throw;
    }
    if (x.isLoading()) keep();
}

void GraphicGdeHost::exchangeAlphaCh(TValueExchange& x, graphics::TAlphaCh*& ch) {
    graphic_.host().exchangeAlphaCh(x, ch);
}

}  // namespace present

namespace present {

void GraphicGdeHost::releaseAlphaCh(graphics::TAlphaCh* ch) { graphic_.host().releaseAlphaCh(ch); }

}  // namespace present
