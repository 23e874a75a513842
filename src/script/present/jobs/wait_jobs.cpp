#include "script/present/jobs/wait_jobs.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "script/present/jobs/job_context.h"
#include "script/value_exchange.h"
#include "sound/media.h"
#include "sound/sound.h"
#include "sound/wave.h"
#include "sound/wave_stream.h"

namespace present {

namespace {

int32_t saturate(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

}  // namespace

const int16_t* quakeSineTable() {
    static const std::array<int16_t, 320> table = [] {
        std::array<int16_t, 320> t{};
        for (size_t i = 0; i < t.size(); ++i)
            t[i] = static_cast<int16_t>(std::lround(256.0 * std::sin(2.0 * M_PI * static_cast<double>(i) / 256.0)));
        return t;
    }();
    return table.data();
}

// ---- wait ----

void TWaitDwarf::reset() {
    TDwarf::reset();
    Kind = kWaitTime;
    Arg = 0;
    StartTime = 0;
}

void TWaitDwarf::begin(TG2Thread* thread, int32_t kind, int32_t arg) {
    TDwarf::begin(thread, true);
    Kind = kind;
    Arg = arg;
}

void TWaitDwarf::beginUntil(TG2Thread* thread, int32_t time) {
    begin(thread, kWaitTime, static_cast<int32_t>(static_cast<uint32_t>(time) - ctx_.now()));
}

bool TWaitDwarf::start() {
    StartTime = ctx_.now();
    return true;
}

bool TWaitDwarf::update() {
    if (ctx_.isPaused()) return true;
    if (ctx_.isSkipping() || (ctx_.input().released & ctx_.clickMask())) {
        finish();
        return false;
    }
    bool done = false;
    if (Kind == kWaitTime) {
        done = Arg <= 0 || ctx_.now() - StartTime >= static_cast<uint32_t>(Arg);
    } else {
        SoundDesk* desk = ctx_.desk();
        TSound::TElement* e = nullptr;
        bool loop = false;
        if (desk && Kind == kWaitBgm) {
            if (TBgm* b = desk->bgm()) e = b, loop = b->getLoop();
        } else if (desk) {
            if (TSe* s = desk->channel(Kind == kWaitSe ? Arg : 255)) e = s, loop = s->getLoop();
        }
        // A looping sound would never end the wait.
        done = !e || loop || !e->isPlaying();
    }
    if (done) {
        finish();
        return false;
    }
    ctx_.requestRedraw();
    return true;
}

void TWaitDwarf::stopAwaited() {
    SoundDesk* desk = ctx_.desk();
    if (!desk) return;
    if (Kind == kWaitBgm) {
        if (TBgm* b = desk->bgm()) b->stop();
    } else if (Kind == kWaitSe || Kind == kWaitVoice) {
        if (TSe* s = desk->channel(Kind == kWaitSe ? Arg : 255)) s->stop();
    }
}

void TWaitDwarf::finish() {
    TDwarf::finish();
    stopAwaited();
    ctx_.clearInput();
    ctx_.requestRedraw();
}

// ---- sync ----

void TSyncDwarf::reset() {
    TDwarf::reset();
    Target = 0;
}

void TSyncDwarf::beginUntil(TG2Thread* thread, int32_t target) {
    TDwarf::begin(thread, true);
    startPending_ = false;
    Target = static_cast<uint32_t>(target);
}

bool TSyncDwarf::update() {
    if (ctx_.isPaused()) return true;
    if (static_cast<int32_t>(ctx_.now() - Target) >= 0) {
        finish();
        return false;
    }
    ctx_.requestRedraw();
    return true;
}

// ---- quake ----

void TQuakeDwarf::reset() {
    TDwarf::reset();
    AmpX = AmpY = Period = Count = 0;
    StartTime = 0;
    NoDecay = false;
    ctx_.moveLayer(0, 0);
}

bool TQuakeDwarf::begin(TG2Thread* thread, int32_t count, int32_t period, int32_t amplitude, int32_t direction,
                        bool noDecay) {
    TDwarf::begin(thread, true);
    startPending_ = false;
    StartTime = ctx_.now();
    Count = count > 0 ? count : 1;
    Period = period > 0 ? period : 1;
    const int32_t degrees = ((direction % 360) + 360) % 360;
    const int32_t a = degrees * 256 / 360;
    const int16_t* table = quakeSineTable();
    AmpX = saturate((int64_t{table[a + 64]} * amplitude) >> 8);
    AmpY = saturate((int64_t{table[a]} * amplitude) >> 8);
    NoDecay = noDecay;
    return true;
}

void TQuakeDwarf::beginWith(TG2Thread* thread, const std::vector<int32_t>& v) {
    auto at = [&](size_t i, int32_t d) { return i < v.size() ? v[i] : d; };
    begin(thread, at(0, 2), at(1, 100), at(2, 40), at(3, 90), at(4, 0) != 0);
}

graphics::POINT TQuakeDwarf::offsetAt(uint32_t elapsed) const {
    const int64_t period = std::max(Period, 1);
    const int64_t total = period * std::max(Count, 1);
    const int32_t s = quakeSineTable()[(int64_t{elapsed} * 256 / period) & 255];
    int64_t x = int64_t{AmpX} * s, y = int64_t{AmpY} * s;
    if (!NoDecay) {
        const int64_t d = std::clamp<int64_t>(120 - int64_t{elapsed} * 120 / total, 0, 120);
        x = x * d / 100;
        y = y * d / 100;
    }
    return {saturate(x >> 8), saturate(y >> 8)};
}

bool TQuakeDwarf::update() {
    if (ctx_.isPaused()) return true;
    const uint32_t elapsed = ctx_.now() - StartTime;
    const graphics::POINT p = offsetAt(elapsed);
    ctx_.moveLayer(p.x, p.y);
    if (int64_t{elapsed} >= int64_t{std::max(Period, 1)} * std::max(Count, 1)) {
        finish();
        return false;
    }
    ctx_.requestRedraw();
    return true;
}

void TQuakeDwarf::finish() {
    TDwarf::finish();
    ctx_.moveLayer(0, 0);
}

void TQuakeDwarf::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "QuakeDwarf");
    TDwarf::exchange(x);
    if (isFinished()) return;
    x.exchangeLong("AmpX", AmpX);
    x.exchangeLong("AmpY", AmpY);
    x.exchangeLong("Period", Period);
    x.exchangeLong("Count", Count);
    x.exchangeByte("NoDecay", NoDecay);
    int32_t gone = static_cast<int32_t>(ctx_.now() - StartTime);
    x.exchangeLong("NowTime", gone);
    if (x.isLoading()) {
        Period = std::max(Period, 1);
        Count = std::max(Count, 1);
        StartTime = ctx_.now() - static_cast<uint32_t>(std::max(gone, 0));
    }
}

// ---- movie ----

void TMediaDwarf::reset() {
    TDwarf::reset();
    Flag = 0;
}

bool TMediaDwarf::begin(TG2Thread* thread, int32_t flags) {
    TDwarf::begin(thread, !(flags & kNoHold));
    Flag = flags;
    return true;
}

bool TMediaDwarf::update() {
    if (ctx_.isPaused()) return true;
    TMedia* media = ctx_.media();
    if (media && media->isOpen()) {
        if (!(Flag & kClickEnds) || !(ctx_.input().released & ctx_.clickMask())) {
            ctx_.requestRedraw();
            return true;
        }
    }
    finish();
    return false;
}

void TMediaDwarf::finish() {
    TDwarf::finish();
    if (TMedia* media = ctx_.media()) media->close();
    ctx_.clearInput();
    ctx_.requestRedraw();
}

void TMediaDwarf::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "MediaDwarf");
    x.exchangeInt("Flag", Flag);
}

}  // namespace present
