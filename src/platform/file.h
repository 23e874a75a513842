#pragma once
// Files, folders and file times. Every path here is a path of the system (Shift-JIS, '\'
// separators, names compared without regard to case); it is mapped to the OS at each call
// (path_map.h). The results follow what the system expects of its file services: attribute
// words, 100-ns file times since 1601 and the error number of the last failure.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;

// 100-nanosecond ticks since 1601-01-01 00:00:00, split in two 32-bit halves.
struct FILETIME {
    uint32_t dwLowDateTime = 0;
    uint32_t dwHighDateTime = 0;
};

// A broken-down time; the day of week counts from Sunday = 0.
struct SYSTEMTIME {
    uint16_t wYear = 0;
    uint16_t wMonth = 0;
    uint16_t wDayOfWeek = 0;
    uint16_t wDay = 0;
    uint16_t wHour = 0;
    uint16_t wMinute = 0;
    uint16_t wSecond = 0;
    uint16_t wMilliseconds = 0;
};

// What a directory lookup tells about one entry. A time the file system does not keep is
// all zero (creation time on many file systems).
struct FindData {
    uint32_t attributes = 0;
    FILETIME creationTime;
    FILETIME lastAccessTime;
    FILETIME lastWriteTime;
    uint64_t size = 0;
    std::string fileName;   // the entry's own name as spelled on disk, in Shift-JIS
    std::string shortName;  // always empty: there are no 8.3 aliases here
};

// Attribute word of the path, kInvalidFileAttributes when it does not exist.
uint32_t getFileAttributes(const std::string& path);
// Fills out for the entry the path names; false when there is none.
bool findFirstFile(const std::string& path, FindData& out);
// Removes a file (never a folder); false on failure.
bool deleteFile(const std::string& path);
// Makes one folder; false when it exists already or its parent is missing.
bool createDirectory(const std::string& path);
// Replaces the file's whole contents through a temporary file beside it that is renamed into
// place, so a crash leaves either the old file or the new one; the folder must exist.
bool replaceFileContents(const std::string& path, const std::string& bytes);
// The new contents of a file, written whole beside it under a temporary name and put in place
// by commit: several files can be written before any of them replaces its old one, and a crash
// leaves each old or new. Uncommitted, the temporary file goes when the object does.
class FileReplacement {
public:
    FileReplacement() = default;
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // The bytes written beside path (its folder must exist); false when they could not be.
    bool write(const std::string& path, const std::string& bytes);
    // The written file renamed into place; false when that fails (nothing is left behind).
    bool commit();
    // The error number of the step that failed, 0 while none has.
    uint32_t error() const { return error_; }

private:
    std::string osPath_;
    std::vector<char> temporary_;
    int fd_ = -1;
    uint32_t error_ = 0;
};
// The error number of the last failed call on this thread.
uint32_t getLastError();
// What an error number means, in the operating system's words.
std::string errorText(uint32_t code);

// File times.
FILETIME unixToFileTime(int64_t seconds, uint32_t nanoseconds);
// Adds the current offset of local time from UTC (as the system does: the offset of now, not of
// the moment the time stands for).
bool fileTimeToLocalFileTime(const FILETIME& in, FILETIME& out);
// Calendar breakdown of a file time (proleptic Gregorian); false past year 30827.
bool fileTimeToSystemTime(const FILETIME& in, SYSTEMTIME& out);

// Open files. A handle is a small non-negative integer; -1 is none.
using FileHandle = int;
constexpr FileHandle kInvalidFileHandle = -1;

enum class FileAccess { Read, Write, ReadWrite };
enum class FileCreation { OpenExisting, CreateNew, OpenAlways, CreateAlways };

// Opens or creates a file; folders are never opened. kInvalidFileHandle on failure (see
// getLastError).
FileHandle openFile(const std::string& path, FileAccess access, FileCreation creation);
void closeFile(FileHandle h);
// Bytes read or written; 0 on failure or end of file.
uint32_t readFile(FileHandle h, void* buf, uint32_t n);
uint32_t writeFile(FileHandle h, const void* buf, uint32_t n);
// origin 0 begin, 1 current, 2 end. False when the result would be negative or the call fails.
bool seekFile(FileHandle h, int64_t offset, int origin, uint64_t* newPos);
// The live size of the open file; 0 on failure.
uint64_t fileSize(FileHandle h);

}  // namespace platform
