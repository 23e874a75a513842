#include "app/thumbnail.h"

#include "framework/stream.h"
#include "storage/image.h"
#include "storage/spi.h"

namespace app {

std::unique_ptr<graphics::TSurface32> loadThumbnail(const std::string& name) {
    // The name is the core's, already resolved beside the saves, and the file always the core's
    // bitmap.
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
