// The recording's WAV file: created with a header for no audio, grown a second at a time with
// the header kept true, finished on stop.
#include "file_stream.h"
#include "g722kit/g722kit.h"
#include "recorder_state.h"

namespace g722kit {
namespace {

int64_t DataBytes(int32_t seconds) {
  return int64_t{seconds} * kCaptureBytes;
}

// Writes the header for the completed seconds at the start of the file. False when the file
// cannot be repositioned (a pipe), in which case nothing was written and the position is kept.
bool WriteHeaderAtStart() {
  WavHeaderFillForData(recorder.header, DataBytes(recorder.completed));
  if (!platform::SeekTo(recorder.output, 0)) return false;
  WavHeaderWrite(recorder.header, recorder.output);
  return true;
}

}  // namespace

int32_t RecorderCreateFile(const char16_t* path) {
  if (path == nullptr) return G722KIT_ERR_NULL_PATH;
  if (!platform::IsUsableWidePath(path)) return G722KIT_ERR_PATH;
  std::FILE* output = platform::OpenForWritingWide(path);
  if (output == nullptr) return G722KIT_ERR_OPEN_OUTPUT;
  WavHeaderFillForData(recorder.header, 0);
  if (!WavHeaderWrite(recorder.header, output)) {
    platform::Close(output);
    return G722KIT_ERR_WRITE;
  }
  recorder.output = output;
  recorder.writing = true;
  return G722KIT_OK;
}

void RecorderAppendSecond() {
  if (!recorder.writing) return;
  const int64_t grown = DataBytes(recorder.completed + 1);
  if (!WavDataFits(grown) ||
      platform::Write(recorder.output, recorder.copy, kCaptureBytes) != kCaptureBytes) {
    recorder.writing = false;
    return;
  }
  recorder.completed++;
  if (WriteHeaderAtStart() && !platform::SeekTo(recorder.output, kWavHeaderBytes + grown)) {
    recorder.writing = false;
  }
}

void RecorderFinishFile() {
  WriteHeaderAtStart();
  platform::Close(recorder.output);
}

}  // namespace g722kit
