#pragma once
// A sequence of tiles: a hand, a wall, a meld, an option list.
#include <cstddef>
#include <deque>

#include "mahjong/pai.h"

namespace mahjong {

class TPaiArray : public std::deque<TPai> {
public:
    using std::deque<TPai>::deque;
    TPaiArray() = default;
    TPaiArray(const TPaiArray&) = default;
    TPaiArray(TPaiArray&&) = default;
    TPaiArray& operator=(const TPaiArray&) = default;
    TPaiArray& operator=(TPaiArray&&) = default;
    virtual ~TPaiArray() = default;

    // Erases the first tile with the given tile's kind and red flag (and, with onlyFree,
    // state 0). False when there is none.
    virtual bool remove(const TPai& pai, bool onlyFree);
    // Sorts by lessPai; equal tiles keep their order.
    virtual void sort();
    // Tiles in any state other than free first (keeping their order), then the free tiles
    // by kind, a plain five before a red one.
    virtual void sortAlt();
    // From position on, gives the first free tile the state and returns the position after
    // it; returns size() when no free tile follows (then nothing changes).
    virtual size_t setNextFree(size_t position, int state);
};

}  // namespace mahjong
