#pragma once
// Script sprites: the state a sprite command asked for (number, depth, visibility, placement,
// zoom, colour, blend) beside the drawable object it shows, so that a command can tell a new
// request from what is shown and a save can write both. The objects are of the savable kinds:
// a still picture (TSprObjEx) or an animation script (TAnisObjEx).
#include <cstdint>
#include <string>

#include "graphics/gr_kinds.h"
#include "graphics/graphic.h"
#include "graphics/spd.h"

class TValueExchange;

namespace present {

// A still picture whose surface is a reference of the surface bank, or a surface of its own
// (the composite of the background, drawn into every frame of a change).
class TSprObjEx : public graphics::TSprObj {
public:
    TSprObjEx() = default;
    TSprObjEx(const TSprObjEx& other);
    TSprObjEx& operator=(const TSprObjEx&) = delete;

    std::unique_ptr<graphics::TGrObj> clone() const override;
    // Section "SprObjEx": placement, source rectangle, size, flags, colours, opacity and the
    // surface by reference (a surface of its own is not the bank's and is saved as none).
    virtual void exchange(TValueExchange& x);
    // Shows a surface that the object owns from now on.
    void adoptSurface(std::unique_ptr<graphics::TSurface32> surface);
    bool ownsSurface() const { return own_ && own_.get() == getSurface(); }

private:
    std::unique_ptr<graphics::TSurface32> own_;
};

// An animated sprite on sprite data that the sprite-data bank holds.
class TSpdObjEx : public graphics::TSpdObj {
public:
    explicit TSpdObjEx(graphics::TSpdData* data = nullptr) : graphics::TSpdObj(data) {}
    // The copy holds the data too and shows the same selection.
    std::unique_ptr<graphics::TGrObj> clone() const override;
    // Section "SpdObjEx": placement, selection, status, blend and zoom, then the data by
    // reference; a sequence that was playing starts again.
    virtual void exchange(TValueExchange& x);
};

// The cross-fade of two pictures in a form a save keeps: the after picture goes into the save
// with it, and one that a load made is the object's own (given back when it goes or is replaced);
// pictures set from outside stay their owners'.
class TBlendObjEx : public graphics::TBlendObj {
public:
    TBlendObjEx() = default;
    ~TBlendObjEx() override;
    TBlendObjEx(const TBlendObjEx&) = delete;
    TBlendObjEx& operator=(const TBlendObjEx&) = delete;

    // Section "BlendObjEx": "After" (none allowed), "Blend" (the second level), "X", "Y",
    // "Visible", "Depth", "SubBlend". A loaded after picture that is no still or animated
    // picture is dropped.
    virtual void exchange(TValueExchange& x);

private:
    graphics::TGrObj* own_ = nullptr;
};

// What draws in a sprite's place while a transition runs on it.
class GraphicJob {
public:
    virtual ~GraphicJob() = default;
    virtual void addToLayer(graphics::TGrTableObj::Layer* layer, int32_t master) = 0;
    virtual void finish() = 0;
};

// Gives back the bank resource an object holds (the surface of a picture or an animation).
void releaseGrObjResource(graphics::TGrObj* obj);
// True for a picture or an animation-script object.
bool isSurfaceObj(const graphics::TGrObj* obj);
// The savable kind code of an object: 0 none, 1 picture, 2 animation script, 3 sprite data.
uint8_t sprObjCode(const graphics::TGrObj* obj);
// A byte "Code", then the object's own section. Loading makes the saved kind; an object of
// another kind is released first. A kind this build cannot make is engine error 0x100c.
void exchangeSprObj(TValueExchange& x, const char* key, graphics::TGrObj*& obj);
// The object's resource given back and the object deleted.
void deleteGrObj(graphics::TGrObj*& obj);

class TG2SpriteState {
public:
    TG2SpriteState() = default;
    // Copies the object pointer too (no new object): for filling sprite tables with defaults.
    TG2SpriteState(const TG2SpriteState&) = default;
    TG2SpriteState& operator=(const TG2SpriteState&) = delete;
    virtual ~TG2SpriteState() { releaseOwned(); }

    // Stores the pointer; nothing is released.
    virtual void setSprObj(graphics::TGrObj* obj) { SprObj = obj; }
    virtual bool isModified() const;
    virtual void setNo(int32_t n) { No = n; }
    virtual void clear() { release(); }
    virtual void reset();
    // The object when there is one and it is visible, at Blend times master / 255; a null layer
    // (a depth the table has no layer for) adds nothing.
    virtual void addToLayer(graphics::TGrTableObj::Layer* layer, int32_t master);
    // A new object for the image specification placed at (x, y); without one, warning 0x1002
    // and the sprite shows nothing. The old object is released either way.
    virtual void setImage(const std::string& name, int32_t x, int32_t y, int32_t flag);
    virtual void release();
    virtual void refresh() {
        if (SprObj) SprObj->invalidate();
    }
    // Section "gSpriteState".
    virtual void exchange(TValueExchange& x, bool withObj);

    void setBlendType(int32_t t);
    void setBlend(int32_t b);
    bool isSamePlacement(int32_t x, int32_t y, float zoomX, float zoomY, int32_t flag) const {
        return X == x && Y == y && ZoomX == zoomX && ZoomY == zoomY && Flag == flag;
    }
    bool isSameBlend(int32_t blend, int32_t flag) const { return Blend == blend && Flag == flag; }
    bool isSameColorSprite(uint32_t color, int32_t x, int32_t y, float zoomX, float zoomY, int32_t flag) const {
        return SprObj && ImageName.empty() && Color == color && isSamePlacement(x, y, zoomX, zoomY, flag);
    }
    bool isSameImageSprite(const std::string& name, int32_t x, int32_t y, int32_t flag) const {
        return SprObj && ImageName == name && X == x && Y == y && Flag == flag;
    }
    void copyShownState(const TG2SpriteState& from);

    int32_t No = -1;
    int32_t Depth = -1;
    bool Visible = true;
    std::string ImageName;
    uint32_t Color = 0;
    int32_t W = 0, H = 0;
    float ZoomX = 1.0f, ZoomY = 1.0f;
    int32_t Flag = 0;
    int32_t X = 0, Y = 0;
    int32_t BlendType = 0;
    int32_t Blend = 255;
    graphics::TGrObj* SprObj = nullptr;

protected:
    // What the destructor gives back; a kind that shares its object overrides the release.
    void releaseOwned() { deleteGrObj(SprObj); }
};

class TG2DwarfSprite : public TG2SpriteState {
public:
    TG2DwarfSprite() = default;
    TG2DwarfSprite(const TG2DwarfSprite&) = default;
    ~TG2DwarfSprite() override;

    bool isModified() const override { return EStyle != 0 || TG2SpriteState::isModified(); }
    void reset() override;
    void addToLayer(graphics::TGrTableObj::Layer* layer, int32_t master) override;
    // A running job is finished first.
    void release() override;
    using TG2SpriteState::exchange;
    // Section "gDwarfSprite": the state with its object, then "EStyle".
    virtual void exchange(TValueExchange& x);

    void attachJob(GraphicJob* job) { Job = job; }
    void detachJob() { Job = nullptr; }

    int32_t EStyle = 0;
    GraphicJob* Job = nullptr;  // not owned
};

class TG2Sprite : public TG2DwarfSprite {
public:
    TG2Sprite() = default;
    TG2Sprite(const TG2Sprite&) = default;

    bool isModified() const override { return Connect != 0 || TG2DwarfSprite::isModified(); }
    void reset() override;
    using TG2DwarfSprite::exchange;
    // Section "gSprite": "gDwarfSprite", then "Connect".
    void exchange(TValueExchange& x) override;

    // Bit 0 shown while the backlog view is closed, bit 1 while it is open, bits 8-15 follow
    // message frames 0-7.
    uint16_t Connect = 0;
};

}  // namespace present
