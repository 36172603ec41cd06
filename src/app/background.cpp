#include "app/background.h"

#include <windows.h>

#include <map>
#include <vector>

#include "app/list_store.h"
#include "platform/file_system.h"

namespace vdapp {

namespace {

constexpr UINT kWakeMessage = WM_APP + 2;
constexpr UINT_PTR kSecondTimer = 1;
constexpr UINT_PTR kFirstQuietTimer = 0x100;
const char kWindowClass[] = "VexaDesktop.Mailbox";
constexpr LONGLONG kLogLimitBytes = 64 * 1024;

struct Mailbox {
  HWND window = nullptr;
  std::mutex mutex;  // guards ready
  std::deque<std::function<void()>> ready;
  // The UI thread's own.
  std::vector<std::function<void()>> everySecond;
  std::map<UINT_PTR, std::function<void()>> quiet;

  void Post(std::function<void()> then) {
    {
      std::lock_guard lock(mutex);
      ready.push_back(std::move(then));
    }
    // Only a wake-up: if it is lost, the timer takes the answer in.
    if (window) ::PostMessageA(window, kWakeMessage, 0, 0);
  }

  // What was there when it began: what comes meanwhile waits for the next
  // turn of the message loop, so that sent messages are answered in between.
  void TakeIn() {
    std::size_t n = 0;
    {
      std::lock_guard lock(mutex);
      n = ready.size();
    }
    for (; n > 0; --n) {
      std::function<void()> then;
      {
        std::lock_guard lock(mutex);
        if (ready.empty()) return;
        then = std::move(ready.front());
        ready.pop_front();
      }
      try {
        if (then) then();
      } catch (...) {
        // A continuation that failed leaves the others and the program running;
        // what it held is released as it goes out of scope here.
      }
    }
  }
};

Mailbox& mailbox() {
  static Mailbox m;
  return m;
}

LRESULT CALLBACK MailboxProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  Mailbox& m = mailbox();
  if (msg == kWakeMessage) {
    m.TakeIn();
    return 0;
  }
  if (msg == WM_TIMER) {
    if (wParam == kSecondTimer) {
      m.TakeIn();
      for (std::size_t i = 0; i < m.everySecond.size(); ++i) {
        try {
          m.everySecond[i]();
        } catch (...) {
        }
      }
    } else if (auto it = m.quiet.find(wParam); it != m.quiet.end()) {
      ::KillTimer(h, wParam);
      std::function<void()> what = std::move(it->second);
      m.quiet.erase(it);
      try {
        if (what) what();
      } catch (...) {
      }
    }
    return 0;
  }
  return ::DefWindowProcA(h, msg, wParam, lParam);
}

}  // namespace

void StartMailbox() {
  Mailbox& m = mailbox();
  if (m.window) return;
  WNDCLASSA wc{};
  wc.lpfnWndProc = &MailboxProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = kWindowClass;
  ::RegisterClassA(&wc);
  m.window = ::CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  if (m.window) ::SetTimer(m.window, kSecondTimer, 1000, nullptr);
}

void RunSoon(std::function<void()> what) {
  StartMailbox();
  mailbox().Post(std::move(what));
}

void EverySecond(std::function<void()> tick) {
  StartMailbox();
  mailbox().everySecond.push_back(std::move(tick));
}

void AfterQuietFor(int id, unsigned delayMs, std::function<void()> what) {
  StartMailbox();
  Mailbox& m = mailbox();
  const UINT_PTR timer = kFirstQuietTimer + static_cast<UINT_PTR>(id);
  m.quiet[timer] = std::move(what);
  ::SetTimer(m.window, timer, delayMs, nullptr);  // the same id restarts it
}

Lane::~Lane() {
  // At the very end of the process: a job stuck on a hung window must not
  // keep it alive.
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.detach();
}

void Lane::Run(std::function<void()> work, std::function<void()> then) {
  StartMailbox();
  {
    std::lock_guard lock(mutex_);
    if (quit_) return;
    jobs_.push_back({std::move(work), std::move(then)});
    if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
  }
  wake_.notify_one();
}

void Lane::Stop() {
  std::deque<Job> dropped;
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    dropped.swap(jobs_);
  }
  wake_.notify_all();
  // dropped goes here, on the UI thread, with whatever its continuations hold.
}

void Lane::Loop() {
  for (;;) {
    std::function<void()> work, then;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return quit_ || !jobs_.empty(); });
      if (quit_) return;
      work = std::move(jobs_.front().work);
      then = std::move(jobs_.front().then);
      jobs_.pop_front();
    }
    try {
      if (work) work();
    } catch (...) {
      // then() still runs, with what work left in its result.
    }
    work = nullptr;
    // The continuation goes to the UI thread whole: nothing it holds is
    // released on this thread.
    mailbox().Post(std::move(then));
  }
}

Lane& shellLane() {
  static Lane lane;
  return lane;
}

Lane& diskLane() {
  static Lane lane;
  return lane;
}

ListWriter& listWriter() {
  static ListWriter writer(&WriteListFile);
  return writer;
}

void FlushListWrites() { listWriter().Flush(5000); }

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
