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
#include <map>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <windows.h>

#include "app/list_writer.h"
#include "platform/message_window.h"

namespace vdapp {

// The UI thread's inbox for answers: lanes put continuations in from their
// threads; it outlives whoever posts to it, and once closed it takes nothing.
class Mailbox;

class Lane {
 public:
  explicit Lane(std::shared_ptr<Mailbox> mailbox);
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
  // What the lane's thread uses: it may outlive the lane (a job stuck on a
  // hung window is not waited for), so it owns its share.
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

// The lanes, the mailbox their answers come back through, and the default
// list file's writer. Made and destroyed on the UI thread; at its end no
// answer is delivered any more and the list file is written out.
class Background {
 public:
  // write: how the list writer puts a list file in place (its own thread).
  explicit Background(ListWriter::WriteFile write);
  Background(const Background&) = delete;
  Background& operator=(const Background&) = delete;
  ~Background();

  // The shell: the desktop icon view's colours and telling the system of a
  // new wallpaper, both of which wait on other programs' windows.
  Lane& Shell() { return shell_; }
  // Files: existence checks and header reads for a click.
  Lane& Disk() { return disk_; }
  // The default list file's writer (platform::WriteFileReplacing).
  ListWriter& Writer() { return writer_; }

  // Runs what on the UI thread on a later turn of its message loop.
  void RunSoon(std::function<void()> what);
  // Runs on the UI thread once a second, from the mailbox's timer.
  void EverySecond(std::function<void()> tick);
  // Runs what at delayMs from now on the UI thread; a later call with the
  // same id before then replaces it and starts the delay again.
  void AfterQuietFor(int id, unsigned delayMs, std::function<void()> what);

 private:
  bool OnMessage(UINT msg, WPARAM wParam);

  std::shared_ptr<Mailbox> mailbox_;
  platform::MessageWindow window_;
  std::vector<std::function<void()>> everySecond_;
  std::map<UINT_PTR, std::function<void()>> quiet_;
  Lane shell_, disk_;
  ListWriter writer_;
};

// Runs work on the lane and then(result) on the UI thread.
template <class R>
void RunOff(Lane& lane, std::function<R()> work, std::function<void(R&)> then) {
  auto result = std::make_shared<R>();
  lane.Run([result, work = std::move(work)] { *result = work(); },
           [result, then = std::move(then)] { then(*result); });
}

// Appends a line with the date and time to VD's log
// (%LOCALAPPDATA%\Vexa Desktop\VD.log), which is kept small.
void LogLine(const std::string& text);

}  // namespace vdapp
