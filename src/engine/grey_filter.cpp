#include "engine/grey_filter.h"

#include <cstdint>

#if (defined(__SSE2__) || defined(_M_X64)) && !defined(VD_NO_SIMD)
#include <immintrin.h>
#define VD_GREY_SSE2 1
#endif

namespace vd {

namespace {

inline void GreyPixel(std::uint8_t* p) {
  const unsigned g = (static_cast<unsigned>(p[0]) + p[1] + p[2]) / 3;
  const auto v = static_cast<std::uint8_t>(g < 245 ? g + 10 : g);
  p[0] = p[1] = p[2] = v;
}

void GreyScalar(std::uint8_t* p, int pixels) {
  for (int x = 0; x < pixels; ++x) GreyPixel(p + 4 * static_cast<std::ptrdiff_t>(x));
}

#if VD_GREY_SSE2

// Four pixels' sums B + G + R as 32-bit lanes.
inline __m128i Sum4(__m128i px) {
  const __m128i lowBytes = _mm_set1_epi32(0x00FF00FF);
  const __m128i both = _mm_set1_epi32(0x00010001);
  const __m128i first = _mm_set1_epi32(0x00000001);
  const __m128i blueRed = _mm_and_si128(px, lowBytes);    // 16-bit lanes B, R
  const __m128i greenAlpha = _mm_srli_epi16(px, 8);       // 16-bit lanes G, A
  return _mm_add_epi32(_mm_madd_epi16(blueRed, both), _mm_madd_epi16(greenAlpha, first));
}

// Four grey levels (16-bit lanes 0..3 of v) as pixels v v v with the 4th
// byte of the originals.
inline __m128i Spread4(__m128i v, __m128i original) {
  const __m128i spread = _mm_set1_epi32(0x00010101);  // per pixel: v * 0x0101 | v << 16
  const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i grey = _mm_mullo_epi16(_mm_unpacklo_epi16(v, v), spread);
  return _mm_or_si128(grey, _mm_and_si128(original, alpha));
}

// Eight pixels: sums -> s / 3 -> brightened level -> pixels.
inline void Grey8(std::uint8_t* p) {
  const __m128i divide3 = _mm_set1_epi16(static_cast<short>(0xAAAB));  // s * 43691 >> 17 == s / 3 for s < 2^16
  const __m128i limit = _mm_set1_epi16(245);
  const __m128i lift = _mm_set1_epi16(10);
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
  const __m128i sums = _mm_packs_epi32(Sum4(a), Sum4(b));  // <= 765, fits
  const __m128i g = _mm_srli_epi16(_mm_mulhi_epu16(sums, divide3), 1);
  const __m128i v = _mm_add_epi16(g, _mm_and_si128(_mm_cmpgt_epi16(limit, g), lift));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), Spread4(v, a));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), Spread4(_mm_unpackhi_epi64(v, v), b));
}

void GreyVector(std::uint8_t* p, int pixels) {
  int x = 0;
  for (; x + 16 <= pixels; x += 16) {
    Grey8(p + 4 * static_cast<std::ptrdiff_t>(x));
    Grey8(p + 4 * static_cast<std::ptrdiff_t>(x) + 32);
  }
  for (; x + 8 <= pixels; x += 8) Grey8(p + 4 * static_cast<std::ptrdiff_t>(x));
  GreyScalar(p + 4 * static_cast<std::ptrdiff_t>(x), pixels - x);
}

#endif

}  // namespace

void FilterBlackAndWhite(ImageView img) {
  if (img.Empty()) return;
  for (int y = 0; y < img.height; ++y) {
#if VD_GREY_SSE2
    GreyVector(img.Row(y), img.width);
#else
    GreyScalar(img.Row(y), img.width);
#endif
  }
}

void FilterBlackAndWhiteScalar(ImageView img) {
  if (img.Empty()) return;
  for (int y = 0; y < img.height; ++y) GreyScalar(img.Row(y), img.width);
}

bool FilterBlackAndWhiteIsVectorised() {
#if VD_GREY_SSE2
  return true;
#else
  return false;
#endif
}

}  // namespace vd
