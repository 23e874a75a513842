#include "script/value_exchange.h"

#include <cstring>
#include <exception>

#include "framework/stream.h"
#include "platform/little_endian.h"

void scrambleBytes(uint8_t* bytes, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(bytes[i] + i + n);
}

void unscrambleBytes(uint8_t* bytes, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(bytes[i] - i - n);
}

uint32_t bytesLeft(TStream& stream) {
    const uint32_t size = stream.size();
    const uint32_t at = stream.tell();
    return at < size ? size - at : 0;
}

bool readScrambledString(TStream& stream, std::string& out) {
    out.clear();
    uint8_t raw[4];
    if (stream.read(raw, 4) != 4) return false;
    const int32_t n = le::load<int32_t>(raw);
    if (n < 1) return true;
    if (static_cast<uint32_t>(n) > bytesLeft(stream)) return false;
    std::string s(static_cast<size_t>(n), '\0');
    if (stream.read(s.data(), static_cast<uint32_t>(n)) != static_cast<uint32_t>(n)) return false;
    unscrambleBytes(reinterpret_cast<uint8_t*>(s.data()), static_cast<uint32_t>(n));
    out = std::move(s);
    return true;
}

uint32_t writeScrambledString(TStream& stream, const std::string& text) {
    std::string s(text);
    const uint32_t n = static_cast<uint32_t>(s.size());
    scrambleBytes(reinterpret_cast<uint8_t*>(s.data()), n);
    uint8_t len[4];
    le::store32(len, n);
    uint32_t written = stream.write(len, 4);
    if (n) written += stream.write(s.data(), n);
    return written;
}

// --- TKey ---

TValueExchange::TKey::TKey(TValueExchange& archive, std::string_view key)
    : archive_(archive), key_(key), uncaught_(std::uncaught_exceptions()) {
    archive_.exchangeTag(key_);
}

TValueExchange::TKey::~TKey() noexcept(false) {
    // While an exception unwinds the section, the stream is no longer where the tag would be.
    if (std::uncaught_exceptions() == uncaught_) archive_.exchangeTag(key_);
}

// --- the archive ---

TValueExchange::~TValueExchange() { close(); }

void TValueExchange::attach(TStream* stream, bool storing, bool owns) {
    close();
    stream_ = stream;
    storing_ = storing;
    ownsStream_ = owns;
    error_ = false;
}

TStream* TValueExchange::detach() {
    TStream* s = stream_;
    stream_ = nullptr;
    ownsStream_ = false;
    return s;
}

void TValueExchange::close() {
    if (ownsStream_) delete stream_;
    stream_ = nullptr;
    ownsStream_ = false;
}

uint32_t TValueExchange::bytesLeft() { return stream_ ? ::bytesLeft(*stream_) : 0; }

void TValueExchange::write(const void* bytes, uint32_t n) {
    if (stream_ && n) stream_->write(bytes, n);
}

void TValueExchange::read(void* bytes, uint32_t n) {
    if (n == 0) return;
    if (!stream_ || stream_->read(bytes, n) != n) {
        std::memset(bytes, 0, n);
        error(kG2ErrExchange);
    }
}

uint16_t TValueExchange::tagOf(std::string_view key) {
    if (key.empty()) return 0;
    const uint8_t lo = static_cast<uint8_t>(key[0]);
    const uint8_t hi = key.size() > 1 ? static_cast<uint8_t>(key[1]) : 0;
    return static_cast<uint16_t>(lo | hi << 8);
}

void TValueExchange::exchangeTag(std::string_view key) {
    if (error_ || key.empty()) return;
    const uint16_t tag = tagOf(key);
    if (storing_) {
        putShort(key, static_cast<int16_t>(tag));
        return;
    }
    if (static_cast<uint16_t>(getShort(key)) != tag) {
        error_ = true;
        error(kG2ErrExchangeCode);
    }
}

// --- one direction ---

void TValueExchange::putByte(std::string_view, uint8_t v) { write(&v, 1); }

uint8_t TValueExchange::getByte(std::string_view) {
    uint8_t v;
    read(&v, 1);
    return v;
}

void TValueExchange::putShort(std::string_view, int16_t v) {
    uint8_t b[2];
    le::store(b, v);
    write(b, 2);
}

int16_t TValueExchange::getShort(std::string_view) {
    uint8_t b[2] = {};
    read(b, 2);
    return le::load<int16_t>(b);
}

void TValueExchange::putLong(std::string_view, int32_t v) {
    uint8_t b[4];
    le::store(b, v);
    write(b, 4);
}

int32_t TValueExchange::getLong(std::string_view) {
    uint8_t b[4] = {};
    read(b, 4);
    return le::load<int32_t>(b);
}

void TValueExchange::putInt(std::string_view key, int32_t v) {
    if (v >= -126 && v <= 127) {
        putByte(key, static_cast<uint8_t>(v));
        return;
    }
    putByte(key, 0x80);
    putLong(key, v);
}

int32_t TValueExchange::getInt(std::string_view key) {
    const int8_t b = static_cast<int8_t>(getByte(key));
    return b == -128 ? getLong(key) : b;
}

int32_t TValueExchange::getCount(std::string_view key, uint32_t minBytes) {
    const int32_t n = getInt(key);
    if (n > 0 && static_cast<uint64_t>(n) * minBytes > bytesLeft()) error(kG2ErrExchange);
    return n;
}

void TValueExchange::putBytes(std::string_view, const void* bytes, uint32_t size) { write(bytes, size); }
void TValueExchange::getBytes(std::string_view, void* bytes, uint32_t size) { read(bytes, size); }

void TValueExchange::putMemoryStream(std::string_view key, TMemoryStream& m) {
    const uint32_t n = m.size();
    putLong(key, static_cast<int32_t>(n));
    write(m.getBuffer(), n);
}

namespace {
uint32_t swapRedBlue(uint32_t c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }
}  // namespace

void TValueExchange::putColor(std::string_view key, uint32_t argb) {
    putLong(key, static_cast<int32_t>(swapRedBlue(argb)));
}
uint32_t TValueExchange::getColor(std::string_view key) {
    return swapRedBlue(static_cast<uint32_t>(getLong(key))) | 0xFF000000u;
}

void TValueExchange::putString(std::string_view, const std::string& s) {
    if (stream_) writeScrambledString(*stream_, s.c_str());  // up to the first zero byte
}

std::string TValueExchange::getString(std::string_view) {
    std::string s;
    if (!stream_ || !readScrambledString(*stream_, s)) error(kG2ErrExchange);
    return s;
}

// --- both directions ---

void TValueExchange::exchangeByte(std::string_view key, uint8_t& v) {
    if (storing_)
        putByte(key, v);
    else
        v = getByte(key);
}

void TValueExchange::exchangeByte(std::string_view key, bool& v) {
    if (storing_)
        putByte(key, v ? 1 : 0);
    else
        v = getByte(key) != 0;
}

void TValueExchange::exchangeChar(std::string_view key, int8_t& v) {
    if (storing_)
        putByte(key, static_cast<uint8_t>(v));
    else
        v = static_cast<int8_t>(getByte(key));
}

void TValueExchange::exchangeChar(std::string_view key, int32_t& v) {
    if (storing_)
        putByte(key, static_cast<uint8_t>(v));
    else
        v = static_cast<int8_t>(getByte(key));
}

void TValueExchange::exchangeWord(std::string_view key, uint16_t& v) {
    if (storing_)
        putShort(key, static_cast<int16_t>(v));
    else
        v = static_cast<uint16_t>(getShort(key));
}

void TValueExchange::exchangeShort(std::string_view key, int16_t& v) {
    if (storing_)
        putShort(key, v);
    else
        v = getShort(key);
}

void TValueExchange::exchangeShort(std::string_view key, int32_t& v) {
    if (storing_)
        putShort(key, static_cast<int16_t>(v));
    else
        v = getShort(key);
}

void TValueExchange::exchangeInt(std::string_view key, int32_t& v) {
    if (storing_)
        putInt(key, v);
    else
        v = getInt(key);
}

void TValueExchange::exchangeLong(std::string_view key, int32_t& v) {
    if (storing_)
        putLong(key, v);
    else
        v = getLong(key);
}

void TValueExchange::exchangeLong(std::string_view key, uint32_t& v) {
    if (storing_)
        putLong(key, static_cast<int32_t>(v));
    else
        v = static_cast<uint32_t>(getLong(key));
}

void TValueExchange::exchangeFloat(std::string_view key, float& v) {
    if (storing_) {
        const double d = v;
        uint64_t bits;
        std::memcpy(&bits, &d, 8);
        putLong(key, static_cast<int32_t>(bits));
        putLong(key, static_cast<int32_t>(bits >> 32));
        return;
    }
    const uint64_t lo = static_cast<uint32_t>(getLong(key));
    const uint64_t hi = static_cast<uint32_t>(getLong(key));
    const uint64_t bits = lo | hi << 32;
    double d;
    std::memcpy(&d, &bits, 8);
    v = static_cast<float>(d);
}

void TValueExchange::exchangeBytes(std::string_view key, void* bytes, uint32_t size) {
    if (storing_)
        putBytes(key, bytes, size);
    else
        getBytes(key, bytes, size);
}

void TValueExchange::exchangeMemoryStream(std::string_view key, TMemoryStream& m) {
    if (storing_) {
        putMemoryStream(key, m);
        return;
    }
    const uint32_t n = static_cast<uint32_t>(getLong(key));
    if (n > bytesLeft() || m.copyFrom(*stream_, n) != n) error(kG2ErrExchange);
}

void TValueExchange::exchangeFlags(std::string_view key, bool* f0, bool* f1, bool* f2, bool* f3, bool* f4, bool* f5,
                                   bool* f6, bool* f7) {
    bool* flags[8] = {f0, f1, f2, f3, f4, f5, f6, f7};
    if (storing_) {
        uint8_t b = 0;
        for (int i = 0; i < 8; ++i)
            if (flags[i] && *flags[i]) b |= static_cast<uint8_t>(1u << i);
        putByte(key, b);
        return;
    }
    const uint8_t b = getByte(key);
    for (int i = 0; i < 8; ++i)
        if (flags[i]) *flags[i] = (b >> i & 1) != 0;
}

void TValueExchange::exchangeColor(std::string_view key, uint32_t& argb) {
    if (storing_)
        putColor(key, argb);
    else
        argb = getColor(key);
}

void TValueExchange::exchangeString(std::string_view key, std::string& s) {
    if (storing_)
        putString(key, s);
    else
        s = getString(key);
}
