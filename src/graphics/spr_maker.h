#pragma once
// Image specifications and the surface sets that load them. A specification is a file name
// followed by ';'-separated options: b(columns,rows,column,row) picks a cell of a grid,
// c(x,y,w,h) or s(x,y,w,h) a source rectangle, and t0-t3 (a corner), tpN (a palette index) or
// txRRGGBB (a colour) how the transparent colour is found. The sprite maker parses one and sets
// a sprite up with the picture it names; the surface set is a maker that also owns a cache of
// the surfaces it loaded, keyed by file name and transparency, with a folder prefix and a queue
// of loads to be worked off a few milliseconds per frame.
#include <cstdarg>
#include <cstdint>
#include <deque>
#include <list>
#include <string>

#include "graphics/gr_kinds.h"
#include "graphics/image_trans.h"

namespace graphics {

class TSurface32;
class TSprite32;
class TSurfaceSet;

bool sameTrans(const TImageTrans& a, const TImageTrans& b);

class TSprMaker {
public:
    TSprMaker();
    virtual ~TSprMaker() = default;

    // Splits spec into the file name and its options and reads the options. Always true.
    virtual bool parseSpec(const std::string& spec);
    // Reads the option whose letter is at pos of the options; the position after it (pos itself
    // for a letter that is no option, the end for an option cut short).
    virtual size_t parseOption(size_t pos);
    virtual bool makeSprite(TSprite32& sprite, const std::string& spec);
    // The parsed picture into the sprite: false (sprite untouched) when it does not load.
    virtual bool setupSprite(TSprite32& sprite);
    // A new surface from the resource store, owned by the caller; null when it cannot be made.
    virtual TSurface32* loadSurface(const std::string& name, const TImageTrans& trans);

    const std::string& fileName() const { return fileName_; }
    const std::string& options() const { return options_; }
    bool clipSet() const { return clipSet_ != 0; }
    bool blockSet() const { return blockSet_ != 0; }
    const RECT& clip() const { return clip_; }
    const int32_t* block() const { return block_; }
    const TImageTrans& trans() const { return trans_; }

protected:
    std::string fileName_;
    std::string options_;
    uint8_t clipSet_ = 0;
    uint8_t blockSet_ = 0;
    RECT clip_{};
    int32_t block_[4] = {};  // columns, rows, column, row
    TImageTrans trans_;
};

// Record tables, each ended by a record with a null name.
struct SprRecord {
    const char* name;
    int32_t x, y;
};
struct SprRectRecord {
    const char* name;
    int32_t x, y, sx, sy, sw, sh;
};
struct SprDepthRecord {
    int32_t depth;
    const char* name;
    int32_t x, y;
};
struct SprDepthRectRecord {
    int32_t depth;
    const char* name;
    int32_t x, y, sx, sy, sw, sh;
};

// The sprite kind that sprite sets hold: a sprite object whose surface a surface set keeps.
class TSprUnitObj : public TSprObj {
public:
    std::unique_ptr<TGrObj> clone() const override { return std::make_unique<TSprUnitObj>(*this); }

    // From a cached image with a transparency setting; false (unit unchanged) when it does not
    // load. The rectangle applies when it is not empty.
    bool create(const std::string& name, const TImageTrans& trans, int32_t depth, int32_t x, int32_t y, int32_t sx,
                int32_t sy, int32_t sw, int32_t sh, TSurfaceSet& set);
    bool create(const std::string& name, const TImageTrans& trans, int32_t depth, int32_t x, int32_t y,
                TSurfaceSet& set);
    bool create(const std::string& name, const TImageTrans& trans, int32_t x, int32_t y, int32_t sx, int32_t sy,
                int32_t sw, int32_t sh, TSurfaceSet& set);
    bool create(const std::string& name, const TImageTrans& trans, int32_t x, int32_t y, TSurfaceSet& set);
    // From a full specification; false (sprite reset) when it does not load.
    bool create(const std::string& spec, int32_t depth, int32_t x, int32_t y, int32_t sx, int32_t sy, int32_t sw,
                int32_t sh, TSurfaceSet& set);
    bool create(const std::string& spec, int32_t depth, int32_t x, int32_t y, TSurfaceSet& set);
    bool create(const std::string& spec, int32_t x, int32_t y, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
                TSurfaceSet& set);
    bool create(const std::string& spec, int32_t x, int32_t y, TSurfaceSet& set);
    // From a record (its name a full specification).
    bool create(const SprDepthRectRecord& r, TSurfaceSet& set);
    bool create(const SprDepthRecord& r, TSurfaceSet& set);
    bool create(const SprRectRecord& r, TSurfaceSet& set);
    bool create(const SprRecord& r, TSurfaceSet& set);
    // From a record whose name is a printf format filled with the trailing arguments; false for
    // no record.
    bool createFormat(TSurfaceSet& set, const SprDepthRectRecord* r, ...);
    bool createFormat(TSurfaceSet& set, const SprDepthRecord* r, ...);
    bool createFormat(TSurfaceSet& set, const SprRectRecord* r, ...);
    bool createFormat(TSurfaceSet& set, const SprRecord* r, ...);
    // Placing only.
    bool place(int32_t depth, int32_t x, int32_t y, int32_t sx, int32_t sy, int32_t sw, int32_t sh);
    bool place(int32_t depth, int32_t x, int32_t y);
    bool place(int32_t x, int32_t y, int32_t sx, int32_t sy, int32_t sw, int32_t sh);
    bool place(int32_t x, int32_t y);

private:
    bool fromTrans(const std::string& name, const TImageTrans& trans, TSurfaceSet& set);
    bool fromSpec(const std::string& spec, TSurfaceSet& set);
    void setRect(int32_t sx, int32_t sy, int32_t sw, int32_t sh);
};

// printf-style text of a format (an image specification with numbers filled in).
std::string formatSpec(const char* format, va_list args);

class TSurfaceSet : public TSprMaker {
public:
    struct TCoin {
        std::string name;
        TImageTrans trans;
        TSurface32* surface = nullptr;  // owned by the set
    };
    struct QueueEntry {
        int32_t kind;  // 0 set the queued folder, 1 load
        std::string text;
    };

    TSurfaceSet() = default;
    ~TSurfaceSet() override;
    TSurfaceSet(const TSurfaceSet&) = delete;
    TSurfaceSet& operator=(const TSurfaceSet&) = delete;

    // Through the cache.
    TSurface32* loadSurface(const std::string& name, const TImageTrans& trans) override {
        return loadImage(name, trans);
    }

    virtual void setFolder(const std::string& folder) { folder_ = folder; }
    virtual TSurface32* findImage(const std::string& name, const TImageTrans& trans) const;
    virtual TSurface32* find(const std::string& spec);
    // Takes ownership.
    virtual bool addSurface(const std::string& name, TSurface32* surface);
    // Every entry up to a null one; true when all loaded.
    virtual bool loadList(const char* const* specs);
    // The cached surface, else loaded (the folder before the name) and cached; null when it
    // does not load. The set keeps the surface.
    virtual TSurface32* loadImage(const std::string& name, const TImageTrans& trans);
    virtual TSurface32* load(const std::string& spec);
    virtual void clear();
    virtual void releaseSurface(TSurface32* surface);
    virtual void releaseImage(const std::string& name, const TImageTrans& trans);
    virtual void release(const std::string& spec);
    // Hands every coin of that name, with its surface, to the other set.
    virtual void moveTo(const std::string& name, TSurfaceSet& other);
    virtual bool queueList(const char* const* specs);
    virtual bool queue(const std::string& spec);
    virtual bool queueTableRect(const SprRectRecord* table);
    virtual bool queueTable(const SprRecord* table);
    // The textures of a WSD description; false (nothing queued) when it is missing or no WSD.
    virtual bool queueTextureSet(const std::string& file);
    // Works queued loads for at most budget milliseconds of the frame clock (at least one);
    // true when the queue is empty afterwards.
    virtual bool processQueue(uint32_t budget);
    virtual bool isQueueEmpty() const { return queue_.empty(); }

    const std::string& folder() const { return folder_; }
    const std::list<TCoin>& coins() const { return coins_; }
    size_t queueSize() const { return queue_.size(); }

private:
    std::string folder_;
    std::list<TCoin> coins_;
    std::string queuedFolder_;
    std::deque<QueueEntry> queue_;
};

}  // namespace graphics
