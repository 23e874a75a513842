#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/path_map.h"

namespace platform {

namespace {

thread_local uint32_t g_lastError = 0;

void remember() { g_lastError = static_cast<uint32_t>(errno); }

// Repeats a read or write until all n bytes moved, end of file, or an error (remembered);
// interrupted calls are retried. Returns the bytes moved.
template <typename Byte, typename Op>
uint32_t transferAll(Byte* p, uint32_t n, Op op) {
    uint32_t done = 0;
    while (done < n) {
        ssize_t r = op(p + done, n - done);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            if (r < 0) remember();
            break;
        }
        done += static_cast<uint32_t>(r);
    }
    return done;
}

// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kEpochDelta = 11644473600LL;
constexpr int64_t kTicksPerSecond = 10000000LL;

uint64_t ticksOf(const FILETIME& ft) { return (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }
FILETIME fileTimeOf(uint64_t ticks) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<uint32_t>(ticks);
    ft.dwHighDateTime = static_cast<uint32_t>(ticks >> 32);
    return ft;
}

FILETIME fileTimeOf(const struct statx_timestamp& ts) { return unixToFileTime(ts.tv_sec, ts.tv_nsec); }

uint32_t attributesOf(const std::string& osPath, mode_t mode) {
    uint32_t a = S_ISDIR(mode) ? kAttrDirectory : kAttrArchive;
    if (::access(osPath.c_str(), W_OK) != 0 && errno == EACCES) a |= kAttrReadOnly;
    size_t slash = osPath.find_last_of('/');
    std::string name = slash == std::string::npos ? osPath : osPath.substr(slash + 1);
    if (name.size() > 1 && name[0] == '.' && name != "..") a |= kAttrHidden;
    return a;
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
}

}  // namespace

uint32_t getLastError() { return g_lastError; }

std::string errorText(uint32_t code) { return std::strerror(static_cast<int>(code)); }

FILETIME unixToFileTime(int64_t seconds, uint32_t nanoseconds) {
    if (seconds < -kEpochDelta) return FILETIME{};
    uint64_t ticks = uint64_t(seconds + kEpochDelta) * kTicksPerSecond + nanoseconds / 100;
    return fileTimeOf(ticks);
}

bool fileTimeToLocalFileTime(const FILETIME& in, FILETIME& out) {
    time_t now = ::time(nullptr);
    struct tm lt;
    if (!::localtime_r(&now, &lt)) return false;
    int64_t ticks = static_cast<int64_t>(ticksOf(in)) + int64_t(lt.tm_gmtoff) * kTicksPerSecond;
    if (ticks < 0) return false;
    out = fileTimeOf(static_cast<uint64_t>(ticks));
    return true;
}

bool fileTimeToSystemTime(const FILETIME& in, SYSTEMTIME& out) {
    uint64_t ticks = ticksOf(in);
    if (ticks >= 0x8000000000000000ULL) return false;
    int64_t secs = static_cast<int64_t>(ticks / kTicksPerSecond) - kEpochDelta;
    int64_t days = secs >= 0 ? secs / 86400 : -((-secs + 86399) / 86400);
    int64_t rem = secs - days * 86400;
    int64_t y;
    unsigned m, d;
    civilFromDays(days, y, m, d);
    if (y > 30827) return false;
    out.wYear = static_cast<uint16_t>(y);
    out.wMonth = static_cast<uint16_t>(m);
    out.wDay = static_cast<uint16_t>(d);
    out.wDayOfWeek = static_cast<uint16_t>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    out.wHour = static_cast<uint16_t>(rem / 3600);
    out.wMinute = static_cast<uint16_t>(rem / 60 % 60);
    out.wSecond = static_cast<uint16_t>(rem % 60);
    out.wMilliseconds = static_cast<uint16_t>(ticks / 10000 % 1000);
    return true;
}

uint32_t getFileAttributes(const std::string& path) {
    std::string os = toOsPath(path);
    struct stat st;
    if (os.empty() || ::stat(os.c_str(), &st) != 0) {
        remember();
        return kInvalidFileAttributes;
    }
    return attributesOf(os, st.st_mode);
}

bool findFirstFile(const std::string& path, FindData& out) {
    std::string os = toOsPath(path);
    struct statx sx;
    if (os.empty() || ::statx(AT_FDCWD, os.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
        remember();
        return false;
    }
    out = FindData{};
    out.attributes = attributesOf(os, sx.stx_mode);
    out.size = S_ISDIR(sx.stx_mode) ? 0 : sx.stx_size;
    out.lastWriteTime = fileTimeOf(sx.stx_mtime);
    out.lastAccessTime = (sx.stx_mask & STATX_ATIME) ? fileTimeOf(sx.stx_atime) : FILETIME{};
    out.creationTime = (sx.stx_mask & STATX_BTIME) ? fileTimeOf(sx.stx_btime) : FILETIME{};
    size_t slash = os.find_last_of('/');
    out.fileName = nameFromOs(slash == std::string::npos ? os : os.substr(slash + 1));
    return true;
}

bool deleteFile(const std::string& path) {
    std::string os = toOsPath(path);
    struct stat st;
    if (os.empty() || ::lstat(os.c_str(), &st) != 0) {
        remember();
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        g_lastError = EISDIR;
        return false;
    }
    if (::unlink(os.c_str()) != 0) {
        remember();
        return false;
    }
    return true;
}

bool createDirectory(const std::string& path) {
    std::string os = toOsPath(path);
    if (os.empty() || ::mkdir(os.c_str(), 0777) != 0) {
        remember();
        return false;
    }
    return true;
}

FileHandle openFile(const std::string& path, FileAccess access, FileCreation creation) {
    int flags = O_CLOEXEC;
    switch (access) {
        case FileAccess::Read:
            flags |= O_RDONLY;
            break;
        case FileAccess::Write:
            flags |= O_WRONLY;
            break;
        case FileAccess::ReadWrite:
            flags |= O_RDWR;
            break;
    }
    switch (creation) {
        case FileCreation::OpenExisting:
            break;
        case FileCreation::CreateNew:
            flags |= O_CREAT | O_EXCL;
            break;
        case FileCreation::OpenAlways:
            flags |= O_CREAT;
            break;
        case FileCreation::CreateAlways:
            flags |= O_CREAT | O_TRUNC;
            break;
    }
    std::string os = toOsPath(path);
    if (os.empty()) {
        g_lastError = ENOENT;
        return kInvalidFileHandle;
    }
    // A folder is not a file: refuse it before O_TRUNC or a write mode could matter.
    struct stat st;
    if (::stat(os.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        g_lastError = EISDIR;
        return kInvalidFileHandle;
    }
    int fd = ::open(os.c_str(), flags, 0666);
    if (fd < 0) {
        remember();
        return kInvalidFileHandle;
    }
    return fd;
}

void closeFile(FileHandle h) {
    if (h >= 0) ::close(h);
}

uint32_t readFile(FileHandle h, void* buf, uint32_t n) {
    return transferAll(static_cast<char*>(buf), n, [h](auto* p, size_t len) { return ::read(h, p, len); });
}

uint32_t writeFile(FileHandle h, const void* buf, uint32_t n) {
    return transferAll(static_cast<const char*>(buf), n, [h](auto* p, size_t len) { return ::write(h, p, len); });
}

bool seekFile(FileHandle h, int64_t offset, int origin, uint64_t* newPos) {
    int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : -1;
    if (whence < 0) {
        g_lastError = EINVAL;
        return false;
    }
    off_t r = ::lseek(h, static_cast<off_t>(offset), whence);
    if (r < 0) {
        remember();
        return false;
    }
    if (newPos) *newPos = static_cast<uint64_t>(r);
    return true;
}

uint64_t fileSize(FileHandle h) {
    struct stat st;
    if (::fstat(h, &st) != 0) {
        remember();
        return 0;
    }
    return static_cast<uint64_t>(st.st_size);
}

}  // namespace platform
