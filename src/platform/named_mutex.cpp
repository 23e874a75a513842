#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

// Whether the open file is the one the path names now.
bool sameFile(int fd, const std::string& path) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

}  // namespace

void NamedLock::setFolder(const std::string& folder) {
    std::lock_guard lock(folderMutex);
    folderOverride = folder;
}

bool NamedLock::acquire(const std::string& name) {
    release();
    const std::string path = lockFolder() + "/" + fileName(name);
    // A holder removes its file while it still holds it. A lock taken on a file that is no longer
    // the one at the path was taken on one released meanwhile: it is tried again on the file there
    // now. A few tries: only a name taken and let go over and over keeps failing them.
    for (int attempt = 0; attempt < 8; ++attempt) {
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return false;
        }
        if (sameFile(fd, path)) {
            fd_ = fd;
            removed_ = path;
            return true;
        }
        ::close(fd);
    }
    return false;
}

bool NamedLock::acquireFile(const std::string& path) {
    release();
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void NamedLock::release() {
    if (fd_ < 0) return;
    // Removed while still held, so that no one takes a lock on it that the next holder of the
    // name would not see.
    if (!removed_.empty() && sameFile(fd_, removed_)) ::unlink(removed_.c_str());
    removed_.clear();
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace platform
