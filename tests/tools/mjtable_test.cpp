// The table-client window program under a real X window: a whole east round is played by a
// driver that reads only the screen and answers with the mouse through the platform's pointer,
// from the first deal to the end screen. The table mid-hand must look as the pinned picture
// does; the pictures of the table, the first result page and the end screen stay beside the test
// for people to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "png_file.h"
#include "screen_driver.h"
#include "support/test_support.h"
#include "table_app.h"

namespace {

using Sight = mjtable::ScreenDriver::Sight;

TEST(TableWindow, AWholeMatchIsPlayedByClicksReadFromTheScreen) {
    const char* d = std::getenv("MJ_XDISPLAY");
    if (!d || !*d) GTEST_SKIP() << "no X display (MJ_XDISPLAY) for the real window";
    setenv("DISPLAY", d, 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);

    const std::string golden = (mjtest::sourceDir() / "tests/tools/data/table_midhand.png").string();
    mjtable::ScreenDriver driver;
    int goldenDiff = -1;
    std::set<std::string> shots;
    driver.setWatcher([&](TGameFrameG2& frame, Sight s, int count) {
        const char* name = nullptr;
        if (s == Sight::OwnDraw && goldenDiff < 0 && mjtable::ownDiscardsShown() == 5)
            name = "table_midhand.png";
        else if ((s == Sight::Result || s == Sight::DrawResult) && count == 1)
            name = "table_result.png";
        else if (s == Sight::Final && count == 1)
            name = "table_final.png";
        if (!name || shots.count(name)) return;
        int w = 0, h = 0;
        std::vector<uint32_t> px;
        ASSERT_TRUE(mjtable::grabWindow(frame, w, h, px));
        ASSERT_EQ(w, 800);
        ASSERT_EQ(h, 600);
        EXPECT_TRUE(mjtable::writePng(name, w, h, px));
        shots.insert(name);
        if (std::string(name) != "table_midhand.png") return;
        if (const char* u = std::getenv("MJ_UPDATE_GOLDEN"); u && *u == '1') mjtable::writePng(golden, w, h, px);
        int gw = 0, gh = 0;
        std::vector<uint32_t> want;
        ASSERT_TRUE(mjtable::readPng(golden, gw, gh, want)) << golden;
        ASSERT_EQ(gw * gh, w * h);
        goldenDiff = 0;
        for (size_t i = 0; i < px.size(); ++i)
            if ((px[i] | 0xFF000000u) != want[i]) ++goldenDiff;
    });

    mjtable::TableOptions options;
    options.seed = 7;
    options.fast = true;
    options.frameCap = 60000;
    options.dataDir = MJ_TABLE_DATA_DIR;
    options.instanceName = "MJTABLETEST";
    options.driver = std::ref(driver);
    const mjtable::TableOutcome outcome = mjtable::runTable(options);

    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.finished) << outcome.frames << " frames";
    EXPECT_TRUE(driver.sawFinal());
    EXPECT_GT(driver.discards(), 10);
    EXPECT_GT(driver.resultPages(), 0);
    EXPECT_EQ(goldenDiff, 0) << "pixels differ from " << golden << " (table_midhand.png beside the test)";
    EXPECT_EQ(shots.size(), 3u);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
}

}  // namespace
