// Ogg Vorbis: the streamed decoder against the reference decoder, the whole-file decoder, and
// the openers.
#include <gtest/gtest.h>

#include "ogg_encode.h"
#include "sound/direct_sound.h"
#include "sound/ogg_stream.h"
#include "sound_fixtures.h"
#include "stream_pump.h"
#include "support/test_support.h"

using namespace soundtest;

namespace {

class OggTest : public ::testing::Test {
protected:
    ManualDevice device;
    mjtest::TempDir dir;
    std::string at(const std::string& name) const { return dir.str() + "/" + name; }
    // Two tones, one per side, at about 0.4 of full scale: 3.5 s, longer than the ring buffer.
    std::vector<int16_t> music() const {
        auto left = sine(44100, 1, 440, 13000, 154350), right = sine(44100, 1, 660, 9000, 154350);
        std::vector<int16_t> out;
        for (size_t i = 0; i < left.size(); ++i) out.insert(out.end(), {left[i], right[i]});
        return out;
    }
};

std::vector<int16_t> pcmSamples(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> out(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return out;
}

}  // namespace

TEST_F(OggTest, StreamEqualsTheReferenceDecoderAndTheWholeFileDecoderIsWithinOneStep) {
    if (!haveTool("oggenc") || !haveTool("oggdec")) GTEST_SKIP() << "vorbis-tools are not installed";
    writeFile(at("music.wav"), waveImage(bytesOf(music()), 2, 44100, 16));
    ASSERT_TRUE(run("oggenc -Q -q 3 -o '" + at("music.ogg") + "' '" + at("music.wav") + "'"));
    ASSERT_TRUE(run("oggdec -Q -o '" + at("ref.wav") + "' '" + at("music.ogg") + "'"));
    auto refImage = readFile(at("ref.wav"));
    RiffWaveInfo info;
    ASSERT_TRUE(parseRiffWave(refImage.data(), refImage.size(), info));
    auto ref = pcmSamples(
        std::vector<uint8_t>(refImage.begin() + info.dataOffset, refImage.begin() + info.dataOffset + info.dataSize));
    const uint32_t frames = static_cast<uint32_t>(ref.size() / 2);

    TOggStream s;
    ASSERT_TRUE(s.loadFile(at("music.ogg"), 8));
    EXPECT_EQ(s.getDataSize(), frames * 4);
    EXPECT_NEAR(s.getLength(), 3500, 1);
    s.play(false);
    auto out = pumpStream(device, s, frames + 20000);
    EXPECT_TRUE(std::equal(ref.begin(), ref.end(), out.begin()));
    EXPECT_EQ(rms(std::vector<int16_t>(out.begin() + ref.size(), out.end())), 0);
    EXPECT_FALSE(s.isPlaying());

    TOggWave w;
    ASSERT_TRUE(w.loadFile(at("music.ogg"), 2));
    ASSERT_EQ(w.getDataSize(), frames * 4);
    std::vector<int16_t> whole(ref.size());
    ASSERT_TRUE(w.buffer(0)->read(0, whole.data(), w.getDataSize()));
    int worst = 0;
    for (size_t i = 0; i < ref.size(); ++i) worst = std::max(worst, std::abs(whole[i] - ref[i]));
    EXPECT_LE(worst, 1);
    EXPECT_EQ(w.bufferCount(), 2);
}

TEST_F(OggTest, StreamLoopsFromItsLoopStartAndResumesAfterStop) {
    auto pcm = music();
    writeFile(at("loop.ogg"), encodeVorbis(pcm, 2, 44100));
    TOggStream ref;
    ASSERT_TRUE(ref.loadFile(at("loop.ogg"), 1));
    // The decoded sound read straight from the source, as the reference.
    std::vector<int16_t> decoded(ref.getDataSize() / 2);
    uint32_t got = 0;
    ASSERT_TRUE(ref.readSource(decoded.data(), ref.getDataSize(), got));
    ASSERT_EQ(got, ref.getDataSize());
    const size_t n = decoded.size() / 2, loopStart = 22050;
    TOggStream s;
    ASSERT_TRUE(s.loadFile(at("loop.ogg") + ";it500", 1));
    s.play(true);
    auto first = pumpStream(device, s, static_cast<uint32_t>(n + 1000));
    s.stop();
    s.play(true);
    auto second = pumpStream(device, s, 5000);
    first.insert(first.end(), second.begin(), second.end());
    for (size_t i = 0; i < first.size() / 2; ++i) {
        const size_t f = i < n ? i : loopStart + (i - n) % (n - loopStart);
        ASSERT_EQ(first[2 * i], decoded[2 * f]) << i;
    }
}

TEST_F(OggTest, OpenerTriesTheLastKindFirstAndFlipsWhenTheOtherLoads) {
    writeFile(at("fx.ogg"), encodeVorbis(sine(22050, 1, 800, 8000, 4410), 1, 22050));
    writeFile(at("fx.wav"), waveImage(bytesOf(sine(22050, 1, 800, 8000, 4410)), 1, 22050, 16));
    TOpenOgg open;
    std::unique_ptr<TWave> a(open.openFile(at("fx.ogg")));
    ASSERT_TRUE(a);
    EXPECT_TRUE(open.lastWasOgg());
    EXPECT_EQ(a->bufferCount(), 8);
    std::unique_ptr<TWave> b(open.openFile(at("fx.wav")));
    ASSERT_TRUE(b);
    EXPECT_FALSE(open.lastWasOgg());
    auto bytes = readFile(at("fx.ogg"));
    std::unique_ptr<TWave> c(open.fromBytes(bytes.data(), bytes.size()));
    ASSERT_TRUE(c);
    EXPECT_TRUE(open.lastWasOgg());
    EXPECT_EQ(open.openFile(at("missing.ogg")), nullptr);
    // Played, the decoded effect sounds at its pitch.
    c->play(false);
    EXPECT_NEAR(frequencyOf(channel(device.pump(4000), 0), 44100), 800, 5);
    // Damaged Ogg data loads as neither kind.
    bytes.resize(bytes.size() / 3);
    for (size_t i = 200; i < bytes.size(); i += 7) bytes[i] ^= 0x5A;
    std::unique_ptr<TWave> d(open.fromBytes(bytes.data(), bytes.size()));
    if (d) {
        EXPECT_GT(d->getDataSize(), 0u);
    }
}

// Effects are decoded whole, so one longer than a minute is refused, at no more cost than a
// minute of sound; the same file still streams as music.
TEST_F(OggTest, AnEffectLongerThanAMinuteIsRefusedAndStreamsAsMusic) {
    const std::vector<int16_t> minute(8000 * kMaxOggEffectSeconds);
    std::vector<int16_t> longer = minute;
    longer.resize(longer.size() + 8000);
    const std::vector<uint8_t> fits = encodeVorbis(minute, 1, 8000), tooLong = encodeVorbis(longer, 1, 8000);
    TOpenOgg open;
    std::unique_ptr<TWave> a(open.fromBytes(fits.data(), fits.size()));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->getDataSize(), minute.size() * 2);
    const mjtest::MemoryUse use = mjtest::measureMemory([&] {
        TOpenOgg opener;
        return opener.fromBytes(tooLong.data(), tooLong.size()) == nullptr;
    });
    ASSERT_TRUE(use.finished);
    EXPECT_TRUE(use.result);
    EXPECT_LT(use.peakGrowth, int64_t{16} << 20);
    writeFile(at("long.ogg"), tooLong);
    class Source : public TOggStream {
    public:
        using TOggStream::openSource;
    } music;
    ASSERT_EQ(music.openSource(at("long.ogg")), 0);
    EXPECT_EQ(music.getLength(), 61000);
    music.closeSource();
}
