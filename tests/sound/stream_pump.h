#pragma once
// Renders a playing stream on the manual clock, letting its refill thread catch up after each
// block, as a real device's pace would.
#include <algorithm>

#include "sound/wave_stream.h"
#include "sound_fixtures.h"

namespace soundtest {

inline std::vector<int16_t> pumpStream(ManualDevice& device, TWaveStream& s, uint32_t frames) {
    std::vector<int16_t> out;
    out.reserve(static_cast<size_t>(frames) * 2);
    while (frames > 0) {
        const uint32_t n = std::min<uint32_t>(frames, 2048);
        auto block = device.pump(n);
        out.insert(out.end(), block.begin(), block.end());
        frames -= n;
        // Until the refill thread waits again, or has ended.
        if (auto signal = s.refillSignal())
            for (int tries = 0; tries < 500 && s.isPlaying() && !signal->waitUntilIdle(10); ++tries) {}
    }
    return out;
}

}  // namespace soundtest
