#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace platform {

uint32_t SystemClock::now()
{
    static const auto start = std::chrono::steady_clock::now();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

void SystemClock::sleep(uint32_t ms)
{
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

void setClock(Clock* c) { current.store(c ? c : &systemClock); }

}  // namespace platform
