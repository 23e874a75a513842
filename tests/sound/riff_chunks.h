#pragma once
// Writing the chunks of a RIFF image by hand, for fuzz seeds that must stay byte for byte as
// written (the fuzz targets do not link the sound fixtures).
#include <cstdint>
#include <cstring>
#include <vector>

namespace rifftest {

// A chunk header: the four-letter id and the little-endian size.
inline void put(std::vector<uint8_t>& v, const char* id, uint32_t n) {
    v.insert(v.end(), id, id + 4);
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(n >> (8 * i)));
}

// Writes the RIFF size once every chunk is in.
inline void closeRiff(std::vector<uint8_t>& v) {
    const uint32_t riff = static_cast<uint32_t>(v.size() - 8);
    std::memcpy(&v[4], &riff, 4);
}

}  // namespace rifftest
