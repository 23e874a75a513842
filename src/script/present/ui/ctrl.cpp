#include "script/present/ui/ctrl.h"

#include <algorithm>
#include <vector>

#include "framework/input.h"
#include "framework/window.h"

namespace present {

namespace {

constexpr uint32_t kLeft = 0x10000000;
constexpr uint32_t kRight = 0x20000000;

// Never taken down: controls of objects that outlive the program's statics still leave it.
std::set<TGrCtrl*>& registry() {
    static auto* all = new std::set<TGrCtrl*>;
    return *all;
}

// The window messages' wheel deltas that have not yet made a whole step, for every control.
int32_t wheelAccumulator = 0;

graphics::RECT unite(const graphics::RECT& a, const graphics::RECT& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

}  // namespace

CtrlInput ctrlInputOf(const TInput& input) {
    CtrlInput in;
    in.x = input.cursorX();
    in.y = input.cursorY();
    in.held = input.held();
    in.pressed = input.pressedBits();
    in.repeat = input.repeatBits();
    in.moved = input.moved();
    in.wheel = input.wheel();
    return in;
}

// ---- TGrCtrl ----

TGrCtrl::TGrCtrl() { registry().insert(this); }

TGrCtrl::~TGrCtrl() {
    if (parent_) parent_->removeChild(this);
    removeAllChildren();
    attachWindow(nullptr);
    if (capture_ && window_) window_->releaseCapture();
    registry().erase(this);
}

void TGrCtrl::resetWheelAccumulator() { wheelAccumulator = 0; }

bool TGrCtrl::isShown() const { return isVisible() && (!parent_ || parent_->isShown()); }

void TGrCtrl::setVisible(bool visible) {
    const bool was = isShown();
    graphics::TGrObj::setVisible(visible);
    if (!was && isShown()) resetState();
}

void TGrCtrl::setParent(TGrCtrl* parent) {
    if (parent == this) return;
    if (parent_) parent_->removeChild(this);
    parent_ = parent;
    if (parent_) parent_->addChild(this);
}

void TGrCtrl::removeAllChildren() {
    const std::vector<TGrCtrl*> all(children_.begin(), children_.end());
    for (TGrCtrl* c : all) c->setParent(nullptr);
    children_.clear();
}

bool TGrCtrl::hitTest(int32_t x, int32_t y) const {
    return isShown() && graphics::TRect(x_, y_, width_, height_).isInside(x, y);
}

bool TGrCtrl::hit(int32_t x, int32_t y) const {
    if (!hitTest(x, y)) return false;
    for (const TGrCtrl* c : children_)
        if (c->hitTest(x, y)) return false;
    for (const TGrCtrl* c : registry())
        if (c != this && c->getDepth() > getDepth() && c->hitTest(x, y)) return false;
    return true;
}

void TGrCtrl::setup(TGrCtrl* parent, TNotify* notify, int32_t id, int32_t depth, int32_t x, int32_t y, int32_t w,
                    int32_t h) {
    setParent(parent);
    setNotify(notify);
    setId(id);
    setDepth(depth);
    setSize(w, h);
    setPos(x, y);
}

void TGrCtrl::processInput(const CtrlInput& in) {
    if (!isShown()) return;
    // A child may leave the tree while it handles its input.
    const std::vector<TGrCtrl*> kids(children_.begin(), children_.end());
    for (TGrCtrl* c : kids)
        if (children_.count(c)) c->processInput(in);
    if (capture_ == 0 && (in.pressed & kLeft))
        onLeftDown(in.x, in.y);
    else if ((capture_ == 1 || leftDown_) && !(in.held & kLeft))
        onLeftUp(in.x, in.y);
    if (capture_ == 0 && (in.pressed & kRight))
        onRightDown(in.x, in.y);
    else if ((capture_ == 2 || rightDown_) && !(in.held & kRight))
        onRightUp(in.x, in.y);
    if (in.moved || (in.pressed & kLeft) || (in.repeat & kLeft) || needHover_) {
        needHover_ = false;
        onMouseMove(in.x, in.y);
    }
    if (in.wheel != 0) onWheel(in.wheel, in.x, in.y);
    afterInput();
}

void TGrCtrl::attachWindow(TWindow* window) {
    if (parent_ && window) return;
    if (window_) window_->removeMessageHook(&TGrCtrl::hook, this);
    window_ = window;
    if (window_) window_->addMessageHook(&TGrCtrl::hook, this);
}

intptr_t TGrCtrl::hook(TWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam, void* user) {
    static_cast<TGrCtrl*>(user)->onWindowMessage(window, message, wParam, lParam);
    return 0;
}

void TGrCtrl::addToTable(graphics::TGrTableObj& table, int32_t layerOffset) {
    table.add(getDepth() + layerOffset, this);
    for (TGrCtrl* c : children_) c->addToTable(table, layerOffset);
}

void TGrCtrl::addToTableFront(graphics::TGrTableObj& table, int32_t layerOffset) {
    for (TGrCtrl* c : children_) c->addToTable(table, layerOffset);
    table.addFront(getDepth() + layerOffset, this);
}

void TGrCtrl::fire(int32_t id, int32_t event, int32_t param) {
    if (notify_) notify_->notify(id, event, param);
}

void TGrCtrl::press(bool left, int32_t x, int32_t y) {
    if (!isShown() || !enabled_ || !active_ || capture_ != 0 || !hit(x, y)) return;
    if (window_) window_->setCapture();
    capture_ = left ? 1 : 2;
    (left ? leftDown_ : rightDown_) = true;
    fire(id_, left ? kCtrlLeftDown : kCtrlRightDown, 0);
}

void TGrCtrl::release(bool left, int32_t x, int32_t y) {
    if (!isShown()) return;
    const int32_t mine = left ? 1 : 2;
    bool& down = left ? leftDown_ : rightDown_;
    if (notify_ && capture_ == mine && hit(x, y)) fire(id_, left ? kCtrlLeftClick : kCtrlRightClick, 0);
    if (capture_ == mine || down) {
        down = false;
        // The other button's capture is not this release's to end.
        if (capture_ == mine) {
            capture_ = 0;
            if (window_) window_->releaseCapture();
        }
        fire(id_, left ? kCtrlLeftCaptureEnd : kCtrlRightCaptureEnd, 0);
    }
}

void TGrCtrl::onLeftDown(int32_t x, int32_t y) { press(true, x, y); }
void TGrCtrl::onLeftUp(int32_t x, int32_t y) { release(true, x, y); }
void TGrCtrl::onRightDown(int32_t x, int32_t y) { press(false, x, y); }
void TGrCtrl::onRightUp(int32_t x, int32_t y) { release(false, x, y); }

void TGrCtrl::onMouseMove(int32_t x, int32_t y) {
    if (!isShown() || !enabled_ || !active_) return;
    const bool h = hit(x, y);
    const bool hoverWas = hover_, downWas = leftDown_;
    hover_ = h;
    if (capture_ == 1) leftDown_ = h;
    if (capture_ == 2) rightDown_ = h;
    if (hover_ != hoverWas) fire(id_, kCtrlHoverChanged, 0);
    if (leftDown_ != downWas) fire(id_, kCtrlLeftDownChanged, 0);
}

void TGrCtrl::resetState() {
    if (capture_ && window_) window_->releaseCapture();
    capture_ = 0;
    hover_ = leftDown_ = rightDown_ = false;
    needHover_ = true;
    for (TGrCtrl* c : children_) c->resetState();
}

void TGrCtrl::onWindowMessage(TWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!isShown()) return;
    const std::vector<TGrCtrl*> kids(children_.begin(), children_.end());
    for (TGrCtrl* c : kids)
        if (children_.count(c)) c->onWindowMessage(window, message, wParam, lParam);
    const auto x = static_cast<int16_t>(static_cast<uint32_t>(lParam) & 0xFFFF);
    const auto y = static_cast<int16_t>((static_cast<uint32_t>(lParam) >> 16) & 0xFFFF);
    switch (message) {
        case 0x200:
            onMouseMove(x, y);
            break;
        case 0x201:
        case 0x203:
            onLeftDown(x, y);
            break;
        case 0x202:
            onLeftUp(x, y);
            break;
        case 0x204:
        case 0x206:
            onRightDown(x, y);
            break;
        case 0x205:
            onRightUp(x, y);
            break;
        case 0x20A: {
            wheelAccumulator += static_cast<int16_t>((wParam >> 16) & 0xFFFF);
            const int32_t steps = wheelAccumulator / 120;
            if (steps != 0) {
                wheelAccumulator -= steps * 120;
                onWheel(steps, x, y);
            }
            break;
        }
        case 0x466:
            if (needHover_) {
                needHover_ = false;
                platform::Point p;
                if (window && window->getCursorPos(p)) onMouseMove(p.x, p.y);
            }
            afterInput();
            break;
        default:
            break;
    }
}

// ---- TGrCtrlButton ----

void TGrCtrlButton::setVisible(bool visible) {
    const bool was = isShown();
    TGrCtrl::setVisible(visible);
    for (graphics::TGrObj* p : pictures_)
        if (p) p->setVisible(visible);
    if (was != isShown()) invalidate();
}

graphics::TGrObj* TGrCtrlButton::currentPicture() const {
    const size_t set = alternate_ ? 4 : 0;
    size_t pick = kDisabled;
    if (isEnabled()) pick = isLeftDown() ? kPressed : isHover() ? kHover : kNormal;
    graphics::TGrObj* p = pictures_[set + pick];
    return p ? p : pictures_[set + kNormal];
}

void TGrCtrlButton::draw(graphics::TSurface32& target) {
    if (!isShown()) return;
    graphics::TGrObj* p = currentPicture();
    if (!p) return;
    if (follow_ == 1) p->setPos(getX(), getY());
    p->draw(target);
}

void TGrCtrlButton::invalidate() {
    graphics::RECT pictures = pictureRect_;
    if (follow_ == 1)
        pictures = {pictures.left + getX(), pictures.top + getY(), pictures.right + getX(), pictures.bottom + getY()};
    const graphics::RECT own = graphics::TRect(getX(), getY(), getWidth(), getHeight());
    if (graphics::TGraphic* g = graphics::graphic()) g->invalidateRect(unite(pictures, own));
}

void TGrCtrlButton::fire(int32_t id, int32_t event, int32_t param) {
    TGrCtrl::fire(id, event, param);
    invalidate();
}

void TGrCtrlButton::onLeftDown(int32_t x, int32_t y) {
    const bool was = isLeftDown();
    TGrCtrl::onLeftDown(x, y);
    if (was != isLeftDown()) invalidate();
}

void TGrCtrlButton::onLeftUp(int32_t x, int32_t y) {
    const bool was = isLeftDown();
    TGrCtrl::onLeftUp(x, y);
    if (was != isLeftDown()) invalidate();
}

void TGrCtrlButton::onMouseMove(int32_t x, int32_t y) {
    const bool hover = isHover(), down = isLeftDown();
    TGrCtrl::onMouseMove(x, y);
    if (hover != isHover() || down != isLeftDown()) invalidate();
}

void TGrCtrlButton::picturesChanged() {
    setVisible(isVisible());
    pictureRect_ = {};
    for (graphics::TGrObj* p : pictures_)
        if (p) pictureRect_ = unite(pictureRect_, p->getRect());
}

void TGrCtrlButton::setPictures(graphics::TGrObj* normal, graphics::TGrObj* pressed, graphics::TGrObj* disabled,
                                graphics::TGrObj* hover) {
    pictures_[0] = normal, pictures_[1] = pressed, pictures_[2] = disabled, pictures_[3] = hover;
    picturesChanged();
}

void TGrCtrlButton::setAltPictures(graphics::TGrObj* normal, graphics::TGrObj* pressed, graphics::TGrObj* disabled,
                                   graphics::TGrObj* hover) {
    pictures_[4] = normal, pictures_[5] = pressed, pictures_[6] = disabled, pictures_[7] = hover;
    picturesChanged();
}

void TGrCtrlButton::setupWithPictures(TGrCtrl* parent, TNotify* notify, int32_t id, int32_t depth, int32_t x, int32_t y,
                                      int32_t w, int32_t h, graphics::TGrObj* normal, graphics::TGrObj* pressed,
                                      graphics::TGrObj* disabled, graphics::TGrObj* hover) {
    setup(parent, notify, id, depth, x, y, w, h);
    setPictures(normal, pressed, disabled, hover);
}

void TGrCtrlButton::setupWithPictures3(TGrCtrl* parent, TNotify* notify, int32_t id, int32_t depth, int32_t x,
                                       int32_t y, int32_t w, int32_t h, graphics::TGrObj* normalAndHover,
                                       graphics::TGrObj* pressed, graphics::TGrObj* disabled) {
    setup(parent, notify, id, depth, x, y, w, h);
    setPictures3(normalAndHover, pressed, disabled);
}

}  // namespace present
