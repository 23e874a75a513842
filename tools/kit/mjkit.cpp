// Writes the demo data kit into a folder: mjkit <folder>.
// With --loose, every archive's members are written as plain files under <folder>/<archive>/
// instead, for looking at the pictures one by one.
#include <cstdio>
#include <string>

#include "kit.h"

namespace {

const char kUsage[] =
    "usage: mjkit [--loose] FOLDER\n"
    "  FOLDER   where the kit's archives and files are written (made when missing)\n"
    "  --loose  write every archive's members as plain files under FOLDER/<archive>/ instead\n"
    "  --help   print this and exit\n"
    "Exits with 1 when the kit could not be written, 2 on a bad argument.\n";

int badArgument(const std::string& what) {
    std::fprintf(stderr, "mjkit: %s\n", what.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool loose = false;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "--loose") {
            loose = true;
        } else if (a.rfind("-", 0) == 0) {
            // A folder of that name would be one nobody asked for.
            return badArgument("unknown argument '" + a + "' (--help lists the arguments)");
        } else if (!folder.empty()) {
            return badArgument("one folder only, got '" + folder + "' and '" + a + "'");
        } else {
            folder = a;
        }
    }
    if (folder.empty()) return badArgument("expected the folder to write the kit into (--help lists the arguments)");
    std::string error;
    if (!(loose ? kit::writeLooseKit(folder, &error) : kit::writeKit(folder, &error))) {
        std::fprintf(stderr, "mjkit: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
