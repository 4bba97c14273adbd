// G722Encode: a raw 8 kHz PCM file to a file of 64 kbit/s G.722 codes, one byte per sample.
#include <limits>
#include <mutex>

#include "c_boundary.h"
#include "file_pair.h"
#include "g722kit/g722.h"
#include "pcm_order.h"

namespace g722kit {
namespace {

// Static storage of the operation, guarded by encode_mutex.
std::mutex encode_mutex;
int16_t input_samples[kReadBytes / 2];
uint8_t output_codes[kReadBytes];
NarrowPathBuffer input_name;
NarrowPathBuffer output_name;

int32_t EncodeStream(G722State& state, const FilePair& files) {
  return ForEachRead(files.input, input_samples, sizeof input_samples, [&](int64_t count) {
    const auto samples = static_cast<int32_t>(count / 2);  // an odd last byte is dropped
    SwapPcmByteOrder(input_samples, samples);
    const int32_t codes = G722EncodeSamples(&state, output_codes, input_samples, samples);
    if (platform::Write(files.output, output_codes, codes) < static_cast<size_t>(codes)) {
      return G722KIT_ERR_WRITE;
    }
    return G722KIT_OK;
  });
}

}  // namespace
}  // namespace g722kit

using namespace g722kit;

extern "C" int32_t G722Encode(const char16_t* inPath, const char16_t* outPath) {
  return AtCBoundary(G722KIT_ERR_INTERNAL, [&] {
    const std::lock_guard lock(encode_mutex);
    G722State state;
    G722EncoderInit(&state, 64000, G722Option8k);
    FilePair files;
    // Raw codes have no size limit.
    const int32_t opened = OpenFilePair(inPath, outPath, input_name, output_name,
                                        std::numeric_limits<int64_t>::max(), files);
    if (opened != G722KIT_OK) return opened;
    return CloseFilePair(files, EncodeStream(state, files));
  });
}
