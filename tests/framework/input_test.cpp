// Key bindings, joystick thresholds, edges and repeat, the mouse, the wheel and the sampled mode.
#include "framework/input.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>

#include "framework/window.h"
#include "platform/clock.h"
#include "platform/headless.h"

using namespace platform;

namespace {

class InputTest : public ::testing::Test {
protected:
    void SetUp() override { headless::reset(); }
    void TearDown() override { headless::reset(); }
};

// The bindings of one bit, in table order.
std::vector<uint32_t> codesOf(const TInputDevice& d, uint32_t bit) {
    std::vector<uint32_t> out;
    for (int n = 0;; ++n) {
        int i = d.findBinding(bit, n);
        if (i < 0) return out;
        out.push_back(d.table()->bindings[i].code);
    }
}

uint32_t readWith(TInputDevice& d, std::initializer_list<int> keys) {
    headless::clearKeys();
    for (int k : keys) headless::setKey(k, true);
    d.readKeyboard(nullptr);
    return d.read(nullptr);
}

}  // namespace

TEST_F(InputTest, DefaultTableZeroMapsKeysToBits) {
    TInputDevice d(nullptr, nullptr, 0);
    EXPECT_EQ(readWith(d, {DIK_K}), 0x01u);
    EXPECT_EQ(readWith(d, {DIK_K, DIK_J}), 0x03u);
    EXPECT_EQ(readWith(d, {DIK_NUMPAD6, DIK_SPACE, DIK_RETURN, DIK_RSHIFT, DIK_Q}), 0xF8u);
    EXPECT_EQ(readWith(d, {DIK_A}), 0u);
    // Table 2 is the second player's: E C S F.
    TInputDevice second(nullptr, nullptr, 2);
    EXPECT_EQ(readWith(second, {DIK_E, DIK_F}), 0x09u);
}

TEST_F(InputTest, AnUnreadableKeyboardLeavesTheBindingsSilent) {
    TInputDevice d(nullptr, nullptr, 0);
    headless::setKey(DIK_K, true);
    headless::setKeyboardReadable(false);
    EXPECT_FALSE(d.readKeyboard(nullptr));
    EXPECT_EQ(d.read(nullptr), 0u);
}

TEST_F(InputTest, SetKeyConfigReplacesRemovesAndAppends) {
    TInputDevice d(nullptr, nullptr, 0);
    // Index 5 = bit 0x02, its second key (DOWN) becomes A.
    EXPECT_TRUE(d.setKeyConfig(5, DIK_A));
    EXPECT_EQ(codesOf(d, 0x02), (std::vector<uint32_t>{DIK_J, DIK_A, DIK_NUMPAD2}));
    EXPECT_TRUE(d.setKeyConfig(5, 0));
    EXPECT_EQ(codesOf(d, 0x02), (std::vector<uint32_t>{DIK_J, DIK_NUMPAD2}));
    // A bit with fewer keys gets the first free binding.
    EXPECT_TRUE(d.setKeyConfig(4 * 8 + 3, DIK_F1));
    EXPECT_EQ(codesOf(d, 0x100), std::vector<uint32_t>{DIK_F1});
    EXPECT_EQ(readWith(d, {DIK_F1}), 0x100u);
    // Out of range.
    EXPECT_FALSE(d.setKeyConfig(128, DIK_A));
    EXPECT_FALSE(d.setKeyConfig(-1, DIK_A));
    EXPECT_EQ(codesOf(d, 0x02), (std::vector<uint32_t>{DIK_J, DIK_NUMPAD2}));
}

TEST_F(InputTest, AFullTableRefusesAndNeverWritesPastItsEnd) {
    TInputDevice d(nullptr, nullptr, -1);
    // 128 bindings, one per index: the last one fills the final slot.
    for (int i = 0; i < 128; ++i) ASSERT_TRUE(d.setKeyConfig(i, 1 + (i % 200))) << i;
    const auto& b = d.table()->bindings;
    EXPECT_EQ(b[127].bit, 1u << 31);
    // A fifth key for bit 0x01 has no place left.
    EXPECT_FALSE(d.setKeyConfig(0, DIK_A) && d.findBinding(1, 4) >= 0);
    EXPECT_EQ(codesOf(d, 0x01).size(), 4u);
    // Removing the first closes the gap and frees the last slot.
    EXPECT_TRUE(d.setKeyConfig(0, 0));
    EXPECT_EQ(b[127].bit, 0u);
    EXPECT_EQ(b[126].bit, 1u << 31);
}

TEST_F(InputTest, EachNewEmptyTableIsTheInstancesOwnFourth) {
    TInputDevice a(nullptr, nullptr, -1), b(nullptr, nullptr, -1);
    EXPECT_EQ(a.tableIndex(), 4);
    EXPECT_EQ(b.tableIndex(), 4);
    EXPECT_EQ(a.table()->joystick, 0u);
    EXPECT_EQ(a.table()->bindings[0].bit, 0u);
    a.setKeyConfig(0, DIK_UP);
    EXPECT_EQ(codesOf(b, 1).size(), 0u);
}

TEST_F(InputTest, JoystickThresholdsButtonsAndRanges) {
    int j = headless::addJoystick("Pad", 12);
    TInputDevice d(nullptr, nullptr, -1);
    ASSERT_EQ(TInputDevice::joystickCount(), 1);
    EXPECT_FALSE(d.setJoystickNo(2));
    ASSERT_TRUE(d.setJoystickNo(1));
    JoystickReading r;
    r.x = -768;
    r.y = 768;
    headless::setJoystick(j, r);
    JoyState s;
    EXPECT_EQ(d.read(&s), 0u);
    r.x = -769;
    r.y = 769;
    r.buttons[0] = 0x80;
    r.buttons[11] = 0x80;
    r.buttons[12] = 0x80;  // beyond the twelve that have bits
    headless::setJoystick(j, r);
    EXPECT_EQ(d.read(&s), kPadLeft | kPadDown | 0x10u | (0x10u << 11));
    EXPECT_EQ(s.x, -769);
    EXPECT_EQ(s.rangeX, 1024);
    EXPECT_EQ(s.rangeSlider, 1024);
    EXPECT_EQ(d.getProductName(1), "Pad");
    EXPECT_EQ(d.getButtonCount(1), 12u);
}

TEST_F(InputTest, AnUnreadableJoystickGivesTheKeyDirectionsAsAxes) {
    int j = headless::addJoystick("Pad", 4);
    TInputDevice d(nullptr, nullptr, 0);  // table 0 uses joystick 1
    headless::setJoystickReadable(j, false);
    JoyState s;
    headless::setKey(DIK_H, true);
    headless::setKey(DIK_K, true);
    d.readKeyboard(nullptr);
    EXPECT_EQ(d.read(&s), 0x05u);
    EXPECT_EQ(s.x, -1);
    EXPECT_EQ(s.y, -1);
    EXPECT_EQ(s.rangeX, 1);
    EXPECT_EQ(s.rangeZ, 0);
}

TEST(Press, AHeldButtonRepeatsOnUpdatesOneNineElevenAndIsReleasedAfter) {
    for (uint32_t bit : {0x01u, 0x40u}) {
        TPress p;
        std::vector<int> repeats, presses;
        for (int update = 1; update <= 12; ++update) {
            p.update(bit);
            if (p.repeat[0] & bit) repeats.push_back(update);
            if (p.pressed[0] & bit) presses.push_back(update);
        }
        EXPECT_EQ(repeats, (std::vector<int>{1, 9, 11})) << bit;
        EXPECT_EQ(presses, std::vector<int>{1}) << bit;
        p.update(0u);
        EXPECT_EQ(p.released[0], bit);
        EXPECT_EQ(p.repeat[0], 0u);
        p.update(bit);
        EXPECT_EQ(p.repeat[0], bit);  // counting starts again
    }
}

TEST(Press, DirectionsCountApartWhileOtherBitsShareOneCount) {
    TPress p;
    for (int i = 0; i < 4; ++i) p.update(0x10u | 0x01u);
    // Up joins late: reported at once while 0x10 and the late 0x20 share the older count.
    p.update(0x10u | 0x20u | 0x01u | 0x02u);
    EXPECT_EQ(p.repeat[0], 0x02u);
    p.clear();
    EXPECT_EQ(p.held(), 0u);
    EXPECT_EQ(p.pressed[0] | p.released[0] | p.repeat[0], 0u);
}

TEST(KeyPress, EdgesPerKey) {
    TKeyPress k;
    uint8_t keys[256] = {};
    keys[DIK_A] = 0x80;
    k.update(keys);
    EXPECT_EQ(k.pressed[DIK_A], 0x80);
    keys[DIK_A] = 0;
    keys[DIK_B] = 0x80;
    k.update(keys);
    EXPECT_EQ(k.released[DIK_A], 0x80);
    EXPECT_EQ(k.pressed[DIK_B], 0x80);
    EXPECT_EQ(k.pressed[DIK_A], 0);
}

namespace {

class InputOnWindow : public InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        window.setPosition(100, 100);
        window.setClientSize(640, 480);
        ASSERT_EQ(window.create(), 0u);
        headless::setForeground(window.handle());
        Point origin{0, 0};
        window.clientToScreen(origin);
        ox = origin.x;
        oy = origin.y;
        input.attachWindowHandle(nullptr, &window, 0, 2);
        input.device(0)->setKeyConfig(4 * 4, DIK_RETURN);  // 0x10
    }
    TWindow window;
    TInput input;
    int ox = 0, oy = 0;
};

}  // namespace

TEST_F(InputOnWindow, KeysAndMouseMergeIntoTheCombinedWords) {
    headless::setKey(DIK_RETURN, true);
    headless::setMouseButtons(true, false, false);
    input.update();
    EXPECT_EQ(input.held(), 0x10u | kMousePrimary);
    EXPECT_EQ(input.pressedBits(), 0x10u | kMousePrimary);
    EXPECT_EQ(input.keys().pressed[DIK_RETURN], 0x80);
    input.update();
    EXPECT_EQ(input.pressedBits(), 0u);
    headless::setKey(DIK_RETURN, false);
    headless::setMouseButtons(false, false, false);
    input.update();
    EXPECT_EQ(input.releasedBits(), 0x10u | kMousePrimary);
}

TEST_F(InputOnWindow, SwappedButtonsAndTheBackgroundWindow) {
    headless::setSwapButtons(true);
    headless::setMouseButtons(false, true, true);
    EXPECT_EQ(input.getMouseButtons(), kMousePrimary | kMouseMiddle);
    headless::setForeground(nullptr);
    EXPECT_EQ(input.getMouseButtons(), 0u);
}

TEST_F(InputOnWindow, TheActivatingClickIsSwallowedUntilEveryButtonIsUp) {
    sendMessage(window.handle(), WM_MOUSEACTIVATE, 0, makeLParam(HTCLIENT, WM_LBUTTONDOWN));
    headless::setMouseButtons(true, false, false);
    input.update();
    EXPECT_EQ(input.held(), 0u);
    input.update();
    EXPECT_EQ(input.held(), 0u);
    headless::setMouseButtons(false, false, false);
    input.update();
    headless::setMouseButtons(true, false, false);
    input.update();
    EXPECT_EQ(input.pressedBits(), kMousePrimary);
    // A click on the frame (not the client area) swallows nothing.
    sendMessage(window.handle(), WM_MOUSEACTIVATE, 0, makeLParam(2, WM_LBUTTONDOWN));
    input.update();
    EXPECT_EQ(input.held(), kMousePrimary);
}

TEST_F(InputOnWindow, WheelDeltasAccumulateInStepsOf120AndShowForOneUpdate) {
    auto wheel = [&](int delta) {
        sendMessage(window.handle(), WM_MOUSEWHEEL, static_cast<uintptr_t>(static_cast<uint16_t>(delta)) << 16, 0);
    };
    wheel(60);
    input.update();
    EXPECT_EQ(input.wheel(), 0);
    wheel(60);
    input.update();
    EXPECT_EQ(input.wheel(), 1);
    input.update();
    EXPECT_EQ(input.wheel(), 0);
    wheel(-120);
    wheel(-240);
    input.update();
    EXPECT_EQ(input.wheel(), -3);
    // A remainder keeps its sign: -60 then +60 make nothing.
    wheel(-60);
    wheel(60);
    input.update();
    EXPECT_EQ(input.wheel(), 0);
}

TEST_F(InputOnWindow, CursorMotionAndPrimaryEdgesAreMouseActions) {
    headless::setCursorPos(ox + 10, oy + 20);
    input.update();
    EXPECT_EQ(input.cursorX(), 10);
    EXPECT_EQ(input.cursorY(), 20);
    EXPECT_TRUE(input.isMouseAction());  // from where the object began, (0, 0)
    input.update();
    EXPECT_FALSE(input.isMouseAction());
    input.update();
    EXPECT_EQ(input.idleFrames(), 2);
    headless::setCursorPos(ox + 11, oy + 20);
    input.update();
    EXPECT_TRUE(input.isMouseAction());
    EXPECT_EQ(input.idleFrames(), 0);
    headless::setMouseButtons(true, false, false);
    input.update();
    EXPECT_TRUE(input.isMouseAction());
    input.update();
    EXPECT_FALSE(input.isMouseAction());
    headless::setMouseButtons(false, false, false);
    input.update();
    EXPECT_TRUE(input.isMouseAction());
    input.setPrevious(-1, -1);
    input.setMoved(true);
    EXPECT_TRUE(input.isMouseAction());
}

TEST_F(InputOnWindow, ClearPressesForgetsTheFramesEdges) {
    headless::setKey(DIK_RETURN, true);
    input.update();
    input.clearPresses();
    EXPECT_EQ(input.pressedBits(), 0u);
    EXPECT_EQ(input.repeatBits(), 0u);
    EXPECT_EQ(input.held(), 0x10u);
}

TEST_F(InputOnWindow, SampledModeConsumesOneSamplePerUpdateInOrder) {
    ManualClock clock;  // the timer thread's waits take no real time
    setClock(&clock);
    input.setMode(1);
    input.stopTimer();  // the test takes the samples itself
    EXPECT_EQ(input.pendingCount(), 0);
    for (int key : {DIK_UP, DIK_DOWN, DIK_RETURN}) {
        headless::clearKeys();
        headless::setKey(key, true);
        input.poll();
    }
    EXPECT_EQ(input.pendingCount(), 3);
    input.device(0)->setKeyConfig(0, DIK_UP);
    std::vector<uint32_t> held;
    for (int i = 0; i < 4; ++i) {
        input.update();
        held.push_back(input.held());
    }
    // Samples are read when taken: UP was not bound yet, so only RETURN (0x10) shows; the fourth
    // update finds no sample and keeps the third's state.
    EXPECT_EQ(held, (std::vector<uint32_t>{0, 0, 0x10, 0x10}));
    EXPECT_EQ(input.pendingCount(), 0);
    input.close();
    setClock(nullptr);
}

TEST_F(InputOnWindow, SampledModeKeepsOnlyTheNewestSamplesWhenFramesFallBehind) {
    ManualClock clock;
    setClock(&clock);
    input.setMode(1);
    input.stopTimer();
    for (size_t i = 0; i < TInput::kMaxQueued + 10; ++i) input.poll();
    EXPECT_EQ(input.pendingCount(), static_cast<int>(TInput::kMaxQueued));
    input.close();
    setClock(nullptr);
}

// Against a model of what a person did between two readings: an input counts as held in a
// reading when it is down then or went down since the last one, so every press is seen once,
// however short, in either reading mode.
TEST_F(InputOnWindow, EveryPressBetweenTwoReadingsIsSeenExactlyOnce) {
    struct Clocked {
        ManualClock clock;
        Clocked() { setClock(&clock); }
        ~Clocked() { setClock(nullptr); }
    } clocked;
    for (int mode : {0, 1}) {
        input.setMode(mode);
        input.stopTimer();  // mode 1: the test takes the samples itself
        headless::clearKeys();
        headless::setMouseButtons(false, false, false);
        for (int i = 0; i < 2; ++i) {
            if (mode == 1) input.poll();
            input.update();
        }
        std::mt19937 rng(static_cast<unsigned>(17 + mode));
        const uint32_t bits[3] = {0x10u, kMousePrimary, kMouseSecondary};
        bool down[3] = {};
        uint32_t modelHeld = 0;
        int presses = 0, seen = 0;
        for (int reading = 0; reading < 400; ++reading) {
            uint32_t wentDown = 0;
            for (int n = static_cast<int>(rng() % 4); n > 0; --n) {
                const int i = static_cast<int>(rng() % 3);
                down[i] = !down[i];
                if (down[i]) wentDown |= bits[i], ++presses;
                if (i == 0) headless::setKey(DIK_RETURN, down[0]);
                if (i > 0) headless::setMouseButtons(down[1], down[2], false);
            }
            uint32_t now = wentDown;
            for (int i = 0; i < 3; ++i)
                if (down[i]) now |= bits[i];
            if (mode == 1) input.poll();
            input.update();
            ASSERT_EQ(input.held(), now) << "mode " << mode << " reading " << reading;
            ASSERT_EQ(input.pressedBits(), now & ~modelHeld) << reading;
            ASSERT_EQ(input.releasedBits(), modelHeld & ~now) << reading;
            seen += std::popcount(input.pressedBits());
            modelHeld = now;
        }
        // Two presses of one input between two readings can only be seen as one.
        EXPECT_LE(seen, presses);
        EXPECT_GT(seen, presses / 2);
    }
    input.close();
}
