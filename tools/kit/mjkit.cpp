// Writes the demo data kit into a folder: mjkit <folder>.
// With --loose, every archive's members are written as plain files under <folder>/<archive>/
// instead, for looking at the pictures one by one.
#include <cstdio>
#include <string>

#include "kit.h"

int main(int argc, char** argv) {
    const bool loose = argc == 3 && std::string(argv[1]) == "--loose";
    if (argc != 2 && !loose) {
        std::fprintf(stderr, "usage: mjkit [--loose] <folder>\n");
        return 2;
    }
    std::string error;
    if (!(loose ? kit::writeLooseKit(argv[2], &error) : kit::writeKit(argv[1], &error))) {
        std::fprintf(stderr, "mjkit: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
