// Image specifications, surface sets and their load queue, sprite sets built from record
// tables, WSD descriptions and animated sprites stepping through them frame by frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

#include "fake_store.h"
#include "graphics/frame_screen.h"
#include "graphics/profile_reader.h"
#include "graphics/spd.h"
#include "graphics/spr_set.h"
#include "graphics/surface8.h"

using namespace graphics;

namespace {

struct SpecCase {
    const char* spec;
    const char* file;
    uint16_t flags;
    uint32_t keyColor;
    uint32_t keyIndex;
    bool clip, block;
};

}  // namespace

TEST(ImageSpecification, OptionsParseAsWritten) {
    const SpecCase cases[] = {
        {"a.bmp", "a.bmp", 0, 0, 0xFFFFFFFFu, false, false},
        {"a.bmp;t", "a.bmp", 0x30, 0, 0xFFFFFFFFu, false, false},
        {"a.bmp;t0", "a.bmp", 0x30, 0, 0xFFFFFFFFu, false, false},
        {"a.bmp;t2;t3", "a.bmp", 0xC0 | 0x90, 0, 0xFFFFFFFFu, false, false},
        {"a.bmp;tp", "a.bmp", 2, 0, 0, false, false},
        {"a.bmp;tp17", "a.bmp", 2, 0, 17, false, false},
        {"a.bmp;tx0000FF", "a.bmp", 1, 0x00FF0000u, 0xFFFFFFFFu, false, false},
        {"a.bmp;tx12", "a.bmp", 0x30, 0, 0xFFFFFFFFu, false, false},  // no six digits: a corner, options end
        {"a.bmp;c(0,0,32,32);b(4,4,1,1)", "a.bmp", 0, 0, 0xFFFFFFFFu, true, true},
        {"a.bmp;q;t1", "a.bmp", 0, 0, 0xFFFFFFFFu, false, false},
        {"a.bmp;c(1,2,3", "a.bmp", 0, 0, 0xFFFFFFFFu, false, false},  // cut short: nothing of it
        {"", "", 0, 0, 0xFFFFFFFFu, false, false},
    };
    TSprMaker m;
    for (const SpecCase& c : cases) {
        SCOPED_TRACE(c.spec);
        m.parseSpec(c.spec);
        EXPECT_EQ(m.fileName(), c.file);
        EXPECT_EQ(m.trans().flags, c.flags);
        EXPECT_EQ(m.trans().keyColor, c.keyColor);
        EXPECT_EQ(m.trans().keyIndex, c.keyIndex);
        EXPECT_EQ(m.clipSet(), c.clip);
        EXPECT_EQ(m.blockSet(), c.block);
    }
    m.parseSpec("x.png;s(0x10,010,-4,8)");
    EXPECT_EQ(m.clip(), (RECT{16, 8, 12, 16}));  // hexadecimal, octal, a negative width
}

TEST(ImageSpecification, RectangleWinsOverCellAndCellsCutTheSurface) {
    FakeStore store;
    store.pictures["a.bmp"] = {128, 64, 0xFF102030u};
    TSurfaceSet set;
    TSprite32 s;
    ASSERT_TRUE(set.makeSprite(s, "a.bmp;c(0,0,32,32);b(4,4,1,1)"));
    EXPECT_EQ(*s.getSourceRect(), (RECT{0, 0, 32, 32}));
    ASSERT_TRUE(set.makeSprite(s, "a.bmp;b(4,2,3,1)"));
    EXPECT_EQ(*s.getSourceRect(), (RECT{96, 32, 128, 64}));
    ASSERT_TRUE(set.makeSprite(s, "a.bmp;b(0,2,3,1)"));  // no cell of zero columns: the whole picture
    EXPECT_EQ(*s.getSourceRect(), (RECT{0, 0, 128, 64}));
    EXPECT_FALSE(set.makeSprite(s, "missing.bmp"));
}

TEST(SurfaceSet, CachesByNameAndTransparencyUnderItsFolder) {
    FakeStore store;
    store.pictures["mj.pak\\x.bmp"] = {8, 8, 0xFFFFFFFFu};
    store.pictures["y.bmp"] = {4, 4, 0xFF000000u};
    TSurfaceSet set;
    set.setFolder("mj.pak");
    TSurface32* a = set.load("x.bmp");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(store.asked.back(), "mj.pak\\x.bmp");
    EXPECT_EQ(set.coins().front().name, "x.bmp");
    EXPECT_EQ(set.load("x.bmp"), a);  // the same surface to every caller
    TSurface32* b = set.load("x.bmp;t1");
    EXPECT_NE(b, a);
    EXPECT_EQ(store.asked.size(), 2u);
    EXPECT_EQ(store.askedFlags.back(), 0x60);
    EXPECT_EQ(set.find("x.bmp;t1"), b);
    EXPECT_EQ(set.load("nothing.bmp"), nullptr);
    EXPECT_EQ(set.coins().size(), 2u);

    TSurfaceSet other;
    set.moveTo("x.bmp", other);
    EXPECT_TRUE(set.coins().empty());
    EXPECT_EQ(other.coins().size(), 2u);
    other.release("x.bmp");
    EXPECT_EQ(other.findImage("x.bmp", TSprMaker().trans()), nullptr);
    EXPECT_EQ(other.find("x.bmp;t1"), b);
}

TEST(SurfaceSet, QueueKeepsItsBudgetOnTheFrameClock) {
    platform::ManualClock clock(1000);
    platform::setClock(&clock);
    FakeStore store;
    store.clock = &clock;
    store.costMs = 5;
    for (const char* n : {"f\\a", "f\\b", "f\\c", "f\\d", "f\\e"}) store.pictures[n] = {2, 2, 0xFFFFFFFFu};
    TSurfaceSet set;
    set.setFolder("f");
    const char* const list[] = {"a", "b", "c", "d", "e", nullptr};
    set.queueList(list);
    set.setFolder("other");             // the queue keeps the folder it was filled under
    EXPECT_FALSE(set.processQueue(0));  // at least one entry, whatever the budget
    EXPECT_EQ(store.asked.size(), 0u);  // that was the folder entry
    EXPECT_FALSE(set.processQueue(0));
    EXPECT_EQ(store.asked.size(), 1u);
    EXPECT_FALSE(set.processQueue(12));  // 5, 10, 15 ms: the third load ends the slice
    EXPECT_EQ(store.asked.size(), 4u);
    EXPECT_TRUE(set.processQueue(100));
    EXPECT_TRUE(set.isQueueEmpty());
    EXPECT_EQ(store.asked.back(), "f\\e");
    EXPECT_EQ(set.folder(), "other");
    platform::setClock(nullptr);

    store.texts["t.wsd"] = "[FileInfo]\nkind=WSD\nnumTexture=3\n[Texture]\nFile0=p.bmp\nFile2=q.bmp;t\n";
    EXPECT_TRUE(set.queueTextureSet("t.wsd"));
    EXPECT_EQ(set.queueSize(), 4u);  // the folder, then p.bmp, an empty name and q.bmp;t
    EXPECT_FALSE(set.queueTextureSet("none.wsd"));
}

TEST(SpriteSet, TablesBuildUnitsAndMissingPicturesStayBlank) {
    FakeStore store;
    store.pictures["a"] = {16, 16, 0xFFFF0000u};
    store.pictures["c3"] = {4, 4, 0xFF0000FFu};
    TSurfaceSet surfaces;
    TSprUnitSet set;
    const SprDepthRectRecord table[] = {{2, "a", 5, 7, 0, 0, 8, 8},
                                        {1, "b", 0, 0, 0, 0, 0, 0},
                                        {0, "a", 20, 0, 0, 0, 0, 0},
                                        {0, nullptr, 0, 0, 0, 0, 0, 0}};
    EXPECT_TRUE(set.createFromTable(table, surfaces));
    ASSERT_EQ(set.units().size(), 3u);
    EXPECT_EQ(set.units()[0].getDepth(), 2);
    EXPECT_EQ(set.units()[0].getSize().cx, 8);
    EXPECT_EQ(set.units()[1].getSurface(), nullptr);
    EXPECT_EQ(set.getLocalRect(), (RECT{0, 0, 36, 16}));
    const SprRecord formats[] = {{"c%d", 1, 1}, {nullptr, 0, 0}};
    TSprUnitSet digits;
    digits.createFromFormatTable(surfaces, formats, 3);
    ASSERT_EQ(digits.units().size(), 1u);
    EXPECT_NE(digits.units()[0].getSurface(), nullptr);
    TSprUnitObj unit;
    const SprDepthRecord one{4, "c%d", 9, 8};
    ASSERT_TRUE(unit.createFormat(surfaces, &one, 3));
    EXPECT_EQ(unit.getDepth(), 4);
    EXPECT_EQ(unit.getPos().x, 9);
    EXPECT_FALSE(unit.create(SprRecord{"none", 1, 1}, surfaces));
    EXPECT_EQ(unit.getSurface(), nullptr);  // left reset

    TSurface32 target;
    target.createFilled(64, 48, 0xFF000000u);
    set.draw(target);  // the blank unit draws nothing and nothing breaks
    EXPECT_EQ(target.getPixel(5, 7), 0xFFFF0000u);

    // Scale 2 from (10, 10): the unit at (5, 7) of 8 x 8 draws at (20, 24) as 16 x 16, then is put back.
    set.units().resize(1);
    target.fill(0xFF000000u);
    set.setPos(10, 10);
    set.scale(2.0f, 2.0f);
    set.draw(target);
    EXPECT_EQ(target.getPixel(20, 24), 0xFFFF0000u);
    EXPECT_EQ(target.getPixel(35, 39), 0xFFFF0000u);
    EXPECT_EQ(target.getPixel(36, 40), 0xFF000000u);
    EXPECT_EQ(set.units()[0].getPos().x, 5);
    EXPECT_EQ(set.units()[0].getSize().cx, 8);
    set.setBlend(0);
    target.fill(0xFF000000u);
    set.draw(target);
    EXPECT_EQ(target.getPixel(20, 24), 0xFF000000u);
}

TEST(SpriteSet, PlacementPlacesTheBoundsAndColoursMultiply) {
    FakeStore store;
    store.pictures["w"] = {200, 40, 0xFFFFFFFFu};
    TSurfaceSet surfaces;
    TSprUnitSet set;
    const SprRecord table[] = {{"w", -50, 0}, {nullptr, 0, 0}};
    set.createFromTable(table, surfaces);
    EXPECT_EQ(set.getLocalRect(), (RECT{-50, 0, 150, 40}));
    EXPECT_EQ(set.placeX(placement::kCentre, 400), 150);
    EXPECT_EQ(set.placeX(7, 400), 7);
    TSprUnitSet empty;
    empty.setSize(10, 10);
    EXPECT_EQ(empty.getScaleX(), 0.0f);

    EXPECT_EQ(mulColour(0x80FF8000u, 0xFF808080u), 0x80804000u);
    std::mt19937 rng(5);
    for (int i = 0; i < 2000; ++i) {
        const uint32_t a = rng(), b = rng(), m = mulColour(a, b);
        for (int s = 0; s < 32; s += 8) ASSERT_EQ((m >> s) & 255, ((a >> s) & 255) * ((b >> s) & 255) / 255);
    }
}

namespace {

const char* kWsd =
    "[FileInfo]\n"
    "kind=WSD\n"
    "numTexture=2\n"
    "numCharactor=2\n"
    "numAnimation=3\n"
    "[Texture]\n"
    "File0=tex0.bmp\n"
    "File1=gone.bmp\n"
    "[Charactor_0]\n"
    "numChip=2\n"
    "Chip0=0,10,20,0,0,32,32\n"
    "Chip1=5,1,1,0,0,4,4\n"
    "[Charactor_1]\n"
    "numChip=-3\n"
    "[Animation_0]\n"
    "comment=two pictures\n"
    "Step0=time,3,0\n"
    "Step1=time,2,1\n"
    "Step2=bogus\n"
    "Step3=end\n"
    "[Animation_1]\n"
    "Step0=zoom,1500,500,10\n"
    "Step2=end\n"
    "[Animation_2]\n"
    "Step0=flag,3,0\n"
    "Step1=flag,3,7\n"
    "Step2=time\n";

}  // namespace

TEST(Wsd, DescriptionsReadIntoTexturesCharactersAndSteps) {
    FakeStore store;
    store.pictures["tex0.bmp"] = {64, 64, 0xFFFFFFFFu};
    store.texts["a.wsd"] = kWsd;
    store.texts["lower.wsd"] = "[FileInfo]\nkind=wsd\n";
    store.texts["spaced.wsd"] = "[FileInfo]\nkind=WSD\nnumTexture = 2\n";
    TSurfaceSet surfaces;
    TSpdData d;
    EXPECT_FALSE(d.loadWith("lower.wsd", &surfaces));
    EXPECT_FALSE(d.loadWith("none.wsd", &surfaces));
    EXPECT_TRUE(d.loadWith("spaced.wsd", &surfaces));
    EXPECT_TRUE(d.textures().empty());
    ASSERT_TRUE(d.loadWith("a.wsd", &surfaces));
    ASSERT_EQ(d.textures().size(), 2u);
    EXPECT_NE(d.textures()[0], nullptr);
    EXPECT_EQ(d.textures()[1], nullptr);
    ASSERT_EQ(d.characters().size(), 2u);
    const TSprUnitObj& chip = d.characters()[0].units()[0];
    EXPECT_EQ(chip.getPos().x, 10);
    EXPECT_EQ(chip.getPos().y, 20);
    EXPECT_EQ(*chip.getSourceRect(), (RECT{0, 0, 32, 32}));
    EXPECT_EQ(d.characters()[0].units()[1].getSurface(), nullptr);  // texture 5 is none
    EXPECT_TRUE(d.characters()[1].units().empty());                 // a negative count is none
    ASSERT_EQ(d.animationCount(), 3u);
    ASSERT_EQ(d.animation(0)->size(), 3u);
    EXPECT_EQ((*d.animation(0))[2].code, TSpdObj::TUnit::kEnd);
    ASSERT_EQ(d.animation(1)->size(), 1u);  // Step1 missing ends the list
    const TSpdObj::TUnit& z = (*d.animation(1))[0];
    EXPECT_EQ(z.code, TSpdObj::TUnit::kZoom);
    EXPECT_FLOAT_EQ(z.f1, 1.5f);
    EXPECT_FLOAT_EQ(z.f2, 0.5f);
    EXPECT_EQ(z.a, 10);
    const auto& flags = *d.animation(2);
    EXPECT_EQ(flags[0].code, 10);
    EXPECT_EQ(flags[0].b, 3);
    EXPECT_EQ(flags[1].code, 9);
    EXPECT_EQ(flags[2].code, TSpdObj::TUnit::kTime);  // missing numbers are 0
    EXPECT_EQ(flags[2].a, 0);

    store.texts["huge.wsd"] = "[FileInfo]\nkind=WSD\nnumTexture=2147483647\nnumCharactor=99999999\nnumAnimation=-5\n";
    EXPECT_TRUE(d.loadWith("huge.wsd", &surfaces));
    EXPECT_EQ(d.textures().size(), size_t(TSpdData::kMaxCount));
    EXPECT_EQ(d.animationCount(), 0u);

    TProfileReader r;
    TMemoryStream s;
    const std::string text = "x=before\n[S]\nk=1\n[T]\nk=2\n[S]\nk=3\nl=a,,b\n[]\nm=4\n";
    s.write(text.data(), static_cast<uint32_t>(text.size()));
    s.seek(0, 0);
    r.read(s);
    r.setSection("S");
    EXPECT_EQ(r.getString("k", ""), "1");
    EXPECT_EQ(r.getString("m", ""), "4");  // "[]" is no header
    EXPECT_EQ(r.getString("x", "none"), "none");
    std::vector<std::string> list{"keep"};
    EXPECT_EQ(r.getList("l", list), 4u);
    EXPECT_EQ(list[2], "");
}

namespace {

// Data with characters 0 and 1 (one chip each) over one 10 x 10 texture, and one animation.
struct Anim {
    FakeStore store;
    TSurfaceSet surfaces;
    TSpdData data;
    explicit Anim(const std::string& steps, int textures = 1, int animations = 1) {
        store.pictures["t.bmp"] = {10, 10, 0xFFFFFFFFu};
        std::string text = "[FileInfo]\nkind=WSD\nnumTexture=" + std::to_string(textures) +
                           "\nnumCharactor=3\nnumAnimation=" + std::to_string(animations) + "\n[Texture]\n";
        for (int i = 0; i < textures; ++i) text += "File" + std::to_string(i) + "=t.bmp\n";
        for (int c = 0; c < 3; ++c) text += "[Charactor_" + std::to_string(c) + "]\nnumChip=1\nChip0=0,0,0,0,0,10,10\n";
        text += "[Animation_0]\n";
        int i = 0;
        for (size_t from = 0; from < steps.size();) {
            size_t bar = steps.find('/', from);
            if (bar == std::string::npos) bar = steps.size();
            text += "Step" + std::to_string(i++) + "=" + steps.substr(from, bar - from) + "\n";
            from = bar + 1;
        }
        store.texts["a.wsd"] = text;
        EXPECT_TRUE(data.loadWith("a.wsd", &surfaces));
    }
};

}  // namespace

TEST(AnimatedSprite, TimeStepsShowCharactersForTheirFrames) {
    Anim a("time,3,0/time,2,1/end");
    TSpdObj o(&a.data);
    o.start();  // call 1
    std::vector<int> shown{o.getCombiNo()};
    std::vector<bool> ended{false};
    for (int i = 0; i < 5; ++i) {
        ended.push_back(o.update());
        shown.push_back(o.getCombiNo());
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 0, 0, 1, 1, 1}));
    EXPECT_EQ(ended, (std::vector<bool>{false, false, false, false, false, true}));
    EXPECT_FALSE(o.isPlaying());
}

TEST(AnimatedSprite, MarksLoopsAndCountedLoops) {
    Anim forever("mark/time,1,0/time,1,1/until");
    TSpdObj o(&forever.data);
    o.start();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(o.getCombiNo(), i % 2);
        EXPECT_FALSE(o.update());
    }
    Anim counted("for,2/mark/time,1,0/next/end");
    TSpdObj c(&counted.data);
    c.start();
    EXPECT_FALSE(c.update());
    EXPECT_TRUE(c.update());
    // Steps that take no time end the frame's work rather than the program.
    Anim busy("mark/until");
    TSpdObj b(&busy.data);
    b.start();
    EXPECT_FALSE(b.update());
    EXPECT_TRUE(b.isPlaying());
    Anim counting("for,2000000000/mark/next/end");
    TSpdObj n(&counting.data);
    n.start();
    EXPECT_FALSE(n.update());
}

TEST(AnimatedSprite, OpacityAndZoomTweenOverTheirFrames) {
    Anim blend("blend,0,4/time,1,1");
    TSpdObj o(&blend.data);
    o.start();
    std::vector<int> opacity{o.getSeqParam().opacity};
    for (int i = 0; i < 3; ++i) {
        o.update();
        opacity.push_back(o.getSeqParam().opacity);
    }
    EXPECT_EQ(opacity, (std::vector<int>{192, 128, 64, 0}));
    EXPECT_EQ(o.getCombiNo(), 0);
    o.update();
    EXPECT_EQ(o.getCombiNo(), 1);  // the next step in the fifth call

    Anim zoom("zoom,2000,2000,2/pause");
    TSpdObj z(&zoom.data);
    z.start();
    EXPECT_FLOAT_EQ(z.getSeqParam().zoomX, 1.5f);
    z.update();
    EXPECT_FLOAT_EQ(z.getSeqParam().zoomY, 2.0f);
    EXPECT_EQ(z.getSize().cx, 20);
}

TEST(AnimatedSprite, SelectionFallsThroughAndDrawsAtItsOpacity) {
    Anim a("time,1,0", 10, 2);
    TSpdObj o(&a.data);
    o.select(5);  // no animation 5, no character 5: texture 5
    EXPECT_EQ(o.getSeqNo(), -1);
    EXPECT_EQ(o.getTextureNo(), 5);
    o.select(50);
    EXPECT_EQ(o.getTextureNo(), 0);
    o.select(2);
    EXPECT_EQ(o.getCombiNo(), 2);
    o.setFlag(9, 1);  // only eight flags
    EXPECT_EQ(o.getFlag(9), 0);

    TSurface32 target;
    target.createFilled(20, 20, 0xFF000000u);
    o.setBlend(128);
    o.setPos(3, 3);
    o.draw(target);
    EXPECT_EQ(target.getPixel(3, 3), 0xFF808080u);  // white at 128 over black
    EXPECT_EQ(target.getPixel(2, 2), 0xFF000000u);
    o.select(7);
    target.fill(0xFF000000u);
    o.draw(target);
    EXPECT_EQ(target.getPixel(12, 12), 0xFF808080u);

    const size_t live = TSpdObj::liveCount();
    {
        TSpdObj more(&a.data);
        EXPECT_EQ(TSpdObj::liveCount(), live + 1);
        TSpdObj::updateAll();
    }
    EXPECT_EQ(TSpdObj::liveCount(), live);
    TSpdObj none;
    EXPECT_TRUE(none.update());
    none.draw(target);
}

TEST(FrameScreen, CursorLoadsThroughTheSurfaceSetAndAnimationsAdvanceOncePerDraw) {
    Anim a("time,1,0/time,1,1/time,1,2/end");
    a.store.pictures["cursor.bmp"] = {4, 4, 0xFFFF00FFu};
    GraphicScreen screen;
    EXPECT_FALSE(screen.loadCursor("none.bmp"));
    EXPECT_FALSE(screen.hasCursor());
    ASSERT_TRUE(screen.loadCursor("cursor.bmp;t"));
    EXPECT_EQ(a.store.askedFlags.back(), 0x30);
    ASSERT_TRUE(screen.graphic().create(32, 32, 2));
    TFillObj ground;
    ground.setup(32, 32, 0xFF000000u, 255);
    screen.graphic().add(0, &ground);
    // The cursor goes over the frame's objects when the frame is shown, and where it was is
    // drawn again when it moves.
    EXPECT_FALSE(screen.drawCursor(10, 12)) << "no frame drawn yet";
    for (int x : {10, 20}) {
        screen.draw();
        EXPECT_TRUE(screen.drawCursor(x, 12));
        screen.present(0);  // drawn, though no display shows it
        EXPECT_EQ(screen.graphic().getPixel(x, 12), 0xFFFF00FFu);
    }
    EXPECT_EQ(screen.graphic().getPixel(10, 12), 0xFF000000u);
    EXPECT_EQ(screen.lastDrawnArea(), 14 * 4) << "the two places of the cursor and what lies between";
    screen.draw();
    screen.drawCursor(20, 12);
    screen.present(0);
    EXPECT_EQ(screen.lastDrawnArea(), 0) << "nothing changed";

    TSpdObj o(&a.data);
    o.start();
    screen.draw();
    EXPECT_EQ(o.getCombiNo(), 1);
    screen.draw();
    EXPECT_EQ(o.getCombiNo(), 2);
}

// Drawing that ignores the clip (a copy, a single pixel, lines, a circle, a colour through a
// mask, a smooth resampling) is drawn again only inside the areas being redrawn: under a cover,
// a square moving below it leaves the cover as the frame drawn whole has it, and over the
// square the same drawing is cut where the square's areas cut it.
TEST(FrameScreen, DrawingThatIgnoresTheClipStaysInsideTheAreasRedrawn) {
    struct Unclipped : TGrObj {
        TSurface32 picture;
        TAlphaCh map;
        TAlphaMask mask;
        TSprite32 sprite;
        SIZE getSize() const override { return {64, 40}; }
        void setSize(int32_t, int32_t) override {}
        uint16_t getTypeId() const override { return 0x7FFF; }
        void draw(TSurface32& t) override {
            const uint32_t red = 0xFFFF0000u;
            t.copyRect(x_ + 2, y_ + 2, picture, RECT{0, 0, 8, 8});
            t.blendPixel(x_ + 30, y_ + 30, red);
            t.drawHLine(x_, x_ + 63, y_ + 12, red);
            t.drawVLine(x_ + 20, y_, y_ + 63, red);
            t.drawCircle(x_ + 20, y_ + 20, 9, red);
            mask.apply(t, x_ + 4, y_ + 28, red, RECT{0, 0, 8, 8}, 255);
            sprite.smoothBlit(t, x_ + 40, y_ + 4, RECT{0, 0, 8, 8}, 12, 12);
        }
    } under, over;
    for (Unclipped* u : {&under, &over}) {
        ASSERT_TRUE(u->picture.createFilled(8, 8, 0x80FF0000u));
        ASSERT_TRUE(u->map.createFill(8, 8, 200));
        u->mask.setMap(&u->map);
        u->sprite.setSurface(&u->picture);
    }
    over.setPos(30, 30);
    GraphicScreen screen;
    ASSERT_TRUE(screen.graphic().create(64, 64, 4));
    TFillObj cover, square;
    cover.setup(64, 64, 0xFF00FF00u, 255);
    square.setup(4, 4, 0xFF0000FFu, 255);
    screen.graphic().add(0, &under);
    screen.graphic().add(1, &cover);
    screen.graphic().add(2, &square);
    screen.graphic().add(3, &over);
    screen.setWholeCheck(true);
    for (int frame = 0; frame < 6; ++frame) {
        square.setPos(40 + 3 * frame, 50);
        screen.draw();
        screen.present(0);
        EXPECT_EQ(screen.firstDifferingFrame(), -1) << frame;
    }
    EXPECT_EQ(screen.lastDrawnArea(), 7 * 4) << "the square's two places";
}

// Where two records differ comes back as disjoint areas, each changed operation inside one of
// them and each operation drawn whole that reaches one inside it, whatever the order: scattered
// layouts, overlaps found only after many apart, chains of whole operations held in reverse.
TEST(FrameScreen, ChangedAreasHoldEveryChangeInAnyOrder) {
    std::mt19937 rng(3);
    const RECT screen{0, 0, 800, 600};
    const auto meets = [](const RECT& a, const RECT& b) { return !intersect(a, b).empty(); };
    const auto holds = [](const RECT& a, const RECT& b) { return intersect(a, b) == b; };
    for (int round = 0; round < 90; ++round) {
        const int n = 1 + int(rng() % 2000), layout = round % 3;
        DrawRecord before, after;
        std::vector<RECT> changed;
        for (int i = 0; i < n; ++i) {
            const int at = layout == 2 ? n - 1 - i : i;
            const RECT r = layout == 0
                               ? TRect(int(rng() % 820) - 10, int(rng() % 620) - 10, 1 + rng() % 80, 1 + rng() % 80)
                           : layout == 1 ? (at < n / 2 ? TRect(8 * (at % 96), 8 * (at / 96) + 400, 4, 4)
                                                       : TRect(at % 400, at / 400 * 4, 3, 3))
                                         : TRect(at % 600, at % 600, 2, 2);
            const bool whole = layout == 2 || rng() % 8 == 0, change = rng() % (layout == 2 ? 200 : 4) == 0;
            before.add(r, uint64_t(i), whole);
            after.add(r, uint64_t(i) + (change ? uint64_t(n) : 0), whole);
            if (change) changed.push_back(intersect(r, screen));
        }
        const std::vector<RECT> areas = changedAreas(before, after, screen);
        SCOPED_TRACE(::testing::Message() << "round " << round << ", " << n << " operations");
        for (size_t i = 0; i < areas.size(); ++i) {
            EXPECT_TRUE(holds(screen, areas[i]));
            for (size_t j = i + 1; j < areas.size(); ++j) EXPECT_FALSE(meets(areas[i], areas[j]));
        }
        const auto heldByOne = [&](const RECT& r) {
            return std::any_of(areas.begin(), areas.end(), [&](const RECT& a) { return holds(a, r); });
        };
        for (const RECT& r : changed) EXPECT_TRUE(r.empty() || heldByOne(r));
        for (const DrawOp& op : after.ops()) {
            const RECT r = intersect(op.bounds, screen);
            const bool reaches = std::any_of(areas.begin(), areas.end(), [&](const RECT& a) { return meets(a, r); });
            EXPECT_TRUE(!op.whole || !reaches || heldByOne(r));
        }
    }
}

// Zooms from a script or a save may be NaN, infinite or far too large: sizes saturate (NaN gives
// 0), and setting a size or drawing stays defined.
TEST(SpriteSet, ZoomsOutsideEveryRangeSaturate) {
    FakeStore store;
    store.pictures["a"] = {8, 8, 0xFFFF0000u};
    store.texts["big.wsd"] =
        "[FileInfo]\nkind=WSD\nnumTexture=1\nnumCharactor=1\nnumAnimation=1\n[Texture]\nFile0=a\n"
        "[Charactor_0]\nnumChip=1\nChip0=0,0,0,0,0,2000000000,2000000000\n"
        "[Animation_0]\nStep0=zoom,2000000000,2000000000,1\nStep1=pause\n";
    TSurfaceSet surfaces;
    TSprUnitSet set;
    const SprRecord table[] = {{"a", 3, 4}, {nullptr, 0, 0}};
    set.createFromTable(table, surfaces);
    TSpdData data;
    ASSERT_TRUE(data.loadWith("big.wsd", &surfaces));
    TSpdObj spd(&data);
    spd.start();
    spd.update();
    TSurface32 target;
    target.createFilled(16, 16, 0xFF000000u);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    struct Case {
        float zoom;
        int32_t side;  // of the 11 x 12 set
    };
    for (const Case c : {Case{nan, 0}, Case{inf, INT32_MAX}, Case{-inf, INT32_MIN}, Case{3e38f, INT32_MAX},
                         Case{-3e38f, INT32_MIN}, Case{2.0f, 22}}) {
        SCOPED_TRACE(c.zoom);
        set.setPos(INT32_MIN + 1, INT32_MAX - 1);
        set.scale(c.zoom, c.zoom);
        EXPECT_EQ(set.getSize().cx, c.side);
        set.draw(target);
        set.setPos(-5, -5);
        set.draw(target);
        spd.scale(c.zoom, c.zoom);
        // The zoomed character's width saturates, so the zoom that makes it 100 wide is tiny.
        spd.setSize(100, 50);
        EXPECT_NEAR(double(spd.getZoomX()) * 2e6 * INT32_MAX, 100, 0.01);
        spd.draw(target);
    }
}
