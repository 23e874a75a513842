// The packed row kernels on 256-bit vectors. This file alone is compiled for AVX2 and runs only
// after the processor test found it; it includes no shared inline code on purpose.
#include "graphics/kernels.h"

#if defined(__AVX2__) && !defined(MJ_PLAIN_PIXELS)
#include <immintrin.h>

namespace graphics {
namespace {

using V = __m256i;
constexpr int kLanes = 8;
constexpr int kAllBits = -1;

inline V load(const void* p) { return _mm256_loadu_si256(static_cast<const V*>(p)); }
inline void store(void* p, V v) { _mm256_storeu_si256(static_cast<V*>(p), v); }
inline V set1(uint32_t x) { return _mm256_set1_epi32(static_cast<int>(x)); }
inline V zero() { return _mm256_setzero_si256(); }
inline V vand(V a, V b) { return _mm256_and_si256(a, b); }
inline V vor(V a, V b) { return _mm256_or_si256(a, b); }
inline V vandnot(V a, V b) { return _mm256_andnot_si256(a, b); }
inline V cmpeq32(V a, V b) { return _mm256_cmpeq_epi32(a, b); }
inline V srli32(V a, int n) { return _mm256_srli_epi32(a, n); }
inline V slli32(V a, int n) { return _mm256_slli_epi32(a, n); }
inline V unpacklo8z(V a) { return _mm256_unpacklo_epi8(a, _mm256_setzero_si256()); }
inline V unpackhi8z(V a) { return _mm256_unpackhi_epi8(a, _mm256_setzero_si256()); }
inline V unpacklo32(V a, V b) { return _mm256_unpacklo_epi32(a, b); }
inline V unpackhi32(V a, V b) { return _mm256_unpackhi_epi32(a, b); }
inline V mullo16(V a, V b) { return _mm256_mullo_epi16(a, b); }
inline V mulhi16u(V a, V b) { return _mm256_mulhi_epu16(a, b); }
inline V add16(V a, V b) { return _mm256_add_epi16(a, b); }
inline V sub16(V a, V b) { return _mm256_sub_epi16(a, b); }
inline V srli16(V a, int n) { return _mm256_srli_epi16(a, n); }
inline V packus16(V a, V b) { return _mm256_packus_epi16(a, b); }
inline V addsu8(V a, V b) { return _mm256_adds_epu8(a, b); }
inline V subsu8(V a, V b) { return _mm256_subs_epu8(a, b); }
inline int movemask8(V a) { return _mm256_movemask_epi8(a); }

#include "graphics/kernels_simd.inc"

}  // namespace

const RowKernels* avx2Kernels() { return &kPacked; }

}  // namespace graphics

#else

namespace graphics {
const RowKernels* avx2Kernels() { return nullptr; }
}  // namespace graphics

#endif
