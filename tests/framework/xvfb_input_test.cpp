// The real window on an X display: SDL key events come out of the frame's input object as the
// bits their keys are bound to, and the chat overlay is drawn over the game's frame. Runs when
// it is given a display of its own (MJ_XDISPLAY, see tools/with-xvfb.sh).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "framework/application.h"
#include "framework/application_texts.h"
#include "framework/dialog.h"
#include "framework/frame.h"
#include "framework/window.h"
#include "framework/window_frame.h"
#include "platform/codepage.h"
#include "platform/dialog.h"
#include "platform/headless.h"
#include "platform/keycodes.h"
#include "support/test_support.h"

using namespace platform;

namespace {

class Alive : public TTask {
public:
    void update() override {}
};

class XvfbInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = std::getenv("MJ_XDISPLAY");
        if (!display || !*display) GTEST_SKIP() << "no X display (MJ_XDISPLAY) for the real window";
        setenv("DISPLAY", display, 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        headless::reset();
        ASSERT_TRUE(initWindowSystem(Backend::Sdl));
        started = true;
    }
    void TearDown() override {
        if (started) shutdownWindowSystem();
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    }
    bool started = false;
};

}  // namespace

TEST_F(XvfbInputTest, PushedKeyEventsBecomeTheBoundInputBits) {
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

namespace {

// A chat dialog that photographs the game window (found by its title) once its overlay has been
// drawn (on its first timer message, 100 ms in), then types and confirms through the dialog
// script.
class PhotographedChat : public TChatDialog {
public:
    PhotographedChat(std::string display, std::string window, std::string file)
        : TChatDialog("", texts::chatPrompt().c_str(), texts::chatCaption().c_str()),
          display_(std::move(display)),
          window_(std::move(window)),
          file_(std::move(file)) {}
    intptr_t handleMessage() override {
        if (message_ == WM_INITDIALOG) headless::queueDialogStep(headless::DialogStep::Type, "テスト abc");
        if (message_ == WM_TIMER && !taken_) {
            taken_ = true;
            shot_ = mjtest::photographWindow(display_, window_, file_);
            headless::queueDialogStep(headless::DialogStep::Enter);
        }
        return TChatDialog::handleMessage();
    }
    bool shot_ = false;

private:
    std::string display_, window_, file_;
    bool taken_ = false;
};

// Pixels of an exact colour in a binary PPM.
long countColour(const std::string& file, uint8_t r, uint8_t g, uint8_t b) {
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) return -1;
    int w = 0, h = 0, max = 0;
    long n = -1;
    if (std::fscanf(f, "P6 %d %d %d", &w, &h, &max) == 3 && max == 255 && w > 0 && h > 0) {
        std::fgetc(f);
        std::vector<uint8_t> px(static_cast<size_t>(w) * h * 3);
        if (std::fread(px.data(), 1, px.size(), f) == px.size()) {
            n = 0;
            for (size_t i = 0; i + 2 < px.size(); i += 3) n += px[i] == r && px[i + 1] == g && px[i + 2] == b;
        }
    }
    std::fclose(f);
    return n;
}

}  // namespace

TEST_F(XvfbInputTest, TheChatOverlayIsDrawnOverTheGameWindowAndAnswersOk) {
    TApp app("m", "a");
    auto* window = new TWindow("TXvfbChat");
    window->setTitle("TXvfbChat");
    window->setClientSize(640, 480);
    ASSERT_EQ(window->create(), 0u);
    window->showWindow(SW_SHOW);
    std::vector<uint32_t> frame(640 * 480, 0xFF20C040u);
    presentPixels(window->handle(), frame.data(), 640, 480, 640);
    headless::clearDialogSteps();
    PhotographedChat chat(std::getenv("MJ_XDISPLAY"), "TXvfbChat", "chat_overlay.ppm");
    EXPECT_EQ(chat.doModal(nullptr), IDOK);
    EXPECT_EQ(chat.text(), toSjis("テスト abc"));
    ASSERT_TRUE(chat.shot_);
    // The dialog's panel is there, and the game's frame shows dimmed around it.
    EXPECT_GT(countColour("chat_overlay.ppm", 0xEC, 0xE9, 0xD8), 5000);
    EXPECT_GT(countColour("chat_overlay.ppm", 0x10, 0x60, 0x20), 100000);
    app.setMainWindow(nullptr);
    delete window;
}

TEST_F(XvfbInputTest, TheEngineWindowHidesThePointerOverTheCursorSpriteAndShowsItsArrowElsewhere) {
    TApp app("m", "a");
    TGameFrameG2 frame;
    frame.setWindowed(true);
    auto* window = new TWindowForFrameG2(&frame, "TXvfbCursor");
    ASSERT_EQ(window->create(), 0u);
    ASSERT_TRUE(frame.create(nullptr, window));
    window->showWindow(SW_SHOW);
    const HCURSOR arrow = loadCursor(IDC_ARROW);
    window->setCursors(arrow, arrow);
    EXPECT_EQ(getCursor(), arrow);

    // A move over the client area while the game draws its own cursor sprite hides the pointer.
    frame.setCursorAvailable(true);
    ASSERT_TRUE(pushNativeMouseMove(window->handle(), 50, 60));
    app.pumpMessages();
    EXPECT_EQ(getCursor(), nullptr);
    frame.setCursorAvailable(false);
    ASSERT_TRUE(pushNativeMouseMove(window->handle(), 51, 60));
    app.pumpMessages();
    EXPECT_EQ(getCursor(), arrow);
    window->setCursors(nullptr, nullptr);
    frame.terminate();
    delete window;
}
