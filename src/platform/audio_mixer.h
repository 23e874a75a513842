#pragma once
// The software mixer behind the sound device. Sound buffers hold PCM (8-bit unsigned or 16-bit
// signed, one or two channels, any rate); playing buffers are resampled, scaled and summed into
// 16-bit stereo at the output rate whenever the output asks for the next block (render). The
// output is either the SDL audio device or a test that calls render itself: the mixer keeps no
// clock of its own, so time passes only as samples are rendered.
//
// Units follow the system's sound device: volume and pan in hundredths of a decibel (volume
// -10000 silent to 0 full, gain 10^(v/2000); pan -10000 full left to 10000 full right, the other
// side attenuated by |pan|), frequency in samples per second (0: the buffer's own rate), positions
// in bytes of the buffer.
//
// Every buffer operation takes the mixer's own short lock; render takes it once per block. No
// lock of the caller's is ever taken by the mixer, and events are signalled after the lock is
// let go.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::audio {

struct PcmFormat {
    uint16_t channels = 2;  // 1 or 2
    uint32_t rate = 44100;
    uint16_t bits = 16;  // 8 or 16
    uint32_t blockAlign() const { return channels * (bits / 8u); }
    uint32_t bytesPerSecond() const { return blockAlign() * rate; }
    bool valid() const { return (channels == 1 || channels == 2) && (bits == 8 || bits == 16) && rate > 0; }
};

// A set of flags that notifications raise and one thread waits for (an auto-reset event per bit).
class Signal {
public:
    void raise(uint32_t bits);
    // Waits until a bit is raised or timeoutMs real milliseconds pass (-1: no limit); returns the
    // raised bits and clears them (0 on timeout).
    uint32_t wait(int timeoutMs = -1);
    uint32_t peek() const;
    // For tests: waits until every raised bit has been taken and a waiter is waiting again
    // (the waiting thread has dealt with them); false after timeoutMs real milliseconds.
    bool waitUntilIdle(int timeoutMs);

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    uint32_t bits_ = 0;
    bool waiting_ = false;
};

// A position notification: bits raised on signal when the play cursor passes offset, or, for
// kOffsetStop, when the buffer stops (by stop, by a fade ending or by playing to its end).
struct Notification {
    static constexpr uint32_t kOffsetStop = 0xFFFFFFFFu;
    uint32_t offset = 0;
    std::shared_ptr<Signal> signal;
    uint32_t bits = 1;
};

constexpr int kVolumeMin = -10000;
constexpr int kVolumeMax = 0;
constexpr int kPanLeft = -10000;
constexpr int kPanRight = 10000;
constexpr uint32_t kFrequencyMin = 100;
constexpr uint32_t kFrequencyMax = 200000;

// The linear gain of a volume in hundredths of a decibel; -10000 and below are silence.
float gainOf(int hundredthsDb);

class MixerCore;

class SoundBuffer {
public:
    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    const PcmFormat& format() const { return format_; }
    uint32_t size() const;

    // Copies n bytes into the buffer from offset on, wrapping at its end; false when offset is
    // outside the buffer or n exceeds its size.
    bool write(uint32_t offset, const void* bytes, uint32_t n);
    // Fills n bytes from offset on (wrapping) with the format's silence.
    bool fillSilence(uint32_t offset, uint32_t n);
    // Copies n bytes out from offset on (wrapping); false as for write.
    bool read(uint32_t offset, void* out, uint32_t n) const;

    // Starts (or keeps) playing from the play cursor; a fade in progress is cancelled.
    void play(bool loop);
    // Stops at once; the cursor stays where it is.
    void stop();
    bool isPlaying() const;
    bool isLooping() const;
    // The play cursor in bytes (a whole number of blocks).
    uint32_t position() const;
    bool setPosition(uint32_t bytes);

    bool setVolume(int hundredthsDb);
    int volume() const;
    bool setPan(int pan);
    int pan() const;
    // 0 restores the format's rate; other values outside 100..200000 are refused.
    bool setFrequency(uint32_t hz);
    uint32_t frequency() const;  // the rate in effect

    // Replaces the notifications; refused (false) while playing, as the system's device does.
    bool setNotifications(std::vector<Notification> notes);

    // Ramps the volume down to silence over ms of output (linearly in decibels from the current
    // volume), then stops, sets the volume to -10000 and, with rewind, the cursor to 0. Returns
    // at once; false (nothing done) when the buffer is not playing.
    bool fadeOutAndStop(uint32_t ms, bool rewind);
    bool isFading() const;

private:
    friend class MixerCore;
    friend class Mixer;
    SoundBuffer(std::shared_ptr<MixerCore> core, std::shared_ptr<std::vector<uint8_t>> data, const PcmFormat& format);

    // All below under the core's lock.
    void stopLocked(std::vector<Notification>& fire);
    void mixLocked(float* out, uint32_t frames, uint32_t outRate, std::vector<Notification>& fire);
    float sampleAt(uint32_t frame, int channel) const;

    std::shared_ptr<MixerCore> core_;
    std::shared_ptr<std::vector<uint8_t>> data_;  // shared by duplicates
    PcmFormat format_;
    uint32_t frames_ = 0;
    bool playing_ = false;
    bool looping_ = false;
    uint64_t pos_ = 0;  // 32.32 fixed point frames
    int volume_ = 0;
    int pan_ = 0;
    uint32_t frequency_ = 0;
    std::vector<Notification> notes_;
    // Fade: output frames done and total; the volume it started from.
    uint32_t fadeDone_ = 0;
    uint32_t fadeTotal_ = 0;
    int fadeFrom_ = 0;
    bool fadeRewind_ = false;
};

// The mixer a device pulls from. Buffers keep the mixer's state alive, so they may outlive it.
class Mixer {
public:
    explicit Mixer(uint32_t outputRate = 44100);
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    uint32_t outputRate() const;
    // A silent, stopped buffer of bytes (rounded down to whole blocks, at least one block); null
    // for an invalid format or size.
    std::shared_ptr<SoundBuffer> createBuffer(const PcmFormat& format, uint32_t bytes);
    // A buffer sharing the other's sound data, with its own cursor and settings (copied).
    std::shared_ptr<SoundBuffer> duplicate(const SoundBuffer& other);
    // Mixes the next frames into out (interleaved 16-bit stereo); silence when nothing plays.
    void render(int16_t* out, uint32_t frames);
    // Keeps a buffer that is fading out playing after its owner lets it go, until the fade ends
    // (a released effect still ends without a click). A buffer that is not playing is dropped.
    void retainUntilStopped(std::shared_ptr<SoundBuffer> buffer);
    // Frames rendered so far: the mixer's clock.
    uint64_t framesRendered() const;
    size_t playingCount() const;

private:
    std::shared_ptr<MixerCore> core_;
};

}  // namespace platform::audio
