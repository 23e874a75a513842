// Any bytes as a system path: splitting and mapping never fail, no part holds a separator that
// is not a trail byte, and no mapped part holds a '/'.
#include <cstdlib>
#include <string>

#include "platform/codepage.h"
#include "platform/path_map.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path(reinterpret_cast<const char*>(data), size);
    for (const std::string& part : platform::splitSystemPath(path)) {
        if (part.empty()) std::abort();
        const auto* p = reinterpret_cast<const uint8_t*>(part.data());
        const uint8_t* end = p + part.size();
        while (p < end) {
            int len = platform::sjisCharLength(p, end);
            if (len == 1 && (*p == '\\' || *p == '/' || *p == 0)) std::abort();
            p += len;
        }
        if (platform::nameToOs(part).find('/') != std::string::npos) std::abort();
        platform::nameFromOs(part);
    }
    // Under a root that does not exist, so that the lookup fails fast and touches nothing.
    std::string os = platform::toOsPath("\\mj-no-such-root-folder\\" + path);
    if (os.rfind("/mj-no-such-root-folder", 0) != 0) std::abort();
    platform::fromOsPath(os);
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    auto bytes = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    return {bytes("script.pak\\a0001.g2"), bytes("save\\\x95\x5C\\game.ini"), bytes("\\\\server\\share//x\\")};
}
