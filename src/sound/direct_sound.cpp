#include "sound/direct_sound.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "sound/wave.h"

namespace {

TDirectSound* g_instance = nullptr;
std::atomic<int> g_waveCount{0};
std::string g_outputError;

}  // namespace

TDirectSound::~TDirectSound() {
    if (g_instance == this) g_instance = nullptr;
}

TDirectSound* TDirectSound::instance() { return g_instance; }

int TDirectSound::createInstance(void* window, const void* deviceGuid, uint32_t sampleRate, uint16_t bits,
                                 bool stereo) {
    if (g_instance) return 0;
    auto* ds = new TDirectSound();
    g_instance = ds;
    int result = ds->init(window, deviceGuid, sampleRate, bits, stereo);
    if (result != 0) delete ds;
    return result;
}

int TDirectSound::init(void* window, const void*, uint32_t rate, uint16_t bits, bool stereo) {
    if (device_) return 0;
    window_ = window;
    primaryFormat_ = pcmFormat(stereo ? 2 : 1, rate, bits);
    g_outputError.clear();
    device_ = platform::audio::openOutput(44100, &g_outputError);
    if (!device_) {
        if (g_outputError.empty()) g_outputError = "no reason given";
        return mapDsError(0x80004005, kDsErrCreate);
    }
    // The primary buffer takes only formats the device can play; the mixer itself always
    // renders 16-bit stereo at 44100 Hz.
    platform::audio::PcmFormat check;
    if (!toMixerFormat(primaryFormat_, check) || rate < platform::audio::kFrequencyMin ||
        rate > platform::audio::kFrequencyMax) {
        device_.reset();
        return mapDsError(DSERR_BADFORMAT, kDsErrFormat);
    }
    return 0;
}

void TDirectSound::destroyInstance() {
    TDirectSound* ds = g_instance;
    if (!ds) return;
    bool empty;
    {
        TCriticalLock hold(ds->lock_);
        ds->closing_ = 1;
        empty = ds->waves_.empty();
    }
    if (empty) delete ds;
}

void TDirectSound::pauseAll() {
    TDirectSound* ds = g_instance;
    if (!ds || !ds->device_) return;
    if (ds->pauseCount_++ > 0) return;
    std::vector<TWave*> waves;
    {
        TCriticalLock hold(ds->lock_);
        waves.assign(ds->waves_.begin(), ds->waves_.end());
    }
    for (TWave* w : waves) w->pause();
}

void TDirectSound::resumeAll() {
    TDirectSound* ds = g_instance;
    if (!ds || !ds->device_ || ds->pauseCount_ <= 0) return;
    if (--ds->pauseCount_ > 0) return;
    std::vector<TWave*> waves;
    {
        TCriticalLock hold(ds->lock_);
        waves.assign(ds->waves_.begin(), ds->waves_.end());
    }
    for (TWave* w : waves) w->resume();
}

void TDirectSound::registerWave(TWave* wave) {
    TDirectSound* ds = g_instance;
    if (!ds) return;
    TCriticalLock hold(ds->lock_);
    if (ds->waves_.insert(wave).second) ++g_waveCount;
}

void TDirectSound::unregisterWave(TWave* wave) {
    TDirectSound* ds = g_instance;
    if (!ds) return;
    bool last;
    {
        TCriticalLock hold(ds->lock_);
        if (ds->waves_.erase(wave) == 0) return;
        --g_waveCount;
        last = ds->closing_ && ds->waves_.empty();
    }
    if (last) delete ds;
}

const std::string& TDirectSound::outputError() { return g_outputError; }

platform::audio::Mixer* TDirectSound::getDevice() {
    TDirectSound* ds = g_instance;
    return ds && ds->device_ ? &ds->device_->mixer() : nullptr;
}

void TDirectSound::lockDevice() {
    if (g_instance) g_instance->lock_.enter();
}

void TDirectSound::unlockDevice() {
    if (g_instance) g_instance->lock_.leave();
}

int TDirectSound::waveCount() { return g_waveCount.load(); }

int TDirectSound::deviceVolume(int volume) const {
    if (mute_) return platform::audio::kVolumeMin;
    return std::clamp(volumeOffset_ + volume, platform::audio::kVolumeMin, platform::audio::kVolumeMax);
}

int TDirectSound::mapDsError(uint32_t hr, int fallback) {
    switch (hr) {
        case DSERR_ALLOCATED:
            return 0x03004304;
        case DSERR_CONTROLUNAVAIL:
            return 0x03004305;
        case DSERR_NOAGGREGATION:
            return 0x03004306;
        case DSERR_UNINITIALIZED:
            return 0x03004307;
        case DSERR_BADFORMAT:
            return 0x03004308;
        case DSERR_INVALIDCALL:
            return 0x03004309;
        case DSERR_PRIOLEVELNEEDED:
            return 0x03004310;
        case E_NOTIMPL_:
            return 0x03004311;
        case DSERR_INVALIDPARAM:
            return 0x03004312;
        case DSERR_OUTOFMEMORY:
            return 0x03004315;
        default:
            return fallback;
    }
}
