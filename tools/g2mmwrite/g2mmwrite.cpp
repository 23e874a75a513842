// g2mmwrite: writes a variable map file from its readable description, or describes one.
//
//   g2mmwrite DESCRIPTION MAP.g2m    write the map (see map_description.h for the statements)
//   g2mmwrite -d MAP.g2m             print the map's description
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "framework/stream.h"
#include "map_description.h"
#include "script/memory_map_file.h"

namespace {

bool slurp(const char* path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: g2mmwrite DESCRIPTION MAP.g2m\n       g2mmwrite -d MAP.g2m\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return usage();
    std::string input;
    const bool describe = std::strcmp(argv[1], "-d") == 0;
    if (!slurp(argv[describe ? 2 : 1], input)) {
        std::fprintf(stderr, "g2mmwrite: cannot read %s\n", argv[describe ? 2 : 1]);
        return 1;
    }
    G2MapImage map;
    if (describe) {
        TMemoryStream m(input.data(), static_cast<uint32_t>(input.size()));
        if (!readMemoryMap(m, map)) {
            std::fprintf(stderr, "g2mmwrite: %s is no whole variable map\n", argv[2]);
            return 1;
        }
        std::fputs(g2mm::formatDescription(map).c_str(), stdout);
        return 0;
    }
    std::string error;
    if (!g2mm::parseDescription(input, map, error)) {
        std::fprintf(stderr, "g2mmwrite: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    TMemoryStream out;
    writeMemoryMap(out, map);
    std::ofstream file(argv[2], std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.getBuffer()), out.size());
    if (!file.flush()) {
        std::fprintf(stderr, "g2mmwrite: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
