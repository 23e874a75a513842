#include "graphics/profile_reader.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "framework/stream.h"
#include "platform/codepage.h"

namespace graphics {

int32_t parseNumber(const char* text, const char** end) {
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    int base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && std::isxdigit(static_cast<unsigned char>(p[2]))) {
        base = 16;
        p += 2;
    } else if (p[0] == '0') {
        base = 8;
    }
    int64_t value = 0;
    const int64_t limit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    const char* digits = p;
    for (;; ++p) {
        const char c = *p;
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            break;
        if (d >= base) break;
        value = std::min<int64_t>(value * base + d, limit);
    }
    if (end) *end = p == digits ? text : p;
    if (negative) return static_cast<int32_t>(-value);
    return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

size_t findSjis(const std::string& text, char ch, size_t from) {
    const auto* base = reinterpret_cast<const uint8_t*>(text.data());
    const uint8_t* end = base + text.size();
    for (const uint8_t* p = base + std::min(from, text.size()); p < end;) {
        if (*p == static_cast<uint8_t>(ch)) return static_cast<size_t>(p - base);
        p += platform::sjisCharLength(p, end);
    }
    return std::string::npos;
}

bool TProfileReader::read(TStream& stream) {
    clearLines();
    std::string line;
    while (!stream.isEof()) {
        const uint32_t before = stream.tell();
        stream.readLine(line);
        // A stream that neither moves nor reports its end has nothing more to give.
        if (stream.tell() == before && line.empty()) break;
        lines_.push_back(line);
    }
    index();
    return true;
}

void TProfileReader::clearLines() {
    lines_.clear();
    section_.clear();
    entries_.clear();
}

bool TProfileReader::setSection(const std::string& name) {
    section_ = name;
    return true;
}

void TProfileReader::index() {
    bool inSection = false;
    std::string current;
    for (const std::string& line : lines_) {
        if (!line.empty() && line[0] == '[') {
            const size_t close = findSjis(line, ']', 1);
            if (close != std::string::npos && close > 1) {
                current = line.substr(1, close - 1);
                inSection = true;
            }
            continue;
        }
        const size_t eq = line.find('=');
        if (!inSection || eq == std::string::npos || eq == 0) continue;
        entries_.emplace(std::make_pair(current, line.substr(0, eq)), line.substr(eq + 1));
    }
}

std::string TProfileReader::getString(const std::string& key, const std::string& def) const {
    const auto it = entries_.find({section_, key});
    return it == entries_.end() ? def : it->second;
}

int32_t TProfileReader::getInt(const std::string& key, int32_t def) const {
    const std::string value = getString(key, std::string());
    return value.empty() ? def : parseNumber(value);
}

size_t TProfileReader::getList(const std::string& key, std::vector<std::string>& list) const {
    const std::string value = getString(key, std::string());
    if (value.empty()) return 0;
    size_t from = 0;
    for (;;) {
        const size_t comma = findSjis(value, ',', from);
        list.push_back(value.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (comma == std::string::npos) break;
        from = comma + 1;
    }
    return list.size();
}

}  // namespace graphics
