// The story's screens in a real window on an X display of their own (MJ_XDISPLAY): the message
// window of the demo story, the save page with the thumbnail of a save just made, and the
// configuration page, each photographed from the X server and held against the frame the game
// presented. The photographs stay beside the test for people to look at (xvfb_story_*.png).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "app/task_novel.h"
#include "app/task_system.h"
#include "game_driver.h"

namespace {

struct Shot {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    uint32_t at(int x, int y) const {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
};

bool readPpm(const std::string& file, Shot& out) {
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) return false;
    int max = 0;
    bool ok = std::fscanf(f, "P6 %d %d %d", &out.w, &out.h, &max) == 3 && max == 255 && out.w > 0 && out.h > 0;
    if (ok) {
        std::fgetc(f);
        out.rgb.resize(static_cast<size_t>(out.w) * out.h * 3);
        ok = std::fread(out.rgb.data(), 1, out.rgb.size(), f) == out.rgb.size();
    }
    std::fclose(f);
    return ok;
}

class StoryScreensTest : public ::testing::Test, public apptest::GameDriver {
protected:
    void SetUp() override {
        const char* d = std::getenv("MJ_XDISPLAY");
        if (!d || !*d) GTEST_SKIP() << "no X display (MJ_XDISPLAY) for the real window";
        display_ = d;
        shots_ = std::filesystem::current_path();
        setenv("DISPLAY", d, 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        ASSERT_TRUE(platform::initWindowSystem(platform::Backend::Sdl));
        started_ = true;
    }
    void TearDown() override {
        shutdown();
        if (started_) platform::shutdownWindowSystem();
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    }

    // The whole X screen photographed (kept as stem.png); the pixels of the window's client area
    // that differ from the frame the game presented last.
    long photograph(const std::string& name) {
        const std::string stem = (shots_ / name).string();
        for (int i = 0; i < 10; ++i) {
            step();
            platform::realSleepMs(20);
        }
        const std::string ppm = stem + ".ppm";
        if (std::system(("import -display " + display_ + " -window root -depth 8 " + ppm + " 2>/dev/null").c_str()) !=
            0)
            return -1;
        std::system(("import -display " + display_ + " -window root -crop 800x600+" + std::to_string(origin().x) + "+" +
                     std::to_string(origin().y) + " " + stem + ".png 2>/dev/null")
                        .c_str());
        Shot shot;
        if (!readPpm(ppm, shot)) return -1;
        int w = 0, h = 0;
        const std::vector<uint32_t> frame = presented(w, h);
        if (w != 800 || h != 600) return -1;
        const platform::Point o = origin();
        if (o.x < 0 || o.y < 0 || o.x + w > shot.w || o.y + h > shot.h) return -1;
        long wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) wrong += shot.at(o.x + x, o.y + y) != frame[static_cast<size_t>(y) * w + x];
        return wrong;
    }
    platform::Point origin() const {
        platform::Point p{0, 0};
        window->clientToScreen(p);
        return p;
    }
    // Distinct colours in a rectangle of the last presented frame: a screen with pictures on it
    // has many, an empty one a single colour.
    size_t colours(int left, int top, int right, int bottom) {
        int w = 0, h = 0;
        const std::vector<uint32_t> px = presented(w, h);
        std::set<uint32_t> seen;
        for (int y = top; y < bottom && y < h; ++y)
            for (int x = left; x < right && x < w; ++x) seen.insert(px[static_cast<size_t>(y) * w + x]);
        return seen.size();
    }

    TTaskNovel* story() const { return dynamic_cast<TTaskNovel*>(frame->find(kTaskNovel)); }
    TTaskSystem* system() const { return dynamic_cast<TTaskSystem*>(frame->find(kTaskSystem)); }

    std::string display_;
    std::filesystem::path shots_;  // the photographs stay in the test's working folder
    bool started_ = false;
};

}  // namespace

TEST_F(StoryScreensTest, TheMessageWindowTheSavePageWithItsThumbnailAndTheConfigurationPage) {
    ASSERT_TRUE(kitCopied()) << MJ_KIT_DIR;
    // The saves go beside the copied kit, as they go beside the program.
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    struct Back {
        std::filesystem::path to;
        ~Back() { std::filesystem::current_path(to); }
    } back{cwd};
    ASSERT_TRUE(bootGame()) << (boxes.count() ? boxes.last().text : "");
    window->showWindow(platform::SW_SHOW);
    ASSERT_TRUE(runUntil([&] { return at(1, 20); })) << where();
    click(517 + 20, 395 + 10);  // new game
    ASSERT_TRUE(runUntil([&] { return story() && story()->subStep() == 11; })) << where();
    pointAt(400, 300);
    for (int i = 0; i < 150; ++i) step();  // the first line types out
    EXPECT_EQ(photograph("xvfb_story_message"), 0);
    EXPECT_GT(colours(40, 440, 760, 580), 4u) << "the message window";

    story()->onSystemCommand(2);  // the save page, as F2 opens it
    ASSERT_TRUE(runUntil([&] { return system()->step() == 3 && system()->subStep() == 20; })) << where();
    click(30 + 20, 60 + 20);  // entry 0: a free slot, saved at once
    ASSERT_TRUE(runUntil([&] { return system()->subStep() == 20 && system()->entryUsed(0); }, 100));
    ASSERT_NE(system()->thumbnail(0), nullptr);
    pointAt(30 + 20, 160 + 20);
    EXPECT_EQ(photograph("xvfb_story_save"), 0);
    EXPECT_GT(colours(44, 69, 140, 141), 1u) << "the thumbnail";

    rightClick();  // back to the story
    ASSERT_TRUE(runUntil([&] { return system()->isClosed() && story()->subStep() == 11; })) << where();
    story()->onSystemCommand(1);  // the system menu and configuration
    ASSERT_TRUE(runUntil([&] { return system()->step() == 1 && system()->subStep() == 20; })) << where();
    pointAt(349 + 22 * 4 + 5, 300 + 10);
    EXPECT_EQ(photograph("xvfb_story_config"), 0);
    EXPECT_GT(colours(327, 60, 600, 520), 4u) << "the configuration items";
}
