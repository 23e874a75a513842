#pragma once
// Reader of GCE archives: a directory of named entries (CRC-32, sizes, FILETIME) and their
// data, stored or as compressed blocks. Every size and offset in the file is checked against
// the directory and the file before it is used.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class GflGceArchive {
public:
    // Codes handed to the message callback (high byte 0x0C an error, 0x04 information).
    static constexpr uint32_t kMsgUnsupported = 0x0C800400;  // wrapper version or directory kind
    static constexpr uint32_t kMsgCrcMismatch = 0x0C200400;  // directory CRC does not match
    static constexpr uint32_t kMsgExtractBegin = 0x040A0800;
    static constexpr uint32_t kMsgTooLarge = 0x0C880800;  // entry of 4 GiB or more
    static constexpr uint32_t kMsgExtractEnd = 0x040B0800;
    // A directory of more entries than this does not open (no real archive comes near it).
    static constexpr uint32_t kMaxEntries = 1u << 17;

    // Called after every chunk or block of an extraction; the answer is not used.
    using ProgressCallback = std::function<int(uint64_t done, uint64_t total, GflGceArchive* archive)>;
    // Answers nonzero to stop, 0 to go on. The text is the entry name where one applies.
    using MessageCallback = std::function<int(uint32_t code, const std::string& text, GflGceArchive* archive)>;

    GflGceArchive();
    ~GflGceArchive();
    GflGceArchive(const GflGceArchive&) = delete;
    GflGceArchive& operator=(const GflGceArchive&) = delete;

    // Stores the archive path (a system path) and forgets the opened state.
    void setPath(const std::string& path);
    const std::string& path() const;
    void keepOpen();
    void releaseKeepOpen();
    // Reads the directory; true on success. Queries open lazily.
    bool open();
    void close();
    bool isOpened() const;

    // Entry queries: 0 / empty for an index outside 0..count-1 or an archive that does not open.
    uint32_t count();
    std::string name(int64_t i);
    uint32_t crc(int64_t i);
    uint64_t storedSize(int64_t i);
    uint64_t unpackedSize(int64_t i);
    uint64_t fileTime(int64_t i);  // Windows FILETIME, 100 ns since 1601
    uint32_t attribute(int64_t i);

    // Writes entry i's unpacked bytes into buffer (capacity bytes, at least unpackedSize(i)).
    // False when the archive does not open, the index is out of range, the entry is 4 GiB or
    // more, the buffer is too small or the archive holds no extractable data. Damaged data
    // throws GflException(5).
    bool extract(int64_t i, void* buffer, uint64_t capacity);

    void setProgressCallback(ProgressCallback fn);
    void setMessageCallback(MessageCallback fn);

    // Settings and findings.
    void setCrcCheck(bool on);
    void setBaseOffset(int32_t base);
    bool crcMismatch() const;
    bool dataCompressed() const;
    bool noExtractableData() const;
    uint64_t totalUnpackedSize();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
