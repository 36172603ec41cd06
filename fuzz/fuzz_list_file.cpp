// The list-file reader on arbitrary bytes: every line it keeps is one line
// (no line break inside), valid UTF-8, and what is saved reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/list_file.h"
#include "engine/paths.h"
#include "fake_file_system.h"

namespace {

// Legacy lines decoded as Latin-1, as the Western code page would.
std::string Latin1ToUtf8(std::string_view line) {
  std::string out;
  for (unsigned char c : line) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

vd::FakeFileSystem& Files() {
  static vd::FakeFileSystem fs = [] {
    vd::FakeFileSystem f;
    for (const char* p : {"C:\\Pics\\a.jpg", "C:\\Pics\\b.GIF", "C:\\Pics\\c.bmp", "C:\\Pics\\d.jpeg", "C:\\x.jpg"})
      f.AddFile(p);
    f.AddFile("C:\\Pics\\hidden.jpg", vd::attr::Hidden);
    f.AddFolder("C:\\Pics\\folder.jpg");
    return f;
  }();
  return fs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = vd::SplitListLines(bytes, &Latin1ToUtf8);
  for (const std::string& line : lines) {
    if (line.empty() || line.find_first_of("\r\n") != std::string::npos || !vd::IsValidUtf8(line)) __builtin_trap();
  }
  std::vector<vd::ListEntry> entries;
  vd::FilterListLines(lines, Files(), [&](vd::ListEntry e) { entries.push_back(std::move(e)); }, nullptr);
  for (const vd::ListEntry& e : entries) {
    if (!vd::NormalFileExists(Files(), e.FullPath())) __builtin_trap();
  }
  // What is saved reads back as the same entries.
  const std::string saved = vd::SerializeList(entries);
  const std::vector<std::string> again = vd::SplitListLines(saved, nullptr);
  if (again.size() != entries.size()) __builtin_trap();
  for (std::size_t i = 0; i < again.size(); ++i) {
    if (again[i] != entries[i].FullPath()) __builtin_trap();
  }
  return 0;
}
