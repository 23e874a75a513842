// Any bytes as a save file: the slot scan's record reader and the loader's state offset either
// refuse it or stay inside it, and an accepted record written back reads the same.
#include <cstdlib>
#include <string_view>

#include "script/save_file.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    TRecord r;
    if (g2ReadSaveRecord(file, r)) {
        TRecord again;
        if (!g2ReadSaveRecord(g2SaveFileBytes(r, ""), again) || again.info1 != r.info1 || again.info3 != r.info3 ||
            again.time != r.time)
            std::abort();
    }
    size_t offset = 0;
    if (g2SaveStateOffset(file, offset) && offset > size) std::abort();
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    TRecord r;
    r.info1 = "slot", r.info2 = "\x82\xa0", r.time = 12345, r.saveCount = 2;
    const std::string bytes = g2SaveFileBytes(r, "state");
    return {std::vector<uint8_t>(bytes.begin(), bytes.end())};
}
