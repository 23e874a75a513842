#include "storage/dib_convert.h"

#include <algorithm>

#include "platform/little_endian.h"

namespace dib {

namespace {

uint32_t level(uint32_t r, uint32_t g, uint32_t b) { return (77 * r + 150 * g + 29 * b) >> 8; }

uint32_t wordOf(Words words, uint32_t r, uint32_t g, uint32_t b) {
    return words == Words::Argb ? 0xFF000000u | r << 16 | g << 8 | b : level(r, g, b) << 24 | 0xFFFFFFu;
}

template <int Bpp>
uint32_t directWord(Words words, const uint8_t* row, int x) {
    const uint8_t* p = row + static_cast<ptrdiff_t>(x) * (Bpp / 8);
    if constexpr (Bpp == 32) {
        if (words == Words::Argb) return le::load32(p);
        return (level(p[2], p[1], p[0]) * p[3] / 255) << 24 | 0xFFFFFFu;
    } else {
        return wordOf(words, p[2], p[1], p[0]);
    }
}

void convertIndexed(const PixelRows& image, Words words, const Keys& keys, int x, int y, int w, int h, uint32_t* dst,
                    ptrdiff_t pitch) {
    const int bpp = image.bitCount;
    const uint32_t cornerIndex = keys.byCorner ? indexIn(image.row(keys.cornerTop ? 0 : image.height - 1),
                                                         keys.cornerLeft ? 0 : image.width - 1, bpp)
                                               : 0;
    // Every index's word with the keys applied. An index past the colour table has no colour: it
    // reads as transparent black, or as white with no alpha for the grey level.
    uint32_t table[256];
    const int count = image.colors ? std::clamp(image.colorCount, 0, 256) : 0;
    for (uint32_t i = 0; i < 256; ++i) {
        const RGBQUAD* q = static_cast<int>(i) < count ? &image.colors[i] : nullptr;
        const uint32_t word = q                      ? wordOf(words, q->rgbRed, q->rgbGreen, q->rgbBlue)
                              : words == Words::Argb ? 0
                                                     : wordOf(words, 0, 0, 0);
        const bool keyed = (keys.byIndex && i == keys.index) || (keys.byColour && word == keys.colour) ||
                           (keys.byCorner && i == cornerIndex);
        table[i] = keyed ? 0 : word;
    }
    for (int r = 0; r < h; ++r) {
        const uint8_t* src = image.row(y + r);
        uint32_t* out = dst + r * pitch;
        for (int c = 0; c < w; ++c) out[c] = table[indexIn(src, x + c, bpp)];
    }
}

template <int Bpp>
void convertDirect(const PixelRows& image, Words words, const Keys& keys, int x, int y, int w, int h, uint32_t* dst,
                   ptrdiff_t pitch) {
    const uint32_t corner = keys.byCorner ? directWord<Bpp>(words, image.row(keys.cornerTop ? 0 : image.height - 1),
                                                            keys.cornerLeft ? 0 : image.width - 1)
                                          : 0;
    for (int r = 0; r < h; ++r) {
        const uint8_t* src = image.row(y + r);
        uint32_t* out = dst + r * pitch;
        for (int c = 0; c < w; ++c) {
            const uint32_t word = directWord<Bpp>(words, src, x + c);
            const bool keyed = (keys.byColour && word == keys.colour) || (keys.byCorner && word == corner);
            out[c] = keyed ? 0 : word;
        }
    }
}

}  // namespace

void convertKeyed(const PixelRows& image, Words words, const Keys& keys, int x, int y, int w, int h, uint32_t* dst,
                  ptrdiff_t pitch) {
    if (!image.top || !dst || w <= 0 || h <= 0) return;
    switch (image.bitCount) {
        case 1:
        case 2:
        case 4:
        case 8:
            convertIndexed(image, words, keys, x, y, w, h, dst, pitch);
            break;
        case 24:
            convertDirect<24>(image, words, keys, x, y, w, h, dst, pitch);
            break;
        case 32:
            convertDirect<32>(image, words, keys, x, y, w, h, dst, pitch);
            break;
        default:
            break;
    }
}

}  // namespace dib
