#pragma once
// The blitter table: eight tables of 32 kernels. The table is chosen by the drawing operation
// and the destination, the entry by the sprite's kind (flag word & 31).
//
//   table 0 blit, destination with alpha      1 blit, opaque destination
//         2 stretched blit, with alpha         3 stretched blit, opaque
//         4 paint, with alpha                  5 paint, opaque
//         6 stretched paint, with alpha        7 stretched paint, opaque
#include <cstddef>
#include <cstdint>

#include "graphics/rect.h"

namespace graphics {

class TSurface32;
class TSprite32;

// (destination, x, y, sprite, source rectangle, drawn width, drawn height); the unstretched
// tables draw at the rectangle's size and ignore the last two. The caller has clipped: the
// rectangle lies inside the sprite's surface and the drawn area inside the destination (a call
// that breaks this draws nothing).
using BlitKernel = void (*)(TSurface32& dst, int32_t x, int32_t y, const TSprite32& sprite, const RECT& src,
                            int32_t width, int32_t height);

constexpr int kBlitTables = 8;
constexpr int kBlitKinds = 32;

// Never null for table 0-7 and kind 0-31.
BlitKernel blitKernel(int table, uint32_t kind);

// Glyph of 17 coverage levels (0-16, one byte a pixel) drawn in colour k. Pitches in bytes.
void blitGlyph17(uint32_t* dst, const uint8_t* glyph, int32_t width, int32_t height, ptrdiff_t dstPitch,
                 ptrdiff_t glyphPitch, uint32_t k);
// Glyph of one bit a pixel, most significant bit first: every set bit writes the colour.
void blitGlyphMono(uint32_t* dst, const uint8_t* glyph, int32_t width, int32_t height, ptrdiff_t dstPitch,
                   ptrdiff_t glyphPitch, uint32_t colour);

}  // namespace graphics
