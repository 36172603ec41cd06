#include "platform/drop.h"

#include <shlobj.h>

namespace platform {

namespace {

std::string Utf8Of(const wchar_t* text, std::size_t length) {
  const int n =
      ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8.data(), n, nullptr, nullptr);
  return utf8;
}

// One name at a time, each by the length the drop reports, so that a path
// past MAX_PATH comes whole. Each call walks the names before it.
std::vector<std::string> QueryOneByOne(HDROP drop, UINT count) {
  std::vector<std::string> paths;
  std::wstring wide;
  for (UINT i = 0; i < count; ++i) {
    const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    wide.assign(length + 1, L'\0');
    const UINT got = ::DragQueryFileW(drop, i, wide.data(), length + 1);
    if (got > 0) paths.push_back(Utf8Of(wide.data(), got));
  }
  return paths;
}

}  // namespace

std::vector<std::string> TakeDroppedPaths(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  // The names follow the DROPFILES header, each ended by a null, the last by
  // two: read in one pass, since asking for them one by one takes time that
  // grows with the square of their number (a drop of 10,000 files).
  // GlobalSize bounds the walk where the block's size is known.
  const SIZE_T size = ::GlobalSize(drop);
  const auto* block = static_cast<const char*>(::GlobalLock(drop));
  const auto* header = reinterpret_cast<const DROPFILES*>(block);
  if (block && header->fWide && header->pFiles >= sizeof(DROPFILES) && (size == 0 || header->pFiles < size)) {
    const auto* p = reinterpret_cast<const wchar_t*>(block + header->pFiles);
    const wchar_t* end = size == 0 ? nullptr : reinterpret_cast<const wchar_t*>(block + size);
    auto inside = [&](const wchar_t* q) { return end == nullptr || q < end; };
    while (paths.size() < count && inside(p) && *p) {
      const wchar_t* name = p;
      while (inside(p) && *p) ++p;
      if (!inside(p)) break;  // a name without its end: the block is cut short
      paths.push_back(Utf8Of(name, static_cast<std::size_t>(p - name)));
      ++p;
    }
  }
  if (block) ::GlobalUnlock(drop);
  if (paths.size() != count) paths = QueryOneByOne(drop, count);
  ::DragFinish(drop);
  return paths;
}

}  // namespace platform
