// Feeds arbitrary bytes to the Bmp image loader.
#include "image_fuzz_common.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SpiBmpFile spi;
    fuzzDecode(spi, data, size);
    return 0;
}

#include "framework/stream.h"

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<std::vector<uint8_t>> seeds;
    for (int bpp : {1, 4, 8, 16, 24, 32}) {
        TImage img;
        img.create(5, 3, bpp);
        img.fill(0x12345678);
        TMemoryStream s;
        img.saveBitmap(s);
        seeds.emplace_back(s.getBuffer(), s.getBuffer() + s.size());
    }
    return seeds;
}
