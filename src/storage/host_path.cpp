#include "storage/host_path.h"

#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

namespace storage_detail {

namespace {

bool isLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

bool sameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

std::string hostPath(const std::string& systemPath, bool forCreate) {
    // Separators: a backslash that is the trail byte of a double-byte character stays.
    std::vector<std::string> parts;
    std::string cur;
    bool absolute = !systemPath.empty() && (systemPath[0] == '\\' || systemPath[0] == '/');
    for (size_t i = 0; i < systemPath.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(systemPath[i]);
        if (isLead(c) && i + 1 < systemPath.size()) {
            cur += systemPath[i];
            cur += systemPath[++i];
            continue;
        }
        if (c == '\\' || c == '/') {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
            continue;
        }
        cur += systemPath[i];
    }
    if (!cur.empty()) parts.push_back(cur);

    std::string out = absolute ? "/" : "";
    std::error_code ec;
    for (size_t k = 0; k < parts.size(); ++k) {
        std::string name = parts[k];
        std::string folder = out.empty() ? "." : out;
        std::string candidate = out + name;
        if (name != "." && name != ".." && !std::filesystem::exists(candidate, ec)) {
            // Not as spelled: look for the same name in another letter case.
            for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
                std::string entry = it->path().filename().string();
                if (sameNoCase(entry, name)) {
                    name = entry;
                    break;
                }
            }
        }
        (void)forCreate;
        out += name;
        if (k + 1 < parts.size()) out += '/';
    }
    return out.empty() && absolute ? "/" : out;
}

}  // namespace storage_detail
