#pragma once
// The framework's own Japanese texts, as the Shift-JIS bytes the system uses. Source files are
// UTF-8, so every such text of the framework is written here once and converted with the
// program's code-page tables.
#include <string>

namespace texts {

// "アプリケーションエラー (CODE:0x" : the message of a TException ends with the code and ")".
const std::string& applicationErrorPrefix();
// The chat dialog's prompt, caption, placeholder and Cancel label.
const std::string& chatPrompt();
const std::string& chatCaption();
const std::string& chatPlaceholder();
const std::string& cancelLabel();

}  // namespace texts
