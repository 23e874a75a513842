// Arbitrary bytes as a compressed WAVE file: the chunk walk of the source and the converter.
#include <vector>

#include "riff_chunks.h"
#include "sound/acm_stream.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TWAVEIO io;
    if (!io.openMemory(data, static_cast<uint32_t>(size))) return 0;
    if (static_cast<uint64_t>(io.dataOffset()) + io.dataSize() > size || io.formatBytes().size() < 18) __builtin_trap();
    std::vector<uint8_t> raw(512);
    io.read(raw.data(), static_cast<uint32_t>(raw.size()));
    TAcmConvertWAVEIO convert;
    convert.setSource(&io);
    if (isConvertibleTag(io.format().wFormatTag) && convert.open(0)) {
        std::vector<uint8_t> pcm(8192);
        convert.read(pcm.data(), static_cast<uint32_t>(pcm.size()));
        convert.seekFrame(static_cast<int64_t>(size % 5000));
        convert.read(nullptr, 4096);
    }
    return 0;
}

namespace {
using rifftest::put;
// A µ-law or IMA-ADPCM file of a few blocks of arbitrary bytes.
std::vector<uint8_t> image(uint16_t tag, uint16_t align, uint16_t bits, uint16_t perBlock) {
    std::vector<uint8_t> v;
    put(v, "RIFF", 0);
    v.insert(v.end(), {'W', 'A', 'V', 'E'});
    put(v, "fmt ", 20);
    const uint8_t fmt[20] = {static_cast<uint8_t>(tag),
                             0,
                             1,
                             0,
                             0x40,
                             0x1F,
                             0,
                             0,
                             0x40,
                             0x1F,
                             0,
                             0,
                             static_cast<uint8_t>(align),
                             static_cast<uint8_t>(align >> 8),
                             static_cast<uint8_t>(bits),
                             0,
                             2,
                             0,
                             static_cast<uint8_t>(perBlock),
                             static_cast<uint8_t>(perBlock >> 8)};
    v.insert(v.end(), fmt, fmt + 20);
    put(v, "fact", 4);
    const uint32_t samples = 4u * perBlock;
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(samples >> (8 * i)));
    put(v, "data", 4u * align);
    for (uint32_t i = 0; i < 4u * align; ++i) v.push_back(static_cast<uint8_t>(i * 29 + 7));
    rifftest::closeRiff(v);
    return v;
}
}  // namespace

std::vector<std::vector<uint8_t>> mjFuzzSeeds() { return {image(0x07, 1, 8, 1), image(0x11, 256, 4, 505)}; }
