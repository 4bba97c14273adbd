// Which wave-input service the library talks to: the system's, or one a test put in its place;
// and the argument checks that every service makes.
#include <atomic>

#include "wave_in.h"

namespace g722kit::platform {
namespace {

std::atomic<const WaveInService*> replacement{nullptr};

}  // namespace

int32_t CheckWaveBuffer(const WaveBuffer* buffer, uint32_t size, uint32_t frame_bytes) {
  if (buffer == nullptr || size != sizeof(WaveBuffer) || buffer->data == nullptr ||
      buffer->length == 0 || buffer->length % frame_bytes != 0) {
    return kWaveInErrBadParameter;
  }
  return kWaveInOk;
}

const WaveInService& WaveIn() {
  const WaveInService* service = replacement.load();
  return service != nullptr ? *service : SystemWaveIn();
}

void SetWaveInService(const WaveInService* service) {
  replacement.store(service);
}

}  // namespace g722kit::platform
