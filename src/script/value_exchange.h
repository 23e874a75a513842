#pragma once
// TValueExchange: the save archive. Every savable engine object has one exchange operation that
// runs both ways: storing writes each field, loading reads it back, in the same order. Only the
// values are stored; keys document the fields, except that a keyed section (TKey) is framed by
// a two-byte tag made from its key, checked on load.
//
// Encodings (little-endian): byte; 16-bit; long (32-bit); compact integer (-126..127 as one
// signed byte, anything else 0x80 and the 32-bit value); scrambled string (32-bit length n, byte
// i stored as plain + i + n; the text up to its first zero byte); flags byte (up to eight booleans, the first in bit
// 0); colour (the low and third bytes swapped, top byte 0; alpha 0xFF on load); float (as an 8-byte double); memory
// stream (32-bit count, then the bytes).
//
// Loading never reads outside the stream: a value that the stream cannot deliver whole, and a
// count or length that is larger than the bytes left, is engine error 0x100c; a section tag
// that does not match is engine error 0x100d. Either stops the load where it stands.
#include <cstdint>
#include <string>
#include <string_view>

#include "script/g2_error.h"

class TStream;
class TMemoryStream;

// Scrambled strings: the string form of the variable map, compiled scripts and the save archive.
void scrambleBytes(uint8_t* bytes, uint32_t n);
void unscrambleBytes(uint8_t* bytes, uint32_t n);
// Reads one; a length below 1 gives the empty string. False (out empty) when the length is more
// than the bytes left in the stream or the bytes cannot all be read.
bool readScrambledString(TStream& stream, std::string& out);
// Writes every byte of the text; returns the bytes written.
uint32_t writeScrambledString(TStream& stream, const std::string& text);
// Bytes between the position and the end (0 when the position is past it).
uint32_t bytesLeft(TStream& stream);

class TValueExchange : public TErrorInterface {
public:
    // A keyed section: the tag at construction and again at destruction. A section left by an
    // exception writes or checks nothing more.
    class TKey {
    public:
        TKey(TValueExchange& archive, std::string_view key);
        ~TKey() noexcept(false);
        TKey(const TKey&) = delete;
        TKey& operator=(const TKey&) = delete;

    private:
        TValueExchange& archive_;
        std::string key_;
        int uncaught_;
    };

    TValueExchange() = default;
    TValueExchange(TStream* stream, bool storing, bool owns = false) { attach(stream, storing, owns); }
    ~TValueExchange() override;
    TValueExchange(const TValueExchange&) = delete;
    TValueExchange& operator=(const TValueExchange&) = delete;

    // Uses stream in the given direction (an owned one is deleted on close); clears the error.
    virtual void attach(TStream* stream, bool storing, bool owns);
    // The stream, which the archive forgets without deleting.
    virtual TStream* detach();
    virtual void close();
    virtual bool isStoring() const { return storing_; }
    virtual bool isLoading() const { return !storing_; }
    bool hasError() const { return error_; }
    TStream* stream() const { return stream_; }

    // Both directions.
    void exchangeByte(std::string_view key, uint8_t& v);
    void exchangeByte(std::string_view key, bool& v);
    void exchangeChar(std::string_view key, int8_t& v);
    void exchangeChar(std::string_view key, int32_t& v);  // sign-extended on load
    void exchangeWord(std::string_view key, uint16_t& v);
    void exchangeShort(std::string_view key, int16_t& v);
    void exchangeShort(std::string_view key, int32_t& v);  // sign-extended on load
    void exchangeInt(std::string_view key, int32_t& v);    // compact
    void exchangeLong(std::string_view key, int32_t& v);
    void exchangeLong(std::string_view key, uint32_t& v);
    void exchangeFloat(std::string_view key, float& v);
    void exchangeBytes(std::string_view key, void* bytes, uint32_t size);
    // Store: the stream's whole contents. Load: the bytes are written into it at its position.
    void exchangeMemoryStream(std::string_view key, TMemoryStream& m);
    // Up to eight flags; a null one stores 0 and is skipped on load.
    void exchangeFlags(std::string_view key, bool* f0, bool* f1 = nullptr, bool* f2 = nullptr, bool* f3 = nullptr,
                       bool* f4 = nullptr, bool* f5 = nullptr, bool* f6 = nullptr, bool* f7 = nullptr);
    void exchangeColor(std::string_view key, uint32_t& argb);
    void exchangeString(std::string_view key, std::string& s);
    // The section tag of key: nothing for an empty key or after an error; on load a mismatch sets
    // the error and throws 0x100d.
    void exchangeTag(std::string_view key);

    // One direction.
    void putByte(std::string_view key, uint8_t v);
    uint8_t getByte(std::string_view key);
    void putShort(std::string_view key, int16_t v);
    int16_t getShort(std::string_view key);
    void putInt(std::string_view key, int32_t v);
    int32_t getInt(std::string_view key);
    void putLong(std::string_view key, int32_t v);
    int32_t getLong(std::string_view key);
    void putBytes(std::string_view key, const void* bytes, uint32_t size);
    void getBytes(std::string_view key, void* bytes, uint32_t size);
    void putMemoryStream(std::string_view key, TMemoryStream& m);
    void putColor(std::string_view key, uint32_t argb);
    uint32_t getColor(std::string_view key);
    void putString(std::string_view key, const std::string& s);
    std::string getString(std::string_view key);

    // A count read on load (compact) that stands for records of at least minBytes bytes each:
    // error 0x100c when that many cannot be in what is left. A negative count is returned as it is.
    int32_t getCount(std::string_view key, uint32_t minBytes);
    // Bytes left to load.
    uint32_t bytesLeft();

    static uint16_t tagOf(std::string_view key);

private:
    void write(const void* bytes, uint32_t n);
    void read(void* bytes, uint32_t n);

    bool ownsStream_ = false;
    bool storing_ = false;
    bool error_ = false;
    TStream* stream_ = nullptr;
};
