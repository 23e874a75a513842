#include "mj_art.h"

#include <cstring>

#include "art_canvas.h"
#include "mahjong/judge.h"

namespace mjart {

namespace {

constexpr uint32_t kFelt = 0xFF1C6B3A, kPanel = 0xFF15552D, kPanelEdge = 0xFF0E3A1F;
constexpr uint32_t kBack = 0xFFC06010, kBackEdge = 0xFF603008, kBackSide = 0xFF804010;
constexpr uint32_t kFaceSide = 0xFFB8AE94;

// The table lays tiles of its calls, discards and side hands in rows and columns that overlap
// by 7 pixels: the next row covers the lower edge of the one before. So every tile but the
// upright hand's keeps its face above a 7-pixel side, and the side is all the overlap hides.
constexpr int kSide = 7;

// The face's marks: the number and the suit letter (0 for none) in the suit's ink, honours
// by letter.
struct Marks {
    char top, bottom;
    uint32_t ink;
};
Marks marks(int kind, bool red) {
    Marks m{'?', 0, kBlack};
    if (kind <= 26) {
        m.top = static_cast<char>('1' + kind % 9);
        m.bottom = kind < 9 ? 'M' : kind < 18 ? 'S' : 'P';
        m.ink = kind < 9 ? kBlack : kind < 18 ? kGreen : kBlue;
    } else if (kind <= 30) {
        m.top = "ESWN"[kind - 27];
    } else if (kind <= 33) {
        m.top = "PFC"[kind - 31];
        m.ink = kind == 31 ? kBlue : kind == 32 ? kGreen : kRed;
    }
    if (red) m.ink = kRed;
    return m;
}

// One tile in a cell; side: the height of the edge below the face (0 for none).
void tile(Canvas& im, int x, int y, int w, int h, int kind, bool red, bool back, uint32_t face, int side = 0) {
    const int fh = h - side;
    if (back) {
        im.fill(x, y, w, h, kBack);
        if (side) im.fill(x, y + fh, w, side, kBackSide);
        im.frame(x, y, w, h, kBackEdge);
        return;
    }
    im.fill(x, y, w, h, face);
    if (side) im.fill(x, y + fh, w, side, kFaceSide);
    im.frame(x, y, w, h, kGrey);
    const Marks m = marks(kind, red);
    const std::string top(1, m.top), bottom = m.bottom ? std::string(1, m.bottom) : std::string();
    const uint32_t ink = m.ink;
    if (bottom.empty()) {
        im.caption(x, y, w, fh, top, ink, fh >= 18 ? 2 : 1);
    } else if (fh >= 24) {
        // Upright: the number over the suit.
        im.caption(x, y + 1, w, fh - 9, top, ink, 2);
        im.caption(x, y + fh - 8, w, 8, bottom, ink, 1);
    } else if (w >= 24 && fh >= 16) {
        // Lying: number and suit side by side.
        im.text(x + (w - 22) / 2, y + (fh - 14) / 2, top + bottom, ink, 2);
    } else {
        im.text(x + 1, y + (fh - 7) / 2, top, ink);
        if (w >= 13) im.text(x + 7, y + (fh - 7) / 2, bottom, ink);
    }
}

// A sheet: 9 columns of kinds 0-35 in 4 rows, then the fifth row: red fives, the back, a spare.
Canvas tileSheet(int w, int h, uint32_t face, int side) {
    Canvas im(9 * w, 5 * h);
    for (int k = 0; k < 36; ++k) tile(im, (k % 9) * w, (k / 9) * h, w, h, k, false, false, face, side);
    tile(im, 0, 4 * h, w, h, 4, true, false, face, side);
    tile(im, w, 4 * h, w, h, 13, true, false, face, side);
    tile(im, 2 * w, 4 * h, w, h, 22, true, false, face, side);
    tile(im, 3 * w, 4 * h, w, h, 0, false, true, face, side);
    tile(im, 4 * w, 4 * h, w, h, 0, false, true, face, side);
    return im;
}

// The yaku by id, in the spelling the action buttons and cut-ins use (RIICHI, TSUMO).
const char* const kYakuNames[mahjong::YAKU_COUNT] = {
    "RIICHI",     "DOUBLE RIICHI", "IPPATSU",    "TSUMO",     "TANYAO",        "PINFU",          "IIPEIKO",
    "YAKUHAI",    "HAITEI",        "HOUTEI",     "RINSHAN",   "CHANKAN",       "CHIITOI",        "SANANKO",
    "CHANTA",     "ITTSU",         "SANSHOKU",   "TOITOI",    "HONROUTOU",     "SHOUSANGEN",     "SANSHOKU DOUKOU",
    "SANKANTSU",  "RYANPEIKO",     "HONITSU",    "JUNCHAN",   "CHINITSU",      "DORA",           "RENHOU",
    "TENHOU",     "CHIIHOU",       "SUUANKO",    "CHUUREN",   "KOKUSHI",       "DAISANGEN",      "TSUUIISOU",
    "RYUUIISOU",  "SHOUSUUSHII",   "CHINROUTOU", "SUUKANTSU", "SUUANKO TANKI", "JUNSEI CHUUREN", "KOKUSHI 13",
    "DAISUUSHII", "NAGASHI",
};
static_assert(mahjong::YAKU_NAGASHI == 43 && mahjong::YAKU_TANYAO == 4 && mahjong::YAKU_SANSHOKU_DOUKOU == 20);

void drawTiles(ArtSet& a) {
    a.add("02_pai000.bmp", tileSheet(23, 37, kIvory, 0));
    a.add("02_pai001.bmp", tileSheet(23, 37, 0xFFFFF080, 0));
    a.add("02_pai002.bmp", tileSheet(23, 37, 0xFFB0B0A8, 0));
    a.add("02_pai003.bmp", tileSheet(23, 37, kIvory, 0));
    for (const char* n : {"02_pai010.argb", "02_pai210.argb", "02_pai011.argb", "02_pai211.argb"})
        a.add(n, tileSheet(21, 32, std::strstr(n, "11.") ? 0xFFE0E0FF : kIvory, kSide));
    for (const char* n : {"02_pai110.argb", "02_pai310.argb", "02_pai111.argb", "02_pai311.argb"})
        a.add(n, tileSheet(30, 25, std::strstr(n, "11.") ? 0xFFE0E0FF : kIvory, kSide));
    a.add("03_horadora00.bmp", tileSheet(13, 16, kIvory, 0));
    // A side seat's concealed hand: each tile is drawn on its own, one back a picture.
    Canvas side(30, 25);
    tile(side, 0, 0, 30, 25, 0, false, true, kIvory, kSide);
    a.add("02_pai100.bmp", side);
    a.add("02_pai300.bmp", side);
}

void drawFonts(ArtSet& a) {
    // Cells small enough for the places: two table counts 10 pixels apart, a yaku's han before
    // its name's end, three payment lines 8 pixels apart, a difference of five digits.
    const struct {
        const char* name;
        int w, h;
        uint32_t ink;
    } fonts[] = {{"02_honbasu00.argb", 7, 10, kWhite},     {"02_zanpai00.argb", 10, 14, kGold},
                 {"02_ten00.argb", 10, 14, kWhite},        {"02_tensa00.argb", 6, 12, kGold},
                 {"03_hansu00.bmp", 6, 10, kWhite},        {"03_huhansu00.bmp", 7, 14, kWhite},
                 {"03_goukeitensu00.bmp", 14, 20, kWhite}, {"03_goukeitensu10.bmp", 14, 20, kGold},
                 {"03_goukeitensu20.bmp", 14, 20, kRed},   {"03_horabarisu00.argb", 6, 8, kWhite},
                 {"03_syutunyusu00.argb", 12, 16, kGold},  {"03_syutunyusu01.argb", 12, 16, 0xFFFF6060},
                 {"suuzi04top00.argb", 22, 30, kGold},     {"suuzi04top10.argb", 22, 30, kWhite}};
    for (const auto& f : fonts) a.add(f.name, digits(f.w, f.h, f.ink));
}

void drawButtons(ArtSet& a) {
    // Action buttons: dim, available, hovered.
    const char* captions[10] = {"KAN", "PON", "CHI", "RIICHI", "TSUMO", "RON", "PASS", "9DRAW", "WIN!", "AUTO"};
    const int widths[10] = {40, 40, 40, 40, 46, 46, 60, 60, 60, 60};
    const int images[10] = {0, 1, 2, 3, 4, 5, 6, 7, 9, 8};
    for (int k = 0; k < 10; ++k) {
        const uint32_t bg[3] = {0xFF404040, 0xFF2050A0, 0xFFE08020};
        const uint32_t ink[3] = {0xFF909090, kWhite, kWhite};
        for (int v = 0; v < 3; ++v)
            a.add(fmt("02_bot0%02d.bmp", images[k] * 10 + v), plate(widths[k], 32, captions[k], bg[v], ink[v]));
    }
}

// Each seat's hand and calls lie on a rail of darker felt: the calls stand at the far end of
// the hand, beside the next seat's face, and the rail ties them to their own hand rather than to
// that face. A rail is the hand's line joined to the room of four calls of three, a few pixels
// short of every face. Rectangles: left, top, right, bottom.
void drawRails(Canvas& bg) {
    constexpr uint32_t kRail = 0xFF175C33, kRailEdge = 0xFF124A28;
    const int rails[4][2][4] = {
        {{132, 498, 465, 550}, {390, 436, 490, 550}},  // own: the hand, the calls stacked upwards
        {{543, 176, 612, 448}, {470, 148, 612, 241}},  // right: the column, the calls leftwards
        {{162, 6, 470, 78}, {120, 6, 222, 121}},       // opposite: the row, the calls downwards
        {{4, 150, 59, 421}, {4, 358, 135, 451}},       // left: the column, the calls rightwards
    };
    for (const auto& rail : rails)
        for (const auto& r : rail) bg.frame(r[0], r[1], r[2] - r[0], r[3] - r[1], kRailEdge);
    for (const auto& rail : rails)
        for (const auto& r : rail) bg.fill(r[0] + 1, r[1] + 1, r[2] - r[0] - 2, r[3] - r[1] - 2, kRail);
}

// The middle of the table: the panel between the four discard rows with the labels of the
// counts, the round plate, the sticks, the dice and the seat winds, each where it covers none
// of the others.
void drawCentre(ArtSet& a) {
    {
        Canvas bg(800, 600, kFelt);
        bg.fill(192, 188, 218, 187, kPanel);
        bg.frame(192, 188, 218, 187, kPanelEdge);
        bg.fill(0, 550, 800, 50, 0xFF103820);
        drawRails(bg);
        // The counts end at their places: the repeat counter and the riichi sticks 10 apart,
        // the tiles left below; each label stands before its count.
        const uint32_t label = 0xFFB0D0B8;
        bg.text(352 - Canvas::textWidth("HONBA", 1), 288, "HONBA", label);
        bg.text(352 - Canvas::textWidth("RIICHI", 1), 298, "RIICHI", label);
        bg.text(352 - Canvas::textWidth("LEFT", 1), 315, "LEFT", label);
        a.add("02_haikei00.bmp", bg);
    }
    // The round: the word and the hand's number, narrow enough to end where the top stick starts.
    const char* words[2] = {"EAST", "SOUTH"};
    for (int i = 0; i < 8; ++i) {
        Canvas im(74, 20, kPanel);
        im.frame(0, 0, 74, 20, kWhite);
        const std::string word = words[i / 4], number = std::string(1, static_cast<char>('1' + i % 4));
        const int w = Canvas::textWidth(word, 2) + 4 + Canvas::textWidth(number, 2);
        im.text((74 - w) / 2, 3, word, kWhite, 2);
        im.text((74 - w) / 2 + Canvas::textWidth(word, 2) + 4, 3, number, kGold, 2);
        a.add(fmt("02_ba%02d.bmp", i), im);
    }
    for (int i = 0; i < 6; ++i) a.add(fmt("02_sai%02d.bmp", i), plate(14, 14, fmt("%d", i + 1), kWhite, kBlack, 1));
    // Sticks: 72 long, a red dot in the middle, clear of the round plate and the winds.
    {
        Canvas h(80, 8, kClear), v(8, 72, kClear);
        h.fill(4, 1, 72, 6, kWhite);
        h.frame(4, 1, 72, 6, kGrey);
        h.fill(38, 2, 4, 4, kRed);
        v.fill(1, 0, 6, 70, kWhite);
        v.frame(1, 0, 6, 70, kGrey);
        v.fill(2, 33, 4, 4, kRed);
        a.add("02_riti00.argb", h);
        a.add("02_riti02.argb", h);
        a.add("02_riti01.argb", v);
        a.add("02_riti03.argb", v);
    }
    for (int i = 0; i < 4; ++i) a.add(fmt("02_titya%02d.argb", i), plate(24, 24, "D", kGold, kBlack));
    // The seat winds share one place over the panel; each stands in the corner where its seat's
    // discards begin: the own seat's bottom left, the right seat's bottom right, the opposite
    // seat's top right, the left seat's top left.
    const char* winds = "ESWN";
    const int windAt[4][2] = {{8, 170}, {202, 170}, {202, 8}, {8, 8}};
    for (int r = 0; r < 4; ++r)
        for (int i = 0; i < 4; ++i)
            a.add(fmt("02_kaze%02d.argb", r * 10 + i),
                  offset(230, 195, windAt[i][0], windAt[i][1],
                         plate(20, 20, std::string(1, winds[r]), 0xE0000000, r == 0 ? kGold : kWhite, 2)));
}

void drawSeatMarks(ArtSet& a) {
    // Whose turn: the seat to play a bright arrow; the others a dot for each seat still to play
    // before them. The mark is centred on the points' digits beside it and keeps a pixel clear
    // of its picture's edges: the own seat's line is the window's last, under the name plate.
    {
        Canvas on(12, 12, 0xFFFFE040);
        on.frame(0, 0, 12, 12, kBlack);
        for (int c = 0; c < 6; ++c) on.fill(3 + c, 2 + c / 2, 1, 8 - 2 * (c / 2), kBlack);
        a.add("02_zyun00.argb", offset(14, 14, 1, 1, on));
    }
    for (int i = 1; i < 4; ++i) {
        Canvas wait(12, 12, 0xA0000000);
        const int x0 = (12 - (4 * i - 1)) / 2;
        for (int d = 0; d < i; ++d) wait.fill(x0 + 4 * d, 5, 3, 3, 0xFFA0A0A0);
        a.add(fmt("02_zyun%02d.argb", i), offset(14, 14, 1, 1, wait));
    }
    // The sign before a seat's point difference: more points than the own seat, or fewer.
    for (int sign = 0; sign < 2; ++sign) {
        Canvas im(6, 12, sign == 0 ? 0xFF207020u : 0xFF802020u);
        im.text(0, 2, sign == 0 ? "+" : "-", kWhite);
        a.add(fmt("02_tensa1%d.argb", sign), im);
    }
}

void drawOverlays(ArtSet& a) {
    {
        // The prompt shows both answers: the table lays an answer's own picture over its place
        // only while the pointer is on it, in the hovered colour of every other button.
        Canvas dim(800, 600, 0x80000000);
        dim.caption(200, 220, 400, 40, "CONTINUE?", kWhite, 3);
        const char* answers[2] = {"YES", "NO"};
        const int answerX[2] = {238, 312};
        for (int i = 0; i < 2; ++i) {
            dim.paste(answerX[i], 287, plate(70, 30, answers[i], 0xFF2050A0, kWhite));
            a.add(fmt("02_zokkou%d0.bmp", i + 1), plate(70, 30, answers[i], 0xFFE08020, kWhite));
        }
        a.add("02_zokkou00.argb", dim);
    }
    a.add("02_ritisengen00.argb", plate(440, 70, "RIICHI", 0xE0A01010, kWhite, 6));
    {
        Canvas bg(800, 600, 0xE0102040);
        bg.frame(100, 60, 600, 480, kGold);
        a.add("03_bg00.argb", bg);
        a.add("03_ok00.argb", plate(80, 30, "OK", 0xFF2050A0, kWhite));
        a.add("03_ok01.argb", plate(80, 30, "OK", 0xFFE08020, kWhite));
    }
    a.add("03_han00.bmp", plate(40, 12, "HAN", kBlack, kGold, 1));
    // A yaku's name ends before its han, which ends 103 pixels from the row's start.
    for (int y = 0; y < mahjong::YAKU_COUNT; ++y) {
        Canvas im(90, 12, kBlack);
        im.text(1, 2, kYakuNames[y], kWhite);
        a.add(fmt("03_yaku%02d.bmp", y), im);
    }
    a.add("03_oyako00.bmp", plate(22, 18, "KO", kBlack, kWhite, 1));
    a.add("03_oyako01.bmp", plate(22, 18, "OYA", kBlack, kGold, 1));
    a.add("03_huhan00.bmp", plate(40, 18, "FU", kBlack, kWhite, 1));
    a.add("03_huhan01.bmp", plate(40, 18, "HAN", kBlack, kWhite, 1));
    const char* limits[7] = {"MANGAN", "HANEMAN", "BAIMAN", "SANBAIMAN", "YAKUMAN", "13 HAN", "2+ YAKUMAN"};
    for (int i = 0; i < 7; ++i) a.add(fmt("03_mangan%02d.bmp", i), plate(78, 20, limits[i], kBlack, kGold, 1));
    // A payment's frame: its total ends on the clear part, the sign stands after it.
    for (int sign = 0; sign < 2; ++sign) {
        Canvas im(120, 24, 0);
        im.frame(0, 0, 120, 24, sign == 0 ? 0xFF40C040u : 0xFFC04040u);
        im.paste(98, 2, plate(20, 20, sign == 0 ? "+" : "-", sign == 0 ? 0xFF207020u : 0xFF802020u, kWhite));
        a.add(fmt("03_syutunyusu1%d.argb", sign), im);
    }
    const char* draws[6] = {"DRAW", "NINE TERMINALS", "FOUR WINDS", "FOUR KANS", "FOUR RIICHI", "THREE RON"};
    for (int i = 0; i < 6; ++i) {
        Canvas im(800, 100, 0xC0000000);
        im.caption(0, 0, 800, 100, draws[i], kWhite, 5);
        a.add(fmt("02_ba%02d.argb", 10 + i), im);
    }
    // A seat's payment at a draw, or whether it was ready: one line, small enough to keep off
    // the name plates beside the places.
    const char* plates[8] = {"+1000", "+1500", "+3000", "-1000", "-1500", "-3000", "TENPAI", "NOTEN"};
    const uint32_t plateBg[8] = {0xE0207020, 0xE0207020, 0xE0207020, 0xE0802020,
                                 0xE0802020, 0xE0802020, 0xE0204080, 0xE0404040};
    // The own seat's place is left of the table, beside the left seat's discards: its picture
    // puts the line above the own hand instead.
    for (int r = 0; r < 4; ++r)
        for (int i = 0; i < 8; ++i) {
            const Canvas line = plate(44, 12, plates[i], plateBg[i], kWhite, 1);
            a.add(fmt("02_notenpai%02d.argb", r * 10 + i), r == 0 ? offset(240, 170, 196, 158, line) : line);
        }
}

void drawFinalScreen(ArtSet& a) {
    a.add("04_haikei00.bmp", Canvas(800, 600, 0xFF202040));
    a.add("04_result00.argb", plate(800, 80, "FINAL RESULT", 0xC0000000, kGold, 5));
    a.add("04_result10.argb", plate(300, 40, "", 0x00000000, 0x00000000));
    a.add("04_ok00.argb", plate(100, 30, "OK", 0xFF2050A0, kWhite));
    a.add("04_ok01.argb", plate(100, 30, "OK", 0xFFE08020, kWhite));
    // EXIT stands at 579: its plate ends short of the window's lower edge, too low for the larger
    // letters to keep their ground inside it.
    a.add("04_exit00.argb", plate(70, 600 - kEdgeGround - 579, "EXIT", 0xFF2050A0, kWhite, 1));
    a.add("04_exit01.argb", plate(70, 600 - kEdgeGround - 579, "EXIT", 0xFFE08020, kWhite, 1));
    a.add("suuzi04top20.argb", plate(22, 30, "-", 0x00000000, kGold, 3));
}

// A character's pictures: the face, its expressions where the face is, the name plate, the
// cut-in, the win pictures and the final result's.
void drawCharacter(ArtSet& a, int c) {
    const uint32_t tint = 0xFF000000u | static_cast<uint32_t>((c * 0x3A5F1D) & 0x7F7F7F) | 0x404040u;
    const std::string id = fmt("%02d", c), name = characterName(c);
    const auto face = [&](const std::string& caption) {
        Canvas im = plate(100, 90, "", tint, kWhite);
        im.caption(2, 8, 96, 30, name, kWhite, 2);
        if (!caption.empty()) im.caption(2, 46, 96, 36, caption, kGold, 3);
        return im;
    };
    a.add("02_kao00" + id + ".bmp", face(""));
    a.add("02_kao10" + id + ".bmp", face(""));
    // An expression stands in for the face while its seat calls or wins; its picture's place is
    // above and left of the face's.
    const char* moods[5] = {"CHI!", "PON!", "KAN!", "TSUMO", "RON!"};
    const int faceAt[4][2] = {{5, 154}, {206, 157}, {196, 5}, {5, 16}};
    for (int r = 0; r < 4; ++r)
        for (int e = 1; e <= 5; ++e)
            a.add(fmt("02_kao%02d", r * 10 + e) + id + ".argb",
                  offset(faceAt[r][0] + 100, faceAt[r][1] + 90, faceAt[r][0], faceAt[r][1], face(moods[e - 1])));
    // Each seat's line of points stands 18 below its name plate's place (the own seat's ends
    // with the window): a plate of 14 leaves the line a gap above it.
    a.add("02_name" + id + ".argb", plate(100, 14, name, kBlack, kWhite, 1));
    a.add("02_cutin00" + id + ".bmp", plate(800, 120, name, tint, kWhite, 6));
    a.add("02_aga0" + id + ".bmp", plate(400, 300, "TSUMO " + name, tint, kWhite, 5));
    a.add("02_aga1" + id + ".bmp", plate(400, 300, "RON " + name, tint, kWhite, 5));

    // The final result. The winner's panel holds its points (ending at 384, 353) and its
    // message (at 253, 392); its picture's place is 100 left of the screen.
    {
        Canvas panel(380, 325, tint);
        panel.frame(0, 0, 380, 325, kGold, 2);
        panel.caption(0, 20, 380, 50, "1ST", kGold, 6);
        panel.caption(10, 90, 360, 60, name, kWhite, 6);
        panel.fill(160, 243, 216, 40, 0xC0000000);
        a.add("04_winch00" + id + ".argb", offset(500, 600, 110, 105, panel));
    }
    a.add("04_winmes" + id + ".argb", plate(130, 30, "WELL PLAYED", 0xFF000000 | ((tint >> 1) & 0x7F7F7F), kGold, 1));
    // The other placings: a band for the row, the placing over the name at its left, the points
    // (ending at 768, 691 and 768) at its right. The third placing's picture stands 77 pixels
    // left of the others', and so do its points and minus signs: the band stands at the same
    // place in every picture, so each row's points end at the same place on its band, the third
    // row set in between the winner's panel and the other two.
    const char* places[4] = {"", "2ND", "3RD", "4TH"};
    constexpr int kBandX = 84, kBandW = 311, kBandH = 60;
    const int rowTop[4] = {0, 101, 235, 369};
    for (int p = 1; p < 4; ++p) {
        Canvas band(kBandW, kBandH, tint);
        band.frame(0, 0, kBandW, kBandH, kWhite);
        band.text(12, 10, places[p], kGold, 2);
        band.text(12, 34, name, kWhite, 2);
        a.add(fmt("04_winch%02d", p) + id + ".argb", offset(kBandX + kBandW, 600, kBandX, rowTop[p], band));
    }
}

void drawArt(ArtSet& a) {
    drawTiles(a);
    drawFonts(a);
    drawButtons(a);
    drawCentre(a);
    drawSeatMarks(a);
    drawOverlays(a);
    drawFinalScreen(a);
    for (int c = 0; c < kCharacterCount; ++c) drawCharacter(a, c);
}

}  // namespace

std::vector<gcepack::Entry> tableArtEntries() {
    ArtSet a;
    drawArt(a);
    drawSetupArt(a);
    return std::move(a.entries);
}

bool writeTableArt(const std::string& hostPath, std::string* error) {
    gcepack::Options o;
    o.compressData = true;  // the pictures are mostly flat colour
    return gcepack::writeArchive(hostPath, tableArtEntries(), o, error);
}

}  // namespace mjart
