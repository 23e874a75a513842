// The free-play setup: step 2 of the title hub. A rule page (game length, open tanyao), a
// character page that fills the four seats, then a match against the computer players, after
// which the setup either comes back to its rule page or returns to the title menu.
#include <algorithm>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/task_title.h"
#include "game/client/table_sprites.h"
#include "game/mode/mode_task.h"
#include "graphics/graphic.h"
#include "script/engine.h"
#include "script/memory.h"

namespace {

constexpr uint32_t kDecide = 0x10000010u;
constexpr uint32_t kCancel = 0x20000020u;
constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr int kCharacters = 14;
constexpr int kRandomButton = 14;
constexpr int kRuleItems = 6;
constexpr int kButtons = 4;

constexpr int kValues[kCharacters] = {1, 1, 2, 3, 2, 3, 4, 4, 5, 5, 6, 6, 8, 8};

// A table of records whose names are made here; the strings outlive the records that point at them.
class RecordTable {
public:
    void add(std::string name, int x, int y) {
        names_.push_back(std::move(name));
        xy_.push_back({x, y});
    }
    const graphics::SprRecord* records() {
        records_.clear();
        for (size_t i = 0; i < names_.size(); ++i) records_.push_back({names_[i].c_str(), xy_[i].first, xy_[i].second});
        records_.push_back({nullptr, 0, 0});
        return records_.data();
    }

private:
    std::deque<std::string> names_;
    std::vector<std::pair<int, int>> xy_;
    std::vector<graphics::SprRecord> records_;
};

std::string numbered(const char* format, int n) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, n);
    return buf;
}

const graphics::SprRecord kRuleSet[] = {
    {"01_haikei00.bmp", 0, 0},
    {"01_rulechange00.bmp", 0, 0},
    {"01_rule_hanchan00.argb", 342, 188},
    {"01_rule_hanchan01.argb", 342, 188},
    {"01_rule_hanchan02.argb", 342, 188},
    {"01_rule_tonpu00.argb", 226, 138},
    {"01_rule_tonpu01.argb", 226, 138},
    {"01_rule_tonpu02.argb", 226, 138},
    {"01_rule_ari00.argb", 256, 273},
    {"01_rule_ari01.argb", 256, 273},
    {"01_rule_ari02.argb", 256, 273},
    {"01_rule_nashi00.argb", 368, 323},
    {"01_rule_nashi01.argb", 368, 323},
    {"01_rule_nashi02.argb", 368, 323},
    {"01_button_ok00.argb", 298, 415},
    {"01_button_ok01.argb", 298, 415},
    {"01_button_ok02.argb", 298, 415},
    {"01_button_back00.bmp", 0, 579},
    {"01_button_back01.bmp", 0, 579},
    {"01_button_back01.bmp", 0, 579},
    {nullptr, 0, 0},
};

const graphics::SprRecord kButtonSet[] = {
    {"01_haikei00.bmp", 0, 0},
    {"01_button_start00.argb", 10, 463},
    {"01_button_start02.argb", 10, 463},
    {"01_button_start01.argb", 10, 463},
    {"01_button_config00.argb", 216, 226},
    {"01_button_config01.argb", 216, 226},
    {"01_button_config02.argb", 216, 226},
    {"01_button_option00.bmp", 149, 463},
    {"01_button_option01.bmp", 149, 463},
    {"01_button_option01.bmp", 149, 463},
    {"01_button_back00.bmp", 0, 579},
    {"01_button_back01.bmp", 0, 579},
    {"01_button_back01.bmp", 0, 579},
    {nullptr, 0, 0},
};

const graphics::SprRecord kSummarySet[] = {
    {"01_kind00.argb", 17, 472},
    {"01_kind01.argb", 17, 472},
    {"01_kuitan00.argb", 17, 492},
    {"01_kuitan01.argb", 17, 492},
    {"01_dora02.argb", 107, 472},
    {"01_dora01.argb", 107, 492},
    {nullptr, 0, 0},
};

constexpr int kSeatPicture[4][2] = {{9, 228}, {113, 228}, {9, 344}, {113, 344}};
constexpr int kSeatName[4][2] = {{9, 315}, {113, 315}, {9, 431}, {113, 431}};

using setupsprites::append;
using setupsprites::hits;

void refresh(graphics::TSprUnitSet& set, int index) {
    if (graphics::TSprUnitObj* u = setupsprites::unit(set, index)) u->invalidate();
}

}  // namespace

TRuleSetupSprites& ruleSetupSprites() {
    static TRuleSetupSprites sprites;
    return sprites;
}

int characterValue(int character) { return character >= 0 && character < kCharacters ? kValues[character] : 1; }

bool loadRuleSetupSprites() {
    TRuleSetupSprites& s = ruleSetupSprites();
    s.images.setFolder("mj.pak");
    s.rule.createFromTable(kRuleSet, s.images);
    s.button.createFromTable(kButtonSet, s.images);
    RecordTable select, preview, plate, character, name;
    for (int c = 0; c <= kRandomButton; ++c)
        for (int k = 0; k < 3; ++k)
            select.add(numbered("01_select%02d", c == kRandomButton ? 99 : c) + numbered("%02d.bmp", k), 50 * c, 13);
    for (int c = 0; c < kCharacters; ++c) {
        preview.add(numbered("01_preview%02d.argb", c), 200, 0);
        plate.add(numbered("01_prename%02d.argb", c), 200, 0);
    }
    for (int seat = 0; seat < 4; ++seat) {
        character.add("01_character99.argb", kSeatPicture[seat][0], kSeatPicture[seat][1]);
        for (int c = 0; c < kCharacters; ++c) {
            character.add(numbered("01_character%02d.argb", c), kSeatPicture[seat][0], kSeatPicture[seat][1]);
            name.add(numbered("01_name%02d.argb", c), kSeatName[seat][0], kSeatName[seat][1]);
        }
    }
    s.select.createFromTable(select.records(), s.images);
    s.preview.createFromTable(preview.records(), s.images);
    s.namePlate.createFromTable(plate.records(), s.images);
    s.character.createFromTable(character.records(), s.images);
    s.name.createFromTable(name.records(), s.images);
    s.summary.createFromTable(kSummarySet, s.images);
    return true;
}

void TTaskTitle::updateSetup() {
    TMainFrame& f = frame();
    TInput& in = f.input();
    TRuleSetupSprites& s = ruleSetupSprites();
    const int players = rule_ ? rule_->players : 4;
    switch (subStep()) {
        case 0: {
            page_ = 0;
            loadRuleSetupSprites();
            rule_.reset(new mahjong::TRule);
            rule_->setDefault();
            chosen_.clear();
            TG2Memory* memory = f.g2().memory();
            for (int k = 0; k < 10; ++k) secret_[k] = memory && memory->getBool("@mj_secret", k);
            previewIndex_ = -1;
            previewSlide_ = 0;
            setSubStep(1);
            break;
        }
        case 1:
            playMusic(numbered("bgm\\bgm%02d.ogg", 0));
            fadeIn(500);
            setSubStep(200);
            break;
        case 200:
            page_ = 2;
            setSubStep(210);
            [[fallthrough]];
        case 210:
            resetTracking(setupHover_);
            setSubStep(211);
            [[fallthrough]];
        case 211: {
            const int before = setupHover_;
            if (in.isMouseAction()) {
                setupHover_ = -1;
                for (int i = 0; i < kRuleItems; ++i)
                    if (hits(s.rule, 3 * i + 2, in.cursorX(), in.cursorY())) setupHover_ = i;
            }
            if ((in.pressedBits() & kDecide) && setupHover_ >= 0) {
                setSubStep(212);
            } else if (in.pressedBits() & kCancel) {
                setupHover_ = 5;
                setSubStep(212);
            }
            if (setupHover_ != before) {
                if (before >= 0) refresh(s.rule, 3 * before + 2);
                if (setupHover_ >= 0) refresh(s.rule, 3 * setupHover_ + 2);
            }
            break;
        }
        case 212:
            switch (setupHover_) {
                case 4:
                    setSubStep(300);
                    break;
                case 5:
                    setSubStep(500);
                    break;
                case 0:
                case 1:
                    rule_->gameLength = setupHover_;
                    setSubStep(210);
                    break;
                case 2:
                case 3:
                    rule_->openTanyao = setupHover_ == 2;
                    setSubStep(210);
                    break;
                default:
                    setSubStep(210);
                    break;
            }
            break;
        case 300:
            page_ = 3;
            setSubStep(310);
            [[fallthrough]];
        case 310:
            resetTracking(setupHover_);
            setSubStep(311);
            [[fallthrough]];
        case 311: {
            const int before = setupHover_;
            const int count = static_cast<int>(chosen_.size());
            if (in.isMouseAction()) {
                const int x = in.cursorX(), y = in.cursorY();
                setupHover_ = -1;
                for (int b : {0, 2, 3}) {
                    if (b == 0 && count < players) continue;
                    if (hits(s.button, 3 * b + 1, x, y)) setupHover_ = b;
                }
                if (count < players)
                    for (int c = 0; c <= kRandomButton; ++c)
                        if (!isCharacterLocked(c) && hits(s.select, 3 * c, x, y)) setupHover_ = 4 + c;
            }
            if ((in.pressedBits() & kDecide) && setupHover_ >= 0) {
                setSubStep(312);
            } else if (in.pressedBits() & kCancel) {
                if (chosen_.empty()) {
                    setupHover_ = 2;
                    setSubStep(312);
                } else {
                    chosen_.pop_back();
                    if (graphics::TGraphic* g = graphics::graphic()) g->invalidate();
                }
            }
            if (setupHover_ != before)
                if (graphics::TGraphic* g = graphics::graphic()) g->invalidate();
            break;
        }
        case 312:
            if (setupHover_ == 0) {
                setSubStep(400);
            } else if (setupHover_ == 2) {
                setSubStep(200);
            } else if (setupHover_ == 3) {
                setSubStep(500);
            } else if (setupHover_ >= 4) {
                int c = setupHover_ - 4;
                if (c == kRandomButton) {
                    // Four characters are never locked, so with a seat still empty one of them is
                    // free; the bound only guards a rule with more seats than open characters.
                    c = -1;
                    for (int tries = 0; tries < 100000 && c < 0; ++tries) {
                        const int r = static_cast<int>(f.random().next() % kCharacters);
                        if (!isCharacterLocked(r) && std::find(chosen_.begin(), chosen_.end(), r) == chosen_.end())
                            c = r;
                    }
                }
                if (c >= 0) chosen_.push_back(c);
                if (graphics::TGraphic* g = graphics::graphic()) g->invalidate();
                setSubStep(310);
            } else {
                setSubStep(310);
            }
            break;
        case 400:
            stopMusic();
            fadeOut(200, kBlack);
            setSubStep(401);
            break;
        case 401:
            if (fadeDone()) {
                page_ = 4;
                initMahjongAlone();
                game_ = new TTaskMahjongAlone;
                game_->setRule(*rule_);
                game_->createProfiles(rule_->players);
                for (int i = 0; i < 4 && i < static_cast<int>(chosen_.size()); ++i) {
                    const int c = chosen_[i];
                    game_->setProfile(i, numbered("%d", i), static_cast<uint32_t>(c), characterValue(c),
                                      characterValue(c));
                }
                if (f.add(kTaskMatch, game_, 0) < 0) {
                    delete game_;
                    game_ = nullptr;
                    continue_ = true;
                    setSubStep(404);
                    return;
                }
                fadeIn(300);
                setSubStep(402);
            }
            return;
        case 402:
            if (!game_ || game_->isFinished()) {
                fadeOut(200, kWhite);
                setSubStep(403);
            }
            return;
        case 403:
            if (fadeDone()) {
                continue_ = game_ && game_->isRetry();
                if (game_) game_->kill();
                game_ = nullptr;
                setSubStep(404);
            }
            return;
        case 404:
            game::client::releaseMahjongSprites();
            if (continue_) {
                fadeIn(500);
                setSubStep(200);
            } else {
                setStep(1, 0);
            }
            return;
        case 500:
            stopMusic();
            fadeOut(200, kWhite);
            setSubStep(501);
            return;
        case 501:
            if (fadeDone()) setStep(1, 0);
            return;
        default:
            break;
    }
    if (page_ < 4)
        if (graphics::TGrTableObj* t = table()) drawSetup(*t);
}

void TTaskTitle::drawSetup(graphics::TGrTableObj& t) {
    TRuleSetupSprites& s = ruleSetupSprites();
    const int players = rule_ ? rule_->players : 4;
    const int count = static_cast<int>(chosen_.size());
    for (int c = 0; c <= kRandomButton; ++c) {
        int state = -1;
        if (isCharacterLocked(c)) state = 2;
        if (std::find(chosen_.begin(), chosen_.end(), c) != chosen_.end()) state = 1;
        if (page_ == 3 && setupHover_ == 4 + c) {
            state = 0;
            if (c != previewIndex_) {
                previewIndex_ = c;
                previewSlide_ = 6400;
            }
        }
        if (state >= 0) append(t, 10, s.select, 3 * c + state);
    }
    for (int seat = 0; seat < count && seat < 4; ++seat) {
        const int c = chosen_[seat];
        append(t, 20, s.character, 15 * seat + 1 + c);
        append(t, 20, s.name, 14 * seat + c);
    }
    if (rule_) {
        append(t, 20, s.summary, rule_->gameLength == 0 ? 0 : 1);
        append(t, 20, s.summary, rule_->openTanyao ? 2 : 3);
    }
    append(t, 20, s.summary, 4);
    append(t, 20, s.summary, 5);
    if (page_ == 2) {
        append(t, 21, s.rule, 0);
        append(t, 21, s.rule, 1);
        for (int i = 0; i < kRuleItems; ++i) {
            int state = 0;
            if (rule_ && ((i == 0 && rule_->gameLength == 0) || (i == 1 && rule_->gameLength == 1) ||
                          (i == 2 && rule_->openTanyao) || (i == 3 && !rule_->openTanyao)))
                state = 2;
            if (i == setupHover_) state = 1;
            append(t, 22, s.rule, 3 * i + 2 + state);
        }
        return;
    }
    if (page_ != 3) return;
    append(t, 0, s.button, 0);
    for (int b = 0; b < kButtons; ++b) {
        int state = b == 1 ? -1 : 0;
        if (b == 0 && count == players) state = 2;
        if (b == setupHover_) state = 1;
        if (state >= 0) append(t, 10, s.button, 3 * b + 1 + state);
    }
    if (count < players) append(t, 20, s.character, 15 * count);
    if (previewIndex_ >= 0 && previewIndex_ < kCharacters) {
        if (graphics::TSprUnitObj* unit = setupsprites::unit(s.preview, previewIndex_)) {
            graphics::TSprObj* copy = frame().pushSprObj(*unit);
            copy->moveBy(previewSlide_ / 10, 0);
            t.add(30, copy);
            if (previewSlide_ > 0)
                if (graphics::TGraphic* g = graphics::graphic()) g->invalidate();
            previewSlide_ = previewSlide_ * 80 / 100;
            if (previewSlide_ == 0) append(t, 30, s.namePlate, previewIndex_);
        }
    }
}
