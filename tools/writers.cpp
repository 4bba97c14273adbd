#include "writers.h"

#include <sndfile.h>

#include <cerrno>

#include "sndfile_error.h"
#include "tool_error.h"

namespace g722kit::tool {

ByteWriter::ByteWriter(const OutputFile& output)
    : output_(output), file_(std::fopen(output.path().c_str(), "wb")) {
  if (file_ == nullptr) throw FileErrno(kExitOutput, "cannot create", output_.target());
}

ByteWriter::~ByteWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

void ByteWriter::Write(std::span<const uint8_t> bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    throw FileErrno(kExitOutput, "cannot write", output_.target());
  }
}

bool ByteWriter::RewriteStart(std::span<const uint8_t> bytes) {
  if (std::fseek(file_, 0, SEEK_SET) != 0) return false;
  Write(bytes);
  if (std::fseek(file_, 0, SEEK_END) != 0)
    throw FileErrno(kExitOutput, "cannot write", output_.target());
  return true;
}

void ByteWriter::Close() {
  const bool failed = std::fflush(file_) != 0 || std::ferror(file_);
  const int error = errno;
  std::fclose(file_);
  file_ = nullptr;
  errno = error;
  if (failed) throw FileErrno(kExitOutput, "cannot write", output_.target());
}

WavWriter::WavWriter(const OutputFile& output, int rate) : output_(output) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  file_ = sf_open(output.path().c_str(), SFM_WRITE, &info);
  if (file_ == nullptr) {
    throw FileError(kExitOutput, "cannot create", output_.target(), SndfileMessage(nullptr));
  }
}

WavWriter::~WavWriter() {
  if (file_ != nullptr) sf_close(file_);
}

void WavWriter::Write(std::span<const int16_t> samples) {
  const auto count = static_cast<sf_count_t>(samples.size());
  if (sf_write_short(file_, samples.data(), count) != count) {
    throw FileError(kExitOutput, "cannot write", output_.target(), SndfileMessage(file_));
  }
}

void WavWriter::Close() {
  sf_write_sync(file_);
  const int error = sf_error(file_);
  const std::string message = SndfileMessage(file_);
  const int closed = sf_close(file_);
  file_ = nullptr;
  if (error != SF_ERR_NO_ERROR || closed != 0) {
    throw FileError(kExitOutput, "cannot write", output_.target(), message);
  }
}

}  // namespace g722kit::tool
