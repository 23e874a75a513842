#include "script/present/graphic/graphic.h"

#include <string>

#include "script/g2_error.h"
#include "script/present/ui/anis_obj.h"
#include "script/present/doc/doc.h"
#include "script/present/graphic/graphic_host.h"
#include "script/value_exchange.h"

namespace present {

TG2Graphic::TG2Graphic(GraphicHost& host) : host_(host), sprites_(kSprites), bgs_(host) {}

TG2Graphic::~TG2Graphic() {
    releaseAll();
    clearStyles();
}

bool TG2Graphic::create(int32_t w, int32_t h) {
    graphics::TGrTableObj::create(w, h, kLayers);
    for (int32_t i = 0; i < kSprites; ++i) sprites_[static_cast<size_t>(i)].setNo(i);
    bgs_.setScreenSize(w, h);
    bgs_.setNo(kSprites);
    return true;
}

void TG2Graphic::releaseAll() {
    for (auto& s : sprites_) s.clear();
    bgs_.releaseAll();
}

void TG2Graphic::clearStyles() {
    for (auto& [no, style] : styles_)
        if (style.mask) host_.releaseAlphaCh(style.mask);
    styles_.clear();
}

void TG2Graphic::reset() {
    offset_ = {};
    for (auto& s : sprites_) s.reset();
    bgs_.reset();
    clear();
    clearStyles();
    for (int32_t n = 0; n < kDefaultStyles; ++n) styles_[n] = GdeStyle{n, -1, nullptr};
    baseSprite_ = 0;
    fade_.reset();
}

void TG2Graphic::update() {
    const uint32_t now = host_.engineTime();
    TAnisObjBase::updateAll(0, now);
    fade_.update(now);
}

bool TG2Graphic::compose(bool withDoc) {
    const bool logOpen = doc_ && doc_->isLogViewOpen();
    bgs_.addToLayer(getLayer(0), 255);
    for (int32_t i = 0; i < kSprites && i < static_cast<int32_t>(getLayers().size()); ++i) {
        TG2Sprite& s = sprites_[static_cast<size_t>(i)];
        const uint16_t c = s.Connect;
        if (c == 0) {
            // A depth without a layer (outside 0-255) is not drawn; the state keeps it as given.
            s.addToLayer(getLayer(s.Depth), 255);
            continue;
        }
        if (!withDoc) continue;
        int32_t master = 0;
        bool refresh = false;
        const bool shown = doc_ && doc_->isTextShown();
        if (c >> 8) {
            if (logOpen) continue;
            int k = 0;
            while (k < 8 && !(c & (0x100 << k))) ++k;
            if (k == 8) continue;
            if (const TG2DocFrame* f = doc_ ? doc_->getFrame(k) : nullptr) {
                if (f->effectiveBlend() >= 0) master = f->effectiveBlend();
                refresh = f->isRedrawPending();
            }
        } else {
            if (!(c & (logOpen ? 2 : 1))) continue;
            master = shown ? 255 : 0;
            refresh = !logOpen && doc_ && doc_->isRedrawNeeded();
        }
        s.addToLayer(getLayer(i), master);
        if (refresh) s.refresh();
    }
    if (withDoc && doc_) doc_->draw(*this);
    if (withDoc) attachFade();
    return true;
}

void TG2Graphic::attachFade() {
    // The cover lies once in the screen's top layer, over the whole picture, for as long as it
    // shows: a faded-out screen stays covered until a fade brings the picture back.
    if (graphics::TGraphic* screen = graphics::graphic()) {
        screen->remove(&fade_.fill());
        screen->remove(&fade_.light());
    }
    fade_.attach();
}

void TG2Graphic::collapseSprites(int32_t last) {
    const int32_t base = baseSprite_;
    if (last < 0 || last >= kSprites || base < 0 || base > last) return;
    TG2Sprite& from = sprites_[static_cast<size_t>(last)];
    graphics::TGrObj* obj = from.SprObj;
    from.setSprObj(nullptr);
    for (int32_t n = base; n < last; ++n) sprites_[static_cast<size_t>(n)].release();
    sprites_[static_cast<size_t>(base)].setSprObj(obj);
}

namespace {

// The saved map keeps a style's number in 16 signed bits and closes its list with a negative one.
bool isSavableStyle(int32_t styleNo) { return styleNo >= 0 && styleNo <= 0x7FFF; }

}  // namespace

int32_t TG2Graphic::checkStyle(int32_t styleNo) {
    if (isSavableStyle(styleNo)) return styleNo;
    host_.warning(kG2WarnStyleNumber, std::to_string(styleNo));
    return 0;
}

const TG2Graphic::GdeStyle& TG2Graphic::getStyle(int32_t styleNo) const {
    static const GdeStyle unset;
    const auto it = styles_.find(styleNo);
    return it == styles_.end() ? unset : it->second;
}

void TG2Graphic::setStyle(int32_t styleNo, int32_t type, int32_t time, graphics::TAlphaCh* mask) {
    if (!isSavableStyle(styleNo)) {
        checkStyle(styleNo);
        if (mask) host_.releaseAlphaCh(mask);
        return;
    }
    GdeStyle& style = styles_[styleNo];
    // Every mask handed in comes with a reference of its own, even the one the style holds.
    if (style.mask) host_.releaseAlphaCh(style.mask);
    style = GdeStyle{type, time, mask};
}

TDwarf* TG2Graphic::createEffect(int32_t styleNo, TG2Thread* thread) {
    const GdeStyle& style = getStyle(checkStyle(styleNo));
    return host_.createTransition(style.Type, style.Time, style.mask, thread);
}

graphics::POINT TG2Graphic::placeByAlign(uint32_t align, int32_t w, int32_t h, const graphics::RECT& rect) const {
    return present::placeByAlign(align, w, h, rect, getSize());
}

graphics::POINT placeByAlign(uint32_t align, int32_t w, int32_t h, const graphics::RECT& rect, graphics::SIZE screen) {
    if (align == 0xFFFF) return {0, 0};
    auto place = [](uint32_t code, int32_t lo, int32_t hi, int32_t span, int32_t size) -> int32_t {
        switch (code) {
            case 0:
                return lo + (hi - lo - size) / 2;
            case 1:
                return lo;
            case 2:
                return hi - size;
            case 4:
                return (span - size) / 2;
            case 6:
                return span - size;
            case 7:
                return hi;
            case 8:
                return span;
            default:
                return 0;
        }
    };
    return {place(align & 15, rect.left, rect.right, screen.cx, w),
            place((align >> 4) & 15, rect.top, rect.bottom, screen.cy, h)};
}

void TG2Graphic::exchangeStyles(TValueExchange& x) {
    TValueExchange::TKey key(x, "GdeStyleMap");
    if (x.isStoring()) {
        for (auto& [no, style] : styles_) {
            x.putShort("ID", static_cast<int16_t>(no));
            x.exchangeInt("Type", style.Type);
            x.exchangeInt("Time", style.Time);
            host_.exchangeAlphaCh(x, style.mask);
        }
        x.putShort("ID", -1);
        return;
    }
    for (int32_t no; (no = x.getShort("ID")) >= 0;) {
        GdeStyle loaded;
        x.exchangeInt("Type", loaded.Type);
        x.exchangeInt("Time", loaded.Time);
        host_.exchangeAlphaCh(x, loaded.mask);
        setStyle(no, loaded.Type, loaded.Time, loaded.mask);
    }
}

void TG2Graphic::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "gGraphic");
    x.exchangeShort("Offset X", offset_.x);
    x.exchangeShort("Offset Y", offset_.y);
    if (x.isStoring()) {
        for (int32_t i = 0; i < kSprites; ++i) {
            TG2Sprite& s = sprites_[static_cast<size_t>(i)];
            if (!s.isModified()) continue;
            x.putShort("SpriteID", static_cast<int16_t>(i));
            s.exchange(x);
        }
        x.putShort("SpriteID", -1);
    } else {
        // A number past the table is a damaged save, not a sprite.
        for (int32_t i; (i = x.getShort("SpriteID")) >= 0;) {
            if (i >= kSprites) throwG2Error(0x100c);
            sprites_[static_cast<size_t>(i)].exchange(x);
        }
    }
    bgs_.exchange(x);
    exchangeStyles(x);
    bool tone = toneMode_;
    x.exchangeFlags("ToneMode", &tone);
    toneMode_ = tone;
}

}  // namespace present
