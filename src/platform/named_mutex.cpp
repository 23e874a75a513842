#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

namespace platform {
namespace {

std::mutex folderMutex;
std::string folderOverride;

std::string lockFolder() {
    std::lock_guard lock(folderMutex);
    if (!folderOverride.empty()) return folderOverride;
    const char* run = std::getenv("XDG_RUNTIME_DIR");
    return run && *run ? run : "/tmp";
}

// Names may hold any byte: keep the safe ones and hex-encode the rest, so that no name can
// reach outside the folder.
std::string fileName(const std::string& name) {
    static const char hex[] = "0123456789abcdef";
    std::string out = "mj-";
    for (unsigned char c : name) {
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out + ".lock";
}

}  // namespace

void NamedLock::setFolder(const std::string& folder) {
    std::lock_guard lock(folderMutex);
    folderOverride = folder;
}

bool NamedLock::acquire(const std::string& name) {
    release();
    std::string path = lockFolder() + "/" + fileName(name);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void NamedLock::release() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace platform
