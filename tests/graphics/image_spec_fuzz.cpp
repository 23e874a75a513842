// Image specifications of any bytes: parsed, made into a sprite over a picture that always
// loads, drawn; and queued and worked through a surface set.
#include <cstring>
#include <string>
#include <vector>

#include "fake_store.h"
#include "graphics/spr_maker.h"
#include "support/fuzz.h"

using namespace graphics;

namespace {

class AnyPicture : public FakeStore {
public:
    graphics::TSurface32* loadSurfaceWith(const std::string& name, const graphics::TImageTrans*, bool) override {
        auto* s = new graphics::TSurface32;
        s->createFilled(static_cast<int32_t>(name.size() % 13) + 1, 7, 0xFF20A0F0u);
        return s;
    }
};

}  // namespace

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<std::vector<uint8_t>> seeds;
    for (const char* s : {"a.bmp;b(4,2,3,1);t1", "a.bmp;c(0x1,02,-3,40);tx00ff00;tp12", "x;s(1,1,1,1);t;q"})
        seeds.emplace_back(s, s + std::strlen(s));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AnyPicture store;
    const std::string spec(reinterpret_cast<const char*>(data), size);
    TSurfaceSet set;
    TSprUnitObj unit;
    TSurface32 target;
    target.createFilled(16, 16, 0xFF000000u);
    if (unit.create(spec, 3, -2, set)) unit.draw(target);
    set.queue(spec);
    set.processQueue(0);
    set.processQueue(1000);
    set.release(spec);
    return 0;
}
