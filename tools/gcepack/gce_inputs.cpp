#include "gce_inputs.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <unordered_map>

#include "platform/codepage.h"
#include "storage/spi.h"

namespace fs = std::filesystem;

namespace gcepack {

namespace {

bool readWhole(const fs::path& p, std::vector<uint8_t>& out) {
    std::ifstream in(p, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

uint64_t fileTimeOf(const fs::path& p) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0) return 0;
    return fileTimeFromUnix(static_cast<int64_t>(st.st_mtime));
}

// Whether path lies inside root (both canonical).
bool inside(const fs::path& path, const fs::path& root) {
    const fs::path rel = path.lexically_relative(root);
    return !rel.empty() && *rel.begin() != "..";
}

}  // namespace

bool archiveName(const fs::path& relative, std::string& name, std::string& error) {
    const std::string host = relative.generic_string();
    std::string s = platform::toSjis(host);
    if (platform::toUtf8(s) != host) {
        error = "Shift-JIS cannot hold the name " + host;
        return false;
    }
    for (size_t i = 0; i < s.size(); ++i) {
        if (platform::isSjisLead(static_cast<uint8_t>(s[i]))) {
            ++i;  // a trail byte is never a separator
        } else if (s[i] == '/') {
            s[i] = '\\';
        }
    }
    name = std::move(s);
    return true;
}

bool addFile(const fs::path& file, const std::string& name, std::vector<Entry>& entries, std::string& error) {
    Entry e;
    e.name = name;
    if (!readWhole(file, e.data)) {
        error = "cannot read " + file.string();
        return false;
    }
    e.fileTime = fileTimeOf(file);
    entries.push_back(std::move(e));
    return true;
}

bool addFolder(const fs::path& folder, std::vector<Entry>& entries, std::string& error) {
    std::error_code ec;
    const fs::path root = fs::canonical(folder, ec);
    if (ec) {
        error = "cannot read " + folder.string();
        return false;
    }
    std::vector<fs::path> files;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        std::error_code linkError;
        if (it->is_symlink(linkError)) {
            const fs::path target = fs::canonical(it->path(), linkError);
            if (linkError) continue;  // a broken link holds nothing to pack
            if (!inside(target, root)) {
                error = it->path().string() + " links outside " + folder.string();
                return false;
            }
        }
        if (it->is_regular_file(linkError)) files.push_back(it->path());
    }
    if (ec) {
        error = "cannot read " + folder.string() + ": " + ec.message();
        return false;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) {
        // The name inside the folder as spelled, never where a link resolves to.
        std::string name;
        if (!archiveName(f.lexically_relative(folder), name, error) || !addFile(f, name, entries, error)) return false;
    }
    return true;
}

bool checkDistinctNames(const std::vector<Entry>& entries, std::string& error) {
    std::unordered_map<std::string, const std::string*> seen;
    for (const Entry& e : entries) {
        const auto [at, added] = seen.emplace(spiFoldName(e.name), &e.name);
        if (!added) {
            error = "the names " + platform::toUtf8(*at->second) + " and " + platform::toUtf8(e.name) +
                    " differ only in letter case";
            return false;
        }
    }
    return true;
}

std::string listingName(const std::string& name) {
    std::string out;
    const auto* p = reinterpret_cast<const uint8_t*>(name.data());
    const uint8_t* end = p + name.size();
    while (p < end) {
        const uint8_t first = *p;
        const uint32_t code = platform::sjisNextChar(p, end);
        const uint32_t cp = platform::sjisToUnicode(code);
        // C0 controls, DEL and the C1 controls that some terminals obey.
        if (code <= 0xFF && (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F))) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", first);
            out += hex;
        } else {
            platform::appendUtf8(out, cp);
        }
    }
    return out;
}

}  // namespace gcepack
