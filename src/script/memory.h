#pragma once
// TG2Memory: the engine's one store of script variables. Scripts address a variable by (area,
// kind, index); names exist for the host program and for the built-in variables. Areas 0, 1 and
// 2 are visible to scripts (area 0 the game's, saved with each game; area 1 the common one, saved
// once; area 2 scratch); a hidden area 3 keeps area 0's initial values. Each area has an integer,
// a boolean and a string array whose lengths, names and initial values come from the variable
// map file (memory_map_file.h). Built-in variables have negative ids and are answered live by the
// engine's parts through a TG2SystemSource.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "script/g2_error.h"

class TValueExchange;
class TStream;
struct G2MapImage;

enum G2VarKind : int32_t { kG2Int = 0, kG2Bool = 1, kG2String = 2 };
enum G2ValueArea : int32_t { kG2Area0 = 0, kG2Area1 = 1, kG2Area2 = 2, kG2Constant = 3 };

// The index of a variable that does not exist.
inline constexpr int32_t kG2NoVariable = -99999;

// Index arithmetic for array elements. An index of 0 or above never turns into a built-in id
// (a result below zero or past the 32-bit range becomes an index past every array), a built-in
// id never turns into a slot index, and "no variable" stays what it is.
int32_t offsetG2Index(int32_t index, int64_t n);

// The handle of one variable slot.
struct TG2AreaIndex {
    int32_t area = -1;
    int32_t index = kG2NoVariable;
    bool isFound() const { return index != kG2NoVariable; }
    TG2AreaIndex offset(int32_t n) const { return {area, offsetG2Index(index, n)}; }
    bool operator==(const TG2AreaIndex&) const = default;
};

// The names of one (area, kind) with that array's declared length.
class TMemoryMap {
public:
    struct TEntry {
        std::string name;
        int32_t area = -1;
        int32_t kind = -1;
        int32_t count = 0;  // 0 a scalar, n an array of n
        int32_t index = 0;  // slot of element 0, or a built-in's id
        int32_t reserved = 0;
    };
    const TEntry* find(const std::string& name) const;

    std::vector<TEntry> entries;
    int32_t length = 0;
};

// One built-in variable.
struct TG2SysVarDef {
    const char* name;
    int32_t area;
    int32_t kind;
    int32_t count;  // 0 a scalar; an array's element i has the id id + i
    int32_t id;
};
// The 22 built-in variables, in table order.
std::span<const TG2SysVarDef> g2SystemVariables();

// What the built-in variables read (and the two that are written). The engine hub answers
// through its core, input, document and music; this base answers as an engine with nothing
// running: zero, false and empty, and it forgets what is written.
class TG2SystemSource {
public:
    virtual ~TG2SystemSource() = default;
    virtual uint32_t nextRandom() { return 0; }  // the core's generator
    virtual int32_t lastTime() { return 0; }     // engine clock, ms
    virtual int32_t padBits() { return 0; }
    virtual int32_t mouseX() { return 0; }
    virtual int32_t mouseY() { return 0; }
    virtual int32_t result() { return 0; }
    virtual void setResult(int32_t) {}
    virtual int32_t select() { return 0; }
    virtual void setSelect(int32_t) {}
    virtual int32_t threadCount() { return 0; }
    virtual int32_t frameX() { return 0; }
    virtual int32_t frameY() { return 0; }
    virtual int32_t frameTextSize() { return 0; }
    virtual int32_t frameNumber() { return 0; }
    virtual bool menuComplete() { return false; }
    virtual bool threadExists(int32_t) { return false; }
    virtual bool imageSeen(int32_t) { return false; }
    virtual bool sePlaying(int32_t) { return false; }  // channel 0-254
    virtual bool voicePlaying() { return false; }
    virtual bool bgmPlaying() { return false; }
    virtual std::string scriptName() { return {}; }  // of the current thread
    virtual std::string seName(int32_t) { return {}; }
    virtual std::string voiceName() { return {}; }
    virtual std::string bgmName() { return {}; }
};

class TG2Memory : public TErrorInterface {
public:
    TG2Memory() = default;
    ~TG2Memory() override = default;
    TG2Memory(const TG2Memory&) = delete;
    TG2Memory& operator=(const TG2Memory&) = delete;

    // The parts that answer the built-in variables (borrowed; null: the idle answers).
    void setSystemSource(TG2SystemSource* source) { system_ = source; }

    // Reads. By name: the first area (0, 1, 2) holding the name, plus the element offset; a name
    // that is not found reads 0, false or "" without an error. By (area, index): -99999 and an
    // index past the array are error 0x1012, a negative index is a built-in variable.
    virtual int32_t getInt(const std::string& name, int32_t offset);
    virtual int32_t getInt(const TG2AreaIndex& at);
    virtual int32_t getInt(int32_t area, int32_t index);
    virtual bool getBool(const std::string& name, int32_t offset);
    virtual bool getBool(const TG2AreaIndex& at);
    virtual bool getBool(int32_t area, int32_t index);
    virtual std::string getString(const std::string& name, int32_t offset);
    virtual std::string getString(const TG2AreaIndex& at);
    virtual std::string getString(int32_t area, int32_t index);

    // Writes, with the same rules; a name that is not found writes nothing.
    virtual void setInt(const std::string& name, int32_t value);
    virtual void setInt(const std::string& name, int32_t offset, int32_t value);
    virtual void setInt(const TG2AreaIndex& at, int32_t value);
    virtual void setInt(int32_t area, int32_t index, int32_t value);
    virtual void setBool(const std::string& name, bool value);
    virtual void setBool(const std::string& name, int32_t offset, bool value);
    virtual void setBool(const TG2AreaIndex& at, bool value);
    virtual void setBool(int32_t area, int32_t index, bool value);
    virtual void setString(const std::string& name, const std::string& value);
    virtual void setString(const std::string& name, int32_t offset, const std::string& value);
    virtual void setString(const TG2AreaIndex& at, const std::string& value);
    virtual void setString(int32_t area, int32_t index, const std::string& value);

    // Built-in variables by id (the area is not looked at). An id that no row of that kind holds
    // is error 0x1005, and so is any write but "$RESULT" and "$SELECT".
    virtual int32_t getSystemInt(const TG2AreaIndex& at) { return getSystemInt(at.area, at.index); }
    virtual int32_t getSystemInt(int32_t area, int32_t id);
    virtual bool getSystemBool(const TG2AreaIndex& at) { return getSystemBool(at.area, at.index); }
    virtual bool getSystemBool(int32_t area, int32_t id);
    virtual std::string getSystemString(const TG2AreaIndex& at) { return getSystemString(at.area, at.index); }
    virtual std::string getSystemString(int32_t area, int32_t id);
    virtual void setSystemInt(const TG2AreaIndex& at, int32_t value) { setSystemInt(at.area, at.index, value); }
    virtual void setSystemInt(int32_t area, int32_t id, int32_t value);
    virtual void setSystemBool(const TG2AreaIndex& at, bool value) { setSystemBool(at.area, at.index, value); }
    virtual void setSystemBool(int32_t area, int32_t id, bool value);
    virtual void setSystemString(const TG2AreaIndex& at, const std::string& value) {
        setSystemString(at.area, at.index, value);
    }
    virtual void setSystemString(int32_t area, int32_t id, const std::string& value);

    // Entries by name (case-sensitive): over every list; over areas 0-2 of a kind; in one list.
    virtual const TMemoryMap::TEntry* findEntry(const std::string& name) const;
    virtual const TMemoryMap::TEntry* findEntry(int32_t kind, const std::string& name) const;
    virtual const TMemoryMap::TEntry* findEntry(int32_t kind, int32_t area, const std::string& name) const;
    // The entry's index in one area's list of that kind, -99999 when absent.
    virtual int32_t findIntIndex(int32_t area, const std::string& name) const;
    virtual int32_t findBoolIndex(int32_t area, const std::string& name) const;
    virtual int32_t findStringIndex(int32_t area, const std::string& name) const;
    // {area, index} of the first area holding the name, {-1, -99999} when none does.
    virtual TG2AreaIndex lookupInt(const std::string& name) const { return lookup(kG2Int, name); }
    virtual TG2AreaIndex lookupBool(const std::string& name) const { return lookup(kG2Bool, name); }
    virtual TG2AreaIndex lookupString(const std::string& name) const { return lookup(kG2String, name); }

    // Loads the variable map file through the resource store. False when it cannot be opened or
    // is not a whole, well-formed map; then nothing of it is kept.
    virtual bool loadMap(const std::string& fileName);
    bool loadMap(TStream& stream);
    // Takes a map's shape, names and initial values, then the built-in names, then resets area 0.
    void applyMap(const G2MapImage& map);
    // Area 0 back to the initial values.
    virtual void resetArea0();
    // Empties areas 0-2 and all name lists (area 3 stays).
    virtual void clear();
    // Section "gMemory" with the game (area 0) or the common (area 1) variables.
    virtual void exchangeArea0(TValueExchange& x) { exchangeArea(x, 0, "G"); }
    virtual void exchangeArea1(TValueExchange& x) { exchangeArea(x, 1, "C"); }

    // The name list of (area 0-2, kind).
    const TMemoryMap& map(int32_t area, int32_t kind) const { return maps_[kind + 3 * area]; }
    // The arrays of an area (0-3; 3 holds area 0's initial values). The boolean array holds 8
    // slots more than its declared length.
    const std::vector<int32_t>& ints(int32_t area) const { return ints_[area]; }
    const std::vector<uint8_t>& bools(int32_t area) const { return bools_[area]; }
    const std::vector<std::string>& strings(int32_t area) const { return strings_[area]; }

private:
    TG2AreaIndex lookup(int32_t kind, const std::string& name) const;
    // The slot of (area, index) of one kind for a read or write; errors as documented.
    template <typename T>
    T& slot(std::vector<T>* arrays, int32_t area, int32_t index);
    void exchangeArea(TValueExchange& x, int32_t area, const char* prefix);

    std::vector<int32_t> ints_[4];
    std::vector<uint8_t> bools_[4];
    std::vector<std::string> strings_[4];
    TMemoryMap maps_[9];
    TG2SystemSource* system_ = nullptr;
};
