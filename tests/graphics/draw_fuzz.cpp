// Sprites drawn with arbitrary positions, rectangles, sizes, kinds, masks and clip rectangles:
// whatever the numbers, drawing stays inside both surfaces.
#include <vector>

#include "fuzz_reader.h"
#include "graphics/blitter.h"
#include "graphics/sprite.h"
#include "graphics/surface32.h"
#include "graphics/surface8.h"
#include "support/fuzz.h"

using namespace graphics;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzReader r{data, size};
    TSurface32 src, dst;
    if (!src.alloc(13, 7) || !dst.alloc(17, 11)) return 0;
    const uint32_t pattern = r.word();
    for (int i = 0; i < 13 * 7; ++i)
        src.pixels()[i] = (pattern * static_cast<uint32_t>(i + 1)) ^ (i % 3 ? 0u : 0xFF000000u);
    dst.fill(0x80402010);
    dst.setHasAlpha(r.word() & 1);
    TSurface8 map;
    map.createFill(5, 3, 77);
    TAlphaMask mask;
    if (r.word() & 1) mask.setMap(&map);
    TSprite32 sp;
    sp.setSurface(&src);
    while (r.n > 0) {
        const uint32_t op = r.word();
        switch (op % 9) {
            case 0:
                sp.setKind(r.word());
                break;
            case 1:
                sp.setSourceRect(RECT{r.small(), r.small(), r.small(), r.small()});
                break;
            case 2:
                sp.setSize(r.small(), r.small());
                break;
            case 3:
                dst.setClip(RECT{r.small(), r.small(), r.small(), r.small()});
                break;
            case 4:
                sp.setModulate(r.word());
                sp.setMask(&mask);
                break;
            case 5:
                sp.draw(dst, r.small(), r.small());
                break;
            case 6:
                sp.drawTo(dst, r.small(), r.small());
                break;
            case 7:
                dst.fillTriangle(r.small(), r.small(), r.small(), r.small(), r.small(), r.small(), r.word());
                break;
            default: {
                const RECT rc{r.small(), r.small(), r.small(), r.small()};
                const int32_t x = r.small(), y = r.small(), w = r.small(), h = r.small();
                blitKernel(static_cast<int>(op >> 8), op >> 16)(dst, x, y, sp, rc, w, h);
                sp.smoothBlit(dst, x, y, rc, w, h);
                dst.copyRect(x, y, src, rc);
                // The outline walks up to its whole radius when the centre lies far away.
                dst.drawCircle(x, y, w % 2000000, r.word());
                dst.drawRect(rc.left, rc.top, rc.right, rc.bottom, r.word());
                mask.draw(dst, x, y, r.word(), op >> 24);
                break;
            }
        }
    }
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<std::vector<uint8_t>> seeds;
    // pattern, destination alpha, mask on; then operations (word, arguments).
    for (uint8_t kind = 0; kind < 32; kind += 3) {
        std::vector<uint8_t> s{0x35, 0x12, 0xA0, 0x7F, 1, 0, 0, 0, 1, 0, 0, 0};
        s.insert(s.end(), {0, 0, 0, 0, kind, 0, 0, 0});           // setKind
        s.insert(s.end(), {4, 0, 0, 0, 0x80, 0x40, 0x80, 0xC0});  // modulate, mask
        s.insert(s.end(), {3, 0, 0, 0, 20, 20, 40, 40});          // clip
        s.insert(s.end(), {5, 0, 0, 0, 20, 22});                  // draw
        s.insert(s.end(), {2, 0, 0, 0, 60, 40});                  // size
        s.insert(s.end(), {5, 0, 0, 0, 10, 30});                  // draw stretched
        s.insert(s.end(), {6, 0, 0, 0, 30, 10});                  // drawTo
        s.insert(s.end(), {7, 0, 0, 0, 1, 2, 50, 20, 30, 60, 0xFF, 0, 0, 0x80});
        s.insert(s.end(), {8, kind, kind, 0, 24, 24, 30, 30, 26, 26, 30, 30, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
        seeds.push_back(s);
    }
    return seeds;
}
