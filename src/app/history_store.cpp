#include "app/history_store.h"

#include <windows.h>

#include <utility>

#include "engine/paths.h"
#include "platform/file_system.h"

namespace vdapp {

void HistoryStore::Load() {
  if (path_.empty()) return;
  RunOff<vd::WallpaperHistory>(
      disk_,
      [path = path_] {
        ::CreateDirectoryA(vd::SplitPath(path, 1).c_str(), nullptr);  // for the writes to come
        const auto text = platform::ReadFileStart(path, vd::WallpaperHistory::kMaxFileBytes);
        return text ? vd::WallpaperHistory::FromText(*text) : vd::WallpaperHistory{};
      },
      [this](vd::WallpaperHistory& kept) {
        const bool recorded = history_.Count() > 0;
        for (const vd::HistoryEntry& e : history_.Entries()) kept.Record(e);
        history_ = std::move(kept);
        loaded_ = true;
        if (recorded) Save();
      });
}

void HistoryStore::Record(vd::HistoryEntry entry) {
  history_.Record(std::move(entry));
  Save();
}

void HistoryStore::Save() {
  if (loaded_) writer_.Write(path_, history_.ToText());
}

}  // namespace vdapp
