// The sound device and whole waves, heard through the manual mixer.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "platform/audio_device.h"
#include "sound/direct_sound.h"
#include "sound/wave.h"
#include "sound_fixtures.h"
#include "support/test_support.h"

using namespace soundtest;

TEST(DirectSound, DeviceResultsMapToProgramCodes) {
    EXPECT_EQ(TDirectSound::mapDsError(DSERR_ALLOCATED, kDsErrCreate), 0x03004304);
    EXPECT_EQ(TDirectSound::mapDsError(DSERR_PRIOLEVELNEEDED, kDsErrCreate), 0x03004310);
    EXPECT_EQ(TDirectSound::mapDsError(DSERR_OUTOFMEMORY, kDsErrCreate), 0x03004315);
    EXPECT_EQ(TDirectSound::mapDsError(0x80004005, kDsErrCreate), 0x03004301);
    EXPECT_EQ(TDirectSound::mapDsError(0x80004005, kDsErrFormat), 0x03004303);
    // An audio device that does not open reports the creation's own code.
    platform::headless::useManualAudio(false);
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = driver ? driver : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(TDirectSound::createInstance(nullptr, nullptr, 44100, 16, true), 0x03004301);
    EXPECT_EQ(TDirectSound::instance(), nullptr);
    if (driver)
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
    platform::headless::useManualAudio(true);
    // A primary format the device cannot take is a bad format, and leaves no device behind.
    EXPECT_EQ(TDirectSound::createInstance(nullptr, nullptr, 44100, 12, true), 0x03004308);
    EXPECT_EQ(TDirectSound::instance(), nullptr);
    ASSERT_EQ(TDirectSound::createInstance(nullptr, nullptr, 44100, 16, true), 0);
    TDirectSound* first = TDirectSound::instance();
    EXPECT_EQ(TDirectSound::createInstance(nullptr, nullptr, 22050, 8, false), 0);
    EXPECT_EQ(TDirectSound::instance(), first);
    TDirectSound::destroyInstance();
    EXPECT_EQ(TDirectSound::instance(), nullptr);
}

TEST(DirectSound, SdlDeviceUnderTheDummyDriverPullsBlocks) {
    platform::headless::useManualAudio(false);
    std::string error;
    auto out = platform::audio::openOutput(44100, &error);
    platform::headless::useManualAudio(true);
    ASSERT_TRUE(out) << error;
    EXPECT_FALSE(out->isManual());
    auto b = out->mixer().createBuffer({2, 44100, 16}, 4410 * 4);
    b->play(true);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (out->mixer().framesRendered() < 4096 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(out->mixer().framesRendered(), 4096u);
}

class WaveTest : public ::testing::Test {
protected:
    ManualDevice device;
    mjtest::TempDir dir;
    std::string save(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::string path = dir.str() + "/" + name;
        writeFile(path, bytes);
        return path;
    }
};

TEST_F(WaveTest, LoadedWavePlaysItsDataExactlyAndKnowsItsLength) {
    auto data = ramp(2, 22050);
    TWave w;
    ASSERT_TRUE(w.loadFile(save("a.wav", waveImage(bytesOf(data), 2, 44100, 16)), 0));
    EXPECT_EQ(w.bufferCount(), 1);  // 0 copies still make one buffer
    EXPECT_EQ(w.getLength(), 500);
    EXPECT_EQ(w.getDataSize(), data.size() * 2);
    EXPECT_FALSE(w.loadFile(save("b.wav", waveImage(bytesOf(data), 2, 44100, 16)), 1));  // already loaded
    EXPECT_EQ(w.play(false, -1), 0);
    EXPECT_EQ(device.pump(22050), data);
    EXPECT_FALSE(w.isPlaying());
    EXPECT_EQ(TDirectSound::waveCount(), 1);
    w.release();
    EXPECT_EQ(TDirectSound::waveCount(), 0);
}

TEST_F(WaveTest, CopiesAreUsedInTurnAndOverlap) {
    auto tone = sine(44100, 1, 441, 8000, 44100);
    TWave w;
    ASSERT_TRUE(w.loadMemory(waveImage(bytesOf(tone), 1, 44100, 16).data(),
                             static_cast<uint32_t>(waveImage(bytesOf(tone), 1, 44100, 16).size()), 3));
    EXPECT_EQ(w.play(false), 0);
    const double one = rms(channel(device.pump(441), 0));
    EXPECT_EQ(w.play(false), 1);
    EXPECT_EQ(w.play(false), 2);
    EXPECT_EQ(w.play(false), 0);  // wraps; the first copy restarts
    EXPECT_TRUE(w.isPlaying(1));
    // Three copies in phase: three times the level.
    EXPECT_NEAR(rms(channel(device.pump(441), 0)), 3 * one, 3);
}

TEST_F(WaveTest, ChunkWalkIsCheckedAndBounded) {
    auto data = bytesOf(ramp(1, 1000));
    TWave w;
    // An odd-sized chunk before the data is skipped with its pad byte.
    ASSERT_TRUE(w.loadMemory(waveImage(data, 1, 44100, 16, {{"LIST", {1, 2, 3}}}).data(),
                             static_cast<uint32_t>(waveImage(data, 1, 44100, 16, {{"LIST", {1, 2, 3}}}).size()), 1));
    EXPECT_EQ(w.getDataSize(), 2000u);
    w.play(false);
    EXPECT_EQ(channel(device.pump(1000), 0), ramp(1, 1000));
    // A 12-byte format chunk fails the load.
    TWave shortFmt;
    auto bad = waveImage(data, 1, 44100, 16, {}, 12);
    EXPECT_FALSE(shortFmt.loadMemory(bad.data(), static_cast<uint32_t>(bad.size()), 1));
    // A data chunk claiming more than the file holds plays what is there; sizes past the file
    // and formats the device cannot play fail without reading outside the image.
    auto image = waveImage(data, 1, 44100, 16);
    image.resize(image.size() - 500);
    TWave cut;
    ASSERT_TRUE(cut.loadMemory(image.data(), static_cast<uint32_t>(image.size()), 1));
    EXPECT_EQ(cut.getDataSize(), 1500u);
    auto hugeFmt = waveImage(data, 1, 44100, 16);
    hugeFmt[16] = 0xFF, hugeFmt[17] = 0xFF, hugeFmt[18] = 0xFF;
    TWave h;
    EXPECT_FALSE(h.loadMemory(hugeFmt.data(), static_cast<uint32_t>(hugeFmt.size()), 1));
    auto adpcm = waveImage(data, 1, 44100, 16);
    adpcm[20] = 2;
    TWave a;
    EXPECT_FALSE(a.loadMemory(adpcm.data(), static_cast<uint32_t>(adpcm.size()), 1));
    EXPECT_FALSE(a.loadFile(dir.str() + "/missing.wav", 1));
}

TEST_F(WaveTest, MutedDeviceSilencesEveryBufferButKeepsTheVolume) {
    auto tone = sine(44100, 1, 441, 8000, 44100);
    auto image = waveImage(bytesOf(tone), 1, 44100, 16);
    TWave w;
    ASSERT_TRUE(w.loadMemory(image.data(), static_cast<uint32_t>(image.size()), 2));
    TDirectSound::instance()->setMute(true);
    w.setVolume(-1500, -1);
    EXPECT_EQ(w.buffer(0)->volume(), -10000);
    EXPECT_EQ(w.buffer(1)->volume(), -10000);
    EXPECT_EQ(w.getVolume(), -1500);
    TDirectSound::instance()->setMute(false);
    TDirectSound::instance()->setVolumeOffset(-500);
    w.play(false, 1);
    EXPECT_EQ(w.buffer(1)->volume(), -2000);
    EXPECT_EQ(w.getVolume(1), -1500);
    EXPECT_NEAR(rms(channel(device.pump(4410), 0)), 8000 / std::sqrt(2.0) * 0.1, 2);
}

TEST_F(WaveTest, StopFadeReturnsAtOnceAndPauseResumesWhereItWas) {
    auto data = ramp(2, 44100);
    auto image = waveImage(bytesOf(data), 2, 44100, 16);
    TWave w;
    ASSERT_TRUE(w.loadMemory(image.data(), static_cast<uint32_t>(image.size()), 1));
    w.play(true);
    device.pump(1000);
    TDirectSound::pauseAll();
    TDirectSound::pauseAll();
    EXPECT_FALSE(w.isPlaying());
    EXPECT_EQ(rms(device.pump(100)), 0);
    TDirectSound::resumeAll();
    EXPECT_FALSE(w.isPlaying());  // nested: the last resume restarts
    TDirectSound::resumeAll();
    auto resumed = device.pump(10);
    EXPECT_EQ(resumed, std::vector<int16_t>(data.begin() + 2000, data.begin() + 2020));
    EXPECT_TRUE(w.stopFade(-1));
    EXPECT_TRUE(w.isPlaying());
    device.pump(2000);
    EXPECT_FALSE(w.isPlaying());
    EXPECT_EQ(w.buffer(0)->position(), 0u);
    EXPECT_FALSE(w.stopFade(-1));
}
