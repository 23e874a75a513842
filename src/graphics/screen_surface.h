#pragma once
// The surface the frame is composed in: a 32-bit surface of the screen's size that knows the
// display surface it is shown through and that surface's pixel format.
#include <cstdint>
#include <vector>

#include "graphics/surface32.h"

namespace platform {
class DisplaySurface;
struct DisplayLock;
}  // namespace platform

namespace graphics {

class TScreenSurface32 : public TSurface32 {
public:
    TScreenSurface32() = default;
    // The display surface is not released: it belongs to the display device.
    ~TScreenSurface32() override = default;

    // Opaque black of the given size.
    virtual bool createScreen(int32_t width, int32_t height);
    // Reads the display surface's format. False when the query fails or the display has 8 bits
    // a pixel or fewer (the format is still recorded).
    virtual bool attachDisplay(platform::DisplaySurface* display);
    // Converts the frame into the surface (the part both cover) and returns what Unlock
    // answers; formats without a converter write nothing. A surface still busy drawing is asked
    // again; any other failed lock skips the conversion.
    virtual uint32_t present(platform::DisplaySurface* target);
    // The same for the rectangles only: the rest of the display surface keeps what it shows.
    uint32_t presentRects(platform::DisplaySurface* target, const std::vector<RECT>& rects);

    platform::DisplaySurface* display() const { return display_; }
    uint32_t format() const { return format_; }
    uint16_t bitCount() const { return bitCount_; }
    uint32_t redMask() const { return masks_[0]; }
    uint32_t greenMask() const { return masks_[1]; }
    uint32_t blueMask() const { return masks_[2]; }
    // Per channel (red, green, blue): the mask's lowest set bit, 255 over the channel's largest
    // value, and 8 less the channel's bit count.
    uint32_t shift(int channel) const { return shifts_[channel]; }
    uint32_t scale(int channel) const { return scales_[channel]; }
    uint32_t loss(int channel) const { return losses_[channel]; }

private:
    platform::DisplaySurface* display_ = nullptr;
    uint32_t format_ = 255;
    uint16_t bitCount_ = 0;
    uint32_t masks_[3] = {};
    uint32_t shifts_[3] = {};
    uint32_t scales_[3] = {};
    uint32_t losses_[3] = {};
};

// Locks a display surface, asking again while it is still drawing (at most a bounded number of
// times); the lock's result.
uint32_t lockDisplay(platform::DisplaySurface& surface, platform::DisplayLock& out);

}  // namespace graphics
