// Files and folders through the Win32 API.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/ports.h"

namespace platform {

class FileSystem final : public vd::FileSystemPort {
 public:
  std::optional<std::uint32_t> Attributes(const std::string& path) override;
  std::optional<vd::DirEntry> FindItem(const std::string& path) override;
  std::vector<vd::DirEntry> ListFolder(const std::string& folder) override;
  std::optional<std::string> FolderIdentity(const std::string& folder) override;
  vd::ItemLookup LookUp(const std::string& path) override;
};

// The whole file, or nullopt when it cannot be read or is larger than maxBytes.
std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes);
// At most the first maxBytes of the file, however large it is; nullopt when
// it cannot be read.
std::optional<std::string> ReadFileStart(const std::string& path, std::size_t maxBytes);

// Writes a temporary file beside path and moves it over path in one step, so
// a crash or a full disk leaves either the old file or the new one, whole.
// False, with nothing left behind, when it fails; a folder at path is never
// touched.
bool WriteFileReplacing(const std::string& path, const void* data, std::size_t size);
// The same for a file made of several pieces written one after another.
struct FilePiece {
  const void* data;
  std::size_t size;
};
bool WriteFileReplacing(const std::string& path, const std::vector<FilePiece>& pieces);

// Creates an empty file when none exists.
bool CreateEmptyFile(const std::string& path);

// The folder of the running program, without a trailing backslash.
std::string ProgramFolder();

// An environment variable's value; empty when it is missing.
std::string EnvironmentVariable(const char* name);

}  // namespace platform
