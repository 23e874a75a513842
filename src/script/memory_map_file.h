#pragma once
// The variable map file (G2MM): its reader and its writer. The file gives the variable store its
// shape, the names of the variables and their initial values.
//
// Layout (32-bit little-endian integers, scrambled strings):
//   "G2MM" "0460"; a free text ended by the byte 0x1B;
//   9 × (array length, number of names), area-major (areas 0-2), kind-minor (int, bool, string);
//   the names in the same order, each (index, name, element count);
//   per area the initial values: an integer, a boolean and a string section, each a run of
//   headers ended by 0: h > 0 one value for the next h slots (a boolean word stands for 32 slots,
//   h times), h < 0 that many values one after the other. Filling stops at the end of the array.
#include <cstdint>
#include <string>
#include <vector>

class TStream;
class TG2Memory;

struct G2MapName {
    int32_t index = 0;
    std::string name;
    int32_t count = 0;
    bool operator==(const G2MapName&) const = default;
};

struct G2MapList {
    int32_t length = 0;  // declared array length
    std::vector<G2MapName> names;
    bool operator==(const G2MapList&) const = default;
};

struct G2MapArea {
    G2MapList lists[3];  // by kind
    // Initial values from slot 0; the slots after them start as 0, false and "".
    std::vector<int32_t> ints;
    std::vector<uint8_t> bools;
    std::vector<std::string> strings;
    bool operator==(const G2MapArea&) const = default;
};

struct G2MapImage {
    std::string text;  // the free text after the header (no 0x1B in it)
    G2MapArea areas[3];
    bool operator==(const G2MapImage&) const = default;
};

// Arrays above this many slots are refused: the file could otherwise ask for any amount of memory.
inline constexpr int32_t kG2MaxArrayLength = 1 << 18;

// The slots an array of a declared length has: 0 when the length is not above 0, and for booleans
// 8 more (so a length of 0 still gives 8).
size_t g2ArraySlots(int32_t kind, int32_t length);

// Reads a whole map. False for a wrong header, a length above kG2MaxArrayLength, and anything the
// stream cannot deliver (a count or run longer than the bytes left, a missing end).
bool readMemoryMap(TStream& stream, G2MapImage& out);
// Writes the map; values past an array's slots are not written, trailing 0, false and "" are
// left out, and equal neighbours become runs, so a map read back writes the same bytes.
void writeMemoryMap(TStream& stream, const G2MapImage& map);
// The map that memory was loaded from (its text aside): shape, the names the file gave (the
// built-in names left out) and the initial values (area 0's from area 3).
G2MapImage describeMemory(const TG2Memory& memory, std::string text = {});
