// Save slots, save files and the common saves of the interpreter core.
#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "framework/file_system.h"
#include "framework/stream.h"
#include "graphics/sprite.h"
#include "graphics/surface32.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/little_endian.h"
#include "script/core.h"
#include "script/engine.h"
#include "script/engine_texts.h"
#include "script/format.h"
#include "script/value.h"
#include "script/value_exchange.h"
#include "storage/gfl_crc.h"
#include "storage/image.h"
#include "storage/storage.h"

namespace {

// A file name of the settings where the resource store puts it: in the program's folder,
// whatever the working folder.
std::string storePath(const std::string& name) {
    TStorage* store = TStorage::instance();
    return store ? store->fullPath(name) : name;
}

// The whole file, or false when it cannot be read (folders and missing files included).
bool readWhole(const std::string& name, std::string& out) {
    if (!fileExists(name)) return false;
    TFileStream f;
    if (!f.open(name, kFileRead | kFileOpenExisting)) return false;
    const uint32_t n = f.getFileSize();
    out.resize(n);
    return n == 0 || f.read(out.data(), n) == n;
}

// Folders made, then the bytes put in place whole.
bool writeWhole(const std::string& name, const std::string& bytes) {
    const std::string folder = getFolderPath(name);
    if (!folder.empty() && !createPathFolders(folder.c_str())) return false;
    return platform::replaceFileContents(name, bytes);
}

// A file name of the settings as the operating system spells it ('/' between the folders), to
// name it to the player.
std::string osSpelling(const std::string& name) {
    std::string out = name;
    const auto* bytes = reinterpret_cast<const uint8_t*>(out.data());
    for (size_t i = 0; i < out.size(); i += platform::sjisCharLength(bytes + i, bytes + out.size()))
        if (out[i] == '\\') out[i] = '/';
    return out;
}

// Folders made, then the bytes written beside the file, for the caller to put in place; when
// that fails, why (in the player's terms: the operating system's words and the file's name as
// the settings give it, spelt as the operating system spells it).
bool writeBeside(platform::FileReplacement& file, const std::string& name, const std::string& shownName,
                 const std::string& bytes, std::string& why) {
    const std::string folder = getFolderPath(name);
    if (!folder.empty() && !createPathFolders(folder.c_str())) {
        const uint32_t attributes = platform::getFileAttributes(folder);
        const bool notFolder =
            attributes != platform::kInvalidFileAttributes && !(attributes & platform::kAttrDirectory);
        why = platform::errorText(notFolder ? ENOTDIR : platform::getLastError()) + " (" +
              osSpelling(getFolderPath(shownName)) + ")";
        return false;
    }
    if (file.write(name, bytes)) return true;
    why = platform::errorText(file.error()) + " (" + osSpelling(shownName) + ")";
    return false;
}

bool putInPlace(platform::FileReplacement& file, const std::string& shownName, std::string& why) {
    if (file.commit()) return true;
    why = platform::errorText(file.error()) + " (" + osSpelling(shownName) + ")";
    return false;
}

// The front of a save file as far as its information block reaches: the header, whatever
// stands before the escape byte, the block's length and the block; false when the file cannot
// be read. The state behind it is left unread.
bool readSaveHead(const std::string& name, std::string& out) {
    out.clear();
    if (!fileExists(name)) return false;
    TFileStream f;
    if (!f.open(name, kFileRead | kFileOpenExisting)) return false;
    const uint32_t size = f.getFileSize();
    auto readTo = [&](uint64_t want) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(want, size));
        if (n <= out.size()) return false;
        const size_t had = out.size();
        out.resize(n);
        out.resize(had + f.read(out.data() + had, static_cast<uint32_t>(n - had)));
        return out.size() > had;
    };
    constexpr uint64_t kFirst = 256;
    readTo(kFirst);
    size_t escape = std::string::npos;
    while ((escape = out.find('\x1B', 8)) == std::string::npos)
        if (!readTo(uint64_t{out.size()} * 2)) return true;
    readTo(escape + 5);
    if (out.size() >= escape + 5)
        readTo(escape + 5 + uint64_t{le::load32(reinterpret_cast<const uint8_t*>(out.data()) + escape + 1)});
    return true;
}

// The CRC-32 of a whole file, read a piece at a time; false when it cannot be read.
bool fileCrc(const std::string& name, uint32_t& crc) {
    crc = 0;
    if (!fileExists(name)) return false;
    TFileStream f;
    if (!f.open(name, kFileRead | kFileOpenExisting)) return false;
    std::vector<char> piece(64 * 1024);
    for (uint32_t left = f.getFileSize(); left > 0;) {
        const uint32_t want = std::min<uint32_t>(left, static_cast<uint32_t>(piece.size()));
        const uint32_t got = f.read(piece.data(), want);
        if (got != want) return false;
        crc = gflCrc32(piece.data(), got, crc);
        left -= got;
    }
    return true;
}

// The mark a thumbnail carries for a save of this CRC: never 0, which marks nothing.
uint32_t thumbnailMark(uint32_t saveCrc) { return saveCrc != 0 ? saveCrc : 1; }

// A thumbnail file's mark (the bitmap's reserved words, bytes 6 to 9); 0 when it has none or is
// no bitmap.
uint32_t readThumbnailMark(const std::string& name) {
    if (!fileExists(name)) return 0;
    TFileStream f;
    uint8_t head[10] = {};
    if (!f.open(name, kFileRead | kFileOpenExisting) || f.read(head, sizeof head) != sizeof head) return 0;
    return head[0] == 'B' && head[1] == 'M' ? le::load32(head + 6) : 0;
}

std::string streamBytes(TMemoryStream& s) {
    return std::string(reinterpret_cast<const char*>(s.getBuffer()), s.size());
}

constexpr int kOk = 0;
constexpr const char* kSaveFailedText = "could not save: ";

void put(std::string& s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
}

}  // namespace

std::string TG2Core::saveFileName(int32_t n) const { return storePath(g2Format(engine_.status().save, {n + 1})); }

std::string TG2Core::thumbnailFileName(int32_t n) const {
    return storePath(g2Format(engine_.status().saveThumbnail, {n + 1}));
}

bool TG2Core::scanRecords() {
    const int32_t max = std::max(engine_.status().recordMax, 0);
    records_.assign(static_cast<size_t>(max), TRecord{});
    for (int32_t n = 0; n < max; ++n) {
        TRecord& r = records_[static_cast<size_t>(n)];
        r.fileName = saveFileName(n);
        std::string head;
        if (readSaveHead(r.fileName, head)) g2ReadSaveRecord(head, r);
    }
    return true;
}

bool TG2Core::save(int32_t n) { return writeSave(n, nullptr); }

bool TG2Core::writeSave(int32_t n, const graphics::TSurface32* thumbnail, int32_t shownSlot) {
    if (n < 0 || n >= recordCount()) return false;
    // The slot's record and the save counter change only once the files are in place.
    TRecord r = records_[static_cast<size_t>(n)];
    r.fileName = saveFileName(n);
    r.time = currentTime();
    r.playTime = playTime_;
    r.saveCount = static_cast<uint16_t>(saveCount_ + 1);
    // A script may give the record's texts as integers: they are written as decimal text.
    const auto text = [](const std::unique_ptr<TValue>& v, const std::string& otherwise) {
        if (!v) return otherwise;
        return v->getType() == kG2String ? v->getString() : std::to_string(v->getInt());
    };
    r.info1 = text(recordInfo1_, recordText1_);
    r.info2 = text(recordInfo2_, recordText2_);
    r.info3 = recordText3_;
    r.code1 = recordCode1_;
    r.code2 = recordCode2_;
    // Both files are written before either replaces the slot's old one, so a save that fails
    // (a full disk, a folder that takes no files) leaves the slot as it was, picture included.
    const int32_t shown = (shownSlot >= 0 ? shownSlot : n) + 1;
    const std::string shownSave = g2Format(engine_.status().save, {shown}),
                      shownThumbnail = g2Format(engine_.status().saveThumbnail, {shown});
    platform::FileReplacement saveFile, thumbnailFile;
    std::string why;
    const std::string saveBytes = g2SaveFileBytes(r, streamBytes(snapshot_));
    // The thumbnail goes in first, so that one that cannot be put in place keeps the save out
    // too; one put in place without its save (a kill between the two) is marked for a save the
    // slot does not hold, and is not shown.
    const uint32_t mark = thumbnailMark(gflCrc32(saveBytes.data(), saveBytes.size()));
    const bool saved = writeBeside(saveFile, r.fileName, shownSave, saveBytes, why) &&
                       (!thumbnail || (writeBeside(thumbnailFile, thumbnailFileName(n), shownThumbnail,
                                                   thumbnailBytes(*thumbnail, mark), why) &&
                                       putInPlace(thumbnailFile, shownThumbnail, why))) &&
                       putInPlace(saveFile, shownSave, why);
    if (!saved) {
        // The player meant to keep this game: a save that was not made is never passed off as one.
        engine_.host().messageBox(kSaveFailedText + why, engine_.status().product, kOk);
        return false;
    }
    records_[static_cast<size_t>(n)] = std::move(r);
    ++saveCount_;
    return true;
}

bool TG2Core::load(int32_t n) {
    if (n < 0 || n >= recordCount()) return false;
    std::string bytes;
    size_t offset = 0;
    if (!readWhole(records_[static_cast<size_t>(n)].fileName, bytes) || !g2SaveStateOffset(bytes, offset)) return false;
    snapshot_.clear();
    snapshot_.seek(0, 0);
    snapshot_.write(bytes.data() + offset, static_cast<uint32_t>(bytes.size() - offset));
    if (!engine_.status().variablesOnly) engine_.reset();
    snapshot_.seek(0, 0);
    try {
        TValueExchange x(&snapshot_, false);
        exchange(x);
    } catch (const TError& e) {
        // Half a state is no game: the story starts again from its title, and the player is
        // told why.
        snapshot_.clear();
        engine_.reset();
        engine_.host().messageBox(g2texts::brokenSaveText(), engine_.status().product, kOk);
        returnToTitle(false);
        return false;
    }
    return true;
}

bool TG2Core::hasSaveFile() {
    for (int32_t n = 0; n < engine_.status().recordMax; ++n)
        if (fileExists(saveFileName(n))) return true;
    return false;
}

void TG2Core::deleteSave(int32_t n) {
    if (n >= 0 && n < recordCount()) ::deleteFile(saveFileName(n));
}

void TG2Core::deleteThumbnail(int32_t n) { ::deleteFile(thumbnailFileName(n)); }

namespace {

// What one common file holds, in this order.
enum CommonPart : unsigned { kCoreCommon = 1, kVariables = 2, kImageFlags = 4 };

struct CommonFile {
    std::string name;
    unsigned parts;
};

// The files the common data goes to: a separate name that is empty or the common file's means
// that data shares the common file; the image flags may share the variables' own file.
std::vector<CommonFile> commonFiles(const TG2Status& st) {
    const bool memShared = st.saveMemory.empty() || st.saveMemory == st.saveCommon;
    const bool imgShared = st.saveImgDisp.empty() || st.saveImgDisp == st.saveCommon;
    const bool imgWithMem = !memShared && !imgShared && st.saveImgDisp == st.saveMemory;
    std::vector<CommonFile> files;
    files.push_back(
        {storePath(st.saveCommon), kCoreCommon | (memShared ? kVariables : 0u) | (imgShared ? kImageFlags : 0u)});
    if (!memShared) files.push_back({storePath(st.saveMemory), kVariables | (imgWithMem ? kImageFlags : 0u)});
    if (!imgShared && !imgWithMem) files.push_back({storePath(st.saveImgDisp), kImageFlags});
    return files;
}

}  // namespace

void TG2Core::exchangeCommonParts(TValueExchange& x, unsigned parts) {
    if (parts & kCoreCommon) exchangeCommon(x);
    if ((parts & kVariables) && engine_.memory()) engine_.memory()->exchangeArea1(x);
    if (parts & kImageFlags) imgDisp_.exchange(x);
}

void TG2Core::saveCommon() {
    if (!engine_.status().useCommonSave) return;
    for (const CommonFile& f : commonFiles(engine_.status())) {
        TMemoryStream s;
        TValueExchange x(&s, true);
        exchangeCommonParts(x, f.parts);
        writeWhole(f.name, streamBytes(s));
    }
}

bool TG2Core::readCommonParts(const std::string& bytes, unsigned parts) {
    // What the file feeds, as it stands, so that a broken file changes nothing.
    TMemoryStream before;
    {
        TValueExchange x(&before, true);
        exchangeCommonParts(x, parts);
    }
    const TG2ActorMap actors = actors_;  // a damaged list may have named actors it never finished
    TMemoryStream s;
    s.write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    s.seek(0, 0);
    try {
        TValueExchange x(&s, false);
        exchangeCommonParts(x, parts);
        return true;
    } catch (const TError&) {
        if (parts & kCoreCommon) readChecks_.clear(), actors_ = actors;
        before.seek(0, 0);
        TValueExchange x(&before, false);
        exchangeCommonParts(x, parts);
        return false;
    }
}

bool TG2Core::loadCommonFrom(const std::string& bytes) {
    return readCommonParts(bytes, kCoreCommon | kVariables | kImageFlags);
}

void TG2Core::loadCommon() {
    if (!engine_.status().useCommonSave) return;
    for (const CommonFile& f : commonFiles(engine_.status())) {
        std::string bytes;
        if (readWhole(f.name, bytes) && !readCommonParts(bytes, f.parts))
            engineLog("common save \"" + f.name + "\" is damaged and was not loaded");
    }
}

void TG2Core::renderThumbnail(graphics::TSurface32& target) {
    EngineGraphic* graphic = engine_.graphic();
    if (!graphic || target.width() <= 0 || target.height() <= 0) return;
    graphics::TSurface32 screen;
    if (!screen.createFilled(graphic->width(), graphic->height(), 0xFF000000)) return;
    graphic->clearLayers();
    graphic->buildTable(false);
    graphic->draw(screen);
    graphic->clearLayers();
    graphic->buildTable(true);
    graphics::TSprite32 sprite;
    sprite.setSurface(&screen);
    sprite.setSize(target.width(), target.height());
    sprite.draw(target, 0, 0);
}

bool TG2Core::thumbnailOfSave(int32_t n) const {
    const uint32_t mark = readThumbnailMark(thumbnailFileName(n));
    if (mark == 0) return true;
    uint32_t crc = 0;
    return fileCrc(saveFileName(n), crc) && thumbnailMark(crc) == mark;
}

std::unique_ptr<TImage> TG2Core::loadThumbnail(int32_t n) const {
    TStorage* store = TStorage::instance();
    return store && thumbnailOfSave(n) ? store->loadImage(thumbnailFileName(n)) : nullptr;
}

bool TG2CoreEx::save(int32_t n) { return saveWithThumbnail(n) != nullptr; }

std::unique_ptr<graphics::TSurface32> TG2CoreEx::saveWithThumbnail(int32_t n, int32_t shownSlot) {
    if (n < 0 || n >= recordCount()) return nullptr;
    auto thumbnail = std::make_unique<graphics::TSurface32>();
    if (!thumbnail->createFilled(kThumbnailWidth, kThumbnailHeight, 0xFF000000)) return nullptr;
    renderThumbnail(*thumbnail);
    // A slot that was not saved keeps the thumbnail of what it holds.
    if (!writeSave(n, thumbnail.get(), shownSlot)) return nullptr;
    return thumbnail;
}

bool TG2Core::writeThumbnail(int32_t n, const graphics::TSurface32& surface) {
    const int32_t w = surface.width(), h = surface.height();
    if (w <= 0 || h <= 0 || w > 4096 || h > 4096) return false;
    return writeWhole(thumbnailFileName(n), thumbnailBytes(surface));
}

std::string TG2Core::thumbnailBytes(const graphics::TSurface32& surface, uint32_t mark) {
    const int32_t w = std::clamp(surface.width(), 0, 4096), h = std::clamp(surface.height(), 0, 4096);
    const uint32_t stride = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * static_cast<uint32_t>(h);
    std::string bmp = "BM";
    put(bmp, 54 + imageSize, 4);
    put(bmp, mark, 4);
    put(bmp, 54, 4);
    put(bmp, 40, 4);
    put(bmp, static_cast<uint32_t>(w), 4);
    put(bmp, static_cast<uint32_t>(h), 4);
    put(bmp, 1, 2);
    put(bmp, 24, 2);
    put(bmp, 0, 4);
    put(bmp, imageSize, 4);
    bmp.append(16, '\0');
    // Rows bottom up, each pixel blue, green, red.
    for (int32_t y = h - 1; y >= 0; --y) {
        const size_t start = bmp.size();
        for (int32_t x = 0; x < w; ++x) put(bmp, surface.getPixel(x, y) & 0xFFFFFF, 3);
        bmp.append(stride - (bmp.size() - start), '\0');
    }
    return bmp;
}
