// The recorder on a scripted wave-input device: files second by second, the partly filled
// last buffer, device and file failures and their cleanup, and misuse by the host.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "g722kit/g722kit.h"
#include "scripted_wave_in.h"
#include "system_support.h"
#include "test_support.h"
#include "wav_header.h"

namespace g722kit::test {
namespace {

using Bytes = std::vector<uint8_t>;
using Calls = std::vector<std::string>;

constexpr size_t kSecondBytes = 16000;

int32_t Start(const std::filesystem::path& file) {
  return G711ADPCMSoundRecorderStart(U16(file).c_str());
}

int32_t Stop() {
  return G711ADPCMSoundRecorderStop();
}

// One second of recognisable audio.
Bytes Second(uint8_t seed) {
  Bytes audio(kSecondBytes);
  for (size_t i = 0; i < audio.size(); i++)
    audio[i] = static_cast<uint8_t>(seed * 31 + i * 7 + (i >> 9));
  return audio;
}

// The WAV file of these seconds, header and all.
Bytes WavOf(const std::vector<Bytes>& seconds) {
  WavHeader header;
  WavHeaderFillForData(header, static_cast<int64_t>(seconds.size() * kSecondBytes));
  const auto head = WavHeaderBytes(header);
  Bytes file(head.begin(), head.end());
  for (const Bytes& second : seconds)
    file.insert(file.end(), second.begin(), second.end());
  return file;
}

// A whole recording of these seconds; returns what Stop returned.
int32_t Record(ScriptedWaveIn& device, const std::filesystem::path& file,
               const std::vector<Bytes>& seconds) {
  EXPECT_EQ(Start(file), G722KIT_OK);
  for (const Bytes& second : seconds)
    device.Deliver(second);
  return Stop();
}

const Calls kOpenCalls = {"open", "prepare", "add", "start"};
const Calls kCloseCalls = {"stop", "unprepare", "close"};

// Runs a recording of the given seconds, checking after each one that the file on disk is the
// WAV of the seconds so far: what a host that died at that moment would leave.
TEST(Recorder, EachDeliveredSecondIsInTheFileAtOnce) {
  struct Case {
    const char* name;
    int seconds;
  };
  const Case cases[] = {{"nothing.wav", 0}, {"one.wav", 1}, {"Prøve 🤔 three.wav", 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    ScriptedWaveIn device;
    const auto file = dir / c.name;
    ASSERT_EQ(Start(file), G722KIT_OK);
    EXPECT_EQ(device.Calls(), kOpenCalls);
    std::vector<Bytes> seconds;
    EXPECT_EQ(ReadBytes(file), WavOf(seconds));
    for (int i = 0; i < c.seconds; i++) {
      seconds.push_back(Second(static_cast<uint8_t>(i)));
      device.Deliver(seconds.back());
      EXPECT_TRUE(device.IsQueued()) << "the buffer went back to the device";
      EXPECT_EQ(ReadBytes(file), WavOf(seconds));
    }
    EXPECT_EQ(device.Calls(), Calls(c.seconds, "add"));
    EXPECT_EQ(Stop(), c.seconds);
    EXPECT_EQ(device.Calls(), kCloseCalls);
    EXPECT_EQ(ReadBytes(file), WavOf(seconds));
    EXPECT_EQ(ReadBytes(file).size(), 44 + kSecondBytes * c.seconds);
  }
}

// A buffer handed back partly filled counts as a whole second; its tail is what the capture
// buffer held from the second before.
TEST(Recorder, PartlyFilledBufferHandedBackOnStopIsStoredWhole) {
  TempDir dir;
  ScriptedWaveIn device;
  const Bytes first = Second(1);
  Bytes part = Second(2);
  part.resize(6000);
  ASSERT_EQ(Start(dir / "rec.wav"), G722KIT_OK);
  device.Deliver(first);
  device.HandBackOnStop(part);
  EXPECT_EQ(Stop(), 2);
  Bytes last = first;
  std::copy(part.begin(), part.end(), last.begin());
  EXPECT_EQ(ReadBytes(dir / "rec.wav"), WavOf({first, last}));
}

// A Start that fails at any step leaves the path as it was: an existing file untouched, no new
// file behind. Nothing runs afterwards: Stop returns 0 touching nothing, and the next Start on
// the same path records.
TEST(Recorder, FailedStartLeavesThePathAsItWas) {
  using platform::kWaveInErrFailed;
  struct Case {
    const char* step;
    std::function<void(ScriptedWaveIn&)> fail;
    int32_t expected;
    Calls calls;  // up to the failing step; the open device is then stopped and closed
  };
  const Case cases[] = {
      {"open",
       [](ScriptedWaveIn& d) { d.open_result = kWaveInErrFailed; },
       G722KIT_ERR_DEVICE_OPEN,
       {"open"}},
      {"open throws",
       [](ScriptedWaveIn& d) { d.open_throws = true; },
       G722KIT_ERR_INTERNAL,
       {"open"}},
      {"prepare",
       [](ScriptedWaveIn& d) { d.prepare_result = kWaveInErrFailed; },
       G722KIT_ERR_DEVICE_QUEUE,
       {"open", "prepare"}},
      {"add",
       [](ScriptedWaveIn& d) { d.add_result = kWaveInErrFailed; },
       G722KIT_ERR_DEVICE_QUEUE,
       {"open", "prepare", "add"}},
      {"start", [](ScriptedWaveIn& d) { d.start_result = kWaveInErrFailed; },
       G722KIT_ERR_DEVICE_START, kOpenCalls},
  };
  const Bytes earlier = WavOf({Second(7)});
  for (const Case& c : cases) {
    for (const bool exists : {true, false}) {
      SCOPED_TRACE(std::string(c.step) + (exists ? ", over a file" : ", no file"));
      TempDir dir;
      const auto file = dir / "take.wav";
      if (exists) WriteBytes(file, earlier);
      {
        ScriptedWaveIn device;
        c.fail(device);
        EXPECT_EQ(Start(file), c.expected);
        Calls calls = c.calls;
        if (calls.size() > 1) calls.insert(calls.end(), kCloseCalls.begin(), kCloseCalls.end());
        EXPECT_EQ(device.Calls(), calls);
        EXPECT_FALSE(device.IsOpen());
        if (exists) {
          EXPECT_EQ(ReadBytes(file), earlier);
        } else {
          EXPECT_FALSE(std::filesystem::exists(file));
        }
        EXPECT_EQ(Stop(), 0);
        EXPECT_EQ(device.Calls(), Calls{});
      }
      ScriptedWaveIn device;
      EXPECT_EQ(Record(device, file, {Second(4)}), 1);
      EXPECT_EQ(ReadBytes(file), WavOf({Second(4)}));
    }
  }
}

// A Start refused before anything is opened leaves nothing to clean up: Stop returns 0 and
// calls no device. Only a regular file can be recorded into: its header is rewritten in place.
TEST(Recorder, OutputThatCannotBeCreatedOpensNoDevice) {
  struct Case {
    const char* what;
    std::u16string path;
    int32_t expected;
  };
  TempDir dir;
  std::vector<Case> cases = {
      {"an unpaired surrogate", u"bad\xD800.wav", G722KIT_ERR_PATH},
      {"a missing folder", U16(dir / "missing" / "rec.wav"), G722KIT_ERR_OPEN_OUTPUT},
      {"a folder", U16(dir / ""), G722KIT_ERR_OPEN_OUTPUT},
      {"a device", NullDevice(), G722KIT_ERR_OPEN_OUTPUT},
  };
  ScriptedWaveIn device;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Record(device, dir / "before.wav", {Second(1)}), 1);
    device.Calls();

    EXPECT_EQ(G711ADPCMSoundRecorderStart(c.path.c_str()), c.expected);
    EXPECT_EQ(Stop(), 0);
    EXPECT_EQ(device.Calls(), Calls{});
  }
  EXPECT_EQ(G711ADPCMSoundRecorderStart(nullptr), G722KIT_ERR_NULL_PATH);
  EXPECT_EQ(Stop(), 0);
  EXPECT_EQ(device.Calls(), Calls{});
}

TEST(Recorder, StartWhileRecordingLeavesTheRecordingAlone) {
  TempDir dir;
  ScriptedWaveIn device;
  ASSERT_EQ(Start(dir / "running.wav"), G722KIT_OK);
  device.Deliver(Second(1));
  device.Calls();
  EXPECT_EQ(Start(dir / "intruder.wav"), G722KIT_ERR_BUSY);
  EXPECT_EQ(device.Calls(), Calls{});
  EXPECT_FALSE(std::filesystem::exists(dir / "intruder.wav"));
  device.Deliver(Second(2));
  EXPECT_EQ(Stop(), 2);
  EXPECT_EQ(ReadBytes(dir / "running.wav"), WavOf({Second(1), Second(2)}));
}

TEST(Recorder, StopWithNoRecordingTouchesNothing) {
  TempDir dir;
  ScriptedWaveIn device;
  EXPECT_EQ(Record(device, dir / "rec.wav", {Second(1), Second(2)}), 2);
  device.Calls();
  std::filesystem::remove(dir / "rec.wav");
  EXPECT_EQ(Stop(), 2);
  EXPECT_EQ(Stop(), 2);
  EXPECT_EQ(device.Calls(), Calls{});
  EXPECT_FALSE(std::filesystem::exists(dir / "rec.wav"));
}

// The second recording starts from an empty WAV, not from the first recording's sizes.
TEST(Recorder, SecondRecordingStartsAfresh) {
  TempDir dir;
  ScriptedWaveIn device;
  EXPECT_EQ(Record(device, dir / "first.wav", {Second(1), Second(2)}), 2);
  ASSERT_EQ(Start(dir / "second.wav"), G722KIT_OK);
  EXPECT_EQ(ReadBytes(dir / "second.wav"), WavOf({}));
  device.Deliver(Second(3));
  EXPECT_EQ(Stop(), 1);
  EXPECT_EQ(ReadBytes(dir / "first.wav"), WavOf({Second(1), Second(2)}));
  EXPECT_EQ(ReadBytes(dir / "second.wav"), WavOf({Second(3)}));
}

// The status tells whether every second delivered reached the file, and which failure came
// first, until the next Start.
TEST(Recorder, StatusReportsTheFirstFailureUntilTheNextStart) {
  struct Case {
    const char* what;
    std::function<void(ScriptedWaveIn&)> fail;
    int32_t status;
    int32_t seconds;
  };
  const Case cases[] = {
      {"nothing fails", [](ScriptedWaveIn&) {}, G722KIT_OK, 2},
      {"the device refuses the buffer back",
       [](ScriptedWaveIn& device) { device.add_result = platform::kWaveInErrFailed; },
       G722KIT_ERR_DEVICE_QUEUE, 2},
      {"the device fails", [](ScriptedWaveIn& device) { device.ReportFailure(); },
       G722KIT_ERR_DEVICE_START, 1},
      {"the device refuses the buffer back, then fails",
       [](ScriptedWaveIn& device) {
         device.add_result = platform::kWaveInErrFailed;
         device.Deliver(Second(2));
         device.ReportFailure();
       },
       G722KIT_ERR_DEVICE_QUEUE, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    ScriptedWaveIn device;
    ASSERT_EQ(Start(dir / "rec.wav"), G722KIT_OK);
    device.Deliver(Second(1));
    EXPECT_EQ(G711ADPCMSoundRecorderStatus(), G722KIT_OK);
    c.fail(device);
    if (device.IsRunning()) device.Deliver(Second(2));
    EXPECT_EQ(G711ADPCMSoundRecorderStatus(), c.status);
    EXPECT_EQ(Stop(), c.seconds);
    EXPECT_EQ(G711ADPCMSoundRecorderStatus(), c.status);

    device.add_result = platform::kWaveInOk;
    EXPECT_EQ(Record(device, dir / "next.wav", {Second(3)}), 1);
    EXPECT_EQ(G711ADPCMSoundRecorderStatus(), G722KIT_OK);
  }
}

// The device a Start opens is the one named last, while no recording runs.
TEST(Recorder, SetDeviceNamesTheDeviceOfLaterStarts) {
  const std::u16string longest(255, u'x');
  const std::u16string too_long = longest + u"x";
  struct Case {
    const char* what;
    const char16_t* name;
    int32_t result;
    std::u16string opened;
  };
  const Case cases[] = {
      {"an ALSA name", u"hw:1,0", G722KIT_OK, u"hw:1,0"},
      {"an unpaired surrogate", u"hw:\xDC00", G722KIT_ERR_PATH, u"hw:1,0"},
      {"a name one unit too long", too_long.c_str(), G722KIT_ERR_PATH, u"hw:1,0"},
      {"a Windows device number", u"1", G722KIT_OK, u"1"},
      {"the longest name", longest.c_str(), G722KIT_OK, longest},
      {"an empty name", u"", G722KIT_OK, u""},
      {"NULL", nullptr, G722KIT_OK, u""},
  };
  TempDir dir;
  ScriptedWaveIn device;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(G711ADPCMSoundRecorderSetDevice(c.name), c.result);
    EXPECT_EQ(Record(device, dir / "rec.wav", {}), 0);
    EXPECT_EQ(device.OpenedName(), c.opened);
  }

  ASSERT_EQ(G711ADPCMSoundRecorderSetDevice(u"pulse"), G722KIT_OK);
  ASSERT_EQ(Start(dir / "rec.wav"), G722KIT_OK);
  EXPECT_EQ(G711ADPCMSoundRecorderSetDevice(u"hw:0"), G722KIT_ERR_BUSY);
  Stop();
  EXPECT_EQ(Record(device, dir / "rec.wav", {}), 0);
  EXPECT_EQ(device.OpenedName(), u"pulse");
  G711ADPCMSoundRecorderSetDevice(nullptr);
}

}  // namespace
}  // namespace g722kit::test
