#pragma once
// Per-pixel arithmetic on 32-bit ARGB words (alpha in bits 24-31, then red, green, blue).
// This is the reference: every packed kernel must give the same bytes as these functions.
#include <cstdint>

namespace graphics {

// The one division by 255 used everywhere. Equals x / 255 rounded down for x < 16,711,935;
// mulCore also feeds it wrapped 32-bit values, where the formula itself is the definition.
constexpr uint32_t div255(uint64_t x) { return static_cast<uint32_t>((x * 0x01010101ull + 0x10000ull) >> 32); }

constexpr uint32_t alphaOf(uint32_t p) { return p >> 24; }
constexpr uint32_t redOf(uint32_t p) { return (p >> 16) & 0xFF; }
constexpr uint32_t greenOf(uint32_t p) { return (p >> 8) & 0xFF; }
constexpr uint32_t blueOf(uint32_t p) { return p & 0xFF; }
constexpr uint32_t argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return (a << 24) | (r << 16) | (g << 8) | b; }

// Per-channel min(255, x + y) on the low 24 bits, with the carry-mask trick.
constexpr uint32_t satAdd(uint32_t x, uint32_t y) {
    x &= 0xFFFFFF;
    y &= 0xFFFFFF;
    const uint32_t m = (((((((x ^ y) & 0xFEFEFE) + ((x & y) << 1)) >> 8) & 0x010101) + 0x7F7F7F) ^ 0x7F7F7F);
    return ((x + y - m) | m) & 0xFFFFFF;
}

// Per-channel max(0, x - y) on the low 24 bits.
constexpr uint32_t satSub(uint32_t x, uint32_t y) {
    x &= 0xFFFFFF;
    y &= 0xFFFFFF;
    const uint32_t nx = ~x & 0xFFFFFF;
    const uint32_t m = (((((((nx ^ y) & 0xFEFEFE) + ((nx & y) << 1)) >> 8) & 0x010101) + 0x7F7F7F) ^ 0x7F7F7F);
    return ((m | x) - (m | y)) & 0xFFFFFF;
}

// Red, green and blue each multiplied by w / 255; alpha dropped.
constexpr uint32_t scaleColour(uint32_t c, uint32_t w) {
    return (div255(redOf(c) * w) << 16) | (div255(greenOf(c) * w) << 8) | div255(blueOf(c) * w);
}

// A colour of weight a over a pixel that keeps its own alpha. The callers handle a = 0,
// a = 255 and a transparent pixel themselves.
constexpr uint32_t blendOver(uint32_t d, uint32_t s, uint32_t a) {
    const uint32_t da = alphaOf(d);
    if (da == 255) {
        const uint32_t na = 255 - a;
        return argb(255, div255(na * redOf(d) + a * redOf(s)), div255(na * greenOf(d) + a * greenOf(s)),
                    div255(na * blueOf(d) + a * blueOf(s)));
    }
    const uint32_t w = (255 - a) * da;
    const uint32_t k = 255 * a;
    auto ch = [&](uint32_t sc, uint32_t dc) { return div255(div255(uint64_t(k) * sc + uint64_t(w) * dc)); };
    return argb(div255(k + w), ch(redOf(s), redOf(d)), ch(greenOf(s), greenOf(d)), ch(blueOf(s), blueOf(d)));
}

// The colour moved from d towards s by w / 255; the result is opaque.
constexpr uint32_t lerp(uint32_t d, uint32_t s, uint32_t w) {
    const uint32_t nw = 255 - w;
    return argb(255, div255(nw * redOf(d) + w * redOf(s)), div255(nw * greenOf(d) + w * greenOf(s)),
                div255(nw * blueOf(d) + w * blueOf(s)));
}

// Every channel, alpha included, multiplied by the matching channel of m over 255.
constexpr uint32_t modulate(uint32_t s, uint32_t m) {
    return argb(div255(alphaOf(s) * alphaOf(m)) & 255, div255(redOf(s) * redOf(m)) & 255,
                div255(greenOf(s) * greenOf(m)) & 255, div255(blueOf(s) * blueOf(m)) & 255);
}

constexpr uint32_t mulChannel(uint32_t d, uint32_t s, uint32_t w) {
    if (w == 255) return div255(d * s);
    const uint32_t diff = div255(w * s) - w;  // wraps: the darkening is negative
    return (d + div255(static_cast<uint32_t>(diff * d))) & 255;
}

constexpr uint32_t mulColour(uint32_t d, uint32_t s, uint32_t w) {
    return (mulChannel(redOf(d), redOf(s), w) << 16) | (mulChannel(greenOf(d), greenOf(s), w) << 8) |
           mulChannel(blueOf(d), blueOf(s), w);
}

constexpr uint32_t mulCore(uint32_t d, uint32_t s, uint32_t w) { return 0xFF000000u | mulColour(d, s, w); }

constexpr uint32_t mulCoreAlpha(uint32_t d, uint32_t s, uint32_t w) {
    const uint32_t da = alphaOf(d);
    const uint32_t a = w == 255 ? 255 : (da + w - div255(da * w)) & 255;
    return (a << 24) | mulColour(d, s, w);
}

// The weight of a source pixel with its own alpha under opacity o.
constexpr uint32_t srcWeight(uint32_t s, uint32_t o) { return o == 255 ? alphaOf(s) : div255(alphaOf(s) * o); }

// The per-pixel operations of the blitter, one pair per blend type and destination kind.
// d: destination pixel, s: source colour, o: opacity or weight (0-255).
namespace op {

constexpr uint32_t opaqueAlpha(uint32_t d, uint32_t s, uint32_t o) {
    if (o == 0) return d;
    if (o == 255) return s;
    return lerp(d, s, o);
}
constexpr uint32_t opaqueAlphaSrc(uint32_t d, uint32_t s, uint32_t o) {
    const uint32_t w = srcWeight(s, o);
    if (alphaOf(s) == 0 || o == 0 || w == 0) return d;
    if (w == 255) return s;
    return lerp(d, s, w);
}
constexpr uint32_t opaqueAdd(uint32_t d, uint32_t s, uint32_t o) {
    if ((s & 0xFFFFFF) == 0 || o == 0) return d;
    const uint32_t c = o != 255 ? scaleColour(s, o) : s;
    return 0xFF000000u | satAdd(d, c);
}
constexpr uint32_t opaqueAddSrc(uint32_t d, uint32_t s, uint32_t o) {
    const uint32_t w = srcWeight(s, o);
    if ((s & 0xFFFFFF) == 0 || alphaOf(s) == 0 || o == 0 || w == 0) return d;
    const uint32_t c = w != 255 ? scaleColour(s, w) : s;
    return 0xFF000000u | satAdd(d, c);
}
constexpr uint32_t opaqueSub(uint32_t d, uint32_t s, uint32_t o) {
    if ((s & 0xFFFFFF) == 0 || o == 0) return d;
    const uint32_t c = o != 255 ? scaleColour(s, o) : s;
    return 0xFF000000u | satSub(d, c);
}
constexpr uint32_t opaqueSubSrc(uint32_t d, uint32_t s, uint32_t o) {
    const uint32_t w = srcWeight(s, o);
    if ((s & 0xFFFFFF) == 0 || alphaOf(s) == 0 || o == 0 || w == 0) return d;
    const uint32_t c = w != 255 ? scaleColour(s, w) : s;
    return 0xFF000000u | satSub(d, c);
}
constexpr uint32_t opaqueMul(uint32_t d, uint32_t s, uint32_t o) {
    if (o == 0) return d;
    return mulCore(d, s, o);
}
constexpr uint32_t opaqueMulSrc(uint32_t d, uint32_t s, uint32_t o) {
    const uint32_t w = srcWeight(s, o);
    if (alphaOf(s) == 0 || o == 0 || w == 0) return d;
    return mulCore(d, s, w);
}

constexpr uint32_t alphaBlend(uint32_t d, uint32_t s, uint32_t o) {
    if (o == 0) return d;
    if (o == 255) return s;
    if (alphaOf(d) == 0) return s | 0xFF000000u;
    return blendOver(d, s, o);
}
constexpr uint32_t alphaBlendSrc(uint32_t d, uint32_t s, uint32_t o) {
    const uint32_t w = srcWeight(s, o);
    if (alphaOf(s) == 0 || o == 0 || w == 0) return d;
    if (w == 255) return s;
    if (alphaOf(d) == 0) return (s & 0xFFFFFF) | (w << 24);
    return blendOver(d, s, w);
}
constexpr uint32_t alphaAdd(uint32_t d, uint32_t s, uint32_t o) {
    if ((s & 0xFFFFFF) == 0 || o == 0) return d;
    if (alphaOf(d) == 0) return 0;
    const uint32_t c = o != 255 ? scaleColour(s, o) : s;
    return (d & 0xFF000000u) | satAdd(d, c);
}
constexpr uint32_t alphaAddSrc(uint32_t d, uint32_t s, uint32_t o) {
    const uint32_t w = srcWeight(s, o);
    if ((s & 0xFFFFFF) == 0 || alphaOf(s) == 0 || o == 0 || w == 0) return d;
    if (alphaOf(d) == 0) return 0;
    const uint32_t c = w != 255 ? scaleColour(s, w) : s;
    return (d & 0xFF000000u) | satAdd(d, c);
}
constexpr uint32_t alphaSub(uint32_t d, uint32_t s, uint32_t o) {
    if ((s & 0xFFFFFF) == 0 || o == 0) return d;
    if (alphaOf(d) == 0) return 0;
    const uint32_t c = o != 255 ? scaleColour(s, o) : s;
    return (d & 0xFF000000u) | satSub(d, c);
}
constexpr uint32_t alphaSubSrc(uint32_t d, uint32_t s, uint32_t o) {
    const uint32_t w = srcWeight(s, o);
    if ((s & 0xFFFFFF) == 0 || alphaOf(s) == 0 || o == 0 || w == 0) return d;
    if (alphaOf(d) == 0) return 0;
    const uint32_t c = w != 255 ? scaleColour(s, w) : s;
    return (d & 0xFF000000u) | satSub(d, c);
}
constexpr uint32_t alphaMul(uint32_t d, uint32_t s, uint32_t o) {
    if (o == 0) return d;
    if (alphaOf(d) == 0) return 0;
    return mulCoreAlpha(d, s, o);
}
constexpr uint32_t alphaMulSrc(uint32_t d, uint32_t s, uint32_t o) {
    const uint32_t w = srcWeight(s, o);
    if (alphaOf(s) == 0 || o == 0 || w == 0) return d;
    if (alphaOf(d) == 0) return 0;
    return mulCoreAlpha(d, s, w);
}

}  // namespace op

}  // namespace graphics
