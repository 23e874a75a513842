#pragma once
// The action menu: ten buttons over the claim bits of a choice. Buttons 8 and 9 are the two
// option switches and never choose an action; items 10 and up are hand tiles (a discard).
#include "game/wire.h"

namespace game::client {

enum TMenuItem : int {
    MENU_KAN = 0,
    MENU_PON = 1,
    MENU_TI = 2,
    MENU_RITI = 3,
    MENU_TUMO = 4,
    MENU_RON = 5,
    MENU_CANCEL = 6,
    MENU_KYUSHU = 7,
    MENU_OPT_WIN = 8,
    MENU_OPT_RITI = 9,
    MENU_HAND = 10,
};

// Whether the mask shows button k (false outside 0-7).
bool hasMenuAction(u32 mask, int k);
// The action bit button k chooses under the mask: 0 for the option buttons, a discard for a
// hand-tile item.
u32 menuActionBit(u32 mask, int k);

}  // namespace game::client
