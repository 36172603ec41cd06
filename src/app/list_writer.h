// Writes the default list file on a thread of its own, so that a save after
// every relay or command never holds up the UI thread. Saves that come
// faster than the disk takes them are merged: the last text for a file is
// the one written.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace vdapp {

class ListWriter {
 public:
  // write(path, text) puts the file in place whole, or leaves the old one
  // whole and returns false. It runs on the writer's thread.
  using WriteFile = std::function<bool(const std::string& path, const std::string& text)>;
  explicit ListWriter(WriteFile write);
  ListWriter(const ListWriter&) = delete;
  ListWriter& operator=(const ListWriter&) = delete;
  // Writes what is queued, then ends the thread.
  ~ListWriter();

  // Queues text for path, replacing text for it still waiting.
  void Write(const std::string& path, std::string text);
  // Waits until everything queued has been written or waitMs has passed;
  // true when nothing waits any more. For the program's end, and before the
  // file is read back.
  bool Flush(int waitMs);
  // Whether the last write of path failed.
  bool LastWriteFailed(const std::string& path) const;

 private:
  void Run();

  WriteFile write_;
  mutable std::mutex mutex_;
  std::condition_variable wake_, idle_;
  std::map<std::string, std::string> waiting_;
  std::map<std::string, bool> failed_;
  bool writing_ = false;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace vdapp
