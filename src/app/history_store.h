// The history kept across runs: read once at start off the UI thread, and
// written after every change through the list writer (scratch file, then
// replace), so the UI thread never waits on the disk for it.
#pragma once

#include <string>

#include "app/background.h"
#include "app/list_writer.h"
#include "engine/history.h"

namespace vdapp {

class HistoryStore {
 public:
  // history lives as long as the store; path "" keeps nothing on disk.
  HistoryStore(vd::WallpaperHistory& history, std::string path, Lane& disk, ListWriter& writer)
      : history_(history), path_(std::move(path)), disk_(disk), writer_(writer) {}

  // Reads the kept history on the disk's lane. What this run recorded before
  // it arrives comes after the kept entries.
  void Load();
  // A change put entry on the desktop.
  void Record(vd::HistoryEntry entry);
  // The position moved (Previous, or forward again): the file follows.
  void Save();

 private:
  vd::WallpaperHistory& history_;
  std::string path_;
  Lane& disk_;
  ListWriter& writer_;
  bool loaded_ = false;  // nothing is written before the kept file has been read
};

}  // namespace vdapp
