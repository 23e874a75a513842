#pragma once
// The byte streams that every file, archive member and in-memory buffer goes through.
//
// TStream offers raw reads and writes, little-endian integers, and text in a per-stream encoding:
// text operations take and give Shift-JIS and convert to and from the stream's encoding.
// Kinds: TFileStream (a file), TMemoryStream (a growable heap buffer, or a view of a foreign one),
// THMemStream (a memory stream over a movable block, as archive members arrive) and
// TResourceStream (program resources, which do not exist on this platform: opening one fails).
//
// End of data: the flag is set by a read that delivers fewer bytes than asked (the read that
// finds the end), and never by a read that delivers everything, even when it stops exactly at the
// end. Seeks of memory streams and reads that deliver in full clear it.
#include <cstdint>
#include <memory>
#include <string>

#include "framework/application_error.h"
#include "framework/file_system.h"
#include "platform/file.h"
#include "platform/mem_block.h"

// Text encodings of a stream. kEncodingDefault (99) passed to a constructor means the
// program-wide default, Shift-JIS.
enum TextEncoding : int {
    kEncodingSjis = 0,
    kEncodingUtf16 = 1,  // little-endian, no byte-order signature
    kEncodingUtf8 = 2,
    kEncodingAnsi = 3,  // the system's multibyte code page: code page 932
    kEncodingDefault = 99,
};

// The program-wide default text encoding (nothing changes it).
inline int defaultTextEncoding() { return kEncodingSjis; }

class TStream {
public:
    explicit TStream(int encoding = kEncodingDefault);
    virtual ~TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    virtual int getEncoding() const { return encoding_; }
    virtual bool isEof() const { return eof_; }
    virtual bool isMemory() const { return memory_; }

    // Bytes read / written.
    virtual uint32_t read(void* buf, uint32_t n) = 0;
    virtual uint32_t write(const void* buf, uint32_t n) = 0;
    // origin 0 begin, 1 current, 2 end.
    virtual bool seek(int32_t offset, int origin) = 0;
    virtual uint32_t tell() = 0;
    virtual uint32_t size() = 0;
    virtual void setEncoding(int encoding);

    // Little-endian integers; 0 (and the end-of-data flag) when the bytes are not there.
    virtual int8_t readInt8();
    virtual uint8_t readUInt8();
    virtual int16_t readInt16();
    virtual uint16_t readUInt16();
    virtual int32_t readInt32();
    virtual uint32_t readUInt32();

    // One text line as Shift-JIS. A line ends at LF (consumed, not stored), at NUL or at the end
    // of data; CR is dropped wherever it stands. The buffer forms store at most size - 1 bytes
    // and always terminate (size <= 0 stores nothing); the string forms stop after max
    // characters (-1: no limit). A full buffer ends the read; the rest of the line stays unread.
    virtual char* readLineTo(char* buf, int size);
    virtual std::string& readLine(std::string& out, int max = -1);
    virtual char* readSjisLineTo(char* buf, int size);
    virtual char* readUtf8LineTo(char* buf, int size);
    virtual char* readAnsiLineTo(char* buf, int size);
    virtual std::string& readSjisLine(std::string& out, int max = -1);
    virtual std::string& readUtf8Line(std::string& out, int max = -1);
    virtual std::string& readAnsiLine(std::string& out, int max = -1);
    // sizeInBytes / 2 - 1 units at most, terminated.
    virtual char16_t* readUtf16LineTo(char16_t* buf, int sizeInBytes);
    virtual std::u16string& readUtf16Line(std::u16string& out, int max = -1);

    // One character: a Shift-JIS code (lead * 256 + trail for a double-byte one).
    virtual uint32_t readChar();
    virtual uint32_t readSjisChar();
    virtual uint32_t readUtf8Char();  // a code point; 0 for a bad first byte
    virtual uint32_t readAnsiChar();
    virtual uint32_t readUtf16Char();  // one unit

    // Bytes written.
    virtual uint32_t writeInt8(int8_t v);
    virtual uint32_t writeUInt8(uint8_t v);
    virtual uint32_t writeInt16(int16_t v);
    virtual uint32_t writeUInt16(uint16_t v);
    virtual uint32_t writeInt32(int32_t v);
    virtual uint32_t writeUInt32(uint32_t v);

    // Shift-JIS text in the stream's encoding: no terminator, no line-end conversion. Bytes written.
    virtual uint32_t writeString(const std::string& sjis);
    virtual uint32_t writeRawString(const std::string& s);
    virtual uint32_t writeUtf8String(const std::string& s);
    virtual uint32_t writeAnsiString(const std::string& s);
    virtual uint32_t writeUtf16String(const std::u16string& s);

    // Shift-JIS text in the stream's encoding with every LF written as CR LF. Returns the number
    // of source bytes (units) written; a failing write ends it early.
    virtual int writeText(const std::string& sjis);
    virtual int writeSjisText(const std::string& s);
    virtual int writeUtf8Text(const std::string& s);
    virtual int writeAnsiText(const std::string& s);
    virtual int writeUtf16Text(const std::u16string& s);

    // One Shift-JIS character in the stream's encoding. Bytes written.
    virtual uint32_t writeChar(uint32_t sjisCode);
    virtual uint32_t writeSjisChar(uint32_t code);
    virtual uint32_t writeUtf8Char(uint32_t codePoint);
    virtual uint32_t writeAnsiChar(uint32_t code);
    virtual uint32_t writeUtf16Char(uint32_t unit);

    // Up to n bytes from src at its position; stops when src runs out or a write falls short.
    // Returns the bytes copied.
    virtual uint32_t copyFrom(TStream& src, uint32_t n);

    // The bytes at the position that the stream already holds in memory, so that a reader can
    // scan them without a read for each: their address, and their count in n (0, with null,
    // when none are at hand; read then fetches more). They stay valid until the next operation
    // other than takeBuffered.
    virtual const uint8_t* peekBuffered(uint32_t& n) {
        n = 0;
        return nullptr;
    }
    // Takes the first n of those bytes (n no more than peekBuffered gave), as reading them would.
    virtual void takeBuffered(uint32_t) {}

protected:
    bool textEncodingValid() const { return encoding_ >= 0 && encoding_ <= 3; }

    int encoding_;
    bool eof_ = false;
    bool memory_ = false;
};

// Open modes: access (low nibble) | creation (high nibble).
enum FileOpenMode : uint32_t {
    kFileRead = 0x00,
    kFileWrite = 0x01,
    kFileReadWrite = 0x02,
    kFileOpenExisting = 0x00,
    kFileCreateNew = 0x10,
    kFileOpenAlways = 0x20,
    kFileCreateAlways = 0x30,
};

class TFileStream : public TStream {
public:
    explicit TFileStream(int encoding = kEncodingDefault);
    // Opens at once; throws TException {kErrFileOpen, name} (framework/application_error.h) when
    // that fails.
    TFileStream(const std::string& name, uint32_t mode, int encoding = kEncodingDefault);
    ~TFileStream() override;

    uint32_t read(void* buf, uint32_t n) override;
    uint32_t write(const void* buf, uint32_t n) override;
    bool seek(int32_t offset, int origin) override;
    uint32_t tell() override;
    // The size when the file was opened; writes do not change it (see getFileSize).
    uint32_t size() override;
    uint8_t readUInt8() override;
    // What the read-ahead buffer holds past the position.
    const uint8_t* peekBuffered(uint32_t& n) override;
    void takeBuffered(uint32_t n) override;

    // Opens name (a system path) with a FileOpenMode; a file already open is closed first.
    // False (and lastError set) on failure or an invalid mode.
    virtual bool open(const std::string& name, uint32_t mode);
    // Uses an open handle without owning it; false for an invalid one.
    virtual bool attachHandle(platform::FileHandle h);
    virtual void close();
    virtual bool getFileInfo(FileInfo& out);
    // The live size of the open file.
    virtual uint32_t getFileSize();

    bool isOpen() const { return handle_ != platform::kInvalidFileHandle; }
    const std::string& fileName() const { return name_; }
    platform::FileHandle handle() const { return handle_; }
    uint32_t openMode() const { return mode_; }
    uint32_t lastError() const { return lastError_; }

private:
    // Reads go through a read-ahead buffer: the file's bytes from aheadStart_ on, of which
    // aheadPos_ of aheadLen_ are taken. While it is in use the file's own position is at its
    // end; every other operation first puts the file back at the stream's position.
    static constexpr uint32_t kReadAhead = 64 * 1024;
    uint32_t readAhead(uint8_t* out, uint32_t n);
    void dropReadAhead();

    std::unique_ptr<uint8_t[]> ahead_;
    bool aheadValid_ = false;
    uint64_t aheadStart_ = 0;
    uint32_t aheadLen_ = 0;
    uint32_t aheadPos_ = 0;

    bool ownsHandle_ = true;
    std::string name_;
    platform::FileHandle handle_ = platform::kInvalidFileHandle;
    uint32_t sizeAtOpen_ = 0;
    uint32_t mode_ = 0;
    uint32_t lastError_ = 0;
};

// A stream over a heap buffer. An owned buffer comes from malloc and is released with free (a
// caller that detaches one frees it with std::free). A foreign buffer is never reallocated or
// freed: a write that does not fit in it writes only what fits, and nothing at or past its end.
// The position may be moved anywhere by seek; bytes are only ever touched inside the buffer.
class TMemoryStream : public TStream {
public:
    explicit TMemoryStream(int encoding = kEncodingDefault);
    // A view of a foreign buffer of size bytes (not owned, not grown).
    TMemoryStream(void* buf, uint32_t size, int encoding = kEncodingDefault);
    ~TMemoryStream() override;

    uint32_t read(void* buf, uint32_t n) override;
    uint32_t write(const void* buf, uint32_t n) override;
    // Always succeeds and clears the end-of-data flag; the position is not bounded.
    bool seek(int32_t offset, int origin) override;
    uint32_t tell() override;
    uint32_t size() override;

    int8_t readInt8() override;
    uint8_t readUInt8() override;
    int16_t readInt16() override;
    uint16_t readUInt16() override;
    int32_t readInt32() override;
    uint32_t readUInt32() override;
    uint32_t writeInt8(int8_t v) override;
    uint32_t writeUInt8(uint8_t v) override;
    uint32_t writeInt16(int16_t v) override;
    uint32_t writeUInt16(uint16_t v) override;
    uint32_t writeInt32(int32_t v) override;
    uint32_t writeUInt32(uint32_t v) override;
    uint32_t copyFrom(TStream& src, uint32_t n) override;
    // The data past the position.
    const uint8_t* peekBuffered(uint32_t& n) override;
    void takeBuffered(uint32_t n) override;

    // Takes buf of size bytes (owned: it must come from malloc). The previous owned buffer is freed.
    virtual bool attach(void* buf, uint32_t size, bool owns);
    // Hands the buffer out (shrunk to the data size when asked and possible); the stream is then
    // empty. The caller owns an owned buffer afterwards.
    virtual void* detach(bool shrink);
    virtual uint8_t* getBuffer();
    // The byte at the position, or null when the position is outside the buffer.
    virtual uint8_t* getCurrent();
    // Makes room for n bytes at the position; returns the room now available (n when it grew).
    virtual uint32_t reserve(uint32_t n);
    virtual void freeBuffer();
    virtual bool loadFile(const char* name);
    // Empties the data, keeping the buffer.
    virtual void clear();

    uint32_t capacity() const { return capacity_; }
    bool ownsBuffer() const { return owns_; }

protected:
    // Frees what the stream owns and forgets the buffer.
    virtual void releaseBuffer();
    // Forgets the buffer without freeing it: no data, position 0, a buffer of its own next.
    void forgetBuffer();
    // Room at the position within the capacity (0 outside the buffer).
    uint32_t roomAtPosition() const;
    // Bytes readable at the position (0 outside the data).
    uint32_t leftToRead() const;
    // After a write ended at the position: data size raised to it.
    void wrote(uint32_t n);
    // Makes sure width bytes can be stored at the position; false when they cannot.
    bool roomFor(uint32_t width);
    template <typename T>
    T readLE();
    template <typename T>
    uint32_t writeLE(T v);

    bool owns_ = true;
    uint8_t* buffer_ = nullptr;
    uint32_t capacity_ = 0;
    uint32_t dataSize_ = 0;
    int64_t pos_ = 0;
};

// A memory stream over a movable block (platform::MemBlock), kept while the stream uses it.
// Growth makes the block exactly position + n + 1024 bytes.
class THMemStream : public TMemoryStream {
public:
    THMemStream();
    ~THMemStream() override;

    uint32_t reserve(uint32_t n) override;
    void clear() override;
    // An owned block's bytes are handed out (free them with std::free); a borrowed block's bytes
    // stay its owner's.
    void* detach(bool shrink) override;

    // Uses block h holding dataSize bytes of data (cut to the block's size). With owns the block's
    // bytes move into the stream (h is left empty); without, the stream works on h in place, and
    // h must outlive the stream's use of it. False for an empty block.
    virtual bool attachHandle(platform::MemBlock* h, uint32_t dataSize, bool owns);
    // Hands out the owned block and the data size and forgets everything. A block that the stream
    // did not own stays with its owner (h is left as it was).
    virtual void detachHandle(platform::MemBlock& h, uint32_t& dataSize);
    // The block in use, or null.
    virtual platform::MemBlock* getHandle();

protected:
    void releaseBuffer() override;

private:
    platform::MemBlock own_;
    platform::MemBlock* block_ = nullptr;
};

// Program resources (bitmaps, "WAVE", icons) do not exist on this platform: open always fails
// and the stream stays empty.
class TResourceStream : public TMemoryStream {
public:
    TResourceStream();
    ~TResourceStream() override;
    void clear() override;
    bool open(void* module, const char* name, const char* type);
};
