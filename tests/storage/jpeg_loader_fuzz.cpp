// Feeds arbitrary bytes to the Jpeg image loader.
#include "image_fuzz_common.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SpiJpegFile spi;
    fuzzDecode(spi, data, size);
    return 0;
}

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

std::vector<uint8_t> makeJpeg(bool colour, bool progressive) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = 16;
    c.image_height = 9;
    c.input_components = colour ? 3 : 1;
    c.in_color_space = colour ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(16 * 3);
    while (c.next_scanline < c.image_height) {
        for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint8_t>(i * 5 + c.next_scanline * 9);
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> out(mem, mem + size);
    std::free(mem);
    return out;
}

}  // namespace

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    return {makeJpeg(true, false), makeJpeg(false, false), makeJpeg(true, true)};
}
