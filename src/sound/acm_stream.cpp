#include "sound/acm_stream.h"

#include "platform/little_endian.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>

bool isConvertibleTag(uint16_t tag) {
    switch (tag) {
        case kWaveFormatPcm:
        case kWaveFormatAdpcm:
        case kWaveFormatAlaw:
        case kWaveFormatMulaw:
        case kWaveFormatImaAdpcm:
        case kWaveFormatGsm610:
            return true;
        default:
            return false;
    }
}

// ---- TWAVEIO --------------------------------------------------------------------------------

TWAVEIO::~TWAVEIO() { TWAVEIO::close(); }

bool TWAVEIO::open(const std::string& name) {
    close();
    auto file = std::make_unique<TFileStream>();
    if (!file->open(name, kFileRead)) return false;
    name_ = name;
    stream_ = std::move(file);
    if (!parse()) {
        close();
        return false;
    }
    return true;
}

bool TWAVEIO::openMemory(const void* data, uint32_t size) {
    close();
    if (!data) return false;
    memory_.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    stream_ = std::make_unique<TMemoryStream>(memory_.data(), size);
    if (!parse()) {
        close();
        return false;
    }
    return true;
}

void TWAVEIO::close() {
    stream_.reset();
    memory_.clear();
    name_.clear();
    dataOffset_ = dataSize_ = position_ = 0;
    sampleCount_ = -1;
    format_ = WaveFormatEx{};
    formatBytes_.clear();
}

bool TWAVEIO::parse() {
    if (!stream_) return false;
    uint8_t head[12];
    if (!stream_->seek(0, 0) || stream_->read(head, 12) != 12 || !isRiffWaveHeader(head, 12)) return false;
    const uint64_t fileSize = stream_->size();
    const uint64_t end = std::min<uint64_t>(static_cast<uint64_t>(le::load32(head + 4)) + 8, fileSize);
    bool haveFormat = false, haveData = false, haveFact = false;
    uint64_t at = 12;
    while (at + 8 <= end && !(haveFormat && haveData && haveFact)) {
        uint8_t chunk[8];
        if (!stream_->seek(static_cast<int32_t>(at), 0) || stream_->read(chunk, 8) != 8) break;
        const uint32_t size = le::load32(chunk + 4);
        const uint64_t body = at + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !haveFormat) {
            // A format record is small; a huge one is damage, not a codec's extra data.
            if (size < 14 || size > 0x10000 || body + size > fileSize) return false;
            formatBytes_.assign(std::max<uint32_t>(size, 18), 0);
            if (stream_->read(formatBytes_.data(), size) != size) return false;
            format_ = readWaveFormat(formatBytes_.data(), formatBytes_.size());
            haveFormat = true;
        } else if (std::memcmp(chunk, "fact", 4) == 0 && !haveFact && size >= 4) {
            uint8_t count[4];
            if (stream_->read(count, 4) == 4) {
                sampleCount_ = le::load32(count);
                haveFact = true;
            }
        } else if (std::memcmp(chunk, "data", 4) == 0 && !haveData) {
            dataOffset_ = static_cast<uint32_t>(body);
            dataSize_ = static_cast<uint32_t>(std::min<uint64_t>(size, fileSize - body));
            haveData = true;
        }
        at = body + ((static_cast<uint64_t>(size) + 1) & ~uint64_t{1});
    }
    if (!haveFormat || !haveData) return false;
    if (!haveFact) {
        if (format_.wFormatTag != kWaveFormatPcm || format_.nBlockAlign == 0) return false;
        sampleCount_ = dataSize_ / format_.nBlockAlign;
    }
    return seek(0);
}

bool TWAVEIO::seek(uint32_t offset) {
    if (!stream_ || offset > dataSize_) return false;
    position_ = offset;
    return stream_->seek(static_cast<int32_t>(dataOffset_ + offset), 0);
}

uint32_t TWAVEIO::read(void* buf, uint32_t size) {
    if (!stream_) return 0;
    const uint32_t n = std::min(size, dataSize_ - position_);
    const uint32_t got = n ? stream_->read(buf, n) : 0;
    position_ += got;
    return got;
}

// ---- TAcmConvert on libsndfile --------------------------------------------------------------

struct TAcmConvert::Decoder {
    SNDFILE* file = nullptr;
    SF_INFO info{};
};

namespace {

sf_count_t vLength(void* user) { return static_cast<TAcmConvert*>(user)->sourceSize(); }

sf_count_t vSeek(sf_count_t offset, int whence, void* user) {
    auto* c = static_cast<TAcmConvert*>(user);
    if (!c->seekSource(offset, whence)) return -1;
    return c->tellSource();
}

sf_count_t vRead(void* ptr, sf_count_t count, void* user) {
    if (count <= 0) return 0;
    return static_cast<TAcmConvert*>(user)->readSource(ptr,
                                                       static_cast<uint32_t>(std::min<sf_count_t>(count, 1 << 24)));
}

sf_count_t vWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t vTell(void* user) { return static_cast<TAcmConvert*>(user)->tellSource(); }

}  // namespace

TAcmConvert::TAcmConvert() = default;

TAcmConvert::~TAcmConvert() { TAcmConvert::close(); }

bool TAcmConvert::isOpen() const { return decoder_ && decoder_->file; }

bool TAcmConvert::open(uint32_t) {
    close();
    if (!seekSource(0, SEEK_SET)) return false;
    auto d = std::make_unique<Decoder>();
    SF_VIRTUAL_IO io = {vLength, vSeek, vRead, vWrite, vTell};
    d->file = sf_open_virtual(&io, SFM_READ, &d->info, this);
    if (!d->file) return false;
    const int major = d->info.format & SF_FORMAT_TYPEMASK;
    if ((major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX) || d->info.channels < 1 || d->info.channels > 2 ||
        d->info.samplerate <= 0 || d->info.frames <= 0) {
        sf_close(d->file);
        return false;
    }
    dest_ = pcmFormat(static_cast<uint16_t>(d->info.channels), static_cast<uint32_t>(d->info.samplerate), 16);
    frames_ = d->info.frames;
    decoder_ = std::move(d);
    return true;
}

void TAcmConvert::close() {
    if (decoder_ && decoder_->file) sf_close(decoder_->file);
    decoder_.reset();
}

uint32_t TAcmConvert::read(void* buffer, uint32_t size) {
    if (!isOpen()) return 0;
    const uint32_t block = dest_.nBlockAlign;
    uint32_t done = 0;
    short scratch[4096];
    while (done + block <= size) {
        const uint32_t frames = std::min<uint32_t>((size - done) / block, buffer ? 1u << 20 : 4096 / dest_.nChannels);
        short* to = buffer ? reinterpret_cast<short*>(static_cast<uint8_t*>(buffer) + done) : scratch;
        const sf_count_t got = sf_readf_short(decoder_->file, to, frames);
        if (got <= 0) break;
        done += static_cast<uint32_t>(got) * block;
    }
    return done;
}

bool TAcmConvert::seekFrame(int64_t frame) {
    if (!isOpen()) return false;
    if (sf_seek(decoder_->file, frame, SEEK_SET) == frame) return true;
    // A decoder that cannot seek starts again and skips.
    if (!open(0)) return false;
    const uint64_t bytes = static_cast<uint64_t>(frame) * dest_.nBlockAlign;
    uint64_t skipped = 0;
    while (skipped < bytes) {
        const uint32_t n = read(nullptr, static_cast<uint32_t>(std::min<uint64_t>(bytes - skipped, 1 << 20)));
        if (n == 0) return false;
        skipped += n;
    }
    return true;
}

TAcmConvertWAVEIO::~TAcmConvertWAVEIO() { close(); }

uint32_t TAcmConvertWAVEIO::readSource(void* buffer, uint32_t size) {
    TStream* s = source_ ? source_->stream() : nullptr;
    return s ? s->read(buffer, size) : 0;
}

bool TAcmConvertWAVEIO::seekSource(int64_t offset, int whence) {
    TStream* s = source_ ? source_->stream() : nullptr;
    if (!s) return false;
    const int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? s->tell() : s->size();
    const int64_t to = base + offset;
    if (to < 0 || to > s->size()) return false;
    return s->seek(static_cast<int32_t>(to), 0);
}

int64_t TAcmConvertWAVEIO::tellSource() {
    TStream* s = source_ ? source_->stream() : nullptr;
    return s ? s->tell() : -1;
}

int64_t TAcmConvertWAVEIO::sourceSize() {
    TStream* s = source_ ? source_->stream() : nullptr;
    return s ? s->size() : 0;
}

// ---- TAcmStream -----------------------------------------------------------------------------

TAcmStream::~TAcmStream() { TAcmStream::release(); }

int TAcmStream::openSource(const std::string& name) {
    closeSource();
    if (!source_.open(name)) return kErrOpen;
    converter_.setSource(&source_);
    if (!isConvertibleTag(source_.format().wFormatTag) || !converter_.open(0)) {
        closeSource();
        return kErrFormat;
    }
    format_ = converter_.destFormat();
    // The decoder's count where a "fact" chunk claims more than the data holds.
    const int64_t samples = std::min<int64_t>(source_.sampleCount(), converter_.frames());
    dataSize_ = static_cast<uint32_t>(std::min<int64_t>(samples * format_.nBlockAlign, 0xFFFFFFFFu));
    length_ = static_cast<int>(static_cast<uint64_t>(dataSize_) * 1000 / format_.nAvgBytesPerSec);
    return 0;
}

bool TAcmStream::seekSource(uint32_t samples) { return converter_.seekFrame(samples); }

bool TAcmStream::readSource(void* buf, uint32_t size, uint32_t& got) {
    got = converter_.isOpen() ? converter_.read(buf, size) : 0;
    return converter_.isOpen();
}

void TAcmStream::closeSource() {
    converter_.close();
    converter_.setSource(nullptr);
    source_.close();
}
