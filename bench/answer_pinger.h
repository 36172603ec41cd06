// How long a window takes to answer: a thread sends it WM_NULL every
// periodMs and keeps each answer's time; the figures a benchmark reports.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

class AnswerPinger {
 public:
  AnswerPinger(HWND window, DWORD periodMs)
      : thread_([this, window, periodMs] {
          while (!stop_) {
            const auto start = std::chrono::steady_clock::now();
            DWORD_PTR r = 0;
            ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &r);
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            {
              std::lock_guard<std::mutex> lock(mutex_);
              samples_.push_back(ms);
            }
            ::Sleep(periodMs);
          }
        }) {}
  AnswerPinger(const AnswerPinger&) = delete;
  AnswerPinger& operator=(const AnswerPinger&) = delete;
  ~AnswerPinger() {
    stop_ = true;
    thread_.join();
  }
  // The answer times since the last call, in milliseconds.
  std::vector<double> Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(samples_, {});
  }

 private:
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<double> samples_;
  std::thread thread_;
};

struct AnswerFigures {
  double p99 = 0, worst = 0, median = 0;
  std::size_t samples = 0;
};

inline AnswerFigures Figures(std::vector<double> s) {
  AnswerFigures f;
  if (s.empty()) return f;
  std::sort(s.begin(), s.end());
  f.p99 = s[std::min(s.size() - 1, s.size() * 99 / 100)];
  f.worst = s.back();
  f.median = s[s.size() / 2];
  f.samples = s.size();
  return f;
}
