#pragma once
// The program's random numbers: MT19937 with the older 69069 linear-congruential seeding. Every
// user owns its own instance; a round of mahjong is reproducible from the seed it was built with.
#include <cstdint>

class TRandom {
public:
    static constexpr int N = 624;

    // Unseeded: the first next() seeds with 4357 and then regenerates once more, so an unseeded
    // generator starts with the second block of that seed's sequence.
    TRandom() = default;
    explicit TRandom(uint32_t s) { seed(s); }

    // Fills the state from s and regenerates: the sequence restarts at its first value.
    void seed(uint32_t s);
    uint32_t next();
    // A new block of N outputs; the next value is the block's first.
    void regenerate();

    bool isSeeded() const { return seeded_; }

private:
    bool seeded_ = false;
    int index_ = N;
    uint32_t outputs_[N] = {};
    uint32_t state_[N + 1] = {};  // the last word mirrors the first during regeneration
};
