#include "script/present/ui/picture_host.h"

#include "graphics/spr_maker.h"
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

PictureHost& (*hostSource)() = nullptr;

}  // namespace

uint32_t PictureHost::engineTime() { return platform::timeGetTime(); }

bool PictureHost::makeSprite(graphics::TSprite32& sprite, const std::string& spec) {
    BankMaker maker(surfaces());
    return maker.makeSprite(sprite, spec);
}

bool PictureHost::preloadImage(const std::string& spec) {
    graphics::TSprMaker parser;
    if (!parser.parseSpec(spec)) return false;
    return surfaces().preload(parser.fileName(), parser.trans());
}

PictureHost& pictureHost() {
    // Never destroyed: objects that outlive main give their pictures back through it at exit.
    static PictureHost& fallback = *new PictureHost;
    return hostSource ? hostSource() : fallback;
}

void setPictureHostSource(PictureHost& (*source)()) { hostSource = source; }

}  // namespace present
