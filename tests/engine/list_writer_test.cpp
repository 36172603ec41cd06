#include "app/list_writer.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

// A disk that holds the first write until it is let go, and records what
// reaches it.
struct SlowDisk {
  std::mutex mutex;
  std::condition_variable cv;
  bool firstStarted = false, letGo = false, failNext = false;
  std::vector<std::pair<std::string, std::string>> written;
  bool Write(const std::string& path, const std::string& text) {
    std::unique_lock lock(mutex);
    if (!firstStarted) {
      firstStarted = true;
      cv.notify_all();
      cv.wait(lock, [this] { return letGo; });
    }
    if (std::exchange(failNext, false)) return false;
    written.emplace_back(path, text);
    return true;
  }
  void WaitForFirst() {
    std::unique_lock lock(mutex);
    cv.wait(lock, [this] { return firstStarted; });
  }
  void LetGo() {
    std::lock_guard lock(mutex);
    letGo = true;
    cv.notify_all();
  }
};

TEST(ListWriterTest, SavesFasterThanTheDiskAreMergedAndTheLastTextIsWritten) {
  SlowDisk disk;
  vdapp::ListWriter writer([&disk](const std::string& p, const std::string& t) { return disk.Write(p, t); });
  writer.Write("VDesk.ini", "a\r\n");
  disk.WaitForFirst();
  // Three more saves while the disk is busy with the first: the caller never waits.
  writer.Write("VDesk.ini", "a\r\nb\r\n");
  writer.Write("other.ini", "x\r\n");
  writer.Write("VDesk.ini", "a\r\nb\r\nc\r\n");
  EXPECT_FALSE(writer.Flush(50)) << "the disk still holds the first write";
  disk.LetGo();
  ASSERT_TRUE(writer.Flush(5000));
  const std::vector<std::pair<std::string, std::string>> expected{
      {"VDesk.ini", "a\r\n"}, {"VDesk.ini", "a\r\nb\r\nc\r\n"}, {"other.ini", "x\r\n"}};
  std::lock_guard lock(disk.mutex);
  EXPECT_EQ(disk.written, expected);
}

TEST(ListWriterTest, AFailedWriteIsToldAndWhatIsQueuedAtTheEndIsStillWritten) {
  SlowDisk disk;
  disk.failNext = true;
  {
    vdapp::ListWriter writer([&disk](const std::string& p, const std::string& t) { return disk.Write(p, t); });
    writer.Write("VDesk.ini", "lost\r\n");
    disk.WaitForFirst();
    writer.Write("VDesk.ini", "last\r\n");
    disk.LetGo();
    ASSERT_TRUE(writer.Flush(5000));
    EXPECT_FALSE(writer.LastWriteFailed("VDesk.ini")) << "the later write went through";
    {
      std::lock_guard lock(disk.mutex);
      disk.failNext = true;
    }
    writer.Write("VDesk.ini", "refused\r\n");
    ASSERT_TRUE(writer.Flush(5000));
    EXPECT_TRUE(writer.LastWriteFailed("VDesk.ini"));
    // Queued just before the program ends: the writer's end writes it.
    writer.Write("VDesk.ini", "at the end\r\n");
  }
  ASSERT_FALSE(disk.written.empty());
  EXPECT_EQ(disk.written.back().second, "at the end\r\n");
  EXPECT_EQ(disk.written.front().second, "last\r\n");
}

}  // namespace
