#include "script/memory.h"

#include <array>
#include <cstdlib>
#include <limits>
#include <memory>

#include "framework/stream.h"
#include "script/memory_map_file.h"
#include "script/value_exchange.h"
#include "storage/storage.h"

namespace {

constexpr std::array<TG2SysVarDef, 22> kSystemVariables{{
    {"@RAND", 1, kG2Int, 0, -10001},
    {"@TIMER", 1, kG2Int, 0, -10002},
    {"@PAD", 1, kG2Int, 0, -12004},
    {"@MOUSE.X", 1, kG2Int, 0, -12005},
    {"@MOUSE.Y", 1, kG2Int, 0, -12006},
    {"$RESULT", 0, kG2Int, 0, -1},
    {"$SELECT", 0, kG2Int, 0, -2},
    {"$THREAD.NUM", 0, kG2Int, 0, -11003},
    {"$X", 0, kG2Int, 0, -12001},
    {"$Y", 0, kG2Int, 0, -12002},
    {"$SIZE", 0, kG2Int, 0, -12003},
    {"$FRAME", 0, kG2Int, 0, -47003},
    {"$MENU.COMPLETE", 0, kG2Bool, 0, -12007},
    {"$THREAD.EXIST", 0, kG2Bool, 256, -11260},
    {"$IMGDISP", 0, kG2Bool, 32768, -45768},
    {"$SE.PLAYING", 0, kG2Bool, 256, -46256},
    {"$VOICE.PLAYING", 0, kG2Bool, 0, -47001},
    {"$BGM.PLAYING", 0, kG2Bool, 0, -47002},
    {"$SCRIPT", 0, kG2String, 0, -11300},
    {"$SE.NAME", 0, kG2String, 256, -47260},
    {"$VOICE.NAME", 0, kG2String, 0, -47300},
    {"$BGM.NAME", 0, kG2String, 0, -47301},
}};

// The row of that kind holding the id, with the element number in it; null when none does.
const TG2SysVarDef* findSystem(int32_t kind, int32_t id, int32_t& element) {
    for (const TG2SysVarDef& row : kSystemVariables) {
        if (row.kind != kind) continue;
        const int64_t e = static_cast<int64_t>(id) - row.id;
        if (e == 0 || (e > 0 && e < row.count)) {
            element = static_cast<int32_t>(e);
            return &row;
        }
    }
    return nullptr;
}

// The channel that answers for the voice in the effect arrays.
constexpr int32_t kVoiceChannel = 255;

TG2SystemSource idleSource;

}  // namespace

std::span<const TG2SysVarDef> g2SystemVariables() { return kSystemVariables; }

int32_t offsetG2Index(int32_t index, int64_t n) {
    if (index == kG2NoVariable) return kG2NoVariable;
    const int64_t r = index + n;
    if (index >= 0)
        return r < 0 || r > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                                : static_cast<int32_t>(r);
    return r >= 0 || r < std::numeric_limits<int32_t>::min() ? kG2NoVariable : static_cast<int32_t>(r);
}

const TMemoryMap::TEntry* TMemoryMap::find(const std::string& name) const {
    for (const TEntry& e : entries)
        if (e.name == name) return &e;
    return nullptr;
}

// --- slots ---

template <typename T>
T& TG2Memory::slot(std::vector<T>* arrays, int32_t area, int32_t index) {
    if (index == kG2NoVariable || area < 0 || area > 2) error(kG2ErrVariableAccess);
    std::vector<T>& a = arrays[area];
    if (index < 0 || static_cast<size_t>(index) >= a.size()) error(kG2ErrVariableAccess);
    return a[static_cast<size_t>(index)];
}

int32_t TG2Memory::getInt(int32_t area, int32_t index) {
    if (index < 0 && index != kG2NoVariable) return getSystemInt(area, index);
    return slot(ints_, area, index);
}

bool TG2Memory::getBool(int32_t area, int32_t index) {
    if (index < 0 && index != kG2NoVariable) return getSystemBool(area, index);
    return slot(bools_, area, index) != 0;
}

std::string TG2Memory::getString(int32_t area, int32_t index) {
    if (index < 0 && index != kG2NoVariable) return getSystemString(area, index);
    return slot(strings_, area, index);
}

void TG2Memory::setInt(int32_t area, int32_t index, int32_t value) {
    if (index < 0 && index != kG2NoVariable) return setSystemInt(area, index, value);
    slot(ints_, area, index) = value;
}

void TG2Memory::setBool(int32_t area, int32_t index, bool value) {
    if (index < 0 && index != kG2NoVariable) return setSystemBool(area, index, value);
    slot(bools_, area, index) = value ? 1 : 0;
}

void TG2Memory::setString(int32_t area, int32_t index, const std::string& value) {
    if (index < 0 && index != kG2NoVariable) return setSystemString(area, index, value);
    slot(strings_, area, index) = value;
}

int32_t TG2Memory::getInt(const TG2AreaIndex& at) { return getInt(at.area, at.index); }
bool TG2Memory::getBool(const TG2AreaIndex& at) { return getBool(at.area, at.index); }
std::string TG2Memory::getString(const TG2AreaIndex& at) { return getString(at.area, at.index); }
void TG2Memory::setInt(const TG2AreaIndex& at, int32_t value) { setInt(at.area, at.index, value); }
void TG2Memory::setBool(const TG2AreaIndex& at, bool value) { setBool(at.area, at.index, value); }
void TG2Memory::setString(const TG2AreaIndex& at, const std::string& value) { setString(at.area, at.index, value); }

// --- by name ---

int32_t TG2Memory::getInt(const std::string& name, int32_t offset) {
    const TG2AreaIndex at = lookupInt(name);
    return at.isFound() ? getInt(at.offset(offset)) : 0;
}

bool TG2Memory::getBool(const std::string& name, int32_t offset) {
    const TG2AreaIndex at = lookupBool(name);
    return at.isFound() ? getBool(at.offset(offset)) : false;
}

std::string TG2Memory::getString(const std::string& name, int32_t offset) {
    const TG2AreaIndex at = lookupString(name);
    return at.isFound() ? getString(at.offset(offset)) : std::string();
}

void TG2Memory::setInt(const std::string& name, int32_t value) { setInt(name, 0, value); }
void TG2Memory::setBool(const std::string& name, bool value) { setBool(name, 0, value); }
void TG2Memory::setString(const std::string& name, const std::string& value) { setString(name, 0, value); }

void TG2Memory::setInt(const std::string& name, int32_t offset, int32_t value) {
    if (const TG2AreaIndex at = lookupInt(name); at.isFound()) setInt(at.offset(offset), value);
}

void TG2Memory::setBool(const std::string& name, int32_t offset, bool value) {
    if (const TG2AreaIndex at = lookupBool(name); at.isFound()) setBool(at.offset(offset), value);
}

void TG2Memory::setString(const std::string& name, int32_t offset, const std::string& value) {
    if (const TG2AreaIndex at = lookupString(name); at.isFound()) setString(at.offset(offset), value);
}

// --- built-in variables ---

int32_t TG2Memory::getSystemInt(int32_t, int32_t id) {
    int32_t element = 0;
    const TG2SysVarDef* row = findSystem(kG2Int, id, element);
    if (!row) error(kG2ErrSystemVarAccess);
    TG2SystemSource& s = system_ ? *system_ : idleSource;
    switch (row->id) {
        case -10001: {
            // The magnitude of the generator's number as a signed word; the one word whose
            // magnitude has no signed form gives the largest that has.
            const int64_t v = std::llabs(static_cast<int32_t>(s.nextRandom()));
            return static_cast<int32_t>(std::min<int64_t>(v, std::numeric_limits<int32_t>::max()));
        }
        case -10002:
            return s.lastTime();
        case -12004:
            return s.padBits();
        case -12005:
            return s.mouseX();
        case -12006:
            return s.mouseY();
        case -1:
            return s.result();
        case -2:
            return s.select();
        case -11003:
            return s.threadCount();
        case -12001:
            return s.frameX();
        case -12002:
            return s.frameY();
        case -12003:
            return s.frameTextSize();
        default:
            return s.frameNumber();  // -47003
    }
}

bool TG2Memory::getSystemBool(int32_t, int32_t id) {
    int32_t element = 0;
    const TG2SysVarDef* row = findSystem(kG2Bool, id, element);
    if (!row) error(kG2ErrSystemVarAccess);
    TG2SystemSource& s = system_ ? *system_ : idleSource;
    switch (row->id) {
        case -12007:
            return s.menuComplete();
        case -11260:
            return s.threadExists(element);
        case -45768:
            return s.imageSeen(element);
        case -46256:
            return element == kVoiceChannel ? s.voicePlaying() : s.sePlaying(element);
        case -47001:
            return s.voicePlaying();
        default:
            return s.bgmPlaying();  // -47002
    }
}

std::string TG2Memory::getSystemString(int32_t, int32_t id) {
    int32_t element = 0;
    const TG2SysVarDef* row = findSystem(kG2String, id, element);
    if (!row) error(kG2ErrSystemVarAccess);
    TG2SystemSource& s = system_ ? *system_ : idleSource;
    switch (row->id) {
        case -11300:
            return s.scriptName();
        case -47260:
            return element == kVoiceChannel ? s.voiceName() : s.seName(element);
        case -47300:
            return s.voiceName();
        default:
            return s.bgmName();  // -47301
    }
}

void TG2Memory::setSystemInt(int32_t, int32_t id, int32_t value) {
    TG2SystemSource& s = system_ ? *system_ : idleSource;
    if (id == -1) return s.setResult(value);
    if (id == -2) return s.setSelect(value);
    error(kG2ErrSystemVarAccess);
}

void TG2Memory::setSystemBool(int32_t, int32_t, bool) { error(kG2ErrSystemVarAccess); }
void TG2Memory::setSystemString(int32_t, int32_t, const std::string&) { error(kG2ErrSystemVarAccess); }

// --- names ---

const TMemoryMap::TEntry* TG2Memory::findEntry(const std::string& name) const {
    for (const TMemoryMap& m : maps_)
        if (const auto* e = m.find(name)) return e;
    return nullptr;
}

const TMemoryMap::TEntry* TG2Memory::findEntry(int32_t kind, const std::string& name) const {
    for (int32_t a = 0; a < 3; ++a)
        if (const auto* e = findEntry(kind, a, name)) return e;
    return nullptr;
}

const TMemoryMap::TEntry* TG2Memory::findEntry(int32_t kind, int32_t area, const std::string& name) const {
    if (kind < 0 || kind > 2 || area < 0 || area > 2) return nullptr;
    return map(area, kind).find(name);
}

int32_t TG2Memory::findIntIndex(int32_t area, const std::string& name) const {
    const auto* e = findEntry(kG2Int, area, name);
    return e ? e->index : kG2NoVariable;
}

int32_t TG2Memory::findBoolIndex(int32_t area, const std::string& name) const {
    const auto* e = findEntry(kG2Bool, area, name);
    return e ? e->index : kG2NoVariable;
}

int32_t TG2Memory::findStringIndex(int32_t area, const std::string& name) const {
    const auto* e = findEntry(kG2String, area, name);
    return e ? e->index : kG2NoVariable;
}

TG2AreaIndex TG2Memory::lookup(int32_t kind, const std::string& name) const {
    for (int32_t a = 0; a < 3; ++a)
        if (const auto* e = map(a, kind).find(name)) return {a, e->index};
    return {};
}

// --- the map and the areas ---

bool TG2Memory::loadMap(const std::string& fileName) {
    TStorage* store = TStorage::instance();
    std::unique_ptr<TStream> stream = store ? store->openStream(fileName) : nullptr;
    return stream && loadMap(*stream);
}

bool TG2Memory::loadMap(TStream& stream) {
    G2MapImage map;
    if (!readMemoryMap(stream, map)) return false;
    applyMap(map);
    return true;
}

void TG2Memory::applyMap(const G2MapImage& map) {
    for (int32_t a = 0; a < 3; ++a) {
        const G2MapArea& area = map.areas[a];
        for (int32_t kind = 0; kind < 3; ++kind) {
            TMemoryMap& list = maps_[kind + 3 * a];
            list.length = area.lists[kind].length;
            list.entries.clear();
            for (const G2MapName& n : area.lists[kind].names)
                list.entries.push_back({n.name, a, kind, n.count, n.index, 0});
        }
        // An array keeps its size when the map gives it no slots.
        auto fill = [](auto& array, const auto& values, size_t slots) {
            if (slots > 0) array.assign(slots, {});
            for (size_t i = 0; i < values.size() && i < array.size(); ++i) array[i] = values[i];
        };
        fill(ints_[a], area.ints, g2ArraySlots(kG2Int, area.lists[kG2Int].length));
        fill(bools_[a], area.bools, g2ArraySlots(kG2Bool, area.lists[kG2Bool].length));
        fill(strings_[a], area.strings, g2ArraySlots(kG2String, area.lists[kG2String].length));
    }
    ints_[3] = ints_[0];
    bools_[3] = bools_[0];
    strings_[3] = strings_[0];
    for (const TG2SysVarDef& row : kSystemVariables)
        maps_[row.kind + 3 * row.area].entries.push_back({row.name, row.area, row.kind, row.count, row.id, 0});
    resetArea0();
}

void TG2Memory::resetArea0() {
    ints_[0] = ints_[3];
    bools_[0] = bools_[3];
    strings_[0] = strings_[3];
}

void TG2Memory::clear() {
    for (int32_t a = 0; a < 3; ++a) {
        ints_[a].clear();
        bools_[a].clear();
        strings_[a].clear();
    }
    // The declared lengths go with the names: a save written now holds no slots.
    for (TMemoryMap& m : maps_) m = TMemoryMap();
}

void TG2Memory::exchangeArea(TValueExchange& x, int32_t area, const char* prefix) {
    TValueExchange::TKey key(x, "gMemory");
    const std::string p(prefix);
    std::vector<int32_t>& ints = ints_[area];
    std::vector<uint8_t>& bools = bools_[area];
    std::vector<std::string>& strings = strings_[area];
    // Counts are the declared lengths; none may reach past its array, in either direction.
    auto count = [&](const std::string& k, int32_t declared, size_t slots, uint32_t minBytes) {
        if (x.isStoring()) {
            const int32_t n = std::max(0, std::min<int32_t>(declared, static_cast<int32_t>(slots)));
            x.putInt(k, n);
            return n;
        }
        const int32_t n = x.getCount(k, minBytes);
        if (n > 0 && static_cast<size_t>(n) > slots) error(kG2ErrExchange);
        return n;
    };
    const int32_t nInt = count(p + "INT Size", map(area, kG2Int).length, ints.size(), 1);
    for (int32_t i = 0; i < nInt; ++i) x.exchangeInt("INT", ints[static_cast<size_t>(i)]);

    const size_t boolSlots = bools.size() >= 8 ? bools.size() - 8 : 0;
    const int32_t nBool = count(p + "BOOL Size", map(area, kG2Bool).length, boolSlots, 0);
    for (int32_t g = 0; g < nBool; g += 8) {
        bool f[8];
        for (int i = 0; i < 8; ++i) f[i] = bools[static_cast<size_t>(g + i)] != 0;
        x.exchangeFlags("BOOL", &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7]);
        for (int i = 0; i < 8; ++i) bools[static_cast<size_t>(g + i)] = f[i] ? 1 : 0;
    }

    const int32_t nStr = count(p + "STR Size", map(area, kG2String).length, strings.size(), 4);
    for (int32_t i = 0; i < nStr; ++i) x.exchangeString("STR", strings[static_cast<size_t>(i)]);
}
