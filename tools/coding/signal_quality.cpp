#include "coding/signal_quality.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace g722kit::tool {

std::optional<double> SnrDb(std::span<const int16_t> reference, std::span<const int16_t> decoded,
                            int max_lag) {
  std::optional<double> best;
  for (size_t lag = 0; lag <= static_cast<size_t>(max_lag) && lag < decoded.size(); lag++) {
    const size_t length = std::min(reference.size(), decoded.size() - lag);
    double signal = 0, noise = 0;
    for (size_t i = 0; i < length; i++) {
      const double x = reference[i], error = x - decoded[i + lag];
      signal += x * x;
      noise += error * error;
    }
    if (signal == 0) return std::nullopt;
    if (noise == 0) return std::numeric_limits<double>::infinity();
    best = std::max(best.value_or(-std::numeric_limits<double>::infinity()),
                    10 * std::log10(signal / noise));
  }
  return best;
}

}  // namespace g722kit::tool
