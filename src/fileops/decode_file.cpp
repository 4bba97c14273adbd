// G722Decode: a file of 64 kbit/s G.722 codes to an 8 kHz 16-bit mono WAV file.
#include <mutex>

#include "c_boundary.h"
#include "file_pair.h"
#include "g722kit/g722.h"
#include "pcm_order.h"
#include "wav_header.h"

namespace g722kit {
namespace {

// Static storage of the operation, guarded by decode_mutex. The output buffer holds more
// samples than one read can give in any decoder configuration.
std::mutex decode_mutex;
uint8_t input_codes[kReadBytes];
int16_t output_samples[1048576];
WavHeader header;
NarrowPathBuffer input_name;
NarrowPathBuffer output_name;

// Decodes the whole input behind the header; data_bytes counts the sample bytes written.
int32_t DecodeStream(G722State& state, const FilePair& files, int64_t& data_bytes) {
  return ForEachRead(files.input, input_codes, sizeof input_codes, [&](int64_t count) {
    const int32_t samples =
        G722DecodeCodes(&state, output_samples, input_codes, static_cast<int32_t>(count));
    const auto bytes = static_cast<size_t>(samples) * 2;
    if (!WavDataFits(data_bytes + static_cast<int64_t>(bytes))) return G722KIT_ERR_TOO_LARGE;
    SwapPcmByteOrder(output_samples, samples);
    if (platform::Write(files.output, output_samples, bytes) < bytes) return G722KIT_ERR_WRITE;
    data_bytes += static_cast<int64_t>(bytes);
    return G722KIT_OK;
  });
}

// Rewrites the header, which has claimed no samples so far, with the sizes of the file as
// measured. A file whose length is not what was written (a device, for one) cannot carry a true
// header.
int32_t FinishHeader(std::FILE* output, int64_t data_bytes) {
  if (!platform::SeekToEnd(output)) return G722KIT_ERR_HEADER;
  const int64_t length = platform::Position(output);
  if (length != kWavHeaderBytes + data_bytes) return G722KIT_ERR_HEADER;
  WavHeaderFillForData(header, length - kWavHeaderBytes);
  if (!platform::SeekTo(output, 0)) return G722KIT_ERR_HEADER;
  if (!WavHeaderWrite(header, output)) return G722KIT_ERR_WRITE;
  return G722KIT_OK;
}

// After a failure part-way, makes what the output holds an honest WAV, as far as it can still
// be repositioned: the header gets the sizes of the whole samples behind it, and half a sample
// that a short write left is cut.
void FinishHeaderAfterFailure(std::FILE* output) {
  if (!platform::SeekToEnd(output)) return;
  const int64_t length = platform::Position(output);
  if (length < kWavHeaderBytes) return;
  const int64_t data_bytes = (length - kWavHeaderBytes) & ~int64_t{1};
  if (kWavHeaderBytes + data_bytes != length &&
      !platform::Truncate(output, kWavHeaderBytes + data_bytes)) {
    return;
  }
  if (WavHeaderFillForData(header, data_bytes) && platform::SeekTo(output, 0)) {
    WavHeaderWrite(header, output);
  }
}

int32_t DecodeFile(const FilePair& files) {
  // Until it is finished, the header claims no samples: an output whose header cannot be
  // finished (a failing seek, a pipe) then never claims samples it does not hold.
  WavHeaderFillForData(header, 0);
  if (!WavHeaderWrite(header, files.output)) return G722KIT_ERR_WRITE;
  G722State state;
  G722DecoderInit(&state, 64000, G722Option8k);
  int64_t data_bytes = 0;
  const int32_t result = DecodeStream(state, files, data_bytes);
  if (result != G722KIT_OK) {
    FinishHeaderAfterFailure(files.output);
    return result;
  }
  return FinishHeader(files.output, data_bytes);
}

}  // namespace
}  // namespace g722kit

using namespace g722kit;

extern "C" int32_t G722Decode(const char16_t* inPath, const char16_t* outPath) {
  return AtCBoundary(G722KIT_ERR_INTERNAL, [&] {
    const std::lock_guard lock(decode_mutex);
    FilePair files;
    // One sample of two bytes per code: a longer input cannot become a WAV.
    const int32_t opened =
        OpenFilePair(inPath, outPath, input_name, output_name, kWavMaxDataBytes / 2, files);
    if (opened != G722KIT_OK) return opened;
    return CloseFilePair(files, DecodeFile(files));
  });
}
