#pragma once
// A steady tone to play and the level the manual mixer gives of it, for tests that listen.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio_device.h"

namespace apptest {

// A second of a 1 kHz sine at 10000 of 32767, mono 16-bit at 44.1 kHz, as a WAVE file.
inline std::string toneWave() {
    const uint32_t frames = 44100, bytes = frames * 2;
    std::string w = "RIFF";
    auto put = [&w](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) w += static_cast<char>(v >> (8 * i));
    };
    put(36 + bytes, 4);
    w += "WAVEfmt ";
    put(16, 4), put(1, 2), put(1, 2), put(44100, 4), put(88200, 4), put(2, 2), put(16, 2);
    w += "data";
    put(bytes, 4);
    for (uint32_t i = 0; i < frames; ++i)
        put(static_cast<uint16_t>(static_cast<int16_t>(10000 * std::sin(2 * 3.14159265358979 * 1000 * i / 44100))), 2);
    return w;
}

// The level the manual mixer gives over 20 ms, as a share of the tone's own.
inline double heard() {
    std::vector<int16_t> out(882 * 2);
    platform::headless::manualMixer()->render(out.data(), 882);
    double sum = 0;
    for (size_t i = 0; i < out.size(); i += 2) sum += double(out[i]) * out[i];
    return std::sqrt(sum / 882) / (10000 / std::sqrt(2.0));
}

}  // namespace apptest
