#pragma once
// The archive reader's own small stream family: an abstract byte stream with typed helpers,
// a window on memory and a file. Errors that a result cannot carry are thrown as GflException.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file.h"

class GflException {
public:
    enum : int { ShortRead = 5, ShortWrite = 6 };
    explicit GflException(int code, std::string text = {}) : code_(code), text_(std::move(text)) {}
    int code() const { return code_; }
    const std::string& text() const { return text_; }

private:
    int code_;
    std::string text_;
};

class GflStream {
public:
    virtual ~GflStream() = default;

    bool isEof() const { return eof_; }
    // Raw transfers answer the bytes actually moved.
    virtual size_t read(void* buffer, size_t n) = 0;
    virtual size_t write(const void* buffer, size_t n) = 0;
    virtual bool seek(uint64_t position) = 0;
    virtual uint64_t tell() const = 0;
    virtual uint64_t size() = 0;

    // Typed helpers, little-endian. A short read answers 0 for the missing value (and sets the
    // end-of-data flag through read); callers that must not go on use readExact.
    uint8_t readU8();
    uint16_t readU16();
    uint32_t readU32();
    uint64_t readU64();
    bool writeU8(uint8_t v);
    bool writeU16(uint16_t v);
    bool writeU32(uint32_t v);
    bool writeU64(uint64_t v);
    std::string readString32();
    std::string readString16();
    bool writeString32(const std::string& s);
    bool writeString16(const std::string& s);
    bool writeBytes(const std::string& s);
    // Big-endian groups of seven bits, the high bit set on every byte but the last.
    uint32_t readVarUInt();
    bool writeVarUInt(uint32_t value);
    std::string readVarString();
    bool writeVarString(const std::string& s);

protected:
    bool eof_ = true;

private:
    // Reads a string body of n bytes in bounded steps so a damaged length cannot demand a huge
    // allocation up front.
    std::string readBody(uint64_t n);
};

// Throws GflException(5) / (6) when fewer than n bytes move.
void readExact(GflStream& stream, void* buffer, size_t n);
void writeExact(GflStream& stream, const void* buffer, size_t n);

// A window on a memory buffer; a growing stream owns its buffer and enlarges it on demand.
class GflMemoryStream : public GflStream {
public:
    // An empty growing stream.
    GflMemoryStream();
    // A fixed, non-owning window on (data, size), positioned at the start.
    GflMemoryStream(void* data, size_t size);
    GflMemoryStream(const void* data, size_t size);  // read-only window: writes move nothing
    ~GflMemoryStream() override = default;

    void setBuffer(void* data, size_t size);
    void setReadOnlyBuffer(const void* data, size_t size);

    size_t read(void* buffer, size_t n) override;
    size_t write(const void* buffer, size_t n) override;
    bool seek(uint64_t position) override;
    uint64_t tell() const override { return position_; }
    uint64_t size() override { return size_; }

    const uint8_t* data() const { return data_; }
    bool growing() const { return growing_; }
    size_t capacity() const { return growing_ ? owned_.size() : size_; }

private:
    bool grow(size_t needed);

    uint8_t* data_ = nullptr;  // writable view (null for a read-only window)
    const uint8_t* rdata_ = nullptr;
    size_t position_ = 0;
    size_t size_ = 0;
    bool growing_ = false;
    std::vector<uint8_t> owned_;
};

// A file on disk. Paths are the system's (backslash separators); relative ones are made
// absolute against the process-wide base folder.
class GflFile : public GflStream {
public:
    enum Mode : int { Read = 0, Write = 1, ReadWrite = 2, Create = 3, CreateReadWrite = 4 };

    GflFile() = default;
    ~GflFile() override;
    GflFile(const GflFile&) = delete;
    GflFile& operator=(const GflFile&) = delete;

    const std::string& getPath() const { return path_; }
    bool reopen();
    bool openRead(const std::string& path) { return openFile(path, Read); }
    // Modes 0 read, 1 write, 2 read-write (the file must exist), 3 write and 4 read-write
    // (created or emptied); anything else fails without touching the file system.
    bool openFile(const std::string& path, int mode);
    void closeFile();
    bool isOpen() const { return file_ != platform::kInvalidFileHandle; }
    // Reads the whole file into the stream's own buffer.
    bool loadWhole(const std::string& path);
    const std::vector<uint8_t>& wholeBuffer() const { return whole_; }
    void release();

    size_t read(void* buffer, size_t n) override;
    size_t write(const void* buffer, size_t n) override;
    bool seek(uint64_t position) override;
    uint64_t tell() const override;
    uint64_t size() override { return size_; }

private:
    std::string path_;
    platform::FileHandle file_ = platform::kInvalidFileHandle;
    int mode_ = Read;
    uint64_t size_ = 0;
    std::vector<uint8_t> whole_;
};

// A re-entrant lock; one instance guards the base folder below.
class GflCriticalSection {
public:
    GflCriticalSection();
    virtual ~GflCriticalSection();
    GflCriticalSection(const GflCriticalSection&) = delete;
    GflCriticalSection& operator=(const GflCriticalSection&) = delete;
    virtual void enter();
    virtual void leave();

private:
    struct Impl;
    Impl* impl_;
};

// The process-wide base folder that GflFile resolves relative paths against. Every read and
// write of it holds one process-wide lock.
void gflSetBaseFolder(const std::string& folder);
std::string gflBaseFolder();
// The system path made absolute against the base folder (unchanged for "\\..." and "x:...").
std::string gflResolvePath(const std::string& path);
