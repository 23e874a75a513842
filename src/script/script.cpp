#include "script/script.h"

#include <algorithm>
#include <cstring>

#include "framework/stream.h"
#include "platform/little_endian.h"
#include "script/value_exchange.h"
#include "storage/storage.h"

namespace {

constexpr char kMagic[8] = {'G', '2', 'C', 'D', '0', '4', '6', '0'};
constexpr uint8_t kTextEnd = 0x1B;

bool readInt(TStream& s, int32_t& v) {
    uint8_t raw[4];
    if (s.read(raw, 4) != 4) return false;
    v = le::load<int32_t>(raw);
    return true;
}

// Skips a free text up to and including its 0x1B; false when the file ends first.
bool skipText(TStream& s, std::string* text) {
    for (;;) {
        uint8_t b;
        if (s.read(&b, 1) != 1) return false;
        if (b == kTextEnd) return true;
        if (text) text->push_back(static_cast<char>(b));
    }
}

// A count of records of at least minBytes each that the rest of the file can hold.
bool readCount(TStream& s, uint32_t minBytes, int32_t& n) {
    return readInt(s, n) && n >= 0 && static_cast<uint64_t>(n) * minBytes <= bytesLeft(s);
}

void writeInt(TStream& s, int32_t v) {
    uint8_t raw[4];
    le::store(raw, v);
    s.write(raw, 4);
}

}  // namespace

bool readScriptImage(TStream& s, G2ScriptImage& out) {
    out = {};
    char magic[8];
    if (s.read(magic, 8) != 8 || std::memcmp(magic, kMagic, 8) != 0) return false;
    if (!skipText(s, &out.headerText)) return false;
    // A script declares its read points; a negative count is no count at all.
    if (!readInt(s, out.readPoints) || out.readPoints < 0) return false;
    int32_t n = 0;
    if (!readCount(s, 8, n)) return false;
    out.labels.reserve(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        int32_t offset;
        std::string name;
        if (!readInt(s, offset) || !readScrambledString(s, name)) return false;
        out.labels.emplace_back(std::move(name), offset);
    }
    if (!readCount(s, 4, n)) return false;
    out.index.resize(static_cast<size_t>(n));
    for (int32_t& v : out.index)
        if (!readInt(s, v)) return false;
    if (!skipText(s, &out.trailerText)) return false;
    out.code.resize(bytesLeft(s));
    return s.read(out.code.data(), static_cast<uint32_t>(out.code.size())) == out.code.size();
}

void writeScriptImage(TStream& s, const G2ScriptImage& image) {
    s.write(kMagic, 8);
    s.write(image.headerText.data(), static_cast<uint32_t>(image.headerText.size()));
    s.write(&kTextEnd, 1);
    writeInt(s, image.readPoints);
    writeInt(s, static_cast<int32_t>(image.labels.size()));
    for (const auto& [name, offset] : image.labels) {
        writeInt(s, offset);
        writeScrambledString(s, name);
    }
    writeInt(s, static_cast<int32_t>(image.index.size()));
    for (int32_t v : image.index) writeInt(s, v);
    s.write(image.trailerText.data(), static_cast<uint32_t>(image.trailerText.size()));
    s.write(&kTextEnd, 1);
    s.write(image.code.data(), static_cast<uint32_t>(image.code.size()));
}

bool TScript::load(const std::string& fileName) {
    TStorage* store = TStorage::instance();
    std::unique_ptr<TStream> stream = store ? store->openStream(fileName) : nullptr;
    return stream && load(fileName, *stream);
}

bool TScript::load(const std::string& name, TStream& stream) {
    G2ScriptImage image;
    if (!readScriptImage(stream, image)) return false;
    name_ = name;
    readPoints_ = image.readPoints;
    labels_.clear();
    for (auto& [label, offset] : image.labels) labels_[label] = offset;  // a later one replaces
    index_ = std::move(image.index);
    code_ = std::move(image.code);
    return true;
}

int32_t TScript::findLabel(const std::string& name) const {
    auto it = labels_.find(name);
    return it == labels_.end() ? -1 : it->second;
}

int32_t TScript::getIndexOffset(int32_t tag) const {
    if (tag < 0 || static_cast<size_t>(tag) >= index_.size()) return -1;
    return index_[static_cast<size_t>(tag)];
}

void TScriptChild::attach(TScript* script) {
    script_ = script;
    code_ = script ? script->code().data() : nullptr;
    size_ = script ? static_cast<uint32_t>(script->code().size()) : 0;
    pos_ = 0;
}

bool TScriptChild::readString(std::string& s) {
    int32_t n;
    s.clear();
    if (!readInt32(n)) return false;
    if (n < 1) return true;
    if (!canRead(static_cast<uint32_t>(n))) {
        pos_ = size_;
        return false;
    }
    s.assign(reinterpret_cast<const char*>(code_ + pos_), static_cast<size_t>(n));
    unscrambleBytes(reinterpret_cast<uint8_t*>(s.data()), static_cast<uint32_t>(n));
    pos_ += static_cast<uint32_t>(n);
    return true;
}

std::unique_ptr<TStream> TScriptBank::open(const std::string& name) const {
    if (opener_) return opener_(name);
    TStorage* store = TStorage::instance();
    return store ? store->openStream(name) : nullptr;
}

TScriptChild* TScriptBank::getScript(const std::string& name) {
    for (auto it = coins_.begin(); it != coins_.end(); ++it) {
        if ((*it)->name != name) continue;
        ++(*it)->refCount;
        coins_.splice(coins_.begin(), coins_, it);
        auto* child = new TScriptChild;
        child->attach(coins_.front()->script.get());
        return child;
    }
    auto script = std::make_unique<TScript>();
    std::unique_ptr<TStream> stream = open(name);
    if (!stream || !script->load(name, *stream)) return nullptr;
    // A read point needs a marker in the code, so a count beyond the code's size is not a real
    // one: the table is held to it rather than taking memory the file only claims to need.
    const int32_t points = std::min<int64_t>(script->readPoints(), static_cast<int64_t>(script->code().size()));
    if (readChecks_) script->readCheck = readChecks_(name, points);
    auto coin = std::make_unique<TScriptCoin>();
    coin->id = nextId_++;
    coin->refCount = 1;
    coin->name = name;
    coin->script = std::move(script);
    coins_.push_front(std::move(coin));
    auto* child = new TScriptChild;
    child->attach(coins_.front()->script.get());
    return child;
}

void TScriptBank::release(TScriptChild* child) {
    if (!child) return;
    const TScript* script = child->script();
    delete child;
    for (auto it = coins_.begin(); it != coins_.end(); ++it) {
        if ((*it)->script.get() != script) continue;
        if ((*it)->refCount > 0) --(*it)->refCount;
        if ((*it)->refCount == 0) coins_.erase(it);
        return;
    }
}

void TScriptBank::clear() { coins_.clear(); }

const TScriptCoin* TScriptBank::findCoin(const TScript* script) const {
    for (const auto& c : coins_)
        if (c->script.get() == script) return c.get();
    return nullptr;
}

void exchangeScriptChild(TValueExchange& x, TScriptChild*& child, TScriptBank& bank) {
    TValueExchange::TKey key(x, "ScriptBank");
    if (x.isStoring()) {
        const bool enable = child && child->script();
        x.putByte("Enable", enable ? 1 : 0);
        if (!enable) return;
        const TScriptCoin* coin = bank.findCoin(child->script());
        if (!coin) throwG2Error(kG2ErrBankSearch);
        x.putString("Name", coin->name);
        x.putInt("Pos", static_cast<int32_t>(child->tell()));
        return;
    }
    if (x.getByte("Enable") != 1) return;
    const std::string name = x.getString("Name");
    const int32_t pos = x.getInt("Pos");
    TScriptChild* loaded = bank.getScript(name);
    if (!loaded) throwG2Error(kG2ErrExchange, name);
    // The child held before would otherwise hold its script in the bank for good.
    bank.release(child);
    child = loaded;
    child->seek(static_cast<uint32_t>(pos));
}
