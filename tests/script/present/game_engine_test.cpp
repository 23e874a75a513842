// Stories on the game's own engine: what the sprite, fade, voice and CD commands do to the
// composed screen, the mixer and the image table, seen as a player would see and hear them.
#include "game_engine_fixture.h"

#include "script/img_disp.h"
#include "script/present/jobs/fade_jobs.h"
#include "script/present/transition/engine_graphic.h"
#include "script/present/graphic/graphic.h"
#include "script/resource_bank.h"

using namespace present;
using present::testing::GameEngineTest;

namespace {

// The grey a white screen shows under a black cover at a level.
uint32_t greyUnder(int level) {
    const uint32_t v = static_cast<uint32_t>(255 - level);
    return v << 16 | v << 8 | v;
}

int channelOf(uint32_t rgb) { return static_cast<int>(rgb & 0xFF); }

}  // namespace

TEST_F(GameEngineTest, AFadeOutCoversTheComposedScreenUntilAFadeInTakesItAway) {
    start(R"(
START:
    cmd 0x1503, 0, 0xFFFFFF
    cmd 0x1911, 400, 0
    cmd 0x1101, 1000
    cmd 0x1910, 400, 0
    cmd 0x1101, 1000
    ret
)");
    // The white screen is a new picture: its frame ends there, and the fade starts in the next.
    frame();
    EXPECT_EQ(pixel(400, 300), 0xFFFFFFu);
    frame();
    // Half way the screen is half dark, whatever lies on it; at the end black, and it stays so
    // through the second that follows.
    frames(12);
    const int half = channelOf(pixel(400, 300));
    EXPECT_NEAR(half, channelOf(greyUnder(255 * 192 / 400)), 3);
    EXPECT_EQ(pixel(10, 590), pixel(400, 300));
    frames(20);
    for (int i = 0; i < 50; ++i) {
        frame(16);
        ASSERT_EQ(pixel(400, 300), 0u) << "frame " << i;
    }
    // A save's thumbnail is the scene without the cover.
    graphics::TSurface32 thumb;
    ASSERT_TRUE(thumb.createFilled(96, 72, 0));
    engine.core()->renderThumbnail(thumb);
    EXPECT_EQ(thumb.getPixel(48, 36) & 0xFFFFFF, 0xFFFFFFu);
    frame();
    EXPECT_EQ(pixel(400, 300), 0u);
    // After the wait the fade in brings the picture back over its own time.
    int waited = 0;
    while (pixel(400, 300) == 0 && waited++ < 100) frame();
    frames(11);
    const int back = channelOf(pixel(400, 300));
    EXPECT_NEAR(back, 255 * 192 / 400, 12);
    frames(20);
    EXPECT_EQ(pixel(400, 300), 0xFFFFFFu);
}

TEST_F(GameEngineTest, TheMusicGoesDownUnderAnActorsVoiceAndComesBackWhenItEnds) {
    engine.status().bgmLowWithVoice = true;
    start(R"(
START:
    cmd 0x1681, "bgm.wav", 1
    cmd 0x1101, 200
    cmd 0x2104, 0, "quiet.wav"
    cmd 0x1101, 3000
    ret
)");
    frame();
    const double alone = level();
    EXPECT_GT(alone, 0.5);
    for (int i = 0; i < 30 && music().voiceName().empty(); ++i) frame();
    ASSERT_TRUE(music().voicePlaying());
    // The silent voice leaves only the music to hear: lowered to the share the setting gives.
    EXPECT_NEAR(level() / alone, gainOf(127 * 255 / 255), 0.02);
    for (int i = 0; i < 8 && music().voicePlaying(); ++i) frame(100), device.pump(4410);
    EXPECT_FALSE(music().voicePlaying());
    frame();
    EXPECT_NEAR(level() / alone, 1.0, 0.02);
}

TEST_F(GameEngineTest, MusicAskedForWhileThePlayerMutesItIsNotWarnedAboutAndIsHeardOnceUnmuted) {
    engine.status().bgmMute = true;
    start(R"(
START:
    cmd 0x1681, "bgm.wav", 1
    cmd 0x1101, 3000
    ret
)");
    frame();
    EXPECT_FALSE(warned("1009"));
    EXPECT_EQ(music().bgmName(), "bgm.wav");
    EXPECT_LT(level(), 0.01);
    // The settings change and the music's volume is applied again, as the system screen does.
    engine.status().bgmMute = false;
    music().setVolume(2, engine.status().bgmVolume);
    frame();
    EXPECT_GT(level(), 0.5);
}

TEST_F(GameEngineTest, AnActorsVoiceFadesInOverTheVoiceFadeTimeAndEndsAFadeStillRunning) {
    start(R"(
START:
    cmd 0x1620, "long.wav"
    cmd 0x1624, 2, 2000
    cmd 0x1101, 100
    cmd 0x2104, 0, "long.wav", 2
    cmd 0x1101, 1000
    cmd 0x2104, 0, "voice.wav", 2, 600
    cmd 0x1101, 1000
    ret
)");
    auto* fade = dynamic_cast<TVolumeFadeDwarf*>(engine.core()->standingJob(kJobVoiceFade));
    ASSERT_NE(fade, nullptr);
    // The first frame shows the story's first picture; the voice's fade out starts within a few.
    for (int i = 0; i < 5 && fade->Type != TVolumeFadeDwarf::kOut; ++i) frame();
    TSe* voice = music().getChannel(255);
    const double whole = level();
    EXPECT_EQ(fade->Type, TVolumeFadeDwarf::kOut);
    // The voice was fading out when the actor spoke: that fade ended, and the actor's voice
    // comes up from silence to the actor's volume over the voice fade job's own time.
    auto fadingIn = [&] { return !fade->isFinished() && fade->Type == TVolumeFadeDwarf::kIn; };
    for (int i = 0; i < 30 && !fadingIn(); ++i) frame();
    ASSERT_TRUE(fadingIn());
    EXPECT_TRUE(voice->isPlaying());
    const int32_t ms = music().voiceFadeTime();
    EXPECT_EQ(ms, 300);
    frame(ms / 2);
    EXPECT_NEAR(voice->getVolume(false), 127 / 2, 2);
    device.pump(882);  // the mixer glides to a new volume over a few milliseconds
    EXPECT_NEAR(level(5) / whole, gainOf(voice->getVolume(false)), 0.02);
    frame(ms);
    EXPECT_EQ(voice->getVolume(false), 127);
    // A time given with the command is the fade's own.
    for (int i = 0; i < 100 && voice->getName() != "voice.wav"; ++i) frame();
    ASSERT_TRUE(fadingIn());
    frame(300);
    EXPECT_NEAR(voice->getVolume(false), 127 / 2, 2);
}

TEST_F(GameEngineTest, AClickThatFadesTheVoiceLetsItDieAwayInsteadOfCuttingIt) {
    TG2Core& core = start(R"(
START:
    cmd 0x1620, "long.wav"
    text "a"
    cmd 0x1103
    cmd 0x1101, 2000
    ret
)");
    auto* click = dynamic_cast<EngineJobControls*>(core.standingJob(kJobClick));
    ASSERT_NE(click, nullptr);
    click->setStopType(2);
    frames(10);
    EXPECT_NEAR(level(), 1.0, 0.02);
    player.click();
    frame();
    // Just after the click the voice still sounds, lower; the default fade time later it is gone.
    ASSERT_TRUE(music().voicePlaying());
    frame(150);
    const double half = level(5);
    EXPECT_GT(half, 0.1);
    EXPECT_LT(half, 0.9);
    frames(20);
    EXPECT_FALSE(music().voicePlaying());
    EXPECT_EQ(music().getChannel(255)->getVolume(false), 255) << "the next voice starts at its own volume";
}

TEST_F(GameEngineTest, APictureShownBySpriteCommandsIsSeenForTheGallery) {
    store.texts["imgdisp.ini"] = "100001,ev01.bmp\n100002,ev02.bmp\n100003,ev03.as\n";
    store.texts["ev03.as"] = "0 i ev02.bmp 0 0\r\n";
    store.pictures["ev01.bmp"] = {800, 600, 0xFF00FF00u};
    store.pictures["ev02.bmp"] = {800, 600, 0xFF0000FFu};
    engine.status().imgDisp = "imgdisp.ini";
    TG2Core& core = start(R"(
START:
    cmd 0x1501, 10, "ev01.bmp;tx00ff00", 0, 0
    cmd 0x1101, 100
    cmd 0x1502, 10
    cmd 0x1501, 11, "ev03.as", 0, 0
    cmd 0x1101, 100
    ret
)");
    const TG2ImgDisp& table = core.getImgDisp();
    EXPECT_FALSE(table.isSeen(100001));
    frames(3);
    EXPECT_EQ(pixel(400, 300), 0x00FF00u);
    EXPECT_TRUE(table.isSeen(100001)) << "marked by its file name, the options left out";
    EXPECT_FALSE(table.isSeen(100002));
    // One maker, the engine's, made the picture.
    EXPECT_EQ(engine.graphicPart()->host().spriteMaker().fileName(), "ev01.bmp");
    frames(10);
    EXPECT_TRUE(table.isSeen(100001)) << "and it stays seen when the picture goes";
    // An animation is seen by its own name, whatever pictures it loads while it is made.
    EXPECT_EQ(pixel(400, 300), 0x0000FFu);
    EXPECT_TRUE(table.isSeen(100003));
    EXPECT_FALSE(table.isSeen(100002));
}

TEST_F(GameEngineTest, SpritesFollowTheMessageWindowBackgroundElementsTheirPreparedStateAndBanksTheirCommands) {
    store.pictures["red.bmp"] = {800, 600, 0xFFFF0000u};
    store.pictures["blue.bmp"] = {800, 600, 0xFF0000FFu};
    start(R"(
START:
    cmd 0x1501, 1, "red.bmp", 0, 0
    cmd 0x1501, 2, "blue.bmp", 0, 0
    cmd 0x1101, 50
    cmd 0x1511, 2, 1
    cmd 0x1021
    cmd 0x1101, 200
    cmd 0x1540, 5, 0
    cmd 0x154b, 5, -3
    cmd 0x1541, 6, "blue.bmp", 0, 0
    cmd 0x1550
    cmd 0x1101, 50
    cmd 0x15a1, "red.bmp"
    cmd 0x1101, 50
    ret
)");
    TG2Graphic& layer = engine.graphicPart()->graphic();
    frames(5);
    EXPECT_EQ(pixel(400, 300), 0x0000FFu) << "sprite 2 over sprite 1";
    // Tied to the message window, sprite 2 hides while the player hides the window.
    for (int i = 0; i < 10 && layer.getSprite(2).Connect != 1; ++i) frame();
    EXPECT_EQ(layer.getSprite(2).Connect, 1);
    frame();
    player.in.words[3] = engine.status().textOffKeyMask;
    frame();
    frame();
    EXPECT_EQ(pixel(400, 300), 0xFF0000u);
    player.click();
    frame();
    frame();
    EXPECT_EQ(pixel(400, 300), 0x0000FFu);
    // A background element takes what its prepared half was given when it is committed; a depth
    // outside the flattening's layers is kept within them.
    for (int i = 0; i < 40 && layer.getBgSprite(5).Visible; ++i) frame();
    EXPECT_FALSE(layer.getBgSprite(5).Visible);
    EXPECT_EQ(layer.getBgSprite(5).Depth, 0);
    // The reference sprite 1 holds on its picture is given back by name.
    graphics::TSurface32* red = dynamic_cast<graphics::TSprObj*>(layer.getSprite(1).SprObj)->getSurface();
    EXPECT_EQ(engine.getSurfaceBank().refCount(red), 1);
    for (int i = 0; i < 10 && engine.getSurfaceBank().refCount(red) != 0; ++i) frame();
    EXPECT_EQ(engine.getSurfaceBank().refCount(red), 0);
    // Ending the engine gives the background's elements back to the engine's own bank, while it
    // is still the bank the pictures are released to.
    graphics::TSurface32* blue = dynamic_cast<graphics::TSprObj*>(layer.getBgSprite(6).SprObj)->getSurface();
    EXPECT_GT(engine.getSurfaceBank().refCount(blue), 0);
    engine.graphic()->term();
    EXPECT_EQ(engine.getSurfaceBank().refCount(blue), 0);
}

// A sprite-data character zoomed by the script reports, on the way, the size it is drawn at.
TEST_F(GameEngineTest, ASpriteDataCharacterZoomedByTheScriptReportsTheSizeItIsDrawnAt) {
    store.pictures["tex0.bmp"] = {64, 64, 0xFFFF0000u};
    store.texts["ch.wsd"] =
        "[FileInfo]\nkind=WSD\nnumTexture=1\nnumCharactor=1\nnumAnimation=0\n[Texture]\nFile0=tex0.bmp\n"
        "[Charactor_0]\nnumChip=1\nChip0=0,0,0,0,0,64,64\n";
    start(R"(
START:
    cmd 0x1501, 10, "ch.wsd;C0", 100, 100
    cmd 0x1101, 50
    cmd 0x150b, 10, 100, 100, 16, 16, 400
    cmd 0x1101, 1000
    ret
)");
    TG2Graphic& layer = engine.graphicPart()->graphic();
    frames(5);
    graphics::TGrObj* picture = layer.getSprite(10).SprObj;
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->getSize().cx, 64);
    auto drawnWidth = [&] {
        int w = 0;
        while (w < 100 && pixel(100 + w, 101) == 0xFF0000u) ++w;
        return w;
    };
    EXPECT_EQ(drawnWidth(), 64);
    frames(10);  // some way into the shrinking
    const int midway = drawnWidth();
    EXPECT_GT(midway, 16);
    EXPECT_LT(midway, 64);
    EXPECT_NEAR(picture->getSize().cx, midway, 1);
    frames(30);
    EXPECT_EQ(drawnWidth(), 16);
    EXPECT_EQ(picture->getSize().cx, 16);
    EXPECT_EQ(picture->getSize().cy, 16);
}

namespace {

// A drive that notes every play it is asked for.
class NotingDrive : public TCdBackend {
public:
    explicit NotingDrive(std::vector<uint32_t>& plays) : plays_(plays) {}
    uint32_t open(int, uint32_t& device) override { return device = 7, 0; }
    uint32_t close(uint32_t) override { return 0; }
    uint32_t stop(uint32_t) override { return 0; }
    uint32_t setTimeFormat(uint32_t, TimeFormat) override { return 0; }
    uint32_t play(uint32_t, uint32_t, uint32_t from, uint32_t, platform::HWND) override {
        plays_.push_back(from);
        return 0;
    }
    uint32_t trackLength(uint32_t, int, uint32_t& msf) override { return msf = makeMsf(3, 0, 0), 0; }
    uint32_t numberOfTracks(uint32_t, uint32_t& count) override { return count = 9, 0; }
    std::string errorText(uint32_t) override { return {}; }

private:
    std::vector<uint32_t>& plays_;
};

}  // namespace

TEST_F(GameEngineTest, ATrackAskedToRepeatStartsAgainWhenTheMainWindowHearsItEnded) {
    std::vector<uint32_t> plays;
    engine.cdDrive = std::make_unique<NotingDrive>(plays);
    TWindow mainWindow;
    player.mainWindow = &mainWindow;
    start("START:\n cmd 0x1691, 3, 1\n cmd 0x1101, 5000\n ret\n");
    frame();
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(plays[0], makeTmsf(3, 0, 0, 0));
    mainWindow.handleMessage(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 7);
    ASSERT_EQ(plays.size(), 2u);
    EXPECT_EQ(plays[1], plays[0]);
    engine.term();  // the hook goes with the music, before the window
}

TEST_F(GameEngineTest, TheHostWindowsStateDecidesFullScreenWaysAndAttachedObjectsAreDrawnAgain) {
    // Hidden by moving to the last row only in full screen ("TextOff" bit 0).
    engine.status().textOff = 1;
    TG2Core& core = start("START:\n cmd 0x1021\n text \"a\"\n cmd 0x1101, 5000\n ret\n");
    EXPECT_EQ(engine.screen(), &screen);
    frames(5);
    EXPECT_FALSE(engine.isHostActive());
    player.in.mouseY = kH - 1;
    frames(2);
    EXPECT_FALSE(core.isPausedBy(3)) << "in a window the last row is only a row";
    player.fullScreen = true;
    EXPECT_TRUE(engine.isHostActive());
    player.in.mouseY = kH - 1;
    frames(2);
    EXPECT_TRUE(core.isPausedBy(3)) << "the message window hid";
    // An object the engine takes into its picture is drawn again with the whole layer.
    screen.clearDirty();
    graphics::TFillObj fill;
    fill.setup(10, 10, 0xFF123456u, 255);
    engine.attachGrObj(&fill);
    EXPECT_TRUE(screen.isDirty());
    EXPECT_TRUE(engine.isMediaStopped());
}

TEST_F(GameEngineTest, EachCommandThatChangesThePictureEndsTheFrameUnlessTheScriptSaysOtherwise) {
    // A black square on white brought up in 40 opacity steps without a wait between them, then
    // taken down again in 40 after the script stops ending the frame on a changed picture.
    std::string up, down;
    for (int i = 1; i <= 40; ++i) up += "    cmd 0x1506, 1, " + std::to_string(5 * i) + ", 0\n";
    for (int i = 39; i >= 0; --i) down += "    cmd 0x1506, 1, " + std::to_string(5 * i) + ", 0\n";
    start(
        "START:\n    cmd 0x1503, 0, 0xFFFFFF\n    cmd 0x1504, 1, 0, 0, 0, 100, 100\n    cmd 0x1506, 1, 0, 0\n"
        "    cmd 0x1208\n" +
        up + "    cmd 0x1207\n" + down + "    cmd 0x1101, 100000\n    ret\n");
    const TG2Sprite& s = dynamic_cast<GraphicPart&>(*engine.graphic()).graphic().getSprite(1);
    for (int i = 0; i < 10 && s.Blend != 5; ++i) frame();
    ASSERT_EQ(s.Blend, 5);
    for (int i = 2; i <= 40; ++i) {
        frame();
        ASSERT_EQ(s.Blend, 5 * i) << "frame " << i;
        EXPECT_NEAR(channelOf(pixel(50, 50)), 255 - 5 * i, 1);
    }
    frame();
    EXPECT_EQ(s.Blend, 0);
    EXPECT_EQ(pixel(50, 50), 0xFFFFFFu);
}
