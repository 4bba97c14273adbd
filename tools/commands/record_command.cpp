// g722kit record OUT.wav: records the audio input through the library's recorder until
// Ctrl-C, or for --seconds N, showing the time and the input level as it goes.
#include <chrono>
#include <cstdio>
#include <future>
#include <memory>
#include <thread>

#include "commands/commands.h"
#include "commands/recording_file.h"
#include "commands/recording_output.h"
#include "formats/output_names.h"
#include "g722kit/g722kit.h"
#include "io/stderr_silence.h"
#include "io/system.h"
#include "messages/progress.h"
#include "messages/report.h"
#include "messages/tool_error.h"

namespace g722kit::tool {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// How long the input may fall behind the second it owes before the tool gives up: the recorder
// delivers one whole second at a time, the first one after the device has started (a sound
// server takes a second or two).
constexpr auto kStallAllowance = std::chrono::seconds(2);
constexpr auto kStartAllowance = std::chrono::seconds(2);
// How long Stop may take: it waits for the device, which a sound server that hangs never
// releases. The file is a valid WAV of every second its header counts all along, so the tool
// need not wait longer.
constexpr auto kStopAllowance = std::chrono::seconds(1);

// "the audio input", or "the audio input 'hw:1,0'" when --device names one.
std::string InputName(const std::string& device) {
  return "the audio input" + (device.empty() ? "" : " '" + device + "'");
}

// Starts the recorder into file, or throws with the cause. What the audio system prints on the
// way is kept from the user. The recorder wants Stop after a start that failed at the device,
// to close what it opened.
void StartRecorder(RecordingOutput& file, const std::string& device) {
  int32_t result = G722KIT_OK;
  WithoutStderr([&] {
    result = G711ADPCMSoundRecorderStart(file.path().u16string().c_str());
    if (result != G722KIT_OK) G711ADPCMSoundRecorderStop();
  });
  if (result == G722KIT_OK) return file.Started();
  switch (result) {
    case G722KIT_ERR_DEVICE_OPEN:
    case G722KIT_ERR_DEVICE_QUEUE:
    case G722KIT_ERR_DEVICE_START:
      throw ToolError(kExitDevice,
                      "cannot record from " + InputName(device) + ": " + G722KitResultText(result));
    case G722KIT_ERR_OPEN_OUTPUT:
    case G722KIT_ERR_WRITE:
      throw FileError(kExitOutput, "cannot create", file.target(), G722KitResultText(result));
    default:
      throw FileError(kExitFailure, "cannot record into", file.target(), G722KitResultText(result));
  }
}

// "recording out.wav  00:07  -23 dBFS [#######---------]  Ctrl-C stops"
std::string StatusText(const fs::path& target, Clock::duration elapsed,
                       std::optional<double> level_db) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
  char text[64];
  std::snprintf(text, sizeof text, "  %02lld:%02lld  ", static_cast<long long>(seconds / 60),
                static_cast<long long>(seconds % 60));
  std::string status = "recording " + target.string() + text;
  if (level_db) {
    char level[16];
    std::snprintf(level, sizeof level, "%4.0f dBFS ", *level_db);
    status += level + Bar((*level_db + 60) / 60, 20);  // the bar spans -60 to 0 dBFS
  } else {
    status += "waiting for the first second";
  }
  return status + "  Ctrl-C stops";
}

enum class Ending {
  kDone,     // the seconds asked for, or Ctrl-C
  kStalled,  // no audio came for a while
  kFailed,   // the recorder reports a failure
};

// Waits until Ctrl-C, until the file holds the seconds asked for, or until the recording fails.
Ending RunUntilDone(const RecordArguments& args, const RecordingOutput& file) {
  StatusLine status;
  const Clock::time_point start = Clock::now();
  Clock::time_point last_second = start + kStartAllowance;
  std::optional<double> level;
  int64_t seconds = 0;
  while (!InterruptRequested()) {
    if (G711ADPCMSoundRecorderStatus() != G722KIT_OK) return Ending::kFailed;
    const Clock::time_point now = Clock::now();
    if (const int64_t recorded = RecordedSeconds(file.path()); recorded != seconds) {
      seconds = recorded;
      last_second = now;
      if (status.enabled()) level = SecondLevelDb(file.path(), seconds - 1);
    }
    if (args.seconds > 0 && seconds >= args.seconds) return Ending::kDone;
    if (now - last_second > std::chrono::seconds(1) + kStallAllowance) return Ending::kStalled;
    status.Show(StatusText(file.target(), now - start, level));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return Ending::kDone;
}

// The error for a recording that stalled, or failed with the recorder's status.
ToolError RecordingError(const RecordArguments& args, int32_t status, int64_t seconds) {
  const std::string kept = std::to_string(seconds) + " s";
  switch (status) {
    case G722KIT_OK:
      return ToolError(kExitDevice, InputName(args.device) + " stopped delivering after " + kept +
                                        "; " + args.output.string() + " keeps them");
    case G722KIT_ERR_WRITE:
    case G722KIT_ERR_TOO_LARGE:
      return FileError(kExitOutput, "cannot write", args.output,
                       G722KitResultText(status) + ("; it keeps " + kept));
    case G722KIT_ERR_DEVICE_QUEUE:
    case G722KIT_ERR_DEVICE_START:
      return ToolError(kExitDevice, InputName(args.device) + " failed after " + kept + ": " +
                                        G722KitResultText(status) + "; " + args.output.string() +
                                        " keeps them");
    default:
      return FileError(kExitFailure, "cannot record into", args.output, G722KitResultText(status));
  }
}

// Makes the recorder record from the device --device names (ALSA's "default" when none).
void ChooseDevice(const std::string& name) {
  const int32_t result =
      G711ADPCMSoundRecorderSetDevice(std::filesystem::path(name).u16string().c_str());
  if (result == G722KIT_ERR_PATH) {
    throw ToolError(kExitUsage, "--device " + name + ": " + G722KitResultText(result));
  }
  if (result != G722KIT_OK) {
    throw ToolError(kExitFailure, "--device " + name + ": " + G722KitResultText(result));
  }
}

// Stops the recorder and returns the seconds it kept, or nothing when the device does not let
// it stop within kStopAllowance. Stop then goes on alone, and ends with the process.
std::optional<int32_t> StopRecorder() {
  const auto stopped = std::make_shared<std::promise<int32_t>>();
  std::future<int32_t> seconds = stopped->get_future();
  std::thread([stopped] { stopped->set_value(G711ADPCMSoundRecorderStop()); }).detach();
  if (seconds.wait_for(kStopAllowance) != std::future_status::ready) return std::nullopt;
  return seconds.get();
}

// Opens and closes the audio input through the recorder, keeping nothing.
void CheckInput(const std::string& device) {
  RecordingOutput probe("/dev/null");
  StartRecorder(probe, device);
  StopRecorder();
  probe.Finish();
  std::printf("the audio input opens\n");
}

}  // namespace

void Record(const RecordArguments& args) {
  ChooseDevice(args.device);
  if (args.check) return CheckInput(args.device);
  if (args.output.empty()) throw ToolError(kExitUsage, "OUT is required");
  CheckRecordingName(args.output);
  RecordingOutput file(args.output);
  StartRecorder(file, args.device);  // Ctrl-C meanwhile ends the tool: nothing is recorded yet
  DeferInterrupts();                 // from now on it ends the recording and keeps it
  const Ending ending = RunUntilDone(args, file);
  const std::optional<int32_t> stopped = StopRecorder();
  const int32_t status = G711ADPCMSoundRecorderStatus();
  const int64_t seconds = stopped ? *stopped : RecordedSeconds(file.path());
  file.Finish();
  PrintSummary(file.IsStdout(), "%s: %lld s of 16-bit mono audio at 8000 Hz\n", args.output.c_str(),
               static_cast<long long>(seconds));
  if (status != G722KIT_OK || ending == Ending::kStalled) {
    throw RecordingError(args, status, seconds);
  }
  if (!stopped) {
    Warn(InputName(args.device) + " did not stop within a second; " + args.output.string() +
         " keeps the " + std::to_string(seconds) + " s recorded");
  }
}

}  // namespace g722kit::tool
