// Drawable objects: placement, clipping, tiling, the object kinds, the cross-fade, the object
// table and the screen object's redraw of what changed; and one scene of every common drawable
// (background, keyed sprite, alpha sprite, fill, light and a fade) composed by the screen object,
// written as PNG through libpng and compared byte for byte with the picture kept in data/
// (MJ_UPDATE_GOLDEN=1 writes the picture anew: look at it before keeping it).
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "graphics/cross_fade.h"
#include "graphics/gr_kinds.h"
#include "graphics/graphic.h"
#include "graphics/pixel.h"
#include "graphics/surface32.h"
#include "support/test_support.h"

using namespace graphics;

namespace {

void randomFill(TSurface32& s, std::mt19937& rng, bool opaque) {
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) s.row(y)[x] = opaque ? rng() | 0xFF000000u : rng();
}

bool samePixels(const TSurface32& a, const TSurface32& b) {
    return a.width() == b.width() && a.height() == b.height() && std::memcmp(a.pixels(), b.pixels(), a.byteSize()) == 0;
}

// An object that records the clip it was drawn under.
class Spy : public TGrObj {
public:
    SIZE getSize() const override { return {1, 1}; }
    void setSize(int32_t, int32_t) override {}
    void draw(TSurface32& target) override { clips.push_back(target.clip()); }
    uint16_t getTypeId() const override { return 99; }
    std::vector<RECT> clips;
};

}  // namespace

TEST(Placement, CodesAlignInsideASpan) {
    EXPECT_EQ(placeCoord(0x80000, 100, 30), 35);
    EXPECT_EQ(placeCoord(0x80000, 10, 15), -2);
    EXPECT_EQ(placeCoord(0x80004, 640, 100), 430);
    EXPECT_EQ(placeCoord(0x80005, 640, 100), 0x80005);
    EXPECT_EQ(placeCoord(0x80010, 640, 100), 0x80010);
    TFillObj o;
    o.setSize(40, 20);
    o.setPosAround(0x80002, 0x80001, 200, 50);
    EXPECT_EQ(o.getPos(), (POINT{160, 50}));
    o.setPosIn(placement::kCentre, placement::kEnd, TRect(10, 10, 100, 100));
    EXPECT_EQ(o.getPos(), (POINT{40, 90}));
    // With a coded anchor only the quarters move the point.
    EXPECT_EQ(o.relX(100, placement::kCentre), 100);
    EXPECT_EQ(o.relX(100, placement::kFirstQuarter), 100 + 10 - 20);
    EXPECT_EQ(o.relX(100, 30), 70);
    EXPECT_TRUE(TRect(10, 20, 5, 5).isInside(10, 20));
    EXPECT_FALSE(TRect(10, 20, 5, 5).isInside(15, 22));
    EXPECT_EQ(makeArgb(1, 2, 3), 0xFF010203u);
}

TEST(Clipping, BlitsLoseExactlyTheirOverhang) {
    RECT src{0, 0, 10, 10};
    POINT dst{100, 0};
    EXPECT_FALSE(clipBlit(RECT{0, 0, 100, 100}, dst, src));
    EXPECT_EQ(src.right, src.left);
    src = {0, 0, 10, 10};
    dst = {-4, 3};
    EXPECT_TRUE(clipBlit(RECT{0, 0, 100, 100}, dst, src));
    EXPECT_EQ(src, (RECT{4, 0, 10, 10}));
    EXPECT_EQ(dst, (POINT{0, 3}));
    RECT r{-5, -5, 5, 5};
    EXPECT_TRUE(clipRect(RECT{0, 0, 10, 10}, r));
    EXPECT_EQ(r, (RECT{0, 0, 5, 5}));
    EXPECT_FALSE(clipRect(RECT{0, 0, -1, 10}, r));
}

// For sprites of every kind the blitter knows, drawing under a clip rectangle gives what drawing
// without it gives, inside the clip, and leaves everything outside it alone.
TEST(Clipping, ClippedBlitEqualsTheUnclippedBlitCropped) {
    std::mt19937 rng(7);
    TSurface32 pic;
    ASSERT_TRUE(pic.alloc(23, 17));
    for (int round = 0; round < 400; ++round) {
        randomFill(pic, rng, false);
        TSprite32 sp;
        sp.setSurface(&pic);
        sp.setKind((rng() % 16 & ~1u) | (rng() % 3 == 0 ? 1u : 0u));
        sp.setColorKey(pic.getPixel(rng() % 23, rng() % 17));
        sp.setOpacity(rng() % 4 == 0 ? 255 : rng() % 256);
        if (rng() % 2)
            sp.setSourceRect(
                RECT{int32_t(rng() % 5), int32_t(rng() % 5), 23 - int32_t(rng() % 5), 17 - int32_t(rng() % 5)});
        TSurface32 a, b;
        ASSERT_TRUE(a.alloc(40, 30));
        randomFill(a, rng, rng() % 2 != 0);
        a.setHasAlpha(rng() % 2 != 0);
        ASSERT_TRUE(b.createCopy(a));
        b.setHasAlpha(a.hasAlpha());
        TSurface32 before;
        ASSERT_TRUE(before.createCopy(a));
        const int32_t x = int32_t(rng() % 60) - 20, y = int32_t(rng() % 50) - 20;
        RECT clip{int32_t(rng() % 50) - 5, int32_t(rng() % 40) - 5, 0, 0};
        clip.right = clip.left + int32_t(rng() % 40);
        clip.bottom = clip.top + int32_t(rng() % 30);
        a.setClip(clip);
        sp.draw(a, x, y);
        sp.draw(b, x, y);
        for (int py = 0; py < 30; ++py)
            for (int px = 0; px < 40; ++px) {
                const bool in = TRect(clip).isInside(px, py);
                ASSERT_EQ(a.getPixel(px, py), in ? b.getPixel(px, py) : before.getPixel(px, py))
                    << "round " << round << " at " << px << "," << py;
            }
    }
}

TEST(Objects, TilingCoversTheAreaAndPutsTheClipBack) {
    TSurface32 pic, target;
    ASSERT_TRUE(pic.alloc(3, 2));
    for (int i = 0; i < 6; ++i) pic.pixels()[i] = 0xFF000000u | i;
    ASSERT_TRUE(target.createFilled(20, 10, 0xFFFFFFFFu));
    TSprObj tile;
    tile.setSurface(&pic);
    target.setClip(RECT{0, 0, 15, 10});
    tile.drawTiled(target, 2, 1, 10, 7);
    EXPECT_EQ(target.clip(), (RECT{0, 0, 15, 10}));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool in = x >= 2 && x < 12 && y >= 1 && y < 8;
            ASSERT_EQ(target.getPixel(x, y), in ? 0xFF000000u | ((y - 1) % 2 * 3 + (x - 2) % 3) : 0xFFFFFFFFu);
        }
    tile.drawTiled(target, 100, 100, 10, 10);
    EXPECT_EQ(target.clip(), (RECT{0, 0, 15, 10}));
    // An object without extent is not repeated (its tile count would divide by zero).
    TFillObj empty;
    empty.setColor(0xFF00FF00u);
    empty.drawTiled(target, 0, 0, 20, 10);
    EXPECT_EQ(target.getPixel(0, 0), 0xFFFFFFFFu);
}

TEST(Objects, SpriteObjectMultipliesItsOpacities) {
    TSurface32 pic, a, b;
    ASSERT_TRUE(pic.createFilled(4, 4, 0xFF2060A0u));
    ASSERT_TRUE(a.createFilled(8, 8, 0xFF000000u));
    ASSERT_TRUE(b.createCopy(a));
    TSprObj o;
    o.setSurface(&pic);
    o.setOpacity(200);
    o.setPos(2, 2);
    o.setSubBlend(128);
    o.drawWithOpacity(a, 128);
    EXPECT_EQ(o.getOpacity(), 200u);
    TSprite32 direct(o);
    direct.setOpacity(div255(200 * 64));  // 128 x 128 / 255 = 64
    direct.draw(b, 2, 2);
    EXPECT_TRUE(samePixels(a, b));
    o.setSubBlend(0);
    o.drawWithOpacity(a, 255);
    o.setSubBlend(255);
    o.drawWithOpacity(a, 0);
    o.setVisible(false);
    o.draw(a);
    EXPECT_TRUE(samePixels(a, b));
    TSprObj other(o);
    EXPECT_TRUE(o.isSameType(other));
    other.setSourceRect(RECT{0, 0, 2, 2});
    EXPECT_FALSE(o.isSameType(other));
    auto copy = o.clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->getTypeId(), kGrSprite);
    EXPECT_EQ(copy->getSize(), (SIZE{4, 4}));
}

TEST(Objects, FillAndLightScaleTheirAlphaByTheOpacity) {
    TSurface32 a, b;
    ASSERT_TRUE(a.createFilled(10, 10, 0xFF404040u));
    ASSERT_TRUE(b.createCopy(a));
    TFillObj fill;
    fill.setup(4, 3, 0x00FF0000u, 200);
    fill.setPos(1, 1);
    fill.drawWithOpacity(a, 128);
    EXPECT_EQ(fill.getAlpha(), 200u);
    b.blendRect(1, 1, 5, 4, 0x00FF0000u | div255(200 * 128) << 24);
    TLightObj light;
    light.setup(3, 3, 0x00102030u, 128);
    light.setPos(5, 5);
    light.draw(a);
    b.addRect(5, 5, 8, 8, 0x80102030u);
    EXPECT_TRUE(samePixels(a, b));
    light.setVisible(false);
    light.drawWithOpacity(a, 255);
    EXPECT_TRUE(samePixels(a, b));
}

TEST(CrossFade, EndsDrawOneSpriteAndTheMiddleMixesTheOverlap) {
    TSurface32 p1, p2, a, b;
    ASSERT_TRUE(p1.createFilled(10, 10, 0xFF0000FFu));
    ASSERT_TRUE(p2.createFilled(10, 10, 0xFFFF0000u));
    ASSERT_TRUE(a.createFilled(30, 30, 0xFF000000u));
    TSprite32 s1, s2;
    s1.setSurface(&p1);
    s2.setSurface(&p2);
    ASSERT_TRUE(b.createCopy(a));
    crossFade(a, 0, 0, s1, 5, 5, s2, 0);
    s1.draw(b, 0, 0);
    EXPECT_TRUE(samePixels(a, b));
    crossFade(a, 0, 0, s1, 5, 5, s2, 255);
    s2.draw(b, 5, 5);
    EXPECT_TRUE(samePixels(a, b));

    a.fill(0xFF000000u);
    crossFade(a, 0, 0, s1, 5, 5, s2, 128);
    EXPECT_EQ(a.getPixel(7, 7), lerp(0xFF0000FFu, 0xFFFF0000u, 128));
    EXPECT_EQ(a.getPixel(1, 1), lerp(0xFF000000u, 0xFF0000FFu, div255(127 * 255)));
    EXPECT_EQ(a.getPixel(12, 12), lerp(0xFF000000u, 0xFFFF0000u, div255(128 * 255)));
    EXPECT_EQ(s1.getOpacity(), 255u);
    EXPECT_EQ(s2.getOpacity(), 255u);
    // A keyed pixel of the first sprite over an opaque one shows the second at its share.
    p1.row(7)[7] = 0;
    s1.setKind(s1.getKind() | sprite_flag::kColorKey);
    a.fill(0xFF000000u);
    crossFade(a, 0, 0, s1, 5, 5, s2, 100);
    EXPECT_EQ(a.getPixel(7, 7), lerp(0xFF000000u, 0xFFFF0000u, div255(255 * 100)));
    // Different opacities, or another blend type, draw nothing.
    a.fill(0xFF000000u);
    b.copyFrom(0, 0, a);
    s2.setOpacity(200);
    crossFade(a, 0, 0, s1, 5, 5, s2, 100);
    s2.setOpacity(255);
    s2.setBlendType(2);
    crossFade(a, 0, 0, s1, 5, 5, s2, 100);
    EXPECT_TRUE(samePixels(a, b));
}

// Every faster form of the overlap gives the bytes of the general one.
TEST(CrossFade, FastVariantsEqualTheGeneralOne) {
    std::mt19937 rng(11);
    TSurface32 p1, p2;
    ASSERT_TRUE(p1.alloc(24, 12));
    ASSERT_TRUE(p2.alloc(24, 12));
    for (int round = 0; round < 300; ++round) {
        const bool alpha1 = rng() % 2, alpha2 = rng() % 2, key1 = rng() % 2, key2 = rng() % 2;
        randomFill(p1, rng, false);
        randomFill(p2, rng, false);
        TSprite32 s1, s2;
        s1.setSurface(&p1);
        s2.setSurface(&p2);
        s1.setKind((alpha1 ? sprite_flag::kSourceAlpha : 0) | (key1 ? sprite_flag::kColorKey : 0));
        s2.setKind((alpha2 ? sprite_flag::kSourceAlpha : 0) | (key2 ? sprite_flag::kColorKey : 0));
        s1.setColorKey(p1.getPixel(3, 3));
        s2.setColorKey(p2.getPixel(5, 4));
        TSurface32 fast, general;
        ASSERT_TRUE(fast.alloc(24, 12));
        randomFill(fast, rng, rng() % 2 != 0);
        fast.setHasAlpha(rng() % 2 != 0);
        ASSERT_TRUE(general.createCopy(fast));
        general.setHasAlpha(fast.hasAlpha());
        const uint32_t t = rng() % 256, o = rng() % 3 ? 255 : rng() % 256;
        crossFadeKernel(fast, 0, 0, s1, 0, 0, s2, 0, 0, 24, 12, o, t);
        crossFadeKernel(general, 0, 0, s1, 0, 0, s2, 0, 0, 24, 12, o, t, true);
        ASSERT_TRUE(samePixels(fast, general)) << "round " << round << " t " << t << " o " << o;
    }
}

TEST(Objects, BlendObjectMixesItsPictures) {
    TSurface32 p1, p2, a, b;
    ASSERT_TRUE(p1.createFilled(8, 8, 0xFF0000FFu));
    ASSERT_TRUE(p2.createFilled(8, 8, 0xFF00FF00u));
    ASSERT_TRUE(a.createFilled(20, 20, 0xFF000000u));
    ASSERT_TRUE(b.createCopy(a));
    TSprObj before, after;
    before.setSurface(&p1);
    after.setSurface(&p2);
    after.setPos(4, 4);
    TBlendObj mix;
    mix.setPictures(&before, &after, 0);
    mix.setLevel(90);
    mix.draw(a);
    crossFade(b, 0, 0, before, 4, 4, after, 90);
    EXPECT_TRUE(samePixels(a, b));
    EXPECT_EQ(before.getSubBlend(), 255);
    EXPECT_EQ(mix.getSize(), (SIZE{12, 12}));
    // Added pictures draw one over the other at their shares.
    mix.setPictures(&before, &after, 2);
    mix.draw(a);
    before.drawWithOpacity(b, 255 - 90);
    after.drawWithOpacity(b, 90);
    EXPECT_TRUE(samePixels(a, b));
    mix.setPictures(&before, &after, 4);
    mix.draw(a);
    mix.setPictures(nullptr, &after, 0);
    mix.setOpacity(0);
    mix.draw(a);
    EXPECT_TRUE(samePixels(a, b));
}

TEST(Objects, FadeRunsThroughItsStates) {
    TGraphic screen;
    ASSERT_TRUE(screen.create(64, 48, 3));
    TFade fade;
    EXPECT_EQ(fade.state(), TFade::kIdle);
    fade.start(1000, 1, 0, 0xFF102030u, 7);
    EXPECT_EQ(fade.layer(), 2);
    EXPECT_EQ(fade.update(1000), TFade::kFinished);
    EXPECT_EQ(fade.level(), 255);
    EXPECT_EQ(fade.update(1001), TFade::kIdle);
    screen.clear();
    fade.fadeOut(100, 0xFF000000u, 1);
    fade.start(2000, 1, 100, 0xFF000000u, 1);
    screen.clearDirty();
    EXPECT_EQ(fade.update(2050), TFade::kFadingOut);
    EXPECT_EQ(fade.level(), 127);
    EXPECT_TRUE(screen.wholeDirty());
    screen.clear();
    fade.attach();
    ASSERT_EQ(screen.getLayer(1)->size(), 1u);
    EXPECT_EQ(screen.getLayer(1)->front(), &fade.fill());
    EXPECT_EQ(fade.fill().getAlpha(), 127u);
    EXPECT_EQ(fade.fill().getSize(), (SIZE{64, 48}));
    fade.fadeIn(100, 1);
    fade.finish();
    EXPECT_EQ(fade.level(), 0);
    EXPECT_EQ(fade.state(), TFade::kIdle);
}

TEST(Screen, TableKeepsItsLayersAndDrawsThemInOrder) {
    TGrTableObj table;
    table.create(10, 10, 5);
    TFillObj a, b, c;
    a.setDepth(4);
    table.add(&a);
    table.add(0, &b);
    table.addFront(0, &c);
    table.add(9, &c);  // no such layer
    table.create(10, 10, 3);
    EXPECT_EQ(table.getLayers().size(), 3u);
    EXPECT_EQ(table.getLayer(4), nullptr);
    ASSERT_EQ(table.getLayer(0)->size(), 2u);
    EXPECT_EQ(table.getLayer(0)->front(), &c);
    TSurface32 s;
    ASSERT_TRUE(s.createFilled(10, 10, 0xFF000000u));
    b.setup(2, 2, 0xFF0000FFu, 255);
    c.setup(4, 4, 0xFFFF0000u, 255);
    table.setPos(3, 3);  // a scroll offset
    table.draw(s);
    EXPECT_EQ(s.getPixel(3, 3), 0xFF0000FFu);  // later in the list covers earlier
    EXPECT_EQ(s.getPixel(6, 6), 0xFFFF0000u);
    EXPECT_EQ(b.getPos(), (POINT{0, 0}));
}

TEST(Screen, DirtyRectanglesAreDrawnAloneOrAsTheirUnion) {
    TGraphic screen;
    ASSERT_TRUE(screen.create(640, 480, 1));
    EXPECT_EQ(graphic(), &screen);
    Spy spy;
    screen.add(0, &spy);
    auto redraw = [&]() {
        spy.clips.clear();
        screen.redraw();
        EXPECT_FALSE(screen.isDirty());
        return spy.clips;
    };
    screen.invalidateRect(RECT{0, 0, 10, 10});
    screen.invalidateRect(RECT{630, 470, 640, 480});
    EXPECT_EQ(redraw(), (std::vector<RECT>{{0, 0, 10, 10}, {630, 470, 640, 480}}));
    screen.invalidateRect(RECT{0, 0, 100, 100});
    screen.invalidateRect(RECT{10, 10, 110, 110});
    EXPECT_EQ(redraw(), (std::vector<RECT>{{0, 0, 110, 110}}));
    for (int i = 0; i < 16; ++i) screen.invalidateRect(TRect(i * 30, i * 20, 1, 1));
    EXPECT_EQ(redraw(), (std::vector<RECT>{{0, 0, 451, 301}}));
    screen.invalidateRect(RECT{600, -20, 700, 10});
    EXPECT_EQ(redraw(), (std::vector<RECT>{{600, 0, 640, 10}}));
    // Only the parts on the screen count: rectangles spanning the whole number range neither
    // overflow the sum nor outweigh small ones.
    screen.invalidateRect(RECT{INT32_MIN, INT32_MIN, -1, -1});
    screen.invalidateRect(RECT{INT32_MIN, 480, INT32_MAX, INT32_MAX});
    screen.invalidateRect(RECT{0, 0, 10, 10});
    screen.invalidateRect(RECT{630, 470, 640, 480});
    EXPECT_EQ(redraw(), (std::vector<RECT>{{0, 0, 10, 10}, {630, 470, 640, 480}}));
    screen.invalidateRect(RECT{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
    screen.invalidateRect(RECT{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
    EXPECT_EQ(redraw(), (std::vector<RECT>{{0, 0, 640, 480}}));
    screen.invalidate();
    EXPECT_EQ(redraw(), (std::vector<RECT>{{0, 0, 640, 480}}));
    EXPECT_TRUE(redraw().empty());
    // An object reports its own rectangle, moved by its position.
    spy.setPos(5, 6);
    spy.invalidateRect(RECT{1, 1, 3, 3});
    spy.invalidate();
    EXPECT_EQ(screen.dirtyRects(), (std::vector<RECT>{{6, 7, 8, 9}, {5, 6, 6, 7}}));
}

// However objects move, drawing only what they reported changed gives the picture that drawing
// everything gives.
TEST(Screen, IncrementalRedrawEqualsAFullRedraw) {
    std::mt19937 rng(5);
    TGraphic screen;
    ASSERT_TRUE(screen.create(160, 120, 3));
    TSurface32 pic;
    ASSERT_TRUE(pic.alloc(30, 20));
    randomFill(pic, rng, false);
    std::vector<TSprObj> sprites(6);
    std::vector<TFillObj> fills(4);
    TFillObj background;
    background.setup(160, 120, 0xFF203040u, 255);
    screen.add(0, &background);
    for (auto& s : sprites) {
        s.setSurface(&pic);
        s.setKind(rng() % 2 ? sprite_flag::kSourceAlpha : 0);
        s.setOpacity(rng() % 256);
        screen.add(1 + rng() % 2, &s);
    }
    for (auto& f : fills) {
        f.setup(int32_t(rng() % 50), int32_t(rng() % 50), rng(), rng() % 256);
        screen.add(1 + rng() % 2, &f);
    }
    screen.invalidate();
    for (int frame = 0; frame < 60; ++frame) {
        auto move = [&](TGrObj& o) {
            if (rng() % 3) return;
            o.invalidate();
            o.setPos(int32_t(rng() % 200) - 30, int32_t(rng() % 160) - 30);
            o.invalidate();
        };
        for (auto& s : sprites) move(s);
        for (auto& f : fills) move(f);
        screen.redraw();
        TSurface32 full;
        ASSERT_TRUE(full.alloc(160, 120));
        screen.drawAll(full);
        ASSERT_TRUE(samePixels(screen, full)) << "frame " << frame;
    }
}

namespace {

// The surface's colour (alpha dropped) as an 8-bit RGB PNG.
std::vector<uint8_t> encodePng(const TSurface32& s) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            v->insert(v->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(s.width()), static_cast<png_uint_32>(s.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(static_cast<size_t>(s.width()) * 3);
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            const uint32_t p = s.getPixel(x, y);
            row[x * 3] = static_cast<uint8_t>(p >> 16);
            row[x * 3 + 1] = static_cast<uint8_t>(p >> 8);
            row[x * 3 + 2] = static_cast<uint8_t>(p);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

}  // namespace

TEST(GoldenScene, ComposedSceneMatchesTheKeptPicture) {
    TGraphic screen;
    ASSERT_TRUE(screen.create(320, 240, 4));
    // Background: a diagonal gradient.
    TSurface32 back, keyed, disc;
    ASSERT_TRUE(back.alloc(320, 240));
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            back.row(y)[x] = 0xFF000000u | uint32_t(x * 255 / 319) << 16 | uint32_t(y * 255 / 239) << 8 | 0x60;
    // A keyed sprite: a ring of squares, black where it is transparent.
    ASSERT_TRUE(keyed.createFilled(64, 64, 0xFF000000u));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (((x / 8) + (y / 8)) % 2 == 0 && (x < 16 || x >= 48 || y < 16 || y >= 48)) keyed.row(y)[x] = 0xFFF0F0F0u;
    // An alpha sprite: a disc whose edge fades out.
    ASSERT_TRUE(disc.createFilled(80, 80, 0));
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x) {
            const int d2 = (x - 40) * (x - 40) + (y - 40) * (y - 40);
            const int a = d2 >= 1600 ? 0 : std::min(255, (1600 - d2) * 255 / 600);
            disc.row(y)[x] = uint32_t(a) << 24 | 0xE03020u;
        }
    disc.setHasAlpha(true);
    TSprObj background, ring, ball;
    background.setSurface(&back);
    ring.setSurface(&keyed);
    ring.setKind(sprite_flag::kColorKey);
    ring.setColorKey(0xFF000000u);
    ring.setPos(40, 60);
    ball.setSurface(&disc);
    ball.setPos(180, 40);
    ball.setSubBlend(200);
    TFillObj fill;
    fill.setup(200, 40, 0x002040C0u, 140);
    fill.setPos(60, 170);
    TLightObj light;
    light.setup(120, 120, 0x00406080u, 160);
    light.setPos(150, 100);
    screen.add(0, &background);
    screen.add(1, &ring);
    screen.add(1, &ball);
    screen.add(2, &fill);
    screen.add(2, &light);
    TFade fade;
    fade.start(0, 1, 100, 0xFF000000u, 3);
    fade.update(30);  // 30 ms of 100: a cover of 76
    ASSERT_EQ(fade.level(), 76);
    fade.attach();
    screen.redraw();

    const std::vector<uint8_t> png = encodePng(screen);
    ASSERT_FALSE(png.empty());
    const auto golden = mjtest::sourceDir() / "tests/graphics/data/golden_scene.png";
    if (const char* u = std::getenv("MJ_UPDATE_GOLDEN"); u && *u == '1') {
        std::ofstream(golden, std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    }
    std::ifstream in(golden, std::ios::binary);
    ASSERT_TRUE(in) << golden;
    const std::vector<uint8_t> kept{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(kept == png) << "the scene differs from " << golden;
}
