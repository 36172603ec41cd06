// Loading a 100,000-line list file: split and filter over an in-memory file
// system. The baseline is the file-existence checks alone, the part no
// loader can avoid; the ratio shows what splitting and filtering add.
// Then sorting the same 100,000 entries by name and by location, against a
// plain byte-order sort of the full paths.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "../tests/engine/fake_file_system.h"
#include "engine/list_file.h"
#include "engine/list_order.h"

namespace {

double BestMs(int runs, const auto& work) {
  double best = 1e300;
  for (int r = 0; r < runs; ++r) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

}  // namespace

int main() {
  constexpr int kLines = 100000;
  vd::FakeFileSystem fs;
  std::vector<vd::ListEntry> entries;
  for (int i = 0; i < kLines; ++i) {
    vd::ListEntry e{"C:\\Users\\Someone\\Pictures\\Album " + std::to_string(i % 100) + "\\",
                    "Holiday picture " + std::to_string(i), i % 2 ? ".jpg" : ".JPEG"};
    if (i % 10 != 0) fs.AddFile(e.FullPath());  // every tenth file has vanished
    entries.push_back(std::move(e));
  }
  const std::string bytes = vd::SerializeList(entries);
  const auto legacy = [](std::string_view s) { return std::string(s); };

  std::size_t kept = 0;
  const double loadMs = BestMs(5, [&] {
    kept = 0;
    const auto lines = vd::SplitListLines(bytes, legacy);
    vd::FilterListLines(lines, fs, [&](vd::ListEntry) { ++kept; }, [] {});
  });

  std::size_t exist = 0;
  const double baseMs = BestMs(5, [&] {
    exist = 0;
    for (const vd::ListEntry& e : entries) exist += vd::NormalFileExists(fs, e.FullPath());
  });

  std::printf("list load: %d lines (%zu bytes), %zu kept\n", kLines, bytes.size(), kept);
  std::printf("  split + filter      %8.1f ms\n", loadMs);
  std::printf("  existence checks    %8.1f ms (baseline, %zu exist)\n", baseMs, exist);
  std::printf("  ratio               %8.2f\n", loadMs / baseMs);

  // Shuffled first, as a list built from several folders would be.
  std::vector<vd::ListEntry> mixed = entries;
  for (std::size_t i = mixed.size(); i > 1; --i) std::swap(mixed[i - 1], mixed[(i * 7919) % i]);
  std::size_t sorted = 0;
  const double nameMs = BestMs(3, [&] { sorted += vd::SortedOrder(mixed, vd::ListOrder::Name).size(); });
  const double locationMs = BestMs(3, [&] { sorted += vd::SortedOrder(mixed, vd::ListOrder::Location).size(); });
  const double bytesMs = BestMs(3, [&] {
    std::vector<std::string> paths;
    paths.reserve(mixed.size());
    for (const vd::ListEntry& e : mixed) paths.push_back(e.FullPath());
    std::stable_sort(paths.begin(), paths.end());
    sorted += paths.size();
  });
  std::printf("list sort: %zu entries\n", mixed.size());
  std::printf("  by name             %8.1f ms (ratio %.2f)\n", nameMs, nameMs / bytesMs);
  std::printf("  by location         %8.1f ms (ratio %.2f)\n", locationMs, locationMs / bytesMs);
  std::printf("  byte order          %8.1f ms (baseline)\n", bytesMs);
  return kept == exist && sorted > 0 ? 0 : 1;
}
