// Which wave-input service the library talks to: the system's, or one a test put in its place.
#include <atomic>

#include "wave_in.h"

namespace g722kit::platform {
namespace {

std::atomic<const WaveInService*> replacement{nullptr};

}  // namespace

const WaveInService& WaveIn() {
  const WaveInService* service = replacement.load();
  return service != nullptr ? *service : SystemWaveIn();
}

void SetWaveInService(const WaveInService* service) {
  replacement.store(service);
}

}  // namespace g722kit::platform
