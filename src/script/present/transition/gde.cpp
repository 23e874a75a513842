#include "script/present/transition/gde.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "graphics/surface32.h"
#include "script/present/graphic/sprite_state.h"
#include "script/value_exchange.h"

namespace present {

using graphics::TMixObj;

namespace {

class StillHost : public GdeHost {
public:
    uint32_t now(bool) override { return 0; }
};

GdeHost* g_host = nullptr;

void invalidate(graphics::TGrObj* obj) {
    if (obj) obj->invalidate();
}

// opacity x master / 255, rounded the way the mixing kernels round.
int32_t scaleOpacity(int64_t opacity, int64_t master) {
    return static_cast<int32_t>(((opacity * master) * 0x01010101LL + 0x10000) >> 32);
}

}  // namespace

void GdeHost::exchangeSprObj(TValueExchange& x, TMixObj*& obj) {
    // A headless engine keeps no picture bank: pictures are not stored, and none comes back.
    int32_t kind = 0;
    x.exchangeInt("Kind", kind);
    if (x.isLoading()) obj = nullptr;
}

void GdeHost::exchangeAlphaCh(TValueExchange& x, graphics::TAlphaCh*& ch) {
    TValueExchange::TKey key(x, "AlphaChBank");
    bool enable = false;
    x.exchangeByte("Enable", enable);
    if (x.isLoading()) ch = nullptr;
}

GdeHost& gdeHost() {
    static StillHost still;
    return g_host ? *g_host : still;
}

void setGdeHost(GdeHost* host) { g_host = host; }

int32_t gdeProgress(uint32_t elapsed, int32_t time) {
    if (time < 1) return 8192;
    // In 64 bits: long times would overflow the product in 32.
    return static_cast<int32_t>(std::min<int64_t>(8192, (static_cast<int64_t>(elapsed) << 13) / time));
}

int32_t gdeSine(int32_t index) {
    static const auto table = [] {
        std::array<int16_t, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[i] = static_cast<int16_t>(std::lround(256.0 * std::sin(i * std::numbers::pi / 128)));
        return t;
    }();
    return table[static_cast<uint32_t>(index) & 255];
}

// --- TGrDwarf ---------------------------------------------------------------------------------

TGrDwarf::~TGrDwarf() {
    if (layer_ && layer_->getJob() == this) layer_->setJob(nullptr);
}

bool TGrDwarf::setLayer(GdeSprite* sprite) {
    layer_ = sprite;
    return true;
}

bool TGrDwarf::attach(GdeSprite* sprite) {
    if (!sprite || !setLayer(sprite)) return false;
    // A sprite runs one job: the one it had ends first, leaving its end state on the sprite.
    if (TGrDwarf* old = sprite->getJob(); old && old != this) old->finish();
    sprite->setJob(this);
    TDwarf::begin(thread_, (sprite->getFlag() & 1) == 0);
    paused_ = (sprite->getFlag() & 2) != 0;
    return true;
}

void TGrDwarf::detach() {
    if (layer_ && layer_->getJob() == this) layer_->setJob(nullptr);
    layer_ = nullptr;
    TDwarf::finish();
}

uint32_t TGrDwarf::elapsed(uint32_t start) const { return gdeHost().now(false) - start; }

void TGrDwarf::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "GrDwarf");
    TDwarf::exchange(x);
    // Made for one use whatever a save says, or nobody would delete it.
    deleteWhenFinished_ = true;
    int32_t no = layer_ ? layer_->getNo() : -1;
    x.exchangeShort("Layer", no);
    if (x.isLoading()) {
        layer_ = nullptr;
        if (no >= 256)
            layer_ = gdeHost().getBgsCenter();
        else if (no >= 0)
            layer_ = gdeHost().getSprite(no);
    }
}

// --- TGrDwarfEffect ---------------------------------------------------------------------------

TGrDwarfEffect::~TGrDwarfEffect() {
    if (after_) {
        gdeHost().releaseGrObjResource(after_);
        delete after_;
    }
}

bool TGrDwarfEffect::begin(GdeSprite* sprite, TMixObj* after) {
    if (!attach(sprite)) return false;
    abort_ = false;
    if (time_ == -1) time_ = getDefaultTime();
    startTime_ = 0;
    after_ = after;
    before_ = sprite->getSprObj();
    return true;
}

bool TGrDwarfEffect::start() {
    abort_ = false;
    startTime_ = gdeHost().now(true);
    gdeHost().jobWaits();
    gdeHost().clearInput();
    return true;
}

bool TGrDwarfEffect::update() {
    const uint32_t now = gdeHost().now(false);
    if (startTime_ > now) startTime_ = now;
    if (!abort_ && !gdeHost().isSkipping() && gdeHost().screenEffect()) return true;
    finish();
    return false;
}

void TGrDwarfEffect::finish() {
    GdeSprite* sprite = layer_;
    if (before_) {
        before_->invalidate();
        // Without an after picture the sprite is left showing nothing.
        if (sprite && sprite->getSprObj() == before_) sprite->setSprObj(nullptr);
        gdeHost().releaseGrObjResource(before_);
        delete before_;
        before_ = nullptr;
    }
    if (after_) {
        after_->invalidate();
        if (sprite) {
            sprite->setSprObj(after_);
        } else {
            gdeHost().releaseGrObjResource(after_);
            delete after_;
        }
        after_ = nullptr;
    }
    if (sprite && (sprite->getFlag() & 4)) gdeHost().collapseSprites(sprite->getNo());
    detach();
}

void TGrDwarfEffect::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "GrDwarfEffect");
    TGrDwarf::exchange(x);
    x.exchangeFlags("Abort", &abort_);
    x.exchangeInt("Time", time_);
    gdeHost().exchangeSprObj(x, after_);
    int32_t nowTime = static_cast<int32_t>(elapsedNow());
    x.exchangeInt("NowTime", nowTime);
    if (x.isLoading()) {
        startTime_ = gdeHost().now(false) - static_cast<uint32_t>(nowTime);
        before_ = nullptr;
        // The background's pictures are flattened into surfaces of the grid's own, which a save
        // does not hold: the after picture is the committed grid, drawn again.
        if (GdeGrid* grid = gdeHost().getBgsCenter(); grid && layer_ == grid) grid->renderToSprObj(after_);
        if (layer_) {
            if (TGrDwarf* old = layer_->getJob(); old && old != this) old->finish();
            layer_->setJob(this);
            before_ = layer_->getSprObj();
        }
    }
}

// --- TGdeChange -------------------------------------------------------------------------------

bool TGdeChange::update() {
    TGrDwarfEffect::update();
    if (!isFinished()) finish();
    return false;
}

void TGdeChange::addToLayer(GdeLayer& layer, int32_t master) {
    if (!after_) return;
    after_->setSubBlend(master);
    layer.append(after_);
}

// --- TGdeBlend --------------------------------------------------------------------------------

bool TGdeBlend::bothSurfaces() const { return isSurfaceObj(before_) && isSurfaceObj(after_); }

void TGdeBlend::takePictures() {
    auto* b = dynamic_cast<graphics::TSprObj*>(before_);
    auto* a = dynamic_cast<graphics::TSprObj*>(after_);
    if (!typesTaken_) {
        beforeType_ = b ? b->getBlendType() : 0;
        afterType_ = a ? a->getBlendType() : 0;
        typesTaken_ = true;
    }
    blend_.setPictures(b, a, getBlendType());
}

void TGdeBlend::restoreBlendTypes() {
    if (!typesTaken_) return;
    // The fade wrote its type into both pictures: the after picture lives on in the sprite with
    // the type it came with.
    if (auto* a = blend_.after()) a->setBlendType(afterType_);
    if (auto* b = blend_.before()) b->setBlendType(beforeType_);
    blend_.setPictures(nullptr, nullptr, 0);
    typesTaken_ = false;
}

void TGdeBlend::markPictures() {
    if (bothSurfaces()) {
        blend_.invalidate();
        return;
    }
    invalidate(before_);
    invalidate(after_);
}

bool TGdeBlend::begin(GdeSprite* sprite, TMixObj* after) {
    if (!TGrDwarfEffect::begin(sprite, after)) return false;
    current_ = 0;
    limit_ = 255;
    if (bothSurfaces()) {
        takePictures();
        blend_.setLevel(0);
    }
    return true;
}

bool TGdeBlend::start() {
    TGrDwarfEffect::start();
    markPictures();
    return true;
}

bool TGdeBlend::update() {
    if (!TGrDwarfEffect::update()) return false;
    const int32_t v =
        time_ >= 1 ? static_cast<int32_t>(std::min<int64_t>(limit_, int64_t{elapsedNow()} * 255 / time_)) : limit_;
    if (v == limit_) abort_ = true;
    if (v != current_) {
        if (bothSurfaces()) blend_.setLevel(v);
        markPictures();
    }
    current_ = v;
    return true;
}

void TGdeBlend::finish() {
    if (bothSurfaces()) {
        blend_.setLevel(255);
        blend_.invalidate();
    } else {
        if (before_) {
            before_->setSubBlend(0);
            before_->invalidate();
        }
        if (after_) {
            after_->setSubBlend(limit_);
            after_->invalidate();
        }
    }
    restoreBlendTypes();
    TGrDwarfEffect::finish();
}

void TGdeBlend::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "GdeBlend");
    TGrDwarfEffect::exchange(x);
    x.exchangeShort("BlendMix", current_);
    limit_ = 255;
    if (x.isLoading()) {
        current_ = std::clamp(current_, 0, limit_);
        if (bothSurfaces()) {
            typesTaken_ = false;
            takePictures();
            blend_.setLevel(current_);
        }
        markPictures();
    }
}

void TGdeBlend::addToLayer(GdeLayer& layer, int32_t master) {
    const int32_t b = current_, m = limit_;
    if (bothSurfaces()) {
        blend_.setOpacity(master);
        layer.append(&blend_);
        return;
    }
    if (before_ && after_) {
        const int32_t s = gdeSine((b * 128) / m) / 3;
        before_->setSubBlend(scaleOpacity(std::min(255, (m - b) + s), master));
        layer.append(before_);
        after_->setSubBlend(scaleOpacity(std::min(255, b + s), master));
        layer.append(after_);
        return;
    }
    if (before_) {
        before_->setSubBlend(scaleOpacity(m - b, master));
        layer.append(before_);
    }
    if (after_) {
        after_->setSubBlend(scaleOpacity(b, master));
        layer.append(after_);
    }
}

// --- TSlideObj, TGdeSlice ---------------------------------------------------------------------

void TSlideObj::draw(graphics::TSurface32& target) {
    if (!picture_) return;
    const graphics::SIZE size = gdeHost().layerSize();
    const int32_t W = size.cx, H = size.cy;
    const graphics::RECT saved = target.clip();
    const int32_t dx = getX(), dy = getY();
    if (dy < 1 && dx < 1) {
        picture_->draw(target);
    } else if (dy < 1) {
        for (int32_t y = 0; y < H; ++y) {
            const int32_t shift = (y & 1) ? dx : -dx;
            graphics::RECT strip{std::max(shift, 0), y, std::min(shift + W, W), y + 1};
            if (strip.left >= strip.right) continue;
            target.setClip(strip);
            picture_->drawOffset(target, shift, 0);
        }
    } else {
        for (int32_t x = 0; x < W; ++x) {
            const int32_t shift = (x & 1) ? dy : -dy;
            graphics::RECT strip{x, std::max(shift, 0), x + 1, std::min(shift + H, H)};
            if (strip.top >= strip.bottom) continue;
            target.setClip(strip);
            picture_->drawOffset(target, 0, shift);
        }
    }
    target.setClip(saved);
}

bool TGdeSlice::begin(GdeSprite* sprite, TMixObj* after) {
    if (!TGrDwarfEffect::begin(sprite, after)) return false;
    progress_ = 0;
    return true;
}

bool TGdeSlice::start() {
    TGrDwarfEffect::start();
    gdeHost().invalidateLayer();
    return true;
}

bool TGdeSlice::update() {
    if (!TGrDwarfEffect::update()) return false;
    const int32_t p = progressNow();
    if (p == 8192) abort_ = true;
    gdeHost().invalidateLayer();
    progress_ = p;
    return true;
}

void TGdeSlice::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "GdeSlice");
    TGrDwarfEffect::exchange(x);
    x.exchangeShort("Progress", progress_);
    if (x.isLoading()) progress_ = std::clamp(progress_, 0, 8192);
}

void TGdeSlice::addToLayer(GdeLayer& layer, int32_t master) {
    TMixObj* still = slidesIn() ? before_ : after_;
    TMixObj* moving = slidesIn() ? after_ : before_;
    if (still) {
        still->setSubBlend(master);
        layer.append(still);
    }
    if (!moving) return;
    const graphics::SIZE size = gdeHost().layerSize();
    const int64_t p = slidesIn() ? 8192 - progress_ : progress_;
    const int32_t shift = static_cast<int32_t>(p * (rows() ? size.cx : size.cy) / 8192);
    slide_.setPicture(moving);
    slide_.setPos(rows() ? shift : 0, rows() ? 0 : shift);
    layer.append(&slide_);
}

// --- TGdeScroll -------------------------------------------------------------------------------

bool TGdeScroll::begin(GdeSprite* sprite, TMixObj* after) {
    if (!TGrDwarfEffect::begin(sprite, after)) return false;
    progress_ = 0;
    if (before_) beforeX_ = before_->getX(), beforeY_ = before_->getY();
    if (after_) afterX_ = after_->getX(), afterY_ = after_->getY();
    return true;
}

bool TGdeScroll::update() {
    if (!TGrDwarfEffect::update()) return false;
    const int32_t p = progressNow();
    if (p == 8192) abort_ = true;
    gdeHost().invalidateLayer();
    progress_ = p;
    return true;
}

void TGdeScroll::finish() {
    if (before_) before_->setPos(beforeX_, beforeY_);
    if (after_) after_->setPos(afterX_, afterY_);
    TGrDwarfEffect::finish();
}

void TGdeScroll::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "GdeScroll");
    TGrDwarfEffect::exchange(x);
    x.exchangeShort("Progress", progress_);
    x.exchangeShort("Before X", beforeX_);
    x.exchangeShort("Before Y", beforeY_);
    x.exchangeShort("After X", afterX_);
    x.exchangeShort("After Y", afterY_);
    if (x.isLoading()) progress_ = std::clamp(progress_, 0, 8192);
}

void TGdeScroll::addToLayer(GdeLayer& layer, int32_t master) {
    const graphics::SIZE size = gdeHost().layerSize();
    const graphics::POINT dir = direction();
    const int32_t span = dir.x != 0 ? size.cx : size.cy;
    const int32_t d = static_cast<int32_t>(int64_t{progress_} * span / 8192);
    // The before picture moves d along the direction; the after picture follows a span behind.
    if (before_) {
        before_->setSubBlend(master);
        before_->setPos(beforeX_ + dir.x * d, beforeY_ + dir.y * d);
        layer.append(before_);
    }
    if (after_) {
        after_->setSubBlend(master);
        after_->setPos(afterX_ + dir.x * (d - span), afterY_ + dir.y * (d - span));
        layer.append(after_);
    }
}

}  // namespace present
