// Feeds arbitrary bytes to the Png image loader.
#include "image_fuzz_common.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SpiPngFile spi;
    fuzzDecode(spi, data, size);
    return 0;
}

#include <png.h>

#include "picture_bombs.h"

namespace {

std::vector<uint8_t> makePng(int depth, int type, bool interlace) {
    return picturebombs::plainPng(9, 5, depth, type, interlace, 0x5A);
}

}  // namespace

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    return {makePng(8, PNG_COLOR_TYPE_RGB, false), makePng(4, PNG_COLOR_TYPE_PALETTE, true),
            makePng(16, PNG_COLOR_TYPE_GRAY_ALPHA, false), makePng(2, PNG_COLOR_TYPE_GRAY, true),
            makePng(8, PNG_COLOR_TYPE_RGB_ALPHA, false)};
}
