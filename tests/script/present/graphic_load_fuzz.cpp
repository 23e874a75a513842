// A saved picture of arbitrary bytes loaded into the graphic layer: the load finishes or stops
// with the engine's error, never anything else; whatever it left composes, saves and is
// released cleanly.
#include <cstdlib>
#include <string>

#include "framework/stream.h"
#include "graphics/surface32.h"
#include "present_fixture.h"
#include "script/g2_error.h"
#include "script/present/graphic/graphic.h"
#include "support/fuzz.h"

namespace {

struct World {
    World() {
        store.pictures["a.bmp"] = {8, 8, 0xFFFF0000u};
        store.pictures["b.bmp"] = {4, 6, 0xFF00FF00u};
        store.texts["d.wsd"] =
            "[FileInfo]\nkind=WSD\nnumTexture=1\nnumCharactor=1\nnumAnimation=1\n[Texture]\nFile0=a.bmp\n"
            "[Charactor_0]\nnumChip=1\nChip0=0,0,0,0,0,4,4\n[Animation_0]\nStep0=time,3,0\nStep1=end\n";
        store.texts["c.as"] = "0 i a.bmp 0 0\r\n10 i b.bmp 1 1\r\n20 f r < 50 0\r\n30 j 0\r\n";
    }
    present::testing::PictureStore store;
    present::testing::TestHost host;
};

World& world() {
    static World w;
    return w;
}

// A scene that uses every saved kind.
std::string sceneSave() {
    World& w = world();
    present::TG2Graphic g(w.host);
    g.create(64, 48);
    g.reset();
    g.getSprite(1).setImage("a.bmp", 3, 4, 0);
    g.getSprite(2).setImage("c.as", 10, 10, 0);
    g.getSprite(3).Connect = 0x0101;
    g.getSprite(4).setImage("d.wsd;A0", 1, 1, 0);
    g.getBgSprite(0).setPendingSprObj(w.host.createGrObj("b.bmp"));
    g.getBgsCenter().commitStates();
    g.getBgSprite(1).setPendingSprObj(w.host.createGrObj("a.bmp"));
    g.setStyle(25, 4, 300, nullptr);
    g.update();
    return present::testing::saveBytes([&](TValueExchange& x) { g.exchange(x); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    World& w = world();
    present::TG2Graphic g(w.host);
    g.create(64, 48);
    g.reset();
    try {
        present::testing::loadBytes(std::string(reinterpret_cast<const char*>(data), size),
                                    [&](TValueExchange& x) { g.exchange(x); });
    } catch (const TError&) {}
    w.host.now += 7;
    g.update();
    g.clear();
    g.compose(true);
    graphics::TSurface32 s;
    s.alloc(64, 48);
    g.draw(s);
    present::testing::saveBytes([&](TValueExchange& x) { g.exchange(x); });
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    const std::string s = sceneSave();
    return {std::vector<uint8_t>(s.begin(), s.end())};
}
