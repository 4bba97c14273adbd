// A progress bar on stderr for work that takes more than a moment. It draws only when stderr is
// a terminal, so logs and pipes never see it, and only once the work has run for a while.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace g722kit::tool {

class Progress {
 public:
  // total: the units of work, 0 when unknown (the bar then shows nothing).
  Progress(std::string label, uint64_t total);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void Update(uint64_t done);

 private:
  using Clock = std::chrono::steady_clock;

  std::string label_;
  uint64_t total_;
  bool enabled_;
  bool drawn_ = false;
  Clock::time_point start_ = Clock::now();
  Clock::time_point last_draw_{};
};

}  // namespace g722kit::tool
