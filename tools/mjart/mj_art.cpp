#include "mj_art.h"

#include <cstring>

#include "art_canvas.h"

namespace mjart {

namespace {

// One tile face in a cell: the number and suit letter in the suit's ink, honours by letter.
void tile(Canvas& im, int x, int y, int w, int h, int kind, bool red, bool back, uint32_t face) {
    if (back) {
        im.fill(x, y, w, h, 0xFFC06010);
        im.frame(x, y, w, h, 0xFF603008);
        return;
    }
    im.fill(x, y, w, h, face);
    im.frame(x, y, w, h, kGrey);
    std::string top, bottom;
    uint32_t ink = kBlack;
    if (kind <= 26) {
        top = std::string(1, static_cast<char>('1' + kind % 9));
        bottom = kind < 9 ? "M" : kind < 18 ? "S" : "P";
        ink = kind < 9 ? kBlack : kind < 18 ? kGreen : kBlue;
    } else if (kind <= 30) {
        top = std::string(1, "ESWN"[kind - 27]);
        ink = kBlack;
    } else if (kind <= 33) {
        top = std::string(1, "PFC"[kind - 31]);
        ink = kind == 31 ? kBlue : kind == 32 ? kGreen : kRed;
    } else {
        top = "?";
    }
    if (red) ink = kRed;
    const int scale = (w >= 20 && h >= 30) ? 2 : 1;
    if (bottom.empty()) {
        im.caption(x, y, w, h, top, ink, scale);
    } else if (h >= 24) {
        im.caption(x, y + 1, w, h / 2 + 2, top, ink, scale);
        im.caption(x, y + h / 2, w, h / 2, bottom, ink, 1);
    } else {
        im.text(x + 1, y + (h - 7) / 2, top, ink);
        if (w >= 13) im.text(x + 7, y + (h - 7) / 2, bottom, ink);
    }
}

// A sheet: 9 columns of kinds 0-35 in 4 rows, then the fifth row: red fives, the back, a spare.
Canvas tileSheet(int w, int h, uint32_t face) {
    Canvas im(9 * w, 5 * h);
    for (int k = 0; k < 36; ++k) tile(im, (k % 9) * w, (k / 9) * h, w, h, k, false, false, face);
    tile(im, 0, 4 * h, w, h, 4, true, false, face);
    tile(im, w, 4 * h, w, h, 13, true, false, face);
    tile(im, 2 * w, 4 * h, w, h, 22, true, false, face);
    tile(im, 3 * w, 4 * h, w, h, 0, false, true, face);
    tile(im, 4 * w, 4 * h, w, h, 0, false, true, face);
    return im;
}

void drawArt(ArtSet& a) {
    // Tile sheets.
    a.add("02_pai000.bmp", tileSheet(23, 37, kIvory));
    a.add("02_pai001.bmp", tileSheet(23, 37, 0xFFFFF080));
    a.add("02_pai002.bmp", tileSheet(23, 37, 0xFFB0B0A8));
    a.add("02_pai003.bmp", tileSheet(23, 37, kIvory));
    for (const char* n : {"02_pai010.argb", "02_pai210.argb", "02_pai011.argb", "02_pai211.argb"})
        a.add(n, tileSheet(21, 32, std::strstr(n, "11.") ? 0xFFE0E0FF : kIvory));
    for (const char* n : {"02_pai110.argb", "02_pai310.argb", "02_pai111.argb", "02_pai311.argb"})
        a.add(n, tileSheet(30, 25, std::strstr(n, "11.") ? 0xFFE0E0FF : kIvory));
    a.add("03_horadora00.bmp", tileSheet(13, 16, kIvory));
    {
        Canvas side(30, 13 * 25);
        for (int i = 0; i < 13; ++i) tile(side, 0, 25 * i, 30, 25, 0, false, true, kIvory);
        a.add("02_pai100.bmp", side);
        a.add("02_pai300.bmp", side);
    }
    // Digit fonts.
    const struct {
        const char* name;
        int w, h;
        uint32_t ink;
    } fonts[] = {{"02_honbasu00.argb", 10, 14, kWhite},    {"02_zanpai00.argb", 10, 14, kGold},
                 {"02_ten00.argb", 10, 14, kWhite},        {"02_tensa00.argb", 8, 12, kGold},
                 {"03_hansu00.bmp", 10, 14, kWhite},       {"03_huhansu00.bmp", 10, 14, kWhite},
                 {"03_goukeitensu00.bmp", 14, 20, kWhite}, {"03_goukeitensu10.bmp", 14, 20, kGold},
                 {"03_goukeitensu20.bmp", 14, 20, kRed},   {"03_horabarisu00.argb", 10, 14, kWhite},
                 {"03_syutunyusu00.argb", 12, 16, kGold},  {"03_syutunyusu01.argb", 12, 16, 0xFFFF6060},
                 {"suuzi04top00.argb", 22, 30, kGold},     {"suuzi04top10.argb", 22, 30, kWhite}};
    for (const auto& f : fonts) a.add(f.name, digits(f.w, f.h, f.ink));
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
    {
        Canvas bg(800, 600, 0xFF1C6B3A);
        bg.fill(190, 225, 240, 150, 0xFF15552D);
        bg.frame(190, 225, 240, 150, 0xFF0E3A1F);
        bg.fill(0, 550, 800, 50, 0xFF103820);
        a.add("02_haikei00.bmp", bg);
    }
    const char* rounds[8] = {"EAST 1", "EAST 2", "EAST 3", "EAST 4", "SOUTH 1", "SOUTH 2", "SOUTH 3", "SOUTH 4"};
    for (int i = 0; i < 8; ++i) a.add(fmt("02_ba%02d.bmp", i), plate(120, 20, rounds[i], 0xFF15552D, kWhite));
    for (int i = 0; i < 6; ++i) a.add(fmt("02_sai%02d.bmp", i), plate(14, 14, fmt("%d", i + 1), kWhite, kBlack, 1));
    {
        Canvas h(100, 8, kWhite), v(8, 100, kWhite);
        h.fill(47, 2, 6, 4, kRed);
        v.fill(2, 47, 4, 6, kRed);
        a.add("02_riti00.argb", h);
        a.add("02_riti02.argb", h);
        a.add("02_riti01.argb", v);
        a.add("02_riti03.argb", v);
    }
    for (int i = 0; i < 4; ++i) a.add(fmt("02_titya%02d.argb", i), plate(24, 24, "D", kGold, kBlack));
    // The seat winds share one place over the middle of the table; each picture puts its letter
    // on the side of the seat it belongs to.
    const char* winds = "ESWN";
    const int windAt[4][2] = {{94, 164}, {204, 40}, {10, 0}, {0, 100}};
    for (int r = 0; r < 4; ++r)
        for (int i = 0; i < 4; ++i) {
            Canvas im(230, 190, 0);
            im.paste(windAt[i][0], windAt[i][1],
                     plate(26, 26, std::string(1, winds[r]), 0xE0000000, r == 0 ? kGold : kWhite));
            a.add(fmt("02_kaze%02d.argb", r * 10 + i), im);
        }
    // The turn marker beside a seat's points: the seat on turn bright, the others by how many
    // seats play before them.
    for (int i = 0; i < 4; ++i)
        a.add(fmt("02_zyun%02d.argb", i),
              i == 0 ? plate(14, 14, "!", 0xFFFFE040, kBlack, 1) : plate(14, 14, fmt("%d", i), 0xC0000000, kWhite, 1));
    // The sign after a seat's point difference, whose digits end on the clear part before it.
    for (int sign = 0; sign < 2; ++sign) {
        Canvas im(60, 14, 0);
        im.paste(42, 0, plate(14, 14, sign == 0 ? "+" : "-", sign == 0 ? 0xFF207020u : 0xFF802020u, kWhite, 1));
        a.add(fmt("02_tensa1%d.argb", sign), im);
    }
    {
        Canvas dim(800, 600, 0x80000000);
        dim.caption(200, 240, 400, 40, "CONTINUE?", kWhite, 3);
        a.add("02_zokkou00.argb", dim);
        a.add("02_zokkou10.bmp", plate(70, 30, "YES", 0xFF2050A0, kWhite));
        a.add("02_zokkou20.bmp", plate(70, 30, "NO", 0xFF2050A0, kWhite));
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
    for (int y = 0; y < 44; ++y) a.add(fmt("03_yaku%02d.bmp", y), plate(90, 12, fmt("YAKU %d", y), kBlack, kWhite, 1));
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
    const char* plates[8] = {"+1000", "+1500", "+3000", "-1000", "-1500", "-3000", "TENPAI", "NOTEN"};
    for (int r = 0; r < 4; ++r)
        for (int i = 0; i < 8; ++i)
            a.add(fmt("02_notenpai%02d.argb", r * 10 + i), plate(80, 20, plates[i], 0xC0000000, kWhite, 1));
    a.add("04_haikei00.bmp", Canvas(800, 600, 0xFF202040));
    a.add("04_result00.argb", plate(800, 80, "FINAL RESULT", 0xC0000000, kGold, 5));
    a.add("04_result10.argb", plate(300, 40, "", 0x00000000, 0x00000000));
    a.add("04_ok00.argb", plate(100, 30, "OK", 0xFF2050A0, kWhite));
    a.add("04_ok01.argb", plate(100, 30, "OK", 0xFFE08020, kWhite));
    a.add("04_exit00.argb", plate(70, 20, "EXIT", 0xFF2050A0, kWhite));
    a.add("04_exit01.argb", plate(70, 20, "EXIT", 0xFFE08020, kWhite));
    a.add("suuzi04top20.argb", plate(22, 30, "-", 0x00000000, kGold, 3));
    // Per character: faces, expressions, name plate, cut-in, win pictures, final result.
    for (int c = 0; c < kCharacterCount; ++c) {
        const uint32_t tint = 0xFF000000u | static_cast<uint32_t>((c * 0x3A5F1D) & 0x7F7F7F) | 0x404040u;
        const std::string id = fmt("%02d", c);
        a.add("02_kao00" + id + ".bmp", plate(100, 90, "P" + id, tint, kWhite));
        a.add("02_kao10" + id + ".bmp", plate(100, 90, "P" + id, tint, kWhite));
        const char* moods[5] = {"CHI", "PON", "KAN", "TSUMO", "RON"};
        for (int r = 0; r < 4; ++r)
            for (int e = 1; e <= 5; ++e)
                a.add(fmt("02_kao%d", r * 10 + e) + id + ".argb",
                      plate(120, 60, moods[e - 1], 0xC0000000 | (tint & 0xFFFFFF), kWhite));
        a.add("02_name" + id + ".argb", plate(100, 18, "PLAYER " + id, kBlack, kWhite, 1));
        a.add("02_cutin00" + id + ".bmp", plate(800, 120, "PLAYER " + id, tint, kWhite, 6));
        a.add("02_aga0" + id + ".bmp", plate(400, 300, "TSUMO " + id, tint, kWhite, 5));
        a.add("02_aga1" + id + ".bmp", plate(400, 300, "RON " + id, tint, kWhite, 5));
        // The final result's portraits all start at the top of the screen; each stands in the row
        // of its placing.
        {
            Canvas top(400, 600, 0);
            top.paste(110, 120, plate(250, 220, "1ST P" + id, tint, kWhite, 4));
            a.add("04_winch00" + id + ".argb", top);
        }
        a.add("04_winmes" + id + ".argb", plate(130, 30, "WELL PLAYED", tint, kWhite, 1));
        const int rowTop[4] = {0, 101, 235, 369};
        const char* places[4] = {"", "2ND", "3RD", "4TH"};
        for (int p = 1; p < 4; ++p) {
            Canvas row(260, 600, 0);
            row.paste(0, rowTop[p], plate(200, 60, std::string(places[p]) + " P" + id, tint, kWhite, 3));
            a.add(fmt("04_winch%02d", p) + id + ".argb", row);
        }
    }
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
