// Scaling of BGRA pictures: area-averaging where an axis shrinks, bilinear
// interpolation where it grows. Output pixels are opaque (4th byte 255).
#pragma once

#include <memory>

#include "engine/image.h"

namespace vd {

// Scales src to exactly dst's size. Each axis on its own: shrinking averages
// the covered source pixels (box filter with fractional coverage), growing
// interpolates between the two nearest pixel centres, equal size copies.
// An empty src leaves dst opaque black.
void ResampleInto(ConstImageView src, ImageView dst);

// Scales a picture that arrives in strips of rows (a decoder's output)
// without holding the whole picture: memory is the destination plus a few
// rows of destination width. The result equals ResampleInto of the whole
// picture up to ±1 per channel.
class AreaDownscaler {
 public:
  AreaDownscaler(int srcWidth, int srcHeight, int dstWidth, int dstHeight);
  ~AreaDownscaler();
  AreaDownscaler(AreaDownscaler&&) noexcept;
  AreaDownscaler& operator=(AreaDownscaler&&) noexcept;
  AreaDownscaler(const AreaDownscaler&) = delete;
  AreaDownscaler& operator=(const AreaDownscaler&) = delete;

  // The next consecutive source rows, each srcWidth wide (narrower strips are
  // ignored), any number per call. Rows beyond srcHeight are ignored.
  void PushRows(ConstImageView rows);
  // True once every destination row is finished.
  bool Done() const;
  // The dstWidth x dstHeight result; rows not yet finished are opaque black
  // (a truncated picture still gives a whole image). Empty for invalid sizes.
  // Leaves the scaler empty.
  Image Take();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The largest size with the aspect ratio of w x h that fits in maxW x maxH.
// Never upscales and never gives a side of 0.
void FitWithin(int w, int h, int maxW, int maxH, int& outW, int& outH);

}  // namespace vd
