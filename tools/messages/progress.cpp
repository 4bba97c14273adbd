#include "messages/progress.h"

#include <algorithm>
#include <cstdio>

#include "io/system.h"
#include "messages/report.h"

namespace g722kit::tool {
namespace {

constexpr auto kQuietStart = std::chrono::milliseconds(400);  // short work shows no bar
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

}  // namespace

StatusLine::StatusLine() : enabled_(StderrIsTerminal() && !Quiet()) {}

StatusLine::~StatusLine() {
  if (drawn_) std::fprintf(stderr, "\r%*s\r", StderrColumns() - 1, "");
}

void StatusLine::Show(const std::string& text) {
  if (!enabled_) return;
  const auto columns = static_cast<size_t>(StderrColumns() - 1);
  std::fprintf(stderr, "\r%-*s", static_cast<int>(columns), text.substr(0, columns).c_str());
  std::fflush(stderr);
  drawn_ = true;
}

std::string Bar(double fraction, int width) {
  const int filled = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * width);
  return "[" + std::string(filled, '#') + std::string(width - filled, '-') + "]";
}

Progress::Progress(std::string label, uint64_t total) : label_(std::move(label)), total_(total) {}

void Progress::Update(uint64_t done) {
  if (!line_.enabled() || total_ == 0) return;
  const Clock::time_point now = Clock::now();
  if (now - start_ < kQuietStart || now - last_draw_ < kRedrawEvery) return;
  last_draw_ = now;
  const double fraction = std::min(1.0, static_cast<double>(done) / static_cast<double>(total_));
  const int width = std::clamp(StderrColumns() - static_cast<int>(label_.size()) - 10, 10, 50);
  char percent[8];
  std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(fraction * 100));
  line_.Show(label_ + " " + Bar(fraction, width) + " " + percent);
}

}  // namespace g722kit::tool
