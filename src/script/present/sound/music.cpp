#include "script/present/sound/music.h"

#include "script/g2_status.h"
#include "script/present/sound/engine_job_context.h"
#include "script/present/sound/sound_commands.h"
#include "script/value_exchange.h"
#include "sound/wave.h"
#include "sound/wave_stream.h"

namespace present {

namespace {

constexpr int32_t kLastSe = 254;

// The keys every channel and the music share; the caller turns the loaded state into sound.
void exchangeChannel(TValueExchange& x, std::string& name, int32_t& volume, bool& loop, int32_t& state) {
    x.exchangeString("Name", name);
    x.exchangeShort("Volume", volume);
    x.exchangeFlags("Loop", &loop);
    x.exchangeShort("State", state);
}

}  // namespace

// ---- channels ----

void TG2Se::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "gSe");
    // A sound that ended by itself is not saved as playing.
    if (!isPlaying()) stop();
    std::string name = getName();
    int32_t volume = TSe::getVolume(false);
    bool loop = getLoop();
    int32_t state = getState();
    exchangeChannel(x, name, volume, loop, state);
    if (!x.isLoading()) return;
    setName(name, false);
    setVolume(volume);
    setLoop(loop);
    // A voice that does not loop belongs to the moment it was saved in.
    if ((!voice_ || loop) && state == 2)
        play(loop);
    else
        stop();
}

bool TG2SeSet::isMute(bool effective) const {
    if (!effective) return TSeSet::isMute(false);
    return TSeSet::isMute(true) || (voice_ ? status_.voiceMute : status_.seMute);
}

int TG2SeSet::getVolume(bool effective) const {
    if (!effective) return TSeSet::getVolume(false);
    return TSeSet::getVolume(true) * (voice_ ? status_.voiceVolume : status_.seVolume) / 255;
}

void TG2SeSet::refreshVolumes(int last) {
    // The channels act on a change of their own value only, so the device is told directly.
    for (int id = 0; id <= last; ++id) {
        TSe* e = find(id);
        if (!e || !e->getWave()) continue;
        if (e->isMute(true))
            e->getWave()->stopFade(-1);
        else
            e->getWave()->setVolume(e->getDsVolume(true), -1);
    }
}

bool TG2Bgm::isMute(bool effective) const {
    if (!effective) return TBgm::isMute(false);
    return TBgm::isMute(true) || status_.bgmMute;
}

int TG2Bgm::getVolume(bool effective) const {
    if (!effective) return TBgm::getVolume(false);
    return TBgm::getVolume(true) * status_.bgmVolume / 255;
}

void TG2Bgm::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "gBgm");
    if (!isPlaying()) stop();
    std::string name = getName();
    int32_t volume = TBgm::getVolume(false);
    bool loop = getLoop();
    int32_t state = getState();
    exchangeChannel(x, name, volume, loop, state);
    if (!x.isLoading()) return;
    setName(name);
    setVolume(volume);
    setLoop(loop);
    if (state == 2)
        play(loop);
    else
        stop();
}

// ---- CD ----

bool TG2Cd::play(int32_t t, bool l) {
    track = t;
    loop = l;
    playing = true;
    if (!mute) {
        device.setRepeat(l);
        device.playRange(t, t);
    }
    return true;
}

bool TG2Cd::stop() {
    device.stop();
    track = -1;
    loop = playing = false;
    return false;
}

void TG2Cd::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "gCd");
    if (playing && !device.isPlaying()) stop();
    x.exchangeInt("CDトラック", track);
    x.exchangeInt("ボリューム", volume);
    x.exchangeFlags("ループ, 再生中，ミュート", &loop, &playing, &mute);
    if (x.isLoading() && playing) play(track, loop);
}

// ---- the whole ----

TG2Music::TG2Music(TG2Status& status, std::unique_ptr<TCdBackend> cd, TWindow* window, TG2Engine* engine)
    : status_(status),
      engine_(engine),
      window_(window),
      seSet_(status, false),
      voiceSet_(status),
      bgm_(status),
      cd_(std::move(cd)) {}

TG2Music::~TG2Music() { terminate(); }

bool TG2Music::init(TSound* sound) {
    // The frame's engine is made without one: the program's master is the manager then.
    sound_ = sound ? sound : TSound::instance();
    for (int32_t id = 0; id <= kLastSe; ++id) seSet_.insertEmpty(id);
    voiceSet_.insertEmpty(0);
    cd_.track = -1;
    cd_.loop = cd_.mute = cd_.playing = false;
    cd_.volume = 255;
    cd_.device.setWindow(window_, false);
    cd_.device.open(-1);
    reset();
    if (sound_) sound_->setVolume(status_.volume);
    seSet_.refreshVolumes(kLastSe);
    bgm_.refreshVolume();
    voiceSet_.refreshVolumes(0);
    return true;
}

bool TG2Music::terminate() {
    seSet_.clear();
    voiceSet_.clear();
    bgm_.close();
    const bool closed = cd_.device.close();
    cd_.device.detach();
    return closed;
}

void TG2Music::reset() {
    for (int32_t id = 0; id <= kLastSe; ++id)
        if (TSe* e = seSet_.find(id)) e->reset();
    if (TSe* v = voiceSet_.find(0)) v->reset();
    bgm_.reset();
    cd_.device.stop();
    cd_.track = -1;
    cd_.loop = cd_.playing = false;
    cd_.volume = 255;
}

TG2Se* TG2Music::getChannel(int32_t id) const {
    if (id == kVoiceChannel) return voiceSet_.channel(0);
    if (id < 0 || id > kLastSe) return nullptr;
    return seSet_.channel(id);
}

bool TG2Music::getMuteSetting(const TG2Status& s, int32_t index) {
    switch (index) {
        case 0:
            return s.mute;
        case 1:
            return s.seMute;
        case 2:
            return s.bgmMute;
        case 3:
            return s.cdMute;
        case 4:
            return s.voiceMute;
        default:
            return false;
    }
}

int32_t TG2Music::getVolumeSetting(const TG2Status& s, int32_t index) {
    switch (index) {
        case 0:
            return s.volume;
        case 1:
            return s.seVolume;
        case 2:
            return s.bgmVolume;
        case 3:
            return s.cdVolume;
        case 4:
            return s.voiceVolume;
        default:
            return 0;
    }
}

void TG2Music::setVolume(int32_t index, int32_t value) {
    switch (index) {
        case 0:
            status_.volume = value;
            if (sound_) sound_->setVolume(value);
            // The master's change reaches the channels only through their sets.
            seSet_.refreshVolumes(kLastSe);
            voiceSet_.refreshVolumes(0);
            bgm_.refreshVolume();
            break;
        case 1:
            status_.seVolume = value;
            seSet_.refreshVolumes(kLastSe);
            break;
        case 2:
            status_.bgmVolume = value;
            bgm_.refreshVolume();
            break;
        case 3:
            status_.cdVolume = value;
            break;
        case 4:
            status_.voiceVolume = value;
            voiceSet_.refreshVolumes(0);
            break;
        default:
            break;
    }
}

void TG2Music::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "gMusic");
    if (x.isStoring()) {
        for (int32_t id = 0; id <= kLastSe; ++id) {
            TG2Se* e = getChannel(id);
            if (!e || (e->getName().empty() && !e->getLoop() && e->TSe::getVolume(false) == 255)) continue;
            x.putShort("SEID", static_cast<int16_t>(id));
            e->exchange(x);
        }
        x.putShort("SEID", -1);
    } else {
        for (int32_t id = x.getShort("SEID"); id >= 0; id = x.getShort("SEID")) {
            TG2Se* e = getChannel(id);
            // A channel number no channel has cannot be followed by its section.
            if (!e) throwG2Error(kG2ErrExchange);
            e->exchange(x);
        }
    }
    if (TG2Se* v = getChannel(kVoiceChannel)) v->exchange(x);
    bgm_.exchange(x);
    cd_.exchange(x);
}

bool TG2Music::sePlaying(int32_t ch) const {
    TG2Se* e = getChannel(ch);
    return e && e->isPlaying();
}

std::string TG2Music::seName(int32_t ch) const {
    TG2Se* e = getChannel(ch);
    return e ? e->getName() : std::string();
}

bool TG2Music::voicePlaying() const { return sePlaying(kVoiceChannel); }

std::string TG2Music::voiceName() const { return seName(kVoiceChannel); }

bool TG2Music::bgmPlaying() const { return bgm_.isPlaying(); }

void TG2Music::setVoiceVolume(int32_t v) {
    if (TG2Se* e = getChannel(kVoiceChannel)) e->setVolume(v);
}

bool TG2Music::voiceLoops() const {
    TG2Se* e = getChannel(kVoiceChannel);
    return e && e->getLoop() && e->isPlaying();
}

void TG2Music::stopVoice() {
    if (TG2Se* e = getChannel(kVoiceChannel)) e->stop();
}

template <class F>
bool TG2Music::withCommands(F&& f) const {
    if (!engine_) return false;
    EngineJobContext ctx(*engine_);
    SoundCommands commands(*engine_, ctx, const_cast<TG2Music&>(*this));
    f(commands);
    return true;
}

void TG2Music::command(TG2Thread& thread, uint32_t code, const G2CommandArgs& args) {
    withCommands([&](SoundCommands& c) { c.run(thread, code, args); });
}

void TG2Music::fadeOutVoice() {
    if (!withCommands([](SoundCommands& c) { c.stopVoice(nullptr, kSoundFade, -1); })) stopVoice();
}

void TG2Music::replayVoice(const std::string& name) {
    if (!withCommands([&](SoundCommands& c) { c.playVoice(nullptr, name, kSoundNoVoiceMark, 0); })) playVoice(name);
}

void TG2Music::lowerForVoice() {
    withCommands([](SoundCommands& c) { c.lowerMusicForVoice(); });
}

void TG2Music::fadeInVoice(TG2Thread* thread, const std::string& name, int32_t flags, int32_t ms) {
    if (!withCommands([&](SoundCommands& c) { c.fadeInVoice(thread, name, flags, ms); })) playVoice(name);
}

void TG2Music::stopVoiceFade() {
    withCommands([](SoundCommands& c) { c.endVoiceFade(); });
}

int32_t TG2Music::voiceFadeTime() const {
    int32_t ms = 0;
    withCommands([&](SoundCommands& c) { ms = c.voiceFadeTime(); });
    return ms;
}

bool TG2Music::playVoice(const std::string& name) {
    TG2Se* e = getChannel(kVoiceChannel);
    if (!e) return false;
    e->stop();
    if (!e->setName(name, true)) return false;
    return e->play(false);
}

}  // namespace present
