#include "gce_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "storage/gfl_crc.h"

namespace gcepack {

namespace {

constexpr size_t kMaxBlockInput = 262144;

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void put64(std::vector<uint8_t>& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void set32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

// Appends n bytes. (resize and copy: vector::insert of ranges trips a false overflow warning
// in some optimised builds.)
void append(std::vector<uint8_t>& out, const void* bytes, size_t n) {
    if (n == 0) return;
    const size_t at = out.size();
    out.resize(at + n);
    std::memcpy(out.data() + at, bytes, n);
}

void append(std::vector<uint8_t>& out, const std::vector<uint8_t>& more) { append(out, more.data(), more.size()); }

void putMagic(std::vector<uint8_t>& out, const char* magic) { append(out, magic, 4); }

class BitWriter {
public:
    void bit(uint32_t b) {
        acc_ = static_cast<uint8_t>((acc_ << 1) | (b & 1u));
        if (++count_ == 8) {
            bytes_.push_back(acc_);
            acc_ = 0;
            count_ = 0;
        }
    }
    void bits(uint32_t v, int k) {
        for (int i = k - 1; i >= 0; --i) bit(v >> i);
    }
    // The decoder's gamma: 1 -> 0, 01 -> 1, then z zeros, a one and z-1 bits give 2^(z-1) + bits.
    void gamma(uint32_t v) {
        if (v <= 1) {
            if (v == 1) bit(0);
            bit(1);
            return;
        }
        int z = 32 - __builtin_clz(v);  // 2^(z-1) <= v < 2^z
        for (int i = 0; i < z; ++i) bit(0);
        bit(1);
        bits(v - (1u << (z - 1)), z - 1);
    }
    std::vector<uint8_t> finish() {
        if (count_ > 0) bytes_.push_back(static_cast<uint8_t>(acc_ << (8 - count_)));
        count_ = 0;
        acc_ = 0;
        return std::move(bytes_);
    }

private:
    std::vector<uint8_t> bytes_;
    uint8_t acc_ = 0;
    int count_ = 0;
};

}  // namespace

std::vector<uint8_t> encodePackedBlock(const uint8_t* data, size_t size) {
    if (size > kMaxBlockInput) throw std::invalid_argument("block input over 262,144 bytes");
    // The decoder predicts the source of every copy from the last two bytes written, so the
    // encoder keeps the same table and only decides, at each position, whether the predicted
    // source repeats the coming bytes. Greedy: take the whole repeat whenever there is one.
    std::vector<int32_t> table(65536, -1);
    std::vector<uint8_t> literals;
    BitWriter stream;
    size_t p = 0;
    uint32_t h = 0;
    size_t runStart = 0;  // first literal of the pending run
    auto advance = [&](size_t pos) {
        table[h] = static_cast<int32_t>(pos);
        h = ((h << 8) | data[pos]) & 0xFFFF;
    };
    while (p < size) {
        int32_t q = table[h];
        size_t len = 0;
        if (q >= 0) {
            size_t src = static_cast<size_t>(q);
            while (p + len < size && data[src + len] == data[p + len]) ++len;
        }
        if (len == 0) {
            literals.push_back(data[p]);
            advance(p);
            ++p;
            continue;
        }
        stream.gamma(static_cast<uint32_t>(p - runStart));
        stream.gamma(static_cast<uint32_t>(len - 1));
        for (size_t i = 0; i < len; ++i) advance(p + i);
        p += len;
        runStart = p;
    }
    if (runStart < size) stream.gamma(static_cast<uint32_t>(size - runStart));
    std::vector<uint8_t> bitBytes = stream.finish();

    std::vector<uint8_t> out;
    out.reserve(24 + literals.size() + bitBytes.size());
    putMagic(out, "GCE1");
    put32(out, static_cast<uint32_t>(size));
    put32(out, 0);
    put32(out, static_cast<uint32_t>(literals.size()));
    put32(out, static_cast<uint32_t>(literals.size()));
    put32(out, static_cast<uint32_t>(bitBytes.size()));
    append(out, literals);
    append(out, bitBytes);
    return out;
}

std::vector<uint8_t> encodeBlock(const uint8_t* data, size_t size) {
    std::vector<uint8_t> packed = encodePackedBlock(data, size);
    if (packed.size() < 8 + size) return packed;
    std::vector<uint8_t> out;
    out.reserve(8 + size);
    putMagic(out, "GCE0");
    put32(out, static_cast<uint32_t>(size));
    append(out, data, size);
    return out;
}

std::vector<uint8_t> encodeBlocks(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    for (size_t done = 0; done < size;) {
        size_t n = std::min(kMaxBlockInput, size - done);
        std::vector<uint8_t> block = encodeBlock(data + done, n);
        append(out, block);
        done += n;
    }
    return out;
}

namespace {

// Old name records: a one-byte length when the record's second byte (the name's first byte)
// tells the reader so, else a two-byte length whose high byte stays below 0x20.
void putOldName(std::vector<uint8_t>& out, const std::string& name, int lengthBytes) {
    bool oneByte = lengthBytes == 1 && !name.empty() && name.size() <= 255 && static_cast<uint8_t>(name[0]) >= 0x20;
    if (oneByte) {
        out.push_back(static_cast<uint8_t>(name.size()));
    } else {
        if (name.size() >= 0x2000) throw std::invalid_argument("name too long for an old directory: " + name);
        put16(out, static_cast<uint16_t>(name.size()));
    }
    append(out, name.data(), name.size());
}

std::vector<uint8_t> storedData(const Entry& e, bool compress) {
    if (!compress) return e.data;
    return encodeBlocks(e.data.data(), e.data.size());
}

std::vector<uint8_t> oldDirectory(const std::vector<Entry>& entries, const std::vector<std::vector<uint8_t>>& stored,
                                  const Options& o) {
    std::vector<uint8_t> table;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        if (e.data.size() > 0xFFFFFFFFu || stored[i].size() > 0xFFFFFFFFu)
            throw std::invalid_argument("entry too large for an old directory: " + e.name);
        table.push_back(o.compressData ? 0x1 : 0x0);
        put16(table, 0);
        table.push_back(0);
        put32(table, gflCrc32(e.data.data(), e.data.size()));
        put32(table, 0);
        put32(table, static_cast<uint32_t>(stored[i].size()));
        put32(table, static_cast<uint32_t>(e.data.size()));
        put32(table, e.attribute);
        put64(table, e.fileTime);
    }
    for (const Entry& e : entries) putOldName(table, e.name, o.nameLengthBytes);

    std::vector<uint8_t> body;
    if (o.compressTable) {
        put32(body, static_cast<uint32_t>(table.size()));
        std::vector<uint8_t> blocks = encodeBlocks(table.data(), table.size());
        append(body, blocks);
    } else {
        body = std::move(table);
    }
    std::vector<uint8_t> dir;
    putMagic(dir, o.kind == DirectoryKind::Gce1 ? "GCE1" : "GCE0");
    put32(dir, (o.compressTable ? 0x1u : 0u) | (o.directoryCrc ? 0x2u : 0u));
    put32(dir, static_cast<uint32_t>(entries.size()));
    put32(dir, static_cast<uint32_t>(16 + body.size() + (o.directoryCrc ? 4 : 0)));
    append(dir, body);
    if (o.directoryCrc) put32(dir, gflCrc32(dir.data(), dir.size()));
    return dir;
}

std::vector<uint8_t> gce3Directory(const std::vector<Entry>& entries, const std::vector<std::vector<uint8_t>>& stored,
                                   const Options& o) {
    std::vector<uint8_t> table;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        put32(table, gflCrc32(e.data.data(), e.data.size()));
        put32(table, e.attribute);
        put64(table, e.fileTime);
        put64(table, e.data.size());
        put64(table, stored[i].size());
    }
    for (const Entry& e : entries) {
        if (e.name.size() > 0xFFFF) throw std::invalid_argument("name too long: " + e.name);
        put16(table, static_cast<uint16_t>(e.name.size()));
        append(table, e.name.data(), e.name.size());
    }
    std::vector<uint8_t> dir;
    putMagic(dir, "GCE3");
    put32(dir, (o.compressTable ? 0x1u : 0u) | (o.compressData ? 0x10u : 0u) | (o.noData ? 0x100u : 0u));
    put64(dir, 0);  // block size, set below
    put32(dir, 0);
    put32(dir, 0);  // CRC, set below
    put32(dir, static_cast<uint32_t>(entries.size()));
    put32(dir, 0);
    if (o.compressTable) {
        put64(dir, table.size());
        std::vector<uint8_t> blocks = encodeBlocks(table.data(), table.size());
        append(dir, blocks);
    } else {
        append(dir, table);
    }
    uint64_t s = dir.size();
    for (int i = 0; i < 8; ++i) dir[8 + static_cast<size_t>(i)] = static_cast<uint8_t>(s >> (8 * i));
    set32(dir, 20, gflCrc32(dir.data(), dir.size()));
    return dir;
}

}  // namespace

std::vector<uint8_t> buildArchive(const std::vector<Entry>& entries, const Options& o) {
    std::vector<std::vector<uint8_t>> stored;
    stored.reserve(entries.size());
    for (const Entry& e : entries) stored.push_back(storedData(e, o.compressData));

    const bool old = o.kind != DirectoryKind::Gce3;
    std::vector<uint8_t> dir = old ? oldDirectory(entries, stored, o) : gce3Directory(entries, stored, o);
    std::vector<uint8_t> out;
    const bool wrapped = o.wrapper || !old;
    if (wrapped) {
        uint64_t dataSize = 0;
        for (const auto& s : stored) dataSize += s.size();
        putMagic(out, "GCEX");
        put32(out, 0);
        put64(out, 16 + dataSize);
        for (const auto& s : stored) append(out, s);
        append(out, dir);
    } else {
        out = std::move(dir);
        for (const auto& s : stored) append(out, s);
    }
    return out;
}

bool writeArchive(const std::string& hostPath, const std::vector<Entry>& entries, const Options& options,
                  std::string* error) {
    std::vector<uint8_t> bytes;
    try {
        bytes = buildArchive(entries, options);
    } catch (const std::exception& ex) {
        if (error) *error = ex.what();
        return false;
    }
    std::FILE* f = std::fopen(hostPath.c_str(), "wb");
    if (!f) {
        if (error) *error = "cannot create " + hostPath;
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok && error) *error = "cannot write " + hostPath;
    return ok;
}

std::vector<uint8_t> buildEmptyEntriesArchive(uint32_t n, DirectoryKind kind, uint64_t padTo) {
    const bool gce3 = kind == DirectoryKind::Gce3;
    const uint64_t tableSize = uint64_t{34} * n;
    const std::vector<uint8_t> zeros(kMaxBlockInput, 0);
    const std::vector<uint8_t> full = encodeBlock(zeros.data(), kMaxBlockInput);
    std::vector<uint8_t> blocks;
    for (uint64_t left = tableSize; left > 0;) {
        const size_t take = static_cast<size_t>(std::min<uint64_t>(left, kMaxBlockInput));
        append(blocks, take == kMaxBlockInput ? full : encodeBlock(zeros.data(), take));
        left -= take;
    }
    std::vector<uint8_t> out;
    putMagic(out, "GCEX");
    put32(out, 0);
    put64(out, 16);  // the directory follows at once: no entry has data
    const size_t dir = out.size();
    if (gce3) {
        putMagic(out, "GCE3");
        put32(out, 0x1);  // compressed table
        put64(out, 32 + 8 + blocks.size());
        put64(out, 0);  // CRC at 20, set below
        put32(out, n);
        put32(out, 0);
        put64(out, tableSize);
    } else {
        putMagic(out, "GCE0");
        put32(out, 0x1);  // compressed table, no CRC
        put32(out, n);
        put32(out, static_cast<uint32_t>(16 + 4 + blocks.size()));
        put32(out, static_cast<uint32_t>(tableSize));
    }
    append(out, blocks);
    if (gce3) set32(out, dir + 20, gflCrc32(out.data() + dir, out.size() - dir));
    if (out.size() < padTo) out.resize(static_cast<size_t>(padTo), 0);
    return out;
}

uint64_t fileTimeFromUnix(int64_t seconds) { return static_cast<uint64_t>((seconds + 11644473600LL) * 10000000LL); }

}  // namespace gcepack
