#include "screen_driver.h"

#include <algorithm>
#include <list>
#include <vector>

#include "framework/frame.h"
#include "framework/window.h"
#include "game/client/table_sprites.h"
#include "graphics/graphic.h"
#include "platform/headless.h"

namespace mjtable {

using game::client::mahjongSprites;

namespace {

bool holds(graphics::TGrTableObj& table, int layer, const graphics::TGrObj* o) {
    const auto* l = table.getLayer(layer);
    return l && std::find(l->begin(), l->end(), o) != l->end();
}

const graphics::TGrObj* fixedUnit(int set, int unit) {
    const auto& units = mahjongSprites().fixed[static_cast<size_t>(set)].units();
    return static_cast<size_t>(unit) < units.size() ? &units[static_cast<size_t>(unit)] : nullptr;
}

void centreOf(const graphics::TGrObj* o, int& x, int& y) {
    const graphics::RECT r = o->getRect();
    x = (r.left + r.right) / 2;
    y = (r.top + r.bottom) / 2;
}

}  // namespace

int ownDiscardsShown() {
    graphics::TGraphic* g = graphics::graphic();
    const auto* l = g ? g->getLayer(30) : nullptr;
    if (!l) return 0;
    // The own rows start at 237 and lie 377 to 456 down the screen, turned tiles 4 lower.
    int n = 0;
    for (const graphics::TGrObj* o : *l) {
        const int y = o->getY();
        if (o->getX() >= 237 && y >= 377 && y <= 456 && (y - 377) % 25 <= 4) ++n;
    }
    return n;
}

const char* sightName(ScreenDriver::Sight s) {
    switch (s) {
        case ScreenDriver::Sight::Table:
            return "table";
        case ScreenDriver::Sight::OwnDraw:
            return "own draw";
        case ScreenDriver::Sight::Menu:
            return "menu";
        case ScreenDriver::Sight::Result:
            return "result";
        case ScreenDriver::Sight::DrawResult:
            return "draw result";
        case ScreenDriver::Sight::Continue:
            return "continue";
        case ScreenDriver::Sight::Final:
            return "final";
        default:
            return "none";
    }
}

ScreenDriver::Sight ScreenDriver::look(Target& target) const {
    graphics::TGraphic* g = graphics::graphic();
    if (!g || mahjongSprites().fixed[game::client::FS_BUTTONS].units().size() < 30) return Sight::None;
    using namespace game::client;
    if (holds(*g, 0, fixedUnit(FS_FINAL_SCREEN, 0))) {
        centreOf(fixedUnit(FS_FINAL_SCREEN, 5), target.x, target.y);  // exit
        return Sight::Final;
    }
    if (holds(*g, 70, fixedUnit(FS_CONTINUE, 0))) {
        centreOf(fixedUnit(FS_CONTINUE, 2), target.x, target.y);  // stop: the match ends sooner
        return Sight::Continue;
    }
    target = {400, 120};
    if (holds(*g, 70, fixedUnit(FS_RESULT_FRAME, 0))) return Sight::Result;
    for (int u = 0; u < 6; ++u)
        if (holds(*g, 70, fixedUnit(FS_DRAW_BANNER, u))) return Sight::DrawResult;
    // The menu: a button is offered when its available or hovered picture is up.
    auto offered = [&](int k) {
        return holds(*g, 50, fixedUnit(FS_BUTTONS, 3 * k + 1)) || holds(*g, 50, fixedUnit(FS_BUTTONS, 3 * k + 2));
    };
    for (int k : {4, 5, 6})
        if (offered(k)) {
            centreOf(fixedUnit(FS_BUTTONS, 3 * k), target.x, target.y);
            target.win = k != 6;
            return Sight::Menu;
        }
    // The own hand's row: a tile standing apart is the one just drawn.
    std::vector<const graphics::TGrObj*> row;
    if (const auto* l = g->getLayer(30))
        for (const graphics::TGrObj* o : *l)
            if (o->getY() == 509 && o->getX() >= 136) row.push_back(o);
    std::sort(row.begin(), row.end(), [](auto* a, auto* b) { return a->getX() < b->getX(); });
    for (size_t i = 1; i < row.size(); ++i)
        if (row[i]->getX() - row[i - 1]->getX() == 26) {
            centreOf(row[i], target.x, target.y);
            return Sight::OwnDraw;
        }
    return Sight::Table;
}

void ScreenDriver::press(TGameFrameG2& frame, int x, int y, bool down) {
    platform::Point p{x, y};
    if (TWindow* w = frame.window()) {
        w->clientToScreen(p);
        platform::headless::setForeground(w->handle());
    }
    platform::headless::setCursorPos(p.x, p.y);
    platform::headless::setMouseButtons(down, false, false);
}

void ScreenDriver::operator()(TGameFrameG2& frame) {
    switch (phase_) {
        case 0: {
            Target t;
            const Sight s = look(t);
            if (s == Sight::None || s == Sight::Table) return;
            // The end screen slides in: it is read once it has settled.
            if (s == Sight::Final && ++finalFrames_ < kFinalSettle) return;
            ++counts_[static_cast<int>(s)];
            if (watcher_) watcher_(frame, s, counts_[static_cast<int>(s)]);
            if (s == Sight::Final) sawFinal_ = true;
            if (s == Sight::OwnDraw) ++discards_;
            if (s == Sight::Result || s == Sight::DrawResult) ++resultPages_;
            if (s == Sight::Menu && t.win) ++wins_;
            target_ = t;
            press(frame, t.x, t.y, false);
            phase_ = 1;
            return;
        }
        case 1:
            press(frame, target_.x, target_.y, true);
            ++clicks_;
            phase_ = 2;
            return;
        case 2:
            press(frame, target_.x, target_.y, false);
            phase_ = 3;
            return;
        default:
            // A few frames for the screen to show what the click did.
            if (++phase_ > 6) phase_ = 0;
            return;
    }
}

}  // namespace mjtable
