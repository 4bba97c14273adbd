#include "progress.h"

#include <algorithm>
#include <cstdio>

#include "system.h"

namespace g722kit::tool {
namespace {

constexpr auto kQuietStart = std::chrono::milliseconds(400);  // short work shows no bar
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

}  // namespace

Progress::Progress(std::string label, uint64_t total)
    : label_(std::move(label)), total_(total), enabled_(total > 0 && StderrIsTerminal()) {}

Progress::~Progress() {
  if (drawn_) std::fprintf(stderr, "\r%*s\r", StderrColumns() - 1, "");
}

void Progress::Update(uint64_t done) {
  if (!enabled_) return;
  const Clock::time_point now = Clock::now();
  if (now - start_ < kQuietStart || now - last_draw_ < kRedrawEvery) return;
  last_draw_ = now;
  const double fraction = std::min(1.0, static_cast<double>(done) / static_cast<double>(total_));
  const int width = std::clamp(StderrColumns() - static_cast<int>(label_.size()) - 10, 10, 50);
  const int filled = static_cast<int>(fraction * width);
  std::fprintf(stderr, "\r%s [%s%s] %3d%%", label_.c_str(), std::string(filled, '#').c_str(),
               std::string(width - filled, '-').c_str(), static_cast<int>(fraction * 100));
  std::fflush(stderr);
  drawn_ = true;
}

}  // namespace g722kit::tool
