#include "platform/clock.h"

#include <gtest/gtest.h>

namespace {

TEST(Clock, SignedDifferenceHoldsAcrossTheWrap) {
    EXPECT_EQ(platform::timeDiff(5, 0xFFFFFFFBu), 10);
    EXPECT_EQ(platform::timeDiff(0xFFFFFFFBu, 5), -10);
    EXPECT_EQ(platform::timeDiff(100, 100), 0);
}

TEST(Clock, AnInstalledManualClockIsUsedAndSleepingAdvancesIt) {
    platform::ManualClock manual(0xFFFFFFF0u);
    platform::setClock(&manual);
    EXPECT_EQ(platform::timeGetTime(), 0xFFFFFFF0u);
    platform::sleepMs(0x20);
    EXPECT_EQ(platform::timeGetTime(), 0x10u);
    platform::setClock(nullptr);
    uint32_t a = platform::timeGetTime();
    platform::sleepMs(2);
    EXPECT_GE(platform::timeDiff(platform::timeGetTime(), a), 2);
}

TEST(Clock, RealSleepLeavesAnInstalledManualClockAlone) {
    platform::ManualClock manual(7);
    platform::setClock(&manual);
    platform::realSleepMs(1);
    EXPECT_EQ(platform::timeGetTime(), 7u);
    platform::setClock(nullptr);
}

}  // namespace
