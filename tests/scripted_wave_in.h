// A wave-input service scripted by the test itself, in place of the system's while it exists.
// It hands buffers back when the test says so, on the test's thread, fails the operations it
// is told to, logs every call, and fails the test when the caller breaks the service's rules.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "wave_in.h"

namespace g722kit::test {

class ScriptedWaveIn {
 public:
  ScriptedWaveIn();
  ~ScriptedWaveIn();
  ScriptedWaveIn(const ScriptedWaveIn&) = delete;
  ScriptedWaveIn& operator=(const ScriptedWaveIn&) = delete;

  // Results of the next calls of these operations.
  int32_t open_result = platform::kWaveInOk;
  int32_t prepare_result = platform::kWaveInOk;
  int32_t add_result = platform::kWaveInOk;
  int32_t start_result = platform::kWaveInOk;
  // Makes the next open throw std::bad_alloc, as an allocation inside a service can.
  bool open_throws = false;

  // Records audio into the queued buffer, which must exist, from its first byte (as many
  // bytes as given, at most the buffer's length) and hands it back through the callback.
  void Deliver(const std::vector<uint8_t>& audio);

  // Reports that the device failed beyond recovery (kWimFailed), as a device that was removed.
  void ReportFailure();

  // Makes the next stop hand the queued buffer back holding this audio, as a device that
  // returns its partly filled buffer does.
  void HandBackOnStop(std::vector<uint8_t> audio) { audio_on_stop_ = std::move(audio); }

  // The operations called so far, by name; Calls() also forgets them.
  std::vector<std::string> Calls();

  bool IsOpen() const { return open_; }
  bool IsQueued() const { return queued_ != nullptr; }
  bool IsRunning() const { return running_; }
  // The device name given to the last open (empty for null).
  const std::u16string& OpenedName() const { return opened_name_; }

 private:
  // The device a call is for, which must be the open one; logs the call.
  static ScriptedWaveIn& For(const char* call, platform::WaveInHandle device);
  // The same, for a call on a buffer.
  static ScriptedWaveIn& ForBuffer(const char* call, platform::WaveInHandle device,
                                   const platform::WaveBuffer* buffer, uint32_t size);
  platform::WaveInHandle Handle() { return reinterpret_cast<platform::WaveInHandle>(this); }
  void HandBack(const std::vector<uint8_t>& audio);

  static int32_t Open(platform::WaveInHandle* device, const char16_t* name,
                      const platform::WaveFormat* format, platform::WaveInCallback callback,
                      uintptr_t instance);
  static int32_t Prepare(platform::WaveInHandle device, platform::WaveBuffer* buffer,
                         uint32_t size);
  static int32_t Add(platform::WaveInHandle device, platform::WaveBuffer* buffer, uint32_t size);
  static int32_t Unprepare(platform::WaveInHandle device, platform::WaveBuffer* buffer,
                           uint32_t size);
  static int32_t Start(platform::WaveInHandle device);
  static int32_t Stop(platform::WaveInHandle device);
  static int32_t Close(platform::WaveInHandle device);

  static constexpr platform::WaveInService kService = {Open,  Prepare, Add,  Unprepare,
                                                       Start, Stop,    Close};

  std::vector<std::string> calls_;
  bool open_ = false;
  bool running_ = false;
  platform::WaveInCallback callback_ = nullptr;
  uintptr_t instance_ = 0;
  platform::WaveBuffer* prepared_ = nullptr;
  platform::WaveBuffer* queued_ = nullptr;
  std::vector<uint8_t> audio_on_stop_;
  std::u16string opened_name_;
};

}  // namespace g722kit::test
