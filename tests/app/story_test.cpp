// The story task end to end on the engine: a script asks for a match, three computers and an
// automatic player play it, the story reads the standings and branches, and the title comes
// back; saves and settings survive a restart of the program.
#include "app/task_novel.h"
#include "app/task_system.h"
#include "framework/profile.h"
#include "game/mode/auto_client.h"
#include "game/mode/mode_task.h"
#include "screens_fixture.h"
#include "script/img_disp.h"

namespace {

using apptest::AppWorld;

constexpr const char* kMatchStory = R"(
START:
    vi0 20
    push 7
    set
    pop
    save0 0
    text "before the match"
    cmd 0x1103
    vb1 3
    push 1
    set
    pop
    cmd 0xE000, 0, 4, 1
    vi0 12
    push 0
    eq
    jz @lost
    vi0 20
    push 1
    set
    pop
    jmp @end
@lost:
    vi0 20
    push 2
    set
    pop
@end:
    text "after the match"
    cmd 0x1103
    ret
)";

// The human's seat played by the computer's logic; at the end it asks to go on (or not).
class Player : public game::mode::TAutoClient {
public:
    Player(game::server::TTaskGame* server, TRandom* tieBreak, bool goOn)
        : TAutoClient(server, tieBreak), goOn_(goOn) {}

protected:
    game::client::TClientRect endButtonRect(int index) const override {
        return index == (goOn_ ? 0 : 1) ? game::client::TClientRect{0, 0, 800, 600} : game::client::TClientRect{};
    }

private:
    bool goOn_;
};

class Story : public AppWorld {
protected:
    Story() {
        addScript("script.pak\\a0001.g2", kMatchStory);
        system = new TTaskSystem;
        host.tasks().add(app::kTaskSystem, system, 0);
    }
    ~Story() override { mahjongModeServices() = TMahjongModeServices{}; }
    void seatPlayer(bool goOn) {
        mahjongModeServices().random = &serverRandom;
        mahjongModeServices().tieBreak = &tieBreak;
        mahjongModeServices().makeHuman = [this, goOn](game::server::TTaskMahjongGame& server) {
            return new Player(&server, &tieBreak, goOn);
        };
    }
    // Frames until done; the automatic player's own clock moves with them.
    bool play(const std::function<bool()>& done, int limit) {
        return host.runUntil(
            [&] {
                if (story() && story()->match())
                    if (auto* c = dynamic_cast<game::mode::TAutoClient*>(story()->match()->client()))
                        c->autoHost().nextFrame();
                return done();
            },
            limit);
    }
    TTaskNovel* story() { return dynamic_cast<TTaskNovel*>(host.tasks().find(app::kTaskNovel)); }

    TRandom serverRandom{7}, tieBreak{8};
    TTaskSystem* system;
};

TEST_F(Story, AMatchFromTheScriptReturnsItsStandingsAndTheStoryBranchesOnThemToTheTitle) {
    seatPlayer(true);
    host.tasks().add(app::kTaskNovel, new TTaskNovel("script.pak\\a0001.g2", nullptr), 0);
    // The text types out; a click shows it whole, the next ends the wait.
    ASSERT_TRUE(host.runUntil(
        [&] {
            player.click = true;
            return story() && story()->match();
        },
        500));
    EXPECT_EQ(story()->seatCount(), 4);
    EXPECT_EQ(story()->gameLength(), 1);
    TTaskMahjongAlone* match = story()->match();
    EXPECT_EQ(host.tasks().find(app::kTaskMatch), match);
    ASSERT_EQ(match->profiles().size(), 4u);
    EXPECT_EQ(match->profiles()[2]->name(), "south");
    EXPECT_EQ(match->profiles()[2]->character(), 5u);
    EXPECT_EQ(match->profiles()[1]->dealerMusic(), 1u);
    EXPECT_EQ(match->profiles()[1]->ritiMusic(), 2u);
    EXPECT_EQ(match->rule().gameLength, 1);
    // The engine is not drawn while the match holds the screen.
    host.frame();
    for (const auto& layer : host.screen.getLayers())
        for (auto* obj : layer) EXPECT_NE(obj, engine.get());

    ASSERT_TRUE(play([&] { return !story() || !story()->match(); }, 200000));
    ASSERT_NE(story(), nullptr);
    TG2Memory& m = *engine->memory();
    std::vector<int> ranks;
    for (int i = 0; i < 4; ++i) ranks.push_back(m.getInt("$mj_stand", i));
    std::vector<int> sorted = ranks;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_TRUE(m.getBool("@hscene", 3));

    // The story goes on, branches on the player's standing and ends.
    int32_t branch = 0;
    ASSERT_TRUE(host.runUntil(
        [&] {
            player.click = true;
            if (story() && story()->subStep() < 40) branch = m.getInt("$branch", 0);
            return story() == nullptr;
        },
        2000));
    EXPECT_EQ(host.released, 1);
    EXPECT_EQ(branch, ranks[0] == 0 ? 1 : 2);
    EXPECT_NE(dynamic_cast<apptest::StubTitle*>(host.tasks().find(app::kTaskTitle)), nullptr);
    EXPECT_EQ(host.tasks().find(app::kTaskMatch), nullptr);
}

TEST_F(Story, AMatchThePlayerDoesNotContinueEndsTheStory) {
    seatPlayer(false);
    host.tasks().add(app::kTaskTitle, new apptest::StubTitle, 0);
    auto* title = host.tasks().find(app::kTaskTitle);
    host.tasks().add(app::kTaskNovel, new TTaskNovel("script.pak\\a0001.g2", nullptr), 0);
    ASSERT_TRUE(play(
        [&] {
            player.click = true;
            return story() == nullptr;
        },
        200000));
    EXPECT_EQ(host.released, 1);
    EXPECT_EQ(host.tasks().find(app::kTaskTitle), title);  // no second hub
}

TEST_F(Story, PicturesTheStoryShowsAreMarkedSeenForTheGallery) {
    const std::string table =
        "100001,data.pak\\ev100_1.bmp\n100002,data.pak\\ev100_2.bmp\n200001,data.pak\\ev200.bmp\n";
    TMemoryStream s;
    s.write(table.data(), static_cast<uint32_t>(table.size()));
    s.seek(0, 0);
    TG2ImgDisp& images = engine->core()->getImgDisp();
    images.load(s);
    addScript("script.pak\\a0001.g2",
              "START:\n    cmd 0x15b1, \"data.pak\\\\ev100_2.bmp;tx00ff00\"\n"
              "    cmd 0x15b0, 200001\n    ret\n");
    host.tasks().add(app::kTaskNovel, new TTaskNovel("script.pak\\a0001.g2", nullptr), 0);
    ASSERT_TRUE(host.runUntil([&] { return story() == nullptr; }, 100));
    EXPECT_FALSE(images.isSeen(100001));
    EXPECT_TRUE(images.isSeen(100002));
    EXPECT_TRUE(images.isSeen(200001));
    EXPECT_TRUE(engine->imageSeen(100002));
}

TEST_F(Story, CommandsAndCallbacksOfThePlayer) {
    host.tasks().add(app::kTaskNovel, new TTaskNovel("script.pak\\a0001.g2", nullptr), 0);
    ASSERT_TRUE(host.runUntil([&] { return story() && story()->subStep() == 11; }));
    TTaskNovel& s = *story();
    s.onSystemCommand(6);
    EXPECT_TRUE(engine->status().skipMessage);
    s.onSystemCommand(5);
    EXPECT_TRUE(engine->status().autoText);
    s.onSystemCommand(9);
    EXPECT_FALSE(host.windowed);
    s.onSystemCommand(11);
    EXPECT_EQ(host.minimised, 1);
    // Right click: the system menu only while "RightClick" is 1.
    host.rightClickValue = 0;
    s.onEngineCallback(0, 0, nullptr);
    EXPECT_EQ(s.subStep(), 11);
    host.rightClickValue = 1;
    s.onEngineCallback(0, 0, nullptr);
    EXPECT_EQ(s.subStep(), 20);
    EXPECT_EQ(s.systemPage(), 0);
    host.frame();
    EXPECT_EQ(system->step(), 1);
    host.cancel();
    ASSERT_TRUE(host.runUntil([&] { return s.subStep() == 11; }, 50));
    // A host call whose first value is not 0 is no match.
    int32_t values[3] = {1, 4, 1};
    s.onEngineCallback(99, 3, values);
    EXPECT_EQ(s.subStep(), 11);
    // The sub-menu's free buttons, through the engine as the sub-menu calls it (the address
    // of the button's number): quick save, quick load, voice; others nothing.
    engine->callHost(4, 1, {0, 0, 0});
    EXPECT_EQ(s.systemPage(), 4);
    host.frame();
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "save" / "it121.sav"));
    host.frame();
    engine->callHost(4, 1, {1, 0, 0});
    EXPECT_EQ(s.systemPage(), 3);
    host.cancel();
    ASSERT_TRUE(host.runUntil([&] { return s.subStep() == 11; }, 50));
    engine->callHost(4, 1, {7, 0, 0});
    EXPECT_EQ(s.subStep(), 11);
    s.onEngineCallback(4, 1, nullptr);  // no number at all
    EXPECT_EQ(s.subStep(), 11);
}

TEST_F(Story, SaveAndSettingsSurviveARestart) {
    host.tasks().add(app::kTaskNovel, new TTaskNovel("script.pak\\a0001.g2", nullptr), 0);
    ASSERT_TRUE(host.runUntil([&] { return story() && story()->subStep() == 11; }));
    story()->onSystemCommand(7);  // quick save
    host.frame();
    host.frame();
    ASSERT_TRUE(std::filesystem::exists(dir.path() / "save" / "it121.sav"));
    // Settings changed on the page and written as the program writes them at its end.
    system->open(1, 0);
    host.frame();
    host.clickAt(395, 310);  // music level 3
    host.clickAt(527, 185);  // automatic text level 2
    const app::SystemConfig changed = system->config();
    {
        TProfile ini;
        ASSERT_TRUE(ini.open((dir.path() / "save" / "game.ini").string(), "G2Status"));
        engine->status().writeProfile(ini);
    }

    // The program ends and starts again.
    host.tasks().terminate();
    stopEngine();
    startEngine();
    {
        TProfile ini;
        ASSERT_TRUE(ini.open((dir.path() / "save" / "game.ini").string(), "G2Status"));
        engine->status().readProfile(ini);
    }
    EXPECT_EQ(engine->memory()->getInt("$branch", 0), 0);
    system = new TTaskSystem;
    host.tasks().add(app::kTaskSystem, system, 0);
    host.tasks().add(app::kTaskTitle, new apptest::StubTitle, 0);
    host.frame();
    system->readConfig();
    EXPECT_EQ(system->config().music, changed.music);
    EXPECT_EQ(system->config().autoText, 2);
    EXPECT_EQ(system->config(), changed);

    // Quick load from the title's load page: the story goes on from the save with its state.
    system->open(0, 1);
    host.frame();
    host.clickAt(540, 65);
    host.runUntil([&] { return system->dialogShown(); }, 20);
    host.clickAt(320, 325);
    ASSERT_TRUE(host.runUntil([&] { return story() && story()->subStep() == 11; }, 200));
    EXPECT_EQ(story()->slot(), 120);
    EXPECT_EQ(engine->memory()->getInt("$branch", 0), 7);
    EXPECT_EQ(host.tasks().find(app::kTaskTitle), nullptr);
}

}  // namespace
