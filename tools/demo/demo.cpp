// Opens the 640 x 480 game window, runs 16 ms frames through the scheduler with one task that
// draws a moving pattern, shows a message box on M, and ends (exit code 0) when that task ends:
// after --frames N frames (0: never), on Escape, or when the window is closed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/frame.h"
#include "framework/window.h"
#include "platform/clock.h"
#include "platform/keycodes.h"
#include "platform/window_system.h"
#include "store/frame_storage.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
// The background, one exact colour so that a screenshot can be checked for it.
constexpr uint32_t kBackground = 0xFF20C040u;

// The screen: a CPU frame shown in the window.
class DemoScreen : public TNullScreen {
public:
    explicit DemoScreen(TWindow*& window) : window_(window) {}
    std::vector<uint32_t> pixels = std::vector<uint32_t>(kWidth * kHeight, kBackground);
    void present(int) override
    {
        if (window_)
            platform::presentPixels(window_->handle(), pixels.data(), kWidth, kHeight, kWidth);
    }

private:
    TWindow*& window_;
};

class DemoTask : public TTask {
public:
    DemoTask(DemoScreen& screen, TGameFrameGr& frame, int frames) : screen_(screen), frame_(frame), frames_(frames) {}
    void update() override
    {
        ++count_;
        const TInput& in = frame_.input();
        if (in.keys().pressed[platform::DIK_ESCAPE] || (frames_ > 0 && count_ >= frames_)) {
            kill();
            return;
        }
        if (in.keys().pressed[platform::DIK_M] && application())
            application()->messageBox("A message box from the demo.", platform::MB_OK);
    }
    void draw() override
    {
        auto& px = screen_.pixels;
        std::fill(px.begin(), px.end(), kBackground);
        // A bar that sweeps across, and a square that follows the mouse.
        int x0 = (count_ * 4) % kWidth;
        for (int y = 200; y < 280; ++y)
            for (int x = x0; x < std::min(x0 + 40, kWidth); ++x)
                px[y * kWidth + x] = 0xFFF0F0F0u;
        int mx = frame_.input().cursorX(), my = frame_.input().cursorY();
        for (int y = my - 8; y < my + 8; ++y)
            for (int x = mx - 8; x < mx + 8; ++x)
                if (x >= 0 && x < kWidth && y >= 0 && y < kHeight)
                    px[y * kWidth + x] = 0xFF2040E0u;
    }

private:
    DemoScreen& screen_;
    TGameFrameGr& frame_;
    int frames_;
    int count_ = 0;
};

// Frames every 16 ms; a frame that is late by a frame or more moves the schedule instead of
// catching up.
class DemoFrame : public TGameFrameG2 {
public:
    explicit DemoFrame(int frames) : frames_(frames)
    {
        setWindowed(true);
        auto screen = std::make_unique<DemoScreen>(window_);
        screen_ = screen.get();
        setScreen(std::move(screen));
    }
    bool create(HINSTANCE instance, TWindow* window) override
    {
        window_ = window;
        if (!TGameFrameG2::create(instance, window))
            return false;
        add(new DemoTask(*screen_, *this, frames_));
        return true;
    }
    bool run() override
    {
        uint32_t now = platform::timeGetTime();
        while (platform::timeDiff(due_, now) > 0) {
            platform::sleepMs(static_cast<uint32_t>(platform::timeDiff(due_, now)));
            now = platform::timeGetTime();
        }
        if (platform::timeDiff(now, due_) >= 16)
            due_ = now - 16;
        due_ += 16;
        return TGameFrameG2::run();
    }
    void terminate() override
    {
        TGameFrameG2::terminate();
        window_ = nullptr;
    }

private:
    int frames_;
    TWindow* window_ = nullptr;
    DemoScreen* screen_ = nullptr;
    uint32_t due_ = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    int frames = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--frames N]\n", argv[0]);
            return 2;
        }
    }
    if (!platform::initWindowSystem(platform::Backend::Sdl)) {
        std::fprintf(stderr, "mj-demo: no display could be opened\n");
        return 1;
    }
    std::string commandLine;
    for (int i = 0; i < argc; ++i)
        commandLine += (i ? " " : "") + std::string(argv[i]);
    // The frame keeps the resource store, with its loaders, over the program's folder.
    useStorageForFrames();
    int code;
    {
        TPlayerApp app(identity::kInstanceName, new DemoFrame(frames));
        code = app.run(nullptr, nullptr, commandLine.c_str(), platform::SW_SHOW);
    }
    platform::shutdownWindowSystem();
    return code;
}
