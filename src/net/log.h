#pragma once
// The lobby's log: time-stamped lines kept for the lobby screen, which shows the newest ten, and
// appended to a file. Written from the main thread and from both network threads.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "framework/critical_section.h"
#include "framework/stream.h"

namespace net {

class TLog {
public:
    // Lines kept in memory; the screen shows only the newest kDrawnLines.
    static constexpr size_t kMaxHistory = 1000;
    static constexpr size_t kDrawnLines = 10;
    static constexpr uint32_t kColour = 0xFFC8C8C8;

    // Where drawn lines go: the frame's text objects in the program, a recorder in tests.
    using TextOut = std::function<void(const std::string& text, int x, int y, uint32_t colour, int depth)>;

    TLog() = default;
    virtual ~TLog();
    TLog(const TLog&) = delete;
    TLog& operator=(const TLog&) = delete;

    // Opens path for appending; false when it cannot be opened (lines then stay in memory only).
    virtual bool open(const std::string& path);
    virtual void log(const std::string& message);
    // The newest ten lines from (x, y) down, 20 pixels apart.
    virtual void draw(int x, int y, int depth);

    void setTextOut(TextOut out);
    void setRedraw(std::function<void()> redraw);
    // The local time stamps use this clock (seconds since the epoch); the system's by default.
    void setTime(std::function<int64_t()> now);
    std::vector<std::string> history();

private:
    TFileStream file_;
    std::deque<std::string> history_;
    TextOut textOut_;
    std::function<void()> redraw_;
    std::function<int64_t()> now_;
    TCriticalSection lock_;
};

}  // namespace net
