// The recording's WAV file: opened without being changed, set up with a header for no audio
// once the device records, grown a second at a time with the header kept true, finished on
// stop, or left as it was found when Start fails.
#include <algorithm>

#include "file_stream.h"
#include "recorder_state.h"

namespace g722kit {
namespace {

int64_t DataBytes(int32_t seconds) {
  return int64_t{seconds} * kCaptureBytes;
}

// Writes the header for the completed seconds at the start of the file; false when it could
// not be written whole.
bool WriteHeaderAtStart() {
  WavHeaderFillForData(recorder.header, DataBytes(recorder.completed));
  return platform::SeekTo(recorder.output, 0) && WavHeaderWrite(recorder.header, recorder.output);
}

// Remembers the length and the first bytes of the file, which the set-up overwrites.
bool RememberFile(FileBefore& before) {
  if (!platform::SeekToEnd(recorder.output)) return false;
  before.length = platform::Position(recorder.output);
  const auto count = static_cast<size_t>(std::min(before.length, kWavHeaderBytes));
  return before.length >= 0 && platform::SeekTo(recorder.output, 0) &&
         platform::Read(recorder.output, before.start, count) == static_cast<int64_t>(count);
}

}  // namespace

void RecorderFail(int32_t result) {
  int32_t none = G722KIT_OK;
  recorder.status.compare_exchange_strong(none, result);
}

int32_t RecorderOpenFile(const char16_t* path) {
  if (path == nullptr) return G722KIT_ERR_NULL_PATH;
  if (!platform::IsUsableWidePath(path)) return G722KIT_ERR_PATH;
  FileBefore before;
  recorder.output = platform::OpenRegularForUpdate(path, before.created);
  if (recorder.output == nullptr) return G722KIT_ERR_OPEN_OUTPUT;
  recorder.before = before;
  if (!RememberFile(recorder.before)) {
    RecorderAbandonFile(path);
    return G722KIT_ERR_OPEN_OUTPUT;
  }
  return G722KIT_OK;
}

int32_t RecorderBeginFile() {
  recorder.before.touched = true;
  // The header goes first and the cut comes last, so that a failure of either leaves what the
  // file held beyond its first bytes, which RecorderAbandonFile puts back.
  if (!WriteHeaderAtStart() || !platform::Truncate(recorder.output, kWavHeaderBytes) ||
      !platform::SeekTo(recorder.output, kWavHeaderBytes)) {
    return G722KIT_ERR_WRITE;
  }
  recorder.writing = true;
  return G722KIT_OK;
}

void RecorderAppendSecond() {
  if (!recorder.writing) return;
  const int64_t grown = DataBytes(recorder.completed + 1);
  if (!WavDataFits(grown)) {
    recorder.writing = false;
    RecorderFail(G722KIT_ERR_TOO_LARGE);
    return;
  }
  if (platform::Write(recorder.output, recorder.copy, kCaptureBytes) != kCaptureBytes) {
    recorder.writing = false;
    RecorderFail(G722KIT_ERR_WRITE);
    return;
  }
  recorder.completed++;
  if (!WriteHeaderAtStart() || !platform::SeekTo(recorder.output, kWavHeaderBytes + grown)) {
    recorder.writing = false;
    RecorderFail(G722KIT_ERR_WRITE);
  }
}

void RecorderFinishFile() {
  recorder.writing = false;
  bool finished = WriteHeaderAtStart();
  finished = platform::Truncate(recorder.output, kWavHeaderBytes + DataBytes(recorder.completed)) &&
             finished;
  finished = platform::Close(recorder.output) && finished;
  recorder.output = nullptr;
  if (!finished) RecorderFail(G722KIT_ERR_WRITE);
}

void RecorderAbandonFile(const char16_t* path) {
  recorder.writing = false;
  const FileBefore& before = recorder.before;
  if (before.touched && !before.created) {
    // What fails to go back stays lost: there is nothing more to try.
    const auto count = static_cast<size_t>(std::min(before.length, kWavHeaderBytes));
    if (platform::SeekTo(recorder.output, 0)) platform::Write(recorder.output, before.start, count);
    platform::Truncate(recorder.output, before.length);
  }
  platform::Close(recorder.output);
  recorder.output = nullptr;
  if (before.created) platform::RemoveFile(path);
}

}  // namespace g722kit
