#pragma once
// The frame's sound member: the sound device over the platform's mixer, the master of the sound
// manager, and the Ogg-or-WAVE opener the resource store uses for effects. A program calls
// useSoundForFrames() once before it builds its frame.
#include <memory>

#include "framework/frame_services.h"
#include "sound/sound.h"

// The frame's sound manager: silent while its own mute or the engine's "Mute" setting is on,
// and at the engine's "Volume" setting times its own volume.
class TSoundG2 : public TSound {
public:
    bool isMute() const override { return TSound::isMute() || (engine_ && engine_->muteSetting()); }
    int getVolume() const override {
        return engine_ ? engine_->volumeSetting() * TSound::getVolume() / 255 : TSound::getVolume();
    }
    void attachEngine(const TFrameEngine* engine) { engine_ = engine; }

private:
    const TFrameEngine* engine_ = nullptr;
};

class TFrameSoundDevice : public TFrameSound {
public:
    // Makes the device (0 or a device error code in lastResult) and gives the frame's store, when
    // it is the graphics store, the Ogg-or-WAVE opener.
    bool create(TWindow* window, uint32_t rate, uint16_t bits, bool stereo) override;
    void destroy() override;
    void pause() override;
    void resume() override;
    void attachEngine(const TFrameEngine* engine) override { master_.attachEngine(engine); }

    TSound& master() { return master_; }
    int lastResult() const { return lastResult_; }

private:
    TSoundG2 master_;
    int lastResult_ = 0;
};

std::unique_ptr<TFrameSound> makeFrameSoundDevice();
// Installs makeFrameSoundDevice as the frames' sound maker.
void useSoundForFrames();
