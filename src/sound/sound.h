#pragma once
// The sound manager: every element that plays (music, effects, voices) is registered with one
// master, TSound, which holds the master mute and volume. Volumes are 0 to 255 and go to the
// device as hundredths of a decibel through one table. Music is a TBgm (one streamed wave, in
// groups that share a group mute and volume); effects are TSe (one whole wave each), kept by id
// in a TSeSet with a set-level mute and volume.
#include <memory>
#include <set>
#include <string>
#include <unordered_map>

class TWave;
class TWaveStream;

// floor(3000 × log10(v / 255)) for v = 1..255, -10000 for 0; values outside 0..255 are clamped.
int volumeToDs(int volume);

class TSound {
public:
    class TElement {
    public:
        // Registers with the master, when there is one.
        TElement();
        virtual ~TElement();
        TElement(const TElement&) = delete;
        TElement& operator=(const TElement&) = delete;
        // With effective, the element's own setting combined with its group or set and the master.
        virtual bool isMute(bool effective = true) const = 0;
        virtual int getVolume(bool effective = true) const = 0;
        virtual bool isPlaying() = 0;
        virtual void setMute(bool mute) = 0;
        virtual void setVolume(int volume) = 0;
        virtual int getDsVolume(bool effective = true) const { return volumeToDs(getVolume(effective)); }
    };

    // The first master made is the program's one.
    TSound();
    virtual ~TSound();
    static TSound* instance();

    virtual bool isMute() const { return mute_; }
    virtual int getVolume() const { return volume_; }
    // On a change, every element is given its own setting again, so that it recomputes.
    virtual void setMute(bool mute);
    virtual void setVolume(int volume);
    virtual void registerElement(TElement* e);
    virtual void unregisterElement(TElement* e);

private:
    std::set<TElement*> elements_;
    bool mute_ = false;
    int volume_ = 255;
};

class TBgm : public TSound::TElement {
public:
    TBgm() = default;
    ~TBgm() override;

    bool isMute(bool effective = true) const override;
    int getVolume(bool effective = true) const override;
    bool isPlaying() override;
    void setMute(bool mute) override;
    void setVolume(int volume) override;

    TWaveStream* getStream() const { return stream_.get(); }
    virtual int getPan() const;
    virtual int getFrequency() const;
    const std::string& getName() const { return name_; }
    bool getLoop() const { return loop_; }
    int getState() const { return state_; }
    // What a saved game restores before it plays: the name without opening it, the loop flag.
    void setName(const std::string& name) {
        close();
        name_ = name;
    }
    void setLoop(bool loop) { loop_ = loop; }
    virtual void setPan(int pan);
    virtual void setFrequency(int hz);
    virtual bool isGroupMute(bool effective = true) const;
    virtual int getGroupVolume(bool effective = true) const;
    virtual void setGroupMute(bool mute);
    virtual void setGroupVolume(int volume);
    virtual void setGroupOwner(TBgm* owner);
    // Opens the stream of the name through the resource store (nothing while muted: play opens
    // it later); true when a stream is open, and while muted.
    virtual bool open(const std::string& name);
    virtual void close();
    virtual void reset();
    // False only when there is no stream.
    virtual bool play(bool loop);
    virtual void stop();
    virtual void applyMute();
    virtual void applyVolume();
    virtual void addMember(TBgm* bgm);
    virtual void removeMember(TBgm* bgm);
    bool lastWasOgg() const { return lastOgg_; }

protected:
    // A new, unloaded stream of the kind: Ogg Vorbis, or WAVE through the converter.
    virtual std::unique_ptr<TWaveStream> makeStream(bool ogg);

private:
    std::unique_ptr<TWaveStream> stream_;
    bool mute_ = false;
    int volume_ = 255;
    std::string name_;
    bool loop_ = false;
    bool lastOgg_ = true;
    int state_ = 1;
    bool groupMute_ = false;
    int groupVolume_ = 255;
    TBgm* groupOwner_ = nullptr;
    std::set<TBgm*> members_;
};

class TSeSet;

class TSe : public TSound::TElement {
public:
    explicit TSe(TSeSet* owner = nullptr) : owner_(owner) {}
    ~TSe() override;

    bool isMute(bool effective = true) const override;
    int getVolume(bool effective = true) const override;
    bool isPlaying() override;
    // Both act only on a change of value.
    void setMute(bool mute) override;
    void setVolume(int volume) override;

    TWave* getWave() const { return wave_.get(); }
    virtual int getPan() const;
    virtual int getFrequency() const;
    const std::string& getName() const { return name_; }
    bool getLoop() const { return loop_; }
    int getState() const { return state_; }
    void setLoop(bool loop) { loop_ = loop; }
    virtual void setPan(int pan);
    virtual void setFrequency(int hz);
    // Closes, stores the name and, with load, opens it (else true).
    virtual bool setName(const std::string& name, bool load);
    virtual void close();
    virtual void reset();
    // False only when there is no wave.
    virtual bool play(bool loop);
    virtual void stop();
    // The wave from the resource store's opener; true when one came back.
    virtual bool open();

private:
    TSeSet* owner_;
    std::unique_ptr<TWave> wave_;
    bool mute_ = false;
    int volume_ = 255;
    std::string name_;
    int copies_ = 16;
    bool loop_ = false;
    int state_ = 1;
};

class TSeSet {
public:
    TSeSet() = default;
    virtual ~TSeSet();
    TSeSet(const TSeSet&) = delete;
    TSeSet& operator=(const TSeSet&) = delete;

    // Per id: the effect's answer, or the set's when there is no such effect.
    virtual bool isMute(int id, bool effective) const;
    virtual bool isMute(bool effective = true) const;
    virtual int getVolume(int id, bool effective) const;
    virtual int getVolume(bool effective = true) const;
    virtual void setMute(int id, bool mute);
    virtual void setMute(bool mute);
    virtual void setVolume(int id, int volume);
    virtual void setVolume(int volume);
    virtual TSe* findByName(const std::string& name) const;
    virtual TSe* find(int id) const;
    // From now on the set's own mute and volume are those of set (its queries and settings go there).
    virtual void setLinked(TSeSet* set);
    virtual bool isAnyPlaying();
    // A new effect under the first free id from the next id up; -1 when it cannot be loaded.
    virtual int add(const std::string& name, bool load);
    virtual void insertEmpty(int id);
    virtual int set(int id, const std::string& name, bool load);
    virtual void close(int id);
    virtual bool play(int id, int pan, bool loop);
    virtual bool play(int id, bool loop);
    virtual void stopAll();
    virtual void stop(int id);
    virtual void clear();
    virtual void remove(int id);
    virtual void applyMute();
    virtual void applyVolume();
    virtual TSe* createSe() { return new TSe(this); }
    virtual void addDependent(TSeSet* set) { dependents_.insert(set); }
    virtual void removeDependent(TSeSet* set) { dependents_.erase(set); }
    size_t size() const { return elements_.size(); }

private:
    std::unordered_map<int, std::unique_ptr<TSe>> elements_;
    bool mute_ = false;
    int volume_ = 255;
    int nextId_ = 1000;
    TSeSet* linked_ = nullptr;
    std::set<TSeSet*> dependents_;
};
