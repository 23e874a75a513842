// The sound manager: volumes, effective values through sets, groups and the master, and what
// muting does to what is heard.
#include <gtest/gtest.h>

#include <cmath>

#include "ogg_encode.h"
#include "platform/audio_device.h"
#include "sound/direct_sound.h"
#include "sound/frame_sound.h"
#include "sound/ogg_stream.h"
#include "sound/sound.h"
#include "sound_fixtures.h"
#include "storage/storage.h"
#include "stream_pump.h"
#include "support/test_support.h"

using namespace soundtest;

namespace {

class ManagerTest : public ::testing::Test {
protected:
    ManualDevice device;
    mjtest::TempDir dir;
    TStorageGraph store;
    TSound master;
    void SetUp() override {
        store.setBaseFolder(dir.str());
        store.setWaveFactory(new TOpenOgg, true);
        writeFile(dir.str() + "/fx.wav", waveImage(bytesOf(sine(44100, 1, 1000, 10000, 44100)), 1, 44100, 16));
        writeFile(dir.str() + "/bgm.ogg", encodeVorbis(sine(44100, 2, 500, 10000, 44100 * 4), 2, 44100));
    }
    std::vector<int16_t> left(uint32_t frames) { return channel(device.pump(frames), 0); }
};

}  // namespace

TEST(VolumeTable, VolumesBecomeHundredthsOfADecibel) {
    EXPECT_EQ(volumeToDs(0), -10000);
    EXPECT_EQ(volumeToDs(1), -7220);
    EXPECT_EQ(volumeToDs(128), -898);
    EXPECT_EQ(volumeToDs(255), 0);
    EXPECT_EQ(volumeToDs(300), 0);
    EXPECT_EQ(volumeToDs(-5), -10000);
    for (int v = 2; v < 256; ++v) EXPECT_GT(volumeToDs(v), volumeToDs(v - 1)) << v;
}

TEST_F(ManagerTest, EffectiveVolumesCombineElementSetAndMaster) {
    TSeSet set;
    const int id = set.add("fx.wav", true);
    ASSERT_EQ(id, 1000);
    set.setVolume(id, 200);
    set.setVolume(128);
    // floor(200 × floor(128 × 255 / 255) / 255)
    EXPECT_EQ(set.getVolume(id, true), 100);
    EXPECT_EQ(set.getVolume(id, false), 200);
    master.setVolume(128);
    EXPECT_EQ(set.getVolume(true), 64);
    EXPECT_EQ(set.getVolume(id, true), 50);
    EXPECT_EQ(set.getVolume(4711, true), 64);  // a missing id answers for the set
    // What is heard follows the effective volume: 50 of 255.
    master.setVolume(255);
    set.setVolume(255);
    set.setVolume(id, 128);
    ASSERT_TRUE(set.play(id, 0, false));
    const double full = 10000 / std::sqrt(2.0);
    EXPECT_NEAR(rms(left(4410)) / full, std::pow(10.0, volumeToDs(128) / 2000.0), 0.003);
}

TEST_F(ManagerTest, SetIdsAndLinkedSets) {
    TSeSet set;
    EXPECT_EQ(set.add("fx.wav", false), 1000);
    EXPECT_EQ(set.add("fx.wav", false), 1001);
    EXPECT_EQ(set.set(1001, "fx.wav", true), 1001);
    EXPECT_EQ(set.add("other.wav", false), 1002);
    EXPECT_EQ(set.add("missing.wav", true), -1);
    EXPECT_EQ(set.set(7, "missing.wav", true), -1);
    EXPECT_EQ(set.find(7), nullptr);
    EXPECT_EQ(set.findByName("other.wav"), set.find(1002));
    EXPECT_EQ(set.findByName("none.wav"), nullptr);
    TSeSet system, voices;
    system.setMute(true);
    system.setVolume(99);
    voices.setLinked(&system);
    EXPECT_TRUE(voices.isMute(true));
    EXPECT_TRUE(voices.isMute(false));
    EXPECT_EQ(voices.getVolume(false), 99);
    voices.setVolume(10);  // goes to the linked set
    EXPECT_EQ(system.getVolume(false), 10);
}

TEST_F(ManagerTest, MutedEffectsAreSilentAndUnmutingAnEffectPlaysItAgain) {
    TSeSet set;
    const int id = set.add("fx.wav", true);
    set.play(id, false);
    EXPECT_GT(rms(left(1000)), 1000);
    set.setMute(id, true);  // fades out in the mixer
    left(2000);
    EXPECT_EQ(rms(left(1000)), 0);
    EXPECT_FALSE(set.isAnyPlaying());
    set.setMute(id, false);
    EXPECT_GT(rms(left(1000)), 1000);
    set.stopAll();
    left(2000);
    EXPECT_FALSE(set.isAnyPlaying());
    EXPECT_EQ(set.find(id)->getState(), 1);
}

TEST_F(ManagerTest, MasterMuteFadesMusicOutAndUnmutingPlaysItFromTheStart) {
    TBgm bgm;
    ASSERT_TRUE(bgm.open("bgm.ogg"));
    EXPECT_TRUE(bgm.lastWasOgg());
    ASSERT_TRUE(bgm.play(true));
    auto first = channel(pumpStream(device, *bgm.getStream(), 30000), 0);
    EXPECT_GT(rms(first), 1000);
    master.setMute(true);
    EXPECT_TRUE(bgm.isMute(true));
    EXPECT_FALSE(bgm.isMute(false));
    device.pump(4000);
    EXPECT_FALSE(bgm.isPlaying());
    EXPECT_EQ(bgm.getState(), 2);  // still wanted
    master.setMute(false);
    EXPECT_TRUE(bgm.isPlaying());
    auto again = channel(pumpStream(device, *bgm.getStream(), 30000), 0);
    EXPECT_EQ(again, first);
    // A WAVE file after Ogg: the other kind loads, and is tried first next time.
    writeFile(dir.str() + "/bgm.wav", waveImage(bytesOf(sine(44100, 2, 500, 10000, 44100)), 2, 44100, 16));
    ASSERT_TRUE(bgm.open("bgm.wav"));
    EXPECT_FALSE(bgm.lastWasOgg());
    EXPECT_FALSE(bgm.open("missing.ogg"));
    EXPECT_FALSE(bgm.play(false));
}

TEST_F(ManagerTest, MusicGroupsShareTheOwnersMuteAndVolume) {
    TBgm owner, a, b;
    a.setGroupOwner(&owner);
    b.setGroupOwner(&owner);
    ASSERT_TRUE(a.open("bgm.ogg"));
    a.play(true);
    owner.setGroupVolume(128);
    EXPECT_EQ(a.getVolume(true), 128);
    EXPECT_EQ(a.getStream()->getVolume(-1), volumeToDs(128));
    b.setGroupMute(true);  // passed to the owner
    EXPECT_TRUE(owner.isGroupMute(false));
    EXPECT_TRUE(a.isMute(true));
    EXPECT_TRUE(b.isMute(true));
    device.pump(4000);
    EXPECT_FALSE(a.isPlaying());
    owner.setGroupMute(false);
    EXPECT_TRUE(a.isPlaying());
    a.reset();
    owner.setGroupMute(true);
    EXPECT_FALSE(a.isMute(true));  // left the group
}

TEST(FrameSound, TheFramesDeviceMakesTheMixerAndGivesTheStoreItsOpener) {
    platform::headless::useManualAudio(true);
    mjtest::TempDir dir;
    TStorageGraph store;
    store.setBaseFolder(dir.str());
    writeFile(dir.str() + "/fx.ogg", encodeVorbis(sine(22050, 1, 800, 8000, 2205), 1, 22050));
    useSoundForFrames();
    std::unique_ptr<TFrameSound> sound = makeFrameSound();
    setFrameSoundMaker(nullptr);
    ASSERT_TRUE(sound->create(nullptr, 44100, 16, true));
    ASSERT_NE(TDirectSound::getDevice(), nullptr);
    EXPECT_EQ(TSound::instance(), &static_cast<TFrameSoundDevice&>(*sound).master());
    std::unique_ptr<TWave> wave(store.loadWave("fx.ogg"));
    ASSERT_TRUE(wave);
    wave->play(true);
    sound->pause();
    EXPECT_FALSE(wave->isPlaying());
    sound->resume();
    EXPECT_TRUE(wave->isPlaying());
    wave.reset();
    sound->destroy();
    EXPECT_EQ(TDirectSound::instance(), nullptr);
}
