#include "game/client/client_pools.h"

#include "graphics/graphic.h"

namespace game::client {

TClientPools::TClientPools(int screenWidth, int screenHeight)
    : sprites_(kSprites),
      numbers_(kNumbers),
      texts_(kTexts),
      fills_(kFills),
      width_(screenWidth),
      height_(screenHeight) {}

void TClientPools::reset(graphics::TGrTableObj* table) {
    sprite_ = number_ = text_ = fill_ = 0;
    if (table) table->clear();
}

graphics::TSprObj* TClientPools::pushSprObj(const graphics::TSprObj& unit) {
    if (sprite_ >= sprites_.size()) return nullptr;
    graphics::TSprObj& o = sprites_[sprite_++];
    o.assign(unit);
    return &o;
}

graphics::TNumObj* TClientPools::nextNumObj() {
    if (number_ >= numbers_.size()) return nullptr;
    graphics::TNumObj& o = numbers_[number_++];
    o.reset();
    o.setVisible(true);
    return &o;
}

graphics::TFillObj* TClientPools::nextFillObj(uint32_t colour, int opacity) {
    if (fill_ >= fills_.size()) return nullptr;
    graphics::TFillObj& o = fills_[fill_++];
    o.setup(width_, height_, colour, static_cast<uint32_t>(opacity));
    o.setPos(0, 0);
    o.setVisible(true);
    return &o;
}

graphics::TTextObj* TClientPools::nextTextObj() {
    if (text_ >= texts_.size()) return nullptr;
    graphics::TTextObj& o = texts_[text_++];
    o.setFont(font_);
    o.setVisible(true);
    return &o;
}

}  // namespace game::client
