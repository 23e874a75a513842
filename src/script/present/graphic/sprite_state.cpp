#include "script/present/graphic/sprite_state.h"

#include <algorithm>

#include "graphics/surface32.h"
#include "script/g2_error.h"
#include "script/present/ui/anis_obj.h"
#include "script/present/graphic/graphic_host.h"
#include "script/value_exchange.h"

namespace present {

TSprObjEx::TSprObjEx(const TSprObjEx& other) : graphics::TSprObj(other) {
    if (other.ownsSurface()) {
        auto copy = std::make_unique<graphics::TSurface32>();
        copy->createCopy(*other.own_);
        adoptSurface(std::move(copy));
        setSourceRect(*other.getSourceRect());
        setSize(other.getDrawWidth(), other.getDrawHeight());
    } else if (getSurface()) {
        // The copy holds the bank's picture too.
        graphicHost().surfaces().addRef(getSurface());
    }
}

std::unique_ptr<graphics::TGrObj> TSprObjEx::clone() const { return std::make_unique<TSprObjEx>(*this); }

void TSprObjEx::adoptSurface(std::unique_ptr<graphics::TSurface32> surface) {
    graphics::TSurface32* s = surface.get();
    if (s != own_.get()) {
        setSurface(s);
        own_ = std::move(surface);
    } else {
        surface.release();
        setSurface(s);
    }
}

void TSprObjEx::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "SprObjEx");
    exchangeSpritePart(x, *this, false);
}

std::unique_ptr<graphics::TGrObj> TSpdObjEx::clone() const {
    auto copy = std::make_unique<TSpdObjEx>(getData());
    if (getData()) graphicHost().spds().addRef(getData());
    if (getTextureNo() >= 0) copy->setTextureNo(getTextureNo());
    if (getCombiNo() >= 0) copy->setCombiNo(getCombiNo());
    if (getSeqNo() >= 0) copy->setSeqNo(getSeqNo());
    copy->graphics::TGrObj::setPos(getX(), getY());
    return copy;
}

void TSpdObjEx::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "SpdObjEx");
    const bool load = x.isLoading();
    graphics::POINT pos = getPos();
    bool visible = isVisible();
    int32_t depth = getDepth(), subBlend = getSubBlend(), seq = getSeqNo(), combi = getCombiNo(),
            texture = getTextureNo(), status = getStatus();
    uint32_t mix = getBlendType();
    int32_t blend = static_cast<int32_t>(getBlend());
    float zx = getZoomX(), zy = getZoomY();
    x.exchangeShort("X", pos.x);
    x.exchangeShort("Y", pos.y);
    x.exchangeFlags("Visible", &visible);
    x.exchangeShort("Depth", depth);
    x.exchangeShort("SubBlend", subBlend);
    x.exchangeShort("SeqNo", seq);
    x.exchangeShort("CombiNo", combi);
    x.exchangeShort("TextureNo", texture);
    x.exchangeShort("Status", status);
    x.exchangeLong("Mix", mix);
    x.exchangeShort("Blend", blend);
    x.exchangeFloat("ZoomX", zx);
    x.exchangeFloat("ZoomY", zy);
    graphics::TSpdData* data = getData();
    if (load && data) {
        graphicHost().spds().release(data);
        setData(nullptr);
    }
    graphicHost().spds().exchange(x, data);
    if (!load) return;
    setData(data);
    graphics::TGrObj::setPos(pos.x, pos.y);
    graphics::TGrObj::setVisible(visible);
    setDepth(depth);
    setSubBlend(subBlend);
    setBlendType(mix);
    setBlend(static_cast<uint32_t>(blend));
    scale(zx, zy);
    stop();
    if (data) {
        if (texture >= 0) setTextureNo(texture);
        if (combi >= 0) setCombiNo(combi);
        if (seq >= 0) setSeqNo(seq);
        if (status == graphics::TSpdObj::kPlaying) start();
    }
}

bool isSurfaceObj(const graphics::TGrObj* obj) {
    if (!obj) return false;
    const uint16_t type = obj->getTypeId();
    return type == graphics::kGrSprite || type == graphics::kGrAnimScript;
}

void releaseGrObjResource(graphics::TGrObj* obj) {
    if (auto* spd = dynamic_cast<TSpdObjEx*>(obj)) {
        if (spd->getData()) graphicHost().spds().release(spd->getData());
        spd->setData(nullptr);
    } else if (auto* anim = dynamic_cast<TAnisObjEx*>(obj)) {
        anim->releaseImage();
    } else if (auto* spr = dynamic_cast<graphics::TSprObj*>(obj); spr && isSurfaceObj(obj)) {
        auto* ex = dynamic_cast<TSprObjEx*>(obj);
        if (spr->getSurface() && !(ex && ex->ownsSurface())) {
            graphicHost().surfaces().release(spr->getSurface());
            spr->setSurface(nullptr);
        }
    }
}

void deleteGrObj(graphics::TGrObj*& obj) {
    if (!obj) return;
    releaseGrObjResource(obj);
    delete obj;
    obj = nullptr;
}

uint8_t sprObjCode(const graphics::TGrObj* obj) {
    if (dynamic_cast<const TAnisObjEx*>(obj)) return 2;
    if (dynamic_cast<const TSprObjEx*>(obj)) return 1;
    if (dynamic_cast<const TSpdObjEx*>(obj)) return 3;
    return 0;
}

void exchangeSprObj(TValueExchange& x, const char*, graphics::TGrObj*& obj) {
    uint8_t code = sprObjCode(obj);
    x.exchangeByte("Code", code);
    if (x.isLoading() && code != sprObjCode(obj)) {
        deleteGrObj(obj);
        if (code == 1) obj = new TSprObjEx;
        if (code == 2) obj = new TAnisObjEx;
        if (code == 3) obj = new TSpdObjEx;
        if (code > 3) throwG2Error(0x100c);
    }
    if (code == 1) static_cast<TSprObjEx*>(obj)->exchange(x);
    if (code == 2) static_cast<TAnisObjEx*>(obj)->exchange(x);
    if (code == 3) static_cast<TSpdObjEx*>(obj)->exchange(x);
}

TBlendObjEx::~TBlendObjEx() { deleteGrObj(own_); }

void TBlendObjEx::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "BlendObjEx");
    if (x.isStoring()) {
        graphics::TGrObj* after = this->after();
        exchangeSprObj(x, "After", after);
    } else {
        // A picture of the object's own is reused or replaced; one set from outside is left alone.
        const bool ownShown = own_ && after() == own_;
        exchangeSprObj(x, "After", own_);
        auto* picture = dynamic_cast<graphics::TSprObj*>(own_);
        if (own_ && !picture) deleteGrObj(own_);
        if (picture || ownShown || !after()) {
            const uint32_t type = before() ? before()->getBlendType() : picture ? picture->getBlendType() : 0;
            setPictures(before(), picture, type);
        }
    }
    int32_t level2 = getParam(), depth = getDepth(), subBlend = getOpacity();
    graphics::POINT pos{x_, y_};
    bool visible = isVisible();
    x.exchangeShort("Blend", level2);
    x.exchangeShort("X", pos.x);
    x.exchangeShort("Y", pos.y);
    x.exchangeFlags("Visible", &visible);
    x.exchangeShort("Depth", depth);
    x.exchangeShort("SubBlend", subBlend);
    if (x.isStoring()) return;
    setParam(level2);
    x_ = pos.x, y_ = pos.y;
    setVisible(visible);
    setDepth(depth);
    setOpacity(std::clamp(subBlend, 0, 255));
}

// ---- sprite state -------------------------------------------------------------------------------

bool TG2SpriteState::isModified() const {
    return !Visible || Depth != No || X != 0 || Y != 0 || ZoomX != 1.0f || ZoomY != 1.0f || Flag != 0 || Blend != 255 ||
           BlendType != 0 || SprObj != nullptr;
}

void TG2SpriteState::reset() {
    release();
    Depth = No;
    Visible = true;
    ImageName.clear();
    Color = 0;
    W = H = 0;
    ZoomX = ZoomY = 1.0f;
    Flag = X = Y = BlendType = 0;
    Blend = 255;
}

void TG2SpriteState::release() {
    if (!SprObj) return;
    SprObj->invalidate();
    deleteGrObj(SprObj);
}

void TG2SpriteState::addToLayer(graphics::TGrTableObj::Layer* layer, int32_t master) {
    if (!layer || !SprObj || !Visible) return;
    uint32_t opacity = static_cast<uint32_t>(Blend);
    if (master != 255) {
        const uint64_t product = static_cast<uint64_t>(static_cast<uint32_t>(Blend) * static_cast<uint32_t>(master));
        opacity = static_cast<uint32_t>((product * 0x01010101u + 0x10000u) >> 32);
    }
    if (auto* mix = dynamic_cast<graphics::TMixObj*>(SprObj)) mix->setBlend(opacity);
    layer->push_back(SprObj);
}

void TG2SpriteState::setImage(const std::string& name, int32_t x, int32_t y, int32_t flag) {
    Flag = flag;
    graphics::TGrObj* made = graphicHost().createGrObj(name);
    if (!made) {
        graphicHost().warning(0x1002, name);
    } else {
        made->setPos(x, y);
        X = x, Y = y;
        if (auto* mix = dynamic_cast<graphics::TMixObj*>(made)) {
            mix->setBlendType(static_cast<uint32_t>(BlendType));
            mix->setBlend(static_cast<uint32_t>(Blend));
        }
    }
    release();
    if (made) made->invalidate();
    setSprObj(made);
}

void TG2SpriteState::setBlendType(int32_t t) {
    BlendType = t;
    if (auto* mix = dynamic_cast<graphics::TMixObj*>(SprObj)) {
        mix->setBlendType(static_cast<uint32_t>(t));
        mix->invalidate();
    }
}

void TG2SpriteState::setBlend(int32_t b) {
    Blend = b;
    if (auto* mix = dynamic_cast<graphics::TMixObj*>(SprObj)) {
        mix->setBlend(static_cast<uint32_t>(b));
        mix->invalidate();
    }
}

void TG2SpriteState::copyShownState(const TG2SpriteState& from) {
    SprObj = from.SprObj;
    No = from.No;
    Depth = from.Depth;
    Visible = from.Visible;
    Flag = from.Flag;
    X = from.X, Y = from.Y;
    BlendType = from.BlendType;
    Blend = from.Blend;
}

void TG2SpriteState::exchange(TValueExchange& x, bool withObj) {
    TValueExchange::TKey key(x, "gSpriteState");
    x.exchangeShort("No", No);
    x.exchangeFlags("Visible", &Visible);
    x.exchangeShort("Depth", Depth);
    x.exchangeColor("Color", Color);
    x.exchangeShort("W", W);
    x.exchangeShort("H", H);
    x.exchangeFloat("ZoomX", ZoomX);
    x.exchangeFloat("ZoomY", ZoomY);
    x.exchangeInt("Flag", Flag);
    x.exchangeShort("X", X);
    x.exchangeShort("Y", Y);
    x.exchangeLong("BlendType", BlendType);
    x.exchangeShort("Blend", Blend);
    if (!withObj) return;
    exchangeSprObj(x, "SprObj", SprObj);
    if (x.isLoading() && SprObj && Visible) SprObj->invalidate();
}

// ---- sprites that transitions take over ---------------------------------------------------------

TG2DwarfSprite::~TG2DwarfSprite() {
    if (Job) Job->finish();
}

void TG2DwarfSprite::reset() {
    EStyle = 0;
    TG2SpriteState::reset();
}

void TG2DwarfSprite::addToLayer(graphics::TGrTableObj::Layer* layer, int32_t master) {
    if (Job)
        Job->addToLayer(layer, master);
    else
        TG2SpriteState::addToLayer(layer, master);
}

void TG2DwarfSprite::release() {
    if (Job) {
        GraphicJob* job = Job;
        Job = nullptr;
        job->finish();
    }
    TG2SpriteState::release();
}

void TG2DwarfSprite::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "gDwarfSprite");
    TG2SpriteState::exchange(x, true);
    x.exchangeShort("EStyle", EStyle);
}

void TG2Sprite::reset() {
    TG2DwarfSprite::reset();
    Connect = 0;
}

void TG2Sprite::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "gSprite");
    TG2DwarfSprite::exchange(x);
    x.exchangeWord("Connect", Connect);
}

}  // namespace present
