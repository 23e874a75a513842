// The window's place under a window manager that frames it (openbox on an X display of its own,
// MJ_XDISPLAY): the place the program keeps in its settings is where its window opens again,
// launch after launch, and a kept place off the display is pulled back onto it with the frame.
// The places are those the X server reports (xwininfo), not the program's own idea of them.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/types.h>

#include "platform/clock.h"
#include "real_window.h"

namespace {

struct Placed {
    int x = -1, y = -1;                            // the client area's origin on the screen
    int left = 0, top = 0, right = 0, bottom = 0;  // the frame around it
};

class WindowPlaceTest : public apptest::RealWindowTest {
protected:
    WindowPlaceTest() : RealWindowTest({"openbox", "xwininfo", "xprop", "xdotool"}) {}
    void SetUp() override {
        const std::string d = testsupport::xDisplay();
        if (d.empty() || !testsupport::installed(tools_))
            return RealWindowTest::SetUp();  // which says what is missing and skips
        // The window manager runs before SDL starts, which looks for one only then.
        const std::string pidFile = (dir.path() / "openbox.pid").string();
        std::system(("DISPLAY=" + d + " openbox >/dev/null 2>&1 & echo $! >" + pidFile).c_str());
        std::ifstream(pidFile) >> wm_;
        bool managing = false;
        for (int i = 0; i < 100 && !managing; ++i) {
            platform::realSleepMs(50);
            managing = std::system(
                           ("xprop -display " + d + " -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'")
                               .c_str()) == 0;
        }
        ASSERT_TRUE(managing) << "openbox did not start";
        RealWindowTest::SetUp();
    }
    void TearDown() override {
        RealWindowTest::TearDown();
        if (wm_ > 0) kill(wm_, SIGTERM);
    }
    // Output of a shell command.
    static std::string run(const std::string& command) {
        std::string out;
        if (FILE* p = popen(command.c_str(), "r")) {
            char buf[256];
            while (fgets(buf, sizeof buf, p)) out += buf;
            pclose(p);
        }
        return out;
    }
    Placed placed() {
        Placed p;
        std::string id = run("DISPLAY=" + display_ + " xdotool search --onlyvisible --name 'Tovimare' | head -1");
        while (!id.empty() && (id.back() == '\n' || id.back() == '\r')) id.pop_back();
        if (id.empty()) return p;
        const std::string info = run("xwininfo -display " + display_ + " -id " + id);
        const auto number = [&](const std::string& key) {
            const size_t at = info.find(key);
            return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + key.size());
        };
        p.x = number("Absolute upper-left X:");
        p.y = number("Absolute upper-left Y:");
        const std::string extents = run("xprop -display " + display_ + " -id " + id + " _NET_FRAME_EXTENTS");
        std::sscanf(extents.c_str(), "_NET_FRAME_EXTENTS(CARDINAL) = %d, %d, %d, %d", &p.left, &p.right, &p.top,
                    &p.bottom);
        return p;
    }
    std::string keptPlace() {
        const std::string ini = read("save/game.ini");
        const size_t at = ini.find("WindowPos=");
        return at == std::string::npos ? "" : ini.substr(at + 10, ini.find_first_of("\r\n", at) - at - 10);
    }
    void keepPlace(const std::string& place) {
        std::string ini = read("save/game.ini");
        const size_t at = ini.find("WindowPos=");
        if (at != std::string::npos) {
            ini.replace(at + 10, ini.find_first_of("\r\n", at) - at - 10, place);
        } else {
            const size_t windowed = ini.find("Windowed=");
            ASSERT_NE(windowed, std::string::npos);
            ini.insert(windowed, "WindowPos=" + place + "\r\n");
        }
        write("save/game.ini", ini);
    }
    pid_t wm_ = 0;
};

}  // namespace

TEST_F(WindowPlaceTest, TheWindowOpensWhereItWasLeftLaunchAfterLaunch) {
    ASSERT_TRUE(launch(true));
    const Placed first = placed();
    ASSERT_GE(first.x, 0);
    EXPECT_GT(first.top, 0) << "the window manager frames the window";
    // The player moves it; the place is kept as the client area's origin.
    ASSERT_TRUE(xdotool("search --onlyvisible --name Tovimare windowmove 150 60"));
    settle();
    const Placed moved = placed();
    shutdown();
    ASSERT_EQ(keptPlace(), std::to_string(moved.x) + "," + std::to_string(moved.y));
    for (int n = 2; n <= 3; ++n) {
        ASSERT_TRUE(launch(true));
        const Placed again = placed();
        EXPECT_EQ(again.x, moved.x) << "launch " << n;
        EXPECT_EQ(again.y, moved.y) << "launch " << n;
        shutdown();
        EXPECT_EQ(keptPlace(), std::to_string(moved.x) + "," + std::to_string(moved.y));
    }
}

TEST_F(WindowPlaceTest, AKeptPlaceOffTheDisplayIsPulledBackWithTheWholeFrame) {
    ASSERT_TRUE(launch(true));
    shutdown();
    for (const char* kept : {"5000,5000", "-3000,-3000", "10,5", "900,700"}) {
        keepPlace(kept);
        ASSERT_TRUE(launch(true));
        const Placed p = placed();
        EXPECT_GE(p.x - p.left, 0) << kept;
        EXPECT_GE(p.y - p.top, 0) << kept;
        EXPECT_LE(p.x + 800 + p.right, 1024) << kept;
        EXPECT_LE(p.y + 600 + p.bottom, 768) << kept;
        EXPECT_GT(p.top, 0) << kept;
        shutdown();
    }
}
