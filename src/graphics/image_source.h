#pragma once
// A read-only view of a device-independent bitmap: the fields of the DIB image that the
// surfaces read. Images come from files, so every reader checks the view before trusting it.
#include <cstddef>
#include <cstdint>

class TImage;

namespace graphics {

struct ImageSource {
    int32_t width = 0;
    int32_t height = 0;    // negative for a top-down image
    int32_t bitCount = 0;  // 1, 2, 4, 8, 16, 24 or 32 (2 and 16 are not converted)
    const uint8_t* bits = nullptr;
    size_t bitsSize = 0;  // bytes available at bits
    // Signed step in bytes from one row to the next row down.
    ptrdiff_t rowStep = 0;
    const uint8_t* palette = nullptr;  // entries of blue, green, red, reserved
    uint32_t paletteCount = 0;

    int32_t absHeight() const { return height < 0 ? -height : height; }

    // True when every row of width pixels lies inside the bits and the palette is present
    // where the depth needs one.
    bool valid() const;

    // The first byte of image row r (0 = top), on a valid view.
    const uint8_t* row(int32_t r) const;

    // Palette index of pixel x in a row of a 1-, 4- or 8-bit image (8 and 2 pixels a byte, most
    // significant first).
    static uint32_t indexIn(const uint8_t* row, int32_t x, int32_t bitCount) {
        switch (bitCount) {
            case 1:
                return (row[x >> 3] >> (7 - (x & 7))) & 1;
            case 4:
                return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
            case 8:
                return row[x];
            default:
                return 0;
        }
    }

    // Palette index (depth 8 or less) of a pixel; 0 outside the image.
    uint32_t indexAt(int32_t x, int32_t y) const;
    // The colour of a pixel of a deeper image: the stored word for 32 bits, blue << 16 |
    // green << 8 | red for 24 bits, the 16-bit word for 16 bits; 0 outside the image.
    uint32_t colourAt(int32_t x, int32_t y) const;
};

// The view of a DIB image; an empty image gives an invalid view.
ImageSource imageSourceOf(const TImage& img);

}  // namespace graphics
