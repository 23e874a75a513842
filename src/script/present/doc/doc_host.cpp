#include "script/present/doc/doc_host.h"

#include "script/value_exchange.h"

namespace present {

std::string DocHost::defaultFace() const {
    return "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";  // ＭＳ ゴシック
}

void DocHost::exchangeAlphaCh(TValueExchange& x, graphics::TAlphaCh*& ch) {
    TValueExchange::TKey key(x, "AlphaChBank");
    std::string name = x.isStoring() && ch ? alphaChName(ch) : std::string();
    bool enable = !name.empty();
    x.exchangeByte("Enable", enable);
    if (!enable) {
        if (x.isLoading()) ch = nullptr;
        return;
    }
    x.exchangeString("Name", name);
    if (x.isLoading()) ch = getAlphaCh(name);
}

}  // namespace present
