#include "script/present/graphic_host.h"

#include "graphics/sprite.h"
#include "graphics/surface32.h"
#include "platform/clock.h"
#include "script/value_exchange.h"

namespace present {

namespace {

// A sprite maker whose surfaces are references taken from a bank.
class BankMaker : public graphics::TSprMaker {
public:
    explicit BankMaker(SurfaceBank& bank) : bank_(bank) {}
    graphics::TSurface32* loadSurface(const std::string& name, const graphics::TImageTrans& trans) override {
        return bank_.get(name, trans);
    }

private:
    SurfaceBank& bank_;
};

GraphicHost* installed = nullptr;

// Sprite data whose textures are references of the surface bank.
class BankSpdData : public graphics::TSpdData {
public:
    explicit BankSpdData(SurfaceBank& bank) : bank_(bank) {}
    // The base's destructor cannot reach the override below.
    ~BankSpdData() override { clear(); }
    graphics::TSurface32* loadTexture(const std::string& folder, const std::string& spec) override {
        BankMaker maker(bank_);
        maker.parseSpec(folder.empty() ? spec : folder + "\\" + spec);
        return bank_.get(maker.fileName(), maker.trans());
    }
    void releaseTexture(graphics::TSurface32* surface) override { bank_.release(surface); }

private:
    SurfaceBank& bank_;
};

}  // namespace

SurfaceBank::~SurfaceBank() = default;

SurfaceBank::Coin* SurfaceBank::find(const graphics::TSurface32* surface) {
    for (auto& c : coins_)
        if (surface && c.surface.get() == surface) return &c;
    return nullptr;
}

const SurfaceBank::Coin* SurfaceBank::find(const graphics::TSurface32* surface) const {
    return const_cast<SurfaceBank*>(this)->find(surface);
}

int32_t SurfaceBank::refCount(const graphics::TSurface32* surface) const {
    const Coin* c = find(surface);
    return c ? c->refs : -1;
}

graphics::TSurface32* SurfaceBank::load(const std::string& name, const graphics::TImageTrans& trans) {
    graphics::TSprMaker loader;
    return loader.loadSurface(name, trans);
}

graphics::TSurface32* SurfaceBank::get(const std::string& name, const graphics::TImageTrans& trans) {
    if (name.empty()) return nullptr;
    for (auto& c : coins_)
        if (c.name == name && graphics::sameTrans(c.trans, trans)) {
            ++c.refs;
            return c.surface.get();
        }
    std::unique_ptr<graphics::TSurface32> surface(load(name, trans));
    if (!surface) return nullptr;
    Coin& c = coins_.emplace_front();
    c.name = name;
    c.trans = trans;
    c.surface = std::move(surface);
    c.refs = 1;
    return c.surface.get();
}

bool SurfaceBank::preload(const std::string& name, const graphics::TImageTrans& trans) {
    graphics::TSurface32* s = get(name, trans);
    if (!s) return false;
    --find(s)->refs;
    return true;
}

graphics::TSurface32* SurfaceBank::getFillSurface(uint32_t colour, int32_t w, int32_t h, int32_t alpha) {
    for (auto& c : coins_)
        if (c.name.empty() && c.colour == colour && c.width == w && c.height == h && c.alpha == alpha) {
            ++c.refs;
            return c.surface.get();
        }
    auto surface = std::make_unique<graphics::TSurface32>();
    if (!surface->createFilled(w, h, colour)) return nullptr;
    if (alpha >= 0) surface->setHasAlpha(true);
    Coin& c = coins_.emplace_front();
    c.colour = colour, c.width = w, c.height = h, c.alpha = alpha;
    c.surface = std::move(surface);
    c.refs = 1;
    return c.surface.get();
}

void SurfaceBank::addRef(graphics::TSurface32* surface) {
    if (Coin* c = find(surface)) ++c->refs;
}

void SurfaceBank::release(graphics::TSurface32* surface) {
    if (Coin* c = find(surface))
        if (c->refs > 0) --c->refs;
}

void SurfaceBank::dropUnused() {
    coins_.remove_if([](const Coin& c) { return c.refs <= 0; });
}

void SurfaceBank::exchange(TValueExchange& x, graphics::TSurface32*& surface) {
    TValueExchange::TKey key(x, "SurfaceBank");
    const Coin* held = x.isStoring() ? find(surface) : nullptr;
    bool enable = held != nullptr;
    x.exchangeByte("Enable", enable);
    if (!enable) {
        if (x.isLoading()) surface = nullptr;
        return;
    }
    std::string name = held ? held->name : std::string();
    graphics::TImageTrans trans = held ? held->trans : graphics::TImageTrans{};
    uint32_t colour = held ? held->colour : 0;
    int32_t w = held ? held->width : 0, h = held ? held->height : 0, alpha = held ? held->alpha : -1;
    uint32_t index = trans.keyIndex;
    x.exchangeString("cName", name);
    x.exchangeWord("cTransFlag", trans.flags);
    x.exchangeLong("cTransColor", trans.keyColor);
    uint16_t index16 = static_cast<uint16_t>(index);
    x.exchangeWord("cTransIndex", index16);
    x.exchangeLong("cColor", colour);
    x.exchangeLong("cWidth", w);
    x.exchangeLong("cHeight", h);
    x.exchangeShort("cAlpha", alpha);
    if (x.isStoring()) return;
    trans.keyIndex = index16 == 0xFFFF ? 0xFFFFFFFFu : index16;
    surface = name.empty() ? getFillSurface(colour, w, h, alpha) : get(name, trans);
}

void GraphicHost::exchangeAlphaCh(TValueExchange& x, graphics::TAlphaCh*& ch) {
    TValueExchange::TKey key(x, "AlphaChBank");
    bool enable = false;
    x.exchangeByte("Enable", enable);
    if (x.isLoading() && enable) x.getString("Name");
    if (x.isLoading()) ch = nullptr;
}

SpdBank::~SpdBank() = default;

graphics::TSpdData* SpdBank::get(const std::string& name) {
    if (name.empty() || name.rfind("<SPD:", 0) == 0) return nullptr;
    for (auto& e : entries_)
        if (e.name == name) {
            ++e.refs;
            return e.data.get();
        }
    auto data = std::make_unique<BankSpdData>(surfaces_);
    if (!data->load(name)) return nullptr;
    Entry& e = entries_.emplace_front();
    e.name = name;
    e.data = std::move(data);
    e.refs = 1;
    return e.data.get();
}

void SpdBank::addRef(graphics::TSpdData* data) {
    for (auto& e : entries_)
        if (data && e.data.get() == data) ++e.refs;
}

void SpdBank::release(graphics::TSpdData* data) {
    for (auto& e : entries_)
        if (data && e.data.get() == data && e.refs > 0) --e.refs;
}

int32_t SpdBank::refCount(const graphics::TSpdData* data) const {
    for (auto& e : entries_)
        if (data && e.data.get() == data) return e.refs;
    return -1;
}

void SpdBank::exchange(TValueExchange& x, graphics::TSpdData*& data) {
    TValueExchange::TKey key(x, "SpdBank");
    std::string name;
    for (auto& e : entries_)
        if (data && e.data.get() == data) name = e.name;
    bool enable = x.isStoring() ? !name.empty() : false;
    x.exchangeByte("Enable", enable);
    if (!enable) {
        if (x.isLoading()) data = nullptr;
        return;
    }
    x.exchangeString("Name", name);
    if (x.isLoading()) data = get(name);
}

uint32_t GraphicHost::engineTime() { return platform::timeGetTime(); }

bool GraphicHost::makeSprite(graphics::TSprite32& sprite, const std::string& spec) {
    BankMaker maker(surfaces());
    return maker.makeSprite(sprite, spec);
}

bool GraphicHost::preloadImage(const std::string& spec) {
    graphics::TSprMaker parser;
    if (!parser.parseSpec(spec)) return false;
    return surfaces().preload(parser.fileName(), parser.trans());
}

GraphicHost& graphicHost() {
    static GraphicHost fallback;
    return installed ? *installed : fallback;
}

void setGraphicHost(GraphicHost* host) { installed = host; }

}  // namespace present
