// The free-play setup's pictures. Positions are the setup's own; the sizes chosen here decide
// where each item reacts to the mouse, so neighbouring items never overlap.
#include "mj_art.h"

namespace mjart {

namespace {

constexpr int kCharacters = 14;

uint32_t tint(int c) { return 0xFF000000u | static_cast<uint32_t>((c * 0x3A5F1D) & 0x7F7F7F) | 0x404040u; }

// Normal, hovered, selected (or ready).
constexpr uint32_t kStateBg[3] = {0xFF203060, 0xFFE08020, 0xFF208040};

// Where a hovered character's preview shows (its picture stands at 200, 0): clear of the
// title above it, the start and rule buttons left of it and the hint below it.
constexpr struct { int left, top, right, bottom; } kPreview = {290, 142, 670, 490};

// The character buttons stand 50 apart from the window's left edge (x = 50 c), each picture 48
// wide: each shows its plate the edge's ground in from its left side, the first one too.
constexpr int kSelectW = 48 - kEdgeGround;

// Seat picture places (seat 0 to 3).
constexpr int kSeatX[4] = {9, 113, 9, 113}, kSeatY[4] = {228, 228, 344, 344};

Canvas setupBackground() {
    Canvas bg(800, 600);
    bg.gradient(0xFF183050, 0xFF0C1828);
    // Free play and the network lobby share this page: its title names neither.
    bg.caption(220, 90, 560, 40, "CHARACTERS", kGold, 4);
    bg.caption(220, 500, 560, 30, "CHOOSE FOUR PLAYERS", kWhite, 2);
    // Every character button's place, so an idle button is visible.
    for (int c = 0; c < 15; ++c) {
        const int x = 50 * c + kEdgeGround;
        bg.fill(x + 2, 15, kSelectW - 4, 56, 0xFF304870);
        bg.frame(x, 13, kSelectW, 60, 0xFF6080B0);
        bg.caption(x, 13, kSelectW, 60, c == 14 ? "?" : fmt("%02d", c), kWhite, 2);
    }
    for (int s = 0; s < 4; ++s) bg.frame(kSeatX[s] - 2, kSeatY[s] - 2, 104, 111, 0xFF6080B0);
    bg.text(9, 212, "PLAYERS", 0xFF90A0C0, 2);
    return bg;
}

Canvas ruleOverlay() {
    Canvas im(800, 600);
    im.gradient(0xFF202848, 0xFF101420);
    im.frame(40, 100, 720, 400, kGold, 2);
    im.caption(40, 40, 720, 50, "RULES", kGold, 5);
    im.text(60, 170, "GAME LENGTH", kWhite, 2);
    im.text(60, 305, "OPEN TANYAO", kWhite, 2);
    return im;
}

void stateSet(ArtSet& a, const std::string& stem, const char* ext, int w, int h, const std::string& label,
              int scale = 3) {
    for (int s = 0; s < 3; ++s) a.add(stem + fmt("%02d", s) + ext, plate(w, h, label, kStateBg[s], kWhite, scale));
}

}  // namespace

std::string characterName(int character) {
    static const char* const kNames[kCharacters] = {"AKANE", "BUNTA", "CHIYO", "DAIGO", "EMI", "FUMIO", "GIN",
                                                    "HANA",  "ISAMU", "JUN",   "KAEDE", "REN", "MIKU",  "NAO"};
    return character >= 0 && character < kCharacters ? kNames[character] : fmt("PLAYER %02d", character);
}

void drawSetupArt(ArtSet& a) {
    a.add("01_haikei00.bmp", setupBackground());
    a.add("01_rulechange00.bmp", ruleOverlay());
    // The choices share one size of letters, the one at which the longest keeps clear of its
    // plate's ends.
    stateSet(a, "01_rule_hanchan", ".argb", 200, 40, "HANCHAN", 2);
    stateSet(a, "01_rule_tonpu", ".argb", 200, 40, "TONPUU", 2);
    stateSet(a, "01_rule_ari", ".argb", 200, 40, "ALLOWED", 2);
    stateSet(a, "01_rule_nashi", ".argb", 200, 40, "NOT ALLOWED", 2);
    stateSet(a, "01_button_ok", ".argb", 200, 50, "OK");
    // BACK stands in the window's lower left corner (0, 579): its plate keeps off both edges, too
    // low for the larger letters to keep their ground inside it.
    for (int s = 0; s < 2; ++s) {
        const Canvas back = plate(120 - kEdgeGround, 21 - kEdgeGround, "BACK", kStateBg[s], kWhite, 1);
        a.addBmpWithAlpha(fmt("01_button_back%02d.bmp", s), offset(120, 21, kEdgeGround, 0, back));
    }

    // Start and option stand under the rule summary, which covers their upper part: their
    // captions sit in the lower half.
    const auto lowerCaption = [](const std::string& s, uint32_t bg, uint32_t ink) {
        Canvas im(130, 100, bg);
        im.frame(0, 0, 130, 100, ink, 2);
        im.caption(0, 50, 130, 50, s, ink, 3);
        return im;
    };
    a.add("01_button_start00.argb", lowerCaption("START", 0xFF383838, 0xFF909090));  // not all seats filled
    a.add("01_button_start01.argb", lowerCaption("START", kStateBg[2], kWhite));     // ready
    a.add("01_button_start02.argb", lowerCaption("START", kStateBg[1], kWhite));     // hovered
    a.add("01_button_option00.bmp", lowerCaption("RULES", kStateBg[0], kWhite));
    a.add("01_button_option01.bmp", lowerCaption("RULES", kStateBg[1], kWhite));
    for (int s = 0; s < 3; ++s)
        a.add(fmt("01_button_config%02d.argb", s), plate(100, 30, "CONFIG", kStateBg[s], kWhite));

    // Character buttons: hovered, chosen, locked. Each shows its number with the name under it;
    // a locked one its number dimmed over "LOCK", in letters small enough to leave its
    // neighbours' apart.
    for (int c = 0; c < 15; ++c) {
        const std::string id = c == 14 ? "99" : fmt("%02d", c);
        const std::string label = c == 14 ? "?" : id;
        const uint32_t bg[3] = {0xFFE08020, 0xFF208040, 0xFF282828};
        for (int s = 0; s < 3; ++s) {
            const uint32_t ink = s == 2 ? 0xFF707070 : kWhite;
            Canvas im = plate(kSelectW, 60, label, bg[s], ink, 2);
            const std::string under = s == 2 ? "LOCK" : c < 14 ? characterName(c) : "";
            im.caption(0, 44, kSelectW, 14, under, ink, 1);
            a.addBmpWithAlpha("01_select" + id + fmt("%02d.bmp", s), offset(48, 60, kEdgeGround, 0, im));
        }
    }
    for (int c = 0; c < kCharacters; ++c) {
        const std::string id = fmt("%02d", c);
        Canvas pic = plate(100, 85, id, tint(c), kWhite, 4);
        a.add("01_character" + id + ".argb", pic);
        a.add("01_name" + id + ".argb", plate(100, 22, characterName(c), 0xFF101010, kWhite, 2));
        // The preview stands right of the seats and the buttons under them, below the page's
        // title, its name plate on its top edge.
        Canvas preview(kPreview.right - 200, kPreview.bottom, kClear);
        const int px = kPreview.left - 200, pw = kPreview.right - kPreview.left, ph = kPreview.bottom - kPreview.top;
        preview.fill(px, kPreview.top, pw, ph, tint(c));
        preview.frame(px, kPreview.top, pw, ph, kWhite, 3);
        preview.caption(px, kPreview.top + 60, pw, 120, id, kWhite, 12);
        preview.caption(px, kPreview.top + 200, pw, 60, characterName(c), kWhite, 6);
        a.add("01_preview" + id + ".argb", preview);
        Canvas name(kPreview.right - 200, kPreview.top + 40, kClear);
        name.fill(px, kPreview.top, pw, 40, 0xE0101010);
        name.caption(px, kPreview.top, pw, 40, characterName(c), kGold, 3);
        a.add("01_prename" + id + ".argb", name);
    }
    a.add("01_character99.argb", plate(100, 85, "EMPTY", 0xC0202020, 0xFF909090, 3));

    a.add("01_kind00.argb", plate(88, 18, "HANCHAN", 0xE0101828, kWhite, 1));
    a.add("01_kind01.argb", plate(88, 18, "TONPUU", 0xE0101828, kWhite, 1));
    a.add("01_kuitan00.argb", plate(88, 18, "KUITAN ON", 0xE0101828, kWhite, 1));
    a.add("01_kuitan01.argb", plate(88, 18, "KUITAN OFF", 0xE0101828, kWhite, 1));
    a.add("01_dora02.argb", plate(88, 18, "RED FIVES 2", 0xE0101828, kWhite, 1));
    a.add("01_dora01.argb", plate(88, 18, "25000 PTS", 0xE0101828, kWhite, 1));
}

}  // namespace mjart
