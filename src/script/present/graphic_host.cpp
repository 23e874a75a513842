#include "script/present/graphic_host.h"

#include "graphics/sprite.h"
#include "graphics/surface32.h"
#include "platform/clock.h"

namespace present {

namespace {

// A sprite maker whose surfaces are references taken from a bank.
class BankMaker : public graphics::TSprMaker {
public:
    explicit BankMaker(SurfaceBank& bank) : bank_(bank) {}
    graphics::TSurface32* loadSurface(const std::string& name, const graphics::TImageTrans& trans) override {
        return bank_.get(name, trans);
    }

private:
    SurfaceBank& bank_;
};

GraphicHost* installed = nullptr;

}  // namespace

uint32_t GraphicHost::engineTime() { return platform::timeGetTime(); }

bool GraphicHost::makeSprite(graphics::TSprite32& sprite, const std::string& spec) {
    BankMaker maker(surfaces());
    return maker.makeSprite(sprite, spec);
}

bool GraphicHost::preloadImage(const std::string& spec) {
    graphics::TSprMaker parser;
    if (!parser.parseSpec(spec)) return false;
    return surfaces().preload(parser.fileName(), parser.trans());
}

GraphicHost& graphicHost() {
    static GraphicHost fallback;
    return installed ? *installed : fallback;
}

void setGraphicHost(GraphicHost* host) { installed = host; }

}  // namespace present
