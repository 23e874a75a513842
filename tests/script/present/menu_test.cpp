// The choice menu opened by assembled scripts and driven as a player would: cursor keys that
// wrap and skip the cancel entry, the mouse over the laid-out column, the cancel input, a
// display-only menu, jump and call entries, picture entries where the script put them, a right
// click that cancels and does nothing more, its sounds heard on the real mixer, and a story
// saved with its menu open that comes back to the same menu.
#include "script/present/ui/menu/menu.h"

#include <cmath>
#include <fstream>

#include "framework/frame_services.h"
#include "platform/audio_device.h"
#include "platform/audio_mixer.h"
#include "sound/direct_sound.h"
#include "sound/frame_sound.h"
#include "sound/wave.h"
#include "storage/storage.h"
#include "present_fixture.h"
#include "story_fixture.h"
#include "support/test_support.h"

using namespace present;
using namespace present::testing;

namespace {

constexpr uint32_t kLeft = 0x10000000, kRight = 0x20000000;
constexpr uint32_t kUp = 0x1, kDown = 0x2, kDecide = 0x10, kCancel = 0x20;

const char* const kChoice =
    "START:\n save0 1\n text \"Pick\"\n cmd 0x1186\n cmd 0x1187, 10, \"Alpha\"\n cmd 0x1187, 20, \"Beta\"\n"
    " cmd 0x1195, 99\n cmd 0x1187, 30, \"Gamma\"\n cmd 0x119d\n cmd 0x1188\n tag 0\n text \"after\"\n"
    " cmd 0x1103, 0\n";

void writeTone(const std::string& path) {
    std::string data;
    for (int i = 0; i < 4410; ++i) {
        const auto s = static_cast<int16_t>(10000 * std::sin(i * 0.2));
        data += static_cast<char>(s & 0xFF);
        data += static_cast<char>((s >> 8) & 0xFF);
    }
    auto u32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto u16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    std::ofstream(path, std::ios::binary) << "RIFF" + u32(36 + 8820) + "WAVEfmt " + u32(16) + u16(1) + u16(1) +
                                                 u32(22050) + u32(44100) + u16(2) + u16(16) + "data" + u32(8820) + data;
}

// Each object a frame draws in the menu's layer: kind, place and size.
using Drawn = std::vector<std::array<int32_t, 5>>;

class Menus : public StoryTest {
protected:
    void SetUp() override {
        StoryTest::SetUp();
        platform::headless::useManualAudio(true);
        store.setBaseFolder(dir.str());
        writeTone(dir.str() + "/cur.wav");
        writeTone(dir.str() + "/dec.wav");
        useSoundForFrames();
        device = makeFrameSound();
        setFrameSoundMaker(nullptr);
        ASSERT_TRUE(device->create(nullptr, 44100, 16, true));
        engine.status().seOn = "cur.wav";
        engine.status().seDecide = "dec.wav";
    }
    void TearDown() override {
        StoryTest::TearDown();
        device->destroy();
    }
    TMenuDwarf& menu() { return job<TMenuDwarf>(3); }
    // Frames until the menu is open.
    void untilOpen() {
        for (int i = 0; i < 20 && menu().isFinished(); ++i) frame();
        ASSERT_FALSE(menu().isFinished());
        frame();
    }
    Drawn drawn() {
        Drawn out;
        for (graphics::TGrObj* o : engine.recorder->drawn[250])
            out.push_back({o->getTypeId(), o->getX(), o->getY(), o->getWidth(), o->getHeight()});
        return out;
    }
    double heard() {
        std::vector<int16_t> out(2048 * 2);
        TDirectSound::getDevice()->render(out.data(), 2048);
        double sum = 0;
        for (int16_t v : out) sum += double(v) * v;
        return std::sqrt(sum / static_cast<double>(out.size()));
    }

    mjtest::TempDir dir;
    TStorageGraph store;
    std::unique_ptr<TFrameSound> device;
};

}  // namespace

TEST_F(Menus, KeysMoveTheCursorRoundTheEntriesPastTheCancelAndDecide) {
    TG2Core& core = start(kChoice);
    untilOpen();
    EXPECT_EQ(menu().Cursor, 3) << "the default entry";
    EXPECT_FALSE(engine.memory()->getBool("$MENU.COMPLETE", 0));
    EXPECT_TRUE(core.getThread(0)->held());
    EXPECT_EQ(core.menuMode() & 2, 2u);
    std::vector<int32_t> cursors;
    for (uint32_t key : {kDown, kDown, kDown, kUp, kUp}) {
        player.press(key);
        frame();
        cursors.push_back(menu().Cursor);
    }
    EXPECT_EQ(cursors, (std::vector<int32_t>{0, 1, 3, 1, 0})) << "wrapping both ways, never the cancel entry";
    EXPECT_GT(heard(), 1000) << "the cursor sound";
    player.press(kDecide);
    frame();
    EXPECT_TRUE(menu().isFinished());
    EXPECT_TRUE(engine.memory()->getBool("$MENU.COMPLETE", 0));
    EXPECT_EQ(core.getSelect(), 10);
    EXPECT_EQ(core.menuMode() & 2, 0u);
    EXPECT_EQ(text(), "a") << "the page cleared for the story that goes on, typed at its pace";
}

TEST_F(Menus, TheMouseHoversAndPicksFromTheLaidOutColumnAndCancelTakesTheCancelEntry) {
    TG2Core& core = start(kChoice);
    untilOpen();
    // 24-pixel text: items 384 x 36 with 12-pixel gaps, the column centred and raised by 40.
    TG2MenuUnit& beta = *dynamic_cast<TG2MenuBranch&>(core.menu()).Units[1];
    EXPECT_EQ(beta.Ctrl.getRect(), (graphics::RECT{208, 242, 592, 278}));
    const Drawn before = drawn();
    ASSERT_EQ(before.size(), 9u) << "two panels and a text for each of three items";
    EXPECT_EQ(before[8][0], graphics::kGrText);
    player.moveTo(300, 250);
    frame();
    EXPECT_EQ(menu().Cursor, 1);
    EXPECT_EQ(menu().stateOf(1), 0);
    EXPECT_EQ(menu().stateOf(0), 1);
    ASSERT_TRUE(menu().CursorSe && menu().CursorSe->getWave());
    EXPECT_TRUE(menu().CursorSe->getWave()->isPlaying(-1));
    player.moveTo(300, 100);  // off the column: no cursor, the decide key does nothing
    frame();
    EXPECT_EQ(menu().Cursor, -1);
    player.press(kDecide);
    frame();
    EXPECT_FALSE(menu().isFinished());
    player.moveTo(300, 250);
    player.press(kLeft);
    frame();
    EXPECT_EQ(core.getSelect(), 20);
    EXPECT_TRUE(menu().DecideSe->getWave()->isPlaying(-1));
}

TEST_F(Menus, TheCancelInputTakesTheCancelEntry) {
    TG2Core& core = start(kChoice);
    untilOpen();
    player.press(kCancel);
    frame();
    EXPECT_EQ(core.getSelect(), 99);
}

TEST_F(Menus, ADisplayOnlyMenuTakesNoInputAndJumpAndCallEntriesMoveTheStory) {
    const std::string story =
        "START:\n cmd 0x1186\n cmd 0x1187, 1, \"Look\"\n cmd 0x119d\n cmd 0x1188, 2\n tag 0\n cmd 0x1101, 100\n"
        " cmd 0x1191\n cmd 0x1186\n cmd 0x118f, %d, \"Jump\"\n cmd 0x1190, %d, \"Call\"\n cmd 0x1188\n tag 7\n"
        " text \"back\"\n cmd 0x1103, 0\nJUMP:\n text \"jumped\"\n cmd 0x1103, 0\nSUB:\n text \"sub\"\n ret\n";
    auto with = [&](int32_t a, int32_t b) {
        char buf[1024];
        std::snprintf(buf, sizeof buf, story.c_str(), static_cast<int>(a), static_cast<int>(b));
        return std::string(buf);
    };
    std::map<std::string, int32_t> at;
    for (const auto& [name, offset] : assembled(with(0, 0)).labels) at[name] = offset;
    ASSERT_EQ(assembled(with(at["JUMP"], at["SUB"])).labels, assembled(with(0, 0)).labels);
    TG2Core& core = start(with(at["JUMP"], at["SUB"]));
    untilOpen();
    EXPECT_FALSE(menu().isHold()) << "a display-only menu holds nothing";
    player.press(kDecide);
    frame();
    EXPECT_FALSE(menu().isFinished()) << "nor takes a choice";
    for (int i = 0; i < 10 && core.getSelect() != -1; ++i) frame();
    EXPECT_EQ(core.getSelect(), -1) << "closed by the abort command";
    untilOpen();
    player.press(kDown);
    frame();
    player.press(kDown);
    frame();
    player.press(kDecide);  // the call entry
    frame();
    for (int i = 0; i < 12; ++i) frame();
    EXPECT_EQ(text(), "subback") << "the call returns to the menu's tag";
}

TEST_F(Menus, AStorySavedWithItsMenuOpenComesBackToTheSameMenu) {
    TG2Core& core = start(kChoice);
    untilOpen();
    player.press(kDown);
    frame();
    const Drawn open = drawn();
    const std::string mid = savedBytes(core);
    player.press(kDecide);
    frame();
    ASSERT_EQ(core.getSelect(), 10);

    loadBytes(engine, mid);
    core.setSelect(0);
    frame();
    EXPECT_FALSE(menu().isFinished());
    EXPECT_EQ(drawn().size(), open.size());
    EXPECT_EQ(menu().Cursor, 3) << "back at the default";
    player.press(kDown);
    frame();
    EXPECT_EQ(drawn(), open) << "the same menu on screen";
    player.press(kDecide);
    frame();
    EXPECT_EQ(core.getSelect(), 10);
    // The save point before the menu brings the whole choice back too.
    TMemoryStream& snap = core.snapshot();
    std::string atSavePoint(snap.size(), '\0');
    snap.seek(0, 0);
    snap.read(atSavePoint.data(), static_cast<uint32_t>(atSavePoint.size()));
    loadBytes(engine, atSavePoint);
    untilOpen();
    player.press(kDown);
    frame();
    EXPECT_EQ(drawn(), open);
}

TEST(MenuBranch, ASavedMenuKeepsItsEntriesAndRefusesAnEntryOfNoKind) {
    TG2MenuBranch m;
    m.addText(0, 5, "five");
    m.addCancel(-3);
    m.addText(2, 40, "call");
    m.setDefault();
    const std::string bytes = saveBytes([&](TValueExchange& x) { m.exchange(x); });
    TG2MenuBranch n;
    loadBytes(bytes, [&](TValueExchange& x) { n.exchange(x); });
    ASSERT_EQ(n.Units.size(), 3u);
    EXPECT_EQ(n.Cancel, 1);
    EXPECT_EQ(n.Default, 2);
    EXPECT_EQ(n.Units[2]->Text, "call");
    EXPECT_EQ(n.entries.size(), 3u);
    EXPECT_EQ(saveBytes([&](TValueExchange& x) { n.exchange(x); }), bytes);
    m.Units[0]->Type = 9;
    const std::string bad = saveBytes([&](TValueExchange& x) { m.exchange(x); });
    EXPECT_THROW(loadBytes(bad, [&](TValueExchange& x) { n.exchange(x); }), TError);
}

TEST_F(Menus, KeysOnAMenuWithNothingToMoveToLeaveTheCursorAndAJobIsListedOnce) {
    TG2Core& core = start("START:\n cmd 0x1186\n cmd 0x1195, 5\n cmd 0x1188\n tag 0\n cmd 0x1103, 0\n");
    untilOpen();
    player.press(kDown);
    frame();
    EXPECT_EQ(menu().Cursor, -1);
    core.addDwarf(&menu());
    EXPECT_EQ(std::count(core.getDwarfGuild().begin(), core.getDwarfGuild().end(), &menu()), 1);
    player.press(kCancel);
    frame();
    EXPECT_EQ(core.getSelect(), 5);
}

// Picture entries stand where the script put them: their controls are their pictures' own
// rectangles, so the mouse picks the entry under it.
TEST_F(Menus, PictureEntriesStandWhereTheScriptPutThemAndTheMouseTakesTheOneUnderIt) {
    present::testing::PictureStore pictures;  // the store the engine's pictures now come from
    pictures.pictures["up.bmp"] = {80, 40, 0xFF0000FFu};
    pictures.pictures["lit.bmp"] = {80, 40, 0xFFFFFF00u};
    TG2Core& core = start(
        "START:\n cmd 0x1186\n cmd 0x1180, 7, 100, 50, \"up.bmp\", \"lit.bmp\"\n cmd 0x1180, 8, 300, 400, \"up.bmp\"\n"
        " cmd 0x1188\n tag 0\n cmd 0x1103, 0\n");
    untilOpen();
    auto& branch = dynamic_cast<TG2MenuBranch&>(core.menu());
    ASSERT_EQ(branch.Units.size(), 2u);
    EXPECT_EQ(branch.Units[0]->Ctrl.getRect(), (graphics::RECT{100, 50, 180, 90}));
    EXPECT_EQ(branch.Units[1]->Ctrl.getRect(), (graphics::RECT{300, 400, 380, 440}));
    ASSERT_NE(branch.Units[0]->Sprite[1], nullptr);
    EXPECT_EQ(branch.Units[0]->Sprite[1]->getPos(), (graphics::POINT{100, 50})) << "every state's picture";
    EXPECT_EQ(branch.Units[1]->Sprite[1], nullptr) << "no second name, no second picture";
    player.moveTo(320, 420);
    player.press(kLeft);
    frame();
    EXPECT_EQ(core.getSelect(), 8);
}

// One right click does one thing: it cancels the open menu, and only with no menu open does it
// ask the host for its system menu.
TEST_F(Menus, ARightClickThatCancelsAMenuDoesNotAlsoOpenTheSystemMenu) {
    static int asked = 0;
    asked = 0;
    engine.setCallback([](int a, int, void*, void*) { return a == 0 ? ++asked : 0; }, nullptr);
    TG2Core& core = start(std::string("START:\n cmd 0x1281, 1\n") + (kChoice + 7));
    untilOpen();
    player.press(kRight);
    frame();
    EXPECT_EQ(core.getSelect(), 99);
    EXPECT_EQ(asked, 0);
    for (int i = 0; i < 10; ++i) frame();
    player.press(kRight);
    frame();
    EXPECT_EQ(asked, 1) << "the story waits for a click: the right button asks for the system menu";
}

namespace {

class ScreenEngine : public PresentEngine {
public:
    std::unique_ptr<TG2Memory> createMemory() override { return std::make_unique<SmallMapMemory>(); }
};

// One 8-bit channel of a colour.
uint32_t channelOf(uint32_t argb, int shift) { return argb >> shift & 0xFF; }

}  // namespace

TEST(MenuOnScreen, TheCursorItemsPanelAndEveryItemsTextShowOverThePicture) {
    platform::ManualClock clock{1000};
    platform::setClock(&clock);
    setEngineLogSink([](const std::string&) {});
    present::testing::PictureStore store;
    TG2Host host;
    ScriptFiles files;
    {
        ScreenEngine engine;
        engine.status().screenWidth = 800;
        engine.status().screenHeight = 600;
        engine.status().useCommonSave = false;
        files.install(engine.getScriptBank());
        files.add("main.g2", kChoice);
        ASSERT_TRUE(engine.init(&host, nullptr, nullptr));
        ASSERT_TRUE(engine.start("main.g2", "START"));
        graphics::TSurface32 screen;
        for (int i = 0; i < 12; ++i) {
            clock.advance(16);
            engine.run();
        }
        screen.createFilled(800, 600, 0xFF404040u);
        engine.draw(screen);
        // Items at x 208-592, y 194 + 48 j, 36 high; Gamma (j = 2) holds the cursor.
        const uint32_t cursorPanel = screen.getPixel(212, 194 + 96 + 2);
        const uint32_t otherPanel = screen.getPixel(212, 194 + 2);
        EXPECT_GT(channelOf(cursorPanel, 0), channelOf(cursorPanel, 16)) << "blue-violet under the cursor";
        EXPECT_EQ(channelOf(otherPanel, 0), channelOf(otherPanel, 16)) << "grey elsewhere";
        EXPECT_EQ(screen.getPixel(100, 100), 0xFF000000u) << "the empty background outside the column";
        for (int j = 0; j < 3; ++j) {
            int bright = 0;
            for (int x = 208; x < 592; ++x)
                for (int y = 194 + 48 * j; y < 230 + 48 * j; ++y) bright += channelOf(screen.getPixel(x, y), 8) >= 0xC0;
            EXPECT_GT(bright, 40) << "the text of item " << j;
        }
        if (const char* out = std::getenv("MJ_MENU_PICTURE")) {
            std::ofstream f(out, std::ios::binary);
            f << "P6\n800 600\n255\n";
            for (int y = 0; y < 600; ++y)
                for (int x = 0; x < 800; ++x) {
                    const uint32_t p = screen.getPixel(x, y);
                    f << char(p >> 16) << char(p >> 8) << char(p);
                }
        }
        engine.term();
    }
    platform::setClock(nullptr);
    setEngineLogSink(nullptr);
}
