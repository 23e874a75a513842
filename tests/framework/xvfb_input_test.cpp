// The real window on an X display: SDL key events come out of the frame's input object as the
// bits their keys are bound to. Runs when the test script provides a display (MJ_XDISPLAY).
#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/application.h"
#include "framework/frame.h"
#include "framework/window.h"
#include "platform/headless.h"
#include "platform/keycodes.h"

using namespace platform;

namespace {

class Alive : public TTask {
public:
    void update() override {}
};

class XvfbInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* display = std::getenv("MJ_XDISPLAY");
        if (!display || !*display)
            GTEST_SKIP() << "no X display (MJ_XDISPLAY) for the real window";
        setenv("DISPLAY", display, 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        headless::reset();
        ASSERT_TRUE(initWindowSystem(Backend::Sdl));
        started = true;
    }
    void TearDown() override
    {
        if (started)
            shutdownWindowSystem();
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    }
    bool started = false;
};

}  // namespace

TEST_F(XvfbInputTest, PushedKeyEventsBecomeTheBoundInputBits)
{
    TApp app("m", "a");
    auto* window = new TWindow("TXvfb");
    TGameFrameG2 frame;
    frame.setWindowed(true);
    ASSERT_EQ(window->create(), 0u);
    ASSERT_TRUE(frame.create(nullptr, window));
    window->showWindow(SW_SHOW);
    frame.add(new Alive());
    // The bindings the program makes: Enter and keypad Enter decide, the arrows move, F1 is a
    // system key, Escape another.
    TInputDevice* dev = frame.input().device(0);
    ASSERT_NE(dev, nullptr);
    dev->setKeyConfig(0, DIK_UP);
    dev->setKeyConfig(4 * 4, DIK_RETURN);
    dev->setKeyConfig(4 * 4 + 1, DIK_NUMPADENTER);
    dev->setKeyConfig(4 * 10, DIK_F1);
    dev->setKeyConfig(4 * 20, DIK_ESCAPE);

    auto step = [&]() -> const TInput& {
        app.pumpMessages();
        EXPECT_TRUE(frame.run());
        return frame.input();
    };
    step();
    ASSERT_TRUE(pushNativeKeyEvent(window->handle(), 40, true));  // Return
    ASSERT_TRUE(pushNativeKeyEvent(window->handle(), 82, true));  // Up
    const TInput& a = step();
    EXPECT_EQ(a.pressedBits(), 0x11u);
    EXPECT_EQ(a.held(), 0x11u);
    ASSERT_TRUE(pushNativeKeyEvent(window->handle(), 40, false));
    ASSERT_TRUE(pushNativeKeyEvent(window->handle(), 58, true));  // F1
    ASSERT_TRUE(pushNativeKeyEvent(window->handle(), 41, true));  // Escape
    const TInput& b = step();
    EXPECT_EQ(b.pressedBits(), 0x400u | 0x100000u);
    EXPECT_EQ(b.releasedBits(), 0x10u);
    EXPECT_EQ(b.held(), 0x01u | 0x400u | 0x100000u);
    ASSERT_TRUE(pushNativeKeyEvent(window->handle(), 88, true));  // keypad Enter
    EXPECT_EQ(step().pressedBits(), 0x10u);

    frame.terminate();
    app.setMainWindow(nullptr);
    delete window;
}
