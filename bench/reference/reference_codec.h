// A plain step-by-step transcription of the G.722 algorithm: the baseline that the benchmarks
// measure the library's codec against, on the same record and giving the same bits.
#pragma once

#include <cstdint>

#include "g722kit/g722.h"

namespace g722kit::reference {

int32_t EncodeSamples(G722State* state, uint8_t* codes_out, const int16_t* pcm_in,
                      int32_t sample_count);

int32_t DecodeCodes(G722State* state, int16_t* pcm_out, const uint8_t* codes_in,
                    int32_t byte_count);

}  // namespace g722kit::reference
