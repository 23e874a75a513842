#include "graphics/pixel_format.h"

#include "platform/little_endian.h"

namespace graphics {

namespace {

// Pixels of the display are little-endian words of two, three or four bytes.
inline void store16(uint8_t* d, uint32_t v) { le::store16(d, static_cast<uint16_t>(v)); }
inline void store24(uint8_t* d, uint32_t v) { le::storeN(d, v, 3); }
// Red and blue exchanged: the bytes red, green, blue.
inline uint32_t swapRb(uint32_t p) { return toXbgr32(p); }

// A 16-bit row, the converter known at compile time so that the loop vectorises.
template <uint32_t (*One)(uint32_t)>
void row16(uint8_t* d, const uint32_t* s, int n) {
    int i = 0;
    for (; i + 2 <= n; i += 2, d += 4) le::store32(d, One(s[i]) | One(s[i + 1]) << 16);
    for (; i < n; ++i, d += 2) store16(d, One(s[i]));
}

// The frame rows: whole groups of two (16-bit) or four (24-bit) pixels in 32-bit stores, the
// rest one by one.
void frameRow(uint32_t code, uint8_t* d, const uint32_t* s, int n) {
    int i = 0;
    switch (code) {
        case kFormatRgb555:
            row16<toRgb555>(d, s, n);
            break;
        case kFormatRgb565:
            row16<toRgb565>(d, s, n);
            break;
        case kFormatRgb24:
        case kFormatBgr24: {
            const bool swap = code == kFormatBgr24;
            for (; i + 4 <= n; i += 4, d += 12) {
                uint32_t p0 = s[i], p1 = s[i + 1], p2 = s[i + 2], p3 = s[i + 3];
                if (swap) {
                    p0 = swapRb(p0);
                    p1 = swapRb(p1);
                    p2 = swapRb(p2);
                    p3 = swapRb(p3);
                }
                le::store32(d, (p0 & 0xFFFFFF) | p1 << 24);
                le::store32(d + 4, ((p1 >> 8) & 0xFFFF) | p2 << 16);
                le::store32(d + 8, ((p2 >> 16) & 0xFF) | (p3 & 0xFFFFFF) << 8);
            }
            for (; i < n; ++i, d += 3) store24(d, swap ? swapRb(s[i]) : s[i]);
            break;
        }
        case kFormatXrgb32:
            for (; i < n; ++i, d += 4) le::store32(d, s[i] & 0xFFFFFF);
            break;
        case kFormatXbgr32:
            for (; i < n; ++i, d += 4) le::store32(d, swapRb(s[i]));
            break;
        default:
            break;
    }
}

// One pixel in the sprite form: code 9 keeps the source alpha.
inline void spritePixel(uint32_t code, uint8_t* d, uint32_t p) {
    switch (code) {
        case kFormatRgb555:
            store16(d, toRgb555(p));
            break;
        case kFormatRgb565:
            store16(d, toRgb565(p));
            break;
        case kFormatRgb24:
            store24(d, p);
            break;
        case kFormatBgr24:
            store24(d, swapRb(p));
            break;
        case kFormatXrgb32:
            le::store32(d, p);
            break;
        case kFormatXbgr32:
            le::store32(d, swapRb(p));
            break;
        default:
            break;
    }
}

template <class Row>
bool eachRow(uint32_t code, uint8_t* dst, const uint32_t* src, int width, int height, ptrdiff_t dstPitch,
             ptrdiff_t srcPitch, Row row) {
    if (!hasConverter(code) || !dst || !src) return false;
    const auto* s = reinterpret_cast<const uint8_t*>(src);
    for (int y = 0; y < height; ++y)
        row(dst + y * dstPitch, reinterpret_cast<const uint32_t*>(s + y * srcPitch), width);
    return true;
}

}  // namespace

uint32_t pixelFormatCode(uint32_t bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask) {
    switch (bitCount) {
        case 2:
            return kFormat2Bit;
        case 4:
            return kFormat4Bit;
        case 8:
            return kFormat8Bit;
        case 16:
            if (redMask == 0x7C00 && greenMask == 0x03E0 && blueMask == 0x001F) return kFormatRgb555;
            if (redMask == 0xF800 && greenMask == 0x07E0 && blueMask == 0x001F) return kFormatRgb565;
            return kFormatOther16;
        case 24:
        case 32: {
            const bool rgb = redMask == 0xFF0000 && greenMask == 0xFF00 && blueMask == 0xFF;
            const bool bgr = redMask == 0xFF && greenMask == 0xFF00 && blueMask == 0xFF0000;
            if (bitCount == 24) return rgb ? kFormatRgb24 : bgr ? kFormatBgr24 : kFormatOther24;
            return rgb ? kFormatXrgb32 : bgr ? kFormatXbgr32 : kFormatOther32;
        }
        default:
            return kFormatUnknown;
    }
}

bool convertFrame(uint32_t code, uint8_t* dst, const uint32_t* src, int width, int height, ptrdiff_t dstPitch,
                  ptrdiff_t srcPitch) {
    return eachRow(code, dst, src, width, height, dstPitch, srcPitch,
                   [code](uint8_t* d, const uint32_t* s, int n) { frameRow(code, d, s, n); });
}

bool convertSprite(uint32_t code, uint8_t* dst, const uint32_t* src, int width, int height, ptrdiff_t dstPitch,
                   ptrdiff_t srcPitch) {
    const ptrdiff_t step = bytesPerPixel(code);
    return eachRow(code, dst, src, width, height, dstPitch, srcPitch, [&](uint8_t* d, const uint32_t* s, int n) {
        for (int i = 0; i < n; ++i, d += step) spritePixel(code, d, s[i]);
    });
}

bool convertSpriteKeyed(uint32_t code, uint8_t* dst, const uint32_t* src, int width, int height, ptrdiff_t dstPitch,
                        ptrdiff_t srcPitch, uint32_t key) {
    const ptrdiff_t step = bytesPerPixel(code);
    return eachRow(code, dst, src, width, height, dstPitch, srcPitch, [&](uint8_t* d, const uint32_t* s, int n) {
        for (int i = 0; i < n; ++i, d += step)
            if (s[i] != key) spritePixel(code, d, s[i]);
    });
}

}  // namespace graphics
