// Hands arbitrary info and pixel blocks to TImage::attachHandles, then uses the image as the
// store and the graphics layer do.
#include <cstring>
#include <vector>

#include "framework/stream.h"
#include "storage/image.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // The first two bytes tell how much of the rest is the info block.
    const size_t infoSize = std::min<size_t>(data[0] | data[1] << 8, size - 2);
    platform::MemBlock info = platform::MemBlock::allocate(infoSize);
    platform::MemBlock bits = platform::MemBlock::allocate(size - 2 - infoSize);
    if (infoSize) std::memcpy(info.data(), data + 2, infoSize);
    if (!bits.empty()) std::memcpy(bits.data(), data + 2 + infoSize, bits.size());
    TImage image;
    image.attachHandles(std::move(info), std::move(bits));
    if (image.empty()) return 0;
    std::vector<uint32_t> out(32 * 32);
    std::vector<uint16_t> out16(32 * 32);
    const ConvertKey keys[] = {{0x30, 0, 0}, {0x03, 0x123456, 7}, {0x10, 0, 0}};
    for (const ConvertKey& k : keys) {
        image.convertToArgb32(out.data(), 32, 32, 128, -1, 2, &k);
        image.convertToAlpha32(out.data(), 32, 32, 128, 1, -2, &k);
    }
    image.convertToArgb16(out16.data(), 32, 32, 64, 3, 0);
    image.convertToAlpha16(out16.data(), 32, 32, 64, 0, 3);
    for (int y = -1; y <= 2; ++y) {
        for (int x = -1; x <= 2; ++x) {
            image.setPixel(x, y, image.getPixel(x, y) ^ 0x00FFFFFF);
            image.setIndex(x, y, static_cast<uint8_t>(image.getIndex(x, y) + 1));
        }
    }
    TImageDrawTarget target{out.data(), 32, 32, 128};
    image.drawRect(target, -3, -3, 40, 20);
    if (static_cast<uint64_t>(image.width()) * static_cast<uint64_t>(image.height()) < 4096) {
        TMemoryStream s;
        image.saveBitmap(s);
        image.saveArgb(s, &image);
    }
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<std::vector<uint8_t>> seeds;
    for (int bpp : {1, 2, 4, 8, 16, 24, 32}) {
        TImage img;
        img.create(5, 3, bpp);
        img.fill(0x5A3C0F81);
        std::vector<uint8_t> s = {static_cast<uint8_t>(img.infoSize()), static_cast<uint8_t>(img.infoSize() >> 8)};
        const auto* info = reinterpret_cast<const uint8_t*>(img.info());
        s.insert(s.end(), info, info + img.infoSize());
        s.insert(s.end(), img.bits(), img.bits() + img.bitsSize());
        seeds.push_back(s);
    }
    return seeds;
}
