// The SDL back end under SDL's dummy video driver: native events become messages and device state.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "platform/headless.h"
#include "platform/input_devices.h"
#include "platform/keycodes.h"
#include "platform/window_system.h"

using namespace platform;

namespace {

std::vector<Msg> delivered;

intptr_t recordDelivery(HWND h, uint32_t message, uintptr_t w, intptr_t l) {
    delivered.push_back({h, message, w, l});
    return message == WM_NCCREATE ? 1 : defWindowProc(h, message, w, l);
}

class SdlBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        if (!initWindowSystem(Backend::Sdl)) GTEST_SKIP() << "SDL video could not start";
        registerClass({"TSdl", recordDelivery});
        window = createWindow(0, "TSdl", "title", WS_CAPTION, 10, 10, 320, 240, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        showWindow(window, SW_SHOW);
        delivered.clear();
    }
    void TearDown() override {
        shutdownWindowSystem();
        headless::reset();
    }
    std::vector<Msg> pump() {
        std::vector<Msg> out;
        Msg m;
        while (peekMessage(m))
            if (m.message != WM_PAINT && m.message != WM_MOVE && m.message != WM_SIZE) out.push_back(m);
        return out;
    }
    HWND window = nullptr;
};

}  // namespace

TEST_F(SdlBackendTest, KeyEventsBecomeKeyMessagesAndKeyboardState) {
    EXPECT_EQ(currentBackend(), Backend::Sdl);
    EXPECT_NE(nativeWindow(window), nullptr);
    ASSERT_TRUE(pushNativeKeyEvent(window, 40, true));  // Return
    auto msgs = pump();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].message, WM_KEYDOWN);
    EXPECT_EQ(msgs[0].wParam, static_cast<uintptr_t>(VK_RETURN));
    EXPECT_EQ((msgs[0].lParam >> 16) & 0xFF, DIK_RETURN);
    uint8_t keys[256];
    ASSERT_TRUE(readKeyboardState(keys));
    EXPECT_EQ(keys[DIK_RETURN], 0x80);

    ASSERT_TRUE(pushNativeKeyEvent(window, 40, false));
    msgs = pump();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].message, WM_KEYUP);
    EXPECT_NE(static_cast<uint32_t>(msgs[0].lParam) & 0x80000000u, 0u);
    readKeyboardState(keys);
    EXPECT_EQ(keys[DIK_RETURN], 0);
}

TEST_F(SdlBackendTest, F10IsASystemKey) {
    ASSERT_TRUE(pushNativeKeyEvent(window, 67, true));
    auto msgs = pump();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].message, WM_SYSKEYDOWN);
    EXPECT_EQ(msgs[0].wParam, static_cast<uintptr_t>(VK_F10));
}

TEST_F(SdlBackendTest, PresentingKeepsTheFrameAndPlacementFollowsMoves) {
    std::vector<uint32_t> px(64 * 48, 0xFF112233u);
    EXPECT_TRUE(presentPixels(window, px.data(), 64, 48, 64));
    int w = 0, h = 0;
    std::vector<uint32_t> back;
    ASSERT_TRUE(lastPresentedFrame(window, w, h, back));
    EXPECT_EQ(w, 64);
    EXPECT_EQ(back[5], 0xFF112233u);
    moveWindow(window, 30, 40, 200, 100, true);
    Rect c;
    getClientRect(window, c);
    EXPECT_EQ(c, (Rect{0, 0, 200, 100}));
    setWindowText(window, "\x83\x41");  // Shift-JIS reaches SDL as UTF-8 without trouble
    EXPECT_EQ(windowText(window), "\x83\x41");
}

TEST_F(SdlBackendTest, APointerMoveLetsTheWindowChooseItsCursorFirst) {
    // A class with a cursor of its own: the default handling shows it in the client area.
    ASSERT_TRUE(registerClass({"TSdlHand", recordDelivery, 0, loadCursor(IDC_HAND)}));
    HWND hand = createWindow(0, "TSdlHand", "hand", WS_CAPTION, 10, 10, 200, 100, nullptr, nullptr);
    ASSERT_NE(hand, nullptr);
    showWindow(hand, SW_SHOW);
    pump();
    delivered.clear();
    ASSERT_TRUE(pushNativeMouseMove(hand, 20, 30));
    Msg m;
    std::vector<uint32_t> order;
    while (peekMessage(m)) {
        if (m.hwnd == hand && (m.message == WM_SETCURSOR || m.message == WM_MOUSEMOVE)) order.push_back(m.message);
        dispatchMessage(m);
    }
    ASSERT_EQ(order, (std::vector<uint32_t>{WM_SETCURSOR, WM_MOUSEMOVE}));
    EXPECT_EQ(getCursor(), loadCursor(IDC_HAND));
    // Hiding and showing the pointer on the real back end.
    EXPECT_EQ(setCursor(nullptr), loadCursor(IDC_HAND));
    EXPECT_EQ(setCursor(loadCursor(IDC_ARROW)), nullptr);
    EXPECT_EQ(getCursor(), loadCursor(IDC_ARROW));
}

TEST_F(SdlBackendTest, ThePointerLeavingAndEnteringIsSeenThroughTheWindowsOwnEvents) {
    EXPECT_TRUE(isMouseInside(window)) << "until the window says otherwise";
    auto push = [&](uint8_t event) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = event;
        e.window.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(nativeWindow(window)));
        ASSERT_EQ(SDL_PushEvent(&e), 1);
        pump();
    };
    push(SDL_WINDOWEVENT_LEAVE);
    EXPECT_FALSE(isMouseInside(window));
    push(SDL_WINDOWEVENT_ENTER);
    EXPECT_TRUE(isMouseInside(window));
    EXPECT_FALSE(isMouseInside(nullptr));
}

TEST_F(SdlBackendTest, APressAndReleaseInsideOnePumpIsReadOnceAsDown) {
    const uint32_t id = SDL_GetWindowID(static_cast<SDL_Window*>(nativeWindow(window)));
    auto button = [&](bool down) {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.windowID = id;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.button.clicks = 1;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    };
    uint8_t keys[256];
    for (int round = 0; round < 3; ++round) {
        // A tap and a click both come and go before anything reads the devices.
        ASSERT_TRUE(pushNativeKeyEvent(window, 44, true));  // Space
        ASSERT_TRUE(pushNativeKeyEvent(window, 44, false));
        button(true);
        button(false);
        pump();
        ASSERT_TRUE(readKeyboardState(keys));
        EXPECT_EQ(keys[DIK_SPACE], 0x80) << round;
        EXPECT_EQ(getAsyncKeyState(VK_LBUTTON), 1) << "went down since the last call, up now";
        ASSERT_TRUE(readKeyboardState(keys));
        EXPECT_EQ(keys[DIK_SPACE], 0) << "seen once only";
        EXPECT_EQ(getAsyncKeyState(VK_LBUTTON), 0);
    }
    // Held across reads: down in each, latched only in the first.
    button(true);
    pump();
    EXPECT_EQ(static_cast<uint16_t>(getAsyncKeyState(VK_LBUTTON)), 0x8001u);
    EXPECT_EQ(static_cast<uint16_t>(getAsyncKeyState(VK_LBUTTON)), 0x8000u);
    button(false);
    pump();
    EXPECT_EQ(getAsyncKeyState(VK_LBUTTON), 0);
}

TEST_F(SdlBackendTest, AltEnterIsTheWindowsKeyAndNeverReachesTheKeyboardState) {
    ASSERT_TRUE(pushNativeKeyEvent(window, 226, true));  // left Alt
    SDL_SetModState(KMOD_LALT);                          // as the keyboard would say
    ASSERT_TRUE(pushNativeKeyEvent(window, 40, true));   // Return
    auto msgs = pump();
    uint8_t keys[256];
    ASSERT_TRUE(readKeyboardState(keys));
    EXPECT_EQ(keys[DIK_RETURN], 0);
    EXPECT_EQ(keys[DIK_LMENU], 0x80);
    ASSERT_TRUE(pushNativeKeyEvent(window, 40, false));
    msgs = pump();
    ASSERT_FALSE(msgs.empty());
    EXPECT_EQ(msgs.back().message, WM_SYSKEYUP);
    EXPECT_EQ(msgs.back().wParam, static_cast<uintptr_t>(VK_RETURN));
    EXPECT_NE(static_cast<uint32_t>(msgs.back().lParam) & 0x20000000u, 0u);
    ASSERT_TRUE(readKeyboardState(keys));
    EXPECT_EQ(keys[DIK_RETURN], 0);
    SDL_SetModState(KMOD_NONE);
    ASSERT_TRUE(pushNativeKeyEvent(window, 226, false));
    ASSERT_TRUE(pushNativeKeyEvent(window, 40, true));  // Return alone decides as ever
    pump();
    ASSERT_TRUE(readKeyboardState(keys));
    EXPECT_EQ(keys[DIK_RETURN], 0x80);
}
