#pragma once
// Blocks of compressed archive data. A block is "GCE0" (stored) or "GCE1" (prediction LZ): an
// 8-byte header {magic, output size n}; "GCE1" adds 16 header bytes {unused, bit-stream offset,
// literal-area size, bit-stream size} and then the literal bytes and the bit stream.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "storage/gfl_stream.h"

namespace gce {

inline constexpr size_t kBlockMaxOutput = 262144;   // a block decodes to at most this
inline constexpr size_t kBlockBufferSize = 262176;  // a whole "GCE1" block fits in this
inline constexpr size_t kBlockHeaderSize = 8;
inline constexpr size_t kPackedHeaderSize = 24;  // "GCE1" header
inline constexpr size_t kContextCount = 65536;

// Decodes blocks. It keeps its prediction table and work buffer between blocks, so one
// decoder serves a whole extraction. All damage (unknown magic, sizes past the limits, reads
// outside the literal area or the bit stream, a copy from a position not yet written, output
// past n) throws GflException(5); nothing is read or written out of bounds.
class GflBlockDecoder {
public:
    GflBlockDecoder();

    // A block in memory of `blockSize` bytes; writes n bytes to out (capacity `outCapacity`)
    // and answers n. `consumed` receives the block's length in bytes.
    size_t decodeBlock(const uint8_t* block, size_t blockSize, uint8_t* out, size_t outCapacity,
                       size_t* consumed = nullptr);
    // The next block from a stream into out (capacity `outCapacity`); answers n.
    size_t readBlock(GflStream& source, uint8_t* out, size_t outCapacity);

private:
    void decodePacked(const uint8_t* header, const uint8_t* data, size_t dataSize, uint8_t* out, size_t n);

    std::unique_ptr<int32_t[]> table_;
    std::vector<uint8_t> work_;
};

// Decodes consecutive blocks from `source` until exactly `size` bytes are in `out`.
void decodeBlocksTo(GflStream& source, uint8_t* out, size_t size);

}  // namespace gce
