#pragma once
// The game's own engine (the presentation's, as the main frame makes it) on a manual clock, the
// manual mixer and a screen object of its own: each frame the screen's table is emptied, the
// engine runs and is put into layer 1, and the screen draws itself whole (the frame draws only
// where the picture changed, to the same pixels). The player's input, the main window's state and
// the CD drive are the test's.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "../../sound/sound_fixtures.h"
#include "../script_support.h"
#include "framework/window.h"
#include "graphics/graphic.h"
#include "platform/clock.h"
#include "present_fixture.h"
#include "script/core.h"
#include "script/present/sound/music.h"
#include "script/present/present_engine.h"
#include "script/present/present_jobs.h"
#include "sound/ogg_stream.h"
#include "sound/sound.h"
#include "support/test_support.h"

namespace present::testing {

class GameEngine : public PresentEngine {
public:
    std::unique_ptr<TG2Memory> createMemory() override { return std::make_unique<SmallMapMemory>(); }
    // The engine's own music, on the test's CD drive when it gives one.
    std::unique_ptr<EngineMusic> createMusic() override { return present::createMusic(*this, std::move(cdDrive)); }
    std::unique_ptr<TCdBackend> cdDrive;
};

class GamePlayer : public TG2Host {
public:
    TG2InputState input() override { return in; }
    void clearInput() override { in.words[2] = in.words[3] = in.repeat = 0; }
    // Above 0 while the program runs full screen.
    int state() override { return fullScreen ? 1 : 0; }
    TWindow* window() override { return mainWindow; }
    // A click of the left button, pressed and let go within one frame.
    void click() {
        in.words[2] |= 0x10000000;
        in.words[3] |= 0x10000000;
    }
    void endFrame() { in.words[0] = in.words[1] = in.words[2] = in.words[3] = in.repeat = 0; }

    TG2InputState in;
    bool fullScreen = false;
    TWindow* mainWindow = nullptr;
};

// A manual clock during whose sleeps the sound device plays on, as the real one does while the
// program waits for a sound to stop.
class PlayingClock : public platform::Clock {
public:
    explicit PlayingClock(soundtest::ManualDevice& device) : device_(device) {}
    uint32_t now() override { return now_; }
    void sleep(uint32_t ms) override {
        now_ += ms;
        device_.pump(44100 * ms / 1000);
    }
    void advance(uint32_t ms) { now_ += ms; }

private:
    soundtest::ManualDevice& device_;
    uint32_t now_ = 1000;
};

class GameEngineTest : public ::testing::Test {
protected:
    static constexpr int kW = 800, kH = 600;
    static constexpr int kAmplitude = 10000;

    void SetUp() override {
        platform::setClock(&clock);
        setEngineLogSink([this](const std::string& line) { log.push_back(line); });
        store.setBaseFolder(dir.str());
        store.setWaveFactory(new TOpenOgg, true);
        // Music and voices a second long at 1 kHz, a long one, and a voice that is silent.
        writeWave("bgm.wav", 44100, kAmplitude);
        writeWave("voice.wav", 44100, kAmplitude);
        writeWave("long.wav", 44100 * 4, kAmplitude);
        writeWave("quiet.wav", 44100 / 2, 0);
        screen.create(kW, kH, 256);
        TG2Status& s = engine.status();
        s.name = "main.g2";
        s.screenWidth = kW;
        s.screenHeight = kH;
        s.useCommonSave = false;  // nothing written where the tests run
        files.install(engine.getScriptBank());
    }
    void TearDown() override {
        engine.term();
        platform::setClock(nullptr);
        setEngineLogSink(nullptr);
    }
    void writeWave(const std::string& name, uint32_t frames, int amplitude) {
        soundtest::writeFile(
            dir.str() + "/" + name,
            soundtest::waveImage(soundtest::bytesOf(soundtest::sine(44100, 1, 1000, amplitude, frames)), 1, 44100, 16));
    }
    TG2Core& start(const std::string& text) {
        files.add("main.g2", text);
        engine.init(&player, &screen, &master);
        EXPECT_TRUE(engine.start("", ""));
        return *engine.core();
    }
    // One frame of ms; false when the story ended.
    bool frame(uint32_t ms = 16) {
        clock.advance(ms);
        screen.clear();
        const bool alive = engine.run();
        screen.add(1, &engine);
        screen.invalidate();
        screen.redraw();
        player.endFrame();
        return alive;
    }
    void frames(int n, uint32_t ms = 16) {
        for (int i = 0; i < n; ++i) frame(ms);
    }
    uint32_t pixel(int x, int y) { return screen.getPixel(x, y) & 0xFFFFFF; }
    // The level heard over the next ms, as a share of a file's own.
    double level(uint32_t ms = 20) {
        const auto left = soundtest::channel(device.pump(44100 * ms / 1000), 0);
        return soundtest::rms(left) / (kAmplitude / std::sqrt(2.0));
    }
    static double gainOf(int volume) { return std::pow(10.0, volumeToDs(volume) / 2000.0); }
    TG2Music& music() { return dynamic_cast<TG2Music&>(*engine.music()); }
    bool warned(const std::string& code) const {
        for (const std::string& line : log)
            if (line.find("warning " + code) == 0) return true;
        return false;
    }

    soundtest::ManualDevice device;
    PlayingClock clock{device};
    mjtest::TempDir dir;
    PictureStore store;
    TSound master;
    graphics::TGraphic screen;
    GamePlayer player;
    ScriptFiles files;
    std::vector<std::string> log;
    GameEngine engine;
};

}  // namespace present::testing
