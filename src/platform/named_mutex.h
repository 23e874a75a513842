#pragma once
// A process-wide named lock: an exclusive flock on a lock file named after it, held until
// released. A second holder of the same name, in this process or another, is refused.
#include <string>

namespace platform {

class NamedLock {
public:
    NamedLock() = default;
    ~NamedLock() { release(); }
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

    // False when the name is held already (or the lock file cannot be made). The lock file goes
    // again when the lock is released.
    bool acquire(const std::string& name);
    // The same lock on a file the program keeps anyway (an operating-system path; the file is
    // made when missing): no lock file is made for it, and the file stays when it is released.
    bool acquireFile(const std::string& path);
    void release();
    bool held() const { return fd_ >= 0; }

    // The folder of the lock files (tests point it at a temporary folder); "" restores the default.
    static void setFolder(const std::string& folder);

private:
    int fd_ = -1;
    std::string removed_;  // the lock file to remove at release, empty for none
};

}  // namespace platform
