#pragma once
// The one place where a path of the system becomes a path of the operating system.
//
// The system spells paths in Shift-JIS with '\' (or '/') between the parts and compares names
// without regard to case. On disk we have UTF-8 names, '/' separators and a case-sensitive file
// system. So at every OS call:
//  - a '\' becomes '/', except where the byte is the trail byte of a double-byte character;
//  - each name is converted from Shift-JIS to UTF-8;
//  - a name that does not exist as spelled is looked up in its folder without regard to case
//    (ASCII letters; double-byte characters compare exactly), and the spelling on disk is used.
// A path beginning with a separator is absolute; every other path is relative to the current
// working folder.
#include <string>
#include <vector>

namespace platform {

// The parts of a system path, split at separators (runs count as one; empty parts dropped).
std::vector<std::string> splitSystemPath(const std::string& path);

// The OS path for a system path, with the case-insensitive lookup applied to every part that
// does not exist as spelled. Parts past the first one that cannot be found keep their spelling
// (converted to UTF-8), so the result is also the right name for creating a new file.
std::string toOsPath(const std::string& systemPath);

// The system spelling of an OS path: UTF-8 names back to Shift-JIS, '/' to '\'.
std::string fromOsPath(const std::string& osPath);

// One name (no separators) from Shift-JIS to UTF-8 and back.
std::string nameToOs(const std::string& sjisName);
std::string nameFromOs(const std::string& utf8Name);

// Whether two OS names are equal without regard to ASCII case.
bool sameNameIgnoringCase(const std::string& a, const std::string& b);

}  // namespace platform
