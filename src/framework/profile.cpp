#include "framework/profile.h"

#include <cstdio>
#include <cstdlib>

#include "framework/file_system.h"
#include "platform/codepage.h"
#include "platform/ini_profile.h"

std::string TIniFile::getString(const char* key, const char* def) {
    char buf[1024];
    buf[0] = 0;
    getString(key, buf, sizeof buf, def);
    return buf;
}

void* TIniFile::getAllocatedStruct(const char* key, uint32_t* size) {
    uint32_t n = 0;
    getStruct(key, nullptr, &n);
    if (n == 0) return nullptr;
    void* buf = std::malloc(n);
    if (!buf) return nullptr;
    if (getStruct(key, buf, &n) == 0) {
        std::free(buf);
        return nullptr;
    }
    if (size) *size = n;
    return buf;
}

TProfile::~TProfile() { close(); }

bool TProfile::write(const char* key, const char* value) {
    held_.push_back({section_, key ? std::optional<std::string>(key) : std::nullopt,
                     value ? std::optional<std::string>(value) : std::nullopt});
    return holding_ || flushWrites();
}

bool TProfile::flushWrites() {
    holding_ = false;
    if (held_.empty()) return true;
    std::vector<platform::IniEdit> edits;
    edits.swap(held_);
    read_.reset();
    lastWrite_ = platform::writeProfileEdits(edits, fileName_, &lastWriteError_);
    return lastWrite_ == platform::IniWriteResult::Written;
}

platform::IniFileState TProfile::readState() {
    if (!held_.empty()) {
        flushWrites();
        holding_ = true;
    }
    if (!read_) readState_ = platform::readProfileDocument(fileName_, read_.emplace());
    return readState_;
}

bool TProfile::setSection(const char* name) {
    section_ = name ? name : "Main";
    return true;
}

int TProfile::getInt(const char* key, int def) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", def);
    char buf[256];
    getString(key, buf, sizeof buf, text);
    return static_cast<int>(std::strtol(buf, nullptr, 0));
}

char* TProfile::getString(const char* key, char* buf, uint32_t size, const char* def) {
    readState();
    accessMode_ = kAccessRead;
    platform::getProfileString(*read_, section_.c_str(), key, def, buf, size);
    return buf;
}

uint32_t TProfile::getStruct(const char* /*key*/, void* /*buf*/, uint32_t* /*size*/) {
    accessMode_ = kAccessRead;
    return 0;
}

bool TProfile::setInt(const char* key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return setString(key, text);
}

bool TProfile::setString(const char* key, const char* text) {
    accessMode_ = kAccessWrite;
    return write(key, text);
}

bool TProfile::setStruct(const char* key, const void* data, uint32_t size) {
    accessMode_ = kAccessWrite;
    if (!key) return false;
    return write(key, data ? platform::profileStructText(data, size).c_str() : nullptr);
}

bool TProfile::deleteKey(const char* key) { return write(key, nullptr); }

bool TProfile::open(const std::string& file, const char* section) {
    fileName_ = file.empty() ? "win.ini" : file;
    read_.reset();
    section_ = section ? section : "Main";
    // Only a real backslash counts, never the trail byte of a double-byte character.
    const auto* p = reinterpret_cast<const uint8_t*>(fileName_.c_str());
    const uint8_t* end = p + fileName_.size();
    bool hasFolder = false;
    for (const uint8_t* q = p; q < end; q += platform::sjisCharLength(q, end)) hasFolder = hasFolder || *q == '\\';
    if (!hasFolder) return true;
    return createPathFolders(getFolderPath(fileName_).c_str());
}

void TProfile::close() {
    flushWrites();
    accessMode_ = kAccessNone;
}

bool TProfile::setAccessMode(int mode) {
    accessMode_ = mode;
    return true;
}
