#pragma once
// The pictures of the free-play setup, shared with the lobby's rule and character screens: eight
// sprite sets filled from a picture set of their own over "mj.pak" (so that giving the table's
// pictures back after a match leaves them alone), and the unit helpers both screens use.
#include "graphics/graphic.h"
#include "graphics/rect.h"
#include "graphics/spr_maker.h"
#include "graphics/spr_set.h"

struct TRuleSetupSprites {
    graphics::TSurfaceSet images;
    graphics::TSprUnitSet rule, button, select, preview, namePlate, character, name, summary;
};
TRuleSetupSprites& ruleSetupSprites();
// Fills the eight setup sets from "mj.pak"; always true.
bool loadRuleSetupSprites();

namespace setupsprites {

// The unit of a set, or null for an index outside it.
inline graphics::TSprUnitObj* unit(graphics::TSprUnitSet& set, int index) {
    if (index < 0 || static_cast<size_t>(index) >= set.units().size()) return nullptr;
    return &set.units()[static_cast<size_t>(index)];
}
// The unit's picture holds the point.
inline bool hits(graphics::TSprUnitSet& set, int index, int x, int y) {
    graphics::TSprUnitObj* u = unit(set, index);
    return u && graphics::TRect(u->getRect()).isInside(x, y);
}
inline void append(graphics::TGrTableObj& table, int layer, graphics::TSprUnitSet& set, int index) {
    if (graphics::TSprUnitObj* u = unit(set, index)) table.add(layer, u);
}

}  // namespace setupsprites
