#include "ui/BlendRow.h"

#include "ui/STScreenBuffer.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ui {

#if defined(__SSE2__)

namespace {

// Four pixels at once in 16-bit lanes: every channel sum is at most 255 × 255 = 65025, so a
// lane never overflows, and the shift by 8 is the same division as the scalar blend.
// `keptAlpha` selects the source bits that make the top byte: 0xFF000000 in every lane for the
// source alpha, 0 for a zero top byte.
inline __m128i BlendFour(__m128i dst, __m128i src, __m128i keptAlpha) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i colourMask = _mm_set1_epi32(0x00FFFFFF);
  const __m128i all255 = _mm_set1_epi16(255);
  dst = _mm_and_si128(dst, colourMask);
  // Alpha of each pixel, copied into all four lanes of that pixel.
  __m128i alpha = _mm_srli_epi32(src, 24);
  alpha = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
  __m128i alphaLo = _mm_shuffle_epi32(alpha, _MM_SHUFFLE(1, 1, 0, 0));
  __m128i alphaHi = _mm_shuffle_epi32(alpha, _MM_SHUFFLE(3, 3, 2, 2));
  const __m128i srcLo = _mm_unpacklo_epi8(src, zero), srcHi = _mm_unpackhi_epi8(src, zero);
  const __m128i dstLo = _mm_unpacklo_epi8(dst, zero), dstHi = _mm_unpackhi_epi8(dst, zero);
  __m128i lo = _mm_add_epi16(_mm_mullo_epi16(srcLo, alphaLo), _mm_mullo_epi16(dstLo, _mm_sub_epi16(all255, alphaLo)));
  __m128i hi = _mm_add_epi16(_mm_mullo_epi16(srcHi, alphaHi), _mm_mullo_epi16(dstHi, _mm_sub_epi16(all255, alphaHi)));
  __m128i blended = _mm_packus_epi16(_mm_srli_epi16(lo, 8), _mm_srli_epi16(hi, 8));
  // The top byte is the source alpha or 0; a transparent source leaves the background as it was.
  const __m128i alphaByte = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  blended = _mm_or_si128(_mm_and_si128(blended, colourMask), _mm_and_si128(src, keptAlpha));
  const __m128i transparent = _mm_cmpeq_epi32(_mm_and_si128(src, alphaByte), zero);
  return _mm_or_si128(_mm_and_si128(transparent, dst), _mm_andnot_si128(transparent, blended));
}

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VORNALO_BLEND_AVX2 1

// BlendFour on eight pixels: the same steps in both 128-bit lanes.
__attribute__((target("avx2"))) std::size_t BlendEightAtATime(const std::uint32_t* dst,
                                                              const std::uint32_t* src,
                                                              std::uint32_t* out, std::size_t n,
                                                              std::uint32_t keptAlpha) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i colourMask = _mm256_set1_epi32(0x00FFFFFF);
  const __m256i alphaByte = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i all255 = _mm256_set1_epi16(255);
  const __m256i kept = _mm256_set1_epi32(static_cast<int>(keptAlpha));
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i d = _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i)), colourMask);
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    __m256i alpha = _mm256_srli_epi32(s, 24);
    alpha = _mm256_or_si256(alpha, _mm256_slli_epi32(alpha, 16));
    const __m256i alphaLo = _mm256_shuffle_epi32(alpha, _MM_SHUFFLE(1, 1, 0, 0));
    const __m256i alphaHi = _mm256_shuffle_epi32(alpha, _MM_SHUFFLE(3, 3, 2, 2));
    const __m256i lo = _mm256_add_epi16(
        _mm256_mullo_epi16(_mm256_unpacklo_epi8(s, zero), alphaLo),
        _mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), _mm256_sub_epi16(all255, alphaLo)));
    const __m256i hi = _mm256_add_epi16(
        _mm256_mullo_epi16(_mm256_unpackhi_epi8(s, zero), alphaHi),
        _mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), _mm256_sub_epi16(all255, alphaHi)));
    __m256i blended = _mm256_packus_epi16(_mm256_srli_epi16(lo, 8), _mm256_srli_epi16(hi, 8));
    blended = _mm256_or_si256(_mm256_and_si256(blended, colourMask), _mm256_and_si256(s, kept));
    const __m256i transparent = _mm256_cmpeq_epi32(_mm256_and_si256(s, alphaByte), zero);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_blendv_epi8(blended, d, transparent));
  }
  return i;
}

bool HasAvx2() {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return avx2;
}
#endif

}  // namespace

void BlendRow(const std::uint32_t* dst, const std::uint32_t* src, std::uint32_t* out, std::size_t n,
              BlendTopByte top) {
  const std::uint32_t keptAlpha = top == BlendTopByte::kSourceAlpha ? 0xFF000000u : 0u;
  const std::uint32_t mask = 0x00FFFFFFu | keptAlpha;
  std::size_t i = 0;
#if defined(VORNALO_BLEND_AVX2)
  if (HasAvx2()) i = BlendEightAtATime(dst, src, out, n, keptAlpha);
#endif
  const __m128i kept = _mm_set1_epi32(static_cast<int>(keptAlpha));
  for (; i + 4 <= n; i += 4) {
    __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), BlendFour(d, s, kept));
  }
  for (; i < n; ++i) out[i] = STScreenBuffer::BlendPixel(dst[i] & 0x00FFFFFFu, src[i]) & mask;
}

#else

void BlendRow(const std::uint32_t* dst, const std::uint32_t* src, std::uint32_t* out, std::size_t n,
              BlendTopByte top) {
  const std::uint32_t mask = top == BlendTopByte::kSourceAlpha ? 0xFFFFFFFFu : 0x00FFFFFFu;
  for (std::size_t i = 0; i < n; ++i) out[i] = STScreenBuffer::BlendPixel(dst[i] & 0x00FFFFFFu, src[i]) & mask;
}

#endif

}  // namespace ui
