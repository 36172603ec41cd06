#include "app/list_store.h"

#include <windows.h>

#include <atomic>
#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "app/background.h"
#include "app/ui_port.h"
#include "app/watched_lists.h"
#include "engine/command_text.h"
#include "engine/file_dialog_names.h"
#include "engine/folder_walk.h"
#include "engine/list_file.h"
#include "engine/list_order.h"
#include "engine/paths.h"
#include "engine/settings.h"
#include "engine/wallpaper_list.h"
#include "engine/watched_folders.h"
#include "platform/text.h"

namespace vdapp {

namespace {
// Larger list files are refused rather than read into memory.
constexpr std::size_t kMaxListFileBytes = std::size_t{128} << 20;

// The copy of the default list in the user's application data, written
// right after the default list and from the same text.
void WriteListCopy(const std::string& copy, const std::string& text) {
  if (copy.empty()) return;
  const std::string folder = vd::SplitPath(copy, 1);
  ::CreateDirectoryA(folder.c_str(), nullptr);  // usually there already
  // A folder left in the copy's place (empty, or the file system could not
  // tell) gives way; one with something in it stays, and so does the copy.
  platform::FileSystem fs;  // a thread's own: this runs on the list writer's thread
  if (const auto attributes = fs.Attributes(copy); attributes && (*attributes & vd::attr::Directory) != 0)
    ::RemoveDirectoryA(copy.c_str());
  platform::WriteFileReplacing(copy, text.data(), text.size());
}

}  // namespace

std::optional<std::string> ListStore::ReadListFile(const std::string& path) {
  AppState& a = state_;
  if (path == a.paths.defaultListPath) background_.Writer().Flush(5000);  // a save still on its way is read back
  auto bytes = platform::ReadWholeFile(path, kMaxListFileBytes);
  if (path == a.paths.defaultListPath) a.defaultListUnreadable = !bytes;
  return bytes;
}

// yield: lets messages run every few hundred lines of a long list.
std::vector<vd::ListEntry> ListStore::EntriesOf(const std::string& bytes, const std::function<void()>& yield) {
  std::vector<vd::ListEntry> entries;
  vd::FilterListLines(
      vd::SplitListLines(bytes, &platform::LegacyAnsiToUtf8), state_.fs,
      [&entries](vd::ListEntry e) { entries.push_back(std::move(e)); }, yield);
  return entries;
}

// Before the default list file is written over, its entries must be in the
// list on screen. When they are not (it could not be read at start), it is
// read now and its entries go before the ones added since; when it still
// cannot be read, it is not written, and the changes stay in memory.
bool ListStore::MayWriteDefaultList() {
  AppState& a = state_;
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
      ui().PostListNotSavedNotice();
    }
    return false;
  }
  if (!a.defaultListKnown) {
    std::vector<vd::ListEntry> merged = EntriesOf(*bytes, nullptr);
    const int offset = static_cast<int>(merged.size());
    const int selected = a.list.Selected();
    merged.insert(merged.end(), a.list.Entries().begin(), a.list.Entries().end());
    a.list.Replace(std::move(merged));
    if (selected >= 0) a.list.Select(selected + offset);
  }
  a.defaultListKnown = true;
  return true;
}

// A default list emptied away by a clean-up of the temporary folder comes
// back from its copy, without a word. Only a missing one: a list that is
// there but cannot be read is not the copy's to replace.
void ListStore::RestoreDefaultListFromCopy() {
  AppState& a = state_;
  if (a.paths.listCopyPath.empty() || a.fs.Attributes(a.paths.defaultListPath)) return;
  if (!vd::NormalFileExists(a.fs, a.paths.listCopyPath)) return;
  if (auto bytes = platform::ReadWholeFile(a.paths.listCopyPath, kMaxListFileBytes)) {
    platform::WriteFileReplacing(a.paths.defaultListPath, bytes->data(), bytes->size());
  } else {
    a.listCopyHeldBack = true;
  }
}

void ListStore::TellSkipped(const vd::SkippedFiles& skipped) {
  if (skipped.Count() > 0) ui().PostNotice(skipped.Message(), "Vexa Desktop");
}

void ListStore::RunRelayedCommand(const std::string& text) {
  AppState& a = state_;
  const vd::CommandText cmd = vd::SplitCommandText(text);
  if (cmd.option == "-l") {
    if (vd::NormalFileExists(a.fs, cmd.argument)) LoadList(cmd.argument, true);
  } else if (cmd.option == "-i") {
    if (ListEntryFor(cmd.argument)) AddPictures({cmd.argument});
  } else if (cmd.option == "-n") {
    // A folder handed over from Explorer: added as at a fresh start with it,
    // subfolders included. A folder that is not there does nothing, like a
    // missing file for the other commands (no dialog pops up unasked).
    auto attributes = a.fs.Attributes(cmd.argument);
    if (cmd.argument.empty() || !attributes || (*attributes & vd::attr::Directory) == 0) return;
    ui().ShowProgress("Loading wallpapers list...");
    ui().LetMessagesRun();
    AddFolder(cmd.argument, true, vd::StripFilterStars(vd::PictureFolderFilter(vd::PictureExtensions())));
    SaveList(a.paths.defaultListPath);
    ui().CloseProgress();
    a.mainWindowOpen = true;
    ui().ShowMainWindow();
  }
}

void ListStore::CarryRelayedCommand(const std::string& text) {
  AppState& a = state_;
  const vd::CommandText cmd = vd::SplitCommandText(text);
  if (cmd.option == "-l") {
    if (vd::NormalFileExists(a.fs, cmd.argument)) LoadList(cmd.argument, true);
  } else if (cmd.option == "-i") {
    if (const auto entry = ListEntryFor(cmd.argument)) a.list.Append(*entry);
  } else if (cmd.option == "-n") {
    const auto attributes = a.fs.Attributes(cmd.argument);
    if (!cmd.argument.empty() && attributes && (*attributes & vd::attr::Directory) != 0)
      AddFolder(cmd.argument, true, vd::StripFilterStars(vd::PictureFolderFilter(vd::PictureExtensions())));
  }
}

bool WriteListFile(const std::string& path, const std::string& text, const std::string& defaultList,
                   const std::string& listCopy, const std::atomic<bool>& heldBack) {
  if (!platform::WriteFileReplacing(path, text.data(), text.size())) return false;
  if (path == defaultList && !heldBack) WriteListCopy(listCopy, text);
  return true;
}

void ListStore::LoadList(std::string& path, bool clearFirst) {
  AppState& a = state_;
  if (path.empty()) path = a.paths.defaultListPath;
  const bool isDefault = path == a.paths.defaultListPath;
  if (isDefault) RestoreDefaultListFromCopy();
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
  ui().ShowProgress(std::string());
  // Read whole before the list changes: the list on screen stays as it was
  // while the file is checked line by line.
  std::vector<vd::ListEntry> entries = EntriesOf(*bytes, [this] { ui().LetMessagesRun(); });
  vd::WatchList watched = vd::WatchList::FromLines(vd::SplitListLines(*bytes, &platform::LegacyAnsiToUtf8));
  bytes.reset();
  if (clearFirst) {
    a.list.Replace(std::move(entries));
    a.watched = std::move(watched);
  } else {
    a.list.Append(std::move(entries));
    for (const vd::WatchedFolder& w : watched.Folders()) a.watched.Watch(w);
    for (const std::string& p : watched.Exclusions()) a.watched.Exclude(p);
  }
  watched_.FollowWatchedFolders();
  if (isDefault || clearFirst) a.defaultListKnown = true;
  SaveList(std::string());
  ui().CloseProgress();
}

void ListStore::LoadList(const std::string& path, bool clearFirst) {
  std::string p = path;
  LoadList(p, clearFirst);
}

bool ListStore::SaveList(std::string& path) {
  AppState& a = state_;
  if (path.empty()) path = a.paths.defaultListPath;
  if (path.empty()) return false;  // the paths are not known yet: nowhere to write
  if (path == a.paths.defaultListPath && !MayWriteDefaultList()) return false;
  std::string text = vd::SerializeList(a.list.Entries()) + a.watched.Serialize();
  if (path == a.paths.defaultListPath) {
    // Written on the writer's thread (WriteListFile), the same safe way;
    // a later save replaces one not yet written.
    background_.Writer().Write(path, std::move(text));
    return true;
  }
  return platform::WriteFileReplacing(path, text.data(), text.size());
}

bool ListStore::SaveList(const std::string& path) {
  std::string p = path;
  return SaveList(p);
}

std::optional<vd::ListEntry> ListStore::ListEntryFor(const std::string& path) {
  if (vd::KindOfEntry(path) != vd::EntryKind::Picture) return std::nullopt;
  const std::optional<std::string> spelled = vd::ListPathSpeller(state_.fs).Spell(path);
  // A list keeps an entry it cannot check, but a new one must be seen to be there.
  if (!spelled || state_.fs.LookUp(*spelled).presence != vd::Presence::Found ||
      vd::KindOfEntry(*spelled) != vd::EntryKind::Picture)
    return std::nullopt;
  return vd::SplitEntry(*spelled);
}

void ListStore::SortList() {
  AppState& a = state_;
  const int choice = vd::TextAsIndex(a.settings.sortingType);
  if (choice != static_cast<int>(vd::ListOrder::Location) && choice != static_cast<int>(vd::ListOrder::Name)) return;
  a.list.Reorder(vd::SortedOrder(a.list.Entries(), static_cast<vd::ListOrder>(choice)));
  SaveList(std::string());
}

void ListStore::AddPictures(const std::vector<std::string>& paths) {
  std::vector<vd::ListEntry> added;
  for (const std::string& path : paths) {
    if (const auto entry = ListEntryFor(path)) added.push_back(*entry);
  }
  state_.list.Append(std::move(added));
  SaveList(state_.paths.defaultListPath);
}

void ListStore::RemoveEntry(int index, const std::string& path) {
  AppState& a = state_;
  if (!a.list.Has(index) || a.list.At(index).FullPath() != path) return;
  a.watched.Exclude(path);
  a.list.Remove(index);
  SaveList(std::string());
}

void ListStore::ForgetEntry(int index, const std::string& path) {
  AppState& a = state_;
  if (!a.list.Has(index) || a.list.At(index).FullPath() != path) return;
  a.list.Remove(index);
  SaveList(std::string());
}

void ListStore::RemoveAll() {
  AppState& a = state_;
  const int n = a.list.Count();
  if (n > 0 && ui().Message("Remove all " + std::to_string(n) + " pictures from the list?", MB_YESNO | MB_ICONQUESTION,
                            "Vexa Desktop") != IDYES)
    return;
  a.list.Clear();
  a.watched.Clear();
  watched_.FollowWatchedFolders();
  SaveList(std::string());
}

void ListStore::ClearList() {
  state_.list.Clear();
  state_.watched.Clear();
  watched_.FollowWatchedFolders();
}

void ListStore::AddFolder(const std::string& chosen, bool recurse, const std::string& filter) {
  vd::SkippedFiles skipped;
  AppState& a = state_;
  std::string folder = chosen;
  // Spelled as the file system has it, so that the entries load back as added.
  if (std::string spelled = vd::GetLongPath(a.fs, folder); !spelled.empty()) {
    folder = spelled.size() == 2 ? spelled + '\\' : spelled;  // a root keeps its backslash
  } else if (folder.size() > 3 && folder.back() == '\\') {
    folder.pop_back();
  }
  a.watched.Watch({folder, recurse});
  watched_.FollowWatchedFolders();
  // A picture the list has already, or one the user took out, is not added again.
  std::unordered_set<std::string> known;
  for (const vd::ListEntry& e : a.list.Entries()) known.insert(vd::PathKey(e.FullPath()));
  // The list shows what the walk found so far each time messages run.
  std::vector<vd::ListEntry> found;
  vd::WalkPictures(
      a.fs, folder, recurse, filter,
      [&](const vd::ListEntry& e) {
        const std::string path = e.FullPath();
        if (!a.watched.IsExcluded(path) && known.insert(vd::PathKey(path)).second) found.push_back(e);
      },
      skipped,
      [&] {
        a.list.Append(std::exchange(found, {}));
        ui().LetMessagesRun();
      });
  a.list.Append(std::move(found));
  TellSkipped(skipped);
}

void ListStore::QueueRelayedCommand(const std::string& text) {
  // The sender has been answered: should VD end before the command runs,
  // what it adds still goes into the list, without a dialog.
  state_.commands.Enqueue({"Relayed " + text.substr(0, 2), CommandCore::Kind::Other,
                           [this, text] { RunRelayedCommand(text); }, [this, text] { CarryRelayedCommand(text); }});
}

}  // namespace vdapp
