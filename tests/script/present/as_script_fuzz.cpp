// Animation scripts of arbitrary bytes: the parser ends, every jump target lies in the list and
// every image index in the name list.
#include <cstdlib>
#include <string>

#include "framework/stream.h"
#include "script/present/ui/as_script.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    present::TAnisBase anim;
    TMemoryStream stream(const_cast<uint8_t*>(data), static_cast<uint32_t>(size));
    present::TAsScript script(anim);
    int n = script.parse(stream);
    if (n != static_cast<int>(anim.Commands.size())) std::abort();
    for (const auto& cmd : anim.Commands) {
        int32_t target = 0;
        if (auto* j = dynamic_cast<present::TAsCmdJump*>(cmd.get())) target = j->TargetIndex;
        if (auto* f = dynamic_cast<present::TAsCmdCompare*>(cmd.get())) target = f->TargetIndex;
        if (target < 0 || target >= n) std::abort();
        if (auto* i = dynamic_cast<present::TAsCmdImage*>(cmd.get()))
            if (i->ImageIndex >= static_cast<int32_t>(anim.ImageNames.size())) std::abort();
    }
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    const char* seeds[] = {
        "0 s 64 64\r\n0 i a.bmp 0 0\r\n100 i b.bmp 2 2 ; two\r\n200 o 1 -1\r\n300 m 0x10 5\r\n"
        "400 b 128\r\n500 f r < 50 0\r\n600 f x >= 3 100\r\n700 w\r\n800 j 0\r\n",
        "0 i \"\x82\xa0.bmp\" 0 0\n10 j 0",
    };
    std::vector<std::vector<uint8_t>> out;
    for (const char* s : seeds) out.emplace_back(s, s + std::string(s).size());
    return out;
}
