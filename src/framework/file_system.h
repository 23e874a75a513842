#pragma once
// File-system helpers: existence and attribute tests, one file's information, deletion, folder
// creation along a path, splitting and joining paths at backslashes (Shift-JIS aware), and the
// 64-bit calendar time with its conversions and formatting.
//
// Paths are the system's own (Shift-JIS, '\'); the platform layer maps them at the OS call.
// Failure is reported by the result, never by an exception.
#include <cstdint>
#include <string>

#include "platform/file.h"

using platform::FILETIME;
using platform::SYSTEMTIME;

constexpr uint32_t INVALID_FILE_ATTRIBUTES = platform::kInvalidFileAttributes;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = platform::kAttrDirectory;

// Seconds since 1970-01-01 00:00:00 UTC; 0 stands for no time.
using TTime = int64_t;

struct FileInfo {
    TTime creationTime = 0;
    TTime lastWriteTime = 0;
    TTime lastAccessTime = 0;
    uint8_t attributes = 0;  // masked with 0x7F
    uint32_t size = 0;       // low 32 bits
    char fileName[1024] = {};
    char shortName[14] = {};
};

// Attribute word, INVALID_FILE_ATTRIBUTES when the path does not exist.
uint32_t getFileAttributes(const std::string& path);
// Information on the entry the path names; false when there is none. A time the file system
// does not keep is reported as the last write time.
bool findFileInfo(const std::string& path, FileInfo& out);
// True for an existing entry that is not a folder.
bool fileExists(const std::string& path);
// 0 on success, 1 when the file could not be deleted.
int deleteFile(const std::string& path);
// Creates every missing folder of the path ('\' or '/' between the parts; runs count as one).
// True when every part is a folder afterwards and no creation failed; false when the path, or a
// part of it, is an existing file (nothing is created behind it).
bool createPathFolders(const char* path);
// The part before the last backslash (a trail byte 0x5C is not one); empty when there is none.
std::string getFolderPath(const std::string& path);
// path made absolute against the folder base; an absolute path (drive letter, leading
// backslash, or a backslash as second character) comes back unchanged.
std::string combinePath(const std::string& base, const std::string& path);

// mktime of a local broken-down time (month 1-12; dst -1 lets the runtime decide).
TTime makeTime(int year, int month, int day, int hour, int minute, int second, int dst);
// 0 when the year is below 1900, else makeTime.
TTime systemTimeToTime(const SYSTEMTIME& st, int dst);
// Through local file time and broken-down time to makeTime; 0 when a conversion fails.
TTime fileTimeToTime(const FILETIME& ft, int dst);
TTime currentTime();
// strftime of the local time t into at most 127 bytes; empty when t cannot be converted or the
// text would not fit.
std::string formatTime(const TTime& t, const char* format);
