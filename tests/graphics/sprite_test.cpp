// The sprite: its state operations, clipped drawing through the table, smooth resampling and
// the glyph blits.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "graphics/blitter.h"
#include "graphics/pixel.h"
#include "graphics/sprite.h"
#include "graphics/surface32.h"
#include "graphics/surface8.h"

using namespace graphics;

namespace {

void numbered(TSurface32& s) {
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) s.row(y)[x] = 0xFF000000u | static_cast<uint32_t>(y << 8 | x);
}

TEST(Sprite, SizeOperationsKeepTheStretchedFlagInStep) {
    TSurface32 s;
    ASSERT_TRUE(s.createFilled(10, 20, 0xFF000000));
    TSprite32 sp;
    sp.setScale(2.0f, 2.0f);  // no surface: ignored
    EXPECT_EQ(sp.getDrawWidth(), 0);
    sp.setSurface(&s);
    EXPECT_EQ(*sp.getSourceRect(), (RECT{0, 0, 10, 20}));
    sp.setScale(1.0f, 2.0f);
    EXPECT_TRUE(sp.isStretched());
    EXPECT_EQ(sp.getDrawWidth(), 10);
    EXPECT_EQ(sp.getDrawHeight(), 40);
    sp.setScale(1.0f, 1.0f);
    EXPECT_FALSE(sp.isStretched());
    EXPECT_EQ(sp.getDrawHeight(), 20);
    sp.setScaleX(0.55f);  // truncated towards zero
    EXPECT_EQ(sp.getDrawWidth(), 5);
    // A product past the 32-bit range is the processor's out-of-range value, not undefined.
    sp.setScale(1e12f, -1e12f);
    EXPECT_EQ(sp.getDrawWidth(), INT32_MIN);
    EXPECT_EQ(sp.getDrawHeight(), INT32_MIN);
    sp.setSize(10, 20);
    EXPECT_FALSE(sp.isStretched());
    sp.setSourceRect(RECT{1, 1, 5, 5});
    EXPECT_TRUE(sp.getKind() & sprite_flag::kSubRect);
    EXPECT_EQ(sp.getDrawWidth(), 4);
    sp.setSourceRect(RECT{0, 0, 10, 20});
    EXPECT_FALSE(sp.getKind() & sprite_flag::kSubRect);
}

TEST(Sprite, SurfaceFlagsSetKeyAndSourceAlphaButNeverClearThem) {
    TSurface32 keyed, plain;
    ASSERT_TRUE(keyed.createFilled(2, 2, 0x80FFFFFF));
    keyed.setColorKeyed(true);
    ASSERT_TRUE(plain.createFilled(2, 2, 0xFF000000));
    TSprite32 sp;
    sp.setColorKey(0x123);
    sp.setSurface(&keyed);
    EXPECT_TRUE(sp.isColorKeyed());
    EXPECT_TRUE(sp.hasSourceAlpha());
    EXPECT_EQ(sp.getColorKey(), 0u);
    sp.setSurface(&plain);
    EXPECT_TRUE(sp.isColorKeyed());
    EXPECT_TRUE(sp.hasSourceAlpha());
    sp.setSurface(nullptr);
    EXPECT_EQ(sp.getKind(), 0u);
    EXPECT_EQ(sp.getModulate(), 0xFFFFFFFFu);
    EXPECT_EQ(sp.getPaintColor(), 0xFF000000u);
}

TEST(Sprite, DrawClipsToTheDestinationAndItsClipRectangle) {
    TSurface32 src, dst;
    ASSERT_TRUE(src.alloc(4, 4));
    numbered(src);
    ASSERT_TRUE(dst.createFilled(6, 6, 0));
    TSprite32 sp;
    sp.setSurface(&src);
    sp.draw(dst, -2, 4);
    // Half over the left edge: the first two source columns are dropped; two rows fit.
    EXPECT_EQ(dst.getPixel(0, 4), 0xFF000002u);
    EXPECT_EQ(dst.getPixel(1, 5), 0xFF000103u);
    EXPECT_EQ(dst.getPixel(2, 4), 0u);
    dst.setClip(RECT{-10, -10, 3, 100});  // reaches outside: drawing still stays inside
    sp.draw(dst, -1, -1);
    EXPECT_EQ(dst.getPixel(0, 0), 0xFF000101u);
    EXPECT_EQ(dst.getPixel(2, 0), 0xFF000103u);
    EXPECT_EQ(dst.getPixel(3, 0), 0u);
    sp.draw(dst, 100, 100);
    sp.draw(dst, -100, 0);
    sp.setOpacity(0);
    dst.fill(0);
    sp.draw(dst, 0, 0);
    EXPECT_EQ(dst.getPixel(0, 0), 0u);
    sp.blit(dst, 0, 0, RECT{2, 2, 2, 4});  // an empty rectangle draws nothing
}

TEST(Sprite, StretchedDrawAtTheSourceSizeCopiesAndClipsByScale) {
    TSurface32 src, dst;
    ASSERT_TRUE(src.alloc(4, 4));
    numbered(src);
    ASSERT_TRUE(dst.createFilled(8, 8, 0));
    TSprite32 sp;
    sp.setSurface(&src);
    sp.stretchBlit(dst, 0, 0, RECT{0, 0, 4, 4}, 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) ASSERT_EQ(dst.getPixel(x, y), src.getPixel(x, y));
    dst.fill(0);
    sp.setSize(8, 8);
    sp.draw(dst, -4, -4);  // doubled, half over the top-left: the lower-right quarter shows
    EXPECT_EQ(dst.getPixel(0, 0), 0xFF000202u);
    EXPECT_EQ(dst.getPixel(3, 3), 0xFF000303u);
    EXPECT_EQ(dst.getPixel(4, 4), 0u);
    // Paint mode draws the shape in the paint colour.
    sp.setKind(sp.getKind() | sprite_flag::kPaint);
    sp.setPaintColor(0xFF00FF00);
    sp.draw(dst, 4, 4);
    EXPECT_EQ(dst.getPixel(7, 7), 0xFF00FF00u);
}

TEST(Sprite, SmoothBlitAtTheSameSizeReproducesTheSource) {
    TSurface32 src, dst;
    ASSERT_TRUE(src.alloc(7, 5));
    std::mt19937 rng(3);
    for (int i = 0; i < 35; ++i) src.pixels()[i] = static_cast<uint32_t>(rng());
    ASSERT_TRUE(dst.createFilled(7, 5, 0));
    TSprite32 sp;
    sp.setSurface(&src);
    sp.smoothBlit(dst, 0, 0, RECT{0, 0, 7, 5}, 7, 5);
    for (int i = 0; i < 35; ++i) ASSERT_EQ(dst.pixels()[i], src.pixels()[i]);
}

TEST(Sprite, SmoothBlitEnlargingWeighsTrueOverlapsAndNeverPassesFull) {
    TSurface32 src, dst;
    ASSERT_TRUE(src.createFilled(2, 1, 0xFFFFFFFF));
    ASSERT_TRUE(dst.createFilled(3, 1, 0));
    TSprite32 sp;
    sp.setSurface(&src);
    // [255, 255] widened to 3: every result stays 255.
    sp.smoothBlit(dst, 0, 0, RECT{0, 0, 2, 1}, 3, 1);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(dst.getPixel(x, 0), 0xFFFFFFFFu);
    // A black and a white pixel widened to 4: the middle two mix, the ends keep their colour.
    src.row(0)[0] = 0xFF000000;
    TSurface32 wide;
    ASSERT_TRUE(wide.createFilled(4, 1, 0));
    sp.smoothBlit(wide, 0, 0, RECT{0, 0, 2, 1}, 4, 1);
    EXPECT_EQ(wide.getPixel(0, 0), 0xFF000000u);
    EXPECT_EQ(wide.getPixel(3, 0), 0xFFFFFFFFu);
    EXPECT_EQ(wide.getPixel(1, 0), 0xFF000000u);
    // Enlarging far beyond 256 times still covers every pixel.
    TSurface32 huge;
    ASSERT_TRUE(huge.createFilled(600, 1, 0));
    sp.smoothBlit(huge, 0, 0, RECT{0, 0, 2, 1}, 600, 1);
    EXPECT_EQ(huge.getPixel(0, 0), 0xFF000000u);
    EXPECT_EQ(huge.getPixel(599, 0), 0xFFFFFFFFu);
}

TEST(Sprite, SmoothBlitShrinkingAveragesAreas) {
    TSurface32 src, dst;
    ASSERT_TRUE(src.alloc(4, 2));
    for (int x = 0; x < 4; ++x) {
        src.row(0)[x] = x % 2 ? 0xFFFFFFFF : 0xFF000000;
        src.row(1)[x] = src.row(0)[x];
    }
    ASSERT_TRUE(dst.createFilled(2, 1, 0));
    TSprite32 sp;
    sp.setSurface(&src);
    sp.smoothBlit(dst, 0, 0, RECT{0, 0, 4, 2}, 2, 1);
    EXPECT_EQ(dst.getPixel(0, 0), 0xFF7F7F7Fu);  // (0 + 255) x 256 / 512, rounded down
    // Shrinking by a factor that does not divide never passes 255 either.
    TSurface32 white, three;
    ASSERT_TRUE(white.createFilled(7, 1, 0xFFFFFFFF));
    ASSERT_TRUE(three.createFilled(3, 1, 0));
    sp.setSurface(&white);
    sp.smoothBlit(three, 0, 0, RECT{0, 0, 7, 1}, 3, 1);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(three.getPixel(x, 0), 0xFFFFFFFFu);
    // drawTo clips like a stretched draw.
    sp.setSize(14, 2);
    three.fill(0);
    sp.drawTo(three, -10, 0);
    EXPECT_EQ(three.getPixel(2, 0), 0xFFFFFFFFu);
}

TEST(Glyphs, SeventeenLevelsAndOneBit) {
    TSurface32 dst;
    ASSERT_TRUE(dst.createFilled(4, 1, 0xFF000000));
    dst.row(0)[3] = 0;
    const uint8_t glyph[4] = {8, 16, 0, 8};
    blitGlyph17(dst.pixels(), glyph, 4, 1, 16, 4, 0xFFFFFFFF);
    EXPECT_EQ(dst.getPixel(0, 0), 0xFF808080u);  // coverage 8 blends with level 128
    EXPECT_EQ(dst.getPixel(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(dst.getPixel(2, 0), 0xFF000000u);
    EXPECT_EQ(dst.getPixel(3, 0), 0x80FFFFFFu);  // a transparent pixel takes the level as alpha
    const uint8_t bad[1] = {200};                // coverage past the table counts as full
    blitGlyph17(dst.pixels(), bad, 1, 1, 16, 1, 0xFF102030);
    EXPECT_EQ(dst.getPixel(0, 0), 0xFF102030u);
    const uint8_t mono[1] = {0xA0};
    blitGlyphMono(dst.pixels(), mono, 4, 1, 16, 1, 0x11223344);
    EXPECT_EQ(dst.getPixel(0, 0), 0x11223344u);
    EXPECT_EQ(dst.getPixel(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(dst.getPixel(2, 0), 0x11223344u);
}

}  // namespace

TEST(Sprite32, AScaleOutsideTheIntegerRangeOrNotANumberGivesTheProcessorsValue) {
    EXPECT_EQ(graphics::scaledSize(10, 2.5f), 25);
    EXPECT_EQ(graphics::scaledSize(1 << 30, 1e6f), INT32_MIN);
    EXPECT_EQ(graphics::scaledSize(10, std::numeric_limits<float>::quiet_NaN()), INT32_MIN);
}
