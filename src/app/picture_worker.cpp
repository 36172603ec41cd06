#include "app/picture_worker.h"

#include <objbase.h>

#include <cstring>
#include <utility>
#include <vector>

#include "engine/bitmap_file.h"
#include "engine/calendar_page.h"
#include "engine/compose.h"
#include "engine/grey_filter.h"
#include "engine/monitor_layout.h"
#include "engine/resample.h"
#include "engine/style_rule.h"
#include "platform/calendar_text.h"
#include "platform/file_system.h"
#include "platform/picture_loader.h"

namespace vdapp {

namespace {
constexpr UINT kResultMessage = WM_APP + 1;
// Results whose message could not be posted are taken in on this timer.
constexpr UINT_PTR kSweepTimer = 1;
constexpr UINT kSweepMs = 1000;
const char kWindowClass[] = "VexaDesktop.PictureWorker";

std::string CanvasKey(const PictureJob& job) {
  return job.path + "|" + std::to_string(job.style) + "|" + std::to_string(job.screenWidth) + "x" +
         std::to_string(job.screenHeight) + "|" + std::to_string(job.desktopColour);
}
}  // namespace

PictureWorker::~PictureWorker() {
  // Whether or not Stop() ran or its wait ran out: the job under way stops
  // at its next step, and the thread is waited for, since it uses this
  // object's members to its end.
  Stop(INFINITE);
  // The message window goes after this, with the thread that posts to it
  // already ended: no result is posted to a window that is gone.
}

void PictureWorker::Start() {
  if (window_) return;
  window_.emplace(kWindowClass, [this](UINT msg, WPARAM wParam, LPARAM, LRESULT&) { return OnMessage(msg, wParam); });
  windowHandle_ = window_->Handle();
  ::SetTimer(windowHandle_, kSweepTimer, kSweepMs, nullptr);
  thread_ = ::CreateThread(nullptr, 0, &PictureWorker::ThreadProc, this, 0, nullptr);
}

void PictureWorker::Submit(PictureJob job, Continuation then) {
  if (stopped_) return;
  Start();
  const std::uint64_t ticket = nextTicket_++;
  continuations_[ticket] = std::move(then);
  std::vector<std::uint64_t> superseded;
  {
    std::lock_guard lock(mutex_);
    if (job.purpose == PictureJob::Purpose::Preview) {
      // Only the newest selection's preview is wanted.
      for (auto it = queue_.begin(); it != queue_.end();) {
        if (it->job.purpose == PictureJob::Purpose::Preview) {
          superseded.push_back(it->ticket);
          it = queue_.erase(it);
        } else {
          ++it;
        }
      }
      if (runningPreview_ && runningStop_) *runningStop_ = true;
    }
    queue_.push_back({ticket, std::move(job)});
  }
  wake_.notify_one();
  // A superseded preview still gets its answer, so that whoever waits for
  // it is not left waiting; it is Stopped.
  for (std::uint64_t t : superseded) {
    {
      std::lock_guard lock(mutex_);
      done_[t] = PictureResult{};
    }
    // Should the post fail (a full queue), the sweep delivers it.
    ::PostMessageA(windowHandle_, kResultMessage, static_cast<WPARAM>(t), 0);
  }
}

void PictureWorker::Stop(DWORD waitMs) {
  stopped_ = true;
  continuations_.clear();
  if (!thread_) return;
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    queue_.clear();
    if (runningStop_) *runningStop_ = true;
  }
  wake_.notify_all();
  // A thread still busy after waitMs keeps its handle: the destructor joins it.
  if (::WaitForSingleObject(thread_, waitMs) != WAIT_OBJECT_0) return;
  ::CloseHandle(thread_);
  thread_ = nullptr;
}

DWORD WINAPI PictureWorker::ThreadProc(void* self) {
  static_cast<PictureWorker*>(self)->Run();
  return 0;
}

void PictureWorker::Run() {
  ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  for (;;) {
    Queued item;
    std::shared_ptr<std::atomic<bool>> stop = std::make_shared<std::atomic<bool>>(false);
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
      if (quit_) break;
      item = std::move(queue_.front());
      queue_.pop_front();
      runningTicket_ = item.ticket;
      runningPreview_ = item.job.purpose == PictureJob::Purpose::Preview;
      runningStop_ = stop;
    }
    PictureResult result;
    try {
      result = Work(item.job, *stop);
    } catch (...) {
      // Out of memory for this picture: it is reported as not decoded.
      result = PictureResult{};
      result.outcome = PictureResult::Outcome::NotDecoded;
    }
    {
      std::lock_guard lock(mutex_);
      runningTicket_ = 0;
      runningPreview_ = false;
      runningStop_.reset();
      if (quit_) break;
      done_[item.ticket] = std::move(result);
    }
    // A result whose post fails waits in done_ for the sweep.
    ::PostMessageA(windowHandle_, kResultMessage, static_cast<WPARAM>(item.ticket), 0);
  }
  canvas_ = {};
  ::CoUninitialize();
}

namespace {

// The picture decoded for a canvas of width x height, any transparency laid
// over the desktop colour; style -1 takes the rule's suggestion for that
// size, and is set to the style used.
platform::Picture Decode(const std::string& path, int& style, int width, int height, COLORREF desktopColour,
                         const std::atomic<bool>& stop) {
  return platform::LoadPicture(
      path,
      [&](int w, int h) {
        // The rule measures the picture box, which adds a 2-pixel border on each side.
        if (style < 0) style = vd::SuggestStyle(w + 4, h + 4, width, height);
        return vd::PartNeeded(style, w, h, width, height);
      },
      desktopColour, &stop);
}

// The file as it is now: an editor's save changes its size or its time.
std::string FileStamp(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return "?";
  return std::to_string(data.nFileSizeHigh) + ":" + std::to_string(data.nFileSizeLow) + "@" +
         std::to_string(data.ftLastWriteTime.dwHighDateTime) + ":" + std::to_string(data.ftLastWriteTime.dwLowDateTime);
}

}  // namespace

PictureResult PictureWorker::WorkOnMonitors(const PictureJob& job, const std::atomic<bool>& stop) {
  PictureResult result;
  canvas_ = {};  // one canvas at a time
  canvasKey_.clear();
  vd::Image canvas(job.screenWidth, job.screenHeight);
  if (canvas.Empty()) {
    result.outcome = PictureResult::Outcome::NotWritten;
    return result;
  }
  // What no monitor shows is the desktop colour.
  {
    const vd::ImageView v = canvas.View();
    const std::uint8_t bgra[4] = {GetBValue(job.desktopColour), GetGValue(job.desktopColour),
                                  GetRValue(job.desktopColour), 255};
    for (int y = 0; y < v.height; ++y)
      for (int x = 0; x < v.width; ++x) std::memcpy(v.Pixel(x, y), bgra, 4);
  }
  vd::ImageView primary;
  // Monitors of one size showing the same picture need it decoded once.
  std::string decodedKey;
  platform::Picture picture;
  int decodedStyle = -1;
  for (std::size_t i = 0; i < job.parts.size(); ++i) {
    const PictureJob::Part& part = job.parts[i];
    const vd::ImageView area = vd::SubView(canvas.View(), part.rect);
    if (part.primary) primary = area;
    if (area.Empty()) continue;
    int style = job.style;
    const std::string key = part.path + "|" + std::to_string(area.width) + "x" + std::to_string(area.height);
    if (key == decodedKey) {
      style = decodedStyle;
    } else {
      // Straight into the one canvas, one picture at a time.
      picture = {};
      picture = Decode(part.path, style, area.width, area.height, job.desktopColour, stop);
      decodedKey = key;
      decodedStyle = style;
    }
    if (stop) return result;
    if (picture.pixels.Empty()) {
      if (i == 0) {  // the selected entry: the change tries another
        result.outcome = PictureResult::Outcome::NotDecoded;
        return result;
      }
      continue;  // that monitor keeps the desktop colour
    }
    vd::ComposeWallpaper(area, picture.pixels.View(), style, job.desktopColour);
    if (i == 0) {
      result.style = style;
      result.pictureWidth = picture.originalWidth;
      result.pictureHeight = picture.originalHeight;
      if (job.previewWidth > 0 && job.previewHeight > 0) {
        result.preview = vd::Image(job.previewWidth, job.previewHeight);
        vd::ResampleInto(area, result.preview.View());
      }
    }
  }
  return Finish(job, std::move(canvas), primary, std::move(result), stop);
}

PictureResult PictureWorker::Finish(const PictureJob& job, vd::Image canvas, vd::ImageView primary,
                                    PictureResult result, const std::atomic<bool>& stop) {
  if (job.blackAndWhite) vd::FilterBlackAndWhite(canvas.View());
  if (stop) return result;
  if (job.calendarPage && !primary.Empty()) {
    vd::Image page = platform::RenderCalendarPage();
    if (!page.Empty()) vd::StampCalendarPage(primary, page.View());
  }
  if (job.rollToOrigin) vd::RollToOrigin(canvas.View(), job.originX, job.originY);
  if (stop) return result;
  // The file is the header and the canvas's own rows, turned bottom-up in
  // place: no second copy of a bitmap that may be 100 MB over three monitors.
  const std::vector<std::uint8_t> header = vd::BmpHeader(canvas.Width(), canvas.Height());
  vd::FlipRows(canvas.View());
  // Written beside and renamed over the old one: the system never sees half a bitmap.
  result.outcome =
      !header.empty() && platform::WriteFileReplacing(job.bitmapPath, {{header.data(), header.size()},
                                                                       {canvas.View().data, canvas.SizeBytes()}})
          ? PictureResult::Outcome::Done
          : PictureResult::Outcome::NotWritten;
  return result;
}

PictureResult PictureWorker::Work(const PictureJob& job, const std::atomic<bool>& stop) {
  if (job.purpose == PictureJob::Purpose::Wallpaper && job.parts.size() > 1) return WorkOnMonitors(job, stop);
  PictureResult result;
  // Read here, on the worker thread: the path may be on a slow or offline drive.
  const std::string key = CanvasKey(job) + "|" + FileStamp(job.path);
  vd::Image canvas;
  if (key == canvasKey_ && !canvas_.Empty()) {
    canvas = std::move(canvas_);
    result.style = cachedStyle_;
    result.pictureWidth = cachedWidth_;
    result.pictureHeight = cachedHeight_;
  } else {
    canvas_ = {};  // one screen-sized canvas at a time
    canvasKey_.clear();
    int style = job.style;
    platform::Picture picture = Decode(job.path, style, job.screenWidth, job.screenHeight, job.desktopColour, stop);
    if (stop) return result;
    if (picture.pixels.Empty()) {
      result.outcome = PictureResult::Outcome::NotDecoded;
      return result;
    }
    result.style = style;
    result.pictureWidth = picture.originalWidth;
    result.pictureHeight = picture.originalHeight;
    canvas = vd::Image(job.screenWidth, job.screenHeight);
    vd::ComposeWallpaper(canvas.View(), picture.pixels.View(), style, job.desktopColour);
  }
  if (stop) return result;
  if (job.previewWidth > 0 && job.previewHeight > 0) {
    result.preview = vd::Image(job.previewWidth, job.previewHeight);
    vd::ResampleInto(canvas.View(), result.preview.View());
  }
  if (job.purpose == PictureJob::Purpose::Preview) {
    canvasKey_ = key;
    canvas_ = std::move(canvas);
    cachedStyle_ = result.style;
    cachedWidth_ = result.pictureWidth;
    cachedHeight_ = result.pictureHeight;
    result.outcome = PictureResult::Outcome::Done;
    return result;
  }
  const vd::ImageView whole = canvas.View();
  return Finish(job, std::move(canvas), whole, std::move(result), stop);
}

void PictureWorker::Deliver(std::uint64_t ticket) {
  PictureResult result;
  {
    std::lock_guard lock(mutex_);
    auto it = done_.find(ticket);
    if (it == done_.end()) return;
    result = std::move(it->second);
    done_.erase(it);
  }
  auto c = continuations_.find(ticket);
  if (c == continuations_.end()) return;
  Continuation then = std::move(c->second);
  continuations_.erase(c);
  if (then) then(result);
}

void PictureWorker::DeliverMissed() {
  std::vector<std::uint64_t> tickets;
  {
    std::lock_guard lock(mutex_);
    for (const auto& d : done_) tickets.push_back(d.first);
  }
  for (std::uint64_t t : tickets) {
    try {
      Deliver(t);
    } catch (...) {
    }
  }
}

bool PictureWorker::OnMessage(UINT msg, WPARAM wParam) {
  if (msg == WM_TIMER && wParam == kSweepTimer) {
    DeliverMissed();
    return true;
  }
  if (msg == kResultMessage) {
    try {
      Deliver(static_cast<std::uint64_t>(wParam));
    } catch (...) {
      // A continuation that failed leaves the program running.
    }
    return true;
  }
  return false;
}

}  // namespace vdapp
