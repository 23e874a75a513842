#pragma once
// The per-frame objects a frame lends the table client (and any screen that draws the same way):
// preallocated sprite, number, text and fill objects handed out in turn and all taken back at
// the start of the next frame, so that drawing a frame allocates nothing. A pool that is used
// up gives null instead of growing, so a runaway screen cannot overrun it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/gr_kinds.h"
#include "graphics/text_obj.h"

namespace graphics {
class TFont;
class TGrTableObj;
}  // namespace graphics

namespace game::client {

class TClientPools {
public:
    static constexpr size_t kSprites = 2048;
    static constexpr size_t kNumbers = 512;
    static constexpr size_t kTexts = 512;
    static constexpr size_t kFills = 256;

    TClientPools(int screenWidth = 800, int screenHeight = 600);

    // Every object back; the table (when given) emptied of what it held.
    void reset(graphics::TGrTableObj* table = nullptr);

    graphics::TSprObj* pushSprObj(const graphics::TSprObj& unit);
    graphics::TNumObj* nextNumObj();
    graphics::TFillObj* nextFillObj(uint32_t colour, int opacity);
    // The text object's font is the one set here (not owned; null: none).
    graphics::TTextObj* nextTextObj();
    void setFont(graphics::TFont* font) { font_ = font; }

    size_t usedSprites() const { return sprite_; }

private:
    std::vector<graphics::TSprObj> sprites_;
    std::vector<graphics::TNumObj> numbers_;
    std::vector<graphics::TTextObj> texts_;
    std::vector<graphics::TFillObj> fills_;
    size_t sprite_ = 0, number_ = 0, text_ = 0, fill_ = 0;
    int width_, height_;
    graphics::TFont* font_ = nullptr;
};

}  // namespace game::client
