#include <algorithm>
#include <cmath>
#include <set>

#include "graphics/spd.h"
#include "graphics/sprite.h"
#include "graphics/surface32.h"

namespace graphics {

namespace {

// The live animated sprites, by address; main thread only.
std::set<TSpdObj*>& registry() {
    static std::set<TSpdObj*> live;
    return live;
}

}  // namespace

TSpdObj::TSpdObj(TSpdData* data) : data_(data) {
    seq_.reset();
    registry().insert(this);
}

TSpdObj::~TSpdObj() { registry().erase(this); }

void TSpdObj::updateAll() {
    // An update may end another object's life: each is looked up again before it runs.
    const std::vector<TSpdObj*> now(registry().begin(), registry().end());
    for (TSpdObj* o : now)
        if (registry().count(o)) o->update();
}

size_t TSpdObj::liveCount() { return registry().size(); }

bool TSpdObj::validSeq(int32_t n) const {
    return data_ && n >= 0 && static_cast<size_t>(n) < data_->animationCount() && data_->animation(n);
}
bool TSpdObj::validCombi(int32_t n) const {
    return data_ && n >= 0 && static_cast<size_t>(n) < data_->characters().size();
}
bool TSpdObj::validTexture(int32_t n) const {
    return data_ && n >= 0 && static_cast<size_t>(n) < data_->textures().size();
}

void TSpdObj::invalidate() {
    updateBounds();
    TGrObj::invalidateRect(bounds_);
}

SIZE TSpdObj::getSize() const { return {bounds_.width(), bounds_.height()}; }
RECT TSpdObj::getLocalRect() const { return bounds_; }

void TSpdObj::setSize(int32_t w, int32_t h) {
    if (validCombi(combiNo_)) {
        const SIZE s = data_->characters()[combiNo_].getSize();
        const int32_t cw = RECT::saturateReal(s.cx * seq_.zoomX), ch = RECT::saturateReal(s.cy * seq_.zoomY);
        if (cw != 0) zoomX_ = static_cast<float>(w) / cw / seq_.zoomX;
        if (ch != 0) zoomY_ = static_cast<float>(h) / ch / seq_.zoomY;
    } else if (validTexture(textureNo_) && data_->textures()[textureNo_]) {
        const TSurface32* t = data_->textures()[textureNo_];
        if (t->width() != 0) zoomX_ = static_cast<float>(w) / t->width();
        if (t->height() != 0) zoomY_ = static_cast<float>(h) / t->height();
    }
    // The bounds follow the new zoom at once: a size read back, or an area redrawn, right after
    // is the size now drawn.
    boundsDirty_ = 1;
    updateBounds();
}

void TSpdObj::scale(float sx, float sy) {
    zoomX_ = sx;
    zoomY_ = sy;
    boundsDirty_ = 1;
    updateBounds();
}

int32_t TSpdObj::placeX(int32_t x, int32_t span) const {
    if (validCombi(combiNo_)) return data_->characters()[combiNo_].placeX(x, span);
    const TSurface32* t = validTexture(textureNo_) ? data_->textures()[textureNo_] : nullptr;
    return placeCoord(x, span, t ? t->width() : 0);
}

int32_t TSpdObj::placeY(int32_t y, int32_t span) const {
    if (validCombi(combiNo_)) return data_->characters()[combiNo_].placeY(y, span);
    const TSurface32* t = validTexture(textureNo_) ? data_->textures()[textureNo_] : nullptr;
    return placeCoord(y, span, t ? t->height() : 0);
}

void TSpdObj::setData(TSpdData* data) {
    data_ = data;
    registry().insert(this);
    boundsDirty_ = 1;
}

void TSpdObj::setFlag(int32_t i, uint8_t value) {
    if (i >= 0 && i < 8) seq_.flags[i] = value;
}

void TSpdObj::setSeqNo(int32_t n) {
    if (!validSeq(n)) {
        setCombiNo(n);
        return;
    }
    if (seqNo_ == n) return;
    seqNo_ = n;
    boundsDirty_ = 1;
    updateBounds();
}

void TSpdObj::setCombiNo(int32_t n) {
    if (!validCombi(n)) {
        setTextureNo(n);
        return;
    }
    if (seqNo_ == -1 && combiNo_ == n) return;
    seqNo_ = -1;
    combiNo_ = n;
    boundsDirty_ = 1;
    updateBounds();
}

void TSpdObj::setTextureNo(int32_t n) {
    const int32_t t = validTexture(n) ? n : 0;
    if (seqNo_ == -1 && combiNo_ == -1 && textureNo_ == t) return;
    textureNo_ = t;
    seqNo_ = combiNo_ = -1;
    boundsDirty_ = 1;
    updateBounds();
}

void TSpdObj::start() {
    if (seqNo_ >= 0) {
        if (isPlaying()) return;
        seq_.reset();
        boundsDirty_ = 1;
        updateBounds();
        status_ = kPlaying;
        update();
    } else if (combiNo_ >= 0 || textureNo_ >= 0) {
        seq_.reset();
        status_ = kStopped;
    }
}

void TSpdObj::updateBounds() {
    if (!boundsDirty_) return;
    boundsDirty_ = 0;
    if (validCombi(combiNo_)) {
        bounds_ = data_->characters()[combiNo_].getLocalRect();
        const float fx = zoomX_ * seq_.zoomX, fy = zoomY_ * seq_.zoomY;
        // A zoom read from a damaged save may be NaN: it gives an empty extent rather than an undefined conversion.
        auto scaled = [](int32_t v, float f) {
            const double p = v * double(f);
            return std::isnan(p) ? 0 : static_cast<int32_t>(std::clamp(p, -2e9, 2e9));
        };
        if (fx != 1.0f) {
            bounds_.left = scaled(bounds_.left, fx);
            bounds_.right = scaled(bounds_.right, fx);
        }
        if (fy != 1.0f) {
            bounds_.top = scaled(bounds_.top, fy);
            bounds_.bottom = scaled(bounds_.bottom, fy);
        }
    } else if (validTexture(textureNo_) && data_->textures()[textureNo_]) {
        const TSurface32* t = data_->textures()[textureNo_];
        bounds_ = RECT{0, 0, RECT::saturateReal(zoomX_ * double(t->width())),
                       RECT::saturateReal(zoomY_ * double(t->height()))};
    } else {
        bounds_ = RECT{0, 0, 0, 0};
    }
}

void TSpdObj::showCharacter(int32_t n) {
    if (combiNo_ == n) return;
    invalidate();
    combiNo_ = n;
    boundsDirty_ = 1;
    invalidate();
}

bool TSpdObj::update() {
    if (!isPlaying() || !validSeq(seqNo_)) return true;
    if (seq_.wait > 0) {
        --seq_.wait;
        return false;
    }
    const TSpdData::Steps& steps = *data_->animation(seqNo_);
    // Steps that take no time (marks, loops) could go round for ever: past this many in one
    // frame the frame's work ends and the animation goes on from there in the next one.
    const size_t bound = 4 * steps.size() + 16;
    for (size_t done = 0; done < bound; ++done) {
        if (seq_.step < 0 || static_cast<size_t>(seq_.step) >= steps.size()) {
            stop();
            return true;
        }
        const TUnit& u = steps[seq_.step];
        switch (u.code) {
            case TUnit::kEnd:
                stop();
                return true;
            case TUnit::kTime:
                showCharacter(u.b);
                seq_.wait = u.a;
                ++seq_.step;
                if (seq_.wait > 0) --seq_.wait;
                return false;
            case TUnit::kMark:
                seq_.mark = seq_.step++;
                continue;
            case TUnit::kUntil:
                seq_.step = seq_.mark;
                continue;
            case TUnit::kFor:
                seq_.loop = u.b;
                ++seq_.step;
                continue;
            case TUnit::kNext:
                if (--seq_.loop > 0)
                    seq_.step = seq_.mark;
                else
                    ++seq_.step;
                continue;
            case TUnit::kHide:
            case TUnit::kShow:
                if (u.code == TUnit::kHide) {
                    invalidate();
                    setVisible(false);
                } else {
                    setVisible(true);
                    invalidate();
                }
                seq_.wait = u.a;
                ++seq_.step;
                return false;
            case TUnit::kFlagOn:
            case TUnit::kFlagOff:
                setFlag(u.b, u.code == TUnit::kFlagOn ? 1 : 0);
                seq_.wait = u.a;
                ++seq_.step;
                return false;
            case TUnit::kBlend:
            case TUnit::kZoom: {
                if (seq_.tweenLeft == 0) {
                    seq_.tweenLeft = tweenTotal_ = std::max(u.a, 0);
                    opacityFrom_ = seq_.opacity;
                    opacityTo_ = std::clamp(u.b, 0, 255);
                    zoomXFrom_ = seq_.zoomX;
                    zoomYFrom_ = seq_.zoomY;
                    zoomXTo_ = u.f1;
                    zoomYTo_ = u.f2;
                }
                if (tweenTotal_ == 0) seq_.tweenLeft = tweenTotal_ = 1;
                --seq_.tweenLeft;
                const int32_t doneFrames = tweenTotal_ - seq_.tweenLeft;
                if (u.code == TUnit::kBlend) {
                    seq_.opacity = static_cast<int32_t>(int64_t(opacityTo_ - opacityFrom_) * doneFrames / tweenTotal_ +
                                                        opacityFrom_);
                } else {
                    // A shrinking picture leaves its old area to be drawn again as well.
                    invalidate();
                    seq_.zoomX = (zoomXTo_ - zoomXFrom_) * doneFrames / tweenTotal_ + zoomXFrom_;
                    seq_.zoomY = (zoomYTo_ - zoomYFrom_) * doneFrames / tweenTotal_ + zoomYFrom_;
                    boundsDirty_ = 1;
                }
                invalidate();
                if (seq_.tweenLeft <= 0) {
                    seq_.tweenLeft = 0;
                    ++seq_.step;
                }
                return false;
            }
            default:  // pause, and codes that are none: hold here until started again
                return false;
        }
    }
    return false;
}

void TSpdObj::draw(TSurface32& target) {
    updateBounds();
    if (!data_ || !isVisible()) return;
    const int32_t alpha = static_cast<int32_t>(int64_t(colour_ >> 24) * seq_.opacity * subBlend_ / 65025);
    const float fx = zoomX_ * seq_.zoomX, fy = zoomY_ * seq_.zoomY;
    if (validCombi(combiNo_)) {
        TSprUnitSet& set = data_->characters()[combiNo_];
        const POINT pos = set.getPos();
        const float sx = set.getScaleX(), sy = set.getScaleY();
        const uint32_t blend = set.getBlendType(), colour = set.getColour();
        set.setPos(x_, y_);
        set.scale(fx, fy);
        set.setBlendType(mix_);
        set.setColour((colour_ & 0x00FFFFFFu) | static_cast<uint32_t>(alpha & 255) << 24);
        set.setMask(mask_);
        set.draw(target);
        set.setPos(pos);
        set.scale(sx, sy);
        set.setBlendType(blend);
        set.setColour(colour);
        set.setMask(nullptr);
        return;
    }
    if (data_->textures().empty()) return;
    if (!validTexture(textureNo_)) {
        textureNo_ = 0;
        boundsDirty_ = 1;
    }
    TSurface32* texture = data_->textures()[textureNo_];
    if (!texture) return;
    TSprObj sprite;
    sprite.setSurface(texture);
    sprite.setPos(x_, y_);
    sprite.setScale(fx, fy);
    sprite.TSprite32::setBlendType(mix_);
    sprite.setModulate((colour_ & 0x00FFFFFFu) | static_cast<uint32_t>(alpha & 255) << 24);
    if ((colour_ & 0x00FFFFFFu) != 0x00FFFFFFu) sprite.setKind(sprite.getKind() | sprite_flag::kModulate);
    if (mask_) sprite.TSprite32::setMask(mask_);
    sprite.draw(target);
}

}  // namespace graphics
