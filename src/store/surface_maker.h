#pragma once
// The graphics store's surfaces made real: decoded pictures become 32-bit surfaces and 8-bit
// alpha channels of the graphics library. The frame's graphics store is given one when it is
// made; a program that makes its own TStorageGraph installs one with setSurfaceMaker.
#include "storage/storage.h"

class TGraphicsSurfaceMaker : public TStorageGraph::TSurfaceMaker {
public:
    // Null when the image is empty or malformed or memory runs out. Depths the surface does not
    // convert (2 and 16 bits) give a surface of transparent black rather than undefined pixels.
    graphics::TSurface32* makeSurface(TImage& image, const graphics::TImageTrans* transform) override;
    bool hasAlpha(graphics::TSurface32& surface) override;
    // The companion's grey levels (or, for a 32-bit companion, its red bytes) become the alpha of
    // the part the two share; the surface counts as having alpha afterwards.
    void applyAlphaFromImage(graphics::TSurface32& surface, TImage& alpha) override;
    // The image's grey levels as alpha; null as for makeSurface.
    graphics::TAlphaCh* makeAlphaChannel(TImage& image) override;
};
