// The saved window position ("WindowPos") and the error text built from a table message and an
// argument: any bytes are read without overrun, and the text never treats the message as a format.
#include <cstring>
#include <string>

#include "framework/application_error.h"
#include "framework/frame.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    int x = 0, y = 0;
    TGameFrameGr::parsePosition(text.c_str(), x, y);

    // The first half is a table message, the rest the argument.
    std::string message = text.substr(0, size / 2);
    std::string argument = text.substr(size / 2);
    const TErrorEntry table[] = {{0x1001, message.c_str()}, {0, nullptr}};
    setErrorTable(table);
    TError e(0x1001, argument);
    const std::string& out = e.text();
    // The message's first "%s" is the only thing replaced.
    size_t expected = std::strlen("error 1001: ") + std::strlen(message.c_str());
    if (std::strstr(message.c_str(), "%s")) expected += argument.size() - 2;
    if (out.size() != expected) __builtin_trap();
    setErrorTable(nullptr);
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    auto s = [](const char* t) { return std::vector<uint8_t>(t, t + std::strlen(t)); };
    return {s("100,200"), s("-5,+7"), s("99999999999999999999,1"), s("open %s failed%n%x"), s(" , ")};
}
