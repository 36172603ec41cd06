// Command texts and paths on arbitrary bytes: the command split, the
// program's own command line, SplitPath, the scratch names and GetLongPath.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/command_text.h"
#include "engine/paths.h"
#include "fake_file_system.h"

namespace {

vd::FakeFileSystem& Files() {
  static vd::FakeFileSystem fs = [] {
    vd::FakeFileSystem f;
    f.AddFolder("C:\\Program Files", vd::attr::Directory, "PROGRA~1");
    f.AddFile("C:\\Program Files\\a b.jpg", vd::attr::Archive, "AB~1.JPG");
    f.AddFolder("C:\\x\\lists");
    f.AddFile("C:\\x\\lists\\a.vdl");
    f.AddFolder("C:\\x\\.hidden", vd::attr::Directory | vd::attr::Hidden);
    return f;
  }();
  return fs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const vd::CommandText c = vd::SplitCommandText(text);
  if (c.option.size() > 2) __builtin_trap();
  if (text.size() > 3) {
    // The argument is the rest of the text, without a pair of quotes around all of it.
    const std::string rest = text.substr(3);
    const bool quoted = rest.size() >= 2 && rest.front() == '"' && rest.back() == '"';
    if (c.argument != (quoted ? rest.substr(1, rest.size() - 2) : rest)) __builtin_trap();
  }
  const std::string args = vd::ArgumentsOfCommandLine(text);
  if (args.size() > text.size() || text.compare(text.size() - args.size(), args.size(), args) != 0) __builtin_trap();

  const std::string folder = vd::SplitPath(text, 1), name = vd::SplitPath(text, 2), ext = vd::SplitPath(text, 3);
  if (folder.size() > text.size() || name.size() > text.size() || text.compare(0, folder.size(), folder) != 0)
    __builtin_trap();

  const std::string scratch = vd::ScratchPathBeside(text, '~', '_');
  if (!scratch.empty() && (scratch.size() != text.size() || scratch == text)) __builtin_trap();

  const std::string longPath = vd::GetLongPath(Files(), text);
  if (!longPath.empty()) {
    // A path found is spelled without "." or ".." components and names something.
    if (longPath.find("\\.\\") != std::string::npos || longPath.find("\\..") != std::string::npos ||
        longPath.back() == '\\')
      __builtin_trap();
    if (longPath.size() > 2 && !Files().Attributes(longPath)) __builtin_trap();
  }
  return 0;
}
