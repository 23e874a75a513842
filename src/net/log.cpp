#include "net/log.h"

#include <boost/format.hpp>
#include <exception>

#include "platform/clock.h"
#include "platform/file.h"
#include "platform/path_map.h"

namespace net {

namespace {

// A file grown past the cap (by an earlier program, or edited by hand) is kept as NAME.old, its
// newest kMaxFileBytes at most, and the log begins afresh.
void setAsideIfFull(const std::string& path) {
    TFileStream in;
    if (!in.open(path, kFileRead | kFileOpenExisting)) return;
    const uint32_t size = in.getFileSize();
    if (size < TLog::kMaxFileBytes) return;
    std::string tail(TLog::kMaxFileBytes, '\0');
    in.seek(static_cast<int32_t>(size - TLog::kMaxFileBytes), 0);
    tail.resize(in.read(tail.data(), TLog::kMaxFileBytes));
    in.close();
    platform::replaceFileContents(path + ".old", tail);
    TFileStream(path, kFileWrite | kFileCreateAlways);
}

}  // namespace

TLog::~TLog() { file_.close(); }

std::string TLog::numberedName(const std::string& path, int n) {
    if (n <= 1) return path;
    const size_t folder = path.find_last_of("\\/");
    const size_t dot = path.rfind('.');
    const size_t at = dot != std::string::npos && (folder == std::string::npos || dot > folder) ? dot : path.size();
    return path.substr(0, at) + std::to_string(n) + path.substr(at);
}

bool TLog::open(const std::string& path) {
    TCriticalLock lock(lock_);
    file_.close();
    fileLock_.release();
    // Two copies of the program in one folder would tear each other's lines: each holds a lock
    // on its log file itself, which leaves nothing behind when the program ends however it ends.
    std::string name = path;
    for (int n = 1; n <= kMaxInstances; ++n) {
        if (fileLock_.acquireFile(platform::toOsPath(numberedName(path, n)))) {
            name = numberedName(path, n);
            break;
        }
    }
    try {
        setAsideIfFull(name);
    } catch (const std::exception&) {
        // A file that cannot be begun afresh stays as it is: the cap below still holds.
    }
    if (!file_.open(name, kFileWrite | kFileOpenAlways)) return false;
    file_.seek(0, 2);
    fileBytes_ = file_.getFileSize();
    fileFull_ = fileBytes_ >= kMaxFileBytes;
    return true;
}

void TLog::log(const std::string& message) {
    {
        TCriticalLock lock(lock_);
        const std::string stamp = platform::formatLocalTime(now_ ? now_() : platform::unixTime(), "%Y/%m/%d %H:%M:%S");
        std::string line = (boost::format("%1% - %2%") % stamp % message).str();
        // Under the lock, so that lines of different threads never interleave in the file.
        if (file_.isOpen() && !fileFull_) {
            std::string out = line + "\n";
            // Room is kept for the line that says the file is full.
            if (fileBytes_ + out.size() + 128 > kMaxFileBytes) {
                out = stamp + " - the log file is full: later lines are not written to it\n";
                fileFull_ = true;
            }
            file_.write(out.data(), static_cast<uint32_t>(out.size()));
            fileBytes_ += static_cast<uint32_t>(out.size());
        }
        history_.push_back(std::move(line));
        while (history_.size() > kMaxHistory) history_.pop_front();
    }
    changed_.store(true);
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

void TLog::setTime(std::function<int64_t()> now) {
    TCriticalLock lock(lock_);
    now_ = std::move(now);
}

std::vector<std::string> TLog::history() {
    TCriticalLock lock(lock_);
    return {history_.begin(), history_.end()};
}

std::string TLog::fileName() {
    TCriticalLock lock(lock_);
    return file_.isOpen() ? file_.fileName() : std::string();
}

}  // namespace net
