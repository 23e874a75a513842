// Any bytes as an image display table: loading always ends, and every query and bit operation on
// the result stays inside the table; the bits save and load back unchanged.
#include <cstdlib>
#include <string>

#include "framework/stream.h"
#include "script/img_disp.h"
#include "script/value_exchange.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream in(const_cast<uint8_t*>(data), static_cast<uint32_t>(size));
    TG2ImgDisp t;
    t.load(in);
    for (const auto& [id, e] : t.entries()) {
        if (e.index < 0 || e.index >= static_cast<int32_t>(t.entries().size())) std::abort();
        t.setSeen(id);
        if (!e.names.empty() && !t.isSeenByName(e.names.front())) std::abort();
    }
    if (!t.allSeen(nullptr)) std::abort();
    t.setSeen(-5);
    t.set(1 << 30);
    t.clear(-1);
    TMemoryStream m;
    TValueExchange out(&m, true);
    t.exchange(out);
    m.seek(0, 0);
    TG2ImgDisp u;
    TValueExchange back(&m, false);
    u.exchange(back);
    if (u.size() != t.size()) std::abort();
    for (int32_t i = 0; i < t.size() * 8; ++i)
        if (u.test(i) != t.test(i)) std::abort();
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    const std::string seeds[] = {
        "1,ev01a\r\n1,ev01b\r\n2,ev02\r\n;comment\r\n",
        "\"3\",\"a,\"\"b\"\"\"\n4,c;d\n-1,x\n",
        "10,\x82\xa0.png,extra\n11,\x83\x5c\n",
    };
    std::vector<std::vector<uint8_t>> out;
    for (const std::string& s : seeds) out.emplace_back(s.begin(), s.end());
    return out;
}
