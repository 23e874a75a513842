#include "map_description.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/codepage.h"
#include "script/memory.h"

namespace g2mm {

namespace {

const char* const kKinds[3] = {"int", "bool", "str"};

int kindOf(const std::string& word) {
    for (int k = 0; k < 3; ++k)
        if (word == kKinds[k]) return k;
    return -1;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Splits one line into words; quoted words are unescaped and every word is in Shift-JIS.
bool splitLine(const std::string& line, std::vector<std::string>& words, std::string& error) {
    size_t i = 0;
    std::string utf8;
    std::string word;
    auto flush = [&] {
        word += platform::toSjis(utf8);
        utf8.clear();
    };
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '#') break;
        word.clear();
        if (c != '"') {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') utf8 += line[i++];
            flush();
            words.push_back(word);
            continue;
        }
        for (++i;; ++i) {
            if (i >= line.size()) {
                error = "unterminated quote";
                return false;
            }
            if (line[i] == '"') break;
            if (line[i] != '\\') {
                utf8 += line[i];
                continue;
            }
            if (++i >= line.size()) {
                error = "backslash at the end of the line";
                return false;
            }
            const char e = line[i];
            if (e == 'x') {
                const int hi = i + 1 < line.size() ? hexDigit(line[i + 1]) : -1;
                const int lo = i + 2 < line.size() ? hexDigit(line[i + 2]) : -1;
                if (hi < 0 || lo < 0) {
                    error = "\\x needs two hexadecimal digits";
                    return false;
                }
                flush();
                word += static_cast<char>(hi * 16 + lo);
                i += 2;
            } else if (e == 'n' || e == 'r' || e == 't' || e == '\\' || e == '"') {
                utf8 += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
            } else {
                error = std::string("unknown escape \\") + e;
                return false;
            }
        }
        ++i;
        flush();
        words.push_back(word);
    }
    return true;
}

std::optional<int32_t> number(const std::string& word) {
    if (word.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(word.c_str(), &end, 0);
    if (*end != '\0' || errno != 0 || v < INT32_MIN || v > UINT32_MAX) return std::nullopt;
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

bool statement(const std::vector<std::string>& w, G2MapImage& map, int& area, std::string& error) {
    const std::string& verb = w[0];
    if (verb == "text") {
        if (w.size() != 2) return error = "text takes one text", false;
        map.text = w[1];
        return true;
    }
    if (verb == "area") {
        const auto a = w.size() == 2 ? number(w[1]) : std::nullopt;
        if (!a || *a < 0 || *a > 2) return error = "area takes 0, 1 or 2", false;
        area = *a;
        return true;
    }
    const int kind = w.size() > 1 ? kindOf(w[1]) : -1;
    if (kind < 0) return error = "expected a statement and a kind (int, bool or str)", false;
    G2MapArea& a = map.areas[area];
    if (verb == "length") {
        const auto n = w.size() == 3 ? number(w[2]) : std::nullopt;
        if (!n || *n > kG2MaxArrayLength) return error = "length takes one number up to 262144", false;
        a.lists[kind].length = *n;
        return true;
    }
    if (verb == "name") {
        const auto index = w.size() >= 4 ? number(w[2]) : std::nullopt;
        const auto count = w.size() == 5 ? number(w[4]) : std::optional<int32_t>(0);
        if (!index || !count || w.size() > 5) return error = "name takes an index, a name and a count", false;
        a.lists[kind].names.push_back({*index, w[3], *count});
        return true;
    }
    if (verb == "value") {
        const auto from = w.size() >= 3 ? number(w[2]) : std::nullopt;
        if (!from || *from < 0 || *from >= kG2MaxArrayLength + 8) return error = "value takes a slot", false;
        const size_t at = static_cast<size_t>(*from);
        const size_t end = at + (w.size() - 3);
        for (size_t i = 3; i < w.size(); ++i) {
            const size_t slot = at + i - 3;
            if (kind == kG2String) {
                if (a.strings.size() < end) a.strings.resize(end);
                a.strings[slot] = w[i];
                continue;
            }
            const auto v = number(w[i]);
            if (!v || (kind == kG2Bool && *v != 0 && *v != 1)) return error = "bad value " + w[i], false;
            if (kind == kG2Int) {
                if (a.ints.size() < end) a.ints.resize(end);
                a.ints[slot] = *v;
            } else {
                if (a.bools.size() < end) a.bools.resize(end);
                a.bools[slot] = static_cast<uint8_t>(*v);
            }
        }
        return true;
    }
    error = "unknown statement " + verb;
    return false;
}

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        const auto b = static_cast<uint8_t>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (b < 0x20 || b >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", b);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

bool parseDescription(const std::string& text, G2MapImage& map, std::string& error) {
    map = G2MapImage();
    int area = 0;
    size_t lineNo = 0;
    for (size_t at = 0; at <= text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        ++lineNo;
        std::vector<std::string> words;
        std::string why;
        if (!splitLine(line, words, why) || (!words.empty() && !statement(words, map, area, why))) {
            error = "line " + std::to_string(lineNo) + ": " + why;
            return false;
        }
    }
    return true;
}

std::string formatDescription(const G2MapImage& map) {
    std::string out = "text " + quoted(map.text) + "\n";
    for (int a = 0; a < 3; ++a) {
        const G2MapArea& area = map.areas[a];
        out += "\narea " + std::to_string(a) + "\n";
        for (int k = 0; k < 3; ++k)
            out += std::string("length ") + kKinds[k] + " " + std::to_string(area.lists[k].length) + "\n";
        for (int k = 0; k < 3; ++k)
            for (const G2MapName& n : area.lists[k].names)
                out += std::string("name ") + kKinds[k] + " " + std::to_string(n.index) + " " + quoted(n.name) + " " +
                       std::to_string(n.count) + "\n";
        auto values = [&](int kind, size_t count, auto item) {
            for (size_t i = 0; i < count; i += 16) {
                out += std::string("value ") + kKinds[kind] + " " + std::to_string(i);
                for (size_t j = i; j < count && j < i + 16; ++j) {
                    out += ' ';
                    out += item(j);
                }
                out += "\n";
            }
        };
        values(kG2Int, area.ints.size(), [&](size_t i) { return std::to_string(area.ints[i]); });
        values(kG2Bool, area.bools.size(), [&](size_t i) { return std::string(area.bools[i] ? "1" : "0"); });
        values(kG2String, area.strings.size(), [&](size_t i) { return quoted(area.strings[i]); });
    }
    return out;
}

}  // namespace g2mm
