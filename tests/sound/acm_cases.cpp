// Compressed WAVE: sox compresses a tone made here, and the converter's stream must equal sox's
// own decoding of the same file.
#include <gtest/gtest.h>

#include <cstring>

#include "sound/acm_stream.h"
#include "sound/direct_sound.h"
#include "sound/sound.h"
#include "sound_fixtures.h"
#include "stream_pump.h"
#include "support/test_support.h"

using namespace soundtest;

namespace {

std::vector<int16_t> samplesOf(const std::vector<uint8_t>& image) {
    RiffWaveInfo info;
    if (!parseRiffWave(image.data(), image.size(), info)) return {};
    std::vector<int16_t> out(info.dataSize / 2);
    std::memcpy(out.data(), image.data() + info.dataOffset, out.size() * 2);
    return out;
}

struct Encoding {
    const char* sox;
    uint16_t tag;
    uint16_t channels;
    uint32_t rate;
};

}  // namespace

TEST(AcmStream, CompressedWavesStreamAsSoxDecodesThem) {
    if (!haveTool("sox")) GTEST_SKIP() << "sox is not installed";
    ManualDevice device;
    mjtest::TempDir dir;
    const Encoding encodings[] = {{"ms-adpcm", kWaveFormatAdpcm, 2, 22050},
                                  {"ima-adpcm", kWaveFormatImaAdpcm, 2, 22050},
                                  {"gsm-full-rate", kWaveFormatGsm610, 1, 8000},
                                  {"u-law", kWaveFormatMulaw, 1, 22050},
                                  {"a-law", kWaveFormatAlaw, 2, 44100}};
    for (const Encoding& e : encodings) {
        SCOPED_TRACE(e.sox);
        // Three seconds: longer than the ring buffer at every rate here.
        const uint32_t frames = e.rate * 3;
        const std::string src = dir.str() + "/src.wav", packed = dir.str() + "/packed.wav",
                          ref = dir.str() + "/ref.wav";
        writeFile(src, waveImage(bytesOf(sine(e.rate, e.channels, 440, 12000, frames)), e.channels, e.rate, 16));
        ASSERT_TRUE(run("sox '" + src + "' -e " + e.sox + " '" + packed + "'"));
        ASSERT_TRUE(run("sox '" + packed + "' -e signed-integer -b 16 '" + ref + "'"));
        const auto expected = samplesOf(readFile(ref));
        ASSERT_FALSE(expected.empty());

        TWAVEIO io;
        ASSERT_TRUE(io.open(packed));
        EXPECT_EQ(io.format().wFormatTag, e.tag);

        TAcmStream s;
        ASSERT_TRUE(s.loadFile(packed, 1));
        EXPECT_EQ(s.sourceFormat().nChannels, e.channels);
        EXPECT_EQ(s.sourceFormat().nSamplesPerSec, e.rate);
        // sox decodes the padding of the last block too; the "fact" count ends the sound.
        EXPECT_EQ(s.getDataSize(), frames * e.channels * 2u);
        ASSERT_GE(expected.size(), frames * e.channels);
        EXPECT_NEAR(s.getLength(), 3000, 100);
        // Played at the source's own rate, so compare at 44100 only where that is the rate; the
        // others are read through the source directly.
        if (e.rate == 44100 && e.channels == 2) {
            s.play(false);
            auto out = pumpStream(device, s, frames + 20000);
            EXPECT_TRUE(std::equal(out.begin(), out.begin() + frames * 2, expected.begin()));
            EXPECT_FALSE(s.isPlaying());
        } else {
            std::vector<int16_t> got(frames * e.channels);
            uint32_t n = 0;
            ASSERT_TRUE(s.seekSource(0));
            ASSERT_TRUE(s.readSource(got.data(), static_cast<uint32_t>(got.size() * 2), n));
            EXPECT_EQ(n, got.size() * 2);
            EXPECT_TRUE(std::equal(got.begin(), got.end(), expected.begin()));
            // Seeking lands on the same samples.
            ASSERT_TRUE(s.seekSource(1000));
            std::vector<int16_t> part(200 * e.channels);
            ASSERT_TRUE(s.readSource(part.data(), static_cast<uint32_t>(part.size() * 2), n));
            EXPECT_TRUE(std::equal(part.begin(), part.end(), expected.begin() + 1000 * e.channels));
        }
    }
}

TEST(AcmStream, OtherTagsAndDamagedFilesFail) {
    ManualDevice device;
    mjtest::TempDir dir;
    auto image = waveImage(bytesOf(ramp(1, 4000)), 1, 22050, 16, {{"fact", {0xA0, 0x0F, 0, 0}}});
    image[20] = 0x55;  // MPEG layer 3: not converted here
    const std::string path = dir.str() + "/mp3.wav";
    writeFile(path, image);
    TAcmStream s;
    EXPECT_FALSE(s.loadFile(path, 1));
    EXPECT_EQ(s.lastError(), TWaveStream::kErrFormat);
    // A compressed format without a "fact" chunk does not parse.
    image = waveImage(bytesOf(ramp(1, 4000)), 1, 22050, 16);
    image[20] = 0x02;
    writeFile(path, image);
    EXPECT_FALSE(s.loadFile(path, 1));
    EXPECT_EQ(s.lastError(), TWaveStream::kErrOpen);
    // Plain PCM goes through the converter too (music WAVE files are opened this way).
    writeFile(path, waveImage(bytesOf(ramp(2, 4000)), 2, 44100, 16));
    ASSERT_TRUE(s.loadFile(path, 1));
    s.play(false);
    EXPECT_EQ(pumpStream(device, s, 4000), ramp(2, 4000));
    TWAVEIO io;
    image[20] = 0x01;
    EXPECT_TRUE(io.openMemory(image.data(), static_cast<uint32_t>(image.size())));
    EXPECT_EQ(io.sampleCount(), 4000);
    EXPECT_FALSE(io.openMemory(image.data(), 20));
}
