// The pictures of "data.pak" and "sys.pak": the title, the system screen, the extras screens,
// the engine's buttons and wait icons with their animation scripts, and the story's
// backgrounds and event pictures. Sizes follow the places the screens put them at, so that
// neighbouring items never overlap where the mouse is tested.
#include "kit.h"

#include "art_canvas.h"

namespace kit {

using namespace mjart;

namespace {

constexpr uint32_t kNavy = 0xFF203060, kOrange = 0xFFE08020, kDim = 0xFF383838, kPressed = 0xFFA05010;

Canvas screen(const std::string& title, uint32_t top, uint32_t bottom) {
    Canvas bg(800, 600);
    bg.gradient(top, bottom);
    bg.caption(0, 2, 800, 34, title, kGold, 4);
    return bg;
}

// Normal and highlighted forms of a button; highlighted ends in 1, normal in 0.
void pair(ArtSet& a, const std::string& stem0, const std::string& stem1, int w, int h, const std::string& label,
          int scale = 2) {
    a.add(stem0, plate(w, h, label, kNavy, kWhite, scale));
    a.add(stem1, plate(w, h, label, kOrange, kWhite, scale));
}

void pairNumbered(ArtSet& a, const std::string& stem, const char* ext, int w, int h, const std::string& label,
                  int scale = 2) {
    pair(a, stem + "0" + ext, stem + "1" + ext, w, h, label, scale);
}

Canvas cursor() {
    // Green is the key colour the cursor setting names.
    Canvas im(32, 32, 0xFF00FF00);
    for (int y = 0; y < 20; ++y) {
        const int span = y < 14 ? y + 1 : 14 - (y - 14) * 2;
        if (span > 0) im.fill(0, y, span, 1, kBlack);
        if (span > 2 && y > 0 && y < 19) im.fill(1, y, span - 2, 1, kWhite);
    }
    im.fill(6, 14, 3, 12, kBlack);
    im.fill(7, 14, 1, 11, kWhite);
    return im;
}

void titleArt(ArtSet& data) {
    Canvas bg = screen("", 0xFF102448, 0xFF304868);
    bg.caption(0, 90, 800, 80, "MAHJONG", kGold, 11);
    bg.caption(0, 180, 800, 40, "A STORY AT THE TABLE", kWhite, 4);
    // A row of tiles for decoration.
    for (int i = 0; i < 9; ++i) {
        bg.fill(160 + 54 * i, 260, 46, 64, kIvory);
        bg.frame(160 + 54 * i, 260, 46, 64, kGrey, 2);
        bg.caption(160 + 54 * i, 260, 46, 40, std::string(1, static_cast<char>('1' + i)), kBlack, 4);
        bg.caption(160 + 54 * i, 296, 46, 26, "M", kRed, 3);
    }
    bg.text(20, 580, "DEMO DATA", 0xFF8090B0, 2);
    data.add("15_bgti_00.bmp", bg);
    data.add("cursor.bmp", cursor());
}

void titleMenu(ArtSet& sys) {
    const char* items[6] = {"NEW GAME", "LOAD", "FREE PLAY", "EXTRAS", "CONFIG", "EXIT"};
    for (int i = 0; i < 6; ++i) pair(sys, fmt("15_menu_%d0.bmp", i), fmt("15_menu_%d1.bmp", i), 240, 28, items[i]);
}

// The save entries' dates are five numbers that the page puts at fixed places; the digits are
// narrow enough to leave gaps between the numbers, where the entry's frame carries the marks
// that make them read as a date.
constexpr int kDateDigit = 7;

void dateMarks(Canvas& c, int x, int y) {
    // The numbers stand at 0, 37, 58, 79 and 100 from the year's place.
    const int month = 37, day = 58, hour = 79, minute = 100;
    const auto mark = [&](int from, int to, char m) {
        c.caption(x + from, y, to - from, 14, std::string(1, m), kGrey, 1);
    };
    mark(4 * kDateDigit, month, '/');
    mark(month + 2 * kDateDigit, day, '/');
    mark(hour + 2 * kDateDigit, minute, ':');
}

void systemArt(ArtSet& a) {
    const char* menu[5] = {"RESET", "RETURN", "TITLE", "QUIT", "NEW STORY"};
    for (int i = 0; i < 5; ++i) pairNumbered(a, fmt("13_syme_0%d", i), ".argb", 120, 36, menu[i]);
    pairNumbered(a, "13_syme_06", ".argb", 120, 36, "BACK");

    Canvas conf = screen("CONFIGURATION", 0xFF203040, 0xFF101820);
    const char* rows[8] = {"WINDOW", "TEXT SPEED", "AUTO TEXT", "VOLUME", "MUSIC", "EFFECTS", "VOICE 1", "VOICE 2"};
    for (int r = 0; r < 8; ++r) conf.text(80, 60 + 60 * r + 12, rows[r], kWhite, 2);
    a.add("11_conbg00.argb", conf);
    pairNumbered(a, "14_conf_00", ".argb", 130, 40, "WINDOW");
    pairNumbered(a, "14_conf_01", ".argb", 130, 40, "FULL");
    const char* speeds[3] = {"SLOW", "NORMAL", "FAST"};
    for (int i = 0; i < 3; ++i) pairNumbered(a, fmt("14_conf_1%d", i), ".argb", 90, 40, speeds[i]);
    // Volume rows: a silent item and a bar segment, in the row's own colour.
    for (int row : {2, 3, 4}) {
        a.add(fmt("14_conf_%d00.argb", row), plate(20, 30, "0", kNavy, kWhite, 2));
        a.add(fmt("14_conf_%d01.argb", row), plate(20, 30, "0", kOrange, kWhite, 2));
        Canvas off(20, 30, 0xFF283850), on(20, 30, row == 2 ? 0xFF40C060 : row == 3 ? 0xFF40A0E0 : 0xFFE060A0);
        off.frame(0, 0, 20, 30, kGrey);
        on.frame(0, 0, 20, 30, kWhite);
        a.add(fmt("14_conf_%d10.argb", row), off);
        a.add(fmt("14_conf_%d11.argb", row), on);
    }

    a.add("11_bgsv00.argb", screen("SAVE", 0xFF203828, 0xFF101c14));
    // The load page's two quick slots (entries 10 and 11, framed at 530, 60 and 530, 160) are
    // named on the page, where their frames leave room above the date.
    Canvas load = screen("LOAD", 0xFF382820, 0xFF1c1410);
    for (int q = 0; q < 2; ++q) load.text(645, 66 + 100 * q, fmt("QUICK %d", q + 1), kWhite, 2);
    a.add("11_bgld00.argb", load);
    for (int n = 0; n < 10; ++n) pairNumbered(a, fmt("12_page_0%d", n), ".argb", 36, 30, fmt("%d", n + 1));
    {
        Canvas f0(240, 90, 0x80102030), f1(240, 90, 0xA0404010);
        f0.frame(0, 0, 240, 90, 0xFF6080B0, 2);
        f1.frame(0, 0, 240, 90, kOrange, 3);
        for (Canvas* f : {&f0, &f1}) {
            f->frame(13, 8, 98, 74, kGrey);  // the thumbnail's place
            dateMarks(*f, 115, 29);
        }
        a.add("12_file_00.argb", f0);
        a.add("12_file_01.argb", f1);
    }
    for (int mode = 0; mode < 2; ++mode) {
        Canvas dlg(800, 600, kClear);
        dlg.fill(270, 180, 260, 180, 0xFF182838);
        dlg.frame(270, 180, 260, 180, kGold, 2);
        dlg.caption(270, 186, 260, 24, mode == 0 ? "SAVE OVER THIS?" : "LOAD THIS?", kWhite, 2);
        dateMarks(dlg, 395, 234);  // the preview's date
        a.add(fmt("12_kaku_00%d.argb", mode), dlg);
    }
    pairNumbered(a, "12_kaku_01", ".argb", 70, 30, "YES");
    pairNumbered(a, "12_kaku_02", ".argb", 70, 30, "NO");
    a.add("12_time_00.argb", digits(kDateDigit, 14, kWhite, kClear));
    for (int b = 0; b < 10; ++b)
        a.add(fmt("12_book_%03d.argb", b), plate(110, 32, fmt("CHAPTER %d", b), 0xC0302010, kGold, 2));
}

// The shared tab row of the extras screens.
void extrasTabs(ArtSet& a) {
    pairNumbered(a, "15_spesel0", ".argb", 120, 36, "SCENES");
    pairNumbered(a, "15_spesel1", ".argb", 120, 36, "GALLERY");
    pairNumbered(a, "15_spesel2", ".argb", 120, 36, "MUSIC");
}

Canvas thumb(const std::string& label, uint32_t colour) {
    Canvas im = plate(120, 90, label, colour, kWhite, 3);
    im.frame(4, 4, 112, 82, 0xFFC0C0C0);
    return im;
}

// An extras screen's background: the screens draw only what has been unlocked, so the places
// of the twenty thumbnails are marked on it and show through until then.
Canvas extrasScreen(const std::string& title, uint32_t top, uint32_t bottom) {
    Canvas bg = screen(title, top, bottom);
    for (int i = 0; i < 20; ++i) {
        const int x = 60 + 140 * (i % 5), y = 90 + 110 * (i / 5);
        bg.fill(x, y, 120, 90, bottom);
        bg.frame(x, y, 120, 90, 0xFF707070);
        bg.caption(x, y, 120, 90, "LOCKED", 0xFF808080, 2);
    }
    return bg;
}

void extrasArt(ArtSet& a) {
    extrasTabs(a);
    a.add("18_bgbgm_00.bmp", screen("MUSIC ROOM", 0xFF302040, 0xFF181020));
    for (int t = 0; t < kTrackCount; ++t)
        pairNumbered(a, fmt("18_bgmsel_%02d", t), ".argb", 220, 36, fmt("TRACK %02d", t));
    a.add("17_bgomake_01.bmp", extrasScreen("CG GALLERY", 0xFF203040, 0xFF101828));
    for (int q = 0; q < 4; ++q) pairNumbered(a, fmt("17_page_0%d", q), ".argb", 36, 30, fmt("%d", q + 1));
    for (int i = 0; i < 80; ++i)
        a.add(fmt("17_cgkaiso_%03d.bmp", i), thumb(fmt("CG %d", (i / 20 + 1) * 100 + i % 20), 0xFF405070));
    a.add("16_bgomake_00.bmp", extrasScreen("SCENE REPLAY", 0xFF402030, 0xFF201018));
    for (int s = 0; s < 20; ++s) a.add(fmt("16_hkaiso_%03d.bmp", s), thumb(fmt("SCENE %d", s + 1), 0xFF704050));
}

// One button of the engine: four states, each an animation script showing one picture.
void engineButton(ArtSet& a, const std::string& stem, const std::string& label) {
    const struct {
        const char* suffix;
        uint32_t bg, ink;
    } states[4] = {
        {"", kNavy, kWhite}, {"_on", kPressed, kWhite}, {"_disable", kDim, 0xFF808080}, {"_over", kOrange, kWhite}};
    for (const auto& s : states) {
        const std::string name = stem + s.suffix;
        a.add(name + ".bmp", plate(64, 20, label, s.bg, s.ink, 1));
        a.addBytes(name + ".as", asText("0 s 64 20\r\n0 i " + name + ".bmp 0 0\r\n"));
    }
}

// A wait icon blinking between two pictures.
void waitIcon(ArtSet& a, const std::string& stem, bool page) {
    for (int f = 0; f < 2; ++f) {
        Canvas im(16, 16, kClear);
        const uint32_t c = f == 0 ? kWhite : kGold;
        if (page)
            im.fill(3, 3, 10, 10, c);
        else
            for (int y = 0; y < 8; ++y) im.fill(2 + y / 2 * 0, 4 + y, 12 - y * 3 / 2, 1, c);
        a.add(stem + fmt("%d.argb", f), im);
    }
    const std::string script = "; blinks twice a second\r\n0 s 16 16\r\n0 i " + stem + "0.argb 0 0\r\n250 i " + stem +
                               "1.argb 0 0\r\n500 j 0\r\n";
    // A message frame looks for its own icon first ("line1.as" is frame 0's) and falls back to the
    // common one; the kit writes both, all showing the same pictures.
    a.addBytes(stem + ".as", asText(script));
    for (int frame = 1; frame <= 8; ++frame) a.addBytes(stem + fmt("%d.as", frame), asText(script));
}

void engineArt(ArtSet& a) {
    engineButton(a, "txauto", "AUTO");
    // The second button of a mode shows while the mode runs and stops it: it says so.
    engineButton(a, "txauto_stop", "STOP AUTO");
    engineButton(a, "txskip", "SKIP");
    engineButton(a, "txskip_stop", "STOP SKIP");
    engineButton(a, "txoff", "HIDE");
    engineButton(a, "lgon", "LOG");
    engineButton(a, "lgup", "UP");
    engineButton(a, "lgdown", "DOWN");
    engineButton(a, "lgoff", "TO END");
    engineButton(a, "lgskip", "CLOSE");
    engineButton(a, "lgvoice", "VOICE");
    engineButton(a, "smsave", "SAVE");
    engineButton(a, "smload", "LOAD");
    engineButton(a, "smcfg", "CONFIG");
    const char* extra[8] = {"Q.SAVE", "Q.LOAD", "VOICE", "BTN 4", "BTN 5", "BTN 6", "BTN 7", "BTN 8"};
    for (int k = 1; k <= 8; ++k) engineButton(a, fmt("smbtn%d", k), extra[k - 1]);
    waitIcon(a, "line", false);
    waitIcon(a, "page", true);
}

void storyArt(ArtSet& a) {
    const struct {
        const char* name;
        const char* label;
        uint32_t top, bottom;
    } backgrounds[3] = {{"bg01.bmp", "SCHOOL ROOF, EVENING", 0xFFE09050, 0xFF503040},
                        {"bg02.bmp", "STREET AT NIGHT", 0xFF102040, 0xFF304060},
                        {"bg03.bmp", "MAHJONG PARLOUR", 0xFF306040, 0xFF102818}};
    for (const auto& b : backgrounds) {
        Canvas bg(800, 600);
        bg.gradient(b.top, b.bottom);
        bg.caption(0, 20, 800, 40, b.label, 0xFFF0F0F0, 4);
        a.add(b.name, bg);
    }
    {
        // Stands between the background's caption and the buttons above the window.
        Canvas ch(260, 340, kClear);
        ch.fill(80, 0, 100, 100, 0xFFF0D0B0);    // head
        ch.fill(40, 100, 180, 240, 0xFF4060A0);  // body
        ch.frame(40, 100, 180, 240, kWhite, 2);
        ch.caption(40, 180, 180, 60, "AKANE", kWhite, 4);
        a.add("ch00.argb", ch);
    }
    {
        Canvas window(740, 160, 0xB0101828);
        window.frame(0, 0, 740, 160, 0xFFC0C8E0, 2);
        a.add("window.argb", window);
    }
    for (const StoryCg& cg : storyCgs()) {
        Canvas im(800, 600);
        im.gradient(0xFF602040, 0xFF200818);
        im.frame(40, 40, 720, 520, kGold, 4);
        im.caption(0, 220, 800, 80, fmt("EVENT CG %d", cg.id / 1000), kGold, 8);
        im.caption(0, 320, 800, 40, fmt("VARIANT %d", cg.id % 1000), kWhite, 4);
        a.add(cg.member, im);
    }
}

}  // namespace

std::vector<gcepack::Entry> dataPakEntries() {
    ArtSet data;
    titleArt(data);
    systemArt(data);
    extrasArt(data);
    engineArt(data);
    storyArt(data);
    return std::move(data.entries);
}

std::vector<gcepack::Entry> sysPakEntries() {
    ArtSet sys;
    titleMenu(sys);
    return std::move(sys.entries);
}

}  // namespace kit
