// Wave input on Windows through winmm: the default device (WAVE_MAPPER), or the device whose
// number a name gives in decimal ("0", "1", ... as waveInGetDevCaps counts them), with a
// callback function, one winmm call for each operation, and winmm's results passed on.
//
// winmm runs its callback (the waveInProc) on a thread of its own, and may run it inside
// waveInStop on the caller's thread (Wine does). Win32 allows the waveInProc only a few system
// functions (EnterCriticalSection, LeaveCriticalSection, SetEvent, PostMessage, ...), and
// another wave function called from it can deadlock. The caller's callback re-queues its
// buffer and writes files, so it must not run there. Each open device therefore has a relay
// thread: the waveInProc only appends the buffer winmm handed back to a list and sets an event;
// the relay thread takes the buffers in order and calls the caller's callback. Close ends the
// relay thread before it returns, so no callback runs after it.
//
// Stop does not hand back a partly filled buffer, as with the ALSA service: winmm returns the
// buffer it was filling, and the relay thread gives it back to winmm, its audio dropped, so
// that it stays queued and is filled from its start after the next start.
//
// winmm's WAVEHDR is one word longer than WaveBuffer, so each prepared buffer has a WAVEHDR of
// its own, which winmm fills; the caller's record is brought up to date from it.
#include <windows.h>
// mmsystem.h needs the types of windows.h.
#include <mmsystem.h>

#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "wave_in.h"

namespace g722kit::platform {
namespace {

// A prepared buffer: the caller's record and the one winmm works on.
struct Header {
  WAVEHDR win{};  // dwUser points back at this Header
  WaveBuffer* buffer = nullptr;
  Header* next_prepared = nullptr;  // the device's prepared buffers
  Header* next_done = nullptr;      // handed back by winmm, waiting for the relay thread
};

struct WinmmDevice {
  WinmmDevice() {
    InitializeCriticalSection(&relay_lock);
    InitializeConditionVariable(&relayed);
    wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  }
  ~WinmmDevice();
  WinmmDevice(const WinmmDevice&) = delete;
  WinmmDevice& operator=(const WinmmDevice&) = delete;

  HWAVEIN wave_in = nullptr;
  WaveInCallback callback = nullptr;
  uintptr_t instance = 0;
  uint32_t frame_bytes = 0;

  // Serialises the calls into winmm, which come from the caller and from the relay thread, and
  // guards the prepared buffers and the caller's records of them.
  std::mutex operations;
  Header* prepared = nullptr;

  // Shared with the waveInProc, and so guarded by the primitives it may use.
  CRITICAL_SECTION relay_lock;
  CONDITION_VARIABLE relayed;  // the relay thread has dealt with every buffer handed back
  HANDLE wake = nullptr;       // auto-reset: a buffer was handed back, or the thread is to end
  Header* done_first = nullptr;
  Header* done_last = nullptr;
  bool delivering = false;  // the relay thread is dealing with a buffer it took
  bool closing = false;     // buffers handed back from now on are dropped
  bool ending = false;      // the relay thread is to return
  std::thread relay;
};

WinmmDevice* FromHandle(WaveInHandle handle) {
  return reinterpret_cast<WinmmDevice*>(handle);
}

WaveInHandle ToHandle(WinmmDevice* device) {
  return reinterpret_cast<WaveInHandle>(device);
}

void EndRelay(WinmmDevice& device) {
  if (!device.relay.joinable()) return;
  EnterCriticalSection(&device.relay_lock);
  device.ending = true;
  LeaveCriticalSection(&device.relay_lock);
  SetEvent(device.wake);
  device.relay.join();
}

WinmmDevice::~WinmmDevice() {
  EndRelay(*this);
  if (wake != nullptr) CloseHandle(wake);
  DeleteCriticalSection(&relay_lock);
}

// The waveInProc: passes each buffer handed back to the relay thread, and nothing else.
void CALLBACK WaveInProc(HWAVEIN, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
  if (message != WIM_DATA) return;
  WinmmDevice& device = *reinterpret_cast<WinmmDevice*>(instance);
  auto* header = reinterpret_cast<Header*>(reinterpret_cast<WAVEHDR*>(param1)->dwUser);
  EnterCriticalSection(&device.relay_lock);
  header->next_done = nullptr;
  (device.done_last != nullptr ? device.done_last->next_done : device.done_first) = header;
  device.done_last = header;
  LeaveCriticalSection(&device.relay_lock);
  SetEvent(device.wake);
}

// Hands a full buffer to the caller. A partly filled one goes back to winmm instead; should
// winmm refuse it, the device failed beyond recovery (it was removed, its driver went away),
// and the caller hears of that instead of getting the buffer.
void Relay(WinmmDevice& device, Header& header) {
  WaveBuffer& buffer = *header.buffer;
  MMRESULT refused = MMSYSERR_NOERROR;
  {
    const std::lock_guard lock(device.operations);
    if (header.win.dwBytesRecorded < header.win.dwBufferLength) {
      header.win.dwBytesRecorded = 0;
      refused = waveInAddBuffer(device.wave_in, &header.win, sizeof header.win);
      if (refused == MMSYSERR_NOERROR) return;
    } else {
      buffer.bytes_recorded = header.win.dwBytesRecorded;
      buffer.flags = (buffer.flags & ~kWaveBufferQueued) | kWaveBufferDone;
    }
  }
  if (refused != MMSYSERR_NOERROR) {
    device.callback(ToHandle(&device), kWimFailed, device.instance, refused, 0);
    return;
  }
  device.callback(ToHandle(&device), kWimData, device.instance,
                  reinterpret_cast<uintptr_t>(&buffer), 0);
}

void RelayLoop(WinmmDevice& device) {
  EnterCriticalSection(&device.relay_lock);
  while (!device.ending) {
    Header* header = device.done_first;
    if (header == nullptr) {
      device.delivering = false;
      WakeAllConditionVariable(&device.relayed);
      LeaveCriticalSection(&device.relay_lock);
      WaitForSingleObject(device.wake, INFINITE);
      EnterCriticalSection(&device.relay_lock);
      continue;
    }
    device.done_first = header->next_done;
    if (device.done_first == nullptr) device.done_last = nullptr;
    device.delivering = true;
    const bool closing = device.closing;
    LeaveCriticalSection(&device.relay_lock);
    if (!closing) Relay(device, *header);
    EnterCriticalSection(&device.relay_lock);
  }
  LeaveCriticalSection(&device.relay_lock);
}

// Waits until the relay thread has dealt with every buffer winmm handed back so far.
void WaitUntilRelayed(WinmmDevice& device) {
  EnterCriticalSection(&device.relay_lock);
  while (device.done_first != nullptr || device.delivering)
    SleepConditionVariableCS(&device.relayed, &device.relay_lock, INFINITE);
  LeaveCriticalSection(&device.relay_lock);
}

// The link that holds buffer's Header in the device's list; it holds null when the buffer is
// not prepared.
Header** LinkTo(WinmmDevice& device, const WaveBuffer* buffer) {
  Header** link = &device.prepared;
  while (*link != nullptr && (*link)->buffer != buffer)
    link = &(*link)->next_prepared;
  return link;
}

// The winmm device a name names: WAVE_MAPPER for none, its number for decimal digits; false
// for any other name.
bool DeviceId(const char16_t* name, UINT& id) {
  id = WAVE_MAPPER;
  if (name == nullptr || name[0] == 0) return true;
  uint64_t number = 0;
  for (const char16_t* digit = name; *digit != 0; digit++) {
    if (*digit < u'0' || *digit > u'9') return false;
    number = number * 10 + (*digit - u'0');
    if (number >= WAVE_MAPPER) return false;
  }
  id = static_cast<UINT>(number);
  return true;
}

int32_t Open(WaveInHandle* handle, const char16_t* name, const WaveFormat* format,
             WaveInCallback callback, uintptr_t instance) {
  if (handle == nullptr || format == nullptr || callback == nullptr) {
    return kWaveInErrBadParameter;
  }
  *handle = nullptr;
  if (format->block_align == 0) return kWaveInErrBadFormat;
  UINT device_id;
  if (!DeviceId(name, device_id)) return kWaveInErrNoDevice;
  std::unique_ptr<WinmmDevice> device(new (std::nothrow) WinmmDevice);
  if (device == nullptr || device->wake == nullptr) return kWaveInErrNoMemory;
  device->callback = callback;
  device->instance = instance;
  device->frame_bytes = format->block_align;
  try {
    device->relay = std::thread(RelayLoop, std::ref(*device));
  } catch (const std::system_error&) {
    return kWaveInErrNoMemory;
  }
  WAVEFORMATEX wave_format = {format->format_tag,
                              format->channels,
                              format->samples_per_second,
                              format->bytes_per_second,
                              format->block_align,
                              format->bits_per_sample,
                              0};
  const MMRESULT result = waveInOpen(&device->wave_in, device_id, &wave_format,
                                     reinterpret_cast<DWORD_PTR>(&WaveInProc),
                                     reinterpret_cast<DWORD_PTR>(device.get()), CALLBACK_FUNCTION);
  if (result != MMSYSERR_NOERROR) return static_cast<int32_t>(result);
  *handle = ToHandle(device.release());
  callback(*handle, kWimOpen, instance, 0, 0);
  return kWaveInOk;
}

// Checks the arguments of a buffer operation, then runs it on the buffer's link in the list of
// prepared buffers, with the calls into winmm serialised.
template <typename Operation>
int32_t OnBuffer(WaveInHandle handle, WaveBuffer* buffer, uint32_t size, Operation operation) {
  WinmmDevice* device = FromHandle(handle);
  if (device == nullptr) return kWaveInErrBadHandle;
  const int32_t checked = CheckWaveBuffer(buffer, size, device->frame_bytes);
  if (checked != kWaveInOk) return checked;
  const std::lock_guard lock(device->operations);
  return operation(*device, *buffer, *LinkTo(*device, buffer));
}

int32_t Prepare(WaveInHandle handle, WaveBuffer* buffer, uint32_t size) {
  return OnBuffer(handle, buffer, size,
                  [](WinmmDevice& device, WaveBuffer& prepared, Header*& link) -> int32_t {
                    if (link != nullptr) {
                      return prepared.flags & kWaveBufferQueued ? kWaveInErrStillQueued : kWaveInOk;
                    }
                    auto header = std::unique_ptr<Header>(new (std::nothrow) Header);
                    if (header == nullptr) return kWaveInErrNoMemory;
                    header->buffer = &prepared;
                    header->win.lpData = reinterpret_cast<LPSTR>(prepared.data);
                    header->win.dwBufferLength = prepared.length;
                    header->win.dwUser = reinterpret_cast<DWORD_PTR>(header.get());
                    const MMRESULT result =
                        waveInPrepareHeader(device.wave_in, &header->win, sizeof header->win);
                    if (result != MMSYSERR_NOERROR) return static_cast<int32_t>(result);
                    link = header.release();
                    prepared.flags = kWaveBufferPrepared;
                    prepared.next = nullptr;
                    return kWaveInOk;
                  });
}

int32_t Add(WaveInHandle handle, WaveBuffer* buffer, uint32_t size) {
  return OnBuffer(
      handle, buffer, size, [](WinmmDevice& device, WaveBuffer& added, Header* header) -> int32_t {
        if (header == nullptr) return kWaveInErrNotPrepared;
        if (added.flags & kWaveBufferQueued) return kWaveInErrStillQueued;
        header->win.dwBytesRecorded = 0;
        const MMRESULT result = waveInAddBuffer(device.wave_in, &header->win, sizeof header->win);
        if (result != MMSYSERR_NOERROR) return static_cast<int32_t>(result);
        added.flags = (added.flags & ~kWaveBufferDone) | kWaveBufferQueued;
        added.bytes_recorded = 0;
        return kWaveInOk;
      });
}

// The caller's view decides whether a buffer is queued: one that winmm handed back stays
// queued until the relay thread has dealt with it.
int32_t Unprepare(WaveInHandle handle, WaveBuffer* buffer, uint32_t size) {
  return OnBuffer(handle, buffer, size,
                  [](WinmmDevice& device, WaveBuffer& prepared, Header*& link) -> int32_t {
                    if (link == nullptr) return kWaveInOk;
                    if (prepared.flags & kWaveBufferQueued) return kWaveInErrStillQueued;
                    const MMRESULT result =
                        waveInUnprepareHeader(device.wave_in, &link->win, sizeof link->win);
                    if (result != MMSYSERR_NOERROR) return static_cast<int32_t>(result);
                    const std::unique_ptr<Header> header(link);
                    link = header->next_prepared;
                    prepared.flags &= ~kWaveBufferPrepared;
                    return kWaveInOk;
                  });
}

int32_t Start(WaveInHandle handle) {
  WinmmDevice* device = FromHandle(handle);
  if (device == nullptr) return kWaveInErrBadHandle;
  const std::lock_guard lock(device->operations);
  return static_cast<int32_t>(waveInStart(device->wave_in));
}

int32_t Stop(WaveInHandle handle) {
  WinmmDevice* device = FromHandle(handle);
  if (device == nullptr) return kWaveInErrBadHandle;
  MMRESULT result;
  {
    const std::lock_guard lock(device->operations);
    result = waveInStop(device->wave_in);
  }
  WaitUntilRelayed(*device);
  return static_cast<int32_t>(result);
}

// winmm closes a device only when no buffer is queued or prepared: reset hands every queued
// buffer back (the relay thread drops them), then each is unprepared. Should winmm still refuse,
// the device stays open, handing nothing back, and close may be called again.
int32_t Close(WaveInHandle handle) {
  WinmmDevice* device = FromHandle(handle);
  if (device == nullptr) return kWaveInErrBadHandle;
  EnterCriticalSection(&device->relay_lock);
  device->closing = true;
  LeaveCriticalSection(&device->relay_lock);
  WaitUntilRelayed(*device);
  {
    const std::lock_guard lock(device->operations);
    waveInReset(device->wave_in);
    for (Header* header = device->prepared; header != nullptr; header = header->next_prepared)
      waveInUnprepareHeader(device->wave_in, &header->win, sizeof header->win);
    const MMRESULT result = waveInClose(device->wave_in);
    if (result != MMSYSERR_NOERROR) return static_cast<int32_t>(result);
  }
  EndRelay(*device);
  while (Header* header = device->prepared) {
    device->prepared = header->next_prepared;
    header->buffer->flags &= ~(kWaveBufferQueued | kWaveBufferPrepared);
    header->buffer->next = nullptr;
    delete header;
  }
  device->callback(handle, kWimClose, device->instance, 0, 0);
  delete device;
  return kWaveInOk;
}

constexpr WaveInService kWinmmWaveIn = {Open, Prepare, Add, Unprepare, Start, Stop, Close};

}  // namespace

const WaveInService& SystemWaveIn() {
  return kWinmmWaveIn;
}

}  // namespace g722kit::platform
