#pragma once
// A small ARGB canvas for the placeholder art the build draws: flat fills, frames, gradients and
// block letters in a 5 x 7 font (upper case, digits and a few signs), written out as the
// picture files the game loads (24-bit bitmaps and "BGRA" pictures with alpha).
#include <cstdint>
#include <string>
#include <vector>

#include "gce_writer.h"

namespace mjart {

constexpr uint32_t kWhite = 0xFFFFFFFF, kBlack = 0xFF000000, kRed = 0xFFD01010, kGreen = 0xFF108020, kBlue = 0xFF1030C0,
                   kIvory = 0xFFF4EEDC, kGold = 0xFFE0B020, kGrey = 0xFF808080, kClear = 0x00000000;

struct Canvas {
    int w, h;
    std::vector<uint32_t> px;  // ARGB, top row first
    Canvas(int w, int h, uint32_t fill = 0) : w(w), h(h), px(static_cast<size_t>(w) * h, fill) {}

    void fill(int x, int y, int fw, int fh, uint32_t c);
    void frame(int x, int y, int fw, int fh, uint32_t c, int thickness = 1);
    // Top colour to bottom colour, row by row, over the whole canvas.
    void gradient(uint32_t top, uint32_t bottom);
    // Text at a scale; letters the font lacks leave a space.
    void text(int x, int y, const std::string& s, uint32_t c, int scale = 1);
    static int textWidth(const std::string& s, int scale) { return s.empty() ? 0 : (6 * int(s.size()) - 1) * scale; }
    // Text centred in a box; the scale shrinks until it fits.
    void caption(int x, int y, int bw, int bh, const std::string& s, uint32_t c, int scale = 2);
    // Another canvas copied in at (x, y), clipped.
    void paste(int x, int y, const Canvas& other);
};

// A framed plate with a centred caption.
Canvas plate(int w, int h, const std::string& s, uint32_t bg, uint32_t ink, int scale = 2);
// A clear canvas of w x h holding a picture at (x, y): a picture placed where it should not show
// whole (the table puts some above or left of where they show, a plate keeps off the window's edge).
Canvas offset(int w, int h, int x, int y, const Canvas& inner);
// The ground a plate keeps between itself and the window's edges, so that its frame shows whole.
constexpr int kEdgeGround = 3;
// Ten digit cells '0' to '9' side by side.
Canvas digits(int cw, int ch, uint32_t ink, uint32_t bg = 0);

// 24-bit bottom-up bitmap (opaque); with `alpha` a 32-bit one whose fourth byte is the alpha.
std::vector<uint8_t> toBmp(const Canvas& im, bool alpha = false);
// "BGRA", a spare word, width, height, then the pixels top row first.
std::vector<uint8_t> toArgb(const Canvas& im);

// Archive members named by file name; ".argb" names are written with alpha, others as bitmaps.
struct ArtSet {
    std::vector<gcepack::Entry> entries;
    void add(const std::string& name, const Canvas& im);
    // A bitmap that keeps the canvas's alpha, for a ".bmp" picture clear in parts.
    void addBmpWithAlpha(const std::string& name, const Canvas& im) { addBytes(name, toBmp(im, true)); }
    void addBytes(const std::string& name, std::vector<uint8_t> bytes);
};

std::string fmt(const char* f, int a);
std::string fmt(const char* f, int a, int b);

}  // namespace mjart
