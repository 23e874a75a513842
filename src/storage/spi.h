#pragma once
// The image and archive plug-in interface and its host object. SpiFile is one plug-in: it
// would load an external plug-in library (which this platform cannot do: loading reports
// failure), and its subclasses are the built-in plug-ins offering the same eight entry points
// as virtual operations. Where the interface passed either a handle or a pointer in one word,
// it has typed overloads here: a source is a file path with a byte offset or a memory range;
// an output is a movable memory block (platform::MemBlock) or a file path.
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/mem_block.h"
#include "storage/gfl_gce_archive.h"

class TStream;
class TImage;

// One archive member, as GetArchiveInfo lists and GetFileInfo finds them (440 bytes). An array
// ends with a record whose first method byte is 0.
struct SpiFileInfo {
    char method[8];
    uint32_t position;  // what GetFile needs to find the member (for GCE, the entry index)
    uint32_t compSize;
    uint32_t fileSize;
    uint8_t pad0[4];
    int64_t timestamp;  // calendar seconds
    char path[200];
    char filename[200];
    uint32_t crc;
    uint8_t pad1[4];

    // The member's full name: path followed by file name.
    std::string fullName() const;
};
static_assert(sizeof(SpiFileInfo) == 440);

// Entry-point answers.
enum : int {
    SPI_OK = 0,
    SPI_NOT_SUPPORTED = -1,
    SPI_FORMAT_ERROR = 2,  // unknown format or read error
    SPI_NO_MEMORY = 4,
    SPI_FILE_ERROR = 6,  // cannot open, or member not found
};

// Flag word: input kind in bits 0-2, output kind in bits 8-10, and 0x80 on GetFileInfo.
enum : unsigned {
    SPI_IN_FILE = 0x0,
    SPI_IN_MEMORY = 0x1,
    SPI_OUT_FILE = 0x000,
    SPI_OUT_MEMORY = 0x100,
    SPI_IGNORE_CASE = 0x80,
};

// Plug-in kinds.
enum : int { SPI_KIND_NONE = -1, SPI_KIND_IMAGE = 0, SPI_KIND_EXPORT = 1, SPI_KIND_ARCHIVE = 2 };

// A source in memory (where the interface took a pointer and a size in place of a path).
struct SpiMemory {
    const void* bytes = nullptr;
    size_t size = 0;
};

// num of denom done; nonzero stops.
using SpiProgress = int (*)(int num, int denom, intptr_t data);

class SpiFile {
public:
    SpiFile() = default;
    virtual ~SpiFile() = default;
    SpiFile(const SpiFile&) = delete;
    SpiFile& operator=(const SpiFile&) = delete;

    // Loads an external plug-in library from folder\file. External libraries cannot be loaded
    // on this platform: false, and the plug-in stays of kind -1.
    virtual bool load(const std::string& folder, const std::string& file);
    virtual int kind() const { return kind_; }
    // n 0 the version, 1 the about text, 2 the file pattern, 3 the description; copied with at
    // most size characters (terminated when it fits). Answers n for 0 to 3, else 0.
    virtual int GetPluginInfo(int n, char* buffer, int size);
    // header: at least the first 2,048 bytes of the file (zero-filled past its end).
    virtual int IsSupported(const std::string& name, const void* header, size_t headerSize);
    // The file read from its current position.
    virtual int IsSupported(const std::string& name, TStream& file);
    virtual int GetPictureInfo(const std::string& path, int64_t offset, unsigned flag);
    virtual int GetPicture(const std::string& path, int64_t offset, unsigned flag, platform::MemBlock& info,
                           platform::MemBlock& bits, SpiProgress progress, intptr_t data);
    virtual int GetPicture(SpiMemory source, unsigned flag, platform::MemBlock& info, platform::MemBlock& bits,
                           SpiProgress progress, intptr_t data);
    virtual int GetPreview(const std::string& path, int64_t offset, unsigned flag);
    virtual int GetArchiveInfo(const std::string& path, int64_t offset, unsigned flag, platform::MemBlock& records);
    virtual int GetArchiveInfo(SpiMemory source, unsigned flag, platform::MemBlock& records);
    virtual int GetFileInfo(const std::string& path, int64_t offset, const std::string& name, unsigned flag,
                            SpiFileInfo& record);
    virtual int GetFileInfo(SpiMemory source, const std::string& name, unsigned flag, SpiFileInfo& record);
    // To memory (output kind 1) or to the file named by destPath (output kind 0).
    virtual int GetFile(const std::string& path, int64_t position, platform::MemBlock& dest, unsigned flag,
                        SpiProgress progress, intptr_t data);
    virtual int GetFile(const std::string& path, int64_t position, const std::string& destPath, unsigned flag,
                        SpiProgress progress, intptr_t data);
    virtual int GetFile(SpiMemory source, platform::MemBlock& dest, unsigned flag, SpiProgress progress, intptr_t data);

    const char* version() const { return version_; }
    const std::string& fileName() const { return fileName_; }

protected:
    // The built-in plug-ins' texts, in GetPluginInfo order.
    void setTexts(const char* version, const char* file, const char* about, const char* pattern,
                  const char* description);
    int kind_ = SPI_KIND_NONE;
    char version_[10] = {};
    std::string fileName_;
    const char* texts_[4] = {nullptr, nullptr, nullptr, nullptr};
};

// The largest picture the built-in image filters take; larger claims are damage, not data. No
// screen of the game needs a side over 4096 pixels (the screen is 800 x 600, the longest strips
// and sheets stay well inside it), and no bitmap takes more than one of 4096 x 4096 at 24 bits,
// so the 32-bit surface made from any picture let through stays within 64 MiB.
inline constexpr uint64_t kSpiMaxPictureSide = 4096;
inline constexpr uint64_t kSpiMaxPictureBits = kSpiMaxPictureSide * kSpiMaxPictureSide * 3;
// Nor is a picture file much more than its bitmap: the most a filter takes beside the bits for
// its headers and colour table, and for a compressed format's overhead.
inline constexpr uint64_t kSpiMaxPictureHeaders = uint64_t{1} << 20;
inline constexpr uint64_t kSpiMaxPictureFile = kSpiMaxPictureBits + kSpiMaxPictureHeaders;

// Base of the built-in image filters: the stream decoders of each format.
class SpiImportFile : public SpiFile {
public:
    SpiImportFile();
    bool load(const std::string& folder, const std::string& file) override;
    int GetPictureInfo(const std::string& path, int64_t offset, unsigned flag) override;
    int GetPicture(const std::string& path, int64_t offset, unsigned flag, platform::MemBlock& info,
                   platform::MemBlock& bits, SpiProgress progress, intptr_t data) override;
    int GetPicture(SpiMemory source, unsigned flag, platform::MemBlock& info, platform::MemBlock& bits,
                   SpiProgress progress, intptr_t data) override;
    int GetPreview(const std::string& path, int64_t offset, unsigned flag) override;
    using SpiFile::IsSupported;
    int IsSupported(const std::string& name, const void* header, size_t headerSize) override;
    int IsSupported(const std::string& name, TStream& file) override;

    // Decodes the stream into an info block and a pixel block: 0, or an entry-point error.
    virtual int decode(TStream& stream, platform::MemBlock& info, platform::MemBlock& bits) = 0;
    // A new image decoded from a stream or file (a file retries at offset 128); null on failure.
    virtual TImage* imageFromStream(TStream& stream);
    virtual TImage* imageFromFile(const std::string& path);

    // Why the last GetPicture or decode failed, in a few words for a person ("BMP of 8192 x
    // 8192, wider or taller than 4096 pixels"); empty after a success.
    const std::string& refusal() const { return refusal_; }

protected:
    // How many leading bytes the format check needs, and the check itself.
    virtual size_t signatureSize() const = 0;
    virtual bool matches(const uint8_t* head, size_t size) = 0;
    // Notes why the picture is refused and answers code.
    int refuse(int code, std::string why);

    std::string refusal_;
};

class SpiArgbFile : public SpiImportFile {
public:
    SpiArgbFile();
    int decode(TStream& stream, platform::MemBlock& info, platform::MemBlock& bits) override;

protected:
    size_t signatureSize() const override { return 16; }
    bool matches(const uint8_t* head, size_t size) override;
};

class SpiBmpFile : public SpiImportFile {
public:
    SpiBmpFile();
    int decode(TStream& stream, platform::MemBlock& info, platform::MemBlock& bits) override;

protected:
    size_t signatureSize() const override { return 60; }
    bool matches(const uint8_t* head, size_t size) override;
};

class SpiPngFile : public SpiImportFile {
public:
    SpiPngFile();
    int decode(TStream& stream, platform::MemBlock& info, platform::MemBlock& bits) override;

protected:
    size_t signatureSize() const override { return 9; }
    bool matches(const uint8_t* head, size_t size) override;
};

class SpiJpegFile : public SpiImportFile {
public:
    SpiJpegFile();
    int decode(TStream& stream, platform::MemBlock& info, platform::MemBlock& bits) override;

protected:
    size_t signatureSize() const override { return 32; }
    bool matches(const uint8_t* head, size_t size) override;
};

class SpiArchiveFileSubset : public SpiFile {
public:
    SpiArchiveFileSubset() { kind_ = SPI_KIND_ARCHIVE; }
    bool load(const std::string&, const std::string&) override { return true; }
};

// The archive plug-in over the GCE reader, with a small cache of opened archives (units),
// most recently used first.
class SpiGceFile : public SpiArchiveFileSubset {
public:
    struct TGceUnit {
        TGceUnit();
        bool opened = false;
        std::string path;
        GflGceArchive archive;
        // Entry names folded to one letter case -> the first entry of that name; built on the
        // first lookup so a large archive is not walked name by name for every member.
        std::unordered_map<std::string, uint32_t> byName;
    };

    explicit SpiGceFile(int capacity = 4);

    using SpiFile::GetArchiveInfo;
    using SpiFile::GetFile;
    using SpiFile::GetFileInfo;
    using SpiFile::IsSupported;
    int IsSupported(const std::string& name, const void* header, size_t headerSize) override;
    int IsSupported(const std::string& name, TStream& file) override;
    int GetArchiveInfo(const std::string& path, int64_t offset, unsigned flag, platform::MemBlock& records) override;
    int GetArchiveInfo(SpiMemory source, unsigned flag, platform::MemBlock& records) override;
    int GetFileInfo(const std::string& path, int64_t offset, const std::string& name, unsigned flag,
                    SpiFileInfo& record) override;
    int GetFileInfo(SpiMemory source, const std::string& name, unsigned flag, SpiFileInfo& record) override;
    int GetFile(const std::string& path, int64_t position, platform::MemBlock& dest, unsigned flag,
                SpiProgress progress, intptr_t data) override;
    int GetFile(const std::string& path, int64_t position, const std::string& destPath, unsigned flag,
                SpiProgress progress, intptr_t data) override;
    int GetFile(SpiMemory source, platform::MemBlock& dest, unsigned flag, SpiProgress progress,
                intptr_t data) override;

    // path empty: the current (front) unit.
    virtual int getArchiveList(const std::string& path, int64_t offset, platform::MemBlock& records);
    virtual int findRecord(const std::string& path, int64_t offset, const std::string& name, unsigned flag,
                           SpiFileInfo& record);
    virtual int extractToMemory(const std::string& path, int64_t index, platform::MemBlock& dest);
    virtual int extractToStream(const std::string& path, int64_t index, TStream& stream);

    TGceUnit* useUnit(const std::string& path);
    // The unit's record array, built straight into out. It grows with the archive, so it is
    // neither kept between calls nor copied: a second copy would double the cost of a long list.
    bool buildRecords(TGceUnit& unit, platform::MemBlock& out);
    int capacity() const { return capacity_; }
    const std::list<std::unique_ptr<TGceUnit>>& units() const { return units_; }

private:
    void remember(const std::string& path, int64_t offset, bool& same);
    // The front unit when it holds path (or path is empty), else the unit useUnit picks.
    TGceUnit* unitFor(const std::string& path);
    void fillRecord(TGceUnit& unit, uint32_t index, SpiFileInfo& record);

    int capacity_;
    std::list<std::unique_ptr<TGceUnit>> units_;
    std::string lastPath_;
    int64_t lastOffset_ = -1;
};

// The name with ASCII letters in lower case (never a Shift-JIS trail byte) and '/' as '\'.
std::string spiFoldName(const std::string& name);
// ASCII letters compared without regard to case (never a Shift-JIS trail byte), and '/' the
// same as '\'.
bool spiSameName(const std::string& a, const std::string& b);
