#pragma once
// TG2ImgDisp: the image display table. The game's event pictures, read at start-up from a CSV
// file (the setting "ImgDisp"), each with one "seen" bit that scripts set when the picture is
// shown and the gallery reads. Records are "id,file name[,...]"; several names may share an id
// (and its one bit); bits are numbered in the order new ids appear. A record with fewer than two
// fields, a ";" in either of its first two fields, or a negative id is skipped.
//
// The bit operations of the base (test, set, clear) address bits by number; isSeen and setSeen
// address pictures by id.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "script/check_table.h"

class TStream;

class TG2ImgDisp : public TCheckTbl {
public:
    struct TEntry {
        std::vector<std::string> names;
        int32_t index = 0;  // bit number
    };

    // Empties the entries; the bits stay.
    void clearEntries() override { entries_.clear(); }

    // Reads the table through the resource store; false when the file cannot be opened.
    virtual bool load(const std::string& fileName);
    // Adds the stream's records; the bits already set (from a loaded save) stay. Always true.
    bool load(TStream& stream);

    // False for an id that is not in the table.
    virtual bool isSeen(int32_t id) const;
    // Nothing for an id that is not in the table.
    virtual void setSeen(int32_t id);
    // The first entry (in id order) with a name equal to name, ASCII letters compared without
    // case; false / nothing when none has it.
    virtual bool isSeenByName(const std::string& name) const;
    virtual void setSeenByName(const std::string& name);
    // Whether every entry is seen, the entries with a name equal to exceptName (null: none)
    // not counted.
    virtual bool allSeen(const char* exceptName) const;
    virtual void setAllSeen(const char* exceptName);
    virtual const TEntry* find(int32_t id) const;

    const std::map<int32_t, TEntry>& entries() const { return entries_; }

private:
    const TEntry* byName(const std::string& name) const;
    void setBit(int32_t index);

    // Ordered by id, so that a name shared by two ids is answered by the lower one.
    std::map<int32_t, TEntry> entries_;
};
