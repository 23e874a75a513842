#include "storage/gfl_crc.h"

#include <array>

#include "platform/little_endian.h"

namespace {

struct CrcTables {
    // Slicing by four: table[0] is the classic byte table, the others let the inner loop
    // take a 32-bit word at a time.
    std::array<std::array<uint32_t, 256>, 4> bytes{};
    // matrices[k] advances a CRC over 2^k zero bytes (one 32x32 GF(2) matrix as 32 columns).
    std::array<std::array<uint32_t, 32>, 64> matrices{};
};

uint32_t matrixTimes(const std::array<uint32_t, 32>& m, uint32_t v) {
    uint32_t sum = 0;
    for (int i = 0; v != 0; ++i, v >>= 1) {
        if (v & 1u) sum ^= m[static_cast<size_t>(i)];
    }
    return sum;
}

std::array<uint32_t, 32> matrixSquare(const std::array<uint32_t, 32>& m) {
    std::array<uint32_t, 32> sq{};
    for (size_t i = 0; i < 32; ++i) sq[i] = matrixTimes(m, m[i]);
    return sq;
}

CrcTables buildTables() {
    CrcTables t;
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        t.bytes[0][i] = c;
    }
    for (size_t i = 0; i < 256; ++i) {
        for (size_t s = 1; s < 4; ++s) {
            uint32_t prev = t.bytes[s - 1][i];
            t.bytes[s][i] = (prev >> 8) ^ t.bytes[0][prev & 0xFF];
        }
    }
    // The operator for one zero bit, squared to two bits, four bits, then one byte.
    std::array<uint32_t, 32> odd{};
    odd[0] = 0xEDB88320u;
    for (size_t r = 1; r < 32; ++r) odd[r] = 1u << (r - 1);
    std::array<uint32_t, 32> even = matrixSquare(odd);  // two zero bits
    odd = matrixSquare(even);                           // four zero bits
    t.matrices[0] = matrixSquare(odd);                  // one zero byte
    for (size_t k = 1; k < 64; ++k) t.matrices[k] = matrixSquare(t.matrices[k - 1]);
    return t;
}

const CrcTables& tables() {
    // A function-local static is built once even when the first readers race.
    static const CrcTables t = buildTables();
    return t;
}

}  // namespace

GflCRC::GflCRC() { (void)tables(); }

uint32_t gflCrc32(const void* bytes, size_t length, uint32_t crc) {
    const CrcTables& t = tables();
    const auto* p = static_cast<const uint8_t*>(bytes);
    uint32_t c = ~crc;
    while (length >= 4) {
        c ^= le::load32(p);
        c = t.bytes[3][c & 0xFF] ^ t.bytes[2][(c >> 8) & 0xFF] ^ t.bytes[1][(c >> 16) & 0xFF] ^ t.bytes[0][c >> 24];
        p += 4;
        length -= 4;
    }
    while (length-- > 0) c = (c >> 8) ^ t.bytes[0][(c ^ *p++) & 0xFF];
    return ~c;
}

uint32_t GflCRC::update(const void* bytes, size_t length, uint32_t crc) const { return gflCrc32(bytes, length, crc); }

uint32_t GflCRC::compute(const void* bytes, size_t length) const { return gflCrc32(bytes, length, 0); }

uint32_t GflCRC::combine(uint32_t crc1, uint32_t crc2, uint64_t length2) const {
    const CrcTables& t = tables();
    for (size_t k = 0; length2 != 0; ++k, length2 >>= 1) {
        if (length2 & 1u) crc1 = matrixTimes(t.matrices[k], crc1);
    }
    return crc1 ^ crc2;
}
