// The kit's tones: short melodies for the music tracks and blips and chimes for the effects,
// synthesised and encoded as Ogg Vorbis. Each track has its own key, tempo and tune, so that a
// listener can tell which one plays.
#include <algorithm>
#include <cmath>

#include "kit.h"
#include "vorbis_encoder.h"

namespace kit {

namespace {

constexpr long kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

struct Note {
    double hz;
    double start, length;  // seconds
    double level;          // 0 to 1
};

// Notes mixed with a soft attack and an exponential decay, a touch of the second harmonic.
std::vector<int16_t> render(const std::vector<Note>& notes, double seconds) {
    std::vector<double> mix(static_cast<size_t>(seconds * kRate), 0.0);
    for (const Note& n : notes) {
        const size_t from = static_cast<size_t>(n.start * kRate);
        const size_t count = static_cast<size_t>(n.length * kRate);
        for (size_t i = 0; i < count && from + i < mix.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double env = std::min(1.0, t / 0.01) * std::exp(-3.0 * t / n.length);
            mix[from + i] += n.level * env * (std::sin(2 * kPi * n.hz * t) + 0.3 * std::sin(4 * kPi * n.hz * t));
        }
    }
    std::vector<int16_t> out(mix.size());
    for (size_t i = 0; i < mix.size(); ++i)
        out[i] = static_cast<int16_t>(std::lround(std::clamp(mix[i], -1.0, 1.0) * 20000));
    return out;
}

double semitone(double base, int steps) { return base * std::pow(2.0, steps / 12.0); }

}  // namespace

std::vector<uint8_t> musicTrack(int track) {
    // A pentatonic tune over a bass note per bar; four bars, looping cleanly at the end.
    static const int scale[5] = {0, 2, 4, 7, 9};
    const double root = semitone(220.0, (track * 5) % 12);
    const double beat = 0.25 + 0.05 * (track % 4);
    const int beats = 16;
    std::vector<Note> notes;
    uint32_t seed = 0x9E3779B9u * static_cast<uint32_t>(track + 1);
    for (int b = 0; b < beats; ++b) {
        seed = seed * 1664525u + 1013904223u;
        const int degree = static_cast<int>((seed >> 24) % 8);
        const int steps = scale[degree % 5] + 12 * (degree / 5);
        notes.push_back({semitone(root, steps), b * beat, beat * 0.9, 0.35});
        if (b % 4 == 0) notes.push_back({root / 2, b * beat, beat * 3.8, 0.3});
    }
    return encodeVorbis(render(notes, beats * beat), 1, kRate, 0.0f);
}

std::vector<uint8_t> frameEffect(int number) {
    return encodeVorbis(render({{semitone(880.0, number), 0, 0.12, 0.6}}, 0.15), 1, kRate, 0.2f);
}

std::vector<gcepack::Entry> soundPakEntries() {
    std::vector<gcepack::Entry> out;
    const auto add = [&out](const std::string& name, const std::vector<Note>& notes, double seconds) {
        gcepack::Entry e;
        e.name = name;
        e.data = encodeVorbis(render(notes, seconds), 1, kRate, 0.2f);
        out.push_back(std::move(e));
    };
    add("curu.ogg", {{1320, 0, 0.05, 0.5}}, 0.06);                        // pointer onto an item
    add("curk.ogg", {{660, 0, 0.07, 0.6}, {990, 0.07, 0.1, 0.6}}, 0.18);  // an item chosen
    add("se01.ogg", {{784, 0, 0.6, 0.5}, {1047, 0.15, 0.8, 0.4}}, 1.0);   // the story's chime
    add("se02.ogg", {{110, 0, 0.3, 0.8}, {98, 0.05, 0.3, 0.8}}, 0.4);     // the story's door
    return out;
}

}  // namespace kit
