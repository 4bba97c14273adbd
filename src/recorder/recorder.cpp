// G711ADPCMSoundRecorderStart and G711ADPCMSoundRecorderStop: the host's control of recording.
#include <mutex>

#include "g722kit/g722kit.h"
#include "recorder_state.h"

namespace g722kit {

constinit RecorderState recorder;

namespace {

// Serialises Start and Stop; the device's callback never takes it.
std::mutex control_mutex;

}  // namespace
}  // namespace g722kit

using namespace g722kit;

extern "C" int32_t G711ADPCMSoundRecorderStart(const char16_t* path) {
  const std::lock_guard lock(control_mutex);
  if (recorder.recording) return G722KIT_ERR_BUSY;
  recorder.completed = 0;
  const int32_t created = RecorderCreateFile(path);
  if (created != G722KIT_OK) return created;
  recorder.recording = true;
  return RecorderOpenDevice();
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
