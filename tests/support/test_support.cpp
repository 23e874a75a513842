#include "support/test_support.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <random>
#include <system_error>

namespace mjtest {

TempDir::TempDir() {
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
        auto p = base / ("mjtest-" + std::to_string(rd()));
        std::error_code ec;
        if (std::filesystem::create_directory(p, ec)) {
            path_ = p;
            return;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

namespace {

int64_t peakResidentBytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<int64_t>(u.ru_maxrss) * 1024;
}

}  // namespace

MemoryUse measureMemory(const std::function<bool()>& work) {
    MemoryUse use;
    int fds[2];
    if (pipe(fds) != 0) return use;
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return use;
    }
    if (child == 0) {
        // A fresh process's peak starts at what it holds now, not at the parent's peak.
        close(fds[0]);
        const int64_t before = peakResidentBytes();
        const bool result = work();
        const int64_t growth = peakResidentBytes() - before;
        const ssize_t ignored = write(fds[1], &growth, sizeof growth);
        (void)ignored;
        _exit(result ? 0 : 1);
    }
    close(fds[1]);
    int64_t growth = 0;
    const bool got = read(fds[0], &growth, sizeof growth) == sizeof growth;
    close(fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    use.finished = got && WIFEXITED(status) && WEXITSTATUS(status) <= 1;
    use.result = use.finished && WEXITSTATUS(status) == 0;
    use.peakGrowth = growth;
    return use;
}

std::filesystem::path sourceDir() {
    if (const char* s = std::getenv("MJ_SOURCE_DIR")) return s;
    return MJ_SOURCE_DIR_FALLBACK;
}

namespace {

// Single-quoted for the shell.
std::string quoted(const std::string& s) {
    std::string out = "'";
    for (const char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

bool photographWindow(const std::string& display, const std::string& title, const std::filesystem::path& file) {
    // The window is looked up by id first: given a name it cannot find, import falls back to
    // asking the user to click on a window, and would wait for ever.
    const std::string d = quoted(display);
    const std::string cmd = "id=$(timeout 20 xwininfo -display " + d + " -name " + quoted(title) +
                            " 2>/dev/null | sed -n 's/^xwininfo: Window id: \\(0x[0-9a-fA-F]*\\).*/\\1/p')"
                            " && [ -n \"$id\" ] && timeout 20 import -display " +
                            d + " -window \"$id\"" + (file.extension() == ".ppm" ? " -depth 8 " : " ") +
                            quoted(file.string()) + " 2>/dev/null";
    return std::system(cmd.c_str()) == 0;
}

}  // namespace mjtest
