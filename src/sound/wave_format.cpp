#include "sound/wave_format.h"

#include <cstring>

#include "platform/little_endian.h"

WaveFormatEx pcmFormat(uint16_t channels, uint32_t rate, uint16_t bits) {
    WaveFormatEx f;
    f.wFormatTag = kWaveFormatPcm;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<uint16_t>(bits / 8 * channels);
    f.nAvgBytesPerSec = f.nBlockAlign * rate;
    return f;
}

WaveFormatEx readWaveFormat(const uint8_t* bytes, size_t n) {
    uint8_t raw[18] = {};
    std::memcpy(raw, bytes, n < 18 ? n : 18);
    WaveFormatEx f;
    f.wFormatTag = le::load16(raw);
    f.nChannels = le::load16(raw + 2);
    f.nSamplesPerSec = le::load32(raw + 4);
    f.nAvgBytesPerSec = le::load32(raw + 8);
    f.nBlockAlign = le::load16(raw + 12);
    f.wBitsPerSample = le::load16(raw + 14);
    f.cbSize = le::load16(raw + 16);
    return f;
}

bool toMixerFormat(const WaveFormatEx& fmt, platform::audio::PcmFormat& out) {
    if (fmt.wFormatTag != kWaveFormatPcm) return false;
    platform::audio::PcmFormat p;
    p.channels = fmt.nChannels;
    p.rate = fmt.nSamplesPerSec;
    p.bits = fmt.wBitsPerSample;
    if (!p.valid() || fmt.nBlockAlign != p.blockAlign() || fmt.nAvgBytesPerSec != p.bytesPerSecond()) return false;
    out = p;
    return true;
}

bool isRiffWaveHeader(const uint8_t* bytes, size_t size) {
    return size >= 12 && std::memcmp(bytes, "RIFF", 4) == 0 && std::memcmp(bytes + 8, "WAVE", 4) == 0;
}

bool parseRiffWave(const uint8_t* image, size_t size, RiffWaveInfo& out, bool needFormat) {
    out = RiffWaveInfo{};
    if (!image || !isRiffWaveHeader(image, size)) return false;
    // The walk is bounded by the RIFF size and by the bytes really there.
    const uint64_t riffEnd = static_cast<uint64_t>(le::load32(image + 4)) + 8;
    const uint64_t end = riffEnd < size ? riffEnd : size;
    bool haveData = false;
    uint64_t at = 12;
    while (at + 8 <= end) {
        const uint8_t* chunk = image + at;
        const uint32_t chunkSize = le::load32(chunk + 4);
        const uint64_t body = at + 8;
        const uint64_t avail = size - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !out.hasFormat) {
            if (chunkSize < 14 || chunkSize > avail) return false;
            out.format = readWaveFormat(image + body, chunkSize);
            out.hasFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && !haveData) {
            out.dataOffset = static_cast<size_t>(body);
            out.dataSize = static_cast<uint32_t>(chunkSize < avail ? chunkSize : avail);
            haveData = true;
        }
        if (haveData && out.hasFormat) break;
        at = body + ((static_cast<uint64_t>(chunkSize) + 1) & ~uint64_t{1});
    }
    if (!haveData || out.dataSize == 0) return false;
    return out.hasFormat || !needFormat;
}
