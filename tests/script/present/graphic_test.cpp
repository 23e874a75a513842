// Script sprites in the graphic layer: opacity, what counts as changed, sprites that follow the
// message windows, collapsing, the maker's choice of kind, and saves.
#include <gtest/gtest.h>

#include "graphics/surface32.h"
#include "present_fixture.h"
#include "script/present/ui/anis_obj.h"
#include "script/present/doc/doc.h"
#include "script/present/graphic/graphic.h"
#include "script/present/graphic/spr_maker_ex.h"

namespace present {
namespace {

using testing::PictureStore;
using testing::TestHost;

class GraphicTest : public ::testing::Test {
protected:
    GraphicTest() : doc(docHost), graphic(host) {
        store.pictures["bg\\red.bmp"] = {40, 30, 0xFFFF0000u};
        store.pictures["bg\\blue.png"] = {20, 20, 0xFF0000FFu};
        store.pictures["anim\\a.bmp"] = {10, 10, 0xFF00FF00u};
        store.texts["anim\\blink.as"] = "0 i a.bmp 0 0\r\n100 b 128\r\n200 j 0\r\n";
        store.texts["anim\\blink.ase"] = store.texts["anim\\blink.as"];
        doc.create();
        graphic.create(800, 600);
        graphic.reset();
        graphic.setDoc(&doc);
    }
    graphics::TGrTableObj::Layer& layer(int n) { return *graphic.getLayer(n); }

    PictureStore store;
    TestHost host;
    DocHost docHost;
    TG2Doc doc;
    TG2Graphic graphic;
};

TEST_F(GraphicTest, OpacityIsTheSpritesTimesTheMaster) {
    TG2Sprite& s = graphic.getSprite(3);
    s.setImage("bg\\red.bmp", 5, 6, 0);
    auto* obj = dynamic_cast<TSprObjEx*>(s.SprObj);
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(obj->getPos(), (graphics::POINT{5, 6}));
    graphics::TGrTableObj::Layer l;
    s.setBlend(128);
    for (auto [master, want] : {std::pair{255, 128}, {128, 64}, {0, 0}}) {
        s.addToLayer(&l, master);
        EXPECT_EQ(obj->getBlend(), static_cast<uint32_t>(want)) << master;
    }
    EXPECT_EQ(l.size(), 3u);
    s.Visible = false;
    s.addToLayer(&l, 255);
    graphic.getSprite(4).addToLayer(&l, 255);
    EXPECT_EQ(l.size(), 3u);
}

TEST_F(GraphicTest, OnlyChangedSpritesAreSavedAndALoadLeavesTheOthers) {
    EXPECT_FALSE(graphic.getSprite(0).isModified());
    graphic.getSprite(7).Connect = 1;
    graphic.getSprite(9).setImage("bg\\red.bmp", 0, 0, 0);
    graphic.getSprite(9).release();
    EXPECT_FALSE(graphic.getSprite(9).isModified());
    const std::string one = testing::saveBytes([&](TValueExchange& x) { graphic.exchange(x); });
    graphic.getSprite(7).Connect = 0;
    const std::string none = testing::saveBytes([&](TValueExchange& x) { graphic.exchange(x); });
    EXPECT_GT(one.size(), none.size());

    graphic.getSprite(20).setImage("bg\\red.bmp", 1, 2, 0);
    testing::loadBytes(none, [&](TValueExchange& x) { graphic.exchange(x); });
    EXPECT_NE(graphic.getSprite(20).SprObj, nullptr);
    testing::loadBytes(one, [&](TValueExchange& x) { graphic.exchange(x); });
    EXPECT_EQ(graphic.getSprite(7).Connect, 1);
}

TEST_F(GraphicTest, ConnectedSpritesFollowTheWindowsAndTheBacklog) {
    graphic.getSprite(1).setImage("bg\\red.bmp", 0, 0, 0);
    graphic.getSprite(1).Connect = 1;
    graphic.getSprite(2).setImage("bg\\red.bmp", 0, 0, 0);
    graphic.getSprite(2).Connect = 2;
    graphic.getSprite(3).setImage("bg\\red.bmp", 0, 0, 0);
    graphic.getSprite(3).Connect = 0x0300;
    graphic.getSprite(3).Depth = 100;
    doc.getFrame(0)->blend = 90;
    auto drawn = [&](int n) { return layer(n).size(); };

    graphic.compose(false);
    EXPECT_EQ(drawn(1) + drawn(2) + drawn(3) + drawn(100), 0u);
    graphic.clear();
    graphic.compose(true);
    EXPECT_EQ(drawn(1), 1u);
    EXPECT_EQ(drawn(2), 0u);
    ASSERT_EQ(drawn(3), 1u);  // its own number, not its depth
    EXPECT_EQ(dynamic_cast<graphics::TSprObj*>(graphic.getSprite(3).SprObj)->getBlend(), 90u);
    graphic.clear();
    doc.openLogView();
    graphic.compose(true);
    EXPECT_EQ(drawn(1), 0u);
    EXPECT_EQ(drawn(2), 1u);
    EXPECT_EQ(drawn(3), 0u);
}

TEST_F(GraphicTest, DepthsWithoutALayerAreSkippedAndKeptAsGiven) {
    TG2Sprite& s = graphic.getSprite(5);
    s.setImage("bg\\red.bmp", 0, 0, 0);
    s.Depth = 300;
    graphic.compose(false);
    EXPECT_EQ(layer(0).size(), 1u);  // the background alone
    for (int n = 1; n < 256; ++n) EXPECT_TRUE(layer(n).empty());
    const std::string saved = testing::saveBytes([&](TValueExchange& x) { graphic.exchange(x); });
    s.Depth = 5;
    testing::loadBytes(saved, [&](TValueExchange& x) { graphic.exchange(x); });
    EXPECT_EQ(s.Depth, 300);
}

TEST_F(GraphicTest, CollapsingMovesTheLastObjectToTheBase) {
    graphic.setBaseSprite(10);
    for (int n : {10, 11, 12}) graphic.getSprite(n).setImage("bg\\red.bmp", n, 0, 0);
    graphics::TGrObj* last = graphic.getSprite(12).SprObj;
    graphics::TSurface32* surface = dynamic_cast<graphics::TSprObj*>(last)->getSurface();
    graphic.collapseSprites(12);
    EXPECT_EQ(graphic.getSprite(10).SprObj, last);
    EXPECT_EQ(graphic.getSprite(11).SprObj, nullptr);
    EXPECT_EQ(graphic.getSprite(12).SprObj, nullptr);
    EXPECT_EQ(host.surfaces().refCount(surface), 1);
}

TEST_F(GraphicTest, TheMakerChoosesTheKindByExtension) {
    TSprMakerEx maker(host);
    auto kind = [&](const std::string& spec) {
        std::unique_ptr<graphics::TGrObj> obj(maker.createGrObj(spec));
        return obj ? static_cast<int>(sprObjCode(obj.get())) : -1;
    };
    store.pictures["bg\\RED.BMP"] = store.pictures["bg\\red.bmp"];
    EXPECT_EQ(kind("bg\\RED.BMP"), 1);
    EXPECT_EQ(kind("anim\\blink.as"), 2);
    EXPECT_EQ(kind("anim\\blink.ase"), 2);
    EXPECT_EQ(kind("bg\\blue.png;c(0,0,5,5)"), 1);  // no test matches: the first fallback
    EXPECT_EQ(kind("bg\\missing.bmp"), -1);
    EXPECT_EQ(host.seen, (std::vector<std::string>{"bg\\RED.BMP", "anim\\blink.as", "anim\\blink.ase",
                                                   "bg\\blue.png;c(0,0,5,5)"}));
    EXPECT_TRUE(maker.parseSpec("x.spd;A0x10;C7;T012"));
    EXPECT_EQ(maker.SeqNo, 16);
    EXPECT_EQ(maker.CombiNo, 7);
    EXPECT_EQ(maker.TextureNo, 10);  // octal

    graphic.getSprite(1).setImage("bg\\missing.bmp", 3, 3, 0);
    ASSERT_EQ(host.warnings.size(), 1u);
    EXPECT_EQ(host.warnings[0].first, 0x1002);
    EXPECT_EQ(graphic.getSprite(1).X, 0);
}

TEST_F(GraphicTest, LoadingAnotherKindReleasesTheOldObject) {
    TG2Sprite& s = graphic.getSprite(2);
    s.setImage("bg\\red.bmp", 0, 0, 0);
    const std::string saved = testing::saveBytes([&](TValueExchange& x) { graphic.exchange(x); });
    s.setImage("anim\\blink.as", 0, 0, 0);
    host.now = 10;
    graphic.update();
    graphics::TSurface32* animSurface = dynamic_cast<graphics::TSprObj*>(s.SprObj)->getSurface();
    ASSERT_NE(animSurface, nullptr);
    testing::loadBytes(saved, [&](TValueExchange& x) { graphic.exchange(x); });
    EXPECT_EQ(sprObjCode(s.SprObj), 1);
    EXPECT_EQ(host.surfaces().refCount(animSurface), 0);
}

TEST_F(GraphicTest, SpriteDataIsMadeByExtensionSharedAndSavedByName) {
    store.pictures["tex0.bmp"] = {32, 32, 0xFF0000FFu};
    store.texts["fx\\a.wsd"] =
        "[FileInfo]\nkind=WSD\nnumTexture=1\nnumCharactor=2\nnumAnimation=1\n[Texture]\nFile0=tex0.bmp\n"
        "[Charactor_0]\nnumChip=1\nChip0=0,0,0,0,0,16,16\n[Charactor_1]\nnumChip=1\nChip0=0,0,0,16,16,16,16\n"
        "[Animation_0]\nStep0=time,3,0\nStep1=time,3,1\nStep2=end\n";
    store.texts["fx\\a.spd"] = store.texts["fx\\a.wsd"];
    TSprMakerEx maker(host);
    std::unique_ptr<graphics::TGrObj> seq(maker.createGrObj("fx\\a.wsd;A0"));
    ASSERT_EQ(sprObjCode(seq.get()), 3);
    EXPECT_TRUE(dynamic_cast<TSpdObjEx*>(seq.get())->isPlaying());
    std::unique_ptr<graphics::TGrObj> combi(maker.createGrObj("fx\\a.spd;C1;T4"));
    ASSERT_EQ(sprObjCode(combi.get()), 3);
    EXPECT_EQ(dynamic_cast<TSpdObjEx*>(combi.get())->getCombiNo(), 1);

    TG2Sprite& s = graphic.getSprite(8);
    s.setImage("fx\\a.wsd;A0", 40, 50, 0);
    auto* data = dynamic_cast<TSpdObjEx*>(s.SprObj)->getData();
    EXPECT_EQ(host.spds().refCount(data), 2);
    const std::string saved = testing::saveBytes([&](TValueExchange& x) { graphic.exchange(x); });
    s.release();
    testing::loadBytes(saved, [&](TValueExchange& x) { graphic.exchange(x); });
    ASSERT_EQ(sprObjCode(s.SprObj), 3);
    EXPECT_TRUE(dynamic_cast<TSpdObjEx*>(s.SprObj)->isPlaying());
    EXPECT_EQ(testing::saveBytes([&](TValueExchange& x) { graphic.exchange(x); }), saved);
    EXPECT_EQ(host.spds().refCount(data), 2);
}

TEST_F(GraphicTest, AlignmentCodesPlaceInTheRectangleAndOnTheScreen) {
    const graphics::RECT r{100, 50, 300, 250};
    EXPECT_EQ(graphic.placeByAlign(0xFFFF, 10, 10, r), (graphics::POINT{0, 0}));
    EXPECT_EQ(graphic.placeByAlign(0x00, 10, 10, r), (graphics::POINT{195, 145}));
    EXPECT_EQ(graphic.placeByAlign(0x21, 10, 10, r), (graphics::POINT{100, 240}));
    EXPECT_EQ(graphic.placeByAlign(0x64, 10, 10, r), (graphics::POINT{395, 590}));
    EXPECT_EQ(graphic.placeByAlign(0x87, 10, 10, r), (graphics::POINT{300, 600}));
}

TEST_F(GraphicTest, AResetGivesEighteenPlainStylesAndAsksForTheirKind) {
    EXPECT_EQ(graphic.styles().size(), 18u);
    EXPECT_EQ(graphic.getStyle(5).Type, 5);
    EXPECT_EQ(graphic.getStyle(5).Time, -1);
    graphic.setStyle(30, 2, 500, nullptr);
    const std::string saved = testing::saveBytes([&](TValueExchange& x) { graphic.exchange(x); });
    graphic.reset();
    testing::loadBytes(saved, [&](TValueExchange& x) { graphic.exchange(x); });
    EXPECT_EQ(graphic.getStyle(30).Time, 500);
    EXPECT_EQ(graphic.createEffect(5, nullptr), nullptr);
}

// A bank whose every file is an empty mask, so that only the references are counted.
class MaskBank : public AlphaChBank {
protected:
    graphics::TAlphaCh* load(const std::string&) override { return new graphics::TAlphaCh; }
};

class MaskHost : public TestHost {
public:
    AlphaChBank& alphaChs() override { return bank; }
    MaskBank bank;
};

TEST(GraphicStyles, AStyleHoldsOneReferenceToItsMaskThroughResetsAndSaves) {
    MaskHost host;
    TG2Graphic graphic(host);
    graphic.create(800, 600);
    graphic.reset();
    graphics::TAlphaCh* mask = host.bank.get("mask\\wipe.bmp");
    ASSERT_NE(mask, nullptr);
    graphic.setStyle(40, 3, 100, mask);
    graphic.setStyle(40, 3, 100, host.bank.get("mask\\wipe.bmp"));
    EXPECT_EQ(host.bank.refCount(mask), 1);
    const std::string saved = testing::saveBytes([&](TValueExchange& x) { graphic.exchange(x); });
    graphic.reset();
    testing::loadBytes(saved, [&](TValueExchange& x) { graphic.exchange(x); });
    graphics::TAlphaCh* loaded = graphic.getStyle(40).mask;
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(host.bank.refCount(loaded), 1);
    graphic.setStyle(40, 3, 100, nullptr);
    EXPECT_EQ(host.bank.refCount(loaded), 0);
}

}  // namespace
}  // namespace present
