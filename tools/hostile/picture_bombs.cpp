#include "picture_bombs.h"

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

std::vector<uint8_t> blankPng(uint32_t width, uint32_t height) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, pngAppend, pngNoFlush);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // Runs of zeros, unfiltered: the smallest file for the most pixels.
    png_set_compression_strategy(png, Z_RLE);
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(width) * 3, 0);
    for (uint32_t y = 0; y < height; ++y) png_write_row(png, row.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<uint8_t> jpegClaiming(int width, int height, bool progressive, bool fullColour, size_t padTo) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = c.image_height = 16;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    if (fullColour) c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 1;
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(16 * 3, 0x80);
    for (JSAMPROW p = row.data(); c.next_scanline < c.image_height;) jpeg_write_scanlines(&c, &p, 1);
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> file(mem, mem + size);
    std::free(mem);
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

}  // namespace picturebombs
