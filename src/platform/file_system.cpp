#include "platform/file_system.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "engine/paths.h"
#include "base/handles.h"

namespace platform {
namespace {

bool HasWildcards(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }

}  // namespace

std::optional<std::uint32_t> FileSystem::Attributes(const std::string& path) {
  if (path.empty() || HasWildcards(path)) return std::nullopt;
  DWORD a = ::GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return a;
}

std::optional<vd::DirEntry> FileSystem::FindItem(const std::string& path) {
  if (path.empty() || HasWildcards(path)) return std::nullopt;
  WIN32_FIND_DATAA fd;
  base::FindHandle h(::FindFirstFileA(path.c_str(), &fd));
  if (!h) return std::nullopt;
  return vd::DirEntry{fd.cFileName, fd.dwFileAttributes};
}

namespace {

// Only these say the item is not there; anything else (a sharing violation,
// access denied, a drive not ready) leaves it unknown.
// Gone, or a name that cannot exist (too long, characters no name may hold).
bool IsNotFound(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
         error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_BAD_PATHNAME;
}

}  // namespace

vd::ItemLookup FileSystem::LookUp(const std::string& path) {
  if (path.empty() || HasWildcards(path)) return {};
  // A search reads the folder, not the item, so it answers for a file that
  // another program holds open without sharing.
  WIN32_FIND_DATAA fd;
  base::FindHandle h(::FindFirstFileA(path.c_str(), &fd));
  if (h) return {vd::Presence::Found, {fd.cFileName, fd.dwFileAttributes}};
  if (IsNotFound(::GetLastError())) return {};
  // The folder cannot be listed: the item may still tell its attributes.
  const DWORD a = ::GetFileAttributesA(path.c_str());
  if (a != INVALID_FILE_ATTRIBUTES) {
    const std::size_t slash = path.find_last_of("\\/");
    return {vd::Presence::Found, {path.substr(slash == std::string::npos ? 0 : slash + 1), a}};
  }
  if (IsNotFound(::GetLastError())) return {};
  return {vd::Presence::Unknown, {}};
}

std::vector<vd::DirEntry> FileSystem::ListFolder(const std::string& folder) {
  std::vector<vd::DirEntry> out;
  if (folder.empty() || HasWildcards(folder)) return out;
  std::string pattern = folder;
  if (pattern.back() != '\\') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA fd;
  base::FindHandle h(::FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH));
  if (!h) return out;
  do {
    if (std::strcmp(fd.cFileName, ".") == 0 || std::strcmp(fd.cFileName, "..") == 0) continue;
    out.push_back({fd.cFileName, fd.dwFileAttributes});
  } while (::FindNextFileA(h.Get(), &fd));
  return out;
}

std::optional<std::string> FileSystem::FolderIdentity(const std::string& folder) {
  if (folder.empty() || HasWildcards(folder)) return std::nullopt;
  base::FileHandle h(::CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!h || !::GetFileInformationByHandle(h.Get(), &info)) return std::nullopt;
  return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
         std::to_string(info.nFileIndexLow);
}

namespace {
// Up to bytes from the file's position on, in chunks; what a file shorter
// than that holds.
std::optional<std::string> ReadUpTo(HANDLE file, std::size_t bytes) {
  std::string data(bytes, '\0');
  std::size_t done = 0;
  while (done < data.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 24)), got = 0;
    if (!::ReadFile(file, data.data() + done, chunk, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    done += got;
  }
  data.resize(done);
  return data;
}
}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes) {
  base::FileHandle f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!f) return std::nullopt;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(f.Get(), &size) || size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > maxBytes)
    return std::nullopt;
  return ReadUpTo(f.Get(), static_cast<std::size_t>(size.QuadPart));
}

std::optional<std::string> ReadFileStart(const std::string& path, std::size_t maxBytes) {
  base::FileHandle f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!f) return std::nullopt;
  return ReadUpTo(f.Get(), maxBytes);
}

bool WriteFileReplacing(const std::string& path, const void* data, std::size_t size) {
  return WriteFileReplacing(path, std::vector<FilePiece>{{data, size}});
}

bool WriteFileReplacing(const std::string& path, const std::vector<FilePiece>& pieces) {
  // A folder in the file's place is never renamed or replaced.
  const DWORD existing = ::GetFileAttributesA(path.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY)) return false;
  // Scratch names beside the file and no longer than its own, so that they
  // fit wherever the file's name fits.
  const std::string temp = vd::ScratchPathBeside(path, '~', '_');
  if (temp.empty()) return false;
  {
    base::FileHandle f(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
    if (!f) return false;
    for (const FilePiece& piece : pieces) {
      const auto* p = static_cast<const char*>(piece.data);
      std::size_t done = 0;
      while (done < piece.size) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(piece.size - done, 1u << 26)), put = 0;
        if (!::WriteFile(f.Get(), p + done, chunk, &put, nullptr) || put == 0) {
          f.Reset();
          ::DeleteFileA(temp.c_str());
          return false;
        }
        done += put;
      }
    }
    if (!::FlushFileBuffers(f.Get())) {
      f.Reset();
      ::DeleteFileA(temp.c_str());
      return false;
    }
  }
  // A rename never leaves the name missing for a reader. It is refused while
  // someone has the old file open, so it is retried a moment later, and as a
  // last resort ReplaceFile, which copes with some open readers, takes over.
  for (int attempt = 0; attempt < 40; ++attempt) {
    if (::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    ::Sleep(5);
  }
  // ReplaceFile is given a backup name of our own; without one it may move
  // the old file to a scratch name of its own choosing and leave it there.
  const std::string backup = vd::ScratchPathBeside(path, '#', '$');
  const bool replaced = ::ReplaceFileA(path.c_str(), temp.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                                       nullptr, nullptr) != 0;
  if (!replaced && ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    // It failed halfway: the old file went to the backup name; put it back.
    ::MoveFileExA(backup.c_str(), path.c_str(), 0);
  }
  ::DeleteFileA(backup.c_str());
  ::DeleteFileA(temp.c_str());
  return replaced;
}

bool CreateEmptyFile(const std::string& path) {
  base::FileHandle f(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(f);
}

std::string ProgramFolder() {
  std::string buf(MAX_PATH, '\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    buf.resize(buf.size() * 2);
  }
  auto slash = buf.find_last_of('\\');
  return slash == std::string::npos ? std::string() : buf.substr(0, slash);
}

std::string EnvironmentVariable(const char* name) {
  DWORD n = ::GetEnvironmentVariableA(name, nullptr, 0);
  if (n == 0) return {};
  std::string v(n, '\0');
  DWORD got = ::GetEnvironmentVariableA(name, v.data(), n);
  v.resize(got < n ? got : 0);
  return v;
}

}  // namespace platform
