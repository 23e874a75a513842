#pragma once
// Worker threads, the timer thread, the named single-instance mutex and the input-method switch.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "platform/named_mutex.h"
#include "platform/window_system.h"

// A worker thread whose body is run(); the body must poll isStopRequested() often.
// A subclass whose run() uses its own members must call stop() in its own destructor (the base
// destructor runs after those members are gone); the base destructor stops as a last resort.
class TThread {
public:
    TThread() = default;
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // True when no thread runs (never started, or the body has returned).
    virtual bool isFinished();
    // True when the thread has finished within timeoutMs (real milliseconds) or none runs.
    virtual bool wait(uint32_t timeoutMs);
    // Starts the body; true without a second thread when one is running; false when the system
    // refuses a thread.
    virtual bool start();
    // Asks the body to return and joins it. Called from the body itself it only asks.
    virtual void stop();
    virtual void run() = 0;

    uint32_t threadId() const { return threadId_.load(); }
    bool isStopRequested() const { return stop_.load(); }

private:
    void joinIfDone();

    std::thread thread_;
    std::atomic<uint32_t> threadId_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::mutex doneMutex_;
    std::condition_variable done_;
};

// A thread that calls a function every period (milliseconds of platform::timeGetTime).
// Behind by fewer than 30 periods it catches up with calls in quick succession; at 30 or more it
// gives the missed periods up. Starts paused and without a callback.
class TThreadTimer {
public:
    using Callback = void (*)(uint32_t timeMs, uintptr_t user);

    TThreadTimer();
    virtual ~TThreadTimer();
    TThreadTimer(const TThreadTimer&) = delete;
    TThreadTimer& operator=(const TThreadTimer&) = delete;

    // Pauses (waiting for a running callback), then stores the values; the timer stays paused.
    virtual void setCallback(int periodMs, int sleepStepMs, uintptr_t user, Callback callback);
    virtual bool resume();  // false without a callback
    // Returns whether the timer was running. With wait, returns only once no callback runs.
    // Never call it with wait from inside the callback.
    virtual bool pause(bool wait = true);
    virtual bool isRunning() const { return !paused_.load(); }
    virtual int priority() const { return priority_.load(); }
    virtual void setPriority(int priority) { priority_.store(priority); }

    bool isAlive() const { return alive_.load(); }
    int period() const { return period_.load(); }

    static constexpr int kGiveUpPeriods = 30;

private:
    void body();

    std::atomic<bool> paused_{true};
    std::atomic<bool> inCallback_{false};
    std::atomic<bool> keepRunning_{true};
    std::atomic<bool> alive_{false};
    std::atomic<uintptr_t> user_{0};
    std::atomic<int> period_{1000};
    std::atomic<int> sleepStep_{100};
    std::atomic<Callback> callback_{nullptr};
    std::atomic<int> priority_{0};
    std::thread thread_;
};

// The named mutex of the single-instance check.
class TMutex {
public:
    virtual ~TMutex() { close(); }
    // False when another holder has the name (nothing is kept then).
    virtual bool create(const std::string& name) { return lock_.acquire(name); }
    virtual void close() { lock_.release(); }
    bool isHeld() const { return lock_.held(); }

private:
    platform::NamedLock lock_;
};

// Switches the input method (text input) off for the game window and back on.
class TImm {
public:
    virtual ~TImm();
    virtual void restore(platform::HWND window);
    virtual void disable(platform::HWND window);

private:
    platform::HWND window_ = nullptr;
    bool saved_ = false;
};
