#include "sound/wave_stream.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/little_endian.h"
#include "sound/direct_sound.h"

using platform::audio::Notification;
using platform::audio::Signal;

std::string parseStreamOptions(const std::string& named, TWaveStream* stream) {
    const size_t semi = named.find(';');
    if (semi == std::string::npos) return named;
    size_t at = semi;
    while (at + 2 < named.size() && named[at] == ';' && named[at + 1] == 'i' &&
           (named[at + 2] == 's' || named[at + 2] == 't')) {
        const char unit = named[at + 2];
        size_t d = at + 3;
        uint64_t n = 0;
        while (d < named.size() && named[d] >= '0' && named[d] <= '9') {
            n = std::min<uint64_t>(n * 10 + static_cast<uint64_t>(named[d] - '0'), 0xFFFFFFFFu);
            ++d;
        }
        if (d == at + 3) break;  // no digits: not an option
        if (stream) {
            if (unit == 's')
                stream->setLoopStartSamples(static_cast<uint32_t>(n));
            else
                stream->setLoopStartMs(static_cast<uint32_t>(n));
        }
        at = d;
    }
    return named.substr(0, semi);
}

TWaveStream::TWaveStream() = default;

TWaveStream::~TWaveStream() { TWaveStream::release(); }

void TWaveStream::setLoopStartBytes(uint32_t n) {
    loopUnit_ = LoopUnit::Bytes;
    loopStartBytes_ = n;
}

void TWaveStream::setLoopStartSamples(uint32_t n) {
    loopUnit_ = LoopUnit::Samples;
    loopStartSamples_ = n;
}

void TWaveStream::setLoopStartMs(uint32_t ms) {
    loopUnit_ = LoopUnit::Ms;
    loopStartMs_ = ms;
}

bool TWaveStream::isPlaying(int) { return playing_.load(); }
bool TWaveStream::getLoop(int) { return streamLoop_; }
bool TWaveStream::setPan(int value, int) { return TWave::setPan(value, 0); }
bool TWaveStream::setVolume(int value, int) { return TWave::setVolume(value, 0); }
bool TWaveStream::setFrequency(int value, int) { return TWave::setFrequency(value, 0); }
bool TWaveStream::loadResource(const std::string&, void*, int) { return false; }

bool TWaveStream::loadFile(const std::string& name, int) {
    if (!TDirectSound::getDevice() || isLoaded()) return false;
    beginLoad(kFromFile, name, 1);
    loopUnit_ = LoopUnit::None;
    loopStartBytes_ = loopStartSamples_ = loopStartMs_ = 0;
    name_ = parseStreamOptions(name, this);
    if (!createStream()) {
        buffers_.clear();
        return false;
    }
    bufferCount_ = 1;
    buffers_[0].buffer = stream_;
    registerDevice();
    return true;
}

bool TWaveStream::createStream() {
    const int opened = openSource(name_);
    if (opened < 0) {
        lastError_ = opened;
        return false;
    }
    platform::audio::PcmFormat pcm;
    platform::audio::Mixer* mixer = TDirectSound::getDevice();
    if (!mixer || !toMixerFormat(format_, pcm)) {
        closeSource();
        lastError_ = kErrFormat;
        return false;
    }
    played_ = 0;
    const uint32_t block = pcm.blockAlign();
    switch (loopUnit_) {
        case LoopUnit::Ms:
            loopStartSamples_ = static_cast<uint32_t>(static_cast<uint64_t>(pcm.rate) * loopStartMs_ / 1000);
            [[fallthrough]];
        case LoopUnit::Samples:
            loopStartBytes_ = static_cast<uint32_t>(std::min<uint64_t>(
                static_cast<uint64_t>(pcm.bits) * pcm.channels * loopStartSamples_ / 8, 0xFFFFFFFFu));
            break;
        case LoopUnit::Bytes:
            loopStartBytes_ -= loopStartBytes_ % block;
            loopStartSamples_ = loopStartBytes_ / block;
            break;
        case LoopUnit::None:
            loopStartBytes_ = loopStartSamples_ = 0;
            break;
    }
    // A loop start at or past the end would leave nothing to loop over.
    if (loopStartBytes_ >= dataSize_) loopStartBytes_ = loopStartSamples_ = 0;
    const uint32_t perSecond = pcm.bytesPerSecond();
    const uint32_t k = std::max<uint32_t>(1, ((3 * perSecond / 16) / block) >> 10);
    segmentSize_ = block * k * 1024;
    bufferSize_ = segmentSize_ * 16;
    {
        TDeviceLock hold;
        stream_ = mixer->createBuffer(pcm, bufferSize_);
    }
    if (!stream_) {
        closeSource();
        lastError_ = kErrFormat;
        return false;
    }
    endReached_ = false;
    writeCursor_ = 0;
    shortfall_ = 0;
    quit_ = false;
    return true;
}

uint32_t TWaveStream::getPosition() {
    TDeviceLock hold;
    if (dataSize_ == 0) return 0;
    const uint32_t l = loopStartBytes_;
    if (l > 0 && l < dataSize_) return played_ <= l ? played_ : (played_ - l) % (dataSize_ - l) + l;
    return played_ % dataSize_;
}

uint32_t TWaveStream::readLooped(uint8_t* dst, uint32_t n) {
    auto readSome = [this](uint8_t* p, uint32_t m) {
        uint32_t total = 0;
        while (total < m) {
            uint32_t got = 0;
            if (!readSource(p + total, m - total, got) || got == 0) break;
            total += got;
        }
        return total;
    };
    uint32_t got = readSome(dst, n);
    if (got < n) {
        if (streamLoop_) {
            while (got < n) {
                if (!seekSource(loopStartSamples_)) break;
                const uint32_t more = readSome(dst + got, n - got);
                if (more == 0) break;
                got += more;
            }
        } else {
            TDeviceLock hold;
            endReached_ = true;
        }
    }
    return got;
}

bool TWaveStream::seek(uint32_t samples) {
    if (!seekSource(samples)) return false;
    {
        TDeviceLock hold;
        played_ =
            static_cast<uint32_t>(static_cast<uint64_t>(format_.wBitsPerSample) * format_.nChannels * samples / 8);
        endReached_ = false;
        writeCursor_ = 0;
        shortfall_ = 0;
        lastPlayCursor_ = 0;
        quit_ = false;
    }
    return fill();
}

bool TWaveStream::fill() {
    if (!stream_) return false;
    std::vector<uint8_t> bytes(bufferSize_, format_.wBitsPerSample == 8 ? 0x80 : 0);
    const uint32_t got = readLooped(bytes.data(), bufferSize_);
    TDeviceLock hold;
    stream_->write(0, bytes.data(), bufferSize_);
    writeCursor_ = got % bufferSize_;
    return true;
}

void TWaveStream::updatePlayed() {
    TDeviceLock hold;
    if (!stream_ || bufferSize_ == 0) return;
    const uint32_t cursor = stream_->position();
    played_ += (cursor + bufferSize_ - lastPlayCursor_) % bufferSize_;
    lastPlayCursor_ = cursor;
}

void TWaveStream::refill() {
    updatePlayed();
    bool ended;
    uint32_t n;
    {
        TDeviceLock hold;
        ended = endReached_;
        n = std::min(segmentSize_ + shortfall_, bufferSize_);
    }
    if (!ended) {
        std::vector<uint8_t> bytes(n, format_.wBitsPerSample == 8 ? 0x80 : 0);
        const uint32_t got = readLooped(bytes.data(), n);
        TDeviceLock hold;
        // A source that ran dry without loop is padded with silence.
        const uint32_t written = endReached_ ? n : got;
        if (written > 0) stream_->write(writeCursor_, bytes.data(), written);
        writeCursor_ = (writeCursor_ + written) % bufferSize_;
        shortfall_ = n - written;
        return;
    }
    TDeviceLock hold;
    stream_->fillSilence(writeCursor_, n);
    writeCursor_ = (writeCursor_ + n) % bufferSize_;
    shortfall_ = 0;
    // The last real byte has played: the stream ends (and the buffer's stop ends this thread).
    if (played_ >= dataSize_) {
        stream_->stop();
        played_ = 0;
        quit_ = true;
    }
}

void TWaveStream::refillThread(std::shared_ptr<Signal> signal) {
    for (;;) {
        const uint32_t bits = signal->wait();
        if (bits & kQuitBit) break;
        if (bits & kNotifyBit) refill();
        TDeviceLock hold;
        if (bits & kStopBit) quit_ = true;
        if (quit_) break;
    }
    {
        // Rewound for the next fill; a buffer still fading out is left to finish.
        TDeviceLock hold;
        if (!stream_->isPlaying()) stream_->setPosition(0);
    }
    playing_ = false;
}

bool TWaveStream::startRefill() {
    if (thread_.joinable()) thread_.join();  // the thread of a stream that ended by itself
    signal_ = std::make_shared<Signal>();
    std::vector<Notification> notes;
    for (uint32_t k = 1; k < 16; ++k) notes.push_back({k * segmentSize_, signal_, kNotifyBit});
    notes.push_back({bufferSize_ - 1, signal_, kNotifyBit});
    notes.push_back({Notification::kOffsetStop, signal_, kStopBit});
    playing_ = true;
    thread_ = std::thread(&TWaveStream::refillThread, this, signal_);
    bool set;
    {
        TDeviceLock hold;
        set = stream_->setNotifications(std::move(notes));
    }
    if (!set) {
        endThread(true);
        return false;
    }
    return true;
}

void TWaveStream::endThread(bool ask) {
    if (!thread_.joinable()) return;
    if (ask) signal_->raise(kQuitBit);
    thread_.join();
    playing_ = false;
}

int TWaveStream::play(bool loop, int) {
    if (!isLoaded() || !stream_) return -1;
    if (playing_) stopFade(-1);
    endThread(true);
    streamLoop_ = loop;
    {
        // A fade still running from the last stop ends here.
        TDeviceLock hold;
        stream_->stop();
        stream_->setPosition(0);
    }
    const uint32_t block = std::max<uint32_t>(1, format_.wBitsPerSample * format_.nChannels / 8u);
    if (!seek(getPosition() / block)) return -1;
    if (!startRefill()) return -1;
    if (TWave::play(true, 0) < 0) {
        endThread(true);
        return -1;
    }
    return 0;
}

bool TWaveStream::stop(int) {
    if (!isLoaded() || !playing_) return false;
    {
        TDeviceLock hold;
        updatePlayed();
        stream_->stop();
    }
    endThread(true);
    return true;
}

bool TWaveStream::stopFade(int) {
    if (!isLoaded()) return false;
    const bool was = playing_;
    if (was) {
        {
            TDeviceLock hold;
            sendVolume(*stream_, buffers_[0].volume);
            stream_->fadeOutAndStop(50, true);
        }
        endThread(true);
    }
    TDeviceLock hold;
    played_ = 0;
    return was;
}

void TWaveStream::release() {
    if (!isLoaded() && !stream_) return;
    if (playing_) stopFade(-1);
    endThread(true);
    closeSource();
    {
        TDeviceLock hold;
        // A stream fading out finishes its fade in the mixer.
        platform::audio::Mixer* mixer = TDirectSound::getDevice();
        if (stream_ && mixer && stream_->isFading())
            mixer->retainUntilStopped(stream_);
        else if (stream_)
            stream_->stop();
        stream_.reset();
        buffers_.clear();
        bufferCount_ = 0;
    }
    format_ = WaveFormatEx{};
    dataSize_ = 0;
    unregisterDevice();
}

// ---- the RIFF WAVE source -------------------------------------------------------------------

int TWaveStream::openSource(const std::string& name) {
    if (!file_.open(name, kFileRead)) return kErrOpen;
    uint8_t head[12];
    if (file_.read(head, 12) != 12 || !isRiffWaveHeader(head, 12)) {
        file_.close();
        return kErrFormat;
    }
    // The walk is bounded by the RIFF size and the real size of the file.
    const uint64_t fileSize = file_.size();
    const uint64_t end = std::min<uint64_t>(static_cast<uint64_t>(le::load32(head + 4)) + 8, fileSize);
    bool haveFormat = false, haveData = false;
    uint64_t at = 12;
    while (at + 8 <= end && !(haveFormat && haveData)) {
        uint8_t chunk[8];
        if (!file_.seek(static_cast<int32_t>(at), 0) || file_.read(chunk, 8) != 8) break;
        const uint32_t size = le::load32(chunk + 4);
        const uint64_t body = at + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !haveFormat) {
            uint8_t raw[18] = {};
            if (size < 16 || body + size > fileSize || file_.read(raw, std::min<uint32_t>(size, 18)) < 16) {
                file_.close();
                return kErrFormat;
            }
            format_ = readWaveFormat(raw, std::min<uint32_t>(size, 18));
            if (format_.wFormatTag != kWaveFormatPcm) {
                file_.close();
                return kErrNotPcm;
            }
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && !haveData) {
            dataStart_ = static_cast<uint32_t>(body);
            dataSize_ = static_cast<uint32_t>(std::min<uint64_t>(size, fileSize - body));
            haveData = true;
        }
        at = body + ((static_cast<uint64_t>(size) + 1) & ~uint64_t{1});
    }
    platform::audio::PcmFormat pcm;
    if (!haveFormat || !haveData || !toMixerFormat(format_, pcm)) {
        file_.close();
        return kErrFormat;
    }
    dataSize_ -= dataSize_ % pcm.blockAlign();
    length_ = static_cast<int>(static_cast<uint64_t>(dataSize_) * 1000 / pcm.bytesPerSecond());
    return seekSource(0) ? 0 : kErrFormat;
}

bool TWaveStream::seekSource(uint32_t samples) {
    if (!file_.isOpen()) return false;
    const uint64_t bytes =
        std::min<uint64_t>(static_cast<uint64_t>(format_.wBitsPerSample) * format_.nChannels * samples / 8, dataSize_);
    dataRead_ = static_cast<uint32_t>(bytes);
    return file_.seek(static_cast<int32_t>(dataStart_ + bytes), 0);
}

bool TWaveStream::readSource(void* buf, uint32_t size, uint32_t& got) {
    got = 0;
    if (!file_.isOpen()) return false;
    // Whole blocks only: a cut-off last sample is dropped, so the channels never slip.
    const uint32_t block = std::max<uint32_t>(1, format_.nBlockAlign);
    uint32_t n = std::min(size, dataSize_ - dataRead_);
    n -= n % block;
    if (n == 0) return true;
    got = file_.read(buf, n);
    dataRead_ += got;
    got -= got % block;
    return true;
}

void TWaveStream::closeSource() { file_.close(); }
