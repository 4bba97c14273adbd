#include "io/pcm_spool.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "io/system.h"
#include "messages/tool_error.h"

namespace g722kit::tool {
namespace {

constexpr size_t kPieceSamples = 32768;

[[noreturn]] void Fail(const char* what) {
  throw ToolError(kExitOutput, std::string(what) + " a temporary file: " + std::strerror(errno));
}

}  // namespace

PcmSpool::~PcmSpool() {
  if (file_ != nullptr) std::fclose(file_);
}

void PcmSpool::Write(std::span<const int16_t> samples) {
  if (file_ == nullptr) {
    const int fd = CreateUnnamedFile();
    file_ = fd < 0 ? nullptr : fdopen(fd, "w+b");
    if (file_ == nullptr) {
      if (fd >= 0) close(fd);
      throw FileErrno(kExitOutput, "cannot create a temporary file in", TemporaryFolder());
    }
  }
  if (std::fwrite(samples.data(), sizeof(int16_t), samples.size(), file_) != samples.size()) {
    Fail("cannot write");
  }
  samples_ += samples.size();
}

void PcmSpool::WriteSilence(uint64_t count) {
  const std::vector<int16_t> zeros(static_cast<size_t>(std::min<uint64_t>(count, kPieceSamples)));
  for (uint64_t left = count; left > 0;) {
    const size_t piece = static_cast<size_t>(std::min<uint64_t>(left, zeros.size()));
    Write(std::span(zeros).first(piece));
    left -= piece;
  }
}

void PcmSpool::Rewind() {
  if (file_ == nullptr) return;
  if (std::fflush(file_) != 0 || std::fseek(file_, 0, SEEK_SET) != 0) Fail("cannot read");
}

bool PcmSpool::Read(std::vector<int16_t>& pcm) {
  pcm.clear();
  if (file_ == nullptr) return false;
  pcm.resize(kPieceSamples);
  const size_t got = std::fread(pcm.data(), sizeof(int16_t), pcm.size(), file_);
  if (got == 0 && std::ferror(file_)) Fail("cannot read");
  pcm.resize(got);
  return got > 0;
}

}  // namespace g722kit::tool
