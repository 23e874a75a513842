// The main frame: pacing, key bindings and system keys, the window's keys, the player settings
// in "save\game.ini", the settings applied to the engine, pools and the rules engine's errors.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/task_title.h"
#include "app_fixture.h"
#include "mahjong/error_sink.h"
#include "graphics/graphic.h"
#include "platform/audio_device.h"
#include "platform/ini_profile.h"
#include "platform/keycodes.h"
#include "platform/window_messages.h"
#include "script/assembler.h"
#include "script/core.h"
#include "script/g2_error.h"
#include "script/present/sound/music.h"
#include "sound/frame_sound.h"
#include "support/test_support.h"
#include "tone.h"

using apptest::AppFixture;
using apptest::heard;
using apptest::toneWave;

namespace {

// Notes the clock each time the scheduler reaches it.
class ClockProbe : public TTask {
public:
    explicit ClockProbe(std::vector<uint32_t>& times) : times_(times) {}
    void update() override { times_.push_back(platform::timeGetTime()); }

private:
    std::vector<uint32_t>& times_;
};

TTask* noTask() { return nullptr; }

class MainFrameTest : public ::testing::Test, public AppFixture {
protected:
    void SetUp() override { TMainFrame::setResidentTaskMakers(&noTask, &noTask); }
};

}  // namespace

TEST_F(MainFrameTest, FramesComeEvery16msAndALateFrameIsNotCaughtUp) {
    ASSERT_TRUE(boot());
    std::vector<uint32_t> times;
    frame->add(new ClockProbe(times));
    for (int i = 0; i < 5; ++i) step();
    // A frame that takes 40 ms too long: the next one comes 16 ms after it, and so on.
    clock.advance(40);
    for (int i = 0; i < 4; ++i) step();
    ASSERT_EQ(times.size(), 9u);
    for (size_t i = 1; i < 5; ++i) EXPECT_EQ(times[i] - times[i - 1], 16u) << i;
    // The late frame's successor starts at once (it is due), the ones after it 16 ms apart.
    EXPECT_EQ(times[5] - times[4], 40u);
    for (size_t i = 6; i < times.size(); ++i) EXPECT_EQ(times[i] - times[i - 1], 16u) << i;
    // A stall of less than a frame is absorbed by the next sleep.
    const uint32_t before = times.back();
    clock.advance(10);
    step();
    EXPECT_EQ(times.back() - before, 16u);
}

TEST_F(MainFrameTest, PacingHoldsAcrossTheClocksWrap) {
    clock.set(0xFFFFFF00u);
    ASSERT_TRUE(boot());
    std::vector<uint32_t> times;
    frame->add(new ClockProbe(times));
    for (int i = 0; i < 40; ++i) step();
    for (size_t i = 2; i < times.size(); ++i) EXPECT_EQ(static_cast<uint32_t>(times[i] - times[i - 1]), 16u) << i;
}

TEST_F(MainFrameTest, SystemKeysAreTheLowestPressedBitInTableOrder) {
    // Every single bit: F1-F3, F5-F7, F9-F12 and Escape give 1 to 11; the rest nothing.
    int expected = 0;
    for (int bit = 0; bit < 32; ++bit) {
        const uint32_t word = 1u << bit;
        const int key = TMainFrame::systemKeyOf(word);
        if (bit >= 10 && bit <= 20)
            EXPECT_EQ(key, ++expected) << bit;
        else
            EXPECT_EQ(key, 0) << bit;
        // With any higher bit pressed as well, the lower one still wins.
        for (int other = bit + 1; other < 32 && key; ++other)
            EXPECT_EQ(TMainFrame::systemKeyOf(word | 1u << other), key);
    }
}

TEST_F(MainFrameTest, KeysAreBoundToTheirInputBits) {
    ASSERT_TRUE(boot());
    struct Case {
        int dik;
        uint32_t bit;
        int systemKey;
    };
    const Case cases[] = {
        {platform::DIK_F1, 0x400, 1},
        {0x3C, 0x800, 2},
        {0x3D, 0x1000, 3},
        {0x3F, 0x2000, 4},
        {0x40, 0x4000, 5},
        {0x41, 0x8000, 6},
        {0x43, 0x10000, 7},
        {0x44, 0x20000, 8},
        {0x57, 0x40000, 9},
        {0x58, 0x80000, 10},
        {0x01, 0x100000, 11},
        {platform::DIK_F4, 0x40, 0},
        {0x42, 0x200, 0},
        {0x39, 0x200, 0},
        {0xC8, 0x1, 0},
        {0x48, 0x1, 0},
        {0x1C, 0x10, 0},
        {0x9C, 0x10, 0},
        {0xD1, 0x80, 0},
        {0x1D, 0x100, 0},
    };
    for (const Case& c : cases) {
        platform::headless::setKey(c.dik, true);
        step();
        EXPECT_EQ(frame->input().pressedBits() & c.bit, c.bit) << std::hex << c.dik;
        EXPECT_EQ(frame->getSystemKey(), c.systemKey) << std::hex << c.dik;
        platform::headless::setKey(c.dik, false);
        step();
    }
    // Two system keys in one frame: the lower bit wins.
    platform::headless::setKey(0x58, true);
    platform::headless::setKey(0x3D, true);
    step();
    EXPECT_EQ(frame->getSystemKey(), 3);
}

TEST_F(MainFrameTest, CtrlHeldForcesSkippingOnlyWhileHeld) {
    ASSERT_TRUE(boot());
    platform::headless::setKey(0x9D, true);
    step();
    EXPECT_TRUE(frame->g2().status().forceSkip);
    platform::headless::setKey(0x9D, false);
    step();
    EXPECT_FALSE(frame->g2().status().forceSkip);
}

TEST_F(MainFrameTest, AltEnterOnPressSwitchesFullScreenAndAltOrF10AloneAreSwallowed) {
    ASSERT_TRUE(boot());
    ASSERT_TRUE(frame->isWindowed());
    window->handleMessage(platform::WM_SYSKEYDOWN, 13, 0x20000000);
    EXPECT_FALSE(frame->isWindowed());
    window->handleMessage(platform::WM_SYSKEYDOWN, 13, 0x20000000);
    EXPECT_TRUE(frame->isWindowed());
    // Enter without the Alt bit, the repeat of a held Enter and the key-ups change nothing.
    window->handleMessage(platform::WM_SYSKEYDOWN, 13, 0);
    window->handleMessage(platform::WM_SYSKEYDOWN, 13, 0x60000000);
    window->handleMessage(platform::WM_SYSKEYUP, 13, 0xE0000000);
    window->handleMessage(platform::WM_KEYUP, 13, 0xC0000000);
    EXPECT_TRUE(frame->isWindowed());
    struct Probe : TPlayerWindow {
        using TPlayerWindow::onSysKeyDown;
        using TPlayerWindow::TPlayerWindow;
    } probe(frame.get());
    EXPECT_EQ(probe.onSysKeyDown(18, 0), 1);
    EXPECT_EQ(probe.onSysKeyDown(121, 0), 1);
    EXPECT_EQ(probe.onSysKeyDown(13, 0), 0);
    EXPECT_EQ(probe.className(), "Tovimare MAHJONG CLASS");
}

TEST_F(MainFrameTest, MovingTheWindowPausesUntilTheMoveEndsAndDialogsNest) {
    ASSERT_TRUE(boot());
    window->handleMessage(platform::WM_ENTERSIZEMOVE, 0, 0);
    EXPECT_EQ(frame->pauseCount(), 1);
    window->handleMessage(platform::WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(frame->pauseCount(), 0);
    EXPECT_EQ(frame->onWindowMessage(platform::WM_USER + 100, 0, 0), 1);
    EXPECT_EQ(frame->onWindowMessage(platform::WM_USER + 101, 0, 0), 1);
    // A windowed move is remembered for the settings file.
    window->handleMessage(platform::WM_MOVE, 0, 0);
    EXPECT_TRUE(frame->positionValid());
}

TEST_F(MainFrameTest, StartUpGivesTheEngineItsFilesAndTheScreenIs800By600) {
    ASSERT_TRUE(boot());
    const TG2Status& s = frame->g2().status();
    EXPECT_EQ(s.name, "script.pak\\a0001.g2");
    EXPECT_EQ(s.memName, "script.pak\\main.g2m");
    EXPECT_EQ(s.save, "save\\it%02d.sav");
    EXPECT_EQ(s.mouseCursor, "data.pak\\cursor.bmp;tx00ff00");
    EXPECT_EQ(s.recordMax, 123);
    EXPECT_EQ(frame->width(), 800);
    EXPECT_EQ(frame->height(), 600);
    ASSERT_EQ(frame->fonts().size(), 2u);
    EXPECT_EQ(frame->fonts()[0].height(), 20);
    EXPECT_EQ(frame->fonts()[1].height(), 16);
}

TEST_F(MainFrameTest, SettingsAreClampedOnLoadAndWrittenBackWithTheWindowKeys) {
    write("save/game.ini", "[Status]\r\nSkipCondition=9\r\nMsgBox=7\r\nRightClick=5\r\nVoiceClick=3\r\n");
    ASSERT_TRUE(boot());
    const TPlayerSettings& s = frame->settings();
    EXPECT_EQ(s.skipCondition, 9);
    EXPECT_TRUE(s.msgBox);
    EXPECT_EQ(s.rightClick, 0);
    EXPECT_EQ(s.voiceClick, 0);
    // RightClick 0: the right button hides the message window.
    EXPECT_EQ(frame->g2().status().textOffKeyMask, 0x20000200u);
    shutdown();
    const std::string ini = read("save/game.ini");
    for (const char* line : {"SkipCondition=9", "MsgBox=1", "RightClick=0", "ShioriConfirm=1", "VoiceClick=0",
                             "ShowClear=0", "Windowed=1"})
        EXPECT_NE(ini.find(line), std::string::npos) << line << " in\n" << ini;

    // A negative value stays, and the right button then opens the system menu.
    write("save/game.ini", "[Status]\r\nRightClick=-1\r\nVoiceClick=-1\r\n");
    ASSERT_TRUE(boot());
    EXPECT_EQ(frame->settings().rightClick, -1);
    EXPECT_EQ(frame->settings().voiceClick, -1);
    EXPECT_EQ(frame->g2().status().textOffKeyMask, 0x200u);
}

// A hand-edited settings file asks for two billion save records, volumes and a text speed far
// out of range and a mouse offset at the end of the numbers: start-up takes them to the
// program's ranges (the record count to its own 123), says so in the log, and the check for
// save files looks at 123 names, not two billion.
TEST_F(MainFrameTest, HostileSettingsAreTakenToTheirRangesAndLogged) {
    std::ifstream kept(mjtest::sourceDir() / "tests/app/data/hostile_game.ini", std::ios::binary);
    write("save/game.ini", std::string(std::istreambuf_iterator<char>(kept), {}));
    std::vector<std::string> log;
    setEngineLogSink([&](const std::string& line) { log.push_back(line); });
    ASSERT_TRUE(boot());
    setEngineLogSink(nullptr);
    const TG2Status& s = frame->g2().status();
    EXPECT_EQ(s.recordMax, 123);
    EXPECT_EQ(s.volume, 255);
    EXPECT_EQ(s.seVolume, 0);
    EXPECT_EQ(s.voiceVolume, 255);
    EXPECT_EQ(s.textInterval, 100000);
    EXPECT_EQ(s.mouseOffsetX, -4096);
    EXPECT_EQ(s.mouseOffsetY, 4096);
    EXPECT_FALSE(frame->g2().core()->hasSaveFile());
    EXPECT_EQ(log.size(), 7u);
    EXPECT_NE(
        std::find(log.begin(), log.end(), "settings: RecordMax 2000000000 is out of range (0 to 123); 123 is used"),
        log.end());
}

// A settings file that no real one could be, larger than any or a device without end, is not
// read: the game starts with its defaults, says why once, and leaves the file as it was.
TEST_F(MainFrameTest, ASettingsFileNoRealOneCouldBeIsLeftAsItIsAndTheDefaultsServe) {
    std::string large = "[Status]\r\nRightClick=0\r\n";
    while (large.size() <= platform::kMaxProfileBytes) large += "; a line that is no key\r\n";
    for (const bool device : {false, true}) {
        std::filesystem::remove(file("save/game.ini"));
        if (device)
            std::filesystem::create_symlink("/dev/zero", file("save/game.ini"));
        else
            write("save/game.ini", large);
        ::testing::internal::CaptureStderr();
        ASSERT_TRUE(boot());
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(frame->settings().rightClick, 1);
        EXPECT_EQ(said.find("was not read"), said.rfind("was not read")) << said;
        EXPECT_NE(said.find("save/game.ini was not read"), std::string::npos) << said;
        shutdown();
        if (device)
            EXPECT_TRUE(std::filesystem::is_symlink(file("save/game.ini")));
        else
            EXPECT_TRUE(read("save/game.ini") == large);
    }
}

// At the end of a run the settings are written back only where that keeps them: a file whose
// rewrite would pass what the game reads back (one of exactly 1 MiB, accepted, that lacks most
// keys) or that the player made read-only is left as it was, and one line says why; a file that
// "save\game.ini" links to is written where the link leads, and the link stays.
TEST_F(MainFrameTest, TheSettingsAreSavedOnlyWhereTheyCanBeReadBackAndThroughALink) {
    namespace fs = std::filesystem;
    const std::string small = "[Status]\r\nRightClick=0\r\n";
    std::string full = small;
    while (full.size() + 25 <= platform::kMaxProfileBytes) full += "; a line that is no key\r\n";
    full += std::string(platform::kMaxProfileBytes - full.size() - 2, ';') + "\r\n";
    ASSERT_EQ(full.size(), platform::kMaxProfileBytes);
    const fs::path ini = file("save/game.ini"), elsewhere = file("elsewhere/game.ini");
    const struct {
        std::string text;
        fs::perms mode;
        bool linked;
        const char* said;
    } cases[] = {{full, fs::perms(0644), false, "save/game.ini would grow past 1024 KiB"},
                 {small, fs::perms(0444), false, "save/game.ini is read-only"},
                 {small, fs::perms(0644), true, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said ? c.said : "linked");
        fs::remove(ini);
        write(c.linked ? "elsewhere/game.ini" : "save/game.ini", c.text);
        if (c.linked) fs::create_symlink(elsewhere, ini);
        fs::permissions(c.linked ? elsewhere : ini, c.mode);
        ::testing::internal::CaptureStderr();
        ASSERT_TRUE(boot());
        EXPECT_EQ(frame->settings().rightClick, 0) << "the file was read";
        shutdown();
        const std::string said = ::testing::internal::GetCapturedStderr();
        if (c.linked) {
            EXPECT_EQ(said, "");
            EXPECT_TRUE(fs::is_symlink(ini));
            EXPECT_NE(read("elsewhere/game.ini").find("SkipCondition="), std::string::npos);
            continue;
        }
        EXPECT_EQ(said.find("settings"), said.rfind("settings")) << said;
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_TRUE(read("save/game.ini") == c.text);
        EXPECT_EQ(fs::status(ini).permissions(), c.mode);
        EXPECT_EQ(fs::status(ini).type(), fs::file_type::regular);
    }
}

// Saves interrupted by kill -9 at any moment leave the settings file whole: every key of the
// player settings and of the engine's options from the same save, old or new.
TEST_F(MainFrameTest, SettingsSavedUnderAKillComeBackAllOldOrAllNew) {
    ASSERT_TRUE(boot());
    // Two sets of values; every key differs between them (and from the engine's defaults).
    const std::map<std::string, std::pair<std::string, std::string>> keys = {
        {"SkipCondition", {"1", "2"}}, {"MsgBox", {"1", "0"}},
        {"RightClick", {"1", "0"}},    {"VoiceClick", {"1", "2"}},
        {"ShowClear", {"0", "1"}},     {"Volume", {"100", "200"}},
        {"SeVolume", {"110", "210"}},  {"TextInterval", {"1000", "3000"}}};
    auto use = [&](int v) {
        TPlayerSettings& p = frame->settings();
        TG2Status& s = frame->g2().status();
        p.skipCondition = v ? 2 : 1, p.msgBox = !v, p.rightClick = !v, p.voiceClick = v ? 2 : 1, p.showClear = v;
        s.volume = v ? 200 : 100, s.seVolume = v ? 210 : 110, s.textInterval = v ? 3000 : 1000;
    };
    // What a save takes here, so that the kills fall anywhere in the saves that follow.
    const auto t0 = std::chrono::steady_clock::now();
    for (int v : {1, 0}) {
        use(v);
        ASSERT_TRUE(frame->saveProfile(nullptr));
    }
    const auto save = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0) / 2;
    std::mt19937 rng(38);
    for (int round = 0; round < 20; ++round) {
        int done[2];
        ASSERT_EQ(pipe(done), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int v = 1;; v ^= 1) {
                use(v);
                frame->saveProfile(nullptr);
                if (::write(done[1], "s", 1) < 0) _exit(1);  // one save whole: kill me any time now
            }
        }
        char c;
        ASSERT_EQ(::read(done[0], &c, 1), 1);
        usleep(static_cast<useconds_t>(rng() % (3 * save.count() + 1)));
        kill(child, SIGKILL);
        close(done[0]);
        close(done[1]);
        int status = 0;
        waitpid(child, &status, 0);
        std::map<std::string, std::string> found;
        std::istringstream in(read("save/game.ini"));
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const size_t eq = line.find('=');
            if (eq != std::string::npos && keys.count(line.substr(0, eq)))
                found[line.substr(0, eq)] = line.substr(eq + 1);
        }
        ASSERT_EQ(found.size(), keys.size()) << read("save/game.ini");
        std::set<int> variants;
        for (const auto& [key, value] : found) {
            const auto& [a, b] = keys.at(key);
            ASSERT_TRUE(value == a || value == b) << key << "=" << value;
            variants.insert(value == a ? 0 : 1);
        }
        EXPECT_EQ(variants.size(), 1u) << "round " << round << ":\n" << read("save/game.ini");
    }
}

TEST_F(MainFrameTest, ARunWithoutTheFileWritesTheDefaults) {
    ASSERT_TRUE(boot());
    step();
    shutdown();
    const std::string ini = read("save/game.ini");
    const size_t status = ini.find("[Status]");
    ASSERT_NE(status, std::string::npos) << ini;
    size_t at = status;
    // In the order they are written, each key once.
    for (const char* line : {"SkipCondition=1", "MsgBox=1", "RightClick=1", "ShioriConfirm=1", "VoiceClick=1",
                             "ShowClear=0", "Windowed=1"}) {
        const size_t found = ini.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << " in\n" << ini;
        at = found;
    }
}

TEST_F(MainFrameTest, PooledObjectsStayPutWhileAFrameTakesMoreThanThePoolHeld) {
    ASSERT_TRUE(boot());
    graphics::TSprObj proto;
    proto.setPos(7, 9);
    std::vector<graphics::TSprObj*> taken;
    std::set<graphics::TSprObj*> distinct;
    for (size_t i = 0; i < TMainFrame::kSprPool + 100; ++i) {
        taken.push_back(frame->pushSprObj(proto));
        distinct.insert(taken.back());
    }
    EXPECT_EQ(distinct.size(), taken.size());
    EXPECT_EQ(taken.front()->getPos().x, 7);
    EXPECT_EQ(taken.back()->getPos().y, 9);
    // The next frame hands the same entries out again from the first.
    step();
    EXPECT_EQ(frame->pushSprObj(proto), taken.front());
    EXPECT_EQ(frame->sprPool().used(), 1u);
}

TEST_F(MainFrameTest, TheRulesEnginesErrorsAreShownInAnOkBox) {
    ASSERT_TRUE(boot());
    mahjong::reportError(mahjong::errtext::kKanCount);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().type & 0xF, platform::MB_OK);
    EXPECT_NE(boxes.last().text.find("kan count"), std::string::npos);
    shutdown();
    // Gone with the frame: nothing is shown any more.
    mahjong::TRecordingErrorSink recorder;
    mahjong::TScopedErrorSink scoped(recorder);
    mahjong::reportError("after");
    EXPECT_EQ(boxes.count(), 1u);
}

TEST_F(MainFrameTest, TheProgramEndsWhenTheTitlesExitEndsEveryTask) {
    TMainFrame::setResidentTaskMakers(nullptr, [] { return static_cast<TTask*>(new TTaskTitle); });
    ASSERT_TRUE(boot());
    ASSERT_TRUE(runUntil([&] { return frame->find(kTaskTitle) && frame->find(kTaskTitle)->step() == 1; }));
    auto* title = static_cast<TTaskTitle*>(frame->find(kTaskTitle));
    title->setSubStep(90);
    EXPECT_FALSE(runUntil([] { return false; }, 5));
    EXPECT_TRUE(frame->hasEnded());
}

TEST_F(MainFrameTest, TheEngineRunsOnTheFramesScreenWindowAndSoundAndItsMuteSettingSilencesIt) {
    platform::headless::useManualAudio(true);
    setFrameSoundMaker(&makeFrameSoundDevice);
    write("fx.wav", toneWave());
    write("save/game.ini", "[G2Status]\r\nMute=1\r\nVolume=255\r\nSeVolume=255\r\n");
    ASSERT_TRUE(boot());
    TG2Engine& engine = frame->g2();
    EXPECT_EQ(engine.screen(), graphics::graphic());
    EXPECT_EQ(engine.host().window(), window.get());
    EXPECT_FALSE(engine.isHostActive());
    window->handleMessage(platform::WM_SYSKEYDOWN, 13, 0x20000000);
    EXPECT_TRUE(engine.isHostActive()) << "full screen";
    window->handleMessage(platform::WM_SYSKEYDOWN, 13, 0x20000000);

    G2ScriptImage image;
    std::string error;
    ASSERT_TRUE(assembleScript("START:\n cmd 0x1601, 3, \"fx.wav\"\n cmd 0x1101, 5000\n ret\n", image, error));
    const std::vector<uint8_t> bytes = scriptFileBytes(image);
    engine.getScriptBank().setOpener([&bytes](const std::string&) -> std::unique_ptr<TStream> {
        auto s = std::make_unique<TMemoryStream>();
        s->write(bytes.data(), static_cast<uint32_t>(bytes.size()));
        s->seek(0, 0);
        return s;
    });
    auto play = [&] {
        engine.reset();
        ASSERT_TRUE(engine.start("fx.g2", ""));
        engine.run();
    };
    play();
    EXPECT_EQ(heard(), 0.0) << "\"Mute\" silences every sound";
    engine.status().mute = false;
    play();
    EXPECT_NEAR(heard(), 1.0, 0.02);
    // The master volume of the configuration page: the setting times the manager's own volume.
    dynamic_cast<present::TG2Music&>(*engine.music()).setVolume(0, 127);
    heard();
    EXPECT_NEAR(heard(), std::pow(10.0, volumeToDs(127 * 127 / 255) / 2000.0), 0.02);
    shutdown();
    setFrameSoundMaker(nullptr);
    platform::headless::useManualAudio(false);
}

TEST_F(MainFrameTest, SavesThumbnailsAndTheCommonSaveLieBesideTheProgramWhateverTheWorkingFolder) {
    // The game started from another folder.
    mjtest::TempDir elsewhere;
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.path());
    struct Back {
        std::filesystem::path to;
        ~Back() { std::filesystem::current_path(to); }
    } back{cwd};
    ASSERT_TRUE(boot());
    TG2Core& core = *frame->g2().core();
    core.scanRecords();
    core.takeSnapshot();
    ASSERT_TRUE(core.save(0));
    EXPECT_TRUE(std::filesystem::exists(file("save/it01.sav")));
    EXPECT_TRUE(std::filesystem::exists(file("save/it01.img")));
    EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / "save"));
    core.scanRecords();
    EXPECT_FALSE(core.getRecord(0).fileName.empty());
    EXPECT_NE(core.getRecord(0).time, 0);
    EXPECT_TRUE(core.hasSaveFile());
    EXPECT_NE(core.loadThumbnail(0), nullptr);
    EXPECT_TRUE(core.load(0));
    shutdown();
    EXPECT_TRUE(std::filesystem::exists(file("save/it00.sav"))) << "the common save";
    EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / "save"));
}
