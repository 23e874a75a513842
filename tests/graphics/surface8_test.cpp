// Byte maps, alpha channels that paint a colour through their bytes, and masks whose level
// table moves with a position.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/pixel.h"
#include "graphics/surface32.h"
#include "graphics/surface8.h"
#include "test_image.h"

using namespace graphics;
using graphics::test::TestImage;

namespace {

std::vector<uint8_t> rowOf(const TSurface8& s, int y) { return {s.row(y), s.row(y) + s.width()}; }

TEST(Surface8, RowsArePaddedToFourBytes) {
    TSurface8 s;
    ASSERT_TRUE(s.alloc(5, 2));
    EXPECT_EQ(s.pitch(), 8);
    EXPECT_EQ(s.byteSize(), 16u);
    EXPECT_FALSE(s.alloc(5, 2));
    EXPECT_FALSE(TSurface8().alloc(0, 2));
    s.release();
    EXPECT_TRUE(s.createFill(3, 3, 7));
    EXPECT_EQ(rowOf(s, 2), (std::vector<uint8_t>{7, 7, 7}));
}

TEST(Surface8, CopyRectDropsColumnsAtTheEndTheOffsetPointsTo) {
    TSurface8 src, dst;
    ASSERT_TRUE(src.alloc(6, 1));
    for (int x = 0; x < 6; ++x) src.row(0)[x] = static_cast<uint8_t>(x + 1);
    ASSERT_TRUE(dst.createFill(6, 1, 0));
    dst.copyRect(-3, 0, src, RECT{0, 0, 6, 1});
    EXPECT_EQ(rowOf(dst, 0), (std::vector<uint8_t>{4, 5, 6, 0, 0, 0}));
    dst.fill(0);
    dst.copyRect(3, 0, src, RECT{0, 0, 6, 1});
    EXPECT_EQ(rowOf(dst, 0), (std::vector<uint8_t>{0, 0, 0, 1, 2, 3}));
    // Never outside either surface, whatever the rectangle.
    TSurface8 small;
    ASSERT_TRUE(small.createFill(2, 2, 9));
    small.copyRect(1, 1, src, RECT{-4, -4, 60, 60});
    small.copyRect(-100, 0, src, RECT{0, 0, 6, 1});
    EXPECT_EQ(rowOf(small, 0), (std::vector<uint8_t>{9, 9}));
    TSurface8 copy;
    ASSERT_TRUE(copy.createCopy(src));
    EXPECT_EQ(rowOf(copy, 0), rowOf(src, 0));
}

TEST(Surface8, GreyLevelsFromImagesOfEveryDepth) {
    for (int bpp : {1, 4, 8, 24, 32})
        for (bool topDown : {false, true}) {
            TestImage img(3, 2, bpp, topDown, bpp <= 8 ? 2u : 0u);
            if (bpp <= 8) {
                img.setPalette(0, 0x000000);
                img.setPalette(1, 0xFF8000);
                img.set(1, 1, 1);
            } else {
                img.set(1, 1, bpp == 32 ? 0x00FF8000 : 0xFF8000);
            }
            TSurface8 s;
            ASSERT_TRUE(s.createFromImage(img.view()));
            // (77 x 255 + 150 x 128 + 29 x 0) >> 8 = 151
            EXPECT_EQ(rowOf(s, 1), (std::vector<uint8_t>{0, 151, 0})) << bpp << " " << topDown;
            EXPECT_EQ(rowOf(s, 0), (std::vector<uint8_t>{0, 0, 0}));
        }
}

TEST(AlphaChannel, LoadsAlphaBytesAndPaintsAColourThroughThem) {
    TestImage img(2, 1, 32, true);
    img.set(0, 0, 0x80FFFFFF);
    img.set(1, 0, 0xFF000000);
    TAlphaCh ch;
    ASSERT_TRUE(ch.createFromImage(img.view(), true));
    EXPECT_EQ(rowOf(ch, 0), (std::vector<uint8_t>{0x80, 0xFF}));
    TSurface32 dst;
    ASSERT_TRUE(dst.createFilled(4, 2, 0xFF000000));
    ch.drawColor(dst, 3, 1, 0xFFFFFFFF, 255);  // only the first byte lands inside
    EXPECT_EQ(dst.getPixel(3, 1), 0xFF808080u);
    ch.drawColor(dst, 0, 0, 0xFFFFFFFF, 128);
    EXPECT_EQ(dst.getPixel(0, 0), lerp(0xFF000000, 0xFFFFFFFF, div255(0x80 * 128)));
    EXPECT_EQ(dst.getPixel(1, 0), lerp(0xFF000000, 0xFFFFFFFF, 128));
    ch.drawColor(dst, -5, -5, 0xFFFFFFFF, 255);
    ch.drawColor(dst, 0, 1, 0xFFFFFFFF, 0);
    EXPECT_EQ(dst.getPixel(0, 1), 0xFF000000u);
    // Depths other than 32 bits leave the bytes of loadAlpha alone.
    TestImage rgb(2, 1, 24, true);
    ch.fill(5);
    EXPECT_TRUE(ch.loadAlpha(rgb.view()));
    EXPECT_EQ(rowOf(ch, 0), (std::vector<uint8_t>{5, 5}));
}

TEST(AlphaMask, LevelTablesFollowModeStepAndPosition) {
    TAlphaMask m;
    for (int i = 0; i < 256; ++i) ASSERT_EQ(m.table()[i], i);
    m.setMode(1);
    m.makeTable(255);
    EXPECT_EQ(m.table()[0], 255);
    EXPECT_EQ(m.table()[255], 0);
    EXPECT_EQ(m.table()[100], 155);
    m.makeTable(0);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(m.table()[i], 0);
    m.setMode(2);
    m.makeTable(255);
    EXPECT_EQ(m.table()[0], 0);
    EXPECT_EQ(m.table()[255], 255);
    m.makeTable(0);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(m.table()[i], 255);
    // With step 4 and position 600 the full level lasts to byte (600 - 255) / 4 = 86.
    m.setMode(1);
    m.setStep(4);
    m.makeTable(600);
    EXPECT_EQ(m.table()[86], 255);
    EXPECT_EQ(m.table()[87], 252);
    EXPECT_EQ(m.table()[150], 0);
    // Huge positions and steps clamp instead of wrapping.
    m.setStep(-2000000000);
    m.makeTable(2000000000);
    EXPECT_EQ(m.table()[255], 255);
}

TEST(AlphaMask, UnchangedSettingsDoNotRebuild) {
    TAlphaMask m;
    const uint32_t builds = m.tableBuilds();
    m.setStep(1);
    m.setMode(0);
    m.setRange(256);
    EXPECT_EQ(m.tableBuilds(), builds);
    m.setStep(2);
    EXPECT_EQ(m.tableBuilds(), builds + 1);
    m.setMode(7);  // an unknown mode keeps the table
    EXPECT_EQ(m.table()[9], 9);
}

TEST(AlphaMask, ApplyPaintsThroughLevelsAndOpacity) {
    TSurface8 map;
    ASSERT_TRUE(map.createFill(2, 1, 255));
    TAlphaMask m;
    TSurface32 dst;
    ASSERT_TRUE(dst.createFilled(3, 1, 0xFF000000));
    m.draw(dst, 0, 0, 0xFFFFFFFF, 255);  // no map: nothing
    EXPECT_EQ(dst.getPixel(0, 0), 0xFF000000u);
    m.setMap(&map);
    m.draw(dst, 0, 0, 0xFFFFFFFF, 128);  // mode 0 halves every level
    EXPECT_EQ(dst.getPixel(0, 0), 0xFF808080u);
    EXPECT_EQ(dst.getPixel(2, 0), 0xFF000000u);
    // In a ramp mode a new opacity is stored and the table rebuilt.
    m.setMode(2);
    m.makeTable(0);  // every level 255
    m.draw(dst, 1, 0, 0xFF000000, 128);
    EXPECT_EQ(m.opacity(), 128u);
    EXPECT_EQ(m.table()[0], 128);
    EXPECT_EQ(dst.getPixel(1, 0), lerp(0xFF808080, 0xFF000000, 128));
    EXPECT_EQ(dst.getPixel(2, 0), lerp(0xFF000000, 0xFF000000, 128));
    m.apply(dst, 2, 0, 0xFFFFFFFF, RECT{0, 0, 2, 1}, 0);  // opacity 0: nothing
    EXPECT_EQ(dst.getPixel(2, 0), 0xFF000000u);
}

}  // namespace
