// The surfaces' loaders fed from the program's DIB image. Only the image's inline accessors are
// used, so the graphics library needs the image's declaration but not its code.
#include "storage/image.h"

#include "graphics/image_source.h"
#include "graphics/surface32.h"
#include "graphics/surface8.h"

namespace graphics {

ImageSource imageSourceOf(const TImage& img) {
    ImageSource v;
    if (img.empty() || img.bitsSize() == 0) return v;
    v.width = img.width();
    v.height = img.isTopDown() ? -img.height() : img.height();
    v.bitCount = img.bitCount();
    v.bits = img.bits();
    v.bitsSize = img.bitsSize();
    v.rowStep = img.stride();
    if (img.colors() && img.tableSize() > 0) {
        v.palette = reinterpret_cast<const uint8_t*>(img.colors());
        v.paletteCount = static_cast<uint32_t>(img.tableSize());
    }
    return v;
}

bool TSurface32::createFromImage(const TImage& img, const TImageTrans* spec) {
    return createFromImage(imageSourceOf(img), spec);
}

bool TSurface32::loadImage(const TImage& img, const TImageTrans* spec) { return loadImage(imageSourceOf(img), spec); }

bool TSurface32::loadAlphaFromImage(const TImage& img) { return loadAlphaFromImage(imageSourceOf(img)); }

bool TSurface8::createFromImage(const TImage& img) { return createFromImage(imageSourceOf(img)); }

bool TAlphaCh::loadAlpha(const TImage& img) { return loadAlpha(imageSourceOf(img)); }

bool TAlphaCh::createFromImage(const TImage& img, bool alpha) { return createFromImage(imageSourceOf(img), alpha); }

}  // namespace graphics
