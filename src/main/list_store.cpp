#include "main/list_store.h"

#include <optional>
#include <utility>
#include <vector>

#include "engine/list_file.h"
#include "engine/list_order.h"
#include "engine/paths.h"
#include "engine/settings.h"
#include "engine/wallpaper_list.h"
#include "forms/handles.h"
#include "main/app.h"
#include "main/frm_main.h"
#include "main/frm_wait.h"
#include "main/wallpaper.h"
#include "platform/text.h"

namespace {
// Larger list files are refused rather than read into memory.
constexpr std::size_t kMaxListFileBytes = std::size_t{128} << 20;

std::optional<std::string> ReadListFile(const std::string& path) {
  AppState& a = app();
  auto bytes = platform::ReadWholeFile(path, kMaxListFileBytes);
  if (path == a.paths.defaultListPath) a.defaultListUnreadable = !bytes;
  return bytes;
}

// No messages run meanwhile: a command arriving in the middle would save,
// and so read and merge the file, a second time.
std::vector<vd::ListEntry> EntriesOf(const std::string& bytes) {
  std::vector<vd::ListEntry> entries;
  vd::FilterListLines(
      vd::SplitListLines(bytes, &platform::LegacyAnsiToUtf8), app().fs,
      [&entries](vd::ListEntry e) { entries.push_back(std::move(e)); }, nullptr);
  return entries;
}

// Before the default list file is written over, its entries must be in the
// list on screen. When they are not (it could not be read at start), it is
// read now and its entries go before the ones added since; when it still
// cannot be read, it is not written, and the changes stay in memory.
bool MayWriteDefaultList() {
  AppState& a = app();
  if (a.defaultListKnown && !a.defaultListUnreadable) return true;
  const std::string& path = a.paths.defaultListPath;
  if (!a.fs.Attributes(path)) {
    a.defaultListKnown = true;  // nothing there to lose
    a.defaultListUnreadable = false;
    return true;
  }
  const auto bytes = ReadListFile(path);
  if (!bytes) {
    if (!a.listNotSavedTold) {
      a.listNotSavedTold = true;
      // Told once the command at hand has finished: a message box here would
      // hold up the program that sent it.
      frmMain().PostNotice(FrmMain::Notice::ListNotSaved);
    }
    return false;
  }
  if (!a.defaultListKnown) {
    FrmMain& m = frmMain();
    std::vector<vd::ListEntry> merged = EntriesOf(*bytes);
    const int offset = static_cast<int>(merged.size());
    const int selected = m.SelectedIndex();
    merged.insert(merged.end(), m.entries.begin(), m.entries.end());
    m.ClearEntries();
    for (const vd::ListEntry& e : merged) m.AppendEntry(e);
    if (selected >= 0) m.SelectQuietly(selected + offset);
  }
  a.defaultListKnown = true;
  return true;
}

}  // namespace

void LoadList(std::string& path, bool clearFirst) {
  AppState& a = app();
  if (path.empty()) path = a.paths.defaultListPath;
  const bool isDefault = path == a.paths.defaultListPath;
  if (!vd::NormalFileExists(a.fs, path)) {
    // Something that is not a normal file (a folder, a hidden file) keeps the
    // default list's name taken: it is not the program's to write over.
    if (platform::CreateEmptyFile(path) && isDefault) a.defaultListKnown = true;
    return;
  }
  // A file that cannot be read changes nothing: the list on screen, and the
  // default list file that mirrors it, stay as they are.
  auto bytes = ReadListFile(path);
  if (!bytes) return;
  FrmMain& m = frmMain();
  if (clearFirst) m.ClearEntries();
  if (isDefault || clearFirst) a.defaultListKnown = true;
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
  if (path == a.paths.defaultListPath && !MayWriteDefaultList()) return false;
  std::string text = vd::SerializeList(frmMain().entries);
  return platform::WriteFileReplacing(path, text.data(), text.size());
}

bool SaveList(const std::string& path) {
  std::string p = path;
  return SaveList(p);
}

std::optional<vd::ListEntry> ListEntryFor(const std::string& path) {
  const std::optional<std::string> spelled = vd::ListPathSpeller(app().fs).Spell(path);
  // A list keeps an entry it cannot check, but a new one must be seen to be there.
  if (!spelled || app().fs.LookUp(*spelled).presence != vd::Presence::Found) return std::nullopt;
  return vd::SplitEntry(*spelled);
}

void SortList() {
  const int choice = vd::TextAsIndex(app().settings.sortingType);
  if (choice != static_cast<int>(vd::ListOrder::Location) && choice != static_cast<int>(vd::ListOrder::Name)) return;
  FrmMain& m = frmMain();
  m.ReorderEntries(vd::SortedOrder(m.entries, static_cast<vd::ListOrder>(choice)));
  SaveList(std::string());
}

namespace {

// The path of the picked entry that could not be shown; empty otherwise.
std::string PreviewOnce(bool picked) {
  AppState& a = app();
  FrmMain& m = frmMain();
  // Every entry gets one chance: a list of which no picture loads ends the search.
  for (int failures = 0;;) {
    const int i = m.SelectedIndex();
    const int count = static_cast<int>(m.entries.size());
    if (i < 0 || i >= count) return {};
    const std::string path = m.entries[static_cast<std::size_t>(i)].FullPath();
    // Only a file that is really gone leaves the list; one held open by
    // another program stays.
    if (!vd::ListPathSpeller(a.fs).Spell(path)) {
      m.RemoveEntry(i);
      SaveList(std::string());
      return {};
    }
    if (m.LoadBackPic(path) && m.showThumbnail()) return {};
    if (picked) return path;
    if ((count == 1 && i == 0) || ++failures >= count) return {};
    m.SelectQuietly(i + 1 < count ? i + 1 : 0);
  }
}

}  // namespace

void PreviewSelectedEntry(bool picked) {
  FrmMain& m = frmMain();
  if (m.composing) {
    m.previewWanted = true;
    return;
  }
  std::string refused;
  {
    forms::ScopedFlag busy(m.composing);
    do {
      m.previewWanted = false;
      refused = PreviewOnce(picked);
    } while (m.previewWanted);
  }
  if (!refused.empty()) ReportPictureProblem(refused, true);
}
