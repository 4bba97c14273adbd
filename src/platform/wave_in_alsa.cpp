// Wave input on ALSA: capture from an ALSA PCM, by default "default", which reaches a sound
// card, or a PulseAudio or PipeWire server through ALSA's pulse plugin. A device name is the
// PCM's name ("hw:1,0", "pulse", ...).
//
// Each open device has one capture thread. It fills the queued buffers in order and hands
// each full one back through the callback, on that thread. ALSA is only ever called by one
// thread at a time: by the caller while the capture thread is idle, by the capture thread
// while it fills a buffer. Stop does not hand back a partly filled buffer: the part filled so
// far is dropped and the buffer, still queued, is filled from its start after the next start.
// An error ALSA cannot recover from (the sound server went away) ends capture for good: the
// callback hears of it (kWimFailed), and the open device then only waits to be closed.
#include <alsa/asoundlib.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "file_stream.h"
#include "wave_in.h"

namespace g722kit::platform {
namespace {

constexpr const char* kDefaultPcm = "default";

// Room for a PCM name in UTF-8, terminator included.
constexpr size_t kPcmNameCapacity = 1024;

// The ring ALSA keeps between the device and the capture thread, and the step in which it
// fills up, in microseconds.
constexpr unsigned kRingMicroseconds = 2000000;
constexpr unsigned kPeriodMicroseconds = 100000;

// How often the capture thread looks whether it was asked to stop while it waits for audio.
constexpr int kWaitMilliseconds = 100;

struct AlsaDevice {
  snd_pcm_t* pcm = nullptr;
  WaveInCallback callback = nullptr;
  uintptr_t instance = 0;
  uint32_t frame_bytes = 0;

  std::mutex mutex;
  std::condition_variable changed;
  WaveBuffer* first = nullptr;  // the queue, linked through WaveBuffer::next
  WaveBuffer* last = nullptr;
  bool running = false;    // between start and stop
  bool capturing = false;  // the thread is reading into a buffer or running the callback
  bool failed = false;     // ALSA failed beyond recovery
  bool closing = false;
  std::thread thread;
};

AlsaDevice* FromHandle(WaveInHandle handle) {
  return reinterpret_cast<AlsaDevice*>(handle);
}

WaveInHandle ToHandle(AlsaDevice* device) {
  return reinterpret_cast<WaveInHandle>(device);
}

// The formats ALSA is asked for: 16-bit integer PCM with consistent sizes.
bool IsSupported(const WaveFormat& format) {
  return format.format_tag == kWaveFormatPcm && format.bits_per_sample == 16 &&
         format.channels > 0 && format.samples_per_second > 0 &&
         format.block_align == format.channels * 2 &&
         format.bytes_per_second == format.samples_per_second * format.block_align;
}

// Sets rate, channels and sample format, letting ALSA convert from what the device has.
bool Configure(snd_pcm_t* pcm, const WaveFormat& format) {
  snd_pcm_hw_params_t* raw = nullptr;
  if (snd_pcm_hw_params_malloc(&raw) < 0) return false;
  const std::unique_ptr<snd_pcm_hw_params_t, void (*)(snd_pcm_hw_params_t*)> params(
      raw, snd_pcm_hw_params_free);
  unsigned ring = kRingMicroseconds;
  unsigned period = kPeriodMicroseconds;
  return snd_pcm_hw_params_any(pcm, raw) >= 0 &&
         snd_pcm_hw_params_set_rate_resample(pcm, raw, 1) >= 0 &&
         snd_pcm_hw_params_set_access(pcm, raw, SND_PCM_ACCESS_RW_INTERLEAVED) >= 0 &&
         snd_pcm_hw_params_set_format(pcm, raw, SND_PCM_FORMAT_S16_LE) >= 0 &&
         snd_pcm_hw_params_set_channels(pcm, raw, format.channels) >= 0 &&
         snd_pcm_hw_params_set_rate(pcm, raw, format.samples_per_second, 0) >= 0 &&
         snd_pcm_hw_params_set_buffer_time_near(pcm, raw, &ring, nullptr) >= 0 &&
         snd_pcm_hw_params_set_period_time_near(pcm, raw, &period, nullptr) >= 0 &&
         snd_pcm_hw_params(pcm, raw) >= 0;
}

// Brings the stream back after an overrun or a suspend; false when that is not possible.
bool Recover(snd_pcm_t* pcm, long error) {
  if (snd_pcm_recover(pcm, static_cast<int>(error), 1) < 0) return false;
  return snd_pcm_start(pcm) >= 0;
}

enum class FillEnd { kFull, kStopped, kFailed };

// Reads into buffer until it is full, stop is asked for, or ALSA fails.
FillEnd Fill(AlsaDevice& device, WaveBuffer& buffer) {
  const snd_pcm_uframes_t frames = buffer.length / device.frame_bytes;
  snd_pcm_uframes_t filled = 0;
  while (filled < frames) {
    {
      const std::lock_guard lock(device.mutex);
      if (!device.running) return FillEnd::kStopped;
    }
    const int ready = snd_pcm_wait(device.pcm, kWaitMilliseconds);
    if (ready < 0 && !Recover(device.pcm, ready)) return FillEnd::kFailed;
    if (ready <= 0) continue;
    const snd_pcm_sframes_t got =
        snd_pcm_readi(device.pcm, buffer.data + filled * device.frame_bytes, frames - filled);
    if (got == -EAGAIN) continue;
    if (got < 0 && !Recover(device.pcm, got)) return FillEnd::kFailed;
    if (got > 0) filled += static_cast<snd_pcm_uframes_t>(got);
  }
  buffer.bytes_recorded = buffer.length;
  return FillEnd::kFull;
}

void CaptureLoop(AlsaDevice& device) {
  std::unique_lock lock(device.mutex);
  for (;;) {
    device.changed.wait(lock, [&] {
      return device.closing || (device.running && !device.failed && device.first != nullptr);
    });
    if (device.closing) return;
    WaveBuffer* buffer = device.first;
    device.capturing = true;
    lock.unlock();
    const FillEnd end = Fill(device, *buffer);
    lock.lock();
    if (end == FillEnd::kFailed) {
      device.failed = true;
      lock.unlock();
      device.callback(ToHandle(&device), kWimFailed, device.instance, kWaveInErrFailed, 0);
      lock.lock();
    }
    if (end == FillEnd::kFull) {
      device.first = buffer->next;
      if (device.first == nullptr) device.last = nullptr;
      buffer->next = nullptr;
      buffer->flags = (buffer->flags & ~kWaveBufferQueued) | kWaveBufferDone;
      lock.unlock();
      device.callback(ToHandle(&device), kWimData, device.instance,
                      reinterpret_cast<uintptr_t>(buffer), 0);
      lock.lock();
    }
    device.capturing = false;
    device.changed.notify_all();
  }
}

// Drops ALSA's cached configuration, so that the next open reads it afresh: the pulse
// plugin's configuration is only in effect if a sound server answered when it was read.
void ForgetAlsaConfiguration() {
  snd_config_update_free_global();
}

int32_t Open(WaveInHandle* handle, const char16_t* name, const WaveFormat* format,
             WaveInCallback callback, uintptr_t instance) {
  if (handle == nullptr || format == nullptr || callback == nullptr) {
    return kWaveInErrBadParameter;
  }
  *handle = nullptr;
  if (!IsSupported(*format)) return kWaveInErrBadFormat;
  char pcm_name[kPcmNameCapacity] = {};
  if (name == nullptr || name[0] == 0) {
    std::strcpy(pcm_name, kDefaultPcm);
  } else if (!ToNarrow(name, pcm_name, sizeof pcm_name)) {
    return kWaveInErrNoDevice;
  }
  std::unique_ptr<AlsaDevice> device(new (std::nothrow) AlsaDevice);
  if (device == nullptr) return kWaveInErrNoMemory;
  device->callback = callback;
  device->instance = instance;
  device->frame_bytes = format->block_align;

  if (snd_pcm_open(&device->pcm, pcm_name, SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK) < 0) {
    ForgetAlsaConfiguration();
    return kWaveInErrNoDevice;
  }
  int32_t result = Configure(device->pcm, *format) ? kWaveInOk : kWaveInErrBadFormat;
  if (result == kWaveInOk) {
    try {
      device->thread = std::thread(CaptureLoop, std::ref(*device));
    } catch (const std::system_error&) {
      result = kWaveInErrNoMemory;
    }
  }
  if (result != kWaveInOk) {
    snd_pcm_close(device->pcm);
    ForgetAlsaConfiguration();
    return result;
  }
  *handle = ToHandle(device.release());
  callback(*handle, kWimOpen, instance, 0, 0);
  return kWaveInOk;
}

// Checks the arguments of a buffer operation, then runs it under the device's lock.
template <typename Operation>
int32_t OnBuffer(WaveInHandle handle, WaveBuffer* buffer, uint32_t size, Operation operation) {
  AlsaDevice* device = FromHandle(handle);
  if (device == nullptr) return kWaveInErrBadHandle;
  const int32_t checked = CheckWaveBuffer(buffer, size, device->frame_bytes);
  if (checked != kWaveInOk) return checked;
  const std::lock_guard lock(device->mutex);
  return operation(*device, *buffer);
}

int32_t Prepare(WaveInHandle handle, WaveBuffer* buffer, uint32_t size) {
  return OnBuffer(handle, buffer, size, [](AlsaDevice&, WaveBuffer& prepared) {
    if (prepared.flags & kWaveBufferQueued) return kWaveInErrStillQueued;
    prepared.flags = kWaveBufferPrepared;
    prepared.next = nullptr;
    return kWaveInOk;
  });
}

int32_t Add(WaveInHandle handle, WaveBuffer* buffer, uint32_t size) {
  return OnBuffer(handle, buffer, size, [](AlsaDevice& device, WaveBuffer& added) {
    if (!(added.flags & kWaveBufferPrepared)) return kWaveInErrNotPrepared;
    if (added.flags & kWaveBufferQueued) return kWaveInErrStillQueued;
    added.flags = (added.flags & ~kWaveBufferDone) | kWaveBufferQueued;
    added.bytes_recorded = 0;
    added.next = nullptr;
    if (device.last != nullptr) {
      device.last->next = &added;
    } else {
      device.first = &added;
    }
    device.last = &added;
    device.changed.notify_all();
    return kWaveInOk;
  });
}

int32_t Unprepare(WaveInHandle handle, WaveBuffer* buffer, uint32_t size) {
  return OnBuffer(handle, buffer, size, [](AlsaDevice&, WaveBuffer& prepared) {
    if (prepared.flags & kWaveBufferQueued) return kWaveInErrStillQueued;
    prepared.flags &= ~kWaveBufferPrepared;
    return kWaveInOk;
  });
}

int32_t Start(WaveInHandle handle) {
  AlsaDevice* device = FromHandle(handle);
  if (device == nullptr) return kWaveInErrBadHandle;
  const std::lock_guard lock(device->mutex);
  if (device->failed) return kWaveInErrFailed;
  if (device->running) return kWaveInOk;
  if (snd_pcm_prepare(device->pcm) < 0 || snd_pcm_start(device->pcm) < 0) {
    return kWaveInErrFailed;
  }
  device->running = true;
  device->changed.notify_all();
  return kWaveInOk;
}

int32_t Stop(WaveInHandle handle) {
  AlsaDevice* device = FromHandle(handle);
  if (device == nullptr) return kWaveInErrBadHandle;
  std::unique_lock lock(device->mutex);
  device->running = false;
  device->changed.wait(lock, [&] { return !device->capturing; });
  snd_pcm_drop(device->pcm);
  return kWaveInOk;
}

int32_t Close(WaveInHandle handle) {
  AlsaDevice* device = FromHandle(handle);
  if (device == nullptr) return kWaveInErrBadHandle;
  {
    const std::lock_guard lock(device->mutex);
    device->running = false;
    device->closing = true;
    device->changed.notify_all();
  }
  device->thread.join();
  for (WaveBuffer* buffer = device->first; buffer != nullptr;) {
    WaveBuffer* next = buffer->next;
    buffer->flags &= ~kWaveBufferQueued;
    buffer->next = nullptr;
    buffer = next;
  }
  snd_pcm_close(device->pcm);
  ForgetAlsaConfiguration();
  device->callback(handle, kWimClose, device->instance, 0, 0);
  delete device;
  return kWaveInOk;
}

constexpr WaveInService kAlsaWaveIn = {Open, Prepare, Add, Unprepare, Start, Stop, Close};

}  // namespace

const WaveInService& SystemWaveIn() {
  return kAlsaWaveIn;
}

}  // namespace g722kit::platform
