#pragma once
// The sound output: a device that pulls 16-bit stereo blocks from a mixer. The real one is the
// SDL audio device; its headless twin pulls nothing by itself, and a test renders the mixer's
// blocks when it wants them (manualMixer()->render).
#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio_mixer.h"

namespace platform::audio {

class Output {
public:
    virtual ~Output() = default;
    virtual Mixer& mixer() = 0;
    virtual bool isManual() const = 0;
};

// The SDL audio device at rate (16-bit stereo), already running, or the manual twin when the
// headless back end is chosen. Null, with the reason in error, when no device opens.
std::unique_ptr<Output> openOutput(uint32_t rate, std::string* error = nullptr);

}  // namespace platform::audio

namespace platform::headless {

// From now on openOutput gives the manual twin (on) or the SDL device (off).
void useManualAudio(bool on);
bool manualAudio();
// The mixer of the manual output open now, or null.
audio::Mixer* manualMixer();

}  // namespace platform::headless
