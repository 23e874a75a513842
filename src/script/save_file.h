#pragma once
// Save files ("G2SV"): an information block that the save and load pages show without loading
// the game, then the engine state as the save archive wrote it. The record of each slot is what
// the block holds.
#include <cstdint>
#include <string>
#include <string_view>

struct TRecord {
    virtual ~TRecord() = default;
    std::string fileName;
    int64_t time = 0;  // calendar seconds; the file keeps the low 32 bits, read back unsigned
    int32_t playTime = 0;
    uint16_t saveCount = 0;
    int32_t code1 = 0, code2 = 0;
    std::string info1, info2, info3;
};

// The whole file: header, information block, then the state bytes.
std::string g2SaveFileBytes(const TRecord& record, std::string_view state);
// Reads the information block into record (its file name untouched). A text ends at a zero byte
// or a line feed; carriage returns are dropped. False for a file that is not a save file or ends
// inside the block.
bool g2ReadSaveRecord(std::string_view file, TRecord& record);
// Where the state begins; false when the header or the block's length does not fit the file.
bool g2SaveStateOffset(std::string_view file, size_t& offset);
