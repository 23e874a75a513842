#pragma once
// Little-endian packing for the game messages and the room objects. Messages carry no header:
// fields follow one another with no padding, u32 little-endian, flags one byte each.
#include <cstdint>
#include <vector>

#include "platform/little_endian.h"

namespace game {

using u8 = std::uint8_t;
using i8 = std::int8_t;
using u32 = std::uint32_t;

class TByteWriter {
public:
    explicit TByteWriter(std::vector<u8>& out) : out_(out) {}
    void putU8(u32 v) { out_.push_back(static_cast<u8>(v)); }
    void putU32(u32 v) { le::append(out_, v); }
    void putBytes(const std::vector<u8>& b) { out_.insert(out_.end(), b.begin(), b.end()); }
    // Anything with a toBytes() that returns its own byte form (tiles, rules, profiles).
    template <class T>
    void putObject(const T& obj) {
        putBytes(obj.toBytes());
    }

private:
    std::vector<u8>& out_;
};

// Reads over [data, data + length). Every get fails (returns false, leaves the output alone)
// rather than read past the end; once a get failed the reader stays failed.
class TByteReader {
public:
    TByteReader(const u8* data, u32 length) : p_(data), left_(data ? length : 0) {}
    bool ok() const { return ok_; }
    u32 left() const { return left_; }
    const u8* pos() const { return p_; }

    bool getU8(u8& v) {
        if (!need(1)) return false;
        v = p_[0];
        skip(1);
        return true;
    }
    bool getI8(int& v) {
        u8 b = 0;
        if (!getU8(b)) return false;
        v = static_cast<i8>(b);
        return true;
    }
    bool getU32(u32& v) {
        if (!need(4)) return false;
        v = le::load32(p_);
        skip(4);
        return true;
    }
    bool getFlag(bool& v, u8 bit) {
        u8 b = 0;
        if (!getU8(b)) return false;
        v = (b & bit) != 0;
        return true;
    }
    // An object that decodes itself and reports how many bytes it took (0 = failure).
    template <class T>
    bool getObject(T& obj) {
        if (!ok_) return false;
        u32 n = static_cast<u32>(obj.read(p_, left_));
        if (n == 0 || n > left_) return fail();
        skip(n);
        return true;
    }
    void skip(u32 n) {
        p_ += n;
        left_ -= n;
    }

private:
    bool need(u32 n) { return ok_ && left_ >= n ? true : fail(); }
    bool fail() {
        ok_ = false;
        return false;
    }
    const u8* p_;
    u32 left_;
    bool ok_ = true;
};

}  // namespace game
