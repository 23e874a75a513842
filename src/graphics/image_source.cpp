#include "graphics/image_source.h"

#include "platform/little_endian.h"

namespace graphics {

namespace {

uint64_t rowBytes(int32_t width, int32_t bitCount) {
    return (static_cast<uint64_t>(width) * static_cast<uint64_t>(bitCount) + 7) / 8;
}

}  // namespace

bool ImageSource::valid() const {
    if (width <= 0 || height == 0 || height == INT32_MIN || !bits) return false;
    switch (bitCount) {
        case 1:
        case 4:
        case 8:
            if (!palette || paletteCount == 0) return false;
            break;
        case 2:
        case 16:
        case 24:
        case 32:
            break;
        default:
            return false;
    }
    const uint64_t need = rowBytes(width, bitCount);
    const uint64_t step = rowStep < 0 ? static_cast<uint64_t>(-rowStep) : static_cast<uint64_t>(rowStep);
    if (step < need && absHeight() > 1) return false;
    // The rows span (height - 1) steps plus one row, wherever the top row sits.
    const uint64_t span = step * static_cast<uint64_t>(absHeight() - 1) + need;
    return span <= bitsSize;
}

const uint8_t* ImageSource::row(int32_t r) const {
    const ptrdiff_t step = rowStep;
    // The top row is the lowest address for a forward step, the highest for a backward one.
    const uint8_t* top = step >= 0 ? bits : bits + static_cast<ptrdiff_t>(absHeight() - 1) * -step;
    return top + static_cast<ptrdiff_t>(r) * step;
}

uint32_t ImageSource::indexAt(int32_t x, int32_t y) const {
    if (!valid() || x < 0 || y < 0 || x >= width || y >= absHeight()) return 0;
    return indexIn(row(y), x, bitCount);
}

uint32_t ImageSource::colourAt(int32_t x, int32_t y) const {
    if (!valid() || x < 0 || y < 0 || x >= width || y >= absHeight()) return 0;
    const uint8_t* p = row(y);
    switch (bitCount) {
        case 16:
            return le::load16(p + 2 * x);
        case 24:
            return (uint32_t(p[3 * x]) << 16) | (uint32_t(p[3 * x + 1]) << 8) | p[3 * x + 2];
        case 32:
            return le::load32(p + 4 * x);
        default:
            return 0;
    }
}

}  // namespace graphics
