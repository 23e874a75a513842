// The window and message model on the headless back end.
#include "platform/window_system.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/headless.h"
#include "platform/input_devices.h"
#include "platform/keycodes.h"

using namespace platform;

namespace {

std::vector<Msg> received;

intptr_t recordProc(HWND h, uint32_t message, uintptr_t w, intptr_t l) {
    received.push_back({h, message, w, l});
    if (message == WM_NCCREATE) return 1;
    return defWindowProc(h, message, w, l);
}

class WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        received.clear();
        setClock(&clock);
        ASSERT_TRUE(registerClass({"TRec", recordProc}));
    }
    void TearDown() override {
        headless::reset();
        setClock(nullptr);
    }
    HWND make() { return createWindow(0, "trec", "t", WS_CAPTION, 0, 0, 100, 100, nullptr, nullptr); }
    std::vector<uint32_t> drain() {
        std::vector<uint32_t> out;
        Msg m;
        while (peekMessage(m)) {
            out.push_back(m.message);
            dispatchMessage(m);
        }
        return out;
    }
    ManualClock clock{5000};
};

}  // namespace

TEST_F(WindowSystemTest, CreationSendsItsMessagesAndClassNamesIgnoreCase) {
    HWND h = make();
    ASSERT_NE(h, nullptr);
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received[0].message, WM_NCCREATE);
    EXPECT_EQ(received[1].message, WM_CREATE);
    EXPECT_FALSE(registerClass({"TREC", recordProc}));
    EXPECT_EQ(findWindow("TREC"), h);
    EXPECT_EQ(createWindow(0, "nothing", "", 0, 0, 0, 1, 1, nullptr, nullptr), nullptr);
}

TEST_F(WindowSystemTest, PostedMessagesComeInOrderAndAStaleHandleIsHarmless) {
    HWND h = make();
    postMessage(h, WM_USER + 1, 0, 0);
    postMessage(h, WM_USER + 2, 0, 0);
    postQuitMessage(9);
    postMessage(h, WM_USER + 3, 0, 0);
    Msg m;
    std::vector<uint32_t> order;
    while (peekMessage(m)) order.push_back(m.message);
    EXPECT_EQ(order, (std::vector<uint32_t>{WM_USER + 1, WM_USER + 2, WM_QUIT, WM_USER + 3}));

    postMessage(h, WM_USER, 0, 0);
    destroyWindow(h);
    EXPECT_EQ(pendingMessageCount(), 0u);  // what was posted to the window went with it
    EXPECT_EQ(sendMessage(h, WM_USER, 0, 0), 0);
    EXPECT_FALSE(destroyWindow(h));
    EXPECT_FALSE(isWindow(h));
}

TEST_F(WindowSystemTest, TimersFireOnTheInjectedClockWhenTheQueueIsEmpty) {
    HWND h = make();
    ASSERT_TRUE(setTimer(h, 7, 100));
    EXPECT_TRUE(drain().empty());
    clock.advance(99);
    EXPECT_TRUE(drain().empty());
    clock.advance(1);
    EXPECT_EQ(drain(), std::vector<uint32_t>{WM_TIMER});
    EXPECT_EQ(received.back().wParam, 7u);
    clock.advance(350);  // missed periods are not made up
    EXPECT_EQ(drain(), std::vector<uint32_t>{WM_TIMER});
    EXPECT_TRUE(killTimer(h, 7));
    clock.advance(1000);
    EXPECT_TRUE(drain().empty());
}

TEST_F(WindowSystemTest, APaintFollowsInvalidationOfAVisibleWindow) {
    HWND h = make();
    drain();
    invalidateRect(h);
    EXPECT_TRUE(drain().empty());  // not shown yet
    showWindow(h, SW_SHOW);
    EXPECT_EQ(drain(), std::vector<uint32_t>{WM_PAINT});
    invalidateRect(h);
    updateWindow(h);
    EXPECT_EQ(received.back().message, WM_PAINT);
    EXPECT_TRUE(drain().empty());
}

TEST_F(WindowSystemTest, ShowingMinimisedAndRestoredSendsSizeMessages) {
    HWND h = make();
    received.clear();
    showWindow(h, SW_MINIMIZE);
    EXPECT_TRUE(isIconic(h));
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.back().message, WM_SIZE);
    EXPECT_EQ(received.back().wParam, SIZE_MINIMIZED);
    showWindow(h, SW_RESTORE);
    EXPECT_FALSE(isIconic(h));
    EXPECT_EQ(received.back().wParam, SIZE_RESTORED);
}

TEST_F(WindowSystemTest, CoordinatesConvertThroughTheClientOrigin) {
    HWND h = createWindow(0, "TRec", "", WS_CAPTION, 10, 20, 106, 129, nullptr, nullptr);
    Point p{50, 60};
    screenToClient(h, p);
    EXPECT_EQ(p, (Point{50 - 13, 60 - 46}));
    clientToScreen(h, p);
    EXPECT_EQ(p, (Point{50, 60}));
    Rect c;
    getClientRect(h, c);
    EXPECT_EQ(c, (Rect{0, 0, 100, 100}));
}

TEST_F(WindowSystemTest, AltF4AndTheCloseCommandCloseTheWindow) {
    HWND h = make();
    sendMessage(h, WM_SYSKEYDOWN, 0x73, 0);
    EXPECT_FALSE(isWindow(h));
}

TEST_F(WindowSystemTest, TextGoesToTheReceiverOnlyWhileTextInputIsOn) {
    std::string got;
    setTextReceiver([&](const std::string& t) { got += t; });
    setTextInput(false);
    EXPECT_FALSE(isTextInputOn());
    setTextInput(true);
    EXPECT_TRUE(isTextInputOn());
    setTextReceiver(nullptr);
}

TEST_F(WindowSystemTest, TheClientAreaShowsTheClassCursorAndSetCursorAnswersThePreviousOne) {
    const HCURSOR arrow = loadCursor(IDC_ARROW), ibeam = loadCursor(IDC_IBEAM);
    ASSERT_NE(arrow, nullptr);
    EXPECT_NE(ibeam, arrow);
    EXPECT_EQ(loadCursor(IDC_ARROW), arrow);  // the same handle however often it is loaded
    EXPECT_EQ(loadCursor(12345), nullptr);
    EXPECT_EQ(getCursor(), arrow);  // the arrow until something else is asked for

    ASSERT_TRUE(registerClass({"TBeam", recordProc, 0, ibeam}));
    HWND beam = createWindow(0, "TBeam", "b", WS_CAPTION, 0, 0, 100, 100, nullptr, nullptr);
    HWND plain = make();
    // Over the caption the desktop's own pointer: nothing is changed and the default says so.
    EXPECT_EQ(defWindowProc(beam, WM_SETCURSOR, 0, makeLParam(HTCAPTION, WM_MOUSEMOVE)), 0);
    EXPECT_EQ(getCursor(), arrow);
    EXPECT_EQ(defWindowProc(beam, WM_SETCURSOR, 0, makeLParam(HTCLIENT, WM_MOUSEMOVE)), 1);
    EXPECT_EQ(getCursor(), ibeam);
    // A class without a cursor leaves the pointer alone.
    EXPECT_EQ(defWindowProc(plain, WM_SETCURSOR, 0, makeLParam(HTCLIENT, WM_MOUSEMOVE)), 0);
    EXPECT_EQ(getCursor(), ibeam);

    EXPECT_EQ(setCursor(nullptr), ibeam);
    EXPECT_EQ(getCursor(), nullptr);
    // A handle that is none of ours hides the pointer too.
    EXPECT_EQ(setCursor(reinterpret_cast<HCURSOR>(uintptr_t{7})), nullptr);
    EXPECT_EQ(getCursor(), nullptr);
    EXPECT_EQ(setCursor(arrow), nullptr);
    setCursor(ibeam);
    headless::reset();
    EXPECT_EQ(getCursor(), arrow);
}

TEST(JoystickAxes, DeadZoneAndScaling) {
    EXPECT_EQ(scaleAxis(0, true), 0);
    EXPECT_EQ(scaleAxis(16383, true), 0);  // inside half the range: centre
    EXPECT_EQ(scaleAxis(32767, true), 1024);
    EXPECT_EQ(scaleAxis(-32768, true), -1024);
    EXPECT_EQ(scaleAxis(-32768, false), -1024);
    EXPECT_EQ(scaleAxis(16384, false), 512);
    int32_t v = scaleAxis(24575, true);
    EXPECT_GT(v, 500);
    EXPECT_LT(v, 524);
}

TEST(KeyTables, EveryBoundKeyHasItsDirectInputCode) {
    // SDL scancodes of the keys the program binds and the codes they must give.
    const std::pair<int, int> keys[] = {
        {82, DIK_UP},      {81, DIK_DOWN},    {80, DIK_LEFT},      {79, DIK_RIGHT},     {96, DIK_NUMPAD8},
        {90, DIK_NUMPAD2}, {92, DIK_NUMPAD4}, {94, DIK_NUMPAD6},   {40, DIK_RETURN},    {88, DIK_NUMPADENTER},
        {75, DIK_PRIOR},   {78, DIK_NEXT},    {224, DIK_LCONTROL}, {228, DIK_RCONTROL}, {44, DIK_SPACE},
        {41, DIK_ESCAPE},  {58, DIK_F1},      {61, DIK_F4},        {65, DIK_F8},        {67, DIK_F10},
        {68, DIK_F11},     {69, DIK_F12},     {14, DIK_K},         {13, DIK_J},         {29, DIK_Z},
        {225, DIK_LSHIFT}, {229, DIK_RSHIFT}, {98, DIK_NUMPAD0},
    };
    for (auto [sc, dik] : keys) EXPECT_EQ(dikFromScancode(sc), dik) << sc;
    EXPECT_EQ(vkFromScancode(40), VK_RETURN);
    EXPECT_EQ(vkFromScancode(14), 'K');
    EXPECT_EQ(dikFromScancode(-1), 0);
    EXPECT_EQ(dikFromScancode(100000), 0);
}

TEST(SjisFit, NeverSplitsACharacter) {
    std::string s = "a\x82\xA0\x82\xA0";
    EXPECT_EQ(sjisFitLength(s, 0), 0u);
    EXPECT_EQ(sjisFitLength(s, 2), 1u);
    EXPECT_EQ(sjisFitLength(s, 3), 3u);
    EXPECT_EQ(sjisFitLength(s, 4), 3u);
    EXPECT_EQ(sjisFitLength(s, 99), 5u);
    EXPECT_EQ(sjisFitLength("\x82", 5), 1u);  // a lone lead byte stands alone
}
