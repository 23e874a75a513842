#pragma once
// The sound commands of scripts (group 0x16): effects on channels 0-254, the voice (channel
// 255), the music stream, CD audio and movies, each at once or through the channel's fade job,
// and the waits for them. The music object of the engine hands its commands here.
#include <cstdint>
#include <string>

#include "script/presentation.h"

class TG2Engine;
class TG2Thread;

namespace present {

class JobContext;
class SoundDesk;
class TVolumeFadeDwarf;

// Flags of the sound commands.
enum SoundFlag : int32_t {
    kSoundLoop = 1,
    kSoundFade = 2,
    kSoundWait = 4,  // with kSoundFade: the script waits for the ramp
    kSoundKeep = 8,  // the same file already playing on the channel is left alone
    kSoundNoVoiceMark = 0x10,
};

class SoundCommands {
public:
    SoundCommands(TG2Engine& engine, JobContext& ctx, SoundDesk& desk) : engine_(engine), ctx_(ctx), desk_(desk) {}

    // One command with its arguments in script order; codes outside the group do nothing.
    void run(TG2Thread& thread, uint32_t code, const G2CommandArgs& args);

    // Time below 0 is the fade job's default. Channels outside 0-255 do nothing.
    void playSe(TG2Thread* thread, int32_t channel, const std::string& name, int32_t flags, int32_t time);
    void stopSe(TG2Thread* thread, int32_t channel, int32_t flags, int32_t time);
    void seVolume(TG2Thread* thread, int32_t channel, int32_t volume, int32_t flags, int32_t time);
    void playVoice(TG2Thread* thread, const std::string& name, int32_t flags, int32_t time);
    void stopVoice(TG2Thread* thread, int32_t flags, int32_t time);
    void playBgm(TG2Thread* thread, const std::string& name, int32_t flags, int32_t time);
    void stopBgm(TG2Thread* thread, int32_t flags, int32_t time);
    void bgmVolume(TG2Thread* thread, int32_t volume, int32_t flags, int32_t time);
    void playMedia(TG2Thread* thread, const std::string& name, int32_t flags);
    // The pieces of an actor's voice: the music lowered under it (the lowering job listed when
    // it starts), a fade-in by the voice fade job over ms, a running voice fade ended where it
    // stands, and the fade time a voice without one gets.
    void lowerMusicForVoice();
    void fadeInVoice(TG2Thread* thread, const std::string& name, int32_t flags, int32_t ms);
    void endVoiceFade();
    int32_t voiceFadeTime();

private:
    // The fade job of a channel (255: the voice channel's own) or of the voice or music, the
    // time made concrete and a running ramp finished first.
    TVolumeFadeDwarf* fadeJob(int32_t code, int32_t& time);
    void wait(TG2Thread& thread, int32_t kind, int32_t arg);

    TG2Engine& engine_;
    JobContext& ctx_;
    SoundDesk& desk_;
};

// Whether a channel number names a channel of the sound commands (0-255).
constexpr bool isSoundChannel(int32_t channel) { return channel >= 0 && channel <= 255; }

}  // namespace present
