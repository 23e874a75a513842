// The shared arithmetic: the division by 255, the saturating packed add and subtract, the blend
// of a colour over a pixel with alpha, and the multiply operation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "graphics/pixel.h"

using namespace graphics;

namespace {

TEST(PixelArithmetic, DivisionBy255RoundsDownOverTheWholeRangeBlendingUses) {
    // Up to 255^3, the largest numerator of the blend over a pixel with partial alpha.
    for (uint64_t x = 0; x <= 255ull * 255 * 255; ++x) ASSERT_EQ(div255(x), x / 255) << x;
}

TEST(PixelArithmetic, SaturatingAddAndSubtractAreExactForEveryBytePair) {
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t b = 0; b < 256; ++b) {
            const uint32_t sum = std::min<uint32_t>(255, a + b);
            const uint32_t diff = a > b ? a - b : 0;
            // The same pair in each channel, and against different neighbours so that a
            // carry or borrow leaking between channels shows.
            const uint32_t x = a << 16 | a << 8 | a, y = b << 16 | b << 8 | b;
            ASSERT_EQ(satAdd(x, y), sum << 16 | sum << 8 | sum) << a << "+" << b;
            ASSERT_EQ(satSub(x, y), diff << 16 | diff << 8 | diff) << a << "-" << b;
            const uint32_t x2 = a << 16 | 0xFF << 8 | b, y2 = b << 16 | 0x01 << 8 | a;
            const uint32_t sum2 = std::min<uint32_t>(255, a + b);
            ASSERT_EQ(satAdd(x2, y2), sum2 << 16 | 0xFF << 8 | sum2);
            ASSERT_EQ(satSub(x2, y2), diff << 16 | 0xFE << 8 | (b > a ? b - a : 0));
            // The alpha byte of the inputs never reaches the result.
            ASSERT_EQ(satAdd(x | 0xFF000000u, y | 0xFF000000u), sum << 16 | sum << 8 | sum);
        }
}

TEST(PixelArithmetic, BlendOverAPartlyTransparentPixelDividesTwiceAndKeepsPremultipliedColour) {
    // Over an opaque pixel it is a lerp: weight 128 of white over black gives 128.
    EXPECT_EQ(blendOver(0xFF000000, 0xFFFFFFFF, 128), 0xFF808080u);
    // Red at an exact multiple of 255 is where an in-place computation could differ: the
    // value is the per-channel one, floor((255 a s + (255 - a) Da d) / 65025).
    for (uint32_t da = 1; da < 255; da += 11)
        for (uint32_t a = 1; a < 255; a += 13)
            for (uint32_t c = 0; c < 256; c += 15) {
                const uint32_t d = da << 24 | c << 16 | (255 - c) << 8 | c;
                const uint32_t s = 0x00000000u | (255 - c) << 16 | c << 8 | 255;
                const uint32_t got = blendOver(d, s, a);
                const uint64_t w = uint64_t(255 - a) * da;
                auto expect = [&](uint32_t sc, uint32_t dc) {
                    return static_cast<uint32_t>((255ull * a * sc + w * dc) / 65025);
                };
                ASSERT_EQ(alphaOf(got), (255 * a + w) / 255);
                ASSERT_EQ(redOf(got), expect(255 - c, c));
                ASSERT_EQ(greenOf(got), expect(c, 255 - c));
                ASSERT_EQ(blueOf(got), expect(255, c));
            }
}

TEST(PixelArithmetic, MultiplyDarkensAndLeavesWhiteAlone) {
    // mulCore with w = 255: s = 255 leaves d, s = 0 gives 0.
    EXPECT_EQ(mulCore(0x00123456, 0x00FFFFFF, 255), 0xFF123456u);
    EXPECT_EQ(mulCore(0x00123456, 0x00000000, 255), 0xFF000000u);
    // A partial weight of white leaves the colour; black darkens it by about w / 255.
    EXPECT_EQ(mulCore(0x00808080, 0x00FFFFFF, 128), 0xFF808080u);
    const uint32_t half = mulCore(0x00C8C8C8, 0x00000000, 128);
    EXPECT_NEAR(static_cast<double>(redOf(half)), 200.0 * (1 - 128.0 / 255), 1.5);
    // The alpha of the alpha-destination form: Da + w - Da w / 255.
    EXPECT_EQ(alphaOf(mulCoreAlpha(0x80000000u, 0x00FFFFFF, 100)), (128 + 100 - 128 * 100 / 255) & 255u);
    EXPECT_EQ(alphaOf(mulCoreAlpha(0x80000000u, 0x00FFFFFF, 255)), 255u);
}

}  // namespace
