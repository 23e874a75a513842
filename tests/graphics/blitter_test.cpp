// Every entry of the blitter table against a slow model of the per-pixel rules, written here
// from the rules themselves (per channel, plain integer division), under every pixel path.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "graphics/blitter.h"
#include "graphics/kernels.h"
#include "graphics/sprite.h"
#include "graphics/surface32.h"
#include "graphics/surface8.h"

using namespace graphics;

namespace model {

using u32 = uint32_t;
using u64 = uint64_t;

u32 A(u32 p) { return p >> 24; }
u32 ch(u32 p, int c) { return (p >> (8 * c)) & 255; }  // c: 0 blue, 1 green, 2 red, 3 alpha
u32 pack(const u32 v[4]) { return v[0] | v[1] << 8 | v[2] << 16 | v[3] << 24; }
u32 colour(u32 p) { return p & 0xFFFFFF; }

// The multiply-and-shift division, needed only where the rules feed it wrapped values.
u32 formula255(u64 x) { return static_cast<u32>((x * 0x01010101ull + 0x10000ull) >> 32); }

u32 over(u32 d, u32 s, u32 a) {
    u32 v[4];
    if (A(d) == 255) {
        for (int c = 0; c < 3; ++c) v[c] = ((255 - a) * ch(d, c) + a * ch(s, c)) / 255;
        v[3] = 255;
    } else {
        const u64 w = u64(255 - a) * A(d);
        for (int c = 0; c < 3; ++c) v[c] = static_cast<u32>((u64(255) * a * ch(s, c) + w * ch(d, c)) / 65025);
        v[3] = static_cast<u32>((255 * a + w) / 255);
    }
    return pack(v);
}

u32 mix(u32 d, u32 s, u32 w) {
    u32 v[4];
    for (int c = 0; c < 3; ++c) v[c] = ((255 - w) * ch(d, c) + w * ch(s, c)) / 255;
    v[3] = 255;
    return pack(v);
}

u32 tinted(u32 s, u32 m) {
    u32 v[4];
    for (int c = 0; c < 4; ++c) v[c] = ch(s, c) * ch(m, c) / 255;
    return pack(v);
}

u32 darken(u32 d, u32 s, u32 w) {
    if (w == 255) return d * s / 255;
    const u32 diff = s * w / 255 - w;
    return (d + formula255(static_cast<u32>(diff * d))) & 255;
}

// One operation of the table of per-pixel operations.
u32 operation(bool withAlpha, u32 type, bool src, u32 d, u32 s, u32 o) {
    const u32 w = !src ? o : (o == 255 ? A(s) : A(s) * o / 255);
    const bool srcSkip = src && (A(s) == 0 || w == 0);
    if (type == 0) {
        if (o == 0 || srcSkip) return d;
        if (w == 255) return s;
        if (!withAlpha) return mix(d, s, w);
        if (A(d) == 0) return colour(s) | (src ? w << 24 : 0xFF000000u);
        return over(d, s, w);
    }
    if (type == 2 || type == 4) {
        if (colour(s) == 0 || o == 0 || srcSkip) return d;
        if (withAlpha && A(d) == 0) return 0;
        u32 v[4];
        for (int c = 0; c < 3; ++c) {
            const int add = static_cast<int>(w == 255 ? ch(s, c) : ch(s, c) * w / 255);
            const int r = type == 2 ? static_cast<int>(ch(d, c)) + add : static_cast<int>(ch(d, c)) - add;
            v[c] = static_cast<u32>(r < 0 ? 0 : r > 255 ? 255 : r);
        }
        v[3] = withAlpha ? A(d) : 255;
        return pack(v);
    }
    if (o == 0 || srcSkip) return d;
    if (withAlpha && A(d) == 0) return 0;
    u32 v[4];
    for (int c = 0; c < 3; ++c) v[c] = darken(ch(d, c), ch(s, c), w);
    v[3] = !withAlpha || w == 255 ? 255 : (A(d) + w - A(d) * w / 255) & 255;
    return pack(v);
}

struct Setup {
    int table = 0;
    u32 kind = 0;
    u32 opacity = 255;
    u32 modulate = 0xFFFFFF;  // colour bytes
    bool modFlag = false;
    u32 key = 0;
    u32 paint = 0xFF000000u;
    const TSurface8* map = nullptr;
    const uint8_t* levels = nullptr;
};

// The destination pixel after drawing source pixel s at destination (x, y).
u32 pixel(const Setup& st, u32 d, u32 s, int x, int y) {
    const u32 o = st.opacity;
    if (o == 0) return d;
    const bool keyed = st.kind & 1, srcA = st.kind & 8, masked = st.kind & 16;
    const u32 type = st.kind & 6;
    const bool stretched = st.table == 2 || st.table == 3 || st.table == 6 || st.table == 7;
    const bool withAlpha = st.table % 2 == 0;
    const u32 m = (o << 24) | st.modulate;
    const bool modActive = st.modFlag && st.modulate != 0xFFFFFF;
    auto level = [&]() -> u32 { return st.levels[st.map->row(y % st.map->height())[x % st.map->width()]]; };
    if (st.table >= 4) {
        const u32 pa = A(st.paint);
        if (pa == 0) return d;
        if (keyed && s == st.key) return d;
        auto entry = [&](u32 i) { return colour(st.paint) | (i * pa / 255) << 24; };
        if (masked) {
            if (!st.map) return d;
            u32 l = level();
            if (srcA) {
                l = A(s) * l / 255;
                if (l == 0) return d;
            }
            return operation(withAlpha, type, true, d, entry(l), o);
        }
        return operation(withAlpha, type, srcA || pa < 255, d, srcA ? entry(A(s)) : st.paint, o);
    }
    if (masked) {
        if (!st.map) return d;
        if (st.kind == 16 && !stretched) {
            u32 l = level();
            if (o < 255) l = l * o / 255;
            if (l == 0) return d;
            if (l == 255) return s | 0xFF000000u;
            if (!withAlpha) return mix(d, s, l);
            return A(d) == 0 ? colour(s) | l << 24 : over(d, s, l);
        }
        if (keyed && s == st.key) return d;
        u32 l = level();
        if (l == 0) return d;
        if (srcA) {
            l = A(s) * l / 255;
            if (l == 0) return d;
        }
        return operation(withAlpha, type, true, d, colour(s) | l << 24, o);
    }
    if (st.kind == 0 || st.kind == 1 || st.kind == 8) {
        if (keyed && s == st.key) return d;
        if (withAlpha) {
            const u32 l = srcA ? (o == 255 ? A(s) : A(s) * o / 255) : o;
            if (l == 0) return d;
            if (l == 255) return s;
            return A(d) == 0 ? colour(s) | l << 24 : over(d, s, l);
        }
        if (modActive) {
            if (srcA) return A(s) == 0 ? d : mix(d, tinted(s, m), A(s) * o / 255);
            return o == 255 ? tinted(s, m) | 0xFF000000u : mix(d, tinted(s, m), o);
        }
        const u32 w = srcA ? (o == 255 ? A(s) : A(s) * o / 255) : o;
        if (w == 0) return d;
        if (w == 255) return s;
        return mix(d, s, w);
    }
    if (keyed && s == st.key) return d;
    if (modActive) return operation(withAlpha, type, srcA, d, tinted(s, m), 255);
    return operation(withAlpha, type, srcA, d, s, o);
}

}  // namespace model

namespace {

uint32_t pick(std::mt19937& rng, const std::vector<uint32_t>& v) { return v[rng() % v.size()]; }

// Sources: random words, or words built from the boundary values of each channel.
void fillSource(TSurface32& s, std::mt19937& rng, bool structured, uint32_t key) {
    static const std::vector<uint32_t> edges{0, 1, 127, 128, 254, 255};
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) {
            uint32_t p;
            if (structured) {
                p = pick(rng, edges) << 24 | pick(rng, edges) << 16 | pick(rng, edges) << 8 | pick(rng, edges);
            } else {
                p = static_cast<uint32_t>(rng());
                switch (rng() % 4) {  // plenty of fully transparent and fully opaque pixels
                    case 0:
                        p &= 0x00FFFFFF;
                        break;
                    case 1:
                        p |= 0xFF000000u;
                        break;
                    default:
                        break;
                }
            }
            if (rng() % 7 == 0) p = key;
            s.row(y)[x] = p;
        }
}

void fillDestination(TSurface32& d, std::mt19937& rng) {
    for (int y = 0; y < d.height(); ++y)
        for (int x = 0; x < d.width(); ++x) {
            uint32_t p = static_cast<uint32_t>(rng());
            switch (rng() % 4) {
                case 0:
                    p &= 0x00FFFFFF;
                    break;
                case 1:
                    p |= 0xFF000000u;
                    break;
                default:
                    break;
            }
            d.row(y)[x] = p;
        }
}

struct Case {
    model::Setup st;
    RECT src;
    int x, y, w, h;
};

// Draws one case through the table and through the model; returns the first difference.
std::string runCase(const Case& c, const TSurface32& source, TSprite32& sprite, TSurface32& dst) {
    std::vector<uint32_t> before(dst.pixels(), dst.pixels() + dst.width() * dst.height());
    blitKernel(c.st.table, c.st.kind)(dst, c.x, c.y, sprite, c.src, c.w, c.h);
    const bool stretched = c.st.table == 2 || c.st.table == 3 || c.st.table == 6 || c.st.table == 7;
    const int w = stretched ? c.w : c.src.width();
    const int h = stretched ? c.h : c.src.height();
    const int64_t xstep = (int64_t(c.src.width()) << 16) / w;
    const int64_t ystep = (int64_t(c.src.height()) << 16) / h;
    for (int y = 0; y < dst.height(); ++y)
        for (int x = 0; x < dst.width(); ++x) {
            uint32_t expect = before[y * dst.width() + x];
            if (x >= c.x && x < c.x + w && y >= c.y && y < c.y + h) {
                const int sc = c.src.left + static_cast<int>(((x - c.x) * xstep) >> 16);
                const int sr = c.src.top + static_cast<int>(((y - c.y) * ystep) >> 16);
                expect = model::pixel(c.st, expect, source.row(sr)[sc], x, y);
            }
            const uint32_t got = dst.row(y)[x];
            if (got != expect) {
                char buf[256];
                std::snprintf(buf, sizeof buf,
                              "table %d kind %u opacity %u tint %06X mod %d paint %08X at (%d,%d): "
                              "was %08X src %08X got %08X expected %08X",
                              c.st.table, c.st.kind, c.st.opacity, c.st.modulate, c.st.modFlag, c.st.paint, x, y,
                              before[y * dst.width() + x], 0u, got, expect);
                return buf;
            }
        }
    return {};
}

class BlitterTable : public ::testing::TestWithParam<PixelPath> {
protected:
    void SetUp() override { previous_ = setPixelPath(GetParam()); }
    void TearDown() override { setPixelPath(previous_); }
    PixelPath previous_ = PixelPath::Plain;
};

TEST_P(BlitterTable, EveryEntryAgreesWithTheModel) {
    std::mt19937 rng(1234);
    TSurface32 source;
    ASSERT_TRUE(source.alloc(23, 9));
    TSurface32 dst;
    ASSERT_TRUE(dst.alloc(40, 20));
    TSurface8 map;
    ASSERT_TRUE(map.alloc(5, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) map.row(y)[x] = static_cast<uint8_t>(rng());
    map.row(0)[0] = 0;
    map.row(1)[1] = 255;
    TAlphaMask identity;
    identity.setMap(&map);
    TAlphaMask ramp;
    ramp.setMap(&map);
    ramp.setStep(2);
    ramp.setMode(1);
    ramp.makeTable(300);

    const uint32_t opacities[] = {0, 1, 128, 254, 255};
    const uint32_t tints[] = {0xFFFFFF, 0x80C040};
    const uint32_t paints[] = {0xFF3060C0, 0x80FFFFFF, 0x00FFFFFF};
    const uint32_t key = 0x7F102030;
    int cases = 0;
    for (int table = 0; table < kBlitTables; ++table)
        for (uint32_t kind = 0; kind < kBlitKinds; ++kind)
            for (uint32_t o : opacities)
                for (uint32_t tint : tints)
                    for (int variant = 0; variant < 2; ++variant) {
                        const bool structured = variant == 1;
                        fillSource(source, rng, structured, key);
                        fillDestination(dst, rng);
                        TAlphaMask& mask = variant == 0 ? identity : ramp;
                        model::Setup st;
                        st.table = table;
                        st.kind = kind;
                        st.opacity = o;
                        st.modulate = tint;
                        st.modFlag = tint != 0xFFFFFF || variant == 1;
                        st.key = key;
                        st.paint = paints[(kind + variant) % 3];
                        st.map = &map;
                        st.levels = mask.table();
                        TSprite32 sprite;
                        sprite.setSurface(&source);
                        sprite.setKind(kind | (st.modFlag ? sprite_flag::kModulate : 0));
                        sprite.setModulate(o << 24 | tint);
                        sprite.setColorKey(key);
                        sprite.setPaintColor(st.paint);
                        sprite.setMask(&mask);
                        sprite.setKind(kind | (st.modFlag ? sprite_flag::kModulate : 0));
                        // Unstretched, enlarged and shrunk.
                        const Case shapes[] = {
                            {st, RECT{1, 2, 22, 8}, 3, 4, 21, 6},
                            {st, RECT{0, 0, 23, 9}, 2, 1, 37, 17},
                            {st, RECT{2, 1, 21, 9}, 5, 3, 9, 4},
                        };
                        for (const Case& c : shapes) {
                            const std::string diff = runCase(c, source, sprite, dst);
                            ASSERT_TRUE(diff.empty()) << diff;
                            ++cases;
                        }
                    }
    EXPECT_EQ(cases, 8 * 32 * 5 * 2 * 2 * 3);
}

TEST_P(BlitterTable, MaskKindsWithoutAMapDrawNothing) {
    TSurface32 source, dst;
    ASSERT_TRUE(source.createFilled(4, 4, 0xFF112233));
    ASSERT_TRUE(dst.createFilled(8, 8, 0xFF000000));
    TAlphaMask empty;
    TSprite32 sprite;
    sprite.setSurface(&source);
    sprite.setMask(&empty);
    for (int table = 0; table < kBlitTables; ++table)
        for (uint32_t kind = 16; kind < 32; ++kind) {
            sprite.setKind(kind);
            blitKernel(table, kind)(dst, 1, 1, sprite, RECT{0, 0, 4, 4}, 5, 5);
        }
    for (int i = 0; i < 64; ++i) ASSERT_EQ(dst.pixels()[i], 0xFF000000u);
}

TEST_P(BlitterTable, CallsOutsideEitherSurfaceDrawNothing) {
    TSurface32 source, dst;
    ASSERT_TRUE(source.createFilled(4, 4, 0xFF112233));
    ASSERT_TRUE(dst.createFilled(8, 8, 0xFF000000));
    TSprite32 sprite;
    sprite.setSurface(&source);
    for (int table = 0; table < kBlitTables; ++table) {
        blitKernel(table, 0)(dst, 6, 6, sprite, RECT{0, 0, 4, 4}, 4, 4);   // past the destination
        blitKernel(table, 0)(dst, -1, 0, sprite, RECT{0, 0, 4, 4}, 4, 4);  // before it
        blitKernel(table, 0)(dst, 0, 0, sprite, RECT{-1, 0, 4, 4}, 4, 4);  // outside the source
        blitKernel(table, 0)(dst, 0, 0, sprite, RECT{0, 0, 5, 4}, 4, 4);
    }
    for (int i = 0; i < 64; ++i) ASSERT_EQ(dst.pixels()[i], 0xFF000000u);
}

TEST_P(BlitterTable, TiledMaskStartsAtTheDestinationColumn) {
    // A 16 x 16 mask under a sprite drawn at x = 20 starts at mask column 4.
    TSurface8 map;
    ASSERT_TRUE(map.createFill(16, 16, 0));
    map.row(0)[4] = 255;
    TAlphaMask mask;
    mask.setMap(&map);
    TSurface32 source, dst;
    ASSERT_TRUE(source.createFilled(8, 1, 0xFF00FF00));
    ASSERT_TRUE(dst.createFilled(40, 16, 0xFF000000));
    TSprite32 sprite;
    sprite.setSurface(&source);
    sprite.setMask(&mask);
    sprite.blit(dst, 20, 0, RECT{0, 0, 8, 1});
    EXPECT_EQ(dst.getPixel(20, 0), 0xFF00FF00u);
    EXPECT_EQ(dst.getPixel(21, 0), 0xFF000000u);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, BlitterTable, ::testing::Values(PixelPath::Plain, PixelPath::Sse2, PixelPath::Avx2), [](const auto& info) {
        return std::string(info.param == PixelPath::Plain ? "Plain" : info.param == PixelPath::Sse2 ? "Sse2" : "Avx2");
    });

}  // namespace
