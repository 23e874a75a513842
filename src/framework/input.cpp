#include "framework/input.h"

#include <cstring>

#include "framework/frame.h"
#include "framework/window.h"

using namespace platform;

// ---- TPress -------------------------------------------------------------------------------------

void TPress::update(uint32_t word) {
    JoyState s;
    s.buttons = word;
    update(s);
}

void TPress::update(const JoyState& next) {
    uint32_t old = state.buttons;
    state = next;
    pressed[0] = next.buttons & ~old;
    released[0] = old & ~next.buttons;
    repeatStep();
}

void TPress::update(TInputDevice& device) {
    JoyState s;
    device.read(&s);
    update(s);
}

void TPress::repeatStep() {
    const uint32_t held = state.buttons;
    uint32_t rep = 0;
    // Each direction keeps its own count: reported on the first update, then every second update
    // once the delay has passed (1, 9, 11, 13, ...).
    for (int i = 0; i < 4; ++i) {
        uint32_t bit = 1u << i;
        if (held & bit) {
            int c = ++counters[i];
            if (c == 1) {
                rep |= bit;
            } else if (c > kRepeatDelay) {
                rep |= bit;
                counters[i] = kRepeatDelay - 1;
            }
        } else {
            counters[i] = 0;
        }
    }
    // Every other bit shares one count.
    uint32_t others = held & ~0xFu;
    if (others) {
        int c = ++counters[4];
        if (c == 1) {
            rep |= others;
        } else if (c > kRepeatDelay) {
            rep |= others;
            counters[4] = kRepeatDelay - 1;
        }
    } else {
        counters[4] = 0;
    }
    repeat[0] = rep;
}

void TPress::clear() {
    update(0u);
    update(0u);
}

void TPress::clearEdges() {
    pressed[0] = 0;
    released[0] = 0;
}

// ---- TKeyPress ----------------------------------------------------------------------------------

void TKeyPress::update(const uint8_t keys[256]) {
    uint8_t old[256];
    std::memcpy(old, current, sizeof old);
    std::memcpy(current, keys, sizeof current);
    compare(old);
}

void TKeyPress::update(TInputDevice& device) {
    uint8_t keys[256];
    device.readKeyboard(keys);
    update(keys);
}

void TKeyPress::clear() {
    std::memset(current, 0, sizeof current);
    std::memset(pressed, 0, sizeof pressed);
    std::memset(released, 0, sizeof released);
}

void TKeyPress::compare(const uint8_t old[256]) {
    for (int i = 0; i < 256; ++i) {
        pressed[i] = static_cast<uint8_t>(current[i] & ~old[i]);
        released[i] = static_cast<uint8_t>(old[i] & ~current[i]);
    }
}

// ---- TInput -------------------------------------------------------------------------------------

TInput::TInput() = default;

TInput::~TInput() { close(); }

int TInput::pendingCount() {
    TCriticalLock lock(lock_);
    if (mode_ == 0) return 1;
    if (mode_ == 1) return queues_.empty() ? 0 : static_cast<int>(queues_[0].size());
    return 0;
}

void TInput::setMode(int mode) {
    stopTimer();
    {
        TCriticalLock lock(lock_);
        mode_ = mode;
    }
    // The timer is made and destroyed outside the lock: its thread's callback takes the lock.
    if (mode == 1) {
        if (!timer_) timer_ = std::make_unique<TThreadTimer>();
    } else {
        timer_.reset();
    }
    startTimer();
}

void TInput::setTimer(int periodMs, int sleepStepMs) {
    if (timer_) timer_->setCallback(periodMs, sleepStepMs, reinterpret_cast<uintptr_t>(this), &TInput::timerCallback);
}

bool TInput::attachWindowHandle(HINSTANCE instance, TWindow* window, int mode, int count) {
    if (!window) return false;
    plainWindow_ = window;
    frame_ = nullptr;
    initialize(instance, mode, count);
    return true;
}

bool TInput::attachWindow(HINSTANCE instance, TGameFrameGr* frame, int mode, int count) {
    if (!frame || !frame->window()) return false;
    frame_ = frame;
    plainWindow_ = nullptr;
    initialize(instance, mode, count);
    return true;
}

void TInput::close() {
    timer_.reset();
    if (hookedWindow_) {
        hookedWindow_->removeMessageHook(&TInput::hook, this);
        hookedWindow_ = nullptr;
    }
    destroyDevices();
}

bool TInput::createDevices(int count) {
    destroyDevices();
    TCriticalLock lock(lock_);
    TWindow* w = getWindow();
    for (int i = 0; i < count; ++i) {
        devices_.push_back(std::make_unique<TInputDevice>(instance_, w ? w->handle() : nullptr, -1));
        presses_.emplace_back();
        queues_.emplace_back();
    }
    return true;
}

void TInput::destroyDevices() {
    TCriticalLock lock(lock_);
    devices_.clear();
    presses_.clear();
    queues_.clear();
    snapshots_.clear();
}

void TInput::combine(const TPress& p) {
    combined_.state.buttons |= p.state.buttons;
    combined_.pressed[0] |= p.pressed[0];
    combined_.released[0] |= p.released[0];
    combined_.repeat[0] |= p.repeat[0];
}

void TInput::update() {
    TCriticalLock lock(lock_);
    if (mode_ == 0 && !devices_.empty()) {
        keyPress_.update(*devices_[0]);
        combined_.clear();
        for (size_t i = 0; i < devices_.size(); ++i) {
            JoyState s;
            devices_[i]->read(&s);
            if (i == 0) s.buttons |= getMouseButtons();
            presses_[i].update(s);
            combine(presses_[i]);
        }
    } else if (mode_ == 1 && !queues_.empty() && !queues_[0].empty()) {
        if (!snapshots_.empty()) {
            keyPress_.update(snapshots_.front().data());
            snapshots_.pop_front();
        }
        combined_.clear();
        for (size_t i = 0; i < presses_.size(); ++i) {
            if (queues_[i].empty()) continue;
            presses_[i].update(queues_[i].front());
            queues_[i].pop_front();
            combine(presses_[i]);
        }
    }
    prevX_ = cursorX_;
    prevY_ = cursorY_;
    Point p;
    getCursorPos(p);
    cursorX_ = p.x;
    cursorY_ = p.y;
    moved_ = !(prevX_ == -1 && prevY_ == -1) && (prevX_ != cursorX_ || prevY_ != cursorY_);
    if (!moved_ && !((combined_.pressed[0] | combined_.released[0]) & kMousePrimary))
        ++idleFrames_;
    else
        idleFrames_ = 0;
    wheelSteps_ = wheelAccum_;
    wheelAccum_ = 0;
}

void TInput::reset() {
    TCriticalLock lock(lock_);
    keyPress_.clear();
    for (size_t i = 0; i < devices_.size(); ++i) {
        devices_[i]->read(nullptr);
        presses_[i].clear();
    }
    combined_.clear();
}

void TInput::startTimer() {
    if (timer_) timer_->resume();
}

bool TInput::stopTimer() {
    if (!timer_) return true;
    return timer_->pause(true);
}

TWindow* TInput::getWindow() const {
    if (frame_) return frame_->window();
    return plainWindow_;
}

void TInput::getCursorPos(Point& out) const {
    out = {};
    if (frame_) {
        platform::getCursorPos(out);
        TWindow* w = frame_->window();
        if (w && frame_->isWindowed()) w->screenToClient(out);
    } else if (plainWindow_) {
        plainWindow_->getCursorPos(out);
    }
}

void TInput::initialize(HINSTANCE instance, int mode, int count) {
    instance_ = instance;
    setMode(mode);
    {
        TCriticalLock lock(lock_);
        wheelSteps_ = wheelAccum_ = wheelRemainder_ = 0;
    }
    if (TWindow* w = getWindow()) {
        if (hookedWindow_) hookedWindow_->removeMessageHook(&TInput::hook, this);
        w->addMessageHook(&TInput::hook, this);
        hookedWindow_ = w;
    }
    setTimer(17, 1);
    createDevices(count);
    startTimer();
}

uint32_t TInput::getMouseButtons() {
    TCriticalLock lock(lock_);
    TWindow* w = getWindow();
    bool left = false, right = false, middle = false;
    if (w && w->isForeground()) {
        left = getAsyncKeyState(VK_LBUTTON) != 0;
        right = getAsyncKeyState(VK_RBUTTON) != 0;
        middle = getAsyncKeyState(VK_MBUTTON) != 0;
    }
    if (swallowClick_) {
        if (left || right || middle) return 0;
        swallowClick_ = false;
    }
    bool swapped = getSystemMetrics(SM_SWAPBUTTON) != 0;
    uint32_t bits = 0;
    if (left) bits |= swapped ? kMouseSecondary : kMousePrimary;
    if (right) bits |= swapped ? kMousePrimary : kMouseSecondary;
    if (middle) bits |= kMouseMiddle;
    return bits;
}

void TInput::poll() {
    TCriticalLock lock(lock_);
    if (devices_.empty()) return;
    std::vector<uint8_t> keys(256);
    devices_[0]->readKeyboard(keys.data());
    snapshots_.push_back(std::move(keys));
    for (size_t i = 0; i < devices_.size(); ++i) {
        JoyState s;
        devices_[i]->read(&s);
        queues_[i].push_back(s);
    }
    queues_[0].back().buttons |= getMouseButtons();
    // When the frames fall behind, keep the newest samples only.
    while (snapshots_.size() > kMaxQueued) snapshots_.pop_front();
    for (auto& q : queues_)
        while (q.size() > kMaxQueued) q.pop_front();
    ++pollCount_;
}

intptr_t TInput::onMessage(HWND, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    TCriticalLock lock(lock_);
    if (message == WM_MOUSEACTIVATE && loWord(static_cast<uintptr_t>(lParam)) == HTCLIENT) {
        swallowClick_ = true;
        return MA_ACTIVATEANDEAT;
    }
    if (message == WM_MOUSEWHEEL) {
        int delta = signedHi(wParam) + wheelRemainder_;
        int steps = delta / 120;
        wheelAccum_ += steps;
        wheelRemainder_ = delta - steps * 120;
    }
    return 0;
}

intptr_t TInput::hook(TWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam, void* user) {
    return static_cast<TInput*>(user)->onMessage(window ? window->handle() : nullptr, message, wParam, lParam);
}

void TInput::timerCallback(uint32_t, uintptr_t user) { reinterpret_cast<TInput*>(user)->poll(); }

bool TInput::isMouseAction() const {
    return moved_ || ((combined_.pressed[0] | combined_.released[0]) & kMousePrimary);
}

void TInput::clearPresses() {
    TCriticalLock lock(lock_);
    for (auto& p : presses_) {
        p.clearEdges();
        p.repeat[0] = 0;
    }
    combined_.clearEdges();
    combined_.repeat[0] = 0;
}

const TPress* TInput::devicePress(int i) const {
    return i >= 0 && i < static_cast<int>(presses_.size()) ? &presses_[i] : nullptr;
}

TInputDevice* TInput::device(int i) const {
    return i >= 0 && i < static_cast<int>(devices_.size()) ? devices_[i].get() : nullptr;
}
