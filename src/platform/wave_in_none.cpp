// Wave input on a system without audio capture: no device ever opens. Arguments are checked as
// every service checks them, so that misuse gets the same answers everywhere.
#include "wave_in.h"

namespace g722kit::platform {
namespace {

int32_t Open(WaveInHandle* handle, const char16_t*, const WaveFormat* format,
             WaveInCallback callback, uintptr_t) {
  if (handle == nullptr || format == nullptr || callback == nullptr) {
    return kWaveInErrBadParameter;
  }
  *handle = nullptr;
  if (format->block_align == 0) return kWaveInErrBadFormat;
  return kWaveInErrNoDevice;
}

// No handle names an open device.
int32_t OnBuffer(WaveInHandle, WaveBuffer*, uint32_t) {
  return kWaveInErrBadHandle;
}

int32_t OnDevice(WaveInHandle) {
  return kWaveInErrBadHandle;
}

constexpr WaveInService kNoWaveIn = {Open,     OnBuffer, OnBuffer, OnBuffer,
                                     OnDevice, OnDevice, OnDevice};

}  // namespace

const WaveInService& SystemWaveIn() {
  return kNoWaveIn;
}

}  // namespace g722kit::platform
