// The software mixer with 16 voices playing at once, every one resampled (22050 Hz and 32000 Hz
// sources, mono and stereo, at frequencies that are not the output rate), one 1024-frame block at
// a time as the audio device asks for them. "core_share" is the time spent mixing over the
// duration of the sound mixed: the share of one core the mixer takes (the target is 0.02).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "platform/audio_mixer.h"

using namespace platform::audio;

namespace {

void mix16Voices(benchmark::State& state) {
    Mixer mixer(44100);
    std::vector<std::shared_ptr<SoundBuffer>> voices;
    for (int v = 0; v < 16; ++v) {
        const uint16_t channels = v % 2 ? 2 : 1;
        const uint32_t rate = v % 3 ? 22050 : 32000;
        std::vector<int16_t> samples(static_cast<size_t>(rate) * channels * 2);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<int16_t>(8000 * std::sin(0.01 * static_cast<double>(i) * (v + 1)));
        auto b = mixer.createBuffer({channels, rate, 16}, static_cast<uint32_t>(samples.size() * 2));
        b->write(0, samples.data(), b->size());
        b->setFrequency(rate + 37 * static_cast<uint32_t>(v));
        b->setVolume(-100 * v);
        b->setPan(v * 1000 - 8000);
        b->play(true);
        voices.push_back(b);
    }
    constexpr uint32_t kBlock = 1024;
    std::vector<int16_t> out(kBlock * 2);
    for (auto _ : state) {
        mixer.render(out.data(), kBlock);
        benchmark::DoNotOptimize(out.data());
    }
    const double audioSeconds = static_cast<double>(state.iterations()) * kBlock / 44100.0;
    state.counters["core_share"] =
        benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["voice_frames"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlock * 16, benchmark::Counter::kIsRate);
}
BENCHMARK(mix16Voices)->Unit(benchmark::kMicrosecond);

}  // namespace
