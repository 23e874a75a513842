#include "script/value.h"

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <new>

#include "script/value_exchange.h"

namespace {

// Every kind fits one block; a larger kind would go to the general heap.
constexpr size_t kBlock = 48;
static_assert(sizeof(TIntValue) <= kBlock && sizeof(TStrValue) <= kBlock && sizeof(TIntVar) <= kBlock &&
              sizeof(TBoolVar) <= kBlock && sizeof(TStrVar) <= kBlock);
// Blocks a thread keeps for reuse; more go back to the heap. A deep stack of a few hundred
// values is rare, so this bounds what an idle thread holds to 48 KiB.
constexpr size_t kKept = 1024;

struct FreeBlock {};

// A free block keeps the link to the next one in its last word. The rest of it is poisoned for the
// address checker, so a value used after its deletion (its table pointer comes first) is still
// caught, while the leak checker, which skips poisoned words, can follow the chain of blocks.
constexpr size_t kLinkAt = kBlock - sizeof(FreeBlock*);
static_assert(kLinkAt >= sizeof(void*) && kLinkAt % alignof(FreeBlock*) == 0);

FreeBlock*& linkOf(FreeBlock* b) { return *reinterpret_cast<FreeBlock**>(reinterpret_cast<char*>(b) + kLinkAt); }

// A thread's free blocks, handed back to the heap when the thread ends.
struct FreeBlocks {
    FreeBlock* head = nullptr;
    size_t count = 0;
    bool closed = false;  // the thread is ending: blocks go straight back to the heap

    ~FreeBlocks() {
        closed = true;
        while (FreeBlock* b = take()) ::operator delete(b);
    }
    FreeBlock* take() {
        FreeBlock* b = head;
        if (!b) return nullptr;
        ASAN_UNPOISON_MEMORY_REGION(b, kLinkAt);
        head = linkOf(b);
        --count;
        return b;
    }
    void give(void* p) {
        auto* b = static_cast<FreeBlock*>(p);
        linkOf(b) = head;
        head = b;
        ++count;
        ASAN_POISON_MEMORY_REGION(b, kLinkAt);
    }
};

thread_local FreeBlocks freeBlocks;

}  // namespace

void* TValue::operator new(size_t size) {
    if (size > kBlock) return ::operator new(size);
    if (void* b = freeBlocks.take()) return b;
    return ::operator new(kBlock);
}

void TValue::operator delete(void* p, size_t size) noexcept {
    if (!p) return;
    if (size > kBlock) return ::operator delete(p);
    if (freeBlocks.count < kKept && !freeBlocks.closed) return freeBlocks.give(p);
    ::operator delete(p);
}

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
