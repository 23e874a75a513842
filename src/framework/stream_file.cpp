#include <cerrno>

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
        case kFileRead: fa = platform::FileAccess::Read; break;
        case kFileWrite: fa = platform::FileAccess::Write; break;
        case kFileReadWrite: fa = platform::FileAccess::ReadWrite; break;
        default: lastError_ = EINVAL; return false;
    }
    platform::FileCreation fc;
    switch (creation) {
        case kFileOpenExisting: fc = platform::FileCreation::OpenExisting; break;
        case kFileCreateNew: fc = platform::FileCreation::CreateNew; break;
        case kFileOpenAlways: fc = platform::FileCreation::OpenAlways; break;
        case kFileCreateAlways: fc = platform::FileCreation::CreateAlways; break;
        default: lastError_ = EINVAL; return false;
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
    if (handle_ != platform::kInvalidFileHandle && ownsHandle_) platform::closeFile(handle_);
    handle_ = platform::kInvalidFileHandle;
    name_.clear();
}

uint32_t TFileStream::read(void* buf, uint32_t n) {
    uint32_t got = isOpen() && buf ? platform::readFile(handle_, buf, n) : 0;
    eof_ = got < n;
    return got;
}

uint32_t TFileStream::write(const void* buf, uint32_t n) {
    if (!isOpen() || !buf || n == 0) return 0;
    return platform::writeFile(handle_, buf, n);
}

bool TFileStream::seek(int32_t offset, int origin) {
    if (!isOpen()) return false;
    return platform::seekFile(handle_, offset, origin, nullptr);
}

uint32_t TFileStream::tell() {
    uint64_t pos = 0;
    if (!isOpen() || !platform::seekFile(handle_, 0, 1, &pos)) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(pos);
}

uint32_t TFileStream::size() { return sizeAtOpen_; }

bool TFileStream::getFileInfo(FileInfo& out) { return findFileInfo(name_, out); }

uint32_t TFileStream::getFileSize() {
    return isOpen() ? static_cast<uint32_t>(platform::fileSize(handle_)) : 0;
}
