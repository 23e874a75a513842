// Feeds arbitrary bytes to the block decoder, from memory and from a stream.
#include <cstring>
#include <string>
#include <vector>

#include "gce_writer.h"
#include "storage/gfl_block.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static gce::GflBlockDecoder decoder;
    static std::vector<uint8_t> out(gce::kBlockMaxOutput);
    try {
        decoder.decodeBlock(data, size, out.data(), out.size());
    } catch (const GflException&) {}
    // The stream path, with a short output buffer so the size checks are reached too.
    GflMemoryStream src(static_cast<const void*>(data), size);
    try {
        while (!src.isEof()) decoder.readBlock(src, out.data(), size % 2 ? 1000 : out.size());
    } catch (const GflException&) {}
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::string text;
    while (text.size() < 600) text += "tile pon chi kan riichi tsumo ron ";
    const auto* t = reinterpret_cast<const uint8_t*>(text.data());
    std::vector<std::vector<uint8_t>> seeds = {
        gcepack::encodePackedBlock(t, text.size()),
        gcepack::encodePackedBlock(t, 40),
        gcepack::encodeBlocks(t, text.size()),
        {'G', 'C', 'E', '0', 3, 0, 0, 0, 'a', 'b', 'c'},
    };
    std::vector<uint8_t> ab = {'G', 'C', 'E', '1', 6, 0, 0, 0, 0, 0,   0,   0,   4,   0,   0,
                               0,   4,   0,   0,   0, 1, 0, 0, 0, 'A', 'B', 'A', 'B', 0x11};
    seeds.push_back(ab);
    return seeds;
}
