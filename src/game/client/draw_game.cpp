// What the table client draws over the table: the ability list of a choice, the result page of a
// win or a draw, the dealer's go-on prompt, each seat's character with the riichi cut-in, and the
// final result of the game.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "framework/sjis.h"
#include "game/client/mahjong_game.h"
#include "graphics/graphic.h"
#include "graphics/text_obj.h"
#include "mahjong/judgement.h"
#include "mahjong/player.h"

namespace game::client {

namespace {

constexpr int kOverlayLayer = 70;

// Each step two thirds of the one before, from the screen's width.
constexpr int kSlide[20] = {800, 533, 355, 236, 157, 104, 69, 46, 30, 20, 13, 8, 5, 3, 2, 1, 0, 0, 0, 0};

struct Pt {
    int x, y;
};
constexpr Pt kPayment[4][4] = {
    {{333, 428}, {333, 436}, {333, 444}, {331, 457}},
    {{479, 281}, {479, 289}, {479, 297}, {476, 310}},
    {{333, 129}, {333, 137}, {333, 145}, {331, 159}},
    {{191, 281}, {191, 289}, {191, 297}, {189, 310}},
};
constexpr Pt kFinalPlace[4] = {{384, 353}, {768, 116}, {691, 250}, {768, 384}};

void putUnit(TClientHost& host, const TTableSprSet& set, int unit, int layer) {
    graphics::TGrTableObj* table = host.screenTable();
    if (!table || unit < 0 || static_cast<size_t>(unit) >= set.units().size()) return;
    table->add(layer, const_cast<graphics::TSprUnitObj*>(&set.units()[static_cast<size_t>(unit)]));
}

void putFixed(TClientHost& host, int set, int unit, int layer) {
    putUnit(host, mahjongSprites().fixed[static_cast<size_t>(set)], unit, layer);
}

// A copy of a unit moved from where its set placed it.
void putMoved(TClientHost& host, const TTableSprSet& set, int unit, int layer, int x, int y) {
    graphics::TGrTableObj* table = host.screenTable();
    if (!table || unit < 0 || static_cast<size_t>(unit) >= set.units().size()) return;
    graphics::TSprObj* o = host.pushSprObj(set.units()[static_cast<size_t>(unit)]);
    if (!o) return;
    o->setPos(x, y);
    table->add(layer, o);
}

const std::string& sjis(const char* utf8) {
    static std::map<const char*, std::string> converted;
    auto it = converted.find(utf8);
    if (it == converted.end()) {
        std::string out;
        utf8ToSjis(out, utf8);
        it = converted.emplace(utf8, out).first;
    }
    return it->second;
}

// The names of the abilities by id; any id without a name is shown as invalid.
const std::string& fakeName(int id) {
    static const char* const kNames[12] = {
        "無効",           "危険牌察知",     "牌の声",     "配牌交換",   "手牌透視",  "赤ドラ増殖",
        "オープンリーチ", "カンドラリーチ", "すごいロン", "すごいツモ", "配牌交換B", "すごい和了",
    };
    return sjis(id >= 1 && id <= 11 ? kNames[id] : kNames[0]);
}

const std::string& noReadingMessage() { return sjis("TTaskMahjongGame::drawResult judgesに値がない"); }

}  // namespace

void TTaskMahjongGame::drawGame() {
    graphics::TGrTableObj* table = host().screenTable();
    if (!table) return;
    drawBackground();
    drawTable();
    drawMenu(*table);
    if (isChoosing()) {
        switch (inputState_) {
            case IN_PON:
            case IN_TI:
            case IN_KAN:
            case IN_RITI:
            case IN_FAKE:
                drawFakeList();
                break;
            case IN_RESULT:
                drawResult();
                // A win without a reading shows only the table, and the screen is left as it was.
                if (mahjong::isWinCode(mirror() ? mirror()->lastResult.code : 0) && noReadingShown_) return;
                break;
            case IN_CONTINUE:
                drawContinue();
                break;
            default:
                break;
        }
    }
    table->invalidate();
    host().invalidate();
}

void TTaskMahjongGame::drawFakeList() {
    mahjong::TPlayer* me = ownPlayer();
    graphics::TGrTableObj* table = host().screenTable();
    if (!me || !table) return;
    int row = 0;
    for (int id : me->fake.ids) {
        const u32 type = id >= 1 && id <= 11 ? mahjong::getFakeType(id) : 0x2000u;
        if (type != me->getAction()) continue;
        graphics::TTextObj* text = host().nextTextObj();
        if (!text) return;
        text->setText(fakeName(id));
        text->setPos(0, 20 * row);
        table->add(50, text);
        ++row;
    }
}

namespace {

// The reading shown for each listed winner, in the order of the result's ids.
std::vector<mahjong::TJudgePtr> winnerReadings(mahjong::TTable& t) {
    std::vector<mahjong::TJudgePtr> out;
    for (int id : t.lastResult.ids) {
        const mahjong::TPlayerPtr& p = t.getPlayer(id);
        if (!p || !p->judgement() || p->judgement()->results().empty()) continue;
        const auto& results = p->judgement()->results();
        // A nagashi's reading is appended to what the judgement held before.
        out.push_back(t.lastResult.code == mahjong::RE_NAGASHI ? results.back() : results.front());
    }
    return out;
}

}  // namespace

void TTaskMahjongGame::drawResult() {
    mahjong::TTable* t = mirror();
    if (!t) return;
    const mahjong::TRoundResult& r = t->lastResult;
    if (r.code == mahjong::RE_NONE) return;
    auto dirOf = [&](int id) { return toRelativeSeat(t->getDirection(getOwnId(), id)); };
    if (mahjong::isDrawCode(r.code)) {
        if (r.code != mahjong::RE_RYUKYOKU) return;
        for (const auto& [id, score] : r.scores) {
            const bool ready = std::find(r.ids.begin(), r.ids.end(), id) != r.ids.end();
            int n = -1;
            switch (score.total()) {
                case 1000:
                    n = 0;
                    break;
                case 1500:
                    n = 1;
                    break;
                case 3000:
                    n = 2;
                    break;
                case -1000:
                    n = 3;
                    break;
                case -1500:
                    n = 4;
                    break;
                case -3000:
                    n = 5;
                    break;
                case 0:
                    n = ready ? 6 : 7;
                    break;
                default:
                    break;
            }
            if (n >= 0) putFixed(host(), FS_TENPAI_PLATE, 8 * dirOf(id) + n, kOverlayLayer);
        }
        return;
    }

    const std::vector<mahjong::TJudgePtr> readings = winnerReadings(*t);
    if (readings.empty()) {
        if (!noReadingShown_) {
            noReadingShown_ = true;
            host().messageBox(noReadingMessage());
        }
        return;
    }
    noReadingShown_ = false;
    const size_t page = static_cast<size_t>(std::clamp(inputSubState_, 0, static_cast<int>(readings.size()) - 1));
    const mahjong::TJudge& j = *readings[page];
    const TMahjongSprites& s = mahjongSprites();
    putFixed(host(), FS_RESULT_FRAME, 0, kOverlayLayer);
    const size_t rows = std::min<size_t>(j.yaku.size(), 12);
    for (size_t i = 0; i < rows; ++i) {
        const auto [id, han] = j.yaku[i];
        const int y = static_cast<int>(i) * 12;
        putMoved(host(), s.fixed[FS_YAKU], id, kOverlayLayer, 228, 222 + y);
        if (id == 27 || id == 43) continue;
        drawNumber(kOverlayLayer, 4, 331, 224 + y, han);
        putFixed(host(), FS_HAN_ROWS, static_cast<int>(i), kOverlayLayer);
    }
    // The winner of this page: the listed id whose reading it is.
    int winnerId = -1;
    for (int id : r.ids) {
        const mahjong::TPlayerPtr& p = t->getPlayer(id);
        if (p && p->judgement() && !p->judgement()->results().empty() &&
            (p->judgement()->results().front() == readings[page] || p->judgement()->results().back() == readings[page]))
            winnerId = id;
    }
    const mahjong::TPlayerPtr& winner = t->getPlayer(winnerId);
    putFixed(host(), FS_RESULT_LABEL, winner && winner->kaze == 0 ? 1 : 0, kOverlayLayer);
    if (j.limit == mahjong::LIMIT_NONE) {
        drawNumber(kOverlayLayer, 5, 267, 375, j.fu);
        drawNumber(kOverlayLayer, 5, 339, 375, j.han - 2);
        putFixed(host(), FS_RESULT_LABEL, 2, kOverlayLayer);
        putFixed(host(), FS_RESULT_LABEL, 3, kOverlayLayer);
    } else if (j.limit <= 6) {
        putFixed(host(), FS_RESULT_LABEL, j.limit + 3, kOverlayLayer);
    } else {
        putFixed(host(), FS_RESULT_LABEL, 10, kOverlayLayer);
    }
    drawNumber(kOverlayLayer, j.limit == 0 ? 6 : j.limit <= 6 ? 7 : 8, 375, 396, j.points);
    const int indicators = std::clamp(t->deadWallOffset, 0, 5);
    for (int i = 0; i < indicators; ++i) drawTile(kOverlayLayer, 12, t->getDora(i), 224 + 13 * i, 195, false);
    if (winner && winner->ritiFlag)
        for (int i = 0; i < indicators; ++i) drawTile(kOverlayLayer, 12, t->getUraDora(i), 310 + 13 * i, 195, false);
    if (auto it = r.scores.find(winnerId); it != r.scores.end()) {
        const int d = dirOf(winnerId);
        const int parts[3] = {it->second.hand, it->second.counters, it->second.deposit};
        for (int k = 0; k < 3; ++k) drawNumber(kOverlayLayer, 9, kPayment[d][k].x, kPayment[d][k].y, parts[k]);
    }
    for (const auto& [id, score] : r.scores) {
        const int total = score.total();
        if (total == 0) continue;
        const int d = dirOf(id);
        drawNumber(kOverlayLayer, total > 0 ? 10 : 11, kPayment[d][3].x, kPayment[d][3].y, total);
        putFixed(host(), FS_PAYMENT, 2 * d + (total <= 0 ? 1 : 0), kOverlayLayer);
    }
}

void TTaskMahjongGame::drawContinue() {
    putFixed(host(), FS_CONTINUE, 0, kOverlayLayer);
    for (int i = 0; i < 2; ++i)
        if (hovered_ == i) putFixed(host(), FS_CONTINUE, i + 1, kOverlayLayer);
}

void TTaskMahjongGame::drawCharacter(int playerId) {
    auto it = images_.characters.find(playerId);
    graphics::TGrTableObj* table = host().screenTable();
    if (it == images_.characters.end() || !it->second || !table) return;
    const TTableSprSet& set = *it->second;
    const TMahjongPlayer* mp = mahjongPlayer(playerId);
    const int kind = mp ? mp->waitKind() : WAIT_NONE;
    putUnit(host(), set, 6, 60);
    putUnit(host(), set, kind >= WAIT_TI && kind <= WAIT_RON ? kind : 0, 60);
    if (kind == WAIT_TUMO) putUnit(host(), set, 8, 61);
    if (kind == WAIT_RON) putUnit(host(), set, 9, 61);
    if (kind != WAIT_RITI) return;
    const int e = std::min(80 - mp->waitFrames(), 80);
    int x = 0;
    if (e < 19)
        x = kSlide[std::max(e, 0)];
    else if (mp->waitFrames() <= 10)
        x = -kSlide[std::min(2 * (80 - e), 19)];
    if (graphics::TFillObj* dim = host().nextFillObj(0xFF000000u, 0x80)) table->add(61, dim);
    if (set.units().size() > 7) {
        const graphics::TSprUnitObj& cut = set.units()[7];
        putMoved(host(), set, 7, 61, cut.getX() + x, cut.getY());
    }
    const TTableSprSet& call = mahjongSprites().fixed[FS_RITI_CALL];
    if (!call.units().empty()) putMoved(host(), call, 0, 61, call.units()[0].getX() - x, call.units()[0].getY());
}

void TTaskMahjongGame::drawFinalResult() {
    graphics::TGrTableObj* table = host().screenTable();
    if (!table) return;
    for (int u = 0; u < 3; ++u) putFixed(host(), FS_FINAL_SCREEN, u, 0);
    for (int i = 0; i < 2; ++i) putFixed(host(), FS_FINAL_SCREEN, (hovered_ == i ? 4 : 3) + 2 * i, 0);
    const int s = kSlide[std::clamp(frameCounter_, 0, 19)];
    for (size_t p = 0; p < images_.finals.size() && p < 4; ++p) {
        const TTableSprSetPtr& set = images_.finals[p];
        if (!set) continue;
        set->setPos(p == 0 ? s : -s, 0);
        table->add(4 - static_cast<int>(p), set.get());
    }
    mahjong::TTable* t = mirror();
    if (!finalResult() || !t) {
        table->invalidate();
        return;
    }
    for (const auto& [id, placing] : finalResult()->entries) {
        if (placing < 0 || placing > 3) continue;
        const mahjong::TPlayerPtr& pl = t->getPlayer(id);
        if (!pl) continue;
        const int p = placing, layer = 4 - p, dx = p == 0 ? s : -s;
        drawNumber(layer, p == 0 ? 12 : 13, kFinalPlace[p].x + dx, kFinalPlace[p].y, pl->points);
        if (p == 0 || pl->points >= 0) continue;
        char digits[16];
        const int n = std::snprintf(digits, sizeof digits, "%d", pl->points);
        if (n >= 4 && n <= 7) putFixed(host(), FS_FINAL_DIGITS, 4 * (p - 1) + (n - 4), layer);
    }
    table->invalidate();
}

}  // namespace game::client
