#include "support/test_support.h"

#include <cstdlib>
#include <random>
#include <system_error>

namespace mjtest {

TempDir::TempDir()
{
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
        auto p = base / ("mjtest-" + std::to_string(rd()));
        std::error_code ec;
        if (std::filesystem::create_directory(p, ec)) {
            path_ = p;
            return;
        }
    }
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path sourceDir()
{
    if (const char* s = std::getenv("MJ_SOURCE_DIR")) return s;
    return MJ_SOURCE_DIR_FALLBACK;
}

}  // namespace mjtest
