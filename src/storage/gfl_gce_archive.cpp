#include "storage/gfl_gce_archive.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/little_endian.h"
#include "storage/gfl_block.h"
#include "storage/gfl_crc.h"
#include "storage/gfl_stream.h"

namespace {

// A directory past these is taken for damage or hostility, not data. Real tables are a few
// hundred KiB for a few thousand entries; the bounds keep any archive's directory, and the
// record list the archive plug-in builds from it (440 bytes an entry), within a few tens of MiB.
constexpr uint64_t kMaxTableSize = uint64_t{16} << 20;
// The directory block as read from the file: the table, or its compressed blocks (which may
// be a little larger than what they decode to), and the headers.
constexpr uint64_t kMaxBlockSize = kMaxTableSize + (kMaxTableSize >> 8) + 64;
constexpr uint64_t k4GiB = uint64_t{1} << 32;
constexpr size_t kChunk = gce::kBlockMaxOutput;

// Reads at most `limit` bytes of an underlying stream from its current position, so blocks of
// one entry can never run on into the next entry or the directory.
class WindowStream : public GflStream {
public:
    WindowStream(GflStream& inner, uint64_t limit) : inner_(inner), left_(limit) { eof_ = limit == 0; }
    size_t read(void* buffer, size_t n) override {
        size_t m = static_cast<size_t>(std::min<uint64_t>(n, left_));
        size_t got = m ? inner_.read(buffer, m) : 0;
        left_ -= got;
        if (got < n) eof_ = true;
        return got;
    }
    size_t write(const void*, size_t) override { return 0; }
    bool seek(uint64_t) override { return false; }
    uint64_t tell() const override { return 0; }
    uint64_t size() override { return left_; }

private:
    GflStream& inner_;
    uint64_t left_;
};

// Decodes blocks until `size` bytes (at most the table bound) are produced.
std::vector<uint8_t> decodeTable(GflStream& source, uint64_t size) {
    if (size > kMaxTableSize) throw GflException(GflException::ShortRead);
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(size));
    gce::GflBlockDecoder decoder;
    std::vector<uint8_t> chunk(gce::kBlockMaxOutput);
    while (out.size() < size) {
        size_t n = decoder.readBlock(source, chunk.data(),
                                     static_cast<size_t>(std::min<uint64_t>(chunk.size(), size - out.size())));
        out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
    }
    return out;
}

// Every entry takes at least one byte of the file to describe (its record, its name and its
// data, however well they compress): a count past the file's size is damage, and so is one
// past any real archive's. Without this a small file whose table decodes to millions of empty
// entries would cost gigabytes to hold.
bool countFits(uint64_t count, uint64_t fileSize) { return count <= fileSize && count <= GflGceArchive::kMaxEntries; }

struct Entry {
    uint32_t crc = 0;
    uint32_t attribute = 0;
    uint64_t time = 0;
    uint64_t unpacked = 0;
    uint64_t stored = 0;
    uint64_t offset = 0;  // from the data start
};

// One field of an entry, or 0 when there is no such entry.
template <typename T>
T fieldOf(const Entry* e, T Entry::*field) {
    return e ? e->*field : T{};
}

}  // namespace

struct GflGceArchive::Impl {
    GflGceArchive* facade = nullptr;
    bool keepOpen = false;
    bool dataCompressed = false;
    bool recorded2 = false;
    bool recorded4 = false;
    bool noData = false;
    bool crcCheck = true;
    std::string path;
    GflFile file;
    bool opened = false;
    bool crcMismatch = false;
    int32_t base = 0;
    uint64_t dataStart = 0;
    uint64_t totalUnpacked = 0;
    std::vector<std::string> names;
    std::vector<Entry> entries;
    GflCRC crcEngine;
    uint64_t progressDone = 0;
    uint64_t progressTotal = 0;
    ProgressCallback progress;
    MessageCallback message;

    int report(uint32_t code, const std::string& text) {
        if (!message) return -1;
        return message(code, text, facade);
    }

    void clear() {
        file.closeFile();
        names.clear();
        entries.clear();
        opened = false;
        crcMismatch = false;
        dataCompressed = recorded2 = recorded4 = noData = false;
        totalUnpacked = 0;
        progressDone = progressTotal = 0;
    }

    bool readAt(uint64_t pos, void* buf, size_t n) { return file.seek(pos) && file.read(buf, n) == n; }

    bool open();
    bool readOld(const uint8_t* header, uint64_t dirPos, uint64_t fileSize, bool wrapped);
    bool readGce3(uint64_t dirPos, uint64_t fileSize);
    bool placeEntries(uint64_t fileSize, uint64_t dataEnd);
    bool ensureOpen() { return opened || open(); }
    // Entry i of an archive that opens; null for an index outside 0..count-1.
    const Entry* entryAt(int64_t i) {
        if (!ensureOpen() || i < 0 || static_cast<uint64_t>(i) >= entries.size()) return nullptr;
        return &entries[static_cast<size_t>(i)];
    }
};

bool GflGceArchive::Impl::open() {
    clear();
    if (base < 0 || !file.openRead(path)) return false;
    const uint64_t fileSize = file.size();
    uint8_t first[16];
    if (!readAt(static_cast<uint64_t>(base), first, 16) || std::memcmp(first, "GCE", 3) != 0) {
        clear();
        return false;
    }
    const bool wrapped = first[3] == 'X';
    uint64_t dirPos = static_cast<uint64_t>(base);
    if (wrapped) {
        if (le::load32(first + 4) != 0) {
            report(kMsgUnsupported, {});
            clear();
            return false;
        }
        uint64_t rel = le::load64(first + 8);
        if (rel > fileSize) {
            clear();
            return false;
        }
        dirPos += rel;
    }
    uint8_t header[16];
    if (!readAt(dirPos, header, 16) || std::memcmp(header, "GCE", 3) != 0) {
        clear();
        return false;
    }
    bool ok = false;
    try {
        switch (header[3]) {
            case '0':
                ok = readOld(header, dirPos, fileSize, wrapped);
                break;
            case '1':
                noData = true;
                ok = readOld(header, dirPos, fileSize, wrapped);
                break;
            case '3':
                ok = readGce3(dirPos, fileSize);
                break;
            default:
                ok = report(kMsgUnsupported, {}) == 0 && readOld(header, dirPos, fileSize, wrapped);
                break;
        }
    } catch (const GflException&) {
        ok = false;  // a damaged compressed table
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok) {
        clear();
        return false;
    }
    opened = true;
    return true;
}

bool GflGceArchive::Impl::readOld(const uint8_t* header, uint64_t dirPos, uint64_t fileSize, bool wrapped) {
    const uint32_t flags = le::load32(header + 4);
    const uint64_t n = le::load32(header + 8);
    const uint64_t d = le::load32(header + 12);
    if (d < 16 || d > fileSize || d > kMaxBlockSize || dirPos + d > fileSize || !countFits(n, fileSize)) return false;
    dataStart = wrapped ? 16 : d;
    std::vector<uint8_t> block(static_cast<size_t>(d));
    std::memcpy(block.data(), header, 16);
    if (!readAt(dirPos + 16, block.data() + 16, block.size() - 16)) return false;

    size_t bodyEnd = block.size();  // the table's bytes end here (before a CRC)
    if (flags & 0x2) {
        if (bodyEnd < 20) return false;
        bodyEnd -= 4;
        if (crcCheck) {
            if (crcEngine.compute(block.data(), bodyEnd) != le::load32(block.data() + bodyEnd)) {
                crcMismatch = true;
                if (report(kMsgCrcMismatch, {}) != 0) return false;
            }
        }
    }
    std::vector<uint8_t> decoded;
    const uint8_t* table = block.data() + 16;
    uint64_t tableSize = bodyEnd - 16;
    if (flags & 0x1) {
        if (tableSize < 4) return false;
        const uint64_t u = le::load32(table);
        if (n * 32 > u) return false;
        GflMemoryStream src(static_cast<const void*>(table + 4), static_cast<size_t>(tableSize - 4));
        decoded = decodeTable(src, u);
        table = decoded.data();
        tableSize = decoded.size();
    }
    if (n * 32 > tableSize) return false;
    entries.resize(static_cast<size_t>(n));
    names.resize(static_cast<size_t>(n));
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* r = table + 32 * i;
        Entry& e = entries[i];
        if (r[0] & 0x1) dataCompressed = true;
        if (r[0] & 0x2) recorded2 = true;
        if (r[0] & 0x4) recorded4 = true;
        e.crc = le::load32(r + 4);
        e.stored = le::load32(r + 12);
        e.unpacked = le::load32(r + 16);
        e.attribute = le::load32(r + 20);
        e.time = le::load64(r + 24);
    }
    uint64_t pos = n * 32;
    for (size_t i = 0; i < n; ++i) {
        if (pos + 2 > tableSize) return false;
        uint64_t len;
        if (table[pos + 1] >= 0x20) {
            len = table[pos];
            pos += 1;
        } else {
            len = le::load16(table + pos);
            pos += 2;
        }
        if (pos + len > tableSize) return false;
        names[i].assign(reinterpret_cast<const char*>(table + pos), static_cast<size_t>(len));
        pos += len;
    }
    const uint64_t dataEnd = wrapped ? dirPos : fileSize;
    return placeEntries(fileSize, dataEnd);
}

bool GflGceArchive::Impl::readGce3(uint64_t dirPos, uint64_t fileSize) {
    uint8_t h[32];
    if (!readAt(dirPos, h, 32)) return false;
    const uint32_t flags = le::load32(h + 4);
    dataCompressed = flags & 0x10;
    recorded2 = flags & 0x20;
    noData = flags & 0x100;
    dataStart = 16;
    const uint64_t s = le::load64(h + 8);
    if (s < 32 || s > fileSize || s > kMaxBlockSize || dirPos + s > fileSize) return false;
    std::vector<uint8_t> block(static_cast<size_t>(s));
    std::memcpy(block.data(), h, 32);
    if (!readAt(dirPos + 32, block.data() + 32, block.size() - 32)) return false;
    const uint32_t stated = le::load32(block.data() + 20);
    le::store32(block.data() + 20, 0);
    if (crcCheck && crcEngine.compute(block.data(), block.size()) != stated) {
        crcMismatch = true;
        if (report(kMsgCrcMismatch, {}) != 0) return false;
    }
    le::store32(block.data() + 20, stated);
    const uint64_t n = le::load32(h + 24);
    if (!countFits(n, fileSize)) return false;

    std::vector<uint8_t> decoded;
    const uint8_t* table = block.data() + 32;
    uint64_t tableSize = s - 32;
    if (flags & 0x1) {
        if (s < 40) return false;
        const uint64_t u = le::load64(block.data() + 32);
        if (n * 32 > u) return false;
        GflMemoryStream src(static_cast<const void*>(block.data() + 40), static_cast<size_t>(s - 40));
        decoded = decodeTable(src, u);
        table = decoded.data();
        tableSize = decoded.size();
    }
    if (n * 32 > tableSize) return false;
    entries.resize(static_cast<size_t>(n));
    names.resize(static_cast<size_t>(n));
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* r = table + 32 * i;
        Entry& e = entries[i];
        e.crc = le::load32(r);
        e.attribute = le::load32(r + 4);
        e.time = le::load64(r + 8);
        e.unpacked = le::load64(r + 16);
        e.stored = le::load64(r + 24);
    }
    uint64_t pos = n * 32;
    for (size_t i = 0; i < n; ++i) {
        if (pos + 2 > tableSize) return false;
        const uint64_t len = le::load16(table + pos);
        pos += 2;
        if (pos + len > tableSize) return false;
        names[i].assign(reinterpret_cast<const char*>(table + pos), static_cast<size_t>(len));
        pos += len;
    }
    return placeEntries(fileSize, dirPos);
}

// Entry i's data lies at data start + the stored sizes of the entries before it. Every entry
// with data must lie inside the data area, so no later read can leave it.
bool GflGceArchive::Impl::placeEntries(uint64_t fileSize, uint64_t dataEnd) {
    const uint64_t start = static_cast<uint64_t>(base) + dataStart;
    uint64_t offset = 0;
    totalUnpacked = 0;
    for (Entry& e : entries) {
        e.offset = offset;
        if (!noData) {
            if (e.stored > fileSize || start + offset + e.stored > std::max(dataEnd, start)) return false;
        }
        offset += std::min<uint64_t>(e.stored, fileSize);
        totalUnpacked += e.unpacked;
        if (totalUnpacked < e.unpacked) totalUnpacked = UINT64_MAX;
    }
    if (!keepOpen) {
        // Nothing more is read until an extraction, which opens the file again.
        file.closeFile();
    }
    return true;
}

GflGceArchive::GflGceArchive() : impl_(std::make_unique<Impl>()) { impl_->facade = this; }
GflGceArchive::~GflGceArchive() { close(); }

void GflGceArchive::setPath(const std::string& path) {
    impl_->path = path;
    impl_->opened = false;
}
const std::string& GflGceArchive::path() const { return impl_->path; }
void GflGceArchive::keepOpen() { impl_->keepOpen = true; }
void GflGceArchive::releaseKeepOpen() {
    impl_->file.closeFile();
    impl_->keepOpen = false;
}
bool GflGceArchive::open() { return impl_->open(); }
void GflGceArchive::close() { impl_->clear(); }
bool GflGceArchive::isOpened() const { return impl_->opened; }

uint32_t GflGceArchive::count() { return impl_->ensureOpen() ? static_cast<uint32_t>(impl_->entries.size()) : 0; }

std::string GflGceArchive::name(int64_t i) {
    return impl_->entryAt(i) ? impl_->names[static_cast<size_t>(i)] : std::string();
}
uint32_t GflGceArchive::crc(int64_t i) { return fieldOf(impl_->entryAt(i), &Entry::crc); }
uint64_t GflGceArchive::storedSize(int64_t i) { return fieldOf(impl_->entryAt(i), &Entry::stored); }
uint64_t GflGceArchive::unpackedSize(int64_t i) { return fieldOf(impl_->entryAt(i), &Entry::unpacked); }
uint64_t GflGceArchive::fileTime(int64_t i) { return fieldOf(impl_->entryAt(i), &Entry::time); }
uint32_t GflGceArchive::attribute(int64_t i) { return fieldOf(impl_->entryAt(i), &Entry::attribute); }

bool GflGceArchive::extract(int64_t i, void* buffer, uint64_t capacity) {
    const Entry* found = impl_->entryAt(i);
    if (!found) return false;
    const Entry& e = *found;
    Impl& m = *impl_;
    const std::string& entryName = m.names[static_cast<size_t>(i)];
    m.report(kMsgExtractBegin, entryName);
    if (e.unpacked >= k4GiB) {
        m.report(kMsgTooLarge, entryName);
        return false;
    }
    if (capacity < e.unpacked || (e.unpacked > 0 && !buffer)) return false;
    m.progressTotal = e.unpacked;
    m.progressDone = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    if (e.unpacked > 0) {
        // Entries of a kind without data would come out empty: that is a failure, not success.
        if (m.noData) return false;
        if (!m.file.isOpen() && !m.file.reopen()) return false;
        if (!m.file.seek(static_cast<uint64_t>(m.base) + m.dataStart + e.offset))
            throw GflException(GflException::ShortRead);
        const size_t size = static_cast<size_t>(e.unpacked);
        size_t done = 0;
        if (!m.dataCompressed) {
            if (e.unpacked > e.stored) throw GflException(GflException::ShortRead);
            while (done < size) {
                size_t n = std::min(kChunk, size - done);
                readExact(m.file, out + done, n);
                done += n;
                m.progressDone = done;
                if (m.progress) m.progress(m.progressDone, m.progressTotal, this);
            }
        } else {
            WindowStream source(m.file, e.stored);
            gce::GflBlockDecoder decoder;
            while (done < size) {
                done += decoder.readBlock(source, out + done, size - done);
                m.progressDone = done;
                if (m.progress) m.progress(m.progressDone, m.progressTotal, this);
            }
        }
    }
    m.report(kMsgExtractEnd, entryName);
    return true;
}

void GflGceArchive::setProgressCallback(ProgressCallback fn) { impl_->progress = std::move(fn); }
void GflGceArchive::setMessageCallback(MessageCallback fn) { impl_->message = std::move(fn); }
void GflGceArchive::setCrcCheck(bool on) { impl_->crcCheck = on; }
void GflGceArchive::setBaseOffset(int32_t base) {
    impl_->base = base;
    impl_->opened = false;
}
bool GflGceArchive::crcMismatch() const { return impl_->crcMismatch; }
bool GflGceArchive::dataCompressed() const { return impl_->dataCompressed; }
bool GflGceArchive::noExtractableData() const { return impl_->noData; }
uint64_t GflGceArchive::totalUnpackedSize() { return impl_->ensureOpen() ? impl_->totalUnpacked : 0; }
