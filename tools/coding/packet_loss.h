// --simulate-loss: which 20 ms packets of a code stream a simulated network loses. At a packet
// outside a burst, a burst of B packets starts with probability q = p / (B - (B - 1) p), which
// loses a share p of all packets in the long run; the draws come from a seeded generator, so
// that a seed repeats a run.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace g722kit::tool {

// Codes per 20 ms packet: 8000 codes per second, two-band or not.
inline constexpr size_t kPacketCodes = 160;

struct SimulatedLoss {
  double percent = 0;  // of the packets, 0 to 100
  int burst = 1;       // packets lost in a row
  uint32_t seed = 0;
};

// --simulate-loss P[:B] and --seed N (empty: a seed of the system's entropy). Throws a usage
// ToolError that says what each wants.
SimulatedLoss ParseSimulatedLoss(const std::string& text, const std::string& seed);

class LossPattern {
 public:
  explicit LossPattern(const SimulatedLoss& loss);
  // Whether packet number `packet` is lost; asked for the packets in order, each as often as
  // there are streams in the file, which lose the same packets.
  bool Lost(size_t packet);
  // "dropped 37 of 742 packets (5.0%), bursts of 3, seed 12345"
  std::string Summary() const;

 private:
  SimulatedLoss loss_;
  double threshold_;  // a 32-bit draw below it starts a burst
  std::mt19937 random_;
  int burst_left_ = 0;
  std::vector<bool> lost_;
};

}  // namespace g722kit::tool
