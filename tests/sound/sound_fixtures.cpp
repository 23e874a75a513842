#include "sound_fixtures.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/audio_device.h"
#include "sound/direct_sound.h"

namespace soundtest {

std::vector<int16_t> sine(uint32_t rate, int channels, double freq, double amplitude, uint32_t frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * channels);
    for (uint32_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            out[i * channels + c] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * freq * i / rate)));
    return out;
}

std::vector<int16_t> ramp(int channels, uint32_t frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * channels);
    for (uint32_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            out[i * channels + c] = static_cast<int16_t>(static_cast<uint16_t>(i * 7 + c * 1000 + i / 37));
    return out;
}

std::vector<uint8_t> bytesOf(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> out(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        out[2 * i] = static_cast<uint8_t>(samples[i] & 0xFF);
        out[2 * i + 1] = static_cast<uint8_t>((static_cast<uint16_t>(samples[i]) >> 8) & 0xFF);
    }
    return out;
}

namespace {
void put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void putChunk(std::vector<uint8_t>& v, const std::string& id, const std::vector<uint8_t>& body) {
    v.insert(v.end(), id.begin(), id.end());
    put32(v, static_cast<uint32_t>(body.size()));
    v.insert(v.end(), body.begin(), body.end());
    if (body.size() % 2) v.push_back(0);
}
}  // namespace

std::vector<uint8_t> waveImage(const std::vector<uint8_t>& data, uint16_t channels, uint32_t rate, uint16_t bits,
                               const std::vector<std::pair<std::string, std::vector<uint8_t>>>& extra,
                               uint32_t fmtSize) {
    std::vector<uint8_t> fmt;
    put16(fmt, 1);
    put16(fmt, channels);
    put32(fmt, rate);
    put32(fmt, rate * channels * bits / 8);
    put16(fmt, static_cast<uint16_t>(channels * bits / 8));
    put16(fmt, bits);
    fmt.resize(fmtSize, 0);
    std::vector<uint8_t> body = {'W', 'A', 'V', 'E'};
    putChunk(body, "fmt ", fmt);
    for (const auto& [id, bytes] : extra) putChunk(body, id, bytes);
    putChunk(body, "data", data);
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    put32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

ManualDevice::ManualDevice() {
    platform::headless::useManualAudio(true);
    TDirectSound::createInstance(nullptr, nullptr, 44100, 16, true);
}

ManualDevice::~ManualDevice() { TDirectSound::destroyInstance(); }

platform::audio::Mixer& ManualDevice::mixer() { return *TDirectSound::getDevice(); }

std::vector<int16_t> ManualDevice::pump(uint32_t frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    mixer().render(out.data(), frames);
    return out;
}

std::vector<int16_t> channel(const std::vector<int16_t>& stereo, int c) {
    std::vector<int16_t> out(stereo.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) out[i] = stereo[2 * i + c];
    return out;
}

double rms(const std::vector<int16_t>& mono) {
    if (mono.empty()) return 0;
    double sum = 0;
    for (int16_t s : mono) sum += static_cast<double>(s) * s;
    return std::sqrt(sum / mono.size());
}

double frequencyOf(const std::vector<int16_t>& mono, uint32_t rate) {
    size_t first = 0, last = 0, count = 0;
    for (size_t i = 1; i < mono.size(); ++i)
        if (mono[i - 1] < 0 && mono[i] >= 0) {
            if (count == 0) first = i;
            last = i;
            ++count;
        }
    if (count < 2) return 0;
    return static_cast<double>(count - 1) * rate / static_cast<double>(last - first);
}

size_t firstAbove(const std::vector<int16_t>& mono, int threshold) {
    for (size_t i = 0; i < mono.size(); ++i)
        if (std::abs(mono[i]) > threshold) return i;
    return mono.size();
}

bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

bool haveTool(const std::string& name) { return run("command -v " + name + " >/dev/null 2>&1"); }

}  // namespace soundtest
