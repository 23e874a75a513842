// Opens arbitrary bytes as an archive file, lists it (as the packer's listing shows it too) and
// extracts every entry.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gce_inputs.h"
#include "gce_writer.h"
#include "storage/gfl_gce_archive.h"
#include "storage/gfl_stream.h"
#include "support/fuzz.h"

namespace {

const std::string& scratchPath() {
    static const std::string path = [] {
        // Memory-backed when the system has it: the target rewrites the file on every input.
        const char* tmp = std::getenv("TMPDIR");
        std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : tmp && *tmp ? tmp : "/tmp";
        return folder + "/gce_archive_fuzz_" + std::to_string(::getpid()) + ".pak";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(scratchPath().c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    struct Remove {
        ~Remove() { std::remove(scratchPath().c_str()); }
    } remove;
    GflGceArchive archive;
    archive.setPath(scratchPath());
    archive.setMessageCallback([](uint32_t, const std::string&, GflGceArchive*) { return 0; });
    if (!archive.open()) return 0;
    std::vector<uint8_t> out;
    const uint32_t n = archive.count();
    for (uint32_t i = 0; i < n && i < 64; ++i) {
        (void)gcepack::listingName(archive.name(i));
        const uint64_t want = archive.unpackedSize(i);
        if (want > (uint64_t{4} << 20)) continue;  // the target's own memory budget
        out.assign(static_cast<size_t>(want), 0);
        try {
            archive.extract(i, out.data(), out.size());
        } catch (const GflException&) {}
    }
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<gcepack::Entry> entries(3);
    entries[0].name = "main.g2m";
    std::string text;
    while (text.size() < 300) text += "script text riichi ";
    entries[0].data.assign(text.begin(), text.end());
    entries[1].name = "bg\\a.bmp";
    entries[1].data = {1, 2, 3, 4, 5};
    entries[2].name = "e";
    std::vector<std::vector<uint8_t>> seeds;
    for (auto kind : {gcepack::DirectoryKind::Gce3, gcepack::DirectoryKind::Gce0, gcepack::DirectoryKind::Gce1}) {
        for (int variant = 0; variant < 4; ++variant) {
            gcepack::Options o;
            o.kind = kind;
            o.compressTable = variant & 1;
            o.compressData = variant & 2;
            o.wrapper = kind == gcepack::DirectoryKind::Gce3 || variant != 3;
            o.nameLengthBytes = variant == 1 ? 2 : 1;
            seeds.push_back(gcepack::buildArchive(entries, o));
        }
    }
    // Directories past the bounds: one entry more than open, and a table that claims to decode
    // past its bound.
    for (auto kind : {gcepack::DirectoryKind::Gce3, gcepack::DirectoryKind::Gce0}) {
        const uint32_t n = GflGceArchive::kMaxEntries + 1;
        seeds.push_back(gcepack::buildEmptyEntriesArchive(n, kind, n));
    }
    std::vector<uint8_t> claims = gcepack::buildEmptyEntriesArchive(2, gcepack::DirectoryKind::Gce3);
    claims[16 + 32 + 3] = 0x01;  // the table's decoded size, 16 MiB more
    seeds.push_back(claims);
    return seeds;
}
