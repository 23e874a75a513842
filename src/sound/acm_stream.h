#pragma once
// Compressed WAVE music: the RIFF reader of the compressed source (TWAVEIO), the converter to
// PCM (TAcmConvert, on libsndfile's decoders through virtual I/O over the system's streams) and
// the streamed wave that plays through them (TAcmStream). Accepted format tags: PCM, MS-ADPCM,
// IMA-ADPCM, GSM 6.10, µ-law and A-law; any other tag fails to open the converter.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/stream.h"
#include "sound/wave_stream.h"

enum : uint16_t {
    kWaveFormatAdpcm = 0x0002,
    kWaveFormatAlaw = 0x0006,
    kWaveFormatMulaw = 0x0007,
    kWaveFormatImaAdpcm = 0x0011,
    kWaveFormatGsm610 = 0x0031,
};

// Whether the converter takes the tag.
bool isConvertibleTag(uint16_t tag);

class TWAVEIO {
public:
    TWAVEIO() = default;
    virtual ~TWAVEIO();
    TWAVEIO(const TWAVEIO&) = delete;
    TWAVEIO& operator=(const TWAVEIO&) = delete;

    // A copy of the bytes is kept.
    virtual bool openMemory(const void* data, uint32_t size);
    virtual bool open(const std::string& name);
    virtual void close();
    // Positions inside the data chunk; false outside it.
    virtual bool seek(uint32_t offset);
    // At most the data bytes left.
    virtual uint32_t read(void* buf, uint32_t size);
    // Walks the chunks (bounded by the file's real size): the first "fmt " (at least 14 bytes),
    // "fact" and "data". Without "fact" the format must be PCM and the sample count is the data
    // size over the block alignment.
    virtual bool parse();

    const WaveFormatEx& format() const { return format_; }
    // The whole "fmt " chunk, at least 18 bytes.
    const std::vector<uint8_t>& formatBytes() const { return formatBytes_; }
    int64_t sampleCount() const { return sampleCount_; }
    uint32_t dataOffset() const { return dataOffset_; }
    uint32_t dataSize() const { return dataSize_; }
    // The whole file, for a converter that reads it itself.
    TStream* stream() const { return stream_.get(); }

private:
    std::string name_;
    std::unique_ptr<TStream> stream_;
    std::vector<uint8_t> memory_;
    uint32_t dataOffset_ = 0;
    uint32_t dataSize_ = 0;
    int64_t sampleCount_ = -1;
    uint32_t position_ = 0;
    WaveFormatEx format_;
    std::vector<uint8_t> formatBytes_;
};

class TAcmConvert {
public:
    TAcmConvert();
    virtual ~TAcmConvert();
    TAcmConvert(const TAcmConvert&) = delete;
    TAcmConvert& operator=(const TAcmConvert&) = delete;

    // Opens the decoder over the source; false (and closed) when the source cannot be decoded.
    virtual bool open(uint32_t flags);
    virtual void close();
    // Converted 16-bit PCM bytes (whole frames) into buffer, or skipped when buffer is null; the
    // bytes handed out (0 at the end or on failure).
    virtual uint32_t read(void* buffer, uint32_t size);
    // The source file's bytes, for the decoder.
    virtual uint32_t readSource(void* buffer, uint32_t size) = 0;
    virtual bool seekSource(int64_t offset, int whence) = 0;
    virtual int64_t tellSource() = 0;
    virtual int64_t sourceSize() = 0;

    bool isOpen() const;
    // The PCM the decoder gives: the source's channels and rate, 16 bits.
    const WaveFormatEx& destFormat() const { return dest_; }
    int64_t frames() const { return frames_; }
    // Moves the decoded position to the frame; false when the decoder cannot.
    bool seekFrame(int64_t frame);

private:
    struct Decoder;
    std::unique_ptr<Decoder> decoder_;
    WaveFormatEx dest_;
    int64_t frames_ = 0;
};

class TAcmConvertWAVEIO : public TAcmConvert {
public:
    ~TAcmConvertWAVEIO() override;
    virtual void setSource(TWAVEIO* source) { source_ = source; }
    uint32_t readSource(void* buffer, uint32_t size) override;
    bool seekSource(int64_t offset, int whence) override;
    int64_t tellSource() override;
    int64_t sourceSize() override;

private:
    TWAVEIO* source_ = nullptr;
};

class TAcmStream : public TWaveStream {
public:
    TAcmStream() = default;
    ~TAcmStream() override;

    int openSource(const std::string& name) override;
    bool seekSource(uint32_t samples) override;
    bool readSource(void* buf, uint32_t size, uint32_t& got) override;
    void closeSource() override;

private:
    TAcmConvertWAVEIO converter_;
    TWAVEIO source_;
};
