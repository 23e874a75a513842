#pragma once
// The display's pixel formats and the converters from 32-bit ARGB into them.
#include <cstddef>
#include <cstdint>

namespace graphics {

// The screen's pixel format code, from the display's bit count and channel masks.
enum PixelFormat : uint32_t {
    kFormat2Bit = 0,
    kFormat4Bit = 1,
    kFormat8Bit = 2,
    kFormatRgb555 = 3,
    kFormatRgb565 = 4,
    kFormatOther16 = 5,
    kFormatRgb24 = 6,  // bytes blue, green, red
    kFormatBgr24 = 7,  // bytes red, green, blue
    kFormatOther24 = 8,
    kFormatXrgb32 = 9,
    kFormatXbgr32 = 10,
    kFormatOther32 = 11,
    kFormatUnknown = 255,
};

uint32_t pixelFormatCode(uint32_t bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);
// Whether frames are converted into the format (codes 3, 4, 6, 7, 9 and 10).
constexpr bool hasConverter(uint32_t code) {
    return code == kFormatRgb555 || code == kFormatRgb565 || code == kFormatRgb24 || code == kFormatBgr24 ||
           code == kFormatXrgb32 || code == kFormatXbgr32;
}
constexpr uint32_t bytesPerPixel(uint32_t code) {
    return code == kFormatRgb555 || code == kFormatRgb565 ? 2 : code == kFormatRgb24 || code == kFormatBgr24 ? 3 : 4;
}

// One pixel in a converted format (the low bytes of the result are written, little-endian).
constexpr uint32_t toRgb555(uint32_t p) { return ((p >> 9) & 0x7C00) | ((p >> 6) & 0x03E0) | ((p >> 3) & 0x001F); }
constexpr uint32_t toRgb565(uint32_t p) { return ((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F); }
constexpr uint32_t toXbgr32(uint32_t p) { return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16); }

// Converts width x height ARGB pixels into the format (pitches in bytes). The frame converter
// drops the alpha byte for codes 9 and 10; the sprite converters keep it for code 9 and, keyed,
// leave the destination where the source pixel equals the key. A code without a converter
// writes nothing (false).
bool convertFrame(uint32_t code, uint8_t* dst, const uint32_t* src, int width, int height, ptrdiff_t dstPitch,
                  ptrdiff_t srcPitch);
bool convertSprite(uint32_t code, uint8_t* dst, const uint32_t* src, int width, int height, ptrdiff_t dstPitch,
                   ptrdiff_t srcPitch);
bool convertSpriteKeyed(uint32_t code, uint8_t* dst, const uint32_t* src, int width, int height, ptrdiff_t dstPitch,
                        ptrdiff_t srcPitch, uint32_t key);

}  // namespace graphics
