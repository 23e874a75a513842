#include <algorithm>
#include <cerrno>
#include <cstring>

#include "framework/application_error.h"
#include "framework/stream.h"

TFileStream::TFileStream(int encoding) : TStream(encoding) {}

TFileStream::TFileStream(const std::string& name, uint32_t mode, int encoding) : TStream(encoding) {
    if (!open(name, mode)) throw TException(kErrFileOpen, name);
}

TFileStream::~TFileStream() { close(); }

bool TFileStream::open(const std::string& name, uint32_t mode) {
    // Opening again must not leak the file that is open.
    close();
    name_ = name;
    mode_ = mode;

    const uint32_t access = mode & 0x0F;
    const uint32_t creation = mode & ~0x0Fu;
    platform::FileAccess fa;
    switch (access) {
        case kFileRead:
            fa = platform::FileAccess::Read;
            break;
        case kFileWrite:
            fa = platform::FileAccess::Write;
            break;
        case kFileReadWrite:
            fa = platform::FileAccess::ReadWrite;
            break;
        default:
            lastError_ = EINVAL;
            return false;
    }
    platform::FileCreation fc;
    switch (creation) {
        case kFileOpenExisting:
            fc = platform::FileCreation::OpenExisting;
            break;
        case kFileCreateNew:
            fc = platform::FileCreation::CreateNew;
            break;
        case kFileOpenAlways:
            fc = platform::FileCreation::OpenAlways;
            break;
        case kFileCreateAlways:
            fc = platform::FileCreation::CreateAlways;
            break;
        default:
            lastError_ = EINVAL;
            return false;
    }

    platform::FileHandle h = platform::openFile(name, fa, fc);
    if (h == platform::kInvalidFileHandle) {
        lastError_ = platform::getLastError();
        return false;
    }
    handle_ = h;
    ownsHandle_ = true;
    sizeAtOpen_ = static_cast<uint32_t>(platform::fileSize(h));
    if (sizeAtOpen_ != 0) eof_ = false;
    return true;
}

bool TFileStream::attachHandle(platform::FileHandle h) {
    if (h < 0) return false;
    close();
    handle_ = h;
    ownsHandle_ = false;
    sizeAtOpen_ = static_cast<uint32_t>(platform::fileSize(h));
    return true;
}

void TFileStream::close() {
    // A borrowed handle is left where the stream's reading got to, as it was without read-ahead.
    if (!ownsHandle_) dropReadAhead();
    aheadValid_ = false;
    if (handle_ != platform::kInvalidFileHandle && ownsHandle_) platform::closeFile(handle_);
    handle_ = platform::kInvalidFileHandle;
    name_.clear();
}

void TFileStream::dropReadAhead() {
    if (!aheadValid_) return;
    aheadValid_ = false;
    if (aheadPos_ < aheadLen_) platform::seekFile(handle_, static_cast<int64_t>(aheadStart_ + aheadPos_), 0, nullptr);
}

uint32_t TFileStream::readAhead(uint8_t* out, uint32_t n) {
    uint32_t got = 0;
    bool knownPos = false;
    uint64_t pos = 0;
    if (aheadValid_) {
        got = std::min(n, aheadLen_ - aheadPos_);
        std::memcpy(out, ahead_.get() + aheadPos_, got);
        aheadPos_ += got;
        if (got == n) return got;
        // Used up: the file stands at the buffer's end, which is the stream's position.
        aheadValid_ = false;
        knownPos = true;
        pos = aheadStart_ + aheadLen_;
    }
    if (n - got >= kReadAhead) return got + platform::readFile(handle_, out + got, n - got);
    // Without a position (a pipe, say) nothing read ahead could be given back: read directly.
    if (!knownPos && !platform::seekFile(handle_, 0, 1, &pos))
        return got + platform::readFile(handle_, out + got, n - got);
    if (!ahead_) ahead_ = std::make_unique<uint8_t[]>(kReadAhead);
    aheadLen_ = platform::readFile(handle_, ahead_.get(), kReadAhead);
    aheadStart_ = pos;
    aheadPos_ = std::min(n - got, aheadLen_);
    aheadValid_ = aheadLen_ > 0;
    std::memcpy(out + got, ahead_.get(), aheadPos_);
    return got + aheadPos_;
}

uint32_t TFileStream::read(void* buf, uint32_t n) {
    uint32_t got = isOpen() && buf && n > 0 ? readAhead(static_cast<uint8_t*>(buf), n) : 0;
    eof_ = got < n;
    return got;
}

uint8_t TFileStream::readUInt8() {
    if (!aheadValid_ || aheadPos_ == aheadLen_) return TStream::readUInt8();
    eof_ = false;
    return ahead_[aheadPos_++];
}

const uint8_t* TFileStream::peekBuffered(uint32_t& n) {
    n = aheadValid_ ? aheadLen_ - aheadPos_ : 0;
    return n ? ahead_.get() + aheadPos_ : nullptr;
}

void TFileStream::takeBuffered(uint32_t n) {
    if (n == 0 || !aheadValid_) return;
    aheadPos_ += std::min(n, aheadLen_ - aheadPos_);
    eof_ = false;
}

uint32_t TFileStream::write(const void* buf, uint32_t n) {
    if (!isOpen() || !buf || n == 0) return 0;
    dropReadAhead();
    return platform::writeFile(handle_, buf, n);
}

bool TFileStream::seek(int32_t offset, int origin) {
    if (!isOpen()) return false;
    if (aheadValid_ && (origin == 0 || origin == 1)) {
        // Within the buffered bytes the file need not move.
        const int64_t target = (origin == 0 ? 0 : static_cast<int64_t>(aheadStart_ + aheadPos_)) + offset;
        if (target >= static_cast<int64_t>(aheadStart_) && target <= static_cast<int64_t>(aheadStart_ + aheadLen_)) {
            aheadPos_ = static_cast<uint32_t>(target - static_cast<int64_t>(aheadStart_));
            return true;
        }
    }
    dropReadAhead();
    return platform::seekFile(handle_, offset, origin, nullptr);
}

uint32_t TFileStream::tell() {
    if (isOpen() && aheadValid_) return static_cast<uint32_t>(aheadStart_ + aheadPos_);
    uint64_t pos = 0;
    if (!isOpen() || !platform::seekFile(handle_, 0, 1, &pos)) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(pos);
}

uint32_t TFileStream::size() { return sizeAtOpen_; }

bool TFileStream::getFileInfo(FileInfo& out) { return findFileInfo(name_, out); }

uint32_t TFileStream::getFileSize() { return isOpen() ? static_cast<uint32_t>(platform::fileSize(handle_)) : 0; }
