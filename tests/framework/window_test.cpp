// The window: dispatch to handlers and hooks, creation, placement on the screen.
#include "framework/window.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/application.h"
#include "platform/headless.h"

using namespace platform;

namespace {

struct Seen {
    std::vector<std::string> log;
};

intptr_t hookA(TWindow*, uint32_t message, uintptr_t, intptr_t, void* user) {
    if (message == WM_KEYDOWN) static_cast<Seen*>(user)->log.push_back("A");
    return 1;
}

intptr_t hookB(TWindow*, uint32_t message, uintptr_t, intptr_t, void* user) {
    if (message == WM_KEYDOWN) static_cast<Seen*>(user)->log.push_back("B");
    return 1;
}

intptr_t countIdle(TWindow*, uint32_t message, uintptr_t, intptr_t, void* user) {
    if (message == WM_IDLE_NOTIFY) ++*static_cast<int*>(user);
    return 0;
}

class RecordingWindow : public TWindow {
public:
    RecordingWindow(Seen* seen, std::string cls = "TRecording") : TWindow(std::move(cls)), seen_(seen) {}
    bool refuseCreated = false;
    std::vector<uint32_t> createdMessages;

protected:
    intptr_t onCreate(void*) override {
        createdMessages.push_back(WM_CREATE);
        return 0;
    }
    bool onCreated() override { return !refuseCreated; }
    void onKeyDown(uintptr_t key, intptr_t) override { seen_->log.push_back("key" + std::to_string(key)); }
    void onMouseMove(uintptr_t, int x, int y) override {
        seen_->log.push_back("move" + std::to_string(x) + "," + std::to_string(y));
    }

private:
    Seen* seen_;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { headless::reset(); }
    void TearDown() override { headless::reset(); }
};

}  // namespace

TEST_F(WindowTest, HooksRunInTheOrderAddedBeforeTheHandler) {
    Seen seen;
    RecordingWindow w(&seen);
    ASSERT_EQ(w.create(), 0u);
    w.addMessageHook(hookB, &seen);
    w.addMessageHook(hookA, &seen);
    sendMessage(w.handle(), WM_KEYDOWN, 65, 0);
    EXPECT_EQ(seen.log, (std::vector<std::string>{"B", "A", "key65"}));
}

TEST_F(WindowTest, OneRemoveDeletesEveryDuplicateButKeepsOtherUserValues) {
    Seen seen, other;
    RecordingWindow w(&seen);
    ASSERT_EQ(w.create(), 0u);
    w.addMessageHook(hookA, &seen);
    w.addMessageHook(hookA, &other);
    w.addMessageHook(hookA, &seen);
    w.removeMessageHook(hookA, &seen);
    EXPECT_EQ(w.hookCount(), 1u);
    sendMessage(w.handle(), WM_KEYDOWN, 1, 0);
    EXPECT_TRUE(seen.log == std::vector<std::string>{"key1"});
    EXPECT_EQ(other.log, std::vector<std::string>{"A"});
}

TEST_F(WindowTest, IdleNotifiesEveryHook) {
    Seen seen;
    RecordingWindow w(&seen);
    int count = 0;
    w.addMessageHook(countIdle, &count);
    w.addMessageHook(countIdle, &count);
    w.idle();
    EXPECT_EQ(count, 2);
}

TEST_F(WindowTest, MessagesDuringCreationReachTheObjectAndMousePositionsAreSigned) {
    Seen seen;
    RecordingWindow w(&seen);
    ASSERT_EQ(w.create(), 0u);
    EXPECT_EQ(w.createdMessages, std::vector<uint32_t>{WM_CREATE});
    postMessage(w.handle(), WM_MOUSEMOVE, 0, makeLParam(-5, 7));
    Msg m;
    ASSERT_TRUE(peekMessage(m));
    dispatchMessage(m);
    EXPECT_EQ(seen.log.back(), "move-5,7");
}

TEST_F(WindowTest, CreationFailuresGiveTheirCodes) {
    Seen seen;
    RecordingWindow refused(&seen);
    refused.refuseCreated = true;
    EXPECT_EQ(refused.create(), 0x2002001u);

    RecordingWindow failing(&seen, "TOther");
    headless::failNextWindowCreation();
    EXPECT_EQ(failing.create(), 0x2002001u);
    EXPECT_EQ(failing.handle(), nullptr);
}

TEST_F(WindowTest, DestroyingTheMainWindowPostsQuitButAnotherWindowDoesNot) {
    Seen seen;
    TApp app("maker", "app");
    RecordingWindow main(&seen), other(&seen);
    ASSERT_EQ(main.create(), 0u);
    ASSERT_EQ(other.create(), 0u);
    EXPECT_EQ(app.mainWindow(), &main);  // the first window made becomes the main window

    other.destroyWindow();
    EXPECT_EQ(other.handle(), nullptr);
    EXPECT_EQ(pendingMessageCount(), 0u);

    main.destroyWindow();
    Msg m;
    ASSERT_TRUE(peekMessage(m));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 0u);
    EXPECT_EQ(main.handle(), nullptr);
}

TEST_F(WindowTest, CloseDestroysThroughTheDefaultHandling) {
    Seen seen;
    RecordingWindow w(&seen);
    ASSERT_EQ(w.create(), 0u);
    sendMessage(w.handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(w.handle(), nullptr);
}

TEST_F(WindowTest, SizeMessagesKeepTheMinimisedFlagAndActivationClearsIt) {
    Seen seen;
    RecordingWindow w(&seen);
    ASSERT_EQ(w.create(), 0u);
    sendMessage(w.handle(), WM_SIZE, SIZE_MINIMIZED, 0);
    EXPECT_TRUE(w.isMinimized());
    sendMessage(w.handle(), WM_SIZE, SIZE_RESTORED, makeLParam(640, 480));
    EXPECT_FALSE(w.isMinimized());
    sendMessage(w.handle(), WM_SIZE, SIZE_MINIMIZED, 0);
    sendMessage(w.handle(), WM_ACTIVATEAPP, 1, 0);
    EXPECT_FALSE(w.isMinimized());
    sendMessage(w.handle(), WM_ENTERSIZEMOVE, 0, 0);
    EXPECT_TRUE(w.isInSizeMove());
    sendMessage(w.handle(), WM_EXITSIZEMOVE, 0, 0);
    EXPECT_FALSE(w.isInSizeMove());
}

// The headless screen is 1024 x 768 and a captioned window has a frame of 3 + 3 by 26 + 3.
TEST_F(WindowTest, CreateCentresAClientSizeAndPlacesAGivenPosition) {
    Seen seen;
    RecordingWindow centred(&seen);
    centred.setClientSize(640, 480);
    ASSERT_EQ(centred.create(), 0u);
    Rect r, c;
    centred.getWindowRect(r);
    centred.getClientRect(c);
    EXPECT_EQ(c, (Rect{0, 0, 640, 480}));
    EXPECT_EQ(r.left, (1024 - 646) / 2);
    EXPECT_EQ(r.top, (768 - 509) / 2);

    RecordingWindow placed(&seen);
    placed.setPosition(100, 200);
    placed.setClientSize(320, 240);
    ASSERT_EQ(placed.create(), 0u);
    placed.getWindowRect(r);
    EXPECT_EQ(r, (Rect{100, 200, 100 + 326, 200 + 269}));
}

TEST_F(WindowTest, PlacementPullsBackFromTheEdgesAndMovesAnOversizedWindowOnlyWithForce) {
    Seen seen;
    RecordingWindow w(&seen);
    w.setPosition(10, 10);
    w.setClientSize(200, 100);
    ASSERT_EQ(w.create(), 0u);
    Rect r;

    // Past the right and bottom edges: moved back to touch them.
    EXPECT_TRUE(w.moveTo(1000, 700, 200, 100, true, false));
    w.getWindowRect(r);
    EXPECT_EQ(r.left, 1024 - 206);
    EXPECT_EQ(r.top, 768 - 129);

    // Negative coordinates become 0.
    EXPECT_TRUE(w.moveTo(-50, -20, 200, 100, true, false));
    w.getWindowRect(r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);

    // A default coordinate counts as past the edge.
    EXPECT_TRUE(w.moveTo(CW_USEDEFAULT, 5, 200, 100, true, false));
    w.getWindowRect(r);
    EXPECT_EQ(r.left, 1024 - 206);

    // Larger than the screen: without force it stays and the answer is false.
    w.moveTo(30, 40, 200, 100, true, false);
    EXPECT_FALSE(w.moveTo(30, 40, 2000, 100, true, false));
    w.getWindowRect(r);
    EXPECT_EQ(r, (Rect{30, 40, 236, 169}));
    // With force it is placed at (0, 0) at its full size, and the answer is still false.
    EXPECT_FALSE(w.moveTo(30, 40, 2000, 100, true, true));
    w.getWindowRect(r);
    EXPECT_EQ(r, (Rect{0, 40, 2006, 169}));
}

TEST_F(WindowTest, MoveToCentreWithZeroWidthKeepsTheWidthAndWithoutCentreKeepsThePlace) {
    Seen seen;
    RecordingWindow w(&seen);
    w.setPosition(10, 20);
    w.setClientSize(300, 200);
    ASSERT_EQ(w.create(), 0u);
    Rect r;
    EXPECT_TRUE(w.moveToCentre(0, 100, true, true, false));
    w.getWindowRect(r);
    EXPECT_EQ(r.width(), 306);
    EXPECT_EQ(r.height(), 129);
    EXPECT_EQ(r.left, (1024 - 306) / 2);
    EXPECT_EQ(r.top, (768 - 129) / 2);

    w.moveTo(10, 20, 300, 200, true, false);
    EXPECT_TRUE(w.moveToCentre(400, 300, true, false, false));
    w.getWindowRect(r);
    EXPECT_EQ(r, (Rect{10, 20, 416, 349}));
}

TEST_F(WindowTest, StyleChangesKeepTheClientAreaInPlace) {
    Seen seen;
    RecordingWindow w(&seen);
    w.setPosition(100, 100);
    w.setClientSize(640, 480);
    ASSERT_EQ(w.create(), 0u);
    Point origin{0, 0};
    w.clientToScreen(origin);
    w.setStyle(w.style() & ~0x00C00000u);
    Point after{0, 0};
    w.clientToScreen(after);
    EXPECT_EQ(origin, after);
    Rect r;
    w.getWindowRect(r);
    EXPECT_EQ(r.width(), 640);
}

TEST_F(WindowTest, MessageBoxesAreBracketedByTheBeforeAndAfterNotifications) {
    Seen seen;
    TApp app("maker", "Caption");
    RecordingWindow w(&seen);
    ASSERT_EQ(w.create(), 0u);
    static std::vector<std::string> boxes;
    static std::vector<uint32_t> order;
    boxes.clear();
    order.clear();
    setMessageBoxHandler([](HWND, const std::string& text, const std::string& caption, uint32_t) -> int {
        boxes.push_back(text + "|" + caption);
        order.push_back(0);
        return IDCANCEL;
    });
    w.addMessageHook(
        [](TWindow*, uint32_t message, uintptr_t, intptr_t, void*) -> intptr_t {
            if (message == WM_BEFORE_MESSAGEBOX || message == WM_AFTER_MESSAGEBOX) order.push_back(message);
            return 0;
        },
        nullptr);
    EXPECT_EQ(w.messageBox("hello", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(w.messageBox("x", "own", MB_OK), IDCANCEL);
    setMessageBoxHandler(nullptr);
    EXPECT_EQ(boxes, (std::vector<std::string>{"hello|Caption", "x|own"}));
    EXPECT_EQ(order, (std::vector<uint32_t>{WM_BEFORE_MESSAGEBOX, 0, WM_AFTER_MESSAGEBOX, WM_BEFORE_MESSAGEBOX, 0,
                                            WM_AFTER_MESSAGEBOX}));
}
