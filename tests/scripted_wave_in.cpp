#include "scripted_wave_in.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <utility>

namespace g722kit::test {
namespace {

using platform::kWaveInOk;

ScriptedWaveIn* installed = nullptr;

}  // namespace

ScriptedWaveIn::ScriptedWaveIn() {
  installed = this;
  platform::SetWaveInService(&kService);
}

ScriptedWaveIn::~ScriptedWaveIn() {
  EXPECT_FALSE(open_) << "the device was left open";
  platform::SetWaveInService(nullptr);
  installed = nullptr;
}

std::vector<std::string> ScriptedWaveIn::Calls() {
  return std::exchange(calls_, {});
}

ScriptedWaveIn& ScriptedWaveIn::For(const char* call, platform::WaveInHandle device) {
  installed->calls_.push_back(call);
  EXPECT_TRUE(installed->open_) << call << " on a closed device";
  EXPECT_EQ(device, installed->Handle()) << call << " for a device that is not open";
  return *installed;
}

ScriptedWaveIn& ScriptedWaveIn::ForBuffer(const char* call, platform::WaveInHandle device,
                                          const platform::WaveBuffer* buffer, uint32_t size) {
  EXPECT_NE(buffer, nullptr) << call;
  EXPECT_EQ(size, sizeof(platform::WaveBuffer)) << call;
  return For(call, device);
}

void ScriptedWaveIn::HandBack(const std::vector<uint8_t>& audio) {
  platform::WaveBuffer* buffer = std::exchange(queued_, nullptr);
  ASSERT_NE(buffer, nullptr) << "no buffer is queued";
  const size_t count = std::min<size_t>(audio.size(), buffer->length);
  std::copy_n(audio.begin(), count, buffer->data);
  buffer->bytes_recorded = static_cast<uint32_t>(count);
  buffer->flags = platform::kWaveBufferPrepared | platform::kWaveBufferDone;
  callback_(Handle(), platform::kWimData, instance_, reinterpret_cast<uintptr_t>(buffer), 0);
}

void ScriptedWaveIn::Deliver(const std::vector<uint8_t>& audio) {
  ASSERT_TRUE(open_ && running_) << "delivering to a device that is not recording";
  HandBack(audio);
}

void ScriptedWaveIn::ReportFailure() {
  ASSERT_TRUE(open_) << "a failure of a device that is not open";
  running_ = false;
  callback_(Handle(), platform::kWimFailed, instance_, platform::kWaveInErrFailed, 0);
}

int32_t ScriptedWaveIn::Open(platform::WaveInHandle* device, const char16_t* name,
                             const platform::WaveFormat* format, platform::WaveInCallback callback,
                             uintptr_t instance) {
  ScriptedWaveIn& self = *installed;
  self.calls_.push_back("open");
  self.opened_name_ = name != nullptr ? name : u"";
  EXPECT_FALSE(self.open_) << "opened twice";
  EXPECT_EQ(format->format_tag, platform::kWaveFormatPcm);
  EXPECT_EQ(format->channels, 1);
  EXPECT_EQ(format->samples_per_second, 8000u);
  EXPECT_EQ(format->bytes_per_second, 16000u);
  EXPECT_EQ(format->block_align, 2);
  EXPECT_EQ(format->bits_per_sample, 16);
  if (std::exchange(self.open_throws, false)) throw std::bad_alloc();
  if (self.open_result != kWaveInOk) return self.open_result;
  self.open_ = true;
  self.callback_ = callback;
  self.instance_ = instance;
  *device = self.Handle();
  callback(*device, platform::kWimOpen, instance, 0, 0);
  return kWaveInOk;
}

int32_t ScriptedWaveIn::Prepare(platform::WaveInHandle device, platform::WaveBuffer* buffer,
                                uint32_t size) {
  ScriptedWaveIn& self = ForBuffer("prepare", device, buffer, size);
  EXPECT_NE(buffer->data, nullptr);
  EXPECT_EQ(buffer->length, 16000u);
  EXPECT_EQ(buffer->bytes_recorded, 0u);
  EXPECT_EQ(buffer->user, 0u);
  EXPECT_EQ(buffer->flags, 0u);
  EXPECT_EQ(buffer->loops, 0u);
  if (self.prepare_result != kWaveInOk) return self.prepare_result;
  buffer->flags = platform::kWaveBufferPrepared;
  self.prepared_ = buffer;
  return kWaveInOk;
}

int32_t ScriptedWaveIn::Add(platform::WaveInHandle device, platform::WaveBuffer* buffer,
                            uint32_t size) {
  ScriptedWaveIn& self = ForBuffer("add", device, buffer, size);
  EXPECT_EQ(buffer, self.prepared_) << "adding a buffer that was not prepared";
  EXPECT_EQ(self.queued_, nullptr) << "adding a buffer that is queued";
  if (self.add_result != kWaveInOk) return self.add_result;
  self.queued_ = buffer;
  return kWaveInOk;
}

int32_t ScriptedWaveIn::Unprepare(platform::WaveInHandle device, platform::WaveBuffer* buffer,
                                  uint32_t size) {
  ScriptedWaveIn& self = ForBuffer("unprepare", device, buffer, size);
  if (self.queued_ == buffer) return platform::kWaveInErrStillQueued;
  self.prepared_ = nullptr;
  return kWaveInOk;
}

int32_t ScriptedWaveIn::Start(platform::WaveInHandle device) {
  ScriptedWaveIn& self = For("start", device);
  if (self.start_result != kWaveInOk) return self.start_result;
  self.running_ = true;
  return kWaveInOk;
}

int32_t ScriptedWaveIn::Stop(platform::WaveInHandle device) {
  ScriptedWaveIn& self = For("stop", device);
  self.running_ = false;
  if (!self.audio_on_stop_.empty()) self.HandBack(std::exchange(self.audio_on_stop_, {}));
  return kWaveInOk;
}

int32_t ScriptedWaveIn::Close(platform::WaveInHandle device) {
  ScriptedWaveIn& self = For("close", device);
  self.callback_(device, platform::kWimClose, self.instance_, 0, 0);
  self.open_ = false;
  self.running_ = false;
  self.queued_ = nullptr;
  self.prepared_ = nullptr;
  return kWaveInOk;
}

}  // namespace g722kit::test
