// The one place where VD's commands run: every trigger (the cycle timer, the
// hot key, menus, relays, a double-click, start-up) hands its command here.
// Commands run on the UI thread one at a time, in the order they came, and
// never one inside another: a command that pumps messages (a dialog, a
// message box, a long list load) leaves what arrives meanwhile waiting here.
#pragma once

#include <deque>
#include <functional>
#include <string>

namespace vdapp {

class CommandCore {
 public:
  enum class Kind {
    Change,     // a new wallpaper; merged with a change that waits or runs
    Recompose,  // the same pictures for a new layout of the monitors; merged with one that waits
    Other,
  };
  struct Command {
    std::string name;  // says what it is, for whoever reads a trace
    Kind kind = Kind::Other;
    std::function<void()> run;
  };

  // Queues the command and, unless one runs already, runs the queue. False
  // when it was merged into a change that waits or runs, or the core is shut.
  bool Submit(Command command);
  // Queues the command without running anything now: for a sender that must
  // get its answer at once (the channel). The owner calls RunWaiting() soon,
  // from its message loop.
  bool Enqueue(Command command);
  void RunWaiting() { RunQueue(); }

  // Called by a running command whose work goes on after it returns (a
  // change on the worker thread): the core stays busy until Finish().
  void HoldUntilFinished();
  // The held command is over; what came meanwhile runs now.
  void Finish();

  // Nothing more runs: what waits is dropped and new commands are refused.
  // For the program's end.
  void Shut();

  bool Busy() const { return running_; }
  bool ChangeWaitingOrRunning() const;
  std::size_t Waiting() const { return queue_.size(); }
  // The running command's name; empty when idle.
  const std::string& Running() const { return runningName_; }

 private:
  void RunQueue();

  std::deque<Command> queue_;
  bool running_ = false;   // a command runs, or is held
  bool held_ = false;      // the running command asked to be held
  bool draining_ = false;  // RunQueue is on the stack
  bool shut_ = false;
  Kind runningKind_ = Kind::Other;
  std::string runningName_;
};

}  // namespace vdapp
