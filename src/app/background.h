// Work that must not hold up the UI thread (a shell that hangs, a disk or a
// network path that is slow to answer) runs on a lane: a thread of its own
// that takes its jobs in order. What the job found comes back to the UI
// thread, which runs the job's continuation.
//
// How answers come back: they wait in a queue of the UI thread's mailbox (a
// message-only window), and a posted message wakes it. A post can fail (a
// full message queue); the mailbox's timer, every second, takes in whatever
// a failed post left behind, so no answer waits for ever. The same timer
// releases a command stranded in the command core, with a line in the log.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "app/list_writer.h"

namespace vdapp {

class Lane {
 public:
  Lane() = default;
  Lane(const Lane&) = delete;
  Lane& operator=(const Lane&) = delete;
  ~Lane();

  // work runs on the lane's thread and touches no window and no UI-thread
  // state; then runs on the UI thread afterwards, also when work threw.
  // Call from the UI thread. Never destroyed on the lane's thread.
  void Run(std::function<void()> work, std::function<void()> then);
  // What still waits is dropped (on the UI thread); a job under way ends by
  // itself. For the program's end.
  void Stop();

 private:
  struct Job {
    std::function<void()> work, then;
  };
  void Loop();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool quit_ = false;
  std::thread thread_;
};

// The shell: the desktop icon view's colours and telling the system of a new
// wallpaper, both of which wait on other programs' windows.
Lane& shellLane();
// Files: existence checks and header reads for a click.
Lane& diskLane();

// Runs work on the lane and then(result) on the UI thread.
template <class R>
void RunOff(Lane& lane, std::function<R()> work, std::function<void(R&)> then) {
  auto result = std::make_shared<R>();
  lane.Run([result, work = std::move(work)] { *result = work(); },
           [result, then = std::move(then)] { then(*result); });
}

// Runs what on the UI thread on a later turn of its message loop.
void RunSoon(std::function<void()> what);
// Runs on the UI thread once a second, from the mailbox's timer.
void EverySecond(std::function<void()> tick);
// Runs what at delayMs from now on the UI thread; a later call with the same
// id before then replaces it and starts the delay again.
void AfterQuietFor(int id, unsigned delayMs, std::function<void()> what);

// The default list file's writer (platform::WriteFileReplacing).
ListWriter& listWriter();
// Waits, a few seconds at most, until the list file is written.
void FlushListWrites();

// Appends a line with the date and time to VD's log
// (%LOCALAPPDATA%\Vexa Desktop\VD.log), which is kept small.
void LogLine(const std::string& text);

// Creates the mailbox; call once from the UI thread before anything else here.
void StartMailbox();

}  // namespace vdapp
