#include "graphics/gr_kinds.h"

#include <algorithm>

#include "framework/frame.h"
#include "graphics/cross_fade.h"
#include "graphics/graphic.h"
#include "graphics/pixel.h"
#include "graphics/surface32.h"
#include "platform/clock.h"

namespace graphics {

uint32_t mulOpacity(int64_t a, int64_t b) {
    return div255(static_cast<uint64_t>(std::clamp<int64_t>(a, 0, 255) * std::clamp<int64_t>(b, 0, 255)));
}

// ---- sprite object ----------------------------------------------------------------------------

bool TSprObj::isSameType(const TGrObj& other) const {
    if (!TGrObj::isSameType(other)) return false;
    const auto* o = dynamic_cast<const TSprObj*>(&other);
    return o && o->getSurface() == getSurface() && *o->getSourceRect() == *getSourceRect();
}

void TSprObj::drawWithOpacity(TSurface32& target, uint32_t opacity) {
    if (!isVisible()) return;
    const uint32_t e = mulOpacity(subBlend_, opacity);
    if (e == 0) return;
    if (e == 255) {
        TSprite32::draw(target, x_, y_);
        return;
    }
    const uint32_t s = getOpacity();
    setOpacity(mulOpacity(s, e));
    TSprite32::draw(target, x_, y_);
    setOpacity(s);
}

void TSprObj::drawScreenClipped(TSurface32& target) {
    if (isVisible()) TSprite32::draw(target, x_, y_);
}

// ---- fill and light ---------------------------------------------------------------------------

void ColourRectObj::drawWithOpacity(TSurface32& target, uint32_t opacity) {
    if (!isVisible() || opacity == 0) return;
    if (opacity >= 255) {
        draw(target);
        return;
    }
    const uint32_t a = getAlpha();
    setAlpha(mulOpacity(a, opacity));
    draw(target);
    setAlpha(a);
}

void TFillObj::draw(TSurface32& target) {
    const RECT r = getRect();
    target.blendRect(r.left, r.top, r.right, r.bottom, getColor());
}

void TLightObj::draw(TSurface32& target) {
    const RECT r = getRect();
    target.addRect(r.left, r.top, r.right, r.bottom, getColor());
}

// ---- blend object -----------------------------------------------------------------------------

SIZE TBlendObj::getSize() const {
    const RECT a = before_ ? before_->getRect() : RECT{};
    const RECT b = after_ ? after_->getRect() : RECT{};
    if (!before_ || !after_) {
        const RECT& r = before_ ? a : b;
        return {r.width(), r.height()};
    }
    return {RECT::saturate(int64_t(std::max(a.right, b.right)) - std::min(a.left, b.left)),
            RECT::saturate(int64_t(std::max(a.bottom, b.bottom)) - std::min(a.top, b.top))};
}

void TBlendObj::invalidate() {
    if (before_) before_->invalidate();
    if (after_) after_->invalidate();
}

void TBlendObj::setPictures(TSprObj* before, TSprObj* after, uint32_t blendType) {
    before_ = before;
    after_ = after;
    if (before_) before_->TSprite32::setBlendType(blendType);
    if (after_) after_->TSprite32::setBlendType(blendType);
}

void TBlendObj::drawWithOpacity(TSurface32& target, uint32_t opacity) {
    if (!isVisible() || (!before_ && !after_)) return;
    const uint32_t e = mulOpacity(opacity_, opacity);
    const int32_t savedBefore = before_ ? before_->getSubBlend() : 0;
    const int32_t savedAfter = after_ ? after_->getSubBlend() : 0;
    if (before_) before_->setSubBlend(static_cast<int32_t>(e));
    if (after_) after_->setSubBlend(static_cast<int32_t>(e));
    const uint32_t level = static_cast<uint32_t>(std::clamp(level_, 0, 255));
    if (before_ && after_) {
        const uint32_t t = before_->getBlendType();
        if (t == 0) {
            // The object's opacity reaches the mix through both pictures' own opacity.
            const uint32_t s1 = before_->getOpacity(), s2 = after_->getOpacity();
            if (e < 255) {
                before_->setOpacity(mulOpacity(s1, e));
                after_->setOpacity(mulOpacity(s2, e));
            }
            if (e > 0)
                crossFade(target, before_->getX(), before_->getY(), *before_, after_->getX(), after_->getY(), *after_,
                          level);
            before_->setOpacity(s1);
            after_->setOpacity(s2);
        } else if (t == 2 || t == 6) {
            before_->drawWithOpacity(target, 255 - level);
            after_->drawWithOpacity(target, level);
        }
    } else if (before_) {
        before_->drawWithOpacity(target, 255 - level);
    } else {
        after_->drawWithOpacity(target, level);
    }
    if (before_) before_->setSubBlend(savedBefore);
    if (after_) after_->setSubBlend(savedAfter);
}

// ---- fade -------------------------------------------------------------------------------------

TFade::TFade() = default;

void TFade::setLevel(int32_t level) {
    if (level == level_) return;
    level_ = level;
    if (TGraphic* g = graphic()) g->invalidate();
}

void TFade::start(int32_t direction, uint32_t duration, uint32_t colour, int32_t layer) {
    start(platform::timeGetTime(), direction, duration, colour, layer);
}

void TFade::start(uint32_t time, int32_t direction, uint32_t duration, uint32_t colour, int32_t layer) {
    start_ = time;
    state_ = direction;
    duration_ = duration;
    colour_ = colour;
    level_ = direction == 0 ? 255 : 0;
    TGraphic* g = graphic();
    const int32_t w = g ? g->getWidth() : 0, h = g ? g->getHeight() : 0;
    fill_.setPos(0, 0);
    light_.setPos(0, 0);
    fill_.setup(w, h, colour, 255);
    light_.setup(w, h, colour, 255);
    const int32_t count = g ? static_cast<int32_t>(g->getLayers().size()) : 0;
    layer_ = layer == -1 || layer >= count ? count - 1 : layer;
    attach();
    if (g) g->invalidate();
}

void TFade::finish() {
    if (state_ == kFadingIn)
        setLevel(0);
    else if (state_ == kFadingOut)
        setLevel(255);
    if (TGraphic* g = graphic(); g && (state_ == kFadingIn || state_ == kFadingOut)) g->invalidate();
    state_ = kIdle;
}

int32_t TFade::update() {
    const TGameFrame* f = gameFrame();
    return update(f ? f->frameTime() : platform::timeGetTime());
}

int32_t TFade::update(uint32_t now) {
    auto progress = [&]() -> int32_t {
        const int64_t elapsed = std::max<int64_t>(0, platform::timeDiff(now, start_));
        return static_cast<int32_t>(std::min<int64_t>(255, elapsed * 255 / duration_));
    };
    switch (state_) {
        case kFadingIn:
            setLevel(duration_ ? 255 - progress() : 0);
            if (level_ == 0) {
                start_ = 0;
                state_ = kFinished;
            }
            break;
        case kFadingOut:
            setLevel(duration_ ? progress() : 255);
            if (level_ == 255) state_ = kFinished;
            break;
        case kFinished:
            state_ = kIdle;
            break;
        default:
            break;
    }
    return state_;
}

void TFade::reset() {
    state_ = kIdle;
    level_ = 0;
}

void TFade::attach() {
    TGraphic* g = graphic();
    if (!g || level_ <= 0) return;
    ColourRectObj* cover = mode_ == kModeFill    ? static_cast<ColourRectObj*>(&fill_)
                           : mode_ == kModeLight ? static_cast<ColourRectObj*>(&light_)
                                                 : nullptr;
    if (!cover || !g->getLayer(layer_)) return;
    cover->setAlpha(static_cast<uint32_t>(level_));
    g->add(layer_, cover);
}

}  // namespace graphics
