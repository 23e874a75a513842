// A saved story of arbitrary bytes loaded into the presentation engine: the load finishes or
// stops with the engine's error (after which the engine is reset, as a failed load does), never
// anything else; then the story runs a few frames, draws and saves again cleanly, whatever
// sprites, backgrounds and transitions the bytes made.
#include <string>

#include "script/assembler.h"
#include "script/memory_map_file.h"
#include "framework/stream.h"
#include "graphics/surface32.h"
#include "platform/clock.h"
#include "../minimal_doc.h"
#include "present_fixture.h"
#include "script/core.h"
#include "script/g2_error.h"
#include "script/present/present_engine.h"
#include "support/fuzz.h"

namespace {

class SmallMemory : public TG2Memory {
public:
    bool loadMap(const std::string&) override {
        G2MapImage map;
        for (auto& area : map.areas)
            for (auto& list : area.lists) list.length = 4;
        applyMap(map);
        return true;
    }
};

// The message document's own saves are fuzzed on their own (markup_fuzz); here the engine's
// plain one of the engine's tests spares each input the real one's font set-up.
class Engine : public present::PresentEngine {
public:
    std::unique_ptr<TG2Memory> createMemory() override { return std::make_unique<SmallMemory>(); }
    std::unique_ptr<EngineDoc> createDoc() override { return std::make_unique<MinimalDoc>(); }
};

// Every kind of picture change at once: a background cross-fade and a morph, a sprite wipe, an
// opacity change and a move, none of them holding the script.
const char* kStory =
    "START:\n"
    "    cmd 0x1543, 0, 0x203060\n"
    "    cmd 0x1550, 1, 1\n"
    "    cmd 0x1501, 1, \"a.bmp\", 4, 4, 4, 1\n"
    "    cmd 0x1501, 2, \"c.as\", 10, 10, 13, 1\n"
    "    cmd 0x1506, 1, 100, 400, 1\n"
    "    cmd 0x150a, 2, 30, 20, 400, 1\n"
    "    cmd 0x1541, 1, \"b.bmp\", 8, 8\n"
    "    cmd 0x1551, 300, 1\n"
    "    cmd 0x1501, 3, \"b.bmp\", 20, 2, 9, 1\n"
    "    text \"Hi\"\n"
    "    cmd 0x1103\n"
    "    ret\n";

struct World {
    World() {
        platform::setClock(&clock);
        store.pictures["a.bmp"] = {8, 8, 0xFFFF0000u};
        store.pictures["b.bmp"] = {6, 4, 0xFF00FF00u};
        store.texts["c.as"] = "0 i a.bmp 0 0\r\n10 i b.bmp 1 1\r\n20 j 0\r\n";
        G2ScriptImage image;
        std::string error;
        assembleScript(kStory, image, error);
        script = scriptFileBytes(image);
        engine.getScriptBank().setOpener([this](const std::string& name) -> std::unique_ptr<TStream> {
            if (name != "story.g2") return nullptr;
            auto m = std::make_unique<TMemoryStream>();
            m->write(script.data(), static_cast<uint32_t>(script.size()));
            m->seek(0, 0);
            return m;
        });
        engine.status().screenWidth = 64;
        engine.status().screenHeight = 48;
        engine.status().useCommonSave = false;
        engine.init(&host, nullptr, nullptr);
    }
    platform::ManualClock clock{5000};
    present::testing::PictureStore store;
    TG2Host host;
    std::vector<uint8_t> script;
    Engine engine;
};

World& world() {
    static World w;
    return w;
}

void frames(World& w, int n) {
    graphics::TSurface32 s;
    s.alloc(64, 48);
    for (int i = 0; i < n; ++i) {
        w.clock.advance(40);
        if (!w.engine.run()) break;
        w.engine.draw(s);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    World& w = world();
    w.engine.reset();
    try {
        present::testing::loadBytes(std::string(reinterpret_cast<const char*>(data), size),
                                    [&](TValueExchange& x) { w.engine.core()->exchange(x); });
    } catch (const TError&) {
        w.engine.reset();
    }
    frames(w, 3);
    present::testing::saveBytes([&](TValueExchange& x) { w.engine.core()->exchange(x); });
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    World& w = world();
    std::vector<std::vector<uint8_t>> seeds;
    w.engine.reset();
    w.engine.start("story.g2", "START");
    for (int k = 0; k < 4; ++k) {
        frames(w, 2);
        const std::string s = present::testing::saveBytes([&](TValueExchange& x) { w.engine.core()->exchange(x); });
        seeds.emplace_back(s.begin(), s.end());
    }
    return seeds;
}
