// Full screen in a real window on an X display of its own (MJ_XDISPLAY, 1024 x 768, which lists
// no 800 x 600 mode): Alt+Enter typed on the X server (xdotool) shows the game's frame scaled
// over the whole display and brings the window back where it was, whichever key is let go first
// and however long Enter is held; the Enter of it is never taken as a decision by the screen
// under the pointer, and the pointer stays over the same point of the picture. The photographs
// stay beside the test (xvfb_full_screen_*.png).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/clock.h"
#include "real_window.h"

namespace {

class FullScreenTest : public apptest::RealWindowTest {
protected:
    FullScreenTest() : RealWindowTest({"xdotool"}) {}
    // The whole display photographed against the last frame scaled to cover it: the points
    // checked are those where the frame is even around them, so that scaling cannot blur them.
    // Returns the points that differ, or -1 without a photograph.
    long wrongWhenScaled(const std::string& name, long& checked) {
        settle();
        testsupport::Shot shot;
        if (!testsupport::screenshot(display_, (shots_ / name).string(), shot)) return -1;
        int w = 0, h = 0;
        const std::vector<uint32_t> frame = presented(w, h);
        if (w <= 0 || h <= 0) return -1;
        auto at = [&](int x, int y) { return frame[static_cast<size_t>(y) * w + x]; };
        const double sx = double(shot.w) / w, sy = double(shot.h) / h;
        long wrong = 0;
        checked = 0;
        for (int y = 3; y < h - 3; y += 4)
            for (int x = 3; x < w - 3; x += 4) {
                const uint32_t c = at(x, y);
                if (at(x - 3, y - 3) != c || at(x + 3, y + 3) != c || at(x - 3, y + 3) != c || at(x + 3, y - 3) != c)
                    continue;
                ++checked;
                wrong += shot.at(int((x + 0.5) * sx), int((y + 0.5) * sy)) != c;
            }
        return wrong;
    }
    // The X server's pointer (screen coordinates), or (-1, -1) when it cannot be read.
    platform::Point xPointer() {
        platform::Point p{-1, -1};
        if (FILE* f = popen(("DISPLAY=" + display_ + " xdotool getmouselocation 2>/dev/null").c_str(), "r")) {
            if (std::fscanf(f, "x:%d y:%d", &p.x, &p.y) != 2) p = {-1, -1};
            pclose(f);
        }
        return p;
    }
    // The point of the picture under the X server's pointer: in full screen the frame is scaled
    // to the display's height (1024 x 768 has the frame's shape), in a window it is at its size.
    platform::Point onPicture() {
        const platform::Point p = xPointer();
        if (frame->isWindowed()) return {p.x - origin().x, p.y - origin().y};
        const double scale = platform::getSystemMetrics(platform::SM_CYSCREEN) / 600.0;
        return {int(p.x / scale), int(p.y / scale)};
    }
    platform::Point gamePointer() { return {frame->input().cursorX(), frame->input().cursorY()}; }
    // One Alt+Enter typed as the keys go, then the frames that show it.
    void altEnter(const std::string& keys) {
        ASSERT_TRUE(xdotool(keys));
        settle();
    }
};

}  // namespace

TEST_F(FullScreenTest, AltEnterShowsTheFrameOverTheWholeDisplayAndBackWithoutDeciding) {
    ASSERT_TRUE(launch(true));
    const platform::Point before = origin();
    // The pointer over FREE PLAY: an Enter that reached the title would choose it.
    const platform::Point freePlay{517 + 20, 455 + 10};
    ASSERT_TRUE(xdotool("mousemove --sync " + std::to_string(before.x + freePlay.x) + " " +
                        std::to_string(before.y + freePlay.y)));
    settle();
    ASSERT_EQ(onPicture(), freePlay);

    // Alt let go before Enter.
    altEnter("keydown alt keydown Return keyup alt keyup Return");
    EXPECT_FALSE(frame->isWindowed());
    EXPECT_TRUE(at(1, 20)) << where();
    EXPECT_EQ(onPicture(), freePlay) << "the pointer over the scaled picture";
    EXPECT_EQ(gamePointer(), freePlay);
    long checked = 0;
    EXPECT_EQ(wrongWhenScaled("xvfb_full_screen_on", checked), 0);
    EXPECT_GT(checked, 5000);

    // Enter held down under Alt, then let go first: its repeats switch nothing more.
    altEnter("keydown alt keydown Return sleep 0.8 keyup Return keyup alt");
    EXPECT_TRUE(frame->isWindowed());
    EXPECT_EQ(origin(), before);
    EXPECT_EQ(onPicture(), freePlay);
    EXPECT_EQ(gamePointer(), freePlay);
    // Alt let go while Enter is still held: Enter repeating alone is not taken either.
    altEnter("keydown alt keydown Return keyup alt sleep 0.8 keyup Return");
    EXPECT_FALSE(frame->isWindowed());
    EXPECT_EQ(onPicture(), freePlay);
    altEnter("keydown alt key Return keyup alt");
    EXPECT_TRUE(frame->isWindowed());
    EXPECT_TRUE(at(1, 20)) << where();
    EXPECT_EQ(origin(), before);
    EXPECT_EQ(onPicture(), freePlay);
    EXPECT_EQ(gamePointer(), freePlay);
    EXPECT_EQ(photograph("xvfb_full_screen_off"), 0);

    // A pointer outside the window stays where it is.
    ASSERT_TRUE(xdotool("mousemove --sync 5 5"));
    settle();
    altEnter("keydown alt key Return keyup alt");
    EXPECT_FALSE(frame->isWindowed());
    EXPECT_EQ(xPointer(), (platform::Point{5, 5}));
    altEnter("keydown alt key Return keyup alt");
    EXPECT_TRUE(frame->isWindowed());
    EXPECT_TRUE(at(1, 20)) << where();
}

// The configuration page lights the mode the window is in, also when Alt+Enter switches it under
// the page, and a click on another of its items keeps that mode.
TEST_F(FullScreenTest, TheConfigurationPageLightsTheModeTheWindowIsIn) {
    ASSERT_TRUE(launch(true));
    click(517 + 20, 515 + 10);  // the title's CONFIG
    auto* system = dynamic_cast<TTaskSystem*>(frame->find(kTaskSystem));
    ASSERT_TRUE(runUntil([&] { return system->step() == 1 && system->subStep() == 20; })) << where();
    // Which of the plates at (327, 60) and (465, 60) is lit: 0 window, 1 full screen (-1 neither, 2 both).
    const auto litFullScreen = [&] {
        int w = 0, h = 0;
        const std::vector<uint32_t> px = presented(w, h);
        return (px[66 * 800 + 332] == 0xE08020u ? 1 : 0) + (px[66 * 800 + 470] == 0xE08020u ? 2 : 0) - 1;
    };
    settle();
    EXPECT_EQ(litFullScreen(), 0);
    altEnter("keydown alt key Return keyup alt");
    EXPECT_EQ(litFullScreen(), 1);
    long checked = 0;
    EXPECT_EQ(wrongWhenScaled("xvfb_full_screen_config", checked), 0);
    // The music row's top segment, on the picture scaled to the display's height (1.28).
    ASSERT_TRUE(xdotool("mousemove --sync 712 403 click 1"));
    settle();
    EXPECT_EQ(system->config().music, 10);
    EXPECT_EQ(litFullScreen(), 1) << "the click keeps full screen";
    EXPECT_FALSE(frame->isWindowed());
    altEnter("keydown alt key Return keyup alt");
    EXPECT_EQ(litFullScreen(), 0);
    EXPECT_EQ(photograph("xvfb_full_screen_config_window"), 0);
}
