#pragma once
// Helpers shared by the test programs.
#include <filesystem>
#include <string>

namespace mjtest {

// A fresh folder under the system temp folder, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

// The source tree's root, for tests that read committed fixtures.
std::filesystem::path sourceDir();

}  // namespace mjtest
