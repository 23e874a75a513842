#include "graphics/surface32.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "graphics/kernels.h"
#include "graphics/pixel.h"
#include "storage/dib_convert.h"

namespace graphics {

namespace {

int g_liveSurfaces = 0;

// One (minimum x, maximum x) pair per row, shared by every surface's triangle fill. It only
// ever grows, and never beyond the tallest surface that filled a triangle.
std::vector<std::pair<int32_t, int32_t>>& spanTable() {
    static std::vector<std::pair<int32_t, int32_t>> table;
    return table;
}

int32_t clampToInt(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// The weights that turn a colour into a grey level.
uint32_t greyOf(uint32_t r, uint32_t g, uint32_t b) { return (77 * r + 150 * g + 29 * b) >> 8; }

// The ends p1, p2 of a straight line, ordered into [a, b] and clamped to the clip range
// [clipFrom, clipTo) within [0, extent). False when that leaves less than two pixels: such a
// line draws nothing.
bool clampSpan(int32_t p1, int32_t p2, int32_t clipFrom, int32_t clipTo, int32_t extent, int64_t& a, int64_t& b) {
    a = std::min(p1, p2);
    b = std::max(p1, p2);
    const int64_t lo = std::max(clipFrom, 0);
    const int64_t hi = int64_t(std::min(clipTo, extent)) - 1;
    if (a < lo) a = lo;
    if (b < a) b = a;
    if (b > hi) b = hi;
    if (a > b) a = b;
    return !(b - a < 1 || a < 0 || b >= extent);
}

}  // namespace

TSurface32::TSurface32() {
    if (g_liveSurfaces++ == 0) ensurePixelPath();
}

TSurface32::~TSurface32() {
    release();
    --g_liveSurfaces;
}

int TSurface32::liveCount() { return g_liveSurfaces; }

void TSurface32::resetClip() {
    flags_ &= ~kFlagClip;
    if (pixels_) clip_ = limited_ ? limit_ : RECT{0, 0, width_, height_};
}

void TSurface32::setClip(const RECT& r) {
    flags_ |= kFlagClip;
    clip_ = limited_ ? intersect(r, limit_) : r;
}

void TSurface32::setLimit(const RECT& r) {
    limit_ = intersect(r, RECT{0, 0, width_, height_});
    limited_ = true;
    clip_ = limit_;
}

uint32_t TSurface32::setFlags(uint32_t flags) {
    touch();
    flags_ = flags;
    return flags_;
}

void TSurface32::setColorKeyed(bool on) {
    touch();
    flags_ = on ? flags_ | kFlagColorKeyed : flags_ & ~kFlagColorKeyed;
}

void TSurface32::setHasAlpha(bool on) {
    touch();
    flags_ = on ? flags_ | kFlagAlpha : flags_ & ~kFlagAlpha;
}

bool TSurface32::alloc(int32_t width, int32_t height) {
    if (pixels_ || width <= 0 || height <= 0) return false;
    const uint64_t bytes = uint64_t(width) * uint64_t(height) * 4;
    if (bytes > 0xFFFFFFFFull) return false;  // the byte size is a 32-bit field
    // Zeroed, so depths a loader does not convert come out transparent black, never stale memory.
    pixels_ = new (std::nothrow) uint32_t[static_cast<size_t>(width) * static_cast<size_t>(height)]();
    if (!pixels_) return false;
    touch();
    width_ = width;
    height_ = height;
    pitch_ = static_cast<uint32_t>(width) * 4;
    byteSize_ = static_cast<uint32_t>(bytes);
    flags_ = 0;
    resetClip();
    return true;
}

bool TSurface32::createCopy(const TSurface32& src) {
    if (!src.pixels_ || !alloc(src.width_, src.height_)) return false;
    copyFrom(0, 0, src);
    return true;
}

bool TSurface32::createFromImage(const ImageSource& img, const TImageTrans* spec) {
    if (!img.valid() || !alloc(img.width, img.absHeight())) return false;
    return loadImage(img, spec);
}

bool TSurface32::createFilled(int32_t width, int32_t height, uint32_t colour) {
    // Filled surfaces are screens, windows, text lines and colour fills, whose sizes may come from a
    // save: none is legitimately larger than this, and a damaged size must not cost gigabytes.
    constexpr int64_t kMaxSide = 16384, kMaxPixels = int64_t(1) << 24;
    if (width > kMaxSide || height > kMaxSide || int64_t(width) * height > kMaxPixels) return false;
    if (!alloc(width, height)) return false;
    fill(colour);
    setHasAlpha(alphaOf(colour) != 255);
    return true;
}

void TSurface32::release() {
    touch();
    delete[] pixels_;
    pixels_ = nullptr;
    width_ = height_ = 0;
    pitch_ = byteSize_ = 0;
}

RECT TSurface32::drawableRect() const {
    if (!pixels_) return RECT{};
    return intersect(RECT{0, 0, width_, height_}, clip_);
}

RECT TSurface32::reach() const {
    if (!pixels_) return RECT{};
    const RECT all{0, 0, width_, height_};
    return limited_ ? intersect(limit_, all) : all;
}

RECT TSurface32::clipped(int32_t left, int32_t top, int32_t right, int32_t bottom) const {
    return intersect(RECT{left, top, right, bottom}, drawableRect());
}

void TSurface32::fillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour) {
    const RECT r = clipped(left, top, right, bottom);
    if (r.empty() || noted(r, false, DrawKey(1).add(colour))) return;
    const auto& k = rowKernels();
    for (int32_t y = r.top; y < r.bottom; ++y) k.fill(row(y) + r.left, r.width(), colour);
}

void TSurface32::fill(uint32_t colour) { fillRect(0, 0, width_, height_, colour); }

std::unique_ptr<TSurface32> TSurface32::clone() const {
    std::unique_ptr<TSurface32> copy(new (std::nothrow) TSurface32);
    if (!copy || !copy->createCopy(*this)) return nullptr;
    return copy;
}

bool clipPlacement(const RECT& mapBounds, const RECT& dstBounds, int32_t& x, int32_t& y, RECT& r) {
    int64_t l = r.left, t = r.top, rr = r.right, b = r.bottom, px = x, py = y;
    // An edge cut to its bound moves the matching corner on the other side by as much.
    const auto cut = [](int64_t& edge, int64_t& other, int64_t bound) {
        if (edge >= bound) return;
        other += bound - edge;
        edge = bound;
    };
    cut(l, px, mapBounds.left);
    cut(t, py, mapBounds.top);
    rr = std::min<int64_t>(rr, mapBounds.right);
    b = std::min<int64_t>(b, mapBounds.bottom);
    cut(px, l, dstBounds.left);
    cut(py, t, dstBounds.top);
    rr = std::min<int64_t>(rr, l + (dstBounds.right - px));
    b = std::min<int64_t>(b, t + (dstBounds.bottom - py));
    if (rr <= l || b <= t) return false;
    r = RECT{static_cast<int32_t>(l), static_cast<int32_t>(t), static_cast<int32_t>(rr), static_cast<int32_t>(b)};
    x = static_cast<int32_t>(px);
    y = static_cast<int32_t>(py);
    return true;
}

bool TSurface32::copyRect(int32_t dx, int32_t dy, const TSurface32& src, const RECT& srcRect) {
    if (!pixels_ || !src.pixels_) return true;
    // The copy ignores the clip, but not the limit.
    int32_t x = dx, y = dy;
    RECT from = srcRect;
    if (!clipPlacement(RECT{0, 0, src.width_, src.height_}, reach(), x, y, from)) return true;
    const int n = from.width();
    const int rows = from.height();
    if (noted(RECT{x, y, x + n, y + rows}, false, DrawKey(2).add(&src).add(src.stamp()).add(from))) return true;
    const auto& k = rowKernels();
    // Copying within one surface downwards must start from the bottom row.
    const bool backwards = &src == this && y > from.top;
    for (int i = 0; i < rows; ++i) {
        const int j = backwards ? rows - 1 - i : i;
        k.copy(row(y + j) + x, src.row(from.top + j) + from.left, n);
    }
    return true;
}

bool TSurface32::copyFrom(int32_t dx, int32_t dy, const TSurface32& src) {
    return copyRect(dx, dy, src, RECT{0, 0, src.width_, src.height_});
}

bool TSurface32::loadImage(const ImageSource& img, const TImageTrans* spec) {
    if (!pixels_ || !img.valid()) return false;
    const int32_t w = std::min(width_, img.width);
    const int32_t h = std::min(height_, img.absHeight());
    const uint16_t f = spec ? spec->flags : 0;
    const bool keyed = (f & (1 | 2 | 0xF0)) != 0;
    // 2- and 16-bit images leave the pixels as they are.
    const int32_t depth = img.bitCount;
    if (depth == 1 || depth == 4 || depth == 8 || depth == 24 || depth == 32) {
        dib::PixelRows rows;
        rows.width = img.width;
        rows.height = img.absHeight();
        rows.bitCount = depth;
        rows.top = img.row(0);
        rows.step = img.rowStep;
        rows.colors = reinterpret_cast<const RGBQUAD*>(img.palette);
        rows.colorCount = static_cast<int>(std::min<uint32_t>(img.paletteCount, 256));
        dib::Keys keys;
        if (spec) {
            // The key colour is the stored word for 32-bit images, else blue << 16 | green << 8 | red,
            // which matches no pixel when it has bits above those.
            const uint32_t k = spec->keyColor;
            keys.byColour = (f & 1) != 0 && (depth == 32 || k <= 0xFFFFFF);
            keys.colour = depth == 32 ? k : 0xFF000000u | (k & 0xFF) << 16 | (k & 0xFF00) | (k >> 16 & 0xFF);
            keys.byIndex = (f & 2) != 0;
            keys.index = spec->keyIndex;
            keys.byCorner = (f & 0xF0) != 0;
            keys.cornerLeft = (f & 0x10) != 0;
            keys.cornerTop = (f & 0x20) != 0;
        }
        dib::convertKeyed(rows, dib::Words::Argb, keys, 0, 0, w, h, row(0), width_);
        if (depth == 32) setHasAlpha(true);
    }
    if (keyed) setColorKeyed(true);
    return true;
}

bool TSurface32::loadAlphaFromImage(const ImageSource& img) {
    setHasAlpha(true);
    if (!pixels_ || !img.valid()) return true;
    // Only the part the image and the surface share.
    const int32_t w = std::min(width_, img.width);
    const int32_t h = std::min(height_, img.absHeight());
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* s = img.row(y);
        uint32_t* d = row(y);
        for (int32_t x = 0; x < w; ++x) {
            uint32_t a;
            switch (img.bitCount) {
                case 1:
                case 4:
                case 8: {
                    const uint32_t idx = ImageSource::indexIn(s, x, img.bitCount);
                    if (idx >= img.paletteCount) {
                        a = 0;
                    } else {
                        const uint8_t* e = img.palette + 4 * idx;
                        a = greyOf(e[2], e[1], e[0]);
                    }
                    break;
                }
                case 24:
                    a = greyOf(s[3 * x + 2], s[3 * x + 1], s[3 * x]);
                    break;
                case 32:
                    a = s[4 * x + 2];
                    break;
                default:
                    return true;
            }
            d[x] = (d[x] & 0xFFFFFF) | (a << 24);
        }
    }
    return true;
}

void TSurface32::blendPixel(int32_t x, int32_t y, uint32_t colour) {
    if (!TRect(reach()).isInside(x, y) || noted(TRect(x, y, 1, 1), false, DrawKey(3).add(colour))) return;
    plot(x, y, colour);
}

void TSurface32::plot(int32_t x, int32_t y, uint32_t colour) {
    uint32_t& d = row(y)[x];
    const uint32_t a = alphaOf(colour);
    if (a == 0) return;
    if (a == 255 || alphaOf(d) == 0) {
        d = colour;
        return;
    }
    d = blendOver(d, colour, a);
}

uint32_t TSurface32::getPixel(int32_t x, int32_t y) const {
    if (!pixels_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return row(y)[x];
}

void TSurface32::drawHLine(int32_t x1, int32_t x2, int32_t y, uint32_t colour) {
    // The row is held against the surface alone, or the limit.
    const RECT to = reach();
    if (y < to.top || y >= to.bottom) return;
    int64_t a, b;
    if (!clampSpan(x1, x2, std::max(clip_.left, to.left), std::min(clip_.right, to.right), width_, a, b)) return;
    const uint32_t alpha = alphaOf(colour);
    if (alpha == 0) return;
    // Where a clip cuts a line decides whether its last pixel is drawn: lines are drawn whole.
    const RECT at{static_cast<int32_t>(a), y, static_cast<int32_t>(b + 1), y + 1};
    if (noted(at, true, DrawKey(4).add(colour).add(uint64_t(uint32_t(x1)) << 32 | uint32_t(x2)))) return;
    const auto& k = rowKernels();
    const int n = static_cast<int>(b - a + 1);
    if (alpha == 255)
        k.fill(row(y) + a, n, colour);
    else
        k.blendFill(row(y) + a, n, colour);
}

void TSurface32::drawVLine(int32_t x, int32_t y1, int32_t y2, uint32_t colour) {
    const RECT to = reach();
    if (x < to.left || x >= to.right) return;
    int64_t a, b;
    if (!clampSpan(y1, y2, std::max(clip_.top, to.top), std::min(clip_.bottom, to.bottom), height_, a, b)) return;
    if (alphaOf(colour) == 0) return;
    const RECT at{x, static_cast<int32_t>(a), x + 1, static_cast<int32_t>(b + 1)};
    if (noted(at, true, DrawKey(5).add(colour).add(uint64_t(uint32_t(y1)) << 32 | uint32_t(y2)))) return;
    for (int64_t y = a; y <= b; ++y) plot(x, static_cast<int32_t>(y), colour);
}

void TSurface32::drawRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour) {
    drawVLine(left, top, bottom, colour);
    drawVLine(right, top, bottom, colour);
    drawHLine(left, right, top, colour);
    drawHLine(left, right, bottom, colour);
}

void TSurface32::blendRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour) {
    const uint32_t a = alphaOf(colour);
    if (a == 0) return;
    if (a == 255) {
        fillRect(left, top, right, bottom, colour);
        return;
    }
    const RECT r = clipped(left, top, right, bottom);
    if (r.empty() || noted(r, false, DrawKey(6).add(colour))) return;
    const auto& k = rowKernels();
    for (int32_t y = r.top; y < r.bottom; ++y) k.blendFill(row(y) + r.left, r.width(), colour);
}

void TSurface32::blendAll(uint32_t colour) { blendRect(0, 0, width_, height_, colour); }

void TSurface32::addRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour) {
    saturatingRect(left, top, right, bottom, colour, false);
}

void TSurface32::subtractRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour) {
    saturatingRect(left, top, right, bottom, colour, true);
}

void TSurface32::saturatingRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour,
                                bool subtract) {
    const uint32_t a = alphaOf(colour);
    if (a == 0) return;
    const uint32_t c = a < 255 ? scaleColour(colour, a) : colour & 0xFFFFFF;
    const RECT r = clipped(left, top, right, bottom);
    if (r.empty() || noted(r, false, DrawKey(7).add(c).add(subtract))) return;
    const auto& k = rowKernels();
    const auto fill = subtract ? k.subFill : k.addFill;
    for (int32_t y = r.top; y < r.bottom; ++y) fill(row(y) + r.left, r.width(), c);
}

void TSurface32::drawCircle(int32_t cx, int32_t cy, int32_t radius, uint32_t colour) {
    if (!pixels_ || radius < 0) return;
    // The circle ignores the clip, but not the limit.
    const RECT to = reach();
    const RECT around = intersect(RECT{clampToInt(int64_t(cx) - radius), clampToInt(int64_t(cy) - radius),
                                       clampToInt(int64_t(cx) + radius + 1), clampToInt(int64_t(cy) + radius + 1)},
                                  to);
    if (around.empty() ||
        noted(around, false, DrawKey(8).add(colour).add(uint64_t(uint32_t(cx)) << 32 | uint32_t(cy)).add(radius)))
        return;
    auto point = [&](int64_t px, int64_t py) {
        if (px >= to.left && py >= to.top && px < to.right && py < to.bottom)
            plot(static_cast<int32_t>(px), static_cast<int32_t>(py), colour);
    };
    // Once x passes the farthest column and row of the surface from the centre, no later
    // point can land on it: a huge circle around a small surface ends early.
    const int64_t reachX = std::max<int64_t>(std::abs(int64_t(cx)), std::abs(int64_t(width_) - 1 - cx));
    const int64_t reachY = std::max<int64_t>(std::abs(int64_t(cy)), std::abs(int64_t(height_) - 1 - cy));
    const int64_t farthest = std::max(reachX, reachY);
    int64_t x = 0, y = radius, d = radius;
    while (y >= x && x <= farthest) {
        point(cx + y, cy + x);
        point(cx - y, cy + x);
        point(cx + y, cy - x);
        point(cx - y, cy - x);
        point(cx + x, cy + y);
        point(cx - x, cy + y);
        point(cx + x, cy - y);
        point(cx - x, cy - y);
        d += 1 - 2 * x;
        x += 1;
        if (d < 0) {
            d += 2 * y - 2;
            y -= 1;
        }
    }
}

void TSurface32::fillTriangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, uint32_t colour) {
    if (!pixels_) return;
    const int64_t ymin = std::min({int64_t(y1), int64_t(y2), int64_t(y3)});
    const int64_t ymax = std::max({int64_t(y1), int64_t(y2), int64_t(y3)});
    const int64_t first = std::max<int64_t>(ymin, 0);
    const int64_t last = std::min<int64_t>(ymax, height_ - 1);
    if (first > last) return;
    auto& spans = spanTable();
    if (spans.size() < static_cast<size_t>(last + 1)) spans.resize(static_cast<size_t>(last + 1));
    for (int64_t r = first; r <= last; ++r) spans[static_cast<size_t>(r)] = {32767, -32768};

    auto record = [&](int64_t r, int64_t x) {
        if (r < 0 || r >= height_) return;
        auto& s = spans[static_cast<size_t>(r)];
        s.first = std::min(s.first, clampToInt(x));
        s.second = std::max(s.second, clampToInt(x));
    };
    // An integer line walk, in closed form so that only the rows inside the surface are
    // visited however far the vertices lie: after k steps along the long axis the short axis
    // has moved ceil((k * shortLen - e0) / longLen) times (0 while that is not positive).
    auto edge = [&](int64_t ax, int64_t ay, int64_t bx, int64_t by) {
        const int64_t adx = bx > ax ? bx - ax : ax - bx;
        const int64_t ady = by > ay ? by - ay : ay - by;
        if (adx <= ady) {
            if (by < ay) {
                std::swap(ax, bx);
                std::swap(ay, by);
            }
            const int64_t sx = bx > ax ? 1 : -1;
            const int64_t e0 = ady >> 1;
            const int64_t k0 = std::max<int64_t>(0, -ay);
            const int64_t k1 = std::min<int64_t>(ady, height_ - 1 - ay);
            for (int64_t k = k0; k <= k1; ++k) {
                // Coordinates span 33 bits, so the products need more than 64.
                const __int128 t = static_cast<__int128>(k) * adx - e0;
                const int64_t moves = t > 0 ? static_cast<int64_t>((t + ady - 1) / ady) : 0;
                record(ay + k, ax + sx * moves);
            }
        } else {
            if (bx < ax) {
                std::swap(ax, bx);
                std::swap(ay, by);
            }
            const int64_t sy = by > ay ? 1 : by < ay ? -1 : 0;
            const int64_t e0 = adx >> 1;
            // First step k at which the row has moved m times.
            auto firstStep = [&](int64_t m) -> int64_t {
                if (m == 0) return 0;
                if (m > ady) return adx + 1;
                return static_cast<int64_t>((static_cast<__int128>(m - 1) * adx + e0) / ady) + 1;
            };
            // The rows of this edge inside the surface, as move counts.
            int64_t m0, m1;
            if (sy >= 0) {
                m0 = std::max<int64_t>(0, -ay);
                m1 = std::min<int64_t>(ady, height_ - 1 - ay);
            } else {
                m0 = std::max<int64_t>(0, ay - (height_ - 1));
                m1 = std::min<int64_t>(ady, ay);
            }
            for (int64_t m = m0; m <= m1; ++m) {
                const int64_t kFirst = firstStep(m);
                const int64_t kLast = std::min(firstStep(m + 1) - 1, adx);
                if (kFirst > kLast) continue;
                record(ay + sy * m, ax + kFirst);
                record(ay + sy * m, ax + kLast);
            }
        }
    };
    edge(x1, y1, x2, y2);
    edge(x2, y2, x3, y3);
    edge(x3, y3, x1, y1);

    for (int64_t r = first; r <= last; ++r) {
        auto [lo, hi] = spans[static_cast<size_t>(r)];
        if (lo < 0) lo = 0;
        if (hi >= width_) hi = width_ - 1;
        if (hi >= lo) drawHLine(lo, hi, static_cast<int32_t>(r), colour);
    }
}

void TSurface32::tintRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour) {
    const RECT r = clipped(left, top, right, bottom);
    if (r.empty() || noted(r, false, DrawKey(9).add(colour))) return;
    uint32_t tr[256], tg[256], tb[256];
    const uint32_t cr = redOf(colour) + 1, cg = greenOf(colour) + 1, cb = blueOf(colour) + 1;
    for (uint32_t i = 0; i < 256; ++i) {
        tr[i] = ((i * cr) >> 8) << 16;
        tg[i] = ((i * cg) >> 8) << 8;
        tb[i] = (i * cb) >> 8;
    }
    for (int32_t y = r.top; y < r.bottom; ++y) {
        uint32_t* d = row(y);
        for (int32_t x = r.left; x < r.right; ++x) {
            const uint32_t p = d[x];
            const uint32_t l = (3 * redOf(p) + 4 * greenOf(p) + blueOf(p)) >> 3;
            d[x] = (p & 0xFF000000u) | tr[l] | tg[l] | tb[l];
        }
    }
}

void TSurface32::tintAll(uint32_t colour) { tintRect(0, 0, width_, height_, colour); }

}  // namespace graphics
