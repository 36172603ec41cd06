#include "app/command_core.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace vdapp {

CommandCore::Hold::Hold(Hold&& other) noexcept : core_(std::move(other.core_)), id_(std::exchange(other.id_, 0)) {}

CommandCore::Hold& CommandCore::Hold::operator=(Hold&& other) noexcept {
  if (this != &other) {
    Finish();
    core_ = std::move(other.core_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

CommandCore::Hold::~Hold() { Finish(); }

CommandCore* CommandCore::Hold::Core() const {
  if (id_ == 0) return nullptr;
  const auto core = core_.lock();
  return core ? *core : nullptr;
}

bool CommandCore::Hold::Current() const {
  const CommandCore* core = Core();
  return core && core->holdId_ == id_;
}

void CommandCore::Hold::Finish() noexcept {
  CommandCore* core = Core();
  const std::uint64_t id = std::exchange(id_, 0);
  if (!core) return;
  try {
    core->Release(id);
  } catch (...) {
    // A command run from here failed; the core has gone on without it.
  }
}

void CommandCore::Hold::Awaiting() {
  if (!Current()) return;
  CommandCore* core = Core();
  core->awaiting_ = true;
  core->strandedSince_ = -1;
}

void CommandCore::Hold::Arrived() {
  if (Current()) Core()->awaiting_ = false;
}

void CommandCore::Hold::Returned() {
  if (!Current()) return;
  CommandCore* core = Core();
  if (!core->awaiting_) core->strandedSince_ = core->clock_();
}

CommandCore::CommandCore(Clock clock) : clock_(std::move(clock)), self_(std::make_shared<CommandCore*>(this)) {
  if (!clock_) {
    clock_ = [] {
      return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count();
    };
  }
}

bool CommandCore::Submit(Command command) {
  if (!Enqueue(std::move(command))) return false;
  RunQueue();
  return true;
}

bool CommandCore::Enqueue(Command command) {
  if (shut_) return false;
  // One change answers every request for it made before it shows: a second
  // press of the hot key while one waits or runs adds nothing.
  if (command.kind == Kind::Change && ChangeWaitingOrRunning()) return false;
  // The monitors' last layout is the one that counts.
  if (command.kind == Kind::Recompose &&
      std::any_of(queue_.begin(), queue_.end(), [](const Command& c) { return c.kind == Kind::Recompose; }))
    return false;
  queue_.push_back(std::move(command));
  return true;
}

bool CommandCore::ChangeWaitingOrRunning() const {
  if (running_ && runningKind_ == Kind::Change) return true;
  return std::any_of(queue_.begin(), queue_.end(), [](const Command& c) { return c.kind == Kind::Change; });
}

CommandCore::Hold CommandCore::HoldUntilFinished() {
  if (!running_ || shut_) return {};
  holdId_ = ++lastHoldId_;
  awaiting_ = false;
  strandedSince_ = -1;
  return Hold(self_, holdId_);
}

void CommandCore::EndRunning() {
  running_ = false;
  holdId_ = 0;
  awaiting_ = false;
  strandedSince_ = -1;
  runningName_.clear();
}

void CommandCore::Release(std::uint64_t id) {
  if (!running_ || id == 0 || id != holdId_) return;  // a stale hold: its command has ended already
  EndRunning();
  RunQueue();
}

std::string CommandCore::ReleaseStranded() {
  if (!running_ || holdId_ == 0 || strandedSince_ < 0 || clock_() - strandedSince_ < kStrandedMs) return {};
  std::string name = runningName_;
  Release(holdId_);
  return name;
}

std::size_t CommandCore::Shut() {
  shut_ = true;
  std::deque<Command> waiting = std::exchange(queue_, {});
  std::size_t carried = 0;
  for (Command& c : waiting) {
    if (!c.atEnd) continue;
    ++carried;
    try {
      c.atEnd();
    } catch (...) {
      // The others are still carried over.
    }
  }
  return carried;
}

void CommandCore::RunQueue() {
  // Called again from inside a command (it submitted one, or finished a held
  // one through a pumped message): the loop below on the stack goes on.
  if (draining_) return;
  draining_ = true;
  while (!running_ && !shut_ && !queue_.empty()) {
    Command c = std::move(queue_.front());
    queue_.pop_front();
    running_ = true;
    holdId_ = 0;
    runningKind_ = c.kind;
    runningName_ = c.name;
    try {
      if (c.run) c.run();
    } catch (...) {
      holdId_ = 0;  // a command that failed holds nothing: its hold is stale from now on
    }
    if (holdId_ == 0) EndRunning();
    if (scheduler_ && !running_ && !shut_ && !queue_.empty()) {
      draining_ = false;
      scheduler_();  // the next one on the next turn of the message loop
      return;
    }
  }
  draining_ = false;
}

}  // namespace vdapp
