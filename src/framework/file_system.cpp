#include "framework/file_system.h"

#include <cstring>
#include <vector>

#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/path_map.h"

namespace {

// Copies s into a fixed buffer of n bytes, cut at a whole Shift-JIS character, terminated.
void copyName(char* dst, size_t n, const std::string& s) {
    size_t i = 0;
    const auto* p = reinterpret_cast<const uint8_t*>(s.data());
    const uint8_t* end = p + s.size();
    while (p < end && *p) {
        int len = platform::sjisCharLength(p, end);
        if (i + len > n - 1) break;
        std::memcpy(dst + i, p, len);
        i += len;
        p += len;
    }
    dst[i] = 0;
}

}  // namespace

uint32_t getFileAttributes(const std::string& path) { return platform::getFileAttributes(path); }

bool findFileInfo(const std::string& path, FileInfo& out) {
    platform::FindData fd;
    if (!platform::findFirstFile(path, fd)) return false;
    out = FileInfo{};
    out.attributes = static_cast<uint8_t>(fd.attributes & 0x7F);
    out.size = static_cast<uint32_t>(fd.size);
    copyName(out.fileName, sizeof out.fileName, fd.fileName);
    copyName(out.shortName, sizeof out.shortName, fd.shortName);
    out.creationTime = fileTimeToTime(fd.creationTime, -1);
    out.lastWriteTime = fileTimeToTime(fd.lastWriteTime, -1);
    out.lastAccessTime = fileTimeToTime(fd.lastAccessTime, -1);
    if (out.creationTime == 0) out.creationTime = out.lastWriteTime;
    if (out.lastAccessTime == 0) out.lastAccessTime = out.lastWriteTime;
    return true;
}

bool fileExists(const std::string& path) {
    platform::FindData fd;
    return platform::findFirstFile(path, fd) && !(fd.attributes & platform::kAttrDirectory);
}

int deleteFile(const std::string& path) { return platform::deleteFile(path) ? 0 : 1; }

bool createPathFolders(const char* path) {
    if (!path) return false;
    uint32_t attr = getFileAttributes(path);
    if (attr != INVALID_FILE_ATTRIBUTES) return (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;

    // A leading "\\" (network prefix) is kept; a lone leading separator, '\' or '/', roots the
    // path. Parts are split Shift-JIS aware, so a trail byte 0x5C never cuts a name in two.
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    std::string result;
    if (separator(path[0])) result.assign(separator(path[1]) ? 2 : 1, '\\');
    bool ok = true;
    for (const std::string& part : platform::splitSystemPath(path)) {
        result += part;
        uint32_t a = getFileAttributes(result);
        if (a != INVALID_FILE_ATTRIBUTES) {
            if (!(a & FILE_ATTRIBUTE_DIRECTORY)) return false;
            ok = true;
        } else if (!platform::createDirectory(result)) {
            ok = false;
        }
        result += '\\';
    }
    return ok;
}

std::string getFolderPath(const std::string& path) {
    const auto* p = reinterpret_cast<const uint8_t*>(path.c_str());
    const uint8_t* end = p + std::strlen(path.c_str());
    const uint8_t* last = nullptr;
    for (const uint8_t* q = p; q < end;) {
        if (*q == '\\') last = q;
        q += platform::sjisCharLength(q, end);
    }
    return last ? path.substr(0, static_cast<size_t>(last - p)) : std::string();
}

std::string combinePath(const std::string& base, const std::string& path) {
    if ((path.size() >= 2 && path[1] == ':') || (!path.empty() && path[0] == '\\') ||
        (path.size() >= 2 && path[1] == '\\'))
        return path;
    if (path.empty() || path[0] != '\\') return base + '\\' + path;
    return base.substr(0, 2) + path;
}

TTime makeTime(int year, int month, int day, int hour, int minute, int second, int dst) {
    return static_cast<TTime>(platform::localToUnixTime(year, month, day, hour, minute, second, dst));
}

TTime systemTimeToTime(const SYSTEMTIME& st, int dst) {
    if (st.wYear < 1900) return 0;
    return makeTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, dst);
}

TTime fileTimeToTime(const FILETIME& ft, int dst) {
    FILETIME local;
    SYSTEMTIME st;
    if (!platform::fileTimeToLocalFileTime(ft, local)) return 0;
    if (!platform::fileTimeToSystemTime(local, st)) return 0;
    return systemTimeToTime(st, dst);
}

TTime currentTime() { return static_cast<TTime>(platform::unixTime()); }

std::string formatTime(const TTime& t, const char* format) {
    return platform::formatLocalTime(static_cast<int64_t>(t), format);
}
