// Surfaces loading arbitrary image views: any size, depth, row step, palette and key, with bits
// that may be shorter than the header claims.
#include <cstring>
#include <vector>

#include "graphics/image_source.h"
#include "graphics/surface32.h"
#include "graphics/surface8.h"
#include "support/fuzz.h"

using namespace graphics;

namespace {

struct Reader {
    const uint8_t* p;
    size_t n;
    uint32_t take(int bytes) {
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) {
            v |= static_cast<uint32_t>(n ? *p : 0) << (8 * i);
            if (n) ++p, --n;
        }
        return v;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader r{data, size};
    static const int depths[] = {1, 2, 4, 8, 16, 24, 32, 0, 7};
    ImageSource v;
    v.width = static_cast<int32_t>(r.take(1)) - 4;
    v.height = static_cast<int32_t>(static_cast<int8_t>(r.take(1)));
    v.bitCount = depths[r.take(1) % 9];
    v.rowStep = static_cast<ptrdiff_t>(static_cast<int16_t>(r.take(2)));
    TImageTrans spec;
    spec.flags = static_cast<uint16_t>(r.take(1));
    spec.keyColor = r.take(4);
    spec.keyIndex = r.take(1);
    const uint32_t paletteEntries = r.take(1) % 20;
    const int32_t surfaceW = static_cast<int32_t>(r.take(1) % 40), surfaceH = static_cast<int32_t>(r.take(1) % 40);
    std::vector<uint8_t> palette(std::min<size_t>(paletteEntries * 4, r.n));
    for (auto& b : palette) b = static_cast<uint8_t>(r.take(1));
    std::vector<uint8_t> bits(r.p, r.p + r.n);  // exactly what is left, so ASan sees overruns
    v.palette = palette.empty() ? nullptr : palette.data();
    v.paletteCount = static_cast<uint32_t>(palette.size() / 4);
    v.bits = bits.empty() ? nullptr : bits.data();
    v.bitsSize = bits.size();

    TSurface32 s;
    s.createFromImage(v, &spec);
    s.loadAlphaFromImage(v);
    TSurface32 other;  // a surface of its own size, smaller or larger than the image
    if (other.alloc(surfaceW, surfaceH)) {
        other.loadImage(v, &spec);
        other.loadAlphaFromImage(v);
    }
    TSurface8 grey;
    grey.createFromImage(v);
    TAlphaCh alpha;
    alpha.createFromImage(v, true);
    TAlphaCh fixed;
    if (fixed.alloc(surfaceW, surfaceH)) fixed.loadAlpha(v);
    v.indexAt(static_cast<int32_t>(spec.keyIndex) - 3, 1);
    v.colourAt(static_cast<int32_t>(spec.keyIndex) - 3, 1);
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<std::vector<uint8_t>> seeds;
    // width 3 (+4), height 2, each depth index, step = row bytes (positive and negative).
    for (uint8_t depth = 0; depth < 7; ++depth) {
        const int bpp[] = {1, 2, 4, 8, 16, 24, 32};
        const int16_t stride = static_cast<int16_t>(((3 * bpp[depth] + 31) / 32) * 4);
        for (int sign : {1, -1}) {
            const int16_t step = static_cast<int16_t>(sign * stride);
            std::vector<uint8_t> s{7,
                                   static_cast<uint8_t>(sign > 0 ? 0xFE : 2),
                                   depth,
                                   static_cast<uint8_t>(step & 0xFF),
                                   static_cast<uint8_t>((step >> 8) & 0xFF),
                                   0x31,
                                   0x00,
                                   0x00,
                                   0xFF,
                                   0x00,
                                   1,
                                   4,
                                   5,
                                   3};
            for (int i = 0; i < 16; ++i) s.push_back(static_cast<uint8_t>(i * 37));
            for (int i = 0; i < stride * 2; ++i) s.push_back(static_cast<uint8_t>(i * 11));
            seeds.push_back(s);
        }
    }
    return seeds;
}
