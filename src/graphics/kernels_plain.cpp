// The plain per-pixel row kernels and the choice of path.
#include <cstring>

#include "graphics/kernels.h"
#include "graphics/pixel.h"

namespace graphics {

namespace plain {

void fill(uint32_t* d, int n, uint32_t c) {
    for (int i = 0; i < n; ++i) d[i] = c;
}

uint32_t blendFillPixel(uint32_t d, uint32_t c) { return alphaOf(d) == 0 ? c : blendOver(d, c, alphaOf(c)); }

void blendFill(uint32_t* d, int n, uint32_t c) {
    for (int i = 0; i < n; ++i) d[i] = blendFillPixel(d[i], c);
}

void addFill(uint32_t* d, int n, uint32_t c) {
    for (int i = 0; i < n; ++i)
        if (alphaOf(d[i]) != 0) d[i] = (d[i] & 0xFF000000u) | satAdd(d[i], c);
}

void subFill(uint32_t* d, int n, uint32_t c) {
    for (int i = 0; i < n; ++i)
        if (alphaOf(d[i]) != 0) d[i] = (d[i] & 0xFF000000u) | satSub(d[i], c);
}

void copy(uint32_t* d, const uint32_t* s, int n) {
    if (n <= 0) return;
    const size_t bytes = static_cast<size_t>(n) * 4;
    // Only a blit of a surface onto itself can overlap; every other row takes memcpy, which the
    // address sanitizer forwards to the library's copy where its memmove copies byte by byte.
    const auto dAt = reinterpret_cast<uintptr_t>(d), sAt = reinterpret_cast<uintptr_t>(s);
    if (dAt + bytes <= sAt || sAt + bytes <= dAt)
        std::memcpy(d, s, bytes);
    else
        std::memmove(d, s, bytes);
}

void keyCopy(uint32_t* d, const uint32_t* s, int n, uint32_t key) {
    for (int i = 0; i < n; ++i)
        if (s[i] != key) d[i] = s[i];
}

void lerp(uint32_t* d, const uint32_t* s, int n, uint32_t o) {
    for (int i = 0; i < n; ++i) d[i] = graphics::lerp(d[i], s[i], o);
}

void keyLerp(uint32_t* d, const uint32_t* s, int n, uint32_t o, uint32_t key) {
    for (int i = 0; i < n; ++i)
        if (s[i] != key) d[i] = graphics::lerp(d[i], s[i], o);
}

void srcAlpha(uint32_t* d, const uint32_t* s, int n, uint32_t o) {
    uint8_t level[256];
    for (uint32_t a = 0; a < 256; ++a) level[a] = static_cast<uint8_t>(o == 255 ? a : div255(a * o));
    for (int i = 0; i < n; ++i) {
        const uint32_t w = level[alphaOf(s[i])];
        if (w == 0) continue;
        d[i] = w == 255 ? s[i] : graphics::lerp(d[i], s[i], w);
    }
}

void mask(uint32_t* d, const uint32_t* s, int n, const uint8_t* mapRow, int mapW, int col, const uint8_t* table) {
    for (int i = 0; i < n; ++i) {
        const uint32_t l = table[mapRow[col]];
        if (++col == mapW) col = 0;
        if (l == 0) continue;
        d[i] = l == 255 ? (s[i] | 0xFF000000u) : graphics::lerp(d[i], s[i], l);
    }
}

}  // namespace plain

const RowKernels& plainKernels() {
    static const RowKernels k{plain::fill,    plain::blendFill, plain::addFill, plain::subFill,  plain::copy,
                              plain::keyCopy, plain::lerp,      plain::keyLerp, plain::srcAlpha, plain::mask};
    return k;
}

namespace {

PixelPath g_path = PixelPath::Plain;
const RowKernels* g_kernels = nullptr;

bool cpuHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

const RowKernels* kernelsFor(PixelPath p) {
    switch (p) {
        case PixelPath::Avx2:
            return avx2Kernels();
        case PixelPath::Sse2:
            return sse2Kernels();
        case PixelPath::Plain:
            break;
    }
    return &plainKernels();
}

}  // namespace

PixelPath setPixelPath(PixelPath path) {
    const PixelPath before = g_path;
#ifdef MJ_PLAIN_PIXELS
    path = PixelPath::Plain;
#endif
    if (path == PixelPath::Avx2 && (!cpuHasAvx2() || !avx2Kernels())) path = PixelPath::Sse2;
    if (path == PixelPath::Sse2 && !sse2Kernels()) path = PixelPath::Plain;
    g_path = path;
    g_kernels = kernelsFor(path);
    return before;
}

bool detectMmx(bool enable) {
    setPixelPath(enable ? PixelPath::Avx2 : PixelPath::Plain);
    return g_path != PixelPath::Plain;
}

void ensurePixelPath() {
    if (!g_kernels) detectMmx(true);
}

bool hasPackedPixels() { return g_kernels && g_path != PixelPath::Plain; }

PixelPath pixelPath() { return g_path; }

const RowKernels& rowKernels() { return g_kernels ? *g_kernels : plainKernels(); }

}  // namespace graphics
