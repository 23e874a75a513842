// Feeds arbitrary bytes to the Jpeg image loader.
#include "image_fuzz_common.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SpiJpegFile spi;
    fuzzDecode(spi, data, size);
    return 0;
}

#include "picture_bombs.h"

namespace {

std::vector<uint8_t> makeJpeg(bool colour, bool progressive) {
    const int components = colour ? 3 : 1;
    return picturebombs::writeJpeg({16, 9, components, progressive, false, -1}, [&](int x, int y, int k) {
        return static_cast<uint8_t>((x * components + k) * 5 + y * 9);
    });
}

}  // namespace

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    return {makeJpeg(true, false), makeJpeg(false, false), makeJpeg(true, true)};
}
