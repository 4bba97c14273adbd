// G711ADPCMSoundRecorderStart, G711ADPCMSoundRecorderStop, G711ADPCMSoundRecorderSetDevice and
// G711ADPCMSoundRecorderStatus: the host's control of recording.
#include <mutex>

#include "c_boundary.h"
#include "g722kit/g722kit.h"
#include "recorder_state.h"

namespace g722kit {

constinit RecorderState recorder;
std::mutex recorder_file_mutex;

namespace {

// Serialises Start, Stop and SetDevice; the device's callback never takes it.
std::mutex control_mutex;

// Opens the file and the device and sets the file up, or leaves everything as it was.
int32_t StartRecording(const char16_t* path) {
  if (recorder.recording) return G722KIT_ERR_BUSY;
  recorder.completed = 0;
  recorder.status = G722KIT_OK;
  int32_t result = RecorderOpenFile(path);
  if (result != G722KIT_OK) return result;
  result = AtCBoundary(G722KIT_ERR_INTERNAL, [] {
    // Held from before input starts, so that no callback reaches the file before it is set up.
    const std::lock_guard lock(recorder_file_mutex);
    const int32_t opened = RecorderOpenDevice();
    return opened == G722KIT_OK ? RecorderBeginFile() : opened;
  });
  if (result != G722KIT_OK) {
    RecorderCloseDevice();
    RecorderAbandonFile(path);
    return result;
  }
  recorder.recording = true;
  return G722KIT_OK;
}

}  // namespace
}  // namespace g722kit

using namespace g722kit;

extern "C" int32_t G711ADPCMSoundRecorderStart(const char16_t* path) {
  return AtCBoundary(G722KIT_ERR_INTERNAL, [&] {
    const std::lock_guard lock(control_mutex);
    return StartRecording(path);
  });
}

// A failure inside (a lock that cannot be taken) returns 0 and leaves its code in the status.
extern "C" int32_t G711ADPCMSoundRecorderStop(void) {
  int32_t seconds = 0;
  const int32_t result = AtCBoundary(G722KIT_ERR_INTERNAL, [&] {
    const std::lock_guard lock(control_mutex);
    if (recorder.recording) {
      RecorderCloseDevice();
      RecorderFinishFile();
      recorder.recording = false;
    }
    seconds = recorder.completed;
    return G722KIT_OK;
  });
  if (result != G722KIT_OK) RecorderFail(result);
  return seconds;
}

extern "C" int32_t G711ADPCMSoundRecorderSetDevice(const char16_t* name) {
  return AtCBoundary(G722KIT_ERR_INTERNAL, [&] {
    const std::lock_guard lock(control_mutex);
    return recorder.recording ? G722KIT_ERR_BUSY : RecorderNameDevice(name);
  });
}

// An atomic load: it cannot throw, and needs no lock.
extern "C" int32_t G711ADPCMSoundRecorderStatus(void) {
  return recorder.status;
}
