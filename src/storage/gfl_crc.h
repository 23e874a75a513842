#pragma once
// CRC-32 (reflected polynomial 0xEDB88320, pre- and post-inverted) used by the archive reader
// for directory checks and entry checksums, with the GF(2) combine that joins two CRCs.
#include <cstddef>
#include <cstdint>

class GflCRC {
public:
    // The shared tables are built by the first instance; later ones reuse them.
    GflCRC();
    virtual ~GflCRC() = default;

    // Continues `crc` (0 for a fresh start) over `length` bytes; updates chain.
    virtual uint32_t update(const void* bytes, size_t length, uint32_t crc) const;
    // The plain CRC-32 of the bytes.
    virtual uint32_t compute(const void* bytes, size_t length) const;
    // The CRC of A followed by B, given crc(A), crc(B) and the length of B.
    virtual uint32_t combine(uint32_t crc1, uint32_t crc2, uint64_t length2) const;
};

// Free forms for callers that have no instance at hand (same tables).
uint32_t gflCrc32(const void* bytes, size_t length, uint32_t crc = 0);
