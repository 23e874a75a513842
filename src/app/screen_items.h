#pragma once
// Items of the screens: the units of a sprite set, hit-tested by the rectangle of their first
// picture and put into a layer of the display table. A unit whose picture did not load is
// neither drawn nor hit.
#include <cstddef>

#include "graphics/graphic.h"
#include "graphics/spr_set.h"

namespace app {

inline graphics::TSprUnitObj* unitOf(graphics::TSprUnitSet& set, int index) {
    auto& units = set.units();
    if (index < 0 || static_cast<size_t>(index) >= units.size()) return nullptr;
    graphics::TSprUnitObj& u = units[static_cast<size_t>(index)];
    return u.getSurface() ? &u : nullptr;
}

inline bool hits(graphics::TSprUnitSet& set, int index, int x, int y) {
    const graphics::TSprUnitObj* u = unitOf(set, index);
    return u && graphics::TRect(u->getRect()).isInside(x, y);
}

inline void show(graphics::TGrTableObj& table, int layer, graphics::TSprUnitSet& set, int index) {
    if (graphics::TSprUnitObj* u = unitOf(set, index)) table.add(layer, u);
}

inline void refreshUnit(graphics::TSprUnitSet& set, int index) {
    if (graphics::TSprUnitObj* u = unitOf(set, index)) u->invalidate();
}

}  // namespace app
