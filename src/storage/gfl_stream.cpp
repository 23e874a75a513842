#include "storage/gfl_stream.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/little_endian.h"

// ---- typed helpers -------------------------------------------------------------------------

namespace {

template <typename T>
T readLE(GflStream& s) {
    uint8_t b[sizeof(T)] = {};
    s.read(b, sizeof(T));
    return le::load<T>(b);
}

template <typename T>
bool writeLE(GflStream& s, T v) {
    uint8_t b[sizeof(T)];
    le::store(b, v);
    return s.write(b, sizeof(T)) == sizeof(T);
}

}  // namespace

uint8_t GflStream::readU8() { return readLE<uint8_t>(*this); }
uint16_t GflStream::readU16() { return readLE<uint16_t>(*this); }
uint32_t GflStream::readU32() { return readLE<uint32_t>(*this); }
uint64_t GflStream::readU64() { return readLE<uint64_t>(*this); }
bool GflStream::writeU8(uint8_t v) { return writeLE(*this, v); }
bool GflStream::writeU16(uint16_t v) { return writeLE(*this, v); }
bool GflStream::writeU32(uint32_t v) { return writeLE(*this, v); }
bool GflStream::writeU64(uint64_t v) { return writeLE(*this, v); }

std::string GflStream::readBody(uint64_t n) {
    std::string s;
    char chunk[4096];
    while (n > 0) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(n, sizeof chunk));
        size_t got = read(chunk, want);
        s.append(chunk, got);
        if (got < want) break;
        n -= got;
    }
    return s;
}

std::string GflStream::readString32() { return readBody(readU32()); }
std::string GflStream::readString16() { return readBody(readU16()); }

bool GflStream::writeString32(const std::string& s) {
    if (s.size() > 0xFFFFFFFFu) return false;
    return writeU32(static_cast<uint32_t>(s.size())) && writeBytes(s);
}

bool GflStream::writeString16(const std::string& s) {
    if (s.size() > 0xFFFFu) return false;
    return writeU16(static_cast<uint16_t>(s.size())) && writeBytes(s);
}

bool GflStream::writeBytes(const std::string& s) { return write(s.data(), s.size()) == s.size(); }

uint32_t GflStream::readVarUInt() {
    uint32_t value = 0;
    // At most five groups carry a 32-bit value; a longer run is damaged data and stops there
    // instead of reading on for ever.
    for (int i = 0; i < 5; ++i) {
        uint8_t b = 0;
        if (read(&b, 1) != 1) break;
        value = (value << 7) + (b & 0x7Fu);
        if (b < 0x80) break;
    }
    return value;
}

bool GflStream::writeVarUInt(uint32_t value) {
    for (int shift : {28, 21, 14, 7}) {
        if ((value >> shift) != 0) {
            if (!writeU8(static_cast<uint8_t>(((value >> shift) & 0x7Fu) | 0x80u))) return false;
        }
    }
    return writeU8(static_cast<uint8_t>(value & 0x7Fu));
}

std::string GflStream::readVarString() { return readBody(readVarUInt()); }

bool GflStream::writeVarString(const std::string& s) {
    if (s.size() > 0xFFFFFFFFu) return false;
    return writeVarUInt(static_cast<uint32_t>(s.size())) && writeBytes(s);
}

void readExact(GflStream& stream, void* buffer, size_t n) {
    if (stream.read(buffer, n) != n) throw GflException(GflException::ShortRead);
}

void writeExact(GflStream& stream, const void* buffer, size_t n) {
    if (stream.write(buffer, n) != n) throw GflException(GflException::ShortWrite);
}

// ---- memory ----------------------------------------------------------------------------------

GflMemoryStream::GflMemoryStream() : growing_(true) { eof_ = true; }

GflMemoryStream::GflMemoryStream(void* data, size_t size) { setBuffer(data, size); }

GflMemoryStream::GflMemoryStream(const void* data, size_t size) { setReadOnlyBuffer(data, size); }

void GflMemoryStream::setBuffer(void* data, size_t size) {
    owned_.clear();
    owned_.shrink_to_fit();
    growing_ = false;
    data_ = static_cast<uint8_t*>(data);
    rdata_ = data_;
    size_ = data ? size : 0;
    position_ = 0;
    eof_ = size_ == 0;
}

void GflMemoryStream::setReadOnlyBuffer(const void* data, size_t size) {
    setBuffer(nullptr, 0);
    rdata_ = static_cast<const uint8_t*>(data);
    size_ = data ? size : 0;
    eof_ = size_ == 0;
}

size_t GflMemoryStream::read(void* buffer, size_t n) {
    size_t left = position_ < size_ ? size_ - position_ : 0;
    size_t m = std::min(n, left);
    if (m > 0) std::memcpy(buffer, rdata_ + position_, m);
    position_ += m;
    if (position_ >= size_) eof_ = true;
    return m;
}

bool GflMemoryStream::grow(size_t needed) {
    // Positions of 2^31 or more are refused, as the stream's seek refuses them.
    if (needed >= (size_t{1} << 31)) return false;
    size_t cap = owned_.size();
    while (cap < needed) cap = std::max<size_t>(cap * 2, 1024);
    try {
        owned_.resize(cap);
    } catch (const std::bad_alloc&) {
        return false;
    }
    data_ = owned_.data();
    rdata_ = data_;
    size_ = owned_.size();
    return true;
}

size_t GflMemoryStream::write(const void* buffer, size_t n) {
    if (n == 0) return 0;
    if (growing_) {
        size_t left = position_ < size_ ? size_ - position_ : 0;
        if (left < n && !grow(position_ + n)) return 0;
    }
    if (!data_) return 0;
    size_t left = position_ < size_ ? size_ - position_ : 0;
    size_t m = std::min(n, left);
    std::memcpy(data_ + position_, buffer, m);
    position_ += m;
    if (position_ >= size_) eof_ = true;
    return m;
}

bool GflMemoryStream::seek(uint64_t position) {
    if (position >= (uint64_t{1} << 31)) return false;
    if (growing_ && position > size_ && !grow(static_cast<size_t>(position))) return false;
    if (position > size_) {
        eof_ = true;
        return false;
    }
    position_ = static_cast<size_t>(position);
    eof_ = position_ == size_;
    return true;
}

// ---- base folder -----------------------------------------------------------------------------

struct GflCriticalSection::Impl {
    std::recursive_mutex mutex;
};

GflCriticalSection::GflCriticalSection() : impl_(new Impl) {}
GflCriticalSection::~GflCriticalSection() { delete impl_; }
void GflCriticalSection::enter() { impl_->mutex.lock(); }
void GflCriticalSection::leave() { impl_->mutex.unlock(); }

namespace {

GflCriticalSection& baseLock() {
    static GflCriticalSection lock;
    return lock;
}

std::string& baseFolder() {
    static std::string folder;
    return folder;
}

}  // namespace

void gflSetBaseFolder(const std::string& folder) {
    baseLock().enter();
    baseFolder() = folder;
    baseLock().leave();
}

std::string gflBaseFolder() {
    baseLock().enter();
    std::string copy = baseFolder();
    baseLock().leave();
    return copy;
}

std::string gflResolvePath(const std::string& path) {
    std::string base = gflBaseFolder();
    if (path.rfind("\\\\", 0) == 0 || path.find(':') != std::string::npos) return path;
    // A host absolute path is already absolute on this platform.
    if (!path.empty() && path[0] == '/') return path;
    if (!path.empty() && path[0] == '\\') {
        size_t colon = base.find(':');
        return colon == std::string::npos ? path : base.substr(0, colon + 1) + path;
    }
    if (base.empty()) return path;
    char last = base.back();
    if (last == '\\' || last == ':' || last == '/') return base + path;
    return base + "\\" + path;
}

// ---- file ------------------------------------------------------------------------------------

GflFile::~GflFile() { closeFile(); }

bool GflFile::reopen() { return !path_.empty() && openFile(path_, mode_); }

bool GflFile::openFile(const std::string& path, int mode) {
    using platform::FileAccess;
    using platform::FileCreation;
    static const FileAccess access[] = {FileAccess::Read, FileAccess::ReadWrite, FileAccess::ReadWrite,
                                        FileAccess::Write, FileAccess::ReadWrite};
    static const FileCreation creation[] = {FileCreation::OpenExisting, FileCreation::OpenExisting,
                                            FileCreation::OpenExisting, FileCreation::CreateAlways,
                                            FileCreation::CreateAlways};
    if (mode < 0 || mode > 4) return false;
    closeFile();
    path_ = path;
    mode_ = mode;
    file_ = platform::openFile(gflResolvePath(path), access[mode], creation[mode]);
    if (file_ == platform::kInvalidFileHandle) return false;
    size_ = platform::fileSize(file_);
    eof_ = size_ == 0;
    return true;
}

void GflFile::closeFile() {
    platform::closeFile(file_);
    file_ = platform::kInvalidFileHandle;
    size_ = 0;
    eof_ = true;
}

bool GflFile::loadWhole(const std::string& path) {
    if (!openRead(path)) return false;
    if (size_ >= (uint64_t{1} << 32)) {
        closeFile();
        return false;
    }
    try {
        whole_.resize(static_cast<size_t>(size_));
    } catch (const std::bad_alloc&) {
        closeFile();
        return false;
    }
    if (read(whole_.data(), whole_.size()) != whole_.size()) {
        whole_.clear();
        closeFile();
        return false;
    }
    return true;
}

void GflFile::release() {
    closeFile();
    whole_.clear();
    whole_.shrink_to_fit();
}

size_t GflFile::read(void* buffer, size_t n) {
    if (!isOpen() || n == 0) return 0;
    size_t got = 0;
    while (got < n) {
        const auto part = static_cast<uint32_t>(std::min<size_t>(n - got, UINT32_MAX));
        const uint32_t r = platform::readFile(file_, static_cast<uint8_t*>(buffer) + got, part);
        got += r;
        if (r < part) break;
    }
    if (got == 0) eof_ = true;
    return got;
}

size_t GflFile::write(const void* buffer, size_t n) {
    if (!isOpen() || n == 0) return 0;
    size_t put = 0;
    while (put < n) {
        const auto part = static_cast<uint32_t>(std::min<size_t>(n - put, UINT32_MAX));
        const uint32_t w = platform::writeFile(file_, static_cast<const uint8_t*>(buffer) + put, part);
        put += w;
        if (w < part) break;
    }
    uint64_t end = tell();
    if (end > size_) size_ = end;
    return put;
}

bool GflFile::seek(uint64_t position) {
    if (!isOpen() || position > static_cast<uint64_t>(INT64_MAX)) return false;
    return platform::seekFile(file_, static_cast<int64_t>(position), 0, nullptr);
}

uint64_t GflFile::tell() const {
    uint64_t pos = 0;
    return isOpen() && platform::seekFile(file_, 0, 1, &pos) ? pos : 0;
}
