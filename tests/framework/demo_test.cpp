// The demo program on an X display: it draws its window (checked on a photograph of the window)
// and exits 0, here when asked to end by a signal while its task still runs, and on its own when
// its task ends. Runs when it is given a display of its own (MJ_XDISPLAY, see tools/with-xvfb.sh).
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "framework/application.h"
#include "support/test_support.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

fs::path demoPath() { return fs::read_symlink("/proc/self/exe").parent_path() / "mj-demo"; }

pid_t spawnDemo(const std::string& display, std::vector<std::string> args) {
    std::vector<std::string> env = {"DISPLAY=" + display, "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy"};
    for (char** e = environ; *e; ++e) {
        std::string s = *e;
        if (s.rfind("DISPLAY=", 0) && s.rfind("SDL_", 0)) env.push_back(s);
    }
    args.insert(args.begin(), demoPath().string());
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
    return pid;
}

// Pixels of the demo's background colour in a binary PPM screenshot.
long countBackground(const fs::path& ppm) {
    std::ifstream in(ppm, std::ios::binary);
    std::string magic;
    int w = 0, h = 0, max = 0;
    in >> magic >> w >> h >> max;
    in.get();
    if (magic != "P6" || w <= 0 || h <= 0 || max != 255) return -1;
    std::vector<unsigned char> px(static_cast<size_t>(w) * h * 3);
    in.read(reinterpret_cast<char*>(px.data()), static_cast<std::streamsize>(px.size()));
    long n = 0;
    for (size_t i = 0; i + 2 < px.size(); i += 3)
        if (px[i] == 0x20 && px[i + 1] == 0xC0 && px[i + 2] == 0x40) ++n;
    return n;
}

int waitExit(pid_t pid) {
    int status = 0;
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

class DemoTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* d = std::getenv("MJ_XDISPLAY");
        if (!d || !*d) GTEST_SKIP() << "no X display (MJ_XDISPLAY) for the demo";
        display = d;
        ASSERT_TRUE(fs::exists(demoPath())) << demoPath() << " is not built";
    }
    std::string display;
};

}  // namespace

TEST_F(DemoTest, DrawsItsWindowIsPhotographedAndEndsWithZero) {
    pid_t pid = spawnDemo(display, {});
    ASSERT_GT(pid, 0);
    // The screenshot is kept beside the test for people to look at.
    const fs::path png = fs::current_path() / "demo_screenshot.png";
    const fs::path ppm = fs::current_path() / "demo_screenshot.ppm";
    long green = 0;
    for (int attempt = 0; attempt < 40 && green < 200000; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        // The window alone, so nothing else on the display can stand in front of it.
        if (mjtest::photographWindow(display, identity::kInstanceName, ppm)) green = countBackground(ppm);
    }
    mjtest::photographWindow(display, identity::kInstanceName, png);
    // Nearly all of the 640 x 480 client area is the background.
    EXPECT_GT(green, 200000);
    EXPECT_TRUE(fs::exists(png));
    kill(pid, SIGTERM);  // the window is asked to close: the program ends normally
    EXPECT_EQ(waitExit(pid), 0);
}

TEST_F(DemoTest, EndsWithZeroWhenItsOnlyTaskEnds) {
    pid_t pid = spawnDemo(display, {"--frames", "20"});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(waitExit(pid), 0);
}
