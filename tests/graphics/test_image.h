#pragma once
// A device-independent bitmap built in memory for the tests: any depth, bottom-up or top-down.
#include <cstdint>
#include <vector>

#include "graphics/image_source.h"

namespace graphics::test {

struct TestImage {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitCount = 32;
    bool topDown = false;
    std::vector<uint8_t> bits;
    std::vector<uint8_t> palette;  // blue, green, red, reserved

    TestImage(int32_t w, int32_t h, int32_t bpp, bool top, uint32_t paletteEntries = 0)
        : width(w), height(h), bitCount(bpp), topDown(top) {
        bits.assign(static_cast<size_t>(stride() * h), 0);
        palette.assign(paletteEntries * 4, 0);
    }

    int32_t stride() const { return ((width * bitCount + 31) / 32) * 4; }

    uint8_t* rowPtr(int32_t y) { return bits.data() + (topDown ? y : height - 1 - y) * stride(); }

    void setPalette(uint32_t i, uint32_t rgb) {
        palette[4 * i] = static_cast<uint8_t>(rgb);
        palette[4 * i + 1] = static_cast<uint8_t>(rgb >> 8);
        palette[4 * i + 2] = static_cast<uint8_t>(rgb >> 16);
    }

    // value: palette index, 0xRRGGBB for 24 bits, ARGB for 32, the word for 16.
    void set(int32_t x, int32_t y, uint32_t value) {
        uint8_t* r = rowPtr(y);
        switch (bitCount) {
            case 1:
                r[x >> 3] = static_cast<uint8_t>((r[x >> 3] & ~(0x80 >> (x & 7))) | ((value & 1) << (7 - (x & 7))));
                break;
            case 4: {
                const int shift = (x & 1) ? 0 : 4;
                r[x >> 1] = static_cast<uint8_t>((r[x >> 1] & ~(0xF << shift)) | ((value & 15) << shift));
                break;
            }
            case 8:
                r[x] = static_cast<uint8_t>(value);
                break;
            case 16:
                r[2 * x] = static_cast<uint8_t>(value);
                r[2 * x + 1] = static_cast<uint8_t>(value >> 8);
                break;
            case 24:
                r[3 * x] = static_cast<uint8_t>(value);
                r[3 * x + 1] = static_cast<uint8_t>(value >> 8);
                r[3 * x + 2] = static_cast<uint8_t>(value >> 16);
                break;
            default:
                for (int i = 0; i < 4; ++i) r[4 * x + i] = static_cast<uint8_t>(value >> (8 * i));
                break;
        }
    }

    ImageSource view() const {
        ImageSource v;
        v.width = width;
        v.height = topDown ? -height : height;
        v.bitCount = bitCount;
        v.bits = bits.data();
        v.bitsSize = bits.size();
        v.rowStep = topDown ? stride() : -stride();
        v.palette = palette.empty() ? nullptr : palette.data();
        v.paletteCount = static_cast<uint32_t>(palette.size() / 4);
        return v;
    }
};

}  // namespace graphics::test
