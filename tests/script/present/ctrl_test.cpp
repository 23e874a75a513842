// GUI controls as the player drives them: polled input frame by frame and a window's mouse
// messages, hit by depth across the whole program, the events of a press and release inside
// and outside, the mouse capture on the window, and the wheel.
#include <gtest/gtest.h>

#include "framework/window.h"
#include "graphics/gr_kinds.h"
#include "platform/headless.h"
#include "platform/window_system.h"
#include "script/present/ui/ctrl.h"

using namespace present;

namespace {

struct Log : TGrCtrl::TNotify {
    void notify(int32_t id, int32_t event, int32_t) override { events.push_back(id * 100 + event); }
    std::vector<int32_t> events;
};

class Wheel : public TGrCtrl {
public:
    void onWheel(int32_t steps, int32_t, int32_t) override { turns.push_back(steps); }
    std::vector<int32_t> turns;
};

CtrlInput at(int32_t x, int32_t y, uint32_t held = 0, uint32_t pressed = 0) {
    CtrlInput in;
    in.x = x, in.y = y, in.held = held, in.pressed = pressed, in.moved = true;
    return in;
}

constexpr uint32_t kL = 0x10000000;

intptr_t lparam(int x, int y) { return static_cast<intptr_t>((static_cast<uint32_t>(y) << 16) | (x & 0xFFFF)); }

}  // namespace

TEST(GrCtrl, APressAndReleaseInsideClickAndOneDraggedOutDoesNot) {
    Log log;
    TGrCtrl c;
    c.setup(nullptr, &log, 7, 1, 10, 10, 20, 20);
    c.processInput(at(15, 15));          // the first pass looks at hover
    c.processInput(at(15, 15, kL, kL));  // down inside: capture, pressed
    c.processInput(at(15, 15, 0));       // up inside: click, capture ends
    EXPECT_EQ(log.events, (std::vector<int32_t>{710, 702, 700, 704}));
    EXPECT_EQ(c.isCaptured(), 0);

    log.events.clear();
    c.processInput(at(15, 15, kL, kL));
    c.processInput(at(40, 15, kL));  // dragged out: no longer hovered nor held down
    c.processInput(at(40, 15, 0));   // released outside: the capture ends without a click
    EXPECT_EQ(log.events, (std::vector<int32_t>{702, 710, 711, 704}));

    log.events.clear();
    c.processInput(at(15, 15, kL, kL));
    c.processInput(at(40, 15, kL));
    c.processInput(at(29, 29, kL));  // back in before the release
    c.processInput(at(29, 29, 0));
    EXPECT_EQ(log.events, (std::vector<int32_t>{702, 710, 710, 711, 710, 711, 700, 704}));
    // The right edge is outside.
    EXPECT_FALSE(c.hitTest(30, 15));
}

TEST(GrCtrl, ADeeperControlAnywhereOrAChildCoversTheHit) {
    Log log;
    TGrCtrl low, high, child;
    low.setup(nullptr, &log, 1, 1, 0, 0, 100, 100);
    high.setup(nullptr, &log, 2, 5, 50, 50, 100, 100);
    child.setup(&low, &log, 3, 2, 0, 0, 10, 10);
    EXPECT_TRUE(low.hit(20, 20));
    EXPECT_FALSE(low.hit(60, 60)) << "under the deeper control";
    EXPECT_FALSE(low.hit(5, 5)) << "under its own child";
    low.processInput(at(60, 60, kL, kL));
    EXPECT_EQ(low.isCaptured(), 0);
    EXPECT_TRUE(child.hit(5, 5));
    // A hidden parent hides its children from input; shown again, the state starts afresh.
    low.processInput(at(20, 20, kL, kL));
    EXPECT_EQ(low.isCaptured(), 1);
    low.setVisible(false);
    EXPECT_FALSE(child.isShown());
    EXPECT_FALSE(child.hit(5, 5));
    low.setVisible(true);
    EXPECT_EQ(low.isCaptured(), 0);
    EXPECT_TRUE(low.needHover() && child.needHover());
    child.setParent(nullptr);
    EXPECT_TRUE(low.children().empty());
}

TEST(GrCtrl, AnAttachedControlTakesTheWindowsMouseAndItsCapture) {
    platform::headless::reset();
    TWindow window;
    ASSERT_EQ(window.create(), 0u);
    Log log;
    Wheel c;
    c.setup(nullptr, &log, 4, 0, 0, 0, 50, 50);
    c.attachWindow(&window);
    TGrCtrl::resetWheelAccumulator();
    auto send = [&](uint32_t m, uintptr_t w, intptr_t l) { platform::sendMessage(window.handle(), m, w, l); };
    send(0x200, 0, lparam(10, 10));
    send(0x201, 0, lparam(10, 10));
    EXPECT_TRUE(window.hasCapture()) << "a press inside takes the window's mouse";
    send(0x200, 0, lparam(-5, 70));  // negative coordinates outside the window still arrive
    send(0x202, 0, lparam(-5, 70));
    EXPECT_FALSE(window.hasCapture());
    EXPECT_EQ(log.events, (std::vector<int32_t>{410, 402, 410, 411, 404}));
    // Wheel deltas add up across messages: 60 and 60 make one step, -240 two back.
    send(0x20A, uintptr_t{60} << 16, lparam(10, 10));
    EXPECT_TRUE(c.turns.empty());
    send(0x20A, uintptr_t{60} << 16, lparam(10, 10));
    send(0x20A, uintptr_t{static_cast<uint16_t>(-240)} << 16, lparam(10, 10));
    EXPECT_EQ(c.turns, (std::vector<int32_t>{1, -2}));
    c.attachWindow(nullptr);
    EXPECT_EQ(window.hookCount(), 0u);
    window.destroyWindow();
}

TEST(GrCtrlButton, PicturesFollowTheStateAndFallBackToTheNormalOne) {
    graphics::TFillObj normal, pressed, hover, alt;
    normal.setup(10, 10, 0xFF0000FF, 255);
    TGrCtrlButton b;
    b.setupWithPictures(nullptr, nullptr, 0, 0, 0, 0, 10, 10, &normal, nullptr, nullptr, nullptr);
    b.processInput(at(5, 5));
    EXPECT_EQ(b.currentPicture(), &normal) << "hover without a picture of its own";
    b.processInput(at(5, 5, kL, kL));
    EXPECT_EQ(b.currentPicture(), &normal);
    b.setPictures(&normal, &pressed, nullptr, &hover);
    EXPECT_EQ(b.currentPicture(), &pressed);
    b.processInput(at(5, 5, 0));
    EXPECT_EQ(b.currentPicture(), &hover);
    b.setEnabled(false);
    EXPECT_EQ(b.currentPicture(), &normal) << "no disabled picture";
    b.setAltPictures3(&alt, nullptr, nullptr);
    b.setAlternate(true);
    EXPECT_EQ(b.currentPicture(), &alt);
    b.setVisible(false);
    EXPECT_FALSE(normal.isVisible()) << "the pictures take the button's visibility";
}
