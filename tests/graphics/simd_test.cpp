// The packed row kernels give exactly the bytes of the plain ones, on every length (so every
// tail), every weight and every boundary value.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "graphics/kernels.h"
#include "graphics/surface32.h"

using namespace graphics;

namespace {

std::vector<const RowKernels*> packedPaths() {
    std::vector<const RowKernels*> v;
    if (sse2Kernels()) v.push_back(sse2Kernels());
    if (avx2Kernels() && __builtin_cpu_supports("avx2")) v.push_back(avx2Kernels());
    return v;
}

// Pixels that mix random words with the boundary cases every kernel branches on.
std::vector<uint32_t> pixels(std::mt19937& rng, int n, uint32_t key) {
    static const uint32_t special[] = {0x00000000, 0xFFFFFFFF, 0xFF000000, 0x00FFFFFF, 0x80808080,
                                       0x01010101, 0xFEFEFEFE, 0x7F7F7F7F, 0xFF7F0080};
    std::vector<uint32_t> v(static_cast<size_t>(n));
    for (auto& p : v) {
        switch (rng() % 6) {
            case 0:
                p = special[rng() % 9];
                break;
            case 1:
                p = static_cast<uint32_t>(rng()) & 0x00FFFFFF;
                break;
            case 2:
                p = static_cast<uint32_t>(rng()) | 0xFF000000u;
                break;
            case 3:
                p = key;
                break;
            default:
                p = static_cast<uint32_t>(rng());
                break;
        }
    }
    return v;
}

// Runs f on a plain copy and on each packed copy of the same destination and compares.
template <class F>
void compareAll(const char* name, std::mt19937& rng, F f) {
    const auto paths = packedPaths();
    for (int n = 0; n <= 37; ++n) {
        for (int round = 0; round < 8; ++round) {
            const uint32_t key = static_cast<uint32_t>(rng());
            const auto src = pixels(rng, n, key);
            const auto dst = pixels(rng, n, key);
            const uint32_t arg = static_cast<uint32_t>(rng());
            auto expect = dst;
            f(plainKernels(), expect.data(), src.data(), n, arg, key);
            for (const RowKernels* k : paths) {
                auto got = dst;
                f(*k, got.data(), src.data(), n, arg, key);
                ASSERT_EQ(got, expect) << name << " length " << n << " argument " << std::hex << arg;
            }
        }
    }
}

TEST(PackedKernels, FillsMatchThePlainKernels) {
    std::mt19937 rng(7);
    compareAll("fill", rng,
               [](const RowKernels& k, uint32_t* d, const uint32_t*, int n, uint32_t a, uint32_t) { k.fill(d, n, a); });
    compareAll("blend fill", rng, [](const RowKernels& k, uint32_t* d, const uint32_t*, int n, uint32_t a, uint32_t) {
        const uint32_t alpha = 1 + (a >> 24) % 254;
        k.blendFill(d, n, (a & 0xFFFFFF) | alpha << 24);
    });
    compareAll("add fill", rng, [](const RowKernels& k, uint32_t* d, const uint32_t*, int n, uint32_t a, uint32_t) {
        k.addFill(d, n, a & 0xFFFFFF);
    });
    compareAll("subtract fill", rng,
               [](const RowKernels& k, uint32_t* d, const uint32_t*, int n, uint32_t a, uint32_t) {
                   k.subFill(d, n, a & 0xFFFFFF);
               });
}

TEST(PackedKernels, CopiesAndLerpsMatchThePlainKernels) {
    std::mt19937 rng(11);
    compareAll("copy", rng,
               [](const RowKernels& k, uint32_t* d, const uint32_t* s, int n, uint32_t, uint32_t) { k.copy(d, s, n); });
    compareAll("keyed copy", rng,
               [](const RowKernels& k, uint32_t* d, const uint32_t* s, int n, uint32_t, uint32_t key) {
                   k.keyCopy(d, s, n, key);
               });
    compareAll("lerp", rng, [](const RowKernels& k, uint32_t* d, const uint32_t* s, int n, uint32_t a, uint32_t) {
        k.lerp(d, s, n, 1 + a % 254);
    });
    compareAll("keyed lerp", rng,
               [](const RowKernels& k, uint32_t* d, const uint32_t* s, int n, uint32_t a, uint32_t key) {
                   k.keyLerp(d, s, n, 1 + a % 254, key);
               });
    compareAll("source alpha", rng,
               [](const RowKernels& k, uint32_t* d, const uint32_t* s, int n, uint32_t a, uint32_t) {
                   k.srcAlpha(d, s, n, a % 3 == 0 ? 255 : 1 + a % 255);
               });
}

// A surface blitted onto itself hands the copy overlapping rows: the pixels move as a whole,
// whichever way they overlap, and apart rows copy as well.
TEST(PackedKernels, CopyMovesOverlappingRowsAsAWhole) {
    for (const auto& [to, from, n] : {std::array{3, 0, 30}, {0, 5, 30}, {0, 30, 10}, {31, 0, 9}, {2, 2, 20}}) {
        std::vector<uint32_t> row(40);
        for (size_t i = 0; i < row.size(); ++i) row[i] = 0xFF000000u | static_cast<uint32_t>(i);
        std::vector<uint32_t> want = row;
        const std::vector<uint32_t> moved(row.begin() + from, row.begin() + from + n);
        std::copy(moved.begin(), moved.end(), want.begin() + to);
        for (const RowKernels* k : {&plainKernels(), sse2Kernels(), avx2Kernels()}) {
            if (!k) continue;
            std::vector<uint32_t> got = row;
            k->copy(got.data() + to, got.data() + from, n);
            EXPECT_EQ(got, want) << "from " << from << " to " << to << " length " << n;
        }
    }
}

TEST(PackedKernels, TiledMaskMatchesThePlainKernel) {
    std::mt19937 rng(13);
    std::vector<uint8_t> map(7);
    std::vector<uint8_t> table(256);
    compareAll("mask", rng, [&](const RowKernels& k, uint32_t* d, const uint32_t* s, int n, uint32_t a, uint32_t) {
        std::mt19937 local(a);
        for (auto& b : map) b = static_cast<uint8_t>(local());
        for (int i = 0; i < 256; ++i) {
            const uint32_t r = local() % 4;
            table[static_cast<size_t>(i)] = static_cast<uint8_t>(r == 0 ? 0 : r == 1 ? 255 : local());
        }
        k.mask(d, s, n, map.data(), 7, static_cast<int>(a % 7), table.data());
    });
}

TEST(PackedKernels, EveryWeightOfEveryChannelPairMatches) {
    // Each pair of channel values under each weight, eight pixels at a time.
    const auto paths = packedPaths();
    std::vector<uint32_t> src(256), dst(256);
    for (uint32_t w = 1; w < 255; w += 3) {
        for (uint32_t dv = 0; dv < 256; ++dv) {
            for (uint32_t s = 0; s < 256; ++s) {
                src[s] = 0xFF000000u | s << 16 | (255 - s) << 8 | s;
                dst[s] = 0xFF000000u | dv << 16 | dv << 8 | (255 - dv);
            }
            auto expect = dst;
            plainKernels().lerp(expect.data(), src.data(), 256, w);
            for (const RowKernels* k : paths) {
                auto got = dst;
                k->lerp(got.data(), src.data(), 256, w);
                ASSERT_EQ(got, expect) << "weight " << w << " destination " << dv;
            }
        }
    }
}

TEST(PixelPaths, TheFirstSurfaceChoosesAPathAndTheSwitchIsHonoured) {
    TSurface32 s;  // runs the processor test
    // A build for plain pixels has no packed kernels and always runs the plain path.
    EXPECT_EQ(pixelPath() != PixelPath::Plain, sse2Kernels() != nullptr);
    EXPECT_EQ(hasPackedPixels(), sse2Kernels() != nullptr);
    const PixelPath before = setPixelPath(PixelPath::Plain);
    EXPECT_EQ(pixelPath(), PixelPath::Plain);
    EXPECT_EQ(&rowKernels(), &plainKernels());
    EXPECT_FALSE(detectMmx(false));
    setPixelPath(before);
}

}  // namespace
