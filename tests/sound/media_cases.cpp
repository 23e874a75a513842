// Movies made by ffmpeg in the test run: pictures at the set rectangle, sound in the mixer, the
// end closing the movie, and opening again.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/clock.h"
#include "sound/direct_sound.h"
#include "sound/media.h"
#include "sound_fixtures.h"
#include "support/test_support.h"

using namespace soundtest;

namespace {

class MediaTest : public ::testing::Test {
protected:
    ManualDevice device;
    mjtest::TempDir dir;
    platform::ManualClock clock{1000};
    std::string movie, silent;
    std::vector<uint32_t> first;  // the first picture as ffmpeg decodes it, 160 × 120
    void SetUp() override {
        if (!haveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
        platform::setClock(&clock);
        movie = dir.str() + "/movie.avi";
        silent = dir.str() + "/silent.avi";
        const std::string pattern = "-f lavfi -i testsrc=duration=2:size=160x120:rate=25 ";
        ASSERT_TRUE(run("ffmpeg -v error -y " + pattern +
                        "-f lavfi -i sine=frequency=440:duration=2:sample_rate=44100 -c:v mpeg4 -q:v 2 "
                        "-c:a pcm_s16le -shortest '" +
                        movie + "'"));
        ASSERT_TRUE(run("ffmpeg -v error -y " + pattern + "-c:v mpeg4 -q:v 2 -an '" + silent + "'"));
        const std::string raw = dir.str() + "/first.raw";
        ASSERT_TRUE(run("ffmpeg -v error -y -i '" + movie + "' -frames:v 1 -f rawvideo -pix_fmt bgra '" + raw + "'"));
        auto bytes = readFile(raw);
        ASSERT_EQ(bytes.size(), 160u * 120 * 4);
        first.resize(160 * 120);
        std::memcpy(first.data(), bytes.data(), bytes.size());
    }
    void TearDown() override { platform::setClock(nullptr); }
    // Mean difference per channel between the frame buffer at (x, y) and the first picture.
    double differenceFromFirst(const TMediaFrameBuffer& fb, int x, int y) const {
        double sum = 0;
        for (int j = 0; j < 120; ++j)
            for (int i = 0; i < 160; ++i) {
                const uint32_t a = fb.at(x + i, y + j), b = first[j * 160 + i];
                for (int s = 0; s < 24; s += 8)
                    sum += std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF));
            }
        return sum / (160.0 * 120 * 3);
    }
};

}  // namespace

TEST_F(MediaTest, FirstPictureAtTheRectangleSoundInTheMixerThenTheEndAndOpenAgain) {
    TMedia media;
    ASSERT_TRUE(media.open(movie));
    EXPECT_TRUE(media.hasAudio());
    EXPECT_EQ(media.frameWidth(), 160);
    EXPECT_EQ(media.getVolume(), 0);
    EXPECT_EQ(media.setVolume(-600), 0);
    media.setRect(30, 20, -1, -1);
    TMediaFrameBuffer fb(400, 300, 0xFF123456u);
    ASSERT_TRUE(media.play());
    ASSERT_TRUE(media.drawFrame(&fb, 5, 7));
    // The movie's own size at (x, y) + offset; nothing outside it.
    EXPECT_LT(differenceFromFirst(fb, 35, 27), 3.0);
    EXPECT_EQ(fb.at(34, 27), 0xFF123456u);
    EXPECT_EQ(fb.at(35 + 160, 27 + 119), 0xFF123456u);
    EXPECT_NE(fb.at(35 + 159, 27 + 119), 0xFF123456u);

    // Run it to its end, frame by frame, with the sound pumped at the same pace.
    std::vector<int16_t> heard;
    int frames = 0;
    while (media.drawFrame(&fb, 0, 0) && frames < 200) {
        clock.advance(16);
        auto block = device.pump(44100 * 16 / 1000);
        heard.insert(heard.end(), block.begin(), block.end());
        ++frames;
    }
    EXPECT_FALSE(media.isOpen());
    EXPECT_NEAR(frames, 2000 / 16, 4);
    auto left = channel(heard, 0);
    std::vector<int16_t> middle(left.begin() + 22050, left.begin() + 66150);
    EXPECT_NEAR(frequencyOf(middle, 44100), 440, 3);
    // A sine of 0.125 full scale at -600: the level follows the set volume.
    EXPECT_NEAR(rms(middle) / (32768 * 0.125 / std::sqrt(2.0)), std::pow(10.0, -600 / 2000.0), 0.05);

    ASSERT_TRUE(media.open(movie));
    EXPECT_TRUE(media.drawFrame(&fb, 0, 0));
}

TEST_F(MediaTest, SilentMovieScalesToTheRectangleAndReopensOnANewDisplay) {
    TMedia media;
    ASSERT_TRUE(media.open(silent));
    EXPECT_FALSE(media.hasAudio());
    EXPECT_EQ(media.getVolume(), -1);
    EXPECT_EQ(media.setVolume(0), -1);
    media.setRect(0, 0, 80, 60);
    TMediaFrameBuffer fb(200, 200, 0);
    media.play();
    ASSERT_TRUE(media.drawFrame(&fb, 0, 0));
    EXPECT_NE(fb.at(79, 59), 0u);
    EXPECT_EQ(fb.at(80, 59), 0u);
    EXPECT_EQ(fb.at(79, 60), 0u);
    int l, t, r, b;
    media.getRect(l, t, r, b);
    EXPECT_EQ(r, 80);
    clock.advance(1000);
    media.drawFrame(&fb, 0, 0);
    // A new display opens the movie again from its start.
    media.setDirectDraw(&fb);
    EXPECT_TRUE(media.isOpen());
    EXPECT_FALSE(media.isRunning());
    media.setRect(0, 0, -1, -1);
    ASSERT_TRUE(media.drawFrame(&fb, 0, 0));
    EXPECT_LT(differenceFromFirst(fb, 0, 0), 3.0);
    // Pausing holds the time.
    media.play();
    media.pause();
    clock.advance(5000);
    EXPECT_TRUE(media.drawFrame(&fb, 0, 0));
    EXPECT_TRUE(media.isOpen());
    EXPECT_FALSE(media.open(dir.str() + "/missing.avi"));
    EXPECT_FALSE(media.isOpen());
    EXPECT_FALSE(media.drawFrame(&fb, 0, 0));
}

TEST_F(MediaTest, PicturesFollowTheSoundThatHasPlayed) {
    TMedia media;
    ASSERT_TRUE(media.open(movie));
    TMediaFrameBuffer fb(160, 120);
    media.play();
    ASSERT_TRUE(media.drawFrame(&fb, 0, 0));
    EXPECT_LT(differenceFromFirst(fb, 0, 0), 3.0);
    // The program's clock alone does not move a movie with sound on.
    clock.advance(1000);
    ASSERT_TRUE(media.drawFrame(&fb, 0, 0));
    EXPECT_LT(differenceFromFirst(fb, 0, 0), 3.0);
    // A second of sound heard: the picture of one second is on show.
    for (int i = 0; i < 10; ++i) {
        device.pump(4410);
        media.drawFrame(&fb, 0, 0);
    }
    EXPECT_GT(differenceFromFirst(fb, 0, 0), 3.0);
    EXPECT_TRUE(media.isOpen());
}

// A movie file claiming a picture past the budget is refused at once, before a frame is
// decoded: a complete one, and the kept one that holds little more than its headers. A full-HD
// picture is within the budget.
TEST_F(MediaTest, MoviesClaimingPicturesPastTheBudgetAreRefusedBeforeDecoding) {
    const std::string huge = dir.str() + "/huge.avi", hd = dir.str() + "/hd.avi";
    ASSERT_TRUE(
        run("ffmpeg -v error -y -f lavfi -i color=c=gray:size=4094x4094:duration=0.2:rate=5 -c:v mpeg4 "
            "-q:v 31 '" +
            huge + "'"));
    ASSERT_TRUE(
        run("ffmpeg -v error -y -f lavfi -i color=c=gray:size=1920x1080:duration=0.2:rate=5 -c:v mpeg4 "
            "-q:v 31 '" +
            hd + "'"));
    TMedia media;
    for (const std::string& file : {huge, (mjtest::sourceDir() / "tests/sound/data/claims_4094_square.avi").string()}) {
        const mjtest::MemoryUse use = mjtest::measureMemory([&] { return !media.open(file) && !media.isOpen(); });
        ASSERT_TRUE(use.finished);
        EXPECT_TRUE(use.result) << file;
        EXPECT_LT(use.peakGrowth, int64_t{32} << 20);
    }
    ASSERT_TRUE(media.open(hd));
    EXPECT_EQ(media.frameWidth(), 1920);
}

// Stretched past the target, a movie shows what scaling it whole and cutting out the target's
// part shows (a script's far larger rectangles: the presentation's tests).
TEST_F(MediaTest, ARectangleLargerThanTheTargetMakesOnlyItsPartOnTheTarget) {
    TMedia media;
    ASSERT_TRUE(media.open(silent));
    media.play();
    TMediaFrameBuffer whole(320, 240, 0), part(160, 120, 0);
    media.setRect(0, 0, 320, 240);
    ASSERT_TRUE(media.drawFrame(&whole, 0, 0));
    media.setRect(-90, -40, 320, 240);
    ASSERT_TRUE(media.drawFrame(&part, 10, -20));
    double sum = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
            for (int s = 0; s < 24; s += 8)
                sum += std::abs(static_cast<int>((part.at(x, y) >> s) & 0xFF) -
                                static_cast<int>((whole.at(x + 80, y + 60) >> s) & 0xFF));
    EXPECT_LT(sum / (160.0 * 120 * 3), 3.0);

    media.setRect(INT32_MAX - 5, 0, INT32_MAX, 10);
    EXPECT_FALSE(media.drawFrame(&part, 100, 0)) << "wholly off the target";
}
