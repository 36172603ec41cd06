#include "engine/file_dialog_names.h"

#include "engine/paths.h"

namespace vd {

std::string WithListFileExtension(const std::string& name) {
  std::string ext = SplitPath(name, 3);
  for (char& c : ext) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return ext == ".vdl" ? name : name + ".vdl";
}

std::vector<std::string> PathsOfDialogSelection(std::string_view buffer) {
  std::vector<std::string_view> parts;
  while (!buffer.empty() && buffer.front() != '\0') {
    std::size_t end = buffer.find('\0');
    if (end == std::string_view::npos) end = buffer.size();
    parts.push_back(buffer.substr(0, end));
    buffer.remove_prefix(end < buffer.size() ? end + 1 : end);
  }
  std::vector<std::string> paths;
  if (parts.size() == 1) {
    paths.emplace_back(parts[0]);
    return paths;
  }
  for (std::size_t i = 1; i < parts.size(); ++i) {
    std::string folder(parts[0]);
    if (!folder.empty() && folder.back() != '\\') folder += '\\';  // a drive root keeps its one backslash
    paths.push_back(folder + std::string(parts[i]));
  }
  return paths;
}

std::string PictureDialogFilter(const std::vector<std::string>& extensions) {
  std::string patterns;
  for (const std::string& e : extensions) patterns += (patterns.empty() ? "*" : ";*") + e;
  return std::string("All supported Images") + '\0' + patterns + '\0';
}

std::string PictureFolderFilter(const std::vector<std::string>& extensions) {
  std::string filter;
  for (const std::string& e : extensions) filter += (filter.empty() ? "" : "|") + e;
  return filter;
}

}  // namespace vd
