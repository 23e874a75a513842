#pragma once
// An engine with the presentation's standing jobs on a manual clock and the manual mixer: effect
// and voice channels and a music stream from the real sound manager, WAVE files on disk, a
// movie player and CD that record what they are told, and a host whose input the test scripts
// frame by frame. Assembled scripts run through it.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "../../sound/sound_fixtures.h"
#include "../script_support.h"
#include "../stand_ins.h"
#include "platform/clock.h"
#include "present_fixture.h"
#include "script/core.h"
#include "script/engine.h"
#include "script/present/doc/engine_doc.h"
#include "script/present/transition/engine_graphic.h"
#include "script/present/sound/engine_job_context.h"
#include "script/present/present_jobs.h"
#include "script/present/sound/sound_commands.h"
#include "script/present/jobs/standing_jobs.h"
#include "sound/direct_sound.h"
#include "sound/media.h"
#include "sound/ogg_stream.h"
#include "sound/sound.h"
#include "sound/wave.h"
#include "sound/wave_stream.h"
#include "support/test_support.h"

namespace soundjobs {

class FakeMedia : public TMedia {
public:
    bool open(const std::string& name) override {
        opened.push_back(name);
        open_ = name.find("missing") == std::string::npos;
        return open_;
    }
    void close() override { open_ = false, ++closes; }
    bool isOpen() const override { return open_; }
    bool play() override { return ++plays, true; }
    void stop() override { open_ = false; }
    int setVolume(int v) override { return volume = v; }
    void getSize(int& w, int& h) const override { w = 320, h = 240; }
    void setRect(int x, int y, int w, int h) override { rect = {x, y, w, h}; }

    bool open_ = false;
    int plays = 0, closes = 0, volume = 0;
    std::vector<std::string> opened;
    std::vector<int> rect;
};

// Effect channels 0-254, the voice, the music and a CD that only remembers.
class TestMusic : public testing_stand_ins::NullMusic, public present::SoundDesk {
public:
    TestMusic(TG2Engine& engine, present::JobContext& ctx) : engine_(engine), ctx_(ctx) {
        for (int ch = 0; ch < 255; ++ch) effects.insertEmpty(ch);
        voices.insertEmpty(0);
    }
    TSe* channel(int32_t id) override {
        return id == 255 ? voices.find(0) : id >= 0 && id < 255 ? effects.find(id) : nullptr;
    }
    TBgm* bgm() override { return &music; }
    bool cdPlaying() override { return cdOn; }
    int32_t cdTrack() const override { return track; }
    void cdPlay(int32_t t, bool loop) override { track = t, cdOn = true, cdLoop = loop, ++cdStarts; }
    void cdStop() override { cdOn = false, track = -1; }
    void cdSetVolume(int32_t v) override { cdVolume = v; }
    TMedia* media() override { return ownMovie ? &movie : nullptr; }
    void command(TG2Thread& thread, uint32_t code, const G2CommandArgs& args) override {
        present::SoundCommands(engine_, ctx_, *this).run(thread, code, args);
    }

    TSeSet effects, voices;
    TBgm music;
    FakeMedia movie;
    bool ownMovie = true;
    bool cdOn = false, cdLoop = false;
    int32_t track = -1, cdVolume = 255, cdStarts = 0;

private:
    TG2Engine& engine_;
    present::JobContext& ctx_;
};

// The main window's state: full screen or not.
class WindowStateHost : public TG2Host {
public:
    int state() override { return fullScreen ? 1 : 0; }
    bool fullScreen = false;
};

class ScriptedHost : public WindowStateHost {
public:
    TG2InputState input() override { return state; }
    void clearInput() override {
        state.words[2] = state.words[3] = 0;
        ++clears;
    }
    int messageBox(const std::string& text, const std::string&, uint32_t) override {
        boxes.push_back(text);
        return 1;
    }
    TG2InputState state;
    int clears = 0;
    std::vector<std::string> boxes;
};

// Sleeping while a stopped sound fades out renders the mixer for that long instead.
class MixerContext : public present::EngineJobContext {
public:
    using EngineJobContext::EngineJobContext;
    void sleepMs(uint32_t ms) override {
        ++sleeps;
        if (device) device->pump(44100 * ms / 1000 + 1);
    }
    soundtest::ManualDevice* device = nullptr;
    int sleeps = 0;
};

class TestEngine : public TG2Engine {
public:
    TestEngine() : ctx(*this) {}
    std::unique_ptr<TG2Memory> createMemory() override { return std::make_unique<SmallMapMemory>(); }
    std::unique_ptr<EngineGraphic> createGraphic() override { return std::make_unique<present::GraphicPart>(); }
    std::unique_ptr<EngineDoc> createDoc() override { return std::make_unique<present::EngineDocAdapter>(*this); }
    std::unique_ptr<EngineMusic> createMusic() override { return std::make_unique<TestMusic>(*this, ctx); }
    std::unique_ptr<TDwarf> createStandingJob(int32_t code) override {
        if (textJobs)
            if (auto job = present::createStandingJob(*this, code)) return job;
        auto job = present::makeStandingJob(*this, ctx, code);
        return job ? std::move(job) : TG2Engine::createStandingJob(code);
    }
    TestMusic& desk() { return *dynamic_cast<TestMusic*>(music()); }
    present::TG2Graphic& layer() { return dynamic_cast<present::GraphicPart*>(graphic())->graphic(); }
    present::TG2Doc& document() { return dynamic_cast<present::EngineDocAdapter*>(doc())->real(); }

    MixerContext ctx;
    // The presentation's own text output and click waits instead of the engine's minimal ones.
    bool textJobs = false;
};

// A second of a 1 kHz sine at 10000 of 32767 (mono, 44.1 kHz), as the effects, voices and music.
class SoundJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setClock(&clock);
        setEngineLogSink([this](const std::string& line) { log.push_back(line); });
        store.setBaseFolder(dir.str());
        store.setWaveFactory(new TOpenOgg, true);
        for (const char* name : {"fx.wav", "voice.wav", "bgm.wav", "long.wav"}) {
            const uint32_t frames = std::string(name) == "long.wav" ? 44100 * 4 : 44100;
            soundtest::writeFile(
                dir.str() + "/" + name,
                soundtest::waveImage(soundtest::bytesOf(soundtest::sine(44100, 1, 1000, 10000, frames)), 1, 44100, 16));
        }
        engine.ctx.device = &device;
        engine.status().name = "main.g2";
        files.install(engine.getScriptBank());
    }
    void TearDown() override {
        engine.term();
        platform::setClock(nullptr);
        setEngineLogSink(nullptr);
    }
    TG2Core& start(const std::string& text) {
        files.add("main.g2", text);
        engine.status().useCommonSave = false;
        engine.init(&host, nullptr, nullptr);
        EXPECT_TRUE(engine.start("", ""));
        return *engine.core();
    }
    // One frame after ms of engine time; the presses of the frame are gone afterwards.
    bool frame(uint32_t ms = 16) {
        clock.advance(ms);
        const bool alive = engine.run();
        host.state.words[2] = host.state.words[3] = 0;
        host.state.wheel = 0;
        return alive;
    }
    void click(uint32_t bits = 0x10000010) {  // the default click mask
        host.state.words[3] = bits;
        frame();
    }
    // The level heard over the next ms, as a share of the file's own.
    double level(uint32_t ms = 20) {
        const auto left = soundtest::channel(device.pump(44100 * ms / 1000), 0);
        return soundtest::rms(left) / (10000 / std::sqrt(2.0));
    }
    // The warnings logged, as "code name" pairs.
    bool warned(const std::string& code, const std::string& name) const {
        for (const std::string& line : log)
            if (line.find("warning " + code) == 0 && line.find(name) != std::string::npos) return true;
        return false;
    }
    static double gainOf(int volume) { return std::pow(10.0, volumeToDs(volume) / 2000.0); }
    // The engine's whole state as a save holds it, and loaded back after a reset.
    std::string save() {
        engine.core()->takeSnapshot();
        TMemoryStream& m = engine.core()->snapshot();
        return std::string(reinterpret_cast<const char*>(m.getBuffer()), m.size());
    }
    void load(const std::string& bytes) {
        engine.reset();
        present::testing::loadBytes(bytes, [&](TValueExchange& x) { engine.core()->exchange(x); });
    }

    platform::ManualClock clock{1000};
    soundtest::ManualDevice device;
    mjtest::TempDir dir;
    present::testing::PictureStore store;
    TSound master;
    ScriptedHost host;
    ScriptFiles files;
    std::vector<std::string> log;
    TestEngine engine;
};

}  // namespace soundjobs
