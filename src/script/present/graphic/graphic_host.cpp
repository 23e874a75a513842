#include "script/present/graphic/graphic_host.h"

namespace present {

namespace {

GraphicHost* installed = nullptr;

// Animated objects load their pictures through the same host as the rest of the layer.
[[maybe_unused]] const bool pictureHostNamed =
    (setPictureHostSource([]() -> PictureHost& { return graphicHost(); }), true);

}  // namespace

GraphicHost& graphicHost() {
    // Never destroyed: objects that outlive main give their pictures back through it at exit.
    static GraphicHost& fallback = *new GraphicHost;
    return installed ? *installed : fallback;
}

void setGraphicHost(GraphicHost* host) { installed = host; }

}  // namespace present
