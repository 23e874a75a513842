#pragma once
// The 96 x 72 picture of a save: the engine's picture made small when saving, and read back from
// the slot's thumbnail file for the save and load pages.
#include <memory>
#include <string>

#include "graphics/surface32.h"

class TG2Engine;

namespace app {

inline constexpr int kThumbWidth = 96;
inline constexpr int kThumbHeight = 72;

// Each target pixel the mean of the source pixels it covers; null for an empty source.
std::unique_ptr<graphics::TSurface32> shrinkSurface(const graphics::TSurface32& source, int width, int height);
// The engine's picture at the graphic layer's size, shrunk; null when the engine has no size.
std::unique_ptr<graphics::TSurface32> captureThumbnail(TG2Engine& engine);
// The bitmap file the core wrote for a slot; null when it is missing or no bitmap.
std::unique_ptr<graphics::TSurface32> loadThumbnail(const std::string& name);

}  // namespace app
