#pragma once
// TCheckTbl: a growable table of flag bits, one per numbered item (bit n is bit n mod 8 of byte
// n / 8), saved through the archive. One class serves both users: the read-text flags of each
// script (TReadCheck) and the seen flags of the image display table (TG2ImgDisp, img_disp.h),
// which takes the fourth operation (a no-op here) to empty its entries.
#include <cstddef>
#include <cstdint>
#include <vector>

class TValueExchange;

class TCheckTbl {
public:
    TCheckTbl() = default;
    virtual ~TCheckTbl() = default;

    // A zeroed table of ceil(nbits / 8) bytes in place of the old one; false when the memory
    // cannot be had.
    virtual bool create(int32_t nbits);
    // Grows to ceil(nbits / 8) bytes, keeping the bits and zeroing the new ones; never shrinks.
    // False when the memory cannot be had (the table stays as it was).
    virtual bool resize(int32_t nbits);
    virtual void release();
    // Nothing here; the image table empties its entries.
    virtual void clearEntries() {}
    // Section "CheckTbl": "Size" (bytes) and "CheckData" (the bytes). A load releases the table
    // first and makes it Size bytes before reading them.
    virtual void exchange(TValueExchange& x);
    // Bit n; a bit outside the table reads false and is not written (the numbers come from
    // script files and saves).
    virtual bool test(int32_t n) const;
    virtual void set(int32_t n);
    virtual void clear(int32_t n);

    int32_t size() const { return static_cast<int32_t>(data_.size()); }  // bytes
    const uint8_t* data() const { return data_.data(); }

private:
    bool inside(int32_t n) const { return n >= 0 && static_cast<size_t>(n) / 8 < data_.size(); }
    std::vector<uint8_t> data_;
};
