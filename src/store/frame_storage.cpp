#include "store/frame_storage.h"

#include <utility>

#include "storage/spi.h"
#include "storage/storage.h"
#include "store/surface_maker.h"

TStorageForFrame::~TStorageForFrame() = default;

bool TStorageForFrame::make(bool graphics) {
    if (!store_) {
        if (graphics) {
            auto store = std::make_unique<TStorageGraph>();
            store->setSurfaceMaker(new TGraphicsSurfaceMaker, true);
            store_ = std::move(store);
        } else
            store_ = std::make_unique<TStorage>();
    }
    return true;
}

void TStorageForFrame::useModuleFolder() {
    if (store_) store_->useModuleFolder();
}

bool TStorageForFrame::addLoader(Loader loader, int capacity) {
    if (!store_) return false;
    std::unique_ptr<SpiFile> plugin;
    switch (loader) {
        case Loader::Bmp:
            plugin = std::make_unique<SpiBmpFile>();
            break;
        case Loader::Argb:
            plugin = std::make_unique<SpiArgbFile>();
            break;
        case Loader::Gce:
            // A capacity below one would keep no archive open at all.
            plugin = std::make_unique<SpiGceFile>(capacity > 0 ? capacity : 1);
            break;
        case Loader::Jpeg:
            plugin = std::make_unique<SpiJpegFile>();
            break;
        case Loader::Png:
            plugin = std::make_unique<SpiPngFile>();
            break;
    }
    return plugin && store_->addPlugin(std::move(plugin));
}

std::unique_ptr<TFrameStorage> makeStorageForFrame() { return std::make_unique<TStorageForFrame>(); }

void useStorageForFrames() { setFrameStorageMaker(&makeStorageForFrame); }
