#include "platform/text.h"

#include <windows.h>

#include <cstdlib>

namespace platform {

std::string LegacyAnsiToUtf8(std::string_view text) {
  if (text.empty()) return {};
  static const UINT codePage = [] {
    char buf[8] = {};
    if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, buf, sizeof buf) > 0) {
      UINT cp = static_cast<UINT>(std::strtoul(buf, nullptr, 10));
      if (cp != 0 && cp != CP_UTF8) return cp;
    }
    return 1252u;
  }();
  int n = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return std::string(text);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  int m = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(m > 0 ? m : 0), '\0');
  if (m > 0) ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, out.data(), m, nullptr, nullptr);
  return out;
}

}  // namespace platform
