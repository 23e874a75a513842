#include "graphics/graphics_texts.h"

#include "platform/codepage.h"

namespace graphics::texts {

const std::string& defaultFace() {
    static const std::string face = platform::toSjis("ＭＳ ゴシック");
    return face;
}

}  // namespace graphics::texts
