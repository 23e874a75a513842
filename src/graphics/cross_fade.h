#pragma once
// Two sprites drawn so that the first fades out while the second fades in (ratio t: 0 only the
// first, 255 only the second). Where they overlap, the two source pixels are mixed and drawn
// once, so the destination is not blended twice.
#include <cstdint>

namespace graphics {

class TSurface32;
class TSprite32;

// Both sprites need blend type 0 and the same opacity, else nothing is drawn. Their opacities
// are changed during the call only.
void crossFade(TSurface32& dst, int32_t x1, int32_t y1, TSprite32& sprite1, int32_t x2, int32_t y2, TSprite32& sprite2,
               uint32_t t);

// The overlap: w x h pixels at (x, y) of dst, from (sx1, sy1) of sprite 1's surface and
// (sx2, sy2) of sprite 2's, under the common opacity o. The caller has clipped: everything
// lies inside the surfaces (a call that does not draws nothing). `general` forces the one
// per-pixel form that every faster variant must equal.
void crossFadeKernel(TSurface32& dst, int32_t x, int32_t y, const TSprite32& sprite1, int32_t sx1, int32_t sy1,
                     const TSprite32& sprite2, int32_t sx2, int32_t sy2, int32_t w, int32_t h, uint32_t o, uint32_t t,
                     bool general = false);

}  // namespace graphics
