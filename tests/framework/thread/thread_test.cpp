// Threads, the timer thread on an injected clock, and the re-entrant lock. Built under
// ThreadSanitizer by the test script.
#include "framework/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

#include "framework/critical_section.h"
#include "platform/clock.h"

namespace {

using namespace std::chrono_literals;

// Waits (in real time, bounded) until the condition holds.
template <class F>
bool eventually(F f) {
    auto until = std::chrono::steady_clock::now() + 10s;
    while (!f()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(100us);
    }
    return true;
}

// A clock that moves only when the test says; a sleep does not move it, it only counts, so a timer
// thread sleeping on it waits for the test.
class SteppedClock final : public platform::Clock {
public:
    uint32_t now() override {
        reads_.fetch_add(1);
        return now_.load();
    }
    void sleep(uint32_t) override {
        sleeps_.fetch_add(1);
        std::this_thread::sleep_for(50us);
    }
    void advance(uint32_t ms) { now_.fetch_add(ms); }
    uint64_t sleeps() const { return sleeps_.load(); }
    uint64_t reads() const { return reads_.load(); }

private:
    std::atomic<uint64_t> reads_{0};
    std::atomic<uint32_t> now_{1000};
    std::atomic<uint64_t> sleeps_{0};
};

struct Calls {
    std::atomic<int> count{0};
    std::atomic<uint32_t> lastTime{0};
};

void record(uint32_t time, uintptr_t user) {
    auto* c = reinterpret_cast<Calls*>(user);
    c->lastTime.store(time);
    c->count.fetch_add(1);
}

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override { platform::setClock(&clock); }
    void TearDown() override { platform::setClock(nullptr); }

    // Advances the clock and waits until the timer has made every call it owes and gone back to
    // sleeping (two sleeps after the count settled: it only sleeps once it has caught up).
    int advanceAndSettle(uint32_t ms, int expectTotal) {
        clock.advance(ms);
        EXPECT_TRUE(eventually([&] { return calls.count.load() >= expectTotal; }));
        uint64_t s = clock.sleeps();
        EXPECT_TRUE(eventually([&] { return clock.sleeps() >= s + 2; }));
        return calls.count.load();
    }

    SteppedClock clock;
    Calls calls;
};

}  // namespace

TEST_F(TimerTest, StartsPausedAndRefusesToResumeWithoutACallback) {
    TThreadTimer timer;
    EXPECT_TRUE(timer.isAlive());
    EXPECT_FALSE(timer.isRunning());
    EXPECT_FALSE(timer.resume());
    EXPECT_EQ(timer.period(), 1000);
}

TEST_F(TimerTest, TheFirstPeriodCountsFromConstruction) {
    // The timer has read its start time when it is constructed, so a test (or a caller) that
    // moves the clock right after cannot delay the first call by a period.
    TThreadTimer timer;
    EXPECT_GE(clock.reads(), 1u);
    timer.setCallback(10, 1, reinterpret_cast<uintptr_t>(&calls), record);
    timer.resume();
    EXPECT_EQ(advanceAndSettle(10, 1), 1);
}

TEST_F(TimerTest, CallsOncePerPeriodWithTheTime) {
    TThreadTimer timer;
    timer.setCallback(10, 1, reinterpret_cast<uintptr_t>(&calls), record);
    EXPECT_FALSE(timer.isRunning());
    ASSERT_TRUE(timer.resume());
    EXPECT_EQ(advanceAndSettle(5, 0), 0);
    EXPECT_EQ(advanceAndSettle(5, 1), 1);
    EXPECT_EQ(calls.lastTime.load(), 1010u);
    EXPECT_EQ(advanceAndSettle(10, 2), 2);
}

TEST_F(TimerTest, FewerThanThirtyPeriodsBehindAreCaughtUpBackToBack) {
    TThreadTimer timer;
    timer.setCallback(10, 1, reinterpret_cast<uintptr_t>(&calls), record);
    timer.resume();
    // 29 periods late: all 29 calls come at once, then the rhythm goes on.
    EXPECT_EQ(advanceAndSettle(290, 29), 29);
    EXPECT_EQ(advanceAndSettle(10, 30), 30);
}

TEST_F(TimerTest, ThirtyOrMorePeriodsBehindAreGivenUp) {
    TThreadTimer timer;
    timer.setCallback(10, 1, reinterpret_cast<uintptr_t>(&calls), record);
    timer.resume();
    // A stall of 100 periods: one call, the base set one period back, so one more at once, then
    // every period again without a burst.
    EXPECT_EQ(advanceAndSettle(1000, 2), 2);
    EXPECT_EQ(advanceAndSettle(9, 2), 2);
    EXPECT_EQ(advanceAndSettle(1, 3), 3);
}

TEST_F(TimerTest, PausedPeriodsAreNotCalledAndPauseReportsWhetherItRan) {
    TThreadTimer timer;
    timer.setCallback(10, 1, reinterpret_cast<uintptr_t>(&calls), record);
    timer.resume();
    EXPECT_EQ(advanceAndSettle(10, 1), 1);
    EXPECT_TRUE(timer.pause(true));
    EXPECT_FALSE(timer.pause(true));
    EXPECT_EQ(advanceAndSettle(10, 1), 1);
    timer.resume();
    EXPECT_EQ(advanceAndSettle(10, 2), 2);
}

TEST_F(TimerTest, PauseWaitsForACallbackThatIsRunning) {
    static std::atomic<bool> inside{false}, release{false}, after{false};
    inside = release = after = false;
    TThreadTimer timer;
    timer.setCallback(10, 1, 0, [](uint32_t, uintptr_t) {
        inside = true;
        while (!release.load()) std::this_thread::sleep_for(100us);
        after = true;
    });
    timer.resume();
    clock.advance(10);
    ASSERT_TRUE(eventually([] { return inside.load(); }));
    std::thread releaser([] {
        std::this_thread::sleep_for(5ms);
        release = true;
    });
    timer.pause(true);
    EXPECT_TRUE(after.load());
    releaser.join();
}

TEST_F(TimerTest, DestroyingStopsTheThreadEvenWhileRunning) {
    auto timer = std::make_unique<TThreadTimer>();
    timer->setCallback(10, 1, reinterpret_cast<uintptr_t>(&calls), record);
    timer->resume();
    clock.advance(50);
    timer.reset();
    int n = calls.count.load();
    clock.advance(50);
    std::this_thread::sleep_for(1ms);
    EXPECT_EQ(calls.count.load(), n);
}

namespace {

class Counter : public TThread {
public:
    ~Counter() override { stop(); }
    void run() override {
        runs.fetch_add(1);
        while (!isStopRequested()) std::this_thread::sleep_for(100us);
    }
    std::atomic<int> runs{0};
};

class OneShot : public TThread {
public:
    ~OneShot() override { stop(); }
    void run() override { done.store(true); }
    std::atomic<bool> done{false};
};

}  // namespace

TEST(Thread, StartingTwiceRunsOneThreadAndStopJoinsIt) {
    Counter c;
    EXPECT_TRUE(c.isFinished());
    ASSERT_TRUE(c.start());
    EXPECT_TRUE(c.start());
    EXPECT_FALSE(c.isFinished());
    EXPECT_FALSE(c.wait(1));
    c.stop();
    EXPECT_TRUE(c.isFinished());
    EXPECT_EQ(c.runs.load(), 1);
    EXPECT_FALSE(c.isStopRequested());
    // A finished thread may be started again.
    ASSERT_TRUE(c.start());
    c.stop();
    EXPECT_EQ(c.runs.load(), 2);
}

TEST(Thread, ABodyThatReturnsIsFinishedAndWaitSeesIt) {
    OneShot t;
    ASSERT_TRUE(t.start());
    EXPECT_TRUE(t.wait(10000));
    EXPECT_TRUE(t.done.load());
    EXPECT_TRUE(t.isFinished());
}

TEST(CriticalSection, IsReentrantAndExcludesOtherThreads) {
    TCriticalSection cs;
    int shared = 0;
    cs.enter();
    cs.enter();  // the same thread again: no deadlock
    std::atomic<bool> entered{false};
    std::thread other([&] {
        TCriticalLock lock(cs);
        entered = true;
        shared = 2;
    });
    std::this_thread::sleep_for(2ms);
    EXPECT_FALSE(entered.load());
    shared = 1;
    cs.leave();
    std::this_thread::sleep_for(1ms);
    EXPECT_FALSE(entered.load());  // still held once
    cs.leave();
    other.join();
    EXPECT_TRUE(entered.load());
    EXPECT_EQ(shared, 2);
}

TEST(CriticalSection, CountsStayExactUnderContention) {
    TCriticalSection cs;
    long total = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                TCriticalLock outer(cs);
                TCriticalLock inner(cs);
                ++total;
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(total, 40000);
}
