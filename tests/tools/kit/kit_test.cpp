// The demo data kit, read back as the game reads it: every file the program and its screens
// open is there and decodes; the items of each screen fit the screen without overlapping where
// the mouse is tested; every file a script names exists; the story and the scene replays play
// through the engine to their ends.
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "../../script/minimal_doc.h"
#include "art_canvas.h"
#include "kit.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "script/assembler.h"
#include "script/core.h"
#include "script/engine.h"
#include "script/img_disp.h"
#include "script/memory_map_file.h"
#include "script/present/ui/as_script.h"
#include "script/read_check.h"
#include "script/thread.h"
#include "script/value_exchange.h"
#include "sound/ogg_stream.h"
#include "storage/spi.h"
#include "storage/storage.h"
#include "store/surface_maker.h"
#include "script/present/present_engine.h"
#include "graphics/surface32.h"
#include "platform/audio_device.h"
#include "sound/frame_sound.h"
#include "support/test_support.h"
#include "../../script/stand_ins.h"

namespace {

// The kit, written once for the whole program.
const mjtest::TempDir* kitFolder() {
    static mjtest::TempDir dir;
    static const bool written = [] {
        std::string error;
        const bool ok = kit::writeKit(dir.str(), &error);
        EXPECT_TRUE(ok) << error;
        return ok;
    }();
    return written ? &dir : nullptr;
}

// A rectangle of the screen, {left, top, right, bottom}.
struct Box {
    int left, top, right, bottom;
    bool apart(const Box& o) const { return left >= o.right || o.left >= right || top >= o.bottom || o.top >= bottom; }
    bool holds(const Box& o) const { return left <= o.left && top <= o.top && right >= o.right && bottom >= o.bottom; }
};

// Every case reads the kit through the one resource store.
class Kit : public ::testing::Test {
protected:
    void SetUp() override {
        const mjtest::TempDir* dir = kitFolder();
        ASSERT_TRUE(dir);
        // The loaders the game's frame installs.
        store_.addPlugin(std::make_unique<SpiBmpFile>());
        store_.addPlugin(std::make_unique<SpiArgbFile>());
        store_.addPlugin(std::make_unique<SpiGceFile>(4));
        store_.setSurfaceMaker(new TGraphicsSurfaceMaker, true);
        store_.setBaseFolder(dir->str());
    }

    std::vector<uint8_t> bytes(const std::string& name) {
        std::vector<uint8_t> out;
        auto s = store_.openStream(name);
        if (!s) return out;
        out.resize(s->size());
        if (!out.empty()) s->read(out.data(), static_cast<uint32_t>(out.size()));
        return out;
    }
    // The picture's size, (0, 0) when it does not load.
    std::pair<int, int> size(const std::string& name) {
        auto it = sizes_.find(name);
        if (it != sizes_.end()) return it->second;
        auto image = store_.loadImage(name);
        const std::pair<int, int> wh = image ? std::pair{image->width(), image->height()} : std::pair{0, 0};
        return sizes_[name] = wh;
    }

    // What the picture placed at (x, y) shows: its opaque part (a picture without alpha is opaque
    // throughout); empty when nothing shows.
    Box shown(const std::string& name, int x, int y) {
        auto image = store_.loadImage(name);
        EXPECT_TRUE(image) << name;
        if (!image) return {0, 0, 0, 0};
        Box b{image->width(), image->height(), 0, 0};
        for (int j = 0; j < image->height(); ++j)
            for (int i = 0; i < image->width(); ++i)
                if (image->bitCount() != 32 || (image->getPixel(i, j) >> 24) != 0)
                    b = {std::min(b.left, i), std::min(b.top, j), std::max(b.right, i + 1), std::max(b.bottom, j + 1)};
        if (b.right == 0) return {0, 0, 0, 0};
        return {b.left + x, b.top + y, b.right + x, b.bottom + y};
    }
    // A plate whole inside the window: ground between it and each edge.
    static bool clearOfTheEdges(const Box& b) {
        const int g = mjart::kEdgeGround;
        return b.left >= g && b.top >= g && b.right <= 800 - g && b.bottom <= 600 - g;
    }

    TStorageGraph store_;
    std::map<std::string, std::pair<int, int>> sizes_;
};

TEST_F(Kit, EveryFileTheProgramOpensIsThereAndDecodes) {
    int pictures = 0, sounds = 0;
    for (const kit::KitFile& f : kit::manifest()) {
        SCOPED_TRACE(f.name);
        switch (f.kind) {
            case kit::Kind::Picture: {
                const auto [w, h] = size(f.name);
                EXPECT_GT(w, 0);
                EXPECT_LE(w, 800);
                EXPECT_GT(h, 0);
                EXPECT_LE(h, 600);
                ++pictures;
                break;
            }
            case kit::Kind::Vorbis: {
                const std::vector<uint8_t> ogg = bytes(f.name);
                std::vector<uint8_t> pcm;
                WaveFormatEx format{};
                ASSERT_TRUE(decodeOggVorbis(ogg.data(), ogg.size(), pcm, format));
                EXPECT_GT(pcm.size(), 1000u) << "a tone of some length";
                ++sounds;
                break;
            }
            case kit::Kind::Animation: {
                present::TAnisBase anim;
                ASSERT_TRUE(anim.load(f.name));
                ASSERT_FALSE(anim.ImageNames.empty());
                for (const std::string& image : anim.ImageNames)
                    EXPECT_GT(size(present::joinPath(present::folderOf(f.name), image)).first, 0) << image;
                break;
            }
            case kit::Kind::Script: {
                auto s = store_.openStream(f.name);
                ASSERT_TRUE(s);
                G2ScriptImage image;
                EXPECT_TRUE(readScriptImage(*s, image));
                break;
            }
            case kit::Kind::VariableMap: {
                auto s = store_.openStream(f.name);
                ASSERT_TRUE(s);
                G2MapImage map;
                ASSERT_TRUE(readMemoryMap(*s, map));
                // Seat arrays of four, the flag arrays as long as the screens read them.
                const auto count = [&](int area, int kind, const char* name) {
                    for (const G2MapName& n : map.areas[area].lists[kind].names)
                        if (n.name == name) return n.count;
                    return -1;
                };
                for (const char* seat : {"$mj_char", "$mj_bgm_oya", "$mj_bgm_riti", "$mj_stand", "$mj_result"})
                    EXPECT_EQ(count(0, kG2Int, seat), 4) << seat;
                EXPECT_EQ(count(0, kG2String, "$mj_name"), 4);
                EXPECT_EQ(count(1, kG2Bool, "@mj_secret"), 10);
                EXPECT_EQ(count(1, kG2Bool, "@hscene"), 20);
                break;
            }
            case kit::Kind::ImageTable: {
                TG2ImgDisp table;
                ASSERT_TRUE(table.load(f.name));
                for (const kit::StoryCg& cg : kit::storyCgs()) {
                    const auto* entry = table.find(cg.id);
                    ASSERT_TRUE(entry) << cg.id;
                    ASSERT_EQ(entry->names.size(), 1u);
                    EXPECT_GT(size(entry->names[0]).first, 0) << "the gallery opens it by this name";
                    // A CG number the gallery shows: 100-119, 200-219, 300-319, 400-419.
                    const int number = cg.id / 1000;
                    EXPECT_TRUE(number / 100 >= 1 && number / 100 <= 4 && number % 100 < 20) << cg.id;
                }
                break;
            }
        }
    }
    EXPECT_GT(pictures, 600);
    EXPECT_EQ(sounds, kit::kTrackCount + 5);
}

// One screen's items: the pictures of an item share its place and size; items tested by the
// mouse on one screen never overlap, and everything stays on the 800 x 600 screen, what it
// shows clear of the screen's edges.
struct Item {
    std::vector<std::string> pictures;
    int x, y;
};

class KitScreens : public Kit {
protected:
    void check(const std::string& screen, const std::vector<Item>& items) {
        SCOPED_TRACE(screen);
        std::vector<std::array<int, 4>> rects;
        for (const Item& item : items) {
            const auto [w, h] = size(item.pictures[0]);
            ASSERT_GT(w, 0) << item.pictures[0];
            for (const std::string& p : item.pictures) {
                EXPECT_EQ(size(p), size(item.pictures[0])) << p;
                EXPECT_TRUE(clearOfTheEdges(shown(p, item.x, item.y))) << p;
            }
            EXPECT_TRUE(item.x >= 0 && item.y >= 0 && item.x + w <= 800 && item.y + h <= 600) << item.pictures[0];
            for (size_t i = 0; i < rects.size(); ++i) {
                const auto& r = rects[i];
                const bool apart = item.x >= r[2] || r[0] >= item.x + w || item.y >= r[3] || r[1] >= item.y + h;
                EXPECT_TRUE(apart) << item.pictures[0] << " overlaps " << items[i].pictures[0];
            }
            rects.push_back({item.x, item.y, item.x + w, item.y + h});
        }
    }
    static std::string f(const char* pattern, int a) {
        char b[64];
        std::snprintf(b, sizeof b, pattern, a);
        return b;
    }
    static Item pair(const std::string& stem, const char* ext, int x, int y) {
        return {{stem + "0" + ext, stem + "1" + ext}, x, y};
    }
    static std::vector<Item> tabs() {
        return {pair("data.pak\\15_spesel0", ".argb", 60, 37), pair("data.pak\\15_spesel1", ".argb", 190, 37),
                pair("data.pak\\15_spesel2", ".argb", 320, 37), pair("data.pak\\13_syme_06", ".argb", 636, 518)};
    }
};

TEST_F(KitScreens, TitleAndExtras) {
    std::vector<Item> title;
    for (int i = 0; i < 6; ++i) title.push_back(pair(f("sys.pak\\15_menu_%d", i), ".bmp", 517, 395 + 30 * i));
    check("title", title);

    std::vector<Item> music = tabs();
    for (int n = 0; n < kit::kTrackCount; ++n)
        music.push_back(pair(f("data.pak\\18_bgmsel_%02d", n), ".argb", 50 + 240 * (n / 9), 80 + 50 * (n % 9)));
    check("music room", music);

    std::vector<Item> gallery = tabs();
    for (int q = 0; q < 4; ++q) gallery.push_back(pair(f("data.pak\\17_page_0%d", q), ".argb", 30 + 40 * q, 560));
    for (int c = 0; c < 20; ++c)
        gallery.push_back({{f("data.pak\\17_cgkaiso_%03d.bmp", c)}, 60 + 140 * (c % 5), 90 + 110 * (c / 5)});
    check("gallery", gallery);

    std::vector<Item> replay = tabs();
    for (int s = 0; s < 20; ++s)
        replay.push_back({{f("data.pak\\16_hkaiso_%03d.bmp", s)}, 60 + 140 * (s % 5), 90 + 110 * (s / 5)});
    check("scene replay", replay);
}

TEST_F(KitScreens, SystemScreen) {
    const std::string d = "data.pak\\";
    // The system menu from the story: items 0 to 3 (item 4 shares item 1's place).
    std::vector<Item> config;
    for (int i = 0; i < 4; ++i) config.push_back(pair(d + f("13_syme_0%d", i), ".argb", 133 + 130 * i, 530));
    config.push_back(pair(d + "14_conf_00", ".argb", 327, 60));
    config.push_back(pair(d + "14_conf_01", ".argb", 465, 60));
    for (int row = 0; row < 2; ++row)
        for (int i = 0; i < 3; ++i)
            config.push_back(pair(d + f("14_conf_1%d", i), ".argb", 327 + 98 * i, 120 + 60 * row));
    const char* volumes[5] = {"14_conf_2", "14_conf_2", "14_conf_2", "14_conf_3", "14_conf_4"};
    for (int row = 0; row < 5; ++row) {
        config.push_back(pair(d + volumes[row] + "0", ".argb", 327, 240 + 60 * row));
        for (int k = 0; k < 10; ++k)
            config.push_back(pair(d + volumes[row] + "1", ".argb", 349 + 22 * k, 240 + 60 * row));
    }
    check("configuration", config);

    std::vector<Item> load;
    for (int i = 0; i < 3; ++i) load.push_back(pair(d + f("13_syme_0%d", i + 1), ".argb", 648, 436 + 40 * i));
    for (int n = 0; n < 10; ++n) load.push_back(pair(d + f("12_page_0%d", n), ".argb", 30 + 40 * n, 560));
    for (int e = 0; e < 12; ++e) {
        const int x = e < 5 ? 30 : e < 10 ? 280 : 530, y = 60 + 100 * (e < 10 ? e % 5 : e - 10);
        load.push_back(pair(d + "12_file_0", ".argb", x, y));
    }
    check("load page", load);
    // The page names its two quick slots (entries 10 and 11) on its ground, in the room their
    // frames leave above the date; no other entry is named, and nothing lies under a date.
    auto ground = store_.loadImage(d + "11_bgld00.argb");
    ASSERT_TRUE(ground);
    const auto inked = [&](int x, int top, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int i = x; i < x + 120; ++i) n += ground->getPixel(i, y) != ground->getPixel(0, y);
        return n;
    };
    for (int r = 0; r < 2; ++r) {
        EXPECT_GT(inked(645, 62 + 100 * r, 89 + 100 * r), 40) << "quick slot " << r + 1;
        EXPECT_EQ(inked(645, 89 + 100 * r, 150 + 100 * r), 0) << "quick slot " << r + 1;
        EXPECT_EQ(inked(395, 62 + 100 * r, 150 + 100 * r), 0) << "entry " << 5 + r;
    }
    check("dialog", {pair(d + "12_kaku_01", ".argb", 316, 319), pair(d + "12_kaku_02", ".argb", 393, 319)});
    // The digit font is cut into ten cells; a year of four digits ends before the month.
    EXPECT_EQ(size(d + "12_time_00.argb").first % 10, 0);
    EXPECT_LE(size(d + "12_time_00.argb").first / 10 * 4, 182 - 145);
}

TEST_F(KitScreens, FreePlaySetup) {
    const std::string m = "mj.pak\\";
    const auto three = [&](const std::string& stem, const char* ext, int x, int y) {
        return Item{{m + stem + "00" + ext, m + stem + "01" + ext, m + stem + "02" + ext}, x, y};
    };
    check("rule page", {three("01_rule_hanchan", ".argb", 342, 188), three("01_rule_tonpu", ".argb", 226, 138),
                        three("01_rule_ari", ".argb", 256, 273), three("01_rule_nashi", ".argb", 368, 323),
                        three("01_button_ok", ".argb", 298, 415),
                        Item{{m + "01_button_back00.bmp", m + "01_button_back01.bmp"}, 0, 579}});
    std::vector<Item> characters = {three("01_button_start", ".argb", 10, 463),
                                    Item{{m + "01_button_option00.bmp", m + "01_button_option01.bmp"}, 149, 463},
                                    Item{{m + "01_button_back00.bmp", m + "01_button_back01.bmp"}, 0, 579}};
    for (int c = 0; c < 15; ++c) characters.push_back(three(f("01_select%02d", c == 14 ? 99 : c), ".bmp", 50 * c, 13));
    check("character page", characters);
    // The seats' pictures and names sit in a column each, apart from each other.
    std::vector<Item> seats;
    const int sx[4] = {9, 113, 9, 113}, sy[4] = {228, 228, 344, 344}, ny[4] = {315, 315, 431, 431};
    for (int s = 0; s < 4; ++s) {
        seats.push_back(
            {{m + "01_character99.argb", m + "01_character00.argb", m + "01_character13.argb"}, sx[s], sy[s]});
        seats.push_back({{m + "01_name00.argb", m + "01_name13.argb"}, sx[s], ny[s]});
    }
    check("seats", seats);
}

// The table's pictures at the places the table puts them.
class KitTable : public Kit {
protected:
    static std::string f(const char* pattern, int a) {
        char b[64];
        std::snprintf(b, sizeof b, pattern, a);
        return b;
    }
    Box shown(const std::string& name, int x, int y) { return Kit::shown("mj.pak\\" + name, x, y); }
    // A digit count of n places ending at x.
    Box count(const std::string& font, int x, int y, int n) {
        const auto [w, h] = size("mj.pak\\" + font);
        return {x - n * (w / 10), y, x, y + h};
    }
    static void allApart(const std::vector<std::pair<std::string, Box>>& items) {
        for (size_t i = 0; i < items.size(); ++i)
            for (size_t j = i + 1; j < items.size(); ++j)
                EXPECT_TRUE(items[i].second.apart(items[j].second)) << items[i].first << " covers " << items[j].first;
    }
};

TEST_F(KitTable, TheMiddleOfTheTableShowsEachThingClearOfTheOthers) {
    // The round plate, the sticks, the seat winds, the dice, the counts, the dead wall and each
    // seat's first row of discards (six tiles from its first place).
    std::vector<std::pair<std::string, Box>> items = {
        {"round plate", shown("02_ba07.bmp", 203, 239)},
        {"own stick", shown("02_riti00.argb", 277, 347)},
        {"right stick", shown("02_riti01.argb", 389, 277)},
        {"top stick", shown("02_riti02.argb", 277, 238)},
        {"left stick", shown("02_riti03.argb", 204, 277)},
        {"dice", {351, 262, 366 + size("mj.pak\\02_sai05.bmp").first, 262 + size("mj.pak\\02_sai05.bmp").second}},
        {"repeat count", count("02_honbasu00.argb", 377, 286, 2)},
        {"riichi count", count("02_honbasu00.argb", 377, 296, 2)},
        {"tiles left", count("02_zanpai00.argb", 376, 311, 2)},
        {"dead wall", {227, 190, 374, 231}},
        {"own discards", {237, 377, 363, 409}},
        {"right discards", {412, 242, 442, 357}},
        {"top discards", {237, 153, 363, 185}},
        {"left discards", {159, 242, 189, 357}},
    };
    for (int d = 0; d < 4; ++d)
        for (int r = 0; r < 4; ++r) {
            std::vector<std::pair<std::string, Box>> withWind = items;
            for (int e = 0; e < 4; ++e)
                withWind.push_back({f("wind of seat %d", e), shown(f("02_kaze%02d.argb", 10 * r + e), 186, 182)});
            allApart(withWind);
        }
    // A side seat's concealed hand is drawn a tile at a time, 18 apart.
    EXPECT_EQ(size("mj.pak\\02_pai100.bmp"), (std::pair{30, 25}));
    EXPECT_EQ(size("mj.pak\\02_pai300.bmp"), (std::pair{30, 25}));
}

TEST_F(KitTable, SeatMarksAndResultPagesKeepClearOfWhatStandsBesideThem) {
    // The turn marker ends before five digits of points end at the seat's place; both stand
    // under the seat's name plate and, the own seat's being the window's last line, three pixels
    // short of its edge.
    const int digit = size("mj.pak\\02_ten00.argb").first / 10;
    const int marks[4][6] = {{5, 584, 70, 585, 9, 566},
                             {487, 579, 552, 580, 493, 561},
                             {477, 127, 542, 128, 482, 109},
                             {0, 138, 65, 139, 5, 120}};
    const Box digits = shown("02_ten00.argb", 0, 0);
    for (const auto& m : marks) {
        const int plate = shown("02_name00.argb", m[4], m[5]).bottom;
        EXPECT_TRUE(m[3] + digits.top > plate && m[3] + digits.bottom <= 597) << m[0];
        for (int u = 0; u < 4; ++u) {
            const Box marker = shown(f("02_zyun%02d.argb", u), m[0], m[1]);
            EXPECT_LE(marker.right, m[2] - 5 * digit) << u;
            EXPECT_TRUE(marker.top > plate && marker.bottom <= 597) << m[0] << " " << u;
        }
    }
    // A point difference of five digits ends after its sign.
    EXPECT_LE(shown("02_tensa10.argb", 563, 584).right, 599 - 5 * size("mj.pak\\02_tensa00.argb").first / 10);
    // A yaku's name ends before a two-digit han.
    for (int y = 0; y < 44; ++y)
        EXPECT_LE(shown(f("03_yaku%02d.bmp", y), 228, 222).right, count("03_hansu00.bmp", 331, 224, 2).left) << y;
    // The three payment lines, 8 apart, end before the plate of the total below them.
    EXPECT_LE(16 + size("mj.pak\\03_horabarisu00.argb").second, 29);
    // At a draw the left seat's line keeps off its name plate.
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(shown(f("02_notenpai3%d.argb", i), 78, 108).apart({5, 120, 105, 138}));
    // At the end OK and EXIT keep clear of the window's edges, the winner's points and message
    // stand on its panel, each other placing's points (six digits) on its row.
    for (int s = 0; s < 2; ++s) {
        EXPECT_TRUE(clearOfTheEdges(shown(f("04_ok%02d.argb", s), 672, 544))) << s;
        EXPECT_TRUE(clearOfTheEdges(shown(f("04_exit%02d.argb", s), 723, 579))) << s;
    }
    const Box panel = shown("04_winch0000.argb", -100, 0);
    EXPECT_TRUE(panel.holds(count("suuzi04top00.argb", 384, 353, 6)));
    EXPECT_TRUE(panel.holds(shown("04_winmes00.argb", 253, 392)));
    const int rowX[4] = {0, 389, 312, 389}, scoreAt[4][2] = {{0, 0}, {768, 116}, {691, 250}, {768, 384}};
    const Box second = shown("04_winch0100.argb", rowX[1], 0);
    for (int p = 1; p < 4; ++p) {
        const Box row = shown(f("04_winch%02d00.argb", p), rowX[p], 0);
        EXPECT_TRUE(row.holds(count("suuzi04top10.argb", scoreAt[p][0], scoreAt[p][1], 6))) << p;
        EXPECT_TRUE(row.apart(panel)) << p;
        // The same place on every row, as far from its row's end; a minus sign stands on it too.
        EXPECT_EQ(row.right - scoreAt[p][0], second.right - scoreAt[1][0]) << p;
        for (int n = 0; n < 4; ++n)
            EXPECT_TRUE(row.holds(shown("suuzi04top20.argb", scoreAt[p][0] - 92 - 23 * n, scoreAt[p][1]))) << p;
    }
}

TEST_F(KitTable, TheContinuePromptShowsBothAnswersBeforeEitherIsHovered) {
    // The table lays an answer's own picture over the prompt only while the pointer is on it:
    // the prompt itself holds each answer there, opaque and lettered, in other colours.
    auto prompt = store_.loadImage("mj.pak\\02_zokkou00.argb");
    ASSERT_TRUE(prompt);
    const int answerX[2] = {238, 312};
    for (int i = 0; i < 2; ++i) {
        auto hovered = store_.loadImage(f("mj.pak\\02_zokkou%d0.bmp", i + 1));
        ASSERT_TRUE(hovered);
        const uint32_t ground = prompt->getPixel(answerX[i] + 3, 290);
        int opaque = 0, lettered = 0, apart = 0;
        for (int j = 0; j < hovered->height(); ++j)
            for (int k = 0; k < hovered->width(); ++k) {
                const uint32_t p = prompt->getPixel(answerX[i] + k, 287 + j);
                opaque += (p >> 24) == 0xFF;
                const bool inside = j > 0 && k > 0 && j < hovered->height() - 1 && k < hovered->width() - 1;
                lettered += inside && p != ground;
                apart += (p & 0xFFFFFF) != (hovered->getPixel(k, j) & 0xFFFFFF);
            }
        EXPECT_EQ(opaque, hovered->width() * hovered->height()) << i;
        EXPECT_GT(lettered, 20) << i;
        EXPECT_GT(apart, hovered->width() * hovered->height() / 2) << i;
    }
}

TEST_F(KitTable, EachSeatsCallsLieOnItsOwnHandsRailClearOfEveryFace) {
    // The felt under a seat's first call, as far as its colour reaches: it holds the places of
    // the seat's hand (first and last) and of its fourth call, and keeps two pixels from every face.
    auto bg = store_.loadImage("mj.pak\\02_haikei00.bmp");
    ASSERT_TRUE(bg);
    const int call[4][4] = {{476, 530, 0, -25}, {579, 164, -30, 0}, {134, 26, 0, 25}, {23, 435, 30, 0}};
    const int hand[4][4] = {{147, 527, 23, 0}, {592, 430, 0, -18}, {454, 26, -21, 0}, {23, 165, 0, 18}};
    const Box faces[4] = {shown("02_kao0000.bmp", 5, 454), shown("02_kao1000.bmp", 493, 457),
                          shown("02_kao1000.bmp", 482, 5), shown("02_kao1000.bmp", 5, 16)};
    for (int d = 0; d < 4; ++d) {
        std::vector<char> in(800 * 600, 0);
        std::vector<std::pair<int, int>> todo = {{call[d][0], call[d][1]}};
        const uint32_t rail = bg->getPixel(call[d][0], call[d][1]);
        while (!todo.empty()) {
            const auto [x, y] = todo.back();
            todo.pop_back();
            if (x < 0 || y < 0 || x >= 800 || y >= 600 || in[y * 800 + x] || bg->getPixel(x, y) != rail) continue;
            in[y * 800 + x] = 1;
            todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
        }
        const auto reaches = [&](const int* at, int n) { return in[(at[1] + n * at[3]) * 800 + at[0] + n * at[2]]; };
        EXPECT_TRUE(reaches(call[d], 3) && reaches(hand[d], 0) && reaches(hand[d], 12)) << d;
        for (int e = 0; e < 4; ++e) {
            int reached = 0;
            for (int y = std::max(0, faces[e].top - 2); y < std::min(600, faces[e].bottom + 2); ++y)
                for (int x = std::max(0, faces[e].left - 2); x < faces[e].right + 2; ++x) reached += in[y * 800 + x];
            EXPECT_EQ(reached, 0) << "seat " << d << "'s calls reach the face of seat " << e;
        }
    }
}

TEST_F(KitTable, SetupButtonsKeepTheirWordsOffTheirEdgesAndThePreviewKeepsOffTheTitle) {
    // Two pixels of ground inside each button's frame, the sides three.
    std::vector<std::string> buttons = {"01_button_back00.bmp", "01_button_option00.bmp"};
    for (int k = 0; k < 66; ++k) {
        const char* stems[7] = {"01_rule_hanchan", "01_rule_tonpu",   "01_rule_ari",     "01_rule_nashi",
                                "01_button_ok",    "01_button_start", "01_button_config"};
        buttons.push_back(k < 21 ? stems[k / 3] + f("%02d.argb", k % 3)
                                 : f("01_select%02d", k / 3 == 21 ? 99 : k / 3 - 7) + f("%02d.bmp", k % 3));
    }
    for (const std::string& name : buttons) {
        auto im = store_.loadImage("mj.pak\\" + name);
        ASSERT_TRUE(im) << name;
        const Box b = shown(name, 0, 0);  // the plate, its frame the edge of what shows
        const int w = b.right - b.left, h = b.bottom - b.top;
        int inked = 0;
        for (int j = 2; j < h - 2; ++j)
            for (int i = 2; i < w - 2; ++i) {
                const int side = std::min(i, w - 1 - i), edge = std::min(j, h - 1 - j);
                inked += (side <= 3 || edge == 2) &&
                         im->getPixel(b.left + i, b.top + j) != im->getPixel(b.left + 3, b.top + 3);
            }
        EXPECT_EQ(inked, 0) << name;
    }
    // The title is the page's gold (red in the low byte); a preview and its name plate stand
    // clear of it and of the buttons left of them.
    auto bg = store_.loadImage("mj.pak\\01_haikei00.bmp");
    ASSERT_TRUE(bg);
    Box title{800, 600, 0, 0};
    for (int j = 0; j < 600; ++j)
        for (int i = 0; i < 800; ++i)
            if ((bg->getPixel(i, j) & 0xFFFFFF) == 0x20B0E0)
                title = {std::min(title.left, i), std::min(title.top, j), std::max(title.right, i + 1),
                         std::max(title.bottom, j + 1)};
    ASSERT_LT(title.left, title.right);
    for (int c = 0; c < 28; ++c) {
        const std::string picture = f(c < 14 ? "01_preview%02d.argb" : "01_prename%02d.argb", c % 14);
        allApart({{picture, shown(picture, 200, 0)},
                  {"title", title},
                  {"start", shown("01_button_start00.argb", 10, 463)},
                  {"rules", shown("01_button_option00.bmp", 149, 463)}});
    }
}

// Every file name a script passes to a command is one the store opens.
TEST_F(Kit, EveryFileAScriptNamesOpens) {
    const std::regex named(R"re("((?:data|sound)\.pak\\\\[^"]+|bgm\\\\[^"]+)")re");
    int names = 0;
    for (const kit::KitFile& f : kit::manifest()) {
        if (f.kind != kit::Kind::Script) continue;
        auto s = store_.openStream(f.name);
        ASSERT_TRUE(s);
        G2ScriptImage image;
        ASSERT_TRUE(readScriptImage(*s, image));
        const std::string text = disassembleScript(image);
        for (std::sregex_iterator it(text.begin(), text.end(), named), end; it != end; ++it) {
            const std::string name = std::regex_replace((*it)[1].str(), std::regex(R"(\\\\)"), "\\");
            EXPECT_TRUE(store_.exists(name) || store_.openStream(name)) << f.name << " names " << name;
            ++names;
        }
    }
    EXPECT_GT(names, 40);
}

// A player who clicks every fifth frame and takes a given menu entry; the host's match answers
// with a standing.
class Player : public TG2Host {
public:
    TG2InputState input() override {
        TG2InputState s;
        if (clickNow) s.words[2] = 0x10000000;
        return s;
    }
    void clearInput() override { clickNow = false; }
    int32_t menuChoice(const EngineMenu&) override { return choice; }
    bool clickNow = false;
    int32_t choice = 0;
};

struct HostCalls {
    std::vector<std::array<int32_t, 3>> calls;
    static int answer(int code, int count, void* data, void* context) {
        auto* self = static_cast<HostCalls*>(context);
        if (code == 99 && count == 3) {
            const auto* v = static_cast<const int32_t*>(data);
            self->calls.push_back({v[0], v[1], v[2]});
            g2Engine()->memory()->setInt("$mj_stand", 0, 0);  // the player came first
        }
        return 0;
    }
};

// The engine's own parts on the kit's scripts; no picture, no sound.
using ScriptOnlyEngine = testing_stand_ins::ScriptOnly<WithMinimalDoc<>>;

class KitEngine : public Kit {
protected:
    void SetUp() override {
        Kit::SetUp();
        platform::setClock(&clock_);
        engine_.status().memName = "script.pak\\main.g2m";
        engine_.setCallback(&HostCalls::answer, &host_);
        // Each story starts afresh: nothing shared with an earlier run.
        engine_.status().useCommonSave = false;
        ASSERT_TRUE(engine_.init(&player_, nullptr, nullptr));
    }
    void TearDown() override {
        engine_.term();
        platform::setClock(nullptr);
    }
    // The texts shown, frame by frame, until the script ends.
    std::vector<std::string> play(const std::string& script) {
        std::vector<std::string> seen;
        EXPECT_TRUE(engine_.start(script, ""));
        for (int frame = 0; frame < 2000; ++frame) {
            clock_.advance(16);
            player_.clickNow = frame % 5 == 4;
            engine_.getCurrentDocFrame()->clearText();
            if (!engine_.run()) return seen;
            if (!engine_.getCurrentDocFrame()->text().empty()) seen.push_back(engine_.getCurrentDocFrame()->text());
        }
        ADD_FAILURE() << script << " did not end";
        return seen;
    }

    platform::ManualClock clock_{0};
    Player player_;
    HostCalls host_;
    ScriptOnlyEngine engine_;
};

class KitStory : public KitEngine, public ::testing::WithParamInterface<int32_t> {};

TEST_P(KitStory, TheStoryPlaysToItsEnd) {
    player_.choice = GetParam();
    const bool plays = GetParam() == 0;
    const std::vector<std::string> seen = play("script.pak\\a0001.g2");
    ASSERT_GE(seen.size(), 4u);
    // The first line holds a character whose second byte is a backslash.
    EXPECT_EQ(seen.front(), platform::toSjis("放課後の屋上。夕日が校舎を赤く染めている。ソフトボール部の声が遠い。"));
    EXPECT_EQ(seen.back(), platform::toSjis("――おしまい。"));
    if (plays) {
        ASSERT_EQ(host_.calls.size(), 1u);
        EXPECT_EQ(host_.calls[0], (std::array<int32_t, 3>{0, 4, 1})) << "a four-seat east-round match";
        EXPECT_NE(std::find(seen.begin(), seen.end(), platform::toSjis("アカネ「トップおめでとう！　強いね」")),
                  seen.end());
    } else {
        EXPECT_TRUE(host_.calls.empty());
    }
    TG2Memory& memory = *engine_.memory();
    EXPECT_EQ(memory.getBool("@hscene", 0), plays) << "the parlour scene is marked for replay";
    EXPECT_TRUE(memory.getBool("@hscene", 1));
    EXPECT_EQ(memory.getBool("@mj_secret", 0), plays) << "the parlour unlocks a character";
    EXPECT_EQ(memory.getString("$mj_name", 1), platform::toSjis("ブンタ"));
}

INSTANTIATE_TEST_SUITE_P(EitherChoice, KitStory, ::testing::Values(0, 1));

// Each message is a save point: the state a save writes while a line waits brings that line
// back when it is loaded, and a line is marked read once the story has gone past it.
TEST_P(KitStory, ASaveOnAnyLineLoadsOnThatLineAndEveryLineReadIsMarked) {
    player_.choice = GetParam();
    ASSERT_TRUE(engine_.start("script.pak\\a0001.g2", ""));
    std::map<int32_t, std::pair<std::string, std::string>> lines;  // line: its text, the save's state
    const auto line = [&] { return engine_.getCurrentThread() ? engine_.getCurrentThread()->positionId() : -1; };
    bool ended = false;
    for (int frame = 0; frame < 2000 && !ended; ++frame) {
        clock_.advance(16);
        player_.clickNow = frame % 5 == 4;
        engine_.getCurrentDocFrame()->clearText();
        ended = !engine_.run();
        const std::string text = engine_.getCurrentDocFrame()->text();
        if (!ended && !text.empty() && !lines.count(line())) {
            TMemoryStream& m = engine_.core()->snapshot();
            lines[line()] = {text, std::string(reinterpret_cast<const char*>(m.getBuffer()), m.size())};
        }
    }
    ASSERT_TRUE(ended);
    ASSERT_GE(lines.size(), GetParam() == 0 ? 9u : 6u);
    TReadCheck* read = engine_.core()->readCheckOp("script.pak\\a0001.g2", 0);
    for (const auto& [id, seen] : lines) {
        SCOPED_TRACE("line " + std::to_string(id));
        EXPECT_TRUE(read->test(id)) << "read";
        engine_.reset();
        TMemoryStream s;
        s.write(seen.second.data(), static_cast<uint32_t>(seen.second.size()));
        s.seek(0, 0);
        TValueExchange x(&s, false);
        engine_.core()->exchange(x);
        engine_.getCurrentDocFrame()->clearText();
        for (int frame = 0; frame < 5 && engine_.getCurrentDocFrame()->text().empty(); ++frame) engine_.run();
        EXPECT_EQ(line(), id);
        EXPECT_EQ(engine_.getCurrentDocFrame()->text(), seen.first);
    }
}

TEST_F(KitEngine, EveryReplaySceneShowsTextAndEnds) {
    for (int s = 0; s < kit::kSceneCount; ++s) {
        char name[32];
        std::snprintf(name, sizeof name, "script.pak\\hs%02d.g2", s);
        SCOPED_TRACE(name);
        engine_.reset();
        EXPECT_FALSE(play(name).empty());
    }
}

}  // namespace

namespace {

// A frame of the screen as a PPM file, for looking at it.
void writePpm(const std::string& path, graphics::TSurface32& screen) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "P6 %d %d 255\n", screen.width(), screen.height());
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) {
            const uint32_t c = screen.getPixel(x, y);
            const unsigned char rgb[3] = {static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 8),
                                          static_cast<unsigned char>(c)};
            std::fwrite(rgb, 1, 3, f);
        }
    std::fclose(f);
}

// A player at the keyboard: a key pressed for one frame.
class KeyPlayer : public TG2Host {
public:
    TG2InputState input() override { return state; }
    void clearInput() override { state.words[2] = state.words[3] = state.repeat = 0; }
    void press(uint32_t bits) {
        for (int i = 0; i < 3; ++i) state.words[i] |= bits;
    }
    void endFrame() { state = {}; }
    TG2InputState state;
};

// The story on the engine and sound device the game shows it with: every picture, effect and
// piece of music it names opens (the engine logs a warning for each one that does not), and
// its pages come up one after the other. MJ_KIT_SHOTS=folder keeps a picture of every page.
TEST_F(Kit, TheStoryShowsOnThePresentationEngineWithoutWarnings) {
    platform::ManualClock clock{1000};
    platform::setClock(&clock);
    platform::headless::useManualAudio(true);
    std::unique_ptr<TFrameSound> device = makeFrameSoundDevice();
    ASSERT_TRUE(device->create(nullptr, 44100, 16, true));
    std::vector<std::string> log;
    setEngineLogSink([&log](const std::string& line) { log.push_back(line); });
    KeyPlayer player;
    HostCalls host;
    {
        present::PresentEngine engine;
        engine.status().screenWidth = 800;
        engine.status().screenHeight = 600;
        engine.status().useCommonSave = false;
        engine.status().memName = "script.pak\\main.g2m";
        engine.status().systemFolder = "data.pak";  // the game's: the window's buttons and icons come from there
        engine.setCallback(&HostCalls::answer, &host);
        ASSERT_TRUE(engine.init(&player, nullptr, &static_cast<TFrameSoundDevice&>(*device).master()));
        ASSERT_TRUE(engine.start("script.pak\\a0001.g2", ""));
        const char* shots = std::getenv("MJ_KIT_SHOTS");
        graphics::TSurface32 screen;
        int pages = 0;
        bool ended = false, chose = false;
        for (int frame = 0; frame < 6000 && !ended; ++frame) {
            clock.advance(16);
            player.endFrame();
            if (frame % 40 == 39) {
                // The menu opens on its default, "not today": one step up is "let's go".
                const bool menu = (engine.core()->menuMode() & 2) != 0;
                player.press(menu && !chose ? 0x1 : 0x10);
                chose = chose || menu;
            }
            if (frame % 40 == 38 && shots) {
                screen.createFilled(800, 600, 0xFF000000u);
                engine.draw(screen);
                writePpm(std::string(shots) + "/frame" + std::to_string(frame / 40) + ".ppm", screen);
            }
            ended = !engine.run();
            if (frame % 40 == 38 && !engine.getCurrentDocFrame()->text().empty()) ++pages;
        }
        EXPECT_TRUE(ended) << "the story ends";
        EXPECT_TRUE(chose);
        EXPECT_EQ(host.calls.size(), 1u) << "the parlour's match";
        EXPECT_GE(pages, 8);
        engine.term();
    }
    setEngineLogSink(nullptr);
    device->destroy();
    platform::setClock(nullptr);
    EXPECT_TRUE(log.empty()) << log.size() << " lines, the first: " << platform::toUtf8(log.front());
}

}  // namespace
