#include "app/thumbnail.h"

#include "script/engine.h"
#include "framework/stream.h"
#include "storage/image.h"
#include "storage/spi.h"

namespace app {

std::unique_ptr<graphics::TSurface32> shrinkSurface(const graphics::TSurface32& source, int width, int height) {
    const int sw = source.width(), sh = source.height();
    if (sw <= 0 || sh <= 0 || width <= 0 || height <= 0 || !source.pixels()) return nullptr;
    auto out = std::make_unique<graphics::TSurface32>();
    if (!out->create(width, height)) return nullptr;
    for (int y = 0; y < height; ++y) {
        const int y0 = static_cast<int>(int64_t{y} * sh / height);
        const int y1 = std::max(y0 + 1, static_cast<int>(int64_t{y + 1} * sh / height));
        uint32_t* dst = out->row(y);
        for (int x = 0; x < width; ++x) {
            const int x0 = static_cast<int>(int64_t{x} * sw / width);
            const int x1 = std::max(x0 + 1, static_cast<int>(int64_t{x + 1} * sw / width));
            uint64_t sum[3] = {};
            for (int sy = y0; sy < y1; ++sy) {
                const uint32_t* row = source.row(sy);
                for (int sx = x0; sx < x1; ++sx) {
                    sum[0] += (row[sx] >> 16) & 255;
                    sum[1] += (row[sx] >> 8) & 255;
                    sum[2] += row[sx] & 255;
                }
            }
            const uint64_t n = static_cast<uint64_t>(y1 - y0) * static_cast<uint64_t>(x1 - x0);
            dst[x] = 0xFF000000u | static_cast<uint32_t>((sum[0] + n / 2) / n) << 16 |
                     static_cast<uint32_t>((sum[1] + n / 2) / n) << 8 | static_cast<uint32_t>((sum[2] + n / 2) / n);
        }
    }
    return out;
}

std::unique_ptr<graphics::TSurface32> captureThumbnail(TG2Engine& engine) {
    const graphics::SIZE size = engine.getSize();
    graphics::TSurface32 whole;
    if (size.cx <= 0 || size.cy <= 0 || !whole.createFilled(size.cx, size.cy, 0xFF000000u)) return nullptr;
    engine.draw(whole);
    return shrinkSurface(whole, kThumbWidth, kThumbHeight);
}

std::unique_ptr<graphics::TSurface32> loadThumbnail(const std::string& name) {
    // The file lies where the core wrote it (beside the saves), not in the resource store's
    // folder, and it is always the core's bitmap.
    TFileStream file;
    if (!file.open(name, kFileRead | kFileOpenExisting)) return nullptr;
    SpiBmpFile bitmaps;
    if (!bitmaps.IsSupported(name, file)) return nullptr;
    file.seek(0, 0);
    std::unique_ptr<TImage> image(bitmaps.imageFromStream(file));
    if (!image || image->empty()) return nullptr;
    auto surface = std::make_unique<graphics::TSurface32>();
    if (!surface->createFromImage(*image)) return nullptr;
    return surface;
}

}  // namespace app
