#pragma once
// TG2Music: every sound a script can start. 255 effect channels (0-254), the voice channel (255),
// the music stream and the CD state, each under the player's mute and volume settings on top of
// the sound manager's own. A save keeps the whole sound state under "gMusic"; a load plays again
// what was playing, except a voice that does not loop.
#include <cstdint>
#include <memory>
#include <string>

#include "script/present/jobs/job_context.h"
#include "script/presentation.h"
#include "sound/cd_audio.h"
#include "sound/sound.h"
// Channels are made and dropped where this is included: their waves must be whole types there.
#include "sound/wave.h"
#include "sound/wave_stream.h"

class TG2Engine;
class TG2Status;
class TWindow;

namespace present {

// One channel; the voice flag only changes what a load restores.
class TG2Se : public TSe {
public:
    TG2Se(TSeSet* owner, bool voice) : TSe(owner), voice_(voice) {}
    bool isVoice() const { return voice_; }
    // Section "gSe": "Name", "Volume", "Loop", "State".
    void exchange(TValueExchange& x);

private:
    bool voice_;
};

// The effect set (settings "SeMute", "SeVolume") or the voice set ("VoiceMute", "VoiceVolume").
class TG2SeSet : public TSeSet {
public:
    TG2SeSet(const TG2Status& status, bool voice) : status_(status), voice_(voice) {}
    using TSeSet::getVolume;
    using TSeSet::isMute;
    bool isMute(bool effective = true) const override;
    int getVolume(bool effective = true) const override;
    TSe* createSe() override { return new TG2Se(this, voice_); }
    TG2Se* channel(int id) const { return static_cast<TG2Se*>(find(id)); }
    // Gives every channel of ids 0 to last its effective mute and volume again.
    void refreshVolumes(int last);

private:
    const TG2Status& status_;
    bool voice_;
};

class TG2VoiceSet : public TG2SeSet {
public:
    explicit TG2VoiceSet(const TG2Status& status) : TG2SeSet(status, true) {}
};

// The music stream under "BgmMute" and "BgmVolume".
class TG2Bgm : public TBgm {
public:
    explicit TG2Bgm(const TG2Status& status) : status_(status) {}
    bool isMute(bool effective = true) const override;
    int getVolume(bool effective = true) const override;
    void refreshVolume() { applyVolume(); }
    // Section "gBgm", the keys of "gSe".
    void exchange(TValueExchange& x);

private:
    const TG2Status& status_;
};

// The CD: what was asked for; the volume is kept and saved, never applied.
class TG2Cd {
public:
    explicit TG2Cd(std::unique_ptr<TCdBackend> backend = nullptr) : device(std::move(backend)) {}
    virtual ~TG2Cd() = default;
    bool play(int32_t track, bool loop);
    bool stop();
    bool isPlaying() const { return playing && device.isPlaying(); }
    void setVolume(int32_t v) { volume = v; }
    // Section "gCd".
    void exchange(TValueExchange& x);

    TCdAudio device;
    int32_t track = -1;
    int32_t volume = 255;
    bool mute = false;
    bool loop = false;
    bool playing = false;
};

class TG2Music : public EngineMusic, public SoundDesk {
public:
    static constexpr int32_t kVoiceChannel = 255;

    // The settings are the engine's; the CD back end is the system's when none is given. The
    // sound commands need the engine.
    explicit TG2Music(TG2Status& status, std::unique_ptr<TCdBackend> cd = nullptr, TWindow* window = nullptr,
                      TG2Engine* engine = nullptr);
    ~TG2Music() override;

    bool init(TSound* sound);
    // Every channel deleted, the music closed; the result of closing the CD device.
    bool terminate();
    bool create(TSound* sound) override { return init(sound); }
    void term() override { terminate(); }
    void reset() override;
    // Section "gMusic".
    void exchange(TValueExchange& x) override;

    // 255 the voice channel, 0-254 an effect channel, anything else null.
    TG2Se* getChannel(int32_t id) const;
    // Index 0 master, 1 effects, 2 music, 3 CD (stored only), 4 voice.
    void setVolume(int32_t index, int32_t value);
    static bool getMuteSetting(const TG2Status& status, int32_t index);
    static int32_t getVolumeSetting(const TG2Status& status, int32_t index);

    TG2SeSet& seSet() { return seSet_; }
    TG2VoiceSet& voiceSet() { return voiceSet_; }
    TG2Bgm& music() { return bgm_; }
    TG2Cd& cd() { return cd_; }
    TSound* sound() const { return sound_; }

    bool sePlaying(int32_t ch) const override;
    std::string seName(int32_t ch) const override;
    bool voicePlaying() const override;
    std::string voiceName() const override;
    bool bgmPlaying() const override;
    std::string bgmName() const override { return bgm_.getName(); }
    bool voiceLoops() const override;
    // The script's sound commands (group 0x16), and the voice operations of the click wait, the
    // replays and the actor voice: each through the engine's fade and lowering jobs (without an
    // engine the voice channel acts alone).
    void command(TG2Thread& thread, uint32_t code, const G2CommandArgs& args) override;
    void stopVoice() override;
    void fadeOutVoice() override;
    void replayVoice(const std::string& name) override;
    void setVoiceVolume(int32_t v) override;
    void lowerForVoice() override;
    bool playVoice(const std::string& name) override;
    void fadeInVoice(TG2Thread* thread, const std::string& name, int32_t flags, int32_t ms) override;
    void stopVoiceFade() override;
    int32_t voiceFadeTime() const override;

    // What the sound commands and the volume fades drive.
    TSe* channel(int32_t id) override { return getChannel(id); }
    TBgm* bgm() override { return &bgm_; }
    bool cdPlaying() override { return cd_.isPlaying(); }
    int32_t cdTrack() const override { return cd_.track; }
    void cdPlay(int32_t track, bool loop) override { cd_.play(track, loop); }
    void cdStop() override { cd_.stop(); }
    void cdSetVolume(int32_t v) override { cd_.setVolume(v); }

private:
    // The sound commands over the engine's jobs, or false without an engine.
    template <class F>
    bool withCommands(F&& f) const;

    TG2Status& status_;
    TG2Engine* engine_;
    TSound* sound_ = nullptr;
    TWindow* window_;
    TG2SeSet seSet_;
    TG2VoiceSet voiceSet_;
    mutable TG2Bgm bgm_;
    TG2Cd cd_;
};

}  // namespace present
