#include "graphics/spr_maker.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "framework/frame.h"
#include "graphics/profile_reader.h"
#include "graphics/sprite.h"
#include "graphics/surface32.h"
#include "platform/clock.h"
#include "storage/storage.h"

namespace graphics {

namespace {

TImageTrans noTrans() {
    TImageTrans t;
    t.flags = 0;
    t.keyColor = 0;
    t.keyIndex = 0xFFFFFFFFu;  // no palette index
    return t;
}

// The surface from the resource store, without an alpha companion file.
TSurface32* storeSurface(const std::string& path, const TImageTrans& trans) {
    auto* store = dynamic_cast<TStorageGraph*>(TStorage::instance());
    if (!store) return nullptr;
    return store->loadSurfaceWith(path, trans.flags ? &trans : nullptr, false);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

uint32_t frameNow() { return gameFrame() ? gameFrame()->currentTime() : platform::timeGetTime(); }

}  // namespace

bool sameTrans(const TImageTrans& a, const TImageTrans& b) {
    return a.flags == b.flags && a.keyColor == b.keyColor && a.keyIndex == b.keyIndex;
}

std::string formatSpec(const char* format, va_list args) {
    if (!format) return {};
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n <= 0) return {};
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), format, args);
    return std::string(buf.data(), static_cast<size_t>(n));
}

// ---- TSprMaker ----------------------------------------------------------------------------------

TSprMaker::TSprMaker() : trans_(noTrans()) {}

bool TSprMaker::parseSpec(const std::string& spec) {
    fileName_ = spec;
    options_.clear();
    trans_ = noTrans();
    clipSet_ = blockSet_ = 0;
    const size_t semi = findSjis(fileName_, ';');
    if (semi == std::string::npos) return true;
    options_ = fileName_.substr(semi);
    fileName_.resize(semi);
    size_t pos = 0;
    while (pos < options_.size() && options_[pos] == ';') pos = parseOption(pos + 1);
    return true;
}

size_t TSprMaker::parseOption(size_t pos) {
    const std::string& o = options_;
    const size_t end = o.size();
    if (pos >= end) return end;
    const char letter = o[pos];
    if (letter == 'b' || letter == 'c' || letter == 's') {
        // The character after the letter stands for an opening parenthesis, whatever it is.
        size_t p = pos + 2;
        int32_t v[4];
        for (int i = 0; i < 4; ++i) {
            const size_t delim = o.find(i < 3 ? ',' : ')', std::min(p, end));
            // A list cut short ends the options; nothing of it applies.
            if (p > end || delim == std::string::npos) return end;
            v[i] = parseNumber(o.substr(p, delim - p));
            p = delim + 1;
        }
        if (letter == 'b') {
            std::copy(v, v + 4, block_);
            blockSet_ = 1;
        } else {
            clip_ = TRect(v[0], v[1], v[2], v[3]);
            clipSet_ = 1;
        }
        return p;
    }
    if (letter != 't') return pos;
    const size_t p = pos + 1;
    const char c = p < end ? o[p] : '\0';
    static constexpr uint16_t kCorners[4] = {0x30, 0x60, 0xC0, 0x90};
    if (c >= '0' && c <= '3') {
        trans_.flags |= kCorners[c - '0'];
        return p + 1;
    }
    if (c == 'p') {
        size_t q = p + 1;
        uint32_t index = 0;
        while (q < end && o[q] >= '0' && o[q] <= '9') index = index * 10 + static_cast<uint32_t>(o[q++] - '0');
        trans_.flags |= 0x0002;
        trans_.keyIndex = index;
        return q;
    }
    if (c == 'x') {
        int d[6];
        bool ok = p + 7 <= end;
        for (int i = 0; ok && i < 6; ++i) ok = (d[i] = hexDigit(o[p + 1 + i])) >= 0;
        if (ok) {
            const uint32_t r = d[0] * 16 + d[1], g = d[2] * 16 + d[3], b = d[4] * 16 + d[5];
            trans_.flags |= 0x0001;
            trans_.keyColor = r | g << 8 | b << 16;
            return p + 7;
        }
    }
    trans_.flags |= 0x30;
    return p;
}

bool TSprMaker::makeSprite(TSprite32& sprite, const std::string& spec) {
    parseSpec(spec);
    return setupSprite(sprite);
}

bool TSprMaker::setupSprite(TSprite32& sprite) {
    TSurface32* surface = loadSurface(fileName_, trans_);
    if (!surface) return false;
    sprite.setBlendType(0);
    sprite.setSurface(surface);
    if (clipSet_) {
        sprite.setSourceRect(clip_);
    } else if (blockSet_ && block_[0] > 0 && block_[1] > 0) {
        const int32_t cw = surface->width() / block_[0], ch = surface->height() / block_[1];
        const int64_t x = int64_t(block_[2]) * cw, y = int64_t(block_[3]) * ch;
        sprite.setSourceRect(
            RECT{RECT::saturate(x), RECT::saturate(y), RECT::saturate(x + cw), RECT::saturate(y + ch)});
    }
    return true;
}

TSurface32* TSprMaker::loadSurface(const std::string& name, const TImageTrans& trans) {
    return storeSurface(name, trans);
}

// ---- TSprUnitObj --------------------------------------------------------------------------------

bool TSprUnitObj::fromTrans(const std::string& name, const TImageTrans& trans, TSurfaceSet& set) {
    TSurface32* surface = set.loadImage(name, trans);
    if (!surface) return false;
    TSprite32::reset();
    setSurface(surface);
    return true;
}

bool TSprUnitObj::fromSpec(const std::string& spec, TSurfaceSet& set) {
    TSprite32::reset();
    return set.makeSprite(*this, spec);
}

void TSprUnitObj::setRect(int32_t sx, int32_t sy, int32_t sw, int32_t sh) {
    if (sw > 0 && sh > 0) setSourceRect(TRect(sx, sy, sw, sh));
}

bool TSprUnitObj::create(const std::string& name, const TImageTrans& trans, int32_t depth, int32_t x, int32_t y,
                         int32_t sx, int32_t sy, int32_t sw, int32_t sh, TSurfaceSet& set) {
    return fromTrans(name, trans, set) && place(depth, x, y, sx, sy, sw, sh);
}
bool TSprUnitObj::create(const std::string& name, const TImageTrans& trans, int32_t depth, int32_t x, int32_t y,
                         TSurfaceSet& set) {
    return fromTrans(name, trans, set) && place(depth, x, y);
}
bool TSprUnitObj::create(const std::string& name, const TImageTrans& trans, int32_t x, int32_t y, int32_t sx,
                         int32_t sy, int32_t sw, int32_t sh, TSurfaceSet& set) {
    return fromTrans(name, trans, set) && place(x, y, sx, sy, sw, sh);
}
bool TSprUnitObj::create(const std::string& name, const TImageTrans& trans, int32_t x, int32_t y, TSurfaceSet& set) {
    return fromTrans(name, trans, set) && place(x, y);
}
bool TSprUnitObj::create(const std::string& spec, int32_t depth, int32_t x, int32_t y, int32_t sx, int32_t sy,
                         int32_t sw, int32_t sh, TSurfaceSet& set) {
    return fromSpec(spec, set) && place(depth, x, y, sx, sy, sw, sh);
}
bool TSprUnitObj::create(const std::string& spec, int32_t depth, int32_t x, int32_t y, TSurfaceSet& set) {
    return fromSpec(spec, set) && place(depth, x, y);
}
bool TSprUnitObj::create(const std::string& spec, int32_t x, int32_t y, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
                         TSurfaceSet& set) {
    return fromSpec(spec, set) && place(x, y, sx, sy, sw, sh);
}
bool TSprUnitObj::create(const std::string& spec, int32_t x, int32_t y, TSurfaceSet& set) {
    return fromSpec(spec, set) && place(x, y);
}

bool TSprUnitObj::create(const SprDepthRectRecord& r, TSurfaceSet& set) {
    return r.name && create(r.name, r.depth, r.x, r.y, r.sx, r.sy, r.sw, r.sh, set);
}
bool TSprUnitObj::create(const SprDepthRecord& r, TSurfaceSet& set) {
    return r.name && create(r.name, r.depth, r.x, r.y, set);
}
bool TSprUnitObj::create(const SprRectRecord& r, TSurfaceSet& set) {
    return r.name && create(r.name, r.x, r.y, r.sx, r.sy, r.sw, r.sh, set);
}
bool TSprUnitObj::create(const SprRecord& r, TSurfaceSet& set) { return r.name && create(r.name, r.x, r.y, set); }

#define MJ_UNIT_FORMAT(Record, ...)                                           \
    bool TSprUnitObj::createFormat(TSurfaceSet& set, const Record* rp, ...) { \
        if (!rp || !rp->name) return false;                                   \
        const Record& r = *rp;                                                \
        va_list args;                                                         \
        va_start(args, rp);                                                   \
        const std::string spec = formatSpec(r.name, args);                    \
        va_end(args);                                                         \
        return create(spec, __VA_ARGS__, set);                                \
    }
MJ_UNIT_FORMAT(SprDepthRectRecord, r.depth, r.x, r.y, r.sx, r.sy, r.sw, r.sh)
MJ_UNIT_FORMAT(SprDepthRecord, r.depth, r.x, r.y)
MJ_UNIT_FORMAT(SprRectRecord, r.x, r.y, r.sx, r.sy, r.sw, r.sh)
MJ_UNIT_FORMAT(SprRecord, r.x, r.y)
#undef MJ_UNIT_FORMAT

bool TSprUnitObj::place(int32_t depth, int32_t x, int32_t y, int32_t sx, int32_t sy, int32_t sw, int32_t sh) {
    setDepth(depth);
    return place(x, y, sx, sy, sw, sh);
}
bool TSprUnitObj::place(int32_t depth, int32_t x, int32_t y) {
    setDepth(depth);
    return place(x, y);
}
bool TSprUnitObj::place(int32_t x, int32_t y, int32_t sx, int32_t sy, int32_t sw, int32_t sh) {
    setPos(x, y);
    setRect(sx, sy, sw, sh);
    return true;
}
bool TSprUnitObj::place(int32_t x, int32_t y) {
    setPos(x, y);
    return true;
}

// ---- TSurfaceSet --------------------------------------------------------------------------------

TSurfaceSet::~TSurfaceSet() { clear(); }

TSurface32* TSurfaceSet::findImage(const std::string& name, const TImageTrans& trans) const {
    for (const TCoin& c : coins_)
        if (sameTrans(c.trans, trans) && c.name == name) return c.surface;
    return nullptr;
}

TSurface32* TSurfaceSet::find(const std::string& spec) {
    parseSpec(spec);
    return findImage(fileName_, trans_);
}

bool TSurfaceSet::addSurface(const std::string& name, TSurface32* surface) {
    coins_.push_back(TCoin{name, noTrans(), surface});
    return true;
}

bool TSurfaceSet::loadList(const char* const* specs) {
    bool all = true;
    for (; specs && *specs; ++specs) all = load(*specs) != nullptr && all;
    return all;
}

TSurface32* TSurfaceSet::loadImage(const std::string& name, const TImageTrans& trans) {
    if (TSurface32* hit = findImage(name, trans)) return hit;
    const std::string path = folder_.empty() ? name : folder_ + "\\" + name;
    TSurface32* surface = storeSurface(path, trans);
    if (surface) coins_.push_back(TCoin{name, trans, surface});
    return surface;
}

TSurface32* TSurfaceSet::load(const std::string& spec) {
    parseSpec(spec);
    return loadImage(fileName_, trans_);
}

void TSurfaceSet::clear() {
    for (TCoin& c : coins_) delete c.surface;
    coins_.clear();
}

void TSurfaceSet::releaseSurface(TSurface32* surface) {
    const auto it = std::find_if(coins_.begin(), coins_.end(), [&](const TCoin& c) { return c.surface == surface; });
    if (it == coins_.end()) return;
    delete it->surface;
    coins_.erase(it);
}

void TSurfaceSet::releaseImage(const std::string& name, const TImageTrans& trans) {
    const auto it = std::find_if(coins_.begin(), coins_.end(),
                                 [&](const TCoin& c) { return sameTrans(c.trans, trans) && c.name == name; });
    if (it == coins_.end()) return;
    delete it->surface;
    coins_.erase(it);
}

void TSurfaceSet::release(const std::string& spec) {
    parseSpec(spec);
    releaseImage(fileName_, trans_);
}

void TSurfaceSet::moveTo(const std::string& name, TSurfaceSet& other) {
    if (&other == this) return;
    for (auto it = coins_.begin(); it != coins_.end();) {
        if (it->name == name) {
            auto next = std::next(it);
            other.coins_.splice(other.coins_.end(), coins_, it);
            it = next;
        } else {
            ++it;
        }
    }
}

bool TSurfaceSet::queueList(const char* const* specs) {
    queue_.push_back({0, folder_});
    for (; specs && *specs; ++specs) queue_.push_back({1, *specs});
    return true;
}

bool TSurfaceSet::queue(const std::string& spec) {
    queue_.push_back({0, folder_});
    queue_.push_back({1, spec});
    return true;
}

bool TSurfaceSet::queueTableRect(const SprRectRecord* table) {
    queue_.push_back({0, folder_});
    for (; table && table->name; ++table) queue_.push_back({1, table->name});
    return true;
}

bool TSurfaceSet::queueTable(const SprRecord* table) {
    queue_.push_back({0, folder_});
    for (; table && table->name; ++table) queue_.push_back({1, table->name});
    return true;
}

bool TSurfaceSet::queueTextureSet(const std::string& file) {
    TStorage* store = TStorage::instance();
    std::unique_ptr<TStream> stream = store ? store->openStream(file) : nullptr;
    if (!stream) return false;
    TProfileReader reader;
    reader.read(*stream);
    reader.setSection("FileInfo");
    if (reader.getString("kind", "") != "WSD") return false;
    // Names past the keys the description holds would all be empty: they are not queued.
    const int32_t n = std::min<int32_t>(reader.getInt("numTexture", 0), static_cast<int32_t>(reader.lines().size()));
    reader.setSection("Texture");
    queue_.push_back({0, folder_});
    char key[32];
    for (int32_t i = 0; i < n; ++i) {
        std::snprintf(key, sizeof key, "File%d", i);
        queue_.push_back({1, reader.getString(key, "")});
    }
    return true;
}

bool TSurfaceSet::processQueue(uint32_t budget) {
    if (queue_.empty()) return true;
    const uint32_t start = frameNow();
    for (;;) {
        QueueEntry e = std::move(queue_.front());
        queue_.pop_front();
        if (e.kind == 0) {
            queuedFolder_ = e.text;
        } else {
            const std::string kept = folder_;
            folder_ = queuedFolder_;
            load(e.text);
            folder_ = kept;
        }
        if (queue_.empty()) return true;
        const int32_t elapsed = platform::timeDiff(frameNow(), start);
        if (elapsed < 0 || static_cast<uint32_t>(elapsed) >= budget) return false;
    }
}

}  // namespace graphics
