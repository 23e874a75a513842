#pragma once
// A sound held whole in the device's buffers: one buffer and any number of duplicates, so that
// an effect can overlap itself. Loaded from a RIFF WAVE file or memory (program resources do not
// exist here: loading one fails). Streamed waves (wave_stream.h) derive from it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio_mixer.h"
#include "sound/wave_format.h"

class TStream;

class TWave {
public:
    enum SourceKind { kFromFile = 0, kFromResource = 1, kFromMemory = 2 };

    TWave() = default;
    virtual ~TWave();
    TWave(const TWave&) = delete;
    TWave& operator=(const TWave&) = delete;

    virtual bool isLoaded() const { return bufferCount_ > 0; }
    virtual uint32_t getDataSize() const { return dataSize_; }
    virtual int getLength() const { return length_; }  // milliseconds
    virtual const std::string& getName() const { return name_; }
    // i = -1: any buffer.
    virtual bool isPlaying(int i = -1);
    // For these four, i >= 0 reads what buffer i was last started with, i < 0 the wave's setting.
    virtual bool getLoop(int i = -1);
    virtual int getPan(int i = -1);
    virtual int getVolume(int i = -1);
    virtual int getFrequency(int i = -1);
    virtual int getTag() const { return tag_; }
    // Store the setting and send it to buffer i (every buffer for i < 0).
    virtual bool setPan(int value, int i = -1);
    virtual bool setVolume(int value, int i = -1);
    virtual bool setFrequency(int value, int i = -1);
    virtual void setTag(int tag) { tag_ = tag; }
    // The first buffer's format; false when not loaded.
    virtual bool getFormat(WaveFormatEx& out);
    virtual bool loadFile(const std::string& name, int copies);
    virtual bool loadResource(const std::string& name, void* module, int copies);
    virtual bool loadMemory(const void* data, uint32_t size, int copies);
    virtual void release();
    virtual void registerDevice();
    virtual void unregisterDevice();
    // Plays buffer index (-1: the next copy in turn) from the start; the index used, or -1.
    virtual int play(bool loop, int index = -1);
    // A click-free stop: the mixer ramps the buffer down over 25 ms, then stops and rewinds it;
    // returns at once. Whether it was playing.
    virtual bool stopFade(int i = -1);
    // Stops at once (the cursor stays); whether it was playing.
    virtual bool stop(int i = -1);
    virtual bool isRiffWave(TStream& stream);
    // Makes the first buffer from the data and the duplicates; the number of buffers made.
    virtual int createBuffers(const WaveFormatEx& format);
    virtual int parseAndCreate();
    virtual int restore();
    virtual void releaseBuffers();
    virtual void pause();
    virtual void resume();

    int copies() const { return copies_; }
    int bufferCount() const { return bufferCount_; }
    int sourceKind() const { return sourceKind_; }
    // Buffer i of the device, or null (tests and streams read it).
    platform::audio::SoundBuffer* buffer(int i) const;

protected:
    struct Record {
        std::shared_ptr<platform::audio::SoundBuffer> buffer;
        int pan = 0;
        int volume = 0;
        int frequency = 0;
        bool loop = false;
        bool wasPlaying = false;
    };

    // Stores the copy count and the name before a load.
    void beginLoad(int kind, const std::string& name, int copies);
    // Makes the buffers from the loaded image and registers with the device; whether any were made.
    bool finishLoad();
    // Sends a wave volume to a buffer through the device's mute and offset.
    static void sendVolume(platform::audio::SoundBuffer& b, int volume);
    bool stopOne(int i);
    bool stopFadeOne(int i, uint32_t ms);

    std::vector<uint8_t> image_;
    size_t dataOffset_ = 0;
    uint32_t dataSize_ = 0;
    int bufferCount_ = 0;
    int sourceKind_ = kFromFile;
    std::string name_;
    int length_ = 0;
    int copies_ = 1;
    int nextCopy_ = 0;
    int tag_ = 0;
    uint32_t bufferFlags_ = 0xE0;
    uint32_t bufferFlags2_ = 0x8000;
    int pan_ = 0;
    int frequency_ = 0;
    int volume_ = 0;
    bool loop_ = false;
    bool registered_ = false;
    std::vector<Record> buffers_;
};
