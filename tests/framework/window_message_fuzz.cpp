// Any sequence of messages with any parameters sent to a window with the input object and the
// frame listening: nothing crashes, and the window stays consistent.
#include <cstring>

#include "framework/application.h"
#include "framework/frame.h"
#include "framework/window.h"
#include "platform/headless.h"
#include "support/fuzz.h"

using namespace platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const uint32_t kMessages[] = {
        WM_CREATE,
        WM_MOVE,
        WM_SIZE,
        WM_ACTIVATE,
        WM_ENABLE,
        WM_PAINT,
        WM_ERASEBKGND,
        WM_ENDSESSION,
        WM_ACTIVATEAPP,
        WM_SETCURSOR,
        WM_MOUSEACTIVATE,
        WM_GETMINMAXINFO,
        WM_NCMOUSEMOVE,
        WM_NCLBUTTONDOWN,
        WM_KEYDOWN,
        WM_KEYUP,
        WM_SYSKEYDOWN,
        WM_SYSKEYUP,
        WM_COMMAND,
        WM_SYSCOMMAND,
        WM_INITMENU,
        WM_MOUSEMOVE,
        WM_LBUTTONDOWN,
        WM_LBUTTONUP,
        WM_RBUTTONDBLCLK,
        WM_MBUTTONUP,
        WM_MOUSEWHEEL,
        WM_ENTERMENULOOP,
        WM_POWERBROADCAST,
        WM_ENTERSIZEMOVE,
        WM_EXITSIZEMOVE,
        WM_QUERYNEWPALETTE,
        WM_PALETTECHANGED,
        MM_MCINOTIFY,
        WM_BEFORE_MESSAGEBOX,
        WM_AFTER_MESSAGEBOX,
        WM_IDLE_NOTIFY,
        WM_TIMER,
        WM_USER,
        0xFFFF,
    };
    headless::reset();
    {
        TGameFrameG2 frame;
        frame.setWindowed(true);
        TWindow window;
        if (window.create() != 0 || !frame.create(nullptr, &window)) __builtin_trap();
        for (size_t i = 0; i + 9 <= size; i += 9) {
            uint32_t message = kMessages[data[i] % (sizeof kMessages / sizeof kMessages[0])];
            uint32_t w, l;
            std::memcpy(&w, data + i + 1, 4);
            std::memcpy(&l, data + i + 5, 4);
            if (message == WM_SYSCOMMAND || message == WM_SYSKEYDOWN)
                w &= 0xFF;  // closing the window is a separate path
            sendMessage(window.handle(), message, w, static_cast<int32_t>(l));
            if (i % 27 == 0) frame.run();
        }
        frame.input().update();
        if (frame.input().wheel() < -0x7FFFFF || frame.input().wheel() > 0x7FFFFF) __builtin_trap();
        frame.terminate();
    }
    headless::reset();
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<uint8_t> s;
    for (uint8_t m : {26, 10, 2, 16, 14}) {
        s.push_back(m);
        for (int k = 0; k < 8; ++k) s.push_back(static_cast<uint8_t>(k * 37 + m));
    }
    return {s};
}
