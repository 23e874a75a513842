#pragma once
// Writes archives that the game's archive reader reads: every directory kind it knows, stored
// or compressed data, plain or compressed tables, and the compressed block kind, made by an
// encoder of our own for the reader's prediction decoder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gcepack {

// One block: "GCE1" when the encoder's output is smaller than the input, else "GCE0" (stored).
// At most 262,144 input bytes.
std::vector<uint8_t> encodeBlock(const uint8_t* data, size_t size);
// Only the "GCE1" form, whether or not it pays (for tests and measurements).
std::vector<uint8_t> encodePackedBlock(const uint8_t* data, size_t size);
// A whole buffer as consecutive blocks of up to 262,144 input bytes each.
std::vector<uint8_t> encodeBlocks(const uint8_t* data, size_t size);

enum class DirectoryKind {
    Gce3,  // the current kind: 32-byte header, u64 sizes, u16 name lengths
    Gce0,  // old kind with extractable data
    Gce1,  // old kind whose entries the reader treats as holding no data
};

struct Entry {
    std::string name;  // Shift-JIS, backslash separators
    std::vector<uint8_t> data;
    uint32_t attribute = 0x20;
    uint64_t fileTime = 0;  // Windows FILETIME (100 ns since 1601)
};

struct Options {
    DirectoryKind kind = DirectoryKind::Gce3;
    // The 16-byte "GCEX" header in front (data at 16, directory behind it). The "GCE3" kind is
    // always wrapped; the old kinds may stand alone (directory first, data behind it).
    bool wrapper = true;
    bool compressTable = false;
    bool compressData = false;
    // Old kinds: the directory carries a CRC-32 (flag 0x2). "GCE3" always carries one.
    bool directoryCrc = true;
    // Old kinds: 1 writes one-byte name lengths where the name allows it, 2 always two bytes.
    int nameLengthBytes = 1;
    // "GCE3": the flag telling that entries carry no extractable data (0x100).
    bool noData = false;
};

// The archive's bytes.
std::vector<uint8_t> buildArchive(const std::vector<Entry>& entries, const Options& options);
// Writes the archive to a host path; false with a message on failure.
bool writeArchive(const std::string& hostPath, const std::vector<Entry>& entries, const Options& options,
                  std::string* error = nullptr);

// A wrapped archive of n empty, nameless entries and no data, whose compressed table (34 bytes
// an entry, all zeros) costs a few bytes per 256 KiB block whatever n is; zero bytes behind it
// bring the file to padTo bytes. Only the "GCE3" and "GCE0" kinds. For tests and measurements
// of what a hostile directory costs.
std::vector<uint8_t> buildEmptyEntriesArchive(uint32_t n, DirectoryKind kind, uint64_t padTo = 0);

// FILETIME of a Unix time.
uint64_t fileTimeFromUnix(int64_t seconds);

}  // namespace gcepack
