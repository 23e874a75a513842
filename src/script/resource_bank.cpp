#include "script/resource_bank.h"

#include "graphics/spr_maker.h"
#include "graphics/surface32.h"
#include "graphics/surface8.h"
#include "script/value_exchange.h"
#include "storage/storage.h"

namespace {

struct TSurfaceCoin : TCoin {
    const void* held() const override { return surface.get(); }
    graphics::TImageTrans trans{0, 0, 0xFFFFFFFFu};
    bool fill = false;  // made by getFillSurface: found again by its colour and size
    uint32_t fillColor = 0;
    int32_t fillWidth = 0, fillHeight = 0, fillAlpha = -1;
    std::unique_ptr<graphics::TSurface32> surface;
};

struct TSpdCoin : TCoin {
    const void* held() const override { return data.get(); }
    std::unique_ptr<graphics::TSpdData> data;
};

struct TAlphaChCoin : TCoin {
    const void* held() const override { return channel.get(); }
    std::unique_ptr<graphics::TAlphaCh> channel;
};

TSurfaceCoin* surfaceCoin(TCoin* c) { return static_cast<TSurfaceCoin*>(c); }

// The save form of a transparency index is 16 bits, where 0xFFFF is "none".
uint16_t indexToSave(uint32_t index) { return index == 0xFFFFFFFFu ? 0xFFFF : static_cast<uint16_t>(index); }
uint32_t indexFromSave(uint16_t index) { return index == 0xFFFF ? 0xFFFFFFFFu : index; }

constexpr const char kSpdIdPrefix[] = "<SPD:";

}  // namespace

// ---- the shared list ----

TCoinBank::~TCoinBank() = default;

std::vector<std::string> TCoinBank::names() const {
    std::vector<std::string> out;
    for (const auto& c : coins_) out.push_back(c->name);
    return out;
}

TCoin* TCoinBank::findHeld(const void* data) const {
    if (!data) return nullptr;
    for (const auto* list : {&coins_, &kept_})
        for (const auto& c : *list)
            if (c->held() == data) return c.get();
    return nullptr;
}

TCoin* TCoinBank::findId(int32_t id) const {
    return findIf([id](const TCoin& c) { return c.id == id; });
}

TCoin* TCoinBank::insert(std::unique_ptr<TCoin> coin, int32_t id) {
    coin->id = id < 0 ? nextId_++ : id;
    usedBytes_ += coin->byteSize;
    coins_.push_front(std::move(coin));
    TCoin* made = coins_.front().get();
    // A preloaded entry (no reference) that alone is over the budget goes again at once: its
    // pointer is then only good for a test against null.
    shrink(budget_);
    return made;
}

void TCoinBank::moveToFront(TCoin* coin) {
    for (auto it = coins_.begin(); it != coins_.end(); ++it)
        if (it->get() == coin) {
            coins_.splice(coins_.begin(), coins_, it);
            return;
        }
}

bool TCoinBank::releaseHeld(const void* data) {
    if (!data) return false;
    for (auto it = kept_.begin(); it != kept_.end(); ++it)
        if ((*it)->held() == data) {
            if (--(*it)->refCount <= 0) kept_.erase(it);
            return true;
        }
    TCoin* c = findIf([data](const TCoin& c) { return c.held() == data; });
    if (!c) return false;
    if (c->refCount >= 1 && --c->refCount == 0) moveToFront(c);
    return true;
}

void TCoinBank::shrink(int64_t limit) {
    for (auto it = coins_.end(); usedBytes_ > limit && it != coins_.begin();) {
        --it;
        if ((*it)->refCount != 0) continue;
        usedBytes_ -= (*it)->byteSize;
        // Unlinked before it is deleted: sprite data gives its textures back to another bank.
        std::unique_ptr<TCoin> gone = std::move(*it);
        it = coins_.erase(it);
    }
}

void TCoinBank::clear() {
    std::list<std::unique_ptr<TCoin>> all;
    all.swap(coins_);
    for (auto& c : all)
        if (c && c->refCount > 0) kept_.push_back(std::move(c));
    nextId_ = 0;
    usedBytes_ = 0;
}

// ---- surfaces ----

graphics::TSurface32* createFillSurface(uint32_t colour, int32_t width, int32_t height, int32_t alpha) {
    auto surface = std::make_unique<graphics::TSurface32>();
    if (!surface->createFilled(width, height, colour)) return nullptr;
    if (alpha >= 0) surface->setHasAlpha(true);
    return surface.release();
}

void deleteSurface(graphics::TSurface32* surface) { delete surface; }

graphics::TSurface32* TSurfaceBank::load(const std::string& name, const graphics::TImageTrans& trans) {
    auto* store = dynamic_cast<TStorageGraph*>(TStorage::instance());
    return store ? store->loadSurfaceWith(name, trans.flags ? &trans : nullptr, false) : nullptr;
}

graphics::TSurface32* TSurfaceBank::take(const std::string& name, const graphics::TImageTrans& trans, int32_t refs) {
    if (name.empty()) return nullptr;
    TCoin* hit = findIf([&](const TCoin& c) {
        const auto& s = static_cast<const TSurfaceCoin&>(c);
        return !s.fill && s.name == name && graphics::sameTrans(s.trans, trans);
    });
    if (hit) {
        if (refs)
            ++hit->refCount;
        else
            moveToFront(hit);
        return surfaceCoin(hit)->surface.get();
    }
    std::unique_ptr<graphics::TSurface32> surface(load(name, trans));
    if (!surface) return nullptr;
    auto coin = std::make_unique<TSurfaceCoin>();
    coin->name = name;
    coin->trans = trans;
    coin->refCount = refs;
    coin->byteSize = surface->byteSize();
    coin->surface = std::move(surface);
    graphics::TSurface32* s = coin->surface.get();
    insert(std::move(coin));
    return s;
}

graphics::TSurface32* TSurfaceBank::get(const std::string& name, const graphics::TImageTrans& trans) {
    return take(name, trans, 1);
}

bool TSurfaceBank::preload(const std::string& name, const graphics::TImageTrans& trans) {
    return take(name, trans, 0) != nullptr;
}

graphics::TSurface32* TSurfaceBank::getFillSurface(uint32_t colour, int32_t width, int32_t height, int32_t alpha) {
    TCoin* hit = findIf([&](const TCoin& c) {
        const auto& s = static_cast<const TSurfaceCoin&>(c);
        return s.fill && s.fillColor == colour && s.fillWidth == width && s.fillHeight == height &&
               s.fillAlpha == alpha;
    });
    if (hit) {
        ++hit->refCount;
        return surfaceCoin(hit)->surface.get();
    }
    std::unique_ptr<graphics::TSurface32> surface(createFillSurface(colour, width, height, alpha));
    if (!surface) return nullptr;
    auto coin = std::make_unique<TSurfaceCoin>();
    coin->fill = true;
    coin->fillColor = colour, coin->fillWidth = width, coin->fillHeight = height, coin->fillAlpha = alpha;
    coin->refCount = 1;
    coin->byteSize = surface->byteSize();
    coin->surface = std::move(surface);
    graphics::TSurface32* s = coin->surface.get();
    insert(std::move(coin));
    return s;
}

graphics::TSurface32* TSurfaceBank::adopt(graphics::TSurface32* surface) {
    if (!surface) return nullptr;
    if (TCoin* held = findHeld(surface)) {
        ++held->refCount;
        return surface;
    }
    auto coin = std::make_unique<TSurfaceCoin>();
    coin->refCount = 1;
    coin->byteSize = surface->byteSize();
    coin->surface.reset(surface);
    insert(std::move(coin));
    return surface;
}

void TSurfaceBank::addRef(graphics::TSurface32* surface) {
    if (TCoin* c = findHeld(surface)) ++c->refCount;
}

void TSurfaceBank::release(graphics::TSurface32* surface) { releaseHeld(surface); }

void TSurfaceBank::releaseByName(const std::string& name, const graphics::TImageTrans& trans) {
    TCoin* c = findIf([&](const TCoin& c) {
        const auto& s = static_cast<const TSurfaceCoin&>(c);
        return !s.fill && s.name == name && graphics::sameTrans(s.trans, trans);
    });
    if (c) releaseHeld(c->held());
}

void TSurfaceBank::exchange(TValueExchange& x, graphics::TSurface32*& surface) {
    TValueExchange::TKey key(x, "SurfaceBank");
    const auto* held = x.isStoring() ? static_cast<const TSurfaceCoin*>(findHeld(surface)) : nullptr;
    bool enable = held != nullptr;
    x.exchangeByte("Enable", enable);
    if (!enable) {
        if (x.isLoading()) surface = nullptr;
        return;
    }
    TSurfaceCoin fields;
    if (held) {
        fields.name = held->name;
        fields.trans = held->trans;
        fields.fillColor = held->fillColor, fields.fillWidth = held->fillWidth;
        fields.fillHeight = held->fillHeight, fields.fillAlpha = held->fillAlpha;
    }
    uint16_t index = indexToSave(fields.trans.keyIndex);
    x.exchangeString("cName", fields.name);
    x.exchangeWord("cTransFlag", fields.trans.flags);
    x.exchangeLong("cTransColor", fields.trans.keyColor);
    x.exchangeWord("cTransIndex", index);
    x.exchangeLong("cColor", fields.fillColor);
    x.exchangeLong("cWidth", fields.fillWidth);
    x.exchangeLong("cHeight", fields.fillHeight);
    x.exchangeShort("cAlpha", fields.fillAlpha);
    if (x.isStoring()) return;
    fields.trans.keyIndex = indexFromSave(index);
    if (fields.name.empty()) {
        surface = getFillSurface(fields.fillColor, fields.fillWidth, fields.fillHeight, fields.fillAlpha);
        if (!surface) warning(kG2WarnImageFile, "FillSurface");
    } else {
        surface = get(fields.name, fields.trans);
        if (!surface) warning(kG2WarnImageFile, fields.name);
    }
}

// ---- sprite data ----

graphics::TSurface32* TSpdDataInBank::loadTexture(const std::string& folder, const std::string& spec) {
    graphics::TSprMaker parser;
    if (!parser.parseSpec(folder.empty() ? spec : folder + "\\" + spec)) return nullptr;
    return surfaces_.get(parser.fileName(), parser.trans());
}

void TSpdDataInBank::releaseTexture(graphics::TSurface32* surface) { surfaces_.release(surface); }

TSpdBank::~TSpdBank() {
    // The sprite data gives its textures back while the surface bank still stands.
    coins_.clear();
    kept_.clear();
}

std::unique_ptr<graphics::TSpdData> TSpdBank::load(const std::string& name) {
    auto data = std::make_unique<TSpdDataInBank>(surfaces_);
    if (!data->load(name)) return nullptr;
    return data;
}

graphics::TSpdData* TSpdBank::add(const std::string& name, int32_t id) {
    std::unique_ptr<graphics::TSpdData> data = load(name);
    if (!data) return nullptr;
    auto coin = std::make_unique<TSpdCoin>();
    coin->name = name;
    coin->refCount = 1;
    coin->byteSize = static_cast<int64_t>(data->byteSize());
    coin->data = std::move(data);
    graphics::TSpdData* d = coin->data.get();
    insert(std::move(coin), id);
    return d;
}

graphics::TSpdData* TSpdBank::get(const std::string& name) {
    if (name.empty()) return nullptr;
    TCoin* hit = nullptr;
    if (name.compare(0, sizeof kSpdIdPrefix - 1, kSpdIdPrefix) == 0) {
        const size_t close = name.find('>', sizeof kSpdIdPrefix - 1);
        if (close == std::string::npos) return nullptr;
        int64_t id = 0;
        for (size_t i = sizeof kSpdIdPrefix - 1; i < close && name[i] >= '0' && name[i] <= '9'; ++i)
            if ((id = id * 10 + (name[i] - '0')) > INT32_MAX) return nullptr;
        // No file bears such a name: an entry that is gone cannot be loaded again.
        hit = findId(static_cast<int32_t>(id));
        if (!hit) return nullptr;
    } else {
        hit = findIf([&](const TCoin& c) { return c.name == name; });
    }
    if (hit) {
        ++hit->refCount;
        return static_cast<TSpdCoin*>(hit)->data.get();
    }
    return add(name, -1);
}

graphics::TSpdData* TSpdBank::getWithId(int32_t id, const std::string& name) {
    if (id < 0 || id == INT32_MAX) return nullptr;
    if (nextId_ <= id) nextId_ = id + 1;
    if (TCoin* c = findId(id)) {
        if (c->name == name) {
            ++c->refCount;
            return static_cast<TSpdCoin*>(c)->data.get();
        }
        c->id = nextId_++;
    }
    return add(name, id);
}

void TSpdBank::addRef(graphics::TSpdData* data) {
    if (TCoin* c = findHeld(data)) ++c->refCount;
}

void TSpdBank::release(graphics::TSpdData* data) { releaseHeld(data); }

void TSpdBank::releaseById(int32_t id) {
    if (TCoin* c = findId(id)) releaseHeld(c->held());
}

int32_t TSpdBank::idOf(const graphics::TSpdData* data) const {
    const TCoin* c = findHeld(data);
    return c ? c->id : -1;
}

void TSpdBank::exchange(TValueExchange& x, graphics::TSpdData*& data) {
    TValueExchange::TKey key(x, "SpdBank");
    const TCoin* held = x.isStoring() ? findHeld(data) : nullptr;
    bool enable = held != nullptr;
    x.exchangeByte("Enable", enable);
    if (!enable) {
        if (x.isLoading()) data = nullptr;
        return;
    }
    std::string name = held ? held->name : std::string();
    x.exchangeString("Name", name);
    if (x.isStoring()) return;
    data = get(name);
    if (!data) warning(kG2WarnImageFile, name);
}

// ---- alpha channels ----

graphics::TAlphaCh* TAlphaChBank::load(const std::string& name) {
    auto* store = dynamic_cast<TStorageGraph*>(TStorage::instance());
    return store ? store->loadAlphaChannel(name) : nullptr;
}

graphics::TAlphaCh* TAlphaChBank::get(const std::string& name) {
    if (name.empty()) return nullptr;
    if (TCoin* hit = findIf([&](const TCoin& c) { return c.name == name; })) {
        ++hit->refCount;
        return static_cast<TAlphaChCoin*>(hit)->channel.get();
    }
    std::unique_ptr<graphics::TAlphaCh> channel(load(name));
    if (!channel) return nullptr;
    auto coin = std::make_unique<TAlphaChCoin>();
    coin->name = name;
    coin->refCount = 1;
    coin->byteSize = channel->byteSize();
    coin->channel = std::move(channel);
    graphics::TAlphaCh* ch = coin->channel.get();
    insert(std::move(coin));
    return ch;
}

void TAlphaChBank::addRef(graphics::TAlphaCh* channel) {
    if (TCoin* c = findHeld(channel)) ++c->refCount;
}

void TAlphaChBank::release(graphics::TAlphaCh* channel) { releaseHeld(channel); }

std::string TAlphaChBank::nameOf(const graphics::TAlphaCh* channel) const {
    const TCoin* c = findHeld(channel);
    return c ? c->name : std::string();
}

void TAlphaChBank::exchange(TValueExchange& x, graphics::TAlphaCh*& channel) {
    TValueExchange::TKey key(x, "AlphaChBank");
    const TCoin* held = x.isStoring() ? findHeld(channel) : nullptr;
    bool enable = held != nullptr;
    x.exchangeByte("Enable", enable);
    if (!enable) {
        if (x.isLoading()) channel = nullptr;
        return;
    }
    std::string name = held ? held->name : std::string();
    x.exchangeString("Name", name);
    if (x.isStoring()) return;
    channel = get(name);
    if (!channel) warning(kG2WarnImageFile, name);
}

// ---- all four ----

void TResourceBank::clear() {
    // Sprite data first: what it frees gives its textures back to the surface bank.
    spds_.clear();
    surfaces_.clear();
    alphaChs_.clear();
}
