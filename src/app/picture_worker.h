// The picture worker: one thread that decodes, turns upright, composes,
// filters, dates and writes wallpapers, and makes the main window's preview,
// so that the UI thread never waits for a picture.
//
// How the two threads meet: the UI thread hands a job over with Submit()
// and gets a ticket; the worker owns the job from then on (its pixels, its
// canvas) and, when done, parks the result and posts one message to the
// worker's own message window. The UI thread takes the result there and runs
// the continuation it gave with the job. The worker never touches a window,
// the list or the settings; the UI thread never touches the worker's pixels.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/compose.h"
#include "engine/image.h"
#include "platform/message_window.h"

namespace vdapp {

struct PictureJob {
  enum class Purpose { Preview, Wallpaper };
  Purpose purpose = Purpose::Preview;
  std::string path;
  int style = -1;  // 0..4; -1: the style the rule suggests for the picture
  int screenWidth = 0, screenHeight = 0;
  COLORREF desktopColour = 0;
  int previewWidth = 0, previewHeight = 0;
  // Wallpaper only: the filter, the calendar page and where the bitmap goes.
  bool blackAndWhite = false;
  bool calendarPage = false;
  std::string bitmapPath;
  // Several monitors: one bitmap of the virtual screen's size (screenWidth
  // x screenHeight), each monitor's rectangle on it composed at that
  // monitor's size with its own picture; the first part is the selected
  // entry's. Empty for one monitor.
  struct Part {
    vd::Rect rect;
    std::string path;
    bool primary = false;
  };
  std::vector<Part> parts;
  // No span position on the system: the bitmap is rolled so that it tiles
  // from the primary monitor's top-left, which lies at origin on the bitmap.
  bool rollToOrigin = false;
  int originX = 0, originY = 0;
};

struct PictureResult {
  enum class Outcome { Done, NotDecoded, NotWritten, Stopped };
  Outcome outcome = Outcome::Stopped;
  int style = -1;                     // the style it was composed in
  int pictureWidth = 0, pictureHeight = 0;  // the picture's own size, upright
  vd::Image preview;
};

class PictureWorker {
 public:
  using Continuation = std::function<void(PictureResult&)>;

  PictureWorker() = default;
  PictureWorker(const PictureWorker&) = delete;
  PictureWorker& operator=(const PictureWorker&) = delete;
  ~PictureWorker();

  // Queues the job; then() runs on the UI thread with its result. A preview
  // supersedes a preview still waiting or decoding (that one ends Stopped).
  void Submit(PictureJob job, Continuation then);
  // Asks the job under way to stop at its next step and drops waiting ones,
  // then waits up to waitMs for the worker to end. For the program's end:
  // no continuation runs afterwards. The destructor stops and joins the
  // worker too, waiting as long as it takes.
  void Stop(DWORD waitMs);

 private:
  struct Queued {
    std::uint64_t ticket;
    PictureJob job;
  };
  void Start();
  void Run();
  static DWORD WINAPI ThreadProc(void* self);
  PictureResult Work(const PictureJob& job, const std::atomic<bool>& stop);
  PictureResult WorkOnMonitors(const PictureJob& job, const std::atomic<bool>& stop);
  PictureResult Finish(const PictureJob& job, vd::Image canvas, vd::ImageView primary, PictureResult result,
                       const std::atomic<bool>& stop);
  void Deliver(std::uint64_t ticket);
  // Delivers the results whose message was lost.
  void DeliverMissed();
  bool OnMessage(UINT msg, WPARAM wParam);

  // Shared between the threads, under mutex_.
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Queued> queue_;
  std::map<std::uint64_t, PictureResult> done_;
  bool quit_ = false;
  std::uint64_t runningTicket_ = 0;
  bool runningPreview_ = false;
  std::shared_ptr<std::atomic<bool>> runningStop_;

  // The worker thread's own: the last preview's full-size composition, so
  // that applying the entry just previewed composes nothing again. Its key
  // holds the file's size and last-write time: an edited file is composed anew.
  std::string canvasKey_;
  vd::Image canvas_;
  int cachedStyle_ = -1, cachedWidth_ = 0, cachedHeight_ = 0;

  // The UI thread's own.
  HANDLE thread_ = nullptr;
  std::optional<platform::MessageWindow> window_;  // made with the thread, on first use
  HWND windowHandle_ = nullptr;  // the window's, for the worker thread's posts
  std::uint64_t nextTicket_ = 1;
  std::map<std::uint64_t, Continuation> continuations_;
  bool stopped_ = false;
};

}  // namespace vdapp
