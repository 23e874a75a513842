#pragma once
// The millisecond clock and sleep of the whole program. Times are u32 milliseconds that wrap
// after 49.7 days, so they are only ever compared by signed difference (timeDiff).
// Both are injectable: tests install a ManualClock and nothing sleeps in real time.
#include <atomic>
#include <cstdint>
#include <string>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t now() = 0;
    virtual void sleep(uint32_t ms) = 0;
};

// Steady milliseconds since the first call, and a real sleep (0 yields the thread).
class SystemClock final : public Clock {
public:
    uint32_t now() override;
    void sleep(uint32_t ms) override;
};

// A clock that only moves when told to; sleeping advances it at once. Thread-safe.
class ManualClock final : public Clock {
public:
    explicit ManualClock(uint32_t start = 0) : now_(start) {}
    uint32_t now() override { return now_.load(); }
    void sleep(uint32_t ms) override { now_.fetch_add(ms); }
    void advance(uint32_t ms) { now_.fetch_add(ms); }
    void set(uint32_t t) { now_.store(t); }

private:
    std::atomic<uint32_t> now_;
};

// The process-wide clock: the system clock unless a test installed another.
Clock& clock();
// Installs c (nullptr restores the system clock). The caller keeps c alive while installed.
void setClock(Clock* c);

inline uint32_t timeGetTime() { return clock().now(); }
inline void sleepMs(uint32_t ms) { clock().sleep(ms); }
// Sleeps in real time whatever clock is installed: for waiting on another thread.
void realSleepMs(uint32_t ms);

// Calendar time in the local time zone, in seconds since 1970-01-01 00:00:00 UTC.
int64_t unixTime();
// The seconds of a local date and time (month 1-12; dst > 0 summer time, 0 not, < 0 unknown);
// -1 when it cannot be represented.
int64_t localToUnixTime(int year, int month, int day, int hour, int minute, int second, int dst);
// The local time of t written by a strftime format; empty when it cannot be converted or the
// text would not fit in 127 bytes.
std::string formatLocalTime(int64_t t, const char* format);

// a - b as a signed count of milliseconds, correct across the wrap.
constexpr int32_t timeDiff(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b); }

}  // namespace platform
