// G711ADPCMSoundRecorderStart, G711ADPCMSoundRecorderStop and G711ADPCMSoundRecorderStatus: the
// host's control of recording.
#include <mutex>

#include "g722kit/g722kit.h"
#include "recorder_state.h"

namespace g722kit {

constinit RecorderState recorder;
std::mutex recorder_file_mutex;

namespace {

// Serialises Start and Stop; the device's callback never takes it.
std::mutex control_mutex;

// Opens the file and the device and sets the file up, or leaves everything as it was.
int32_t StartRecording(const char16_t* path) {
  if (recorder.recording) return G722KIT_ERR_BUSY;
  recorder.completed = 0;
  recorder.status = G722KIT_OK;
  int32_t result = RecorderOpenFile(path);
  if (result != G722KIT_OK) return result;
  {
    // Held from before input starts, so that no callback reaches the file before it is set up.
    const std::lock_guard lock(recorder_file_mutex);
    result = RecorderOpenDevice();
    if (result == G722KIT_OK) result = RecorderBeginFile();
  }
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
  const std::lock_guard lock(control_mutex);
  return StartRecording(path);
}

extern "C" int32_t G711ADPCMSoundRecorderStop(void) {
  const std::lock_guard lock(control_mutex);
  if (recorder.recording) {
    RecorderCloseDevice();
    RecorderFinishFile();
    recorder.recording = false;
  }
  return recorder.completed;
}

extern "C" int32_t G711ADPCMSoundRecorderStatus(void) {
  return recorder.status;
}
