#pragma once
// Small picture files written byte by byte, for loading through the store: uncompressed
// bottom-up BMPs of 8 (grey palette), 16 and 24 bits, and 8-bit RGB or grey PNGs.
#include <png.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace picture {

inline void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// values holds width x height entries, top row first: 0xRRGGBB for 24 bits, a grey level (the
// palette index of a grey palette) for 8 bits, the raw 5-5-5 word for 16 bits.
inline std::vector<uint8_t> bmp(int width, int height, int bpp, const std::vector<uint32_t>& values) {
    const size_t stride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
    const size_t paletteBytes = bpp == 8 ? 256 * 4 : 0;
    const size_t offset = 54 + paletteBytes;
    std::vector<uint8_t> b(offset + stride * height, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<uint32_t>(b.size()));
    put32(b, 10, static_cast<uint32_t>(offset));
    put32(b, 14, 40);
    put32(b, 18, static_cast<uint32_t>(width));
    put32(b, 22, static_cast<uint32_t>(height));
    put16(b, 26, 1);
    put16(b, 28, static_cast<uint32_t>(bpp));
    put32(b, 34, static_cast<uint32_t>(stride * height));
    for (size_t i = 0; i < paletteBytes / 4; ++i)
        b[54 + 4 * i] = b[55 + 4 * i] = b[56 + 4 * i] = static_cast<uint8_t>(i);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = b.data() + offset + stride * (height - 1 - y);  // bottom-up
        for (int x = 0; x < width; ++x) {
            const uint32_t v = values.at(static_cast<size_t>(y) * width + x);
            switch (bpp) {
                case 8:
                    row[x] = static_cast<uint8_t>(v);
                    break;
                case 16:
                    row[2 * x] = static_cast<uint8_t>(v);
                    row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
                    break;
                default:
                    row[3 * x] = static_cast<uint8_t>(v);  // blue
                    row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
                    row[3 * x + 2] = static_cast<uint8_t>(v >> 16);
                    break;
            }
        }
    }
    return b;
}

// An 8-bit PNG: 0xRRGGBB values when rgb, else grey levels; empty when it cannot be made.
inline std::vector<uint8_t> png(int width, int height, bool rgb, const std::vector<uint32_t>& values) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = rgb ? PNG_FORMAT_RGB : PNG_FORMAT_GRAY;
    const int channels = rgb ? 3 : 1;
    std::vector<uint8_t> pixels;
    for (uint32_t v : values) {
        if (rgb) {
            pixels.push_back(static_cast<uint8_t>(v >> 16));
            pixels.push_back(static_cast<uint8_t>(v >> 8));
        }
        pixels.push_back(static_cast<uint8_t>(v));
    }
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), width * channels, nullptr)) return {};
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), width * channels, nullptr)) return {};
    out.resize(size);
    return out;
}

inline void write(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace picture
