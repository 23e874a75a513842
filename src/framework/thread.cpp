#include "framework/thread.h"

#include <chrono>
#include <functional>
#include <system_error>

#include "platform/clock.h"

namespace {

// Waiting for another thread to reach a state is done in real time, whatever clock is installed.
void pollPause() { platform::realSleepMs(1); }

uint32_t currentThreadNumber() {
    return static_cast<uint32_t>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
}

}  // namespace

// ---- TThread ---------------------------------------------------------------------------------

TThread::~TThread() { stop(); }

void TThread::joinIfDone() {
    if (thread_.joinable() && !running_.load() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool TThread::isFinished() {
    if (running_.load()) return false;
    joinIfDone();
    return true;
}

bool TThread::wait(uint32_t timeoutMs) {
    std::unique_lock lock(doneMutex_);
    bool done = done_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !running_.load(); });
    lock.unlock();
    if (done) joinIfDone();
    return done;
}

bool TThread::start() {
    if (running_.load()) return true;
    joinIfDone();
    stop_.store(false);
    running_.store(true);
    try {
        thread_ = std::thread([this] {
            threadId_.store(currentThreadNumber());
            run();
            stop_.store(false);
            {
                std::lock_guard lock(doneMutex_);
                running_.store(false);
            }
            done_.notify_all();
        });
    } catch (const std::system_error&) {
        running_.store(false);
        return false;
    }
    return true;
}

void TThread::stop() {
    if (!thread_.joinable()) return;
    if (thread_.get_id() == std::this_thread::get_id()) {
        stop_.store(true);
        return;
    }
    stop_.store(true);
    thread_.join();
    running_.store(false);
    stop_.store(false);
}

// ---- TThreadTimer ------------------------------------------------------------------------------

TThreadTimer::TThreadTimer() {
    try {
        thread_ = std::thread([this] { body(); });
    } catch (const std::system_error&) {
        return;  // never alive: the timer never calls back
    }
    while (!alive_.load()) std::this_thread::yield();
}

TThreadTimer::~TThreadTimer() {
    paused_.store(true);
    keepRunning_.store(false);
    if (thread_.joinable()) thread_.join();
}

void TThreadTimer::body() {
    // The first period counts from construction: the constructor returns once alive_ is set, and
    // a clock that moved in between must not push the first call back.
    uint32_t base = platform::timeGetTime();
    uint32_t now = base;
    alive_.store(true);
    while (keepRunning_.load()) {
        // The period is read afresh: setCallback may change it while the thread waits.
        while (platform::timeDiff(now, base) < period_.load() && keepRunning_.load()) {
            platform::sleepMs(static_cast<uint32_t>(sleepStep_.load()));
            now = platform::timeGetTime();
        }
        if (!keepRunning_.load()) break;
        const int period = period_.load();
        if (static_cast<int64_t>(platform::timeDiff(now, base)) >= static_cast<int64_t>(kGiveUpPeriods) * period)
            base = now - static_cast<uint32_t>(period);
        else
            base += static_cast<uint32_t>(period);
        if (!paused_.load()) {
            inCallback_.store(true);
            // paused_ is checked again so that a pause that raced the check above never sees a
            // callback start after it returned.
            Callback cb = callback_.load();
            if (cb && !paused_.load()) cb(now, user_.load());
            inCallback_.store(false);
        }
    }
    alive_.store(false);
}

void TThreadTimer::setCallback(int periodMs, int sleepStepMs, uintptr_t user, Callback callback) {
    pause(true);
    period_.store(periodMs > 0 ? periodMs : 1);
    sleepStep_.store(sleepStepMs >= 0 ? sleepStepMs : 0);
    user_.store(user);
    callback_.store(callback);
}

bool TThreadTimer::resume() {
    if (!callback_.load()) return false;
    paused_.store(false);
    return true;
}

bool TThreadTimer::pause(bool wait) {
    bool wasRunning = !paused_.exchange(true);
    if (wait && alive_.load() && thread_.get_id() != std::this_thread::get_id())
        while (inCallback_.load()) pollPause();
    return wasRunning;
}

// ---- TImm ---------------------------------------------------------------------------------------

TImm::~TImm() {
    if (saved_ && window_) restore(window_);
    saved_ = false;
    window_ = nullptr;
}

void TImm::restore(platform::HWND window) {
    if (saved_ && platform::isWindow(window)) platform::setTextInput(true);
}

void TImm::disable(platform::HWND window) {
    window_ = window;
    // Only a live window has an input context to detach.
    saved_ = platform::isWindow(window);
    if (saved_) platform::setTextInput(false);
}
