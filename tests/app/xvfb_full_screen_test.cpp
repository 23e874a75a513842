// Full screen in a real window on an X display of its own (MJ_XDISPLAY, 1024 x 768, which lists
// no 800 x 600 mode): Alt+Enter typed on the X server (xdotool) shows the game's frame scaled
// over the whole display and brings the window back where it was, and the Enter of it is never
// taken as a decision by the screen under the pointer. The photographs stay beside the test
// (xvfb_full_screen_*.png).
#include <gtest/gtest.h>

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
};

}  // namespace

TEST_F(FullScreenTest, AltEnterShowsTheFrameOverTheWholeDisplayAndBackWithoutDeciding) {
    ASSERT_TRUE(launch(true));
    const platform::Point before = origin();
    // The pointer over FREE PLAY: an Enter that reached the title would choose it.
    ASSERT_TRUE(
        xdotool("mousemove --sync " + std::to_string(before.x + 517 + 20) + " " + std::to_string(before.y + 455 + 10)));
    settle();

    ASSERT_TRUE(xdotool("keydown alt key Return keyup alt"));
    settle();
    EXPECT_FALSE(frame->isWindowed());
    EXPECT_TRUE(at(1, 20)) << where();
    long checked = 0;
    EXPECT_EQ(wrongWhenScaled("xvfb_full_screen_on", checked), 0);
    EXPECT_GT(checked, 5000);

    ASSERT_TRUE(xdotool("keydown alt key Return keyup alt"));
    settle();
    EXPECT_TRUE(frame->isWindowed());
    EXPECT_TRUE(at(1, 20)) << where();
    EXPECT_EQ(origin(), before);
    EXPECT_EQ(photograph("xvfb_full_screen_off"), 0);
}
