// Stand-in for libFuzzer in the ordinary build: runs the target on the files named on the
// command line, then on seeded random inputs and on mutations of the target's own seeds.
// Deterministic, so a failure in CI reproduces with the same command.
#include "support/fuzz.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

__attribute__((weak)) std::vector<std::vector<uint8_t>> mjFuzzSeeds() { return {}; }

namespace {

void runOne(const std::vector<uint8_t>& in) {
    // Copy into an exact-size heap block so ASan sees any read past the end.
    auto* p = static_cast<uint8_t*>(std::malloc(in.empty() ? 1 : in.size()));
    if (!in.empty()) std::memcpy(p, in.data(), in.size());
    LLVMFuzzerTestOneInput(p, in.size());
    std::free(p);
}

std::vector<uint8_t> mutate(std::vector<uint8_t> v, std::mt19937& rng) {
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < edits; ++i) {
        switch (rng() % 6) {
            case 0:  // flip a byte
                if (!v.empty()) v[rng() % v.size()] = static_cast<uint8_t>(rng());
                break;
            case 1:  // truncate
                if (!v.empty()) v.resize(rng() % v.size());
                break;
            case 2:  // insert a byte
                v.insert(v.begin() + static_cast<long>(v.empty() ? 0 : rng() % (v.size() + 1)),
                         static_cast<uint8_t>(rng()));
                break;
            case 3:  // set an interesting value
                if (v.size() >= 4) {
                    static const uint32_t magic[] = {0,      1,          0x7f,        0x80,       0xff,
                                                     0xffff, 0x7fffffff, 0x80000000u, 0xffffffffu};
                    uint32_t m = magic[rng() % std::size(magic)];
                    std::memcpy(&v[rng() % (v.size() - 3)], &m, 4);
                }
                break;
            case 4:  // flip a bit
                if (!v.empty()) v[rng() % v.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
                break;
            default:  // duplicate a run
                if (v.size() > 2 && v.size() < 1 << 20) {
                    size_t a = rng() % v.size(), n = 1 + rng() % std::min<size_t>(64, v.size() - a);
                    std::vector<uint8_t> run(v.begin() + static_cast<long>(a), v.begin() + static_cast<long>(a + n));
                    v.insert(v.begin() + static_cast<long>(rng() % v.size()), run.begin(), run.end());
                }
                break;
        }
    }
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    long runs = 10000;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "-runs=", 6) == 0) {
            runs = std::strtol(argv[i] + 6, nullptr, 10);
            continue;
        }
        std::ifstream f(argv[i], std::ios::binary);
        std::vector<uint8_t> in((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        runOne(in);
    }
    std::mt19937 rng(12345);
    const auto seeds = mjFuzzSeeds();
    for (const auto& s : seeds) runOne(s);
    for (long r = 0; r < runs; ++r) {
        if (!seeds.empty() && r % 4 != 0) {
            runOne(mutate(seeds[rng() % seeds.size()], rng));
        } else {
            std::vector<uint8_t> in(rng() % 512);
            for (auto& b : in) b = static_cast<uint8_t>(rng());
            runOne(in);
        }
    }
    std::printf("fuzz: %ld runs, %zu seeds, no faults\n", runs, seeds.size());
    return 0;
}
