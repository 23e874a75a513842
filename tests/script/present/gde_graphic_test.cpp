// Transitions on the graphic layer's own sprites.
#include "script/present/transition/gde_graphic.h"

#include <gtest/gtest.h>

#include "present_fixture.h"

using namespace present;

namespace {

class ClockHost : public GraphicGdeHost {
public:
    using GraphicGdeHost::GraphicGdeHost;
    uint32_t now(bool) override { return clock; }
    uint32_t clock = 0;
};

}  // namespace

TEST(GdeGraphic, AFadeOnALayerSpriteDrawsInItsPlaceAndLeavesTheNewPicture) {
    present::testing::PictureStore store;
    store.pictures["a.bmp"] = {20, 10, 0xFFFF0000u};
    store.pictures["b.bmp"] = {20, 10, 0xFF0000FFu};
    present::testing::TestHost host;
    TG2Graphic graphic(host);
    graphic.create(64, 48);
    graphic.reset();
    ClockHost gde(graphic);
    setGdeHost(&gde);
    TG2Sprite& s = graphic.getSprite(3);
    s.setImage("a.bmp", 0, 0, 0);
    TG2Sprite& spare = graphic.getSprite(4);
    spare.setImage("b.bmp", 0, 0, 0);
    auto* after = dynamic_cast<graphics::TMixObj*>(spare.SprObj);
    ASSERT_NE(after, nullptr);
    spare.SprObj = nullptr;

    auto job = createGde(0xC001);
    job->setTime(100);
    ASSERT_TRUE(job->begin(gde.getSprite(3), after));
    EXPECT_EQ(s.Job, &gde.link(3));
    job->step();
    gde.clock = 50;
    job->step();
    graphics::TGrTableObj::Layer drawn;
    s.addToLayer(&drawn, 255);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn.front()->getTypeId(), graphics::kGrBlend);

    // Releasing the sprite finishes the job first: the new picture is shown, then released.
    gde.clock = 60;
    job->step();
    s.release();
    EXPECT_TRUE(job->isFinished());
    EXPECT_EQ(s.Job, nullptr);
    EXPECT_EQ(s.SprObj, nullptr);

    s.setImage("a.bmp", 0, 0, 0);
    spare.setImage("b.bmp", 0, 0, 0);
    after = dynamic_cast<graphics::TMixObj*>(spare.SprObj);
    spare.SprObj = nullptr;
    job = createGde(0xC004);
    ASSERT_TRUE(job->begin(gde.getSprite(3), after));
    job->step();
    gde.clock = 1000;
    job->step();
    job->step();
    EXPECT_TRUE(job->isFinished());
    EXPECT_EQ(s.SprObj, after);
    EXPECT_EQ(s.Job, nullptr);
    job.reset();
    setGdeHost(nullptr);
}
