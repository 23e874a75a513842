// Animated objects run their scripts against the engine clock and save where they stand.
#include <gtest/gtest.h>

#include "graphics/surface32.h"
#include "present_fixture.h"
#include "script/present/ui/anis_obj.h"

namespace present {
namespace {

using testing::PictureStore;
using testing::TestHost;

class AnisObjTest : public ::testing::Test {
protected:
    AnisObjTest() {
        store.pictures["anim\\a.bmp"] = {10, 10, 0xFFFF0000u};
        store.pictures["anim\\b.bmp"] = {20, 20, 0xFF00FF00u};
        store.texts["anim\\loop.as"] = "0 i a.bmp 0 0\r\n100 i b.bmp 5 5\r\n200 j 0\r\n";
        store.texts["anim\\once.as"] = "0 i a.bmp 0 0\r\n300 b 100\r\n";
        store.texts["anim\\spin.as"] = "0 i a.bmp 0 0\r\n0 j 0\r\n";
    }
    static uint32_t colourOf(const TAnisObjEx& obj) { return obj.getSurface() ? obj.getSurface()->getPixel(0, 0) : 0; }

    PictureStore store;
    TestHost host;
};

TEST_F(AnisObjTest, ALoopShowsThePhaseOfTheClock) {
    TAnisObjEx obj;
    ASSERT_TRUE(obj.load("anim\\loop.as"));
    EXPECT_EQ(obj.Name, "anim");
    EXPECT_EQ(store.loads, 2);  // both pictures preloaded
    obj.setPos(50, 60);
    obj.restart();
    obj.update(0);
    EXPECT_EQ(colourOf(obj), 0xFFFF0000u);
    obj.update(150);
    EXPECT_EQ(colourOf(obj), 0xFF00FF00u);
    EXPECT_EQ(obj.getPos(), (graphics::POINT{55, 65}));
    obj.update(250);  // 50 ms into the second round
    EXPECT_EQ(colourOf(obj), 0xFFFF0000u);
    EXPECT_EQ(obj.Origin, 200u);
    obj.update(399);
    EXPECT_EQ(colourOf(obj), 0xFF00FF00u);
    EXPECT_EQ(obj.Origin, 200u);  // less than a round late keeps the phase
    EXPECT_EQ(store.loads, 2);    // the bank served every later picture
}

TEST_F(AnisObjTest, AScriptWithoutJumpStopsAndKeepsItsLastPicture) {
    TAnisObjEx obj;
    ASSERT_TRUE(obj.load("anim\\once.as"));
    obj.restart();
    obj.update(400);
    EXPECT_EQ(obj.Stopped, 1);
    EXPECT_EQ(colourOf(obj), 0xFFFF0000u);
    EXPECT_EQ(obj.getBlend(), 100u);
    obj.setVisible(false);
    EXPECT_EQ(obj.getSurface(), nullptr);
    obj.setVisible(true);  // showing restarts
    EXPECT_EQ(obj.Stopped, 0);
}

TEST_F(AnisObjTest, LongUptimeAndTimelessLoopsEndTheUpdate) {
    TAnisObjEx loop, spin;
    ASSERT_TRUE(loop.load("anim\\loop.as"));
    ASSERT_TRUE(spin.load("anim\\spin.as"));
    loop.restart();
    spin.restart();
    const uint32_t late = 4000000000u;
    loop.update(late);
    EXPECT_EQ(loop.Origin, late);  // the loop starts again now, not 20 million rounds later
    EXPECT_EQ(colourOf(loop), 0xFFFF0000u);
    loop.update(late + 120);
    EXPECT_EQ(colourOf(loop), 0xFF00FF00u);
    spin.update(10);
    EXPECT_EQ(colourOf(spin), 0xFFFF0000u);
    EXPECT_EQ(spin.Stopped, 0);
}

TEST_F(AnisObjTest, TheRandomBranchTakesItsSideAboutHalfTheTime) {
    TAnisObjBase::random().seed(1234);
    TAnisObjBase obj;
    std::string text = "0 b 255\r\n0 f r < 50 20\r\n0 b 10\r\n0 w\r\n20 b 20\r\n";
    TMemoryStream m(text.data(), static_cast<uint32_t>(text.size()));
    ASSERT_TRUE(obj.parse(m, ""));
    int taken = 0;
    for (int i = 0; i < 1000; ++i) {
        obj.restart();
        obj.update(0);
        taken += obj.getBlend() == 255;
    }
    EXPECT_GT(taken, 420);
    EXPECT_LT(taken, 580);
}

TEST_F(AnisObjTest, OnlyTheNamedGroupAdvances) {
    TAnisObjEx zero, one;
    ASSERT_TRUE(zero.load("anim\\once.as"));
    ASSERT_TRUE(one.load("anim\\once.as"));
    one.Group = 1;
    zero.restart();
    one.restart();
    TAnisObjBase::updateAll(0, 400);
    EXPECT_EQ(zero.Stopped, 1);
    EXPECT_EQ(one.Stopped, 0);
    EXPECT_EQ(one.getSurface(), nullptr);
}

TEST_F(AnisObjTest, ASaveResumesAtTheSamePointAndSavesAgainByteForByte) {
    TAnisObjEx obj;
    ASSERT_TRUE(obj.load("anim\\loop.as"));
    obj.setPos(30, 40);
    obj.restart();
    host.now = 5150;
    obj.update(5150);
    const uint32_t origin = obj.Origin;
    const std::string saved = testing::saveBytes([&](TValueExchange& x) { obj.exchange(x); });

    host.now = 90000;
    TAnisObjEx back;
    testing::loadBytes(saved, [&](TValueExchange& x) { back.exchange(x); });
    EXPECT_EQ(back.Script, "anim\\loop.as");
    EXPECT_EQ(back.Origin, 90000 - (5150 - origin));
    EXPECT_EQ(back.getPos(), obj.getPos());
    EXPECT_EQ(colourOf(back), colourOf(obj));
    EXPECT_EQ(back.getDrawWidth(), obj.getDrawWidth());
    EXPECT_EQ(testing::saveBytes([&](TValueExchange& x) { back.exchange(x); }), saved);
    EXPECT_EQ(host.surfaces().refCount(obj.getSurface()), 2);

    back.update(back.Origin + 100);  // b.bmp is stamped 100 after the round began
    EXPECT_EQ(colourOf(back), 0xFF00FF00u);
}

TEST_F(AnisObjTest, AnOriginInThePastSavesItsDistanceAndACloneHasNoScriptName) {
    TAnisObjEx obj;
    ASSERT_TRUE(obj.load("anim\\loop.as"));
    obj.Origin = 500;
    host.now = 1500;
    TAnisObjEx probe;
    const std::string saved = testing::saveBytes([&](TValueExchange& x) { obj.exchange(x); });
    testing::loadBytes(saved, [&](TValueExchange& x) { probe.exchange(x); });
    EXPECT_EQ(host.now - probe.Origin, 1000u);

    auto copy = obj.clone();
    auto* anim = dynamic_cast<TAnisObjEx*>(copy.get());
    ASSERT_NE(anim, nullptr);
    EXPECT_EQ(anim->Script, "");
    EXPECT_EQ(anim->Commands.size(), 3u);
}

TEST_F(AnisObjTest, ASaveWhosePositionNoLongerFitsLeavesTheObjectStopped) {
    TAnisObjEx obj;
    ASSERT_TRUE(obj.load("anim\\loop.as"));
    obj.restart();
    obj.Next = 2;
    const std::string saved = testing::saveBytes([&](TValueExchange& x) { obj.exchange(x); });
    store.texts["anim\\loop.as"] = "0 i a.bmp 0 0\r\n";
    TAnisObjEx back;
    testing::loadBytes(saved, [&](TValueExchange& x) { back.exchange(x); });
    EXPECT_EQ(back.Stopped, 1);
    back.update(1000);  // nothing runs past the end
    EXPECT_EQ(back.Next, 0);
}

}  // namespace
}  // namespace present
