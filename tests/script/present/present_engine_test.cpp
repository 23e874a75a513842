// A story run through the whole engine: assembled scripts put a background and a sprite on the
// screen through transitions, the script thread waits for them (or not, by the sprite's flag),
// the message window shows the text, and a save in mid-transition finishes the same way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "../script_support.h"
#include "graphics/direct_draw.h"
#include "graphics/screen_surface.h"
#include "graphics/surface32.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/window_system.h"
#include "present_fixture.h"
#include "support/test_support.h"
#include "script/core.h"
#include "script/g2_error.h"
#include "script/present/transition/engine_graphic.h"
#include "script/present/present_engine.h"

namespace present {
namespace {

constexpr int kW = 320, kH = 240;
constexpr uint32_t kNavy = 0xFF203060u, kGreen = 0xFF00C000u;

class Engine : public PresentEngine {
public:
    std::unique_ptr<TG2Memory> createMemory() override { return std::make_unique<SmallMapMemory>(); }
};

// A background fades in from black, then sprite 10 fades in over it; the flag of the sprite
// command decides whether the text waits for the sprite.
std::string story(int32_t spriteFlag) {
    return "START:\n"
           "    cmd 0x1543, 0, 0x203060\n"
           "    cmd 0x1550, 1\n"
           "    cmd 0x1501, 10, \"girl.bmp\", 100, 50, 1, " +
           std::to_string(spriteFlag) +
           "\n"
           "    text \"Hello\"\n"
           "    cmd 0x1103\n"
           "    ret\n";
}

struct Frame {
    uint32_t time;
    uint32_t background, sprite;
    bool text;
};

class PresentEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setClock(&clock);
        store.pictures["girl.bmp"] = {64, 64, kGreen};
        engine.status().screenWidth = kW;
        engine.status().screenHeight = kH;
        engine.status().useCommonSave = false;
        files.install(engine.getScriptBank());
    }
    void TearDown() override {
        engine.term();
        platform::setClock(nullptr);
    }
    void begin(const std::string& script) {
        files.add("story.g2", script);
        engine.status().useCommonSave = false;
        ASSERT_TRUE(engine.init(&host, nullptr, nullptr));
        ASSERT_TRUE(engine.start("story.g2", "START"));
    }
    Frame frame() {
        clock.advance(16);
        EXPECT_TRUE(engine.run());
        screen.createFilled(kW, kH, 0xFF777777u);
        engine.draw(screen);
        return {static_cast<uint32_t>(engine.core()->getLastTime()), screen.getPixel(5, 5), screen.getPixel(130, 80),
                engine.getCurrentDocFrame()->text().find("Hello") != std::string::npos};
    }
    std::vector<Frame> frames(int n) {
        std::vector<Frame> all;
        for (int i = 0; i < n; ++i) all.push_back(frame());
        return all;
    }

    platform::ManualClock clock{1000};
    testing::PictureStore store;
    TG2Host host;
    ScriptFiles files;
    Engine engine;
    graphics::TSurface32 screen;
};

uint32_t green(uint32_t c) { return c >> 8 & 0xFF; }
uint32_t blue(uint32_t c) { return c & 0xFF; }

TEST_F(PresentEngineTest, TheThreadWaitsForEachTransitionInTurn) {
    begin(story(0));
    const std::vector<Frame> all = frames(90);
    // The background fades from black to navy over its 500 ms, rising all the way.
    EXPECT_LT(blue(all[0].background), 0x20u);
    size_t navy = 0;
    while (navy < all.size() && all[navy].background != kNavy) ++navy;
    ASSERT_LT(navy, all.size());
    EXPECT_GE(all[navy].time - all[0].time, 480u);
    for (size_t i = 1; i <= navy; ++i) EXPECT_GE(blue(all[i].background), blue(all[i - 1].background));
    // The sprite's command waited: nothing of it until the background stood.
    for (size_t i = 0; i < navy; ++i) EXPECT_EQ(all[i].sprite, all[i].background) << i;
    size_t shown = navy;
    while (shown < all.size() && all[shown].sprite != kGreen) ++shown;
    ASSERT_LT(shown, all.size());
    EXPECT_GE(all[shown].time - all[navy].time, 480u);
    EXPECT_GT(green(all[(navy + shown) / 2].sprite), 0x30u);
    EXPECT_LT(green(all[(navy + shown) / 2].sprite), 0xA0u);
    // And the text only after the sprite.
    for (size_t i = 0; i < shown; ++i) EXPECT_FALSE(all[i].text) << i;
    EXPECT_TRUE(all.back().text);
    EXPECT_EQ(all.back().sprite, kGreen);
    for (TDwarf* job : engine.core()->getDwarfGuild()) EXPECT_FALSE(job->getJobCode() & 0x4000) << "finished, unlisted";
}

TEST_F(PresentEngineTest, ASpriteWithTheNoHoldFlagLetsTheTextGoOn) {
    begin(story(1));
    frame();
    EXPECT_TRUE(engine.core()->isWaiting()) << "the background's transition told the core it waits";
    const std::vector<Frame> all = frames(90);
    size_t text = 0;
    while (text < all.size() && !all[text].text) ++text;
    ASSERT_LT(text, all.size());
    EXPECT_NE(all[text].sprite, kGreen) << "the text came while the sprite still faded in";
    EXPECT_EQ(all.back().sprite, kGreen);
}

TEST_F(PresentEngineTest, SkippingOrNoScreenEffectsShowEachChangeAtOnce) {
    engine.status().screenEffect = false;
    begin(story(0));
    const std::vector<Frame> all = frames(6);
    EXPECT_EQ(all.back().background, kNavy);
    EXPECT_EQ(all.back().sprite, kGreen);
    EXPECT_TRUE(all.back().text);
}

TEST_F(PresentEngineTest, ASaveInMidTransitionFinishesTheSameWayAfterALoad) {
    begin(story(0));
    frames(10);
    const std::string saved = testing::saveBytes([&](TValueExchange& x) { engine.core()->exchange(x); });
    const std::vector<Frame> before = frames(70);
    // The same engine back at the clock of the save, loaded, and run again.
    clock.set(clock.now() - 70 * 16);
    engine.reset();
    testing::loadBytes(saved, [&](TValueExchange& x) { engine.core()->exchange(x); });
    const std::vector<Frame> after = frames(70);
    // The shown background is flattened into a picture no save holds: after the load the
    // change goes on from the new background (a still picture) and ends the same.
    EXPECT_EQ(after.front().background, kNavy);
    EXPECT_EQ(after.back().background, kNavy);
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i].sprite != before[i].background) {
            EXPECT_EQ(before[i].sprite, after[i].sprite) << i;
        }
        EXPECT_EQ(before[i].sprite == before[i].background, after[i].sprite == after[i].background) << i;
        EXPECT_EQ(before[i].text, after[i].text) << i;
    }
}

// A style number no save can keep (the saved map holds 16 bits) is warned of and shown with
// style 0: a save after it loads, and no style of the map is overwritten by it.
TEST_F(PresentEngineTest, AnEffectStyleNoSaveCanKeepIsWarnedOfAndTheSaveAfterItLoads) {
    std::vector<std::string> log;
    setEngineLogSink([&](const std::string& line) { log.push_back(line); });
    begin(
        "START:\n"
        "    cmd 0x1503, 3, 0xFF0000, -1, 1\n"
        "    cmd 0x1581, \"\", 65541, 3, 700\n"
        "    text \"Hello\"\n"
        "    cmd 0x1103\n"
        "    ret\n");
    frames(5);
    setEngineLogSink(nullptr);
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.find("warning 100e") == 0; }),
              2);
    const std::string saved = testing::saveBytes([&](TValueExchange& x) { engine.core()->exchange(x); });
    engine.reset();
    EXPECT_NO_THROW(testing::loadBytes(saved, [&](TValueExchange& x) { engine.core()->exchange(x); }));
    TG2Graphic& graphic = engine.graphicPart()->graphic();
    EXPECT_EQ(graphic.styles().size(), 18u);
    EXPECT_EQ(graphic.getStyle(5).Type, 5);
    EXPECT_EQ(graphic.getStyle(5).Time, -1);
    EXPECT_EQ(graphic.getSprite(3).EStyle, 0);
}

// A saved job list names a transition by either high bit of its code.
TEST_F(PresentEngineTest, ASavedTransitionCodeWithOneHighBitLoadsAsItsKind) {
    begin(story(0));
    TG2DwarfGuild& guild = engine.core()->getDwarfGuild();
    std::unique_ptr<TDwarf> job(guild.getDwarf(0xC005)), loaded;
    const std::string saved = testing::saveBytes([&](TValueExchange& x) {
        x.putInt("JobCode", 0x4005);
        job->exchange(x);
    });
    testing::loadBytes(saved, [&](TValueExchange& x) { loaded.reset(guild.loadDwarf(x)); });
    EXPECT_EQ(loaded->getJobCode(), 0xC005);
    EXPECT_EQ(std::unique_ptr<TDwarf>(guild.getDwarf(0x8001))->getJobCode(), 0xC001);
}

TEST_F(PresentEngineTest, TheMessageCommandsShapeTheRealWindow) {
    begin(
        "START:\n"
        "    cmd 0x1011, 20, 160, 280, 60\n"
        "    cmd 0x100e, 20\n"
        "    cmd 0x100f, 0xFFE040\n"
        "    text \"Mm\"\n"
        "    cmd 0x1103\n"
        "    ret\n");
    frames(3);
    int inside = 0, outside = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            if (screen.getPixel(x, y) != 0xFFFFE040u) continue;
            (x >= 20 && x < 300 && y >= 160 && y < 220 ? inside : outside) += 1;
        }
    EXPECT_GT(inside, 20) << "the text in the frame's rectangle, in its colour";
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(engine.getCurrentDocFrame()->fontSize(), 20);
}

TEST_F(PresentEngineTest, AMovieOfTheGraphicLayerPlaysOverThePicture) {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
    mjtest::TempDir dir;
    const std::string movie = dir.str() + "/movie.avi";
    ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i testsrc=duration=1:size=160x120:rate=25 -c:v mpeg4 "
                           "-q:v 2 -an '" +
                           movie + "'")
                              .c_str()),
              0);
    begin(story(0));
    frames(70);  // the background and the sprite stand
    TMedia& media = engine.graphicPart()->graphic().getMedia();
    ASSERT_TRUE(media.open(movie));
    media.setRect(100, 50, -1, -1);
    ASSERT_TRUE(media.play());
    EXPECT_FALSE(engine.isMediaStopped());
    const Frame f = frame();
    EXPECT_NE(f.sprite, kGreen) << "the movie's picture covers the sprite";
    EXPECT_EQ(screen.getPixel(5, 5), kNavy) << "and nothing outside its rectangle";
    engine.pause();
    EXPECT_TRUE(engine.isMediaStopped());
    engine.resume();
    EXPECT_FALSE(engine.isMediaStopped());
    media.close();
}

// A script stretches a movie far past the screen with the movie rectangle command: what shows
// is drawn, at the cost of the screen, not of the rectangle.
TEST_F(PresentEngineTest, AMovieStretchedFarPastTheScreenCostsOnlyTheScreen) {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
    mjtest::TempDir dir;
    const std::string movie = dir.str() + "/movie.avi";
    ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i color=c=red:duration=1:size=160x120:rate=25 -c:v mpeg4 "
                           "-an '" +
                           movie + "'")
                              .c_str()),
              0);
    begin(
        "START:\n"
        "    cmd 0x16a0, \"" +
        movie +
        "\", 1\n"
        "    cmd 0x16a2, -1000000000, -1000000000, 2000000000, 2000000000\n"
        "    text \"Hello\"\n"
        "    cmd 0x1103\n"
        "    ret\n");
    const mjtest::MemoryUse use = mjtest::measureMemory([&] {
        frames(3);
        const uint32_t c = screen.getPixel(kW / 2, kH / 2);
        return (c >> 16 & 0xFF) > 200 && (c >> 8 & 0xFF) < 60;  // the movie's red
    });
    ASSERT_TRUE(use.finished);
    EXPECT_TRUE(use.result);
    EXPECT_LT(use.peakGrowth, int64_t{32} << 20);
}

// Shows what the engine composes on a real X window and photographs it; the photograph is kept
// beside the test as name.png for people to look at.
struct Shot {
    long wrong = -1;               // pixels of the window that differ from the composed frame; -1: no photograph
    std::vector<uint32_t> pixels;  // the composed frame
    uint32_t at(int x, int y) const { return pixels.at(static_cast<size_t>(y) * kW + x); }
};

Shot showOnARealWindow(const char* display, PresentEngine& engine, const std::string& name) {
    Shot shot;
    long& wrong = shot.wrong;
    setenv("DISPLAY", display, 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    platform::headless::reset();
    if (platform::initWindowSystem(platform::Backend::Sdl)) {
        platform::registerClass({"TStoryWindow", &platform::defWindowProc});
        platform::HWND w = platform::createWindow(0, "TStoryWindow", "story", 0, 40, 40, kW, kH, nullptr, nullptr);
        if (w) {
            platform::showWindow(w, platform::SW_SHOW);
            graphics::TDirectDraw dd;
            graphics::TScreenSurface32 out;
            if (dd.create(w, false, {kW, kH, 32}) == 0 && out.createScreen(kW, kH) && out.attachDisplay(dd.back())) {
                out.fill(0xFF000000u);
                engine.draw(out);
                for (int i = 0; i < 30; ++i) {
                    platform::Msg m;
                    while (platform::peekMessage(m)) platform::dispatchMessage(m);
                    out.present(dd.back());
                    dd.flip(false);
                    platform::sleepMs(15);
                }
                const std::string import = "import -display " + std::string(display) + " -window root ";
                std::system((import + name + ".png").c_str());
                FILE* f = std::system((import + "-depth 8 " + name + ".ppm").c_str()) == 0
                              ? std::fopen((name + ".ppm").c_str(), "rb")
                              : nullptr;
                int sw = 0, sh = 0, max = 0;
                platform::Point origin{0, 0};
                if (f && std::fscanf(f, "P6 %d %d %d", &sw, &sh, &max) == 3 && sw >= kW && sh >= kH &&
                    platform::clientToScreen(w, origin)) {
                    std::fgetc(f);
                    std::vector<uint8_t> rgb(static_cast<size_t>(sw) * sh * 3);
                    if (std::fread(rgb.data(), 1, rgb.size(), f) == rgb.size()) {
                        wrong = 0;
                        for (int y = 0; y < kH; ++y)
                            for (int x = 0; x < kW; ++x) {
                                const uint8_t* p = &rgb[(static_cast<size_t>(origin.y + y) * sw + origin.x + x) * 3];
                                wrong += (uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]) !=
                                         (out.getPixel(x, y) & 0xFFFFFF);
                                shot.pixels.push_back(out.getPixel(x, y));
                            }
                    }
                }
                if (f) std::fclose(f);
            }
        }
    }
    platform::shutdownWindowSystem();
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    return shot;
}

// What a player sees: the story's frame on a real X window, photographed, equals the frame the
// engine composed.
TEST_F(PresentEngineTest, TheStoryShowsOnARealWindow) {
    const char* d = std::getenv("MJ_XDISPLAY");
    if (!d || !*d) GTEST_SKIP() << "no X display (MJ_XDISPLAY) for the real window";
    store.pictures["girl.bmp"] = {96, 128, kGreen};
    begin(
        "START:\n"
        "    cmd 0x1543, 0, 0x203060\n"
        "    cmd 0x1550, 1\n"
        "    cmd 0x1501, 10, \"girl.bmp\", 40, 30, 1, 0\n"
        "    cmd 0x1501, 11, \"girl.bmp\", 200, 30, 4, 1\n"
        "    cmd 0x1011, 16, 176, 288, 56\n"
        "    cmd 0x100f, 0xFFE040\n"
        "    text \"Hello, table.\"\n"
        "    cmd 0x1103\n"
        "    ret\n");
    frames(80);  // the background and sprite 10 stand; the wipe of sprite 11 is half way
    const Shot out = showOnARealWindow(d, engine, "story_frame");
    ASSERT_EQ(out.wrong, 0);
    EXPECT_EQ(out.at(5, 5), kNavy);
    EXPECT_EQ(out.at(60, 60), kGreen);
    int uncovered = 0;
    for (int x = 200; x < 296; ++x) uncovered += out.at(x, 60) == kGreen;
    EXPECT_GT(uncovered, 10) << "the wipe of sprite 11 is under way";
    EXPECT_LT(uncovered, 86);
}

// The message window's auto, skip and off buttons beside it, as a player sees them on a real
// window. The button pictures are made here: one plain colour per button.
TEST_F(PresentEngineTest, TheModeButtonsShowBesideTheMessageWindowOnARealWindow) {
    const char* d = std::getenv("MJ_XDISPLAY");
    if (!d || !*d) GTEST_SKIP() << "no X display (MJ_XDISPLAY) for the real window";
    const std::map<std::string, uint32_t> buttons = {
        {"txauto", 0xFF20C020u}, {"txskip", 0xFF2080F0u}, {"txoff", 0xFFE02020u}};
    for (const auto& [stem, colour] : buttons)
        for (const char* state : {"", "_on", "_disable", "_over", "_stop", "_stop_on", "_stop_disable", "_stop_over"}) {
            const std::string n = stem + state;
            store.texts["data\\" + n + ".as"] = "0 i " + n + ".bmp 0 0\r\n";
            store.pictures["data\\" + n + ".bmp"] = {24, 12, colour};
        }
    begin(
        "START:\n"
        "    cmd 0x1543, 0, 0x203060\n"
        "    cmd 0x1550, 1\n"
        "    cmd 0x1011, 16, 176, 288, 56\n"
        "    cmd 0x101f, 2, 0x12, -60, -14\n"
        "    cmd 0x101f, 1, 0x12, -32, -14\n"
        "    cmd 0x101f, 0, 0x12, -4, -14\n"
        "    text \"Hello, table.\"\n"
        "    cmd 0x1103\n"
        "    ret\n");
    engine.core()->setSuspendSkip(~0u, false);
    // The buttons stand at the frame's right edge above its top: auto, skip, off.
    const int buttonX[3] = {304 - 24 - 60, 304 - 24 - 32, 304 - 24 - 4};
    const uint32_t buttonColour[3] = {0xFF20C020u, 0xFF2080F0u, 0xFFE02020u};
    int navyAt = -1;
    for (int i = 0; i < 120 && navyAt < 0; ++i)
        if (frame().background == kNavy) navyAt = i;
    ASSERT_GE(navyAt, 0);
    frames(8);
    const Shot buttonsShot = showOnARealWindow(d, engine, "mode_buttons");
    ASSERT_EQ(buttonsShot.wrong, 0);
    for (int b = 0; b < 3; ++b) EXPECT_EQ(buttonsShot.at(buttonX[b] + 12, 168), buttonColour[b]) << "button " << b;
    EXPECT_EQ(buttonsShot.at(5, 5), kNavy);
}

}  // namespace
}  // namespace present
