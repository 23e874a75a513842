// The title hub's extras driven by the pointer: the gallery shows only what the image table has
// marked seen and steps through the seen variants with a cross-fade; the music room plays the
// clicked track; the scene replay plays a seen scene's script as a story and comes back.
#include "app/task_novel.h"
#include "app/title_extras.h"
#include "screens_fixture.h"
#include "script/img_disp.h"

namespace {

using apptest::AppWorld;

// A hub that only runs the extras steps.
class Hub : public TTask {
public:
    void update() override { extras.update(*this); }
    TitleExtras extras;
};

class Extras : public AppWorld {
protected:
    Extras() {
        hub = new Hub;
        host.tasks().add(app::kTaskTitle, hub, 0);
        // The gallery's variants, by id: CG 100 has three (the second never seen), CG 203 one
        // whose picture is missing.
        std::string table =
            "100001,data.pak\\17_cgkaiso_000.bmp\n100002,data.pak\\17_cgkaiso_001.bmp\n"
            "100003,data.pak\\17_cgkaiso_002.bmp\n203001,data.pak\\nothing.bmp\n";
        TMemoryStream s;
        s.write(table.data(), static_cast<uint32_t>(table.size()));
        s.seek(0, 0);
        host.images.load(s);
        host.images.setSeen(100001);
        host.images.setSeen(100003);
        host.images.setSeen(203001);
    }
    void enter(int step) {
        hub->setStep(step, 0);
        host.frame();
        host.runUntil([&] { return hub->subStep() == 20; }, 100);
    }
    // A click and the frames the screen takes to act on it.
    void click(int x, int y) {
        host.clickAt(x, y);
        host.frame();
        host.frame();
    }
    // What the hub put into layer 10 in the last frame.
    size_t shown() { return host.screen.getLayer(10)->size(); }
    Hub* hub;
};

TEST_F(Extras, TheGalleryShowsSeenCgsAndStepsThroughTheirSeenVariants) {
    enter(5);
    EXPECT_TRUE(hub->extras.seenCgs().at(100));
    EXPECT_TRUE(hub->extras.seenCgs().at(203));
    EXPECT_FALSE(hub->extras.seenCgs().at(101));
    host.frame();
    EXPECT_EQ(shown(), 1u + 8u + 1u);  // background, buttons, the one seen CG of page 0

    // An unseen thumbnail cannot be hovered.
    click(60 + 140 + 10, 100);
    EXPECT_EQ(hub->subStep(), 20);
    // Page 1 (CG 203): its picture is missing, so the viewer closes at once.
    click(75, 565);
    EXPECT_EQ(hub->extras.galleryPage(), 1);
    click(60 + 3 * 140 + 10, 100);
    EXPECT_EQ(hub->extras.selectedCg(), 203);
    host.runUntil([&] { return hub->subStep() == 20; }, 200);
    EXPECT_EQ(hub->extras.currentImage(), nullptr);

    // Page 0, CG 100: variants 1 and 3 in turn, the second over the first by a cross-fade.
    click(35, 565);
    click(70, 100);
    ASSERT_TRUE(host.runUntil([&] { return hub->subStep() == 34; }, 200));
    const graphics::TSurface32* first = hub->extras.currentImage();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(hub->extras.imageQueue().size(), 1u);
    host.pressed = 0x10000000;
    host.frame();
    ASSERT_TRUE(host.runUntil([&] { return hub->subStep() == 33; }, 5));
    host.pressed = 0x10000000;  // ignored during the cross-fade
    host.frame(100);
    EXPECT_EQ(hub->subStep(), 33);
    ASSERT_EQ(host.pool.size(), 2u);
    const uint32_t midway = host.pool[1]->getOpacity();
    EXPECT_GT(midway, 60u);
    EXPECT_LT(midway, 200u);
    host.runUntil([&] { return hub->subStep() == 34; }, 100);
    EXPECT_NE(hub->extras.currentImage(), first);
    EXPECT_EQ(hub->extras.nextImage(), nullptr);
    // After the last variant a click closes the viewer on the same page.
    host.pressed = 0x10000000;
    host.frame();
    ASSERT_TRUE(host.runUntil([&] { return hub->subStep() == 20; }, 200));
    EXPECT_EQ(hub->extras.currentImage(), nullptr);
    EXPECT_EQ(hub->extras.galleryPage(), 0);
    // Cancel goes back to the title menu.
    host.cancel();
    ASSERT_TRUE(host.runUntil([&] { return hub->step() == 1; }, 100));
}

TEST_F(Extras, TheMusicRoomPlaysTheClickedTrackAndLeavesItPlaying) {
    host.music = "bgm\\bgm00.ogg";
    enter(6);
    EXPECT_EQ(host.music, "");               // entering silences the title's music
    click(50 + 240 + 10, 80 + 50 * 3 + 10);  // track 12
    EXPECT_EQ(host.music, "bgm\\bgm12.ogg");
    click(50 + 240 + 10, 80 + 50 * 3 + 10);  // again: from its start
    EXPECT_EQ(host.plays, 2);
    click(70, 45);  // the scene replay tab
    ASSERT_TRUE(host.runUntil([&] { return hub->step() == 4; }, 100));
    EXPECT_EQ(host.music, "bgm\\bgm12.ogg");
}

TEST_F(Extras, ASeenSceneReplaysAsAStoryAndTheScreenComesBack) {
    addScript("script.pak\\hs04.g2", "START:\n    text \"scene\"\n    ret\n");
    engine->memory()->setBool("@hscene", 4, true);
    enter(4);
    EXPECT_EQ(hub->extras.seenScenes(),
              (std::vector<bool>{0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    host.frame();
    EXPECT_EQ(shown(), 1u + 4u + 1u);
    click(60 + 10, 90 + 10);  // scene 0: not seen
    EXPECT_EQ(hub->subStep(), 20);
    click(60 + 140 * 4 + 10, 90 + 10);  // scene 4
    ASSERT_TRUE(host.runUntil([&] { return host.tasks().find(app::kTaskNovel) != nullptr; }, 100));
    auto* story = dynamic_cast<TTaskNovel*>(host.tasks().find(app::kTaskNovel));
    ASSERT_NE(story, nullptr);
    EXPECT_EQ(story->file(), "script.pak\\hs04.g2");
    host.frame();
    EXPECT_EQ(shown(), 0u);  // the hub draws nothing while the scene plays
    ASSERT_TRUE(host.runUntil([&] { return host.tasks().find(app::kTaskNovel) == nullptr; }, 500));
    ASSERT_TRUE(host.runUntil([&] { return hub->subStep() == 20; }, 10));
    EXPECT_EQ(host.tasks().find(app::kTaskTitle), hub);  // no second hub
    host.cancel();
    ASSERT_TRUE(host.runUntil([&] { return hub->step() == 1; }, 100));
}

}  // namespace
