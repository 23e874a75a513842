#pragma once
// An engine with the presentation's jobs, music and menu, run frame by frame on a manual clock
// by a scripted player: what the player holds, presses and where the mouse is, per frame. The
// graphic layer records what each frame draws.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "../script_support.h"
#include "../stand_ins.h"
#include "platform/clock.h"
#include "script/core.h"
#include "script/present/present_engine.h"
#include "script/value_exchange.h"

namespace present::testing {

// The layer's objects of the last frame, by layer.
class RecordingGraphic : public testing_stand_ins::NullGraphic {
public:
    void clearLayers() override { drawn.clear(); }
    void addObject(int32_t layer, graphics::TGrObj* obj) override { drawn[layer].push_back(obj); }
    std::map<int32_t, std::vector<graphics::TGrObj*>> drawn;
};

class Player : public TG2Host {
public:
    TG2InputState input() override { return state; }
    void clearInput() override {
        state.words[2] = state.words[3] = state.repeat = 0;
        ++clears;
    }
    // One frame's edge: pressed now (and held), released at the end of the frame.
    void press(uint32_t bits) {
        state.words[2] |= bits;
        state.words[0] |= bits;
        state.words[1] |= bits;
    }
    void moveTo(int32_t x, int32_t y) {
        state.mouseX = x, state.mouseY = y;
        state.moved = true;
    }
    // What a frame leaves behind: edges gone, buttons let go.
    void endFrame() {
        state.words[0] = state.words[1] = state.words[2] = state.words[3] = state.repeat = 0;
        state.moved = false;
        state.wheel = 0;
    }
    TG2InputState state;
    int clears = 0;
};

class StoryEngine : public PresentEngine {
public:
    std::unique_ptr<TG2Memory> createMemory() override { return std::make_unique<SmallMapMemory>(); }
    std::unique_ptr<EngineGraphic> createGraphic() override {
        if (realGraphic) return PresentEngine::createGraphic();
        auto g = std::make_unique<RecordingGraphic>();
        recorder = g.get();
        return g;
    }
    RecordingGraphic* recorder = nullptr;
    // The game's own graphic layer instead of the recorder.
    bool realGraphic = false;
};

class StoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setClock(&clock);
        setEngineLogSink([](const std::string&) {});
        engine.status().memName = "main.g2m";
        engine.status().name = "main.g2";
        engine.status().screenWidth = 800;
        engine.status().screenHeight = 600;
        engine.status().useCommonSave = false;  // nothing written where the tests run
        files.install(engine.getScriptBank());
    }
    void TearDown() override {
        engine.term();
        platform::setClock(nullptr);
        setEngineLogSink(nullptr);
    }
    TG2Core& start(const std::string& text) {
        files.add("main.g2", text);
        engine.init(&player, nullptr, nullptr);
        EXPECT_TRUE(engine.start("", ""));
        return *engine.core();
    }
    // One 16 ms frame; false when the story ended.
    bool frame(uint32_t ms = 16) {
        clock.advance(ms);
        const bool alive = engine.run();
        player.endFrame();
        return alive;
    }
    // The current page as the real frame holds it: its markup ("\\n" a new line).
    std::string text() { return engine.getCurrentDocFrame()->text(); }
    template <class T>
    T& job(int32_t code) {
        return dynamic_cast<T&>(*engine.core()->standingJob(code));
    }

    platform::ManualClock clock{1000};
    Player player;
    ScriptFiles files;
    StoryEngine engine;
};

inline std::string savedBytes(TG2Core& core) {
    TMemoryStream m;
    {
        TValueExchange x(&m, true);
        core.exchange(x);
    }
    std::string bytes(m.size(), '\0');
    m.seek(0, 0);
    m.read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return bytes;
}

inline void loadBytes(TG2Engine& engine, const std::string& bytes) {
    engine.reset();
    TMemoryStream m;
    m.write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    m.seek(0, 0);
    TValueExchange x(&m, false);
    engine.core()->exchange(x);
}

}  // namespace present::testing
