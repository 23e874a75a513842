#include "script/present/jobs/fade_jobs.h"

#include <algorithm>

#include "graphics/gr_kinds.h"
#include "script/g2_status.h"
#include "script/present/jobs/job_context.h"
#include "script/value_exchange.h"
#include "sound/sound.h"
#include "sound/wave.h"
#include "sound/wave_stream.h"

namespace present {

namespace {

// A sound that never reports its end (a device that renders nothing) must not hang the game.
constexpr uint32_t kStopPollLimitMs = 500;

int32_t clampVolume(int32_t v) { return std::clamp(v, 0, 255); }

}  // namespace

// ---- screen fade ----

bool TFadeDwarf::begin(TG2Thread* thread, int32_t mode, int32_t time, uint32_t colour) {
    TDwarf::begin(thread, true);
    mode_ = mode == 0 ? 0 : 1;
    time_ = std::max(time, 0);
    colour_ = colour;
    startTime_ = ctx_.now();
    if (graphics::TFade* fade = ctx_.fade()) fade->start(startTime_, mode_, static_cast<uint32_t>(time_), colour, -1);
    return true;
}

void TFadeDwarf::beginWith(TG2Thread* thread, const std::vector<int32_t>& v) {
    auto at = [&](size_t i) { return i < v.size() ? v[i] : 0; };
    begin(thread, at(0), at(1), 0xFF000000u | (static_cast<uint32_t>(at(2)) & 0xFFFFFFu));
}

bool TFadeDwarf::update() {
    if (ctx_.isPaused()) return true;
    graphics::TFade* fade = ctx_.fade();
    const bool clicked = ctx_.input().released & ctx_.clickMask();
    if (!ctx_.isSkipping() && !clicked && fade && fade->state() != graphics::TFade::kIdle) {
        ctx_.requestRedraw();
        return true;
    }
    finish();
    return false;
}

void TFadeDwarf::finish() {
    TDwarf::finish();
    if (graphics::TFade* fade = ctx_.fade()) fade->finish();
    ctx_.clearInput();
    ctx_.requestRedraw();
}

void TFadeDwarf::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "FadeDwarf");
    TDwarf::exchange(x);
    if (isFinished()) return;
    x.exchangeInt("Mode", mode_);
    x.exchangeLong("Time", time_);
    x.exchangeLong("Color", colour_);
    int32_t gone = static_cast<int32_t>(ctx_.now() - startTime_);
    x.exchangeLong("NowTime", gone);
    if (x.isLoading()) {
        mode_ = mode_ == 0 ? 0 : 1;
        time_ = std::max(time_, 0);
        startTime_ = ctx_.now() - static_cast<uint32_t>(std::clamp(gone, 0, time_));
        if (graphics::TFade* fade = ctx_.fade()) {
            fade->start(startTime_, mode_, static_cast<uint32_t>(time_), colour_, -1);
            fade->update(ctx_.now());
        }
    }
}

// ---- volume fades ----

void TVolumeFadeDwarf::reset() {
    TDwarf::reset();
    DefTime = defaultDefTime_;
    Vol = VolStart = VolTarget = 255;
    StartTime = 0;
    Time = 1;
}

bool TVolumeFadeDwarf::isModified() const {
    return thread_ || !finished_ || hold_ || startPending_ || paused_ || deleteWhenFinished_ ||
           DefTime != defaultDefTime_;
}

void TVolumeFadeDwarf::beginRamp(TG2Thread* thread, int32_t flags, int32_t time) {
    thread_ = thread;
    hold_ = (flags & 6) == 6 && thread;
    finished_ = false;
    StartTime = ctx_.now();
    Time = std::max(time, kMinTime);
}

bool TVolumeFadeDwarf::fadeIn(TG2Thread* thread, const std::string& name, int32_t flags, int32_t time) {
    beginRamp(thread, flags, time);
    Type = kIn;
    Vol = VolTarget = ownVolume();
    VolStart = 0;
    setVolume(0);
    openAndPlay(name, flags & 1);
    return true;
}

bool TVolumeFadeDwarf::fadeOut(TG2Thread* thread, int32_t flags, int32_t time) {
    beginRamp(thread, flags, time);
    Type = kOut;
    Vol = VolStart = ownVolume();
    VolTarget = 0;
    return true;
}

bool TVolumeFadeDwarf::fadeTo(TG2Thread* thread, int32_t volume, int32_t flags, int32_t time) {
    beginRamp(thread, flags, time);
    Type = kTo;
    Vol = VolTarget = clampVolume(volume);
    VolStart = ownVolume();
    return true;
}

uint32_t TVolumeFadeDwarf::elapsed() { return ctx_.now() - StartTime; }

bool TVolumeFadeDwarf::update() {
    if (ctx_.isPaused()) return true;
    // A save cut short may have left any length: never divide by less than one.
    const int64_t time = std::max(Time, 1);
    const int64_t e = std::min<int64_t>(elapsed(), time);
    setVolume(static_cast<int32_t>(VolStart + (int64_t{VolTarget} - VolStart) * e / time));
    if (e == time || ctx_.isSkipping()) finish();
    ctx_.requestRedraw();
    return true;
}

void TVolumeFadeDwarf::finish() {
    TDwarf::finish();
    if (Type == kOut) {
        stop();
        for (uint32_t waited = 0; isPlaying() && waited < kStopPollLimitMs; waited += pollMs()) ctx_.sleepMs(pollMs());
    }
    setVolume(Vol);
}

void TVolumeFadeDwarf::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, saveKey());
    TDwarf::exchange(x);
    x.exchangeInt("DefTime", DefTime);
    if (isFinished()) return;
    x.exchangeShort("Type", Type);
    x.exchangeShort("Vol", Vol);
    x.exchangeShort("VolStart", VolStart);
    x.exchangeShort("VolTarget", VolTarget);
    x.exchangeShort("Time", Time);
    int32_t gone = static_cast<int32_t>(std::min<uint32_t>(elapsed(), static_cast<uint32_t>(std::max(Time, 0))));
    x.exchangeInt("NowTime", gone);
    if (x.isLoading()) {
        // A damaged save must not leave a ramp that divides by zero or never ends.
        Time = std::max(Time, kMinTime);
        Type = std::clamp(Type, 0, 2);
        Vol = clampVolume(Vol), VolStart = clampVolume(VolStart), VolTarget = clampVolume(VolTarget);
        StartTime = ctx_.now() - static_cast<uint32_t>(std::clamp(gone, 0, Time));
    }
}

TBgm* TBgmFadeDwarf::bgm() { return ctx_.desk() ? ctx_.desk()->bgm() : nullptr; }
int32_t TBgmFadeDwarf::ownVolume() { return bgm() ? bgm()->getVolume(false) : 255; }
void TBgmFadeDwarf::setVolume(int32_t v) {
    if (TBgm* b = bgm()) b->setVolume(v);
}
bool TBgmFadeDwarf::isPlaying() { return bgm() && bgm()->isPlaying(); }
void TBgmFadeDwarf::stop() {
    if (TBgm* b = bgm()) b->stop();
}
void TBgmFadeDwarf::openAndPlay(const std::string& name, bool loop) {
    if (TBgm* b = bgm()) {
        b->open(name);
        b->play(loop);
    }
}

TSe* TSeFadeDwarf::element() { return ctx_.desk() ? ctx_.desk()->channel(channel_) : nullptr; }
int32_t TSeFadeDwarf::ownVolume() { return element() ? element()->getVolume(false) : 255; }
void TSeFadeDwarf::setVolume(int32_t v) {
    if (TSe* e = element()) e->setVolume(v);
}
bool TSeFadeDwarf::isPlaying() { return element() && element()->isPlaying(); }
void TSeFadeDwarf::stop() {
    if (TSe* e = element()) e->stop();
}
void TSeFadeDwarf::openAndPlay(const std::string& name, bool loop) {
    if (TSe* e = element()) {
        e->setName(name, false);
        e->play(loop);
    }
}

// ---- music lowered under the voice ----

void TBgmLowDwarf::reset() {
    TDwarf::reset();
    Vol = 255;
}

bool TBgmLowDwarf::lower() {
    const TG2Status& s = ctx_.status();
    if (!s.bgmLowWithVoice) return false;
    TBgm* bgm = ctx_.desk() ? ctx_.desk()->bgm() : nullptr;
    // A voice that starts while the music is down keeps the volume it was lowered from.
    if (isFinished()) Vol = bgm ? bgm->getVolume(false) : 255;
    finished_ = false;
    hold_ = startPending_ = paused_ = false;
    if (bgm) bgm->setVolume(clampVolume(s.bgmVolumeWithVoice) * Vol / 255);
    return true;
}

bool TBgmLowDwarf::update() {
    if (ctx_.isPaused()) return true;
    TSe* voice = ctx_.desk() ? ctx_.desk()->voice() : nullptr;
    if (!voice || !voice->isPlaying()) finish();
    return true;
}

void TBgmLowDwarf::finish() {
    if (TBgm* bgm = ctx_.desk() ? ctx_.desk()->bgm() : nullptr) bgm->setVolume(Vol);
    TDwarf::finish();
}

void TBgmLowDwarf::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "BgmLowDwarf");
    TDwarf::exchange(x);
    x.exchangeShort("Vol", Vol);
    if (x.isLoading()) Vol = clampVolume(Vol);
}

}  // namespace present
