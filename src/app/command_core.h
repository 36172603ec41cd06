// The one place where VD's commands run: every trigger (the cycle timer, the
// hot key, menus, relays, a double-click, start-up) hands its command here.
// Commands run on the UI thread one at a time, in the order they came, and
// never one inside another: a command that pumps messages (a dialog, a
// message box, a long list load) leaves what arrives meanwhile waiting here.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace vdapp {

class CommandCore {
 public:
  // Milliseconds on a clock that only goes forward.
  using Clock = std::function<std::int64_t()>;
  // A hold whose work has come back but that nobody finished within this
  // time is released by ReleaseStranded().
  static constexpr std::int64_t kStrandedMs = 10000;

  enum class Kind {
    Change,     // a new wallpaper; merged with a change that waits or runs
    Recompose,  // the same pictures for a new layout of the monitors; merged with one that waits
    Other,
  };
  struct Command {
    std::string name;  // says what it is, for whoever reads a trace
    Kind kind = Kind::Other;
    std::function<void()> run;
    // What must not be lost when the program ends before the command ran
    // (a relayed picture is still put into the list); empty: nothing.
    std::function<void()> atEnd = {};
  };

  // A running command's claim on the core after it has returned (its work
  // goes on on another thread). Only the hold it was given for is released
  // by it: after that command has ended, by whatever path, it does nothing.
  // Move-only; destroyed unfinished, it releases the hold, so that a
  // continuation that is dropped or throws cannot leave the core held.
  class Hold {
   public:
    Hold() = default;
    Hold(Hold&& other) noexcept;
    Hold& operator=(Hold&& other) noexcept;
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
    ~Hold();

    // The held command is over; what came meanwhile runs now.
    void Finish() noexcept;
    // Handed to work off the UI thread (the picture worker, a file check).
    void Awaiting();
    // That work's answer has come back and its continuation runs now.
    void Arrived();
    // The continuation has returned. Unless it finished the hold or handed
    // it on (Awaiting), nothing will: the stranded hold's time starts.
    void Returned();
    // True while this hold is the core's current one.
    bool Current() const;

   private:
    friend class CommandCore;
    Hold(std::weak_ptr<CommandCore*> core, std::uint64_t id) : core_(std::move(core)), id_(id) {}
    CommandCore* Core() const;
    std::weak_ptr<CommandCore*> core_;
    std::uint64_t id_ = 0;
  };

  explicit CommandCore(Clock clock = {});
  CommandCore(const CommandCore&) = delete;
  CommandCore& operator=(const CommandCore&) = delete;

  // Queues the command and, unless one runs already, runs the queue. False
  // when it was merged into a change that waits or runs, or the core is shut.
  bool Submit(Command command);
  // Queues the command without running anything now: for a sender that must
  // get its answer at once (the channel). The owner calls RunWaiting() soon,
  // from its message loop.
  bool Enqueue(Command command);
  void RunWaiting() { RunQueue(); }

  // With a scheduler, the queue runs one command at a time and then asks the
  // scheduler to call RunWaiting() again soon (from the message loop): what
  // the system sends meanwhile, another program waiting for an answer, is
  // answered between two commands instead of after a long run of them.
  void SetScheduler(std::function<void()> runWaitingSoon) { scheduler_ = std::move(runWaitingSoon); }

  // Called by a running command whose work goes on after it returns (a
  // change on the worker thread): the core stays busy until the hold is
  // finished or destroyed. Outside a running command: an empty hold.
  [[nodiscard]] Hold HoldUntilFinished();

  // Releases a hold stranded for kStrandedMs or more: its work came back,
  // its continuation returned, and nothing finished it. Returns the held
  // command's name, or "" when nothing was released.
  std::string ReleaseStranded();

  // Nothing more runs: the waiting commands' atEnd parts run, in order, and
  // the rest is dropped; new commands are refused. For the program's end.
  // Returns how many atEnd parts ran.
  std::size_t Shut();

  bool Busy() const { return running_; }
  bool ChangeWaitingOrRunning() const;
  std::size_t Waiting() const { return queue_.size(); }
  // The running command's name; empty when idle.
  const std::string& Running() const { return runningName_; }

 private:
  void RunQueue();
  void Release(std::uint64_t id);
  void EndRunning();

  Clock clock_;
  std::function<void()> scheduler_;
  std::shared_ptr<CommandCore*> self_;  // holds see the core through it while it lives
  std::deque<Command> queue_;
  bool running_ = false;     // a command runs, or is held
  std::uint64_t holdId_ = 0;  // the running command's hold; 0: none
  std::uint64_t lastHoldId_ = 0;
  bool awaiting_ = false;                // the hold's work is under way
  std::int64_t strandedSince_ = -1;      // when its continuation returned unfinished; -1: not stranded
  bool draining_ = false;                // RunQueue is on the stack
  bool shut_ = false;
  Kind runningKind_ = Kind::Other;
  std::string runningName_;
};

}  // namespace vdapp
