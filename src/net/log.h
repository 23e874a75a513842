#pragma once
// The lobby's log: time-stamped lines kept for the lobby screen, which shows the newest ten, and
// appended to a file. Written from the main thread and from both network threads.
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "framework/critical_section.h"
#include "framework/stream.h"
#include "platform/named_mutex.h"

namespace net {

class TLog {
public:
    // Lines kept in memory; the screen shows only the newest kDrawnLines.
    static constexpr size_t kMaxHistory = 1000;
    static constexpr size_t kDrawnLines = 10;
    static constexpr uint32_t kColour = 0xFFC8C8C8;
    // The file stops growing near this size, with one line saying so. A file found at it when
    // the log opens is kept as NAME.old and begun afresh.
    static constexpr uint32_t kMaxFileBytes = 1024 * 1024;
    // Copies of the program in one folder keep a log each: "net.log" for the first, then
    // "net2.log" and on while the earlier ones are in use.
    static constexpr int kMaxInstances = 16;

    // Where drawn lines go: the frame's text objects in the program, a recorder in tests.
    using TextOut = std::function<void(const std::string& text, int x, int y, uint32_t colour, int depth)>;

    TLog() = default;
    virtual ~TLog();
    TLog(const TLog&) = delete;
    TLog& operator=(const TLog&) = delete;

    // Opens path (or the first of its numbered names that no other log holds) for appending;
    // false when it cannot be opened (lines then stay in memory only).
    virtual bool open(const std::string& path);
    virtual void log(const std::string& message);
    // The newest ten lines from (x, y) down, 20 pixels apart.
    virtual void draw(int x, int y, int depth);

    void setTextOut(TextOut out);
    // The local time stamps use this clock (seconds since the epoch); the system's by default.
    void setTime(std::function<int64_t()> now);
    std::vector<std::string> history();
    // Whether a line was logged, on any thread, since the last call: the frame's thread asks the
    // screen to be drawn again.
    bool takeChanged() { return changed_.exchange(false); }
    // The file the log writes to; empty while none is open.
    std::string fileName();

    // "net.log" numbered n: "net2.log" (the first is the name itself).
    static std::string numberedName(const std::string& path, int n);

private:
    TFileStream file_;
    platform::NamedLock fileLock_;
    uint32_t fileBytes_ = 0;
    bool fileFull_ = false;
    std::deque<std::string> history_;
    TextOut textOut_;
    std::function<int64_t()> now_;
    std::atomic<bool> changed_{false};
    TCriticalSection lock_;
};

}  // namespace net
