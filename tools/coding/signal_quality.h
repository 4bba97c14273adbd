// How closely a decoded signal follows the signal that was encoded.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace g722kit::tool {

// Signal-to-noise ratio in dB of decoded against reference, at the delay (0 to max_lag
// samples) that matches best: the two-band filters delay the decoded signal. Nothing when the
// reference is silent: no ratio can be told then.
std::optional<double> SnrDb(std::span<const int16_t> reference, std::span<const int16_t> decoded,
                            int max_lag);

}  // namespace g722kit::tool
