#pragma once
// What the pictures of the story need of the engine around them: besides what the animated
// objects need (the clock and the surface bank, picture_host.h), the screen size, warnings, the
// seen notice of the image table and the other banks. The engine hub supplies the real
// services; the defaults here are a headless engine at 800 x 600 whose banks load through the
// resource store.
#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "graphics/image_trans.h"
#include "graphics/rect.h"
#include "graphics/spd.h"
#include "graphics/spr_maker.h"
#include "script/present/ui/picture_host.h"
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
using SpdBank = TSpdBank;
using AlphaChBank = TAlphaChBank;

class GraphicHost : public PictureHost {
public:
    // The graphic layer's size.
    virtual graphics::SIZE screenSize() const { return {800, 600}; }
    // An engine warning with its text argument (0x1002 an image that cannot be opened, 0x1004 a
    // malformed image specification).
    virtual void warning(int, const std::string&) {}
    // The image table's seen notice: a file name followed by its options.
    virtual void imageSeen(const std::string&) {}
    // The banks: the engine's when the host is the engine's, else the host's own.
    virtual SpdBank& spds() { return spds_; }
    virtual AlphaChBank& alphaChs() { return alphaChs_; }
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

private:
    SpdBank spds_{PictureHost::surfaces()};
    AlphaChBank alphaChs_;
};

// The host the story's pictures use: a default one until the engine installs its own.
GraphicHost& graphicHost();
// Installs a host (null restores the default); the caller keeps it alive while installed.
void setGraphicHost(GraphicHost* host);

}  // namespace present
