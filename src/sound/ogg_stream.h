#pragma once
// Ogg Vorbis: streamed music through vorbisfile over the system's streams (TOggStream), short
// effects decoded whole into a static wave (TOggWave), and the openers the resource store uses
// to make an effect's wave by name (TOpenWave, TOpenOgg).
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "sound/wave_stream.h"
#include "storage/storage.h"

class TOggStream : public TWaveStream {
public:
    TOggStream();
    ~TOggStream() override;

    int openSource(const std::string& name) override;
    bool seekSource(uint32_t samples) override;
    bool readSource(void* buf, uint32_t size, uint32_t& got) override;
    void closeSource() override;

    // Consecutive damaged stretches (holes) a read passes over before it gives up.
    static constexpr int kMaxHoles = 64;

private:
    struct Decoder;
    std::unique_ptr<Decoder> decoder_;
};

// A whole wave decoded from an Ogg Vorbis image with libogg and libvorbis.
class TOggWave : public TWave {
public:
    ~TOggWave() override;
    bool loadFile(const std::string& name, int copies) override;
    bool loadMemory(const void* data, uint32_t size, int copies) override;
    int parseAndCreate() override;

private:
    // Decodes the loaded image into buffers and registers with the device; a failed decode
    // releases everything. Whether any buffers were made.
    bool finishOggLoad();
};

// Effects are decoded whole, so a long one is refused: at most this much sound at the file's
// rate, and never more PCM than this much of 48 kHz stereo (a file may claim any rate). Music
// streams and has no such bound.
constexpr uint32_t kMaxOggEffectSeconds = 60;
constexpr size_t kMaxOggEffectBytes = size_t{kMaxOggEffectSeconds} * 48000 * 4;

// Decodes a whole Ogg Vorbis image into interleaved 16-bit PCM (samples × 32767, truncated,
// clamped); false for anything that is not a decodable Vorbis stream of 1 or 2 channels, and
// for one longer than the effect bounds above (found while decoding, so a refusal costs no more
// than the bound).
bool decodeOggVorbis(const uint8_t* image, size_t size, std::vector<uint8_t>& pcm, WaveFormatEx& format);

// Opens an effect's wave: a plain WAVE, loaded with 8 copies.
class TOpenWave : public TStorageGraph::TWaveFactory {
public:
    static constexpr int kCopies = 8;
    virtual TWave* openFile(const std::string& name);
    virtual TWave* openMemory(const void* data, size_t size);
    TWave* fromPath(const std::string& path) override { return openFile(path); }
    TWave* fromBytes(const void* bytes, size_t size) override { return openMemory(bytes, size); }
    // Whether the last sound opened was Ogg Vorbis (the kind tried first next time).
    bool lastWasOgg() const { return lastOgg_; }

protected:
    bool lastOgg_ = false;
};

// Tries the kind of the last sound first, then the other, and remembers which one worked.
class TOpenOgg : public TOpenWave {
public:
    TWave* openFile(const std::string& name) override;
    TWave* openMemory(const void* data, size_t size) override;
};
