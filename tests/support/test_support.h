#pragma once
// Helpers shared by the test programs.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace mjtest {

// A fresh folder under the system temp folder, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

// What a piece of work cost in memory, run apart from the test.
struct MemoryUse {
    bool finished = false;   // the work ran to its end (no crash, no sanitizer report)
    bool result = false;     // what the work answered
    int64_t peakGrowth = 0;  // bytes: how far the peak resident size rose while it ran
};

// Runs work in a child process, so that its peak memory can be measured without the test
// process's own history in the figure. The work sees a copy of the test's state; nothing it
// changes comes back.
MemoryUse measureMemory(const std::function<bool()>& work);

// The source tree's root, for tests that read committed fixtures.
std::filesystem::path sourceDir();

// The count of a heavy loop (whole matches, long searches): all of it in a build without
// sanitizers, the smaller share under them, where every step costs many times more.
#ifdef MJ_SANITIZED
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
constexpr long heavyCount(long whole, long sanitized) { return kSanitized ? sanitized : whole; }

// Photographs the top-level window of the given title on an X display into an image file whose
// extension gives the format (an 8-bit binary PPM for ".ppm"); false when no such window is
// shown yet or the photograph fails. Never waits for a user to pick a window; gives up after 20
// seconds.
bool photographWindow(const std::string& display, const std::string& title, const std::filesystem::path& file);

}  // namespace mjtest
