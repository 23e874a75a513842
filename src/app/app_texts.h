#pragma once
// The program's own texts (ASCII only; Shift-JIS texts of the screens come from the data files).
#include <string>

#include "framework/application.h"

namespace apptext {

inline constexpr const char* kVersion = "Tovimare Version 1.00";
inline constexpr const char* kCopyright = "Copyright (C) Tovimare. All rights reserved.";
// The caption of the rules engine's and the match server's error boxes.
inline std::string errorCaption() { return identity::kAppName; }

}  // namespace apptext
