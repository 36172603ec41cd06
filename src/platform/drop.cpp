#include "platform/drop.h"

namespace platform {

std::vector<std::string> TakeDroppedPaths(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  paths.reserve(count);
  std::wstring wide;
  for (UINT i = 0; i < count; ++i) {
    // The length the drop reports, so that a path past MAX_PATH comes whole.
    const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    wide.assign(length + 1, L'\0');
    const UINT got = ::DragQueryFileW(drop, i, wide.data(), length + 1);
    wide.resize(got);
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                        nullptr);
    std::string utf8(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr, nullptr);
    if (!utf8.empty()) paths.push_back(std::move(utf8));
  }
  ::DragFinish(drop);
  return paths;
}

}  // namespace platform
