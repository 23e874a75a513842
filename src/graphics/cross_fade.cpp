#include "graphics/cross_fade.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/gr_obj.h"
#include "graphics/kernels.h"
#include "graphics/pixel.h"
#include "graphics/sprite.h"
#include "graphics/surface32.h"

namespace graphics {

namespace {

struct Tables {
    uint8_t a[256];
    uint8_t b[256];
};

// The levels of each sprite's alpha: floor(floor(i x (255 - t) x o / 255) / 255) and the
// same with t (at o = 255 this is div255(i x (255 - t))).
void makeTables(Tables& tb, uint32_t o, uint32_t t) {
    for (uint32_t i = 0; i < 256; ++i) {
        tb.a[i] = static_cast<uint8_t>(div255(div255(uint64_t(i) * (255 - t) * o)));
        tb.b[i] = static_cast<uint8_t>(div255(div255(uint64_t(i) * t * o)));
    }
}

// A colour drawn with a level onto one destination pixel.
template <bool DstAlpha>
inline uint32_t put(uint32_t d, uint32_t c, uint32_t level) {
    if (level == 0) return d;
    if (level == 255) return c;
    if constexpr (DstAlpha) {
        if (alphaOf(d) == 0) return c | 0xFF000000u;
        return blendOver(d, c, level);
    } else {
        return lerp(d, c, level);
    }
}

// One overlap pixel. a and b are the pixels' alphas (0 for a keyed pixel, 255 without source
// alpha).
template <bool DstAlpha>
inline uint32_t mix(uint32_t d, uint32_t A, uint32_t a, uint32_t B, uint32_t b, uint32_t o, uint32_t t,
                    const Tables& tb) {
    if (a == 0 && b == 0) return d;
    if (a == 0) return put<DstAlpha>(d, B, tb.b[b]);
    if (b == 0) return put<DstAlpha>(d, A, tb.a[a]);
    if (a + b == 510) {
        const uint32_t c = lerp(A, B, t);
        return o == 255 ? c : put<DstAlpha>(d, c, o);
    }
    const uint32_t wA = a * (255 - t), wB = b * t, sum = wA + wB;
    const uint32_t f = wA < wB ? 255 - (wA * 255) / sum : (wB * 255) / sum;
    const uint32_t c = f == 0 ? A : f == 255 ? B : lerp(A, B, f);
    const uint32_t level = o == 255 ? sum / 255 : div255(div255(uint64_t(sum) * o));
    return put<DstAlpha>(d, c, level);
}

struct Side {
    const uint32_t* row;
    ptrdiff_t stride;
    bool keyed;
    uint32_t key;
    bool alpha;
    uint32_t alphaOf(uint32_t p) const {
        if (keyed && p == key) return 0;
        return alpha ? graphics::alphaOf(p) : 255;
    }
};

template <bool DstAlpha, bool Keyed1, bool Keyed2, bool Alpha1, bool Alpha2>
void mixRows(uint32_t* d, ptrdiff_t dStride, Side s1, Side s2, int32_t w, int32_t h, uint32_t o, uint32_t t,
             const Tables& tb) {
    for (int32_t r = 0; r < h; ++r, d += dStride, s1.row += s1.stride, s2.row += s2.stride)
        for (int32_t i = 0; i < w; ++i) {
            const uint32_t A = s1.row[i], B = s2.row[i];
            uint32_t a = Alpha1 ? graphics::alphaOf(A) : 255, b = Alpha2 ? graphics::alphaOf(B) : 255;
            if (Keyed1 && A == s1.key) a = 0;
            if (Keyed2 && B == s2.key) b = 0;
            d[i] = mix<DstAlpha>(d[i], A, a, B, b, o, t, tb);
        }
}

template <bool DstAlpha>
void generalRows(uint32_t* d, ptrdiff_t dStride, Side s1, Side s2, int32_t w, int32_t h, uint32_t o, uint32_t t,
                 const Tables& tb) {
    for (int32_t r = 0; r < h; ++r, d += dStride, s1.row += s1.stride, s2.row += s2.stride)
        for (int32_t i = 0; i < w; ++i)
            d[i] = mix<DstAlpha>(d[i], s1.row[i], s1.alphaOf(s1.row[i]), s2.row[i], s2.alphaOf(s2.row[i]), o, t, tb);
}

// Sprite part of `r` (destination rectangle) drawn with the sprite's own blit, when not empty.
void blitPart(TSurface32& dst, const TSprite32& s, POINT at, const RECT& src, const RECT& r) {
    if (r.empty()) return;
    const RECT part{src.left + (r.left - at.x), src.top + (r.top - at.y), src.left + (r.right - at.x),
                    src.top + (r.bottom - at.y)};
    if (s.isPaintMode())
        s.paintBlit(dst, r.left, r.top, part);
    else
        s.blit(dst, r.left, r.top, part);
}

// The parts of the destination rectangle d outside c, as up to four bands.
void blitOutside(TSurface32& dst, const TSprite32& s, POINT at, const RECT& src, const RECT& d, const RECT& c) {
    blitPart(dst, s, at, src, RECT{d.left, d.top, d.right, c.top});
    blitPart(dst, s, at, src, RECT{d.left, c.bottom, d.right, d.bottom});
    blitPart(dst, s, at, src, RECT{d.left, c.top, c.left, c.bottom});
    blitPart(dst, s, at, src, RECT{c.right, c.top, d.right, c.bottom});
}

}  // namespace

void crossFadeKernel(TSurface32& dst, int32_t x, int32_t y, const TSprite32& sprite1, int32_t sx1, int32_t sy1,
                     const TSprite32& sprite2, int32_t sx2, int32_t sy2, int32_t w, int32_t h, uint32_t o, uint32_t t,
                     bool general) {
    const TSurface32* a = sprite1.getSurface();
    const TSurface32* b = sprite2.getSurface();
    if (!a || !b || !a->pixels() || !b->pixels() || !dst.pixels() || w <= 0 || h <= 0 || o == 0) return;
    auto inside = [](const TSurface32& s, int32_t px, int32_t py, int32_t pw, int32_t ph) {
        return px >= 0 && py >= 0 && int64_t(px) + pw <= s.width() && int64_t(py) + ph <= s.height();
    };
    if (!inside(*a, sx1, sy1, w, h) || !inside(*b, sx2, sy2, w, h) || !inside(dst, x, y, w, h)) return;
    o = std::min<uint32_t>(o, 255);
    t = std::min<uint32_t>(t, 255);
    if (DrawRecord* record = dst.recorder()) {
        DrawKey key(30);
        key.add(a).add(a->stamp()).add(b).add(b->stamp()).add(uint64_t(uint32_t(sx1)) << 32 | uint32_t(sy1));
        key.add(uint64_t(uint32_t(sx2)) << 32 | uint32_t(sy2)).add(uint64_t(o) << 32 | t).add(general);
        key.add(sprite1.getKind()).add(sprite1.getColorKey()).add(sprite2.getKind()).add(sprite2.getColorKey());
        record->add(TRect(x, y, w, h), key.value(), false);
        return;
    }
    const Side s1{a->row(sy1) + sx1, a->width(), sprite1.isColorKeyed() != 0, sprite1.getColorKey(),
                  sprite1.hasSourceAlpha() != 0};
    const Side s2{b->row(sy2) + sx2, b->width(), sprite2.isColorKeyed() != 0, sprite2.getColorKey(),
                  sprite2.hasSourceAlpha() != 0};
    uint32_t* d = dst.row(y) + x;
    const ptrdiff_t ds = dst.width();
    const bool dstAlpha = dst.hasAlpha();
    Tables tb;
    makeTables(tb, o, t);
    if (general || o != 255) {
        if (dstAlpha)
            generalRows<true>(d, ds, s1, s2, w, h, o, t, tb);
        else
            generalRows<false>(d, ds, s1, s2, w, h, o, t, tb);
        return;
    }
    const bool keyed = s1.keyed || s2.keyed;
    if (!keyed && !s1.alpha && !s2.alpha) {
        // Both opaque everywhere: the lerp of the two, written as it is.
        if (t == 0 || t == 255) {
            const Side& s = t == 0 ? s1 : s2;
            for (int32_t r = 0; r < h; ++r) std::memcpy(d + r * ds, s.row + r * s.stride, static_cast<size_t>(w) * 4);
            return;
        }
        const RowKernels& k = rowKernels();
        for (int32_t r = 0; r < h; ++r) {
            k.copy(d + r * ds, s1.row + r * s1.stride, w);
            k.lerp(d + r * ds, s2.row + r * s2.stride, w, t);
        }
        return;
    }
    if (s1.keyed && s2.keyed && !s1.alpha && !s2.alpha) {
        if (dstAlpha)
            mixRows<true, true, true, false, false>(d, ds, s1, s2, w, h, o, t, tb);
        else
            mixRows<false, true, true, false, false>(d, ds, s1, s2, w, h, o, t, tb);
    } else if (!keyed && s1.alpha && s2.alpha) {
        if (dstAlpha)
            mixRows<true, false, false, true, true>(d, ds, s1, s2, w, h, o, t, tb);
        else
            mixRows<false, false, false, true, true>(d, ds, s1, s2, w, h, o, t, tb);
    } else if (dstAlpha) {
        generalRows<true>(d, ds, s1, s2, w, h, o, t, tb);
    } else {
        generalRows<false>(d, ds, s1, s2, w, h, o, t, tb);
    }
}

void crossFade(TSurface32& dst, int32_t x1, int32_t y1, TSprite32& sprite1, int32_t x2, int32_t y2, TSprite32& sprite2,
               uint32_t t) {
    if (t == 0) {
        sprite1.draw(dst, x1, y1);
        return;
    }
    if (t >= 255) {
        sprite2.draw(dst, x2, y2);
        return;
    }
    if (sprite1.getBlendType() != 0 || sprite2.getBlendType() != 0) return;
    const uint32_t o = sprite1.getOpacity();
    if (sprite2.getOpacity() != o) return;
    sprite1.setOpacity(div255((255 - t) * o));
    sprite2.setOpacity(div255(t * o));
    if (sprite1.isStretched() || sprite2.isStretched()) {
        // Stretched pictures have no common pixel grid: each is drawn at its share.
        sprite1.draw(dst, x1, y1);
        sprite2.draw(dst, x2, y2);
    } else {
        POINT p1{x1, y1}, p2{x2, y2};
        RECT src1, src2;
        const bool v1 = sprite1.getSurface() && dst.pixels() && clipSpriteBlit(dst, p1, sprite1, src1);
        const bool v2 = sprite2.getSurface() && dst.pixels() && clipSpriteBlit(dst, p2, sprite2, src2);
        const RECT d1 = TRect(p1.x, p1.y, src1.width(), src1.height());
        const RECT d2 = TRect(p2.x, p2.y, src2.width(), src2.height());
        const RECT c = intersect(d1, d2);
        if (v1 && v2 && !c.empty()) {
            blitOutside(dst, sprite1, p1, src1, d1, c);
            blitOutside(dst, sprite2, p2, src2, d2, c);
            crossFadeKernel(dst, c.left, c.top, sprite1, src1.left + (c.left - p1.x), src1.top + (c.top - p1.y),
                            sprite2, src2.left + (c.left - p2.x), src2.top + (c.top - p2.y), c.width(), c.height(), o,
                            t);
        } else {
            if (v1) blitPart(dst, sprite1, p1, src1, d1);
            if (v2) blitPart(dst, sprite2, p2, src2, d2);
        }
    }
    sprite1.setOpacity(o);
    sprite2.setOpacity(o);
}

}  // namespace graphics
