// Writes the placeholder table art archive: mjartpack <path of mj.pak>.
#include <cstdio>

#include "mj_art.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mjartpack <mj.pak>\n");
        return 2;
    }
    std::string error;
    if (!mjart::writeTableArt(argv[1], &error)) {
        std::fprintf(stderr, "mjartpack: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
