#pragma once
// What the process knows about itself.
#include <string>

namespace platform {

// The executable's path in the system's spelling (Shift-JIS, '\' separators), e.g.
// "\opt\game\mj-run"; "" when it cannot be read.
std::string moduleFileName();

}  // namespace platform
