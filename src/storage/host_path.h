#pragma once
// Maps a system path (Shift-JIS, backslash separators, case-insensitive names) to the name the
// host's file calls take.
#include <string>

namespace storage_detail {

// `forCreate`: the last component may not exist yet (it is then kept as spelled).
std::string hostPath(const std::string& systemPath, bool forCreate = false);

}  // namespace storage_detail
