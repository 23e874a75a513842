#pragma once
// A streamed wave: one looping device buffer of about three seconds in 16 segments, refilled
// from a decoder by a thread of its own each time the play cursor passes a segment's end. This
// class decodes plain PCM RIFF WAVE files; TOggStream and TAcmStream supply other sources.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "framework/stream.h"
#include "sound/wave.h"

class TWaveStream : public TWave {
public:
    // Source errors.
    enum : int { kErrOpen = -100, kErrNotPcm = -101, kErrFormat = -103 };

    TWaveStream();
    ~TWaveStream() override;

    virtual void setLoopStartBytes(uint32_t n);
    virtual void setLoopStartSamples(uint32_t n);
    virtual void setLoopStartMs(uint32_t ms);
    // Bytes of source played, wrapped into the data (and into the loop after the loop start).
    virtual uint32_t getPosition();
    virtual bool createStream();
    // Moves the source to the sample and fills the whole buffer from there.
    virtual bool seek(uint32_t samples);
    virtual bool fill();
    // 0, or a negative source error.
    virtual int openSource(const std::string& name);
    virtual bool seekSource(uint32_t samples);
    // Up to size bytes into buf, got = bytes given (0 at the end); false on a read error.
    virtual bool readSource(void* buf, uint32_t size, uint32_t& got);
    virtual void closeSource();

    bool isPlaying(int i = -1) override;
    bool getLoop(int i = -1) override;
    bool setPan(int value, int i = -1) override;
    bool setVolume(int value, int i = -1) override;
    bool setFrequency(int value, int i = -1) override;
    // The name may carry options after ";": ";is<n>" loop start at sample n, ";it<n>" at n ms.
    bool loadFile(const std::string& name, int copies) override;
    bool loadResource(const std::string& name, void* module, int copies) override;
    void release() override;
    int play(bool loop, int index = -1) override;
    // Ramps down over 50 ms in the mixer, ends the refill and forgets the position.
    bool stopFade(int i = -1) override;
    // Stops at once and keeps the position, so the next play resumes there.
    bool stop(int i = -1) override;

    uint32_t bufferSize() const { return bufferSize_; }
    uint32_t segmentSize() const { return segmentSize_; }
    uint32_t played() const { return played_; }
    uint32_t loopStartBytes() const { return loopStartBytes_; }
    const WaveFormatEx& sourceFormat() const { return format_; }
    // The refill thread's signal while playing (tests wait on it to let a refill finish).
    std::shared_ptr<platform::audio::Signal> refillSignal() const { return signal_; }
    int lastError() const { return lastError_; }

protected:
    // Reads until n bytes are in dst or the source gives nothing; with the loop flag the source
    // starts again at the loop start when it ends. Sets end reached when it ran dry without loop.
    uint32_t readLooped(uint8_t* dst, uint32_t n);
    // For subclasses: the source's PCM format and data size, set by openSource.
    WaveFormatEx format_;

private:
    enum : uint32_t { kNotifyBit = 1, kStopBit = 2, kQuitBit = 4 };
    void refillThread(std::shared_ptr<platform::audio::Signal> signal);
    void refill();
    void updatePlayed();
    bool startRefill();
    // Ends the refill thread; with fromMain the buffer is left alone (a fade may be running).
    void endThread(bool ask);

    std::thread thread_;
    std::shared_ptr<platform::audio::Signal> signal_;
    std::shared_ptr<platform::audio::SoundBuffer> stream_;
    bool streamLoop_ = false;
    std::atomic<bool> playing_{false};
    uint32_t loopStartBytes_ = 0;
    uint32_t loopStartSamples_ = 0;
    uint32_t loopStartMs_ = 0;
    enum class LoopUnit { None, Bytes, Samples, Ms } loopUnit_ = LoopUnit::None;
    uint32_t played_ = 0;
    bool endReached_ = false;
    uint32_t lastPlayCursor_ = 0;
    bool quit_ = false;
    uint32_t writeCursor_ = 0;
    uint32_t bufferSize_ = 0;
    uint32_t segmentSize_ = 0;
    uint32_t shortfall_ = 0;
    int lastError_ = 0;
    // The RIFF source of this class.
    TFileStream file_;
    uint32_t dataStart_ = 0;
    uint32_t dataRead_ = 0;
};

// Splits "name;is123;it45" into the name and its loop options; the stream gets the last one read.
std::string parseStreamOptions(const std::string& named, TWaveStream* stream);
