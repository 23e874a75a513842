#include "picture_bombs.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

namespace picturebombs {

namespace {

void pngAppend(png_structp png, png_bytep data, size_t n) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void pngNoFlush(png_structp) {}

}  // namespace

std::vector<uint8_t> plainPng(uint32_t width, uint32_t height, int depth, int colourType, bool interlace, uint8_t fill,
                              bool smallest) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, pngAppend, pngNoFlush);
    png_set_IHDR(png, info, width, height, depth, colourType, interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color palette[256] = {};
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette, 1 << depth);
    if (smallest) {
        // Runs of one byte, unfiltered: the smallest file for the most pixels.
        png_set_compression_strategy(png, Z_RLE);
        png_set_filter(png, 0, PNG_FILTER_NONE);
    }
    png_write_info(png, info);
    // Room for the widest pixel: four channels of 16 bits.
    std::vector<png_byte> row(static_cast<size_t>(width) * 8, fill);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (uint32_t y = 0; y < height; ++y) png_write_row(png, row.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<uint8_t> blankPng(uint32_t width, uint32_t height) {
    return plainPng(width, height, 8, PNG_COLOR_TYPE_RGB, false, 0, true);
}

std::vector<uint8_t> writeJpeg(const JpegSpec& spec, const std::function<uint8_t(int x, int y, int k)>& sample) {
    if (spec.width <= 0 || spec.height <= 0 || (spec.components != 1 && spec.components != 3 && spec.components != 4))
        return {};
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = static_cast<JDIMENSION>(spec.width);
    c.image_height = static_cast<JDIMENSION>(spec.height);
    c.input_components = spec.components;
    c.in_color_space = spec.components == 4 ? JCS_CMYK : spec.components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    if (spec.quality >= 0) jpeg_set_quality(&c, spec.quality, TRUE);
    if (spec.fullColour) c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 1;
    if (spec.progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(spec.width * spec.components));
    while (c.next_scanline < c.image_height) {
        const int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < spec.width; ++x)
            for (int k = 0; k < spec.components; ++k)
                row[static_cast<size_t>(x * spec.components + k)] = sample(x, y, k);
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> out(mem, mem + size);
    std::free(mem);
    return out;
}

std::vector<uint8_t> jpegClaiming(int width, int height, bool progressive, bool fullColour, size_t padTo) {
    std::vector<uint8_t> file = writeJpeg({16, 16, 3, progressive, fullColour, -1}, [](int, int, int) { return 0x80; });
    // The frame header: marker, length (2), precision (1), then height and width, big-endian.
    const uint8_t frame = progressive ? 0xC2 : 0xC0;
    size_t at = 2;
    while (at + 9 < file.size() && !(file[at] == 0xFF && file[at + 1] == frame)) ++at;
    if (at + 9 >= file.size()) return {};
    file[at + 5] = static_cast<uint8_t>(height >> 8);
    file[at + 6] = static_cast<uint8_t>(height);
    file[at + 7] = static_cast<uint8_t>(width >> 8);
    file[at + 8] = static_cast<uint8_t>(width);
    std::vector<uint8_t> comments;
    while (file.size() + comments.size() < padTo) {
        comments.insert(comments.end(), {0xFF, 0xFE, 0xFF, 0xFF});
        comments.insert(comments.end(), 0xFFFF - 2, 'x');
    }
    file.insert(file.begin() + 2, comments.begin(), comments.end());
    return file;
}

namespace {

void putLe(std::vector<uint8_t>& out, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<uint8_t> plainBmp(uint32_t width, uint32_t height, int bpp) {
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return {};
    const uint64_t stride = ((uint64_t{width} * static_cast<uint64_t>(bpp) + 31) / 32) * 4;
    const uint64_t colours = bpp <= 8 ? uint64_t{1} << bpp : 0;
    const uint64_t offset = 14 + 40 + 4 * colours, size = offset + stride * height;
    if (size > UINT32_MAX) return {};
    std::vector<uint8_t> out(static_cast<size_t>(size), 0);
    out[0] = 'B';
    out[1] = 'M';
    putLe(out, 2, static_cast<uint32_t>(size), 4);
    putLe(out, 10, static_cast<uint32_t>(offset), 4);
    putLe(out, 14, 40, 4);
    putLe(out, 18, width, 4);
    putLe(out, 22, height, 4);
    putLe(out, 26, 1, 2);
    putLe(out, 28, static_cast<uint32_t>(bpp), 2);
    putLe(out, 34, static_cast<uint32_t>(stride * height), 4);
    putLe(out, 46, static_cast<uint32_t>(colours), 4);
    return out;
}

std::vector<uint8_t> plainArgb(uint32_t width, uint32_t height) {
    const uint64_t size = 16 + uint64_t{width} * height * 4;
    if (size > UINT32_MAX) return {};
    std::vector<uint8_t> out(static_cast<size_t>(size), 0);
    const uint8_t head[16] = {'B', 'G', 'R', 'A', 8, 8, 8, 8};
    std::copy(head, head + 16, out.begin());
    putLe(out, 8, width, 4);
    putLe(out, 12, height, 4);
    return out;
}

}  // namespace picturebombs
