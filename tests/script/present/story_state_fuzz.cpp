// Saved state of arbitrary bytes loaded into the music, the menu and the text and click jobs of
// a running engine (the first byte picks which): each load finishes or stops with the engine's
// error, and whatever it left steps a frame and saves again cleanly.
#include <string>

#include "../minimal_doc.h"
#include "framework/stream.h"
#include "platform/clock.h"
#include "script/assembler.h"
#include "script/core.h"
#include "script/g2_error.h"
#include "script/memory_map_file.h"
#include "script/present/ui/menu/menu.h"
#include "script/present/sound/music.h"
#include "script/present/present_engine.h"
#include "script/value_exchange.h"
#include "../stand_ins.h"
#include "support/fuzz.h"

namespace {

class Memory : public TG2Memory {
public:
    bool loadMap(const std::string&) override {
        G2MapImage map;
        for (auto& area : map.areas)
            for (auto& list : area.lists) list.length = 4;
        applyMap(map);
        return true;
    }
};

class Engine : public present::PresentEngine {
public:
    std::unique_ptr<TG2Memory> createMemory() override { return std::make_unique<Memory>(); }
    std::unique_ptr<EngineDoc> createDoc() override { return std::make_unique<MinimalDoc>(); }
    std::unique_ptr<EngineGraphic> createGraphic() override {
        return std::make_unique<testing_stand_ins::NullGraphic>();
    }
};

struct World {
    World() {
        platform::setClock(&clock);
        setEngineLogSink([](const std::string&) {});
        G2ScriptImage image;
        std::string error;
        assembleScript(
            "START:\n cmd 0x1186\n cmd 0x1187, 1, \"a\"\n cmd 0x1195, 2\n cmd 0x1188\n tag 0\n text \"bc\"\n"
            " cmd 0x1104\n",
            image, error);
        script = scriptFileBytes(image);
        engine.getScriptBank().setOpener([this](const std::string&) -> std::unique_ptr<TStream> {
            auto s = std::make_unique<TMemoryStream>();
            s->write(script.data(), static_cast<uint32_t>(script.size()));
            s->seek(0, 0);
            return s;
        });
        engine.status().name = "main.g2";
        engine.status().useCommonSave = false;
        engine.init(&host, nullptr, nullptr);
        engine.start("", "");
    }
    platform::ManualClock clock{1000};
    TG2Host host;
    std::vector<uint8_t> script;
    Engine engine;
};

// Left standing at exit: the fonts and controls it holds must not outlive their services.
World& world() {
    static World* w = new World;
    return *w;
}

// The part the first byte names.
void exchangePart(uint8_t which, TValueExchange& x) {
    TG2Core& core = *world().engine.core();
    switch (which % 6) {
        case 0:
            world().engine.music()->exchange(x);
            break;
        case 1:
            core.menu().exchange(x);
            break;
        default:
            core.standingJob(which % 6 == 2 ? 1 : which % 6 == 3 ? 2 : which % 6 == 4 ? 3 : 7)->exchange(x);
            break;
    }
}

std::string save(uint8_t which) {
    TMemoryStream m;
    {
        TValueExchange x(&m, true);
        exchangePart(which, x);
    }
    std::string bytes(1, static_cast<char>(which));
    bytes.resize(m.size() + 1);
    m.seek(0, 0);
    m.read(bytes.data() + 1, static_cast<uint32_t>(m.size()));
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    World& w = world();
    if (size == 0) return 0;
    w.engine.reset();
    w.engine.start("", "");
    TMemoryStream m;
    m.write(data + 1, static_cast<uint32_t>(size - 1));
    m.seek(0, 0);
    try {
        TValueExchange x(&m, false);
        exchangePart(data[0], x);
    } catch (const TError&) {}
    w.clock.advance(16);
    try {
        w.engine.run();
    } catch (const TError&) {}
    save(data[0]);
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    World& w = world();
    for (int i = 0; i < 3; ++i) {
        w.clock.advance(16);
        w.engine.run();
    }
    std::vector<std::vector<uint8_t>> seeds;
    for (uint8_t which = 0; which < 6; ++which) {
        const std::string s = save(which);
        seeds.emplace_back(s.begin(), s.end());
    }
    return seeds;
}
