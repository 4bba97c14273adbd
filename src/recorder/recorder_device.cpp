// The recorder's side of the wave-input device: opening, priming and closing it, and the
// callback that takes each filled second.
#include <cstring>

#include "g722kit/g722kit.h"
#include "recorder_state.h"

namespace g722kit {

using platform::kWaveInOk;

int32_t RecorderOpenDevice() {
  const auto rate = static_cast<uint32_t>(recorder.sample_rate);
  const platform::WaveFormat format = {platform::kWaveFormatPcm, 1, rate, rate * 2, 2, 16};
  const platform::WaveInService& service = platform::WaveIn();
  recorder.service = &service;
  platform::WaveInHandle device = nullptr;
  if (service.open(&device, &format, RecorderBufferDone, 0) != kWaveInOk) {
    return G722KIT_ERR_DEVICE_OPEN;
  }
  recorder.device = device;
  recorder.buffer = {recorder.capture, kCaptureBytes, 0, 0, 0, 0, nullptr};
  service.prepare(device, &recorder.buffer, sizeof recorder.buffer);
  if (service.add(device, &recorder.buffer, sizeof recorder.buffer) != kWaveInOk) {
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
// file only ever holds whole seconds.
void RecorderBufferDone(platform::WaveInHandle device, uint32_t message, uintptr_t, uintptr_t,
                        uintptr_t) {
  if (message != platform::kWimData) return;
  std::memcpy(recorder.copy, recorder.capture, kCaptureBytes);
  recorder.buffer.bytes_recorded = 0;
  recorder.service->add(device, &recorder.buffer, sizeof recorder.buffer);
  RecorderAppendSecond();
}

}  // namespace g722kit
