#include "app/background.h"

#include <windows.h>

#include <utility>

#include "platform/file_system.h"

namespace vdapp {

namespace {

constexpr UINT kWakeMessage = WM_APP + 2;
constexpr UINT_PTR kSecondTimer = 1;
constexpr UINT_PTR kFirstQuietTimer = 0x100;
const char kWindowClass[] = "VexaDesktop.Mailbox";
constexpr LONGLONG kLogLimitBytes = 64 * 1024;

}  // namespace

class Mailbox {
 public:
  void Open(HWND window) {
    std::lock_guard lock(mutex_);
    window_ = window;
  }
  // Nothing is taken or posted afterwards; what waits is dropped here, on
  // the UI thread.
  void Close() {
    std::deque<std::function<void()>> dropped;
    std::lock_guard lock(mutex_);
    closed_ = true;
    window_ = nullptr;
    dropped.swap(ready_);
  }

  void Post(std::function<void()> then) {
    std::lock_guard lock(mutex_);
    if (closed_) return;  // the program is ending: the answer is dropped
    ready_.push_back(std::move(then));
    // Only a wake-up: if it is lost, the timer takes the answer in. Posted
    // under the lock, so never to a window that Close() has let go.
    if (window_) ::PostMessageA(window_, kWakeMessage, 0, 0);
  }

  // What was there when it began: what comes meanwhile waits for the next
  // turn of the message loop, so that sent messages are answered in between.
  void TakeIn() {
    std::size_t n = 0;
    {
      std::lock_guard lock(mutex_);
      n = ready_.size();
    }
    for (; n > 0; --n) {
      std::function<void()> then;
      {
        std::lock_guard lock(mutex_);
        if (ready_.empty()) return;
        then = std::move(ready_.front());
        ready_.pop_front();
      }
      try {
        if (then) then();
      } catch (...) {
        // A continuation that failed leaves the others and the program running;
        // what it held is released as it goes out of scope here.
      }
    }
  }

 private:
  std::mutex mutex_;
  HWND window_ = nullptr;
  bool closed_ = false;
  std::deque<std::function<void()>> ready_;
};

struct Lane::Shared {
  std::shared_ptr<Mailbox> mailbox;
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<std::function<void()>> works, thens;
  bool quit = false;
  bool started = false;

  static void Loop(const std::shared_ptr<Shared>& self) {
    for (;;) {
      std::function<void()> work, then;
      {
        std::unique_lock lock(self->mutex);
        self->wake.wait(lock, [&] { return self->quit || !self->works.empty(); });
        if (self->quit) return;
        work = std::move(self->works.front());
        then = std::move(self->thens.front());
        self->works.pop_front();
        self->thens.pop_front();
      }
      try {
        if (work) work();
      } catch (...) {
        // then() still runs, with what work left in its result.
      }
      work = nullptr;
      // The continuation goes to the UI thread whole: nothing it holds is
      // released on this thread while the program runs.
      self->mailbox->Post(std::move(then));
    }
  }
};

Lane::Lane(std::shared_ptr<Mailbox> mailbox) : shared_(std::make_shared<Shared>()) {
  shared_->mailbox = std::move(mailbox);
}

// A job stuck on a hung window must not hold up the program's end: the
// thread is left to end by itself with its own share of the state.
Lane::~Lane() { Stop(); }

void Lane::Run(std::function<void()> work, std::function<void()> then) {
  {
    std::lock_guard lock(shared_->mutex);
    if (shared_->quit) return;
    shared_->works.push_back(std::move(work));
    shared_->thens.push_back(std::move(then));
    if (!shared_->started) {
      shared_->started = true;
      std::thread([s = shared_] { Shared::Loop(s); }).detach();
    }
  }
  shared_->wake.notify_one();
}

void Lane::Stop() {
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard lock(shared_->mutex);
    shared_->quit = true;
    dropped.swap(shared_->thens);
    shared_->works.clear();
  }
  shared_->wake.notify_all();
  // dropped goes here, on the UI thread, with whatever its continuations hold.
}

Background::Background(ListWriter::WriteFile write)
    : mailbox_(std::make_shared<Mailbox>()),
      window_(kWindowClass, [this](UINT msg, WPARAM wParam, LPARAM, LRESULT&) { return OnMessage(msg, wParam); }),
      shell_(mailbox_),
      disk_(mailbox_),
      writer_(std::move(write)) {
  mailbox_->Open(window_.Handle());
  if (window_) ::SetTimer(window_.Handle(), kSecondTimer, 1000, nullptr);
}

Background::~Background() {
  // Answers that come later are dropped, not posted to the window that goes
  // with this object. The writer (declared last) writes out what waits first.
  mailbox_->Close();
}

bool Background::OnMessage(UINT msg, WPARAM wParam) {
  if (msg == kWakeMessage) {
    mailbox_->TakeIn();
    return true;
  }
  if (msg != WM_TIMER) return false;
  if (wParam == kSecondTimer) {
    mailbox_->TakeIn();
    for (std::size_t i = 0; i < everySecond_.size(); ++i) {
      try {
        everySecond_[i]();
      } catch (...) {
      }
    }
  } else if (auto it = quiet_.find(wParam); it != quiet_.end()) {
    ::KillTimer(window_.Handle(), wParam);
    std::function<void()> what = std::move(it->second);
    quiet_.erase(it);
    try {
      if (what) what();
    } catch (...) {
    }
  }
  return true;
}

void Background::RunSoon(std::function<void()> what) { mailbox_->Post(std::move(what)); }

void Background::EverySecond(std::function<void()> tick) { everySecond_.push_back(std::move(tick)); }

void Background::AfterQuietFor(int id, unsigned delayMs, std::function<void()> what) {
  const UINT_PTR timer = kFirstQuietTimer + static_cast<UINT_PTR>(id);
  quiet_[timer] = std::move(what);
  ::SetTimer(window_.Handle(), timer, delayMs, nullptr);  // the same id restarts it
}

void LogLine(const std::string& text) {
  const std::string local = platform::EnvironmentVariable("LOCALAPPDATA");
  if (local.empty()) return;
  const std::string folder = local + "\\Vexa Desktop";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  const std::string path = folder + "\\VD.log";
  // Kept small: a log that has grown past the limit starts again.
  WIN32_FILE_ATTRIBUTE_DATA d{};
  const bool tooBig = ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d) &&
                      (d.nFileSizeHigh != 0 || static_cast<LONGLONG>(d.nFileSizeLow) > kLogLimitBytes);
  HANDLE f = ::CreateFileA(path.c_str(), tooBig ? GENERIC_WRITE : FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                           tooBig ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  char stamp[32];
  wsprintfA(stamp, "%04u-%02u-%02u %02u:%02u:%02u ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
  const std::string line = stamp + text + "\r\n";
  DWORD put = 0;
  ::WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &put, nullptr);
  ::CloseHandle(f);
}

}  // namespace vdapp
