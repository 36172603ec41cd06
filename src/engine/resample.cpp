#include "engine/resample.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#if (defined(__SSE2__) || defined(_M_X64)) && !defined(VD_NO_SIMD)
#include <immintrin.h>
#define VD_RESAMPLE_SSE2 1
#endif

namespace vd {

namespace {

// Filter weights are 14-bit fixed point: the taps of one output sum to 1.0.
constexpr int kWeightBits = 14;
constexpr int kOne = 1 << kWeightBits;
// Between the two passes a channel is kept with 7 fractional bits, so the
// second pass does not round again what the first one averaged (a 2x2 block
// averages exactly) and 255 << 7 still fits a signed 16-bit lane.
constexpr int kMidFracBits = 7;

// One axis of the scaling: output i reads `taps` consecutive source pixels
// from start[i]. Every output has the same tap count (unused taps weigh 0),
// so the inner loops have no data-dependent branches. Weights are stored in
// pairs packed into 32 bits, the operand layout of a 16-bit multiply-add.
struct Axis {
  int taps = 0;
  int pairs = 0;
  std::vector<int> start;
  std::vector<std::uint32_t> pairWeights;  // outputs x pairs

  const std::uint32_t* Weights(int i) const { return pairWeights.data() + static_cast<std::size_t>(i) * pairs; }
};

void PackWeights(Axis& axis, const std::vector<int>& weights, int outputs) {
  axis.pairs = (axis.taps + 1) / 2;
  axis.pairWeights.assign(static_cast<std::size_t>(outputs) * axis.pairs, 0);
  for (int i = 0; i < outputs; ++i) {
    for (int k = 0; k < axis.taps; ++k) {
      auto w = static_cast<std::uint32_t>(weights[static_cast<std::size_t>(i) * axis.taps + k]);
      axis.pairWeights[static_cast<std::size_t>(i) * axis.pairs + k / 2] |= w << (16 * (k % 2));
    }
  }
}

// Area average: output i covers source [i*src/dst, (i+1)*src/dst). Work in
// units of 1/dst source pixel so coverage is exact; weights are rounded from
// the running total so they always sum to exactly kOne.
Axis ShrinkAxis(int src, int dst) {
  Axis axis;
  const std::int64_t s = src;
  const std::int64_t d = dst;
  int taps = 0;
  for (int i = 0; i < dst; ++i) {
    auto first = static_cast<int>(i * s / d);
    auto last = static_cast<int>(((i + 1) * s - 1) / d);
    taps = std::max(taps, last - first + 1);
  }
  axis.taps = taps;
  axis.start.resize(static_cast<std::size_t>(dst));
  std::vector<int> weights(static_cast<std::size_t>(dst) * taps, 0);
  for (int i = 0; i < dst; ++i) {
    const std::int64_t lo = i * s;
    const std::int64_t hi = (i + 1) * s;
    int first = static_cast<int>(lo / d);
    int begin = std::min(first, src - taps);
    axis.start[static_cast<std::size_t>(i)] = begin;
    std::int64_t covered = 0;
    std::int64_t given = 0;
    for (int k = 0; k < taps; ++k) {
      const std::int64_t j = begin + k;
      const std::int64_t overlap = std::max<std::int64_t>(0, std::min(hi, (j + 1) * d) - std::max(lo, j * d));
      covered += overlap;
      const std::int64_t upTo = (covered * kOne + s / 2) / s;
      weights[static_cast<std::size_t>(i) * taps + k] = static_cast<int>(upTo - given);
      given = upTo;
    }
  }
  PackWeights(axis, weights, dst);
  return axis;
}

// Bilinear: output centre i + 0.5 maps to source (i + 0.5) * src/dst - 0.5,
// in units of 1/(2*dst); positions beyond the outer centres take the edge.
Axis GrowAxis(int src, int dst) {
  Axis axis;
  axis.taps = std::min(2, src);
  axis.start.resize(static_cast<std::size_t>(dst));
  std::vector<int> weights(static_cast<std::size_t>(dst) * axis.taps, 0);
  const std::int64_t twoD = 2 * static_cast<std::int64_t>(dst);
  for (int i = 0; i < dst; ++i) {
    int* w = &weights[static_cast<std::size_t>(i) * axis.taps];
    if (src == 1) {
      axis.start[static_cast<std::size_t>(i)] = 0;
      w[0] = kOne;
      continue;
    }
    const std::int64_t pos = (2 * static_cast<std::int64_t>(i) + 1) * src - dst;
    std::int64_t left = 0;
    std::int64_t frac = 0;
    if (pos > 0) {
      left = pos / twoD;
      frac = pos % twoD;
    }
    if (left >= src - 1) {
      axis.start[static_cast<std::size_t>(i)] = src - 2;
      w[0] = 0;
      w[1] = kOne;
    } else {
      axis.start[static_cast<std::size_t>(i)] = static_cast<int>(left);
      w[1] = static_cast<int>((frac * kOne + twoD / 2) / twoD);
      w[0] = kOne - w[1];
    }
  }
  PackWeights(axis, weights, dst);
  return axis;
}

Axis IdentityAxis(int n) {
  Axis axis;
  axis.taps = 1;
  axis.start.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) axis.start[static_cast<std::size_t>(i)] = i;
  PackWeights(axis, std::vector<int>(static_cast<std::size_t>(n), kOne), n);
  return axis;
}

Axis MakeAxis(int src, int dst) {
  if (dst < src) return ShrinkAxis(src, dst);
  if (dst > src) return GrowAxis(src, dst);
  return IdentityAxis(src);
}

// Channel storage of a pass: 8-bit pixels, or the 16-bit intermediate.
using Mid = std::int16_t;
template <typename T>
constexpr int FracBits = std::is_same_v<T, Mid> ? kMidFracBits : 0;

template <typename In, typename Out>
constexpr int Shift = kWeightBits + FracBits<In> - FracBits<Out>;

template <typename In, typename Out>
constexpr std::int32_t Round = std::int32_t{1} << (Shift<In, Out> - 1);

template <typename Out>
inline void StoreScalar(Out* out, const std::int32_t* acc, int shift) {
  for (int c = 0; c < 4; ++c) out[c] = static_cast<Out>(acc[c] >> shift);
  if constexpr (std::is_same_v<Out, std::uint8_t>) out[3] = 255;
}

#if VD_RESAMPLE_SSE2

// Two neighbouring pixels as eight 16-bit lanes B0 G0 R0 A0 B1 G1 R1 A1.
inline __m128i Load2(const std::uint8_t* p) {
  return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
}
inline __m128i Load2(const Mid* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// One pixel in the low four 16-bit lanes, zero above.
inline __m128i Load1(const std::uint8_t* p) {
  std::int32_t v;
  std::memcpy(&v, p, 4);
  return _mm_unpacklo_epi8(_mm_cvtsi32_si128(v), _mm_setzero_si128());
}
inline __m128i Load1(const Mid* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }

// Four 32-bit channel sums of one pixel, already shifted, to the output.
inline void Store1(std::uint8_t* out, __m128i v) {
  __m128i packed = _mm_packs_epi32(v, v);
  std::int32_t px = _mm_cvtsi128_si32(_mm_packus_epi16(packed, packed)) | static_cast<std::int32_t>(0xFF000000u);
  std::memcpy(out, &px, 4);
}
inline void Store1(Mid* out, __m128i v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packs_epi32(v, v)); }

// Two pixels (lo = first, hi = second) to the output.
inline void Store2(std::uint8_t* out, __m128i lo, __m128i hi) {
  __m128i packed = _mm_packs_epi32(lo, hi);
  __m128i bytes = _mm_or_si128(_mm_packus_epi16(packed, packed), _mm_set1_epi32(static_cast<int>(0xFF000000u)));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), bytes);
}
inline void Store2(Mid* out, __m128i lo, __m128i hi) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packs_epi32(lo, hi));
}

#endif

// Horizontal pass over one row: in has the source width, out the axis's outputs.
template <typename In, typename Out>
void HorizontalPass(const In* in, Out* out, const Axis& axis, int outputs) {
  constexpr int shift = Shift<In, Out>;
  const int taps = axis.taps;
#if VD_RESAMPLE_SSE2
  const __m128i zero = _mm_setzero_si128();
  const __m128i round = _mm_set1_epi32(Round<In, Out>);
  for (int i = 0; i < outputs; ++i) {
    const In* p = in + 4 * static_cast<std::ptrdiff_t>(axis.start[static_cast<std::size_t>(i)]);
    const std::uint32_t* w = axis.Weights(i);
    __m128i acc = round;
    int k = 0;
    for (; k + 2 <= taps; k += 2) {
      __m128i px = Load2(p + 4 * k);
      px = _mm_unpacklo_epi16(px, _mm_srli_si128(px, 8));  // B0 B1 G0 G1 R0 R1 A0 A1
      acc = _mm_add_epi32(acc, _mm_madd_epi16(px, _mm_set1_epi32(static_cast<int>(w[k / 2]))));
    }
    if (k < taps) {
      __m128i px = _mm_unpacklo_epi16(Load1(p + 4 * k), zero);
      acc = _mm_add_epi32(acc, _mm_madd_epi16(px, _mm_set1_epi32(static_cast<int>(w[k / 2] & 0xFFFFu))));
    }
    Store1(out + 4 * static_cast<std::ptrdiff_t>(i), _mm_srai_epi32(acc, shift));
  }
#else
  for (int i = 0; i < outputs; ++i) {
    const In* p = in + 4 * static_cast<std::ptrdiff_t>(axis.start[static_cast<std::size_t>(i)]);
    const std::uint32_t* w = axis.Weights(i);
    std::int32_t acc[4] = {Round<In, Out>, Round<In, Out>, Round<In, Out>, Round<In, Out>};
    for (int k = 0; k < taps; ++k) {
      const auto wk = static_cast<std::int32_t>((w[k / 2] >> (16 * (k % 2))) & 0xFFFFu);
      for (int c = 0; c < 4; ++c) acc[c] += static_cast<std::int32_t>(p[4 * k + c]) * wk;
    }
    StoreScalar(out + 4 * static_cast<std::ptrdiff_t>(i), acc, shift);
  }
#endif
}

// Vertical pass producing one output row: rows[k] are the axis's taps for
// this output, each `width` pixels; w the packed weights for this output.
template <typename In, typename Out>
void VerticalPass(const In* const* rows, const std::uint32_t* w, int taps, Out* out, int width) {
  constexpr int shift = Shift<In, Out>;
  const std::ptrdiff_t values = 4 * static_cast<std::ptrdiff_t>(width);
  std::ptrdiff_t x = 0;
#if VD_RESAMPLE_SSE2
  const __m128i zero = _mm_setzero_si128();
  const __m128i round = _mm_set1_epi32(Round<In, Out>);
  for (; x + 8 <= values; x += 8) {
    __m128i lo = round;
    __m128i hi = round;
    int k = 0;
    for (; k + 2 <= taps; k += 2) {
      const __m128i wk = _mm_set1_epi32(static_cast<int>(w[k / 2]));
      const __m128i a = Load2(rows[k] + x);
      const __m128i b = Load2(rows[k + 1] + x);
      lo = _mm_add_epi32(lo, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), wk));
      hi = _mm_add_epi32(hi, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), wk));
    }
    if (k < taps) {
      const __m128i wk = _mm_set1_epi32(static_cast<int>(w[k / 2] & 0xFFFFu));
      const __m128i a = Load2(rows[k] + x);
      lo = _mm_add_epi32(lo, _mm_madd_epi16(_mm_unpacklo_epi16(a, zero), wk));
      hi = _mm_add_epi32(hi, _mm_madd_epi16(_mm_unpackhi_epi16(a, zero), wk));
    }
    Store2(out + x, _mm_srai_epi32(lo, shift), _mm_srai_epi32(hi, shift));
  }
  if (x < values) {  // a last odd pixel
    __m128i acc = round;
    for (int k = 0; k < taps; ++k) {
      const auto wk = static_cast<int>((w[k / 2] >> (16 * (k % 2))) & 0xFFFFu);
      acc = _mm_add_epi32(acc, _mm_madd_epi16(_mm_unpacklo_epi16(Load1(rows[k] + x), zero), _mm_set1_epi32(wk)));
    }
    Store1(out + x, _mm_srai_epi32(acc, shift));
  }
#else
  for (; x < values; x += 4) {
    std::int32_t acc[4] = {Round<In, Out>, Round<In, Out>, Round<In, Out>, Round<In, Out>};
    for (int k = 0; k < taps; ++k) {
      const auto wk = static_cast<std::int32_t>((w[k / 2] >> (16 * (k % 2))) & 0xFFFFu);
      for (int c = 0; c < 4; ++c) acc[c] += static_cast<std::int32_t>(rows[k][x + c]) * wk;
    }
    StoreScalar(out + x, acc, shift);
  }
#endif
}

void CopyOpaqueRow(std::uint8_t* dst, const std::uint8_t* src, int pixels) {
  std::memcpy(dst, src, 4 * static_cast<std::size_t>(pixels));
  for (int x = 0; x < pixels; ++x) dst[4 * static_cast<std::ptrdiff_t>(x) + 3] = 255;
}

void FillOpaqueBlack(ImageView dst) {
  if (dst.Empty()) return;
  for (int y = 0; y < dst.height; ++y) {
    std::uint8_t* row = dst.Row(y);
    for (int x = 0; x < dst.width; ++x) {
      std::uint8_t* p = row + 4 * static_cast<std::ptrdiff_t>(x);
      p[0] = p[1] = p[2] = 0;
      p[3] = 255;
    }
  }
}

// Horizontal pass first, streaming: each source row is scaled horizontally
// into a ring of intermediate rows, and an output row is finished as soon
// as all of its taps have arrived. Holds only `ring` rows of output width.
class RowStreamer {
 public:
  RowStreamer(int srcWidth, int srcHeight, int dstWidth, int dstHeight)
      : srcWidth_(srcWidth),
        srcHeight_(srcHeight),
        dstWidth_(dstWidth),
        dstHeight_(dstHeight),
        xAxis_(MakeAxis(srcWidth, dstWidth)),
        yAxis_(MakeAxis(srcHeight, dstHeight)),
        ringRows_(yAxis_.taps),
        ring_(static_cast<std::size_t>(ringRows_) * 4 * static_cast<std::size_t>(dstWidth)),
        taps_(static_cast<std::size_t>(ringRows_)) {}

  int SrcWidth() const { return srcWidth_; }
  bool Done() const { return nextOut_ >= dstHeight_; }

  // Takes the next source row; writes finished output rows into dst.
  void PushRow(const std::uint8_t* row, ImageView dst) {
    if (received_ >= srcHeight_) return;
    HorizontalPass<std::uint8_t, Mid>(row, RingRow(received_), xAxis_, dstWidth_);
    ++received_;
    while (nextOut_ < dstHeight_ && yAxis_.start[static_cast<std::size_t>(nextOut_)] + yAxis_.taps <= received_) {
      const int first = yAxis_.start[static_cast<std::size_t>(nextOut_)];
      for (int k = 0; k < yAxis_.taps; ++k) taps_[static_cast<std::size_t>(k)] = RingRow(first + k);
      VerticalPass<Mid, std::uint8_t>(taps_.data(), yAxis_.Weights(nextOut_), yAxis_.taps, dst.Row(nextOut_),
                                      dstWidth_);
      ++nextOut_;
    }
  }

 private:
  Mid* RingRow(int sourceRow) {
    return ring_.data() + static_cast<std::size_t>(sourceRow % ringRows_) * 4 * static_cast<std::size_t>(dstWidth_);
  }

  int srcWidth_;
  int srcHeight_;
  int dstWidth_;
  int dstHeight_;
  Axis xAxis_;
  Axis yAxis_;
  int ringRows_;
  std::vector<Mid> ring_;
  std::vector<const Mid*> taps_;
  int received_ = 0;
  int nextOut_ = 0;
};

// Vertical pass first: each output row is combined from its source rows
// into one intermediate row of source width, then scaled horizontally.
void VerticalFirst(ConstImageView src, ImageView dst) {
  const Axis xAxis = MakeAxis(src.width, dst.width);
  const Axis yAxis = MakeAxis(src.height, dst.height);
  std::vector<Mid> mid(4 * static_cast<std::size_t>(src.width));
  std::vector<const std::uint8_t*> taps(static_cast<std::size_t>(yAxis.taps));
  for (int y = 0; y < dst.height; ++y) {
    const int first = yAxis.start[static_cast<std::size_t>(y)];
    for (int k = 0; k < yAxis.taps; ++k) taps[static_cast<std::size_t>(k)] = src.Row(first + k);
    VerticalPass<std::uint8_t, Mid>(taps.data(), yAxis.Weights(y), yAxis.taps, mid.data(), src.width);
    HorizontalPass<Mid, std::uint8_t>(mid.data(), dst.Row(y), xAxis, dst.width);
  }
}

void HorizontalOnly(ConstImageView src, ImageView dst) {
  const Axis xAxis = MakeAxis(src.width, dst.width);
  for (int y = 0; y < dst.height; ++y) {
    HorizontalPass<std::uint8_t, std::uint8_t>(src.Row(y), dst.Row(y), xAxis, dst.width);
  }
}

void VerticalOnly(ConstImageView src, ImageView dst) {
  const Axis yAxis = MakeAxis(src.height, dst.height);
  std::vector<const std::uint8_t*> taps(static_cast<std::size_t>(yAxis.taps));
  for (int y = 0; y < dst.height; ++y) {
    const int first = yAxis.start[static_cast<std::size_t>(y)];
    for (int k = 0; k < yAxis.taps; ++k) taps[static_cast<std::size_t>(k)] = src.Row(first + k);
    VerticalPass<std::uint8_t, std::uint8_t>(taps.data(), yAxis.Weights(y), yAxis.taps, dst.Row(y), dst.width);
  }
}

// Rough work of each pass in vector operations per output pixel: the
// vertical pass handles two pixels per operation and needs no shuffles, the
// horizontal one gathers each output's taps on its own.
std::int64_t HorizontalCost(std::int64_t outputs, int taps) { return outputs * (7 * taps + 18); }
std::int64_t VerticalCost(std::int64_t outputs, int taps) { return outputs * (4 * taps + 6); }

int TapCount(int src, int dst) {
  if (dst > src) return std::min(2, src);
  if (dst == src) return 1;
  return static_cast<int>((static_cast<std::int64_t>(src) + dst - 1) / dst) + 1;
}

}  // namespace

void ResampleInto(ConstImageView src, ImageView dst) {
  if (dst.Empty()) return;
  if (src.Empty()) {
    FillOpaqueBlack(dst);
    return;
  }
  if (src.width == dst.width && src.height == dst.height) {
    for (int y = 0; y < dst.height; ++y) CopyOpaqueRow(dst.Row(y), src.Row(y), dst.width);
    return;
  }
  if (src.height == dst.height) return HorizontalOnly(src, dst);
  if (src.width == dst.width) return VerticalOnly(src, dst);

  const std::int64_t dstW = dst.width;
  const std::int64_t dstH = dst.height;
  const int xTaps = TapCount(src.width, dst.width);
  const int yTaps = TapCount(src.height, dst.height);
  const std::int64_t horizontalFirst = HorizontalCost(src.height * dstW, xTaps) + VerticalCost(dstH * dstW, yTaps);
  const std::int64_t verticalFirst = VerticalCost(dstH * src.width, yTaps) + HorizontalCost(dstH * dstW, xTaps);
  if (verticalFirst <= horizontalFirst) return VerticalFirst(src, dst);

  RowStreamer streamer(src.width, src.height, dst.width, dst.height);
  for (int y = 0; y < src.height; ++y) streamer.PushRow(src.Row(y), dst);
}

struct AreaDownscaler::State {
  State(int srcWidth, int srcHeight, int dstWidth, int dstHeight)
      : streamer(srcWidth, srcHeight, dstWidth, dstHeight), image(dstWidth, dstHeight) {
    FillOpaqueBlack(image.View());
  }
  RowStreamer streamer;
  Image image;
};

AreaDownscaler::AreaDownscaler(int srcWidth, int srcHeight, int dstWidth, int dstHeight) {
  if (srcWidth > 0 && srcHeight > 0 && dstWidth > 0 && dstHeight > 0) {
    state_ = std::make_unique<State>(srcWidth, srcHeight, dstWidth, dstHeight);
  }
}

AreaDownscaler::~AreaDownscaler() = default;
AreaDownscaler::AreaDownscaler(AreaDownscaler&&) noexcept = default;
AreaDownscaler& AreaDownscaler::operator=(AreaDownscaler&&) noexcept = default;

void AreaDownscaler::PushRows(ConstImageView rows) {
  if (!state_ || rows.Empty() || rows.width < state_->streamer.SrcWidth()) return;
  const ImageView dst = state_->image.View();
  for (int y = 0; y < rows.height; ++y) state_->streamer.PushRow(rows.Row(y), dst);
}

bool AreaDownscaler::Done() const { return !state_ || state_->streamer.Done(); }

Image AreaDownscaler::Take() {
  if (!state_) return {};
  Image result = std::move(state_->image);
  state_.reset();
  return result;
}

void FitWithin(int w, int h, int maxW, int maxH, int& outW, int& outH) {
  w = std::max(w, 1);
  h = std::max(h, 1);
  maxW = std::max(maxW, 1);
  maxH = std::max(maxH, 1);
  if (w <= maxW && h <= maxH) {
    outW = w;
    outH = h;
    return;
  }
  const std::int64_t W = w;
  const std::int64_t H = h;
  if (static_cast<std::int64_t>(maxW) * H <= static_cast<std::int64_t>(maxH) * W) {
    // Width limits: the height follows, rounded, and never exceeds maxH.
    outW = maxW;
    outH = static_cast<int>(std::max<std::int64_t>(1, (H * maxW + W / 2) / W));
  } else {
    outH = maxH;
    outW = static_cast<int>(std::max<std::int64_t>(1, (W * maxH + H / 2) / H));
  }
}

}  // namespace vd
