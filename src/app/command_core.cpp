#include "app/command_core.h"

#include <algorithm>
#include <utility>

namespace vdapp {

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

void CommandCore::HoldUntilFinished() {
  if (running_) held_ = true;
}

void CommandCore::Finish() {
  if (!running_ || !held_) return;
  held_ = false;
  running_ = false;
  runningName_.clear();
  RunQueue();
}

void CommandCore::Shut() {
  shut_ = true;
  queue_.clear();
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
    held_ = false;
    runningKind_ = c.kind;
    runningName_ = c.name;
    try {
      if (c.run) c.run();
    } catch (...) {
      held_ = false;  // a command that failed holds nothing
    }
    if (!held_) {
      running_ = false;
      runningName_.clear();
    }
  }
  draining_ = false;
}

}  // namespace vdapp
