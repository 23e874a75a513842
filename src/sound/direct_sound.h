#pragma once
// The sound device: one instance, made by the game frame, over the platform's software mixer.
// Every call on a buffer of a wave or stream is made under the device's lock.
#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "framework/critical_section.h"
#include "platform/audio_device.h"
#include "sound/wave_format.h"

class TWave;

// Program codes of device failures.
enum DsErrorCode : int {
    kDsErrCreate = 0x03004301,
    kDsErrPrimary = 0x03004302,
    kDsErrFormat = 0x03004303,
    kDsErrCooperative = 0x03004314,
};

// HRESULTs of the device that the codes name.
enum DsResult : uint32_t {
    DSERR_ALLOCATED = 0x8878000A,
    DSERR_CONTROLUNAVAIL = 0x8878001E,
    DSERR_NOAGGREGATION = 0x80040110,
    DSERR_UNINITIALIZED = 0x887800AA,
    DSERR_BADFORMAT = 0x88780064,
    DSERR_INVALIDCALL = 0x88780032,
    DSERR_PRIOLEVELNEEDED = 0x88780046,
    E_NOTIMPL_ = 0x80004001,
    DSERR_INVALIDPARAM = 0x80070057,
    DSERR_OUTOFMEMORY = 0x8007000E,
};

class TDirectSound {
public:
    virtual ~TDirectSound();

    // 0 at once when an instance exists; otherwise makes one and opens the output: 0 or a
    // program code. A failed creation leaves no instance behind, so a later call tries again.
    static int createInstance(void* window, const void* deviceGuid, uint32_t sampleRate, uint16_t bits, bool stereo);
    // Deletes the instance now, or when the last wave unregisters.
    static void destroyInstance();
    static TDirectSound* instance();
    static void pauseAll();
    static void resumeAll();
    static void registerWave(TWave* wave);
    static void unregisterWave(TWave* wave);
    // The mixer of the instance, or null.
    static platform::audio::Mixer* getDevice();
    // Why the last creation found no audio output to open; empty when it opened one.
    static const std::string& outputError();
    static void lockDevice();
    static void unlockDevice();
    // The program code of a device result; fallback for results outside the table.
    static int mapDsError(uint32_t hr, int fallback);
    // Waves registered by every device (the program-wide count).
    static int waveCount();

    bool isMuted() const { return mute_ != 0; }
    void setMute(bool on) { mute_ = on ? 1 : 0; }
    int volumeOffset() const { return volumeOffset_; }
    void setVolumeOffset(int v) { volumeOffset_ = v; }
    // The volume a buffer is given for a wave volume: -10000 when muted, else offset + volume.
    int deviceVolume(int volume) const;
    const WaveFormatEx& primaryFormat() const { return primaryFormat_; }
    // The primary buffer's creation flags (the primary-buffer bit included).
    uint32_t primaryFlags() const { return primaryFlags_ | 0x1; }
    TCriticalSection& lock() { return lock_; }

private:
    TDirectSound() = default;
    int init(void* window, const void* guid, uint32_t rate, uint16_t bits, bool stereo);

    uint8_t closing_ = 0;
    void* window_ = nullptr;
    std::unique_ptr<platform::audio::Output> device_;
    TCriticalSection lock_;
    int pauseCount_ = 0;
    int mute_ = 0;
    int volumeOffset_ = 0;
    uint32_t primaryFlags_ = 0;
    WaveFormatEx primaryFormat_;
    std::set<TWave*> waves_;
};

// Holds the device lock for a scope (nothing when there is no device).
class TDeviceLock {
public:
    TDeviceLock() { TDirectSound::lockDevice(); }
    ~TDeviceLock() { TDirectSound::unlockDevice(); }
    TDeviceLock(const TDeviceLock&) = delete;
    TDeviceLock& operator=(const TDeviceLock&) = delete;
};
