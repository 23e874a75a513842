#include "storage/gfl_block.h"

#include <algorithm>
#include <cstring>

#include "platform/little_endian.h"

namespace gce {

namespace {

[[noreturn]] void broken() { throw GflException(GflException::ShortRead); }

bool isMagic(const uint8_t* p, char last) { return p[0] == 'G' && p[1] == 'C' && p[2] == 'E' && p[3] == last; }

// Most significant bit first, bytes in order, never past `end`.
class BitReader {
public:
    BitReader(const uint8_t* p, const uint8_t* end) : p_(p), end_(end) {}

    uint32_t bits(int k) {
        if (k == 0) return 0;
        if (count_ < k) refill();
        if (count_ < k) broken();
        uint32_t v = static_cast<uint32_t>(buf_ >> (64 - k));
        buf_ <<= k;
        count_ -= k;
        return v;
    }

    // Zeros z up to a one bit; z <= 1 gives z, else 2^(z-1) + bits(z-1). Any z of 20 or more
    // gives a value no block can hold (lengths stop at 262,144), so it ends as broken data.
    uint32_t gamma() {
        int z = 0;
        for (;;) {
            if (count_ == 0) {
                refill();
                if (count_ == 0) broken();
            }
            int lz = buf_ == 0 ? 64 : __builtin_clzll(buf_);
            if (lz < count_) {
                z += lz;
                if (z >= 20) broken();
                buf_ <<= lz + 1;
                count_ -= lz + 1;
                break;
            }
            z += count_;
            if (z >= 20) broken();
            buf_ = 0;
            count_ = 0;
        }
        if (z <= 1) return static_cast<uint32_t>(z);
        return (1u << (z - 1)) + bits(z - 1);
    }

private:
    void refill() {
        while (count_ <= 56 && p_ < end_) {
            buf_ |= static_cast<uint64_t>(*p_++) << (56 - count_);
            count_ += 8;
        }
    }

    const uint8_t* p_;
    const uint8_t* end_;
    uint64_t buf_ = 0;
    int count_ = 0;
};

}  // namespace

GflBlockDecoder::GflBlockDecoder() : table_(new int32_t[kContextCount]) {}

void GflBlockDecoder::decodePacked(const uint8_t* header, const uint8_t* data, size_t dataSize, uint8_t* out,
                                   size_t n) {
    const uint64_t bitOffset = le::load32(header + 12);
    const uint64_t literalSize = le::load32(header + 16);
    const uint64_t bitSize = le::load32(header + 20);
    if (literalSize > dataSize || bitOffset + bitSize > dataSize) broken();

    // Every context starts unseen, so a reference to one is always reported as broken.
    std::fill_n(table_.get(), kContextCount, -1);
    int32_t* const table = table_.get();
    const uint8_t* lit = data;
    const uint8_t* const litEnd = data + literalSize;
    BitReader reader(data + bitOffset, data + bitOffset + bitSize);

    size_t p = 0;
    uint32_t h = 0;
    while (p < n) {
        const size_t runs = reader.gamma();
        if (runs > n - p || runs > static_cast<size_t>(litEnd - lit)) broken();
        for (size_t i = 0; i < runs; ++i) {
            const uint8_t b = *lit++;
            table[h] = static_cast<int32_t>(p);
            out[p++] = b;
            h = ((h << 8) | b) & 0xFFFF;
        }
        if (p >= n) break;
        const size_t m = static_cast<size_t>(reader.gamma()) + 1;
        if (m > n - p) broken();
        const int32_t q0 = table[h];
        if (q0 < 0 || static_cast<size_t>(q0) >= p) broken();
        size_t q = static_cast<size_t>(q0);
        for (size_t i = 0; i < m; ++i) {
            const uint8_t b = out[q++];
            table[h] = static_cast<int32_t>(p);
            out[p++] = b;
            h = ((h << 8) | b) & 0xFFFF;
        }
    }
}

size_t GflBlockDecoder::decodeBlock(const uint8_t* block, size_t blockSize, uint8_t* out, size_t outCapacity,
                                    size_t* consumed) {
    if (blockSize < kBlockHeaderSize) broken();
    const size_t n = le::load32(block + 4);
    if (n > kBlockMaxOutput || n > outCapacity) broken();
    if (isMagic(block, '0')) {
        if (blockSize - kBlockHeaderSize < n) broken();
        std::memcpy(out, block + kBlockHeaderSize, n);
        if (consumed) *consumed = kBlockHeaderSize + n;
        return n;
    }
    if (!isMagic(block, '1') || blockSize < kPackedHeaderSize) broken();
    const uint64_t dataSize = static_cast<uint64_t>(le::load32(block + 16)) + le::load32(block + 20);
    if (dataSize > kBlockBufferSize - kPackedHeaderSize || dataSize > blockSize - kPackedHeaderSize) broken();
    decodePacked(block, block + kPackedHeaderSize, static_cast<size_t>(dataSize), out, n);
    if (consumed) *consumed = kPackedHeaderSize + static_cast<size_t>(dataSize);
    return n;
}

size_t GflBlockDecoder::readBlock(GflStream& source, uint8_t* out, size_t outCapacity) {
    uint8_t header[kPackedHeaderSize];
    readExact(source, header, kBlockHeaderSize);
    const size_t n = le::load32(header + 4);
    if (n > kBlockMaxOutput || n > outCapacity) broken();
    if (isMagic(header, '0')) {
        readExact(source, out, n);
        return n;
    }
    if (!isMagic(header, '1')) broken();
    readExact(source, header + kBlockHeaderSize, kPackedHeaderSize - kBlockHeaderSize);
    const uint64_t dataSize = static_cast<uint64_t>(le::load32(header + 16)) + le::load32(header + 20);
    if (dataSize > kBlockBufferSize - kPackedHeaderSize) broken();
    if (work_.size() < kBlockBufferSize) work_.resize(kBlockBufferSize);
    readExact(source, work_.data(), static_cast<size_t>(dataSize));
    decodePacked(header, work_.data(), static_cast<size_t>(dataSize), out, n);
    return n;
}

void decodeBlocksTo(GflStream& source, uint8_t* out, size_t size) {
    GflBlockDecoder decoder;
    size_t done = 0;
    while (done < size) done += decoder.readBlock(source, out + done, size - done);
}

}  // namespace gce
