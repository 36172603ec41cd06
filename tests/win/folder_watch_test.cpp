// The folder watcher on real folders under Wine: the first report is a whole
// scan by the folder walk's rules; copies, renames (a storm of them too) and
// deletes follow; a folder that is missing or a file is watched once it is a
// folder; a folder no longer wanted reports nothing more; seventy folders
// are all followed, past the 63 handles one wait can take.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/folder_watch.h"

namespace {

std::string NewFolder(const std::string& tag) {
  char tmp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, tmp);
  const std::string path = std::string(tmp) + "vd-watch-" + tag + "-" + std::to_string(::GetCurrentProcessId());
  ::CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

void Touch(const std::string& path) {
  HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
  ::CloseHandle(f);
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ::Sleep(20);
  }
  return true;
}

// What a list following the reports would hold, as the list does it.
class Mirror {
 public:
  void Take(vdapp::FolderReport r) {
    std::lock_guard lock(mutex_);
    ++reports_;
    if (r.full) {  // says all about its own folder
      ++scans_;
      const std::string inside = r.watched.folder + "\\";
      std::erase_if(pictures_, [&](const std::string& p) { return p.rfind(inside, 0) == 0; });
      present_ = r.present.size();
    }
    for (const std::string& gone : r.removed) {
      for (auto it = pictures_.begin(); it != pictures_.end();) {
        it = (*it == gone || it->rfind(gone + "\\", 0) == 0) ? pictures_.erase(it) : std::next(it);
      }
    }
    for (const vd::ListEntry& e : r.added) pictures_.insert(e.FullPath());
  }
  std::set<std::string> Pictures() {
    std::lock_guard lock(mutex_);
    return pictures_;
  }
  int Scans() {
    std::lock_guard lock(mutex_);
    return scans_;
  }
  int Reports() {
    std::lock_guard lock(mutex_);
    return reports_;
  }
  std::size_t Present() {
    std::lock_guard lock(mutex_);
    return present_;
  }

 private:
  std::mutex mutex_;
  std::set<std::string> pictures_;
  int scans_ = 0, reports_ = 0;
  std::size_t present_ = 0;
};

TEST(FolderWatchTest, AScanFirstThenCopiesRenamesAndDeletesFollowAlsoInAStorm) {
  const std::string w = NewFolder("follow");
  ::CreateDirectoryA((w + "\\sub").c_str(), nullptr);
  Touch(w + "\\a.jpg");
  Touch(w + "\\b.png");
  Touch(w + "\\notes.txt");
  Touch(w + "\\sub\\s.gif");
  Touch(w + "\\hidden.jpg");
  ::SetFileAttributesA((w + "\\hidden.jpg").c_str(), FILE_ATTRIBUTE_HIDDEN);

  Mirror mirror;
  vdapp::FolderWatcher watcher([&](vdapp::FolderReport r) { mirror.Take(std::move(r)); });
  watcher.SetFolders({{w, true}});
  ASSERT_TRUE(WaitFor([&] { return mirror.Scans() == 1; }, 5000));
  EXPECT_EQ(mirror.Pictures(), (std::set<std::string>{w + "\\a.jpg", w + "\\b.png", w + "\\sub\\s.gif"}));
  EXPECT_EQ(mirror.Present(), 4u) << "every visible file counts as there, the text file too";

  // Copied in, renamed, deleted, a folder moved in with a picture.
  ASSERT_TRUE(::CopyFileA((w + "\\a.jpg").c_str(), (w + "\\c.jpg").c_str(), FALSE));
  ASSERT_TRUE(::MoveFileA((w + "\\b.png").c_str(), (w + "\\b2.png").c_str()));
  ASSERT_TRUE(::DeleteFileA((w + "\\sub\\s.gif").c_str()));
  const std::string outside = NewFolder("outside");
  Touch(outside + "\\m.bmp");
  ASSERT_TRUE(::MoveFileA(outside.c_str(), (w + "\\moved").c_str()));
  Touch(w + "\\more.txt");
  const std::set<std::string> expected = {w + "\\a.jpg", w + "\\c.jpg", w + "\\b2.png", w + "\\moved\\m.bmp"};
  EXPECT_TRUE(WaitFor([&] { return mirror.Pictures() == expected; }, 2000));

  // A storm: 10,000 renames; the mirror ends as the folder is, by the
  // notifications or by the scan an overflowing buffer brings.
  const std::string storm = w + "\\storm";
  ::CreateDirectoryA(storm.c_str(), nullptr);
  for (int i = 0; i < 200; ++i) Touch(storm + "\\f" + std::to_string(i) + "-0.jpg");
  for (int step = 0; step < 50; ++step) {
    for (int i = 0; i < 200; ++i) {
      const std::string from = storm + "\\f" + std::to_string(i) + "-" + std::to_string(step) + ".jpg";
      const std::string to = storm + "\\f" + std::to_string(i) + "-" + std::to_string(step + 1) + ".jpg";
      ASSERT_TRUE(::MoveFileA(from.c_str(), to.c_str()));
    }
  }
  std::set<std::string> afterStorm = expected;
  for (int i = 0; i < 200; ++i) afterStorm.insert(storm + "\\f" + std::to_string(i) + "-50.jpg");
  EXPECT_TRUE(WaitFor([&] { return mirror.Pictures() == afterStorm; }, 20000)) << mirror.Pictures().size();

  // No longer wanted: nothing more is reported.
  watcher.SetFolders({});
  ::Sleep(300);
  const int reports = mirror.Reports();
  Touch(w + "\\late.jpg");
  ::Sleep(1500);
  EXPECT_EQ(mirror.Reports(), reports);
}

TEST(FolderWatchTest, AMissingFolderOrAFileIsWatchedOnceItIsAFolder) {
  const std::string base = NewFolder("later");
  const std::string later = base + "\\Later", file = base + "\\File";
  Touch(file);
  Mirror mirror;
  vdapp::FolderWatcher watcher([&](vdapp::FolderReport r) { mirror.Take(std::move(r)); });
  watcher.SetFolders({{later, false}, {file, false}});
  ::Sleep(1500);
  EXPECT_EQ(mirror.Reports(), 0) << "nothing to scan yet";
  ::CreateDirectoryA(later.c_str(), nullptr);
  Touch(later + "\\z.jpg");
  ::CreateDirectoryA((later + "\\deeper").c_str(), nullptr);
  Touch(later + "\\deeper\\no.jpg");  // subfolders not watched
  EXPECT_TRUE(WaitFor([&] { return mirror.Pictures() == std::set<std::string>{later + "\\z.jpg"}; }, 5000));
  ASSERT_TRUE(::DeleteFileA(file.c_str()));
  ASSERT_TRUE(::CreateDirectoryA(file.c_str(), nullptr));
  Touch(file + "\\f.jpg");
  EXPECT_TRUE(WaitFor([&] { return mirror.Pictures().count(file + "\\f.jpg") == 1; }, 5000));
  EXPECT_EQ(mirror.Pictures().size(), 2u);
}

TEST(FolderWatchTest, SeventyFoldersAreAllFollowed) {
  const std::string base = NewFolder("many");
  std::vector<vd::WatchedFolder> folders;
  for (int i = 0; i < 70; ++i) {
    const std::string f = base + "\\w" + std::to_string(i);
    ::CreateDirectoryA(f.c_str(), nullptr);
    Touch(f + "\\a.jpg");
    folders.push_back({f, false});
  }
  Mirror mirror;
  vdapp::FolderWatcher watcher([&](vdapp::FolderReport r) { mirror.Take(std::move(r)); });
  watcher.SetFolders(folders);
  ASSERT_TRUE(WaitFor([&] { return mirror.Scans() == 70; }, 10000)) << mirror.Scans();
  ASSERT_EQ(mirror.Pictures().size(), 70u);

  // The last, one past the first 63 and the first: each copy is reported.
  std::set<std::string> expected = mirror.Pictures();
  for (const int i : {69, 64, 0}) {
    const std::string f = folders[static_cast<std::size_t>(i)].folder;
    ASSERT_TRUE(::CopyFileA((f + "\\a.jpg").c_str(), (f + "\\copy.jpg").c_str(), FALSE));
    expected.insert(f + "\\copy.jpg");
    EXPECT_TRUE(WaitFor([&] { return mirror.Pictures() == expected; }, 2000)) << "folder " << i;
  }
  // A delete in the last one leaves too, and no folder was scanned again.
  ASSERT_TRUE(::DeleteFileA((folders[69].folder + "\\a.jpg").c_str()));
  expected.erase(folders[69].folder + "\\a.jpg");
  EXPECT_TRUE(WaitFor([&] { return mirror.Pictures() == expected; }, 2000));
  EXPECT_EQ(mirror.Scans(), 70);
}

}  // namespace
