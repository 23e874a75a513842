// The software mixer as a listener hears it: buffers rendered on the manual clock and measured.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/audio_mixer.h"
#include "sound_fixtures.h"

using namespace platform::audio;
using namespace soundtest;

namespace {

std::shared_ptr<SoundBuffer> loaded(Mixer& m, const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate) {
    auto b = m.createBuffer(PcmFormat{channels, rate, 16}, static_cast<uint32_t>(samples.size() * 2));
    b->write(0, samples.data(), b->size());
    return b;
}

std::vector<int16_t> render(Mixer& m, uint32_t frames) {
    std::vector<int16_t> out(frames * 2);
    m.render(out.data(), frames);
    return out;
}

}  // namespace

TEST(Mixer, VolumesInHundredthsOfADecibelScaleTheLevel) {
    // gain = 10^(v / 2000): -600 is about half, -2000 a tenth, -10000 silence.
    EXPECT_FLOAT_EQ(gainOf(0), 1.0f);
    EXPECT_NEAR(gainOf(-600), 0.5012, 1e-4);
    EXPECT_NEAR(gainOf(-2000), 0.1, 1e-6);
    EXPECT_EQ(gainOf(-10000), 0.0f);
    Mixer m;
    auto tone = sine(44100, 1, 441, 20000, 44100);
    for (int v : {0, -600, -2000, -4000}) {
        auto b = loaded(m, tone, 1, 44100);
        b->setVolume(v);
        b->play(false);
        auto out = render(m, 4410);
        EXPECT_NEAR(rms(channel(out, 0)) / (20000 / std::sqrt(2.0)), std::pow(10.0, v / 2000.0), 0.002) << v;
        EXPECT_NEAR(frequencyOf(channel(out, 1), 44100), 441, 1);
    }
    EXPECT_FALSE(loaded(m, tone, 1, 44100)->setVolume(100));  // above full is refused
}

TEST(Mixer, PanAttenuatesTheOtherSide) {
    Mixer m;
    auto tone = sine(44100, 1, 1000, 16000, 8820);
    const double full = 16000 / std::sqrt(2.0);
    for (int pan : {-10000, -600, 0, 600, 10000}) {
        auto b = loaded(m, tone, 1, 44100);
        b->setPan(pan);
        b->play(false);
        auto out = render(m, 4410);
        const double left = rms(channel(out, 0)) / full, right = rms(channel(out, 1)) / full;
        EXPECT_NEAR(left, pan > 0 ? gainOf(-pan) : 1.0, 0.002) << pan;
        EXPECT_NEAR(right, pan < 0 ? gainOf(pan) : 1.0, 0.002) << pan;
    }
}

TEST(Mixer, FrequencyResamplesAndDoublingHalvesTheLength) {
    Mixer m;
    // 22050 Hz source: plays at its own rate with resampling, and twice as fast at 44100.
    auto tone = sine(22050, 2, 500, 12000, 22050);  // one second
    for (uint32_t hz : {0u, 44100u, 11025u}) {
        auto b = loaded(m, tone, 2, 22050);
        ASSERT_TRUE(b->setFrequency(hz));
        b->play(false);
        const uint32_t rate = hz ? hz : 22050;
        const uint32_t expected = static_cast<uint32_t>(44100ull * 22050 / rate);
        auto out = render(m, expected + 1000);
        auto left = channel(out, 0);
        // The pitch follows the rate, and the sound ends after its length at that rate.
        std::vector<int16_t> body(left.begin() + 100, left.begin() + expected - 100);
        EXPECT_NEAR(frequencyOf(body, 44100), 500.0 * rate / 22050, 2) << hz;
        EXPECT_FALSE(b->isPlaying());
        EXPECT_EQ(b->position(), 0u);
        std::vector<int16_t> tail(left.begin() + expected + 2, left.end());
        EXPECT_EQ(rms(tail), 0) << hz;
        EXPECT_GT(rms(std::vector<int16_t>(left.end() - 1200, left.end() - 1000)), 1000) << hz;
    }
    auto b = loaded(m, tone, 2, 22050);
    EXPECT_FALSE(b->setFrequency(50));
    EXPECT_EQ(b->frequency(), 22050u);
}

TEST(Mixer, UnitGainAtTheOutputRatePassesSamplesThroughExactly) {
    Mixer m;
    auto data = ramp(2, 5000);
    auto b = loaded(m, data, 2, 44100);
    b->play(true);
    auto out = render(m, 5000);
    EXPECT_EQ(out, data);
    // Looping wraps back to the first sample.
    auto again = render(m, 10);
    EXPECT_EQ(std::vector<int16_t>(again.begin(), again.end()), std::vector<int16_t>(data.begin(), data.begin() + 20));
    // 8-bit mono: 0x80 is silence, both sides get the sample.
    auto b8 = m.createBuffer(PcmFormat{1, 44100, 8}, 4);
    uint8_t bytes[4] = {0x80, 0xC0, 0x40, 0xFF};
    b->stop();
    b8->write(0, bytes, 4);
    b8->play(false);
    auto eight = render(m, 4);
    EXPECT_EQ(eight, (std::vector<int16_t>{0, 0, 16384, 16384, -16384, -16384, 32512, 32512}));
}

TEST(Mixer, DuplicatesShareTheDataAndMix) {
    Mixer m;
    auto tone = sine(44100, 1, 441, 8000, 4410);
    auto a = loaded(m, tone, 1, 44100);
    auto b = m.duplicate(*a);
    ASSERT_TRUE(b);
    a->play(false);
    auto one = channel(render(m, 2000), 0);
    a->stop();
    a->setPosition(0);
    a->play(false);
    b->play(false);
    auto two = channel(render(m, 2000), 0);
    EXPECT_NEAR(rms(two), 2 * rms(one), 2);
    EXPECT_EQ(m.playingCount(), 2u);
    // A write through one is heard through the other.
    std::vector<int16_t> zeros(tone.size(), 0);
    a->write(0, zeros.data(), a->size());
    EXPECT_EQ(rms(channel(render(m, 1000), 0)), 0);
}

TEST(Mixer, NotificationsFireAtTheirOffsetsAndOnStop) {
    Mixer m;
    auto b = m.createBuffer(PcmFormat{2, 44100, 16}, 4000 * 4);
    auto sig = std::make_shared<Signal>();
    ASSERT_TRUE(b->setNotifications({{1000 * 4, sig, 1}, {3000 * 4, sig, 2}, {Notification::kOffsetStop, sig, 4}}));
    b->play(true);
    EXPECT_FALSE(b->setNotifications({}));  // not while playing
    render(m, 1000);
    EXPECT_EQ(sig->peek(), 0u);
    render(m, 1);
    EXPECT_EQ(sig->wait(0), 1u);
    render(m, 1999);
    EXPECT_EQ(sig->peek(), 0u);
    render(m, 1);
    EXPECT_EQ(sig->wait(0), 2u);
    // Across the wrap: both fire again within one long block.
    render(m, 4000);
    EXPECT_EQ(sig->wait(0), 3u);
    b->stop();
    EXPECT_EQ(sig->wait(0), 4u);
    b->stop();  // stopping a stopped buffer signals nothing
    EXPECT_EQ(sig->peek(), 0u);
    // A one-shot buffer that plays to its end signals the stop too.
    b->setPosition(0);
    b->play(false);
    render(m, 5000);
    EXPECT_EQ(sig->wait(0), 1u | 2u | 4u);
}

TEST(Mixer, FadeRampsDownInsideTheMixerThenStopsAndRewinds) {
    Mixer m;
    auto b = loaded(m, sine(44100, 2, 1000, 16000, 44100), 2, 44100);
    b->play(true);
    render(m, 1000);
    ASSERT_TRUE(b->fadeOutAndStop(25, true));
    EXPECT_TRUE(b->isPlaying());  // the call returns at once
    auto out = channel(render(m, 44100 * 25 / 1000 + 100), 0);
    const size_t q = 44100 / 400;  // quarters of the fade
    double levels[4];
    for (int k = 0; k < 4; ++k) levels[k] = rms(std::vector<int16_t>(out.begin() + k * q, out.begin() + (k + 1) * q));
    EXPECT_GT(levels[0], levels[1]);
    EXPECT_GT(levels[1], levels[2]);
    EXPECT_GT(levels[2], levels[3]);
    EXPECT_FALSE(b->isPlaying());
    EXPECT_EQ(b->position(), 0u);
    EXPECT_EQ(b->volume(), -10000);
    EXPECT_EQ(rms(std::vector<int16_t>(out.end() - 50, out.end())), 0);
}

TEST(Mixer, ABufferLetGoWhileFadingFinishesItsFade) {
    auto m = std::make_unique<Mixer>();
    auto b = loaded(*m, sine(44100, 1, 1000, 16000, 44100), 1, 44100);
    std::weak_ptr<SoundBuffer> watch = b;
    b->play(true);
    b->fadeOutAndStop(25, true);
    m->retainUntilStopped(std::move(b));
    auto out = channel(render(*m, 400), 0);
    EXPECT_GT(rms(out), 1000);  // still heard, fading
    EXPECT_FALSE(watch.expired());
    render(*m, 2000);
    EXPECT_TRUE(watch.expired());  // dropped once stopped
    // A mixer going away takes what still lingers with it.
    auto c = loaded(*m, sine(44100, 1, 1000, 16000, 44100), 1, 44100);
    watch = c;
    c->play(true);
    c->fadeOutAndStop(1000, true);
    m->retainUntilStopped(std::move(c));
    m.reset();
    EXPECT_TRUE(watch.expired());
}
