#pragma once
// What the animated objects need of the engine around them: its clock and the surface bank
// through which their pictures are loaded, shared by name and saved by reference. The graphic
// layer's host (graphic_host.h) is the one in use; without one, the defaults here are a headless
// engine whose bank loads through the resource store.
#include <cstdint>
#include <string>

#include "script/resource_bank.h"

namespace graphics {
class TSprite32;
}  // namespace graphics

namespace present {

// The engine's surface bank under the name the pictures use.
using SurfaceBank = TSurfaceBank;

class PictureHost {
public:
    PictureHost() = default;
    virtual ~PictureHost() = default;
    PictureHost(const PictureHost&) = delete;
    PictureHost& operator=(const PictureHost&) = delete;

    // The core's engine clock in milliseconds.
    virtual uint32_t engineTime();
    // The surface bank: the engine's when the host is the engine's, else the host's own.
    virtual SurfaceBank& surfaces() { return surfaces_; }
    // The picture of an image specification into a sprite through the surface bank; false (the
    // sprite untouched) when it cannot be loaded.
    virtual bool makeSprite(graphics::TSprite32& sprite, const std::string& spec);
    // The picture into the bank without a reference.
    virtual bool preloadImage(const std::string& spec);

private:
    SurfaceBank surfaces_;
};

// The host in use: the one the graphic layer names (see setPictureHostSource), else a default.
PictureHost& pictureHost();
// The graphic layer names its host accessor here once, so that animated objects and sprites
// load through one bank.
void setPictureHostSource(PictureHost& (*source)());

}  // namespace present
