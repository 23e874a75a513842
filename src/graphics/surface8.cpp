#include "graphics/surface8.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "graphics/pixel.h"
#include "graphics/surface32.h"

namespace graphics {

namespace {

uint32_t greyOf(uint32_t r, uint32_t g, uint32_t b) { return (77 * r + 150 * g + 29 * b) >> 8; }

// Each level of a rectangle of the map painted as colour with that level.
void paintLevels(TSurface32& dst, int32_t x, int32_t y, uint32_t colour, const TSurface8& map, RECT r,
                 const uint8_t* level) {
    if (!std::as_const(dst).pixels() || !map.pixels()) return;
    // The paint ignores the clip, but not the limit.
    if (!clipPlacement(RECT{0, 0, map.width(), map.height()}, dst.reach(), x, y, r)) return;
    if (DrawRecord* record = dst.recorder()) {
        record->add(TRect(x, y, r.width(), r.height()),
                    DrawKey(20).add(&map).add(map.stamp()).add(r).add(colour).addBytes(level, 256).value(), false);
        return;
    }
    for (int32_t j = 0; j < r.height(); ++j) {
        const uint8_t* m = map.row(r.top + j) + r.left;
        uint32_t* d = dst.row(y + j) + x;
        for (int32_t i = 0; i < r.width(); ++i) d[i] = op::alphaBlendSrc(d[i], colour, level[m[i]]);
    }
}

void opacityTable(uint8_t* level, uint32_t opacity) {
    for (uint32_t i = 0; i < 256; ++i) level[i] = static_cast<uint8_t>(opacity >= 255 ? i : div255(i * opacity));
}

}  // namespace

TSurface8::~TSurface8() { release(); }

bool TSurface8::alloc(int32_t width, int32_t height) {
    if (pixels_ || width <= 0 || height <= 0 || width > 0x7FFFFFF0) return false;
    const int32_t pitch = (width + 3) & ~3;
    const uint64_t bytes = uint64_t(pitch) * uint64_t(height);
    if (bytes > 0xFFFFFFFFull) return false;
    touch();
    pixels_ = new (std::nothrow) uint8_t[static_cast<size_t>(bytes)]();  // zeroed, as 32-bit surfaces
    if (!pixels_) return false;
    width_ = width;
    height_ = height;
    pitch_ = pitch;
    byteSize_ = static_cast<uint32_t>(bytes);
    return true;
}

bool TSurface8::createCopy(const TSurface8& src) {
    if (!src.pixels_ || !alloc(src.width_, src.height_)) return false;
    copyFrom(0, 0, src);
    return true;
}

bool TSurface8::createFromImage(const ImageSource& img) {
    if (!img.valid() || !alloc(img.width, img.absHeight())) return false;
    for (int32_t y = 0; y < height_; ++y) {
        const uint8_t* s = img.row(y);
        uint8_t* d = row(y);
        for (int32_t x = 0; x < width_; ++x) {
            switch (img.bitCount) {
                case 1:
                case 4:
                case 8: {
                    // An index beyond the palette reads as black.
                    const uint32_t idx = ImageSource::indexIn(s, x, img.bitCount);
                    const uint8_t* e = idx < img.paletteCount ? img.palette + 4 * idx : nullptr;
                    d[x] = static_cast<uint8_t>(e ? greyOf(e[2], e[1], e[0]) : 0);
                    break;
                }
                case 24:
                    d[x] = static_cast<uint8_t>(greyOf(s[3 * x + 2], s[3 * x + 1], s[3 * x]));
                    break;
                case 32:
                    d[x] = static_cast<uint8_t>(greyOf(s[4 * x + 2], s[4 * x + 1], s[4 * x]));
                    break;
                default:
                    return true;  // other depths leave the bytes as they are
            }
        }
    }
    return true;
}

bool TSurface8::createFill(int32_t width, int32_t height, uint8_t value) {
    if (!alloc(width, height)) return false;
    fill(value);
    return true;
}

void TSurface8::release() {
    touch();
    delete[] pixels_;
    pixels_ = nullptr;
    byteSize_ = 0;
    width_ = height_ = pitch_ = 0;
}

bool TSurface8::copyRect(int32_t dx, int32_t dy, const TSurface8& src, const RECT& srcRect) {
    if (!pixels_ || !src.pixels_) return true;
    // The window is the rectangle's own size: an offset drops columns (rows) at one end.
    const int64_t rw = int64_t(srcRect.right) - srcRect.left;
    const int64_t rh = int64_t(srcRect.bottom) - srcRect.top;
    int64_t sl = srcRect.left, st = srcRect.top, n = rw, rows = rh, x = dx, y = dy;
    if (x < 0) {
        sl -= x;
        n += x;
        x = 0;
    } else {
        n -= x;
    }
    if (y < 0) {
        st -= y;
        rows += y;
        y = 0;
    } else {
        rows -= y;
    }
    // Then inside both surfaces.
    if (sl < 0) {
        x -= sl;
        n += sl;
        sl = 0;
    }
    if (st < 0) {
        y -= st;
        rows += st;
        st = 0;
    }
    n = std::min({n, int64_t(src.width_) - sl, int64_t(width_) - x});
    rows = std::min({rows, int64_t(src.height_) - st, int64_t(height_) - y});
    if (n <= 0 || rows <= 0) return true;
    const bool backwards = &src == this && y > st;
    for (int64_t i = 0; i < rows; ++i) {
        const int64_t j = backwards ? rows - 1 - i : i;
        std::memmove(row(static_cast<int32_t>(y + j)) + x, src.row(static_cast<int32_t>(st + j)) + sl,
                     static_cast<size_t>(n));
    }
    return true;
}

bool TSurface8::copyFrom(int32_t dx, int32_t dy, const TSurface8& src) {
    return copyRect(dx, dy, src, RECT{0, 0, src.width_, src.height_});
}

bool TSurface8::fill(uint8_t value) {
    touch();
    if (pixels_) std::memset(pixels_, value, byteSize_);
    return true;
}

bool TAlphaCh::loadAlpha(const ImageSource& img) {
    if (!pixels() || !img.valid() || img.bitCount != 32) return true;
    const int32_t w = std::min(width(), img.width);
    const int32_t h = std::min(height(), img.absHeight());
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* s = img.row(y);
        uint8_t* d = row(y);
        for (int32_t x = 0; x < w; ++x) d[x] = s[4 * x + 3];
    }
    return true;
}

bool TAlphaCh::createFromImage(const ImageSource& img, bool alpha) {
    if (!alpha) return TSurface8::createFromImage(img);
    if (!img.valid() || !alloc(img.width, img.absHeight())) return false;
    return loadAlpha(img);
}

void TAlphaCh::applyColor(TSurface32& dst, int32_t x, int32_t y, uint32_t colour, const RECT& mapRect,
                          uint32_t opacity) {
    if (opacity == 0) return;
    uint8_t level[256];
    opacityTable(level, opacity);
    paintLevels(dst, x, y, colour, *this, mapRect, level);
}

void TAlphaCh::drawColor(TSurface32& dst, int32_t x, int32_t y, uint32_t colour, uint32_t opacity) {
    RECT r{0, 0, width(), height()};
    if (!std::as_const(*this).pixels() || !clipPlacement(r, dst.drawableRect(), x, y, r)) return;
    applyColor(dst, x, y, colour, r, opacity);
}

TAlphaMask::TAlphaMask() { makeTable(0); }

void TAlphaMask::makeTable(int32_t position) {
    position_ = position;
    if (mode_ < 0 || mode_ > 2) return;
    ++builds_;
    int64_t v = position;
    for (int i = 0; i < 256; ++i) {
        const int64_t c = std::clamp<int64_t>(v, 0, 255);
        table_[i] = static_cast<uint8_t>(mode_ == 0 ? i : mode_ == 1 ? c : 255 - c);
        v -= step_;
    }
    if (opacity_ < 255)
        for (auto& e : table_) e = static_cast<uint8_t>(div255(uint32_t(e) * opacity_));
}

void TAlphaMask::setMode(int32_t mode) {
    if (mode == mode_) return;
    mode_ = mode;
    makeTable(position_);
}

void TAlphaMask::setStep(int32_t step) {
    if (step == step_) return;
    step_ = step;
    makeTable(position_);
}

void TAlphaMask::setRange(int32_t range) {
    if (range == range_) return;
    range_ = range;
    makeTable(position_);
}

void TAlphaMask::apply(TSurface32& dst, int32_t x, int32_t y, uint32_t colour, const RECT& mapRect, uint32_t opacity) {
    if (!map_ || !std::as_const(*map_).pixels() || opacity == 0) return;
    opacity = std::min<uint32_t>(opacity, 255);
    if (mode_ != 0) {
        if (opacity != opacity_) {
            opacity_ = opacity;
            makeTable(position_);
        }
        paintLevels(dst, x, y, colour, *map_, mapRect, table_);
        return;
    }
    uint8_t level[256];
    opacityTable(level, opacity);
    paintLevels(dst, x, y, colour, *map_, mapRect, level);
}

void TAlphaMask::draw(TSurface32& dst, int32_t x, int32_t y, uint32_t colour, uint32_t opacity) {
    if (!map_ || !std::as_const(*map_).pixels()) return;
    RECT r{0, 0, map_->width(), map_->height()};
    if (!clipPlacement(r, dst.drawableRect(), x, y, r)) return;
    apply(dst, x, y, colour, r, opacity);
}

}  // namespace graphics
