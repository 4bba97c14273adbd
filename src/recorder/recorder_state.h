// The recorder's module storage and the steps that Start, Stop and the device's callback share.
// There is one recording at a time. The file is shared with the device's callback under
// recorder_file_mutex: Start holds it from before input starts until the file is set up, so
// that no callback writes before, and the callback holds it while it appends a second. Stop
// touches the file only after the device is closed, when no callback runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>

#include "g722kit/g722kit.h"
#include "wav_header.h"
#include "wave_in.h"

namespace g722kit {

// One capture buffer: a second of 16-bit mono PCM at 8000 samples per second.
inline constexpr uint32_t kCaptureBytes = 16000;

// Room for the name of the capture device, in UTF-16 units with the terminator.
inline constexpr size_t kDeviceNameCapacity = 256;

// What a file held before Start set it up, so that a Start that fails can leave it as it was.
struct FileBefore {
  bool created = false;  // Start created the file: a failed Start deletes it
  bool touched = false;  // the set-up wrote to the file
  int64_t length = 0;
  uint8_t start[kWavHeaderBytes]{};  // the first bytes, as many as length allows
};

struct RecorderState {
  std::FILE* output = nullptr;
  platform::WaveInHandle device = nullptr;           // null when no device is open
  const platform::WaveInService* service = nullptr;  // the service that opened the device
  platform::WaveBuffer buffer{};                     // describes capture to the device
  uint8_t capture[kCaptureBytes]{};                  // filled by the device
  uint8_t copy[kCaptureBytes]{};                     // a filled second, on its way to the file
  int32_t completed = 0;                             // whole seconds in the file
  WavHeader header{};
  FileBefore before{};
  int32_t sample_rate = 8000;
  char16_t device_name[kDeviceNameCapacity]{};  // empty: the system's default device
  bool recording = false;  // from a Start that succeeded to the Stop that ends it
  bool writing = false;    // the file is set up, and audio may still be appended to it
  // G722KIT_OK, or the first failure of the recording since Start began it.
  std::atomic<int32_t> status{G722KIT_OK};
};

extern RecorderState recorder;

// Guards the file between Start's set-up and the callback (not constant-initialisable on every
// system, hence not in RecorderState).
extern std::mutex recorder_file_mutex;

// Records a failure of the running recording, unless an earlier one is recorded.
void RecorderFail(int32_t result);

// Opens the file at path for the recording without changing it: an existing regular file as it
// is, remembering what it holds, or a new one. Returns G722KIT_OK, or G722KIT_ERR_NULL_PATH,
// G722KIT_ERR_PATH or G722KIT_ERR_OPEN_OUTPUT (also for a path that names something other than
// a regular file) with nothing opened.
int32_t RecorderOpenFile(const char16_t* path);

// With recorder_file_mutex held: replaces the file's contents with a header for no audio, after
// which audio may be appended. G722KIT_OK, or G722KIT_ERR_WRITE.
int32_t RecorderBeginFile();

// Appends the copy buffer to the file as one more second and brings the header on disk up to
// date, so that the file is a valid WAV of every completed second at any moment. After a write
// falls short, or when one more second would pass the size a WAV header can describe, no more
// audio is written and the failure is recorded.
void RecorderAppendSecond();

// Writes the final header, cuts whatever follows the completed seconds and closes the file;
// a failure of any of these is recorded.
void RecorderFinishFile();

// After a failed Start: closes the file, leaving it as RecorderOpenFile found it (a file Start
// created is deleted).
void RecorderAbandonFile(const char16_t* path);

// Names the device later Starts open: NULL or empty for the system's default. Returns
// G722KIT_OK, or G722KIT_ERR_PATH, keeping the name it had, for a name that is not valid UTF-16
// or does not fit.
int32_t RecorderNameDevice(const char16_t* name);

// Opens the named wave-input device, prepares and queues the capture buffer and starts input.
// Returns G722KIT_OK, or G722KIT_ERR_DEVICE_OPEN, G722KIT_ERR_DEVICE_QUEUE or
// G722KIT_ERR_DEVICE_START, leaving what it opened for RecorderCloseDevice.
int32_t RecorderOpenDevice();

// Stops input, unprepares the buffer and closes the device, if one is open; no callback runs
// after it returns.
void RecorderCloseDevice();

// The device's callback: on kWimData, hands the filled second to the file and the capture
// buffer back to the device; on kWimFailed, records that input stopped.
void RecorderBufferDone(platform::WaveInHandle device, uint32_t message, uintptr_t instance,
                        uintptr_t param1, uintptr_t param2);

}  // namespace g722kit
