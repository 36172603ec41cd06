// Splitting and normalising Windows paths ("C:\dir\name.ext").
#pragma once

#include <optional>
#include <string>
#include <unordered_map>

#include "engine/ports.h"

namespace vd {

// part 1: the folder up to and including the last "\" ("" when there is none);
// part 2: the name between the last "\" and the last "." (everything after the
//         last "\" when no "." follows it);
// any other part: the extension from the last "." on, or the whole path when
//         there is no ".".
std::string SplitPath(const std::string& path, int part);

// The same path with "." and ".." resolved and every component spelled as
// stored on disk (long names instead of 8.3 aliases), without a trailing
// "\". "/" is taken for "\". "" when path is empty, is not of the form
// "X:\...", holds characters no file name can have, or names something that
// does not exist.
std::string GetLongPath(FileSystemPort& fs, const std::string& path);

// Puts picture paths into the one form the wallpaper list keeps, the form a
// later load accepts: "X:\" and every component as stored on disk,
// backslashes only, no "." or ".." parts and no empty ones. Folders once
// looked up are remembered, so a long list costs about one look-up per file:
// use one object per load or addition.
class ListPathSpeller {
 public:
  explicit ListPathSpeller(FileSystemPort& fs) : fs_(fs) {}
  // nullopt when path names no normal file: the system says it is missing,
  // or it is a folder, hidden or system. A file that cannot be looked at now
  // (held open by another program, in a folder that cannot be listed) is
  // kept, with the parts that cannot be told as written. A path not of the
  // form "X:\..." (a network path, say) is kept as given when a normal file
  // of that name exists.
  std::optional<std::string> Spell(const std::string& path);

 private:
  FileSystemPort& fs_;
  std::unordered_map<std::string, std::optional<std::string>> folders_;  // as asked -> as spelled; nullopt: missing
};

// A scratch file's path beside path and exactly as long, so that it fits
// wherever path fits: the file name's first character becomes mark, or
// otherMark when it already is mark. "" when path ends in "\".
std::string ScratchPathBeside(const std::string& path, char mark, char otherMark);

inline std::string FullPathOf(const std::string& dir, const std::string& name, const std::string& ext) {
  return dir + name + ext;
}

}  // namespace vd
