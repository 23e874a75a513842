// Drawable objects, the screen object and the display with arbitrary positions, sizes, dirty
// rectangles, tiles, cross-fades and display formats: whatever the numbers, drawing stays inside
// the surfaces and every call returns.
#include <bit>
#include <vector>

#include "fuzz_reader.h"
#include "graphics/cross_fade.h"
#include "graphics/gr_kinds.h"
#include "graphics/graphic.h"
#include "graphics/pixel_format.h"
#include "graphics/spr_set.h"
#include "platform/display.h"
#include "support/fuzz.h"

using namespace graphics;

namespace {

const platform::DisplayFormat kFormats[] = {
    {16, 0x7C00, 0x03E0, 0x001F},
    {16, 0xF800, 0x07E0, 0x001F},
    {24, 0xFF0000, 0xFF00, 0xFF},
    {24, 0xFF, 0xFF00, 0xFF0000},
    {32, 0xFF0000, 0xFF00, 0xFF},
    {32, 0xFF, 0xFF00, 0xFF0000},
    {8, 0, 0, 0},
    {16, 0x0F00, 0x00F0, 0x000F},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzReader r{data, size};
    TGraphic screen;
    if (!screen.create(17, 11, 3)) return 0;
    TSurface32 a, b;
    if (!a.alloc(13, 7) || !b.alloc(9, 9)) return 0;
    const uint32_t pattern = r.word();
    for (int i = 0; i < 13 * 7; ++i) a.pixels()[i] = pattern * static_cast<uint32_t>(i + 1);
    for (int i = 0; i < 9 * 9; ++i) b.pixels()[i] = ~pattern * static_cast<uint32_t>(i + 3);
    TSprObj s1, s2;
    s1.setSurface(&a);
    s2.setSurface(&b);
    TFillObj fill;
    TLightObj light;
    TBlendObj mix;
    mix.setPictures(&s1, &s2, 0);
    TFade fade;
    TSprUnitSet set;  // two units of the two pictures
    set.units().resize(2);
    set.units()[0].setSurface(&a);
    set.units()[1].setSurface(&b);
    set.units()[1].setPos(5, 3);
    screen.add(0, &s1);
    screen.add(1, &set);
    screen.add(1, &fill);
    screen.add(2, &mix);
    screen.add(2, &light);
    platform::headless::setDisplayFormat(kFormats[r.word() % 8]);
    std::unique_ptr<platform::Display> device;
    std::unique_ptr<platform::DisplaySurface> display;
    platform::Display::create(false, device);
    if (device) device->createOffscreen(1 + r.word() % 24, 1 + r.word() % 16, false, display);
    if (display) screen.attachDisplay(display.get());
    while (r.n > 0) {
        const uint32_t op = r.word();
        TSprObj& s = op & 0x100 ? s2 : s1;
        switch (op % 12) {
            case 0:
                s.setKind(r.word());
                break;
            case 1:
                s.setSourceRect(RECT{r.small(), r.small(), r.small(), r.small()});
                break;
            case 2:
                if (op & 0x800)
                    set.setSize(r.small(), r.small());
                else
                    s.setSize(r.small(), r.small());
                break;
            case 3:
                s.setPos(r.small(), r.small());
                s.setOpacity(r.word());
                s.setSubBlend(r.small());
                break;
            case 4:
                fill.setup(r.small(), r.small(), r.word(), r.word());
                light.setup(r.small(), r.small(), r.word(), r.word());
                fill.setPos(r.small(), r.small());
                break;
            case 5:
                screen.invalidateRect(RECT{r.small(), r.small(), r.small(), r.small()});
                break;
            case 6:
                screen.redraw();
                break;
            case 7:
                s.drawTiled(screen, r.small(), r.small(), r.small(), r.small());
                break;
            case 8:
                crossFade(screen, r.small(), r.small(), s1, r.small(), r.small(), s2, r.word() % 300);
                break;
            case 9:
                mix.setLevel(r.small());
                mix.setOpacity(r.small());
                mix.setPictures(op & 0x200 ? &s1 : nullptr, op & 0x400 ? &s2 : nullptr, r.word());
                break;
            case 10:
                fade.start(0, static_cast<int32_t>(op >> 12 & 1), r.word() % 1000, r.word(), r.small());
                fade.update(r.word() % 2000);
                fade.attach();
                break;
            default:
                if (display) {
                    screen.present(display.get());
                    s.blitToDisplay(*display, r.small(), r.small(), RECT{r.small(), r.small(), r.small(), r.small()});
                    s.drawToDisplay(*display, r.small(), r.small());
                }
                if (op & 0x800) {
                    // Any float a script or a save may hold: NaN, infinite, huge.
                    set.scale(std::bit_cast<float>(r.word()), std::bit_cast<float>(r.word()));
                    set.setPos(r.small(), r.small());
                    (void)set.getSize();
                } else {
                    s.scale(static_cast<float>(r.small()) * 1e3f, static_cast<float>(r.small()));
                }
                break;
        }
    }
    screen.clear();
    display.reset();
    platform::headless::resetDisplay();
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<std::vector<uint8_t>> seeds;
    // pattern, format, display width, height; then operations (word, arguments).
    for (uint8_t format = 0; format < 8; ++format) {
        std::vector<uint8_t> s{0x35, 0x12, 0xA0, 0x7F, format, 0, 0, 0, 16, 0, 0, 0, 10, 0, 0, 0};
        s.insert(s.end(), {0, 0, 0, 0, 9, 0, 0, 0});                 // source alpha
        s.insert(s.end(), {3, 0, 0, 0, 26, 26, 0x80, 0, 0, 0, 50});  // place, opacity
        s.insert(s.end(), {4, 0,  0,  0, 30, 30, 0x40, 0x30, 0x20, 0x80, 0x80, 0,  0,
                           0, 30, 30, 1, 2,  3,  4,    5,    6,    7,    8,    25, 26});    // fill, light
        s.insert(s.end(), {5, 0, 0, 0, 20, 20, 40, 40});                                    // dirty rect
        s.insert(s.end(), {6, 0, 0, 0});                                                    // redraw
        s.insert(s.end(), {7, 0, 0, 0, 22, 22, 50, 50});                                    // tiles
        s.insert(s.end(), {8, 0, 0, 0, 24, 24, 27, 27, 100, 0, 0, 0});                      // cross-fade
        s.insert(s.end(), {10, 0x10, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0xFF, 25, 50, 0, 0, 0});  // fade
        s.insert(s.end(), {11, 0, 0, 0, 24, 24, 20, 20, 40, 40, 25, 25, 25, 25});           // present
        seeds.push_back(s);
    }
    // Dirty rectangles spanning the whole number range, redrawn; a sprite scaled far and drawn.
    std::vector<uint8_t> far{0x35, 0x12, 0xA0, 0x7F, 4, 0, 0, 0, 16, 0, 0, 0, 10, 0, 0, 0};
    for (int i = 0; i < 3; ++i) far.insert(far.end(), {5, 0, 0, 0, 0xFE, 0xFE, 0xFF, 0xFF});
    far.insert(far.end(), {6, 0, 0, 0});
    far.insert(far.end(), {11, 0, 0, 0, 24, 24, 20, 20, 40, 40, 25, 25, 0xFF, 0xFE});
    far.insert(far.end(), {2, 0, 0, 0, 0xFF, 0xFF, 6, 0, 0, 0});
    seeds.push_back(far);
    // The sprite set scaled by NaN, by infinity and by a huge factor, placed far and redrawn.
    std::vector<uint8_t> zoom{0x35, 0x12, 0xA0, 0x7F, 4, 0, 0, 0, 16, 0, 0, 0, 10, 0, 0, 0};
    for (uint32_t bits : {0x7FC00000u, 0x7F800000u, 0x7F000000u, 0xFF7FFFFFu}) {
        zoom.insert(zoom.end(), {0x03, 0x08, 0, 0, 30, 30, 20, 20, 40, 40, 25, 25});  // present, then the set
        for (int i = 0; i < 2; ++i)
            zoom.insert(zoom.end(), {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)});
        zoom.insert(zoom.end(), {0xFE, 0xFF});
        zoom.insert(zoom.end(), {5, 0, 0, 0, 0xFE, 0xFE, 0xFF, 0xFF, 6, 0, 0, 0});
    }
    seeds.push_back(zoom);
    return seeds;
}
