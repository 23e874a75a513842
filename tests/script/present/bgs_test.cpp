// The background grid: commits, the flattened composite, morphs between the shown and the
// prepared grid, and a whole scene saved, loaded and saved again.
#include <gtest/gtest.h>

#include "graphics/surface32.h"
#include "present_fixture.h"
#include "script/present/ui/anis_obj.h"
#include "script/present/doc/doc.h"
#include "script/present/graphic/graphic.h"

namespace present {
namespace {

using testing::PictureStore;
using testing::TestHost;

constexpr uint32_t kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu, kBlack = 0xFF000000u;

class BgsTest : public ::testing::Test {
protected:
    BgsTest() : graphic(host) {
        store.pictures["bg\\red.bmp"] = {800, 600, kRed};
        store.pictures["bg\\blue.bmp"] = {800, 600, kBlue};
        store.pictures["bg\\small.bmp"] = {100, 100, 0xFF00FF00u};
        store.pictures["ch\\face.bmp"] = {64, 64, 0xFFFFFF00u};
        store.texts["ch\\blink.as"] = "0 i face.bmp 0 0\r\n100 i face.bmp 4 0\r\n200 j 0\r\n";
        graphic.create(800, 600);
        graphic.reset();
    }
    // A prepared element n showing a picture.
    void prepare(int n, const std::string& spec, int32_t x = 0, int32_t y = 0) {
        TG2BgSprite& e = graphic.getBgSprite(n);
        e.setPendingSprObj(host.createGrObj(spec));
        e.pending.SprObj->setPos(x, y);
        e.pending.X = x, e.pending.Y = y;
    }
    uint32_t compositeAt(int x, int y) {
        auto* obj = dynamic_cast<TSprObjEx*>(graphic.getBgsCenter().SprObj);
        return obj && obj->getSurface() ? obj->getSurface()->getPixel(x, y) : 0;
    }
    std::vector<uint32_t> frame() {
        graphic.clear();
        graphic.compose(true);
        graphics::TSurface32 s;
        s.createFilled(800, 600, 0xFF808080u);
        graphic.draw(s);
        return {s.pixels(), s.pixels() + 800 * 600};
    }

    PictureStore store;
    TestHost host;
    TG2Graphic graphic;
};

TEST_F(BgsTest, AfterAResetTheCompositeIsAScreenOfBlack) {
    auto* obj = dynamic_cast<TSprObjEx*>(graphic.getBgsCenter().SprObj);
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(obj->getSize(), (graphics::SIZE{800, 600}));
    EXPECT_EQ(obj->getPos(), (graphics::POINT{0, 0}));
    EXPECT_EQ(compositeAt(0, 0), kBlack);
    EXPECT_EQ(compositeAt(799, 599), kBlack);
}

TEST_F(BgsTest, ACommitKeepsASharedObjectAndDropsAReplacedOne) {
    prepare(0, "bg\\red.bmp");
    prepare(1, "bg\\small.bmp", 10, 10);
    graphic.getBgsCenter().commitStates();
    TG2BgSprite& e0 = graphic.getBgSprite(0);
    graphics::TGrObj* red = e0.SprObj;
    ASSERT_TRUE(e0.isShared());
    graphic.getBgsCenter().commitStates();
    EXPECT_EQ(e0.SprObj, red);

    graphics::TSurface32* redSurface = dynamic_cast<graphics::TSprObj*>(red)->getSurface();
    prepare(0, "bg\\blue.bmp");
    graphic.getBgsCenter().commitStates();
    EXPECT_TRUE(e0.isShared());
    EXPECT_NE(e0.SprObj, red);
    EXPECT_EQ(host.surfaces().refCount(redSurface), 0);

    auto& centre = graphic.getBgsCenter();
    centre.release();
    centre.SprObj = centre.renderToSprObj(nullptr);
    EXPECT_EQ(compositeAt(400, 300), kBlue);
    EXPECT_EQ(compositeAt(50, 50), 0xFF00FF00u);  // element 1 covers element 0 at equal depth
}

TEST_F(BgsTest, AMorphFadesFromTheShownToThePreparedGrid) {
    prepare(0, "bg\\red.bmp");
    graphic.getBgsCenter().commitStates();
    prepare(0, "bg\\blue.bmp");
    prepare(2, "bg\\small.bmp");  // nothing shown there yet: fades in
    auto& centre = graphic.getBgsCenter();
    auto* composite = dynamic_cast<TSprObjEx*>(centre.SprObj);
    centre.renderMorph(0, composite);
    EXPECT_EQ(compositeAt(400, 300), kRed);
    EXPECT_EQ(compositeAt(50, 50), kRed);
    centre.renderMorph(4096, composite);
    const uint32_t mid = compositeAt(400, 300);
    EXPECT_NEAR(static_cast<int>((mid >> 16) & 255), 128, 2);
    EXPECT_NEAR(static_cast<int>(mid & 255), 127, 2);
    centre.renderMorph(8191, composite);
    EXPECT_NEAR(static_cast<int>(compositeAt(400, 300) & 255), 255, 1);
    // Opacities and positions are put back afterwards.
    EXPECT_EQ(dynamic_cast<graphics::TSprObj*>(graphic.getBgSprite(2).pending.SprObj)->getBlend(), 255u);
    EXPECT_EQ(dynamic_cast<graphics::TSprObj*>(graphic.getBgSprite(0).SprObj)->getKind() & 6, 0u);
}

TEST_F(BgsTest, SharedHalvesAreSavedOnceAndSurviveALoadThatSplitsThem) {
    prepare(4, "bg\\small.bmp", 5, 5);
    graphic.getBgsCenter().commitStates();
    const std::string shared = testing::saveBytes([&](TValueExchange& x) { graphic.getBgsCenter().exchange(x); });
    prepare(4, "bg\\red.bmp");
    const std::string split = testing::saveBytes([&](TValueExchange& x) { graphic.getBgsCenter().exchange(x); });
    EXPECT_GT(split.size(), shared.size() + 20);

    testing::loadBytes(shared, [&](TValueExchange& x) { graphic.getBgsCenter().exchange(x); });
    EXPECT_TRUE(graphic.getBgSprite(4).isShared());
    testing::loadBytes(split, [&](TValueExchange& x) { graphic.getBgsCenter().exchange(x); });
    EXPECT_FALSE(graphic.getBgSprite(4).isShared());
    testing::loadBytes(shared, [&](TValueExchange& x) { graphic.getBgsCenter().exchange(x); });
    EXPECT_TRUE(graphic.getBgSprite(4).isShared());
    EXPECT_EQ(compositeAt(10, 10), 0xFF00FF00u);  // rebuilt by the load
}

TEST_F(BgsTest, ASceneSavesLoadsAndSavesAgainByteForByteAndDrawsTheSame) {
    prepare(0, "bg\\red.bmp");
    prepare(1, "bg\\small.bmp", 300, 200);
    graphic.getBgsCenter().commitStates();
    graphic.getBgsCenter().release();
    graphic.getBgsCenter().SprObj = graphic.getBgsCenter().renderToSprObj(nullptr);
    prepare(0, "bg\\blue.bmp");  // the next background, mid-change
    graphic.getBgsCenter().setOffset(3, 4);
    for (int n = 0; n < 8; ++n) {
        TG2Sprite& s = graphic.getSprite(10 + n);
        s.setImage("ch\\face.bmp", 20 + 90 * n, 100 + 10 * n, 0);
        s.setBlend(100 + 15 * n);
    }
    graphic.getSprite(40).setImage("ch\\blink.as", 100, 400, 0);
    graphic.getSprite(41).setImage("ch\\blink.as", 500, 400, 0);
    graphic.getSprite(41).Depth = 2;
    graphic.setStyle(20, 3, 700, nullptr);
    host.now = 1150;
    graphic.update();
    const std::vector<uint32_t> before = frame();
    const std::string saved = testing::saveBytes([&](TValueExchange& x) { graphic.exchange(x); });

    TG2Graphic other(host);
    other.create(800, 600);
    other.reset();
    testing::loadBytes(saved, [&](TValueExchange& x) { other.exchange(x); });
    EXPECT_EQ(testing::saveBytes([&](TValueExchange& x) { other.exchange(x); }), saved);
    other.clear();
    other.compose(true);
    graphics::TSurface32 s;
    s.createFilled(800, 600, 0xFF808080u);
    other.draw(s);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), s.pixels()));
    EXPECT_NE(other.getBgSprite(0).pending.SprObj, other.getBgSprite(0).SprObj);
}

}  // namespace
}  // namespace present

namespace present {
namespace {

TEST_F(BgsTest, AMorphGivesBothPicturesTheirOwnBlendTypesBack) {
    prepare(0, "bg\\red.bmp");
    graphic.getBgSprite(0).pending.SprObj->setPos(0, 0);
    graphic.getBgsCenter().commitStates();
    prepare(0, "bg\\blue.bmp");
    auto* shown = dynamic_cast<graphics::TMixObj*>(graphic.getBgSprite(0).SprObj);
    auto* next = dynamic_cast<graphics::TMixObj*>(graphic.getBgSprite(0).pending.SprObj);
    ASSERT_TRUE(shown && next);
    shown->setBlendType(2);  // additive
    next->setBlendType(6);   // multiplicative
    for (int32_t t : {0, 1, 4096, 8191}) {
        TSprObjEx* out = graphic.getBgsCenter().renderMorph(t, nullptr);
        EXPECT_EQ(shown->getBlendType(), 2u) << t;
        EXPECT_EQ(next->getBlendType(), 6u) << t;
        if (t == 4096) {
            const uint32_t mid = out->getSurface()->getPixel(10, 10);
            EXPECT_GT(mid >> 16 & 0xFF, 0x40u) << "cross-faded through alpha";
            EXPECT_GT(mid & 0xFF, 0x40u);
        }
        graphics::TGrObj* o = out;
        deleteGrObj(o);
    }
}

}  // namespace
}  // namespace present
