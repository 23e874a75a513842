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
