// Arbitrary terminated text through the Shift-JIS helpers that walk C strings and fill buffers.
#include <cstring>
#include <string>

#include "framework/sjis.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    size_t split = data[0] % size;
    std::string a(reinterpret_cast<const char*>(data + 1), split ? split - 1 : 0);
    std::string b(reinterpret_cast<const char*>(data + 1 + a.size()), size - 1 - a.size());
    const char* s = a.c_str();
    uint32_t code = nsSJIS::getChar(b.c_str());

    (void)nsSJIS::strChr(s, code);
    (void)nsSJIS::strRChr(s, code);
    (void)nsSJIS::strStr(s, b.c_str());
    (void)nsSJIS::strCharCount(s, data[0] & 1 ? -1 : 3);
    (void)nsSJIS::replaceFirst(a, b, "xy");
    (void)nsSJIS::replaceChar(a, code, 0x82A0);
    for (const char* p = s; *p; p = nsSJIS::next(p)) (void)nsSJIS::getChar(p);
    const auto* first = reinterpret_cast<const uint8_t*>(a.data());
    for (size_t i = 0; i < a.size(); ++i) (void)nsSJIS::isWholeChar(first + i, first + a.size() - 1);

    // Buffers sized exactly by their contracts (and smaller), so any overrun trips the sanitizer.
    size_t n = data[0] % 16;
    std::string small(n, '\0');
    char* buf = small.data();
    nsSJIS::strNCopy(buf, s, n);
    nsSJIS::strToZenkaku(buf, n, s);
    nsSJIS::mbCopy(buf, n, s);
    if (n) {
        buf[0] = 0;
        nsSJIS::strCatChar(buf, n, code);
        strCopy(buf, n, s);
        strCat(buf, n, b.c_str());
    }
    std::u16string w(n, u'\0');
    toUtf16(w.data(), n, s, static_cast<int>(a.size()));
    utf8ToSjisBuf(buf, n, reinterpret_cast<const uint8_t*>(b.data()), static_cast<int>(b.size()));
    std::u16string wb(reinterpret_cast<const char16_t*>(b.data()), b.size() / 2);
    utf16ToSjisBuf(buf, n, wb.data(), static_cast<int>(wb.size()));
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    return {{5, 'a', 0x95, 0x5C, '\\', 0x82, 0xA0, '\\', 0xB1}, {9, 0x82, 0xA0, 'a', 'b', 0xE3, 0x81, 0x82, 0x81}};
}
