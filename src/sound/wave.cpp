#include "sound/wave.h"

#include <algorithm>

#include "framework/stream.h"
#include "sound/direct_sound.h"

using platform::audio::SoundBuffer;

TWave::~TWave() { TWave::release(); }

platform::audio::SoundBuffer* TWave::buffer(int i) const {
    return i >= 0 && i < static_cast<int>(buffers_.size()) ? buffers_[i].buffer.get() : nullptr;
}

bool TWave::isPlaying(int i) {
    TDeviceLock hold;
    if (i < 0) {
        for (const Record& r : buffers_)
            if (r.buffer && r.buffer->isPlaying()) return true;
        return false;
    }
    SoundBuffer* b = buffer(i);
    return b && b->isPlaying();
}

bool TWave::getLoop(int i) { return i >= 0 && i < static_cast<int>(buffers_.size()) ? buffers_[i].loop : loop_; }
int TWave::getPan(int i) { return i >= 0 && i < static_cast<int>(buffers_.size()) ? buffers_[i].pan : pan_; }
int TWave::getVolume(int i) { return i >= 0 && i < static_cast<int>(buffers_.size()) ? buffers_[i].volume : volume_; }
int TWave::getFrequency(int i) {
    return i >= 0 && i < static_cast<int>(buffers_.size()) ? buffers_[i].frequency : frequency_;
}

void TWave::sendVolume(SoundBuffer& b, int volume) {
    TDirectSound* ds = TDirectSound::instance();
    b.setVolume(ds ? ds->deviceVolume(volume) : volume);
}

bool TWave::setVolume(int value, int i) {
    volume_ = value;
    if (!TDirectSound::getDevice() || buffers_.empty()) return false;
    TDeviceLock hold;
    for (int k = 0; k < static_cast<int>(buffers_.size()); ++k)
        if ((i < 0 || k == i) && buffers_[k].buffer) sendVolume(*buffers_[k].buffer, value);
    return true;
}

bool TWave::setPan(int value, int i) {
    pan_ = value;
    if (!TDirectSound::getDevice() || buffers_.empty()) return false;
    TDeviceLock hold;
    for (int k = 0; k < static_cast<int>(buffers_.size()); ++k)
        if ((i < 0 || k == i) && buffers_[k].buffer) buffers_[k].buffer->setPan(value);
    return true;
}

bool TWave::setFrequency(int value, int i) {
    frequency_ = value;
    if (!TDirectSound::getDevice() || buffers_.empty()) return false;
    TDeviceLock hold;
    for (int k = 0; k < static_cast<int>(buffers_.size()); ++k)
        if ((i < 0 || k == i) && buffers_[k].buffer)
            buffers_[k].buffer->setFrequency(static_cast<uint32_t>(std::max(value, 0)));
    return true;
}

bool TWave::getFormat(WaveFormatEx& out) {
    SoundBuffer* b = buffer(0);
    if (!b) return false;
    const auto& f = b->format();
    out = pcmFormat(f.channels, f.rate, f.bits);
    return true;
}

bool TWave::isRiffWave(TStream& stream) {
    uint8_t head[12];
    if (stream.read(head, 12) != 12) return false;
    return isRiffWaveHeader(head, 12);
}

void TWave::beginLoad(int kind, const std::string& name, int copies) {
    sourceKind_ = kind;
    nextCopy_ = 0;
    copies_ = std::max(1, copies);
    name_ = name;
    buffers_.assign(copies_, Record{});
}

bool TWave::loadFile(const std::string& name, int copies) {
    if (isLoaded()) return false;
    TFileStream file;
    if (!file.open(name, kFileRead) || !isRiffWave(file)) return false;
    beginLoad(kFromFile, name, copies);
    const uint32_t size = file.size();
    image_.assign(size, 0);
    file.seek(0, 0);
    image_.resize(file.read(image_.data(), size));
    return finishLoad();
}

bool TWave::loadResource(const std::string&, void*, int) {
    // Program resources do not exist on this platform.
    return false;
}

bool TWave::loadMemory(const void* data, uint32_t size, int copies) {
    if (isLoaded() || !data || !isRiffWaveHeader(static_cast<const uint8_t*>(data), size)) return false;
    beginLoad(kFromMemory, std::string(), copies);
    image_.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    return finishLoad();
}

bool TWave::finishLoad() {
    bufferCount_ = parseAndCreate();
    if (bufferCount_ > 0) {
        registerDevice();
        return true;
    }
    // A failed load keeps nothing of the image, so a later load starts clean.
    image_.clear();
    image_.shrink_to_fit();
    buffers_.clear();
    return false;
}

int TWave::parseAndCreate() {
    if (!TDirectSound::getDevice()) return 0;
    RiffWaveInfo info;
    if (!parseRiffWave(image_.data(), image_.size(), info)) return 0;
    dataOffset_ = info.dataOffset;
    dataSize_ = info.dataSize;
    return createBuffers(info.format);
}

int TWave::createBuffers(const WaveFormatEx& format) {
    platform::audio::Mixer* mixer = TDirectSound::getDevice();
    platform::audio::PcmFormat pcm;
    if (!mixer || !toMixerFormat(format, pcm) || dataSize_ == 0 || dataOffset_ + dataSize_ > image_.size()) return 0;
    TDeviceLock hold;
    auto first = mixer->createBuffer(pcm, dataSize_);
    if (!first || !first->write(0, image_.data() + dataOffset_, first->size())) return 0;
    if (buffers_.empty()) buffers_.assign(1, Record{});
    std::vector<Record> made;
    made.push_back(Record{first});
    for (size_t k = 1; k < buffers_.size(); ++k)
        if (auto dup = mixer->duplicate(*first)) made.push_back(Record{dup});
    buffers_ = std::move(made);
    length_ = static_cast<int>(static_cast<uint64_t>(dataSize_) * 1000 / pcm.bytesPerSecond());
    return static_cast<int>(buffers_.size());
}

int TWave::play(bool loop, int index) {
    if (!TDirectSound::getDevice() || !isLoaded()) return -1;
    loop_ = loop;
    if (index < 0) index = nextCopy_;
    if (index >= bufferCount_) index = 0;
    nextCopy_ = index + 1;
    Record& r = buffers_[index];
    r.volume = volume_;
    r.pan = pan_;
    r.frequency = frequency_;
    r.loop = loop;
    TDeviceLock hold;
    SoundBuffer& b = *r.buffer;
    if (b.isPlaying()) {
        b.stop();
        b.setPosition(0);
    }
    b.setPan(pan_);
    b.setVolume(platform::audio::kVolumeMin);
    sendVolume(b, volume_);
    b.setFrequency(static_cast<uint32_t>(std::max(frequency_, 0)));
    // The mixer's buffers are never lost, so there is nothing to restore and retry.
    b.play(loop);
    return nextCopy_ - 1;
}

bool TWave::stopOne(int i) {
    SoundBuffer* b = buffer(i);
    if (!b || !b->isPlaying()) return false;
    b->stop();
    return true;
}

bool TWave::stop(int i) {
    if (!TDirectSound::getDevice() || !isLoaded()) return false;
    TDeviceLock hold;
    if (i >= 0) return stopOne(i);
    bool any = false;
    for (int k = 0; k < static_cast<int>(buffers_.size()); ++k) any = stopOne(k) || any;
    return any;
}

bool TWave::stopFadeOne(int i, uint32_t ms) {
    SoundBuffer* b = buffer(i);
    if (!b) return false;
    // The ramp starts from the volume the buffer was started with.
    sendVolume(*b, buffers_[i].volume);
    return b->fadeOutAndStop(ms, true);
}

bool TWave::stopFade(int i) {
    if (!TDirectSound::getDevice() || !isLoaded()) return false;
    TDeviceLock hold;
    if (i >= 0) return stopFadeOne(i, 25);
    bool any = false;
    for (int k = 0; k < static_cast<int>(buffers_.size()); ++k) any = stopFadeOne(k, 25) || any;
    return any;
}

int TWave::restore() {
    if (buffers_.empty() || !buffers_[0].buffer) return 0;
    TDeviceLock hold;
    if (!buffers_[0].buffer->write(0, image_.data() + dataOffset_, buffers_[0].buffer->size())) return 0;
    return static_cast<int>(buffers_.size());
}

void TWave::releaseBuffers() {
    TDeviceLock hold;
    platform::audio::Mixer* mixer = TDirectSound::getDevice();
    for (Record& r : buffers_) {
        if (!r.buffer) continue;
        // A buffer fading out finishes its fade in the mixer; the rest stop now.
        if (mixer && r.buffer->isFading())
            mixer->retainUntilStopped(r.buffer);
        else
            r.buffer->stop();
    }
    buffers_.clear();
    bufferCount_ = 0;
}

void TWave::release() {
    releaseBuffers();
    image_.clear();
    image_.shrink_to_fit();
    dataSize_ = 0;
    dataOffset_ = 0;
    unregisterDevice();
}

void TWave::registerDevice() {
    if (registered_) return;
    TDirectSound::registerWave(this);
    registered_ = true;
}

void TWave::unregisterDevice() {
    if (!registered_) return;
    registered_ = false;
    TDirectSound::unregisterWave(this);
}

void TWave::pause() {
    for (int k = 0; k < static_cast<int>(buffers_.size()); ++k) buffers_[k].wasPlaying = stop(k);
}

void TWave::resume() {
    for (int k = 0; k < static_cast<int>(buffers_.size()); ++k)
        if (buffers_[k].wasPlaying) {
            buffers_[k].wasPlaying = false;
            play(getLoop(k), k);
        }
}
