// The picture worker's end: whatever state it is left in, its thread has
// ended when the worker is gone, and nothing it queued reaches the program.
// The same for the parts that own it: they end in an order in which nothing
// outlives what it uses.
#include "app/picture_worker.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "app/app_parts.h"
#include "engine/bitmap_file.h"
#include "engine/file_dialog_names.h"
#include "engine/folder_walk.h"
#include "engine/wallpaper_list.h"

namespace {

std::set<DWORD> ThreadsOfThisProcess() {
  std::set<DWORD> ids;
  HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 te{};
  te.dwSize = sizeof te;
  for (BOOL ok = ::Thread32First(snap, &te); ok; ok = ::Thread32Next(snap, &te))
    if (te.th32OwnerProcessID == ::GetCurrentProcessId()) ids.insert(te.th32ThreadID);
  ::CloseHandle(snap);
  return ids;
}

// A picture large enough that decoding and composing it takes a while.
std::string WriteLargeBmp(const char* name) {
  char dir[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, dir);
  const std::string path = std::string(dir) + name;
  vd::Image img(3200, 2400);
  const vd::ImageView v = img.View();
  for (int y = 0; y < v.height; ++y)
    for (int x = 0; x < v.width; ++x) {
      std::uint8_t* p = v.Pixel(x, y);
      p[0] = static_cast<std::uint8_t>(x), p[1] = static_cast<std::uint8_t>(y), p[2] = static_cast<std::uint8_t>(x ^ y);
      p[3] = 255;
    }
  const std::vector<std::uint8_t> bytes = vd::EncodeBmp(img.View());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  return path;
}

vdapp::PictureJob WallpaperJob(const std::string& picture) {
  vdapp::PictureJob job;
  job.purpose = vdapp::PictureJob::Purpose::Wallpaper;
  job.path = picture;
  job.style = 2;  // stretched: the whole picture is decoded and resampled
  job.screenWidth = 2560;
  job.screenHeight = 1600;
  job.previewWidth = 198;
  job.previewHeight = 148;
  job.bitmapPath = picture + ".out.bmp";
  return job;
}

// The worker's thread, opened so that the test can wait for it.
HANDLE OpenNewThread(const std::set<DWORD>& before) {
  for (DWORD id : ThreadsOfThisProcess())
    if (!before.count(id)) return ::OpenThread(SYNCHRONIZE | THREAD_QUERY_LIMITED_INFORMATION, FALSE, id);
  return nullptr;
}

// Waits (up to 5 s) until the thread has used some CPU time: it is at work.
void WaitUntilBusy(HANDLE thread) {
  for (int i = 0; i < 500; ++i) {
    FILETIME created, exited, kernel, user;
    if (::GetThreadTimes(thread, &created, &exited, &kernel, &user) &&
        (user.dwLowDateTime | user.dwHighDateTime | kernel.dwLowDateTime | kernel.dwHighDateTime) != 0)
      return;
    ::Sleep(10);
  }
}

void PumpWaitingMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
}

TEST(PictureWorkerTest, DestructorStopsAndJoinsTheThreadWithOrWithoutAnEarlierStop) {
  const std::string picture = WriteLargeBmp("vd-worker-end.bmp");
  for (const bool stoppedFirst : {false, true}) {
    SCOPED_TRACE(stoppedFirst ? "after a Stop whose wait ran out" : "with no Stop");
    const std::set<DWORD> before = ThreadsOfThisProcess();
    auto worker = std::make_unique<vdapp::PictureWorker>();
    int continuations = 0;
    // The wallpaper job keeps the thread busy.
    worker->Submit(WallpaperJob(picture), [&](vdapp::PictureResult&) { ++continuations; });
    HANDLE thread = OpenNewThread(before);
    ASSERT_NE(thread, nullptr) << "the worker starts a thread of its own";
    WaitUntilBusy(thread);
    // A preview superseded by the next one is answered Stopped through a
    // posted message.
    vdapp::PictureJob preview = WallpaperJob(picture);
    preview.purpose = vdapp::PictureJob::Purpose::Preview;
    worker->Submit(preview, [&](vdapp::PictureResult&) { ++continuations; });
    worker->Submit(preview, [&](vdapp::PictureResult&) { ++continuations; });
    if (stoppedFirst) worker->Stop(0);

    worker.reset();
    EXPECT_EQ(::WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "the thread still runs after the worker is gone";
    // The superseded preview's message is still queued: delivering it must
    // neither reach the destroyed worker nor run its continuation.
    PumpWaitingMessages();
    EXPECT_EQ(continuations, 0);
    ::CloseHandle(thread);
  }
  ::DeleteFileA(picture.c_str());
  ::DeleteFileA((picture + ".out.bmp").c_str());
}

// Records, when the last continuation that carries it goes, whether the
// command core it holds is still there and still held by it.
struct HoldProbe {
  std::shared_ptr<vdapp::CommandCore::Hold> hold;
  int* coreAliveAndHeld;
  ~HoldProbe() { *coreAliveAndHeld = hold->Current() ? 1 : 0; }
};

TEST(AppPartsTest, EndInOrderWorkerFirstAndNoAnswerReachesTheProgramAfterwards) {
  const std::string picture = WriteLargeBmp("vd-parts-end.bmp");
  auto parts = std::make_unique<vdapp::AppParts>();
  const std::set<DWORD> before = ThreadsOfThisProcess();

  // A change as the program makes one: a command holds the core while the
  // worker composes its picture; the continuation carries the hold.
  int coreAliveAndHeld = -1;  // -1: the continuation was never let go
  int pictureAnswers = 0;
  vdapp::AppParts* p = parts.get();
  p->state.commands.Submit({"Change", vdapp::CommandCore::Kind::Change, [&, p] {
                              auto probe = std::make_shared<HoldProbe>();
                              probe->hold = std::make_shared<vdapp::CommandCore::Hold>(
                                  p->state.commands.HoldUntilFinished());
                              probe->coreAliveAndHeld = &coreAliveAndHeld;
                              probe->hold->Awaiting();
                              p->worker.Submit(WallpaperJob(picture),
                                               [probe, &pictureAnswers](vdapp::PictureResult&) { ++pictureAnswers; });
                            }});
  ASSERT_TRUE(p->state.commands.Busy()) << "the change holds the core while its picture is made";
  HANDLE workerThread = OpenNewThread(before);
  ASSERT_NE(workerThread, nullptr);
  WaitUntilBusy(workerThread);

  // A disk check under way whose answer comes after the parts are gone.
  HANDLE release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> diskWorkDone = false;
  int diskAnswers = 0;
  p->background.Disk().Run(
      [release, &diskWorkDone] {
        ::WaitForSingleObject(release, 5000);
        diskWorkDone = true;
      },
      [&diskAnswers] { ++diskAnswers; });
  // An answer already waiting in the mailbox when the end comes.
  int soonAnswers = 0;
  p->background.RunSoon([&soonAnswers] { ++soonAnswers; });

  parts.reset();
  EXPECT_EQ(::WaitForSingleObject(workerThread, 0), WAIT_OBJECT_0) << "the worker's thread outlived the parts";
  EXPECT_EQ(coreAliveAndHeld, 1) << "the worker's continuation (and the hold it carries) must go while the "
                                    "command core is still there, before the state";
  EXPECT_EQ(::FindWindowExA(HWND_MESSAGE, nullptr, "VexaDesktop.PictureWorker", nullptr), nullptr);
  EXPECT_EQ(::FindWindowExA(HWND_MESSAGE, nullptr, "VexaDesktop.Mailbox", nullptr), nullptr);

  // The disk lane's answer arrives now, and whatever was posted is pumped:
  // nothing is delivered, nothing reaches freed memory.
  ::SetEvent(release);
  for (int i = 0; i < 500 && !diskWorkDone; ++i) ::Sleep(10);
  ASSERT_TRUE(diskWorkDone);
  for (int i = 0; i < 20; ++i) {
    PumpWaitingMessages();
    ::Sleep(10);
  }
  EXPECT_EQ(pictureAnswers, 0);
  EXPECT_EQ(diskAnswers, 0);
  EXPECT_EQ(soonAnswers, 0);

  // The parts can be made again in the same process (a second owner in a
  // test, say): their window classes and accessors are not used up.
  auto again = std::make_unique<vdapp::AppParts>();
  again->background.RunSoon([&soonAnswers] { ++soonAnswers; });
  for (int i = 0; i < 200 && soonAnswers == 0; ++i) {
    PumpWaitingMessages();
    ::Sleep(10);
  }
  EXPECT_EQ(soonAnswers, 1) << "a new mailbox delivers its answers";
  again.reset();

  ::CloseHandle(release);
  ::CloseHandle(workerThread);
  ::DeleteFileA(picture.c_str());
  ::DeleteFileA((picture + ".out.bmp").c_str());
}

// The windows' side for parts made without windows: nothing is shown, the
// changes of the watched folders are counted.
struct QuietUi : vdapp::UiPort {
  int watchedChanges = 0;
  void ShowProgress(const std::string&) override {}
  void CloseProgress() override {}
  void LetMessagesRun() override {}
  int Message(const std::string&, unsigned, const std::string&) override { return IDNO; }
  void PreviewSize(int& width, int& height) override { width = height = 0; }
  void ShowPreview(vd::Image) override {}
  void CloseStyleList() override {}
  void WallpaperShown() override {}
  void ShowMainWindow() override {}
  void PostListNotSavedNotice() override {}
  void PostNotice(const std::string&, const std::string&) override {}
  void WatchedFoldersChanged() override { ++watchedChanges; }
};

void WriteSmallBmp(const std::string& path) {
  const std::vector<std::uint8_t> bytes = vd::EncodeBmp(vd::Image(4, 4).View());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

template <class Condition>
bool PumpUntil(Condition done, int ms) {
  for (int waited = 0; !done() && waited < ms; waited += 10) {
    PumpWaitingMessages();
    ::Sleep(10);
  }
  return done();
}

TEST(AppPartsTest, TwoOwnersKeepTheirOwnListsAndAWatchedFolderEndsWithItsOwner) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "vd-parts-watched";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  for (const char* name : {"one.bmp", "two.bmp", "three.bmp"}) ::DeleteFileA((folder + "\\" + name).c_str());
  WriteSmallBmp(folder + "\\one.bmp");

  // Two owners at once, as two tests of one process might make them: each
  // command acts on its own owner's parts, with nothing shared between them.
  auto a = std::make_unique<vdapp::AppParts>();
  auto b = std::make_unique<vdapp::AppParts>();
  QuietUi uiA, uiB;
  a->ui.Bind(uiA);
  b->ui.Bind(uiB);
  a->change.StartCommandWatch();
  b->change.StartCommandWatch();

  const std::set<DWORD> beforeWatching = ThreadsOfThisProcess();
  a->lists.AddFolder(folder, false, vd::StripFilterStars(vd::PictureFolderFilter(vd::PictureExtensions())));
  EXPECT_EQ(a->state.list.Count(), 1);
  EXPECT_EQ(a->state.watched.Folders().size(), 1u);
  EXPECT_GE(uiA.watchedChanges, 1);
  EXPECT_EQ(b->state.list.Count(), 0);
  EXPECT_TRUE(b->state.watched.Empty());
  EXPECT_EQ(uiB.watchedChanges, 0);

  // A picture copied in reaches the list of the owner that watches the
  // folder, through its watcher, mailbox and command core.
  WriteSmallBmp(folder + "\\two.bmp");
  EXPECT_TRUE(PumpUntil([&] { return a->state.list.Count() == 2; }, 5000)) << "the watched folder's new picture";
  b->lists.AddPictures({folder + "\\one.bmp"});
  EXPECT_EQ(b->state.list.Count(), 1);
  EXPECT_EQ(a->state.list.Count(), 2);

  // The owner goes while its watcher may be reporting a third picture: the
  // watcher's thread ends with it, and its report reaches neither owner.
  std::vector<HANDLE> watcherThreads;
  for (const DWORD id : ThreadsOfThisProcess())
    if (!beforeWatching.count(id))
      watcherThreads.push_back(::OpenThread(SYNCHRONIZE | THREAD_QUERY_LIMITED_INFORMATION, FALSE, id));
  ASSERT_FALSE(watcherThreads.empty()) << "the folder is watched on a thread of its own";
  WriteSmallBmp(folder + "\\three.bmp");
  a.reset();
  for (HANDLE t : watcherThreads) {
    EXPECT_EQ(::WaitForSingleObject(t, 0), WAIT_OBJECT_0) << "a watcher's thread outlived its owner";
    ::CloseHandle(t);
  }
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(b->state.list.Count(), 1);
  b.reset();

  for (const char* name : {"one.bmp", "two.bmp", "three.bmp"}) ::DeleteFileA((folder + "\\" + name).c_str());
  ::RemoveDirectoryA(folder.c_str());
}

}  // namespace
