#include "game/client/table_sprites.h"

#include "game/client/mahjong_game.h"

#include <cstdio>
#include <string>

namespace game::client {

using graphics::SprRecord;
using graphics::SprRectRecord;

namespace {

const char* const kFontImages[kDigitFontCount] = {
    "02_honbasu00.argb",    "02_zanpai00.argb",     "02_ten00.argb",        "02_tensa00.argb",
    "03_hansu00.bmp",       "03_huhansu00.bmp",     "03_goukeitensu00.bmp", "03_goukeitensu10.bmp",
    "03_goukeitensu20.bmp", "03_horabarisu00.argb", "03_syutunyusu00.argb", "03_syutunyusu01.argb",
    "suuzi04top00.argb",    "suuzi04top10.argb",
};

struct SheetForm {
    const char* image;
    int w, h;
    int extra[5];  // the columns of chips 36 to 40 in the fifth row
};

const SheetForm kSheets[13] = {
    {"02_pai000.bmp", 23, 37, {0, 1, 2, 2, 2}},     {"02_pai001.bmp", 23, 37, {0, 1, 2, 2, 2}},
    {"02_pai002.bmp", 23, 37, {0, 1, 2, 2, 2}},     {"02_pai003.bmp", 23, 37, {0, 1, 2, 2, 2}},
    {"02_pai010.argb", 21, 32, {0, 1, 2, 3, 4}},    {"02_pai011.argb", 21, 32, {0, 1, 2, 3, 4}},
    {"02_pai110.argb", 30, 25, {0, 1, 2, 3, 3}},    {"02_pai111.argb", 30, 25, {0, 1, 2, 3, 3}},
    {"02_pai210.argb", 21, 32, {0, 1, 2, 3, 4}},    {"02_pai211.argb", 21, 32, {0, 1, 2, 3, 4}},
    {"02_pai310.argb", 30, 25, {0, 1, 2, 2, 2}},    {"02_pai311.argb", 30, 25, {0, 1, 2, 3, 3}},
    {"03_horadora00.bmp", 13, 16, {0, 1, 2, 2, 2}},
};

// Names are built once and kept: the record tables point into them.
struct FixedTables {
    std::vector<std::string> names;
    std::array<std::vector<SprRecord>, FS_COUNT> sets;

    void add(int set, const std::string& name, int x, int y) {
        names.push_back(name);
        sets[set].push_back({nullptr, x, y});
        pending.emplace_back(set, sets[set].size() - 1);
    }
    void finish() {
        // The strings are stored before the pointers are taken: a growing vector moves them.
        for (size_t i = 0; i < pending.size(); ++i) sets[pending[i].first][pending[i].second].name = names[i].c_str();
        for (auto& s : sets) s.push_back({nullptr, 0, 0});
    }
    std::vector<std::pair<int, size_t>> pending;
};

std::string num(const char* format, int n) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, n);
    return buf;
}

const FixedTables& fixedTables() {
    static const FixedTables tables = [] {
        FixedTables t;
        const int buttonX[10] = {274, 233, 192, 315, 356, 356, 403, 403, 670, 608};
        const int buttonImage[10] = {0, 1, 2, 3, 4, 5, 6, 7, 9, 8};
        for (int k = 0; k < 10; ++k)
            for (int v = 0; v < 3; ++v)
                t.add(FS_BUTTONS, num("02_bot0%02d.bmp", buttonImage[k] * 10 + v), buttonX[k], 561);
        t.add(FS_BACKGROUND, "02_haikei00.bmp", 0, 0);
        for (int i = 0; i < 8; ++i) t.add(FS_ROUND_PLATE, num("02_ba%02d.bmp", i), 203, 239);
        for (int d = 0; d < 2; ++d)
            for (int i = 0; i < 6; ++i) t.add(FS_DICE, num("02_sai%02d.bmp", i), d ? 366 : 351, 262);
        const int stick[4][2] = {{277, 347}, {389, 277}, {277, 238}, {204, 277}};
        for (int i = 0; i < 4; ++i) t.add(FS_RITI_STICK, num("02_riti%02d.argb", i), stick[i][0], stick[i][1]);
        const int dealer[4][2] = {{154, 446}, {493, 372}, {379, 57}, {57, 177}};
        for (int i = 0; i < 4; ++i) t.add(FS_FIRST_DEALER, num("02_titya%02d.argb", i), dealer[i][0], dealer[i][1]);
        for (int r = 0; r < 4; ++r)
            for (int i = 0; i < 4; ++i) t.add(FS_WIND, num("02_kaze%02d.argb", r * 10 + i), 186, 182);
        for (int i = 0; i < 4; ++i) t.add(FS_TURN, num("02_zyun%02d.argb", i), 0, 0);
        const int diff[3][2] = {{563, 584}, {552, 132}, {75, 143}};
        for (int i = 0; i < 3; ++i) {
            t.add(FS_DIFF_PLATE, "02_tensa10.argb", diff[i][0], diff[i][1]);
            t.add(FS_DIFF_PLATE, "02_tensa11.argb", diff[i][0], diff[i][1]);
        }
        t.add(FS_CONTINUE, "02_zokkou00.argb", 0, 0);
        t.add(FS_CONTINUE, "02_zokkou10.bmp", 238, 287);
        t.add(FS_CONTINUE, "02_zokkou20.bmp", 312, 287);
        t.add(FS_RITI_CALL, "02_ritisengen00.argb", 178, 264);
        t.add(FS_RESULT_FRAME, "03_bg00.argb", 0, 0);
        t.add(FS_RESULT_FRAME, "03_ok00.argb", 436, 446);
        t.add(FS_RESULT_FRAME, "03_ok01.argb", 436, 446);
        for (int k = 0; k < 12; ++k) t.add(FS_HAN_ROWS, "03_han00.bmp", 344, 222 + 12 * k);
        for (int y = 0; y < 44; ++y) t.add(FS_YAKU, num("03_yaku%02d.bmp", y), 0, 0);
        t.add(FS_RESULT_LABEL, "03_oyako00.bmp", 222, 374);
        t.add(FS_RESULT_LABEL, "03_oyako01.bmp", 222, 374);
        t.add(FS_RESULT_LABEL, "03_huhan00.bmp", 267, 374);
        t.add(FS_RESULT_LABEL, "03_huhan01.bmp", 339, 374);
        for (int i = 0; i < 7; ++i) t.add(FS_RESULT_LABEL, num("03_mangan%02d.bmp", i), 220, 396);
        const int pay[4][2] = {{266, 457}, {411, 310}, {266, 159}, {124, 310}};
        for (int i = 0; i < 4; ++i) {
            t.add(FS_PAYMENT, "03_syutunyusu10.argb", pay[i][0], pay[i][1]);
            t.add(FS_PAYMENT, "03_syutunyusu11.argb", pay[i][0], pay[i][1]);
        }
        for (int i = 0; i < 6; ++i) t.add(FS_DRAW_BANNER, num("02_ba%02d.argb", 10 + i), 0, 219);
        const int plate[4][2] = {{98, 331}, {357, 321}, {347, 88}, {78, 108}};
        for (int r = 0; r < 4; ++r)
            for (int i = 0; i < 8; ++i)
                t.add(FS_TENPAI_PLATE, num("02_notenpai%02d.argb", r * 10 + i), plate[r][0], plate[r][1]);
        t.add(FS_FINAL_SCREEN, "04_haikei00.bmp", 0, 0);
        t.add(FS_FINAL_SCREEN, "04_result00.argb", 0, 17);
        t.add(FS_FINAL_SCREEN, "04_result10.argb", 250, 300);
        t.add(FS_FINAL_SCREEN, "04_ok00.argb", 672, 544);
        t.add(FS_FINAL_SCREEN, "04_ok01.argb", 672, 544);
        t.add(FS_FINAL_SCREEN, "04_exit00.argb", 723, 579);
        t.add(FS_FINAL_SCREEN, "04_exit01.argb", 723, 579);
        const int digitY[3] = {116, 250, 384};
        const int digitX[3][4] = {{676, 653, 630, 607}, {599, 576, 553, 530}, {676, 653, 630, 607}};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c) t.add(FS_FINAL_DIGITS, "suuzi04top20.argb", digitX[r][c], digitY[r]);
        t.finish();
        return t;
    }();
    return tables;
}

// The character table: per row, ten records {format, x, y}.
const SprRecord kCharacter[4][11] = {
    {{"02_kao00%02d.bmp", 5, 454},
     {"02_kao01%02d.argb", 0, 300},
     {"02_kao02%02d.argb", 0, 300},
     {"02_kao03%02d.argb", 0, 300},
     {"02_kao04%02d.argb", 0, 300},
     {"02_kao05%02d.argb", 0, 300},
     {"02_name%02d.argb", 9, 566},
     {"02_cutin00%02d.bmp", 0, 94},
     {"02_aga0%02d.bmp", 0, 0},
     {"02_aga1%02d.bmp", 0, 0},
     {nullptr, 0, 0}},
    {{"02_kao10%02d.bmp", 493, 457},
     {"02_kao11%02d.argb", 287, 300},
     {"02_kao12%02d.argb", 287, 300},
     {"02_kao13%02d.argb", 287, 300},
     {"02_kao14%02d.argb", 287, 300},
     {"02_kao15%02d.argb", 287, 300},
     {"02_name%02d.argb", 493, 561},
     {"02_cutin00%02d.bmp", 0, 94},
     {"02_aga0%02d.bmp", 0, 0},
     {"02_aga1%02d.bmp", 0, 0},
     {nullptr, 0, 0}},
    {{"02_kao10%02d.bmp", 482, 5},
     {"02_kao21%02d.argb", 286, 0},
     {"02_kao22%02d.argb", 286, 0},
     {"02_kao23%02d.argb", 286, 0},
     {"02_kao24%02d.argb", 286, 0},
     {"02_kao25%02d.argb", 286, 0},
     {"02_name%02d.argb", 482, 109},
     {"02_cutin00%02d.bmp", 0, 94},
     {"02_aga0%02d.bmp", 0, 0},
     {"02_aga1%02d.bmp", 0, 0},
     {nullptr, 0, 0}},
    {{"02_kao10%02d.bmp", 5, 16},
     {"02_kao31%02d.argb", 0, 0},
     {"02_kao32%02d.argb", 0, 0},
     {"02_kao33%02d.argb", 0, 0},
     {"02_kao34%02d.argb", 0, 0},
     {"02_kao35%02d.argb", 0, 0},
     {"02_name%02d.argb", 5, 120},
     {"02_cutin00%02d.bmp", 0, 94},
     {"02_aga0%02d.bmp", 0, 0},
     {"02_aga1%02d.bmp", 0, 0},
     {nullptr, 0, 0}},
};

const SprRecord kFinal[4][3] = {
    {{"04_winch00%02d.argb", -100, 0}, {"04_winmes%02d.argb", 253, 392}, {nullptr, 0, 0}},
    {{"04_winch01%02d.argb", 389, 0}, {nullptr, 0, 0}, {nullptr, 0, 0}},
    {{"04_winch02%02d.argb", 312, 0}, {nullptr, 0, 0}, {nullptr, 0, 0}},
    {{"04_winch03%02d.argb", 389, 0}, {nullptr, 0, 0}, {nullptr, 0, 0}},
};

}  // namespace

TMahjongSprites& mahjongSprites() {
    static TMahjongSprites sprites;
    return sprites;
}

graphics::RECT chipCell(int sheet, int chip) {
    if (sheet < 0 || sheet >= 13 || chip < 0 || chip >= kChipCount) return {};
    const SheetForm& f = kSheets[sheet];
    const int col = chip < 36 ? chip % 9 : f.extra[chip - 36];
    const int row = chip < 36 ? chip / 9 : 4;
    return {col * f.w, row * f.h, (col + 1) * f.w, (row + 1) * f.h};
}

bool loadMahjongSprites() {
    TMahjongSprites& s = mahjongSprites();
    s.images.setFolder("mj.pak");
    s.fonts.assign(kDigitFontCount, graphics::TAsciiFont());
    for (int i = 0; i < kDigitFontCount; ++i) s.fonts[i].create(s.images.load(kFontImages[i]), 10, 1, '0', '9');
    s.sheets.assign(kTileSheetCount, TTableSprSet());
    for (int sheet = 0; sheet < 13; ++sheet) {
        SprRectRecord table[kChipCount + 1] = {};
        for (int c = 0; c < kChipCount; ++c) {
            const graphics::RECT r = chipCell(sheet, c);
            table[c] = {kSheets[sheet].image, 0, 0, r.left, r.top, r.right - r.left, r.bottom - r.top};
        }
        s.sheets[sheet].createFromTable(table, s.images);
    }
    const SprRecord right[] = {{"02_pai100.bmp", 0, 0}, {nullptr, 0, 0}};
    const SprRecord left[] = {{"02_pai300.bmp", 0, 0}, {nullptr, 0, 0}};
    s.sheets[14].createFromTable(right, s.images);
    s.sheets[16].createFromTable(left, s.images);
    const FixedTables& t = fixedTables();
    const int order[FS_COUNT] = {1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    for (int i : order) s.fixed[i].createFromTable(t.sets[i].data(), s.images);
    return true;
}

void releaseMahjongSprites() {
    TMahjongSprites& s = mahjongSprites();
    // Units and glyphs point at the surfaces about to be freed: they go first, so that nothing
    // drawn before the next load reaches freed pictures.
    for (TTableSprSet& set : s.sheets) set.units().clear();
    for (TTableSprSet& set : s.fixed) set.units().clear();
    s.fonts.assign(s.fonts.size(), graphics::TAsciiFont());
    s.images.clear();
}

bool TTaskMahjongGame::openImages() {
    images_.images.setFolder("mj.pak");
    images_.black.setup(800, 600, 0xFF000000u, 255);
    images_.white.setup(800, 600, 0xFFFFFFFFu, 255);
    return true;
}

void TTaskMahjongGame::loadCharacter(int playerId, int direction) {
    const TPlayerPtr player = getPlayer(playerId);
    if (!player || !player->profile()) return;
    images_.characters[playerId] =
        buildCharacterSet(images_.images, toRelativeSeat(direction), static_cast<int>(player->profile()->character()));
}

void TTaskMahjongGame::loadFinalResult() {
    if (!finalResult()) return;
    images_.finals.assign(4, TTableSprSetPtr());
    for (const auto& [id, placing] : finalResult()->entries) {
        const TPlayerPtr player = getPlayer(id);
        if (placing < 0 || placing > 3 || !player || !player->profile()) continue;
        images_.finals[static_cast<size_t>(placing)] =
            buildFinalResultSet(images_.images, placing, static_cast<int>(player->profile()->character()));
    }
}

void TTaskMahjongGame::releaseImages() {
    images_.characters.clear();
    images_.finals.clear();
    images_.images.clear();
}

TTableSprSetPtr buildCharacterSet(graphics::TSurfaceSet& set, int row, int chara) {
    if (row < 0 || row > 3) row = 0;
    TTableSprSetPtr out(new TTableSprSet);
    out->createFromFormatTable(set, kCharacter[row], chara);
    return out;
}

TTableSprSetPtr buildFinalResultSet(graphics::TSurfaceSet& set, int placing, int chara) {
    if (placing < 0 || placing > 3) return {};
    TTableSprSetPtr out(new TTableSprSet);
    out->createFromFormatTable(set, kFinal[placing], chara);
    return out;
}

}  // namespace game::client
