#include "graphics/graphic.h"

#include <algorithm>

namespace graphics {

namespace {
TGraphic* theGraphic = nullptr;

// Dirty rectangles kept before they are merged into their union (which is drawn the same).
constexpr size_t kDirtyCap = 4096;

int64_t area(const RECT& r) { return r.empty() ? 0 : int64_t(r.width()) * r.height(); }

RECT unite(const RECT& a, const RECT& b) {
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}
}  // namespace

TGraphic* graphic() { return theGraphic; }

// ---- the object table -------------------------------------------------------------------------

TGrTableObj::Layer* TGrTableObj::getLayer(int n) {
    return n >= 0 && static_cast<size_t>(n) < layers_.size() ? &layers_[static_cast<size_t>(n)] : nullptr;
}

void TGrTableObj::addFront(TGrObj* obj) {
    if (obj) addFront(obj->getDepth(), obj);
}

void TGrTableObj::addFront(int n, TGrObj* obj) {
    Layer* l = getLayer(n);
    if (!l || !obj) return;
    if (spare_.empty()) {
        l->push_front(obj);
    } else {
        l->splice(l->begin(), spare_, spare_.begin());
        l->front() = obj;
    }
}

void TGrTableObj::add(TGrObj* obj) {
    if (obj) add(obj->getDepth(), obj);
}

void TGrTableObj::add(int n, TGrObj* obj) {
    Layer* l = getLayer(n);
    if (!l || !obj) return;
    if (spare_.empty()) {
        l->push_back(obj);
    } else {
        l->splice(l->end(), spare_, spare_.begin());
        l->back() = obj;
    }
}

void TGrTableObj::remove(TGrObj* obj) {
    for (Layer& l : layers_) l.remove(obj);
}

bool TGrTableObj::create(int32_t w, int32_t h, int layers) {
    setSize(w, h);
    layers_.resize(static_cast<size_t>(std::max(layers, 0)));
    return true;
}

void TGrTableObj::clear() {
    // The entries are kept for the next frame's objects: a table filled anew every frame
    // allocates nothing once it has held as many.
    for (Layer& l : layers_)
        if (!l.empty()) spare_.splice(spare_.end(), l);
}

void TGrTableObj::drawLayers(TSurface32& target) {
    const int32_t dx = x_, dy = y_;
    for (Layer& l : layers_)
        for (TGrObj* obj : l) {
            if (dx == 0 && dy == 0)
                obj->draw(target);
            else
                obj->drawOffset(target, dx, dy);
        }
}

void TGrTableObj::draw(TSurface32& target) {
    if (isVisible()) drawLayers(target);
}

// ---- the screen object ------------------------------------------------------------------------

TGraphic::TGraphic() { theGraphic = this; }

TGraphic::~TGraphic() {
    if (theGraphic == this) theGraphic = nullptr;
}

void TGraphic::invalidateRect(const RECT& r) {
    if (dirty_.size() >= kDirtyCap) {
        RECT u = dirty_.front();
        for (const RECT& d : dirty_) u = unite(u, d);
        dirty_.assign(1, u);
    }
    dirty_.push_back(r);
}

bool TGraphic::create(int32_t w, int32_t h, int layers) {
    TGrTableObj::create(w, h, layers);
    return createScreen(w, h);
}

void TGraphic::clearDirty() {
    whole_ = 0;
    dirty_.clear();
}

void TGraphic::redraw() {
    if (!isVisible()) return;
    for (const RECT& r : takeDirtyAreas()) drawRect(*this, r);
}

std::vector<RECT> TGraphic::takeDirtyAreas() {
    const RECT screen{0, 0, width(), height()};
    std::vector<RECT> out;
    if (whole_) {
        out.push_back(screen);
        clearDirty();
        return out;
    }
    if (dirty_.empty()) return out;
    RECT u = dirty_.front();
    int64_t sum = 0;
    for (const RECT& d : dirty_) {
        u = unite(u, d);
        // Only what lies on the screen counts, and the sum saturates: far-flung rectangles
        // would overflow it.
        const int64_t a = area(intersect(d, screen));
        sum = a > INT64_MAX - sum ? INT64_MAX : sum + a;
    }
    u = intersect(u, screen);
    if (dirty_.size() >= kUnionLimit || sum >= area(u) / 2) {
        out.push_back(u);
    } else {
        out = dirty_;
    }
    clearDirty();
    return out;
}

void TGraphic::drawAll(TSurface32& target) {
    target.resetClip();
    drawLayers(target);
}

void TGraphic::drawRect(TSurface32& target, const RECT& rect) {
    if (rect.empty()) return;
    const RECT clip = intersect(rect, RECT{0, 0, width(), height()});
    // An object that sets a clip of its own still draws inside the rectangle only.
    target.setLimit(clip);
    if (!clip.empty()) drawLayers(target);
    target.clearLimit();
    target.setClip(clip);
}

}  // namespace graphics
