#include "script/memory_map_file.h"

#include <algorithm>
#include <cstring>

#include "framework/stream.h"
#include "platform/little_endian.h"
#include "script/memory.h"
#include "script/value_exchange.h"

namespace {

constexpr char kMagic[8] = {'G', '2', 'M', 'M', '0', '4', '6', '0'};
constexpr uint8_t kTextEnd = 0x1B;

// Reads that say whether the stream delivered everything.
class Reader {
public:
    explicit Reader(TStream& s) : s_(s) {}
    bool int32(int32_t& v) {
        uint8_t b[4];
        if (s_.read(b, 4) != 4) return false;
        v = le::load<int32_t>(b);
        return true;
    }
    bool string(std::string& v) { return readScrambledString(s_, v); }
    // Whether n records of at least size bytes each can still be there.
    bool fits(int64_t n, uint32_t size) { return n * size <= bytesLeft(s_); }
    TStream& stream() { return s_; }

private:
    TStream& s_;
};

// One section of initial values: headers until 0, filling from slot 0.
template <typename T, typename ReadValue>
bool readRuns(Reader& r, std::vector<T>& values, size_t slots, uint32_t valueSize, ReadValue readValue) {
    values.assign(slots, T{});
    size_t at = 0;
    for (;;) {
        int32_t h;
        if (!r.int32(h)) return false;
        if (h == 0) return true;
        if (h > 0) {
            T v{};
            if (!readValue(v)) return false;
            for (int64_t i = 0; i < h && at < slots; ++i) values[at++] = v;
        } else {
            const int64_t n = -static_cast<int64_t>(h);
            if (!r.fits(n, valueSize)) return false;
            for (int64_t i = 0; i < n; ++i) {
                T v{};
                if (!readValue(v)) return false;
                if (at < slots) values[at++] = v;
            }
        }
    }
}

// Booleans come as 32-bit words, bit 0 first.
bool readBoolRuns(Reader& r, std::vector<uint8_t>& bools, size_t slots) {
    std::vector<uint32_t> words;
    const size_t wordSlots = (slots + 31) / 32;
    if (!readRuns(r, words, wordSlots, 4, [&](uint32_t& w) {
            int32_t v;
            if (!r.int32(v)) return false;
            w = static_cast<uint32_t>(v);
            return true;
        }))
        return false;
    bools.assign(slots, 0);
    for (size_t i = 0; i < slots; ++i) bools[i] = words[i / 32] >> (i % 32) & 1;
    return true;
}

// --- writing ---

void put32(TStream& s, int32_t v) {
    uint8_t b[4];
    le::store(b, v);
    s.write(b, 4);
}

// Equal neighbours as runs (h > 0), everything else as lists (h < 0), then the end header.
template <typename T, typename WriteValue>
void writeRuns(TStream& s, std::vector<T> values, size_t slots, WriteValue writeValue) {
    if (values.size() > slots) values.resize(slots);
    while (!values.empty() && values.back() == T{}) values.pop_back();
    const size_t n = values.size();
    auto runAt = [&](size_t i) {
        size_t j = i + 1;
        while (j < n && values[j] == values[i]) ++j;
        return j - i;
    };
    for (size_t i = 0; i < n;) {
        if (const size_t run = runAt(i); run >= 2) {
            put32(s, static_cast<int32_t>(run));
            writeValue(values[i]);
            i += run;
            continue;
        }
        size_t j = i;
        while (j < n && runAt(j) < 2) ++j;
        put32(s, -static_cast<int32_t>(j - i));
        for (; i < j; ++i) writeValue(values[i]);
    }
    put32(s, 0);
}

}  // namespace

size_t g2ArraySlots(int32_t kind, int32_t length) {
    if (kind == kG2Bool) return length + 8 > 0 ? static_cast<size_t>(length) + 8 : 0;
    return length > 0 ? static_cast<size_t>(length) : 0;
}

bool readMemoryMap(TStream& stream, G2MapImage& out) {
    Reader r(stream);
    G2MapImage map;
    char magic[8];
    if (stream.read(magic, 8) != 8 || std::memcmp(magic, kMagic, 8) != 0) return false;
    for (;;) {
        uint8_t c;
        if (stream.read(&c, 1) != 1) return false;
        if (c == kTextEnd) break;
        map.text.push_back(static_cast<char>(c));
    }
    int32_t counts[3][3];
    for (auto& area : map.areas) {
        for (int kind = 0; kind < 3; ++kind) {
            int32_t length, count;
            if (!r.int32(length) || !r.int32(count) || length > kG2MaxArrayLength) return false;
            area.lists[kind].length = length;
            counts[&area - map.areas][kind] = count;
        }
    }
    for (int a = 0; a < 3; ++a) {
        for (int kind = 0; kind < 3; ++kind) {
            const int32_t count = counts[a][kind];
            if (!r.fits(count, 12)) return false;
            auto& names = map.areas[a].lists[kind].names;
            for (int32_t i = 0; i < count; ++i) {
                G2MapName n;
                if (!r.int32(n.index) || !r.string(n.name) || !r.int32(n.count)) return false;
                names.push_back(std::move(n));
            }
        }
    }
    for (auto& area : map.areas) {
        auto readInt = [&](int32_t& v) { return r.int32(v); };
        auto readString = [&](std::string& v) { return r.string(v); };
        if (!readRuns(r, area.ints, g2ArraySlots(kG2Int, area.lists[kG2Int].length), 4, readInt) ||
            !readBoolRuns(r, area.bools, g2ArraySlots(kG2Bool, area.lists[kG2Bool].length)) ||
            !readRuns(r, area.strings, g2ArraySlots(kG2String, area.lists[kG2String].length), 4, readString))
            return false;
    }
    out = std::move(map);
    return true;
}

void writeMemoryMap(TStream& stream, const G2MapImage& map) {
    stream.write(kMagic, 8);
    std::string text(map.text);
    text.erase(std::remove(text.begin(), text.end(), static_cast<char>(kTextEnd)), text.end());
    stream.write(text.data(), static_cast<uint32_t>(text.size()));
    stream.write(&kTextEnd, 1);
    for (const auto& area : map.areas) {
        for (const auto& list : area.lists) {
            put32(stream, list.length);
            put32(stream, static_cast<int32_t>(list.names.size()));
        }
    }
    for (const auto& area : map.areas) {
        for (const auto& list : area.lists) {
            for (const G2MapName& n : list.names) {
                put32(stream, n.index);
                writeScrambledString(stream, n.name);
                put32(stream, n.count);
            }
        }
    }
    for (const auto& area : map.areas) {
        writeRuns(stream, area.ints, g2ArraySlots(kG2Int, area.lists[kG2Int].length),
                  [&](int32_t v) { put32(stream, v); });
        const size_t boolSlots = g2ArraySlots(kG2Bool, area.lists[kG2Bool].length);
        std::vector<uint32_t> words((std::min(area.bools.size(), boolSlots) + 31) / 32);
        for (size_t i = 0; i < area.bools.size() && i < boolSlots; ++i)
            if (area.bools[i]) words[i / 32] |= 1u << (i % 32);
        writeRuns(stream, words, words.size(), [&](uint32_t w) { put32(stream, static_cast<int32_t>(w)); });
        writeRuns(stream, area.strings, g2ArraySlots(kG2String, area.lists[kG2String].length),
                  [&](const std::string& v) { writeScrambledString(stream, v); });
    }
}

G2MapImage describeMemory(const TG2Memory& memory, std::string text) {
    G2MapImage map;
    map.text = std::move(text);
    for (int32_t a = 0; a < 3; ++a) {
        for (int32_t kind = 0; kind < 3; ++kind) {
            const TMemoryMap& list = memory.map(a, kind);
            size_t builtIns = 0;
            for (const TG2SysVarDef& row : g2SystemVariables())
                if (row.area == a && row.kind == kind) ++builtIns;
            const size_t fromFile = list.entries.size() - std::min(builtIns, list.entries.size());
            auto& out = map.areas[a].lists[kind];
            out.length = list.length;
            for (size_t i = 0; i < fromFile; ++i) {
                const auto& e = list.entries[i];
                out.names.push_back({e.index, e.name, e.count});
            }
        }
    }
    for (int32_t a = 0; a < 3; ++a) {
        // Area 0's initial values are kept in area 3.
        const int32_t from = a == 0 ? 3 : a;
        map.areas[a].ints = memory.ints(from);
        map.areas[a].bools = memory.bools(from);
        map.areas[a].strings = memory.strings(from);
    }
    return map;
}
