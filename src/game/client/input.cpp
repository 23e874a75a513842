// The human's choices: the action menu, the option switches and the tile choices that follow
// a pon, chi, kan or riichi. Each handler takes one step per frame; what it chooses goes into
// the own seat on the mirror, from which the round play builds the answer.
#include "game/client/mahjong_game.h"
#include "game/client/menu.h"
#include "game/client/table_sprites.h"
#include "graphics/graphic.h"
#include "mahjong/player.h"

namespace game::client {

namespace {

// The hand tile's cell on the upright hand sheet.
constexpr int kTeWidth = 23;
constexpr int kTeHeight = 37;

// Every hand kind whose tiles may be chosen: tiles in melds are never candidates.
bool freeTile(const mahjong::TPaiArray& hand, int i) { return hand[static_cast<size_t>(i)].isFree(); }

}  // namespace

bool hasMenuAction(u32 mask, int k) {
    switch (k) {
        case MENU_KAN:
            return (mask & 0xC) != 0;
        case MENU_PON:
            return (mask & 0x1) != 0;
        case MENU_TI:
            return (mask & 0x2) != 0;
        case MENU_RITI:
            return (mask & 0x10) != 0;
        case MENU_TUMO:
            return (mask & 0x40) != 0;
        case MENU_RON:
            return (mask & 0x20) != 0;
        case MENU_CANCEL:
            return (mask & 0x8000) != 0;
        case MENU_KYUSHU:
            return (mask & 0x80) != 0;
        default:
            return false;
    }
}

u32 menuActionBit(u32 mask, int k) {
    static const u32 bits[8] = {0, 0x1, 0x2, 0x10, 0x40, 0x20, 0x8000, 0x80};
    if (k >= MENU_HAND) return 0x100;
    if (k == MENU_KAN) return (mask & 0x4) ? 0x4 : 0x8;
    if (k < 0 || k > 7) return 0;
    return bits[k];
}

TClientRect TTaskMahjongGame::getTeRect(int p, bool separated) {
    const int left = separated ? 136 + kTeWidth * (p - 1) + 26 : 136 + kTeWidth * p;
    return {left, 509, left + kTeWidth, 509 + kTeHeight};
}

TClientRect TTaskMahjongGame::actionImageRect(int image) const {
    const auto& units = mahjongSprites().fixed[FS_BUTTONS].units();
    if (image < 0 || static_cast<size_t>(image) >= units.size()) return {};
    const graphics::RECT r = units[static_cast<size_t>(image)].getRect();
    return {r.left, r.top, r.right, r.bottom};
}

namespace {

TClientRect unitRect(int set, int unit) {
    const auto& units = mahjongSprites().fixed[static_cast<size_t>(set)].units();
    if (unit < 0 || static_cast<size_t>(unit) >= units.size()) return {};
    const graphics::RECT r = units[static_cast<size_t>(unit)].getRect();
    return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

TClientRect TTaskMahjongGame::continueButtonRect(int index) const {
    return index == 0 || index == 1 ? unitRect(FS_CONTINUE, 1 + index) : TClientRect{};
}

TClientRect TTaskMahjongGame::endButtonRect(int index) const {
    return index == 0 || index == 1 ? unitRect(FS_FINAL_SCREEN, 3 + 2 * index) : TClientRect{};
}

void TTaskMahjongGame::drawMenu(graphics::TGrTableObj& table) const {
    constexpr int kMenuLayer = 50;
    auto& units = mahjongSprites().fixed[FS_BUTTONS].units();
    if (units.size() < 30) return;  // the pictures are not loaded
    auto put = [&](int image) { table.add(kMenuLayer, &units[static_cast<size_t>(image)]); };
    const bool on[2] = {winAtOnce_, ritiAtOnce_};
    for (int k = MENU_OPT_WIN; k <= MENU_OPT_RITI; ++k)
        put(3 * k + ((hoveredOption_ == k || on[k - MENU_OPT_WIN]) ? 2 : 1));
    if (!isChoosing() || inputState_ != IN_MENU) return;
    for (int k = 0; k < 10; ++k) {
        if (hasMenuAction(choiceActions_, k))
            put(3 * k + (hovered_ == k ? 2 : 1));
        else if (hasMenuAction(choiceMenu_, k))
            put(3 * k);
    }
}

void TTaskMahjongGame::updateOptionButtons() {
    if (host().isMouseAction()) {
        hoveredOption_ = -1;
        const int x = host().mouseX(), y = host().mouseY();
        if (actionImageRect(3 * MENU_OPT_WIN).contains(x, y)) hoveredOption_ = MENU_OPT_WIN;
        if (actionImageRect(3 * MENU_OPT_RITI).contains(x, y)) hoveredOption_ = MENU_OPT_RITI;
    }
    if (hoveredOption_ >= 0 && confirmed()) {
        if (hoveredOption_ == MENU_OPT_WIN)
            winAtOnce_ = !winAtOnce_;
        else
            ritiAtOnce_ = !ritiAtOnce_;
        host().invalidate();
    }
}

// A new hover step: nothing hovered or raised, and a hit test due on the next frame.
void TTaskMahjongGame::beginStep() {
    highlight_.clear();
    beginScreen();
    setInputSubState(-1);
}

int TTaskMahjongGame::hoverCandidates(bool separateDrawn, bool firstWins) {
    mahjong::TPlayer* me = ownPlayer();
    hovered_ = -1;
    highlight_.clear();
    const mahjong::TPaiArray& hand = me->hand;
    const int x = host().mouseX(), y = host().mouseY();
    int p = 0;
    for (int i = 0; i < static_cast<int>(hand.size()); ++i) {
        if (!freeTile(hand, i)) continue;
        const int position = p++;
        if (!selTeSet_.has(i)) continue;
        const bool drawn = separateDrawn && me->isTumoPai(i);
        if (!getTeRect(position, drawn).contains(x, y)) continue;
        hovered_ = MENU_HAND + i;
        highlight_.clear();
        for (const TSelTeSet::TCandidate& c : selTeSet_.at(i)) highlight_.insert(c.begin(), c.end());
        if (firstWins) break;
    }
    return hovered_;
}

// The hover-and-pick frame shared by the tile choices: confirm moves to `next`, cancel back to
// the menu with the same masks.
void TTaskMahjongGame::pickTile(bool separateDrawn, bool firstWins, int next) {
    const int before = hovered_;
    if (host().isMouseAction()) hoverCandidates(separateDrawn, firstWins);
    if (hovered_ != before) host().invalidate();
    if (confirmed() && hovered_ >= MENU_HAND) {
        setInputSubState(next);
    } else if (cancelled()) {
        selTeSet_.clear();
        highlight_.clear();
        setInputState(IN_MENU);
        // The menu's candidates are built again; the choice itself goes on.
        setInputSubState(0);
    }
}

void TTaskMahjongGame::selectAction() {
    mahjong::TPlayer* me = ownPlayer();
    if (!me) return;
    const mahjong::TPaiArray& hand = me->hand;
    const int count = static_cast<int>(hand.size());
    const u32 allowed = choiceActions_;
    switch (inputSubState_) {
        case 0:
            selTeSet_.clear();
            if (allowed & 0x100) {
                for (int i = 0; i < count; ++i) {
                    if (!freeTile(hand, i)) continue;
                    if (me->ritiFlag && i != count - 1) continue;
                    selTeSet_.add(0, i, {i});
                }
            }
            setInputSubState(-1);
            return;
        case 1:
            beginStep();
            return;
        case 2: {
            const int before = hovered_;
            if (host().isMouseAction()) {
                hovered_ = -1;
                highlight_.clear();
                const int x = host().mouseX(), y = host().mouseY();
                for (int k = 0; k < 10; ++k)
                    if (hasMenuAction(allowed, k) && actionImageRect(3 * k).contains(x, y)) hovered_ = k;
                if (allowed & 0x100) {
                    int p = 0;
                    for (int i = 0; i < count; ++i) {
                        if (!freeTile(hand, i)) continue;
                        const int position = p++;
                        TClientRect r;
                        if (me->isTumoPai(i))
                            r = getTeRect(position, true);
                        else if (!me->ritiFlag)
                            r = getTeRect(position, false);
                        if (r.empty() || !r.contains(x, y)) continue;
                        hovered_ = MENU_HAND + i;
                        highlight_.insert(i);
                    }
                }
            }
            bool chosen = false;
            if ((allowed & 0x20) && winAtOnce_) {
                hovered_ = MENU_RON;
                chosen = true;
            } else if ((allowed & 0x40) && winAtOnce_) {
                hovered_ = MENU_TUMO;
                chosen = true;
            } else if (!(allowed & 0x60) && me->ritiFlag && (allowed & 0x100) && ritiAtOnce_ && count > 0) {
                hovered_ = MENU_HAND + count - 1;
                chosen = true;
            } else if (confirmed() && hovered_ >= 0) {
                chosen = true;
            } else if (cancelled() && (allowed & 0x8000)) {
                hovered_ = MENU_CANCEL;
                chosen = true;
            }
            if (hovered_ != before) host().invalidate();
            if (chosen) setInputSubState(-1);
            return;
        }
        case 3: {
            selTeSet_.clear();
            highlight_.clear();
            if (hovered_ < MENU_HAND) {
                const u32 bit = menuActionBit(allowed, hovered_);
                me->setAction(bit);
                switch (bit) {
                    case 0x10:
                        setInputState(IN_RITI);
                        break;
                    case 0x1:
                        setInputState(IN_PON);
                        break;
                    case 0x2:
                        setInputState(IN_TI);
                        break;
                    case 0x8:
                        setInputState(IN_KAN);
                        break;
                    default:
                        setInputState(IN_DONE);
                        break;
                }
            } else {
                const int i = hovered_ - MENU_HAND;
                if (i >= count) {
                    // The hand changed under the choice: pick again.
                    setInputSubState(0);
                    return;
                }
                me->setAction(0x100);
                me->setSelectPai(hand[static_cast<size_t>(i)], 0);
                setInputState(IN_DONE);
            }
            return;
        }
        default:
            return;
    }
}

void TTaskMahjongGame::applyCall(int i, int j) {
    mahjong::TPlayer* me = ownPlayer();
    mahjong::TTable* t = mirror();
    me->setSelectPai(t->getPai(), 0);
    me->setSelectPai(me->hand[static_cast<size_t>(i)], 1);
    me->setSelectPai(me->hand[static_cast<size_t>(j)], 2);
    selTeSet_.clear();
    highlight_.clear();
    setInputState(IN_DONE);
}

// The first candidate under the hovered tile.
// With the pairs a call can take found: none goes back to the menu (rather than a choice that can
// never end), one is taken at once, several are offered for the player to pick.
void TTaskMahjongGame::offerPairs(const std::vector<TSelTeSet::TCandidate>& all) {
    if (all.empty()) {
        setInputState(IN_MENU);
        return;
    }
    if (all.size() > 1) {
        setInputSubState(10);
        return;
    }
    applyCall(all.front()[0], all.front()[1]);
}

const TSelTeSet::TCandidate* TTaskMahjongGame::hoveredCandidate() const {
    if (hovered_ < MENU_HAND) return nullptr;
    const auto& list = selTeSet_.at(hovered_ - MENU_HAND);
    if (list.empty() || list.front().size() < 2) return nullptr;
    return &list.front();
}

void TTaskMahjongGame::selectPon() {
    mahjong::TPlayer* me = ownPlayer();
    mahjong::TTable* t = mirror();
    if (!me || !t) return;
    const mahjong::TPaiArray& hand = me->hand;
    const int count = static_cast<int>(hand.size());
    switch (inputSubState_) {
        case 0: {
            selTeSet_.clear();
            highlight_.clear();
            const int kind = t->getPai().kind;
            std::vector<TSelTeSet::TCandidate> all;
            const mahjong::TPai* lastI = nullptr;
            for (int i = 0; i < count; ++i) {
                const mahjong::TPai& a = hand[static_cast<size_t>(i)];
                if (!a.isFree() || a.kind != kind) continue;
                if (lastI && mahjong::isSamePai(*lastI, a)) continue;
                lastI = &a;
                const mahjong::TPai* lastJ = nullptr;
                for (int j = 0; j < count; ++j) {
                    const mahjong::TPai& b = hand[static_cast<size_t>(j)];
                    if (j == i || !b.isFree() || b.kind != kind) continue;
                    if (lastJ && mahjong::isSamePai(*lastJ, b)) continue;
                    if (mahjong::lessPai(a, b)) continue;
                    lastJ = &b;
                    all.push_back({i, j});
                    selTeSet_.add(0, i, {i, j});
                    selTeSet_.add(0, j, {i, j});
                }
            }
            offerPairs(all);
            return;
        }
        case 10:
            beginStep();
            return;
        case 11:
            pickTile(false, true, 20);
            return;
        case 20: {
            const TSelTeSet::TCandidate* c = hoveredCandidate();
            if (!c) {
                setInputSubState(11);
                return;
            }
            const TSelTeSet::TCandidate pick = *c;
            applyCall(pick[0], pick[1]);
            return;
        }
        default:
            return;
    }
}

void TTaskMahjongGame::selectTi() {
    mahjong::TPlayer* me = ownPlayer();
    mahjong::TTable* t = mirror();
    if (!me || !t) return;
    const mahjong::TPaiArray& hand = me->hand;
    const int count = static_cast<int>(hand.size());
    switch (inputSubState_) {
        case 0: {
            selTeSet_.clear();
            highlight_.clear();
            const int discard = t->getPai().kind;
            const mahjong::TPaiArray& starts = me->getTiPatterns();
            std::vector<TSelTeSet::TCandidate> all;
            for (const mahjong::TPai& s : starts) {
                const int d = discard - s.kind;
                int k1, k2;
                if (d == 0)
                    k1 = discard + 1, k2 = discard + 2;
                else if (d == 1)
                    k1 = discard - 1, k2 = discard + 1;
                else if (d == 2)
                    k1 = discard - 2, k2 = discard - 1;
                else
                    continue;
                for (int i = 0; i < count; ++i) {
                    const mahjong::TPai& a = hand[static_cast<size_t>(i)];
                    if (!a.isFree() || a.kind != k1) continue;
                    for (int j = 0; j < count; ++j) {
                        const mahjong::TPai& b = hand[static_cast<size_t>(j)];
                        if (!b.isFree() || b.kind != k2) continue;
                        // One run from one start: tiles alike by kind and red flag make one
                        // candidate, not one per copy.
                        bool seen = false;
                        for (const TSelTeSet::TCandidate& c : all)
                            seen =
                                seen || (starts.size() == 1 && mahjong::isSamePai(hand[static_cast<size_t>(c[0])], a) &&
                                         mahjong::isSamePai(hand[static_cast<size_t>(c[1])], b));
                        if (seen) continue;
                        all.push_back({i, j});
                        selTeSet_.add(0, i, {i, j});
                        selTeSet_.add(0, j, {i, j});
                    }
                }
            }
            offerPairs(all);
            return;
        }
        case 10:
            beginStep();
            return;
        case 11:
            pickTile(false, true, 20);
            return;
        case 20: {
            if (!hoveredCandidate()) {
                setInputSubState(11);
                return;
            }
            const std::vector<TSelTeSet::TCandidate> under = selTeSet_.at(hovered_ - MENU_HAND);
            selTeSet_.clear();
            std::vector<TSelTeSet::TCandidate> kept;
            for (const TSelTeSet::TCandidate& c : under) {
                if (c.size() < 2) continue;
                if (!kept.empty()) {
                    const TSelTeSet::TCandidate& prev = kept.back();
                    if (mahjong::isSamePai(hand[static_cast<size_t>(prev[0])], hand[static_cast<size_t>(c[0])]) &&
                        mahjong::isSamePai(hand[static_cast<size_t>(prev[1])], hand[static_cast<size_t>(c[1])]))
                        continue;
                }
                kept.push_back(c);
                selTeSet_.add(0, c[0], c);
                selTeSet_.add(0, c[1], c);
            }
            if (kept.size() < 2) {
                applyCall(kept.front()[0], kept.front()[1]);
                return;
            }
            beginStep();  // to 21
            return;
        }
        case 21:
            pickTile(false, true, 30);
            return;
        case 30: {
            const TSelTeSet::TCandidate* c = hoveredCandidate();
            if (!c) {
                setInputSubState(21);
                return;
            }
            const TSelTeSet::TCandidate pick = *c;
            applyCall(pick[0], pick[1]);
            return;
        }
        default:
            return;
    }
}

void TTaskMahjongGame::selectKan() {
    mahjong::TPlayer* me = ownPlayer();
    if (!me) return;
    const mahjong::TPaiArray& hand = me->hand;
    const int count = static_cast<int>(hand.size());
    switch (inputSubState_) {
        case 0: {
            selTeSet_.clear();
            highlight_.clear();
            const mahjong::TPaiArray& kinds = me->getKanPatterns();
            if (kinds.size() > 1) {
                for (const mahjong::TPai& k : kinds) {
                    TSelTeSet::TCandidate c;
                    for (int i = 0; i < count; ++i)
                        if (hand[static_cast<size_t>(i)].isFree() && hand[static_cast<size_t>(i)].kind == k.kind)
                            c.push_back(i);
                    for (int i : c) selTeSet_.add(0, i, c);
                }
                setInputSubState(-1);
                return;
            }
            if (!kinds.empty()) {
                // The option names a kind; the answer names the tile in the hand, red five or
                // not, since the server takes the tile the answer names out of the hand.
                mahjong::TPai chosen = kinds.front();
                for (const mahjong::TPai& t : hand)
                    if (t.isFree() && t.kind == chosen.kind) {
                        chosen = t;
                        break;
                    }
                me->setSelectPai(chosen, 0);
            }
            setInputState(IN_DONE);
            return;
        }
        case 1:
            beginStep();
            return;
        case 2:
            pickTile(true, false, 3);
            return;
        case 3:
            if (hovered_ >= MENU_HAND && hovered_ - MENU_HAND < count)
                me->setSelectPai(hand[static_cast<size_t>(hovered_ - MENU_HAND)], 0);
            selTeSet_.clear();
            highlight_.clear();
            setInputState(IN_DONE);
            return;
        default:
            return;
    }
}

void TTaskMahjongGame::selectRiti() {
    mahjong::TPlayer* me = ownPlayer();
    if (!me) return;
    const mahjong::TPaiArray& hand = me->hand;
    const int count = static_cast<int>(hand.size());
    switch (inputSubState_) {
        case 0:
            selTeSet_.clear();
            highlight_.clear();
            for (int i = 0; i < count; ++i) {
                const mahjong::TPai& a = hand[static_cast<size_t>(i)];
                if (!a.isFree()) continue;
                for (const mahjong::TPai& r : me->getRitiPatterns())
                    if (mahjong::isSamePai(a, r)) {
                        selTeSet_.add(0, i, {i});
                        break;
                    }
            }
            setInputSubState(-1);
            return;
        case 1:
            beginStep();
            return;
        case 2:
            pickTile(true, false, 3);
            return;
        case 3:
            if (hovered_ >= MENU_HAND && hovered_ - MENU_HAND < count)
                me->setSelectPai(hand[static_cast<size_t>(hovered_ - MENU_HAND)], 0);
            selTeSet_.clear();
            highlight_.clear();
            setInputState(IN_DONE);
            return;
        default:
            return;
    }
}

}  // namespace game::client
