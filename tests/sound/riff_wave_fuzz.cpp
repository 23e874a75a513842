// Arbitrary bytes as a RIFF WAVE image: the chunk walk, and a whole wave loaded and played from
// memory on the manual mixer.
#include <string>
#include <vector>

#include "platform/audio_device.h"
#include "riff_chunks.h"
#include "sound/direct_sound.h"
#include "sound/wave.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = [] {
        platform::headless::useManualAudio(true);
        return TDirectSound::createInstance(nullptr, nullptr, 44100, 16, true) == 0;
    }();
    RiffWaveInfo info;
    if (parseRiffWave(data, size, info)) {
        if (info.dataOffset + info.dataSize > size) __builtin_trap();
    }
    if (ready) {
        TWave w;
        if (w.loadMemory(data, static_cast<uint32_t>(size), 2)) {
            w.setFrequency(static_cast<int>(size * 37 % 50000) + 100, -1);
            w.play(size % 2 == 1);
            int16_t out[512];
            TDirectSound::getDevice()->render(out, 256);
        }
    }
    return 0;
}

namespace {
using rifftest::put;
std::vector<uint8_t> image(uint16_t channels, uint16_t bits, uint32_t fmtSize, bool oddChunk) {
    std::vector<uint8_t> v;
    put(v, "RIFF", 0);
    v.insert(v.end(), {'W', 'A', 'V', 'E'});
    if (oddChunk) {
        put(v, "LIST", 3);
        v.insert(v.end(), {1, 2, 3, 0});
    }
    put(v, "fmt ", fmtSize);
    const uint32_t rate = 22050, align = channels * bits / 8u;
    const uint8_t fmt[18] = {1,
                             0,
                             static_cast<uint8_t>(channels),
                             0,
                             0x22,
                             0x56,
                             0,
                             0,
                             static_cast<uint8_t>(rate * align),
                             static_cast<uint8_t>((rate * align) >> 8),
                             static_cast<uint8_t>((rate * align) >> 16),
                             0,
                             static_cast<uint8_t>(align),
                             0,
                             static_cast<uint8_t>(bits),
                             0,
                             0,
                             0};
    v.insert(v.end(), fmt, fmt + fmtSize);
    put(v, "data", 64);
    for (int i = 0; i < 64; ++i) v.push_back(static_cast<uint8_t>(i * 13));
    rifftest::closeRiff(v);
    return v;
}
}  // namespace

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    return {image(2, 16, 16, false), image(1, 8, 18, true), image(1, 16, 14, false)};
}
