#include "platform/audio_mixer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include "platform/little_endian.h"

namespace platform::audio {

// ---- Signal ----------------------------------------------------------------------------------

void Signal::raise(uint32_t bits) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        bits_ |= bits;
    }
    cv_.notify_all();
}

uint32_t Signal::wait(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    waiting_ = true;
    cv_.notify_all();
    bool got = true;
    if (timeoutMs < 0)
        cv_.wait(lock, [this] { return bits_ != 0; });
    else
        got = cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return bits_ != 0; });
    waiting_ = false;
    const uint32_t bits = got ? bits_ : 0;
    bits_ = 0;
    return bits;
}

bool Signal::waitUntilIdle(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return bits_ == 0 && waiting_; });
}

uint32_t Signal::peek() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bits_;
}

float gainOf(int hundredthsDb) {
    if (hundredthsDb <= kVolumeMin) return 0.0f;
    if (hundredthsDb >= 0) return 1.0f;
    return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}

// ---- the shared state ------------------------------------------------------------------------

class MixerCore {
public:
    explicit MixerCore(uint32_t rate) : rate(rate) {}

    std::mutex mutex;
    const uint32_t rate;
    std::vector<SoundBuffer*> buffers;  // every live buffer; each removes itself
    uint64_t rendered = 0;
    std::vector<float> scratch;
    std::vector<std::shared_ptr<SoundBuffer>> lingering;  // released while fading
};

namespace {

constexpr uint32_t kChunk = 256;    // frames mixed between fade and notification checks
constexpr uint32_t kFadeStep = 16;  // frames of one volume step of a fade

void raiseAll(const std::vector<Notification>& fire) {
    for (const Notification& n : fire)
        if (n.signal) n.signal->raise(n.bits);
}

// One run of output frames for one voice, resampled linearly. Returns the frames produced;
// ended is set when a one-shot voice ran off its end.
template <int Bits, int Channels>
uint32_t mixRun(const uint8_t* data, uint32_t frames, bool loop, uint64_t& pos, uint64_t step, float gl, float gr,
                float* out, uint32_t n, bool& ended) {
    auto sample = [data](uint32_t frame, int ch) -> float {
        if constexpr (Bits == 16) {
            return le::load<int16_t>(data + (static_cast<size_t>(frame) * Channels + ch) * 2) * (1.0f / 32768.0f);
        } else {
            return (static_cast<int>(data[static_cast<size_t>(frame) * Channels + ch]) - 128) * (1.0f / 128.0f);
        }
    };
    const uint64_t end = static_cast<uint64_t>(frames) << 32;
    uint32_t i = 0;
    for (; i < n; ++i) {
        const uint32_t idx = static_cast<uint32_t>(pos >> 32);
        const float frac = static_cast<float>(static_cast<uint32_t>(pos)) * (1.0f / 4294967296.0f);
        uint32_t next = idx + 1;
        if (next >= frames) next = loop ? 0 : idx;
        if constexpr (Channels == 1) {
            float a = sample(idx, 0);
            float s = frac == 0.0f ? a : a + (sample(next, 0) - a) * frac;
            out[2 * i] += s * gl;
            out[2 * i + 1] += s * gr;
        } else {
            float a = sample(idx, 0), b = sample(idx, 1);
            if (frac != 0.0f) {
                a += (sample(next, 0) - a) * frac;
                b += (sample(next, 1) - b) * frac;
            }
            out[2 * i] += a * gl;
            out[2 * i + 1] += b * gr;
        }
        pos += step;
        if (pos >= end) {
            if (!loop) {
                ended = true;
                return i + 1;
            }
            pos %= end;
        }
    }
    return i;
}

}  // namespace

// ---- SoundBuffer -----------------------------------------------------------------------------

SoundBuffer::SoundBuffer(std::shared_ptr<MixerCore> core, std::shared_ptr<std::vector<uint8_t>> data,
                         const PcmFormat& format)
    : core_(std::move(core)), data_(std::move(data)), format_(format) {
    frames_ = static_cast<uint32_t>(data_->size() / format_.blockAlign());
}

SoundBuffer::~SoundBuffer() {
    std::lock_guard<std::mutex> lock(core_->mutex);
    auto& list = core_->buffers;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

uint32_t SoundBuffer::size() const { return static_cast<uint32_t>(data_->size()); }

bool SoundBuffer::write(uint32_t offset, const void* bytes, uint32_t n) {
    std::lock_guard<std::mutex> lock(core_->mutex);
    const uint32_t total = size();
    if (offset >= total || n > total) return false;
    const uint32_t first = std::min(n, total - offset);
    auto* src = static_cast<const uint8_t*>(bytes);
    std::memcpy(data_->data() + offset, src, first);
    std::memcpy(data_->data(), src + first, n - first);
    return true;
}

bool SoundBuffer::fillSilence(uint32_t offset, uint32_t n) {
    std::lock_guard<std::mutex> lock(core_->mutex);
    const uint32_t total = size();
    if (offset >= total || n > total) return false;
    const uint8_t fill = format_.bits == 8 ? 0x80 : 0;
    const uint32_t first = std::min(n, total - offset);
    std::memset(data_->data() + offset, fill, first);
    std::memset(data_->data(), fill, n - first);
    return true;
}

bool SoundBuffer::read(uint32_t offset, void* out, uint32_t n) const {
    std::lock_guard<std::mutex> lock(core_->mutex);
    const uint32_t total = size();
    if (offset >= total || n > total) return false;
    const uint32_t first = std::min(n, total - offset);
    auto* dst = static_cast<uint8_t*>(out);
    std::memcpy(dst, data_->data() + offset, first);
    std::memcpy(dst + first, data_->data(), n - first);
    return true;
}

void SoundBuffer::play(bool loop) {
    std::lock_guard<std::mutex> lock(core_->mutex);
    looping_ = loop;
    fadeTotal_ = 0;
    playing_ = true;
}

void SoundBuffer::stopLocked(std::vector<Notification>& fire) {
    if (!playing_) return;
    playing_ = false;
    fadeTotal_ = 0;
    for (const Notification& n : notes_)
        if (n.offset == Notification::kOffsetStop) fire.push_back(n);
}

void SoundBuffer::stop() {
    std::vector<Notification> fire;
    {
        std::lock_guard<std::mutex> lock(core_->mutex);
        stopLocked(fire);
    }
    raiseAll(fire);
}

bool SoundBuffer::isPlaying() const {
    std::lock_guard<std::mutex> lock(core_->mutex);
    return playing_;
}

bool SoundBuffer::isLooping() const {
    std::lock_guard<std::mutex> lock(core_->mutex);
    return playing_ && looping_;
}

uint32_t SoundBuffer::position() const {
    std::lock_guard<std::mutex> lock(core_->mutex);
    return static_cast<uint32_t>(pos_ >> 32) * format_.blockAlign();
}

bool SoundBuffer::setPosition(uint32_t bytes) {
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (bytes >= size()) return false;
    pos_ = static_cast<uint64_t>(bytes / format_.blockAlign()) << 32;
    return true;
}

bool SoundBuffer::setVolume(int v) {
    if (v < kVolumeMin || v > kVolumeMax) return false;
    std::lock_guard<std::mutex> lock(core_->mutex);
    volume_ = v;
    return true;
}

int SoundBuffer::volume() const {
    std::lock_guard<std::mutex> lock(core_->mutex);
    return volume_;
}

bool SoundBuffer::setPan(int pan) {
    if (pan < kPanLeft || pan > kPanRight) return false;
    std::lock_guard<std::mutex> lock(core_->mutex);
    pan_ = pan;
    return true;
}

int SoundBuffer::pan() const {
    std::lock_guard<std::mutex> lock(core_->mutex);
    return pan_;
}

bool SoundBuffer::setFrequency(uint32_t hz) {
    if (hz != 0 && (hz < kFrequencyMin || hz > kFrequencyMax)) return false;
    std::lock_guard<std::mutex> lock(core_->mutex);
    frequency_ = hz;
    return true;
}

uint32_t SoundBuffer::frequency() const {
    std::lock_guard<std::mutex> lock(core_->mutex);
    return frequency_ ? frequency_ : format_.rate;
}

bool SoundBuffer::setNotifications(std::vector<Notification> notes) {
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (playing_) return false;
    for (const Notification& n : notes)
        if (n.offset != Notification::kOffsetStop && n.offset >= size()) return false;
    notes_ = std::move(notes);
    return true;
}

bool SoundBuffer::fadeOutAndStop(uint32_t ms, bool rewind) {
    std::vector<Notification> fire;
    {
        std::lock_guard<std::mutex> lock(core_->mutex);
        if (!playing_) return false;
        fadeTotal_ = static_cast<uint32_t>(static_cast<uint64_t>(core_->rate) * ms / 1000);
        fadeDone_ = 0;
        fadeFrom_ = volume_;
        fadeRewind_ = rewind;
        if (fadeTotal_ == 0) {
            stopLocked(fire);
            volume_ = kVolumeMin;
            if (rewind) pos_ = 0;
        }
    }
    raiseAll(fire);
    return true;
}

bool SoundBuffer::isFading() const {
    std::lock_guard<std::mutex> lock(core_->mutex);
    return playing_ && fadeTotal_ > 0;
}

void SoundBuffer::mixLocked(float* out, uint32_t frames, uint32_t outRate, std::vector<Notification>& fire) {
    if (!playing_ || frames_ == 0) return;
    const uint32_t hz = frequency_ ? frequency_ : format_.rate;
    const uint64_t step = (static_cast<uint64_t>(hz) << 32) / outRate;
    const float panLeft = pan_ > 0 ? gainOf(-pan_) : 1.0f;
    const float panRight = pan_ < 0 ? gainOf(pan_) : 1.0f;
    const uint32_t block = format_.blockAlign();
    const uint8_t* data = data_->data();

    uint32_t done = 0;
    while (done < frames && playing_) {
        uint32_t n = std::min(kChunk, frames - done);
        int vol = volume_;
        if (fadeTotal_ > 0) {
            // Linear in decibels from the starting volume down to silence.
            n = std::min({n, fadeTotal_ - fadeDone_, kFadeStep});
            const double fall = static_cast<double>(fadeFrom_ - kVolumeMin) * fadeDone_ / fadeTotal_;
            vol = static_cast<int>(fadeFrom_ - fall);
        }
        const float g = gainOf(vol);
        const uint32_t from = static_cast<uint32_t>(pos_ >> 32);
        bool ended = false;
        uint32_t made;
        if (format_.bits == 16)
            made = format_.channels == 2
                       ? mixRun<16, 2>(data, frames_, looping_, pos_, step, g * panLeft, g * panRight, out, n, ended)
                       : mixRun<16, 1>(data, frames_, looping_, pos_, step, g * panLeft, g * panRight, out, n, ended);
        else
            made = format_.channels == 2
                       ? mixRun<8, 2>(data, frames_, looping_, pos_, step, g * panLeft, g * panRight, out, n, ended)
                       : mixRun<8, 1>(data, frames_, looping_, pos_, step, g * panLeft, g * panRight, out, n, ended);
        const uint32_t to = ended ? frames_ : static_cast<uint32_t>(pos_ >> 32);
        // The cursor went from..to (wrapping when to < from, or a whole lap when equal after a lap).
        const uint64_t advance = step * made;
        const bool lap = advance >= (static_cast<uint64_t>(frames_) << 32);
        for (const Notification& note : notes_) {
            if (note.offset == Notification::kOffsetStop) continue;
            const uint32_t f = note.offset / block;
            bool passed = lap || (from <= to ? (f >= from && f < to) : (f >= from || f < to));
            if (passed) fire.push_back(note);
        }
        out += 2 * made;
        done += made;
        if (fadeTotal_ > 0) {
            fadeDone_ += made;
            if (fadeDone_ >= fadeTotal_) {
                stopLocked(fire);
                volume_ = kVolumeMin;
                if (fadeRewind_) pos_ = 0;
            }
        }
        if (ended) {
            // A one-shot buffer stops at its end with the cursor back at the start.
            pos_ = 0;
            stopLocked(fire);
        }
    }
}

// ---- Mixer -----------------------------------------------------------------------------------

Mixer::Mixer(uint32_t outputRate) : core_(std::make_shared<MixerCore>(outputRate ? outputRate : 44100)) {}

Mixer::~Mixer() {
    // The lingering buffers hold the state too; they go before it (outside its lock).
    std::vector<std::shared_ptr<SoundBuffer>> drop;
    {
        std::lock_guard<std::mutex> lock(core_->mutex);
        drop.swap(core_->lingering);
    }
}

void Mixer::retainUntilStopped(std::shared_ptr<SoundBuffer> buffer) {
    if (!buffer || buffer->core_ != core_) return;
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (buffer->playing_) core_->lingering.push_back(std::move(buffer));
    // Otherwise the buffer goes with the parameter, after the lock is let go.
}

uint32_t Mixer::outputRate() const { return core_->rate; }

std::shared_ptr<SoundBuffer> Mixer::createBuffer(const PcmFormat& format, uint32_t bytes) {
    if (!format.valid() || format.rate < kFrequencyMin || format.rate > kFrequencyMax) return nullptr;
    bytes -= bytes % format.blockAlign();
    if (bytes == 0) return nullptr;
    auto data = std::make_shared<std::vector<uint8_t>>(bytes, format.bits == 8 ? 0x80 : 0);
    std::shared_ptr<SoundBuffer> buffer(new SoundBuffer(core_, std::move(data), format));
    std::lock_guard<std::mutex> lock(core_->mutex);
    core_->buffers.push_back(buffer.get());
    return buffer;
}

std::shared_ptr<SoundBuffer> Mixer::duplicate(const SoundBuffer& other) {
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (other.core_ != core_) return nullptr;
    std::shared_ptr<SoundBuffer> buffer(new SoundBuffer(core_, other.data_, other.format_));
    buffer->volume_ = other.volume_;
    buffer->pan_ = other.pan_;
    buffer->frequency_ = other.frequency_;
    core_->buffers.push_back(buffer.get());
    return buffer;
}

void Mixer::render(int16_t* out, uint32_t frames) {
    std::vector<Notification> fire;
    std::vector<std::shared_ptr<SoundBuffer>> finished;
    {
        std::lock_guard<std::mutex> lock(core_->mutex);
        auto& mix = core_->scratch;
        mix.assign(static_cast<size_t>(frames) * 2, 0.0f);
        for (SoundBuffer* b : core_->buffers) b->mixLocked(mix.data(), frames, core_->rate, fire);
        for (size_t i = 0; i < mix.size(); ++i) {
            float v = std::nearbyint(mix[i] * 32768.0f);
            out[i] = static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f));
        }
        core_->rendered += frames;
        auto& keep = core_->lingering;
        for (auto it = keep.begin(); it != keep.end();) {
            if ((*it)->playing_) {
                ++it;
            } else {
                finished.push_back(std::move(*it));
                it = keep.erase(it);
            }
        }
    }
    raiseAll(fire);
    // finished buffers are destroyed here, after the lock is let go.
}

uint64_t Mixer::framesRendered() const {
    std::lock_guard<std::mutex> lock(core_->mutex);
    return core_->rendered;
}

size_t Mixer::playingCount() const {
    std::lock_guard<std::mutex> lock(core_->mutex);
    size_t n = 0;
    for (SoundBuffer* b : core_->buffers) n += b->playing_ ? 1 : 0;
    return n;
}

}  // namespace platform::audio
