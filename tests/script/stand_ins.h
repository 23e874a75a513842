#pragma once
// Do-nothing graphic layer and music for tests of the engine's own parts (core, commands,
// saves), which have no presentation to run on. The game's engine never holds these: its parts
// are the presentation's. A test fake derives from one and overrides what it records.
#include <memory>
#include <string>

#include "script/presentation.h"
#include "script/value_exchange.h"

namespace testing_stand_ins {

class NullGraphic : public EngineGraphic {
public:
    bool create(int32_t w, int32_t h) override {
        width_ = w, height_ = h;
        return w > 0 && h > 0;
    }
    void reset() override {}
    void term() override {}
    void exchange(TValueExchange& x) override { TValueExchange::TKey key(x, "gGraphic"); }
    void clearLayers() override {}
    void update(int32_t) override {}
    void buildTable(bool) override {}
    bool isDirty() const override { return false; }
    void draw(graphics::TSurface32&) override {}
    void addObject(int32_t, graphics::TGrObj*) override {}
    void refresh() override {}
    bool isMoviePlaying() const override { return false; }
    void pauseMovie() override {}
    void resumeMovie() override {}
    int32_t width() const override { return width_; }
    int32_t height() const override { return height_; }
    void setSize(int32_t w, int32_t h) override { width_ = w, height_ = h; }
    void command(TG2Thread&, uint32_t, const G2CommandArgs&) override {}

private:
    int32_t width_ = 0, height_ = 0;
};

class NullMusic : public EngineMusic {
public:
    bool create(TSound*) override { return true; }
    void reset() override {}
    void term() override {}
    void exchange(TValueExchange& x) override { TValueExchange::TKey key(x, "gMusic"); }
    bool sePlaying(int32_t) const override { return false; }
    std::string seName(int32_t) const override { return {}; }
    bool voicePlaying() const override { return false; }
    bool voiceLoops() const override { return false; }
    std::string voiceName() const override { return {}; }
    bool bgmPlaying() const override { return false; }
    std::string bgmName() const override { return {}; }
    void command(TG2Thread&, uint32_t, const G2CommandArgs&) override {}
    void stopVoice() override {}
    void fadeOutVoice() override { stopVoice(); }
    void replayVoice(const std::string&) override {}
    void setVoiceVolume(int32_t) override {}
    void lowerForVoice() override {}
    bool playVoice(const std::string&) override { return true; }
    void fadeInVoice(TG2Thread*, const std::string& name, int32_t, int32_t) override { playVoice(name); }
    void stopVoiceFade() override {}
    int32_t voiceFadeTime() const override { return 0; }
};

// An engine with the stand-ins for its graphic layer and music: the script's own parts alone.
template <class Engine>
class ScriptOnly : public Engine {
public:
    std::unique_ptr<EngineGraphic> createGraphic() override { return std::make_unique<NullGraphic>(); }
    std::unique_ptr<EngineMusic> createMusic() override { return std::make_unique<NullMusic>(); }
};

}  // namespace testing_stand_ins
