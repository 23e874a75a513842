#pragma once
// How the transparent colour of a loaded image is found.
#include <cstdint>

namespace graphics {

struct TImageTrans {
    // 1: keyColor is the key; 2: keyIndex is the key palette index; any of 0xF0: the colour of a
    // corner pixel is the key (column 0 with 0x10, else the last; row 0 with 0x20, else the last).
    uint16_t flags = 0;
    // For 32-bit images an ARGB word as stored; for 24-bit and palette images the value
    // blue << 16 | green << 8 | red.
    uint32_t keyColor = 0;
    uint32_t keyIndex = 0;
};

}  // namespace graphics
