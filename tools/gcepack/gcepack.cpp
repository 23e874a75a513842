// gcepack: packs files into a resource archive the game reads, or lists one.
//
//   gcepack [options] ARCHIVE (FILE | FOLDER)...   pack; a folder adds every file under it,
//                                                   named by its path inside that folder
//                                                   (names must stay apart in any letter case)
//   gcepack -l ARCHIVE                             list the entries
// Options: -k gce3|gce0|gce1  directory kind (default gce3)
//          -z                 compress entry data      -t   compress the directory table
//          --no-wrap          old kinds without the "GCEX" header
//          --no-crc           old kinds without the directory CRC
//          --name-bytes 1|2   old kinds: name length bytes (default 1)
//          --no-data          gce3: mark entries as holding no extractable data
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "gce_inputs.h"
#include "gce_writer.h"
#include "platform/codepage.h"
#include "storage/gfl_gce_archive.h"

namespace fs = std::filesystem;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: gcepack [-k gce3|gce0|gce1] [-z] [-t] [--no-wrap] [--no-crc] [--name-bytes 1|2]\n"
                 "               [--no-data] ARCHIVE (FILE|FOLDER)...\n"
                 "       gcepack -l ARCHIVE\n");
    return 2;
}

int list(const std::string& path) {
    GflGceArchive archive;
    archive.setPath(path);
    if (!archive.open()) {
        std::fprintf(stderr, "gcepack: %s is not a readable archive\n", path.c_str());
        return 1;
    }
    for (uint32_t i = 0; i < archive.count(); ++i) {
        std::printf("%10llu %10llu %08x  %s\n", static_cast<unsigned long long>(archive.unpackedSize(i)),
                    static_cast<unsigned long long>(archive.storedSize(i)), archive.crc(i),
                    gcepack::listingName(archive.name(i)).c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    gcepack::Options options;
    std::vector<std::string> args;
    bool listMode = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-l") {
            listMode = true;
        } else if (a == "-k" && i + 1 < argc) {
            std::string k = argv[++i];
            if (k == "gce3")
                options.kind = gcepack::DirectoryKind::Gce3;
            else if (k == "gce0")
                options.kind = gcepack::DirectoryKind::Gce0;
            else if (k == "gce1")
                options.kind = gcepack::DirectoryKind::Gce1;
            else
                return usage();
        } else if (a == "-z") {
            options.compressData = true;
        } else if (a == "-t") {
            options.compressTable = true;
        } else if (a == "--no-wrap") {
            options.wrapper = false;
        } else if (a == "--no-crc") {
            options.directoryCrc = false;
        } else if (a == "--no-data") {
            options.noData = true;
        } else if (a == "--name-bytes" && i + 1 < argc) {
            options.nameLengthBytes = std::atoi(argv[++i]) == 2 ? 2 : 1;
        } else if (!a.empty() && a[0] == '-') {
            return usage();
        } else {
            args.push_back(a);
        }
    }
    if (listMode) return args.size() == 1 ? list(args[0]) : usage();
    if (args.size() < 2) return usage();

    std::vector<gcepack::Entry> entries;
    std::string error;
    for (size_t i = 1; i < args.size(); ++i) {
        const fs::path p = args[i];
        std::error_code ec;
        std::string name;
        const bool ok = fs::is_directory(p, ec) ? gcepack::addFolder(p, entries, error)
                                                : gcepack::archiveName(p.filename(), name, error) &&
                                                      gcepack::addFile(p, name, entries, error);
        if (!ok) {
            std::fprintf(stderr, "gcepack: %s\n", error.c_str());
            return 1;
        }
    }
    if (!gcepack::checkDistinctNames(entries, error)) {
        std::fprintf(stderr, "gcepack: %s\n", error.c_str());
        return 1;
    }
    if (!gcepack::writeArchive(args[0], entries, options, &error)) {
        std::fprintf(stderr, "gcepack: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
