#pragma once
// What the sound tests share: generated PCM and WAVE images, the manual-clock device, and
// measurements of rendered output.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio_mixer.h"

namespace soundtest {

// Interleaved 16-bit samples of a sine of freq Hz at amplitude (of 32767), frames long.
std::vector<int16_t> sine(uint32_t rate, int channels, double freq, double amplitude, uint32_t frames);
// A counting ramp: sample i of channel c is (i * 7 + c * 1000) wrapped to 16 bits; every byte
// differs from its neighbours, so a misplaced byte shows.
std::vector<int16_t> ramp(int channels, uint32_t frames);
std::vector<uint8_t> bytesOf(const std::vector<int16_t>& samples);

// A RIFF WAVE image: "fmt " (16 bytes, or fmtSize when given), optional extra chunks before
// "data", and the data.
std::vector<uint8_t> waveImage(const std::vector<uint8_t>& data, uint16_t channels, uint32_t rate, uint16_t bits,
                               const std::vector<std::pair<std::string, std::vector<uint8_t>>>& extra = {},
                               uint32_t fmtSize = 16);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readFile(const std::string& path);

// The device over the manual mixer for the life of the object.
class ManualDevice {
public:
    ManualDevice();
    ~ManualDevice();
    platform::audio::Mixer& mixer();
    // Renders frames and returns them (interleaved stereo).
    std::vector<int16_t> pump(uint32_t frames);
};

// Channel c (0 left, 1 right) of interleaved stereo.
std::vector<int16_t> channel(const std::vector<int16_t>& stereo, int c);
double rms(const std::vector<int16_t>& mono);
// The dominant frequency by counting rising zero crossings.
double frequencyOf(const std::vector<int16_t>& mono, uint32_t rate);
// Index of the first sample with |s| > threshold, or size when none.
size_t firstAbove(const std::vector<int16_t>& mono, int threshold);
// Runs a command line; true on exit status 0.
bool run(const std::string& command);
bool haveTool(const std::string& name);

}  // namespace soundtest
