#pragma once
// The pictures of the mahjong table, all read from "mj.pak": the holders every match shares
// (tile sheets, digit fonts and the fixed sets of buttons, plates and result pictures), and the
// per-seat character and final-result pictures a table client builds for itself.
#include <array>
#include <boost/shared_ptr.hpp>
#include <vector>

#include <map>

#include "graphics/font.h"
#include "graphics/gr_kinds.h"
#include "graphics/spr_maker.h"
#include "graphics/spr_set.h"

namespace game::client {

using TTableSprSet = graphics::TSprUnitSet;
using TTableSprSetPtr = boost::shared_ptr<TTableSprSet>;

// Indices of the shared fixed sets.
enum TFixedSet : int {
    FS_BUTTONS = 0,
    FS_BACKGROUND = 1,
    FS_ROUND_PLATE = 2,
    FS_DICE = 3,
    FS_RITI_STICK = 4,
    FS_FIRST_DEALER = 5,
    FS_WIND = 6,
    FS_TURN = 7,
    FS_DIFF_PLATE = 8,
    FS_CONTINUE = 9,
    FS_RITI_CALL = 10,
    FS_RESULT_FRAME = 11,
    FS_HAN_ROWS = 12,
    FS_YAKU = 13,
    FS_RESULT_LABEL = 14,
    FS_PAYMENT = 15,
    FS_DRAW_BANNER = 16,
    FS_TENPAI_PLATE = 17,
    FS_FINAL_SCREEN = 18,
    FS_FINAL_DIGITS = 19,
    FS_COUNT = 20,
};

constexpr int kDigitFontCount = 14;
constexpr int kTileSheetCount = 17;
constexpr int kChipCount = 41;
constexpr int kChipBack = 39;

struct TMahjongSprites {
    graphics::TSurfaceSet images;
    std::vector<graphics::TAsciiFont> fonts;
    std::vector<TTableSprSet> sheets;
    std::array<TTableSprSet, FS_COUNT> fixed;
};

// A table client's own pictures: its image set, the black and white screen fills, each seat's
// character pictures by player id and the final-result pictures by placing.
struct TClientImages {
    graphics::TSurfaceSet images;
    graphics::TFillObj black, white;
    std::map<int, TTableSprSetPtr> characters;
    std::vector<TTableSprSetPtr> finals;
};

// The program's shared holders (empty until loadMahjongSprites).
TMahjongSprites& mahjongSprites();
// Builds every shared holder from "mj.pak"; a picture that does not load leaves its unit
// without a surface. Calling it again rebuilds everything. Always true.
bool loadMahjongSprites();
// Frees the shared pictures; the sets keep their units until the next load.
void releaseMahjongSprites();

// The source cell of a chip on a sheet (0 to 12); an empty rectangle for anything else.
graphics::RECT chipCell(int sheet, int chip);
// The character pictures of a seat for a screen row (0 own seat, 1 right, 2 opposite, 3 left;
// anything else the own row) and a character number, cut through the set.
TTableSprSetPtr buildCharacterSet(graphics::TSurfaceSet& set, int row, int chara);
// The final-result pictures of a placing 0 to 3; null for any other placing.
TTableSprSetPtr buildFinalResultSet(graphics::TSurfaceSet& set, int placing, int chara);

}  // namespace game::client
