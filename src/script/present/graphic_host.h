#pragma once
// What the pictures of the story need of the engine around them: its clock, the screen size,
// warnings, the seen notice of the image table, and the surface bank through which every
// picture is loaded, shared by name and saved by reference. The engine hub supplies the real
// services; the defaults here are a headless engine at 800 x 600 whose bank loads through the
// resource store.
#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "graphics/image_trans.h"
#include "graphics/rect.h"
#include "graphics/spd.h"
#include "graphics/spr_maker.h"

class TDwarf;
class TG2Thread;
class TValueExchange;

namespace graphics {
class TAlphaCh;
class TGrObj;
class TSurface32;
class TSprite32;
}  // namespace graphics

namespace present {

// Loaded surfaces by name and transparency with reference counts. A surface stays loaded when
// its last reference goes, until the unused ones are dropped; one still referenced is never freed.
class SurfaceBank {
public:
    SurfaceBank() = default;
    virtual ~SurfaceBank();
    SurfaceBank(const SurfaceBank&) = delete;
    SurfaceBank& operator=(const SurfaceBank&) = delete;

    // A new reference, loading on a miss; null when the image cannot be loaded.
    virtual graphics::TSurface32* get(const std::string& name, const graphics::TImageTrans& trans);
    // Loaded without a reference, so that a later get finds it; false when it cannot be loaded.
    virtual bool preload(const std::string& name, const graphics::TImageTrans& trans);
    // A new reference to a surface of one colour (alpha -1: no blending).
    virtual graphics::TSurface32* getFillSurface(uint32_t colour, int32_t w, int32_t h, int32_t alpha);
    // One more reference to a surface the bank holds.
    virtual void addRef(graphics::TSurface32* surface);
    // Gives one reference back; a surface the bank does not hold is left alone.
    virtual void release(graphics::TSurface32* surface);
    // Section "SurfaceBank": which surface a reference holds; loading takes a new reference.
    virtual void exchange(TValueExchange& x, graphics::TSurface32*& surface);
    // Deletes every surface without references.
    virtual void dropUnused();
    int32_t refCount(const graphics::TSurface32* surface) const;
    size_t size() const { return coins_.size(); }

protected:
    virtual graphics::TSurface32* load(const std::string& name, const graphics::TImageTrans& trans);

private:
    struct Coin {
        std::string name;
        graphics::TImageTrans trans;
        uint32_t colour = 0;
        int32_t width = 0, height = 0, alpha = -1;
        std::unique_ptr<graphics::TSurface32> surface;
        int32_t refs = 0;
    };
    Coin* find(const graphics::TSurface32* surface);
    const Coin* find(const graphics::TSurface32* surface) const;
    std::list<Coin> coins_;
};

// Sprite data by file name with reference counts; its textures are references of a surface
// bank. Names that begin with "<SPD:" (entries by id) are not held by this bank.
class SpdBank {
public:
    explicit SpdBank(SurfaceBank& surfaces) : surfaces_(surfaces) {}
    virtual ~SpdBank();
    SpdBank(const SpdBank&) = delete;
    SpdBank& operator=(const SpdBank&) = delete;

    // A new reference, loading on a miss; null when the description cannot be read.
    virtual graphics::TSpdData* get(const std::string& name);
    virtual void addRef(graphics::TSpdData* data);
    virtual void release(graphics::TSpdData* data);
    // Section "SpdBank": "Enable", then "Name"; loading takes a new reference.
    virtual void exchange(TValueExchange& x, graphics::TSpdData*& data);
    int32_t refCount(const graphics::TSpdData* data) const;

private:
    struct Entry {
        std::string name;
        std::unique_ptr<graphics::TSpdData> data;
        int32_t refs = 0;
    };
    SurfaceBank& surfaces_;
    std::list<Entry> entries_;
};

class GraphicHost {
public:
    GraphicHost() = default;
    virtual ~GraphicHost() = default;
    GraphicHost(const GraphicHost&) = delete;
    GraphicHost& operator=(const GraphicHost&) = delete;

    // The core's engine clock in milliseconds.
    virtual uint32_t engineTime();
    // The graphic layer's size.
    virtual graphics::SIZE screenSize() const { return {800, 600}; }
    // An engine warning with its text argument (0x1002 an image that cannot be opened, 0x1004 a
    // malformed image specification).
    virtual void warning(int, const std::string&) {}
    // The image table's seen notice: a file name followed by its options.
    virtual void imageSeen(const std::string&) {}
    virtual SurfaceBank& surfaces() { return surfaces_; }
    virtual SpdBank& spds() { return spds_; }
    // The picture of an image specification into a sprite through the surface bank; false (the
    // sprite untouched) when it cannot be loaded.
    virtual bool makeSprite(graphics::TSprite32& sprite, const std::string& spec);
    // A savable drawable object for an image specification, owned by the caller; null when
    // none can be made.
    virtual graphics::TGrObj* createGrObj(const std::string& spec);
    // A transition job of a kind for a thread with the style's time and mask (null when there
    // is none of that kind); the core's job guild makes them.
    virtual TDwarf* createTransition(int32_t, int32_t, graphics::TAlphaCh*, TG2Thread*) { return nullptr; }
    // The alpha-channel bank: giving a reference back, and section "AlphaChBank" ("Enable", then
    // "Name" when enabled). Without a bank no channel is held.
    virtual void releaseAlphaCh(graphics::TAlphaCh*) {}
    virtual void exchangeAlphaCh(TValueExchange& x, graphics::TAlphaCh*& ch);
    // The picture into the bank without a reference.
    virtual bool preloadImage(const std::string& spec);

private:
    SurfaceBank surfaces_;
    SpdBank spds_{surfaces_};
};

// The host the story's pictures use: a default one until the engine installs its own.
GraphicHost& graphicHost();
// Installs a host (null restores the default); the caller keeps it alive while installed.
void setGraphicHost(GraphicHost* host);

}  // namespace present
