#pragma once
// The engine's resource banks: reference-counted caches of surfaces, animated-sprite data and
// alpha channels by name. A holder takes a reference with get and gives it back with release;
// an entry whose count falls to 0 stays cached, and when a bank grows past its byte budget the
// entries released longest ago go first. Each bank can save which entry a holder refers to and
// take a new reference to it again on load.
//
// Clearing a bank (the engine's reset) forgets every entry at once, but an entry that a holder
// still refers to is not freed then: it lives on outside the cache until its last release, so
// a holder that outlives a reset never points at freed memory.
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "graphics/image_trans.h"
#include "graphics/spd.h"
#include "script/g2_error.h"
#include "script/script.h"

class TValueExchange;

namespace graphics {
class TAlphaCh;
class TSurface32;
}  // namespace graphics

// One cache entry; the kinds below add the data they own.
struct TCoin {
    virtual ~TCoin() = default;
    // The data this entry holds, for lookups by pointer.
    virtual const void* held() const = 0;

    int32_t id = 0;
    int32_t refCount = 0;
    std::string name;  // empty for surfaces made or adopted without a file
    int64_t byteSize = 0;
};

// The list, budget and eviction that every bank shares. Front = most recently made or released
// to 0; back = least recent.
class TCoinBank : public TErrorInterface {
public:
    explicit TCoinBank(int64_t budget) : budget_(budget) {}
    ~TCoinBank() override;
    TCoinBank(const TCoinBank&) = delete;
    TCoinBank& operator=(const TCoinBank&) = delete;

    // Forgets every entry; ids and used bytes start again from 0. Entries still referenced are
    // kept alive (uncounted, not found by name) until their last release.
    virtual void clear();
    // Drops unreferenced entries from the back until the used bytes fit the limit or only
    // referenced entries are left.
    virtual void shrink(int64_t limit);
    // Every unreferenced entry dropped.
    void dropUnused() { shrink(-1); }

    int64_t usedBytes() const { return usedBytes_; }
    int64_t budget() const { return budget_; }
    void setBudget(int64_t bytes) { budget_ = bytes; }
    int32_t nextId() const { return nextId_; }
    size_t size() const { return coins_.size(); }
    // The cached entries' names from the front of the list to the back.
    std::vector<std::string> names() const;

protected:
    TCoin* findHeld(const void* data) const;
    TCoin* findId(int32_t id) const;
    template <class Pred>
    TCoin* findIf(Pred pred) const {
        for (const auto& c : coins_)
            if (pred(*c)) return c.get();
        return nullptr;
    }
    // Numbers the coin when id < 0, puts it at the front, counts it and shrinks to the budget.
    TCoin* insert(std::unique_ptr<TCoin> coin, int32_t id = -1);
    void moveToFront(TCoin* coin);
    // One reference given back: false when no entry (cached or kept after a clear) holds data.
    bool releaseHeld(const void* data);
    static int32_t countOf(const TCoin* coin) { return coin ? coin->refCount : -1; }

    std::list<std::unique_ptr<TCoin>> coins_;
    // Entries a clear found still referenced.
    std::list<std::unique_ptr<TCoin>> kept_;
    int32_t nextId_ = 0;
    int64_t budget_ = 0;
    int64_t usedBytes_ = 0;
};

class TSurfaceBank : public TCoinBank {
public:
    static constexpr int64_t kBudget = 0x1000000;

    TSurfaceBank() : TCoinBank(kBudget) {}

    // A new reference, loading on a miss (name and every transparency field must match); null
    // when the image cannot be loaded.
    virtual graphics::TSurface32* get(const std::string& name, const graphics::TImageTrans& trans);
    // Cached without a reference (a hit only moves to the front); false when it cannot be loaded.
    virtual bool preload(const std::string& name, const graphics::TImageTrans& trans);
    // A new reference to a surface of one colour (alpha ≥ 0 switches blending on); null for a
    // size that cannot be made.
    virtual graphics::TSurface32* getFillSurface(uint32_t colour, int32_t width, int32_t height, int32_t alpha);
    // The bank takes ownership of a surface made elsewhere and hands back a reference to it.
    virtual graphics::TSurface32* adopt(graphics::TSurface32* surface);
    // One more reference to a held surface (a copied holder); nothing for any other surface.
    virtual void addRef(graphics::TSurface32* surface);
    // One reference given back. A surface the bank does not hold is left to its owner.
    virtual void release(graphics::TSurface32* surface);
    virtual void releaseByName(const std::string& name, const graphics::TImageTrans& trans);
    // Section "SurfaceBank": which entry the reference holds; loading takes a new reference
    // (warning 0x1006 and null when it cannot be loaded again).
    virtual void exchange(TValueExchange& x, graphics::TSurface32*& surface);
    // The references to a surface; -1 when the bank does not hold it.
    int32_t refCount(const graphics::TSurface32* surface) const { return countOf(findHeld(surface)); }

protected:
    // A new surface from the resource store, owned by the caller; null when it cannot be loaded.
    virtual graphics::TSurface32* load(const std::string& name, const graphics::TImageTrans& trans);

private:
    graphics::TSurface32* take(const std::string& name, const graphics::TImageTrans& trans, int32_t refs);
};

// Sprite data whose textures are references of a surface bank.
class TSpdDataInBank : public graphics::TSpdData {
public:
    explicit TSpdDataInBank(TSurfaceBank& surfaces) : surfaces_(surfaces) {}
    // The base's destructor cannot reach the override below.
    ~TSpdDataInBank() override { clear(); }
    graphics::TSurface32* loadTexture(const std::string& folder, const std::string& spec) override;
    void releaseTexture(graphics::TSurface32* surface) override;

private:
    TSurfaceBank& surfaces_;
};

class TSpdBank : public TCoinBank {
public:
    static constexpr int64_t kBudget = 0x1000000;

    explicit TSpdBank(TSurfaceBank& surfaces) : TCoinBank(kBudget), surfaces_(surfaces) {}
    ~TSpdBank() override;

    // A new reference, loading on a miss; null when the description cannot be read. "<SPD:n>"
    // names entry n (null without the closing ">" or when there is no such entry).
    virtual graphics::TSpdData* get(const std::string& name);
    // Entry id under that name: a new reference when it is that name; otherwise that id is
    // freed for it (the old entry renumbered) and the name loaded under it.
    virtual graphics::TSpdData* getWithId(int32_t id, const std::string& name);
    virtual void addRef(graphics::TSpdData* data);
    // Data the bank does not hold is ignored.
    virtual void release(graphics::TSpdData* data);
    virtual void releaseById(int32_t id);
    // Section "SpdBank": "Enable", then "Name".
    virtual void exchange(TValueExchange& x, graphics::TSpdData*& data);
    int32_t refCount(const graphics::TSpdData* data) const { return countOf(findHeld(data)); }
    // The id of the entry holding data, -1 when none does.
    int32_t idOf(const graphics::TSpdData* data) const;

protected:
    // The description read, null when it cannot be.
    virtual std::unique_ptr<graphics::TSpdData> load(const std::string& name);

private:
    graphics::TSpdData* add(const std::string& name, int32_t id);
    TSurfaceBank& surfaces_;
};

class TAlphaChBank : public TCoinBank {
public:
    static constexpr int64_t kBudget = 0x400000;

    TAlphaChBank() : TCoinBank(kBudget) {}

    // A new reference, loading on a miss; null when the channel cannot be loaded.
    virtual graphics::TAlphaCh* get(const std::string& name);
    virtual void addRef(graphics::TAlphaCh* channel);
    // A channel the bank does not hold is left to its owner.
    virtual void release(graphics::TAlphaCh* channel);
    // Section "AlphaChBank": "Enable", then "Name".
    virtual void exchange(TValueExchange& x, graphics::TAlphaCh*& channel);
    int32_t refCount(const graphics::TAlphaCh* channel) const { return countOf(findHeld(channel)); }
    // The name a held channel was loaded by; empty for any other.
    std::string nameOf(const graphics::TAlphaCh* channel) const;

protected:
    virtual graphics::TAlphaCh* load(const std::string& name);
};

// The engine's four banks. Clearing empties the image banks; scripts are held only by the
// threads that run them and leave with them.
class TResourceBank {
public:
    TResourceBank() = default;
    TResourceBank(const TResourceBank&) = delete;
    TResourceBank& operator=(const TResourceBank&) = delete;

    void clear();
    TScriptBank& scripts() { return scripts_; }
    TSurfaceBank& surfaces() { return surfaces_; }
    TSpdBank& spds() { return spds_; }
    TAlphaChBank& alphaChs() { return alphaChs_; }

private:
    TScriptBank scripts_;
    TSurfaceBank surfaces_;
    TSpdBank spds_{surfaces_};  // after the surfaces: its textures go back to them
    TAlphaChBank alphaChs_;
};

// A new surface of one colour; blending on when alpha ≥ 0; null for a size that cannot be made.
graphics::TSurface32* createFillSurface(uint32_t colour, int32_t width, int32_t height, int32_t alpha);
void deleteSurface(graphics::TSurface32* surface);
