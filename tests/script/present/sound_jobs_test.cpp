// Assembled scripts play effects, voices and music through the real sound manager and the
// manual mixer, fade them, wait for them, shake and fade the screen and play movies, on the
// manual clock; what is heard is measured, and saves taken mid-way finish as they would have.
#include "script/present/jobs/fade_jobs.h"
#include "script/present/jobs/wait_jobs.h"
#include "sound_job_fixture.h"

using namespace soundjobs;
using present::TQuakeDwarf;
using present::TVolumeFadeDwarf;

namespace {

// Keeps the story alive once its commands have run.
const std::string kIdle = "@idle:\n cmd 0x1101, 1000\n jmp @idle\n";

}  // namespace

TEST_F(SoundJobTest, EffectCommandsAreHeardAtTheirVolumesAndRefuseWhatNamesNoChannel) {
    start(
        "START:\n cmd 0x1601, 3, \"fx.wav\"\n cmd 0x1101, 100\n"
        " cmd 0x1603, 3, 128\n cmd 0x1601, 3, \"FX.WAV\", 8\n"
        " cmd 0x1601, 256, \"fx.wav\"\n cmd 0x1601, -1, \"fx.wav\"\n cmd 0x1603, 256, 7\n cmd 0x1605, -1\n"
        " cmd 0x1601, 5, \"missing.wav\"\n" +
        kIdle);
    frame();
    TSe* fx = engine.desk().channel(3);
    ASSERT_TRUE(fx->isPlaying());
    EXPECT_NEAR(level(), 1.0, 0.01);
    TWave* wave = fx->getWave();
    for (int i = 0; i < 8; ++i) frame();
    // Kept: the same file in other letters is not started again.
    EXPECT_EQ(fx->getWave(), wave);
    EXPECT_EQ(fx->getVolume(false), 128);
    EXPECT_NEAR(level(), gainOf(128), 0.01);
    EXPECT_TRUE(warned("1007", "missing.wav"));
    EXPECT_FALSE(engine.desk().channel(5)->isPlaying());
}

TEST_F(SoundJobTest, AFadeInRampsWhatIsHeardAndHoldsTheScriptOnlyWhenAskedTo) {
    start(
        "START:\n cmd 0x1604, 2, 500\n cmd 0x1601, 2, \"long.wav\", 6\n cmd 0x1601, 4, \"fx.wav\"\n"
        " cmd 0x1601, 6, \"long.wav\", 2, 50\n cmd 0x1101, 1000\n" +
        kIdle);
    frame();
    TSe* ramp = engine.desk().channel(2);
    for (int k = 1; k <= 5; ++k) {
        EXPECT_FALSE(engine.desk().channel(4)->isPlaying()) << "held at " << k;
        frame(100);
        const int volume = 255 * std::min(100 * k, 500) / 500;
        EXPECT_EQ(ramp->getVolume(false), volume);
        EXPECT_NEAR(level(5), gainOf(volume), 0.02) << k;
    }
    frame();
    EXPECT_TRUE(engine.desk().channel(4)->isPlaying());
    // Flags 2 alone do not hold: the wait after it ran in the same frame, and the 50 ms ramp is
    // the shortest there is.
    auto* fade6 = dynamic_cast<TVolumeFadeDwarf*>(engine.core()->standingJob(kJobSeFade0 + 6));
    EXPECT_EQ(fade6->Time, 100);
    frame(60);
    EXPECT_EQ(engine.desk().channel(6)->getVolume(false), 255 * 60 / 100);
    for (int t : {0, 50, 100, 101, 2000}) {
        fade6->fadeTo(nullptr, 10, 2, t);
        EXPECT_EQ(fade6->Time, std::max(t, 100)) << t;
    }
}

TEST_F(SoundJobTest, AFadeOutStopsTheSoundRestoresItsVolumeAndNeverWaitsForeverForItToStop) {
    start("START:\n cmd 0x1601, 1, \"long.wav\", 1\n cmd 0x1603, 1, 200\n cmd 0x1602, 1, 2, 0\n" + kIdle);
    frame();
    TSe* se = engine.desk().channel(1);
    ASSERT_TRUE(se->isPlaying());
    frame(50);
    EXPECT_EQ(se->getVolume(false), 100);
    // A device that renders nothing never reports the end of the stop fade.
    engine.ctx.device = nullptr;
    frame(60);
    EXPECT_FALSE(engine.core()->standingJob(kJobSeFade0 + 1)->isHold());
    EXPECT_EQ(engine.ctx.sleeps, 500);
    EXPECT_EQ(se->getVolume(false), 200);
    engine.ctx.device = &device;
    device.pump(44100 / 10);
    EXPECT_FALSE(se->isPlaying());
    EXPECT_NEAR(level(), 0.0, 0.001);
    // Stopping on a channel whose fade-out runs finishes that fade first.
    se->play(true);
    auto* job = dynamic_cast<TVolumeFadeDwarf*>(engine.core()->standingJob(kJobSeFade0 + 1));
    job->fadeOut(nullptr, 2, 1000);
    engine.core()->addDwarf(job);
    frame(500);
    EXPECT_LT(se->getVolume(false), 200);
    present::SoundCommands(engine, engine.ctx, engine.desk()).stopSe(nullptr, 1, 0, -1);
    EXPECT_TRUE(job->isFinished());
    EXPECT_EQ(se->getVolume(false), 200);
}

TEST_F(SoundJobTest, SkippingEndsARampWhereItStandsAndWaitsEndOnClicksSkipsAndLoops) {
    TG2Core& core = start(
        "START:\n cmd 0x1681, \"bgm.wav\", 7, 1000\n cmd 0x1601, 9, \"fx.wav\", 1\n"
        " cmd 0x1605, 9\n cmd 0x1620, \"long.wav\", 16\n cmd 0x1621\n"
        " cmd 0x1101, 0\n cmd 0x1601, 8, \"fx.wav\"\n" +
        kIdle);
    frame();
    frame(300);
    TBgm* bgm = engine.desk().bgm();
    EXPECT_EQ(bgm->getVolume(false), 255 * 300 / 1000);
    engine.status().skipMessage = true;
    core.setSuspendSkip(~0u, false);
    frame(100);
    EXPECT_TRUE(core.standingJob(kJobBgmFade)->isFinished());
    EXPECT_EQ(bgm->getVolume(false), 255) << "the fade in's end volume";
    engine.status().skipMessage = false;
    // The wait for a looping effect ends at once and silences it; the voice wait ends with a
    // click, which stops the voice and is not seen again.
    frame();
    device.pump(4410);
    EXPECT_FALSE(engine.desk().channel(9)->isPlaying());
    frame();
    ASSERT_TRUE(engine.desk().voice()->isPlaying());
    frame(100);
    EXPECT_TRUE(engine.desk().voice()->isPlaying());
    const int clears = host.clears;
    click();
    device.pump(4410);
    EXPECT_FALSE(engine.desk().voice()->isPlaying());
    EXPECT_GT(host.clears, clears);
    // A wait of 0 ms ends in its first step.
    frame();
    frame();
    EXPECT_TRUE(engine.desk().channel(8)->isPlaying());
}

TEST_F(SoundJobTest, VoicesMarkThePageAndLowerTheMusicFromItsOwnVolume) {
    engine.status().bgmLowWithVoice = true;
    TG2Core& core = start(
        "START:\n cmd 0x1681, \"bgm.wav\", 1\n cmd 0x1683, 200\n cmd 0x1620, \"voice.wav\"\n"
        " cmd 0x1621\n cmd 0x1620, \"voice.wav\", 16\n cmd 0x1621\n" +
        kIdle);
    frame();
    present::TG2DocFrame& page = *engine.document().getCurrentFrame();
    EXPECT_NE(page.text().find("\\v(voice.wav)"), std::string::npos);
    EXPECT_EQ(engine.desk().bgm()->getVolume(false), 127 * 200 / 255);
    // The voice plays for a second; the music comes back to its own volume when it ends.
    for (int i = 0; i < 11; ++i) frame(100), device.pump(4410);
    EXPECT_EQ(engine.desk().bgm()->getVolume(false), 200);
    const size_t marks = page.text().size();
    frame();
    EXPECT_EQ(page.text().size(), marks) << "flag 0x10: no mark";
    // A voice starting while the music is down does not lower it further.
    present::SoundCommands(engine, engine.ctx, engine.desk()).playVoice(nullptr, "voice.wav", 0x10, 0);
    EXPECT_EQ(engine.desk().bgm()->getVolume(false), 127 * 200 / 255);
    // With its speaker's voice off a voice is marked but neither played nor lowers the music.
    for (int i = 0; i < 12; ++i) frame(100), device.pump(4410);
    core.getActor(-1).voiceEnabled = false;
    present::SoundCommands(engine, engine.ctx, engine.desk()).playVoice(nullptr, "voice.wav", 0, 0);
    EXPECT_FALSE(engine.desk().voice()->isPlaying());
    EXPECT_EQ(engine.desk().bgm()->getVolume(false), 200);
}

TEST_F(SoundJobTest, AMusicFadeSavedMidWayGoesOnWithWhatWasLeft) {
    start("START:\n cmd 0x1681, \"bgm.wav\", 3, 2000\n" + kIdle);
    frame();
    frame(500);
    TBgm* bgm = engine.desk().bgm();
    EXPECT_EQ(bgm->getVolume(false), 255 * 500 / 2000);
    const std::string saved = save();
    frame(700);
    const int notLoaded = bgm->getVolume(false);
    load(saved);
    frame(700);
    EXPECT_EQ(bgm->getVolume(false), notLoaded);
    frame(800);
    EXPECT_TRUE(engine.core()->standingJob(kJobBgmFade)->isFinished());
    EXPECT_EQ(bgm->getVolume(false), 255);
    // A damaged save cannot make a ramp of no length.
    auto* job = dynamic_cast<TVolumeFadeDwarf*>(engine.core()->standingJob(kJobBgmFade));
    job->fadeTo(nullptr, 0, 2, 1000);
    job->Time = 0;
    const std::string bytes = present::testing::saveBytes([&](TValueExchange& x) { job->exchange(x); });
    present::testing::loadBytes(bytes, [&](TValueExchange& x) { job->exchange(x); });
    EXPECT_EQ(job->Time, TVolumeFadeDwarf::kMinTime);
}

TEST_F(SoundJobTest, TheQuakeSwingsAlongItsDirectionAndASaveMidWayEndsOnTime) {
    TG2Core& core = start("START:\n cmd 0x1901, 3, 200, 40, 0\n cmd 0x1601, 1, \"fx.wav\"\n" + kIdle);
    present::TG2Graphic& layer = engine.layer();
    auto* quake = dynamic_cast<TQuakeDwarf*>(core.standingJob(kJobQuake));
    frame();
    EXPECT_EQ(quake->AmpY, 0);
    EXPECT_EQ(quake->AmpX, 40);
    int maxX = 0;
    for (uint32_t t = 0; t < 600; t += 10) maxX = std::max(maxX, std::abs(quake->offsetAt(t).x));
    EXPECT_LE(maxX, 48) << "at most 1.2 times the amplitude";
    EXPECT_GT(maxX, 40);
    EXPECT_EQ(quake->offsetAt(600).x, 0);
    frame(250);
    EXPECT_EQ(layer.graphics::TGrObj::getPos().x, quake->offsetAt(250).x);
    const std::string saved = save();
    load(saved);
    frame(300);
    EXPECT_FALSE(engine.desk().channel(1)->isPlaying());
    EXPECT_EQ(layer.graphics::TGrObj::getPos().x, quake->offsetAt(550).x);
    frame(60);
    EXPECT_TRUE(quake->isFinished());
    EXPECT_EQ(layer.graphics::TGrObj::getPos(), (graphics::POINT{0, 0}));
    frame();
    EXPECT_TRUE(engine.desk().channel(1)->isPlaying());
    // Directions turn modulo 360 and any amplitude, period and count stay in range.
    for (int d : {90, 450, -270}) {
        quake->begin(nullptr, 1, 100, 40, d, true);
        EXPECT_EQ(quake->AmpX, 0) << d;
        EXPECT_EQ(quake->AmpY, 40) << d;
    }
    quake->begin(nullptr, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MIN, false);
    quake->offsetAt(UINT32_MAX);
    quake->begin(nullptr, 0, -5, 40, 180, false);
    EXPECT_EQ(quake->Count, 1);
    EXPECT_EQ(quake->Period, 1);
}

TEST_F(SoundJobTest, TheScreenFadeReachesItsColourAClickEndsItAndASaveResumesIt) {
    TG2Core& core = start(
        "START:\n cmd 0x1911, 1000, 0x102030\n cmd 0x1601, 1, \"fx.wav\"\n"
        " cmd 0x1910, 400, 0\n cmd 0x1601, 2, \"fx.wav\"\n" +
        kIdle);
    graphics::TFade& fade = engine.layer().getFade();
    frame();
    EXPECT_EQ(fade.colour(), 0xFF102030u);
    frame(400);
    EXPECT_NEAR(fade.level(), 255 * 400 / 1000, 1);
    const std::string saved = save();
    frame(300);
    const int32_t notLoaded = fade.level();
    load(saved);
    EXPECT_NEAR(fade.level(), 255 * 400 / 1000, 1);
    frame(300);
    EXPECT_EQ(fade.level(), notLoaded);
    for (int i = 0; i < 5 && !core.standingJob(kJobFade)->isFinished(); ++i) frame(100);
    EXPECT_EQ(fade.level(), 255);
    frame();
    EXPECT_TRUE(engine.desk().channel(1)->isPlaying());
    // The fade back to the picture: a click ends it at once, and the click is used up.
    frame(100);
    EXPECT_GT(fade.level(), 0);
    click();
    EXPECT_EQ(fade.level(), 0);
    EXPECT_EQ(host.state.words[3], 0u);
    frame();
    EXPECT_TRUE(engine.desk().channel(2)->isPlaying());
}

TEST_F(SoundJobTest, MoviesHoldTheScriptUntilTheyCloseOrAClickEndsThem) {
    engine.status().bgmVolume = 128;
    start(
        "START:\n cmd 0x16a0, \"movie.mpg\"\n cmd 0x16a2, 10, 20\n cmd 0x16a0, \"movie.mpg\", 3\n"
        " cmd 0x16a0, \"missing.mpg\", 1\n cmd 0x1601, 1, \"fx.wav\"\n" +
        kIdle);
    FakeMedia& movie = engine.desk().movie;
    frame();
    EXPECT_EQ(movie.volume, volumeToDs(128));
    EXPECT_EQ(movie.opened.size(), 1u);
    click();
    EXPECT_TRUE(movie.isOpen()) << "flags 0: a click does not end it";
    movie.stop();
    frame();
    frame();
    EXPECT_EQ(movie.rect, (std::vector<int>{10, 20, 320, 240}));
    EXPECT_EQ(movie.opened.size(), 2u);
    // Flags 3: the script runs on, and a click ends the movie.
    ASSERT_TRUE(movie.isOpen());
    click();
    EXPECT_FALSE(movie.isOpen());
    // A movie that cannot be opened warns, and its job ends at once.
    frame();
    EXPECT_TRUE(warned("100a", "missing.mpg"));
    frame();
    EXPECT_TRUE(engine.desk().channel(1)->isPlaying());
    // Without a player of the music's own the movies play on the graphic layer's.
    engine.desk().ownMovie = false;
    EXPECT_EQ(engine.ctx.media(), &engine.layer().getMedia());
}

TEST_F(SoundJobTest, CdTracksSwitchOnlyWhenAnotherIsAskedFor) {
    start("START:\n cmd 0x1691, 4\n cmd 0x1691, 4, 1\n cmd 0x1691, 5, 1\n cmd 0x1693, 99\n" + kIdle);
    frame();
    TestMusic& m = engine.desk();
    EXPECT_EQ(m.cdStarts, 2);
    EXPECT_EQ(m.track, 5);
    EXPECT_TRUE(m.cdLoop);
    EXPECT_EQ(m.cdVolume, 99);
}
