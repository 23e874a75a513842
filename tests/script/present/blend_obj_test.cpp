// The savable cross-fade: what a save holds of it comes back, the after picture as a picture of
// its own taken from the bank again, and the same mix is drawn.
#include <gtest/gtest.h>

#include "graphics/surface32.h"
#include "present_fixture.h"
#include "script/present/graphic/sprite_state.h"

namespace present {
namespace {

TEST(BlendObjEx, ASavedCrossFadeComesBackAndDrawsTheSameMix) {
    testing::PictureStore store;
    testing::TestHost host;
    store.pictures["a.bmp"] = {40, 30, 0xFFFF0000u};
    store.pictures["b.bmp"] = {40, 30, 0xFF0000FFu};
    auto* before = dynamic_cast<graphics::TSprObj*>(host.createGrObj("a.bmp"));
    auto* after = dynamic_cast<graphics::TSprObj*>(host.createGrObj("b.bmp"));
    ASSERT_TRUE(before && after);
    after->graphics::TGrObj::setPos(5, 3);
    TBlendObjEx fade;
    fade.setPictures(before, after, 0);
    fade.setLevel(100);
    fade.setParam(7);
    fade.setOpacity(200);
    fade.setDepth(12);
    const std::string saved = testing::saveBytes([&](TValueExchange& x) { fade.exchange(x); });

    TBlendObjEx loaded;
    loaded.setPictures(before, nullptr, 0);
    loaded.setLevel(100);
    testing::loadBytes(saved, [&](TValueExchange& x) { loaded.exchange(x); });
    ASSERT_NE(loaded.after(), nullptr);
    EXPECT_NE(loaded.after(), after) << "a picture of its own";
    EXPECT_EQ(loaded.after()->getSurface(), after->getSurface()) << "the bank's surface again";
    EXPECT_EQ(loaded.getParam(), 7);
    EXPECT_EQ(loaded.getOpacity(), 200);
    EXPECT_EQ(loaded.getDepth(), 12);
    EXPECT_EQ(testing::saveBytes([&](TValueExchange& x) { loaded.exchange(x); }), saved);
    graphics::TSurface32 s1, s2;
    s1.createFilled(60, 40, 0xFF000000u);
    s2.createFilled(60, 40, 0xFF000000u);
    fade.draw(s1);
    loaded.draw(s2);
    EXPECT_TRUE(std::equal(s1.pixels(), s1.pixels() + 60 * 40, s2.pixels()));
    EXPECT_NE(s1.getPixel(20, 15), 0xFFFF0000u) << "mixed, not the before picture alone";

    // Loading "none" over its own picture lets go of it; the bank's count comes back down.
    const int32_t refs = host.surfaces().refCount(after->getSurface());
    TBlendObjEx empty;
    const std::string none = testing::saveBytes([&](TValueExchange& x) { empty.exchange(x); });
    testing::loadBytes(none, [&](TValueExchange& x) { loaded.exchange(x); });
    EXPECT_EQ(loaded.after(), nullptr);
    EXPECT_EQ(host.surfaces().refCount(after->getSurface()), refs - 1);
    graphics::TGrObj* b = before;
    graphics::TGrObj* a = after;
    deleteGrObj(b);
    deleteGrObj(a);
}

}  // namespace
}  // namespace present
