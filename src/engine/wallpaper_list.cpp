#include "engine/wallpaper_list.h"

#include <algorithm>
#include <iterator>

#include "engine/paths.h"

namespace vd {

ListEntry SplitEntry(const std::string& path) {
  return {SplitPath(path, 1), SplitPath(path, 2), SplitPath(path, 3)};
}

namespace {

const char* const kBuiltInExtensions[] = {".bmp", ".jpeg", ".jpg", ".gif", ".png", ".tif", ".tiff"};

// Picture kinds that need a codec the system may lack: the newer formats,
// the other names of JPEG and the camera raw files that Windows' codecs read.
const char* const kOtherPictureExtensions[] = {
    ".webp", ".heic", ".heif", ".hif",  ".avif", ".jxl", ".jxr", ".wdp", ".hdp", ".jfif", ".jpe", ".exif",
    ".ico",  ".dds",  ".dng",  ".cr2",  ".cr3",  ".nef", ".nrw", ".arw", ".orf", ".rw2", ".raf", ".pef",
    ".srw",  ".sr2",  ".3fr",  ".erf",  ".mrw",  ".ori", ".kdc", ".dcr", ".mos", ".rwl", ".crw"};

std::vector<std::string>& SystemExtensions() {
  static std::vector<std::string> extensions;
  return extensions;
}

std::string Lower(std::string_view s) {
  std::string lower(s);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace

std::vector<std::string> PictureExtensions() {
  std::vector<std::string> all(std::begin(kBuiltInExtensions), std::end(kBuiltInExtensions));
  for (const std::string& e : SystemExtensions())
    if (std::find(all.begin(), all.end(), e) == all.end()) all.push_back(e);
  return all;
}

void SetSystemPictureExtensions(const std::vector<std::string>& extensions) {
  std::vector<std::string>& kept = SystemExtensions();
  kept.clear();
  for (const std::string& e : extensions) {
    // A dot and a few letters or digits: nothing that could widen a file
    // dialog's pattern or a folder filter.
    const bool plain = e.size() >= 2 && e.size() <= 16 && e[0] == '.' &&
                       std::all_of(e.begin() + 1, e.end(), [](char c) {
                         return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
                       });
    if (plain && std::find(kept.begin(), kept.end(), Lower(e)) == kept.end()) kept.push_back(Lower(e));
  }
}

bool IsListedImageExtension(std::string_view ext) {
  const std::string lower = Lower(ext);
  const std::vector<std::string>& system = SystemExtensions();
  return std::find(std::begin(kBuiltInExtensions), std::end(kBuiltInExtensions), lower) !=
             std::end(kBuiltInExtensions) ||
         std::find(system.begin(), system.end(), lower) != system.end();
}

}  // namespace vd

namespace vd {

EntryKind KindOfEntry(std::string_view path) {
  const std::string ext = SplitPath(std::string(path), 3);
  if (ext.size() < 2 || ext[0] != '.') return EntryKind::NotPicture;  // no extension at all
  if (IsListedImageExtension(ext)) return EntryKind::Picture;
  const std::string lower = Lower(ext);
  for (const char* known : kOtherPictureExtensions)
    if (lower == known) return EntryKind::NoDecoder;
  return EntryKind::NotPicture;
}

void SkippedFiles::Add(EntryKind kind, std::string_view path) {
  if (kind == EntryKind::NotPicture) {
    ++notPicture_;
  } else if (kind == EntryKind::NoDecoder) {
    const std::string ext = Lower(SplitPath(std::string(path), 3));
    auto it = std::find_if(noDecoder_.begin(), noDecoder_.end(), [&](const auto& p) { return p.first == ext; });
    if (it == noDecoder_.end()) {
      noDecoder_.emplace_back(ext, 1);
    } else {
      ++it->second;
    }
  }
}

int SkippedFiles::Count() const {
  int n = notPicture_ + tooLong_;
  for (const auto& p : noDecoder_) n += p.second;
  return n;
}

std::string SkippedFiles::Message() const {
  std::string text;
  auto line = [&text](int n, const std::string& why) {
    if (!text.empty()) text += "\r\n";
    text += std::to_string(n) + (n == 1 ? " file skipped: " : " files skipped: ") + why;
  };
  for (const auto& [ext, n] : noDecoder_) line(n, "no decoder for " + ext + " on this system");
  if (notPicture_ > 0) line(notPicture_, "not a picture");
  if (tooLong_ > 0) line(tooLong_, "path longer than 259 characters");
  return text;
}

}  // namespace vd
