#pragma once
// The 96 x 72 picture of a save, read back from the slot's thumbnail file (which the core writes
// with the save) for the save and load pages.
#include <memory>
#include <string>

#include "graphics/surface32.h"

namespace app {

// The bitmap file the core wrote for a slot; null when it is missing or no bitmap.
std::unique_ptr<graphics::TSurface32> loadThumbnail(const std::string& name);

}  // namespace app
