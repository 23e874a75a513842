#pragma once
// The one conversion of device-independent bitmap pixels to 32-bit words with transparent-colour
// keys. The image's own 32-bit conversions and the surfaces' image loaders both go through it;
// each maps its own key options onto dib::Keys.
#include <cstddef>
#include <cstdint>

#include "storage/dib.h"

namespace dib {

// A view of the pixel rows of an image. The caller vouches that every row of width pixels lies
// in memory and that the colour table holds colorCount entries.
struct PixelRows {
    int width = 0;
    int height = 0;
    int bitCount = 0;              // 1, 2, 4 and 8 (indexed), 24 and 32 are converted
    const uint8_t* top = nullptr;  // the top row
    ptrdiff_t step = 0;            // signed step in bytes from one row to the next row down
    const RGBQUAD* colors = nullptr;
    int colorCount = 0;  // entries at colors; indices past them read as 0

    const uint8_t* row(int y) const { return top + static_cast<ptrdiff_t>(y) * step; }
};

// Palette index of pixel x in a row of an indexed image (most significant bits first).
inline uint32_t indexIn(const uint8_t* row, int x, int bitCount) {
    switch (bitCount) {
        case 8:
            return row[x];
        case 4:
            return (x % 2 ? row[x / 2] : row[x / 2] >> 4) & 0xF;
        case 2:
            return row[x / 4] >> (6 - 2 * (x % 4)) & 3;
        case 1:
            return row[x / 8] >> (7 - x % 8) & 1;
        default:
            return 0;
    }
}

// What the converted words are: the colour as 0xAARRGGBB (alpha 255 but for 32-bit images,
// which are taken as stored), or white with the grey level (77 R + 150 G + 29 B) >> 8 as alpha,
// scaled by a 32-bit image's own alpha.
enum class Words { Argb, GreyAlpha };

// Pixels that come out as 0. Colours are compared as converted words; indexed images compare
// palette indices for the index and corner keys.
struct Keys {
    bool byColour = false;
    uint32_t colour = 0;
    bool byIndex = false;  // indexed images only
    uint32_t index = 0;
    bool byCorner = false;   // the key is the pixel in a corner:
    bool cornerLeft = true;  // column 0, else the last
    bool cornerTop = true;   // row 0, else the last
};

// Converts the w x h area whose top left is image pixel (x, y), which must lie inside the image,
// into dst: output row r starts at dst + r * pitch (pitch in words). Depths other than those
// listed at PixelRows write nothing.
void convertKeyed(const PixelRows& image, Words words, const Keys& keys, int x, int y, int w, int h, uint32_t* dst,
                  ptrdiff_t pitch);

}  // namespace dib
