// Any bytes as a settings file: parsing, lookups, edits and writing back never fail, and a
// written document reads back as itself.
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/ini_profile.h"
#include "support/fuzz.h"

using platform::IniDocument;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    IniDocument doc = IniDocument::parse(in);
    std::string once = doc.serialize();
    if (IniDocument::parse(once).serialize() != once) std::abort();

    // Names and values taken from the input itself.
    std::string_view a = in.substr(0, std::min<size_t>(in.size(), 8));
    std::string_view b = in.size() > 8 ? in.substr(8, 8) : std::string_view();
    std::string value;
    doc.get(a, b, value);
    for (const std::string& s : doc.sectionNames()) doc.keyNames(s);
    doc.removeKey(a, b);
    doc.removeSection(b);

    // A plain key written into any document reads back exactly.
    std::string v;
    for (char c : in.substr(0, std::min<size_t>(in.size(), 32)))
        if (c != '\r' && c != '\n' && c != ' ' && c != '\t' && c != '"' && c != '\'' && c != 0) v += c;
    doc.set("Fuzz", "Key", v);
    IniDocument again = IniDocument::parse(doc.serialize());
    std::string got;
    if (!again.get("fuzz", "KEY", got) || got != v) std::abort();
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    auto bytes = [](std::string_view s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    return {bytes("[Status]\r\nSkipCondition=1\r\nMsgBox = 200 \r\n\r\n[G2Setting]\r\nVolume=\"128\"\r\n"),
            bytes("orphan\n[ A ]\n k = v \n;c\n[\x83\x41]\nkana=x\n[b"), bytes("[Fuzz]\nKey=1\nKey=2\n[fuzz]\nkey=3")};
}
