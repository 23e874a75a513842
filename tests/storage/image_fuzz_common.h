#pragma once
// Shared by the image loader fuzz targets: decode from memory, then exercise the image the
// blocks make, the way the store and the graphics layer use it.
#include <cstdint>
#include <vector>

#include "storage/image.h"
#include "storage/spi.h"

inline void fuzzDecode(SpiImportFile& spi, const uint8_t* data, size_t size) {
    spi.IsSupported("fuzz", data, size);
    platform::MemBlock info, bits;
    if (spi.GetPicture(SpiMemory{data, size}, SPI_IN_MEMORY, info, bits, nullptr, 0) != SPI_OK) return;
    TImage image;
    image.attachHandles(std::move(info), std::move(bits));
    if (image.empty()) return;
    std::vector<uint32_t> argb(64 * 64);
    std::vector<uint16_t> argb16(64 * 64);
    ConvertKey key{0x30, 0, 0};
    image.convertToArgb32(argb.data(), 64, 64, 64 * 4, 0, 0, &key);
    image.convertToArgb16(argb16.data(), 64, 64, 64 * 2, image.width() - 3, image.height() - 3);
    image.convertToAlpha32(argb.data(), 64, 64, 64 * 4, 1, 1, nullptr);
    image.getPixel(image.width() - 1, image.height() - 1);
    image.getIndex(0, 0);
}
