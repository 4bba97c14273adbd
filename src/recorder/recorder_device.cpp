// The recorder's side of the wave-input device: opening, priming and closing it, and the
// callback that takes each filled second.
#include <algorithm>
#include <cstring>

#include "file_stream.h"

#include "recorder_state.h"

namespace g722kit {

using platform::kWaveInOk;

int32_t RecorderNameDevice(const char16_t* name) {
  if (name == nullptr) name = u"";
  size_t length = 0;
  while (length < kDeviceNameCapacity && name[length] != 0)
    length++;
  if (length == kDeviceNameCapacity || !platform::IsUsableWidePath(name)) {
    return G722KIT_ERR_PATH;
  }
  std::copy(name, name + length + 1, recorder.device_name);
  return G722KIT_OK;
}

int32_t RecorderOpenDevice() {
  const auto rate = static_cast<uint32_t>(recorder.sample_rate);
  const platform::WaveFormat format = {platform::kWaveFormatPcm, 1, rate, rate * 2, 2, 16};
  const platform::WaveInService& service = platform::WaveIn();
  recorder.service = &service;
  platform::WaveInHandle device = nullptr;
  if (service.open(&device, recorder.device_name, &format, RecorderBufferDone, 0) != kWaveInOk) {
    return G722KIT_ERR_DEVICE_OPEN;
  }
  recorder.device = device;
  recorder.buffer = {recorder.capture, kCaptureBytes, 0, 0, 0, 0, nullptr};
  if (service.prepare(device, &recorder.buffer, sizeof recorder.buffer) != kWaveInOk ||
      service.add(device, &recorder.buffer, sizeof recorder.buffer) != kWaveInOk) {
    return G722KIT_ERR_DEVICE_QUEUE;
  }
  if (service.start(device) != kWaveInOk) return G722KIT_ERR_DEVICE_START;
  return G722KIT_OK;
}

void RecorderCloseDevice() {
  if (recorder.device == nullptr) return;
  const platform::WaveInService& service = *recorder.service;
  service.stop(recorder.device);
  service.unprepare(recorder.device, &recorder.buffer, sizeof recorder.buffer);
  service.close(recorder.device);
  recorder.device = nullptr;
}

// Every buffer handed back counts as a whole second, however much of it was recorded: the
// file only ever holds whole seconds. The buffer goes back to the device before the second is
// written, so that the device has a buffer to fill meanwhile.
void RecorderBufferDone(platform::WaveInHandle device, uint32_t message, uintptr_t, uintptr_t,
                        uintptr_t) {
  // A thread of the audio service runs this: an exception must end here, as a failure.
  try {
    if (message == platform::kWimFailed) RecorderFail(G722KIT_ERR_DEVICE_START);
    if (message != platform::kWimData) return;
    std::memcpy(recorder.copy, recorder.capture, kCaptureBytes);
    recorder.buffer.bytes_recorded = 0;
    if (recorder.service->add(device, &recorder.buffer, sizeof recorder.buffer) != kWaveInOk) {
      RecorderFail(G722KIT_ERR_DEVICE_QUEUE);
    }
    const std::lock_guard lock(recorder_file_mutex);
    RecorderAppendSecond();
  } catch (...) {
    RecorderFail(G722KIT_ERR_INTERNAL);
  }
}

}  // namespace g722kit
