#include "main/list_store.h"

#include "engine/list_file.h"
#include "engine/wallpaper_list.h"
#include "forms/handles.h"
#include "main/app.h"
#include "main/frm_main.h"
#include "main/frm_wait.h"
#include "platform/text.h"

namespace {
// Larger list files are refused rather than read into memory.
constexpr std::size_t kMaxListFileBytes = std::size_t{128} << 20;
}  // namespace

void LoadList(std::string& path, bool clearFirst) {
  AppState& a = app();
  if (path.empty()) path = a.paths.defaultListPath;
  if (!vd::NormalFileExists(a.fs, path)) {
    platform::CreateEmptyFile(path);
    return;
  }
  // A file that cannot be read changes nothing: the list on screen, and the
  // default list file that mirrors it, stay as they are.
  auto bytes = platform::ReadWholeFile(path, kMaxListFileBytes);
  if (!bytes) return;
  FrmMain& m = frmMain();
  if (clearFirst) m.ClearEntries();
  frmWait().ShowNoActivate();
  std::vector<std::string> lines = vd::SplitListLines(*bytes, &platform::LegacyAnsiToUtf8);
  bytes.reset();
  vd::FilterListLines(
      lines, a.fs, [&m](vd::ListEntry e) { m.AppendEntry(e); }, [] { forms::DoEvents(); });
  SaveList(std::string());
  frmWait().Unload();
}

void LoadList(const std::string& path, bool clearFirst) {
  std::string p = path;
  LoadList(p, clearFirst);
}

bool SaveList(std::string& path) {
  AppState& a = app();
  if (path.empty()) path = a.paths.defaultListPath;
  if (path.empty()) return false;  // the paths are not known yet: nowhere to write
  std::string text = vd::SerializeList(frmMain().entries);
  return platform::WriteFileReplacing(path, text.data(), text.size());
}

bool SaveList(const std::string& path) {
  std::string p = path;
  return SaveList(p);
}

namespace {

void PreviewOnce() {
  AppState& a = app();
  FrmMain& m = frmMain();
  // Every entry gets one chance: a list of which no picture loads ends the search.
  for (int failures = 0;;) {
    const int i = m.SelectedIndex();
    const int count = static_cast<int>(m.entries.size());
    if (i < 0 || i >= count) return;
    const std::string path = m.entries[static_cast<std::size_t>(i)].FullPath();
    if (!vd::NormalFileExists(a.fs, path)) {
      m.RemoveEntry(i);
      SaveList(std::string());
      return;
    }
    if (m.LoadBackPic(path) && m.showThumbnail()) return;
    if ((count == 1 && i == 0) || ++failures >= count) return;
    m.SelectQuietly(i + 1 < count ? i + 1 : 0);
  }
}

}  // namespace

void PreviewSelectedEntry() {
  FrmMain& m = frmMain();
  if (m.composing) {
    m.previewWanted = true;
    return;
  }
  forms::ScopedFlag busy(m.composing);
  do {
    m.previewWanted = false;
    PreviewOnce();
  } while (m.previewWanted);
}
