// The system screen driven by the pointer: the configuration page's levels and what they write,
// the exits, and the save and load pages over real save files, including damaged ones and a save
// cut off by a kill.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>

#include "app/task_novel.h"
#include "app/task_system.h"
#include "app/thumbnail.h"
#include "screens_fixture.h"
#include "script/core.h"
#include "script/thread.h"

namespace {

using apptest::AppWorld;

// Renames to let happen before the process kills itself, as a player's machine may go at the
// worst moment of a save; 0 never.
int renamesBeforeKill = 0;

}  // namespace

// Every rename of this program, the save writer's included, comes through here.
extern "C" int rename(const char* from, const char* to) {
    const int done = renameat(AT_FDCWD, from, AT_FDCWD, to);
    if (done == 0 && renamesBeforeKill > 0 && --renamesBeforeKill == 0) raise(SIGKILL);
    return done;
}

namespace {

// A story that stops at a save point and waits for clicks.
constexpr const char* kWaitingStory = R"(
START:
    save0 0
    text "one"
    cmd 0x1103
    save0 1
    text "two"
    cmd 0x1103
    ret
)";

class SystemScreen : public AppWorld {
protected:
    SystemScreen() {
        addScript("script.pak\\a0001.g2", kWaitingStory);
        system = new TTaskSystem;
        host.tasks().add(app::kTaskSystem, system, 0);
        host.frame();
    }
    // Frames until the page waits for the pointer again.
    void settle() {
        host.runUntil([&] { return system->subStep() == 20 || system->subStep() == 31; }, 50);
    }
    TTaskSystem* system;
};

TEST(ConfigurationLevels, VolumesTextSpeedAndAutoTextConvertAsThePageShowsThem) {
    // A volume's level is the first whose volume reaches it: the level's own volume never falls
    // short, the level below always does.
    for (int v = 0; v <= 255; ++v) {
        const int k = app::volumeLevel(v);
        ASSERT_GE(app::levelVolume(k), v) << v;
        if (k > 0) {
            ASSERT_LT(app::levelVolume(k - 1), v) << v;
        }
    }
    for (int k = 0; k <= 10; ++k) EXPECT_EQ(app::volumeLevel(app::levelVolume(k)), k);
    EXPECT_EQ(app::levelVolume(3), 76);
    EXPECT_EQ(app::textSpeedLevel(2001), 1);  // the start-up value
    EXPECT_EQ(app::textInterval(0), 3001);
    EXPECT_EQ(app::textInterval(1), 1501);
    EXPECT_EQ(app::textInterval(2), 0);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(app::textSpeedLevel(app::textInterval(k)), k);
        EXPECT_EQ(app::autoTextLevel(app::autoTextTimeout(k)), k);
    }
    EXPECT_EQ(app::textSpeedLevel(-5000), 2);
    EXPECT_EQ(app::autoTextLevel(-1000), 2);  // a hand-edited file still lights an item
}

TEST_F(SystemScreen, ConfigurationClicksTakeEffectAtOnce) {
    ASSERT_TRUE(system->open(1, 0));
    host.frame();
    host.frame();
    EXPECT_EQ(system->config().textSpeed, 1);
    EXPECT_EQ(system->config().music, 5);

    host.clickAt(395, 310);  // the music row's third bar
    EXPECT_EQ(engine->status().bgmVolume, 76);
    EXPECT_EQ(host.volumes[2], 76);
    host.frame();
    EXPECT_EQ(system->config().music, 3);
    EXPECT_GE(host.applied, 1);

    host.clickAt(430, 125);  // text speed, the middle item
    EXPECT_EQ(engine->status().textInterval, 1501);

    host.clickAt(330, 365);  // the effect row's silent item
    EXPECT_EQ(engine->status().seVolume, 0);

    host.clickAt(470, 65);  // full screen
    EXPECT_FALSE(host.windowed);

    host.clickAt(428, 425);  // the first voice row, fourth bar
    EXPECT_EQ(engine->core()->getActor(0).voiceVolume, 102);

    host.clickAt(140, 540);  // reset
    EXPECT_TRUE(host.windowed);
    EXPECT_EQ(engine->status().bgmVolume, 127);
    EXPECT_EQ(engine->status().seVolume, 127);
    EXPECT_EQ(engine->core()->getActor(0).voiceVolume, 127);
    EXPECT_EQ(engine->status().textInterval, 1501);
    EXPECT_EQ(engine->status().autoTextTimeout, -10);

    // The right button returns to the story that opened the page.
    host.cancel();
    host.frame();
    EXPECT_TRUE(system->isClosed());
}

TEST_F(SystemScreen, ExitsByCallerKind) {
    // From the title the right button closes the screen.
    system->open(0, 0);
    host.frame();
    host.frame();
    host.cancel();
    EXPECT_TRUE(system->isClosed());
    // The story's "title" item fades out, ends every task but the screen and the hub, and
    // brings the hub.
    host.tasks().add(app::kTaskNovel, new TTaskNovel("script.pak\\a0001.g2", nullptr), 0);
    host.frame();
    system->open(1, 0);
    host.frame();
    host.frame();
    host.clickAt(400, 540);
    EXPECT_TRUE(host.runUntil([&] { return system->isClosed(); }, 100));
    host.frame();
    EXPECT_EQ(host.tasks().find(app::kTaskNovel), nullptr);
    EXPECT_NE(dynamic_cast<apptest::StubTitle*>(host.tasks().find(app::kTaskTitle)), nullptr);
    EXPECT_EQ(host.tasks().find(app::kTaskSystem), system);
    // A page outside 0-4 leaves it idle.
    EXPECT_FALSE(system->open(1, 7));
    EXPECT_TRUE(system->isClosed());
}

TEST_F(SystemScreen, SavingOverAUsedEntryAsksWithAPreviewOfTheNewData) {
    auto* story = new TTaskNovel("script.pak\\a0001.g2", nullptr);
    host.tasks().add(app::kTaskNovel, story, 0);
    host.runUntil([&] { return story->subStep() == 11; });
    host.frame();
    engine->core()->setRecordTexts("rain", "");

    system->open(1, 2);  // save
    host.frame();
    host.frame();
    host.clickAt(30 + 40 * 2 + 5, 565);  // page tab 2
    host.frame();
    EXPECT_EQ(system->page(), 2);
    host.clickAt(40, 60 + 300 + 10);  // entry 3: slot 23
    settle();
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "save" / "it24.sav"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "save" / "it24.img"));
    ASSERT_TRUE(system->entryUsed(3));
    ASSERT_NE(system->thumbnail(3), nullptr);
    EXPECT_EQ(system->thumbnail(3)->width(), 96);
    EXPECT_EQ(system->bookPicture(3).getSurface() != nullptr, true);
    EXPECT_EQ(system->dateTexts(3)[0].size(), 4u);
    // The thumbnail is written once, by the core with the save: the file holds the core's picture
    // of the scene, and the page holds that same picture.
    {
        const auto written = app::loadThumbnail((dir.path() / "save" / "it24.img").string());
        ASSERT_NE(written, nullptr);
        graphics::TSurface32 scene;
        ASSERT_TRUE(scene.createFilled(96, 72, 0xFF000000u));
        engine->core()->renderThumbnail(scene);
        int differ = 0;
        for (int y = 0; y < 72; ++y)
            for (int x = 0; x < 96; ++x) {
                const uint32_t w = written->getPixel(x, y) & 0xFFFFFF;
                differ +=
                    w != (scene.getPixel(x, y) & 0xFFFFFF) || w != (system->thumbnail(3)->getPixel(x, y) & 0xFFFFFF);
            }
        EXPECT_EQ(differ, 0);
    }
    const auto firstBytes = std::filesystem::file_size(dir.path() / "save" / "it24.sav");

    // Over it again: the dialog shows slot 122's fresh data; "no" keeps the old save.
    clock.advance(120000);
    host.clickAt(40, 370);
    host.frame();
    ASSERT_TRUE(system->dialogShown());
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "save" / "it123.sav"));
    EXPECT_TRUE(system->entryUsed(TTaskSystem::kPreview));
    host.clickAt(400, 325);  // no
    host.frame();
    EXPECT_FALSE(system->dialogShown());
    EXPECT_EQ(std::filesystem::file_size(dir.path() / "save" / "it24.sav"), firstBytes);

    // With the confirmation off the click saves at once.
    host.confirm = false;
    host.clickAt(40, 170);  // entry 1: slot 21
    host.frame();
    EXPECT_FALSE(system->dialogShown());
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "save" / "it22.sav"));
    host.cancel();  // from the story: back to it
    host.frame();
    EXPECT_TRUE(system->isClosed());
}

TEST_F(SystemScreen, QuickSaveWritesSlot120InsideTheOpeningCall) {
    auto* story = new TTaskNovel("script.pak\\a0001.g2", nullptr);
    host.tasks().add(app::kTaskNovel, story, 0);
    host.runUntil([&] { return story->subStep() == 11; });
    system->open(1, 4);
    EXPECT_TRUE(system->isClosed());
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "save" / "it121.sav"));
    EXPECT_NE(system->thumbnail(10), nullptr);
}

TEST_F(SystemScreen, LoadingFromTheTitleStartsTheStoryOnTheSlotAndEndsTheHub) {
    host.tasks().add(app::kTaskTitle, new apptest::StubTitle, 0);
    auto* story = new TTaskNovel("script.pak\\a0001.g2", nullptr);
    host.tasks().add(app::kTaskNovel, story, 0);
    host.runUntil([&] { return story->subStep() == 11; });
    system->open(1, 4);  // quick save into 120
    story->kill();
    host.frame();

    system->open(0, 1);  // load, from the title
    host.frame();
    host.frame();
    host.clickAt(40, 1000);  // nowhere
    host.clickAt(300, 65);   // entry 5 of page 0: empty, not chosen
    settle();
    EXPECT_EQ(system->subStep(), 20);
    host.clickAt(540, 65);  // entry 10: the quick-save slot
    settle();
    ASSERT_TRUE(system->dialogShown());
    host.clickAt(320, 325);  // yes
    ASSERT_TRUE(host.runUntil([&] { return system->isClosed(); }, 100));
    auto* loaded = dynamic_cast<TTaskNovel*>(host.tasks().find(app::kTaskNovel));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->slot(), 120);
    host.frame();
    EXPECT_EQ(host.tasks().find(app::kTaskTitle), nullptr);
}

TEST_F(SystemScreen, DamagedSaveFilesShowEmptyOrBrokenEntriesAndNeverAHostileName) {
    auto* story = new TTaskNovel("script.pak\\a0001.g2", nullptr);
    host.tasks().add(app::kTaskNovel, story, 0);
    host.runUntil([&] { return story->subStep() == 11; });
    // A save whose book text is a format, then files cut short at every length.
    engine->core()->setRecordTexts("%s%n%s%n", "");
    ASSERT_TRUE(engine->core()->save(0));
    std::ifstream in(dir.path() / "save" / "it01.sav", std::ios::binary);
    const std::string whole{std::istreambuf_iterator<char>(in), {}};
    for (size_t cut = 0; cut < std::min<size_t>(whole.size(), 96); cut += 3) {
        std::ofstream(dir.path() / "save" / "it02.sav", std::ios::binary) << whole.substr(0, cut);
        std::ofstream(dir.path() / "save" / "it02.img", std::ios::binary) << whole.substr(0, cut);
        system->refreshPage();
    }
    std::ofstream(dir.path() / "save" / "it03.sav", std::ios::binary) << std::string(5000, '\xff');
    system->open(1, 1);
    host.frame();
    host.frame();
    EXPECT_TRUE(system->entryUsed(0));
    EXPECT_EQ(system->bookPicture(0).getSurface(), nullptr);
    EXPECT_FALSE(system->entryUsed(2));  // not a save file: an empty entry
    EXPECT_EQ(system->thumbnail(1), nullptr);
}

// A save killed between putting its thumbnail and itself in place leaves the slot its old save,
// and the load page and its dialog show that save without the new one's picture; a thumbnail of
// an earlier version, which carries no mark of its save, is shown as before.
TEST_F(SystemScreen, AThumbnailPutInPlaceWithoutItsSaveShowsNothingOfTheSaveTheSlotHolds) {
    addScript("scenes.g2", R"(
START:
    save0 0
    text "a dark scene"
    cmd 0x1103
    cmd 0x1501, 0, "data.pak\\11_bgsv00.argb", 0, 0
    save0 1
    text "a scene with a background"
    cmd 0x1103
    ret
)");
    auto* story = new TTaskNovel("scenes.g2", nullptr);
    host.tasks().add(app::kTaskNovel, story, 0);
    const auto line = [&] {
        TG2Thread* t = engine->getCurrentThread();
        return story->subStep() == 11 && t ? t->positionId() : -1;
    };
    ASSERT_TRUE(host.runUntil([&] { return line() == 0; }));
    auto& core = dynamic_cast<TG2CoreEx&>(*engine->core());
    core.scanRecords();
    ASSERT_NE(core.saveWithThumbnail(0), nullptr);
    const auto read = [&](const char* name) {
        std::ifstream in(dir.path() / name, std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), {}};
    };
    const std::string save = read("save/it01.sav"), picture = read("save/it01.img");
    ASSERT_TRUE(host.runUntil(
        [&] {
            player.click = true;
            return line() == 1;
        },
        500));

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        renamesBeforeKill = 1;  // the thumbnail in place, the save not yet
        core.saveWithThumbnail(0);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    ASSERT_TRUE(read("save/it01.sav") == save && read("save/it01.img") != picture)
        << "the new scene's thumbnail over the old scene's save";

    system->open(1, 1);  // the load page, from the story
    settle();
    ASSERT_TRUE(system->entryUsed(0));
    EXPECT_EQ(system->thumbnail(0), nullptr);
    host.clickAt(40, 70);  // entry 0: "LOAD THIS?"
    settle();
    ASSERT_TRUE(system->dialogShown());
    EXPECT_TRUE(system->entryUsed(TTaskSystem::kPreview));
    EXPECT_EQ(system->thumbnail(TTaskSystem::kPreview), nullptr);
    host.cancel();
    settle();

    // The same picture as an earlier version wrote it, without the mark.
    std::string unmarked = read("save/it01.img");
    unmarked.replace(6, 4, 4, '\0');
    std::ofstream(dir.path() / "save" / "it01.img", std::ios::binary) << unmarked;
    system->refreshPage();
    EXPECT_NE(system->thumbnail(0), nullptr);
}

}  // namespace
