#include "storage/storage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "framework/application.h"
#include "framework/stream.h"
#include "platform/codepage.h"
#include "platform/process.h"
#include "storage/image.h"

namespace {

TStorage* g_storage = nullptr;

constexpr size_t kProbeFileBytes = 2176;
constexpr size_t kProbeMemoryBytes = 2048;

bool isLead(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool isSep(char c) { return c == '\\' || c == '/'; }

// The next separator at or after i (a trail byte 0x5C is not one); npos when none.
size_t nextSeparator(const std::string& s, size_t i) {
    for (; i < s.size(); ++i) {
        if (isLead(static_cast<uint8_t>(s[i]))) {
            ++i;
            continue;
        }
        if (isSep(s[i])) return i;
    }
    return std::string::npos;
}

bool isPlainFile(const std::string& path) {
    const uint32_t a = getFileAttributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void clearRecord(SpiFileInfo& r) { std::memset(&r, 0, sizeof r); }

// Reads up to n bytes from the start of a file into a zero-filled buffer; the count read, or
// -1 when the file does not open.
long readHead(const std::string& path, std::vector<uint8_t>& buf, size_t n) {
    buf.assign(n, 0);
    TFileStream file;
    if (!file.open(path, kFileRead | kFileOpenExisting)) return -1;
    return static_cast<long>(file.read(buf.data(), static_cast<uint32_t>(n)));
}

}  // namespace

TStorage::TStorage() : cursor_(plugins_.end()) { g_storage = this; }

TStorage::~TStorage() {
    clearPlugins();
    if (g_storage == this) g_storage = nullptr;
}

TStorage* TStorage::instance() { return g_storage; }

void TStorage::useModuleFolder() { setBaseFolder(getModuleFolder()); }

void TStorage::setBaseFolder(const std::string& path) {
    baseFolder_ = path;
    if (!baseFolder_.empty() && baseFolder_.back() == '\\') baseFolder_.pop_back();
    hasBaseFolder_ = !path.empty();
}

std::string TStorage::getModuleFolder() {
    if (TApp* app = application()) return app->moduleFolder();
    return getFolderPath(platform::moduleFileName());
}

std::string TStorage::getBaseFolder() { return baseFolder_; }

char* TStorage::fullPathTo(const std::string& name, char* buffer, size_t size) {
    if (!buffer || size == 0) return buffer;
    const std::string full = fullPath(name);
    const size_t n = std::min(full.size(), size - 1);
    std::memcpy(buffer, full.data(), n);
    buffer[n] = '\0';
    return buffer;
}

std::string TStorage::fullPath(const std::string& name) {
    const std::string expanded = expandAlias(name);
    if (!hasBaseFolder_) return expanded;
    // A path of the host that starts at its root is already whole.
    if (!expanded.empty() && expanded[0] == '/') return expanded;
    return combinePath(baseFolder_, expanded);
}

void TStorage::setAlias(const std::string& key, const std::string& value) { aliases_[key] = value; }
void TStorage::removeAlias(const std::string& key) { aliases_.erase(key); }

std::string TStorage::getAlias(const std::string& key) {
    auto it = aliases_.find(key);
    return it == aliases_.end() ? std::string() : it->second;
}

std::string TStorage::expandAlias(const std::string& name) {
    if (name.empty() || name[0] != '<') return name;
    const size_t k = name.find('>');
    if (k == std::string::npos) return name;
    return getAlias(name.substr(0, k + 1)) + name.substr(k + 1);
}

void TStorage::addSearchPair(const std::string& from, const std::string& to) { searchList_.emplace_back(from, to); }

void TStorage::removeSearchPairs(const std::string& from) {
    searchList_.erase(
        std::remove_if(searchList_.begin(), searchList_.end(), [&](const auto& p) { return p.first == from; }),
        searchList_.end());
}

bool TStorage::exists(const std::string& name) { return fileExists(fullPath(name)); }

bool TStorage::getFileInfo(const std::string& name, FileInfo& info) { return findFileInfo(fullPath(name), info); }

bool TStorage::locate(std::string& name, platform::MemBlock& member, SpiFileInfo& record) {
    return locateWithin(name, member, record, nullptr);
}

bool TStorage::locateWithin(std::string& name, platform::MemBlock& member, SpiFileInfo& record, MemberLimit* limit) {
    const std::string path = fullPath(name);
    for (const auto& [from, to] : searchList_) {
        std::string candidate = path;
        const size_t at = from.empty() ? std::string::npos : candidate.find(from);
        if (at != std::string::npos) candidate.replace(at, from.size(), to);
        if (!candidate.empty() && inArchives(candidate, member, record, limit)) {
            name = candidate;
            return true;
        }
        // A member too large is the answer: it is not looked for further.
        if (limit && limit->found) return false;
    }
    if (inArchives(path, member, record, limit)) {
        name = path;
        return true;
    }
    return false;
}

bool TStorage::locateInArchives(const std::string& path, platform::MemBlock& member, SpiFileInfo& record) {
    return inArchives(path, member, record, nullptr);
}

bool TStorage::inArchives(const std::string& path, platform::MemBlock& member, SpiFileInfo& record,
                          MemberLimit* limit) {
    clearRecord(record);
    member.reset();
    if (isPlainFile(path)) return true;

    // Walk the components until one names a file: that file is the archive, the rest the
    // member's path inside it.
    std::string prefix;
    size_t i = 0;
    if (!path.empty() && isSep(path[0])) {
        prefix += path[0];
        i = 1;
        if (path.size() > 1 && isSep(path[1])) {
            prefix += path[1];
            i = 2;
        }
    }
    std::string archive, memberPath;
    bool first = true;
    while (i <= path.size()) {
        const size_t sep = nextSeparator(path, i);
        const std::string component = path.substr(i, sep == std::string::npos ? std::string::npos : sep - i);
        if (!component.empty()) {
            if (!first) prefix += '\\';
            prefix += component;
            first = false;
            if (isPlainFile(prefix)) {
                archive = prefix;
                memberPath = sep == std::string::npos ? std::string() : path.substr(sep + 1);
                break;
            }
        }
        if (sep == std::string::npos) return false;
        i = sep + 1;
    }
    if (archive.empty()) return false;
    if (memberPath.empty()) return true;  // the path ends at the file itself
    return findMember(archive, memberPath, member, record, limit);
}

bool TStorage::findMember(const std::string& archive, const std::string& memberPath, platform::MemBlock& member,
                          SpiFileInfo& record, MemberLimit* limit) {
    std::vector<uint8_t> head;
    if (readHead(archive, head, kProbeFileBytes) < 0) return false;
    for (auto& plugin : plugins_) {
        if (plugin->kind() != SPI_KIND_ARCHIVE || plugin->IsSupported(archive, head.data(), head.size()) <= 0) continue;
        if (plugin->GetFileInfo(archive, 0, memberPath, SPI_IGNORE_CASE, record) != SPI_OK) continue;
        const std::string found = record.fullName();
        if (spiSameName(found, memberPath)) {
            // The directory's size is what an extraction allocates: a member past the limit is
            // answered from it, unextracted.
            if (limit && record.fileSize > limit->bytes) {
                limit->found = record.fileSize;
                clearRecord(record);
                return false;
            }
            return plugin->GetFile(archive, record.position, member, SPI_IN_FILE | SPI_OUT_MEMORY, nullptr, 0) ==
                   SPI_OK;
        }
        if (found.size() < memberPath.size() && isSep(memberPath[found.size()]) &&
            spiSameName(found, memberPath.substr(0, found.size()))) {
            if (plugin->GetFile(archive, record.position, member, SPI_IN_FILE | SPI_OUT_MEMORY, nullptr, 0) != SPI_OK)
                return false;
            return findNested(memberPath.substr(found.size() + 1), member, record, limit);
        }
        clearRecord(record);
        return false;
    }
    clearRecord(record);
    return false;
}

// An archive inside an archive: the member's bytes in memory are asked for their list.
bool TStorage::findNested(std::string rest, platform::MemBlock& member, SpiFileInfo& record, MemberLimit* limit) {
    while (!rest.empty()) {
        const size_t size = std::min<size_t>(record.fileSize, member.size());
        std::vector<uint8_t> head(kProbeFileBytes, 0);
        std::memcpy(head.data(), member.data(), std::min(size, head.size()));
        const std::string fileName(record.filename, strnlen(record.filename, sizeof record.filename));
        bool advanced = false;
        for (auto& plugin : plugins_) {
            if (plugin->kind() != SPI_KIND_ARCHIVE || plugin->IsSupported(fileName, head.data(), head.size()) <= 0)
                continue;
            platform::MemBlock list;
            if (plugin->GetArchiveInfo(SpiMemory{member.data(), size}, SPI_IN_MEMORY, list) != SPI_OK) continue;
            const size_t count = list.size() / sizeof(SpiFileInfo);
            const auto* records = reinterpret_cast<const SpiFileInfo*>(list.data());
            for (size_t k = 0; k < count && records[k].method[0] != 0; ++k) {
                const std::string name = records[k].fullName();
                if (name.empty() || name.size() > rest.size() || !spiSameName(name, rest.substr(0, name.size())))
                    continue;
                const bool whole = name.size() == rest.size();
                if (!whole && !isSep(rest[name.size()])) continue;
                if (records[k].position >= size) continue;
                if (whole && limit && records[k].fileSize > limit->bytes) {
                    limit->found = records[k].fileSize;
                    clearRecord(record);
                    member.reset();
                    return false;
                }
                platform::MemBlock next;
                const SpiMemory inner{member.data() + records[k].position, size - records[k].position};
                if (plugin->GetFile(inner, next, SPI_IN_MEMORY | SPI_OUT_MEMORY, nullptr, 0) != SPI_OK) continue;
                record = records[k];
                member = std::move(next);  // the outer level's block is freed here
                rest = whole ? std::string() : rest.substr(name.size() + 1);
                advanced = true;
                break;
            }
            if (advanced) break;
        }
        if (!advanced) {
            clearRecord(record);
            member.reset();
            return false;
        }
    }
    return true;
}

std::unique_ptr<TStream> TStorage::openStream(const std::string& name) {
    std::string path = name;
    platform::MemBlock member;
    SpiFileInfo record;
    if (!locate(path, member, record)) return nullptr;
    if (record.method[0] != 0) {
        auto stream = std::make_unique<THMemStream>();
        if (!stream->attachHandle(&member, record.fileSize, true)) return nullptr;
        return stream;
    }
    auto file = std::make_unique<TFileStream>();
    if (!file->open(path, kFileRead | kFileOpenExisting)) return nullptr;
    return file;
}

bool TStorage::addPlugin(std::unique_ptr<SpiFile> plugin) {
    if (!plugin) return false;
    plugins_.push_front(std::move(plugin));
    return true;
}

void TStorage::clearPlugins() {
    plugins_.clear();
    cursor_ = plugins_.end();
    current_ = nullptr;
}

SpiFile* TStorage::firstPlugin() {
    cursor_ = plugins_.begin();
    return cursor_ == plugins_.end() ? nullptr : cursor_->get();
}

SpiFile* TStorage::nextPlugin() {
    if (cursor_ == plugins_.end()) return nullptr;
    ++cursor_;
    return cursor_ == plugins_.end() ? nullptr : cursor_->get();
}

SpiFile* TStorage::probeFile(const std::string& path, size_t offset) {
    std::vector<uint8_t> head;
    const long got = readHead(path, head, kProbeFileBytes);
    if (got < 0 || static_cast<size_t>(got) < offset || offset >= head.size()) return nullptr;
    for (auto& plugin : plugins_) {
        if (plugin->IsSupported(path, head.data() + offset, head.size() - offset) > 0) {
            current_ = plugin.get();
            return current_;
        }
    }
    return nullptr;
}

SpiFile* TStorage::probeMemory(const std::string& name, const uint8_t* bytes, size_t size) {
    if (!bytes || size < 1) return nullptr;
    std::vector<uint8_t> head(kProbeMemoryBytes, 0);
    std::memcpy(head.data(), bytes, std::min(size, head.size()));
    for (auto& plugin : plugins_) {
        if (plugin->IsSupported(name, head.data(), head.size()) > 0) {
            current_ = plugin.get();
            return current_;
        }
    }
    return nullptr;
}

bool TStorage::getPicture(const std::string& name, platform::MemBlock& info, platform::MemBlock& bits) {
    pictureRefusal_.clear();
    std::string path = name;
    platform::MemBlock member;
    SpiFileInfo record;
    MemberLimit limit{kSpiMaxPictureFile};
    if (!locateWithin(path, member, record, &limit)) {
        if (limit.found)
            pictureRefusal_ = "a file of " + std::to_string(limit.found >> 20) + " MiB, larger than any picture";
        return false;
    }
    // What the plug-in that took the picture says of it.
    const auto refusedBy = [this](SpiFile* plugin, int answer) {
        const auto* filter = dynamic_cast<const SpiImportFile*>(plugin);
        pictureRefusal_ =
            filter && !filter->refusal().empty() ? filter->refusal() : "its loader answered " + std::to_string(answer);
        return false;
    };
    if (record.method[0] == 0) {
        int64_t offset = 0;
        SpiFile* plugin = probeFile(path, 0);
        if (!plugin) {
            plugin = probeFile(path, 128);  // a 128-byte prefix header is skipped
            offset = 128;
        }
        if (!plugin) {
            pictureRefusal_ = "no picture of a format the game reads";
            return false;
        }
        const int answer = plugin->GetPicture(path, offset, SPI_IN_FILE | SPI_OUT_MEMORY, info, bits, nullptr, 0);
        return answer == SPI_OK || refusedBy(plugin, answer);
    }
    const uint8_t* bytes = member.data();
    size_t size = std::min<size_t>(record.fileSize, member.size());
    SpiFile* plugin = probeMemory(path, bytes, size);
    if (!plugin && size > 128) {
        plugin = probeMemory(path, bytes + 128, size - 128);
        bytes += 128;
        size -= 128;
    }
    if (!plugin) {
        pictureRefusal_ = "no picture of a format the game reads";
        return false;
    }
    const int answer =
        plugin->GetPicture(SpiMemory{bytes, size}, SPI_IN_MEMORY | SPI_OUT_MEMORY, info, bits, nullptr, 0);
    return answer == SPI_OK || refusedBy(plugin, answer);
}

void TStorage::reportRefusal(const std::string& name, const std::string& why) {
    if (!refusalsSaid_.insert(spiFoldName(name)).second) return;
    std::fprintf(stderr, "the picture %s was refused (%s): it is not shown\n", platform::toUtf8(name).c_str(),
                 why.c_str());
}

std::unique_ptr<TImage> TStorage::loadImage(const std::string& name) {
    platform::MemBlock info, bits;
    if (!getPicture(name, info, bits)) {
        if (!pictureRefusal_.empty()) reportRefusal(name, pictureRefusal_);
        return nullptr;
    }
    auto image = std::make_unique<TImage>();
    // attachHandles checks the blocks; a 16- or 32-bit image without bit fields is attached
    // and still usable, so only an image that did not attach at all is a failure.
    image->attachHandles(std::move(info), std::move(bits));
    if (image->empty()) {
        reportRefusal(name, "a malformed bitmap");
        return nullptr;
    }
    return image;
}

// ---- TStorageGraph ---------------------------------------------------------------------------

TStorageGraph::~TStorageGraph() {
    if (ownsWaveFactory_) delete waveFactory_;
    if (ownsSurfaceMaker_) delete surfaceMaker_;
}

std::string TStorageGraph::alphaCompanionName(const std::string& name) {
    // Only a dot in the last component starts an extension.
    size_t lastSep = std::string::npos;
    for (size_t i = 0; i < name.size(); ++i) {
        if (isLead(static_cast<uint8_t>(name[i]))) {
            ++i;
        } else if (isSep(name[i])) {
            lastSep = i;
        }
    }
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || (lastSep != std::string::npos && dot < lastSep)) return name + "a";
    return name.substr(0, dot) + "a" + name.substr(dot);
}

void TStorageGraph::setSurfaceMaker(TSurfaceMaker* maker, bool owned) {
    if (ownsSurfaceMaker_ && surfaceMaker_ != maker) delete surfaceMaker_;
    surfaceMaker_ = maker;
    ownsSurfaceMaker_ = owned;
}

void TStorageGraph::setWaveFactory(TWaveFactory* factory, bool owned) {
    if (ownsWaveFactory_ && waveFactory_ != factory) delete waveFactory_;
    waveFactory_ = factory;
    ownsWaveFactory_ = owned;
}

graphics::TSurface32* TStorageGraph::loadSurface(const std::string& name, bool withAlphaFile) {
    return loadSurfaceWith(name, nullptr, withAlphaFile);
}

graphics::TSurface32* TStorageGraph::loadSurfaceWith(const std::string& name, const graphics::TImageTrans* transform,
                                                     bool withAlphaFile) {
    if (!surfaceMaker_) return nullptr;
    std::unique_ptr<TImage> image = loadImage(name);
    if (!image) return nullptr;
    graphics::TSurface32* surface = surfaceMaker_->makeSurface(*image, transform);
    if (!surface) {
        reportRefusal(name, "no surface could be made of it");
        return nullptr;
    }
    if (withAlphaFile && !surfaceMaker_->hasAlpha(*surface)) {
        if (std::unique_ptr<TImage> alpha = loadImage(alphaCompanionName(name)))
            surfaceMaker_->applyAlphaFromImage(*surface, *alpha);
    }
    return surface;
}

graphics::TAlphaCh* TStorageGraph::loadAlphaChannel(const std::string& name) {
    if (!surfaceMaker_) return nullptr;
    std::unique_ptr<TImage> image = loadImage(name);
    return image ? surfaceMaker_->makeAlphaChannel(*image) : nullptr;
}

TWave* TStorageGraph::loadWave(const std::string& name) {
    if (!waveFactory_) return nullptr;
    std::string path = name;
    platform::MemBlock member;
    SpiFileInfo record;
    if (!locate(path, member, record)) return nullptr;
    if (record.method[0] == 0) return waveFactory_->fromPath(path);
    return waveFactory_->fromBytes(member.data(), std::min<size_t>(record.fileSize, member.size()));
}
