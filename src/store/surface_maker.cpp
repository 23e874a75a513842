#include "store/surface_maker.h"

#include <memory>
#include <new>

#include "graphics/surface32.h"
#include "graphics/surface8.h"
#include "storage/image.h"

namespace {

// The depths whose pixels the surfaces convert; any other leaves them as allocated.
bool converted(const TImage& image) {
    switch (image.bitCount()) {
        case 1:
        case 4:
        case 8:
        case 24:
        case 32:
            return true;
        default:
            return false;
    }
}

}  // namespace

graphics::TSurface32* TGraphicsSurfaceMaker::makeSurface(TImage& image, const graphics::TImageTrans* transform) {
    if (image.empty()) return nullptr;
    std::unique_ptr<graphics::TSurface32> surface(new (std::nothrow) graphics::TSurface32);
    if (!surface || !surface->createFromImage(image, transform)) return nullptr;
    if (!converted(image)) surface->fill(0);
    return surface.release();
}

bool TGraphicsSurfaceMaker::hasAlpha(graphics::TSurface32& surface) { return surface.hasAlpha(); }

void TGraphicsSurfaceMaker::applyAlphaFromImage(graphics::TSurface32& surface, TImage& alpha) {
    surface.loadAlphaFromImage(alpha);
}

graphics::TAlphaCh* TGraphicsSurfaceMaker::makeAlphaChannel(TImage& image) {
    if (image.empty()) return nullptr;
    std::unique_ptr<graphics::TAlphaCh> channel(new (std::nothrow) graphics::TAlphaCh);
    if (!channel || !channel->createFromImage(image)) return nullptr;
    if (!converted(image)) channel->fill(0);
    return channel.release();
}
