#include "net/log.h"

#include <boost/format.hpp>

#include "platform/clock.h"

namespace net {

TLog::~TLog() { file_.close(); }

bool TLog::open(const std::string& path) {
    TCriticalLock lock(lock_);
    if (!file_.open(path, kFileWrite | kFileOpenAlways)) return false;
    file_.seek(0, 2);
    return true;
}

void TLog::log(const std::string& message) {
    TCriticalLock lock(lock_);
    const std::string stamp = platform::formatLocalTime(now_ ? now_() : platform::unixTime(), "%Y/%m/%d %H:%M:%S");
    std::string line = (boost::format("%1% - %2%") % stamp % message).str();
    // Under the lock, so that lines of different threads never interleave in the file.
    if (file_.isOpen()) {
        const std::string out = line + "\n";
        file_.write(out.data(), static_cast<uint32_t>(out.size()));
    }
    history_.push_back(std::move(line));
    while (history_.size() > kMaxHistory) history_.pop_front();
    if (redraw_) redraw_();
}

void TLog::draw(int x, int y, int depth) {
    TCriticalLock lock(lock_);
    if (!textOut_) return;
    const size_t first = history_.size() > kDrawnLines ? history_.size() - kDrawnLines : 0;
    for (size_t i = first; i < history_.size(); ++i, y += 20) textOut_(history_[i], x, y, kColour, depth);
}

void TLog::setTextOut(TextOut out) {
    TCriticalLock lock(lock_);
    textOut_ = std::move(out);
}

void TLog::setRedraw(std::function<void()> redraw) {
    TCriticalLock lock(lock_);
    redraw_ = std::move(redraw);
}

void TLog::setTime(std::function<int64_t()> now) {
    TCriticalLock lock(lock_);
    now_ = std::move(now);
}

std::vector<std::string> TLog::history() {
    TCriticalLock lock(lock_);
    return {history_.begin(), history_.end()};
}

}  // namespace net
