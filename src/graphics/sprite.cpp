#include "graphics/sprite.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "graphics/blitter.h"
#include "graphics/pixel_format.h"
#include "graphics/screen_surface.h"
#include "graphics/surface32.h"
#include "graphics/surface8.h"
#include "platform/display.h"

namespace graphics {

namespace {

int tableRow(const TSurface32& dst) { return dst.hasAlpha() ? 0 : 1; }

// Area averaging of n source values (each channel summed with weights in 1/256 pixel) into m.
// read(k) gives source value k, write(i, v) takes result i.
template <class Read, class Write>
void resampleLine(int32_t n, int32_t m, Read read, Write write) {
    const int64_t step = (int64_t(n) << 8) / m;
    const bool enlarging = m > n;
    int64_t p = 0;
    for (int32_t i = 0; i < m; ++i) {
        const int64_t next = (int64_t(i + 1) * n * 256) / m;
        uint64_t sum[4] = {0, 0, 0, 0};
        auto add = [&](int64_t k, uint64_t w) {
            if (w == 0) return;
            const uint32_t v = read(static_cast<int32_t>(k));
            sum[0] += w * (v & 0xFF);
            sum[1] += w * ((v >> 8) & 0xFF);
            sum[2] += w * ((v >> 16) & 0xFF);
            sum[3] += w * (v >> 24);
        };
        uint64_t div;
        if (enlarging) {
            // Each source pixel weighs by how much of it the span covers, and the sum is divided
            // by the span itself, so a run of equal pixels keeps its value.
            if (next == p) {
                write(i, read(static_cast<int32_t>(std::min<int64_t>(p >> 8, n - 1))));
                p = next;
                continue;
            }
            for (int64_t k = p >> 8; k <= (next - 1) >> 8; ++k) {
                const int64_t lo = std::max(p, k << 8);
                const int64_t hi = std::min(next, (k + 1) << 8);
                add(k, static_cast<uint64_t>(hi - lo));
            }
            div = static_cast<uint64_t>(next - p);
        } else {
            const int64_t first = p >> 8, last = next >> 8;
            add(first, static_cast<uint64_t>(256 - (p & 255)));
            for (int64_t k = first + 1; k < last; ++k) add(k, 256);
            if (last < n) add(last, static_cast<uint64_t>(next & 255));
            div = static_cast<uint64_t>(step);
        }
        uint32_t out = 0;
        for (int c = 0; c < 4; ++c) out |= static_cast<uint32_t>(std::min<uint64_t>(sum[c] / div, 255)) << (8 * c);
        write(i, out);
        p = next;
    }
}

// One axis of a stretched blit: trims the destination run [p, p + len) to [lo, hi) and the
// source run [s0, s1) in proportion (srcLen source pixels spread over len0 destination pixels).
void clipStretchAxis(int64_t lo, int64_t hi, int64_t srcLen, int64_t len0, int64_t& p, int64_t& len, int64_t& s0,
                     int64_t& s1) {
    if (p < lo) {
        const int64_t d = lo - p;
        len -= d;
        s0 += d * srcLen / len0;
        p = lo;
    }
    if (p + len > hi) {
        const int64_t d = p + len - hi;
        len -= d;
        s1 -= d * srcLen / len0;
    }
}

}  // namespace

// A size times a scale, truncated towards zero. A product outside the 32-bit range (or not a
// number) gives INT32_MIN, as the processor's own conversion does, rather than undefined behaviour.
int32_t scaledSize(int32_t size, float scale) {
    const float v = static_cast<float>(size) * scale;
    if (!(v > -2147483904.0f && v < 2147483648.0f)) return INT32_MIN;
    return static_cast<int32_t>(v);
}

bool clipBlitRect(const RECT& clip, int32_t& x, int32_t& y, RECT& src) {
    if (clip.right < clip.left || clip.bottom < clip.top) return false;
    const int64_t sw = int64_t(src.right) - src.left, sh = int64_t(src.bottom) - src.top;
    if (x >= clip.right) {
        src.right = src.left;
        return false;
    }
    if (x + sw <= clip.left) {
        src.left = src.right;
        return false;
    }
    if (y >= clip.bottom) {
        src.bottom = src.top;
        return false;
    }
    if (y + sh <= clip.top) {
        src.top = src.bottom;
        return false;
    }
    if (x < clip.left) {
        src.left = RECT::saturate(int64_t(src.left) + clip.left - x);
        x = clip.left;
    }
    if (int64_t(x) + (int64_t(src.right) - src.left) > clip.right)
        src.right = RECT::saturate(int64_t(src.left) - x + clip.right);
    if (y < clip.top) {
        src.top = RECT::saturate(int64_t(src.top) + clip.top - y);
        y = clip.top;
    }
    if (int64_t(y) + (int64_t(src.bottom) - src.top) > clip.bottom)
        src.bottom = RECT::saturate(int64_t(src.top) - y + clip.bottom);
    return src.right > src.left && src.bottom > src.top;
}

bool clipStretchBlitRect(const RECT& clip, int32_t& x, int32_t& y, RECT& src, int32_t& width, int32_t& height) {
    const int64_t sw = int64_t(src.right) - src.left, sh = int64_t(src.bottom) - src.top;
    if (sw < 1) {
        width = 0;
        return false;
    }
    if (sh < 1) {
        height = 0;
        return false;
    }
    if (width < 1 || height < 1) return false;
    if (clip.right < clip.left || clip.bottom < clip.top) return false;
    const int64_t w0 = width, h0 = height;
    int64_t w = width, h = height, px = x, py = y, l = src.left, t = src.top, r = src.right, b = src.bottom;
    clipStretchAxis(clip.left, clip.right, sw, w0, px, w, l, r);
    clipStretchAxis(clip.top, clip.bottom, sh, h0, py, h, t, b);
    if (w <= 0) {
        width = 0;
        return false;
    }
    if (h <= 0) {
        height = 0;
        return false;
    }
    x = static_cast<int32_t>(px);
    y = static_cast<int32_t>(py);
    width = static_cast<int32_t>(w);
    height = static_cast<int32_t>(h);
    src = RECT{static_cast<int32_t>(l), static_cast<int32_t>(t), static_cast<int32_t>(r), static_cast<int32_t>(b)};
    return r > l && b > t;
}

void TSprite32::setSurface(TSurface32* surface) {
    if (!surface) {
        reset();
        return;
    }
    surface_ = surface;
    if (surface->isColorKeyed()) {
        flags_ |= sprite_flag::kColorKey;
        colorKey_ = 0;
    }
    if (surface->hasAlpha()) flags_ |= sprite_flag::kSourceAlpha;
    resetSourceRect();
}

void TSprite32::resetSourceRect() {
    if (!surface_) return;
    flags_ &= ~sprite_flag::kSubRect;
    sourceRect_ = RECT{0, 0, surface_->width(), surface_->height()};
    resetSize();
}

void TSprite32::setSourceRect(const RECT& r) {
    if (!surface_) return;
    if (r == RECT{0, 0, surface_->width(), surface_->height()}) {
        resetSourceRect();
        return;
    }
    flags_ |= sprite_flag::kSubRect;
    sourceRect_ = r;
    resetSize();
}

void TSprite32::resetSize() {
    if (!surface_) return;
    flags_ &= ~sprite_flag::kStretched;
    drawWidth_ = sourceRect_.width();
    drawHeight_ = sourceRect_.height();
}

void TSprite32::setSize(int32_t width, int32_t height) {
    if (!surface_) return;
    if (width == sourceRect_.width() && height == sourceRect_.height()) {
        resetSize();
        return;
    }
    flags_ |= sprite_flag::kStretched;
    drawWidth_ = width;
    drawHeight_ = height;
}

void TSprite32::setScaleX(float sx) {
    if (!surface_) return;
    if (sx == 1.0f && drawHeight_ == sourceRect_.height()) {
        resetSize();
        return;
    }
    flags_ |= sprite_flag::kStretched;
    drawWidth_ = scaledSize(sourceRect_.width(), sx);
}

void TSprite32::setScaleY(float sy) {
    if (!surface_) return;
    if (sy == 1.0f && drawWidth_ == sourceRect_.width()) {
        resetSize();
        return;
    }
    flags_ |= sprite_flag::kStretched;
    drawHeight_ = scaledSize(sourceRect_.height(), sy);
}

void TSprite32::setScale(float sx, float sy) {
    if (!surface_) return;
    if (sx == 1.0f && sy == 1.0f) {
        resetSize();
        return;
    }
    flags_ |= sprite_flag::kStretched;
    drawWidth_ = scaledSize(sourceRect_.width(), sx);
    drawHeight_ = scaledSize(sourceRect_.height(), sy);
}

void TSprite32::setColorKeyAt(int32_t x, int32_t y) {
    if (surface_) colorKey_ = surface_->getPixel(x, y);
}

void TSprite32::clearMask() {
    flags_ &= ~sprite_flag::kTiledMask;
    mask_ = nullptr;
}

void TSprite32::setMask(TAlphaMask* mask) {
    if (!mask) {
        clearMask();
        return;
    }
    flags_ |= sprite_flag::kTiledMask;
    mask_ = mask;
}

void TSprite32::reset() { *this = TSprite32(); }

void TSprite32::stretchBlit(TSurface32& dst, int32_t x, int32_t y, const RECT& src, int32_t width,
                            int32_t height) const {
    if (width <= 0 || height <= 0 || src.empty()) return;
    blitKernel(2 + tableRow(dst), flags_)(dst, x, y, *this, src, width, height);
}

void TSprite32::blit(TSurface32& dst, int32_t x, int32_t y, const RECT& src) const {
    if (src.empty()) return;
    blitKernel(tableRow(dst), flags_)(dst, x, y, *this, src, src.width(), src.height());
}

void TSprite32::paintStretchBlit(TSurface32& dst, int32_t x, int32_t y, const RECT& src, int32_t width,
                                 int32_t height) const {
    if (width <= 0 || height <= 0 || src.empty()) return;
    blitKernel(6 + tableRow(dst), flags_)(dst, x, y, *this, src, width, height);
}

void TSprite32::paintBlit(TSurface32& dst, int32_t x, int32_t y, const RECT& src) const {
    if (src.empty()) return;
    blitKernel(4 + tableRow(dst), flags_)(dst, x, y, *this, src, src.width(), src.height());
}

void TSprite32::note(DrawRecord& record, const TSurface32& dst, int32_t x, int32_t y, const RECT& src, int32_t width,
                     int32_t height) const {
    DrawKey key(120);
    key.add(flags_)
        .add(surface_)
        .add(surface_->stamp())
        .add(src)
        .add(uint64_t(uint32_t(width)) << 32 | uint32_t(height));
    key.add(colorKey_).add(modulate_).add(paintColor_).add(dst.hasAlpha());
    if (mask_ && mask_->map()) key.add(mask_->map()).add(mask_->map()->stamp()).addBytes(mask_->table(), 256);
    record.add(TRect(x, y, width, height), key.value(), isStretched() != 0);
}

void TSprite32::draw(TSurface32& dst, int32_t x, int32_t y) const {
    if (!surface_ || !std::as_const(dst).pixels()) return;
    RECT src = intersect(sourceRect_, RECT{0, 0, surface_->width(), surface_->height()});
    if (src.empty()) return;
    // The clip rectangle may reach past the surface; drawing never does.
    const RECT clip = dst.drawableRect();
    if (isStretched()) {
        int32_t w = drawWidth_, h = drawHeight_;
        if (!clipStretchBlitRect(clip, x, y, src, w, h)) return;
        if (DrawRecord* record = dst.recorder()) {
            note(*record, dst, x, y, src, w, h);
            return;
        }
        if (isPaintMode())
            paintStretchBlit(dst, x, y, src, w, h);
        else
            stretchBlit(dst, x, y, src, w, h);
    } else {
        if (!clipBlitRect(clip, x, y, src)) return;
        if (DrawRecord* record = dst.recorder()) {
            note(*record, dst, x, y, src, src.width(), src.height());
            return;
        }
        if (isPaintMode())
            paintBlit(dst, x, y, src);
        else
            blit(dst, x, y, src);
    }
}

void TSprite32::smoothBlit(TSurface32& dst, int32_t x, int32_t y, const RECT& src, int32_t width,
                           int32_t height) const {
    const TSurface32* s = surface_;
    if (!s || !s->pixels() || !std::as_const(dst).pixels() || width <= 0 || height <= 0 || src.empty()) return;
    if (src.left < 0 || src.top < 0 || src.right > s->width() || src.bottom > s->height()) return;
    if (x < 0 || y < 0 || int64_t(x) + width > dst.width() || int64_t(y) + height > dst.height()) return;
    // Resampling reads from where a clip cuts it: drawn whole.
    if (DrawRecord* record = dst.recorder()) {
        record->add(
            TRect(x, y, width, height),
            DrawKey(40).add(s).add(s->stamp()).add(src).add(uint64_t(uint32_t(width)) << 32 | uint32_t(height)).value(),
            true);
        return;
    }
    const int32_t sw = src.width(), sh = src.height();
    // Horizontal pass into width x sh, then vertical into the destination.
    std::vector<uint32_t> tmp(static_cast<size_t>(width) * static_cast<size_t>(sh));
    for (int32_t r = 0; r < sh; ++r) {
        const uint32_t* in = s->row(src.top + r) + src.left;
        uint32_t* out = tmp.data() + static_cast<size_t>(r) * static_cast<size_t>(width);
        resampleLine(
            sw, width, [&](int32_t k) { return in[k]; }, [&](int32_t i, uint32_t v) { out[i] = v; });
    }
    // Nothing is written past the limit, where the picture is not being drawn.
    const RECT to = dst.reach();
    for (int32_t c = std::max(0, to.left - x); c < std::min(width, to.right - x); ++c) {
        resampleLine(
            sh, height, [&](int32_t k) { return tmp[static_cast<size_t>(k) * static_cast<size_t>(width) + c]; },
            [&](int32_t i, uint32_t v) {
                if (y + i >= to.top && y + i < to.bottom) dst.row(y + i)[x + c] = v;
            });
    }
}

void TSprite32::drawTo(TSurface32& dst, int32_t x, int32_t y) const {
    if (!surface_ || !std::as_const(dst).pixels()) return;
    RECT src = intersect(sourceRect_, RECT{0, 0, surface_->width(), surface_->height()});
    if (src.empty()) return;
    int32_t w = drawWidth_, h = drawHeight_;
    if (!clipStretchBlitRect(dst.drawableRect(), x, y, src, w, h)) return;
    smoothBlit(dst, x, y, src, w, h);
}

void TSprite32::blitToDisplay(platform::DisplaySurface& display, int32_t x, int32_t y, const RECT& rect) const {
    if (!surface_ || !std::as_const(*surface_).pixels()) return;
    platform::DisplayLock lock;
    if (lockDisplay(display, lock) != platform::dd::kOk) return;
    // Parts of the rectangle beyond the surface keep their place but draw nothing.
    RECT src = rect;
    if (src.left < 0) {
        x = static_cast<int32_t>(std::clamp<int64_t>(int64_t(x) - src.left, INT32_MIN, INT32_MAX));
        src.left = 0;
    }
    if (src.top < 0) {
        y = static_cast<int32_t>(std::clamp<int64_t>(int64_t(y) - src.top, INT32_MIN, INT32_MAX));
        src.top = 0;
    }
    src.right = std::min(src.right, surface_->width());
    src.bottom = std::min(src.bottom, surface_->height());
    const platform::DisplayFormat& f = display.format();
    const uint32_t code = pixelFormatCode(f.bitCount, f.redMask, f.greenMask, f.blueMask);
    if (!src.empty() && hasConverter(code) && clipBlitRect(RECT{0, 0, lock.width, lock.height}, x, y, src)) {
        uint8_t* d = lock.bits + static_cast<ptrdiff_t>(y) * lock.pitch + static_cast<ptrdiff_t>(x) * (f.bitCount / 8);
        const uint32_t* s = std::as_const(*surface_).row(src.top) + src.left;
        const auto pitch = static_cast<ptrdiff_t>(surface_->pitch());
        if (isColorKeyed())
            convertSpriteKeyed(code, d, s, src.width(), src.height(), lock.pitch, pitch, colorKey_);
        else
            convertSprite(code, d, s, src.width(), src.height(), lock.pitch, pitch);
    }
    display.unlock();
}

void TSprite32::drawToDisplay(platform::DisplaySurface& display, int32_t x, int32_t y) const {
    if (!surface_) return;
    RECT src = sourceRect_;
    if (!clipBlitRect(RECT{0, 0, display.width(), display.height()}, x, y, src)) return;
    blitToDisplay(display, x, y, src);
}

}  // namespace graphics
