#include "app/list_writer.h"

#include <chrono>
#include <utility>

namespace vdapp {

ListWriter::ListWriter(WriteFile write) : write_(std::move(write)), thread_([this] { Run(); }) {}

ListWriter::~ListWriter() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void ListWriter::Write(const std::string& path, std::string text) {
  {
    std::lock_guard lock(mutex_);
    waiting_[path] = std::move(text);
  }
  wake_.notify_one();
}

bool ListWriter::Flush(int waitMs) {
  std::unique_lock lock(mutex_);
  return idle_.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return waiting_.empty() && !writing_; });
}

bool ListWriter::LastWriteFailed(const std::string& path) const {
  std::lock_guard lock(mutex_);
  const auto it = failed_.find(path);
  return it != failed_.end() && it->second;
}

void ListWriter::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return quit_ || !waiting_.empty(); });
    if (waiting_.empty()) break;  // quit, with everything written
    auto next = waiting_.begin();
    const std::string path = next->first;
    const std::string text = std::move(next->second);
    waiting_.erase(next);
    writing_ = true;
    lock.unlock();
    bool ok = false;
    try {
      ok = write_(path, text);
    } catch (...) {
      ok = false;  // out of memory: the old file stays whole
    }
    lock.lock();
    writing_ = false;
    failed_[path] = !ok;
    if (waiting_.empty()) idle_.notify_all();
  }
  idle_.notify_all();
}

}  // namespace vdapp
