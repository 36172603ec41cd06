// Interfaces through which the engine reaches the outside world. The Win32
// side implements them over the real API; tests implement them in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vd {

// Predefined registry hives, by their Windows handle values.
enum class Hive : std::uint32_t {
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
};

// Text values in the registry. Value names match without regard to case.
class RegistryPort {
 public:
  virtual ~RegistryPort() = default;
  // The stored text, or defaultText when the value is absent or unreadable.
  virtual std::string ReadValue(Hive hive, const std::string& keyPath, const std::string& name,
                                const std::string& defaultText) = 0;
  // Creates the key path when needed and replaces an existing value.
  virtual bool WriteValue(Hive hive, const std::string& keyPath, const std::string& name,
                          const std::string& value) = 0;
  // Removes the value; true when it is absent afterwards.
  virtual bool DeleteValue(Hive hive, const std::string& keyPath, const std::string& name) = 0;
};

// File attribute bits, with the values Windows gives them.
namespace attr {
constexpr std::uint32_t ReadOnly = 0x1;
constexpr std::uint32_t Hidden = 0x2;
constexpr std::uint32_t System = 0x4;
constexpr std::uint32_t Directory = 0x10;
constexpr std::uint32_t Archive = 0x20;
constexpr std::uint32_t Normal = 0x80;
constexpr std::uint32_t ReparsePoint = 0x400;  // a link or junction
}  // namespace attr

struct DirEntry {
  std::string name;  // the last path component as stored on disk
  std::uint32_t attributes = 0;
};

// What a look-up learnt of a path: there, not there (the system said so),
// or not known (the file is locked, or its folder cannot be read).
enum class Presence { Found, Missing, Unknown };

struct ItemLookup {
  Presence presence = Presence::Missing;
  DirEntry item;  // when found: the name as stored on disk (as given if that cannot be told) and attributes
};

// Paths are Windows paths ("C:\dir\file.jpg") in the program's code page.
class FileSystemPort {
 public:
  virtual ~FileSystemPort() = default;
  // Attributes of the item at path; nullopt when there is none. Paths with
  // wildcard characters name nothing.
  virtual std::optional<std::uint32_t> Attributes(const std::string& path) = 0;
  // The item at path with its name spelled as on disk (long form);
  // nullopt when there is none or path has wildcard characters.
  virtual std::optional<DirEntry> FindItem(const std::string& path) = 0;
  // Every entry of a folder except "." and ".."; empty when it cannot be read.
  virtual std::vector<DirEntry> ListFolder(const std::string& folder) = 0;
  // A key for the folder itself, the same for every path that leads to it
  // (through links of any kind); nullopt when it cannot be told.
  virtual std::optional<std::string> FolderIdentity(const std::string& folder) {
    (void)folder;
    return std::nullopt;
  }
  // The item at path, telling a missing item from one that cannot be looked
  // at now.
  virtual ItemLookup LookUp(const std::string& path) {
    const auto found = FindItem(path);
    if (!found) return {};
    return {Presence::Found, *found};
  }
};

// True when path names an existing file that is neither hidden, system nor a folder.
inline bool NormalFileExists(FileSystemPort& fs, const std::string& path) {
  if (path.empty()) return false;
  auto a = fs.Attributes(path);
  return a && (*a & (attr::Hidden | attr::System | attr::Directory)) == 0;
}

}  // namespace vd
