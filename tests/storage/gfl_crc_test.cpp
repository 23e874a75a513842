#include "storage/gfl_crc.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

namespace {

std::vector<uint8_t> randomBytes(std::mt19937& rng, size_t n) {
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = static_cast<uint8_t>(rng());
    return v;
}

TEST(GflCrc, KnownValuesAndChaining) {
    GflCRC crc;
    EXPECT_EQ(crc.compute("abc", 3), 0x352441C2u);
    EXPECT_EQ(crc.compute("", 0), 0u);
    EXPECT_EQ(crc.compute("123456789", 9), 0xCBF43926u);
    // An update continues where the previous one stopped.
    EXPECT_EQ(crc.update("456789", 6, crc.compute("123", 3)), 0xCBF43926u);
}

TEST(GflCrc, MatchesZlibOnRandomBuffersOfEveryAlignment) {
    GflCRC crc;
    std::mt19937 rng(7);
    for (size_t n : {1u, 2u, 3u, 4u, 5u, 7u, 8u, 31u, 64u, 1000u, 65537u}) {
        std::vector<uint8_t> v = randomBytes(rng, n + 3);
        for (size_t off = 0; off < 4; ++off) {
            uLong expect = crc32(0L, v.data() + off, static_cast<uInt>(n));
            EXPECT_EQ(crc.compute(v.data() + off, n), expect) << "n=" << n << " off=" << off;
        }
    }
}

TEST(GflCrc, CombineMatchesZlibAndTheConcatenation) {
    GflCRC crc;
    std::mt19937 rng(11);
    for (size_t na : {0u, 1u, 17u, 4096u}) {
        for (size_t nb : {0u, 1u, 3u, 1000u, 70000u}) {
            std::vector<uint8_t> a = randomBytes(rng, na), b = randomBytes(rng, nb);
            uint32_t ca = crc.compute(a.data(), na), cb = crc.compute(b.data(), nb);
            std::vector<uint8_t> ab = a;
            ab.insert(ab.end(), b.begin(), b.end());
            EXPECT_EQ(crc.combine(ca, cb, nb), crc.compute(ab.data(), ab.size()));
            EXPECT_EQ(crc.combine(ca, cb, nb), crc32_combine(ca, cb, static_cast<z_off_t>(nb)));
        }
    }
    // Lengths far beyond any buffer exercise the high matrices.
    for (uint64_t len : {uint64_t{1} << 33, (uint64_t{1} << 40) + 12345}) {
        EXPECT_EQ(crc.combine(0x12345678u, 0x9ABCDEF0u, len),
                  crc32_combine(0x12345678u, 0x9ABCDEF0u, static_cast<z_off_t>(len)));
    }
}

}  // namespace
