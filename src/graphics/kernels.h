#pragma once
// Row kernels: the hot inner loops of fills, copies and the opaque-destination blends, in a
// plain per-pixel form (the reference) and in packed twins chosen once by the processor test.
// Every twin gives exactly the bytes of the plain form.
//
// This header holds declarations only, so the translation unit built for AVX2 cannot leak
// processor-specific copies of shared inline code into the rest of the program.
#include <cstdint>

namespace graphics {

enum class PixelPath { Plain, Sse2, Avx2 };

struct RowKernels {
    // Every pixel := c.
    void (*fill)(uint32_t* d, int n, uint32_t c);
    // Colour c of alpha 1..254 over each pixel: a transparent pixel takes c as it is,
    // any other blends by that alpha.
    void (*blendFill)(uint32_t* d, int n, uint32_t c);
    // Saturating add / subtract of the (already alpha-scaled) colour c on pixels whose alpha
    // is not 0; alpha kept.
    void (*addFill)(uint32_t* d, int n, uint32_t c);
    void (*subFill)(uint32_t* d, int n, uint32_t c);
    void (*copy)(uint32_t* d, const uint32_t* s, int n);
    // Copy that leaves the pixel where the source word equals key.
    void (*keyCopy)(uint32_t* d, const uint32_t* s, int n, uint32_t key);
    // Opaque lerp by a constant opacity o of 1..254.
    void (*lerp)(uint32_t* d, const uint32_t* s, int n, uint32_t o);
    void (*keyLerp)(uint32_t* d, const uint32_t* s, int n, uint32_t o, uint32_t key);
    // Source-alpha lerp under opacity o (1..255): weight 0 skips, 255 copies the word.
    void (*srcAlpha)(uint32_t* d, const uint32_t* s, int n, uint32_t o);
    // Tiled mask onto an opaque destination: level = table[mapRow[col]], the column wrapping
    // at mapW; level 0 skips, 255 writes the opaque source colour, else lerp by the level.
    void (*mask)(uint32_t* d, const uint32_t* s, int n, const uint8_t* mapRow, int mapW, int col, const uint8_t* table);
};

// The plain kernels, always present.
const RowKernels& plainKernels();
// The packed twins, or null when this build or this processor has none.
const RowKernels* sse2Kernels();
const RowKernels* avx2Kernels();

// The kernels of the chosen path.
const RowKernels& rowKernels();

// The processor test that chooses the path. With enable false, or in a build configured for
// plain pixels, the plain path is used. Returns whether a packed path was chosen.
bool detectMmx(bool enable);
// Runs the processor test unless a path has been chosen already (by the test or by
// setPixelPath), so a forced path survives the surfaces made after it.
void ensurePixelPath();
bool hasPackedPixels();
PixelPath pixelPath();
// Forces a path (for tests and benchmarks); a path this processor lacks falls back to the
// best one below it. Returns the path in effect before.
PixelPath setPixelPath(PixelPath path);

// The plain row functions, shared by the packed twins for their tails.
namespace plain {
void fill(uint32_t* d, int n, uint32_t c);
void blendFill(uint32_t* d, int n, uint32_t c);
void addFill(uint32_t* d, int n, uint32_t c);
void subFill(uint32_t* d, int n, uint32_t c);
void copy(uint32_t* d, const uint32_t* s, int n);
void keyCopy(uint32_t* d, const uint32_t* s, int n, uint32_t key);
void lerp(uint32_t* d, const uint32_t* s, int n, uint32_t o);
void keyLerp(uint32_t* d, const uint32_t* s, int n, uint32_t o, uint32_t key);
void srcAlpha(uint32_t* d, const uint32_t* s, int n, uint32_t o);
void mask(uint32_t* d, const uint32_t* s, int n, const uint8_t* mapRow, int mapW, int col, const uint8_t* table);
// One pixel of blendFill, for packed twins that meet a pixel with partial alpha.
uint32_t blendFillPixel(uint32_t d, uint32_t c);
}  // namespace plain

}  // namespace graphics
