// The graphic layer through the engine's interface: one frame built and drawn, and a save
// loaded into another engine's layer.
#include <gtest/gtest.h>

#include "graphics/surface32.h"
#include "present_fixture.h"
#include "script/present/transition/engine_graphic.h"

namespace present {
namespace {

TEST(EngineGraphic, TheEngineBuildsDrawsAndSavesThroughItsInterface) {
    testing::PictureStore store;
    store.pictures["bg\\red.bmp"] = {64, 48, 0xFFFF0000u};
    store.pictures["a.bmp"] = {8, 8, 0xFF00FF00u};
    store.texts["blink.as"] = "0 i a.bmp 0 0\r\n100 i a.bmp 8 0\r\n200 j 0\r\n";
    auto part = std::make_unique<GraphicPart>();
    EngineGraphic& engine = *part;
    ASSERT_TRUE(engine.create(64, 48));
    engine.reset();
    part->graphic().getBgSprite(0).setPendingSprObj(graphicHost().createGrObj("bg\\red.bmp"));
    part->graphic().getBgsCenter().commitStates();
    part->graphic().getBgsCenter().release();
    part->graphic().getBgsCenter().SprObj = part->graphic().getBgsCenter().renderToSprObj(nullptr);
    part->graphic().getSprite(3).setImage("blink.as", 10, 10, 0);
    engine.update(150);  // the second picture, 8 to the right
    engine.clearLayers();
    engine.buildTable(false);
    graphics::TSurface32 s;
    s.createFilled(64, 48, 0);
    engine.draw(s);
    EXPECT_EQ(s.getPixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(s.getPixel(17, 11), 0xFFFF0000u);
    EXPECT_EQ(s.getPixel(18, 11), 0xFF00FF00u);

    const std::string saved = testing::saveBytes([&](TValueExchange& x) { engine.exchange(x); });
    part.reset();
    GraphicPart other;
    other.create(64, 48);
    other.reset();
    other.update(150);
    testing::loadBytes(saved, [&](TValueExchange& x) { other.exchange(x); });
    other.clearLayers();
    other.buildTable(false);
    graphics::TSurface32 t;
    t.createFilled(64, 48, 0);
    other.draw(t);
    EXPECT_TRUE(std::equal(s.pixels(), s.pixels() + 64 * 48, t.pixels()));
}

}  // namespace
}  // namespace present
