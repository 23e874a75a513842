#pragma once
// Reads a fuzz input as drawing numbers; past the end every number is zero.
#include <cstddef>
#include <cstdint>

struct FuzzReader {
    const uint8_t* p;
    size_t n;
    int32_t small()  // mostly near the surfaces, sometimes far away
    {
        if (!n) return 0;
        const uint8_t b = *p++;
        --n;
        if (b == 0xFF) return INT32_MAX;
        if (b == 0xFE) return INT32_MIN;
        if (b >= 0xF0) return static_cast<int32_t>(b - 0xF0) * 100000;
        return static_cast<int32_t>(b % 64) - 24;
    }
    uint32_t word() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            if (n) v |= static_cast<uint32_t>(*p++) << (8 * i), --n;
        return v;
    }
};
