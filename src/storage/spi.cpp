#include "storage/spi.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/file_system.h"
#include "framework/stream.h"
#include "storage/gfl_stream.h"
#include "storage/image.h"

namespace {

bool isLead(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

uint8_t foldAscii(uint8_t c) { return c >= 'A' && c <= 'Z' ? static_cast<uint8_t>(c + 32) : c; }

// Copies at most size characters, terminated when it fits; the characters copied.
int copyText(const char* text, char* buffer, int size) {
    if (!buffer || size <= 0 || !text) return 0;
    const int n = static_cast<int>(std::min<size_t>(std::strlen(text), static_cast<size_t>(size)));
    std::memcpy(buffer, text, static_cast<size_t>(n));
    if (n < size) buffer[n] = '\0';
    return n;
}

}  // namespace

bool spiSameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<uint8_t>(a[i]), cb = static_cast<uint8_t>(b[i]);
        if (isLead(ca)) {
            // A double-byte character compares exactly, trail byte included.
            if (ca != cb || i + 1 >= a.size() || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        const bool sepA = ca == '\\' || ca == '/', sepB = cb == '\\' || cb == '/';
        if (sepA || sepB) {
            if (sepA != sepB) return false;
            continue;
        }
        if (foldAscii(ca) != foldAscii(cb)) return false;
    }
    return true;
}

std::string spiFoldName(const std::string& name) {
    std::string out = name;
    for (size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<uint8_t>(out[i]);
        if (isLead(c)) {
            ++i;
        } else if (c == '/') {
            out[i] = '\\';
        } else {
            out[i] = static_cast<char>(foldAscii(c));
        }
    }
    return out;
}

std::string SpiFileInfo::fullName() const {
    return std::string(path, strnlen(path, sizeof path)) + std::string(filename, strnlen(filename, sizeof filename));
}

// ---- SpiFile ---------------------------------------------------------------------------------

bool SpiFile::load(const std::string&, const std::string& file) {
    // Plug-in libraries of the original platform cannot be loaded here; the built-in
    // plug-ins serve every format.
    fileName_ = file;
    kind_ = SPI_KIND_NONE;
    return false;
}

void SpiFile::setTexts(const char* version, const char* file, const char* about, const char* pattern,
                       const char* description) {
    std::memset(version_, 0, sizeof version_);
    std::strncpy(version_, version, sizeof version_ - 1);
    fileName_ = file;
    texts_[0] = version;
    texts_[1] = about;
    texts_[2] = pattern;
    texts_[3] = description;
}

int SpiFile::GetPluginInfo(int n, char* buffer, int size) {
    if (kind_ != SPI_KIND_IMAGE && kind_ != SPI_KIND_ARCHIVE) return SPI_NOT_SUPPORTED;
    if (n < 0 || n > 3 || !texts_[n]) return 0;
    copyText(texts_[n], buffer, size);
    return n;
}

int SpiFile::IsSupported(const std::string&, const void*, size_t) { return SPI_NOT_SUPPORTED; }
int SpiFile::IsSupported(const std::string&, TStream&) { return SPI_NOT_SUPPORTED; }
int SpiFile::GetPictureInfo(const std::string&, int64_t, unsigned) { return SPI_NOT_SUPPORTED; }
int SpiFile::GetPicture(const std::string&, int64_t, unsigned, platform::MemBlock&, platform::MemBlock&, SpiProgress,
                        intptr_t) {
    return SPI_NOT_SUPPORTED;
}
int SpiFile::GetPicture(SpiMemory, unsigned, platform::MemBlock&, platform::MemBlock&, SpiProgress, intptr_t) {
    return SPI_NOT_SUPPORTED;
}
int SpiFile::GetPreview(const std::string&, int64_t, unsigned) { return SPI_NOT_SUPPORTED; }
int SpiFile::GetArchiveInfo(const std::string&, int64_t, unsigned, platform::MemBlock&) { return SPI_NOT_SUPPORTED; }
int SpiFile::GetArchiveInfo(SpiMemory, unsigned, platform::MemBlock&) { return SPI_NOT_SUPPORTED; }
int SpiFile::GetFileInfo(const std::string&, int64_t, const std::string&, unsigned, SpiFileInfo&) {
    return SPI_NOT_SUPPORTED;
}
int SpiFile::GetFileInfo(SpiMemory, const std::string&, unsigned, SpiFileInfo&) { return SPI_NOT_SUPPORTED; }
int SpiFile::GetFile(const std::string&, int64_t, platform::MemBlock&, unsigned, SpiProgress, intptr_t) {
    return SPI_NOT_SUPPORTED;
}
int SpiFile::GetFile(const std::string&, int64_t, const std::string&, unsigned, SpiProgress, intptr_t) {
    return SPI_NOT_SUPPORTED;
}
int SpiFile::GetFile(SpiMemory, platform::MemBlock&, unsigned, SpiProgress, intptr_t) { return SPI_NOT_SUPPORTED; }

// ---- SpiImportFile ---------------------------------------------------------------------------

SpiImportFile::SpiImportFile() { kind_ = SPI_KIND_IMAGE; }

bool SpiImportFile::load(const std::string&, const std::string&) { return true; }
int SpiImportFile::GetPictureInfo(const std::string&, int64_t, unsigned) { return SPI_NOT_SUPPORTED; }
int SpiImportFile::GetPreview(const std::string&, int64_t, unsigned) { return SPI_NOT_SUPPORTED; }

int SpiImportFile::IsSupported(const std::string&, const void* header, size_t headerSize) {
    if (!header || headerSize < signatureSize()) return 0;
    return matches(static_cast<const uint8_t*>(header), headerSize) ? 1 : 0;
}

int SpiImportFile::IsSupported(const std::string&, TStream& file) {
    uint8_t head[64] = {};
    const uint32_t n = static_cast<uint32_t>(signatureSize());
    if (file.read(head, n) != n) return 0;
    return matches(head, n) ? 1 : 0;
}

int SpiImportFile::refuse(int code, std::string why) {
    refusal_ = std::move(why);
    return code;
}

int SpiImportFile::GetPicture(const std::string& path, int64_t offset, unsigned flag, platform::MemBlock& info,
                              platform::MemBlock& bits, SpiProgress, intptr_t) {
    refusal_.clear();
    if ((flag & 7) != SPI_IN_FILE) return refuse(SPI_NOT_SUPPORTED, "not read from a file");
    TFileStream file;
    if (!file.open(path, kFileRead | kFileOpenExisting)) return refuse(SPI_FILE_ERROR, "the file does not open");
    if (offset < 0 || offset > INT32_MAX) return refuse(SPI_FILE_ERROR, "no such place in the file");
    if (offset != 0 && !file.seek(static_cast<int32_t>(offset), 0))
        return refuse(SPI_FILE_ERROR, "no such place in the file");
    return decode(file, info, bits);
}

int SpiImportFile::GetPicture(SpiMemory source, unsigned flag, platform::MemBlock& info, platform::MemBlock& bits,
                              SpiProgress, intptr_t) {
    refusal_.clear();
    if ((flag & 7) != SPI_IN_MEMORY) return refuse(SPI_NOT_SUPPORTED, "not read from memory");
    if (!source.bytes || source.size > UINT32_MAX) return refuse(SPI_FORMAT_ERROR, "no bytes, or more than 4 GiB");
    // The stream only reads; it never writes to or frees the caller's bytes.
    TMemoryStream memory(const_cast<void*>(source.bytes), static_cast<uint32_t>(source.size));
    return decode(memory, info, bits);
}

namespace {

TImage* imageFromBlocks(const platform::MemBlock& info, const platform::MemBlock& bits) {
    if (info.size() < sizeof(BITMAPINFOHEADER)) return nullptr;
    BITMAPINFOHEADER h;
    std::memcpy(&h, info.data(), sizeof h);
    auto* image = new TImage;
    // The copy keeps the header's size checks and the colour table behind it.
    if (!image->assign(reinterpret_cast<const BITMAPINFOHEADER*>(info.data()), bits.data(), bits.size(), info.size())) {
        delete image;
        return nullptr;
    }
    return image;
}

}  // namespace

TImage* SpiImportFile::imageFromStream(TStream& stream) {
    platform::MemBlock info, bits;
    if (decode(stream, info, bits) != SPI_OK) return nullptr;
    return imageFromBlocks(info, bits);
}

TImage* SpiImportFile::imageFromFile(const std::string& path) {
    platform::MemBlock info, bits;
    if (GetPicture(path, 0, SPI_IN_FILE, info, bits, nullptr, 0) != SPI_OK &&
        GetPicture(path, 128, SPI_IN_FILE, info, bits, nullptr, 0) != SPI_OK)
        return nullptr;
    return imageFromBlocks(info, bits);
}

// ---- SpiGceFile ------------------------------------------------------------------------------

SpiGceFile::TGceUnit::TGceUnit() {
    archive.keepOpen();
    archive.setMessageCallback([](uint32_t code, const std::string&, GflGceArchive*) {
        return code == GflGceArchive::kMsgCrcMismatch || code == GflGceArchive::kMsgUnsupported ? 1 : 0;
    });
    archive.setProgressCallback([](uint64_t, uint64_t, GflGceArchive*) { return 0; });
}

SpiGceFile::SpiGceFile(int capacity) : capacity_(std::max(1, capacity)) {
    setTexts("00AM", "gce.spi", "GCE Extract Ver 0.1", "*.GCE", "GCE files");
}

int SpiGceFile::IsSupported(const std::string&, const void* header, size_t headerSize) {
    return header && headerSize >= 4 && std::memcmp(header, "GCEX", 4) == 0 ? 1 : 0;
}

int SpiGceFile::IsSupported(const std::string&, TStream& file) {
    char head[4];
    return file.read(head, 4) == 4 && std::memcmp(head, "GCEX", 4) == 0 ? 1 : 0;
}

SpiGceFile::TGceUnit* SpiGceFile::useUnit(const std::string& path) {
    for (auto it = units_.begin(); it != units_.end(); ++it) {
        if (spiSameName((*it)->path, path)) {
            units_.splice(units_.begin(), units_, it);
            TGceUnit& unit = *units_.front();
            if (!unit.opened) {
                // The same archive failed before; it is tried again rather than given a second unit.
                unit.byName.clear();
                unit.archive.setPath(path);
                unit.opened = unit.archive.open();
            }
            return &unit;
        }
    }
    if (static_cast<int>(units_.size()) < capacity_) {
        units_.push_front(std::make_unique<TGceUnit>());
    } else {
        // The least recently used unit gives up its archive and moves to the front.
        units_.splice(units_.begin(), units_, std::prev(units_.end()));
        units_.front()->byName.clear();
        units_.front()->archive.close();
    }
    TGceUnit& unit = *units_.front();
    unit.path = path;
    unit.archive.setPath(path);
    unit.opened = unit.archive.open();
    return &unit;
}

SpiGceFile::TGceUnit* SpiGceFile::unitFor(const std::string& path) {
    if (path.empty()) return units_.empty() ? nullptr : units_.front().get();
    if (!units_.empty() && units_.front()->opened && spiSameName(units_.front()->path, path))
        return units_.front().get();
    return useUnit(path);
}

void SpiGceFile::remember(const std::string& path, int64_t offset, bool& same) {
    // The remembered archive is the front unit only while nothing else moved in front of it.
    same = path == lastPath_ && offset == lastOffset_ && !units_.empty() && spiSameName(units_.front()->path, path);
    lastPath_ = path;
    lastOffset_ = offset;
}

void SpiGceFile::fillRecord(TGceUnit& unit, uint32_t index, SpiFileInfo& r) {
    std::memset(&r, 0, sizeof r);
    std::memcpy(r.method, "GCEX", 4);
    r.position = index;
    r.compSize = static_cast<uint32_t>(unit.archive.storedSize(index));
    r.fileSize = static_cast<uint32_t>(unit.archive.unpackedSize(index));
    r.crc = unit.archive.crc(index);
    const uint64_t ft = unit.archive.fileTime(index);
    platform::FILETIME time;
    time.dwLowDateTime = static_cast<uint32_t>(ft);
    time.dwHighDateTime = static_cast<uint32_t>(ft >> 32);
    r.timestamp = ft ? fileTimeToTime(time, -1) : 0;
    // The name is split at its last backslash into path and file name; a name whose parts do
    // not fit in 199 characters each is split where it fits.
    const std::string name = unit.archive.name(index);
    size_t cut = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<uint8_t>(name[i]);
        if (isLead(c)) {
            ++i;
        } else if (c == '\\') {
            cut = i + 1;
        }
    }
    if (cut > 199 || name.size() - cut > 199) cut = std::min<size_t>(name.size(), 199);
    const size_t rest = std::min<size_t>(name.size() - cut, 199);
    std::memcpy(r.path, name.data(), cut);
    std::memcpy(r.filename, name.data() + cut, rest);
}

bool SpiGceFile::buildRecords(TGceUnit& unit, platform::MemBlock& out) {
    const uint32_t n = unit.archive.count();
    platform::MemBlock block = platform::MemBlock::allocate((static_cast<size_t>(n) + 1) * sizeof(SpiFileInfo));
    if (block.empty()) return false;
    auto* records = reinterpret_cast<SpiFileInfo*>(block.data());
    for (uint32_t i = 0; i < n; ++i) fillRecord(unit, i, records[i]);
    out = std::move(block);
    return true;
}

int SpiGceFile::getArchiveList(const std::string& path, int64_t, platform::MemBlock& out) {
    TGceUnit* unit = unitFor(path);
    // An archive that does not open has no list: a failure, not an empty success.
    if (!unit || !unit->opened) return SPI_FILE_ERROR;
    return buildRecords(*unit, out) ? SPI_OK : SPI_NO_MEMORY;
}

int SpiGceFile::findRecord(const std::string& path, int64_t, const std::string& name, unsigned flag,
                           SpiFileInfo& record) {
    TGceUnit* unit = unitFor(path);
    if (!unit || !unit->opened) return SPI_FILE_ERROR;
    std::string wanted = name;
    std::replace(wanted.begin(), wanted.end(), '/', '\\');
    const uint32_t n = unit->archive.count();
    if (unit->byName.empty() && n > 0) {
        unit->byName.reserve(n);
        for (uint32_t i = 0; i < n; ++i) unit->byName.emplace(spiFoldName(unit->archive.name(i)), i);
    }
    auto it = unit->byName.find(spiFoldName(wanted));
    if (it == unit->byName.end()) return SPI_FILE_ERROR;
    uint32_t found = it->second;
    if (!(flag & SPI_IGNORE_CASE) && unit->archive.name(found) != wanted) {
        // An exact match may be a later entry that differs from the first only in case.
        found = n;
        for (uint32_t i = it->second + 1; i < n; ++i) {
            if (unit->archive.name(i) == wanted) {
                found = i;
                break;
            }
        }
        if (found == n) return SPI_FILE_ERROR;
    }
    fillRecord(*unit, found, record);
    return SPI_OK;
}

namespace {

// Entries past this are not taken into memory in one piece.
constexpr uint64_t kMaxMemberSize = uint64_t{1} << 30;

}  // namespace

int SpiGceFile::extractToMemory(const std::string& path, int64_t index, platform::MemBlock& dest) {
    TGceUnit* unit = unitFor(path);
    if (!unit || !unit->opened || index < 0 || index >= unit->archive.count()) return SPI_FILE_ERROR;
    const uint64_t size = unit->archive.unpackedSize(index);
    if (size > kMaxMemberSize) return SPI_NO_MEMORY;
    platform::MemBlock block = platform::MemBlock::allocate(std::max<size_t>(static_cast<size_t>(size), 1));
    if (block.empty()) return SPI_NO_MEMORY;
    try {
        if (!unit->archive.extract(index, block.data(), block.size())) return SPI_FORMAT_ERROR;
    } catch (const GflException&) {
        return SPI_FORMAT_ERROR;  // damaged data ends here, not in the caller
    }
    dest = std::move(block);
    return SPI_OK;
}

int SpiGceFile::extractToStream(const std::string& path, int64_t index, TStream& stream) {
    TGceUnit* unit = unitFor(path);
    if (!unit || !unit->opened || index < 0 || index >= unit->archive.count()) return SPI_FILE_ERROR;
    const uint64_t size = unit->archive.unpackedSize(index);
    if (size > kMaxMemberSize) return SPI_NO_MEMORY;
    std::vector<uint8_t> buffer;
    try {
        buffer.resize(static_cast<size_t>(size));
        if (!unit->archive.extract(index, buffer.data(), buffer.size())) return SPI_FORMAT_ERROR;
    } catch (const GflException&) {
        return SPI_FORMAT_ERROR;
    } catch (const std::bad_alloc&) {
        return SPI_NO_MEMORY;
    }
    if (!buffer.empty() && stream.write(buffer.data(), static_cast<uint32_t>(buffer.size())) != buffer.size())
        return SPI_FILE_ERROR;
    return SPI_OK;
}

int SpiGceFile::GetArchiveInfo(const std::string& path, int64_t offset, unsigned flag, platform::MemBlock& records) {
    if ((flag & 7) != SPI_IN_FILE) return SPI_NOT_SUPPORTED;
    bool same = false;
    remember(path, offset, same);
    return getArchiveList(same ? std::string() : path, offset, records);
}

int SpiGceFile::GetArchiveInfo(SpiMemory, unsigned, platform::MemBlock&) { return SPI_NOT_SUPPORTED; }

int SpiGceFile::GetFileInfo(const std::string& path, int64_t offset, const std::string& name, unsigned flag,
                            SpiFileInfo& record) {
    if ((flag & 7) != SPI_IN_FILE) return SPI_NOT_SUPPORTED;
    bool same = false;
    remember(path, offset, same);
    return findRecord(same ? std::string() : path, offset, name, flag, record);
}

int SpiGceFile::GetFileInfo(SpiMemory, const std::string&, unsigned, SpiFileInfo&) { return SPI_NOT_SUPPORTED; }

int SpiGceFile::GetFile(const std::string& path, int64_t position, platform::MemBlock& dest, unsigned flag, SpiProgress,
                        intptr_t) {
    if ((flag & 7) != SPI_IN_FILE || (flag >> 8 & 7) != 1) return SPI_NOT_SUPPORTED;
    return extractToMemory(path, position, dest);
}

int SpiGceFile::GetFile(const std::string& path, int64_t position, const std::string& destPath, unsigned flag,
                        SpiProgress, intptr_t) {
    if ((flag & 7) != SPI_IN_FILE || (flag >> 8 & 7) != 0) return SPI_NOT_SUPPORTED;
    TFileStream out;
    if (!out.open(destPath, kFileWrite | kFileCreateAlways)) return SPI_FILE_ERROR;
    return extractToStream(path, position, out);
}

int SpiGceFile::GetFile(SpiMemory, platform::MemBlock&, unsigned, SpiProgress, intptr_t) { return SPI_NOT_SUPPORTED; }
