#include "platform/path_map.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>

#include "platform/codepage.h"

namespace platform {

namespace {

bool exists(const std::string& osPath) {
    struct stat st;
    return ::lstat(osPath.c_str(), &st) == 0;
}

// The entry of folder whose name equals name without regard to case; empty when none. When
// several differ only in case, the lowest in byte order, so the choice never depends on the
// order the folder lists them in.
std::string findIgnoringCase(const std::string& folder, const std::string& name) {
    DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!d) return {};
    std::string found;
    while (dirent* e = ::readdir(d)) {
        if (sameNameIgnoringCase(e->d_name, name) && (found.empty() || found > e->d_name)) found = e->d_name;
    }
    ::closedir(d);
    return found;
}

}  // namespace

std::vector<std::string> splitSystemPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string cur;
    for (size_t i = 0; i < path.size(); ++i) {
        uint8_t b = static_cast<uint8_t>(path[i]);
        if (b == 0) break;
        if (isSjisLead(b) && i + 1 < path.size() && isSjisTrail(static_cast<uint8_t>(path[i + 1]))) {
            cur += path[i];
            cur += path[i + 1];
            ++i;
            continue;
        }
        if (b == '\\' || b == '/') {
            if (!cur.empty()) parts.push_back(std::move(cur));
            cur.clear();
            continue;
        }
        cur += path[i];
    }
    if (!cur.empty()) parts.push_back(std::move(cur));
    return parts;
}

std::string toOsPath(const std::string& systemPath) {
    const bool absolute = !systemPath.empty() && (systemPath[0] == '\\' || systemPath[0] == '/');
    std::vector<std::string> parts = splitSystemPath(systemPath);

    std::string out(absolute ? 1 : 0, '/');
    for (const std::string& p : parts) {
        if (!out.empty() && out.back() != '/') out += '/';
        out += nameToOs(p);
    }
    if (out.empty()) return std::string(absolute ? 1 : 0, '/');
    if (exists(out)) return out;

    // Walk part by part; once a part cannot be found, the rest is kept as spelled.
    out.assign(absolute ? 1 : 0, '/');
    bool searching = true;
    for (const std::string& p : parts) {
        std::string name = nameToOs(p);
        std::string folder = out;
        if (!out.empty() && out.back() != '/') out += '/';
        if (searching && name != "." && name != ".." && !exists(out + name)) {
            std::string real = findIgnoringCase(folder, name);
            if (real.empty())
                searching = false;
            else
                name = real;
        }
        out += name;
    }
    return out;
}

std::string fromOsPath(const std::string& osPath) {
    std::string out;
    std::string cur;
    for (char c : osPath) {
        if (c == '/') {
            out += nameFromOs(cur);
            cur.clear();
            out += '\\';
        } else {
            cur += c;
        }
    }
    out += nameFromOs(cur);
    return out;
}

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string nameToOs(const std::string& sjisName) { return toUtf8(sjisName); }

std::string nameFromOs(const std::string& utf8Name) { return toSjis(utf8Name); }

}  // namespace platform
