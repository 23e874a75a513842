// The table view: every frame the mirror of the round is put on screen anew from the shared
// pictures, each tile and number a per-frame object the host lends, placed into the layers of the
// screen's table (0 background, 10 plates, 30 tiles, 40 counts and sticks, 50 buttons, 60-61
// characters, 70 overlays).
#include <algorithm>
#include <cstdlib>

#include "game/client/mahjong_game.h"
#include "graphics/graphic.h"
#include "graphics/text_obj.h"
#include "mahjong/player.h"

namespace game::client {

namespace {

using mahjong::TPai;

constexpr int kTileLayer = 30;
constexpr int kCountLayer = 40;
constexpr int kPlateLayer = 10;

struct Pt {
    int x, y;
};

// Hand: the tile at position 0, the step per tile, the shown form's fixed coordinate (y for the
// horizontal seats 0 and 2, x for 1 and 3), the drawn tile's offset from the position before it.
struct HandForm {
    Pt origin, step;
    int shown;
    Pt separated;
};
constexpr HandForm kHand[4] = {
    {{136, 509}, {23, 0}, 502, {26, 0}},
    {{577, 418}, {0, -18}, 547, {0, -22}},
    {{444, 10}, {-21, 0}, 43, {-26, 0}},
    {{8, 153}, {0, 18}, 24, {0, 22}},
};
constexpr int kConcealedSheet[4] = {0, 14, 15, 16};
constexpr int kShownSheet[4] = {3, 6, 8, 10};
// Calls and discards: normal, variant, turned, turned variant.
constexpr int kCallSheet[4][4] = {{4, 5, 6, 7}, {6, 7, 8, 9}, {8, 9, 10, 11}, {10, 11, 4, 5}};
constexpr int kKanBackSheet[4] = {8, 6, 8, 6};

struct RiverForm {
    Pt rows[4];
    Pt step, turnedOffset, turnedStep;
};
constexpr RiverForm kRiver[4] = {
    {{{237, 377}, {237, 402}, {237, 427}, {237, 452}}, {21, 0}, {0, 4}, {30, 0}},
    {{{412, 332}, {442, 332}, {472, 332}, {502, 332}}, {0, -18}, {4, -7}, {0, -25}},
    {{{342, 153}, {342, 128}, {342, 103}, {342, 78}}, {-21, 0}, {-9, 3}, {-30, 0}},
    {{{159, 242}, {129, 242}, {99, 242}, {69, 242}}, {0, 18}, {5, 0}, {0, 25}},
};

// Call layouts A-E (places in drawing order) and the added tile of a kan over A, B or C.
enum { LA = 0, LB, LC, LD, LE };
constexpr Pt kLayout[4][5][4] = {
    {{{457, 521}, {436, 514}, {415, 514}, {394, 514}},
     {{466, 514}, {436, 521}, {415, 514}, {394, 514}},
     {{466, 514}, {445, 514}, {415, 521}, {0, 0}},
     {{466, 514}, {445, 514}, {424, 514}, {394, 521}},
     {{466, 514}, {445, 514}, {424, 514}, {403, 514}}},
    {{{573, 152}, {564, 177}, {564, 195}, {564, 213}},
     {{564, 152}, {573, 170}, {564, 195}, {564, 213}},
     {{564, 152}, {564, 170}, {573, 188}, {0, 0}},
     {{564, 152}, {564, 170}, {564, 188}, {573, 206}},
     {{564, 152}, {564, 170}, {564, 188}, {564, 206}}},
    {{{124, 10}, {154, 10}, {175, 10}, {196, 10}},
     {{124, 10}, {145, 10}, {175, 10}, {196, 10}},
     {{124, 10}, {145, 10}, {166, 10}, {0, 0}},
     {{124, 10}, {145, 10}, {166, 10}, {187, 10}},
     {{124, 10}, {145, 10}, {166, 10}, {187, 10}}},
    {{{8, 416}, {8, 398}, {8, 380}, {8, 362}},
     {{8, 423}, {8, 398}, {8, 380}, {8, 362}},
     {{8, 423}, {8, 405}, {8, 380}, {0, 0}},
     {{8, 423}, {8, 405}, {8, 387}, {8, 362}},
     {{8, 423}, {8, 405}, {8, 387}, {8, 369}}},
};
constexpr Pt kAdded[4][3] = {
    {{457, 503}, {436, 503}, {415, 503}},
    {{552, 152}, {552, 170}, {552, 188}},
    {{124, 28}, {145, 28}, {166, 28}},
    {{29, 416}, {29, 398}, {29, 380}},
};
constexpr Pt kCallAdvance[4] = {{0, -25}, {-30, 0}, {0, 25}, {30, 0}};
constexpr Pt kAddedKanAdvance[4] = {{0, -36}, {-42, 0}, {0, 36}, {42, 0}};

constexpr Pt kDeadWall[9] = {{227, 199}, {248, 199}, {269, 199}, {290, 199}, {311, 199},
                             {332, 199}, {353, 199}, {227, 190}, {248, 190}};
constexpr Pt kIndicator[5] = {{269, 190}, {290, 190}, {311, 190}, {332, 190}, {353, 190}};
constexpr Pt kTurnMark[4] = {{5, 584}, {487, 579}, {477, 127}, {0, 138}};
constexpr Pt kPoints[4] = {{70, 585}, {552, 580}, {542, 128}, {65, 139}};
constexpr Pt kDifference[4] = {{0, 0}, {599, 584}, {588, 132}, {111, 143}};

int clampD(int d) { return d < 0 || d > 3 ? 0 : d; }

}  // namespace

// ---- the drawing operations -------------------------------------------------------------------

void TTaskMahjongGame::drawNumberAt(int layer, int font, int x, int y, int value) {
    drawNumber(layer, font, x, y, value);
}

void TTaskMahjongGame::drawNumber(int layer, int font, int x, int y, int value) {
    graphics::TGrTableObj* table = host().screenTable();
    std::vector<graphics::TAsciiFont>& fonts = mahjongSprites().fonts;
    if (!table || font < 0 || static_cast<size_t>(font) >= fonts.size()) return;
    graphics::TNumObj* n = host().nextNumObj();
    if (!n) return;
    n->setFont(&fonts[static_cast<size_t>(font)]);
    // Digits end at their place, so that counts of any length line up on the right.
    n->setDirection(1);
    n->setPos(x, y);
    n->setNumber(value, "%d");
    table->add(layer, n);
}

void TTaskMahjongGame::drawBackground() {
    if (graphics::TGrTableObj* table = host().screenTable()) table->add(0, &mahjongSprites().fixed[FS_BACKGROUND]);
}

namespace {

// A copy of the unit at (x, y) in the layer; nothing for a unit the set does not have.
void putUnit(TClientHost& host, const TTableSprSet& set, int unit, int layer, int x, int y, bool front) {
    graphics::TGrTableObj* table = host.screenTable();
    if (!table || unit < 0 || static_cast<size_t>(unit) >= set.units().size()) return;
    graphics::TSprObj* o = host.pushSprObj(set.units()[static_cast<size_t>(unit)]);
    if (!o) return;
    o->setPos(x, y);
    if (front)
        table->addFront(layer, o);
    else
        table->add(layer, o);
}

}  // namespace

// A unit of a fixed set where the set placed it.
static void putFixed(TClientHost& host, int set, int unit, int layer) {
    graphics::TGrTableObj* table = host.screenTable();
    auto& units = mahjongSprites().fixed[static_cast<size_t>(set)].units();
    if (!table || unit < 0 || static_cast<size_t>(unit) >= units.size()) return;
    table->add(layer, &units[static_cast<size_t>(unit)]);
}

void TTaskMahjongGame::drawTile(int layer, int sheet, const TPai& tile, int x, int y, bool front) {
    TMahjongSprites& s = mahjongSprites();
    if (sheet < 0 || sheet >= static_cast<int>(s.sheets.size())) return;
    if (sheet <= 12) {
        int chip = tile.kind;
        if (tile.red) {
            if (tile.kind == 4 || tile.kind == 13 || tile.kind == 22)
                chip = 36 + tile.kind / 9;
            else
                return;
        }
        if (chip < 0 || chip >= 36 + 3) return;
        putUnit(host(), s.sheets[static_cast<size_t>(sheet)], chip, layer, x, y, front);
    } else if (sheet == 14 || sheet == 16) {
        putUnit(host(), s.sheets[static_cast<size_t>(sheet)], 0, layer, x, y, front);
    } else if (sheet == 15) {
        putUnit(host(), s.sheets[8], 40, layer, x, y, front);
    }
}

void TTaskMahjongGame::drawBack(int sheet, int x, int y, bool front) {
    TMahjongSprites& s = mahjongSprites();
    if (sheet < 0 || sheet > 12 || static_cast<size_t>(sheet) >= s.sheets.size()) return;
    putUnit(host(), s.sheets[static_cast<size_t>(sheet)], kChipBack, kTileLayer, x, y, front);
}

void TTaskMahjongGame::drawBackAlt(int sheet, int x, int y, bool front) {
    TMahjongSprites& s = mahjongSprites();
    if (sheet < 0 || sheet > 12 || static_cast<size_t>(sheet) >= s.sheets.size()) return;
    putUnit(host(), s.sheets[static_cast<size_t>(sheet)], kChipBack + 1, kTileLayer, x, y, front);
}

void TTaskMahjongGame::drawHandTile(const TPai& tile, int d, bool shown, int p, bool separated, int variant) {
    d = clampD(d);
    const HandForm& f = kHand[d];
    const int at = separated ? p - 1 : p;
    int x = f.origin.x + f.step.x * at, y = f.origin.y + f.step.y * at;
    if (shown) (d == 0 || d == 2 ? y : x) = f.shown;
    if (separated) {
        x += f.separated.x;
        y += f.separated.y;
    }
    const int sheet = shown ? kShownSheet[d] : d == 0 ? std::clamp(variant, 0, 2) : kConcealedSheet[d];
    drawTile(kTileLayer, sheet, tile, x, y, d == 1);
}

TClientPoint TTaskMahjongGame::drawCall3(const TPai& t0, const TPai& t1, const TPai& t2, int d, int x, int y,
                                         bool variant) {
    d = clampD(d);
    const int layout = t2.turned ? LA : t1.turned ? LB : LC;
    const TPai* order[3] = {&t2, &t1, &t0};
    const bool front = d == 0 || d == 3;
    for (int i = 0; i < 3; ++i) {
        const bool turned = order[i]->turned != 0;
        const int sheet = kCallSheet[d][(turned ? 2 : 0) + (variant ? 1 : 0)];
        const Pt& at = kLayout[d][layout][i];
        drawTile(kTileLayer, sheet, *order[i], x + at.x, y + at.y, front);
    }
    return {kCallAdvance[d].x, kCallAdvance[d].y};
}

TClientPoint TTaskMahjongGame::drawCall4(const TPai* t, int d, int x, int y, bool variant) {
    d = clampD(d);
    const bool front = d == 0 || d == 3;
    auto tileAt = [&](const TPai& tile, const Pt& at) {
        const bool turned = tile.turned != 0;
        const int sheet = kCallSheet[d][(turned ? 2 : 0) + (variant ? 1 : 0)];
        drawTile(kTileLayer, sheet, tile, x + at.x, y + at.y, front);
    };
    if (t[0].state == mahjong::PS_KAKAN) {
        // The three of the pon where they lay, the fourth over the turned one.
        const int layout = t[2].turned ? LA : t[1].turned ? LB : LC;
        const TPai* order[3] = {&t[2], &t[1], &t[0]};
        for (int i = 0; i < 3; ++i) tileAt(*order[i], kLayout[d][layout][i]);
        const Pt& over = kAdded[d][layout];
        const int sheet = kCallSheet[d][2 + (variant ? 1 : 0)];
        drawTile(kTileLayer, sheet, t[3], x + over.x, y + over.y, front);
        return {kAddedKanAdvance[d].x, kAddedKanAdvance[d].y};
    }
    const bool concealed = t[0].state == mahjong::PS_ANKAN;
    const int layout = concealed ? LE : t[3].turned ? LA : t[2].turned ? LB : LD;
    for (int i = 0; i < 4; ++i) {
        const TPai& tile = t[3 - i];
        const Pt& at = kLayout[d][layout][i];
        if (concealed && tile.turned)
            drawBack(kKanBackSheet[d], x + at.x, y + at.y, front);
        else if (concealed)
            drawTile(kTileLayer, kCallSheet[d][variant ? 1 : 0], tile, x + at.x, y + at.y, front);
        else
            tileAt(tile, at);
    }
    return {kCallAdvance[d].x, kCallAdvance[d].y};
}

void TTaskMahjongGame::drawDice(int d1, int d2) {
    if (d1 >= 1 && d1 <= 6) putFixed(host(), FS_DICE, d1 - 1, kCountLayer);
    if (d2 >= 1 && d2 <= 6) putFixed(host(), FS_DICE, d2 + 5, kCountLayer);
}

void TTaskMahjongGame::invalidateScreen() {
    if (graphics::TGrTableObj* table = host().screenTable()) table->invalidate();
    host().invalidate();
}

bool TTaskMahjongGame::isHandShown(const mahjong::TPlayer& p) const {
    if (p.shown) return true;
    // A ready hand lies open on the page of an exhaustive draw.
    const mahjong::TTable* t = mirror();
    if (!t || subStep() != 50 || t->lastResult.code != mahjong::RE_RYUKYOKU) return false;
    const std::vector<int>& ids = t->lastResult.ids;
    return std::find(ids.begin(), ids.end(), p.playerId) != ids.end();
}

// ---- the table view ---------------------------------------------------------------------------

void TTaskMahjongGame::drawTable() {
    mahjong::TTable* t = mirror();
    if (!t || !host().screenTable()) return;
    const int rest = t->rule ? t->rule->deadWall : 14;
    const int code = t->lastResult.code;

    // 1. Round plate, dice and counts, or the banner of a draw on its result page.
    if (isChoosing() && inputState_ == IN_RESULT && mahjong::isDrawCode(code) && subStep() == 50) {
        putFixed(host(), FS_DRAW_BANNER, code - mahjong::RE_RYUKYOKU, 70);
    } else {
        putFixed(host(), FS_ROUND_PLATE, t->roundWind * 4 + t->handNumber, kPlateLayer);
        drawDice(t->getDice(0), t->getDice(1));
        drawNumber(kCountLayer, 1, 376, 311, t->wallCount() - rest);
        drawNumber(kCountLayer, 0, 377, 286, t->honba);
        drawNumber(kCountLayer, 0, 377, 296, t->ritiDeposit / 1000);
    }

    // 2. The dead wall with the indicators turned up so far.
    for (const Pt& at : kDeadWall) drawBack(8, at.x, at.y, false);
    if (t->wallCount() >= rest) {
        const int shown = std::clamp(t->deadWallOffset, 0, 5);
        for (int i = 0; i < 5; ++i) {
            if (i < shown)
                drawTile(kTileLayer, 4, t->getDora(i), kIndicator[i].x, kIndicator[i].y, false);
            else
                drawBack(8, kIndicator[i].x, kIndicator[i].y, false);
        }
    }

    // 3. The seats.
    const mahjong::TPlayer* own = ownPlayer();
    const int seatCount = static_cast<int>(t->seats.size());
    const int onTurn = t->currentPlayer() ? t->getSeatIndex(t->currentPlayer()->playerId) : -1;
    const mahjong::TPlayerPtr& current = t->currentPlayer();
    const bool claimMenu = isChoosing() && (choiceMenu_ & 0x8027u) == 0x8027u;
    const bool robMenu = isChoosing() && (choiceMenu_ & 0x8020u) == 0x8020u;
    for (int s = 0; s < seatCount; ++s) {
        const mahjong::TPlayerPtr& seat = t->seats[static_cast<size_t>(s)];
        if (!seat) continue;
        const mahjong::TPlayer& p = *seat;
        const int d = toRelativeSeat(t->getDirection(getOwnId(), p.playerId));
        if (s == 0) putFixed(host(), FS_FIRST_DEALER, d, kPlateLayer);
        if (p.ritiFlag) putFixed(host(), FS_RITI_STICK, d, kCountLayer);
        putFixed(host(), FS_WIND, p.kaze * 4 + d, kPlateLayer);
        drawCharacter(p.playerId);
        // The turn marker counts the seats still to play before this one: 0 is the seat on turn.
        if (onTurn >= 0)
            putUnit(host(), mahjongSprites().fixed[FS_TURN], (s - onTurn + seatCount) % seatCount, kCountLayer,
                    kTurnMark[d].x, kTurnMark[d].y, false);
        drawNumber(kCountLayer, 2, kPoints[d].x, kPoints[d].y, p.points);
        if (d != 0 && own) {
            drawNumber(kCountLayer, 3, kDifference[d].x, kDifference[d].y, std::abs(p.points - own->points));
            putFixed(host(), FS_DIFF_PLATE, 2 * (d - 1) + (p.points > own->points ? 0 : 1), kCountLayer);
        }

        // Hand and calls.
        const bool shown = isHandShown(p);
        const bool choosingTiles = d == 0 && !selTeSet_.empty();
        int position = 0;
        int cx = 0, cy = 0;
        const size_t n = p.hand.size();
        for (size_t i = 0; i < n;) {
            const TPai& tile = p.hand[i];
            if (tile.isFree()) {
                int variant = 0;
                if (choosingTiles) variant = classifyTile(static_cast<int>(i));
                drawHandTile(tile, d, shown || (d == 0 && own && own->shown), position,
                             p.isTumoPai(static_cast<int>(i)), variant);
                ++position;
                ++i;
            } else if (tile.isKan() && i + 4 <= n) {
                const bool variant = robMenu && !claimMenu && current && current->playerId == p.playerId &&
                                     tile.state == mahjong::PS_KAKAN && tile.kind == t->getPai().kind;
                // The hand is not contiguous in memory: the kan's four tiles are copied out.
                const TPai kan[4] = {p.hand[i], p.hand[i + 1], p.hand[i + 2], p.hand[i + 3]};
                const TClientPoint a = drawCall4(kan, d, cx, cy, variant);
                cx += a.x;
                cy += a.y;
                i += 4;
            } else if (i + 3 <= n) {
                const TClientPoint a = drawCall3(p.hand[i], p.hand[i + 1], p.hand[i + 2], d, cx, cy, false);
                cx += a.x;
                cy += a.y;
                i += 3;
            } else {
                break;
            }
        }

        // Discards: six a row; the first one at or after the riichi lies turned.
        const RiverForm& r = kRiver[d];
        int lying = 0;
        for (const auto& sute : p.sutes)
            if (sute.inPond) ++lying;
        int k = 0;
        bool turnDone = false;
        Pt at{};
        for (const auto& sute : p.sutes) {
            if (!sute.inPond) continue;
            if (k % 6 == 0) at = r.rows[std::min(k / 6, 3)];
            const bool turned = !turnDone && p.ritiAt >= 0 && sute.turn >= p.ritiAt;
            if (turned) turnDone = true;
            const bool variant = claimMenu && k == lying - 1 && current && current->playerId == p.playerId;
            const int sheet = kCallSheet[d][(turned ? 2 : 0) + (variant ? 1 : 0)];
            const Pt place = turned ? Pt{at.x + r.turnedOffset.x, at.y + r.turnedOffset.y} : at;
            drawTile(kTileLayer, sheet, sute, place.x, place.y, d == 1 || d == 2);
            const Pt& step = turned ? r.turnedStep : r.step;
            at.x += step.x;
            at.y += step.y;
            ++k;
        }
    }
}

void TTaskMahjongGame::draw() {
    switch (step()) {
        case 1:
            invalidateScreen();
            break;
        case 2:
            drawGame();
            break;
        case 3:
            drawFinalResult();
            break;
        default:
            break;
    }
}

}  // namespace game::client
