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
    static constexpr int32_t saturate(int64_t v)
    {
        return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
    }
    friend constexpr bool operator==(const RECT&, const RECT&) = default;
};

// The common part of two rectangles; empty (possibly inverted) when they do not meet.
constexpr RECT intersect(const RECT& a, const RECT& b)
{
    return RECT{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
                a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
}

}  // namespace graphics
