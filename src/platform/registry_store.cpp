#include "platform/registry_store.h"

#include <windows.h>

#include "base/handles.h"

namespace platform {
namespace {

HKEY HiveKey(vd::Hive hive) {
  return hive == vd::Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

}  // namespace

std::string RegistryStore::ReadValue(vd::Hive hive, const std::string& keyPath, const std::string& name,
                                     const std::string& defaultText) {
  HKEY raw = nullptr;
  if (::RegOpenKeyExA(HiveKey(hive), keyPath.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return defaultText;
  base::RegKey key(raw);
  DWORD type = 0, size = 0;
  if (::RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return defaultText;
  if (type == REG_DWORD) {
    DWORD v = 0, n = sizeof v;
    if (::RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &n) != ERROR_SUCCESS)
      return defaultText;
    return std::to_string(v);
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return defaultText;
  std::string text(size + 1, '\0');
  DWORD n = size;
  if (::RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &n) !=
      ERROR_SUCCESS)
    return defaultText;
  text.resize(n);
  if (auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  return text;
}

bool RegistryStore::WriteValue(vd::Hive hive, const std::string& keyPath, const std::string& name,
                               const std::string& value) {
  HKEY raw = nullptr;
  if (::RegCreateKeyExA(HiveKey(hive), keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) !=
      ERROR_SUCCESS)
    return false;
  base::RegKey key(raw);
  return ::RegSetValueExA(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryStore::DeleteValue(vd::Hive hive, const std::string& keyPath, const std::string& name) {
  HKEY raw = nullptr;
  const LONG opened = ::RegOpenKeyExA(HiveKey(hive), keyPath.c_str(), 0, KEY_SET_VALUE, &raw);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  base::RegKey key(raw);
  const LONG deleted = ::RegDeleteValueA(key.Get(), name.c_str());
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

}  // namespace platform
