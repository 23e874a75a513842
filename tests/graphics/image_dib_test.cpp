// The surfaces read the program's DIB image exactly as they read any other view of its bits:
// every depth, bottom-up and top-down, with every kind of key.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/surface32.h"
#include "graphics/surface8.h"
#include "platform/mem_block.h"
#include "storage/image.h"
#include "test_image.h"

using namespace graphics;
using graphics::test::TestImage;

namespace {

// The same pixels as a DIB image of the same orientation: an info block (header, then the
// colour table or the bit-field masks) and a block of rows as they lie in the file.
bool toDib(const TestImage& t, TImage& img) {
    const bool masks = t.bitCount == 16 || t.bitCount == 32;
    const size_t tableBytes = masks ? 12 : t.palette.size();
    platform::MemBlock info = platform::MemBlock::allocate(sizeof(BITMAPINFOHEADER) + tableBytes);
    BITMAPINFOHEADER h;
    h.biSize = 40;
    h.biWidth = t.width;
    h.biHeight = t.topDown ? -t.height : t.height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(t.bitCount);
    h.biCompression = masks ? BI_BITFIELDS : BI_RGB;
    h.biClrUsed = static_cast<uint32_t>(t.palette.size() / 4);
    std::memcpy(info.data(), &h, sizeof h);
    if (masks) {
        const uint32_t m[3] = {t.bitCount == 16 ? 0x7C00u : 0xFF0000u, t.bitCount == 16 ? 0x03E0u : 0xFF00u,
                               t.bitCount == 16 ? 0x001Fu : 0xFFu};
        std::memcpy(info.data() + 40, m, 12);
    } else if (!t.palette.empty()) {
        std::memcpy(info.data() + 40, t.palette.data(), t.palette.size());
    }
    platform::MemBlock bits = platform::MemBlock::allocate(t.bits.size());
    std::memcpy(bits.data(), t.bits.data(), t.bits.size());
    return img.attachHandles(std::move(info), std::move(bits));
}

TestImage pattern(int bpp, bool topDown) {
    TestImage t(7, 4, bpp, topDown, bpp <= 8 ? (bpp == 1 ? 2u : 4u) : 0u);
    const uint32_t colours[4] = {0x112233, 0xFF00FF, 0x445566, 0x000000};
    for (uint32_t i = 0; i < t.palette.size() / 4; ++i) t.setPalette(i, colours[i]);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x) {
            const uint32_t i = static_cast<uint32_t>((3 * x + y) % (bpp == 1 ? 2 : 4));
            t.set(x, y, bpp <= 8 ? i : bpp == 32 ? (0x40000000u * (i + 1) - 1) : colours[i]);
        }
    return t;
}

TEST(DibImages, SurfacesLoadTheImageAsTheyLoadItsBits) {
    for (int bpp : {1, 4, 8, 24, 32})
        for (bool topDown : {false, true})
            for (uint16_t flags : {0, 1, 2, 0x10, 0x20, 0x30, 0x40}) {
                const TestImage t = pattern(bpp, topDown);
                TImage img;
                ASSERT_TRUE(toDib(t, img)) << bpp;
                TImageTrans spec;
                spec.flags = flags;
                spec.keyColor = bpp == 32 ? 0x7FFFFFFF : 0x00FF00FF;
                spec.keyIndex = 2;
                TSurface32 a, b;
                ASSERT_TRUE(a.createFromImage(img, &spec));
                ASSERT_TRUE(b.createFromImage(t.view(), &spec));
                ASSERT_EQ(a.width(), 7);
                ASSERT_EQ(a.height(), 4);
                EXPECT_EQ(a.flags(), b.flags());
                EXPECT_EQ(std::memcmp(a.pixels(), b.pixels(), a.byteSize()), 0)
                    << bpp << " bits, top-down " << topDown << ", flags " << flags;
                if (flags != 0) {
                    EXPECT_TRUE(a.isColorKeyed());
                }

                TSurface32 alpha;
                ASSERT_TRUE(alpha.createFilled(7, 4, 0xFF000000));
                alpha.loadAlphaFromImage(img);
                TSurface32 alpha2;
                ASSERT_TRUE(alpha2.createFilled(7, 4, 0xFF000000));
                alpha2.loadAlphaFromImage(t.view());
                EXPECT_EQ(std::memcmp(alpha.pixels(), alpha2.pixels(), alpha.byteSize()), 0);

                TAlphaCh grey, grey2;
                ASSERT_TRUE(grey.createFromImage(img, bpp == 32));
                ASSERT_TRUE(grey2.createFromImage(t.view(), bpp == 32));
                for (int y = 0; y < 4; ++y)  // the row padding is undefined
                    EXPECT_EQ(std::memcmp(grey.row(y), grey2.row(y), 7), 0);
            }
}

TEST(DibImages, TheImagesOwnConversionKeysAsTheSurfaceLoaderDoes) {
    // The same key in each one's terms: the image takes 0x00RRGGBB as an opaque colour, the
    // surface blue << 16 | green << 8 | red, or the stored word of a 32-bit image.
    for (int bpp : {4, 8, 24, 32})
        for (bool topDown : {false, true})
            for (uint8_t flags : {0, 1, 2, 0x10, 0x20, 0x30, 0x40}) {
                const TestImage t = pattern(bpp, topDown);
                TImage img;
                ASSERT_TRUE(toDib(t, img));
                const TImageTrans spec{flags, bpp == 32 ? 0xFFFFFFFFu : 0x332211u, 2};
                const ConvertKey key{flags, bpp == 32 ? 0xFFFFFFu : 0x112233u, 2};
                TSurface32 s;
                ASSERT_TRUE(s.createFromImage(img, &spec));
                std::vector<uint32_t> words(7 * 4, 0xDEADBEEF);
                ASSERT_TRUE(img.convertToArgb32(words.data(), 7, 4, 7 * 4, 0, 0, &key));
                EXPECT_EQ(std::memcmp(words.data(), s.pixels(), words.size() * 4), 0)
                    << bpp << " bits, top-down " << topDown << ", flags " << int(flags);
            }
}

TEST(DibImages, TheTopRowOfAPictureIsRowZeroInBothOrientations) {
    for (bool topDown : {false, true}) {
        TestImage t(2, 2, 24, topDown);
        t.set(0, 0, 0xFF0000);  // red at the top left
        TImage img;
        ASSERT_TRUE(toDib(t, img));
        TSurface32 s;
        ASSERT_TRUE(s.createFromImage(img));
        EXPECT_EQ(s.getPixel(0, 0), 0xFFFF0000u);
        EXPECT_EQ(s.getPixel(0, 1), 0xFF000000u);
    }
}

TEST(DibImages, AnEmptyImageIsRefused) {
    TImage empty;
    TSurface32 s;
    EXPECT_FALSE(s.createFromImage(empty));
    TSurface8 g;
    EXPECT_FALSE(g.createFromImage(empty));
}

}  // namespace
