#include "script/present/graphic/bgs.h"

#include <functional>

#include "graphics/graphic.h"
#include "script/g2_error.h"
#include "script/present/graphic/graphic_host.h"
#include "script/value_exchange.h"

namespace present {

// ---- one element --------------------------------------------------------------------------------

TG2BgSprite::~TG2BgSprite() {
    if (isShared()) pending.SprObj = nullptr;
}

void TG2BgSprite::setSprObj(graphics::TGrObj* obj) {
    SprObj = obj;
    pending.setSprObj(obj);
}

void TG2BgSprite::setNo(int32_t n) {
    TG2SpriteState::setNo(n);
    pending.setNo(n);
}

void TG2BgSprite::clear() {
    TG2SpriteState::clear();
    pending.clear();
}

void TG2BgSprite::reset() {
    TG2SpriteState::reset();
    pending.reset();
}

void TG2BgSprite::release() {
    if (isShared()) pending.setSprObj(nullptr);
    TG2SpriteState::release();
}

void TG2BgSprite::setPendingSprObj(graphics::TGrObj* obj) {
    if (pending.SprObj && pending.SprObj != obj && pending.SprObj != SprObj) deleteGrObj(pending.SprObj);
    pending.setSprObj(obj);
}

void TG2BgSprite::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "gBgSprite");
    // A load replaces the shown object; a prepared half that shares it must not keep a pointer to
    // what the load deletes.
    if (x.isLoading() && isShared()) pending.SprObj = nullptr;
    bool differ = x.isStoring() && SprObj != pending.SprObj;
    x.exchangeFlags("SameSprObj", &differ);
    TG2SpriteState::exchange(x, true);
    if (differ) {
        if (x.isLoading() && pending.SprObj == SprObj) pending.SprObj = nullptr;
        pending.exchange(x, true);
    } else if (x.isLoading()) {
        if (pending.SprObj != SprObj) deleteGrObj(pending.SprObj);
        pending.SprObj = SprObj;
    }
}

// ---- the grid -----------------------------------------------------------------------------------

TG2BgsCenter::TG2BgsCenter(GraphicHost& host) : host_(host), grid_(kElements), screen_(host.screenSize()) {}

TG2BgsCenter::~TG2BgsCenter() {
    grid_.clear();
    TG2DwarfSprite::release();
}

void TG2BgsCenter::releaseAll() {
    for (auto& e : grid_) e.clear();
    clear();
}

void TG2BgsCenter::setNo(int32_t n) {
    TG2DwarfSprite::setNo(n);
    for (int32_t i = 0; i < kElements; ++i) grid_[static_cast<size_t>(i)].setNo(i);
}

void TG2BgsCenter::reset() {
    EStyle = 0;
    TG2DwarfSprite::reset();
    offset_ = {};
    for (auto& e : grid_) e.reset();
    TG2DwarfSprite::release();
    SprObj = renderToSprObj(nullptr);
}

void TG2BgsCenter::commitStates() {
    for (auto& e : grid_) {
        if (e.SprObj != e.pending.SprObj) {
            // The shown object goes; the prepared one must survive the release.
            graphics::TGrObj* next = e.pending.SprObj;
            e.pending.SprObj = nullptr;
            e.release();
            e.pending.SprObj = next;
        }
        e.copyShownState(e.pending);
    }
}

graphics::TSurface32* TG2BgsCenter::prepareTarget(TSprObjEx* obj) {
    graphics::TSurface32* target = obj->getSurface();
    if (!target || !obj->ownsSurface()) {
        auto own = std::make_unique<graphics::TSurface32>();
        if (!own->createFilled(screen_.cx, screen_.cy, 0xFF000000u)) return nullptr;
        target = own.get();
        obj->adoptSurface(std::move(own));
    }
    target->resetClip();
    target->fill(0xFF000000u);
    return target;
}

void TG2BgsCenter::finishTarget(TSprObjEx* obj, graphics::TSurface32* surface) {
    obj->setSurface(surface);
    obj->graphics::TGrObj::setPos(0, 0);
}

TSprObjEx* TG2BgsCenter::renderToSprObj(TSprObjEx* obj) {
    std::unique_ptr<TSprObjEx> made;
    if (!obj) obj = (made = std::make_unique<TSprObjEx>()).get();
    graphics::TSurface32* target = prepareTarget(obj);
    if (!target) return made.release();
    graphics::TGrTableObj table;
    table.create(target->width(), target->height(), kElements);
    for (auto& e : grid_) e.addToLayer(table.getLayer(e.Depth), 255);
    table.draw(*target);
    finishTarget(obj, target);
    made.release();
    return obj;
}

TSprObjEx* TG2BgsCenter::renderMorph(int32_t t, TSprObjEx* obj) {
    std::unique_ptr<TSprObjEx> made;
    if (!obj) obj = (made = std::make_unique<TSprObjEx>()).get();
    graphics::TSurface32* target = prepareTarget(obj);
    if (!target) return made.release();
    graphics::TGrTableObj table;
    table.create(target->width(), target->height(), kElements);
    auto interp = [t](int32_t p, int32_t q) { return static_cast<int32_t>(p + (int64_t(q) - p) * t / kMorphEnd); };
    auto opacityOf = [](graphics::TGrObj* o) {
        auto* mix = dynamic_cast<graphics::TMixObj*>(o);
        return mix ? static_cast<int32_t>(mix->getBlend()) : 255;
    };
    auto setOpacity = [](graphics::TGrObj* o, int32_t v) {
        if (auto* mix = dynamic_cast<graphics::TMixObj*>(o)) mix->setBlend(static_cast<uint32_t>(v));
    };
    std::vector<std::function<void()>> restore;
    auto keepPos = [&](graphics::TGrObj* o) {
        const graphics::POINT p = o->getPos();
        restore.push_back([o, p] { o->graphics::TGrObj::setPos(p.x, p.y); });
    };
    auto keepOpacity = [&](graphics::TGrObj* o) {
        const int32_t v = opacityOf(o);
        restore.push_back([o, v, setOpacity] { setOpacity(o, v); });
    };
    std::vector<std::unique_ptr<graphics::TBlendObj>> fades;
    for (auto& e : grid_) {
        graphics::TGrObj* a = e.Visible ? e.SprObj : nullptr;
        graphics::TGrObj* b = e.pending.Visible ? e.pending.SprObj : nullptr;
        graphics::TGrTableObj::Layer* layer = table.getLayer(e.Depth);
        if (!layer || (!a && !b)) continue;
        if (a == b) {
            layer->push_back(a);
        } else if (!a) {
            keepOpacity(b);
            setOpacity(b, static_cast<int32_t>(int64_t(opacityOf(b)) * t / kMorphEnd));
            layer->push_back(b);
        } else if (!b) {
            keepOpacity(a);
            const int32_t v = opacityOf(a);
            setOpacity(a, static_cast<int32_t>(v - int64_t(v) * t / kMorphEnd));
            layer->push_back(a);
        } else if (a->isSameType(*b)) {
            const graphics::POINT p = a->getPos(), q = b->getPos();
            keepPos(a);
            a->graphics::TGrObj::setPos(interp(p.x, q.x), interp(p.y, q.y));
            keepOpacity(a);
            setOpacity(a, interp(opacityOf(a), opacityOf(b)));
            auto* sa = dynamic_cast<graphics::TSprObj*>(a);
            auto* sb = dynamic_cast<graphics::TSprObj*>(b);
            if (sa && sb && isSurfaceObj(a)) {
                const int32_t w = sa->getDrawWidth(), h = sa->getDrawHeight();
                restore.push_back([sa, w, h] { sa->TSprite32::setSize(w, h); });
                sa->TSprite32::setSize(interp(w, sb->getDrawWidth()), interp(h, sb->getDrawHeight()));
            }
            layer->push_back(a);
        } else {
            for (graphics::TGrObj* o : {a, b}) {
                keepPos(o);
                const graphics::POINT from{o->placeX(e.X, screen_.cx), o->placeY(e.Y, screen_.cy)};
                const graphics::POINT to{o->placeX(e.pending.X, screen_.cx), o->placeY(e.pending.Y, screen_.cy)};
                o->graphics::TGrObj::setPos(interp(from.x, to.x), interp(from.y, to.y));
            }
            auto* sa = dynamic_cast<graphics::TSprObj*>(a);
            auto* sb = dynamic_cast<graphics::TSprObj*>(b);
            if (sa && sb && isSurfaceObj(a) && isSurfaceObj(b)) {
                // The blend type of both pictures becomes alpha for the cross-fade.
                const uint32_t ka = sa->getKind(), kb = sb->getKind();
                restore.push_back([sa, sb, ka, kb] {
                    sa->setKind(ka);
                    sb->setKind(kb);
                });
                auto& fade = fades.emplace_back(std::make_unique<graphics::TBlendObj>());
                fade->setPictures(sa, sb, 0);
                fade->setLevel(static_cast<int32_t>(255 * int64_t(t) / kMorphEnd));
                layer->push_back(fade.get());
            } else {
                layer->push_back(a);
                layer->push_back(b);
            }
        }
    }
    table.draw(*target);
    for (auto& r : restore) r();
    finishTarget(obj, target);
    made.release();
    return obj;
}

void TG2BgsCenter::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "gBgsCenter");
    if (x.isLoading()) TG2DwarfSprite::release();
    TG2DwarfSprite::exchange(x);
    x.exchangeShort("Offset X", offset_.x);
    x.exchangeShort("Offset Y", offset_.y);
    if (x.isStoring()) {
        for (int32_t i = 0; i < kElements; ++i) {
            TG2BgSprite& e = grid_[static_cast<size_t>(i)];
            if (!e.isModifiedAny()) continue;
            x.putShort("ID", static_cast<int16_t>(i));
            e.exchange(x);
        }
        x.putShort("ID", -1);
        return;
    }
    for (int32_t i; (i = x.getShort("ID")) >= 0;) {
        if (i >= kElements) throwG2Error(0x100c);
        grid_[static_cast<size_t>(i)].exchange(x);
    }
    TG2DwarfSprite::release();
    SprObj = renderToSprObj(nullptr);
}

}  // namespace present
