#include "script/presentation.h"

#include "script/value_exchange.h"

void EngineMenu::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "MenuBranch");
    if (x.isStoring()) {
        x.putInt("Size", static_cast<int32_t>(entries.size()));
    } else {
        const int32_t n = x.getCount("Size", 4);
        entries.assign(n > 0 ? static_cast<size_t>(n) : 0, {});
    }
    for (Entry& e : entries) {
        x.exchangeInt("Type", e.type);
        x.exchangeInt("Value", e.value);
        x.exchangeString("Text", e.text);
        x.exchangeByte("Cancel", e.cancel);
    }
    x.exchangeInt("Default", defaultEntry);
}
