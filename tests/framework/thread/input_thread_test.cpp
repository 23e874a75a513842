// The input object's sampled mode: its timer thread polls the devices while the main thread
// drains the samples, both under the input object's lock. Built under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "framework/input.h"
#include "framework/window.h"
#include "platform/headless.h"
#include "platform/keycodes.h"

using namespace platform;
using namespace std::chrono_literals;

TEST(InputThread, TheTimerThreadSamplesWhileFramesDrainInOrder) {
    headless::reset();
    {
        TWindow window;
        ASSERT_EQ(window.create(), 0u);
        headless::setForeground(window.handle());
        TInput input;
        ASSERT_TRUE(input.attachWindowHandle(nullptr, &window, 1, 2));
        input.device(0)->setKeyConfig(16, DIK_RETURN);
        headless::setKey(DIK_RETURN, true);
        headless::setMouseButtons(true, false, false);
        auto until = std::chrono::steady_clock::now() + 10s;
        while (input.pollCount() < 3 && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
        ASSERT_GE(input.pollCount(), 3u);
        // The main thread works on the samples while the timer keeps adding to them.
        bool seen = false;
        for (int frame = 0; frame < 50; ++frame) {
            input.update();
            seen = seen || (input.held() & (0x10u | kMousePrimary)) == (0x10u | kMousePrimary);
            sendMessage(window.handle(), WM_MOUSEWHEEL, 120u << 16, 0);
            std::this_thread::sleep_for(1ms);
        }
        EXPECT_TRUE(seen);
        EXPECT_LE(input.pendingCount(), static_cast<int>(TInput::kMaxQueued));
        EXPECT_TRUE(input.stopTimer());
        input.close();
        EXPECT_EQ(input.deviceCount(), 0);
    }
    headless::reset();
}
