#pragma once
// The one object through which the game reads the player: the button words of its devices and
// the mouse, turned into held, pressed, released and repeating bits once per frame.
// Mode 0 reads the devices on the main thread in update(); mode 1 samples them on a timer thread
// into queues that update() drains one sample per frame.
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "framework/critical_section.h"
#include "framework/input_device.h"
#include "framework/thread.h"

class TWindow;
class TGameFrameGr;

// Mouse bits of the button word.
enum : uint32_t {
    kMousePrimary = 0x10000000,
    kMouseSecondary = 0x20000000,
    kMouseMiddle = 0x40000000,
};

// One button state with its edges and auto-repeat.
class TPress {
public:
    static constexpr int kRepeatDelay = 8;

    virtual ~TPress() = default;
    virtual void update(uint32_t word);
    virtual void update(const JoyState& state);
    virtual void update(TInputDevice& device);
    virtual void clear();
    virtual void clearEdges();

    uint32_t held() const { return state.buttons; }

    JoyState state;
    uint32_t pressed[10] = {};
    uint32_t released[10] = {};
    uint32_t repeat[10] = {};
    int32_t counters[5] = {};

private:
    void repeatStep();
};

// Every key of the keyboard, with its edges.
class TKeyPress {
public:
    virtual ~TKeyPress() = default;
    virtual void update(const uint8_t keys[256]);
    virtual void update(TInputDevice& device);
    virtual void clear();
    virtual void compare(const uint8_t old[256]);

    uint8_t current[256] = {};
    uint8_t pressed[256] = {};
    uint8_t released[256] = {};
};

class TInput {
public:
    // Samples kept for the frames in mode 1; beyond this the oldest are dropped.
    static constexpr size_t kMaxQueued = 64;

    TInput();
    virtual ~TInput();
    TInput(const TInput&) = delete;
    TInput& operator=(const TInput&) = delete;

    virtual int pendingCount();
    virtual void setMode(int mode);
    virtual void setTimer(int periodMs, int sleepStepMs);
    virtual bool attachWindowHandle(HINSTANCE instance, TWindow* window, int mode, int count);
    virtual bool attachWindow(HINSTANCE instance, TGameFrameGr* frame, int mode, int count);
    virtual void close();
    virtual bool createDevices(int count);
    virtual void destroyDevices();
    // Once per frame on the main thread.
    virtual void update();
    virtual void reset();
    virtual void startTimer();
    virtual bool stopTimer();  // true without a timer
    virtual TWindow* getWindow() const;
    virtual void getCursorPos(platform::Point& out) const;
    virtual void initialize(HINSTANCE instance, int mode, int count);
    virtual uint32_t getMouseButtons();
    // The timer callback (mode 1).
    virtual void poll();
    // The message hook on the game window.
    virtual intptr_t onMessage(platform::HWND hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam);

    // The cursor moved at the last update, or the primary button went down or up.
    bool isMouseAction() const;
    // Forgets this frame's edges on every device, so that a press already used is not seen again.
    void clearPresses();

    int mode() const { return mode_; }
    const TPress& press() const { return combined_; }
    uint32_t held() const { return combined_.state.buttons; }
    uint32_t pressedBits() const { return combined_.pressed[0]; }
    uint32_t releasedBits() const { return combined_.released[0]; }
    uint32_t repeatBits() const { return combined_.repeat[0]; }
    const TPress* devicePress(int i) const;
    const TKeyPress& keys() const { return keyPress_; }
    TInputDevice* device(int i) const;
    int deviceCount() const { return static_cast<int>(devices_.size()); }
    int cursorX() const { return cursorX_; }
    int cursorY() const { return cursorY_; }
    int previousX() const { return prevX_; }
    int previousY() const { return prevY_; }
    // Screens set (-1, -1) and the moved flag to force a hover test on the next frame.
    void setPrevious(int x, int y) {
        prevX_ = x;
        prevY_ = y;
    }
    void setMoved(bool moved) { moved_ = moved; }
    bool moved() const { return moved_; }
    int idleFrames() const { return idleFrames_; }
    int wheel() const { return wheelSteps_; }
    uint32_t pollCount() const { return pollCount_.load(); }

private:
    static intptr_t hook(TWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam, void* user);
    static void timerCallback(uint32_t timeMs, uintptr_t user);
    void combine(const TPress& p);

    HINSTANCE instance_ = nullptr;
    TWindow* plainWindow_ = nullptr;
    TGameFrameGr* frame_ = nullptr;
    TWindow* hookedWindow_ = nullptr;
    int mode_ = 0;
    bool moved_ = false;
    int idleFrames_ = 0;
    int cursorX_ = 0;
    int cursorY_ = 0;
    int prevX_ = -1;
    int prevY_ = -1;
    int wheelSteps_ = 0;
    int wheelAccum_ = 0;
    bool swallowClick_ = false;
    int wheelRemainder_ = 0;
    std::vector<std::unique_ptr<TInputDevice>> devices_;
    std::vector<TPress> presses_;
    TPress combined_;
    TKeyPress keyPress_;
    mutable TCriticalSection lock_;
    std::unique_ptr<TThreadTimer> timer_;
    std::vector<std::deque<JoyState>> queues_;
    std::deque<std::vector<uint8_t>> snapshots_;
    std::atomic<uint32_t> pollCount_{0};
};
