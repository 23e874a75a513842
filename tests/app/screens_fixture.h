#pragma once
// The screens' world in a test: a folder holding a generated "data.pak" of flat pictures at
// the sizes the screens hit-test, the game's store over it, a scheduler, the screen table, a
// manual clock, an engine over assembled scripts and a variable map, and a host whose mouse and
// buttons the test moves. Saves go to the folder's "save" (the working folder is the folder).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>

#include "app/screen_host.h"
#include "framework/task.h"
#include "gce_writer.h"
#include "graphics/graphic.h"
#include "map_description.h"
#include "platform/clock.h"
#include "script/assembler.h"
#include "script/core.h"
#include "script/present/present_engine.h"
#include "script/engine.h"
#include "script/img_disp.h"
#include "storage/spi.h"
#include "storage/storage.h"
#include "store/surface_maker.h"
#include "support/test_support.h"

namespace apptest {

// A flat picture of the screens: its size and colour.
struct Picture {
    int w, h;
    uint32_t colour;
};

// Every picture the system screen and the extras name, at a size that makes the items their own
// hit rectangles.
std::map<std::string, Picture> screenPictures();
std::vector<uint8_t> argbBytes(const Picture& p);

inline constexpr const char* kStoryVariables = R"(
area 0
length int 64
length bool 64
length str 16
name int 0 "$mj_char" 4
name int 4 "$mj_bgm_oya" 4
name int 8 "$mj_bgm_riti" 4
name int 12 "$mj_stand" 4
name int 16 "$mj_result" 4
name int 20 "$branch"
name str 0 "$mj_name" 4
value int 0 0 3 5 7
value int 4 1 1 1 1
value int 8 2 2 2 2
value str 0 "me" "east" "south" "west"
area 1
length int 16
length bool 64
length str 4
name bool 0 "@hscene" 20
area 2
length int 16
length bool 16
length str 4
)";

class StoryMemory : public TG2Memory {
public:
    bool loadMap(const std::string&) override {
        G2MapImage map;
        std::string error;
        if (!g2mm::parseDescription(kStoryVariables, map, error)) return false;
        applyMap(map);
        return true;
    }
};

class TestEngine : public present::PresentEngine {
public:
    std::unique_ptr<TG2Memory> createMemory() override { return std::make_unique<StoryMemory>(); }
};

// The engine's window: a click when the test asks, the first menu entry.
class EnginePlayer : public TG2Host {
public:
    TG2InputState input() override {
        TG2InputState s;
        if (click) s.words[2] = 0x10000000;
        return s;
    }
    void clearInput() override { click = false; }
    int32_t menuChoice(const EngineMenu&) override { return choice; }
    bool click = false;
    int32_t choice = 0;
};

class FakeHost : public app::ScreenHost {
public:
    FakeHost() : tasks_(128, 128) {}
    ~FakeHost() override { tasks_.terminate(); }
    TTaskManager& tasks() override { return tasks_; }
    graphics::TFade& fade() override { return fade_; }
    graphics::TGrTableObj& table() override { return screen; }
    void requestRedraw() override { ++redraws; }
    app::ScreenInput input() override { return {x, y, activity, pressed}; }
    void resetMouseTracking() override { moved = true; }
    uint32_t realTime() override { return platform::clock().now(); }
    uint32_t frameTime() override { return platform::clock().now(); }
    int systemKey() override { return key; }
    bool isWindowed() override { return windowed; }
    void setWindowed(bool on) override {
        windowed = on;
        ++modeSwitches;
    }
    void minimise() override { ++minimised; }
    void applySettings() override { ++applied; }
    void clearPresses() override { pressed = 0; }
    int32_t rightClick() override { return rightClickValue; }
    void setRightClick(int32_t v) override { rightClickValue = v; }
    bool saveConfirm() override { return confirm; }
    graphics::TSprObj* pushSprObj(const graphics::TSprObj& s) override {
        pool.push_back(std::make_unique<graphics::TSprObj>(s));
        return pool.back().get();
    }
    TTask* makeTitle() override { return makeTitleTask ? makeTitleTask() : nullptr; }
    void stopMusic() override { music.clear(); }
    void playMusic(const std::string& file, bool) override {
        music = file;
        ++plays;
    }
    void setVolume(int index, int32_t value) override { volumes[index] = value; }
    const TG2ImgDisp* imageTable() override { return &images; }
    void releaseMatchSprites() override { ++released; }

    // One frame: the table emptied, one scheduler pass, the fade stepped, the input's edges gone.
    void frame(uint32_t ms = 16) {
        if (auto* c = dynamic_cast<platform::ManualClock*>(&platform::clock())) c->advance(ms);
        screen.clear();
        pool.clear();
        // What this frame's screens read; a reset of the tracking shows in the next frame.
        activity = moved || x != lastX || y != lastY;
        moved = false;
        lastX = x, lastY = y;
        tasks_.run();
        fade_.update(platform::clock().now());
        fade_.attach();
        pressed = 0;
        key = 0;
    }
    // A left click at (px, py): the pointer rests there while a screen settles, then presses.
    void clickAt(int px, int py) {
        x = px, y = py;
        for (int i = 0; i < 3; ++i) frame();
        pressed = 0x10000000;
        frame();
    }
    void cancel() {
        for (int i = 0; i < 3; ++i) frame();
        pressed = 0x20000000;
        frame();
    }
    // Frames until the condition holds; false when it never does within the limit.
    bool runUntil(const std::function<bool()>& done, int limit = 2000) {
        for (int i = 0; i < limit; ++i) {
            if (done()) return true;
            frame();
        }
        return done();
    }

    graphics::TGraphic screen;
    TG2ImgDisp images;
    std::function<TTask*()> makeTitleTask;
    int x = -1, y = -1, lastX = -1, lastY = -1;
    bool moved = false, activity = false;
    uint32_t pressed = 0;
    int key = 0;
    bool windowed = true;
    int modeSwitches = 0, minimised = 0, applied = 0, redraws = 0, plays = 0, released = 0;
    int32_t rightClickValue = 1;
    bool confirm = true;
    std::string music;
    std::map<int, int32_t> volumes;
    std::vector<std::unique_ptr<graphics::TSprObj>> pool;

private:
    TTaskManager tasks_;
    graphics::TFade fade_;
};

// A task that stands in for the title hub: it counts its frames.
class StubTitle : public TTask {
public:
    void update() override { ++frames; }
    int frames = 0;
};

class AppWorld : public ::testing::Test {
protected:
    AppWorld();
    ~AppWorld() override;

    // Scripts by name for the engine's bank.
    void addScript(const std::string& name, const std::string& text);
    // A fresh engine (a restart of the program keeps only the folder).
    void startEngine();
    void stopEngine();

    mjtest::TempDir dir;
    std::filesystem::path oldCwd;
    platform::ManualClock clock{1000};
    TStorageGraph store;
    FakeHost host;
    EnginePlayer player;
    std::unique_ptr<TestEngine> engine;
    std::map<std::string, std::vector<uint8_t>> scripts;
};

}  // namespace apptest
