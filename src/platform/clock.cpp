#include "platform/clock.h"

#include <time.h>

#include <chrono>
#include <thread>

namespace platform {

uint32_t SystemClock::now() {
    static const auto start = std::chrono::steady_clock::now();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

void SystemClock::sleep(uint32_t ms) {
    if (ms == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace {
SystemClock systemClock;
std::atomic<Clock*> current{&systemClock};
}  // namespace

Clock& clock() { return *current.load(); }

void realSleepMs(uint32_t ms) { systemClock.sleep(ms); }

int64_t unixTime() { return static_cast<int64_t>(::time(nullptr)); }

int64_t localToUnixTime(int year, int month, int day, int hour, int minute, int second, int dst) {
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = dst;
    return static_cast<int64_t>(::mktime(&t));
}

std::string formatLocalTime(int64_t t, const char* format) {
    if (!format) return {};
    const auto tt = static_cast<time_t>(t);
    struct tm lt;
    if (!::localtime_r(&tt, &lt)) return {};
    char buf[128];
    const size_t n = ::strftime(buf, sizeof buf, format, &lt);
    return std::string(buf, n);
}

void setClock(Clock* c) { current.store(c ? c : &systemClock); }

}  // namespace platform
