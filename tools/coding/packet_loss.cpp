#include "coding/packet_loss.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string_view>

#include "messages/tool_error.h"
#include "messages/wording.h"

namespace g722kit::tool {

namespace {

// The whole of text as a number, or nothing.
template <typename Number>
std::optional<Number> WholeText(std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

SimulatedLoss ParseSimulatedLoss(const std::string& text, const std::string& seed) {
  const size_t colon = text.find(':');
  const std::optional<double> percent = WholeText<double>(std::string_view(text).substr(0, colon));
  const std::optional<int> burst =
      colon == std::string::npos ? 1 : WholeText<int>(std::string_view(text).substr(colon + 1));
  if (!percent || !(*percent >= 0 && *percent <= 100) || !burst || *burst < 1) {
    throw ToolError(kExitUsage, "--simulate-loss " + text +
                                    ": expected P or P:B, P percent of the packets lost (0 to "
                                    "100), in bursts of B packets (1 or more)");
  }
  SimulatedLoss loss{*percent, *burst, 0};
  if (seed.empty()) {
    loss.seed = std::random_device()();
  } else if (const std::optional<uint32_t> value = WholeText<uint32_t>(seed)) {
    loss.seed = *value;
  } else {
    throw ToolError(kExitUsage,
                    "--seed " + seed + ": expected a whole number from 0 to 4294967295");
  }
  return loss;
}

LossPattern::LossPattern(const SimulatedLoss& loss) : loss_(loss), random_(loss.seed) {
  const double p = loss.percent / 100;
  threshold_ = p / (loss.burst - (loss.burst - 1) * p) * 4294967296.0;
}

bool LossPattern::Lost(size_t packet) {
  assert(packet <= lost_.size());
  if (packet == lost_.size()) {
    if (burst_left_ == 0 && random_() < threshold_) burst_left_ = loss_.burst;
    lost_.push_back(burst_left_ > 0);
    if (burst_left_ > 0) burst_left_--;
  }
  return lost_[packet];
}

std::string LossPattern::Summary() const {
  const size_t dropped = static_cast<size_t>(std::count(lost_.begin(), lost_.end(), true));
  std::string summary =
      "dropped " + std::to_string(dropped) + " of " + Counted(lost_.size(), "packet");
  if (!lost_.empty()) {
    char share[16];
    std::snprintf(share, sizeof share, " (%.1f%%)", 100.0 * dropped / lost_.size());
    summary += share;
  }
  if (loss_.burst > 1) summary += ", bursts of " + std::to_string(loss_.burst);
  return summary + ", seed " + std::to_string(loss_.seed);
}

}  // namespace g722kit::tool
