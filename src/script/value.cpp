#include "script/value.h"

#include <algorithm>

#include "script/value_exchange.h"

void TValue::save(TValueExchange& x) {
    x.putByte("Type", static_cast<uint8_t>(getType()));
    x.putByte("Area", static_cast<uint8_t>(getArea()));
    savePayload(x);
}

void TIntValue::savePayload(TValueExchange& x) { x.exchangeInt("INT", value); }
void TIntValue::load(TValueExchange& x) { x.exchangeInt("INT", value); }
void TStrValue::savePayload(TValueExchange& x) { x.exchangeString("STRING", text); }
void TStrValue::load(TValueExchange& x) { x.exchangeString("STRING", text); }
void TVarValue::savePayload(TValueExchange& x) { x.exchangeInt("VAR", index); }
void TVarValue::load(TValueExchange& x) { x.exchangeInt("VAR", index); }

TValue* TVarValue::addIndex(int32_t n) {
    index = offsetG2Index(index, n);
    return this;
}

std::unique_ptr<TValue> newValue(TG2Memory* memory, int32_t kind, int32_t area, int32_t index) {
    if (kind < kG2Int || kind > kG2String || area < kG2Area0 || area > kG2Constant) throwG2Error(kG2ErrMemoryAccess);
    if (area == kG2Constant) {
        if (kind == kG2String) return std::make_unique<TStrValue>();
        return std::make_unique<TIntValue>(0);
    }
    switch (kind) {
        case kG2Int:
            return std::make_unique<TIntVar>(memory, area, index);
        case kG2Bool:
            return std::make_unique<TBoolVar>(memory, area, index);
        default:
            return std::make_unique<TStrVar>(memory, area, index);
    }
}

std::unique_ptr<TValue> loadValue(TValueExchange& x, TG2Memory* memory) {
    const int32_t type = x.getByte("Type");
    const int32_t area = x.getByte("Area");
    std::unique_ptr<TValue> v = newValue(memory, type, area, 0);
    v->load(x);
    return v;
}

std::unique_ptr<TValue> TValueStack::pop() {
    if (values_.empty()) return nullptr;
    std::unique_ptr<TValue> v = std::move(values_.back());
    values_.pop_back();
    return v;
}

void TValueStack::exchange(TValueExchange& x, TG2Memory* memory) {
    TValueExchange::TKey key(x, "ValueStack");
    if (x.isStoring()) {
        x.putInt("Capacity", static_cast<int32_t>(values_.capacity()));
        x.putInt("Size", static_cast<int32_t>(values_.size()));
        for (const auto& v : values_) v->save(x);
        return;
    }
    // A reservation is only a hint: never more than the records the rest could hold.
    const int32_t capacity = x.getInt("Capacity");
    const int32_t size = x.getCount("Size", 3);
    if (capacity > 0) values_.reserve(values_.size() + std::min<size_t>(capacity, x.bytesLeft() / 3));
    for (int32_t i = 0; i < size; ++i) values_.push_back(loadValue(x, memory));
}
