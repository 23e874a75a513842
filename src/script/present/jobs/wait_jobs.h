#pragma once
// Jobs that keep a script thread waiting: until the engine clock reaches a time (sync), until a
// time has passed or a sound has ended (wait), while the picture shakes (quake) and while a
// movie plays.
#include <cstdint>
#include <vector>

#include "graphics/rect.h"
#include "script/core.h"
#include "script/minimal_jobs.h"
#include "script/presentation.h"

namespace present {

class JobContext;

// What a wait ends on.
enum WaitKind : int32_t { kWaitTime = 0, kWaitSe = 1, kWaitVoice = 2, kWaitBgm = 3 };

class TWaitDwarf : public TG2WaitJob {
public:
    TWaitDwarf(TG2Engine& engine, JobContext& ctx) : TG2WaitJob(engine), ctx_(ctx) { reset(); }
    int32_t getJobCode() const override { return kJobWait; }
    // Kind as WaitKind; arg the milliseconds or the channel (255 the voice).
    void begin(TG2Thread* thread, int32_t kind, int32_t arg) override;
    // The script's wait for an engine time goes to the sync job; here it waits the difference.
    void beginUntil(TG2Thread* thread, int32_t time) override;
    bool start() override;
    bool update() override;
    void finish() override;
    void reset() override;
    // A running wait is saved by its code only and ends after a load.
    void exchange(TValueExchange&) override {}

    int32_t Kind = kWaitTime;
    int32_t Arg = 0;
    uint32_t StartTime = 0;

private:
    void stopAwaited();
    JobContext& ctx_;
};

class TSyncDwarf : public TG2WaitJob {
public:
    TSyncDwarf(TG2Engine& engine, JobContext& ctx) : TG2WaitJob(engine), ctx_(ctx) { reset(); }
    int32_t getJobCode() const override { return kJobSync; }
    void begin(TG2Thread* thread, int32_t, int32_t target) override { beginUntil(thread, target); }
    void beginUntil(TG2Thread* thread, int32_t target) override;
    bool update() override;
    void reset() override;
    void exchange(TValueExchange&) override {}

    uint32_t Target = 0;

private:
    JobContext& ctx_;
};

// Shakes the whole picture along a direction with a sine wave, for count periods.
class TQuakeDwarf : public TDwarf, public EngineJobControls {
public:
    explicit TQuakeDwarf(JobContext& ctx) : ctx_(ctx) { reset(); }
    int32_t getJobCode() const override { return kJobQuake; }
    bool isSavedByOwner() const override { return true; }
    void reset() override;
    // Direction in degrees (any value, taken modulo 360); amplitude in pixels.
    bool begin(TG2Thread* thread, int32_t count, int32_t period, int32_t amplitude, int32_t direction, bool noDecay);
    // The command's integers: count, period, amplitude, direction, no-decay.
    void beginWith(TG2Thread* thread, const std::vector<int32_t>& values) override;
    bool update() override;
    void finish() override;
    // Section "QuakeDwarf": a running shake keeps its wave and the time gone, so that it ends
    // after a load where it would have.
    void exchange(TValueExchange& x) override;
    // The offset in pixels at elapsed ms.
    graphics::POINT offsetAt(uint32_t elapsed) const;

    uint32_t StartTime = 0;
    int32_t AmpX = 0, AmpY = 0;
    int32_t Period = 0;
    int32_t Count = 0;
    bool NoDecay = false;

private:
    JobContext& ctx_;
};

// Holds its thread while the movie player has a movie open.
class TMediaDwarf : public TDwarf {
public:
    static constexpr int32_t kNoHold = 1;
    static constexpr int32_t kClickEnds = 2;

    explicit TMediaDwarf(JobContext& ctx) : ctx_(ctx) { reset(); }
    int32_t getJobCode() const override { return kJobMedia; }
    bool isSavedByOwner() const override { return true; }
    void reset() override;
    bool begin(TG2Thread* thread, int32_t flags);
    bool update() override;
    void finish() override;
    // Section "MediaDwarf": "Flag".
    void exchange(TValueExchange& x) override;

    int32_t Flag = 0;

private:
    JobContext& ctx_;
};

// 256 × sin(2π i / 256), rounded, for i = 0-319 (the last 64 repeat the first for cosines).
const int16_t* quakeSineTable();

}  // namespace present
