// An in-memory file system for tests: Windows paths matched without regard
// to ASCII case, attributes, and 8.3 aliases that resolve to long names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/ports.h"

namespace vd {

class FakeFileSystem : public FileSystemPort {
 public:
  // Missing parent folders are created as plain folders.
  void AddFolder(const std::string& path, std::uint32_t attributes = attr::Directory, const std::string& shortName = "") {
    Add(path, attributes | attr::Directory, shortName);
  }
  void AddFile(const std::string& path, std::uint32_t attributes = attr::Archive, const std::string& shortName = "") {
    Add(path, attributes & ~attr::Directory, shortName);
  }
  // ListFolder of it then fails, as for a folder without access rights.
  void MakeUnreadable(const std::string& folder) {
    if (Node* n = Resolve(folder)) n->unreadable = true;
  }

  // Its attributes then cannot be read, as for a file that another program
  // holds open without sharing; a search still finds it.
  void MakeLocked(const std::string& path) {
    if (Node* n = Resolve(path)) n->locked = true;
  }
  // LookUp of exactly this path can tell neither way (access denied).
  void MakeUnanswerable(const std::string& path) { unanswerable_.push_back(Lower(path)); }

  std::optional<std::uint32_t> Attributes(const std::string& path) override {
    const Node* n = Resolve(path);
    if (!n || n->locked) return std::nullopt;
    return n->attributes;
  }
  ItemLookup LookUp(const std::string& path) override {
    for (const std::string& u : unanswerable_) {
      if (u == Lower(path)) return {Presence::Unknown, {}};
    }
    return FileSystemPort::LookUp(path);
  }
  std::optional<DirEntry> FindItem(const std::string& path) override {
    const Node* n = Resolve(path);
    // A search needs a name to look for: a root or a trailing "\" finds nothing.
    if (!n || n->name.empty() || path.back() == '\\') return std::nullopt;
    return DirEntry{n->name, n->attributes};
  }
  std::vector<DirEntry> ListFolder(const std::string& folder) override {
    const Node* n = Resolve(folder);
    std::vector<DirEntry> out;
    if (!n || n->unreadable || (n->attributes & attr::Directory) == 0) return out;
    for (const auto& child : n->children) out.push_back({child->name, child->attributes});
    return out;
  }

 private:
  struct Node {
    std::string name;  // empty for a drive root
    std::uint32_t attributes = attr::Directory;
    bool unreadable = false;
    bool locked = false;
    std::vector<std::unique_ptr<Node>> children;        // in the order added
    std::unordered_map<std::string, Node*> byLowerName;  // long names and aliases
  };

  static std::string Lower(std::string s) {
    for (char& c : s) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
  }

  // The drive key and the non-empty components; false for what no Windows
  // path looks like. Repeated "\" collapse, as the system does.
  static bool Parse(const std::string& path, std::string& drive, std::vector<std::string>& parts) {
    if (path.size() < 2 || path[1] != ':' || path.find_first_of("*?") != std::string::npos) return false;
    if (path.size() > 2 && path[2] != '\\') return false;
    drive = Lower(path.substr(0, 2));
    parts.clear();
    std::size_t start = 3;
    while (start < path.size()) {
      std::size_t end = path.find('\\', start);
      if (end == std::string::npos) end = path.size();
      if (end > start) parts.push_back(path.substr(start, end - start));
      start = end + 1;
    }
    return true;
  }

  Node* Resolve(const std::string& path) {
    std::string drive;
    std::vector<std::string> parts;
    if (!Parse(path, drive, parts)) return nullptr;
    auto it = drives_.find(drive);
    if (it == drives_.end()) return nullptr;
    Node* n = it->second.get();
    for (const std::string& part : parts) {
      auto child = n->byLowerName.find(Lower(part));
      if (child == n->byLowerName.end()) return nullptr;
      n = child->second;
    }
    return n;
  }

  void Add(const std::string& path, std::uint32_t attributes, const std::string& shortName) {
    std::string drive;
    std::vector<std::string> parts;
    if (!Parse(path, drive, parts)) return;
    auto& root = drives_[drive];
    if (!root) root = std::make_unique<Node>();
    Node* n = root.get();
    for (std::size_t i = 0; i < parts.size(); ++i) {
      const bool last = i + 1 == parts.size();
      auto found = n->byLowerName.find(Lower(parts[i]));
      if (found != n->byLowerName.end()) {
        n = found->second;
        if (last) n->attributes = attributes;
        continue;
      }
      auto child = std::make_unique<Node>();
      child->name = parts[i];
      child->attributes = last ? attributes : attr::Directory;
      Node* raw = child.get();
      n->byLowerName[Lower(parts[i])] = raw;
      if (last && !shortName.empty()) n->byLowerName[Lower(shortName)] = raw;
      n->children.push_back(std::move(child));
      n = raw;
    }
  }

  std::map<std::string, std::unique_ptr<Node>> drives_;
  std::vector<std::string> unanswerable_;
};

}  // namespace vd
