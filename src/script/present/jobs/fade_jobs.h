#pragma once
// Jobs that change the screen or a sound gradually: the screen fade to or from a colour, the
// volume ramps of the music stream, of one effect channel and of the voice, and the lowering of
// the music while a voice plays.
#include <cstdint>
#include <string>

#include "script/core.h"
#include "script/dwarf.h"
#include "script/presentation.h"

class TBgm;
class TSe;

namespace present {

class JobContext;

class TFadeDwarf : public TDwarf, public EngineJobControls {
public:
    explicit TFadeDwarf(JobContext& ctx) : ctx_(ctx) { reset(); }
    int32_t getJobCode() const override { return kJobFade; }
    bool isSavedByOwner() const override { return true; }
    // Mode 0 takes the colour cover away, 1 brings it up; time in ms; colour ARGB.
    virtual bool begin(TG2Thread* thread, int32_t mode, int32_t time, uint32_t colour);
    // The command's integers: mode, time, colour as 0x00RRGGBB.
    void beginWith(TG2Thread* thread, const std::vector<int32_t>& values) override;
    bool update() override;
    void finish() override;
    // Section "FadeDwarf": a running fade keeps its mode, length, colour and the time gone, so
    // that a load shows the cover where it stood and lets it run on.
    void exchange(TValueExchange& x) override;

private:
    JobContext& ctx_;
    int32_t mode_ = 0;
    int32_t time_ = 0;
    uint32_t colour_ = 0;
    uint32_t startTime_ = 0;
};

// A volume ramp on one sound element; the kinds differ in the element and their defaults.
class TVolumeFadeDwarf : public TDwarf, public EngineJobControls {
public:
    static constexpr int32_t kMinTime = 100;
    enum Type : int32_t { kIn = 0, kOut = 1, kTo = 2 };

    TVolumeFadeDwarf(JobContext& ctx, int32_t defTime) : ctx_(ctx), defaultDefTime_(defTime) {}
    bool isSavedByOwner() const override { return true; }
    void reset() override;
    int32_t getDefTime() const { return DefTime; }
    // The fade time a command that gives none uses.
    void setDefTime(int32_t ms) override { DefTime = ms; }
    // Something other than the reset state, which a save must keep.
    bool isModified() const override;
    // Flags: 1 loop (handed to the play), 2|4 hold the thread until the ramp ends.
    bool fadeIn(TG2Thread* thread, const std::string& name, int32_t flags, int32_t time);
    bool fadeOut(TG2Thread* thread, int32_t flags, int32_t time);
    bool fadeTo(TG2Thread* thread, int32_t volume, int32_t flags, int32_t time);
    bool update() override;
    void finish() override;
    void exchange(TValueExchange& x) override;

    int32_t DefTime = 1000;
    int32_t Type = kIn;
    int32_t Vol = 255, VolStart = 255, VolTarget = 255;
    uint32_t StartTime = 0;
    int32_t Time = 1;

protected:
    // The element's own volume (not the effective one), and setting it.
    virtual int32_t ownVolume() = 0;
    virtual void setVolume(int32_t v) = 0;
    virtual bool isPlaying() = 0;
    virtual void stop() = 0;
    virtual void openAndPlay(const std::string& name, bool loop) = 0;
    virtual uint32_t pollMs() const { return 1; }
    virtual const char* saveKey() const = 0;
    uint32_t elapsed();

    JobContext& ctx_;

private:
    void beginRamp(TG2Thread* thread, int32_t flags, int32_t time);
    int32_t defaultDefTime_;
};

// The engine's music stream.
class TBgmFadeDwarf : public TVolumeFadeDwarf {
public:
    explicit TBgmFadeDwarf(JobContext& ctx) : TVolumeFadeDwarf(ctx, 1000) { reset(); }
    int32_t getJobCode() const override { return kJobBgmFade; }

protected:
    int32_t ownVolume() override;
    void setVolume(int32_t v) override;
    bool isPlaying() override;
    void stop() override;
    void openAndPlay(const std::string& name, bool loop) override;
    uint32_t pollMs() const override { return 10; }
    const char* saveKey() const override { return "BgmFadeDwarf"; }
    TBgm* bgm();
};

// One effect channel, 0-255; 255 drives the voice channel.
class TSeFadeDwarf : public TVolumeFadeDwarf {
public:
    TSeFadeDwarf(JobContext& ctx, int32_t channel) : TSeFadeDwarf(ctx, channel, 1000) {}
    int32_t getJobCode() const override { return kJobSeFade0 + channel_; }
    int32_t channel() const { return channel_; }

protected:
    int32_t ownVolume() override;
    void setVolume(int32_t v) override;
    bool isPlaying() override;
    void stop() override;
    void openAndPlay(const std::string& name, bool loop) override;
    const char* saveKey() const override { return "SeFadeDwarf"; }
    TSeFadeDwarf(JobContext& ctx, int32_t channel, int32_t defTime)
        : TVolumeFadeDwarf(ctx, defTime), channel_(channel) {
        reset();
    }
    TSe* element();

private:
    int32_t channel_;
};

class TVoiceFadeDwarf : public TSeFadeDwarf {
public:
    explicit TVoiceFadeDwarf(JobContext& ctx) : TSeFadeDwarf(ctx, 255, 300) {}
    int32_t getJobCode() const override { return kJobVoiceFade; }

protected:
    const char* saveKey() const override { return "VoiceFadeDwarf"; }
};

// Lowers the music while the voice plays and puts it back when the voice has ended.
class TBgmLowDwarf : public TDwarf {
public:
    explicit TBgmLowDwarf(JobContext& ctx) : ctx_(ctx) { reset(); }
    int32_t getJobCode() const override { return kJobBgmLow; }
    // Saved in the active list with the music's own volume, so that a load puts it back.
    bool isSavedByOwner() const override { return false; }
    void reset() override;
    void exchange(TValueExchange& x) override;
    // False (nothing done) while lowering with the voice is off; the caller lists the job.
    bool lower();
    bool update() override;
    void finish() override;
    // The music's own volume before it was lowered.
    int32_t Vol = 255;
    bool isLowered() const { return !isFinished(); }

private:
    JobContext& ctx_;
};

}  // namespace present
