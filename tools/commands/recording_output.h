// Where a recording goes. The library's recorder writes a regular file itself and keeps its
// header true after each second, so that a recording cut short, even by kill -9, is a valid WAV
// file of every whole second. The tool opens the file the user named (links followed, hard
// links and permissions kept, any name the system accepts) and hands it to the recorder as
// /dev/fd/N; the recorder replaces an existing file only once the device records. Anything
// else - stdout ("-"), a pipe, a device - cannot be rewritten: the recorder then writes an
// unnamed temporary file, and its audio is forwarded as it comes, as a WAV stream of unknown
// length.
#pragma once

#include <filesystem>
#include <thread>

namespace g722kit::tool {

class RecordingOutput {
 public:
  // Throws ToolError (kExitOutput) when the output cannot be opened or created.
  explicit RecordingOutput(std::filesystem::path target);
  // Deletes a file it created for a recording that never started.
  ~RecordingOutput();
  RecordingOutput(const RecordingOutput&) = delete;
  RecordingOutput& operator=(const RecordingOutput&) = delete;

  const std::filesystem::path& target() const { return target_; }
  // The name to hand the recorder, which also reads back what it wrote.
  const std::filesystem::path& path() const { return path_; }
  // True when the recording goes to the process's stdout.
  bool IsStdout() const;

  // The recorder has started: the file is the recording's, and a stream gets its audio from
  // now on.
  void Started();
  // The recorder has stopped: a stream gets the rest. Throws ToolError (kExitOutput) when the
  // stream did not take it all.
  void Finish();

 private:
  void Forward(std::stop_token stop);

  std::filesystem::path target_;
  std::filesystem::path created_;  // the file opening the target created, if any
  std::filesystem::path path_;
  int file_ = -1;    // the file the recorder writes
  int stream_ = -1;  // where its audio is forwarded, or -1
  bool started_ = false;
  int stream_error_ = 0;  // errno of a failed forward
  std::jthread forwarder_;
};

}  // namespace g722kit::tool
