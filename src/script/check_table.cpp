#include "script/check_table.h"

#include <new>

#include "script/value_exchange.h"

namespace {
size_t bytesFor(int32_t nbits) { return nbits > 0 ? (static_cast<size_t>(nbits) + 7) / 8 : 0; }
}  // namespace

bool TCheckTbl::create(int32_t nbits) {
    try {
        std::vector<uint8_t>(bytesFor(nbits), 0).swap(data_);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool TCheckTbl::resize(int32_t nbits) {
    const size_t n = bytesFor(nbits);
    if (n <= data_.size()) return true;
    try {
        data_.resize(n, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void TCheckTbl::release() { std::vector<uint8_t>().swap(data_); }

void TCheckTbl::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "CheckTbl");
    if (x.isStoring()) {
        x.putInt("Size", size());
        x.putBytes("CheckData", data_.data(), static_cast<uint32_t>(data_.size()));
        return;
    }
    release();
    // The bytes follow the count, so it can be no more than what is left.
    const int32_t n = x.getCount("Size", 1);
    if (n > 0) {
        try {
            data_.assign(static_cast<size_t>(n), 0);
        } catch (const std::bad_alloc&) {
            throwG2Error(kG2ErrExchange);
        }
    }
    x.getBytes("CheckData", data_.data(), static_cast<uint32_t>(data_.size()));
}

bool TCheckTbl::test(int32_t n) const { return inside(n) && (data_[static_cast<size_t>(n) / 8] >> (n % 8) & 1); }

void TCheckTbl::set(int32_t n) {
    if (inside(n)) data_[static_cast<size_t>(n) / 8] |= static_cast<uint8_t>(1u << (n % 8));
}

void TCheckTbl::clear(int32_t n) {
    if (inside(n)) data_[static_cast<size_t>(n) / 8] &= static_cast<uint8_t>(~(1u << (n % 8)));
}
