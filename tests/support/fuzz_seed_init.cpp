// Linked into the libFuzzer builds: writes the target's own seeds (mjFuzzSeeds) into the folder
// named by MJ_FUZZ_SEED_DIR before fuzzing starts, so that when that folder is also the corpus
// the mutations begin from valid inputs instead of from nothing.
#include "support/fuzz.h"

#include <cstdio>
#include <cstdlib>
#include <string>

__attribute__((weak)) std::vector<std::vector<uint8_t>> mjFuzzSeeds() { return {}; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* dir = std::getenv("MJ_FUZZ_SEED_DIR");
    if (!dir || !*dir) return 0;
    const auto seeds = mjFuzzSeeds();
    for (size_t i = 0; i < seeds.size(); ++i) {
        const std::string path = std::string(dir) + "/seed-" + std::to_string(i);
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            if (!seeds[i].empty()) std::fwrite(seeds[i].data(), 1, seeds[i].size(), f);
            std::fclose(f);
        }
    }
    return 0;
}
