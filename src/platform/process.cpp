#include "platform/process.h"

#include <unistd.h>

#include <vector>

#include "platform/path_map.h"

namespace platform {

std::string moduleFileName() {
    std::vector<char> buf(4096);
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return {};
        if (static_cast<size_t>(n) < buf.size()) return fromOsPath(std::string(buf.data(), static_cast<size_t>(n)));
        if (buf.size() >= (1u << 20)) return {};
        buf.resize(buf.size() * 2);
    }
}

}  // namespace platform
