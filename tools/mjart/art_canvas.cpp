#include "art_canvas.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <map>

namespace mjart {

namespace {

// 5 x 7 letters, one byte per row (bit 4 the left column).
const std::map<char, std::array<uint8_t, 7>>& glyphs() {
    static const std::map<char, std::array<uint8_t, 7>> g = {
        {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},  {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
        {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},  {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
        {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},  {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
        {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},  {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
        {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},  {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
        {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},  {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
        {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},  {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
        {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},  {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
        {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},  {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
        {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},  {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
        {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},  {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
        {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},  {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
        {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},  {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
        {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}},  {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
        {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},  {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
        {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},  {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
        {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},  {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
        {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}},  {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
        {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},  {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}},
        {'?', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04}},  {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
        {'/', {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10}},  {'!', {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04}},
        {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},  {',', {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}},
        {'(', {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}},  {')', {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08}},
        {'<', {0x02, 0x04, 0x08, 0x10, 0x08, 0x04, 0x02}},  {'>', {0x08, 0x04, 0x02, 0x01, 0x02, 0x04, 0x08}},
        {'=', {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00}},  {'#', {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A}},
        {'\'', {0x04, 0x04, 0x08, 0x00, 0x00, 0x00, 0x00}}, {'_', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F}},
    };
    return g;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

uint32_t mix(uint32_t a, uint32_t b, int num, int den) {
    uint32_t out = 0;
    for (int s = 0; s < 32; s += 8) {
        const int ca = static_cast<int>((a >> s) & 0xFF), cb = static_cast<int>((b >> s) & 0xFF);
        out |= static_cast<uint32_t>(ca + (cb - ca) * num / den) << s;
    }
    return out;
}

}  // namespace

void Canvas::fill(int x, int y, int fw, int fh, uint32_t c) {
    for (int j = std::max(0, y); j < std::min(h, y + fh); ++j)
        for (int i = std::max(0, x); i < std::min(w, x + fw); ++i) px[static_cast<size_t>(j) * w + i] = c;
}

void Canvas::frame(int x, int y, int fw, int fh, uint32_t c, int thickness) {
    for (int t = 0; t < thickness; ++t) {
        fill(x + t, y + t, fw - 2 * t, 1, c);
        fill(x + t, y + fh - 1 - t, fw - 2 * t, 1, c);
        fill(x + t, y + t, 1, fh - 2 * t, c);
        fill(x + fw - 1 - t, y + t, 1, fh - 2 * t, c);
    }
}

void Canvas::gradient(uint32_t top, uint32_t bottom) {
    for (int j = 0; j < h; ++j) fill(0, j, w, 1, mix(top, bottom, j, std::max(1, h - 1)));
}

void Canvas::text(int x, int y, const std::string& s, uint32_t c, int scale) {
    for (char ch : s) {
        const auto it = glyphs().find(static_cast<char>(std::toupper(static_cast<unsigned char>(ch))));
        if (it != glyphs().end())
            for (int r = 0; r < 7; ++r)
                for (int col = 0; col < 5; ++col)
                    if (it->second[r] & (0x10 >> col)) fill(x + col * scale, y + r * scale, scale, scale, c);
        x += 6 * scale;
    }
}

void Canvas::caption(int x, int y, int bw, int bh, const std::string& s, uint32_t c, int scale) {
    while (scale > 1 && (textWidth(s, scale) > bw - 2 || 7 * scale > bh - 2)) --scale;
    text(x + (bw - textWidth(s, scale)) / 2, y + (bh - 7 * scale) / 2, s, c, scale);
}

void Canvas::paste(int x, int y, const Canvas& o) {
    for (int j = 0; j < o.h; ++j)
        for (int i = 0; i < o.w; ++i)
            if (x + i >= 0 && x + i < w && y + j >= 0 && y + j < h)
                px[static_cast<size_t>(y + j) * w + x + i] = o.px[static_cast<size_t>(j) * o.w + i];
}

Canvas plate(int w, int h, const std::string& s, uint32_t bg, uint32_t ink, int scale) {
    Canvas im(w, h, bg);
    im.frame(0, 0, w, h, ink);
    im.caption(0, 0, w, h, s, ink, scale);
    return im;
}

Canvas offset(int w, int h, int x, int y, const Canvas& inner) {
    Canvas im(w, h, kClear);
    im.paste(x, y, inner);
    return im;
}

Canvas digits(int cw, int ch, uint32_t ink, uint32_t bg) {
    Canvas im(10 * cw, ch, bg);
    for (int d = 0; d < 10; ++d) im.caption(d * cw, 0, cw, ch, std::string(1, static_cast<char>('0' + d)), ink, 3);
    return im;
}

std::vector<uint8_t> toBmp(const Canvas& im, bool alpha) {
    const uint32_t depth = alpha ? 4 : 3;
    const uint32_t stride = (static_cast<uint32_t>(im.w) * depth + 3) & ~3u;
    const uint32_t bits = stride * static_cast<uint32_t>(im.h);
    std::vector<uint8_t> out;
    out.reserve(54 + bits);
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + bits);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, static_cast<uint32_t>(im.w));
    put32(out, static_cast<uint32_t>(im.h));
    put16(out, 1);
    put16(out, static_cast<uint16_t>(8 * depth));
    put32(out, 0);
    put32(out, bits);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = im.h - 1; y >= 0; --y) {
        size_t row = out.size();
        for (int x = 0; x < im.w; ++x) {
            const uint32_t c = im.px[static_cast<size_t>(y) * im.w + x];
            out.push_back(static_cast<uint8_t>(c));
            out.push_back(static_cast<uint8_t>(c >> 8));
            out.push_back(static_cast<uint8_t>(c >> 16));
            if (alpha) out.push_back(static_cast<uint8_t>(c >> 24));
        }
        while (out.size() - row < stride) out.push_back(0);
    }
    return out;
}

std::vector<uint8_t> toArgb(const Canvas& im) {
    std::vector<uint8_t> out = {'B', 'G', 'R', 'A'};
    out.reserve(16 + im.px.size() * 4);
    put32(out, 0);
    put32(out, static_cast<uint32_t>(im.w));
    put32(out, static_cast<uint32_t>(im.h));
    for (uint32_t c : im.px) put32(out, c);
    return out;
}

void ArtSet::add(const std::string& name, const Canvas& im) {
    const bool argb = name.size() > 5 && name.compare(name.size() - 5, 5, ".argb") == 0;
    addBytes(name, argb ? toArgb(im) : toBmp(im));
}

void ArtSet::addBytes(const std::string& name, std::vector<uint8_t> bytes) {
    gcepack::Entry e;
    e.name = name;
    e.data = std::move(bytes);
    entries.push_back(std::move(e));
}

std::string fmt(const char* f, int a) {
    char b[96];
    std::snprintf(b, sizeof b, f, a);
    return b;
}

std::string fmt(const char* f, int a, int b) {
    char buf[96];
    std::snprintf(buf, sizeof buf, f, a, b);
    return buf;
}

}  // namespace mjart
