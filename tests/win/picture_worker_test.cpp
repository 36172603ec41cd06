// The picture worker's end: whatever state it is left in, its thread has
// ended when the worker is gone, and nothing it queued reaches the program.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "app/picture_worker.h"
#include "engine/bitmap_file.h"

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

}  // namespace
