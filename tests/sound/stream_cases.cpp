// Streamed waves: the refill thread keeps the ring buffer ahead of the manual mixer.
#include <gtest/gtest.h>

#include "sound/direct_sound.h"
#include "sound/wave_stream.h"
#include "sound_fixtures.h"
#include "stream_pump.h"
#include "support/test_support.h"

using namespace soundtest;

namespace {

class StreamTest : public ::testing::Test {
protected:
    ManualDevice device;
    mjtest::TempDir dir;
    std::vector<int16_t> data = ramp(2, 200000);  // 4.5 s, longer than the ring buffer
    std::string path;
    void SetUp() override {
        path = dir.str() + "/music.wav";
        writeFile(path, waveImage(bytesOf(data), 2, 44100, 16, {{"LIST", {9}}}));
    }
    std::vector<int16_t> frames(size_t from, size_t count, size_t loopStart = 0) const {
        const size_t n = data.size() / 2;
        std::vector<int16_t> out;
        for (size_t i = from; i < from + count; ++i) {
            size_t f = i < n ? i : loopStart + (i - n) % (n - loopStart);
            out.push_back(data[2 * f]);
            out.push_back(data[2 * f + 1]);
        }
        return out;
    }
};

}  // namespace

TEST(StreamOptions, LoopStartOptionsFollowTheFirstSemicolon) {
    TWaveStream s;
    EXPECT_EQ(parseStreamOptions("bgm\\bgm01.wav;is44100", &s), "bgm\\bgm01.wav");
    EXPECT_EQ(parseStreamOptions("a.wav;it1500;is7", &s), "a.wav");
    EXPECT_EQ(parseStreamOptions("a.wav;ix12;is5", nullptr), "a.wav");
    EXPECT_EQ(parseStreamOptions("a.wav", nullptr), "a.wav");
}

TEST_F(StreamTest, StreamedPcmEqualsTheFileAndAOneShotPlaysToItsLastSample) {
    TWaveStream s;
    ASSERT_TRUE(s.loadFile(path, 8));
    EXPECT_EQ(s.getLength(), 200000 * 1000 / 44100);  // milliseconds, divided by 1000
    EXPECT_EQ(s.segmentSize(), 32768u);
    EXPECT_EQ(s.bufferSize(), 16u * 32768u);
    ASSERT_EQ(s.play(false), 0);
    auto out = pumpStream(device, s, 200000 + 20000);
    EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 400000), data);
    EXPECT_EQ(rms(std::vector<int16_t>(out.begin() + 400000, out.end())), 0);
    EXPECT_FALSE(s.isPlaying());
}

TEST_F(StreamTest, ShortOneShotStopsOncePlayed) {
    auto shortData = ramp(2, 1000);
    writeFile(path, waveImage(bytesOf(shortData), 2, 44100, 16));
    TWaveStream s;
    ASSERT_TRUE(s.loadFile(path, 1));
    s.play(false);
    auto out = pumpStream(device, s, 30000);
    EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 2000), shortData);
    EXPECT_EQ(rms(std::vector<int16_t>(out.begin() + 2000, out.end())), 0);
    EXPECT_FALSE(s.isPlaying());
    // Played again it starts over.
    s.play(false);
    EXPECT_EQ(std::vector<int16_t>(pumpStream(device, s, 1000)), shortData);
}

TEST_F(StreamTest, LoopStartLoopsSeamlesslyAndPositionWrapsIntoTheLoop) {
    for (std::string option : {";is50000", ";it1000"}) {
        const size_t loopStart = option == ";is50000" ? 50000 : 44100;
        TWaveStream s;
        ASSERT_TRUE(s.loadFile(path + option, 1));
        EXPECT_EQ(s.loopStartBytes(), loopStart * 4);
        s.play(true);
        auto out = pumpStream(device, s, 200000 + 25);
        EXPECT_EQ(out, frames(0, 200025, loopStart)) << option;
        s.stop();
        EXPECT_EQ(s.getPosition(), loopStart * 4 + 100);
        // Resumed, it goes on seamlessly through a second lap.
        s.play(true);
        auto more = pumpStream(device, s, 300000);
        EXPECT_EQ(more, frames(200025, 300000, loopStart)) << option;
        s.stopFade();
        device.pump(4000);  // the fade runs out in the mixer, even after the stream is gone
    }
}

TEST_F(StreamTest, StopResumesWhereItStoppedAndStopFadeStartsOver) {
    TWaveStream s;
    ASSERT_TRUE(s.loadFile(path, 1));
    s.play(false);
    pumpStream(device, s, 70001);
    EXPECT_TRUE(s.stop());
    EXPECT_FALSE(s.isPlaying());
    EXPECT_EQ(rms(device.pump(100)), 0);
    s.play(false);
    EXPECT_EQ(pumpStream(device, s, 5000), frames(70001, 5000));
    EXPECT_TRUE(s.stopFade());
    device.pump(4000);  // the fade runs out in the mixer
    s.play(false);
    EXPECT_EQ(pumpStream(device, s, 5000), frames(0, 5000));
    s.release();
    EXPECT_FALSE(s.isLoaded());
    EXPECT_EQ(TDirectSound::waveCount(), 0);
}

TEST_F(StreamTest, SourcesThatAreNotPlainPcmFailWithTheirCodes) {
    TWaveStream s;
    EXPECT_FALSE(s.loadFile(dir.str() + "/none.wav", 1));
    EXPECT_EQ(s.lastError(), TWaveStream::kErrOpen);
    auto image = waveImage(bytesOf(data), 2, 44100, 16);
    image[20] = 2;  // an ADPCM tag
    writeFile(path, image);
    EXPECT_FALSE(s.loadFile(path, 1));
    EXPECT_EQ(s.lastError(), TWaveStream::kErrNotPcm);
    writeFile(path, std::vector<uint8_t>(image.begin(), image.begin() + 30));
    EXPECT_FALSE(s.loadFile(path, 1));
    EXPECT_EQ(s.lastError(), TWaveStream::kErrFormat);
}

TEST_F(StreamTest, ADataChunkCutMidSampleKeepsTheChannelsInPlace) {
    auto image = waveImage(bytesOf(data), 2, 44100, 16);
    image.resize(image.size() - 3);  // the last frame is cut in its middle
    writeFile(path, image);
    TWaveStream s;
    ASSERT_TRUE(s.loadFile(path + ";is100", 1));
    EXPECT_EQ(s.getDataSize(), (200000u - 1) * 4);
    s.play(true);
    auto out = pumpStream(device, s, 200000 + 50);
    // Looping back to frame 100 right after the last whole frame, left and right unswapped.
    std::vector<int16_t> want;
    for (size_t i = 199998; i < 200050; ++i) {
        const size_t f = i < 199999 ? i : 100 + (i - 199999);
        want.insert(want.end(), {data[2 * f], data[2 * f + 1]});
    }
    EXPECT_EQ(std::vector<int16_t>(out.begin() + 2 * 199998, out.end()), want);
    s.stopFade();
    device.pump(4000);
}
