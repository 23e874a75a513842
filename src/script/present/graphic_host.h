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
#include "script/resource_bank.h"

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

// The engine's banks under the names the pictures use.
using SurfaceBank = TSurfaceBank;
using SpdBank = TSpdBank;
using AlphaChBank = TAlphaChBank;

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
    // The banks: the engine's when the host is the engine's, else the host's own.
    virtual SurfaceBank& surfaces() { return surfaces_; }
    virtual SpdBank& spds() { return spds_; }
    virtual AlphaChBank& alphaChs() { return alphaChs_; }
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
    // "Name" when enabled).
    virtual void releaseAlphaCh(graphics::TAlphaCh* ch) { alphaChs().release(ch); }
    virtual void exchangeAlphaCh(TValueExchange& x, graphics::TAlphaCh*& ch) { alphaChs().exchange(x, ch); }
    // The picture into the bank without a reference.
    virtual bool preloadImage(const std::string& spec);

private:
    SurfaceBank surfaces_;
    SpdBank spds_{surfaces_};
    AlphaChBank alphaChs_;
};

// The host the story's pictures use: a default one until the engine installs its own.
GraphicHost& graphicHost();
// Installs a host (null restores the default); the caller keeps it alive while installed.
void setGraphicHost(GraphicHost* host);

}  // namespace present
