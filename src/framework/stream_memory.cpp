// Memory streams: a growable heap buffer or a foreign one (TMemoryStream), a movable block
// (THMemStream), and program resources (TResourceStream).
//
// The position is kept as a signed offset that seek may move anywhere; every access checks it
// against the buffer first, so a position outside the data reads nothing and a write can never
// land outside the buffer. A write that starts past the data fills the gap with zeros.
#include <cstdlib>
#include <cstring>
#include <limits>

#include "framework/stream.h"
#include "platform/little_endian.h"

// ---- TMemoryStream ----

TMemoryStream::TMemoryStream(int encoding) : TStream(encoding) { memory_ = true; }

TMemoryStream::TMemoryStream(void* buf, uint32_t size, int encoding) : TStream(encoding) {
    memory_ = true;
    owns_ = false;
    buffer_ = static_cast<uint8_t*>(buf);
    capacity_ = dataSize_ = buf ? size : 0;
}

TMemoryStream::~TMemoryStream() { TMemoryStream::releaseBuffer(); }

void TMemoryStream::releaseBuffer() {
    if (owns_) std::free(buffer_);
    forgetBuffer();
}

void TMemoryStream::forgetBuffer() {
    buffer_ = nullptr;
    capacity_ = dataSize_ = 0;
    pos_ = 0;
    owns_ = true;
}

uint32_t TMemoryStream::roomAtPosition() const {
    return pos_ >= 0 && pos_ < capacity_ ? static_cast<uint32_t>(capacity_ - pos_) : 0;
}

uint32_t TMemoryStream::leftToRead() const {
    return pos_ >= 0 && pos_ < dataSize_ ? static_cast<uint32_t>(dataSize_ - pos_) : 0;
}

void TMemoryStream::wrote(uint32_t n) {
    pos_ += n;
    if (pos_ > dataSize_) dataSize_ = static_cast<uint32_t>(pos_);
}

bool TMemoryStream::roomFor(uint32_t width) {
    if (pos_ < 0) return false;
    if (roomAtPosition() >= width) return true;
    reserve(width);
    return roomAtPosition() >= width;
}

uint32_t TMemoryStream::read(void* buf, uint32_t n) {
    if (n == 0) return 0;
    uint32_t k = buf ? std::min(n, leftToRead()) : 0;
    if (k) std::memmove(buf, buffer_ + pos_, k);
    pos_ += k;
    eof_ = k < n;
    return k;
}

const uint8_t* TMemoryStream::peekBuffered(uint32_t& n) {
    n = leftToRead();
    return n ? buffer_ + pos_ : nullptr;
}

void TMemoryStream::takeBuffered(uint32_t n) {
    if (n == 0) return;
    pos_ += std::min(n, leftToRead());
    eof_ = false;
}

uint32_t TMemoryStream::write(const void* buf, uint32_t n) {
    if (n == 0 || !buf || pos_ < 0) return 0;
    if (roomAtPosition() < n) reserve(n);
    n = std::min(n, roomAtPosition());
    if (n == 0) return 0;
    if (pos_ > dataSize_) std::memset(buffer_ + dataSize_, 0, static_cast<size_t>(pos_ - dataSize_));
    std::memmove(buffer_ + pos_, buf, n);
    wrote(n);
    return n;
}

bool TMemoryStream::seek(int32_t offset, int origin) {
    switch (origin) {
        case 0:
            pos_ = offset;
            break;
        case 1:
            pos_ += offset;
            break;
        case 2:
            pos_ = int64_t(dataSize_) + offset;
            break;
        default:
            return false;
    }
    eof_ = false;
    return true;
}

uint32_t TMemoryStream::tell() { return static_cast<uint32_t>(pos_); }
uint32_t TMemoryStream::size() { return dataSize_; }

template <typename T>
T TMemoryStream::readLE() {
    if (leftToRead() < sizeof(T)) {
        eof_ = true;
        return 0;
    }
    eof_ = false;
    const T v = le::load<T>(buffer_ + pos_);
    pos_ += sizeof(T);
    return v;
}

template <typename T>
uint32_t TMemoryStream::writeLE(T value) {
    if (!roomFor(sizeof(T))) return 0;
    if (pos_ > dataSize_) std::memset(buffer_ + dataSize_, 0, static_cast<size_t>(pos_ - dataSize_));
    le::store(buffer_ + pos_, value);
    wrote(sizeof(T));
    return sizeof(T);
}

int8_t TMemoryStream::readInt8() { return readLE<int8_t>(); }
uint8_t TMemoryStream::readUInt8() { return readLE<uint8_t>(); }
int16_t TMemoryStream::readInt16() { return readLE<int16_t>(); }
uint16_t TMemoryStream::readUInt16() { return readLE<uint16_t>(); }
int32_t TMemoryStream::readInt32() { return readLE<int32_t>(); }
uint32_t TMemoryStream::readUInt32() { return readLE<uint32_t>(); }
uint32_t TMemoryStream::writeInt8(int8_t v) { return writeLE(v); }
uint32_t TMemoryStream::writeUInt8(uint8_t v) { return writeLE(v); }
uint32_t TMemoryStream::writeInt16(int16_t v) { return writeLE(v); }
uint32_t TMemoryStream::writeUInt16(uint16_t v) { return writeLE(v); }
uint32_t TMemoryStream::writeInt32(int32_t v) { return writeLE(v); }
uint32_t TMemoryStream::writeUInt32(uint32_t v) { return writeLE(v); }

uint32_t TMemoryStream::copyFrom(TStream& src, uint32_t n) {
    if (n == 0 || pos_ < 0 || &src == this) return 0;
    if (roomAtPosition() < n) reserve(n);
    n = std::min(n, roomAtPosition());
    if (n == 0) return 0;
    if (pos_ > dataSize_) std::memset(buffer_ + dataSize_, 0, static_cast<size_t>(pos_ - dataSize_));
    uint32_t got = src.read(buffer_ + pos_, n);
    wrote(got);
    return got;
}

uint32_t TMemoryStream::reserve(uint32_t n) {
    if (pos_ < 0) return 0;
    const uint64_t want = ((uint64_t(pos_) + n) / 1024 + 2) * 1024;
    if (capacity_ >= want) return roomAtPosition();
    // A foreign buffer is never grown; an oversized request is refused.
    if ((!owns_ && buffer_) || want > std::numeric_limits<uint32_t>::max()) return roomAtPosition();
    void* p = std::realloc(buffer_, static_cast<size_t>(want));
    if (!p) return roomAtPosition();
    buffer_ = static_cast<uint8_t*>(p);
    capacity_ = static_cast<uint32_t>(want);
    owns_ = true;
    return n;
}

bool TMemoryStream::attach(void* buf, uint32_t size, bool owns) {
    releaseBuffer();
    buffer_ = static_cast<uint8_t*>(buf);
    capacity_ = dataSize_ = buf ? size : 0;
    owns_ = buf ? owns : true;
    eof_ = false;
    return true;
}

void* TMemoryStream::detach(bool shrink) {
    void* p = buffer_;
    if (shrink && owns_ && p && dataSize_ > 0 && dataSize_ < capacity_) {
        if (void* q = std::realloc(p, dataSize_)) p = q;
    }
    forgetBuffer();
    return p;
}

uint8_t* TMemoryStream::getBuffer() { return buffer_; }

uint8_t* TMemoryStream::getCurrent() { return buffer_ && pos_ >= 0 && pos_ <= capacity_ ? buffer_ + pos_ : nullptr; }

void TMemoryStream::freeBuffer() { releaseBuffer(); }

bool TMemoryStream::loadFile(const char* name) {
    if (!name) return false;
    TFileStream f(kEncodingDefault);
    if (!f.open(name, kFileRead | kFileOpenExisting)) return false;
    copyFrom(f, f.size());
    seek(0, 0);
    return true;
}

void TMemoryStream::clear() {
    pos_ = 0;
    dataSize_ = 0;
}

// ---- THMemStream ----

THMemStream::THMemStream() : TMemoryStream(kEncodingDefault) {}

THMemStream::~THMemStream() { THMemStream::releaseBuffer(); }

void THMemStream::releaseBuffer() {
    if (!block_) {
        TMemoryStream::releaseBuffer();
        return;
    }
    if (block_ == &own_) own_.reset();
    block_ = nullptr;
    forgetBuffer();
}

uint32_t THMemStream::reserve(uint32_t n) {
    if (pos_ < 0) return 0;
    // A buffer attached the plain way grows the plain way.
    if (buffer_ && !block_) return TMemoryStream::reserve(n);
    const uint64_t end = uint64_t(pos_) + n;
    if (end <= capacity_) return n;  // never shrink the block under its data
    const uint64_t want = end + 1024;
    if (want > std::numeric_limits<uint32_t>::max()) return roomAtPosition();
    if (!block_) {
        own_ = platform::MemBlock::allocate(static_cast<size_t>(want));
        if (own_.empty()) return 0;
        block_ = &own_;
    } else if (!block_->resize(static_cast<size_t>(want))) {
        return roomAtPosition();
    }
    buffer_ = block_->data();
    capacity_ = static_cast<uint32_t>(block_->size());
    owns_ = false;  // the block's bytes belong to the block, never to free()
    return n;
}

void THMemStream::clear() {
    if (block_ == &own_) releaseBuffer();
    TMemoryStream::clear();
}

bool THMemStream::attachHandle(platform::MemBlock* h, uint32_t dataSize, bool owns) {
    if (!h || h->empty()) return false;
    if (h == &own_) return false;  // already ours
    releaseBuffer();
    if (owns) {
        own_ = std::move(*h);
        block_ = &own_;
    } else {
        block_ = h;
    }
    buffer_ = block_->data();
    const size_t cap = block_->size();
    capacity_ =
        cap > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max() : static_cast<uint32_t>(cap);
    dataSize_ = std::min(dataSize, capacity_);
    pos_ = 0;
    owns_ = false;
    eof_ = false;
    return true;
}

void THMemStream::detachHandle(platform::MemBlock& h, uint32_t& dataSize) {
    dataSize = dataSize_;
    if (block_ == &own_) {
        h = std::move(own_);
        block_ = nullptr;  // its bytes left with h: nothing is freed below
        buffer_ = nullptr;
    }
    releaseBuffer();
}

platform::MemBlock* THMemStream::getHandle() { return block_; }

void* THMemStream::detach(bool shrink) {
    if (!block_) return TMemoryStream::detach(shrink);
    void* p;
    if (block_ == &own_) {
        if (shrink && dataSize_ > 0) own_.resize(dataSize_);
        p = own_.release();
    } else {
        p = block_->data();  // still its owner's
    }
    block_ = nullptr;
    forgetBuffer();
    return p;
}

// ---- TResourceStream ----

TResourceStream::TResourceStream() : TMemoryStream(kEncodingDefault) {}
TResourceStream::~TResourceStream() = default;

void TResourceStream::clear() {
    releaseBuffer();
    TMemoryStream::clear();
}

bool TResourceStream::open(void* /*module*/, const char* /*name*/, const char* /*type*/) {
    // There are no program resources on this platform.
    releaseBuffer();
    return false;
}
