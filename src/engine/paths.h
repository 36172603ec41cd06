// Splitting and normalising Windows paths ("C:\dir\name.ext").
#pragma once

#include <string>

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
// "\". "" when path is empty, is
// not of the form "X:\...", holds characters no file name can have, or names
// something that does not exist.
std::string GetLongPath(FileSystemPort& fs, const std::string& path);

// A scratch file's path beside path and exactly as long, so that it fits
// wherever path fits: the file name's first character becomes mark, or
// otherMark when it already is mark. "" when path ends in "\".
std::string ScratchPathBeside(const std::string& path, char mark, char otherMark);

inline std::string FullPathOf(const std::string& dir, const std::string& name, const std::string& ext) {
  return dir + name + ext;
}

}  // namespace vd
