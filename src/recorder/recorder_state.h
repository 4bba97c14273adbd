// The recorder's module storage and the steps that Start, Stop and the device's callback share.
// There is one recording at a time. No lock guards the state against the callback: Start puts
// the file in place before the device is opened, the callback alone touches the file and the
// counter while the device runs, and Stop touches them only after the device is closed.
#pragma once

#include <cstdint>
#include <cstdio>

#include "wav_header.h"
#include "wave_in.h"

namespace g722kit {

// One capture buffer: a second of 16-bit mono PCM at 8000 samples per second.
inline constexpr uint32_t kCaptureBytes = 16000;

struct RecorderState {
  std::FILE* output = nullptr;
  platform::WaveInHandle device = nullptr;           // null when no device is open
  const platform::WaveInService* service = nullptr;  // the service that opened the device
  platform::WaveBuffer buffer{};                     // describes capture to the device
  uint8_t capture[kCaptureBytes]{};                  // filled by the device
  uint8_t copy[kCaptureBytes]{};                     // a filled second, on its way to the file
  int32_t completed = 0;                             // whole seconds in the file
  WavHeader header{};
  int32_t sample_rate = 8000;
  bool recording = false;  // from a Start that created the file to the Stop that closes it
  bool writing = false;    // audio may still be appended: no write failed and the file has room
};

extern RecorderState recorder;

// Creates the output file and writes a header for no audio. Returns G722KIT_OK, or
// G722KIT_ERR_NULL_PATH, G722KIT_ERR_PATH, G722KIT_ERR_OPEN_OUTPUT or G722KIT_ERR_WRITE with
// no file left open.
int32_t RecorderCreateFile(const char16_t* path);

// Appends the copy buffer to the file as one more second and brings the header on disk up to
// date, so that the file is a valid WAV of every completed second at any moment. After a write
// falls short, or when one more second would pass the size a WAV header can describe, no more
// audio is written.
void RecorderAppendSecond();

// Writes the final header (when the file can be repositioned) and closes the file.
void RecorderFinishFile();

// Opens the wave-input device, queues the capture buffer and starts input. Returns
// G722KIT_OK, or G722KIT_ERR_DEVICE_OPEN, G722KIT_ERR_DEVICE_QUEUE or G722KIT_ERR_DEVICE_START.
int32_t RecorderOpenDevice();

// Stops input, unprepares the buffer and closes the device, if one is open; no callback runs
// after it returns.
void RecorderCloseDevice();

// The device's callback: on kWimData, hands the filled second to the file and the capture
// buffer back to the device.
void RecorderBufferDone(platform::WaveInHandle device, uint32_t message, uintptr_t instance,
                        uintptr_t param1, uintptr_t param2);

}  // namespace g722kit
