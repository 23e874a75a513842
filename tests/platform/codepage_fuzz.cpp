// Arbitrary bytes through every string conversion, as Shift-JIS, UTF-8 and UTF-16.
#include <string>
#include <string_view>

#include "platform/codepage.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    int max = size ? static_cast<int>(data[0]) - 8 : -1;
    std::string a, b;
    platform::sjisToUtf8(a, in, max);
    platform::utf8ToSjis(b, a);
    platform::utf8ToSjis(a, in, max);
    platform::sjisToUtf8(b, a);
    std::u16string w(reinterpret_cast<const char16_t*>(data), size / 2);
    platform::utf16ToSjis(a, w, max);
    platform::sjisToUtf16(w, a);
    // The terminated-string decoder must not read past a terminator.
    std::string z(in);
    for (const auto* p = reinterpret_cast<const uint8_t*>(z.c_str()); *p; p = platform::nextUtf8(p))
        (void)platform::decodeUtf8(p);
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    return {{'a', 0x82, 0xA0, 0x95, 0x5C, 0xE3, 0x81, 0x82, 0xF0, 0x9F, 0x98, 0x80, 0x81}};
}
