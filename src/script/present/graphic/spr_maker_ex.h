#pragma once
// TSprMakerEx: the engine's sprite maker. An image specification names a file and options; the
// file's extension chooses the savable kind made for it (a still picture, an animation script),
// and the options A, C and T choose what an animated sprite shows first. Surfaces come from the
// surface bank, and every object made is reported to the image table as seen.
#include <cstdint>
#include <string>

#include "graphics/spr_maker.h"

namespace graphics {
class TGrObj;
}

namespace present {

class GraphicHost;

class TSprMakerEx : public graphics::TSprMaker {
public:
    explicit TSprMakerEx(GraphicHost& host) : host_(host) {}

    // A malformed specification is warning 0x1004 and false.
    bool parseSpec(const std::string& spec) override;
    size_t parseOption(size_t pos) override;
    // A reference from the surface bank.
    graphics::TSurface32* loadSurface(const std::string& name, const graphics::TImageTrans& trans) override;
    // The object of the kind the extension names, owned by the caller; null when none can be made.
    virtual graphics::TGrObj* createGrObj(const std::string& spec);
    virtual bool preload(const std::string& spec);

    int32_t SeqNo = -1;
    int32_t CombiNo = -1;
    int32_t TextureNo = -1;

private:
    graphics::TGrObj* makeSprObj();
    graphics::TGrObj* makeAnisObj();
    graphics::TGrObj* makeSpdObj();

    GraphicHost& host_;
};

}  // namespace present
