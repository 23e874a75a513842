#include "sound/sound.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "sound/acm_stream.h"
#include "sound/ogg_stream.h"
#include "sound/wave.h"
#include "sound/wave_stream.h"
#include "storage/storage.h"

namespace {

TSound* g_master = nullptr;

const std::array<int, 256>& volumeTable() {
    static const std::array<int, 256> table = [] {
        std::array<int, 256> t{};
        t[0] = -10000;
        for (int v = 1; v < 256; ++v) t[v] = static_cast<int>(std::floor(3000.0 * std::log10(v / 255.0)));
        return t;
    }();
    return table;
}

bool masterMute() { return g_master && g_master->isMute(); }
int masterVolume() { return g_master ? g_master->getVolume() : 255; }

}  // namespace

int volumeToDs(int volume) { return volumeTable()[std::clamp(volume, 0, 255)]; }

// ---- TSound ---------------------------------------------------------------------------------

TSound::TSound() {
    if (!g_master) g_master = this;
}

TSound::~TSound() {
    if (g_master == this) g_master = nullptr;
}

TSound* TSound::instance() { return g_master; }

void TSound::setMute(bool mute) {
    if (mute == mute_) return;
    mute_ = mute;
    // A copy: an element may come or go while it recomputes.
    const std::vector<TElement*> all(elements_.begin(), elements_.end());
    for (TElement* e : all)
        if (elements_.count(e)) e->setMute(e->isMute(false));
}

void TSound::setVolume(int volume) {
    if (volume == volume_) return;
    volume_ = volume;
    const std::vector<TElement*> all(elements_.begin(), elements_.end());
    for (TElement* e : all)
        if (elements_.count(e)) e->setVolume(e->getVolume(false));
}

void TSound::registerElement(TElement* e) { elements_.insert(e); }
void TSound::unregisterElement(TElement* e) { elements_.erase(e); }

TSound::TElement::TElement() {
    if (g_master) g_master->registerElement(this);
}

TSound::TElement::~TElement() {
    if (g_master) g_master->unregisterElement(this);
}

// ---- TBgm -----------------------------------------------------------------------------------

TBgm::~TBgm() {
    for (TBgm* m : members_) m->groupOwner_ = nullptr;
    members_.clear();
    if (groupOwner_) groupOwner_->removeMember(this);
    groupOwner_ = nullptr;
    close();
}

bool TBgm::isMute(bool effective) const { return effective ? mute_ || isGroupMute(true) : mute_; }

int TBgm::getVolume(bool effective) const { return effective ? volume_ * getGroupVolume(true) / 255 : volume_; }

bool TBgm::isGroupMute(bool effective) const {
    if (!effective) return groupMute_;
    return groupOwner_ ? groupOwner_->isGroupMute(true) : groupMute_ || masterMute();
}

int TBgm::getGroupVolume(bool effective) const {
    if (!effective) return groupVolume_;
    return groupOwner_ ? groupOwner_->getGroupVolume(true) : groupVolume_ * masterVolume() / 255;
}

bool TBgm::isPlaying() { return stream_ && stream_->isPlaying(); }
int TBgm::getPan() const { return stream_ ? stream_->getPan(-1) : 0; }
int TBgm::getFrequency() const { return stream_ ? stream_->getFrequency(-1) : 0; }

void TBgm::setPan(int pan) {
    if (stream_) stream_->setPan(pan, 0);
}

void TBgm::setFrequency(int hz) {
    if (stream_) stream_->setFrequency(hz, 0);
}

void TBgm::setMute(bool mute) {
    mute_ = mute;
    applyMute();
}

void TBgm::setVolume(int volume) {
    volume_ = volume;
    applyVolume();
}

void TBgm::setGroupMute(bool mute) {
    if (groupOwner_) {
        groupOwner_->setGroupMute(mute);
        return;
    }
    groupMute_ = mute;
    applyMute();
}

void TBgm::setGroupVolume(int volume) {
    if (groupOwner_) {
        groupOwner_->setGroupVolume(volume);
        return;
    }
    groupVolume_ = volume;
    applyVolume();
}

void TBgm::setGroupOwner(TBgm* owner) {
    if (owner == this || owner == groupOwner_) return;
    if (groupOwner_) groupOwner_->removeMember(this);
    groupOwner_ = owner;
    if (owner) owner->addMember(this);
}

void TBgm::addMember(TBgm* bgm) { members_.insert(bgm); }
void TBgm::removeMember(TBgm* bgm) { members_.erase(bgm); }

void TBgm::applyMute() {
    if (isMute(true)) {
        if (stream_) stream_->stopFade(-1);
    } else if (state_ == 2) {
        play(loop_);
    }
    for (TBgm* m : std::vector<TBgm*>(members_.begin(), members_.end())) m->applyMute();
}

void TBgm::applyVolume() {
    if (stream_)
        stream_->setVolume(getDsVolume(true), 0);
    else if (state_ == 2)
        play(loop_);
    for (TBgm* m : std::vector<TBgm*>(members_.begin(), members_.end())) m->applyVolume();
}

std::unique_ptr<TWaveStream> TBgm::makeStream(bool ogg) {
    if (ogg) return std::make_unique<TOggStream>();
    return std::make_unique<TAcmStream>();
}

bool TBgm::open(const std::string& name) {
    close();
    name_ = name;
    // Nothing has failed while muted: play keeps the request, and unmuting opens the name.
    if (isMute(true)) return true;
    TStorage* store = TStorage::instance();
    // Loop options after ";" stay on the name the stream is given.
    const size_t semi = name.find(';');
    const std::string base = name.substr(0, semi);
    const std::string path =
        (store ? store->fullPath(base) : base) + (semi == std::string::npos ? "" : name.substr(semi));
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool ogg = attempt == 0 ? lastOgg_ : !lastOgg_;
        std::unique_ptr<TWaveStream> s = makeStream(ogg);
        if (s && s->loadFile(path, 8)) {
            stream_ = std::move(s);
            lastOgg_ = ogg;
            return true;
        }
    }
    return false;
}

bool TBgm::play(bool loop) {
    stop();
    if (!stream_) {
        const std::string name = name_;
        open(name);
    }
    loop_ = loop;
    state_ = 2;
    if (!isMute(true) && stream_) {
        stream_->setVolume(getDsVolume(true), 0);
        stream_->play(loop, 0);
    }
    return stream_ != nullptr;
}

void TBgm::stop() {
    if (state_ == 2) state_ = 1;
    if (stream_) stream_->stopFade(-1);
}

void TBgm::close() {
    stop();
    stream_.reset();
    name_.clear();
    loop_ = false;
}

void TBgm::reset() {
    close();
    mute_ = false;
    volume_ = 255;
    if (groupOwner_) groupOwner_->removeMember(this);
    groupOwner_ = nullptr;
}

// ---- TSe ------------------------------------------------------------------------------------

TSe::~TSe() { close(); }

bool TSe::isMute(bool effective) const {
    if (!effective) return mute_;
    return mute_ || (owner_ ? owner_->isMute(true) : masterMute());
}

int TSe::getVolume(bool effective) const {
    if (!effective) return volume_;
    return volume_ * (owner_ ? owner_->getVolume(true) : masterVolume()) / 255;
}

bool TSe::isPlaying() { return wave_ && wave_->isPlaying(-1); }
int TSe::getPan() const { return wave_ ? wave_->getPan(-1) : 0; }
int TSe::getFrequency() const { return wave_ ? wave_->getFrequency(-1) : 0; }

void TSe::setPan(int pan) {
    if (wave_) wave_->setPan(pan, -1);
}

void TSe::setFrequency(int hz) {
    if (wave_) wave_->setFrequency(hz, -1);
}

bool TSe::open() {
    auto* store = dynamic_cast<TStorageGraph*>(TStorage::instance());
    if (!store) return false;
    wave_.reset(store->loadWave(name_));
    return wave_ != nullptr;
}

bool TSe::setName(const std::string& name, bool load) {
    close();
    name_ = name;
    return load ? open() : true;
}

bool TSe::play(bool loop) {
    if (!wave_) open();
    loop_ = loop;
    state_ = 2;
    if (!isMute(true) && wave_) {
        wave_->setVolume(getDsVolume(true), -1);
        wave_->play(loop, -1);
    }
    return wave_ != nullptr;
}

void TSe::setMute(bool mute) {
    if (mute == mute_) return;
    mute_ = mute;
    if (isMute(true)) {
        if (wave_) wave_->stopFade(-1);
    } else if (state_ == 2) {
        play(loop_);
    }
}

void TSe::setVolume(int volume) {
    if (volume == volume_) return;
    volume_ = volume;
    if (wave_)
        wave_->setVolume(getDsVolume(true), -1);
    else if (state_ == 2)
        play(loop_);
}

void TSe::stop() {
    if (state_ == 2) state_ = 1;
    if (wave_) wave_->stopFade(-1);
}

void TSe::close() {
    stop();
    wave_.reset();
    name_.clear();
    loop_ = false;
}

void TSe::reset() {
    close();
    mute_ = false;
    volume_ = 255;
}

// ---- TSeSet ---------------------------------------------------------------------------------

TSeSet::~TSeSet() {
    clear();
    for (TSeSet* d : dependents_) d->linked_ = nullptr;
}

bool TSeSet::isMute(int id, bool effective) const {
    const TSe* e = find(id);
    return e ? e->isMute(effective) : isMute(effective);
}

bool TSeSet::isMute(bool effective) const {
    if (linked_) return linked_->isMute(effective);
    return effective ? mute_ || masterMute() : mute_;
}

int TSeSet::getVolume(int id, bool effective) const {
    const TSe* e = find(id);
    return e ? e->getVolume(effective) : getVolume(effective);
}

int TSeSet::getVolume(bool effective) const {
    if (linked_) return linked_->getVolume(effective);
    return effective ? volume_ * masterVolume() / 255 : volume_;
}

void TSeSet::setMute(int id, bool mute) {
    if (TSe* e = find(id)) e->setMute(mute);
}

void TSeSet::setVolume(int id, int volume) {
    if (TSe* e = find(id)) e->setVolume(volume);
}

void TSeSet::setMute(bool mute) {
    if (linked_) {
        linked_->setMute(mute);
        return;
    }
    mute_ = mute;
    applyMute();
}

void TSeSet::setVolume(int volume) {
    if (linked_) {
        linked_->setVolume(volume);
        return;
    }
    volume_ = volume;
    applyVolume();
}

void TSeSet::applyMute() {
    for (auto& [id, e] : elements_) e->setMute(e->isMute(false));
    for (TSeSet* d : std::vector<TSeSet*>(dependents_.begin(), dependents_.end())) d->applyMute();
}

void TSeSet::applyVolume() {
    for (auto& [id, e] : elements_) e->setVolume(e->getVolume(false));
    for (TSeSet* d : std::vector<TSeSet*>(dependents_.begin(), dependents_.end())) d->applyVolume();
}

TSe* TSeSet::findByName(const std::string& name) const {
    for (const auto& [id, e] : elements_)
        if (e->getName() == name) return e.get();
    return nullptr;
}

TSe* TSeSet::find(int id) const {
    auto it = elements_.find(id);
    return it == elements_.end() ? nullptr : it->second.get();
}

void TSeSet::setLinked(TSeSet* set) {
    if (set == this) return;
    if (linked_) linked_->removeDependent(this);
    linked_ = set;
    if (set) set->addDependent(this);
}

bool TSeSet::isAnyPlaying() {
    for (auto& [id, e] : elements_)
        if (e->isPlaying()) return true;
    return false;
}

int TSeSet::add(const std::string& name, bool load) {
    std::unique_ptr<TSe> se(createSe());
    if (!se->setName(name, load)) return -1;
    int id = nextId_;
    while (elements_.count(id)) ++id;
    elements_[id] = std::move(se);
    nextId_ = id + 1;
    return id;
}

int TSeSet::set(int id, const std::string& name, bool load) {
    std::unique_ptr<TSe> se(createSe());
    if (!se->setName(name, load)) return -1;
    elements_[id] = std::move(se);
    return id;
}

void TSeSet::insertEmpty(int id) { elements_[id].reset(createSe()); }

void TSeSet::close(int id) {
    if (TSe* e = find(id)) e->close();
}

bool TSeSet::play(int id, int pan, bool loop) {
    TSe* e = find(id);
    if (!e) return false;
    e->setPan(pan);
    return e->play(loop);
}

bool TSeSet::play(int id, bool loop) {
    TSe* e = find(id);
    return e && e->play(loop);
}

void TSeSet::stopAll() {
    for (auto& [id, e] : elements_) e->stop();
}

void TSeSet::stop(int id) {
    if (TSe* e = find(id)) e->stop();
}

void TSeSet::remove(int id) { elements_.erase(id); }

void TSeSet::clear() {
    if (linked_) linked_->removeDependent(this);
    linked_ = nullptr;
    elements_.clear();
}
