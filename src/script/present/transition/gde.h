#pragma once
// Transitions and graphic jobs: per-frame jobs bound to one script sprite that, while they run,
// say what is drawn in the sprite's place. A transition replaces the sprite's picture (before)
// by a new one (after) over a time; progress runs from 0 to 8192 over that time.
#include <cstdint>
#include <memory>

#include "graphics/gr_kinds.h"
#include "graphics/gr_obj.h"
#include "graphics/rect.h"
#include "graphics/surface8.h"
#include "script/dwarf.h"
#include "script/present/graphic/sprite_state.h"

class TValueExchange;

namespace present {

class TGrDwarf;

// What a job needs of the script sprite it works on.
class GdeSprite {
public:
    virtual ~GdeSprite() = default;
    // The sprite's picture. While a transition runs the job owns the before and after pictures;
    // setSprObj stores a picture without deleting the one it had.
    virtual graphics::TMixObj* getSprObj() const = 0;
    virtual void setSprObj(graphics::TMixObj* obj) = 0;
    virtual int32_t getNo() const = 0;
    // Bit 0: no hold; bit 1: start paused; bit 2: collapse into the base sprite at the end.
    virtual uint32_t getFlag() const = 0;
    virtual bool isVisible() const = 0;
    virtual int32_t getBlend() const = 0;
    // Also hands the opacity to the picture and marks it for redrawing.
    virtual void setBlend(int32_t blend) = 0;
    virtual TGrDwarf* getJob() const { return job_; }
    virtual void setJob(TGrDwarf* job) { job_ = job; }

private:
    TGrDwarf* job_ = nullptr;
};

// The background grid as a morph job sees it.
class GdeGrid : public GdeSprite {
public:
    virtual void renderMorph(int32_t progress, graphics::TMixObj*& picture) = 0;
    virtual void commitStates() = 0;
    virtual void renderToSprObj(graphics::TMixObj*& picture) = 0;
    virtual graphics::TMixObj*& composite() = 0;
};

// Where the jobs append what stands in a sprite's place, back to front.
class GdeLayer {
public:
    virtual ~GdeLayer() = default;
    virtual void append(graphics::TGrObj* obj) = 0;
};

// What the jobs need of the engine: its clock, skip mode and settings, the graphic layer, the
// savable-object exchange and the banks.
class GdeHost {
public:
    virtual ~GdeHost() = default;
    // The engine clock in ms; `fresh` brings it up to date first.
    virtual uint32_t now(bool fresh) = 0;
    virtual bool isSkipping() const { return false; }
    virtual bool screenEffect() const { return true; }
    // A job waits (the core's notice) and the input's pending presses are dropped.
    virtual void jobWaits() {}
    virtual void clearInput() {}
    virtual graphics::SIZE layerSize() const { return {800, 600}; }
    virtual void invalidateLayer() {}
    virtual void collapseSprites(int32_t) {}
    virtual GdeSprite* getSprite(int32_t) { return nullptr; }
    virtual GdeGrid* getBgsCenter() { return nullptr; }
    virtual void releaseGrObjResource(graphics::TGrObj*) {}
    // A kind code and the object's own section; null allowed both ways.
    virtual void exchangeSprObj(TValueExchange& x, graphics::TMixObj*& obj);
    // Section "AlphaChBank": the mask by name; loading takes a new reference.
    virtual void exchangeAlphaCh(TValueExchange& x, graphics::TAlphaCh*& ch);
    virtual void releaseAlphaCh(graphics::TAlphaCh*) {}
};

// The host every job uses; set by the engine (a headless one with a still clock by default).
GdeHost& gdeHost();
void setGdeHost(GdeHost* host);

// Elapsed ms to progress 0..8192; a time below 1 is already at the end.
int32_t gdeProgress(uint32_t elapsed, int32_t time);
// The 256-step sine table with amplitude 256.
int32_t gdeSine(int32_t index);

class TGrDwarf : public TDwarf {
public:
    // Made for one use: the core deletes the job when it leaves the list.
    TGrDwarf() { deleteWhenFinished_ = true; }
    ~TGrDwarf() override;
    void exchange(TValueExchange& x) override;
    virtual GdeSprite* getLayer() const { return layer_; }
    virtual bool setLayer(GdeSprite* sprite);
    virtual void addToLayer(GdeLayer& layer, int32_t master) = 0;

protected:
    // Stores the sprite and points it here (finishing the job it had), holds and pauses by its
    // flag; false without a sprite.
    bool attach(GdeSprite* sprite);
    uint32_t elapsed(uint32_t start) const;
    void detach();

    GdeSprite* layer_ = nullptr;
};

class TGrDwarfEffect : public TGrDwarf {
public:
    ~TGrDwarfEffect() override;
    bool start() override;
    bool update() override;
    void finish() override;
    void exchange(TValueExchange& x) override;
    virtual bool begin(GdeSprite* sprite, graphics::TMixObj* after);
    virtual void setTime(int32_t ms) { time_ = ms; }
    virtual void setMask(graphics::TAlphaCh*) {}
    virtual int32_t getDefaultTime() const = 0;

    int32_t getTime() const { return time_; }
    bool isAborting() const { return abort_; }
    graphics::TMixObj* before() const { return before_; }
    graphics::TMixObj* after() const { return after_; }

protected:
    uint32_t elapsedNow() const { return elapsed(startTime_); }
    int32_t progressNow() const { return gdeProgress(elapsedNow(), time_); }
    // Kinds that re-attach their tables after a load.
    virtual void afterLoad() {}

    bool abort_ = false;
    graphics::TMixObj* before_ = nullptr;
    graphics::TMixObj* after_ = nullptr;
    int32_t time_ = -1;
    uint32_t startTime_ = 0;
};

class TGdeChange : public TGrDwarfEffect {
public:
    int32_t getJobCode() const override { return 0xC000; }
    int32_t getDefaultTime() const override { return 0; }
    bool update() override;
    void addToLayer(GdeLayer& layer, int32_t master) override;
};

class TGdeBlend : public TGrDwarfEffect {
public:
    bool begin(GdeSprite* sprite, graphics::TMixObj* after) override;
    bool start() override;
    bool update() override;
    void finish() override;
    void exchange(TValueExchange& x) override;
    void addToLayer(GdeLayer& layer, int32_t master) override;
    int32_t getDefaultTime() const override { return 500; }
    virtual uint32_t getBlendType() const = 0;
    int32_t level() const { return current_; }

protected:
    bool bothSurfaces() const;
    void takePictures();
    void restoreBlendTypes();
    void markPictures();

    TBlendObjEx blend_;
    int32_t current_ = 0;
    int32_t limit_ = 255;
    // The pictures' own blend types, given back when the fade lets go of them.
    uint32_t beforeType_ = 0, afterType_ = 0;
    bool typesTaken_ = false;
};

class TGdeAlphaBlend : public TGdeBlend {
public:
    int32_t getJobCode() const override { return 0xC001; }
    uint32_t getBlendType() const override { return 0; }
};
class TGdeAddBlend : public TGdeBlend {
public:
    int32_t getJobCode() const override { return 0xC002; }
    uint32_t getBlendType() const override { return 2; }
};
class TGdeMulBlend : public TGdeBlend {
public:
    int32_t getJobCode() const override { return 0xC003; }
    uint32_t getBlendType() const override { return 6; }
};

// Draws a picture as one-pixel strips, every other one shifted the other way: rows by dx when
// dy < 1, else columns by dy. Spans the whole graphic layer.
class TSlideObj : public graphics::TGrObj {
public:
    using TGrObj::setSize;
    graphics::SIZE getSize() const override { return gdeHost().layerSize(); }
    void setSize(int32_t, int32_t) override {}
    uint16_t getTypeId() const override { return 0x1000; }
    void draw(graphics::TSurface32& target) override;
    void setPicture(graphics::TGrObj* picture) { picture_ = picture; }

private:
    graphics::TGrObj* picture_ = nullptr;
};

class TGdeSlice : public TGrDwarfEffect {
public:
    bool begin(GdeSprite* sprite, graphics::TMixObj* after) override;
    bool start() override;
    bool update() override;
    void exchange(TValueExchange& x) override;
    void addToLayer(GdeLayer& layer, int32_t master) override;
    int32_t getDefaultTime() const override { return 2000; }
    int32_t progress() const { return progress_; }

protected:
    // Whether the after picture slides in (else the before one slides out), and rows or columns.
    virtual bool slidesIn() const = 0;
    virtual bool rows() const = 0;

    int32_t progress_ = 0;
    TSlideObj slide_;
};

class TGdeSlice_LRIn : public TGdeSlice {
public:
    int32_t getJobCode() const override { return 0xC009; }
    bool slidesIn() const override { return true; }
    bool rows() const override { return true; }
};
class TGdeSlice_LROut : public TGdeSlice {
public:
    int32_t getJobCode() const override { return 0xC00A; }
    bool slidesIn() const override { return false; }
    bool rows() const override { return true; }
};
class TGdeSlice_UDIn : public TGdeSlice {
public:
    int32_t getJobCode() const override { return 0xC00B; }
    bool slidesIn() const override { return true; }
    bool rows() const override { return false; }
};
class TGdeSlice_UDOut : public TGdeSlice {
public:
    int32_t getJobCode() const override { return 0xC00C; }
    bool slidesIn() const override { return false; }
    bool rows() const override { return false; }
};

class TGdeScroll : public TGrDwarfEffect {
public:
    bool begin(GdeSprite* sprite, graphics::TMixObj* after) override;
    bool update() override;
    void finish() override;
    void exchange(TValueExchange& x) override;
    void addToLayer(GdeLayer& layer, int32_t master) override;
    int32_t getDefaultTime() const override { return 2000; }
    int32_t progress() const { return progress_; }

protected:
    // The direction: (1, 0) left to right, (-1, 0), (0, 1) top down, (0, -1).
    virtual graphics::POINT direction() const = 0;

    int32_t progress_ = 0;
    int32_t beforeX_ = 0, beforeY_ = 0, afterX_ = 0, afterY_ = 0;
};

class TGdeScroll_L2R : public TGdeScroll {
public:
    int32_t getJobCode() const override { return 0xC00E; }
    graphics::POINT direction() const override { return {1, 0}; }
};
class TGdeScroll_R2L : public TGdeScroll {
public:
    int32_t getJobCode() const override { return 0xC00F; }
    graphics::POINT direction() const override { return {-1, 0}; }
};
class TGdeScroll_U2D : public TGdeScroll {
public:
    int32_t getJobCode() const override { return 0xC010; }
    graphics::POINT direction() const override { return {0, 1}; }
};
class TGdeScroll_D2U : public TGdeScroll {
public:
    int32_t getJobCode() const override { return 0xC011; }
    graphics::POINT direction() const override { return {0, -1}; }
};

// Uncovers the after picture in hard steps through a small mask of the kind's own.
class TGdeMask : public TGrDwarfEffect {
public:
    bool begin(GdeSprite* sprite, graphics::TMixObj* after) override;
    bool update() override;
    void finish() override;
    void exchange(TValueExchange& x) override;
    void addToLayer(GdeLayer& layer, int32_t master) override;
    virtual void applyProgress(int32_t progress, bool force);
    int32_t progress() const { return progress_; }
    const graphics::TAlphaCh& mask() const { return mask_; }
    const graphics::TAlphaMask& beforeTable() const { return beforeTable_; }

protected:
    // Builds the mask plane (width x 1) and sets the tables' range.
    void build(int32_t width, int32_t range);
    void attachTables();

    int32_t progress_ = 0;
    graphics::TAlphaCh mask_;
    graphics::TAlphaMask beforeTable_;
    graphics::TAlphaMask afterTable_;
};

class TGdeMask_L2R : public TGdeMask {
public:
    TGdeMask_L2R();
    int32_t getJobCode() const override { return 0xC004; }
    int32_t getDefaultTime() const override { return 500; }
};
class TGdeMask_R2L : public TGdeMask {
public:
    TGdeMask_R2L();
    int32_t getJobCode() const override { return 0xC005; }
    int32_t getDefaultTime() const override { return 500; }
};
class TGdeMask_POLE : public TGdeMask {
public:
    TGdeMask_POLE();
    int32_t getJobCode() const override { return 0xC006; }
    int32_t getDefaultTime() const override { return 500; }
};
class TGdeMask_CURTAIN_L2R : public TGdeMask {
public:
    TGdeMask_CURTAIN_L2R();
    int32_t getJobCode() const override { return 0xC007; }
    int32_t getDefaultTime() const override { return 2000; }
};
class TGdeMask_CURTAIN_R2L : public TGdeMask {
public:
    TGdeMask_CURTAIN_R2L();
    int32_t getJobCode() const override { return 0xC008; }
    int32_t getDefaultTime() const override { return 2000; }
};

// Fades each level of the style's grey-scale mask in smoothly, dark levels first.
class TGdeAMask : public TGrDwarfEffect {
public:
    bool begin(GdeSprite* sprite, graphics::TMixObj* after) override;
    bool start() override;
    bool update() override;
    void finish() override;
    void exchange(TValueExchange& x) override;
    void addToLayer(GdeLayer& layer, int32_t master) override;
    ~TGdeAMask() override { dropMask(); }
    void setMask(graphics::TAlphaCh* mask) override {
        dropMask();
        mask_ = mask;
    }
    int32_t getJobCode() const override { return 0xC00D; }
    int32_t getDefaultTime() const override { return 2000; }
    int32_t process() const { return process_; }

private:
    void setupTables();
    // A mask taken by a load is a reference of the job's own, given back when it lets go.
    void dropMask();

    graphics::TAlphaCh* mask_ = nullptr;
    bool ownsMaskRef_ = false;
    int32_t process_ = 0;
    graphics::TAlphaMask beforeTable_;
    graphics::TAlphaMask afterTable_;
};

// A new transition of a job code (0xC000 + type; the code is taken OR 0xC000), or null for a
// code that names none.
std::unique_ptr<TGrDwarfEffect> createGde(int32_t code);
// A new transition or graphic job for a code (0x4000, 0x4002, 0x4003 or a transition's).
std::unique_ptr<TGrDwarf> createGrDwarf(int32_t code);
// Resumes every paused transition and graphic job of the list.
void resumeGraphicDwarfs(TG2DwarfGuild& guild);

}  // namespace present

namespace present {

// Changes a sprite's opacity from its own to a target over a time.
class TGrBlendDwarf : public TGrDwarf {
public:
    virtual bool begin(GdeSprite* sprite, int32_t to, int32_t time);
    int32_t getJobCode() const override { return 0x4002; }
    bool start() override;
    bool update() override;
    void finish() override;
    void exchange(TValueExchange& x) override;
    void addToLayer(GdeLayer& layer, int32_t master) override;

private:
    int32_t from_ = 0, to_ = 0, work_ = 0;
    uint32_t startTime_ = 0;
    int32_t time_ = 0;
};

// Moves and scales a sprite's picture from where it stands to a rectangle over a time.
class TGrZomeDwarf : public TGrDwarf {
public:
    virtual bool begin(GdeSprite* sprite, int32_t x, int32_t y, float scaleX, float scaleY, int32_t time);
    int32_t getJobCode() const override { return 0x4000; }
    bool start() override;
    bool update() override;
    void finish() override;
    void exchange(TValueExchange& x) override;
    void addToLayer(GdeLayer& layer, int32_t master) override;

private:
    int32_t fromX_ = 0, fromY_ = 0, toX_ = 0, toY_ = 0, fromW_ = 0, fromH_ = 0, toW_ = 0, toH_ = 0, work_ = 0;
    uint32_t startTime_ = 0;
    int32_t time_ = 0;
};

// Morphs the background grid from the shown to the prepared background over a time.
class TGrBgsSplitDwarf : public TGrDwarf {
public:
    virtual bool begin(GdeGrid* grid, int32_t time);
    int32_t getJobCode() const override { return 0x4003; }
    bool start() override;
    bool update() override;
    void finish() override;
    void exchange(TValueExchange& x) override;
    void addToLayer(GdeLayer& layer, int32_t master) override;

private:
    int32_t work_ = 0;
    uint32_t startTime_ = 0;
    int32_t time_ = 0;
};

}  // namespace present
