#include "graphics/spr_set.h"

#include <algorithm>

#include "graphics/sprite.h"

namespace graphics {

uint32_t mulColour(uint32_t c1, uint32_t c2) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint64_t p = uint64_t((c1 >> shift) & 255) * ((c2 >> shift) & 255);
        out |= static_cast<uint32_t>((p * 0x01010101u + 0x10000u) >> 32) << shift;
    }
    return out;
}

// ---- TGrObjSetBase ------------------------------------------------------------------------------

template <class U, class B>
void TGrObjSetBase<U, B>::invalidate() {
    for (U& u : units_) u.invalidate();
}

template <class U, class B>
void TGrObjSetBase<U, B>::invalidateRect(const RECT& r) {
    for (U& u : units_) u.invalidateRect(r);
}

template <class U, class B>
RECT TGrObjSetBase<U, B>::getLocalRect() const {
    RECT bounds{0, 0, 0, 0};
    for (const U& u : units_) {
        const RECT r = TRect(u.getX(), u.getY(), u.getWidth(), u.getHeight());
        bounds.left = std::min(bounds.left, r.left);
        bounds.top = std::min(bounds.top, r.top);
        bounds.right = std::max(bounds.right, r.right);
        bounds.bottom = std::max(bounds.bottom, r.bottom);
    }
    return bounds;
}

template <class U, class B>
SIZE TGrObjSetBase<U, B>::getSize() const {
    const RECT r = getLocalRect();
    return {r.width(), r.height()};
}

template <class U, class B>
int32_t TGrObjSetBase<U, B>::placeX(int32_t x, int32_t span) const {
    if (!isPlacementCode(x)) return x;
    return RECT::saturate(int64_t(placeCoord(x, span, this->getWidth())) - getLocalRect().left);
}

template <class U, class B>
int32_t TGrObjSetBase<U, B>::placeY(int32_t y, int32_t span) const {
    if (!isPlacementCode(y)) return y;
    return RECT::saturate(int64_t(placeCoord(y, span, this->getHeight())) - getLocalRect().top);
}

template <class U, class B>
void TGrObjSetBase<U, B>::draw(TSurface32& target) {
    if (!this->isVisible()) return;
    if (this->x_ == 0 && this->y_ == 0) {
        for (U& u : units_) u.draw(target);
        return;
    }
    for (U& u : units_) {
        const POINT p = u.getPos();
        u.setPos(p.x + this->x_, p.y + this->y_);
        u.draw(target);
        u.setPos(p);
    }
}

template <class U, class B>
void TGrObjSetBase<U, B>::addToTableFront(TGrTableObj& table, int32_t offset) {
    for (U& u : units_) table.addFront(u.getDepth() + offset, &u);
}

template <class U, class B>
void TGrObjSetBase<U, B>::addToTable(TGrTableObj& table, int32_t offset) {
    for (U& u : units_) table.add(u.getDepth() + offset, &u);
}

// ---- TSprObjSetBase -----------------------------------------------------------------------------

template <class U, class B>
SIZE TSprObjSetBase<U, B>::getSize() const {
    const RECT r = this->getLocalRect();
    return {RECT::saturateReal(r.width() * scaleX_), RECT::saturateReal(r.height() * scaleY_)};
}

template <class U, class B>
void TSprObjSetBase<U, B>::setSize(int32_t w, int32_t h) {
    const RECT r = this->getLocalRect();
    scaleX_ = r.width() ? static_cast<float>(w) / r.width() : 0.0f;
    scaleY_ = r.height() ? static_cast<float>(h) / r.height() : 0.0f;
}

template <class U, class B>
void TSprObjSetBase<U, B>::draw(TSurface32& target) {
    if (!this->isVisible() || (colour_ >> 24) == 0) return;
    const bool unscaled = scaleX_ == 1.0f && scaleY_ == 1.0f;
    if (unscaled && colour_ == 0xFFFFFFFFu) {
        Set::draw(target);
        return;
    }
    for (U& u : this->units_) {
        const POINT p = u.getPos();
        const int32_t w = u.getDrawWidth(), h = u.getDrawHeight();
        const uint32_t flags = u.getKind(), modulate = u.getModulate();
        if (unscaled) {
            u.setPos(RECT::saturate(int64_t(p.x) + this->x_), RECT::saturate(int64_t(p.y) + this->y_));
        } else {
            u.setPos(RECT::saturate(int64_t(scaledSize(p.x, scaleX_)) + this->x_),
                     RECT::saturate(int64_t(scaledSize(p.y, scaleY_)) + this->y_));
            u.TSprite32::setSize(scaledSize(w, scaleX_), scaledSize(h, scaleY_));
        }
        u.setKind(u.getKind() | sprite_flag::kModulate);
        u.setModulate(mulColour(modulate, colour_));
        u.draw(target);
        u.setPos(p);
        if (!unscaled) u.TSprite32::setSize(w, h);
        u.setKind(flags);
        u.setModulate(modulate);
    }
}

template <class U, class B>
std::unique_ptr<TGrObj> TSprObjSetBase<U, B>::clone() const {
    auto copy = std::make_unique<TSprObjSetBase>();
    static_cast<Set&>(*copy) = static_cast<const Set&>(*this);
    return copy;
}

template <class U, class B>
void TSprObjSetBase<U, B>::setBlendType(uint32_t type) {
    blendType_ = type;
    for (U& u : this->units_) u.setBlendType(type);
}

template <class U, class B>
void TSprObjSetBase<U, B>::setMask(TAlphaMask* mask) {
    for (U& u : this->units_) u.TSprite32::setMask(mask);
}

namespace {

template <class R>
size_t countRecords(const R* table) {
    size_t n = 0;
    while (table && table[n].name) ++n;
    return n;
}

// The record's specification: its name, or its name as a format filled with the arguments.
template <class R>
std::string specOf(const R& r, va_list* args) {
    if (!args) return r.name;
    va_list copy;
    va_copy(copy, *args);
    std::string s = formatSpec(r.name, copy);
    va_end(copy);
    return s;
}

template <class U>
void build(U& u, const SprDepthRectRecord& r, const std::string& spec, TSurfaceSet& set, bool depth) {
    if (depth)
        u.create(spec, r.depth, r.x, r.y, r.sx, r.sy, r.sw, r.sh, set);
    else
        u.create(spec, r.x, r.y, r.sx, r.sy, r.sw, r.sh, set);
}
template <class U>
void build(U& u, const SprDepthRecord& r, const std::string& spec, TSurfaceSet& set, bool depth) {
    if (depth)
        u.create(spec, r.depth, r.x, r.y, set);
    else
        u.create(spec, r.x, r.y, set);
}
template <class U>
void build(U& u, const SprRectRecord& r, const std::string& spec, TSurfaceSet& set, bool) {
    u.create(spec, r.x, r.y, r.sx, r.sy, r.sw, r.sh, set);
}
template <class U>
void build(U& u, const SprRecord& r, const std::string& spec, TSurfaceSet& set, bool) {
    u.create(spec, r.x, r.y, set);
}

template <class U, class R>
void fill(std::deque<U>& units, const R* table, TSurfaceSet& set, va_list* args) {
    const size_t n = countRecords(table);
    units.resize(n);
    for (size_t i = 0; i < n; ++i) build(units[i], table[i], specOf(table[i], args), set, args == nullptr);
}

}  // namespace

#define MJ_SET_TABLE(Record)                                                                       \
    template <class U, class B>                                                                    \
    bool TSprObjSetBase<U, B>::createFromTable(const Record* table, TSurfaceSet& set) {            \
        fill(this->units_, table, set, nullptr);                                                   \
        return true;                                                                               \
    }                                                                                              \
    template <class U, class B>                                                                    \
    bool TSprObjSetBase<U, B>::createFromFormatTable(TSurfaceSet& set, const Record* table, ...) { \
        va_list args;                                                                              \
        va_start(args, table);                                                                     \
        fill(this->units_, table, set, &args);                                                     \
        va_end(args);                                                                              \
        return true;                                                                               \
    }
MJ_SET_TABLE(SprDepthRectRecord)
MJ_SET_TABLE(SprDepthRecord)
MJ_SET_TABLE(SprRectRecord)
MJ_SET_TABLE(SprRecord)
#undef MJ_SET_TABLE

template class TGrObjSetBase<TSprUnitObj, TMixObj>;
template class TSprObjSetBase<TSprUnitObj, TMixObj>;

}  // namespace graphics
