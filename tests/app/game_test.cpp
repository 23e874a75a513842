// The whole program on the demo data, headless: the title comes up, the mouse takes it through
// the free-play setup into a match that an automatic player finishes, back to the rule page, to
// the title and out, and the settings file is written at the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/task_novel.h"
#include "game_driver.h"
#include "gce_writer.h"
#include "graphics/frame_screen.h"
#include "graphics/graphic.h"
#include "graphics/surface32.h"
#include "picture_bombs.h"
#include "platform/display.h"
#include "platform/path_map.h"
#include "script/assembler.h"
#include "script/core.h"
#include "script/engine.h"
#include "script/present/doc/engine_doc.h"
#include "script/present/jobs/fade_jobs.h"
#include "script/present/jobs/text_jobs.h"
#include "script/present/transition/engine_graphic.h"
#include "script/thread.h"
#include "sound/frame_sound.h"
#include "sound/sound.h"
#include "storage/gfl_gce_archive.h"
#include "storage/spi.h"
#include "tone.h"

namespace {

class GameTest : public ::testing::Test, public apptest::GameDriver {};

// A story of the kit's pictures that moves, zooms and changes them: a character comes in by a
// cross-fade and goes by a wipe, the background changes by a mask, slices and a scroll. Before
// that, commands change the picture one at a time with nothing else in their pass: a blend type,
// a sprite hidden, the background's opacity, the window hidden, moved and put deeper, a fade and
// a quake, a click mark taken away, a button disabled, the background grid morphed and changed,
// and a transition's picture gathered into the base sprite.
constexpr const char* kMovingStory = R"(
START:
    cmd 0x1011, 40, 440, 720, 140
    cmd 0x1501, 200, "data.pak\\window.argb", 30, 430
    cmd 0x1511, 200, 0x100
    cmd 0x1021
    cmd 0x1581, "", 20, 1, 300
    cmd 0x1581, "", 21, 4, 300
    cmd 0x1581, "", 22, 9, 300
    cmd 0x1581, "", 23, 14, 300
    cmd 0x1501, 0, "data.pak\\bg01.bmp", 0, 0
    cmd 0x1501, 100, "data.pak\\ch00.argb", 270, 62, 20
    text "pictures that move"
    cmd 0x1105
    cmd 0x1507, 100, 2
    cmd 0x1101, 200
    cmd 0x1507, 100, 0
    cmd 0x1505, 100, 0
    cmd 0x1101, 200
    cmd 0x1505, 100, 1
    cmd 0x1553
    cmd 0x1101, 200
    cmd 0x1552
    cmd 0x1022
    cmd 0x1101, 200
    cmd 0x1021
    cmd 0x1011, 60, 400, 680, 160
    cmd 0x101d, 150
    cmd 0x1101, 200
    cmd 0x1911, 300, 0
    cmd 0x1910, 300, 0
    cmd 0x1900
    cmd 0x1101, 300
    text "a mark to click"
    cmd 0x1103, 2
    cmd 0x1101, 300
    cmd 0x1281, 1
    cmd 0x1302, 1
    cmd 0x1282, 0, 0x11, 0, -34
    cmd 0x1101, 200
    cmd 0x1302, 0
    cmd 0x1101, 200
    cmd 0x1541, 0, "data.pak\\bg02.bmp", 0, 0
    cmd 0x1541, 1, "data.pak\\ch00.argb", 100, 40
    cmd 0x1551, 400
    cmd 0x1101, 500
    cmd 0x1549, 1, 300, 40
    cmd 0x1550, 21
    cmd 0x1101, 500
    cmd 0x1509, 100
    cmd 0x1501, 101, "data.pak\\ch00.argb", 420, 62, 20, 4
    cmd 0x1101, 500
    cmd 0x150a, 100, 90, 30, 500, 0
    cmd 0x1101, 600
    cmd 0x150b, 100, 300, 10, 150, 260, 500, 0
    cmd 0x1101, 600
    cmd 0x150b, 100, -60, 100, 600, 900, 400, 0
    cmd 0x1101, 500
    cmd 0x1501, 0, "data.pak\\bg02.bmp", 0, 0, 21
    cmd 0x1101, 400
    cmd 0x1501, 0, "data.pak\\bg03.bmp", 0, 0, 22
    cmd 0x1101, 400
    cmd 0x1501, 0, "data.pak\\bg01.bmp", 0, 0, 23
    cmd 0x1101, 400
    cmd 0x1502, 100, 21
    cmd 0x1101, 400
    text "and the end"
    cmd 0x1105
    ret
)";

}  // namespace

TEST_F(GameTest, TitleToFreePlayAndAWholeMatchThenBackToTheRulePageTheTitleAndOut) {
    ASSERT_TRUE(toTitle(false));
    for (int i = 0; i < 3; ++i) step();
    int w = 0, h = 0;
    const std::vector<uint32_t> title = presented(w, h);
    ASSERT_EQ(w * h, 800 * 600);
    EXPECT_NE(title[10 * 800 + 10], 0u) << "the title's background is drawn";

    // Free play: the rule page, then the character page.
    click(517 + 20, 455 + 10);
    ASSERT_TRUE(runUntil([&] { return at(2, 211); })) << where();
    EXPECT_EQ(this->title()->setupPage(), 2);
    EXPECT_EQ(this->title()->freePlayRule()->gameLength, 1) << "the default is east only";
    click(342 + 20, 188 + 10);
    ASSERT_TRUE(runUntil([&] { return at(2, 211); })) << where();
    EXPECT_EQ(this->title()->freePlayRule()->gameLength, 0);
    click(226 + 20, 138 + 10);
    click(368 + 20, 323 + 10);
    ASSERT_TRUE(runUntil([&] { return at(2, 211); })) << where();
    EXPECT_EQ(this->title()->freePlayRule()->gameLength, 1);
    EXPECT_FALSE(this->title()->freePlayRule()->openTanyao);
    click(298 + 20, 415 + 10);
    ASSERT_TRUE(runUntil([&] { return at(2, 311); })) << where();
    EXPECT_EQ(this->title()->setupPage(), 3);

    // Locked characters (4-13 with no secret flag) cannot be chosen; 0, 1 and 2 and the random
    // button fill the four seats, and cancel takes the last one back.
    click(50 * 5 + 10, 13 + 10);
    EXPECT_TRUE(this->title()->chosenCharacters().empty());
    for (int c : {0, 1, 2, 14}) click(50 * c + 10, 13 + 10);
    ASSERT_EQ(this->title()->chosenCharacters().size(), 4u);
    EXPECT_EQ(this->title()->chosenCharacters()[3], 3) << "the only character still free";
    rightClick();
    EXPECT_EQ(this->title()->chosenCharacters().size(), 3u);
    click(50 * 14 + 10, 13 + 10);
    ASSERT_EQ(this->title()->chosenCharacters().size(), 4u);

    // Start: the match runs as task 3 and the automatic player plays it to its end.
    click(10 + 20, 463 + 10);
    ASSERT_TRUE(runUntil([&] { return frame->find(kTaskMatch) != nullptr; })) << where();
    ASSERT_TRUE(playUntil([&] { return at(2, 211); }, 60000)) << where();
    EXPECT_EQ(frame->find(kTaskMatch), nullptr);
    EXPECT_EQ(this->title()->gameTask(), nullptr);
    // Another game was asked for: the rule and the seats stay.
    EXPECT_EQ(this->title()->freePlayRule()->gameLength, 1);
    EXPECT_EQ(this->title()->chosenCharacters().size(), 4u);

    // Cancel on the rule page leaves the setup for the title menu; exit ends every task.
    rightClick();
    ASSERT_TRUE(runUntil([&] { return at(1, 20); })) << where();
    click(517 + 20, 545 + 10);
    EXPECT_TRUE(runUntil([&] { return frame->hasEnded(); }, 10));
    EXPECT_TRUE(boxes.requests().empty()) << boxes.last().text;
    shutdown();
    const std::string ini = read("save/game.ini");
    for (const char* key : {"[Status]", "SkipCondition=1", "MsgBox=1", "RightClick=1", "ShioriConfirm=1",
                            "VoiceClick=1", "ShowClear=0", "Windowed=1"})
        EXPECT_NE(ini.find(key), std::string::npos) << key << " in\n" << ini;
}

// The kit's title picture replaced by one of 8192 x 8192 pixels (8 MiB of rows, a 256 MiB
// surface): the title comes up without it, and the program says once which picture it refused
// and why, however often the picture is asked for: by a story, twice, and by the title again.
TEST_F(GameTest, ARefusedKitPictureIsSaidOnceByTheNameAskedForAndWhy) {
    ASSERT_TRUE(kitCopied());
    GflGceArchive kit;
    kit.setPath(platform::fromOsPath(file("data.pak").string()));
    std::vector<gcepack::Entry> members(kit.count());
    for (uint32_t i = 0; i < members.size(); ++i) {
        members[i].name = kit.name(i);
        if (spiSameName(members[i].name, "15_bgti_00.bmp")) {
            members[i].data = picturebombs::plainBmp(8192, 8192, 1);
        } else {
            members[i].data.resize(kit.unpackedSize(i));
            ASSERT_TRUE(kit.extract(i, members[i].data.data(), members[i].data.size()));
        }
    }
    kit.close();
    ASSERT_TRUE(gcepack::writeArchive(file("data.pak").string(), members, {}));
    G2ScriptImage image;
    std::string error;
    ASSERT_TRUE(assembleScript(R"(
START:
    cmd 0x1501, 0, "data.pak\\15_bgti_00.bmp", 0, 0
    cmd 0x1101, 100
    cmd 0x1501, 0, "DATA.PAK\\15_BGTI_00.BMP", 0, 0
    cmd 0x1101, 100
    ret
)",
                               image, error))
        << error;
    const std::vector<uint8_t> bytes = scriptFileBytes(image);
    write("bomb.g2", std::string(bytes.begin(), bytes.end()));

    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(toTitle(false));
    frame->killById(kTaskTitle);
    frame->add(kTaskNovel, new TTaskNovel("bomb.g2", nullptr), 0);
    const auto story = [&] { return dynamic_cast<TTaskNovel*>(frame->find(kTaskNovel)); };
    ASSERT_TRUE(runUntil([&] { return story() && story()->subStep() == 11; }, 100)) << "the story runs";
    ASSERT_TRUE(runUntil([&] { return !story() && at(1, 20); }, 1000)) << where();
    const std::string said = ::testing::internal::GetCapturedStderr();
    const std::string line =
        "the picture data.pak\\15_bgti_00.bmp was refused (BMP of 8192 x 8192, wider or taller than 4096 pixels): "
        "it is not shown\n";
    EXPECT_EQ(said.find("was refused"), said.rfind("was refused")) << said;
    EXPECT_NE(said.find(line), std::string::npos) << said;
}

// A screen that stands still is shown once. Whatever changes on it (a highlight under the pointer,
// a fade, the story's text coming out, the play at the table) is shown by the frame that composed
// it, and a window exposed, resized or switched to full screen and back is shown again as it is.
TEST_F(GameTest, AStillScreenIsShownOnceAndEveryChangeByTheFrameThatComposedIt) {
    ASSERT_TRUE(toTitle(true));
    const platform::Display& display = *dynamic_cast<graphics::GraphicScreen&>(frame->screen()).directDraw().device();
    // The window shows what the screen object holds.
    const auto showsComposed = [&] {
        int w = 0, h = 0;
        const std::vector<uint32_t> shown = presented(w, h);
        const graphics::TGraphic& g = *frame->graphicObject();
        if (w != g.width() || h != g.height()) return false;
        for (size_t i = 0; i < shown.size(); ++i)
            if (shown[i] != (g.pixels()[i] & 0xFFFFFFu)) return false;
        return true;
    };
    const auto framesShowing = [&](int n) {
        for (int i = 0; i < n; ++i)
            if (!step() || !showsComposed()) return false;
        return true;
    };
    pointAt(1, 1);
    ASSERT_TRUE(framesShowing(120));
    int shown = display.presentCount();
    ASSERT_TRUE(framesShowing(60));
    EXPECT_EQ(display.presentCount(), shown) << "the still title is not shown again";
    pointAt(517 + 20, 455 + 10);
    ASSERT_TRUE(framesShowing(2));
    EXPECT_GT(display.presentCount(), shown) << "the item under the pointer lights up";

    ASSERT_TRUE(framesShowing(10));
    shown = display.presentCount();
    platform::invalidateRect(window->handle());
    step();
    EXPECT_EQ(display.presentCount(), ++shown) << "exposed";
    platform::sendMessage(window->handle(), platform::WM_SIZE, platform::SIZE_RESTORED, platform::makeLParam(800, 600));
    step();
    EXPECT_EQ(display.presentCount(), ++shown) << "resized";
    for (bool windowed : {false, true}) {
        ASSERT_TRUE(frame->setWindowedMode(windowed));
        ASSERT_TRUE(framesShowing(1)) << windowed;
        EXPECT_GT(display.presentCount(), shown) << windowed;
        shown = display.presentCount();
    }

    // Free play to the table, the automatic player at the human's seat.
    setUpFreePlay();
    click(10 + 20, 463 + 10);
    ASSERT_TRUE(runUntil([&] { return frame->find(kTaskMatch) != nullptr; })) << where();
    bool showing = true;
    int frames = 0;
    playUntil([&] { return !(showing = showing && showsComposed()) || ++frames == 400; }, 500);
    EXPECT_TRUE(showing) << "at frame " << frames;
    EXPECT_GT(display.presentCount(), shown + 50) << "the table's play is shown";
}

TEST_F(GameTest, TheStorysTextIsShownAsItComesOut) {
    ASSERT_TRUE(toTitle(false));
    const platform::Display& display = *dynamic_cast<graphics::GraphicScreen&>(frame->screen()).directDraw().device();
    click(517 + 20, 395 + 10);
    int w = 0, h = 0;
    std::vector<uint32_t> last = presented(w, h);
    int changes = 0;
    for (int i = 0; i < 250; ++i) {
        const int before = display.presentCount();
        ASSERT_TRUE(step());
        std::vector<uint32_t> now(frame->graphicObject()->pixels(), frame->graphicObject()->pixels() + 800 * 600);
        for (uint32_t& p : now) p &= 0xFFFFFFu;
        // A frame that composed something new shows it; one that drew nothing again shows nothing.
        if (now != last) {
            ASSERT_GT(display.presentCount(), before) << "frame " << i;
        }
        if (dynamic_cast<graphics::GraphicScreen&>(frame->screen()).lastDrawnArea() == 0) {
            ASSERT_EQ(display.presentCount(), before) << "frame " << i;
        }
        ASSERT_EQ(presented(w, h), now) << "frame " << i;
        changes += now != last;
        last = std::move(now);
    }
    EXPECT_GT(changes, 20) << "the fade and the text coming out";
}

// The player's voice setting holds in every story, after a script's own return to its title,
// and after the story: with the default a click lets the voice play on, and a voice that is cut
// short fades over a second and a half.
TEST_F(GameTest, ThePlayersVoiceSettingHoldsInANewStoryAndBackAtTheTitle) {
    ASSERT_TRUE(toTitle(false));
    const auto voiceSetting = [&] {
        TG2Core* core = frame->g2().core();
        auto* click = dynamic_cast<present::TClickDwarf*>(core->standingJob(kJobClick));
        auto* fade = dynamic_cast<present::TVolumeFadeDwarf*>(core->standingJob(kJobVoiceFade));
        return click && fade ? std::pair{click->StopType, fade->DefTime} : std::pair{-1, -1};
    };
    const std::pair kPlaysOn{0, 1500};
    click(517 + 20, 395 + 10);  // new game
    const auto story = [&] { return dynamic_cast<TTaskNovel*>(frame->find(kTaskNovel)); };
    ASSERT_TRUE(runUntil([&] { return story() && story()->subStep() == 11; })) << where();
    EXPECT_EQ(voiceSetting(), kPlaysOn) << "in the new story";
    auto* system = dynamic_cast<TTaskSystem*>(frame->find(kTaskSystem));
    ASSERT_NE(system, nullptr);
    // The menu comes with the story's opening.
    ASSERT_TRUE(runUntil([&] { return frame->g2().core()->isSubmenuEnabled(); }, 200));
    rightClick();
    ASSERT_TRUE(runUntil([&] { return system->step() == 1 && system->subStep() == 20; })) << where();
    click(453, 548);  // the system menu's way to the title
    ASSERT_TRUE(runUntil([&] { return at(1, 20); })) << where();
    EXPECT_EQ(voiceSetting(), kPlaysOn) << "back at the title";

    // A script's own way back to its title resets the engine and starts the main story.
    G2ScriptImage image;
    std::string error;
    ASSERT_TRUE(assembleScript("START:\n    cmd 0x1203\n    ret\n", image, error)) << error;
    const std::vector<uint8_t> bytes = scriptFileBytes(image);
    write("back.g2", std::string(bytes.begin(), bytes.end()));
    frame->killById(kTaskTitle);
    frame->add(kTaskNovel, new TTaskNovel("back.g2", nullptr), 0);
    const auto inMainStory = [&] {
        const TG2Thread* t = story() && story()->subStep() == 11 ? g2Engine()->getCurrentThread() : nullptr;
        return t && t->scriptName().find("a0001") != std::string::npos;
    };
    ASSERT_TRUE(runUntil(inMainStory, 100)) << where();
    EXPECT_EQ(voiceSetting(), kPlaysOn) << "after the script's return to its title";
}

// The configuration page's music row sets the story's music once and at once: the level the
// game starts with sounds the same after the page has been touched, and the whole row spans the
// volume table's step from that level to the top.
TEST_F(GameTest, TheConfigurationsMusicLevelsAreHeardOnceAndAtOnce) {
    write("bgm/bgm01.ogg", apptest::toneWave());  // the first chapter's music: a steady tone
    platform::headless::useManualAudio(true);
    setFrameSoundMaker(&makeFrameSoundDevice);
    struct Quiet {
        GameTest& t;
        ~Quiet() {
            t.shutdown();
            setFrameSoundMaker(nullptr);
            platform::headless::useManualAudio(false);
        }
    } quiet{*this};
    ASSERT_TRUE(toTitle(false));
    click(517 + 20, 395 + 10);  // new game
    const auto story = [&] { return dynamic_cast<TTaskNovel*>(frame->find(kTaskNovel)); };
    ASSERT_TRUE(runUntil([&] { return story() && story()->subStep() == 11; })) << where();
    // The story sets its scene up and starts its music.
    for (int i = 0; i < 60; ++i) step();
    // The level over a tenth of a second, a few frames on.
    const auto level = [&] {
        for (int i = 0; i < 5; ++i) step();
        double sum = 0;
        for (int i = 0; i < 5; ++i) sum += apptest::heard();
        return sum / 5;
    };
    const double atStart = level();
    ASSERT_GT(atStart, 0.01) << "the chapter's music";

    auto* system = dynamic_cast<TTaskSystem*>(frame->find(kTaskSystem));
    ASSERT_NE(system, nullptr);
    click(208, 416);  // the configuration button beside the message window
    ASSERT_TRUE(runUntil([&] { return system->step() == 1 && system->subStep() == 20; })) << where();
    const auto musicBar = [&](int k) { click(349 + 22 * (k - 1) + 10, 310); };
    musicBar(10);
    const double top = level();
    musicBar(5);
    const double middle = level();
    EXPECT_NEAR(middle, atStart, atStart * 0.05) << "level 5, as the game started";
    // Level 5 is 127 of 255, level 10 all of it, each under the master's 127.
    EXPECT_NEAR(top / middle, std::pow(10.0, (volumeToDs(127) - volumeToDs(127 * 127 / 255)) / 2000.0), 0.2);
}

// The reference for drawing only what changed: every frame is also drawn whole into a picture of
// its own, as if the screen were drawn anew each frame, and the two must be equal pixel for pixel,
// as must what the window was given to show of the changed areas alone, at every frame through
// the title's highlights, the story (a fade, text coming out, the blinking mark, the backlog, a
// choice), a story of moving, zooming and changing pictures, and play at the table. A screen that
// stands still draws nothing. And no pass of a story's script changes the picture unreported: a
// pass whose changes the screen object did not hear of runs on into more commands in the same
// frame, and the state it meant to show is never seen (unless the script itself asked that its
// changes end no frame, as it sets a scene up in one step).
TEST_F(GameTest, EveryFrameDrawnFromItsChangesIsTheFrameDrawnWhole) {
    G2ScriptImage image;
    std::string error;
    ASSERT_TRUE(assembleScript(kMovingStory, image, error)) << error;
    const std::vector<uint8_t> bytes = scriptFileBytes(image);
    write("moving.g2", std::string(bytes.begin(), bytes.end()));
    ASSERT_TRUE(toTitle(false));
    auto& screen = dynamic_cast<graphics::GraphicScreen&>(frame->screen());
    screen.setWholeCheck(true);
    // The script engine's part of the picture (its layers and the fade's cover over them) is
    // written down each frame, and at every pass of its script that left the screen object
    // without a report it is composed as the frame's end would compose it and held against the
    // frame shown; the layers are left as the pass left them.
    std::string unreported;
    auto* part = g2Engine() ? dynamic_cast<present::GraphicPart*>(g2Engine()->graphic()) : nullptr;
    ASSERT_NE(part, nullptr);
    struct Watch {
        graphics::GraphicScreen& screen;
        TG2Core* core;
        ~Watch() {
            core->setPassCheck(nullptr);
            screen.watch(nullptr);
        }
    } watch{screen, g2Engine()->core()};
    screen.watch([engine = g2Engine(), &fade = part->graphic().getFade()](graphics::TSurface32& s) {
        engine->draw(s);
        if (fade.level() <= 0) return;
        graphics::ColourRectObj& cover = fade.mode() == graphics::TFade::kModeLight
                                             ? static_cast<graphics::ColourRectObj&>(fade.light())
                                             : fade.fill();
        cover.setAlpha(static_cast<uint32_t>(fade.level()));
        cover.draw(s);
    });
    watch.core->setPassCheck([&, &layers = part->graphic()](bool reported) {
        if (reported || !unreported.empty() || !watch.core->isYieldOnDirty()) return;
        std::vector<size_t> filled;
        for (const auto& l : layers.getLayers()) filled.push_back(l.size());
        layers.compose(true);
        if (screen.watchedDiffers()) {
            const TG2Thread* t = g2Engine()->getCurrentThread();
            unreported = "frame " + std::to_string(screen.checkedFrames()) + ", " +
                         (t ? t->scriptName() + " at " + std::to_string(t->position()) : "no thread");
        }
        for (size_t i = 0; i < filled.size(); ++i)
            while (layers.getLayers()[i].size() > filled[i]) layers.getLayers()[i].pop_back();
        screen.graphic().clearDirty();  // what composing reported
    });
    const auto same = [&] { return screen.firstDifferingFrame() < 0 && unreported.empty(); };
    const auto why = [&] {
        return "drawn apart at frame " + std::to_string(screen.firstDifferingFrame()) + "; changed unreported at " +
               (unreported.empty() ? "none" : unreported);
    };
    const auto frames = [&](int n) {
        for (int i = 0; i < n && same(); ++i) step();
        return same();
    };

    pointAt(1, 1);
    ASSERT_TRUE(frames(30));
    for (int i = 0; i < 10; ++i) {
        step();
        EXPECT_EQ(screen.lastDrawnArea(), 0) << "the still title, frame " << i;
    }
    for (int item = 0; item < 6; ++item) {
        pointAt(537, 405 + 30 * item);
        ASSERT_TRUE(frames(4)) << "item " << item << ", " << why();
        EXPECT_LT(screen.lastDrawnArea(), 800 * 600 / 4) << "the highlight alone is drawn";
    }

    // The kit's story: its first lines, the backlog, the second choice, the fade to its end.
    const auto story = [&] { return dynamic_cast<TTaskNovel*>(frame->find(kTaskNovel)); };
    const auto line = [&] {
        TG2Thread* t = g2Engine() && story() ? g2Engine()->getCurrentThread() : nullptr;
        return t ? t->positionId() : -1;
    };
    const auto menuOpen = [&] { return story() && g2Engine() && (g2Engine()->core()->menuMode() & 2); };
    click(537, 405);
    ASSERT_TRUE(runUntil([&] { return line() == 0 || !same(); }));
    ASSERT_TRUE(frames(90)) << why();  // the line comes out, the mark blinks
    for (int i = 0; i < 20 && !menuOpen() && same(); ++i) {
        click(400, 200);
        frames(60);
    }
    ASSERT_TRUE(same()) << why();
    ASSERT_TRUE(menuOpen());
    pointAt(400, 200);
    platform::postMessage(window->handle(), platform::WM_MOUSEWHEEL, 120u << 16, platform::makeLParam(400, 200));
    ASSERT_TRUE(frames(30)) << "the backlog, " << why();
    rightClick();
    ASSERT_TRUE(frames(30));
    pointAt(400, 235);
    ASSERT_TRUE(frames(5));
    click(400, 283);
    for (int i = 0; i < 20 && story() && same(); ++i) {
        frames(80);
        click(400, 200);
    }
    ASSERT_TRUE(same()) << why();
    ASSERT_TRUE(runUntil([&] { return at(1, 20) || !same(); }, 1000)) << where();

    // The story that moves its pictures.
    frame->killById(kTaskTitle);
    frame->add(kTaskNovel, new TTaskNovel("moving.g2", nullptr), 0);
    ASSERT_TRUE(runUntil([&] { return story() && story()->subStep() == 11; }, 100)) << "the moving story runs";
    int changing = 0;
    for (int i = 0; i < 12 && !at(1, 20) && same(); ++i) {
        for (int f = 0; f < 70 && same(); ++f) {
            step();
            changing += screen.lastDrawnArea() > 0;
        }
        click(400, 200);
    }
    EXPECT_GT(changing, 100) << "frames in which pictures moved or changed";
    ASSERT_TRUE(same()) << why();
    ASSERT_TRUE(runUntil([&] { return at(1, 20) || !same(); }, 1000)) << where();

    // Free play: the table's play.
    setUpFreePlay();
    click(10 + 20, 463 + 10);
    ASSERT_TRUE(runUntil([&] { return frame->find(kTaskMatch) != nullptr; })) << where();
    int played = 0;
    playUntil([&] { return !same() || ++played == 1500; }, 1600);
    EXPECT_TRUE(same()) << why();
    EXPECT_GT(screen.checkedFrames(), 2500);
    EXPECT_TRUE(boxes.requests().empty()) << boxes.last().text;
}

// The kit's openings, the story's and a scene replay's, are one step: the first frame that shows
// the message window shows it with every button beside it, over its scene, as the window stands
// once its first line is out. So it is too on a machine so slow that every pass of a script takes
// a frame's whole time, and each frame ends after one pass of the opening.
TEST_F(GameTest, AStorysMessageWindowComesUpWholeOverItsScene) {
    ASSERT_TRUE(toTitle(false));
    bool slow = false;
    g2Engine()->core()->setPassCheck([&](bool) { clock.advance(slow ? TG2Core::kFrameBudgetMs : 0); });
    const std::unique_ptr<TG2Core, void (*)(TG2Core*)> unhook(g2Engine()->core(),
                                                              [](TG2Core* c) { c->setPassCheck(nullptr); });
    const auto story = [&] { return dynamic_cast<TTaskNovel*>(frame->find(kTaskNovel)); };
    graphics::TSurface32 surface;
    ASSERT_TRUE(surface.alloc(800, 600));
    // The script engine's part of the frame just drawn, but for the text inside message frame 0.
    const auto picture = [&] {
        surface.fillRect(0, 0, 800, 600, 0xFF000000);
        g2Engine()->draw(surface);
        std::vector<uint32_t> px(surface.pixels(), surface.pixels() + 800 * 600);
        for (int y = 440; y < 580; ++y) std::fill_n(px.begin() + y * 800 + 40, 720, 0u);
        return px;
    };
    for (const bool slowly : {false, true})
        for (const std::string script : {"script.pak\\a0001.g2", "script.pak\\hs00.g2"}) {
            SCOPED_TRACE(script + (slowly ? ", slowly" : ""));
            slow = false;
            if (!slowly && script == "script.pak\\a0001.g2") {
                click(537, 405);  // new game
            } else {
                frame->killById(kTaskTitle);
                frame->killById(kTaskNovel);
                ASSERT_TRUE(runUntil([&] { return !story(); }, 10));
                frame->add(kTaskNovel, new TTaskNovel(script.c_str(), nullptr), 0);
            }
            slow = slowly;
            ASSERT_TRUE(runUntil([&] { return story() && story()->subStep() == 11; }, 100));
            int frames = 1;
            for (; frames < 200 && !g2Engine()->doc()->frame(0)->isVisible(); ++frames) step();
            EXPECT_TRUE(slowly || frames == 1) << "the window comes up in the script's first frame, not " << frames;
            const std::vector<uint32_t> first = picture();
            for (int i = 0; i < 160; ++i) step();  // the first line types out
            const std::vector<uint32_t> out = picture();
            long changed = 0;
            for (size_t i = 0; i < out.size(); ++i) changed += first[i] != out[i];
            EXPECT_EQ(changed, 0) << "pixels that changed since the window came up, " << frames << " frames in";
        }
}
