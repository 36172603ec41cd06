// Loading a 100,000-line list file: split and filter over an in-memory file
// system. The baseline is the file-existence checks alone, the part no
// loader can avoid; the ratio shows what splitting and filtering add.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "../tests/engine/fake_file_system.h"
#include "engine/list_file.h"

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
  return kept == exist ? 0 : 1;
}
