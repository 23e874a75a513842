#pragma once
// The Japanese texts of the graphics library, in Shift-JIS.
#include <string>

namespace graphics::texts {

// The face every font starts with.
const std::string& defaultFace();

}  // namespace graphics::texts
