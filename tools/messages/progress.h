// Status on stderr for work that takes more than a moment, drawn only when stderr is a terminal
// so that logs and pipes never see it, and not with --quiet.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace g722kit::tool {

// One line redrawn in place, and cleared when the object goes.
class StatusLine {
 public:
  StatusLine();
  ~StatusLine();
  StatusLine(const StatusLine&) = delete;
  StatusLine& operator=(const StatusLine&) = delete;

  bool enabled() const { return enabled_; }
  void Show(const std::string& text);

 private:
  bool enabled_;
  bool drawn_ = false;
};

// "[#####-----]": a bar of width cells, filled to fraction (0 to 1).
std::string Bar(double fraction, int width);

// A progress bar that appears once the work has run for a while.
class Progress {
 public:
  // total: the units of work, 0 when unknown (the bar then shows nothing).
  Progress(std::string label, uint64_t total);

  void Update(uint64_t done);

 private:
  using Clock = std::chrono::steady_clock;

  std::string label_;
  uint64_t total_;
  StatusLine line_;
  Clock::time_point start_ = Clock::now();
  Clock::time_point last_draw_{};
};

}  // namespace g722kit::tool
