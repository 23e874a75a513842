#pragma once
// The program's own texts. Source files are UTF-8: the Japanese ones are converted to the
// Shift-JIS the system keeps text in, here and nowhere else.
#include <string>

#include "framework/application.h"
#include "platform/codepage.h"

namespace apptext {

inline constexpr const char* kVersion = "Tovimare Version 1.00";
inline constexpr const char* kCopyright = "Copyright (C) Tovimare. All rights reserved.";
// The caption of the rules engine's and the match server's error boxes.
inline std::string errorCaption() { return identity::kAppName; }
// The lobby's chat dialog.
inline std::string chatPrompt() { return platform::toSjis("相手に送りつけるメッセージを入力して下さい。"); }
inline std::string chatCaption() { return platform::toSjis("メッセージ送信"); }

}  // namespace apptext
