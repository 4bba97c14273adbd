#include "commands/recording_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/wav_writer.h"
#include "io/output_file.h"
#include "io/system.h"
#include "messages/tool_error.h"

namespace g722kit::tool {
namespace {

namespace fs = std::filesystem;

constexpr int kRecordingRate = 8000;  // the recorder's sample rate
constexpr off_t kHeaderBytes = 44;    // the recorder's WAV header

}  // namespace

RecordingOutput::RecordingOutput(fs::path target) : target_(std::move(target)) {
  int fd;
  if (target_ == "-") {
    fd = dup(STDOUT_FILENO);
  } else if (const std::optional<int> descriptor = DescriptorNamed(target_)) {
    fd = dup(*descriptor);
  } else {
    const fs::path file = FollowLinks(target_);
    struct stat info {};
    const bool exists = stat(file.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
      throw FileError(kExitOutput, "cannot create", target_, "is a folder");
    }
    // Opened as it is: the recorder replaces its contents once the device records.
    WithInterruptsHeld([&] {
      fd = open(file.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (exists ? 0 : O_CREAT | O_EXCL),
                0666);
      if (fd >= 0 && !exists) {
        created_ = file;
        RemoveOnInterrupt(created_);  // an interrupted start leaves nothing behind
      }
    });
  }
  if (fd < 0) throw FileErrno(kExitOutput, "cannot create", target_);
  struct stat info {};
  fstat(fd, &info);
  if (S_ISREG(info.st_mode)) {
    file_ = fd;
  } else {
    stream_ = fd;
    file_ = CreateUnnamedFile();
    if (file_ < 0) throw FileErrno(kExitOutput, "cannot create a temporary file for", target_);
  }
  path_ = "/dev/fd/" + std::to_string(file_);
}

RecordingOutput::~RecordingOutput() {
  forwarder_ = {};
  KeepOnInterrupt(created_);
  if (!started_ && !created_.empty()) unlink(created_.c_str());
  close(file_);
  if (stream_ >= 0) close(stream_);
}

bool RecordingOutput::IsStdout() const {
  return tool::IsStdout(stream_ >= 0 ? stream_ : file_);
}

void RecordingOutput::Started() {
  started_ = true;
  KeepOnInterrupt(created_);
  if (stream_ < 0) return;
  const std::vector<uint8_t> header = StreamWavHeader(kRecordingRate, 1);
  if (!WriteAll(stream_, header)) stream_error_ = errno;
  forwarder_ = std::jthread([this](std::stop_token stop) { Forward(stop); });
}

// Copies the audio the recorder appends to the stream, until asked to stop and all is copied.
void RecordingOutput::Forward(std::stop_token stop) {
  std::array<uint8_t, 16000> buffer;
  off_t copied = kHeaderBytes;
  bool last_round = false;
  while (stream_error_ == 0) {
    last_round = stop.stop_requested();
    const ssize_t count = pread(file_, buffer.data(), buffer.size(), copied);
    if (count > 0) {
      if (!WriteAll(stream_, std::span(buffer).first(static_cast<size_t>(count)))) {
        stream_error_ = errno;
      }
      copied += count;
    } else if (last_round) {
      return;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
}

void RecordingOutput::Finish() {
  forwarder_ = {};  // asks it to stop and waits for the rest to be copied
  if (stream_error_ != 0) {
    errno = stream_error_;
    throw FileErrno(kExitOutput, "cannot write", target_);
  }
}

}  // namespace g722kit::tool
