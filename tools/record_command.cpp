// g722kit record OUT.wav: records the audio input through the library's recorder until
// Ctrl-C, or for --seconds N, showing the time and the input level as it goes.
#include <chrono>
#include <cstdio>
#include <thread>

#include "commands.h"
#include "g722kit/g722kit.h"
#include "progress.h"
#include "recording_file.h"
#include "recording_output.h"
#include "report.h"
#include "system.h"
#include "tool_error.h"

namespace g722kit::tool {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// How long past the seconds asked for the input may fall behind before the tool gives up.
constexpr auto kStallAllowance = std::chrono::seconds(5);

// Starts the recorder into file, or throws with the cause. The recorder wants Stop after a
// start that failed at the device, to close what it opened.
void StartRecorder(RecordingOutput& file) {
  const int32_t result = G711ADPCMSoundRecorderStart(file.path().u16string().c_str());
  if (result == G722KIT_OK) return file.Started();
  G711ADPCMSoundRecorderStop();
  switch (result) {
    case G722KIT_ERR_DEVICE_OPEN:
    case G722KIT_ERR_DEVICE_QUEUE:
    case G722KIT_ERR_DEVICE_START:
      throw ToolError(kExitDevice, std::string("cannot record from the audio input: ") +
                                       G722KitResultText(result));
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

// Waits until Ctrl-C, or until the file holds the seconds asked for. Returns false when the
// input stopped delivering before then.
bool RunUntilDone(const RecordArguments& args, const RecordingOutput& file) {
  StatusLine status;
  const Clock::time_point start = Clock::now();
  std::optional<double> level;
  int64_t levelled = 0;
  while (!InterruptRequested()) {
    const int64_t seconds = RecordedSeconds(file.path());
    if (args.seconds > 0 && seconds >= args.seconds) return true;
    const Clock::duration elapsed = Clock::now() - start;
    if (args.seconds > 0 && elapsed > std::chrono::seconds(args.seconds) + kStallAllowance) {
      return false;
    }
    if (seconds > levelled && status.enabled()) {
      level = SecondLevelDb(file.path(), seconds - 1);
      levelled = seconds;
    }
    status.Show(StatusText(file.target(), elapsed, level));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// Opens and closes the audio input through the recorder, keeping nothing.
void CheckInput() {
  RecordingOutput probe("/dev/null");
  StartRecorder(probe);
  G711ADPCMSoundRecorderStop();
  probe.Finish();
  std::printf("the audio input opens\n");
}

}  // namespace

void Record(const RecordArguments& args) {
  if (args.check) return CheckInput();
  if (args.output.empty()) throw ToolError(kExitUsage, "OUT is required");
  RecordingOutput file(args.output);
  DeferInterrupts();  // Ctrl-C now ends the recording and keeps it
  StartRecorder(file);
  const bool complete = RunUntilDone(args, file);
  const int32_t seconds = G711ADPCMSoundRecorderStop();
  file.Finish();
  PrintSummary(file.IsStdout(), "%s: %d s of 16-bit mono audio at 8000 Hz\n", args.output.c_str(),
               seconds);
  if (!complete) {
    throw ToolError(kExitDevice, "the audio input stopped delivering after " +
                                     std::to_string(seconds) + " s; " + args.output.string() +
                                     " keeps them");
  }
}

}  // namespace g722kit::tool
