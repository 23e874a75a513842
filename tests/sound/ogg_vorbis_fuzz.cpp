// Arbitrary bytes as an Ogg Vorbis file: decoded whole, and opened and read as a stream source.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sound/ogg_encode.h"
#include "sound/ogg_stream.h"
#include "support/fuzz.h"

namespace {

// Reads the source directly: no device is needed for the decoder itself.
class SourceProbe : public TOggStream {
public:
    using TOggStream::openSource;
};

// The stream with the rate of its identification header replaced (its page sealed again): at
// a rate of 1 Hz, half a second of sound is already longer than an effect may be.
std::vector<uint8_t> atRate(std::vector<uint8_t> ogg, uint32_t rate) {
    const size_t packet = 27 + size_t{ogg[26]};  // the first page holds that header alone
    for (int i = 0; i < 4; ++i) ogg[packet + 12 + i] = static_cast<uint8_t>(rate >> (8 * i));
    size_t end = packet;
    for (size_t i = 0; i < ogg[26]; ++i) end += ogg[27 + i];
    for (int i = 0; i < 4; ++i) ogg[22 + i] = 0;
    uint32_t crc = 0;
    for (size_t i = 0; i < end; ++i) {
        crc ^= uint32_t{ogg[i]} << 24;
        for (int b = 0; b < 8; ++b) crc = crc & 0x80000000u ? crc << 1 ^ 0x04C11DB7u : crc << 1;
    }
    for (int i = 0; i < 4; ++i) ogg[22 + i] = static_cast<uint8_t>(crc >> (8 * i));
    return ogg;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> pcm;
    WaveFormatEx format;
    if (decodeOggVorbis(data, size, pcm, format)) {
        if (pcm.size() % format.nBlockAlign != 0) __builtin_trap();
    }
    static const std::string path = "/tmp/mj_ogg_fuzz_" + std::to_string(getpid()) + ".ogg";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
        SourceProbe s;
        if (s.openSource(path) == 0) {
            std::vector<uint8_t> buf(16384);
            uint32_t got = 0;
            for (int i = 0; i < 4 && s.readSource(buf.data(), static_cast<uint32_t>(buf.size()), got) && got > 0; ++i) {
            }
            s.seekSource(static_cast<uint32_t>(size));
            s.readSource(buf.data(), 4096, got);
        }
        s.closeSource();
        std::remove(path.c_str());
    }
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<int16_t> mono(4410), stereo(2 * 2205);
    for (size_t i = 0; i < mono.size(); ++i) mono[i] = static_cast<int16_t>((i * 97) % 20000 - 10000);
    for (size_t i = 0; i < stereo.size(); ++i) stereo[i] = static_cast<int16_t>((i * 31) % 16000 - 8000);
    return {soundtest::encodeVorbis(mono, 1, 22050), soundtest::encodeVorbis(stereo, 2, 44100),
            atRate(soundtest::encodeVorbis(mono, 1, 8000), 1)};
}
