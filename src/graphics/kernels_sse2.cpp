// The packed row kernels on 128-bit vectors (present on every x86-64 processor).
#include "graphics/kernels.h"

#if defined(__SSE2__) && !defined(MJ_PLAIN_PIXELS)
#include <emmintrin.h>

namespace graphics {
namespace {

using V = __m128i;
constexpr int kLanes = 4;
constexpr int kAllBits = 0xFFFF;

inline V load(const void* p) { return _mm_loadu_si128(static_cast<const V*>(p)); }
inline void store(void* p, V v) { _mm_storeu_si128(static_cast<V*>(p), v); }
inline V set1(uint32_t x) { return _mm_set1_epi32(static_cast<int>(x)); }
inline V zero() { return _mm_setzero_si128(); }
inline V vand(V a, V b) { return _mm_and_si128(a, b); }
inline V vor(V a, V b) { return _mm_or_si128(a, b); }
inline V vandnot(V a, V b) { return _mm_andnot_si128(a, b); }
inline V cmpeq32(V a, V b) { return _mm_cmpeq_epi32(a, b); }
inline V srli32(V a, int n) { return _mm_srli_epi32(a, n); }
inline V slli32(V a, int n) { return _mm_slli_epi32(a, n); }
inline V unpacklo8z(V a) { return _mm_unpacklo_epi8(a, _mm_setzero_si128()); }
inline V unpackhi8z(V a) { return _mm_unpackhi_epi8(a, _mm_setzero_si128()); }
inline V unpacklo32(V a, V b) { return _mm_unpacklo_epi32(a, b); }
inline V unpackhi32(V a, V b) { return _mm_unpackhi_epi32(a, b); }
inline V mullo16(V a, V b) { return _mm_mullo_epi16(a, b); }
inline V mulhi16u(V a, V b) { return _mm_mulhi_epu16(a, b); }
inline V add16(V a, V b) { return _mm_add_epi16(a, b); }
inline V sub16(V a, V b) { return _mm_sub_epi16(a, b); }
inline V srli16(V a, int n) { return _mm_srli_epi16(a, n); }
inline V packus16(V a, V b) { return _mm_packus_epi16(a, b); }
inline V addsu8(V a, V b) { return _mm_adds_epu8(a, b); }
inline V subsu8(V a, V b) { return _mm_subs_epu8(a, b); }
inline int movemask8(V a) { return _mm_movemask_epi8(a); }

#include "graphics/kernels_simd.inc"

}  // namespace

const RowKernels* sse2Kernels() { return &kPacked; }

}  // namespace graphics

#else

namespace graphics {
const RowKernels* sse2Kernels() { return nullptr; }
}  // namespace graphics

#endif
