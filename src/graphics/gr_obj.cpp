#include "graphics/gr_obj.h"

#include <algorithm>

#include "graphics/graphic.h"
#include "graphics/sprite.h"
#include "graphics/surface32.h"

namespace graphics {

namespace {
int32_t screenWidth() { return graphic() ? graphic()->getWidth() : 0; }
int32_t screenHeight() { return graphic() ? graphic()->getHeight() : 0; }
}  // namespace

void TGrObj::invalidate() {
    if (TGraphic* g = graphic()) g->invalidateRect(TRect(x_, y_, getWidth(), getHeight()));
}

void TGrObj::invalidateRect(const RECT& r) {
    if (TGraphic* g = graphic())
        g->invalidateRect(RECT{RECT::saturate(int64_t(r.left) + x_), RECT::saturate(int64_t(r.top) + y_),
                               RECT::saturate(int64_t(r.right) + x_), RECT::saturate(int64_t(r.bottom) + y_)});
}

RECT TGrObj::getRect() const {
    const RECT r = getLocalRect();
    return RECT{RECT::saturate(int64_t(r.left) + x_), RECT::saturate(int64_t(r.top) + y_),
                RECT::saturate(int64_t(r.right) + x_), RECT::saturate(int64_t(r.bottom) + y_)};
}

void TGrObj::setXOnScreen(int32_t x) { setX(placeX(x, screenWidth())); }
void TGrObj::setYOnScreen(int32_t y) { setY(placeY(y, screenHeight())); }

void TGrObj::setPosAround(int32_t x, int32_t y, int32_t ax, int32_t ay) {
    if (isPlacementCode(x)) x = ax + placeX(x, 0);
    if (isPlacementCode(y)) y = ay + placeY(y, 0);
    setPos(x, y);
}

void TGrObj::setPosIn(int32_t x, int32_t y, const RECT& r) {
    if (isPlacementCode(x)) x = r.left + placeX(x, r.width());
    if (isPlacementCode(y)) y = r.top + placeY(y, r.height());
    setPos(x, y);
}

void TGrObj::setPosOnScreen(int32_t x, int32_t y) { setPos(placeOnScreen(x, y)); }

POINT TGrObj::placeOnScreen(int32_t x, int32_t y) const {
    return {placeX(x, screenWidth()), placeY(y, screenHeight())};
}

int32_t TGrObj::relX(int32_t x, int32_t ax) const {
    if (isPlacementCode(x)) return placeX(x, screenWidth());
    if (isPlacementCode(ax)) return x + placeX(ax, getWidth());
    return x - ax;
}

int32_t TGrObj::relY(int32_t y, int32_t ay) const {
    if (isPlacementCode(y)) return placeY(y, screenHeight());
    if (isPlacementCode(ay)) return y + placeY(ay, getHeight());
    return y - ay;
}

void TGrObj::scale(float fx, float fy) {
    // Products beyond the integer range keep its ends.
    auto scaled = [](int32_t v, float f) {
        const double p = static_cast<double>(v) * f;
        return p >= 2147483647.0 ? INT32_MAX : p <= -2147483648.0 ? INT32_MIN : p != p ? 0 : static_cast<int32_t>(p);
    };
    setSize(scaled(getWidth(), fx), scaled(getHeight(), fy));
}

void TGrObj::drawOffset(TSurface32& target, int32_t dx, int32_t dy) {
    if (!isVisible()) return;
    const POINT saved = getPos();
    moveBy(dx, dy);
    draw(target);
    setPos(saved);
}

void TGrObj::drawTiled(TSurface32& target, int32_t x, int32_t y, int32_t w, int32_t h) {
    const int64_t tw = getWidth(), th = getHeight();
    // Nothing to repeat: the tile counts would divide by zero.
    if (tw <= 0 || th <= 0) return;
    const int64_t columns = (int64_t(w) + 1) / tw + 1, rows = (int64_t(h) + 1) / th + 1;
    const RECT saved = target.clip();
    const bool hadClip = (target.flags() & TSurface32::kFlagClip) != 0;
    const RECT clip = intersect(TRect(x, y, w, h), saved);
    target.setClip(clip);
    if (!clip.empty() && columns > 0 && rows > 0) {
        // Only the tiles that reach into the clip are drawn: a huge area of small tiles costs
        // what the visible part costs.
        auto first = [](int64_t from, int64_t edge, int64_t step) {
            return std::max<int64_t>(0, (edge - from) / step);
        };
        auto last = [](int64_t from, int64_t edge, int64_t step, int64_t count) {
            return std::min<int64_t>(count, (edge - from + step - 1) / step);
        };
        const int64_t c0 = first(x, clip.left, tw), c1 = last(x, clip.right, tw, columns);
        const int64_t r0 = first(y, clip.top, th), r1 = last(y, clip.bottom, th, rows);
        for (int64_t r = r0; r < r1; ++r)
            for (int64_t c = c0; c < c1; ++c) {
                setPos(RECT::saturate(x + c * tw), RECT::saturate(y + r * th));
                draw(target);
            }
    }
    if (columns > 0 && rows > 0) setPos(RECT::saturate(x + (columns - 1) * tw), RECT::saturate(y + (rows - 1) * th));
    if (hadClip)
        target.setClip(saved);
    else
        target.resetClip();
}

bool clipRect(const RECT& bounds, RECT& rect) {
    if (bounds.right < bounds.left || bounds.bottom < bounds.top) return false;
    if (rect.left > bounds.right || rect.right < bounds.left || rect.top > bounds.bottom || rect.bottom < bounds.top)
        return false;
    rect = intersect(rect, bounds);
    return !rect.empty();
}

bool clipBlit(const RECT& clip, POINT& dst, RECT& src) { return clipBlitRect(clip, dst.x, dst.y, src); }

bool clipStretchBlit(const RECT& clip, POINT& dst, RECT& src, SIZE& dstSize) {
    return clipStretchBlitRect(clip, dst.x, dst.y, src, dstSize.cx, dstSize.cy);
}

namespace {
RECT spriteSource(const TSprite32& sprite) {
    RECT src = *sprite.getSourceRect();
    if (const TSurface32* s = sprite.getSurface()) src = intersect(src, RECT{0, 0, s->width(), s->height()});
    return src;
}
}  // namespace

bool clipSpriteBlit(const TSurface32& target, POINT& dst, const TSprite32& sprite, RECT& src) {
    src = spriteSource(sprite);
    if (src.empty()) return false;
    return clipBlit(target.drawableRect(), dst, src);
}

bool clipSpriteStretchBlit(const TSurface32& target, POINT& dst, const TSprite32& sprite, RECT& src, SIZE& dstSize) {
    src = spriteSource(sprite);
    sprite.getDrawSize(dstSize.cx, dstSize.cy);
    if (src.empty()) return false;
    return clipStretchBlit(target.drawableRect(), dst, src, dstSize);
}

}  // namespace graphics
