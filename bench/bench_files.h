// Files the Windows benchmarks set up: list files and empty stand-ins for
// pictures.
#pragma once

#include <windows.h>

#include <string>

// Puts text in the file at path, replacing what was there; false when it
// could not be written whole.
inline bool WriteText(const std::string& path, const std::string& text) {
  HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  const bool ok = ::WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &put, nullptr) && put == text.size();
  ::CloseHandle(f);
  return ok;
}

// An empty file at path, unless something is there already.
inline bool MakeEmptyFile(const std::string& path) {
  if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(f);
  return true;
}
