#pragma once
// A frame's drawing written down instead of drawn: while a surface keeps a record, every
// operation that would write its pixels leaves where it would write and a key of everything that
// decides what it writes (the operation, its geometry and colours, and the pictures it reads, by
// identity and by the stamp of their last change). Two records of consecutive frames say exactly
// where the pictures can differ, without drawing either.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/rect.h"

namespace graphics {

struct DrawOp {
    RECT bounds;   // every pixel the operation may write
    uint64_t key;  // equal keys write equal pixels over equal pixels
    bool whole;    // what it writes depends on where a clip cuts it: it is drawn whole or not at all
};

// The key of one operation, built from its words.
class DrawKey {
public:
    explicit DrawKey(uint32_t op) : h_(0x9E3779B97F4A7C15ull ^ op) {}
    DrawKey& add(uint64_t v) {
        h_ ^= v * 0xFF51AFD7ED558CCDull;
        h_ = (h_ << 31 | h_ >> 33) * 0xC4CEB9FE1A85EC53ull;
        return *this;
    }
    DrawKey& add(const void* p) { return add(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p))); }
    DrawKey& add(const RECT& r) {
        return add(uint64_t(uint32_t(r.left)) << 32 | uint32_t(r.top))
            .add(uint64_t(uint32_t(r.right)) << 32 | uint32_t(r.bottom));
    }
    DrawKey& addBytes(const uint8_t* p, size_t n);
    uint64_t value() const { return h_; }

private:
    uint64_t h_;
};

class DrawRecord {
public:
    void clear() { ops_.clear(); }
    // An operation with nothing to write is left out.
    void add(const RECT& bounds, uint64_t key, bool whole) {
        if (!bounds.empty()) ops_.push_back(DrawOp{bounds, key, whole});
    }
    const std::vector<DrawOp>& ops() const { return ops_; }
    void swap(DrawRecord& other) { ops_.swap(other.ops_); }

private:
    std::vector<DrawOp> ops_;
};

// A new stamp: surfaces take one whenever their pixels may change, so a picture read by a
// recorded operation is known by its identity and its stamp.
uint64_t nextDrawStamp();

// Where the picture drawn by `after` can differ from the one drawn by `before` (both over the
// same surface `area`): disjoint rectangles inside `area`, in which every operation of `after`
// that must be drawn whole lies whole. The operations the two share in the same order are left
// out; many areas come back as their union.
std::vector<RECT> changedAreas(const DrawRecord& before, const DrawRecord& after, const RECT& area);

}  // namespace graphics
