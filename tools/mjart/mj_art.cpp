#include "mj_art.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>

namespace mjart {

namespace {

// 5 x 7 letters, one byte per row (bit 4 the left column).
const std::map<char, std::array<uint8_t, 7>>& glyphs() {
    static const std::map<char, std::array<uint8_t, 7>> g = {
        {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
        {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
        {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
        {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
        {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
        {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
        {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
        {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
        {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
        {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
        {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
        {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
        {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
        {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
        {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
        {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
        {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
        {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
        {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}},
        {'?', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04}}, {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
        {'/', {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10}}, {'!', {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04}},
    };
    return g;
}

struct Image {
    int w, h;
    std::vector<uint32_t> px;  // ARGB, top row first
    Image(int w, int h, uint32_t fill = 0) : w(w), h(h), px(static_cast<size_t>(w) * h, fill) {}

    void fill(int x, int y, int fw, int fh, uint32_t c) {
        for (int j = std::max(0, y); j < std::min(h, y + fh); ++j)
            for (int i = std::max(0, x); i < std::min(w, x + fw); ++i) px[static_cast<size_t>(j) * w + i] = c;
    }
    void frame(int x, int y, int fw, int fh, uint32_t c) {
        fill(x, y, fw, 1, c);
        fill(x, y + fh - 1, fw, 1, c);
        fill(x, y, 1, fh, c);
        fill(x + fw - 1, y, 1, fh, c);
    }
    // Text at a scale; unknown letters leave a space.
    void text(int x, int y, const std::string& s, uint32_t c, int scale = 1) {
        for (char ch : s) {
            const auto it = glyphs().find(static_cast<char>(std::toupper(static_cast<unsigned char>(ch))));
            if (it != glyphs().end())
                for (int r = 0; r < 7; ++r)
                    for (int col = 0; col < 5; ++col)
                        if (it->second[r] & (0x10 >> col)) fill(x + col * scale, y + r * scale, scale, scale, c);
            x += 6 * scale;
        }
    }
    static int textWidth(const std::string& s, int scale) { return s.empty() ? 0 : (6 * int(s.size()) - 1) * scale; }
    // Text centred in a box; the scale shrinks until it fits.
    void caption(int x, int y, int bw, int bh, const std::string& s, uint32_t c, int scale = 2) {
        while (scale > 1 && (textWidth(s, scale) > bw - 2 || 7 * scale > bh - 2)) --scale;
        text(x + (bw - textWidth(s, scale)) / 2, y + (bh - 7 * scale) / 2, s, c, scale);
    }
};

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// 24-bit bottom-up bitmap: opaque; black (0) is what the table treats as see-through.
std::vector<uint8_t> toBmp(const Image& im) {
    const uint32_t stride = (static_cast<uint32_t>(im.w) * 3 + 3) & ~3u;
    const uint32_t bits = stride * static_cast<uint32_t>(im.h);
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + bits);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, static_cast<uint32_t>(im.w));
    put32(out, static_cast<uint32_t>(im.h));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, bits);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = im.h - 1; y >= 0; --y) {
        size_t row = out.size();
        for (int x = 0; x < im.w; ++x) {
            const uint32_t c = im.px[static_cast<size_t>(y) * im.w + x];
            out.push_back(static_cast<uint8_t>(c));
            out.push_back(static_cast<uint8_t>(c >> 8));
            out.push_back(static_cast<uint8_t>(c >> 16));
        }
        while (out.size() - row < stride) out.push_back(0);
    }
    return out;
}

// "BGRA", a spare word, width, height, then the pixels top row first.
std::vector<uint8_t> toArgb(const Image& im) {
    std::vector<uint8_t> out = {'B', 'G', 'R', 'A'};
    put32(out, 0);
    put32(out, static_cast<uint32_t>(im.w));
    put32(out, static_cast<uint32_t>(im.h));
    for (uint32_t c : im.px) put32(out, c);
    return out;
}

struct Art {
    std::vector<gcepack::Entry> entries;
    void add(const std::string& name, const Image& im) {
        gcepack::Entry e;
        e.name = name;
        const bool argb = name.size() > 5 && name.compare(name.size() - 5, 5, ".argb") == 0;
        e.data = argb ? toArgb(im) : toBmp(im);
        entries.push_back(std::move(e));
    }
};

std::string fmt(const char* f, int a) {
    char b[64];
    std::snprintf(b, sizeof b, f, a);
    return b;
}

constexpr uint32_t kWhite = 0xFFFFFFFF, kBlack = 0xFF000000, kRed = 0xFFD01010, kGreen = 0xFF108020, kBlue = 0xFF1030C0,
                   kIvory = 0xFFF4EEDC, kGold = 0xFFE0B020, kGrey = 0xFF808080;

// One tile face in a cell: the number and suit letter in the suit's ink, honours by letter.
void tile(Image& im, int x, int y, int w, int h, int kind, bool red, bool back, uint32_t face) {
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
Image tileSheet(int w, int h, uint32_t face) {
    Image im(9 * w, 5 * h);
    for (int k = 0; k < 36; ++k) tile(im, (k % 9) * w, (k / 9) * h, w, h, k, false, false, face);
    tile(im, 0, 4 * h, w, h, 4, true, false, face);
    tile(im, w, 4 * h, w, h, 13, true, false, face);
    tile(im, 2 * w, 4 * h, w, h, 22, true, false, face);
    tile(im, 3 * w, 4 * h, w, h, 0, false, true, face);
    tile(im, 4 * w, 4 * h, w, h, 0, false, true, face);
    return im;
}

Image plate(int w, int h, const std::string& s, uint32_t bg, uint32_t ink, int scale = 2) {
    Image im(w, h, bg);
    im.frame(0, 0, w, h, ink);
    im.caption(0, 0, w, h, s, ink, scale);
    return im;
}

Image digits(int cw, int ch, uint32_t ink, uint32_t bg = 0) {
    Image im(10 * cw, ch, bg);
    for (int d = 0; d < 10; ++d) im.caption(d * cw, 0, cw, ch, std::string(1, static_cast<char>('0' + d)), ink, 3);
    return im;
}

void drawArt(Art& a) {
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
        Image side(30, 13 * 25);
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
        Image bg(800, 600, 0xFF1C6B3A);
        bg.fill(190, 225, 240, 150, 0xFF15552D);
        bg.frame(190, 225, 240, 150, 0xFF0E3A1F);
        bg.fill(0, 550, 800, 50, 0xFF103820);
        a.add("02_haikei00.bmp", bg);
    }
    const char* rounds[8] = {"EAST 1", "EAST 2", "EAST 3", "EAST 4", "SOUTH 1", "SOUTH 2", "SOUTH 3", "SOUTH 4"};
    for (int i = 0; i < 8; ++i) a.add(fmt("02_ba%02d.bmp", i), plate(120, 20, rounds[i], 0xFF15552D, kWhite));
    for (int i = 0; i < 6; ++i) a.add(fmt("02_sai%02d.bmp", i), plate(14, 14, fmt("%d", i + 1), kWhite, kBlack, 1));
    {
        Image h(100, 8, kWhite), v(8, 100, kWhite);
        h.fill(47, 2, 6, 4, kRed);
        v.fill(2, 47, 4, 6, kRed);
        a.add("02_riti00.argb", h);
        a.add("02_riti02.argb", h);
        a.add("02_riti01.argb", v);
        a.add("02_riti03.argb", v);
    }
    for (int i = 0; i < 4; ++i) a.add(fmt("02_titya%02d.argb", i), plate(24, 24, "D", kGold, kBlack));
    const char* winds = "ESWN";
    for (int r = 0; r < 4; ++r)
        for (int i = 0; i < 4; ++i)
            a.add(fmt("02_kaze%02d.argb", r * 10 + i),
                  plate(40, 40, std::string(1, winds[r]) + std::string(1, winds[i]), 0xC0000000, kWhite));
    {
        // The turn marker: a bright bar beside the seat whose turn it is, on a clear screen.
        const int bars[4][4] = {{136, 500, 330, 5}, {600, 120, 5, 330}, {250, 90, 330, 5}, {120, 150, 5, 330}};
        for (int i = 0; i < 4; ++i) {
            Image im(800, 600, 0);
            im.fill(bars[i][0], bars[i][1], bars[i][2], bars[i][3], 0xFFFFE040);
            a.add(fmt("02_zyun%02d.argb", i), im);
        }
    }
    a.add("02_tensa10.argb", plate(60, 14, "+", 0xC0103010, kWhite, 1));
    a.add("02_tensa11.argb", plate(60, 14, "-", 0xC0301010, kWhite, 1));
    {
        Image dim(800, 600, 0x80000000);
        dim.caption(200, 240, 400, 40, "CONTINUE?", kWhite, 3);
        a.add("02_zokkou00.argb", dim);
        a.add("02_zokkou10.bmp", plate(70, 30, "YES", 0xFF2050A0, kWhite));
        a.add("02_zokkou20.bmp", plate(70, 30, "NO", 0xFF2050A0, kWhite));
    }
    a.add("02_ritisengen00.argb", plate(440, 70, "RIICHI", 0xE0A01010, kWhite, 6));
    {
        Image bg(800, 600, 0xE0102040);
        bg.frame(100, 60, 600, 480, kGold);
        a.add("03_bg00.argb", bg);
        a.add("03_ok00.argb", plate(80, 30, "OK", 0xFF2050A0, kWhite));
        a.add("03_ok01.argb", plate(80, 30, "OK", 0xFFE08020, kWhite));
    }
    a.add("03_han00.bmp", plate(40, 12, "HAN", kBlack, kGold, 1));
    for (int y = 0; y < 44; ++y) a.add(fmt("03_yaku%02d.bmp", y), plate(120, 12, fmt("YAKU %d", y), kBlack, kWhite, 1));
    a.add("03_oyako00.bmp", plate(40, 18, "CHILD", kBlack, kWhite, 1));
    a.add("03_oyako01.bmp", plate(40, 18, "DEALER", kBlack, kGold, 1));
    a.add("03_huhan00.bmp", plate(40, 18, "FU", kBlack, kWhite, 1));
    a.add("03_huhan01.bmp", plate(40, 18, "HAN", kBlack, kWhite, 1));
    const char* limits[7] = {"MANGAN", "HANEMAN", "BAIMAN", "SANBAIMAN", "YAKUMAN", "2 YAKUMAN", "3 YAKUMAN"};
    for (int i = 0; i < 7; ++i) a.add(fmt("03_mangan%02d.bmp", i), plate(140, 20, limits[i], kBlack, kGold));
    a.add("03_syutunyusu10.argb", plate(120, 24, "+", 0xC0103010, kWhite));
    a.add("03_syutunyusu11.argb", plate(120, 24, "-", 0xC0301010, kWhite));
    const char* draws[6] = {"DRAW", "NINE TERMINALS", "FOUR WINDS", "FOUR KANS", "FOUR RIICHI", "THREE RON"};
    for (int i = 0; i < 6; ++i) {
        Image im(800, 100, 0xC0000000);
        im.caption(0, 0, 800, 100, draws[i], kWhite, 5);
        a.add(fmt("02_ba%02d.argb", 10 + i), im);
    }
    const char* plates[8] = {"TENPAI", "NOTEN", "+3000", "+1500", "-1500", "-3000", "+-0", "+1000"};
    for (int r = 0; r < 4; ++r)
        for (int i = 0; i < 8; ++i)
            a.add(fmt("02_notenpai%02d.argb", r * 10 + i), plate(80, 20, plates[i], 0xC0000000, kWhite, 1));
    a.add("04_haikei00.bmp", Image(800, 600, 0xFF202040));
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
        a.add("04_winch00" + id + ".argb", plate(300, 400, "1ST " + id, tint, kWhite, 4));
        a.add("04_winmes" + id + ".argb", plate(400, 60, "WELL PLAYED", tint, kWhite, 3));
        for (int p = 1; p < 4; ++p)
            a.add(fmt("04_winch%02d", p) + id + ".argb", plate(200, 130, fmt("%d", p + 1) + " " + id, tint, kWhite, 3));
    }
}

}  // namespace

std::vector<gcepack::Entry> tableArtEntries() {
    Art a;
    drawArt(a);
    return std::move(a.entries);
}

bool writeTableArt(const std::string& hostPath, std::string* error) {
    gcepack::Options o;
    o.compressData = true;  // the pictures are mostly flat colour
    return gcepack::writeArchive(hostPath, tableArtEntries(), o, error);
}

}  // namespace mjart
