#include "script/format.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kMaxField = 256;

int readNumber(const std::string& f, size_t& i) {
    int n = 0;
    while (i < f.size() && f[i] >= '0' && f[i] <= '9') {
        n = n * 10 + (f[i] - '0');
        if (n > kMaxField) n = kMaxField;
        ++i;
    }
    return n;
}

}  // namespace

std::string g2Format(const std::string& f, const std::vector<int32_t>& values) {
    std::string out;
    size_t next = 0;
    size_t i = 0;
    while (i < f.size()) {
        if (f[i] != '%') {
            out += f[i++];
            continue;
        }
        const size_t start = i++;
        if (i < f.size() && f[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // The conversion is rebuilt from the parts read, so only what is known reaches snprintf.
        std::string spec = "%";
        while (i < f.size() && std::strchr("-+ #0", f[i]) && f[i] != '\0') spec += f[i++];
        if (i < f.size() && f[i] >= '0' && f[i] <= '9') spec += std::to_string(readNumber(f, i));
        if (i < f.size() && f[i] == '.') {
            ++i;
            spec += '.' + std::to_string(readNumber(f, i));
        }
        while (i < f.size() && std::strchr("hlLqjzt", f[i]) && f[i] != '\0') ++i;
        const char conv = i < f.size() ? f[i] : '\0';
        if (conv == '\0' || !std::strchr("diuxXoc", conv)) {
            out.append(f, start, i - start);
            continue;
        }
        ++i;
        const int32_t v = next < values.size() ? values[next] : 0;
        ++next;
        if (conv == 'c') {
            out += static_cast<char>(v);
            continue;
        }
        spec += conv;
        char buf[kMaxField * 2 + 32];
        const int n = std::strchr("di", conv) ? std::snprintf(buf, sizeof buf, spec.c_str(), v)
                                              : std::snprintf(buf, sizeof buf, spec.c_str(), static_cast<unsigned>(v));
        if (n > 0) out.append(buf, static_cast<size_t>(n) < sizeof buf ? static_cast<size_t>(n) : sizeof buf - 1);
    }
    return out;
}
