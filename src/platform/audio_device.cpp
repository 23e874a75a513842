#include "platform/audio_device.h"

#include <SDL.h>
#include <dlfcn.h>

#include <atomic>

namespace platform::audio {

namespace {

std::atomic<bool> g_manual{false};
std::atomic<Mixer*> g_manualMixer{nullptr};

class ManualOutput final : public Output {
public:
    explicit ManualOutput(uint32_t rate) : mixer_(rate) {
        Mixer* none = nullptr;
        g_manualMixer.compare_exchange_strong(none, &mixer_);
    }
    ~ManualOutput() override {
        Mixer* self = &mixer_;
        g_manualMixer.compare_exchange_strong(self, nullptr);
    }
    Mixer& mixer() override { return mixer_; }
    bool isManual() const override { return true; }

private:
    Mixer mixer_;
};

void ignoreAlsaReport(const char*, int, const char*, int, const char*, ...) {}

// SDL's ALSA back end leaves the ALSA library's own reports on standard error: eight lines for
// a machine without a sound card, each step of the failed open, before SDL gives the failure
// that the game then says in one line. The library's report handler is made a quiet one before
// SDL loads it (the same library, by the same name), and stays so while the program runs.
void quietAlsaReports() {
    static const bool quiet = [] {
        void* lib = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!lib) return false;  // no ALSA: nothing to quiet
        using Report = void (*)(const char*, int, const char*, int, const char*, ...);
        auto setHandler = reinterpret_cast<int (*)(Report)>(dlsym(lib, "snd_lib_error_set_handler"));
        return setHandler && setHandler(&ignoreAlsaReport) == 0;
    }();
    static_cast<void>(quiet);
}

class SdlOutput final : public Output {
public:
    explicit SdlOutput(uint32_t rate) : mixer_(rate) {}
    ~SdlOutput() override {
        if (device_ != 0) SDL_CloseAudioDevice(device_);
        if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool open(std::string* error) {
        quietAlsaReports();
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return fail(error);
        initialised_ = true;
        SDL_AudioSpec want{};
        SDL_AudioSpec have{};
        want.freq = static_cast<int>(mixer_.outputRate());
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 1024;
        want.callback = &SdlOutput::pull;
        want.userdata = this;
        // SDL converts to whatever the hardware takes; the mixer always makes 16-bit stereo.
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) return fail(error);
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }
    Mixer& mixer() override { return mixer_; }
    bool isManual() const override { return false; }

private:
    static bool fail(std::string* error) {
        if (error) *error = SDL_GetError();
        return false;
    }
    // The device only pulls: everything else happens in the mixer.
    static void pull(void* user, Uint8* stream, int len) {
        auto* self = static_cast<SdlOutput*>(user);
        self->mixer_.render(reinterpret_cast<int16_t*>(stream), static_cast<uint32_t>(len) / 4);
    }

    Mixer mixer_;
    bool initialised_ = false;
    SDL_AudioDeviceID device_ = 0;
};

}  // namespace

std::unique_ptr<Output> openOutput(uint32_t rate, std::string* error) {
    if (g_manual.load()) return std::make_unique<ManualOutput>(rate);
    auto out = std::make_unique<SdlOutput>(rate);
    if (!out->open(error)) return nullptr;
    return out;
}

}  // namespace platform::audio

namespace platform::headless {

void useManualAudio(bool on) { audio::g_manual.store(on); }
bool manualAudio() { return audio::g_manual.load(); }
audio::Mixer* manualMixer() { return audio::g_manualMixer.load(); }

}  // namespace platform::headless
