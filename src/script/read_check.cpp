#include "script/read_check.h"

#include "script/names.h"
#include "script/value_exchange.h"

bool TReadCheck::create(const std::string& name, int32_t nbits) {
    if (!TCheckTbl::create(nbits)) return false;
    name_ = name;
    return true;
}

void TReadCheck::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "ReadCheck");
    x.exchangeString("Name", name_);
    TCheckTbl::exchange(x);
}

TReadCheck* TReadCheckList::getOrCreate(const std::string& name, int32_t nbits) {
    for (const auto& t : tables_) {
        if (sameNameIgnoringCase(t->name(), name)) {
            t->resize(nbits);
            return t.get();
        }
    }
    auto t = std::make_unique<TReadCheck>();
    if (!t->create(name, nbits)) return nullptr;
    tables_.push_back(std::move(t));
    return tables_.back().get();
}

void TReadCheckList::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "ReadCheckList");
    if (x.isStoring()) {
        x.putInt("Size", static_cast<int32_t>(tables_.size()));
        for (const auto& t : tables_) t->exchange(x);
        return;
    }
    // A saved table takes at least 13 bytes: two section frames, a name length and a size.
    const int32_t n = x.getCount("Size", 13);
    for (int32_t i = 0; i < n; ++i) {
        auto t = std::make_unique<TReadCheck>();
        t->exchange(x);
        tables_.push_back(std::move(t));
    }
}
