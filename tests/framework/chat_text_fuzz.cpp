// Text typed into the chat dialog, in any bytes: what comes back is at most 510 bytes of whole
// Shift-JIS characters.
#include <cstring>
#include <string>

#include "framework/dialog.h"
#include "platform/codepage.h"
#include "platform/dialog.h"
#include "platform/headless.h"
#include "support/fuzz.h"

using Step = platform::headless::DialogStep;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Byte 0 picks the ending, byte 1 how many backspaces; the rest is typed in two pieces.
    if (size < 2) return 0;
    std::string typed(reinterpret_cast<const char*>(data) + 2, size - 2);
    platform::headless::clearDialogSteps();
    platform::headless::queueDialogStep(Step::Type, typed.substr(0, typed.size() / 2));
    for (int i = 0; i < data[1] % 4; ++i) platform::headless::queueDialogStep(Step::Backspace);
    platform::headless::queueDialogStep(Step::Type, typed.substr(typed.size() / 2));
    static const Step endings[] = {Step::Ok, Step::Cancel, Step::Close, Step::Enter, Step::Escape};
    platform::headless::queueDialogStep(endings[data[0] % 5]);
    TChatDialog dialog("", "", "");
    int result = dialog.doModal(nullptr);
    const std::string& out = dialog.text();
    if (result != 1 && !out.empty()) __builtin_trap();
    if (out.size() > platform::kChatMaxBytes || platform::sjisFitLength(out, out.size()) != out.size())
        __builtin_trap();
    const auto* p = reinterpret_cast<const uint8_t*>(out.data());
    const auto* end = p + out.size();
    while (p < end) {
        // A lead byte is always followed by its trail byte: no half character at the end.
        if (platform::isSjisLead(*p) && end - p < 2) __builtin_trap();
        p += platform::sjisCharLength(p, end);
    }
    platform::headless::clearDialogSteps();
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::string jp = "\x00\x00こんにちは、世界 abc";
    std::string longLine(2, '\0');
    for (int i = 0; i < 300; ++i) longLine += "あ";
    return {std::vector<uint8_t>(jp.begin(), jp.end()), std::vector<uint8_t>(longLine.begin(), longLine.end())};
}
