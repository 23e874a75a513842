#include "script/present/sound/sound_commands.h"

#include "script/core.h"
#include "script/engine.h"
#include "script/g2_status.h"
#include "script/names.h"
#include "script/present/doc/engine_doc.h"
#include "script/present/jobs/fade_jobs.h"
#include "script/present/jobs/job_context.h"
#include "script/present/jobs/wait_jobs.h"
#include "sound/direct_sound.h"
#include "sound/media.h"
#include "sound/sound.h"
#include "sound/wave.h"
#include "sound/wave_stream.h"
#include "storage/storage.h"

namespace present {

namespace {

constexpr int kWarnSe = 0x1007;
constexpr int kWarnVoice = 0x1008;
constexpr int kWarnBgm = 0x1009;
constexpr int kWarnMedia = 0x100a;

// The arguments of one command in script order; one that is missing (or of the other kind)
// reads as the default.
struct Args {
    const G2CommandArgs& a;
    int32_t i(size_t k, int32_t missing = 0) const { return k < a.size() && !a[k].isString ? a[k].number : missing; }
    std::string s(size_t k) const { return k < a.size() && a[k].isString ? a[k].text : std::string(); }
};

bool sameName(const std::string& a, const std::string& b) { return sameNameIgnoringCase(a, b); }

// Without an audio output no sound opens, whatever its file: the program said so once when it
// started, and the commands do not blame each file in turn.
bool soundCanOpen() { return TDirectSound::getDevice() != nullptr; }

}  // namespace

TVolumeFadeDwarf* SoundCommands::fadeJob(int32_t code, int32_t& time) {
    auto* job = dynamic_cast<TVolumeFadeDwarf*>(ctx_.standingJob(code));
    if (!job) return nullptr;
    if (time < 0) time = job->getDefTime();
    if (!job->isFinished()) job->finish();
    return job;
}

void SoundCommands::playSe(TG2Thread* thread, int32_t channel, const std::string& name, int32_t flags, int32_t time) {
    if (!isSoundChannel(channel)) return;
    TVolumeFadeDwarf* job = fadeJob(kJobSeFade0 + channel, time);
    TSe* se = desk_.channel(channel);
    if (!se) return;
    if ((flags & kSoundKeep) && se->isPlaying() && sameName(se->getName(), name)) return;
    if ((flags & kSoundFade) && job) {
        job->fadeIn(thread, name, flags, time);
        ctx_.addDwarf(job);
        return;
    }
    if (!se->setName(name, true)) {
        if (soundCanOpen()) engine_.warning(kWarnSe, name);
        return;
    }
    se->play(flags & kSoundLoop);
}

void SoundCommands::stopSe(TG2Thread* thread, int32_t channel, int32_t flags, int32_t time) {
    if (!isSoundChannel(channel)) return;
    TVolumeFadeDwarf* job = fadeJob(kJobSeFade0 + channel, time);
    if ((flags & kSoundFade) && job) {
        job->fadeOut(thread, flags, time);
        ctx_.addDwarf(job);
    } else if (TSe* se = desk_.channel(channel)) {
        se->stop();
    }
}

void SoundCommands::seVolume(TG2Thread* thread, int32_t channel, int32_t volume, int32_t flags, int32_t time) {
    if (!isSoundChannel(channel)) return;
    TVolumeFadeDwarf* job = fadeJob(kJobSeFade0 + channel, time);
    if ((flags & kSoundFade) && job) {
        job->fadeTo(thread, volume, flags, time);
        ctx_.addDwarf(job);
    } else if (TSe* se = desk_.channel(channel)) {
        se->setVolume(std::clamp(volume, 0, 255));
    }
}

void SoundCommands::playVoice(TG2Thread* thread, const std::string& name, int32_t flags, int32_t time) {
    TVolumeFadeDwarf* job = fadeJob(kJobVoiceFade, time);
    if (!(flags & kSoundNoVoiceMark)) {
        // The page and the backlog keep the voice even when it does not play.
        if (auto* frame = dynamic_cast<EngineFrameAdapter*>(engine_.getCurrentDocFrame()))
            frame->real().appendVoice(name);
        else if (EngineDocFrame* f = engine_.getCurrentDocFrame())
            f->setVoice(name);
    }
    if (TG2Core* core = engine_.core(); core && !core->getActor(-1).voiceEnabled) return;
    TSe* voice = desk_.voice();
    if (!voice) return;
    if ((flags & kSoundKeep) && voice->isPlaying() && sameName(voice->getName(), name)) return;
    lowerMusicForVoice();
    if ((flags & kSoundFade) && job) {
        job->fadeIn(thread, name, flags, time);
        ctx_.addDwarf(job);
        return;
    }
    if (!voice->setName(name, true)) {
        if (soundCanOpen()) engine_.warning(kWarnVoice, name);
        return;
    }
    voice->play(flags & kSoundLoop);
}

void SoundCommands::lowerMusicForVoice() {
    if (auto* low = dynamic_cast<TBgmLowDwarf*>(ctx_.standingJob(kJobBgmLow)); low && low->lower()) ctx_.addDwarf(low);
}

void SoundCommands::fadeInVoice(TG2Thread* thread, const std::string& name, int32_t flags, int32_t ms) {
    auto* job = dynamic_cast<TVolumeFadeDwarf*>(ctx_.standingJob(kJobVoiceFade));
    if (!job) return;
    // A fade still running on the voice is ended first, as every voice command does.
    if (!job->isFinished()) job->finish();
    job->fadeIn(thread, name, flags, ms < 0 ? job->getDefTime() : ms);
    ctx_.addDwarf(job);
}

void SoundCommands::endVoiceFade() {
    if (TDwarf* job = ctx_.standingJob(kJobVoiceFade); job && !job->isFinished()) job->finish();
}

int32_t SoundCommands::voiceFadeTime() {
    auto* job = dynamic_cast<TVolumeFadeDwarf*>(ctx_.standingJob(kJobVoiceFade));
    return job ? job->getDefTime() : 0;
}

void SoundCommands::stopVoice(TG2Thread* thread, int32_t flags, int32_t time) {
    TVolumeFadeDwarf* job = fadeJob(kJobVoiceFade, time);
    if ((flags & kSoundFade) && job) {
        job->fadeOut(thread, flags, time);
        ctx_.addDwarf(job);
    } else if (TSe* voice = desk_.voice()) {
        voice->stop();
    }
}

void SoundCommands::playBgm(TG2Thread* thread, const std::string& name, int32_t flags, int32_t time) {
    TVolumeFadeDwarf* job = fadeJob(kJobBgmFade, time);
    TBgm* bgm = desk_.bgm();
    if (!bgm) return;
    if (bgm->isPlaying() && sameName(bgm->getName(), name)) return;
    if ((flags & kSoundFade) && job) {
        job->fadeIn(thread, name, flags, time);
        ctx_.addDwarf(job);
        return;
    }
    if (!bgm->open(name)) {
        if (soundCanOpen()) engine_.warning(kWarnBgm, name);
        return;
    }
    bgm->play(flags & kSoundLoop);
}

void SoundCommands::stopBgm(TG2Thread* thread, int32_t flags, int32_t time) {
    TVolumeFadeDwarf* job = fadeJob(kJobBgmFade, time);
    if ((flags & kSoundFade) && job) {
        job->fadeOut(thread, flags, time);
        ctx_.addDwarf(job);
    } else if (TBgm* bgm = desk_.bgm()) {
        bgm->stop();
    }
}

void SoundCommands::bgmVolume(TG2Thread* thread, int32_t volume, int32_t flags, int32_t time) {
    TVolumeFadeDwarf* job = fadeJob(kJobBgmFade, time);
    if ((flags & kSoundFade) && job) {
        job->fadeTo(thread, volume, flags, time);
        ctx_.addDwarf(job);
    } else if (TBgm* bgm = desk_.bgm()) {
        bgm->setVolume(std::clamp(volume, 0, 255));
    }
}

void SoundCommands::playMedia(TG2Thread* thread, const std::string& name, int32_t flags) {
    TMedia* media = ctx_.media();
    if (media) {
        TStorage* store = TStorage::instance();
        // Movies play from files, never from archives.
        if (!media->open(store ? store->fullPath(name) : name)) engine_.warning(kWarnMedia, name);
        media->setVolume(volumeToDs(ctx_.status().bgmVolume));
        media->play();
    } else {
        engine_.warning(kWarnMedia, name);
    }
    if (auto* job = dynamic_cast<TMediaDwarf*>(ctx_.standingJob(kJobMedia))) {
        job->begin(thread, flags);
        ctx_.addDwarf(job);
    }
}

void SoundCommands::wait(TG2Thread& thread, int32_t kind, int32_t arg) {
    if (auto* job = dynamic_cast<TWaitDwarf*>(ctx_.standingJob(kJobWait))) {
        job->begin(&thread, kind, arg);
        ctx_.addDwarf(job);
    }
}

void SoundCommands::run(TG2Thread& thread, uint32_t code, const G2CommandArgs& a) {
    const Args args{a};
    switch (code) {
        case 0x1601:
            playSe(&thread, args.i(0), args.s(1), args.i(2), args.i(3, -1));
            break;
        case 0x1602:
            stopSe(&thread, args.i(0), args.i(1), args.i(2, -1));
            break;
        case 0x1603:
            seVolume(&thread, args.i(0), args.i(1), args.i(2), args.i(3, -1));
            break;
        case 0x1604:
            if (isSoundChannel(args.i(0)))
                if (auto* job = dynamic_cast<TVolumeFadeDwarf*>(ctx_.standingJob(kJobSeFade0 + args.i(0))))
                    job->setDefTime(args.i(1));
            break;
        case 0x1605:
            if (isSoundChannel(args.i(0))) wait(thread, kWaitSe, args.i(0));
            break;
        case 0x1620:
            playVoice(&thread, args.s(0), args.i(1), args.i(2, -1));
            break;
        case 0x1621:
            wait(thread, kWaitVoice, 0);
            break;
        case 0x1622:
        case 0x1623:
            if (auto* click = dynamic_cast<EngineJobControls*>(ctx_.standingJob(kJobClick)))
                click->setStopType(code == 0x1622 ? 1 : 0);
            break;
        case 0x1624:
            stopVoice(&thread, args.i(0), args.i(1, -1));
            break;
        case 0x1681:
            playBgm(&thread, args.s(0), args.i(1), args.i(2, -1));
            break;
        case 0x1682:
            stopBgm(&thread, args.i(0), args.i(1, -1));
            break;
        case 0x1683:
            bgmVolume(&thread, args.i(0), args.i(1), args.i(2, -1));
            break;
        case 0x1684:
            if (auto* job = dynamic_cast<TVolumeFadeDwarf*>(ctx_.standingJob(kJobBgmFade))) job->setDefTime(args.i(0));
            break;
        case 0x1685:
            wait(thread, kWaitBgm, 0);
            break;
        case 0x1691:
            if (!(desk_.cdPlaying() && desk_.cdTrack() == args.i(0))) desk_.cdPlay(args.i(0), args.i(1) & 1);
            break;
        case 0x1692:
            desk_.cdStop();
            break;
        case 0x1693:
            desk_.cdSetVolume(args.i(0));
            break;
        case 0x16a0:
            playMedia(&thread, args.s(0), args.i(1));
            break;
        case 0x16a1:
            if (TMedia* m = ctx_.media()) m->stop();
            break;
        case 0x16a2:
            if (TMedia* m = ctx_.media()) {
                int w = 0, h = 0;
                m->getSize(w, h);
                m->setRect(args.i(0), args.i(1), a.size() > 2 ? args.i(2) : w, a.size() > 3 ? args.i(3) : h);
            }
            break;
        default:
            break;
    }
}

}  // namespace present
