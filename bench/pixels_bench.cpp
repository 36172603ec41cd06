// The engine's pixel steps at 3840 x 2160: grey filter, scaling, the whole
// composition of a wallpaper, with a plain copy of the canvas measured in
// the same run as the baseline. Prints figures; not a test.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "engine/bitmap_file.h"
#include "engine/calendar_page.h"
#include "engine/compose.h"
#include "engine/grey_filter.h"
#include "engine/image.h"
#include "engine/monitor_layout.h"
#include "engine/orientation.h"
#include "engine/resample.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kScreenW = 3840;
constexpr int kScreenH = 2160;

// Best and median of several runs, in milliseconds.
struct Timing {
  double best;
  double median;
};

Timing Measure(int runs, const std::function<void()>& work) {
  work();  // warm up: page faults, caches
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    work();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  return {ms.front(), ms[ms.size() / 2]};
}

// A photo-like picture: smooth gradients with noise.
vd::Image MakePicture(int w, int h) {
  vd::Image img(w, h);
  std::mt19937 rng(42);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = img.View().Row(y);
    for (int x = 0; x < w; ++x) {
      const unsigned noise = rng();
      row[4 * x + 0] = static_cast<std::uint8_t>(x * 255 / w + (noise & 15));
      row[4 * x + 1] = static_cast<std::uint8_t>(y * 255 / h + ((noise >> 4) & 15));
      row[4 * x + 2] = static_cast<std::uint8_t>((x + y) * 127 / (w + h) + ((noise >> 8) & 63));
      row[4 * x + 3] = 255;
    }
  }
  return img;
}

std::uint64_t Checksum(vd::ConstImageView v) {
  std::uint64_t sum = 0;
  for (int y = 0; y < v.height; y += 7) {
    for (int x = 0; x < v.width; x += 13) sum = sum * 31 + v.Pixel(x, y)[y % 3];
  }
  return sum;
}

void Report(const char* name, Timing t, double baselineMs, const char* extra = "") {
  std::printf("%-46s best %8.3f ms  median %8.3f ms  %6.2fx baseline%s\n", name, t.best, t.median,
              t.best / baselineMs, extra);
}

}  // namespace

int main() {
  const std::size_t canvasBytes = static_cast<std::size_t>(kScreenW) * kScreenH * 4;
  vd::Image canvas(kScreenW, kScreenH);
  vd::Image copy(kScreenW, kScreenH);
  const vd::Image big = MakePicture(6000, 4000);
  const vd::Image small = MakePicture(300, 200);
  const vd::Image page = vd::MakeCalendarPageArt();
  std::uint64_t sink = 0;

  std::printf("Canvas %d x %d (%.1f MB); vectorised grey filter: %s\n\n", kScreenW, kScreenH, canvasBytes / 1e6,
              vd::FilterBlackAndWhiteIsVectorised() ? "yes" : "no");

  vd::ResampleInto(big.View(), canvas.View());
  const Timing baseline = Measure(20, [&] { std::memcpy(copy.View().data, canvas.View().data, canvasBytes); });
  Report("baseline: memcpy of the canvas", baseline, baseline.best);
  std::printf("%-46s %.1f GB/s\n\n", "  (copy bandwidth, read + write)", 2 * canvasBytes / baseline.best / 1e6);

  char extra[64];
  const Timing grey = Measure(20, [&] { vd::FilterBlackAndWhite(canvas.View()); });
  std::snprintf(extra, sizeof extra, "  %.2f Gpixel/s", kScreenW * double(kScreenH) / grey.best / 1e6);
  Report("FilterBlackAndWhite (vector)", grey, baseline.best, extra);
  const Timing greyScalar = Measure(5, [&] { vd::FilterBlackAndWhiteScalar(canvas.View()); });
  std::snprintf(extra, sizeof extra, "  %.2f Gpixel/s", kScreenW * double(kScreenH) / greyScalar.best / 1e6);
  Report("FilterBlackAndWhiteScalar (reference)", greyScalar, baseline.best, extra);

  const Timing shrink = Measure(8, [&] { vd::ResampleInto(big.View(), canvas.View()); });
  sink += Checksum(canvas.View());
  Report("ResampleInto 6000x4000 -> 3840x2160 (area)", shrink, baseline.best);

  const Timing grow = Measure(10, [&] { vd::ResampleInto(small.View(), canvas.View()); });
  sink += Checksum(canvas.View());
  Report("ResampleInto 300x200 -> 3840x2160 (bilinear)", grow, baseline.best);

  const Timing strips = Measure(5, [&] {
    vd::AreaDownscaler scaler(6000, 4000, kScreenW, kScreenH);
    for (int y = 0; y < 4000; y += 16) {
      scaler.PushRows(vd::ConstImageView{big.View().Row(y), 6000, std::min(16, 4000 - y), big.View().stride});
    }
    sink += Checksum(scaler.Take().View());
  });
  Report("AreaDownscaler 6000x4000 -> 3840x2160, 16 rows", strips, baseline.best);

  std::size_t fileBytes = 0;
  const Timing encode = Measure(10, [&] { fileBytes = vd::EncodeBmp(canvas.View()).size(); });
  Report("EncodeBmp 3840x2160", encode, baseline.best);

  const Timing stamp = Measure(20, [&] { vd::StampCalendarPage(canvas.View(), page.View()); });
  Report("StampCalendarPage", stamp, baseline.best);

  const Timing tiled = Measure(10, [&] { vd::ComposeWallpaper(canvas.View(), small.View(), 1); });
  Report("ComposeWallpaper tiled 300x200", tiled, baseline.best);
  const Timing centred = Measure(10, [&] { vd::ComposeWallpaper(canvas.View(), small.View(), 0); });
  Report("ComposeWallpaper centred 300x200", centred, baseline.best);

  // Fill and Fit use the same scaling as Stretched, on a part of the picture
  // (Fill) or onto a part of the canvas (Fit).
  const Timing stretched = Measure(8, [&] { vd::ComposeWallpaper(canvas.View(), big.View(), 2); });
  Report("ComposeWallpaper stretched 6000x4000", stretched, baseline.best);
  const Timing fill = Measure(8, [&] { vd::ComposeWallpaper(canvas.View(), big.View(), 3); });
  Report("ComposeWallpaper fill 6000x4000", fill, baseline.best);
  const Timing fit = Measure(8, [&] { vd::ComposeWallpaper(canvas.View(), big.View(), 4); });
  Report("ComposeWallpaper fit 6000x4000", fit, baseline.best);
  std::printf("%-46s %+.0f %% / %+.0f %%\n", "  fill / fit against stretched", 100 * (fill.best / stretched.best - 1),
              100 * (fit.best / stretched.best - 1));

  // A 24 MP camera picture turned upright: one pass over its pixels, into a
  // new picture (whose allocation is measured on its own).
  vd::Image upright(4000, 6000), upside(6000, 4000);
  const Timing turnPass = Measure(5, [&] { vd::OrientInto(big.View(), 6, upright.View()); });
  Report("OrientInto 6000x4000, a quarter turn (6)", turnPass, baseline.best);
  const Timing mirrorPass = Measure(5, [&] { vd::OrientInto(big.View(), 3, upside.View()); });
  Report("OrientInto 6000x4000, upside down (3)", mirrorPass, baseline.best);
  sink += Checksum(upright.View()) + Checksum(upside.View());
  const Timing turn = Measure(5, [&] { sink += vd::Orient(big.View(), 6).Width(); });
  Report("Orient 6000x4000 (6), with a new picture", turn, baseline.best);
  const Timing mirror = Measure(5, [&] { sink += vd::Orient(big.View(), 3).Width(); });
  Report("Orient 6000x4000 (3), with a new picture", mirror, baseline.best);

  const Timing whole = Measure(8, [&] {
    vd::ComposeWallpaper(canvas.View(), big.View(), 2);
    vd::FilterBlackAndWhite(canvas.View());
    vd::StampCalendarPage(canvas.View(), page.View());
    fileBytes = vd::EncodeBmp(canvas.View()).size();
  });
  std::printf("\n");
  Report("stretch 6000x4000 + grey + page + EncodeBmp", whole, baseline.best);

  // One bitmap over 1, 2 and 3 monitors of 3840 x 2160, each composed into
  // its own part of the one canvas, written as header + rows flipped in place.
  std::printf("\n");
  canvas = {};
  copy = {};
  for (int monitors = 1; monitors <= 3; ++monitors) {
    vd::Image span(kScreenW * monitors, kScreenH);
    std::size_t written = 0;
    const Timing t = Measure(3, [&] {
      for (int m = 0; m < monitors; ++m)
        vd::ComposeWallpaper(vd::SubView(span.View(), {m * kScreenW, 0, kScreenW, kScreenH}), big.View(), 2);
      vd::FilterBlackAndWhite(span.View());
      vd::StampCalendarPage(vd::SubView(span.View(), {0, 0, kScreenW, kScreenH}), page.View());
      written = vd::BmpHeader(span.Width(), span.Height()).size();
      vd::FlipRows(span.View());
      written += span.SizeBytes();
    });
    char name[64];
    std::snprintf(name, sizeof name, "span over %d x 3840x2160, stretch+grey+page", monitors);
    // The one canvas is all the pixel memory the bitmap needs: no encoded copy.
    std::snprintf(extra, sizeof extra, "  canvas = file %.0f MB", span.SizeBytes() / 1e6);
    Report(name, t, baseline.best, extra);
    fileBytes = written;
  }

  std::printf("\nTargets: grey >= 2 Gpixel/s, stretch from 6000x4000 < 100 ms, whole change < 150 ms\n");
  std::printf("(checksum %llu, file %zu bytes)\n", static_cast<unsigned long long>(sink), fileBytes);
  return 0;
}
