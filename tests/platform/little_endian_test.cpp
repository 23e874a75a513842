#include "platform/little_endian.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

namespace {

// The reference: byte i of the stored form is bits 8i..8i+7 of the value, whatever the host.
template <typename T>
void expectRoundTrip(std::mt19937_64& rng) {
    for (int n = 0; n < 1000; ++n) {
        const auto u = static_cast<std::make_unsigned_t<T>>(rng());
        uint8_t b[sizeof(T)];
        le::store(b, static_cast<T>(u));
        for (size_t i = 0; i < sizeof(T); ++i) ASSERT_EQ(b[i], static_cast<uint8_t>(u >> (8 * i)));
        ASSERT_EQ(le::load<T>(b), static_cast<T>(u));
        ASSERT_EQ(le::loadN(b, sizeof(T)), u);
        uint8_t viaN[sizeof(T)];
        le::storeN(viaN, u, sizeof(T));
        ASSERT_EQ(std::memcmp(viaN, b, sizeof(T)), 0);
    }
}

TEST(LittleEndian, EveryWidthStoresLeastSignificantByteFirstAndReadsItBack) {
    std::mt19937_64 rng(14);
    expectRoundTrip<uint16_t>(rng);
    expectRoundTrip<int16_t>(rng);
    expectRoundTrip<uint32_t>(rng);
    expectRoundTrip<int32_t>(rng);
    expectRoundTrip<uint64_t>(rng);
    expectRoundTrip<int64_t>(rng);
}

// Every run-time width at every alignment against the reference, the bytes around untouched.
TEST(LittleEndian, RunTimeWidthsMatchTheReferenceAtAnyAlignment) {
    std::mt19937_64 rng(15);
    for (size_t n = 1; n <= 8; ++n)
        for (size_t at = 0; at < 8; ++at) {
            const uint64_t v = rng();
            const uint64_t kept = n == 8 ? v : v & ((uint64_t{1} << (8 * n)) - 1);
            std::array<uint8_t, 24> buf;
            buf.fill(0xA5);
            le::storeN(buf.data() + at, v, n);
            for (size_t i = 0; i < buf.size(); ++i) {
                const bool inside = i >= at && i < at + n;
                ASSERT_EQ(buf[i], inside ? static_cast<uint8_t>(v >> (8 * (i - at))) : 0xA5) << n << " " << at;
            }
            ASSERT_EQ(le::loadN(buf.data() + at, n), kept);
            if (n == 4) {
                ASSERT_EQ(le::load32(buf.data() + at), static_cast<uint32_t>(v));
            }
        }
}

// Constant evaluation takes the byte-wise path and gives the same bytes.
constexpr std::array<uint8_t, 8> storedAtCompileTime() {
    std::array<uint8_t, 8> b{};
    le::store32(b.data(), 0x04030201u);
    le::storeN(b.data() + 4, 0x070605u, 3);
    return b;
}
static_assert(storedAtCompileTime() == std::array<uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 0});
static_assert(le::loadN(storedAtCompileTime().data() + 1, 3) == 0x040302u);

TEST(LittleEndian, SignedLoadsAreTwosComplementAndAppendAddsAtTheEnd) {
    const uint8_t minusTwo[4] = {0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(le::load<int32_t>(minusTwo), -2);
    EXPECT_EQ(le::load<int16_t>(minusTwo), -2);
    EXPECT_EQ(le::load32(minusTwo), 0xFFFFFFFEu);
    std::vector<uint8_t> out = {9};
    le::append<uint32_t>(out, 0x04030201u);
    le::append<int16_t>(out, -1);
    EXPECT_EQ(out, (std::vector<uint8_t>{9, 1, 2, 3, 4, 0xFF, 0xFF}));
    static_assert(le::load64(std::array<uint8_t, 8>{1, 0, 0, 0, 0, 0, 0, 0x80}.data()) == 0x8000000000000001u);
}

}  // namespace
