#include "framework/random.h"

namespace {

constexpr int M = 397;
constexpr uint32_t kMatrix = 0x9908B0DFu;
constexpr uint32_t kUpper = 0x80000000u;
constexpr uint32_t kLower = 0x7FFFFFFFu;

inline uint32_t twist(uint32_t cur, uint32_t next, uint32_t far) {
    uint32_t y = (cur & kUpper) | (next & kLower);
    return far ^ (y >> 1) ^ ((y & 1u) ? kMatrix : 0u);
}

}  // namespace

void TRandom::seed(uint32_t s) {
    for (int i = 0; i < N; ++i) {
        state_[i] = s & 0xFFFF0000u;
        s = 69069u * s + 1u;
        state_[i] |= s >> 16;
        s = 69069u * s + 1u;
    }
    seeded_ = true;
    regenerate();
}

void TRandom::regenerate() {
    int k = 0;
    for (; k < N - M; ++k) state_[k] = twist(state_[k], state_[k + 1], state_[k + M]);
    state_[N] = state_[0];
    for (; k < N; ++k) state_[k] = twist(state_[k], state_[k + 1], state_[k - (N - M)]);
    for (int i = 0; i < N; ++i) {
        uint32_t y = state_[i];
        y ^= y >> 11;
        y ^= (y << 7) & 0x9D2C5680u;
        y ^= (y << 15) & 0xEFC60000u;
        y ^= y >> 18;
        outputs_[i] = y;
    }
    index_ = 0;
}

uint32_t TRandom::next() {
    if (index_ >= N) {
        if (!seeded_) seed(4357);
        regenerate();
    }
    return outputs_[index_++];
}
