#include "script/present/jobs/mode_jobs.h"

#include <algorithm>

#include "script/g2_status.h"
#include "script/present/doc/doc.h"
#include "script/present/graphic/graphic.h"
#include "script/present/jobs/job_context.h"
#include "script/value_exchange.h"

namespace present {

namespace {

constexpr const char* kStates[] = {"", "_on", "_disable", "_over"};
constexpr int32_t kPauseTextOff = 3;

CtrlInput ctrlInput(JobContext& ctx) {
    const JobInput in = ctx.input();
    CtrlInput c;
    c.x = in.x;
    c.y = in.y;
    c.held = in.held;
    c.pressed = in.pressed;
    c.wheel = in.wheel;
    // The pointer is looked at in every frame, so that a button under a still mouse lights up.
    c.moved = true;
    return c;
}

}  // namespace

// ---- one button ----

bool loadPicture(JobContext& ctx, TAnisObjEx& picture, const std::string& stem, graphics::SIZE& size) {
    const std::string& folder = ctx.status().systemFolder;
    if (!picture.load((folder.empty() ? "" : folder + "\\") + stem + ".as")) return false;
    picture.restart();
    picture.update(ctx.now());
    const graphics::SIZE s = picture.getSize();
    size = {std::max(size.cx, s.cx), std::max(size.cy, s.cy)};
    return true;
}

void JobButton::load(JobContext& ctx, const std::string& stem, TGrCtrl::TNotify* notify, int32_t id) {
    graphics::SIZE size{};
    for (size_t i = 0; i < pictures.size(); ++i) loadPicture(ctx, pictures[i], stem + kStates[i], size);
    const int32_t w = size.cx, h = size.cy;
    button.setupWithPictures(nullptr, notify, id, 1, 0, 0, w, h, &pictures[0], &pictures[1], &pictures[2],
                             &pictures[3]);
    button.setFollow(1);
    button.setVisible(false);
}

void JobButton::place(JobContext& ctx, int32_t align, int32_t x, int32_t y, const graphics::RECT& rect) {
    TG2Graphic* g = ctx.graphic();
    if (!g) return;
    const graphics::SIZE s = button.getSize();
    const graphics::POINT p = g->placeByAlign(static_cast<uint32_t>(align), s.cx, s.cy, rect);
    if (button.isVisible()) button.invalidate();
    button.setPos(graphics::RECT::saturate(int64_t{p.x} + x), graphics::RECT::saturate(int64_t{p.y} + y));
    if (button.isVisible()) button.invalidate();
}

void takeInput(JobContext& ctx, TGrCtrl& control, const CtrlInput& in) {
    const bool held = control.isCaptured() != 0;
    control.processInput(in);
    if (held || control.isCaptured() != 0) ctx.clearInput();
}

void JobButton::run(JobContext& ctx) {
    button.setVisible(true);
    takeInput(ctx, button, ctrlInput(ctx));
    ctx.addToTopLayer(button);
}

// ---- what the button jobs share ----

void TButtonJob::reset() {
    thread_ = nullptr;
    hold_ = startPending_ = paused_ = finished_ = deleteWhenFinished_ = false;
    Align = kNoAlign;
    X = Y = 0;
}

bool TButtonJob::frameShown() {
    TG2Doc* doc = ctx_.doc();
    TG2DocFrame* frame = doc ? doc->getFrame(0) : nullptr;
    return frame && doc->isTextShown() && frame->blend > 0;
}

graphics::RECT TButtonJob::frameRect() {
    TG2Doc* doc = ctx_.doc();
    TG2DocFrame* frame = doc ? doc->getFrame(0) : nullptr;
    return frame ? frame->area() : graphics::RECT{};
}

void TButtonJob::exchangePlace(TValueExchange& x, const char* key) {
    TValueExchange::TKey k(x, key);
    x.exchangeInt("Align", Align);
    x.exchangeShort("X", X);
    x.exchangeShort("Y", Y);
}

// ---- automatic advance and skipping ----

void TTextModeDwarf::init() {
    buttons_[0].load(ctx_, stem_, this, 0);
    buttons_[1].load(ctx_, std::string(stem_) + "_stop", this, 1);
}

void TTextModeDwarf::reset() {
    TButtonJob::reset();
    hideButtons();
}

void TTextModeDwarf::setPlace(int32_t align, int32_t x, int32_t y) {
    Align = align, X = x, Y = y;
    layout();
}

void TTextModeDwarf::layout() {
    for (JobButton& b : buttons_) b.place(ctx_, Align, X, Y, frameRect());
}

void TTextModeDwarf::hideButtons() {
    for (JobButton& b : buttons_) b.hide();
}

bool TTextModeDwarf::runButtons(bool enabled) {
    TG2Doc* doc = ctx_.doc();
    if (ctx_.isPaused() || !frameShown() || (doc && doc->isLogViewOpen())) {
        hideButtons();
        return true;
    }
    JobButton& active = buttons_[mode() ? 1 : 0];
    buttons_[mode() ? 0 : 1].hide();
    if (Align == kNoAlign) return true;
    active.button.setEnabled(enabled);
    active.run(ctx_);
    return true;
}

void TTextModeDwarf::notify(int32_t id, int32_t event, int32_t) {
    if (event != kCtrlLeftClick || (id != 0 && id != 1)) return;
    mode() = id == 0;
    ctx_.clearInput();
}

bool& TTextAutoDwarf::mode() { return ctx_.status().autoText; }

bool& TTextSkipDwarf::mode() { return ctx_.status().skipMessage; }

void TTextSkipDwarf::reset() {
    TTextModeDwarf::reset();
    StopRequested = false;
}

void TTextSkipDwarf::requestStop() {
    if (ctx_.status().skipMessage && !StopRequested) StopRequested = true;
}

bool TTextSkipDwarf::update() {
    const JobInput in = ctx_.input();
    if (!ctx_.isPaused() && (in.pressed & ctx_.clickMask())) requestStop();
    TG2Doc* doc = ctx_.doc();
    if (ctx_.isPaused() || !frameShown() || (doc && doc->isLogViewOpen())) {
        hideButtons();
        return true;
    }
    if (StopRequested) {
        // The buttons stay away until the click that stopped skipping is let go.
        ctx_.status().skipMessage = false;
        if (!(in.held & ctx_.clickMask())) {
            StopRequested = false;
            ctx_.clearInput();
        }
        hideButtons();
        ctx_.requestRedraw();
        return true;
    }
    return runButtons(!ctx_.isSkipSuspended());
}

// ---- hiding the message window ----

void TTextOffDwarf::init() {
    button_.load(ctx_, "txoff", this, 0);
    reset();
}

void TTextOffDwarf::reset() {
    TButtonJob::reset();
    Off = false;
    Mode = kBottomEdge;
    button_.hide();
}

void TTextOffDwarf::setPlace(int32_t align, int32_t x, int32_t y) {
    Align = align, X = x, Y = y;
    layout();
}

void TTextOffDwarf::layout() { button_.place(ctx_, Align, X, Y, frameRect()); }

bool TTextOffDwarf::canShow() {
    TG2Doc* doc = ctx_.doc();
    TG2DocFrame* frame = doc ? doc->getFrame(0) : nullptr;
    return frame && frame->blend != 0;
}

void TTextOffDwarf::turnOff(int32_t mode) {
    Mode = mode;
    if (!canShow()) return;
    Off = true;
    if (TG2Doc* doc = ctx_.doc()) doc->setTextShown(false);
    ctx_.pause(kPauseTextOff);
    if (TG2Graphic* g = ctx_.graphic()) g->invalidate();
}

void TTextOffDwarf::turnOn() {
    if (!Off) return;
    Off = false;
    if (TG2Doc* doc = ctx_.doc()) doc->setTextShown(true);
    ctx_.resume(kPauseTextOff);
    if (TG2Graphic* g = ctx_.graphic()) g->invalidate();
}

bool TTextOffDwarf::update() {
    if (ctx_.isPausedByOther(kPauseTextOff)) {
        button_.hide();
        return true;
    }
    const JobInput in = ctx_.input();
    const graphics::SIZE screen = ctx_.screenSize();
    const int32_t ways = ctx_.status().textOff;
    if (canShow() && !Off) {
        if ((ways & 1) && in.fullScreen && in.y >= screen.cy - 1)
            turnOff(kBottomEdge);
        else if ((ways & 2) && !in.fullScreen && !in.mouseInWindow)
            turnOff(kOutside);
        else if ((ways & 4) && (in.released & ctx_.status().textOffKeyMask))
            turnOff(kButton);
        else if (button_.button.isVisible())
            takeInput(ctx_, button_.button, ctrlInput(ctx_));
    } else if (Off) {
        const bool back =
            Mode == kButton ? in.released != 0 : (in.fullScreen ? in.y < screen.cy - 1 : in.mouseInWindow);
        if (back) {
            turnOn();
            ctx_.clearInput();
            layout();
        }
    }
    if (canShow() && !Off && frameShown() && Align != kNoAlign) {
        button_.button.setVisible(true);
        ctx_.addToTopLayer(button_.button);
    } else {
        button_.hide();
    }
    return true;
}

void TTextOffDwarf::notify(int32_t id, int32_t event, int32_t) {
    if (event != kCtrlLeftClick || id != 0) return;
    turnOff(kButton);
    ctx_.clearInput();
}

// ---- the sub-menu ----

void TSubmenuDwarf::init() {
    static const char* const kStems[] = {"smsave", "smload", "smcfg"};
    for (int32_t i = 0; i < kButtons; ++i)
        buttons_[i].load(ctx_, i < 3 ? std::string(kStems[i]) : "smbtn" + std::to_string(i - 2), this, i);
}

void TSubmenuDwarf::reset() {
    TButtonJob::reset();
    aligns_.fill(kNoAlign);
    offsets_.fill({0, 0});
    hideButtons();
}

void TSubmenuDwarf::setPlace(int32_t index, int32_t align, int32_t x, int32_t y) {
    if (index < 0 || index >= kButtons) return;
    aligns_[index] = align;
    offsets_[index] = {x, y};
    layoutButton(index);
}

void TSubmenuDwarf::layoutButton(int32_t index) {
    if (index < 0 || index >= kButtons) return;
    buttons_[index].place(ctx_, aligns_[index], offsets_[index].x, offsets_[index].y, frameRect());
}

void TSubmenuDwarf::layoutAll() {
    for (int32_t i = 0; i < kButtons; ++i) layoutButton(i);
}

void TSubmenuDwarf::hideButtons() {
    for (JobButton& b : buttons_) b.hide();
}

bool TSubmenuDwarf::update() {
    TG2Doc* doc = ctx_.doc();
    if (ctx_.isPaused() || !frameShown() || (doc && doc->isLogViewOpen())) {
        hideButtons();
        return true;
    }
    const bool enabled = ctx_.isSubmenuEnabled();
    const int32_t record = ctx_.recordEnabled();
    for (int32_t i = 0; i < kButtons; ++i) {
        const bool on = enabled && (i == 0 ? record == 1 : i == 1 ? record != 0 : true);
        buttons_[i].button.setEnabled(on);
        if (aligns_[i] == kNoAlign) {
            buttons_[i].hide();
            continue;
        }
        buttons_[i].run(ctx_);
    }
    return true;
}

void TSubmenuDwarf::notify(int32_t id, int32_t event, int32_t) {
    if (event != kCtrlLeftClick || id < 0 || id >= kButtons) return;
    if (id < 3) {
        ctx_.callHost(id + 1, 0, nullptr);
    } else {
        int32_t extra = id - 3;
        ctx_.callHost(4, 1, &extra);
    }
    ctx_.clearInput();
}

void TSubmenuDwarf::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "SubmenuDwarf");
    for (int32_t i = 0; i < kButtons; ++i) {
        x.exchangeInt("Align", aligns_[i]);
        x.exchangeShort("X", offsets_[i].x);
        x.exchangeShort("Y", offsets_[i].y);
    }
    if (x.isLoading()) layoutAll();
}

}  // namespace present
