// The engine's sound: channels by number, the player's volume settings on top of the sound
// manager's, what a save keeps and what a load plays again, the CD's recorded state, and music
// and effects started and stopped through the real mixer and measured.
#include "script/present/sound/music.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "framework/frame_services.h"
#include "platform/audio_device.h"
#include "platform/audio_mixer.h"
#include "script/g2_error.h"
#include "script/g2_status.h"
#include "script/value_exchange.h"
#include "sound/direct_sound.h"
#include "sound/frame_sound.h"
#include "sound/wave_stream.h"
#include "storage/storage.h"
#include "support/test_support.h"

using namespace present;

namespace {

// A mono 16-bit WAVE file of a sine.
void writeSine(const std::string& path, int ms, double hz) {
    const uint32_t rate = 22050, n = rate * static_cast<uint32_t>(ms) / 1000;
    std::string data;
    for (uint32_t i = 0; i < n; ++i) {
        const auto s = static_cast<int16_t>(12000 * std::sin(2 * M_PI * hz * i / rate));
        data += static_cast<char>(s & 0xFF);
        data += static_cast<char>((s >> 8) & 0xFF);
    }
    auto u32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto u16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    const std::string file = "RIFF" + u32(36 + n * 2) + "WAVEfmt " + u32(16) + u16(1) + u16(1) + u32(rate) +
                             u32(rate * 2) + u16(2) + u16(16) + "data" + u32(n * 2) + data;
    std::ofstream(path, std::ios::binary) << file;
}

std::string saveOf(TG2Music& m) {
    TMemoryStream s;
    {
        TValueExchange x(&s, true);
        m.exchange(x);
    }
    std::string bytes(s.size(), '\0');
    s.seek(0, 0);
    s.read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return bytes;
}

void loadInto(TG2Music& m, const std::string& bytes) {
    TMemoryStream s;
    s.write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    s.seek(0, 0);
    TValueExchange x(&s, false);
    m.exchange(x);
}

// The sound device over the manual mixer, the store's opener and two files.
class Sounding : public ::testing::Test {
protected:
    void SetUp() override {
        platform::headless::useManualAudio(true);
        store.setBaseFolder(dir.str());
        writeSine(dir.str() + "/fx.wav", 300, 440);
        writeSine(dir.str() + "/bgm.wav", 4000, 220);
        useSoundForFrames();
        device = makeFrameSound();
        setFrameSoundMaker(nullptr);
        ASSERT_TRUE(device->create(nullptr, 44100, 16, true));
        music = std::make_unique<TG2Music>(status);
        music->init(&static_cast<TFrameSoundDevice&>(*device).master());
    }
    void TearDown() override {
        music.reset();
        device->destroy();
    }
    // The loudness of the next frames of output.
    double loudness(uint32_t frames) {
        std::vector<int16_t> out(frames * 2);
        platform::audio::Mixer* mixer = TDirectSound::getDevice();
        uint32_t done = 0;
        while (done < frames) {
            const uint32_t n = std::min<uint32_t>(frames - done, 2048);
            mixer->render(out.data() + done * 2, n);
            done += n;
            if (TWaveStream* s = music->music().getStream())
                if (auto signal = s->refillSignal())
                    for (int tries = 0; tries < 500 && s->isPlaying() && !signal->waitUntilIdle(10); ++tries) {}
        }
        double sum = 0;
        for (int16_t v : out) sum += double(v) * v;
        return std::sqrt(sum / static_cast<double>(out.size()));
    }

    mjtest::TempDir dir;
    TStorageGraph store;
    TG2Status status;
    std::unique_ptr<TFrameSound> device;
    std::unique_ptr<TG2Music> music;
};

}  // namespace

TEST(G2Music, ChannelsByNumberAndTheSettingsOnTopOfTheManager) {
    TG2Status status;
    TG2Music music(status);
    music.init(nullptr);
    EXPECT_TRUE(music.getChannel(255)->isVoice());
    EXPECT_FALSE(music.getChannel(254)->isVoice());
    EXPECT_EQ(music.getChannel(256), nullptr);
    EXPECT_EQ(music.getChannel(-1), nullptr);
    music.getChannel(3)->setVolume(200);
    music.setVolume(1, 128);  // effects at half
    EXPECT_EQ(music.getChannel(3)->getVolume(true), 200 * 128 / 255);
    EXPECT_EQ(music.getChannel(255)->getVolume(true), 255) << "the voice has a setting of its own";
    status.voiceMute = true;
    EXPECT_TRUE(music.getChannel(255)->isMute(true));
    music.setVolume(2, 100);
    EXPECT_EQ(music.music().getVolume(true), 100);
    music.setVolume(3, 7);
    EXPECT_EQ(status.cdVolume, 7);
    EXPECT_EQ(TG2Music::getVolumeSetting(status, 5), 0);
    EXPECT_FALSE(TG2Music::getMuteSetting(status, 5));
}

TEST(G2Music, ASaveKeepsUsedChannelsAndTheCdAsRecorded) {
    TG2Status status;
    TG2Music music(status);
    music.init(nullptr);
    const std::string fresh = saveOf(music);
    // After a reset: "SEID" -1 at once, then the voice, the music and the CD.
    music.getChannel(5)->setVolume(100);  // never played, still kept
    music.getChannel(9)->setName("gone.wav", false);
    const std::string used = saveOf(music);
    EXPECT_GT(used.size(), fresh.size());
    music.cd().mute = true;
    music.cd().play(4, true);
    EXPECT_TRUE(music.cd().playing && music.cd().track == 4) << "recorded, the device not started";
    const std::string withCd = saveOf(music);

    TG2Music loaded(status);
    loaded.init(nullptr);
    loadInto(loaded, withCd);
    EXPECT_EQ(loaded.getChannel(5)->TSe::getVolume(false), 100);
    EXPECT_EQ(loaded.getChannel(5)->getState(), 1);
    EXPECT_EQ(loaded.getChannel(9)->getName(), "gone.wav");
    EXPECT_FALSE(loaded.cd().playing) << "the device did not play, so the CD was saved stopped";
    EXPECT_EQ(saveOf(loaded), withCd) << "saved, loaded and saved again: the same bytes";
    loaded.cd().mute = true;
    loaded.reset();
    EXPECT_TRUE(loaded.cd().mute) << "a reset keeps the CD mute";
    EXPECT_EQ(loaded.cd().volume, 255);
    // A channel number no channel has is not a save the music wrote.
    std::string bad = fresh;
    bad[2] = 0x2C, bad[3] = 0x01;  // "SEID" 300
    EXPECT_THROW(loadInto(loaded, bad), TError);
}

TEST_F(Sounding, MusicAndEffectsAreHeardAndALoadPlaysAgainOnlyWhatShould) {
    EXPECT_LT(loudness(4410), 1.0);
    ASSERT_TRUE(music->music().open("bgm.wav"));
    music->music().play(true);
    const double full = loudness(8820);
    EXPECT_GT(full, 3000);
    music->setVolume(2, 64);  // about -17.6 dB
    const double low = loudness(8820);
    EXPECT_NEAR(low / full, std::pow(10.0, volumeToDs(64) / 2000.0), 0.05);
    music->music().stop();
    loudness(4410);  // the stop's short fade
    EXPECT_LT(loudness(4410), 1.0);

    music->music().play(true);
    TG2Se& voice = *music->getChannel(255);
    ASSERT_TRUE(voice.setName("fx.wav", true));
    voice.play(false);
    TG2Se& loop = *music->getChannel(2);
    ASSERT_TRUE(loop.setName("fx.wav", true));
    loop.play(true);
    TG2Se& ended = *music->getChannel(3);
    ASSERT_TRUE(ended.setName("fx.wav", true));
    ended.play(false);
    loudness(4410);
    const std::string saved = saveOf(*music);  // the voice and channel 3 still sound
    loudness(22050);                           // channel 3 ends
    const std::string later = saveOf(*music);

    music->reset();
    loudness(4410);  // the stops' short fades
    EXPECT_LT(loudness(4410), 1.0) << "a reset stops everything";
    loadInto(*music, saved);
    EXPECT_TRUE(music->bgmPlaying());
    EXPECT_TRUE(music->sePlaying(2)) << "a looping effect plays again";
    EXPECT_TRUE(music->sePlaying(3));
    EXPECT_FALSE(music->voicePlaying()) << "a voice that does not loop belongs to its moment";
    EXPECT_GT(loudness(4410), 3000);
    loadInto(*music, later);
    EXPECT_FALSE(music->sePlaying(3)) << "an effect that had ended was saved stopped";
    EXPECT_EQ(music->getChannel(3)->getState(), 1);
}
