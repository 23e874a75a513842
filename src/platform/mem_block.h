#pragma once
// A movable, zero-initialised heap block: what the system hands between the archive plug-ins,
// the resource store and the memory streams. The block object is the "handle": it keeps its
// identity while its bytes move on a resize, so a holder of a reference sees the new bytes.
// Move-only; the bytes are freed with the last owner.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace platform {

class MemBlock {
public:
    MemBlock() = default;
    ~MemBlock() { std::free(data_); }
    MemBlock(const MemBlock&) = delete;
    MemBlock& operator=(const MemBlock&) = delete;
    MemBlock(MemBlock&& o) noexcept : data_(std::exchange(o.data_, nullptr)), size_(std::exchange(o.size_, 0)) {}
    MemBlock& operator=(MemBlock&& o) noexcept {
        if (this != &o) {
            std::free(data_);
            data_ = std::exchange(o.data_, nullptr);
            size_ = std::exchange(o.size_, 0);
        }
        return *this;
    }

    // A zero-filled block of n bytes; an empty block when n is 0 or memory is short.
    static MemBlock allocate(size_t n) {
        MemBlock b;
        b.resize(n);
        return b;
    }

    // Grows or shrinks to n bytes; new bytes are zero. On failure the old bytes stay as they were
    // and false is returned. Resizing to 0 frees the bytes.
    bool resize(size_t n) {
        if (n == 0) {
            reset();
            return true;
        }
        void* p = std::realloc(data_, n);
        if (!p) return false;
        data_ = static_cast<uint8_t*>(p);
        if (n > size_) std::memset(data_ + size_, 0, n - size_);
        size_ = n;
        return true;
    }

    // Gives up the bytes without freeing them: the caller frees them with std::free.
    uint8_t* release() {
        size_ = 0;
        return std::exchange(data_, nullptr);
    }

    void reset() {
        std::free(data_);
        data_ = nullptr;
        size_ = 0;
    }

    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return data_ == nullptr; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace platform
