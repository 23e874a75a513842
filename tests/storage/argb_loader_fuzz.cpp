// Feeds arbitrary bytes to the Argb image loader.
#include "image_fuzz_common.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SpiArgbFile spi;
    fuzzDecode(spi, data, size);
    return 0;
}

#include "framework/stream.h"

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    TImage img;
    img.create(4, 3, 32);
    img.fill(0x80402010);
    TMemoryStream s;
    img.saveArgb(s, nullptr);
    return {std::vector<uint8_t>(s.getBuffer(), s.getBuffer() + s.size())};
}
