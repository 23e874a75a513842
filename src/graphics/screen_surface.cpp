#include "graphics/screen_surface.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "graphics/pixel_format.h"
#include "platform/display.h"

namespace graphics {

uint32_t lockDisplay(platform::DisplaySurface& surface, platform::DisplayLock& out) {
    // A driver that never finishes must not hang the frame: after this many tries it counts as failed.
    constexpr int kTries = 100000;
    uint32_t r = platform::dd::kWasStillDrawing;
    for (int i = 0; i < kTries && r == platform::dd::kWasStillDrawing; ++i) r = surface.lock(out);
    return r;
}

bool TScreenSurface32::createScreen(int32_t width, int32_t height) { return createFilled(width, height, 0xFF000000u); }

bool TScreenSurface32::attachDisplay(platform::DisplaySurface* display) {
    display_ = display;
    if (!display) return false;
    int w = 0, h = 0;
    platform::DisplayFormat f;
    if (display->getDesc(w, h, f) != platform::dd::kOk) return false;
    bitCount_ = static_cast<uint16_t>(f.bitCount);
    masks_[0] = f.redMask;
    masks_[1] = f.greenMask;
    masks_[2] = f.blueMask;
    if (f.bitCount > 8) {
        for (int c = 0; c < 3; ++c) {
            const uint32_t m = masks_[c];
            shifts_[c] = m ? static_cast<uint32_t>(std::countr_zero(m)) : 0;
            scales_[c] = m ? 255 / (m >> shifts_[c]) : 0;
            losses_[c] = 8 - static_cast<uint32_t>(std::popcount(m));
        }
    }
    format_ = pixelFormatCode(f.bitCount, f.redMask, f.greenMask, f.blueMask);
    return f.bitCount > 8;
}

uint32_t TScreenSurface32::present(platform::DisplaySurface* target) {
    if (!target) return platform::dd::kInvalidParams;
    platform::DisplayLock lock;
    if (lockDisplay(*target, lock) == platform::dd::kOk && pixels()) {
        // Never beyond the locked memory, whatever size the display surface has.
        const int w = std::min(width(), lock.width), h = std::min(height(), lock.height);
        if (w > 0 && h > 0)
            convertFrame(format_, lock.bits, pixels(), w, h, lock.pitch, static_cast<ptrdiff_t>(pitch()));
    }
    return target->unlock();
}

uint32_t TScreenSurface32::presentRects(platform::DisplaySurface* target, const std::vector<RECT>& rects) {
    if (!target) return platform::dd::kInvalidParams;
    platform::DisplayLock lock;
    if (lockDisplay(*target, lock) == platform::dd::kOk && pixels()) {
        const RECT bounds{0, 0, std::min(width(), lock.width), std::min(height(), lock.height)};
        const ptrdiff_t bytes = (bitCount_ + 7) / 8;
        const uint32_t* frame = std::as_const(*this).pixels();
        for (const RECT& r : rects) {
            const RECT c = intersect(r, bounds);
            if (c.empty()) continue;
            convertFrame(format_, lock.bits + c.top * lock.pitch + c.left * bytes,
                         frame + static_cast<ptrdiff_t>(c.top) * width() + c.left, c.width(), c.height(), lock.pitch,
                         static_cast<ptrdiff_t>(pitch()));
        }
    }
    return target->unlock();
}

}  // namespace graphics
