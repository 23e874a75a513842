// Feeds arbitrary bytes to the Png image loader.
#include "image_fuzz_common.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SpiPngFile spi;
    fuzzDecode(spi, data, size);
    return 0;
}

#include <png.h>

namespace {

void pngWrite(png_structp png, png_bytep data, size_t n) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void pngFlush(png_structp) {}

std::vector<uint8_t> makePng(int depth, int type, bool interlace) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, pngWrite, pngFlush);
    const int w = 9, h = 5;
    png_set_IHDR(png, info, w, h, depth, type, interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color palette[256] = {};
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette, 1 << depth);
    png_write_info(png, info);
    std::vector<uint8_t> row(static_cast<size_t>(w * 8 * 2), 0x5A);
    for (int y = 0; y < h * (interlace ? 1 : 1); ++y) {
        if (!interlace) png_write_row(png, row.data());
    }
    if (interlace) {
        std::vector<png_bytep> rows(h, row.data());
        png_write_image(png, rows.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

}  // namespace

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    return {makePng(8, PNG_COLOR_TYPE_RGB, false), makePng(4, PNG_COLOR_TYPE_PALETTE, true),
            makePng(16, PNG_COLOR_TYPE_GRAY_ALPHA, false), makePng(2, PNG_COLOR_TYPE_GRAY, true),
            makePng(8, PNG_COLOR_TYPE_RGB_ALPHA, false)};
}
