#include "app/folder_watch.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <utility>

#include "engine/folder_walk.h"
#include "engine/wallpaper_list.h"
#include "platform/file_system.h"

namespace vdapp {

namespace {

// Notification buffer per folder: room for about a thousand names before the
// system reports an overflow (and the folder is scanned again).
constexpr DWORD kBufferBytes = 64 * 1024;
// Changes are handed over once the folder was quiet this long, or in
// batches of this many during a storm.
constexpr ULONGLONG kQuietMs = 100;
constexpr std::size_t kBatchLimit = 2000;
constexpr ULONGLONG kLongestWaitMs = 500;  // a steady trickle is handed over all the same
// A folder away (unplugged, deleted) is looked for again this often; one
// being watched is checked to be still there as often.
constexpr ULONGLONG kRetryMs = 1000;

struct Stopped {};

bool IsFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string Narrow(const wchar_t* text, int length) {
  const int n = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) ::WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), n, nullptr, nullptr);
  return out;
}

std::string Inside(const std::string& folder, const std::string& name) {
  return folder.back() == '\\' ? folder + name : folder + '\\' + name;
}

}  // namespace

// Each folder's read ends in a completion routine, run on the watcher's
// thread while it waits alertably: one wait follows any number of folders
// (a wait on handles takes 63 at most).
struct FolderWatcher::Slot {
  vd::WatchedFolder watched;
  HANDLE dir = INVALID_HANDLE_VALUE;
  OVERLAPPED overlapped{};  // hEvent carries the slot to the routine
  bool reading = false;     // a read is under way; its routine has not run
  bool done = false;        // the routine ran; Complete takes what it left
  DWORD error = 0, bytes = 0;
  std::vector<DWORD> buffer = std::vector<DWORD>(kBufferBytes / sizeof(DWORD));  // DWORD-aligned, as the call wants
  bool scanWanted = true;
  ULONGLONG nextLook = 0;
  // Changes not yet handed over, by path key; the last word on a path wins.
  std::map<std::string, std::pair<std::string, bool>> batch;  // key -> path, came
  ULONGLONG lastChange = 0, firstChange = 0;

  Slot() = default;
  ~Slot() { Close(); }
  Slot(const Slot&) = delete;
  Slot& operator=(const Slot&) = delete;

  bool Open() const { return dir != INVALID_HANDLE_VALUE; }

  static void CALLBACK Read(DWORD error, DWORD bytes, OVERLAPPED* overlapped) {
    Slot* slot = static_cast<Slot*>(overlapped->hEvent);
    slot->reading = false;
    slot->done = true;
    slot->error = error;
    slot->bytes = bytes;
  }

  bool Issue() {
    overlapped = OVERLAPPED{};
    overlapped.hEvent = this;
    done = false;
    const DWORD filter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
    if (::ReadDirectoryChangesW(dir, buffer.data(), kBufferBytes, watched.subfolders ? TRUE : FALSE, filter, nullptr,
                                &overlapped, &Slot::Read)) {
      reading = true;
      return true;
    }
    Close();
    return false;
  }

  // Opens the folder and starts reading its changes; before the scan, so
  // that nothing that happens during it is missed.
  bool Start() {
    // A file in the folder's place opens too; it is not watched.
    if (!IsFolder(watched.folder)) return false;
    dir = ::CreateFileA(watched.folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (dir == INVALID_HANDLE_VALUE) return false;
    scanWanted = true;
    return Issue();
  }

  void Close() {
    if (!Open()) return;
    // The buffer and the slot must outlive a read under way: the cancelled
    // read still ends in its routine (other slots' routines may run too).
    if (reading) {
      ::CancelIo(dir);
      while (reading) ::SleepEx(INFINITE, TRUE);
    }
    done = false;
    ::CloseHandle(dir);
    dir = INVALID_HANDLE_VALUE;
  }
};

FolderWatcher::FolderWatcher(std::function<void(FolderReport)> deliver) : deliver_(std::move(deliver)) {
  wake_ = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
  thread_ = std::thread([this] { Loop(); });
}

FolderWatcher::~FolderWatcher() {
  stop_ = true;
  ::SetEvent(wake_);
  if (thread_.joinable()) thread_.join();
  ::CloseHandle(wake_);
}

void FolderWatcher::SetFolders(std::vector<vd::WatchedFolder> folders) {
  {
    std::lock_guard lock(mutex_);
    wanted_ = std::move(folders);
    changed_ = true;
  }
  ::SetEvent(wake_);
}

void FolderWatcher::Scan(Slot& slot) {
  FolderReport report;
  report.watched = slot.watched;
  report.full = true;
  platform::FileSystem fs;  // the thread's own
  std::size_t sinceCheck = 0;
  try {
    // Every file counts as there: an entry of a kind without a decoder here
    // stays in the list as at a load.
    vd::WalkFolder(
        fs, slot.watched.folder, slot.watched.subfolders, std::string(),
        [&](const vd::ListEntry& e) {
          const std::uint64_t h = vd::PathHash(e);
          report.present.push_back(h);
          if (vd::IsListedImageExtension(e.ext) && vd::InWatchedFolder(slot.watched, e)) {
            report.added.push_back(e);
            report.addedHashes.push_back(h);
          }
        },
        [&] {
          if (++sinceCheck % 64 == 0 && stop_) throw Stopped{};
        });
  } catch (const Stopped&) {
    return;
  }
  // Gone while it was walked: its entries stay until it is back.
  if (!IsFolder(slot.watched.folder)) return;
  std::sort(report.present.begin(), report.present.end());
  slot.batch.clear();  // the scan has said it all
  deliver_(std::move(report));
}

void FolderWatcher::Complete(Slot& slot) {
  slot.done = false;
  const DWORD bytes = slot.bytes;
  if (slot.error == ERROR_NOTIFY_ENUM_DIR) {
    slot.scanWanted = true;  // more changes than the buffer held
    if (!slot.Issue()) slot.nextLook = ::GetTickCount64() + kRetryMs;
    return;
  }
  if (slot.error != ERROR_SUCCESS) {
    slot.Close();  // the folder went away: looked for again later
    slot.nextLook = ::GetTickCount64() + kRetryMs;
    return;
  }
  if (bytes == 0) {
    slot.scanWanted = true;  // more changes than the buffer held
  } else {
    // The records are read before the buffer is handed back to the system.
    std::vector<std::pair<std::string, DWORD>> changes;
    const auto* base = reinterpret_cast<const BYTE*>(slot.buffer.data());
    for (DWORD offset = 0;;) {
      const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + offset);
      changes.emplace_back(Narrow(info->FileName, static_cast<int>(info->FileNameLength / sizeof(WCHAR))), info->Action);
      if (info->NextEntryOffset == 0 || offset + info->NextEntryOffset >= bytes) break;
      offset += info->NextEntryOffset;
    }
    if (!slot.Issue()) slot.nextLook = ::GetTickCount64() + kRetryMs;
    platform::FileSystem fs;
    for (const auto& [name, action] : changes) {
      if (name.empty()) continue;
      const std::string path = Inside(slot.watched.folder, name);
      const std::string key = vd::PathKey(path);
      if (action == FILE_ACTION_REMOVED || action == FILE_ACTION_RENAMED_OLD_NAME) {
        slot.batch[key] = {path, false};
      } else if (action == FILE_ACTION_ADDED || action == FILE_ACTION_RENAMED_NEW_NAME) {
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
          continue;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
          // A folder moved in brings its pictures along, by the walk's rules.
          if (!slot.watched.subfolders || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
          vd::SkippedFiles skipped;
          vd::WalkPictures(
              fs, path, true, std::string(),
              [&](const vd::ListEntry& e) { slot.batch[vd::PathKey(e.FullPath())] = {e.FullPath(), true}; }, skipped,
              nullptr);
        } else if (vd::BelongsToWatched(slot.watched, path)) {
          slot.batch[key] = {path, true};
        }
      }
    }
    slot.lastChange = ::GetTickCount64();
    if (slot.firstChange == 0) slot.firstChange = slot.lastChange;
    return;
  }
  if (!slot.Issue()) slot.nextLook = ::GetTickCount64() + kRetryMs;
}

void FolderWatcher::Loop() {
  std::vector<std::unique_ptr<Slot>> slots;
  while (!stop_) {
    {
      std::lock_guard lock(mutex_);
      if (changed_) {
        changed_ = false;
        std::vector<std::unique_ptr<Slot>> next;
        for (const vd::WatchedFolder& w : wanted_) {
          std::unique_ptr<Slot> kept;
          for (auto& s : slots) {
            if (s && vd::PathKey(s->watched.folder) == vd::PathKey(w.folder) && s->watched.subfolders == w.subfolders)
              kept = std::move(s);
          }
          if (!kept) {
            kept = std::make_unique<Slot>();
            kept->watched = w;
          }
          next.push_back(std::move(kept));
        }
        slots = std::move(next);  // those no longer wanted close here
      }
    }
    // The reads that ended (their routines ran in the last wait, or while
    // another slot was closed); before the clock is read, as they note
    // the time of their changes.
    for (auto& s : slots) {
      if (s->done && s->Open()) Complete(*s);
    }
    const ULONGLONG now = ::GetTickCount64();
    for (auto& s : slots) {
      if (stop_) return;
      if (now >= s->nextLook) {
        s->nextLook = now + kRetryMs;
        if (!s->Open()) {
          s->Start();
        } else if (!IsFolder(s->watched.folder)) {
          s->Close();  // gone: its entries stay; scanned again when it is back
          s->batch.clear();
        }
      }
      if (s->Open() && s->scanWanted) {
        s->scanWanted = false;
        Scan(*s);
      }
      if (!s->batch.empty() && (now - s->lastChange >= kQuietMs || now - s->firstChange >= kLongestWaitMs ||
                                s->batch.size() >= kBatchLimit)) {
        FolderReport report;
        report.watched = s->watched;
        for (auto& [key, change] : s->batch) {
          if (change.second) {
            vd::ListEntry e = vd::SplitEntry(change.first);
            if (!vd::IsListedImageExtension(e.ext) || !vd::InWatchedFolder(s->watched, e)) continue;
            report.addedHashes.push_back(vd::PathHash(e));
            report.added.push_back(std::move(e));
          } else {
            report.removed.push_back(change.first);
          }
        }
        s->batch.clear();
        s->firstChange = 0;
        deliver_(std::move(report));
      }
    }
    bool pending = false;
    for (auto& s : slots) pending = pending || !s->batch.empty();
    const DWORD timeout = pending ? static_cast<DWORD>(kQuietMs) : static_cast<DWORD>(kRetryMs);
    // Alertable: the reads that ended run their routines here.
    ::WaitForSingleObjectEx(wake_, timeout, TRUE);
  }
}

}  // namespace vdapp
