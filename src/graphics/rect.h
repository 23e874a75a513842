#pragma once
// The rectangle the drawing code passes around: right and bottom are exclusive.
#include <cstdint>

namespace graphics {

struct RECT {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    // Extents of rectangles with far-flung edges saturate rather than overflow.
    constexpr int32_t width() const { return saturate(int64_t(right) - left); }
    constexpr int32_t height() const { return saturate(int64_t(bottom) - top); }
    constexpr bool empty() const { return right <= left || bottom <= top; }
    static constexpr int32_t saturate(int64_t v) {
        return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
    }
    // A real number (a size times a zoom from a script or a save) truncated toward zero; values
    // past the range saturate and NaN gives 0, where a plain conversion is undefined.
    static constexpr int32_t saturateReal(double v) {
        return !(v == v) ? 0 : v >= 2147483647.0 ? INT32_MAX : v <= -2147483648.0 ? INT32_MIN : static_cast<int32_t>(v);
    }
    friend constexpr bool operator==(const RECT&, const RECT&) = default;
};

struct POINT {
    int32_t x = 0;
    int32_t y = 0;
    friend constexpr bool operator==(const POINT&, const POINT&) = default;
};

struct SIZE {
    int32_t cx = 0;
    int32_t cy = 0;
    friend constexpr bool operator==(const SIZE&, const SIZE&) = default;
};

// The rectangle that screens and objects build from a position and a size.
struct TRect : RECT {
    constexpr TRect() = default;
    constexpr TRect(const RECT& r) : RECT(r) {}
    constexpr TRect(int32_t x, int32_t y, int32_t w, int32_t h)
        : RECT{x, y, RECT::saturate(int64_t(x) + w), RECT::saturate(int64_t(y) + h)} {}
    // The point lies in the rectangle: left and top edges inside, right and bottom outside.
    constexpr bool isInside(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// The opaque colour of three 8-bit channels.
constexpr uint32_t makeArgb(uint32_t r, uint32_t g, uint32_t b) {
    return 0xFF000000u | (r & 255) << 16 | (g & 255) << 8 | (b & 255);
}

// The common part of two rectangles; empty (possibly inverted) when they do not meet.
constexpr RECT intersect(const RECT& a, const RECT& b) {
    return RECT{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top, a.right < b.right ? a.right : b.right,
                a.bottom < b.bottom ? a.bottom : b.bottom};
}

}  // namespace graphics
