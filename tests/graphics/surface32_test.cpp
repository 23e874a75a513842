// The 32-bit surface: creation, clipping, fills in four modes, lines, circles, triangles, tint,
// and loading from images of every depth with every kind of colour key.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "graphics/pixel.h"
#include "graphics/surface32.h"
#include "test_image.h"

using namespace graphics;
using graphics::test::TestImage;

namespace {

// The surface as rows of '#' (pixel differs from the background) and '.'.
std::vector<std::string> picture(const TSurface32& s, uint32_t background) {
    std::vector<std::string> rows;
    for (int y = 0; y < s.height(); ++y) {
        std::string r;
        for (int x = 0; x < s.width(); ++x) r += s.getPixel(x, y) == background ? '.' : '#';
        rows.push_back(r);
    }
    return rows;
}

TEST(Surface32, AllocationSetsTheGeometryOnceAndReleaseAllowsItAgain) {
    TSurface32 s;
    ASSERT_TRUE(s.alloc(5, 3));
    EXPECT_EQ(s.pitch(), 20u);
    EXPECT_EQ(s.byteSize(), 60u);
    EXPECT_EQ(s.clip(), (RECT{0, 0, 5, 3}));
    EXPECT_FALSE(s.alloc(5, 3));
    s.release();
    EXPECT_TRUE(s.alloc(2, 2));
    TSurface32 bad;
    EXPECT_FALSE(bad.alloc(0, 4));
    EXPECT_FALSE(bad.alloc(-1, 4));
    EXPECT_FALSE(bad.alloc(70000, 70000));  // more than a 32-bit byte count
}

TEST(Surface32, ASurfaceWithoutPixelsDrawsNothingAndClonesToNull) {
    TSurface32 empty, other;
    ASSERT_TRUE(other.createFilled(4, 4, 0xFF102030));
    empty.fill(0xFFFFFFFF);
    empty.fillRect(0, 0, 10, 10, 0xFFFFFFFF);
    empty.blendRect(0, 0, 10, 10, 0x80FFFFFF);
    empty.addRect(0, 0, 10, 10, 0xFFFFFFFF);
    empty.subtractRect(0, 0, 10, 10, 0xFFFFFFFF);
    empty.tintAll(0xFFFFFF);
    empty.drawHLine(0, 10, 0, 0xFFFFFFFF);
    empty.drawVLine(0, 0, 10, 0xFFFFFFFF);
    empty.drawCircle(3, 3, 3, 0xFFFFFFFF);
    empty.fillTriangle(0, 0, 9, 0, 0, 9, 0xFFFFFFFF);
    empty.blendPixel(0, 0, 0xFFFFFFFF);
    EXPECT_EQ(empty.getPixel(0, 0), 0u);
    EXPECT_TRUE(empty.copyFrom(0, 0, other));
    EXPECT_EQ(empty.clone(), nullptr);
    auto copy = other.clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->getPixel(3, 3), 0xFF102030u);
}

TEST(Surface32, CreateFilledMarksAlphaOnlyForATranslucentColour) {
    TSurface32 a, b;
    ASSERT_TRUE(a.createFilled(2, 2, 0xFF000000));
    ASSERT_TRUE(b.createFilled(2, 2, 0x7F000000));
    EXPECT_FALSE(a.hasAlpha());
    EXPECT_TRUE(b.hasAlpha());
}

TEST(Surface32, AFilledSurfaceOfADamagedSizeIsRefusedBeforeAnyAllocation) {
    // Sizes of filled surfaces come from saves; a screen or window never needs more.
    TSurface32 wide, big, ok;
    EXPECT_FALSE(wide.createFilled(16385, 1, 0));
    EXPECT_FALSE(big.createFilled(5000, 5000, 0));
    EXPECT_TRUE(ok.createFilled(4096, 4096, 0));
}

TEST(Surface32, PixelsOutsideTheSurfaceAreIgnored) {
    TSurface32 s;
    ASSERT_TRUE(s.createFilled(3, 3, 0xFF000000));
    EXPECT_EQ(s.getPixel(-1, 0), 0u);
    EXPECT_EQ(s.getPixel(3, 0), 0u);
    s.blendPixel(3, 1, 0xFFFFFFFF);
    s.blendPixel(-1, 1, 0xFFFFFFFF);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(s.pixels()[i], 0xFF000000u);
    s.blendPixel(1, 1, 0x80FFFFFF);
    EXPECT_EQ(s.getPixel(1, 1), 0xFF808080u);
}

TEST(Surface32, HorizontalLinesNeedTwoDistinctEndsAndFollowTheClip) {
    TSurface32 s;
    ASSERT_TRUE(s.createFilled(10, 2, 0xFF000000));
    s.drawHLine(5, 5, 0, 0xFFFFFFFF);
    EXPECT_EQ(picture(s, 0xFF000000)[0], "..........");
    s.drawHLine(7, 3, 0, 0xFFFFFFFF);
    EXPECT_EQ(picture(s, 0xFF000000)[0], "...#####..");
    s.setClip(RECT{2, 0, 6, 2});
    s.drawHLine(-5, 50, 1, 0xFFFFFFFF);
    EXPECT_EQ(picture(s, 0xFF000000)[1], "..####....");
    s.setClip(RECT{-20, -20, 50, 50});  // a clip beyond the surface still stays inside it
    s.drawHLine(-5, 50, 1, 0xFFFFFFFF);
    s.drawVLine(9, -5, 50, 0xFFFFFFFF);
    EXPECT_EQ(picture(s, 0xFF000000)[1], "##########");
}

TEST(Surface32, AColourWithAlphaZeroChangesNothingExceptAPlainFill) {
    TSurface32 s;
    ASSERT_TRUE(s.createFilled(8, 8, 0x80404040));
    const uint32_t c = 0x00FFFFFF;
    s.drawHLine(0, 7, 1, c);
    s.drawVLine(1, 0, 7, c);
    s.drawRect(0, 0, 7, 7, c);
    s.blendRect(0, 0, 8, 8, c);
    s.addRect(0, 0, 8, 8, c);
    s.subtractRect(0, 0, 8, 8, c);
    s.drawCircle(4, 4, 3, c);
    s.fillTriangle(0, 0, 7, 0, 0, 7, c);
    s.blendPixel(2, 2, c);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(s.pixels()[i], 0x80404040u);
    s.fillRect(0, 0, 1, 1, c);
    EXPECT_EQ(s.getPixel(0, 0), c);
}

TEST(Surface32, FillModesTreatTransparentPixelsAsTheRulesSay) {
    TSurface32 s;
    ASSERT_TRUE(s.alloc(3, 1));
    s.row(0)[0] = 0x00FAFAFA;  // transparent: add and subtract leave it, blend replaces it
    s.row(0)[1] = 0xFFFA0505;
    s.row(0)[2] = 0x80000000;
    s.addRect(0, 0, 3, 1, 0xFF0A0A0A);
    EXPECT_EQ(s.getPixel(0, 0), 0x00FAFAFAu);
    EXPECT_EQ(s.getPixel(1, 0), 0xFFFF0F0Fu);  // 250 + 10 stays 255
    s.subtractRect(0, 0, 3, 1, 0xFF101010);
    EXPECT_EQ(s.getPixel(0, 0), 0x00FAFAFAu);
    EXPECT_EQ(s.getPixel(1, 0), 0xFFEF0000u);
    // A translucent colour is scaled by its alpha before it is added.
    s.addRect(1, 0, 2, 1, 0x80000000u | 0x0000FF);
    EXPECT_EQ(s.getPixel(1, 0), 0xFFEF0080u);
    s.blendRect(0, 0, 3, 1, 0x80FFFFFF);
    EXPECT_EQ(s.getPixel(0, 0), 0x80FFFFFFu);
    EXPECT_EQ(s.getPixel(2, 0), blendOver(0x80000000u, 0x80FFFFFF, 128));
}

TEST(Surface32, TintMapsEachPixelToItsGreyLevelInTheColour) {
    TSurface32 s;
    ASSERT_TRUE(s.alloc(2, 1));
    s.row(0)[0] = 0x40C08020;  // level (3 x 192 + 4 x 128 + 32) >> 3 = 140
    s.row(0)[1] = 0xFF000000;
    s.tintAll(0xFFFFFF);
    EXPECT_EQ(s.getPixel(0, 0), 0x408C8C8Cu);
    EXPECT_EQ(s.getPixel(1, 0), 0xFF000000u);
    s.tintRect(0, 0, 1, 1, 0x7F0000);  // red (140 x 128) >> 8 = 70, the others 0
    EXPECT_EQ(s.getPixel(0, 0), 0x40460000u);
}

TEST(Surface32, CopyRectClipsAgainstBothSurfaces) {
    TSurface32 src, dst;
    ASSERT_TRUE(src.alloc(4, 4));
    for (int i = 0; i < 16; ++i) src.pixels()[i] = 0xFF000000u | static_cast<uint32_t>(i);
    ASSERT_TRUE(dst.createFilled(3, 3, 0));
    EXPECT_TRUE(dst.copyRect(-1, -1, src, RECT{-2, 0, 9, 9}));
    // Source column -2 is outside: the copy starts at source column 0, drawn at x = 1, which
    // is column -1 + 2; row 0 lands at y = -1 and is cut, so row 1 is at y = 0.
    EXPECT_EQ(dst.getPixel(0, 0), 0u);
    EXPECT_EQ(dst.getPixel(1, 0), 0xFF000004u);
    EXPECT_EQ(dst.getPixel(2, 2), 0xFF00000Du);
    EXPECT_TRUE(dst.copyRect(100, 100, src, RECT{0, 0, 4, 4}));
    EXPECT_TRUE(dst.copyRect(0, 0, src, RECT{5, 5, 9, 9}));
    // Copying within one surface downwards keeps the rows it reads.
    TSurface32 self;
    ASSERT_TRUE(self.alloc(1, 4));
    for (int i = 0; i < 4; ++i) self.pixels()[i] = static_cast<uint32_t>(i);
    self.copyRect(0, 1, self, RECT{0, 0, 1, 3});
    EXPECT_EQ(std::vector<uint32_t>(self.pixels(), self.pixels() + 4), (std::vector<uint32_t>{0, 0, 1, 2}));
}

TEST(Surface32, CircleOutlinePicture) {
    TSurface32 s;
    ASSERT_TRUE(s.createFilled(13, 13, 0xFF000000));
    s.drawCircle(6, 6, 5, 0xFFFFFFFF);
    const std::vector<std::string> expect{
        ".............", "...#######...", "..#.......#..", ".#.........#.", ".#.........#.",
        ".#.........#.", ".#.........#.", ".#.........#.", ".#.........#.", ".#.........#.",
        "..#.......#..", "...#######...", ".............",
    };
    EXPECT_EQ(picture(s, 0xFF000000), expect);
    // Points outside the surface are skipped; a negative radius draws nothing.
    TSurface32 t;
    ASSERT_TRUE(t.createFilled(4, 4, 0xFF000000));
    t.drawCircle(0, 0, 3, 0xFFFFFFFF);
    t.drawCircle(1, 1, -1, 0xFFFFFFFF);
    EXPECT_EQ(picture(t, 0xFF000000), (std::vector<std::string>{"...#", "...#", "...#", "####"}));
}

TEST(Surface32, CirclesStopWalkingOnlyWhereNoPointCanLand) {
    std::mt19937 rng(9);
    for (int round = 0; round < 500; ++round) {
        const int cx = static_cast<int>(rng() % 40) - 12, cy = static_cast<int>(rng() % 40) - 12;
        const int r = static_cast<int>(rng() % 40);
        TSurface32 s;
        ASSERT_TRUE(s.createFilled(9, 7, 0xFF000000));
        s.drawCircle(cx, cy, r, 0xFFFFFFFF);
        std::vector<std::string> expect(7, std::string(9, '.'));
        for (int x = 0, y = r, d = r; y >= x;) {  // the whole outline, every point
            for (auto [px, py] : {std::pair{cx + y, cy + x},
                                  {cx - y, cy + x},
                                  {cx + y, cy - x},
                                  {cx - y, cy - x},
                                  {cx + x, cy + y},
                                  {cx - x, cy + y},
                                  {cx + x, cy - y},
                                  {cx - x, cy - y}})
                if (px >= 0 && py >= 0 && px < 9 && py < 7) expect[py][px] = '#';
            d += 1 - 2 * x;
            ++x;
            if (d < 0) d += 2 * y - 2, --y;
        }
        ASSERT_EQ(picture(s, 0xFF000000), expect) << cx << "," << cy << " r " << r;
    }
    // A circle far larger than the surface around it touches nothing and ends at once.
    TSurface32 s;
    ASSERT_TRUE(s.createFilled(4, 4, 0xFF000000));
    s.drawCircle(2, 2, 2000000000, 0xFFFFFFFF);
    EXPECT_EQ(picture(s, 0xFF000000), std::vector<std::string>(4, "...."));
}

TEST(Surface32, TrianglePicture) {
    TSurface32 s;
    ASSERT_TRUE(s.createFilled(10, 8, 0xFF000000));
    s.fillTriangle(1, 1, 8, 2, 3, 6, 0xFFFFFFFF);
    // The bottom vertex row spans a single pixel, which a horizontal line does not draw.
    const std::vector<std::string> expect{
        "..........", ".####.....", ".########.", "..######..", "..#####...", "...##.....", "..........", "..........",
    };
    EXPECT_EQ(picture(s, 0xFF000000), expect);
}

// The line walk as stated: step by step along the long axis.
void walk(std::vector<std::pair<int, int>>& spans, int h, int ax, int ay, int bx, int by) {
    auto rec = [&](int r, int x) {
        if (r < 0 || r >= h) return;
        spans[r].first = std::min(spans[r].first, x);
        spans[r].second = std::max(spans[r].second, x);
    };
    const int dx = std::abs(bx - ax), dy = std::abs(by - ay);
    if (dx <= dy) {
        if (by < ay) std::swap(ax, bx), std::swap(ay, by);
        const int sx = bx > ax ? 1 : -1;
        int e = dy >> 1, x = ax;
        rec(ay, x);
        for (int y = ay + 1; y <= by; ++y) {
            e -= dx;
            if (e < 0) e += dy, x += sx;
            rec(y, x);
        }
    } else {
        if (bx < ax) std::swap(ax, bx), std::swap(ay, by);
        const int sy = by > ay ? 1 : -1;
        int e = dx >> 1, y = ay;
        rec(y, ax);
        for (int x = ax + 1; x <= bx; ++x) {
            e -= dy;
            if (e < 0) e += dx, y += sy;
            rec(y, x);
        }
    }
}

TEST(Surface32, TrianglesMatchTheStepwiseWalkAndStayInsideTheSurface) {
    std::mt19937 rng(5);
    const int w = 23, h = 17;
    for (int round = 0; round < 3000; ++round) {
        int v[6];
        for (int i = 0; i < 6; ++i) v[i] = static_cast<int>(rng() % 90) - 35;
        TSurface32 s;
        ASSERT_TRUE(s.createFilled(w, h, 0xFF000000));
        s.fillTriangle(v[0], v[1], v[2], v[3], v[4], v[5], 0xFFFFFFFF);
        std::vector<std::pair<int, int>> spans(h, {32767, -32768});
        walk(spans, h, v[0], v[1], v[2], v[3]);
        walk(spans, h, v[2], v[3], v[4], v[5]);
        walk(spans, h, v[4], v[5], v[0], v[1]);
        const int ymin = std::min({v[1], v[3], v[5]}), ymax = std::max({v[1], v[3], v[5]});
        for (int y = 0; y < h; ++y) {
            int lo = std::max(spans[y].first, 0), hi = std::min(spans[y].second, w - 1);
            const bool drawn = y >= ymin && y <= ymax && hi - lo >= 1;
            for (int x = 0; x < w; ++x) {
                const bool in = drawn && x >= lo && x <= hi;
                ASSERT_EQ(s.getPixel(x, y), in ? 0xFFFFFFFFu : 0xFF000000u)
                    << "triangle " << v[0] << "," << v[1] << " " << v[2] << "," << v[3] << " " << v[4] << "," << v[5]
                    << " at " << x << "," << y;
            }
        }
    }
    // Vertices far outside take no longer than near ones and draw only inside.
    TSurface32 s;
    ASSERT_TRUE(s.createFilled(8, 8, 0xFF000000));
    s.fillTriangle(-2000000000, -2000000000, 2000000000, 4, -2000000000, 2000000000, 0xFFFFFFFF);
    EXPECT_EQ(s.getPixel(0, 7), 0xFFFFFFFFu);
}

// One pixel layout for every depth: colours chosen so that a key hits exactly one of them.
struct Layout {
    uint32_t colours[4] = {0x112233, 0xFF00FF, 0x445566, 0x000000};
};

TestImage makeImage(int bpp, bool topDown) {
    const Layout l;
    TestImage img(5, 3, bpp, topDown, bpp <= 8 ? 4u : 0u);
    for (uint32_t i = 0; i < 4 && bpp <= 8; ++i) img.setPalette(i, l.colours[i]);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const uint32_t i = static_cast<uint32_t>((x + 2 * y) % (bpp == 1 ? 2 : 4));
            img.set(x, y, bpp <= 8 ? i : bpp == 32 ? (0x80000000u | l.colours[i]) : l.colours[i]);
        }
    return img;
}

uint32_t bgrOf(uint32_t rgb) { return (rgb & 0xFF) << 16 | (rgb & 0xFF00) | rgb >> 16; }

TEST(Surface32, LoadingAnImageOfEveryDepthAndOrientation) {
    const Layout l;
    for (int bpp : {1, 4, 8, 24, 32})
        for (bool topDown : {false, true}) {
            const TestImage img = makeImage(bpp, topDown);
            TSurface32 s;
            ASSERT_TRUE(s.createFromImage(img.view()));
            EXPECT_EQ(s.width(), 5);
            EXPECT_EQ(s.height(), 3);
            EXPECT_EQ(s.hasAlpha(), bpp == 32);
            EXPECT_FALSE(s.isColorKeyed());
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x) {
                    const uint32_t i = static_cast<uint32_t>((x + 2 * y) % (bpp == 1 ? 2 : 4));
                    ASSERT_EQ(s.getPixel(x, y), (bpp == 32 ? 0x80000000u : 0xFF000000u) | l.colours[i])
                        << bpp << " bits, top-down " << topDown << " at " << x << "," << y;
                }
        }
    // A 16-bit image leaves the pixels alone and still succeeds.
    TestImage img16(2, 2, 16, false);
    TSurface32 s;
    ASSERT_TRUE(s.alloc(2, 2));
    s.fill(0x12345678);
    EXPECT_TRUE(s.loadImage(img16.view(), nullptr));
    EXPECT_EQ(s.getPixel(1, 1), 0x12345678u);
    // A surface made from one is transparent black, not whatever the allocator left there.
    TSurface32 made;
    ASSERT_TRUE(made.createFromImage(img16.view()));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(made.pixels()[i], 0u);
}

TEST(Surface32, ColourKeysOfEveryKindMakePixelsTransparent) {
    const Layout l;
    for (int bpp : {4, 8, 24, 32})
        for (bool topDown : {false, true}) {
            const TestImage img = makeImage(bpp, topDown);
            // The magenta entry (index 1) by colour, by index, and by the corner at (0, 0),
            // whose index is 0; the bottom-right corner (4, 2) has index (4 + 4) % 4 = 0 too.
            struct K {
                uint16_t flags;
                uint32_t keyColor;
                uint32_t keyIndex;
                uint32_t keyedIndex;
            };
            const uint32_t magenta = bpp == 32 ? 0x80FF00FF : bgrOf(0xFF00FF);
            std::vector<K> keys{{1, magenta, 0, 1}, {0x30, 0, 0, 0}, {0xF0 & 0x40, 0, 0, 0}};
            if (bpp <= 8) keys.push_back({2, 0, 2, 2});
            for (const K& k : keys) {
                TImageTrans spec;
                spec.flags = k.flags;
                spec.keyColor = k.keyColor;
                spec.keyIndex = k.keyIndex;
                TSurface32 s;
                ASSERT_TRUE(s.createFromImage(img.view(), &spec));
                EXPECT_TRUE(s.isColorKeyed());
                for (int y = 0; y < 3; ++y)
                    for (int x = 0; x < 5; ++x) {
                        const uint32_t i = static_cast<uint32_t>((x + 2 * y) % 4);
                        const uint32_t plain = (bpp == 32 ? 0x80000000u : 0xFF000000u) | l.colours[i];
                        ASSERT_EQ(s.getPixel(x, y), i == k.keyedIndex ? 0u : plain)
                            << bpp << " bits, flags " << k.flags << " at " << x << "," << y;
                    }
            }
        }
    // A 24-bit key is written blue-green-red: magenta 0x00FF00FF keys magenta.
    const TestImage img = makeImage(24, false);
    TImageTrans spec;
    spec.flags = 1;
    spec.keyColor = 0x00FF00FF;
    TSurface32 s;
    ASSERT_TRUE(s.createFromImage(img.view(), &spec));
    EXPECT_EQ(s.getPixel(1, 0), 0u);
}

TEST(Surface32, MalformedImagesAreRefused) {
    TestImage img = makeImage(8, false);
    ImageSource v = img.view();
    v.bitsSize = 8 * 2 + 4;  // two padded rows and a last row one byte short
    TSurface32 s;
    EXPECT_FALSE(s.createFromImage(v));
    ImageSource noPalette = img.view();
    noPalette.palette = nullptr;
    EXPECT_FALSE(s.createFromImage(noPalette));
    ImageSource odd = img.view();
    odd.bitCount = 7;
    EXPECT_FALSE(s.createFromImage(odd));
    // Indices beyond a short palette come out transparent black.
    TestImage small(2, 1, 8, true, 1);
    small.setPalette(0, 0x123456);
    small.set(1, 0, 200);
    TSurface32 t;
    ASSERT_TRUE(t.createFromImage(small.view()));
    EXPECT_EQ(t.getPixel(0, 0), 0xFF123456u);
    EXPECT_EQ(t.getPixel(1, 0), 0u);
}

TEST(Surface32, AlphaFromAnImageUsesTheSharedPartOnly) {
    TSurface32 s;
    ASSERT_TRUE(s.createFilled(3, 2, 0xFF102030));
    TestImage grey(5, 4, 24, false);  // larger than the surface
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) grey.set(x, y, 0x808080);
    grey.set(2, 1, 0xFFFFFF);
    EXPECT_TRUE(s.loadAlphaFromImage(grey.view()));
    EXPECT_TRUE(s.hasAlpha());
    EXPECT_EQ(s.getPixel(0, 0), 0x80102030u);  // (77 + 150 + 29) x 128 >> 8 = 128
    EXPECT_EQ(s.getPixel(2, 1), 0xFF102030u);
    TestImage mask(2, 1, 32, true);
    mask.set(0, 0, 0x00400000);  // the red byte is the alpha
    EXPECT_TRUE(s.loadAlphaFromImage(mask.view()));
    EXPECT_EQ(s.getPixel(0, 0), 0x40102030u);
    EXPECT_EQ(s.getPixel(2, 0), 0x80102030u);
    TestImage pal(2, 1, 1, false, 2);
    pal.setPalette(1, 0xFFFFFF);
    pal.set(1, 0, 1);
    EXPECT_TRUE(s.loadAlphaFromImage(pal.view()));
    EXPECT_EQ(s.getPixel(0, 0), 0x00102030u);
    EXPECT_EQ(s.getPixel(1, 0), 0xFF102030u);
}

}  // namespace

TEST(Surface32, ATriangleWithVerticesAtTheIntegerLimitsFillsOnlyTheSurface) {
    TSurface32 s;
    ASSERT_TRUE(s.createFilled(8, 8, 0));
    // Edges spanning the whole int range once overflowed the 64-bit edge walk.
    s.fillTriangle(INT32_MIN, INT32_MIN, INT32_MAX, 3, -5, INT32_MAX, 0xFF0000FF);
    s.fillTriangle(INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, 4, 4, 0xFF00FF00);
    int filled = 0;
    for (int i = 0; i < 64; ++i) filled += s.pixels()[i] != 0;
    EXPECT_GT(filled, 0);
}
