// Clicks and key taps made on the X server itself (xdotool, through the XTest extension): the
// button or key goes down and up again before the game reads its devices, as a quick click or a
// touchpad tap does, and every one of them still counts once. Runs on an X display of its own
// (MJ_XDISPLAY) with xdotool installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "app/rule_setup_sprites.h"
#include "platform/clock.h"
#include "real_window.h"

namespace {

class TapsTest : public apptest::RealWindowTest {
protected:
    TapsTest() : RealWindowTest({"xdotool"}) {}
    // The pointer to (x, y) of the client area, and frames until the page has seen it.
    bool moveTo(int x, int y) {
        const platform::Point o = origin();
        if (!xdotool("mousemove --sync " + std::to_string(o.x + x) + " " + std::to_string(o.y + y))) return false;
        for (int i = 0; i < 3; ++i) step();
        return true;
    }
    // The centre of rule choice i (0 all rounds, 1 east rounds only).
    platform::Point choice(int i) {
        graphics::TSprUnitObj* u = setupsprites::unit(ruleSetupSprites().rule, 3 * i + 2);
        if (!u) return {-1, -1};
        const graphics::TRect r(u->getRect());
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    int gameLength() const { return title()->freePlayRule()->gameLength; }
};

}  // namespace

TEST_F(TapsTest, EveryQuickClickAndKeyTapOnTheRulePageCounts) {
    ASSERT_TRUE(launch());
    ASSERT_TRUE(moveTo(517 + 20, 455 + 10));  // FREE PLAY
    ASSERT_TRUE(xdotool("click 1"));
    ASSERT_TRUE(runUntil([&] { return at(2, 211); }, 200)) << where();
    const platform::Point all = choice(0), east = choice(1);
    ASSERT_GE(all.x, 0);
    ASSERT_GE(east.x, 0);

    // Each click comes and goes between two frames; each must switch the game length. Enter
    // decides what the pointer is over; a tap of it counts the same way.
    for (const auto& [input, rounds] : {std::pair{"click 1", 10}, std::pair{"key Return", 6}})
        for (int round = 0; round < rounds; ++round) {
            const int want = round % 2 == 0 ? 0 : 1;
            const platform::Point p = want == 1 ? east : all;
            ASSERT_TRUE(moveTo(p.x, p.y));
            ASSERT_NE(gameLength(), want);
            ASSERT_TRUE(xdotool(input));
            for (int i = 0; i < 3; ++i) step();
            EXPECT_EQ(gameLength(), want) << input << ", round " << round;
        }
}
