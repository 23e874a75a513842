// Any bytes as the common save: either the shared data loads, or the engine's shared data is
// left exactly as it was.
#include <cstdlib>
#include <memory>
#include <string>

#include "framework/stream.h"
#include "minimal_doc.h"
#include "script/core.h"
#include "script/engine.h"
#include "script/memory_map_file.h"
#include "script/value_exchange.h"
#include "stand_ins.h"
#include "support/fuzz.h"

namespace {

class FuzzEngine : public testing_stand_ins::ScriptOnly<WithMinimalDoc<TG2Engine>> {
public:
    std::unique_ptr<TG2Memory> createMemory() override {
        struct Mapped : TG2Memory {
            bool loadMap(const std::string&) override {
                G2MapImage map;
                for (auto& area : map.areas)
                    for (auto& list : area.lists) list.length = 8;
                applyMap(map);
                return true;
            }
        };
        return std::make_unique<Mapped>();
    }
};

TG2Core& core() {
    static FuzzEngine* engine = [] {
        setEngineLogSink([](const std::string&) {});
        auto* e = new FuzzEngine;
        e->status().useCommonSave = false;
        TG2Host* host = new TG2Host;
        e->init(host, nullptr, nullptr);
        e->memory()->setString(1, 2, "shared");
        e->core()->getActor(3).voiceVolume = 50;
        return e;
    }();
    return *engine->core();
}

std::string common(TG2Core& c) {
    TMemoryStream s;
    {
        TValueExchange x(&s, true);
        c.exchangeCommon(x);
        g2Engine()->memory()->exchangeArea1(x);
        c.getImgDisp().exchange(x);
    }
    return std::string(reinterpret_cast<const char*>(s.getBuffer()), s.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TG2Core& c = core();
    c.readChecks().clear();
    const std::string before = common(c);
    if (!c.loadCommonFrom(std::string(reinterpret_cast<const char*>(data), size)) && common(c) != before) std::abort();
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    TG2Core& c = core();
    c.readCheckOp("story.g2", 40)->set(3);
    c.getImgDisp().resize(16);
    c.getImgDisp().set(9);
    const std::string bytes = common(c);
    return {std::vector<uint8_t>(bytes.begin(), bytes.end())};
}
